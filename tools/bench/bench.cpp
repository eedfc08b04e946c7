// Benchmark of the real game, headless: the work of start-up, of a frame on
// the title, in the demo's play and on the high score table, and the peak
// resident memory of the process.
//
//   tessaril_bench DATA_DIR [--quick] [--back-to-back]
//
// DATA_DIR is the repository's data/ tree; the game runs in a fresh temporary
// folder that reaches it through a symlink "data". The loading screen's pauses
// and the main loop's padding are not slept: a stand-in clock adds up the
// pauses of start-up and advances one frame period per frame, so the game's once-a-second
// clock runs as it would in play. Between two frames, outside the measurement,
// the benchmark rests 0.2 ms, as the game rests through its padding: a process
// that never sleeps is time-sliced against every other busy process of a
// shared machine, and its frames then measure the other processes.
// --back-to-back leaves the rest out; --quick runs a tenth of the frames (for
// profiling under valgrind). The last line printed is the BENCH summary.

#include "fwGameApp.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uGameGrid.h"
#include "uHighscore.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// Processor time of this thread in milliseconds: a frame's work without the
// time other processes of a shared machine took the processor away.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The game's clock during the run: fwGetTicks answers Now. While sleeping
// counts, a pause adds to Paused and moves Now on as the real sleep would.
struct TBenchClock {
    uint32_t Now = 1000;
    uint32_t Paused = 0;
    int PauseCalls = 0;
    bool CountPauses = true;
} benchClock;

constexpr uint32_t kFrameMs = kfwFramePeriodMs;
constexpr useconds_t kRestUs = 200; // untimed rest between two frames
bool restBetweenFrames = true;

// The game with its two start-up steps timed on their own.
class TBenchGame : public TMiniGame {
public:
    using TMiniGame::TMiniGame;
    double InitSDLMs = 0;
    double InitGameMs = 0;

    void InitSDL() override {
        const auto start = TClock::now();
        TMiniGame::InitSDL();
        InitSDLMs = MsSince(start);
    }
    void InitGame() override {
        const auto start = TClock::now();
        TMiniGame::InitGame();
        InitGameMs = MsSince(start);
    }
};

struct TStats {
    double Median = 0;
    double P99 = 0;
    double Max = 0;
};

TStats Summarise(std::vector<double> ms) {
    TStats s;
    if (ms.empty())
        return s;
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    s.Median = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    // Nearest rank: the smallest value that at least 99 % of the frames reach.
    const size_t rank = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(n)));
    s.P99 = ms[std::max<size_t>(rank, 1) - 1];
    s.Max = ms.back();
    return s;
}

// The frames of one screen: wall time (steady clock) and thread time of each.
struct TFrames {
    std::vector<double> Wall;
    std::vector<double> Cpu;
};

// One iteration of the main loop as the application runs it, without its
// padding (the stand-in clock does not sleep the frame's 1 ms yield either).
// Adds the milliseconds of work to frames; the clock then moves on by one
// frame period.
void RunFrame(TBenchGame& game, TFrames& frames) {
    const double cpuStart = ThreadCpuMs();
    const auto start = TClock::now();
    game.RunIteration();
    frames.Wall.push_back(MsSince(start));
    frames.Cpu.push_back(ThreadCpuMs() - cpuStart);
    benchClock.Now += kFrameMs;
    if (restBetweenFrames)
        usleep(kRestUs);
}

// What happened in the demo's play, to show that it played.
struct TPlayCounts {
    int Restarts = 0;   // demo ended after a completed level: a new game
    int Retries = 0;    // a life lost: the level dealt again
    int GamesOver = 0;  // all lives lost: a new game
    int32_t Points = 0; // points scored over all games
    int32_t Score = 0;  // score of the running game, to add up Points
};

void StartDemo(TBenchGame& game) {
    // As the idle timer of the title starts it.
    game.Context().Moves.StartDemo();
}

// Keeps the demo in play: a level completed (the demo returns to the title), a
// life lost or a game over leads straight back into play once the board has
// come to rest, so that the stones go on exploding and falling.
void KeepPlaying(TBenchGame& game, TPlayCounts& counts) {
    counts.Points += std::max(game.Session().Score - counts.Score, 0);
    counts.Score = game.Session().Score;
    switch (game.State()) {
    case TGameState::gsPlaying:
        game.Context().Mode.AutoPlay = true;
        break;
    case TGameState::gsTitle:
        ++counts.Restarts;
        StartDemo(game);
        break;
    case TGameState::gsRetry:
        if (game.Board()->IsBusy())
            break;
        ++counts.Retries;
        game.Context().Moves.DealAgain();
        game.Context().Mode.AutoPlay = true;
        break;
    case TGameState::gsGameOver:
    case TGameState::gsEnterName:
        if (game.Board()->IsBusy())
            break;
        ++counts.GamesOver;
        game.Context().Tables.Editor()->Deactivate();
        StartDemo(game);
        break;
    default:
        break;
    }
    counts.Score = game.Session().Score;
}

void PrintRow(const char* name, const TFrames& frames, const TStats& s) {
    const TStats cpu = Summarise(frames.Cpu);
    std::printf("  %-6s %6zu   %8.3f %8.3f %8.3f   %8.3f %8.3f %8.3f\n", name, frames.Wall.size(),
                s.Median, s.P99, s.Max, cpu.Median, cpu.P99, cpu.Max);
}

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
}

} // namespace

int main(int argc, char** argv) {
    // Headless before SDL reads its environment.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    bool quick = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--back-to-back") == 0) {
            restBetweenFrames = false;
        } else {
            argc = 0; // unknown option: usage
            break;
        }
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DATA_DIR [--quick] [--back-to-back]\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path data = fs::absolute(argv[1], error);
    if (error || !fs::is_directory(data / "images")) {
        std::fprintf(stderr, "tessaril_bench: %s holds no media tree\n", argv[1]);
        return 2;
    }

    char folderTemplate[] = "/tmp/tessaril-bench-XXXXXX";
    if (mkdtemp(folderTemplate) == nullptr) {
        std::perror("tessaril_bench: mkdtemp");
        return 1;
    }
    const fs::path folder = folderTemplate;
    fs::create_directory_symlink(data, folder / "data", error);
    if (error || chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "tessaril_bench: cannot prepare %s\n", folder.c_str());
        fs::remove_all(folder, error);
        return 1;
    }

    fwSetClock([] { return benchClock.Now; },
               [](uint32_t ms) {
                   if (!benchClock.CountPauses)
                       return;
                   benchClock.Paused += ms;
                   ++benchClock.PauseCalls;
                   benchClock.Now += ms;
               });

    const int titleFrames = quick ? 300 : 3000;
    const int playFrames = quick ? 300 : 3000;
    const int tableFrames = quick ? 100 : 1000;

    int status = 0;
    try {
        const auto constructStart = TClock::now();
        TBenchGame game;
        const double constructMs = MsSince(constructStart);
        game.Init(true);
        const uint32_t pauses = benchClock.Paused;
        const int pauseCalls = benchClock.PauseCalls;
        const double startupWork = game.InitGameMs;

        // Frames: no sleep at all (the 1 ms yield and the padding are not work).
        benchClock.CountPauses = false;
        game.SecondMark = fwGetTicks();
        game.FrameCount = 0;

        // Title: the idle timer is held back so that the demo does not start.
        TFrames title;
        for (int i = 0; i < titleFrames; ++i) {
            game.Context().Mode.IdleSeconds = 0;
            RunFrame(game, title);
        }
        const bool titleHeld = game.State() == TGameState::gsTitle;

        // The demo in play, on a fixed board sequence.
        game.Board()->FixSeed(20240611);
        StartDemo(game);
        TPlayCounts counts;
        TFrames play;
        for (int i = 0; i < playFrames; ++i) {
            RunFrame(game, play);
            KeepPlaying(game, counts);
        }
        const int32_t levelReached = game.Session().Level;

        // The high score table with ten entries.
        game.Context().Mode.AutoPlay = false;
        game.Context().Mode.Demo = false;
        game.Context().Tables.Timed()->Entries.clear();
        static const char* const kNames[10] = {"ANNA",  "BERT", "CARLA",      "DORIAN", "EMIL",
                                               "FRIDA", "GUS",  "HELENA LIN", "IVO",    "JUNE"};
        for (int i = 0; i < 10; ++i)
            game.Context().Tables.Timed()->AddScore(kNames[i],
                                                    static_cast<uint32_t>(25000 - i * 1975), 1, 1);
        game.Context().Tables.Timed()->Activate();
        game.Context().States.Set(TGameState::gsHighscores);
        TFrames table;
        for (int i = 0; i < tableFrames; ++i) {
            game.Context().Mode.IdleSeconds = 0;
            RunFrame(game, table);
        }
        const bool tableHeld = game.State() == TGameState::gsHighscores;
        const double peakMb = PeakRssMb();

        const TStats t = Summarise(title.Wall);
        const TStats p = Summarise(play.Wall);
        const TStats h = Summarise(table.Wall);
        std::printf("Tessaril benchmark (%s, headless, %s)\n", quick ? "quick" : "full",
                    restBetweenFrames ? "0.2 ms untimed rest between frames" : "back to back");
        std::printf("Start-up\n");
        std::printf("  construction (high score file)       %9.3f ms\n", constructMs);
        std::printf("  InitSDL (video, audio, joystick)     %9.3f ms\n", game.InitSDLMs);
        std::printf("  InitGame work                        %9.3f ms\n", startupWork);
        std::printf("  loading screen pauses (%2d x fwDelay) %9.3f ms\n", pauseCalls,
                    static_cast<double>(pauses));
        std::printf("  InitGame as a player waits for it    %9.3f ms\n",
                    startupWork + static_cast<double>(pauses));
        std::printf("Frames: work of one frame in ms, without the 1 ms yield and the %u ms "
                    "padding\n",
                    static_cast<unsigned>(kfwFramePeriodMs));
        std::printf("  screen frames     wall: median    p99      max  thread: median    p99      "
                    "max\n");
        PrintRow("title", title, t);
        PrintRow("play", play, p);
        PrintRow("table", table, h);
        std::printf("  play: level %d reached, %d demo restarts, %d retries, %d games over, "
                    "%d points\n",
                    levelReached, counts.Restarts, counts.Retries, counts.GamesOver, counts.Points);
        if (!titleHeld || !tableHeld)
            std::printf("  warning: a screen was left during its run (title %d, table %d)\n",
                        titleHeld, tableHeld);
        std::printf("Memory\n");
        std::printf("  peak resident                        %9.3f MB\n", peakMb);
        std::printf("BENCH title_p99_ms=%.3f play_p99_ms=%.3f table_p99_ms=%.3f "
                    "title_median_ms=%.3f play_median_ms=%.3f startup_work_ms=%.3f "
                    "peak_rss_mb=%.3f\n",
                    t.P99, p.P99, h.P99, t.Median, p.Median, startupWork, peakMb);
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessaril_bench: %s\n", e.what());
        status = 1;
    }

    fwSetClock(nullptr, nullptr);
    if (chdir("/") != 0)
        status = 1;
    fs::remove_all(folder, error);
    return status;
}
