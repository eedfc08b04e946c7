#include "fwFrameLoop.h"

#include "fwGameApp.h"

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
