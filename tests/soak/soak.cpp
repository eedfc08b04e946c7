// The soak: the real game object, headless, through a long run of demo and
// autoplay with keys pressed now and then, the way a player and the idle
// timer drive it. It fails on a broken invariant, an unexpected log line,
// memory that grows after the first thousand frames (resident memory; the
// heap in use under AddressSanitizer), or a run that
// did not reach every part it is meant to exercise (demos, won and lost
// levels, game over, name entry, boards dealt again, markers, music changes).
// Run under the sanitizers it also fails on any report and on a leak at exit.
//
//   tessaril_soak [--frames N] [--margin-kb K] [--seed S]

#include "fwConfig.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "harness.h"
#include "uHighscore.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TOptions {
    uint64_t Frames = 100000;
    long MarginKb = 2048;
    uint32_t Seed = 12;
};

// What the run went through; each must be above zero in a full run.
struct TCounters {
    int Demos = 0;
    int LevelsWon = 0;
    int LivesLost = 0;
    int GameOvers = 0;
    int NamesEntered = 0;
    int TablesShown = 0;
    int BoardsDealt = 0;
    int BoardLoads = 0;
    int BoardSaves = 0;
    int Pauses = 0;
    int Hints = 0;
    int TrackChanges = 0;
    int MaxMarkers = 0;
    int MaxEngineChildren = 0;
};

// The player: keys chosen by state, at random moments from a fixed seed.
class TSoakPlayer {
public:
    explicit TSoakPlayer(uint32_t seed) : rng_(seed) {}

    // Presses at most one key for the coming frame.
    void Act(TGameHarness& h, TCounters& counters) {
        TMiniGame& g = *h.Game;
        if (g.State() != state_) {
            if (g.State() == TGameState::gsTitle)
                ++titleVisits_;
            state_ = g.State();
            since_ = h.Frames;
        }
        const uint64_t inState = h.Frames - since_;
        switch (g.State()) {
        case TGameState::gsTitle:
            if (g.Context().Mode.Demo)
                break;
            // Every third visit starts a game, every third shows the table;
            // the others wait for the idle demo, brought a few seconds nearer.
            if (titleVisits_ % 3 == 1) {
                if (Every(inState, 30))
                    h.Press(TAction::Select);
            } else if (titleVisits_ % 3 == 2) {
                if (Every(inState, 30))
                    h.Press(TAction::Highscores);
            } else if (g.Context().Mode.IdleSeconds < 9) {
                g.Context().Mode.IdleSeconds = 9;
            }
            break;
        case TGameState::gsReady:
            if (Every(inState, 20))
                h.Press(TAction::Select);
            break;
        case TGameState::gsPlaying:
            if (g.Context().Mode.Demo) {
                if (Chance(300))
                    h.Press(Pick({TAction::Left, TAction::Right, TAction::Up, TAction::Down}));
                break;
            }
            if (!g.Context().Mode.AutoPlay && inState > 30 && Chance(10)) {
                // The handheld has no autoplay key (A pauses there).
                if constexpr (kHandheld)
                    g.Context().Mode.AutoPlay = true;
                else
                    h.Press(TAction::AutoPlay);
                break;
            }
            // From level 2 on, hints (ten seconds each, asked for whenever
            // the board is idle) make the game lose against the clock;
            // level 1 is left to be won.
            if (g.Session().Level >= 2 && !g.Board()->IsBusy() && Chance(6)) {
                h.Press(TAction::Hint);
                ++counters.Hints;
                break;
            }
            if (Chance(25))
                PressInPlay(h, counters);
            break;
        case TGameState::gsPaused:
            if (Every(inState, 25))
                h.Press(TAction::Pause);
            break;
        case TGameState::gsRetry:
        case TGameState::gsLevelDone:
        case TGameState::gsGameOver:
            // Ignored while the stones still drop: pressed again until it works.
            if (Every(inState, 40))
                h.Press(TAction::Select);
            break;
        case TGameState::gsEnterName:
            if (inState < 60 && Chance(6))
                h.Press(
                    Pick({TAction::Up, TAction::Down, TAction::Left, TAction::Right, TAction::Up}));
            else if (inState >= 60 && Every(inState, 20))
                h.Press(TAction::Confirm);
            break;
        case TGameState::gsHighscores:
            if (Every(inState, 40))
                h.Press(TAction::Confirm);
            break;
        default:
            break;
        }
    }

private:
    // Once every period frames of a state, the first time after one period.
    static bool Every(uint64_t inState, uint64_t period) { return inState % period == period - 1; }

    bool Chance(int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(rng_) == 1; }

    TAction Pick(std::initializer_list<TAction> actions) {
        const int i = std::uniform_int_distribution<int>(0, int(actions.size()) - 1)(rng_);
        return *(actions.begin() + i);
    }

    void PressInPlay(TGameHarness& h, TCounters& counters) {
        struct TChoice {
            TAction Action;
            int Weight;
        };
        // Restarting the level, loading and saving the board are rare: each
        // deals a new board with a full clock.
        if (Chance(120)) {
            const TAction action = Pick({TAction::Restart, TAction::LoadBoard, TAction::SaveBoard});
            h.Press(action);
            if (action == TAction::LoadBoard)
                ++counters.BoardLoads;
            else if (action == TAction::SaveBoard)
                ++counters.BoardSaves;
            return;
        }
        const TChoice choices[] = {{TAction::Left, 2},       {TAction::Right, 2},
                                   {TAction::Up, 2},         {TAction::Down, 2},
                                   {TAction::Select, 2},     {TAction::Pause, 1},
                                   {TAction::VolumeDown, 1}, {TAction::VolumeUp, 1}};
        int total = 0;
        for (const TChoice& c : choices)
            total += c.Weight;
        int at = std::uniform_int_distribution<int>(0, total - 1)(rng_);
        for (const TChoice& c : choices) {
            if (at < c.Weight) {
                h.Press(c.Action);
                if (c.Action == TAction::Pause)
                    ++counters.Pauses;
                return;
            }
            at -= c.Weight;
        }
    }

    std::mt19937 rng_;
    TGameState state_{}; // none seen yet
    uint64_t since_ = 0;
    int titleVisits_ = 0;
};

// Watches the game between frames and counts what happened.
class TSoakObserver {
public:
    void Look(const TMiniGame& g, TCounters& c) {
        if (g.Context().Mode.Demo && !demo_)
            ++c.Demos;
        demo_ = g.Context().Mode.Demo;
        if (g.State() != state_) {
            if (g.State() == TGameState::gsLevelDone)
                ++c.LevelsWon;
            if (g.State() == TGameState::gsGameOver ||
                (g.State() == TGameState::gsEnterName && state_ != TGameState::gsEnterName))
                ++c.GameOvers;
            if (g.State() == TGameState::gsHighscores && state_ == TGameState::gsEnterName)
                ++c.NamesEntered;
            if (g.State() == TGameState::gsHighscores)
                ++c.TablesShown;
            state_ = g.State();
        }
        if (g.Session().Lives < lives_)
            ++c.LivesLost;
        lives_ = g.Session().Lives;
        // Every new board starts the level's clock afresh.
        if (g.Session().TimeLeft > timeLeft_)
            ++c.BoardsDealt;
        timeLeft_ = g.Session().TimeLeft;
        if (g.Music() != nullptr && g.Music()->FileName != track_) {
            if (!track_.empty())
                ++c.TrackChanges;
            track_ = g.Music()->FileName;
        }
        int markers = 0;
        const int children = g.Context().View.Engine->ChildCount();
        for (int i = 0; i < children; ++i) {
            TfwWorldObject* child = g.Context().View.Engine->GetChild(i);
            if (dynamic_cast<TButtonSprite*>(child) == nullptr &&
                child != g.Context().View.Cursor && child != g.Context().View.Selection)
                ++markers;
        }
        c.MaxMarkers = std::max(c.MaxMarkers, markers);
        c.MaxEngineChildren = std::max(c.MaxEngineChildren, children);
    }

private:
    bool demo_ = false;
    TGameState state_{}; // none seen yet
    int32_t lives_ = 3;
    int32_t timeLeft_ = 0;
    std::string track_;
};

// Invariants of the board and the game that must hold between any two frames.
std::string CheckInvariants(const TMiniGame& g) {
    const TGameGrid& board = *g.Board();
    if (g.Session().Lives < 0 || g.Session().Lives > 3)
        return "lives " + std::to_string(g.Session().Lives);
    if (g.Session().TimeLeft < -1)
        return "time left " + std::to_string(g.Session().TimeLeft);
    if (g.Session().CursorCol < 0 || g.Session().CursorCol >= board.Width ||
        g.Session().CursorRow < 0 || g.Session().CursorRow >= board.Height)
        return "cursor off the board";
    if (g.Context().Sounds.Effects < 0 || g.Context().Sounds.Effects > 128 ||
        g.Context().Sounds.Music < 0 || g.Context().Sounds.Music > 128)
        return "volume out of range";
    if (!board.IsBusy()) {
        // An idle board: no stone in two cells, every stone a live child of
        // the engine with a kind the image table has.
        std::vector<const TfwWorldObject*> seen;
        for (int32_t row = 0; row < board.Height; ++row)
            for (int32_t col = 0; col < board.Width; ++col) {
                const TButtonSprite* stone = board.StoneAt(col, row);
                if (stone == nullptr)
                    continue;
                if (stone->Kind < 1 || stone->Kind > kStoneImageCount)
                    return "stone kind " + std::to_string(stone->Kind);
                for (const TfwWorldObject* s : seen)
                    if (s == stone)
                        return "a stone in two cells";
                seen.push_back(stone);
            }
        for (const TfwWorldObject* s : seen) {
            bool live = false;
            for (int i = 0; i < g.Context().View.Engine->ChildCount() && !live; ++i)
                live = g.Context().View.Engine->GetChild(i) == s;
            if (!live)
                return "a cell holds a freed stone";
        }
    }
    return {};
}

// Lines the game may write in a soak: start-up, and a sound that found every
// mixing channel busy.
bool AllowedLogLine(const std::string& line) {
    return line == "SDLApp::InitSDL: Done" || line.rfind("SDLSoundFX::Play: ", 0) == 0;
}

bool ParseOptions(int argc, char** argv, TOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return false;
        const char* value = argv[++i];
        if (arg == "--frames")
            options.Frames = std::strtoull(value, nullptr, 10);
        else if (arg == "--margin-kb")
            options.MarginKb = std::strtol(value, nullptr, 10);
        else if (arg == "--seed")
            options.Seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s [--frames N] [--margin-kb K] [--seed S]\n", argv[0]);
        return 2;
    }
    const auto wallStart = std::chrono::steady_clock::now();
    std::vector<std::string> failures;
    TCounters counters;
    long rssStart = -1;
    long rssEnd = -1;
    long heapStart = -1;
    long heapEnd = -1;
    std::string log;
    {
        TTempDir folder;
        if (symlink(SourcePath("data").c_str(), "data") != 0) {
            std::perror("symlink data");
            return 1;
        }
        // A board file for the load key: frame stones in two corners, a
        // special stone in the middle.
        WriteFile("puzzle.txt", "0 0 20\n9 7 30\n4 3 10\n5 3 11\n");

        TGameHarness h;
        TMiniGame& game = h.Start();
        // Boards dealt from the seed, so that a run can be repeated.
        std::mt19937 deals(options.Seed);
        game.Board()->SeedSource = [&deals] { return static_cast<uint32_t>(deals()); };
        TSoakPlayer player(options.Seed);
        TSoakObserver observer;
        for (uint64_t frame = 1; frame <= options.Frames; ++frame) {
            player.Act(h, counters);
            h.Frame();
            observer.Look(game, counters);
            const std::string broken = CheckInvariants(game);
            if (!broken.empty()) {
                failures.push_back("frame " + std::to_string(frame) + ": " + broken);
                break;
            }
            if (game.Terminated) {
                failures.push_back("frame " + std::to_string(frame) + ": the game quit");
                break;
            }
            if (frame == 1000) {
                rssStart = ResidentKilobytes();
                heapStart = HeapInUseKilobytes();
            }
            if (frame % 20000 == 0)
                std::printf("soak: frame %llu, state %d, level %d, score %d\n",
                            static_cast<unsigned long long>(frame), static_cast<int>(game.State()),
                            game.Session().Level, game.Session().Score);
        }
        rssEnd = ResidentKilobytes();
        heapEnd = HeapInUseKilobytes();
        if (counters.BoardSaves > 0 && access("puzzle1.txt", F_OK) != 0)
            failures.emplace_back("the save key wrote no puzzle1.txt");
        // The table as the game saved it: whole records only, at most ten.
        const std::string table = ReadFile("highscore.dat");
        if (counters.NamesEntered > 0 && (table.empty() || table.size() % kHScoreRecordSize != 0 ||
                                          table.size() > 10 * kHScoreRecordSize))
            failures.push_back("highscore.dat holds " + std::to_string(table.size()) + " bytes");
        log = ReadFile("log.txt");
        // h ends the game here, then the folder goes.
    }

    std::istringstream lines(log);
    std::string line;
    int logLines = 0;
    std::map<std::string, int> tags;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ++logLines;
        ++tags[line.substr(0, line.find(": "))];
        if (!AllowedLogLine(line))
            failures.push_back("log: " + line);
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::printf("soak: %llu frames in %.1f s (%.0f frames/s); resident memory %ld kB at frame "
                "1000, %ld kB at the end (%+ld kB)\n",
                static_cast<unsigned long long>(options.Frames), seconds,
                seconds > 0 ? static_cast<double>(options.Frames) / seconds : 0.0, rssStart, rssEnd,
                rssEnd - rssStart);
    std::printf("soak: demos %d, levels won %d, lives lost %d, game overs %d, names entered %d, "
                "tables shown %d, boards dealt %d, board loads %d, board saves %d, pauses %d, "
                "hints %d, track changes %d, most markers %d, most sprites %d, log lines %d\n",
                counters.Demos, counters.LevelsWon, counters.LivesLost, counters.GameOvers,
                counters.NamesEntered, counters.TablesShown, counters.BoardsDealt,
                counters.BoardLoads, counters.BoardSaves, counters.Pauses, counters.Hints,
                counters.TrackChanges, counters.MaxMarkers, counters.MaxEngineChildren, logLines);

    for (const auto& tag : tags)
        std::printf("soak: log %d x %s\n", tag.second, tag.first.c_str());
    // Under AddressSanitizer resident memory also holds the sanitizer's own
    // records (a stack trace for every new path to an allocation, kept for
    // good), so there the heap in use is held flat instead; without it, the
    // resident memory itself.
    if (heapStart >= 0) {
        std::printf("soak: heap in use %ld kB at frame 1000, %ld kB at the end (%+ld kB)\n",
                    heapStart, heapEnd, heapEnd - heapStart);
        if (options.Frames > 1000 && heapEnd - heapStart > options.MarginKb)
            failures.push_back("the heap grew by " + std::to_string(heapEnd - heapStart) +
                               " kB (margin " + std::to_string(options.MarginKb) + " kB)");
    } else if (options.Frames > 1000 && rssStart > 0 && rssEnd - rssStart > options.MarginKb) {
        failures.push_back("resident memory grew by " + std::to_string(rssEnd - rssStart) +
                           " kB (margin " + std::to_string(options.MarginKb) + " kB)");
    }
    // 80 stones, two cursor sprites and the markers still rising.
    if (counters.MaxEngineChildren > 400)
        failures.push_back("the sprite engine held " + std::to_string(counters.MaxEngineChildren) +
                           " sprites");
    if (options.Frames >= 50000) {
        const struct {
            const char* Name;
            int Count;
        } reached[] = {
            {"demos", counters.Demos},
            {"levels won", counters.LevelsWon},
            {"lives lost", counters.LivesLost},
            {"game overs", counters.GameOvers},
            {"names entered", counters.NamesEntered},
            {"boards dealt", counters.BoardsDealt},
            {"board loads", counters.BoardLoads},
            {"board saves", counters.BoardSaves},
            {"track changes", counters.TrackChanges},
            {"markers", counters.MaxMarkers},
        };
        for (const auto& r : reached)
            if (r.Count == 0)
                failures.push_back(std::string("the run had no ") + r.Name);
    }

    for (const std::string& f : failures)
        std::printf("soak FAILED: %s\n", f.c_str());
    if (failures.empty())
        std::printf("soak: passed\n");
    return failures.empty() ? 0 : 1;
}
