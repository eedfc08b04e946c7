// The main loop, the one body every host runs: the start-up's steps, then
// iterations of input, a frame and a pause padding it to a frame period; and
// the clock it runs on.
#pragma once

#include <cstdint>
#include <functional>

class TfwGameApp;

// The millisecond clock (SDL_GetTicks) and sleep (SDL_Delay) that the main loop
// and the sprite animations use. Tests put a stepped clock in their place; an
// empty function restores SDL's.
using TfwTicksFunc = std::function<uint32_t()>;
using TfwDelayFunc = std::function<void(uint32_t ms)>;
uint32_t fwGetTicks();
void fwDelay(uint32_t ms);
void fwSetClock(TfwTicksFunc ticks, TfwDelayFunc delay);

// Every iteration of the main loop lasts at least this long, in ms (about 55
// frames a second); the test harnesses and the benchmark step their clocks by it.
inline constexpr uint32_t kfwFramePeriodMs = 18;

// What the host lets the loop do while it runs.
enum class TfwLoopHost {
    // A host that calls the program once per displayed frame and lets
    // nothing wait inside a call: a browser page's animation frames.
    Page,
    // A host where a call may wait (the desktop, the handheld): the loop
    // sleeps its pauses, a key taken with KeyPressed(key, true) waits inside
    // its frame, and the loop rests between iterations.
    Waiting,
};

// Runs what TfwGameApp::Init's start-up and Run run, in their order: the
// start-up steps left (StartStep), then the iterations, each padded to
// kfwFramePeriodMs (TfwGameApp::StartLoop, then BeginIteration,
// ComputeFrame, ShowFrame, CountFrame, EndIteration). Every pause is the loop's own:
// - on a waiting host (RunIterations) every pause is slept (fwDelay), each
//   frame runs whole (TfwGameApp::RunIteration: the frame's 1 ms yield and
//   the wait for a taken key inside it), and after each iteration's padding
//   the host paces its sound and rests (TfwGameApp::PaceAudio, Rest);
// - on a page a key a frame took with KeyPressed(key, true) holds the loop
//   inside that frame until it is released, without drawing; the frame then
//   ends as it would have;
// - on the page's clock (Granted empty) each call of AnimationFrame runs one
//   start-up step, or one poll of a held key, or the iteration that is due,
//   at most one; iterations are due a frame period apart, and after a gap of
//   more than a period (a hidden page, a slow frame) the schedule restarts
//   from now, without making up for the frames missed;
// - on a stepped clock every pause (the start-up steps', the frame's 1 ms,
//   the padding, the 1 ms polls of a held key) is asked of Granted, and
//   fwDelay moves the clock by it, so the clock reads as on a waiting host;
//   Continue runs on until a pause is refused and runs from there next time.
// On the page's clock the loop also tells how long the page may go without
// animation frames (RestMs): after a frame that took no input and sent no
// changed picture, until the game's next change or its once-a-second hook,
// as a waiting host rests (TfwGameApp::QuietFor).
// The application is not owned and must outlive the loop.
class TfwFrameLoop {
public:
    explicit TfwFrameLoop(TfwGameApp& app, TfwLoopHost host = TfwLoopHost::Page);

    // Stepped clock: may the clock move on by ms now? Empty: the page's clock.
    std::function<bool(uint32_t ms)> Granted;
    // Page's clock: hands the page's input to SDL; called first in every
    // animation frame.
    std::function<void()> Input;

    // One animation frame on the page's clock (fwGetTicks).
    void AnimationFrame();
    // Stepped clock: runs until a pause is refused.
    void Continue();
    // Waiting host: runs until the game has ended (Terminated), sleeping
    // every pause; DoneGame is left to End.
    void RunIterations();
    // Waiting host, once RunIterations returned: DoneGame.
    void End();
    // The game ended (Terminated): DoneGame has run and nothing runs any more.
    bool Ended() const { return stage_ == TStage::Ended; }
    // The start-up's steps (the loading bar) are done: the game's frames run.
    bool Started() const { return stage_ != TStage::Start; }
    // The presenter's report: the running frame sent a changed picture.
    void PictureSent() { pictureSent_ = true; }
    // After AnimationFrame: ms the page may let pass before the next one
    // unless input comes first; 0 asks for the next animation frame. Always
    // 0 on a stepped clock, whose frames are the test's grants.
    uint32_t RestMs() const { return rest_; }

private:
    enum class TStage { Start, Begin, Hold, Show, Count, Rest, Done, Ended };

    TfwGameApp& app_;
    TfwLoopHost host_;
    TStage stage_ = TStage::Start;
    uint32_t pause_ = 0;       // ms owed before the stage runs (stepped, waiting)
    uint32_t due_ = 0;         // page's clock: when the next iteration is due
    bool scheduled_ = false;   // due_ holds a time
    bool pictureSent_ = false; // the running frame sent a changed picture
    uint32_t rest_ = 0;        // RestMs's answer

    // Runs the stage; false when the animation frame ends with it.
    bool RunStage();
    bool Start();
    bool Begin();
    bool Hold();
    void Finish();
    void Pad();
    void Rest();
    // The page's clock: no Granted, no waiting.
    bool OnPageClock() const { return host_ == TfwLoopHost::Page && !Granted; }
};
