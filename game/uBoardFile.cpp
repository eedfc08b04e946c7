#include "uBoardFile.h"

#include "fwConfig.h"
#include "fwLog.h"
#include "tessaril.h"
#include "uTextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kBoardSaveFile = "puzzle1.txt";
constexpr const char* kBoardLoadFile = "puzzle.txt";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// One decimal integer at text[pos], after blanks; false when there is none or
// it does not fit 32 bits.
bool ReadInteger(const std::string& text, size_t& pos, int32_t& value) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    size_t digits = pos;
    int64_t v = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        v = v * 10 + (text[pos] - '0');
        if (v > 0x80000000LL)
            return false;
        ++pos;
    }
    if (pos == digits)
        return false;
    if (text[start] == '-')
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

} // namespace

int ParseBoardFile(const std::string& content, std::vector<TBoardFileLine>& lines) {
    int lineNumber = 0;
    for (const std::string& line : SplitLines(content)) {
        ++lineNumber;
        if (std::all_of(line.begin(), line.end(), IsBlank))
            continue;
        size_t at = 0;
        TBoardFileLine entry{};
        if (!ReadInteger(line, at, entry.Col) || !ReadInteger(line, at, entry.Row) ||
            !ReadInteger(line, at, entry.Kind))
            return lineNumber;
        // The rest of the line is skipped, as it always was.
        if (entry.Kind < 1 || entry.Kind > kStoneImageCount)
            return lineNumber;
        lines.push_back(entry);
    }
    return 0;
}

void TMiniGame::SaveBoardFile() {
    std::string text;
    for (int32_t col = 0; col < board_->Width; ++col)
        for (int32_t row = 0; row < board_->Height; ++row)
            if (TButtonSprite* stone = board_->StoneAt(col, row))
                text += std::to_string(col) + " " + std::to_string(row) + " " +
                        std::to_string(stone->Kind) + kLineEnd;
    // A board that cannot be saved is reported; play goes on.
    std::string why;
    const auto report = [](const std::string& failure) {
        ReportToPlayer(failure + " (the board could not be saved)");
    };
    if (!WriteFileSafely(kBoardSaveFile, text, "TMiniGame::SaveBoardFile", &why, report))
        report(why);
}

void TMiniGame::LoadBoardFile() {
    if (!PathExists(kBoardLoadFile))
        return;
    StartLevel(session_.Level);
    std::string content;
    if (!ReadWholeFile(kBoardLoadFile, content)) {
        Log().Write("TMiniGame::LoadBoardFile",
                    std::string(kBoardLoadFile) + ": " + std::strerror(errno));
        return;
    }
    std::vector<TBoardFileLine> lines;
    const int bad = ParseBoardFile(content, lines);
    for (const TBoardFileLine& line : lines)
        board_->ChangeStone(line.Col, line.Row, line.Kind);
    // A malformed line ends the load, not the game.
    if (bad != 0)
        Log().Write("TMiniGame::LoadBoardFile", std::string(kBoardLoadFile) + " line " +
                                                    std::to_string(bad) +
                                                    ": expected column, row and kind 1 to 32");
}
