#include "fwFrameLoop.h"
#include "fwGameApp.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace {

// An application that logs its start-up steps, frames, pictures, seconds and
// taken keys with the clock's reading; Space is taken with a wait for its release.
class TLoopApp : public TfwGameApp {
public:
    std::vector<std::string> Events;
    int Steps = 2;
    int Frames = 0;
    int MaxFrames = 1000;
    uint32_t NextChange = 0;       // UntilNextChange's answer
    TfwFrameLoop* Shows = nullptr; // told of every flip while Changing
    bool Changing = false;

    void Note(const std::string& what) {
        Events.push_back(what + "@" + std::to_string(fwGetTicks()));
    }
    std::optional<uint32_t> StartStep() override {
        if (Steps == 0)
            return std::nullopt;
        --Steps;
        Note("step");
        return 25;
    }
    void ProcessFrame(SDL_Surface*) override {
        Note("frame");
        if (KeyPressed(SDLK_SPACE, true))
            Events.emplace_back("take"); // acts after the release, or before the held frames
        if (++Frames >= MaxFrames)
            Quit();
    }
    void Flip() override {
        Note("flip");
        if (Shows != nullptr && Changing)
            Shows->PictureSent();
    }
    uint32_t UntilNextChange(uint32_t) const override { return NextChange; }
    void SecondElapsed(uint32_t elapsed) override { Note("second " + std::to_string(elapsed)); }
    void DoneGame() override { Note("done"); }
};

// Space held from one clock reading to another, as SDL sees it.
void HoldSpace(TFakeClock& clock, uint32_t down, uint32_t up) {
    clock.OnDelay = [&clock, down, up] {
        if (clock.Now >= down && clock.Now < up && !SDL_GetKeyState(nullptr)[SDLK_SPACE]) {
            SetKeyDown(SDLK_SPACE, true);
            PushKeyDown(SDLK_SPACE);
        }
        if (clock.Now >= up)
            SetKeyDown(SDLK_SPACE, false);
    };
}

} // namespace

// On a stepped clock the loop runs what Init's steps and Run run, pause for
// pause: the same frames at the same clock readings, a short and a long hold
// of a taken key included.
TEST(TfwFrameLoop, SteppedClockRunsWhatRunRuns) {
    std::vector<std::string> run;
    for (const uint32_t up : {1105u, 1190u}) {
        SCOPED_TRACE(up);
        {
            TFakeClock clock;
            HoldSpace(clock, 1100, up);
            TLoopApp app;
            app.MaxFrames = 70;
            while (const auto shown = app.StartStep())
                fwDelay(*shown);
            app.Run();
            run = app.Events;
            ReleaseAllKeys();
        }
        TFakeClock clock;
        HoldSpace(clock, 1100, up);
        TLoopApp app;
        app.MaxFrames = 70;
        TfwFrameLoop loop(app);
        uint32_t granted = 0;
        loop.Granted = [&granted](uint32_t ms) {
            return granted >= ms ? (granted -= ms, true) : false;
        };
        for (int grant = 0; !loop.Ended() && grant < 1000; ++grant) {
            granted += kfwFramePeriodMs; // the web test's grants: one frame's time at a time
            loop.Continue();
        }
        EXPECT_EQ(app.Events, run);
        EXPECT_NE(std::find(run.begin(), run.end(), "take"), run.end());
        ReleaseAllKeys();
    }
}

// On the page's clock: one start-up step per animation frame, then the frame
// that is due, at most one per animation frame (about 55 a second at 60 Hz);
// after a gap the schedule starts again without making up for it; while a
// taken key is held no frame is drawn.
TEST(TfwFrameLoop, PageClockRunsTheDueFrameAtMostOnce) {
    TFakeClock clock(0);
    TLoopApp app;
    TfwFrameLoop loop(app);
    int inputs = 0;
    loop.Input = [&inputs] { ++inputs; };
    auto animationFrame = [&](uint32_t at) {
        clock.Now = at;
        const int before = app.Frames;
        loop.AnimationFrame();
        return app.Frames - before;
    };
    EXPECT_EQ(animationFrame(0), 0);
    EXPECT_EQ(animationFrame(16), 0);
    EXPECT_EQ(app.Steps, 0);
    EXPECT_EQ(animationFrame(33), 1); // the start is complete: the first frame
    int frames = 0;
    for (int i = 3; i < 63; ++i) { // one second at 60 Hz
        const int ran = animationFrame(static_cast<uint32_t>(i * 1000 / 60));
        EXPECT_LE(ran, 1);
        frames += ran;
    }
    EXPECT_NEAR(frames, 55, 1);
    EXPECT_EQ(inputs, 63);

    EXPECT_EQ(animationFrame(2000), 1); // a hidden page comes back
    EXPECT_EQ(animationFrame(2016), 0);
    EXPECT_EQ(animationFrame(2033), 1);

    SetKeyDown(SDLK_SPACE, true);
    PushKeyDown(SDLK_SPACE);
    EXPECT_EQ(animationFrame(2050), 1);
    const size_t taken = app.Events.size();
    EXPECT_EQ(app.Events.back(), "take"); // and held: the frame is not shown yet
    EXPECT_EQ(animationFrame(2066), 0);
    EXPECT_EQ(animationFrame(2083), 0);
    SetKeyDown(SDLK_SPACE, false);
    EXPECT_EQ(animationFrame(2100), 0);
    const std::vector<std::string> after(app.Events.begin() + static_cast<std::ptrdiff_t>(taken),
                                         app.Events.end());
    EXPECT_EQ(after.front(), "flip@2100"); // released: the frame ends
    EXPECT_EQ(std::count(after.begin(), after.end(), "frame@2100"), 0);
    EXPECT_EQ(animationFrame(2116), 1);
}

// On the page's clock a frame without input or a changed picture lets the
// page rest until the game's next change or the second's hook, whichever is
// first; never while a key is held, and never on a stepped clock.
TEST(TfwFrameLoop, PageClockRestsAfterAQuietFrame) {
    TFakeClock clock(0);
    TLoopApp app;
    app.Steps = 0;
    TfwFrameLoop loop(app);
    app.Shows = &loop;
    auto restAfterFrame = [&](uint32_t at) {
        clock.Now = at;
        const int before = app.Frames;
        loop.AnimationFrame();
        EXPECT_EQ(app.Frames - before, 1) << at;
        return loop.RestMs();
    };
    app.NextChange = kfwNoChangeDue;
    restAfterFrame(0); // the loop starts: its seconds count from 0
    EXPECT_EQ(restAfterFrame(100), 900u) << "rests until the second's hook";
    app.NextChange = 300;
    EXPECT_EQ(restAfterFrame(200), 300u);
    app.NextChange = 0;
    EXPECT_EQ(restAfterFrame(300), 0u) << "something moves";
    app.NextChange = kfwNoChangeDue;
    app.Changing = true;
    EXPECT_EQ(restAfterFrame(400), 0u) << "the picture changed";
    app.Changing = false;
    SetKeyDown(SDLK_a, true);
    PushKeyDown(SDLK_a);
    EXPECT_EQ(restAfterFrame(500), 0u) << "input came";
    EXPECT_EQ(restAfterFrame(600), 0u) << "a key is held";
    SetKeyDown(SDLK_a, false);
    EXPECT_EQ(restAfterFrame(800), 200u);
    EXPECT_EQ(restAfterFrame(1000), 1000u) << "the hook ran: the next second";

    uint32_t granted = 10 * kfwFramePeriodMs;
    loop.Granted = [&granted](uint32_t ms) {
        return granted >= ms ? (granted -= ms, true) : false;
    };
    loop.Continue();
    EXPECT_EQ(loop.RestMs(), 0u) << "a stepped clock never rests";
}
