#include "fwConfig.h"
#include "fwGameApp.h"
#include "fwLog.h"
#include "testutil.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <memory>
#include <vector>

// The chunk size that InitSDL asked the mixer for: the test program's own
// Mix_OpenAudio stands in front of the library's and passes the call on.
static int openedChunkSize = 0;
extern "C" int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize) {
    using TOpen = int (*)(int, Uint16, int, int);
    static const auto next = reinterpret_cast<TOpen>(dlsym(RTLD_NEXT, "Mix_OpenAudio"));
    openedChunkSize = chunkSize;
    return next(frequency, format, channels, chunkSize);
}

namespace {

// An application whose frames are test code; it ends after MaxFrames frames.
class TTestApp : public TfwGameApp {
public:
    using TfwGameApp::TfwGameApp;
    std::function<void(int frame)> OnProcess;
    std::vector<uint32_t> Seconds;
    int Frames = 0;
    int MaxFrames = 1;
    bool DoneCalled = false;

    void ProcessFrame(SDL_Surface*) override {
        ++Frames;
        if (OnProcess)
            OnProcess(Frames);
        if (Frames >= MaxFrames)
            Quit();
    }
    void SecondElapsed(uint32_t elapsed) override { Seconds.push_back(elapsed); }
    void DoneGame() override { DoneCalled = true; }
};

// Runs one frame of fixed work and reports the padding the loop added.
uint32_t PaddingAfter(uint32_t work) {
    TFakeClock clock;
    struct TWorkApp : TfwGameApp {
        TFakeClock* Clock = nullptr;
        uint32_t Work = 0;
        void DoFrame() override {
            Clock->Now += Work;
            Quit();
        }
    } app;
    app.Clock = &clock;
    app.Work = work;
    app.Run();
    EXPECT_EQ(app.FrameTime, work);
    return clock.TotalDelay;
}

} // namespace

TEST(TfwGameApp, OneInstanceOnly) {
    EXPECT_EQ(TfwGameApp::Instance(), nullptr);
    {
        TfwGameApp app;
        EXPECT_EQ(TfwGameApp::Instance(), &app);
        try {
            TfwGameApp second;
            FAIL() << "a second application was made";
        } catch (const EfwError& e) {
            EXPECT_STREQ(e.what(), "SDLApp already exists");
        }
        EXPECT_EQ(TfwGameApp::Instance(), &app);
    }
    EXPECT_EQ(TfwGameApp::Instance(), nullptr);
}

TEST(TfwGameApp, OptionsFromTheCommandLine) {
    EXPECT_EQ(TfwGameApp::ParseOption("-a=b"), "a=b");
    EXPECT_EQ(TfwGameApp::ParseOption("//x"), "x=1");
    EXPECT_EQ(TfwGameApp::ParseOption("  "), "=1");
    EXPECT_EQ(TfwGameApp::ParseOption("--"), "=1");
    EXPECT_EQ(TfwGameApp::ParseOption("  --level=3 "), "level=3");
    EXPECT_EQ(TfwGameApp::ParseOption("-/-x"), "-x=1"); // dashes first, then slashes
    TfwGameApp app(fwParseCommandLine({"-fullscreen", "--scale", "2"}));
    EXPECT_EQ(app.CommandLine.Fullscreen, 1);
    EXPECT_EQ(app.CommandLine.Scale, 2);
}

TEST(TfwGameApp, InitSdlOpensTheScreenAndLogsDone) {
    TfwGameApp app;
    app.InitSDL();
    ASSERT_NE(app.Screen, nullptr);
    // The desktop draws into a back buffer of the handheld's screen format
    // and shows it in a resizable window without double buffering (scale 1
    // here); the handheld's screen is a plain software surface.
    SDL_Surface* picture = app.GetSurface();
    EXPECT_EQ(picture->w, 320);
    EXPECT_EQ(picture->h, 240);
    EXPECT_EQ(picture->format->BitsPerPixel, 16);
    EXPECT_EQ(app.Screen->w, 320);
    EXPECT_EQ(app.Screen->h, 240);
    EXPECT_EQ(picture == app.Screen, kHandheld);
    EXPECT_EQ(Log().LastLine(), "SDLApp::InitSDL: Done");
    EXPECT_FALSE(app.Silent);
    EXPECT_EQ(app.VideoFlags, static_cast<uint32_t>(kHandheld ? SDL_SWSURFACE : SDL_RESIZABLE));
    EXPECT_EQ(Mix_VolumeMusic(-1), 25);
    EXPECT_EQ(Mix_Volume(0, -1), 37);
}

// The application's own wiring: the mixer's format, the end-of-music hook, the
// hidden mouse cursor, DoneGame before the audio closes, and the registry
// freed while the application and SDL still stand.
TEST(TfwGameApp, StartUpWiringAndTheOrderOfTheEnd) {
    TTempDir dir;
    TFakeClock clock;
    struct TWiredApp : TTestApp {
        std::atomic<bool> Ended{false};
        bool AudioOpenAtDone = false;
        void MusicFinished() override { Ended = true; }
        void DoneGame() override {
            AudioOpenAtDone = Mix_QuerySpec(nullptr, nullptr, nullptr) != 0;
        }
    };
    struct TProbe : TfwResource {
        bool* AppAlive;
        explicit TProbe(bool* alive) : TfwResource(0), AppAlive(alive) {}
        ~TProbe() override { *AppAlive = TfwGameApp::Instance() != nullptr && SDL_WasInit(0) != 0; }
        bool LoadFromFile(const std::string&, const std::string&) override { return false; }
    };
    bool appAliveAtFree = false;
    auto app = std::make_unique<TWiredApp>();
    app->InitSDL();
    app->Resources->Adopt(std::make_unique<TProbe>(&appAliveAtFree));
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(0, Mix_QuerySpec(&frequency, &format, &channels));
    EXPECT_EQ(22050, frequency);
    EXPECT_EQ(AUDIO_S16LSB, format);
    EXPECT_EQ(2, channels);
    EXPECT_EQ(kHandheld ? 1024 : 2048, openedChunkSize);
    if constexpr (kHandheld) { // the desktop may show its pointer
        EXPECT_EQ(SDL_DISABLE, SDL_ShowCursor(SDL_QUERY));
    }

    // A real track of 50 ms of silence, played to its end by the mixer thread.
    std::string wav = "RIFF";
    const uint32_t bytes = 22050 / 20 * 4;
    PutLE32(wav, 36 + bytes);
    wav += "WAVEfmt ";
    for (uint32_t v : {16u, 1u | 2u << 16, 22050u, 22050u * 4, 4u | 16u << 16})
        PutLE32(wav, v);
    wav += "data";
    PutLE32(wav, bytes);
    wav += std::string(bytes, '\0');
    ASSERT_TRUE(WriteFile("short.wav", wav));
    Mix_Music* music = Mix_LoadMUS("short.wav");
    ASSERT_NE(nullptr, music) << Mix_GetError();
    ASSERT_EQ(0, Mix_PlayMusic(music, 0));
    for (int i = 0; i < 1000 && !app->Ended; ++i)
        SDL_Delay(10); // the mixer's thread runs on real time; a bound, not a measure
    EXPECT_TRUE(app->Ended) << "the end of the track reaches MusicFinished";
    Mix_FreeMusic(music);

    app->Run();
    EXPECT_TRUE(app->AudioOpenAtDone);
    app.reset();
    EXPECT_TRUE(appAliveAtFree) << "the registry is freed before SDL shuts down";
}

TEST(TfwGameApp, AFailingStartLogsTheSdlErrorAndRaises) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    TfwGameApp app;
    try {
        app.InitSDL();
        FAIL() << "InitSDL succeeded without a video driver";
    } catch (const EfwSDLError& e) {
        EXPECT_STREQ(e.what(), "InitSDL failed");
        EXPECT_EQ(Log().LastLine(), "SDLApp::InitSDL: " + e.Reason) << "the reason is SDL's error";
    }
    EXPECT_NE(Log().LastLine(), "SDLApp::InitSDL: Done");
}

TEST(TfwGameApp, NoSoundDeviceIsLoggedOnceAndLeavesTheProgramSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    TfwGameApp app;
    const int before = Log().LinesWritten();
    app.InitSDL();
    EXPECT_TRUE(app.Silent);
    ASSERT_NE(app.Screen, nullptr);
    EXPECT_EQ(Log().LinesWritten() - before, 2) << "the audio's line, then Done";
    EXPECT_EQ(Log().LastLine(), "SDLApp::InitSDL: Done");
    EXPECT_EQ(app.CreateSound(0), nullptr);
    EXPECT_EQ(app.CreateMusic(0), nullptr);
    EXPECT_EQ(app.Resources->Count(), 0);
}

TEST(TfwGameApp, RunAppFreesTheApplicationWhenInitRaises) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    EXPECT_THROW(RunApp<TfwGameApp>(), EfwError);
    EXPECT_EQ(TfwGameApp::Instance(), nullptr);
}

TEST(TfwGameApp, AHeldKeyCountsUpAndWrapsAt255) {
    TfwGameApp app;
    app.InitSDL();
    SetKeyDown(SDLK_a, true);
    for (int expected = 1; expected <= 255; ++expected) {
        app.UpdateKeys();
        ASSERT_EQ(app.Keys[SDLK_a], expected);
        ASSERT_EQ(app.AnyKeyPressed(), expected == 1);
    }
    app.UpdateKeys();
    EXPECT_EQ(app.Keys[SDLK_a], 0);
    EXPECT_TRUE(app.KeyPressed(SDLK_b, false) == false);
    app.UpdateKeys();
    EXPECT_EQ(app.Keys[SDLK_a], 1);
    EXPECT_TRUE(app.AnyKeyPressed()); // reported again every 256 frames
    SetKeyDown(SDLK_a, false);
    app.UpdateKeys();
    EXPECT_EQ(app.Keys[SDLK_a], 0);
    EXPECT_FALSE(app.KeyPressed(600, false)); // beyond the table
}

TEST(TfwGameApp, AKeyPressedAndReleasedBetweenFramesReadsOneForOneFrame) {
    TFakeClock clock;
    TTestApp app;
    app.InitSDL();
    std::vector<int> seen;
    app.MaxFrames = 3;
    app.OnProcess = [&](int) { seen.push_back(app.Keys[SDLK_SPACE]); };
    PushKeyDown(SDLK_SPACE); // the key-down event only: the key is up again
    app.Run();
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 0}));
}

TEST(TfwGameApp, AKeyGoingDownReadsOneThenTwo) {
    TFakeClock clock;
    TTestApp app;
    app.InitSDL();
    std::vector<int> seen;
    app.MaxFrames = 3;
    app.OnProcess = [&](int) { seen.push_back(app.Keys[SDLK_UP]); };
    SetKeyDown(SDLK_UP, true);
    PushKeyDown(SDLK_UP);
    app.Run();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
}

TEST(TfwGameApp, KeyPressedWaitsForTheReleaseAndAQuitDoesNotEndTheWait) {
    TfwGameApp app;
    app.InitSDL();
    EXPECT_FALSE(app.KeyPressed(SDLK_SPACE, true)); // up: false at once

    int delays = 0;
    fwSetClock(nullptr, [&](uint32_t) {
        ++delays;
        if (delays == 1)
            PushQuit();
        if (delays == 3)
            SetKeyDown(SDLK_SPACE, false);
    });
    SetKeyDown(SDLK_SPACE, true);
    app.UpdateKeys();
    EXPECT_TRUE(app.KeyPressed(SDLK_SPACE, true));
    fwSetClock(nullptr, nullptr);
    EXPECT_EQ(delays, 3);
    EXPECT_TRUE(app.Terminated);
    EXPECT_EQ(app.Keys[SDLK_SPACE], 0);
}

TEST(TfwGameApp, EachIterationIsPaddedTo18Milliseconds) {
    EXPECT_EQ(PaddingAfter(5), 13u);
    EXPECT_EQ(PaddingAfter(17), 1u);
    EXPECT_EQ(PaddingAfter(18), 0u);
    EXPECT_EQ(PaddingAfter(20), 0u); // a slow frame is not made up for
}

TEST(TfwGameApp, SecondElapsedGetsTheRealIntervalFromAFreshMark) {
    TFakeClock clock(5000);
    TTestApp app;
    app.MaxFrames = 8;
    app.OnProcess = [&](int) { clock.Now += 300; };
    app.Run();
    // 300 ms of work plus the 1 ms yield per frame: the mark falls due in the
    // fourth frame at 1204 ms and again four frames later.
    EXPECT_EQ(app.Seconds, (std::vector<uint32_t>{1204, 1204}));
    EXPECT_NEAR(app.FPS, 4000.0f / 1204.0f, 1e-4);
    EXPECT_EQ(app.FrameCount, 0);
}

TEST(TfwGameApp, EscapeEndsTheLoopAfterItsFrameAndDoneGameRuns) {
    TFakeClock clock;
    TTestApp app;
    app.InitSDL();
    app.MaxFrames = 1000;
    app.OnProcess = [&](int frame) {
        if (frame == 2)
            SetKeyDown(SDLK_ESCAPE, true);
    };
    app.Run();
    EXPECT_EQ(app.Frames, 3); // seen down by the third frame's key update
    EXPECT_TRUE(app.DoneCalled);
}

TEST(TfwGameApp, QuitEventAndJoystickButtons) {
    TfwGameApp app;
    SDL_Event event = {};
    event.type = SDL_JOYBUTTONDOWN;
    event.jbutton.button = 5;
    app.HandleEvent(event);
    EXPECT_TRUE(app.JoyButtons[5]);
    event.jbutton.button = 32;
    app.HandleEvent(event); // beyond the 32 recorded buttons: nothing
    event.type = SDL_JOYBUTTONUP;
    event.jbutton.button = 5;
    app.HandleEvent(event);
    for (bool b : app.JoyButtons)
        EXPECT_FALSE(b);
    event.type = SDL_QUIT;
    app.HandleEvent(event);
    EXPECT_TRUE(app.Terminated);
}

TEST(TfwGameApp, HandheldButtonsBecomeKeysAndADiagonalHoldsTwoArrows) {
    bool buttons[32] = {};
    uint8_t state[SDLK_LAST] = {};
    state[SDLK_RIGHT] = 1;  // stale: the table marks its keys up first
    state[SDLK_ESCAPE] = 1; // not in the table: left alone
    buttons[1] = true;      // up-left
    buttons[13] = true;     // B
    fwApplyButtons(buttons, state, SDLK_LAST);
    EXPECT_EQ(state[SDLK_UP], 1);
    EXPECT_EQ(state[SDLK_LEFT], 1);
    EXPECT_EQ(state[SDLK_RIGHT], 0);
    EXPECT_EQ(state[SDLK_DOWN], 0);
    EXPECT_EQ(state[SDLK_b], 1);
    EXPECT_EQ(state[SDLK_ESCAPE], 1);

    bool all[32] = {};
    for (int i = 0; i < 18; ++i)
        all[i] = true;
    uint8_t full[SDLK_LAST] = {};
    fwApplyButtons(all, full, SDLK_LAST);
    int down = 0;
    for (uint8_t s : full)
        down += s;
    EXPECT_EQ(down, 14); // fourteen keys, none of them Escape
    EXPECT_EQ(full[SDLK_ESCAPE], 0);

    const std::vector<std::pair<int, SDLKey>> single = {
        {8, SDLK_RETURN}, {9, SDLK_SPACE}, {10, SDLK_l},  {11, SDLK_r}, {12, SDLK_a},
        {14, SDLK_x},     {15, SDLK_y},    {16, SDLK_2},  {17, SDLK_1}, {4, SDLK_DOWN},
        {6, SDLK_RIGHT},  {0, SDLK_UP},    {2, SDLK_LEFT}};
    for (auto [button, key] : single) {
        bool one[32] = {};
        one[button] = true;
        uint8_t s[SDLK_LAST] = {};
        fwApplyButtons(one, s, SDLK_LAST);
        EXPECT_EQ(s[key], 1) << "button " << button;
    }
}

// A sound device that takes sound faster than it plays it: 88 bytes a millisecond.
TEST(TfwGameApp, ASoundDeviceOutrunsTimeOnlyFarAndSteadilyAhead) {
    const struct {
        uint32_t MixedMs, ElapsedMs;
        bool Outruns;
    } rows[] = {
        {1200, 1000, false},       // a real device: its buffer ahead
        {3000, 500, true},         // the null device, half a second after opening
        {3636000, 3600000, false}, // SDL's dummy device, 1 % fast, after an hour
        {200000, 100000, true},    // twice as fast as it plays
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.Outruns,
                  fwAudioOutrunsTime(uint64_t{r.MixedMs} * kfwAudioBytesPerMs, r.ElapsedMs))
            << r.MixedMs << " ms mixed in " << r.ElapsedMs << " ms";
}
