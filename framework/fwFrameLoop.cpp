#include "fwFrameLoop.h"

#include "fwGameApp.h"

TfwFrameLoop::TfwFrameLoop(TfwGameApp& app) : app_(app) {
    app_.WaitInFrame = false;
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
        if (!Granted) {
            const uint32_t now = fwGetTicks();
            if (scheduled_ && static_cast<int32_t>(now - due_) < 0)
                return false; // not due yet
            // A gap longer than a period (a hidden page, a slow frame):
            // the schedule starts again from now.
            if (!scheduled_ || now - due_ > kfwFramePeriodMs)
                due_ = now;
            due_ += kfwFramePeriodMs;
            scheduled_ = true;
        }
        Begin();
        return true;
    case TStage::Hold:
        if (!app_.AwaitsRelease()) {
            stage_ = TStage::Show;
            return true;
        }
        pause_ = 1;
        return false; // polled again after a pause, or in the next animation frame
    case TStage::Show:
        app_.ShowFrame();
        pause_ = 1; // DoFrame's pause
        stage_ = TStage::Count;
        return true;
    case TStage::Count:
        Finish();
        return false;
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
    // Run's start of the loop.
    app_.Terminated = false;
    app_.FrameCount = 0;
    app_.SecondMark = fwGetTicks();
    app_.FrameTime = 0;
    stage_ = TStage::Begin;
    return true;
}

void TfwFrameLoop::Begin() {
    frameStart_ = fwGetTicks();
    app_.UpdateKeys();
    app_.PollEvents();
    // What a frame's input changes shows in the next frame: it is no rest yet.
    input_ = app_.AnyKeyPressed() || !app_.PointerEvents.empty() || !app_.TypedChars.empty();
    pictureSent_ = false;
    app_.ComputeFrame();
    stage_ = TStage::Hold;
}

void TfwFrameLoop::Finish() {
    app_.CountFrame();
    app_.EndIteration(frameStart_);
    pause_ = app_.FrameTime < kfwFramePeriodMs ? kfwFramePeriodMs - app_.FrameTime : 0;
    stage_ = app_.Terminated ? TStage::Done : TStage::Begin;
    rest_ = 0;
    if (!Granted && stage_ == TStage::Begin && !input_ && !pictureSent_)
        rest_ = app_.QuietFor(fwGetTicks());
}
