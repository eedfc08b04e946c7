#include "fwFrameLoop.h"

#include "fwConfig.h"
#include "fwGameApp.h"
#include "fwPlatform.h"
#include "fwRest.h"

#include <algorithm>
#include <utility>

namespace {

TfwTicksFunc ticksFunc;
TfwDelayFunc delayFunc;

// The once-a-second hook's period.
constexpr uint32_t kSecondMs = 1000;

} // namespace

uint32_t fwGetTicks() {
    return ticksFunc ? ticksFunc() : SDL_GetTicks();
}

void fwDelay(uint32_t ms) {
    if (delayFunc)
        delayFunc(ms);
    else
        SDL_Delay(ms);
}

void fwSetClock(TfwTicksFunc ticks, TfwDelayFunc delay) {
    ticksFunc = std::move(ticks);
    delayFunc = std::move(delay);
}

// --- The application's side of the loop ---

void TfwGameApp::Run() {
    platform_->Run(*this);
}

void TfwGameApp::StartLoop() {
    Terminated = false;
    FrameCount = 0;
    SecondMark = fwGetTicks();
    FrameTime = 0;
}

void TfwGameApp::RunIteration() {
    BeginIteration();
    DoFrame();
    EndIteration();
}

void TfwGameApp::BeginIteration() {
    iterationStart_ = fwGetTicks();
    UpdateKeys();
    PollEvents();
    // What a frame's input changes shows in the next frame: it is no rest yet.
    iterationInput_ = AnyKeyPressed() || !PointerEvents.empty() || !TypedChars.empty();
    pictureSent_ = false;
}

void TfwGameApp::EndIteration() {
    FrameTime = fwGetTicks() - iterationStart_;
    quietFrame_ = !iterationInput_ && !pictureSent_;
    if ((KeyPressed(SDLK_ESCAPE, false) && EscapeEndsProgram()) || fwEndRequested())
        Quit();
}

void TfwGameApp::DoFrame() {
    ComputeFrame();
    ShowFrame();
    fwDelay(1); // give the processor away once per frame
    CountFrame();
}

void TfwGameApp::ComputeFrame() {
    SDL_Surface* s = GetSurface();
    UpdateFrame(s);
    DrawFrame(s);
    ProcessFrame(s);
}

void TfwGameApp::ShowFrame() {
    PointerEvents.clear();
    TypedChars.clear();
    Flip();
}

void TfwGameApp::CountFrame() {
    ++FrameCount;
    uint32_t elapsed = fwGetTicks() - SecondMark;
    if (elapsed >= kSecondMs) {
        FPS = static_cast<float>(FrameCount) * 1000.0f / static_cast<float>(elapsed);
        FrameCount = 0;
        // A fresh reading: lateness is not carried into the next interval.
        SecondMark = fwGetTicks();
        SecondElapsed(elapsed);
    }
    EndFrame();
}

void TfwGameApp::Rest() {
    if constexpr (kHandheld)
        return;
    // The pad gives no file descriptor to wait on: it is polled every frame.
    if (!quietFrame_ || Joystick != nullptr)
        return;
    const uint32_t now = fwGetTicks();
    const uint32_t ms = QuietFor(now);
    if (ms == 0)
        return;
    // Events SDL has read already would never wake the wait.
    SDL_Event event;
    SDL_PumpEvents();
    if (SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0)
        return;
    fwRest(ms);
}

uint32_t TfwGameApp::QuietFor(uint32_t now) const {
    if (Terminated || fwEndRequested())
        return 0;
    for (uint8_t k : Keys)
        if (k != 0)
            return 0; // a held key counts every frame
    const uint32_t sinceMark = now - SecondMark;
    if (sinceMark >= kSecondMs)
        return 0;
    // The once-a-second hook keeps its pace: the game's clock and idle count.
    return std::min(UntilNextChange(now), kSecondMs - sinceMark);
}

// --- The loop ---

TfwFrameLoop::TfwFrameLoop(TfwGameApp& app, TfwLoopHost host) : app_(app), host_(host) {
    app_.WaitInFrame = host_ == TfwLoopHost::Waiting;
}

void TfwFrameLoop::Continue() {
    while (stage_ != TStage::Ended) {
        if (pause_ > 0) {
            if (!Granted || !Granted(pause_))
                return;
            const uint32_t ms = pause_;
            pause_ = 0;
            fwDelay(ms); // moves the stepped clock and hands over the input meanwhile
        }
        RunStage();
    }
}

void TfwFrameLoop::RunIterations() {
    while (stage_ != TStage::Done && stage_ != TStage::Ended) {
        RunStage();
        if (pause_ > 0) {
            const uint32_t ms = pause_;
            pause_ = 0;
            fwDelay(ms);
        }
    }
}

void TfwFrameLoop::End() {
    if (stage_ == TStage::Done)
        RunStage();
}

void TfwFrameLoop::AnimationFrame() {
    if (Input)
        Input();
    // The pauses of a stepped clock have no place here: an animation frame
    // ends where the iteration would pause between frames.
    pause_ = 0;
    rest_ = 0;
    while (stage_ != TStage::Ended && RunStage()) {
    }
}

bool TfwFrameLoop::RunStage() {
    switch (stage_) {
    case TStage::Start:
        return Start();
    case TStage::Begin:
        return Begin();
    case TStage::Hold:
        return Hold();
    case TStage::Show:
        app_.ShowFrame();
        pause_ = 1; // DoFrame's yield
        stage_ = TStage::Count;
        return true;
    case TStage::Count:
        Finish();
        return false;
    case TStage::Rest:
        Rest();
        return true;
    case TStage::Done:
        app_.DoneGame();
        stage_ = TStage::Ended;
        return false;
    case TStage::Ended:
        break;
    }
    return false;
}

bool TfwFrameLoop::Start() {
    if (const auto shown = app_.StartStep()) {
        pause_ = *shown;
        return false; // one step per animation frame
    }
    app_.StartLoop();
    stage_ = TStage::Begin;
    return true;
}

bool TfwFrameLoop::Begin() {
    if (OnPageClock()) {
        const uint32_t now = fwGetTicks();
        if (scheduled_ && static_cast<int32_t>(now - due_) < 0)
            return false; // not due yet
        // A gap longer than a period (a hidden page, a slow frame): the
        // schedule starts again from now.
        if (!scheduled_ || now - due_ > kfwFramePeriodMs)
            due_ = now;
        due_ += kfwFramePeriodMs;
        scheduled_ = true;
    }
    if (host_ == TfwLoopHost::Waiting) {
        app_.RunIteration(); // the whole frame: its waits happen inside
        Pad();
        return true;
    }
    app_.BeginIteration();
    pictureSent_ = false;
    app_.ComputeFrame();
    stage_ = TStage::Hold;
    return true;
}

bool TfwFrameLoop::Hold() {
    if (!app_.AwaitsRelease()) {
        stage_ = TStage::Show;
        return true;
    }
    pause_ = 1;
    return false; // polled again after a pause, or in the next animation frame
}

void TfwFrameLoop::Finish() {
    app_.CountFrame();
    app_.EndIteration();
    Pad();
    rest_ = 0;
    if (OnPageClock() && !app_.Terminated && app_.QuietFrame() && !pictureSent_)
        rest_ = app_.QuietFor(fwGetTicks());
}

// The pause that pads the iteration to a frame period; a slow frame is not
// made up for.
void TfwFrameLoop::Pad() {
    pause_ = app_.FrameTime < kfwFramePeriodMs ? kfwFramePeriodMs - app_.FrameTime : 0;
    stage_ = TStage::Rest;
}

void TfwFrameLoop::Rest() {
    if (host_ == TfwLoopHost::Waiting) {
        app_.PaceAudio();
        app_.Rest();
    }
    stage_ = app_.Terminated ? TStage::Done : TStage::Begin;
}
