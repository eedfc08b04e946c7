// A kill in the middle of play. A child process plays the real game headless
// (a stepped clock, boards from a seed) with random keys: new games, kept
// games continued from the title and the list, moves, hints that run the
// clock down, restarts, pauses, leaves, lost lives, GAME OVER and the name
// entry. The parent kills it with SIGKILL at a random moment, many times over,
// in one folder, and after every kill checks what the player made:
//
//   - every kept game file there is reads as a kept game;
//   - no kept game holds more lives than the child last said its game had
//     (a lost life is never given back), nor an earlier level than the one
//     it last said it played;
//   - the game the child was playing with lives to spare is still kept;
//   - every score the child said was stored is in highscore.dat (unless the
//     player withdrew it, or ten better ones pushed it out).
//
// The child tells its progress in progress.txt, a line each time it changes,
// written after the frame; and, before a frame in which its key may start or
// continue a game or withdraw a score, a line that says so.
//
//   tessaril_robust_killplay [rounds] [seed]

#include "harness.h"
#include "uGameServices.h"
#include "uHighscore.h"
#include "uKeptGames.h"

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kProgress = "progress.txt";

void SleepMicroseconds(long us) {
    timespec t{us / 1000000, (us % 1000000) * 1000};
    nanosleep(&t, nullptr);
}

bool InGameState(TGameState s) {
    return s == TGameState::gsReady || s == TGameState::gsPlaying || s == TGameState::gsPaused ||
           s == TGameState::gsRetry || s == TGameState::gsLevelDone;
}

// --- The child: the player ----------------------------------------------------

class TKillPlayer {
public:
    TKillPlayer(uint32_t seed, int fd) : rng_(seed), fd_(fd) {}

    // Presses at most one key for the coming frame; tells first when it may
    // start or continue a game ("T") or withdraw the score ("W").
    void Act(TGameHarness& h) {
        TMiniGame& g = *h.Game;
        if (g.State() != state_) {
            state_ = g.State();
            since_ = h.Frames;
            plan_.clear();
        }
        const uint64_t inState = h.Frames - since_;
        TScreenContext& c = g.Context();
        switch (g.State()) {
        case TGameState::gsTitle:
            c.Mode.IdleSeconds = 0; // no demo: it keeps nothing
            if (inState % 3 != 2)
                break;
            Say("T\n");
            if (!c.Kept.Offers.empty() && Chance(6) > 0)
                h.Press(c.Kept.Offers.size() > 1 && Chance(4) == 0 ? TAction::KeptGames
                                                                   : TAction::Continue);
            else
                h.Press(TAction::Select);
            break;
        case TGameState::gsKeptGames:
            if (inState % 5 != 4)
                break;
            Say("T\n");
            h.Press(Chance(3) == 0 ? TAction::Down : TAction::Confirm);
            break;
        case TGameState::gsReady:
        case TGameState::gsRetry:
        case TGameState::gsLevelDone:
        case TGameState::gsGameOver:
            if (inState % 4 == 3)
                h.Press(TAction::Select);
            break;
        case TGameState::gsPaused:
            if (inState % 8 == 7)
                h.Press(Chance(4) == 0 ? TAction::Leave : TAction::Pause);
            break;
        case TGameState::gsPlaying:
            Play(h, g);
            break;
        case TGameState::gsEnterName:
            if (inState < 20 && Chance(3) == 0) {
                PushKeyDown(static_cast<SDLKey>(SDLK_a + Chance(26)));
            } else if (inState >= 20 && inState % 5 == 0) {
                if (Chance(6) == 0) {
                    Say("W\n");
                    h.Press(TAction::Cancel);
                } else {
                    h.Press(TAction::Confirm);
                }
            }
            break;
        case TGameState::gsHighscores:
            if (inState % 8 == 7)
                h.Press(TAction::Confirm);
            break;
        }
    }

    // After the frame: the game's progress when it changed ("P state file
    // lives level score"), and a score just stored ("S score").
    void Tell(TGameHarness& h) {
        TMiniGame& g = *h.Game;
        if (g.State() == TGameState{})
            return; // the media still loading
        if (told_.empty())
            Say("R\n");
        // The game's file is taken and let go only as the state changes.
        if (g.State() != toldState_) {
            file_.clear();
            for (int32_t slot = 0; slot < kKeptGameSlots && file_.empty(); ++slot)
                if (fwClaimedElsewhere(KeptGameFile(slot))) // this copy is the only one
                    file_ = KeptGameFile(slot);
            toldState_ = g.State();
        }
        const std::string& file = file_;
        const TGameSession& s = g.Session();
        const std::string line = "P " + std::to_string(static_cast<int>(g.State())) + " " +
                                 (file.empty() ? "-" : file) + " " + std::to_string(s.Lives) + " " +
                                 std::to_string(s.Level) + " " + std::to_string(s.Score) + "\n";
        if (line != told_) {
            Say(line);
            told_ = line;
        }
        const bool stored = g.Context().Tables.RowStored();
        if (stored && !stored_)
            Say("S " + std::to_string(s.Score) + "\n");
        stored_ = stored;
    }

private:
    int Chance(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    void Say(const std::string& line) {
        if (write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            _exit(3);
    }

    // A move found on the board, walked to and swapped; or hints, which run
    // the clock down; now and then a restart, a pause or a leave.
    void Play(TGameHarness& h, TMiniGame& g) {
        TGameGrid& board = *g.Board();
        const TGameSession& s = g.Session();
        if (!plan_.empty()) {
            const auto [col, row] = plan_.front();
            if (s.CursorCol < col)
                h.Press(TAction::Right);
            else if (s.CursorCol > col)
                h.Press(TAction::Left);
            else if (s.CursorRow < row)
                h.Press(TAction::Down);
            else if (s.CursorRow > row)
                h.Press(TAction::Up);
            else {
                h.Press(TAction::Select);
                plan_.erase(plan_.begin());
            }
            return;
        }
        if (board.IsBusy() || Chance(2) != 0)
            return;
        const int roll = Chance(100);
        int32_t c1 = 0, r1 = 0, c2 = 0, r2 = 0;
        if (roll < 25 && board.FindMove(1, c1, r1, c2, r2))
            plan_ = {{c1, r1}, {c2, r2}};
        else if (roll < 93)
            h.Press(TAction::Hint);
        else if (roll < 94)
            h.Press(TAction::Restart);
        else if (roll < 96)
            h.Press(TAction::Pause);
        else if (roll < 98)
            h.Press(TAction::Leave);
        else
            h.Press(TAction::Up);
    }

    std::mt19937 rng_;
    int fd_;
    TGameState state_{};
    uint64_t since_ = 0;
    std::vector<std::pair<int32_t, int32_t>> plan_; // cells to select in turn
    std::string told_;
    TGameState toldState_{};
    std::string file_; // the kept game this copy plays
    bool stored_ = false;
};

[[noreturn]] void Child(uint32_t seed) {
    const int fd = open(kProgress, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    if (fd < 0)
        _exit(2);
    TGameHarness h;
    TMiniGame& game = h.Start();
    std::mt19937 deals(seed);
    game.Board()->SeedSource = [&deals] { return static_cast<uint32_t>(deals()); };
    TKillPlayer player(seed, fd);
    for (;;) {
        player.Act(h);
        h.Frame();
        player.Tell(h);
        if (game.Terminated)
            _exit(4);
    }
}

// --- The parent: the checks -----------------------------------------------------

// What the child last told.
struct TTold {
    bool Ready = false;
    int State = 0; // 0: none told yet
    std::string File;
    int Lives = 0;
    int Level = 0;
    bool MayStart = false;                  // a game may have been started or continued since
    std::map<std::string, int> LivesOf;     // each file's game's lives as last told
    std::vector<std::pair<int, bool>> Rows; // score, withdrawn maybe
};

TTold ReadProgress() {
    TTold t;
    std::istringstream in(ReadFile(kProgress));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string tag;
        f >> tag;
        if (tag == "R") {
            t.Ready = true;
        } else if (tag == "T") {
            t.MayStart = true;
        } else if (tag == "W") {
            if (!t.Rows.empty())
                t.Rows.back().second = true;
        } else if (tag == "S") {
            int score = 0;
            f >> score;
            t.Rows.emplace_back(score, false);
        } else if (tag == "P") {
            int score = 0;
            f >> t.State >> t.File >> t.Lives >> t.Level >> score;
            if (t.File == "-")
                t.File.clear();
            else
                t.LivesOf[t.File] = t.Lives;
            t.MayStart = false;
        }
    }
    return t;
}

const char* StateName(int state) {
    switch (static_cast<TGameState>(state)) {
    case TGameState::gsTitle:
        return "title";
    case TGameState::gsReady:
        return "ready";
    case TGameState::gsPlaying:
        return "play";
    case TGameState::gsRetry:
        return "retry";
    case TGameState::gsLevelDone:
        return "level done";
    case TGameState::gsPaused:
        return "paused";
    case TGameState::gsGameOver:
        return "game over";
    case TGameState::gsHighscores:
        return "table";
    case TGameState::gsEnterName:
        return "name entry";
    case TGameState::gsKeptGames:
        return "kept list";
    }
    return "starting";
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 300;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 40;
    TTempDir folder;
    if (symlink(SourcePath("data").c_str(), "data") != 0) {
        std::perror("symlink data");
        return 1;
    }

    std::mt19937 rng(seed);
    std::map<std::string, int> lives; // the most lives each kept game may hold
    std::map<std::string, int> killsIn;
    std::vector<std::string> failures;
    int gamesFound = 0;
    int rowsTold = 0;
    int rowsFound = 0;
    int livesChecked = 0;
    for (int round = 0; round < rounds && failures.size() < 5; ++round) {
        std::remove(kProgress);
        std::fflush(stdout);
        const pid_t child = fork();
        if (child < 0) {
            std::perror("fork");
            return 1;
        }
        if (child == 0)
            Child(seed * 7919u + static_cast<uint32_t>(round));
        // On the title (the media loaded), then from at once to a few hundred
        // frames in; now and then while it still loads.
        for (int i = 0; i < 2000 && round % 10 != 9 && !ReadProgress().Ready; ++i)
            SleepMicroseconds(5000);
        SleepMicroseconds(std::uniform_int_distribution<long>(0, 120000)(rng));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFSIGNALED(status)) {
            failures.push_back("round " + std::to_string(round) + ": the child ended by itself");
            continue;
        }

        const TTold told = ReadProgress();
        ++killsIn[StateName(told.State)];
        const std::string at =
            "round " + std::to_string(round) + " (killed in " + StateName(told.State) + "): ";
        const auto fail = [&failures, &at](const std::string& what) {
            failures.push_back(at + what);
        };
        for (int32_t slot = 0; slot < kKeptGameSlots; ++slot) {
            const std::string file = KeptGameFile(slot);
            const bool played =
                file == told.File && InGameState(static_cast<TGameState>(told.State));
            if (access(file.c_str(), F_OK) != 0) {
                if (played && told.Lives > 1)
                    fail("the game played in " + file + " with " + std::to_string(told.Lives) +
                         " lives is not kept");
                lives.erase(file);
                continue;
            }
            ++gamesFound;
            TSavedGame game;
            const std::string text = ReadFile(file);
            const std::string why = ParseSavedGame(text, 10, 8, game);
            if (!why.empty()) {
                std::string what = file;
                what += " is no kept game: " + why + "\n";
                fail(what + text);
                continue;
            }
            const TGameSession& s = game.Session;
            const bool fresh = s.Level == 1 && s.Score == 0 && s.Lives == kStartLives;
            if (told.LivesOf.count(file) > 0)
                lives[file] = told.LivesOf.at(file);
            const bool known = lives.count(file) > 0;
            ++livesChecked;
            if (!(known && s.Lives <= lives[file]) && !(told.MayStart && fresh))
                fail(file + " holds " + std::to_string(s.Lives) + " lives, the game had " +
                     (known ? std::to_string(lives[file]) : "none told"));
            if (played && s.Level < told.Level)
                fail(file + " holds level " + std::to_string(s.Level) + ", the game was at level " +
                     std::to_string(told.Level));
            lives[file] = s.Lives; // the next round goes on from what is kept
        }

        THighscoreManager table(nullptr);
        table.LoadFromFile("highscore.dat");
        for (const auto& [score, withdrawn] : told.Rows) {
            if (withdrawn)
                continue;
            ++rowsTold;
            int better = 0;
            bool found = false;
            for (const auto& e : table.Entries) {
                found = found || e->Score == static_cast<uint32_t>(score);
                better += e->Score >= static_cast<uint32_t>(score) ? 1 : 0;
            }
            if (found)
                ++rowsFound;
            else if (better < table.MaxEntries)
                fail("the stored score " + std::to_string(score) + " is not in highscore.dat");
        }
    }

    std::printf("robust killplay: %d rounds; killed in:", rounds);
    for (const auto& [state, count] : killsIn)
        std::printf(" %s %d,", state.c_str(), count);
    std::printf(" kept games found %d (lives checked %d), rows told stored %d, found %d\n",
                gamesFound, livesChecked, rowsTold, rowsFound);
    for (const std::string& f : failures)
        std::printf("robust killplay FAILED: %s\n", f.c_str());
    return failures.empty() ? 0 : 1;
}
