// The kept game: see uSaveGame.h
#include "uSaveGame.h"

#include "fwConfig.h"
#include "fwFile.h"
#include "fwLog.h"
#include "uGameGrid.h"
#include "uLevelRules.h"
#include "uTextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kHeader = "tessaril savegame 1";
constexpr const char* kTag = "TSavedGame";
constexpr const char* kAsideSuffix = ".bad";
// Names tried for a file set aside before giving up.
constexpr int kAsideTries = 100;

const char* KindName(TGameKind kind) {
    return kind == TGameKind::Relaxed ? "relaxed" : "timed";
}

// The words of a line, split at blanks; empty words (two blanks) are kept, so
// that only the writer's own spacing reads back.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words(1);
    for (char c : line) {
        if (c == ' ')
            words.emplace_back();
        else
            words.back() += c;
    }
    return words;
}

// A decimal number of plain digits (no sign, no leading zero but "0") within
// low .. high.
bool Number(const std::string& word, int64_t low, int64_t high, int64_t& value) {
    if (word.empty() || word.size() > 10 || (word.size() > 1 && word[0] == '0'))
        return false;
    int64_t v = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high)
        return false;
    value = v;
    return true;
}

// The lines of a file as an editor may leave it: a UTF-8 byte-order mark
// before the first, blanks and tabs after the last word of a line, and blank
// lines at the end are not the file's.
std::vector<std::string> EditedLines(const std::string& content) {
    const std::string bom = "\xEF\xBB\xBF";
    const bool marked = content.compare(0, bom.size(), bom) == 0;
    std::vector<std::string> lines = SplitLines(marked ? content.substr(bom.size()) : content);
    for (std::string& line : lines)
        line.erase(line.find_last_not_of(" \t") + 1);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// Reads the lines in order; each Field call takes the next one.
class TReader {
public:
    explicit TReader(const std::string& content) : lines_(EditedLines(content)) {}

    std::string Failure; // the first fault found; "" while none

    // The next line's numbers after its name, count of them each in low .. high.
    bool Field(const char* name, size_t count, int64_t low, int64_t high,
               std::vector<int64_t>& values) {
        if (!Failure.empty())
            return false;
        const std::vector<std::string> words = Next(name);
        if (!Failure.empty())
            return false;
        if (words.size() != count + 1)
            return Fail(std::string(name) + ": " + std::to_string(count) + " numbers expected");
        values.assign(count, 0);
        for (size_t i = 0; i < count; ++i)
            if (!Number(words[i + 1], low, high, values[i]))
                return Fail(std::string(name) + ": " + words[i + 1] + " is not a number from " +
                            std::to_string(low) + " to " + std::to_string(high));
        return true;
    }
    int64_t One(const char* name, int64_t low, int64_t high) {
        std::vector<int64_t> values;
        return Field(name, 1, low, high, values) ? values[0] : low;
    }
    // The next line's one word after its name.
    std::string Word(const char* name) {
        const std::vector<std::string> words = Next(name);
        if (Failure.empty() && words.size() != 2)
            Fail(std::string(name) + ": one word expected");
        return Failure.empty() ? words[1] : std::string();
    }
    bool Header() {
        if (!lines_.empty() && lines_[0] == kHeader)
            return true;
        return Fail("not a saved game (its first line is not \"" + std::string(kHeader) + "\")");
    }
    bool AtEnd() {
        if (Failure.empty() && at_ < lines_.size())
            Fail("line " + std::to_string(at_ + 1) + ": more than a saved game");
        return Failure.empty();
    }

private:
    std::vector<std::string> lines_;
    size_t at_ = 1; // after the header

    std::vector<std::string> Next(const char* name) {
        if (!Failure.empty())
            return {};
        if (at_ >= lines_.size()) {
            Fail(std::string("cut short before \"") + name + "\"");
            return {};
        }
        std::vector<std::string> words = Words(lines_[at_]);
        if (words[0] != name) {
            Fail("line " + std::to_string(at_ + 1) + ": \"" + name + "\" expected");
            return {};
        }
        ++at_;
        return words;
    }
    bool Fail(const std::string& why) {
        if (Failure.empty())
            Failure = why;
        return false;
    }
};

std::string JoinNumbers(const std::vector<int32_t>& values) {
    std::string text;
    for (int32_t v : values)
        text += " " + std::to_string(v);
    return text;
}

// The goals the file keeps: those of the level's colours.
std::vector<int32_t> KeptGoals(const TGameSession& s) {
    const auto first = s.Goals.begin() + 1;
    return {first, first + std::clamp(s.Colours, 0, kGoalKinds)};
}

bool SameKeptSession(const TGameSession& a, const TGameSession& b) {
    return a.Kind == b.Kind && a.Level == b.Level && a.Score == b.Score &&
           a.ScoreAtDeal == b.ScoreAtDeal && a.Lives == b.Lives && a.TimeLeft == b.TimeLeft &&
           a.Colours == b.Colours && KeptGoals(a) == KeptGoals(b);
}

// The session's lines after the header, in the file's order; a fault leaves
// its first failure in the reader.
TGameSession ReadSession(TReader& in, int32_t width, int32_t height) {
    const std::string kind = in.Word("kind");
    if (in.Failure.empty() && kind != KindName(TGameKind::Timed) &&
        kind != KindName(TGameKind::Relaxed))
        in.Failure = "kind: " + kind + " is neither timed nor relaxed";
    TGameSession s = TGameSession::NewGame(kind == KindName(TGameKind::Relaxed) ? TGameKind::Relaxed
                                                                                : TGameKind::Timed);
    const auto level = static_cast<int32_t>(in.One("level", 1, kMaxSavedLevel));
    s.Score = static_cast<int32_t>(in.One("score", 0, INT32_MAX));
    s.BeginLevel(level, width, height);
    s.ScoreAtDeal = static_cast<int32_t>(in.One("dealt", 0, s.Score));
    s.Lives = static_cast<int32_t>(in.One("lives", 1, kStartLives));
    s.TimeLeft = static_cast<int32_t>(in.One("time", 0, LevelSeconds(level)));
    std::vector<int64_t> goals;
    in.Field("goals", static_cast<size_t>(s.Colours), 0, LevelGoal(level), goals);
    for (size_t i = 0; i < goals.size() && i < static_cast<size_t>(kGoalKinds); ++i)
        s.Goals[i + 1] = static_cast<int32_t>(goals[i]);
    return s;
}

} // namespace

bool operator==(const TSavedGame& a, const TSavedGame& b) {
    return SameKeptSession(a.Session, b.Session) && a.SpawnCount == b.SpawnCount &&
           a.RandomState == b.RandomState && a.Kinds == b.Kinds;
}

std::string FormatSavedGame(const TSavedGame& game) {
    std::string text = std::string(kHeader) + kLineEnd;
    auto line = [&](const char* name, const std::string& value) {
        text += std::string(name) + " " + value + kLineEnd;
    };
    const TGameSession& s = game.Session;
    line("kind", KindName(s.Kind));
    line("level", std::to_string(s.Level));
    line("score", std::to_string(s.Score));
    line("dealt", std::to_string(s.ScoreAtDeal));
    line("lives", std::to_string(s.Lives));
    line("time", std::to_string(s.TimeLeft));
    text += "goals" + JoinNumbers(KeptGoals(s)) + kLineEnd;
    line("spawn", std::to_string(game.SpawnCount));
    line("random", std::to_string(game.RandomState));
    for (const std::vector<int32_t>& row : game.Kinds)
        text += "stones" + JoinNumbers(row) + kLineEnd;
    return text;
}

std::string ParseSavedGame(const std::string& content, int32_t width, int32_t height,
                           TSavedGame& game) {
    TReader in(content);
    if (!in.Header())
        return in.Failure;
    game.Session = ReadSession(in, width, height);
    if (!in.Failure.empty())
        return in.Failure;
    std::vector<int64_t> values;
    game.SpawnCount = static_cast<int32_t>(in.One("spawn", 0, kSpawnCycle - 1));
    game.RandomState = static_cast<uint32_t>(in.One("random", 0, UINT32_MAX));
    game.Kinds.assign(static_cast<size_t>(height), {});
    for (std::vector<int32_t>& row : game.Kinds) {
        in.Field("stones", static_cast<size_t>(width), 1, kStoneImageCount, values);
        row.assign(values.begin(), values.end());
    }
    in.AtEnd();
    return in.Failure;
}

bool ReadSavedGame(const std::string& file, int32_t width, int32_t height, TSavedGame& game,
                   std::string& why) {
    why.clear();
    if (!PathExists(file))
        return false;
    std::string content;
    if (!ReadWholeFile(file, content)) {
        why = std::strerror(errno);
        return false;
    }
    why = ParseSavedGame(content, width, height, game);
    return why.empty();
}

std::string SetSavedGameAside(const std::string& file) {
    for (int i = 1; i <= kAsideTries; ++i) {
        std::string name = file + kAsideSuffix + (i > 1 ? std::to_string(i) : std::string());
        if (PathExists(name))
            continue;
        if (const int error = fwRenameFile(file, name)) {
            Log().Write(kTag, file + ": " + std::strerror(error));
            return "";
        }
        return name;
    }
    return "";
}
