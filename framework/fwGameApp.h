// The application frame: the one application object, SDL's start-up and the
// hooks of every frame, the window and its presentation (fwVideo.cpp), the
// player's input (fwInput.cpp), the sound device (fwAudio.cpp), the main loop
// (fwFrameLoop.cpp) and the media factories; what differs between the hosts
// it runs on is its platform's (fwPlatform.h).
#pragma once

#include "fwAudio.h"
#include "fwCommandLine.h"
#include "fwConfig.h"
#include "fwFrameLoop.h"
#include "fwInput.h"
#include "fwLanguage.h"
#include "fwPlatform.h"
#include "fwResource.h"
#include "fwRest.h"
#include "fwVideo.h"

#include <SDL.h>

#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TfwFont;
class TfwSDLImage;
class TfwSDLImages;
class TfwSDLMusic;
class TfwSDLSound;

// A start-up failure of SDL: the fixed message, and SDL's own error text.
class EfwSDLError : public EfwError {
public:
    EfwSDLError(const std::string& message, std::string reason);
    std::string Reason; // SDL_GetError at the failure
};

class TfwGameApp {
public:
    // commandLine: what the program's command line asked for, read once
    // (fwParseCommandLine). Throws EfwError("SDLApp already exists") when an
    // instance exists.
    explicit TfwGameApp(TfwCommandLine commandLine = {});
    virtual ~TfwGameApp();
    TfwGameApp(const TfwGameApp&) = delete;
    TfwGameApp& operator=(const TfwGameApp&) = delete;

    // The one application object, or nullptr.
    static TfwGameApp* Instance();

    // An argument as an option line: trimmed, leading "-" then "/" removed,
    // "=1" appended when it holds no "=". For the web page's own options,
    // which the page takes before the command line is read.
    static std::string ParseOption(const std::string& arg);

    SDL_Surface* Screen = nullptr;     // not owned: SDL releases it
    SDL_Surface* BackBuffer = nullptr; // owned
    // What the command line asked for. A refused line (Error set; the program
    // itself ends on one) asks for nothing, and InitSDL names it in the log.
    TfwCommandLine CommandLine;
    std::unique_ptr<TfwResourceManager> Resources; // owns every factory-made medium
    // The desktop always draws into a 320 x 240 x 16 back buffer that Flip
    // presents scaled; the handheld draws straight onto its screen.
    bool UseBackBuffer = !kHandheld;
    uint32_t VideoFlags = 0;
    const SDL_VideoInfo* VideoInfo = nullptr;
    int32_t FrameCount = 0;
    uint8_t Keys[kfwKeyLimit] = {}; // 0 up, 1 went down this frame, n held n updates (wraps)
    bool Terminated = false;
    uint32_t SecondMark = 0;
    float FPS = 0;
    uint32_t FrameTime = 0; // ms of work in the last iteration
    int32_t KeyCount = 0;
    int32_t JoystickCount = 0;
    SDL_Joystick* Joystick = nullptr; // never closed: SDL_Quit does that
    bool JoyButtons[32] = {};
    // No sound device could be opened: the program goes on without sound, the
    // factories make no sounds or music, and no mixer function is called after
    // the failed opening (SDL_mixer divides by its channel count, 0 then).
    bool Silent = false;
    // Desktop only: joystick 0's first hat and first two axes as last reported.
    uint8_t JoyHat = SDL_HAT_CENTERED;
    int16_t JoyAxes[2] = {};
    // Desktop only: the mouse buttons of this frame, oldest first; what the
    // frame's ProcessFrame leaves unread is dropped, as a key press would be.
    std::vector<TfwPointerEvent> PointerEvents;
    // Plays by touch: from a finger's press until the next key pressed on a
    // keyboard (the phone's keyboard for typing does not count), so that the
    // screens name taps instead of keys.
    bool TouchPlayer = false;
    // Desktop only: the characters typed in this frame (UTF-16 code units of
    // SDL's key-down events, Backspace as kfwBackspace), oldest first, so fast
    // typing loses none; dropped after the frame as the pointer events are.
    // Pad buttons type nothing.
    std::vector<uint16_t> TypedChars;

    // Desktop presentation. Each picture pixel is Scale x Scale window pixels;
    // the picture's top-left sits at (PictureX, PictureY) of the window, which
    // is non-zero only in fullscreen with its black border.
    int32_t Scale = 1;
    int32_t PictureX = 0, PictureY = 0;
    int32_t WindowScale = 1; // the scale of the window mode (CommandLine.Scale)
    bool Fullscreen = false; // CommandLine.Fullscreen; F11 and Alt+Return toggle it
    // Set before InitSDL: the window's scale unless the command line names one; 0
    // for the largest that fits about 85 % of the desktop.
    int32_t StartScale = 0;
    // The window's size once the player has resized it; 0 while it is the
    // picture at WindowScale.
    int32_t WindowWidth = 0, WindowHeight = 0;
    // Set before InitSDL: the window's title and the picture file of its icon
    // (any format SDL_image reads), given to the window manager before the
    // window opens. Empty: none.
    std::string WindowTitle;
    std::string WindowIconFile;
    int32_t DesktopWidth = 0;  // the desktop's size in pixels, read before the
    int32_t DesktopHeight = 0; // first mode is set; 0 when the driver does not say
    // Bits per pixel of the desktop, read with its size. A desktop of 24 or
    // 32 bits gets a window of its own depth, which the picture is scaled into
    // directly; any other (or the page) a 16-bit window, as the picture is.
    int32_t DesktopDepth = 0;

    // Starts SDL and opens the screen; failures raise EfwSDLError. A sound
    // device that cannot be opened is logged once and leaves the program Silent.
    virtual void InitSDL();
    virtual void InitGame() {}
    virtual void DoneGame() {}
    virtual void ClearScreen();
    virtual void Flip();
    virtual void SecondElapsed(uint32_t elapsed) { (void)elapsed; }
    // One frame where calls may wait: ComputeFrame, ShowFrame, the frame's
    // 1 ms yield (fwDelay), CountFrame.
    virtual void DoFrame();
    // Called last in every frame, after its count, by DoFrame and by the
    // page's loop alike.
    virtual void EndFrame() {}
    virtual void HandleEvent(const SDL_Event& event);
    virtual void UpdateFrame(SDL_Surface* surface) { (void)surface; }
    virtual void DrawFrame(SDL_Surface* surface) { (void)surface; }
    virtual void ProcessFrame(SDL_Surface* surface) { (void)surface; }
    // Called on SDL_mixer's audio thread when a piece of music has ended (on
    // a page between its animation frames).
    virtual void MusicFinished() {}
    // Milliseconds from now (fwGetTicks) until the picture or the rules next
    // change by themselves: 0 while something moves or counts every frame,
    // kfwNoChangeDue when only input changes them. The desktop's loop rests
    // that long (at most to the next once-a-second hook) unless input comes
    // first. The base answers 0: a frame every period.
    virtual uint32_t UntilNextChange(uint32_t now) const {
        (void)now;
        return 0;
    }
    // Desktop: the window lost the keyboard focus or was minimised. Web: the
    // browser's window lost the focus, or the page went out of sight.
    virtual void WindowDeactivated() {}
    // The host may end the program without another word: a page went out of
    // sight (another tab, the window minimised, the screen off) or is being
    // closed or reloaded. The game stores what must not be lost now: the page
    // may never run again. It runs on when the page is back, on the screen it
    // was on.
    virtual void PageHidden() {}
    // Are the files the program saves kept for its next run? The platform's
    // answer (TfwPlatform::FilesKept).
    virtual bool FilesKept() const;
    // May the player end the program (a page has no end), and does it switch
    // its window to fullscreen itself? The platform's answers
    // (TfwPlatform::ProgramEnds, SwitchesFullscreen), asked by the menus
    // that offer them.
    virtual bool PlayerMayQuit() const;
    virtual bool PlayerMaySwitchFullscreen() const;
    // Hands the window's icon to the window manager (SDL_WM_SetIcon); the
    // picture stays the caller's.
    virtual void SetWindowIcon(SDL_Surface* icon);
    virtual void Init(bool doInitSDL);
    // The start-up's work left after InitGame, one step at a time (the
    // loading bar): does the next step and answers how long (ms) its picture
    // stands before the next, or nothing once the start is complete. The
    // main loop runs the steps left before its first frame (on a page one
    // per animation frame).
    virtual std::optional<uint32_t> StartStep() { return std::nullopt; }
    // Where calls may wait (TfwPlatform::CallsMayWait): runs the start-up's
    // steps now, one after another, each picture standing its time (fwDelay).
    // Elsewhere nothing: the page's loop runs them.
    void FinishStart();
    // Ends the main loop, where the program ends (TfwPlatform::ProgramEnds):
    // a page has no program to end, and there it does nothing.
    virtual void Quit();
    // Escape ends the program after the frame in which it goes down, unless
    // the game answers false here at that moment: then Escape is the game's key.
    virtual bool EscapeEndsProgram() const { return true; }
    // The main loop (TfwFrameLoop), as the platform runs it
    // (TfwPlatform::Run): the start-up's steps left, then iterations, each
    // padded to at least kfwFramePeriodMs and followed by PaceAudio and
    // Rest, until Terminated; SIGTERM (on the desktop SIGINT and SIGHUP as
    // well) meanwhile ends it as the window's close button does. Then
    // DoneGame, which every way of ending passes through, and the sound
    // closes. In a page it hands the application to the page's loop and returns.
    virtual void Run();
    // Desktop: sleeps (fwRest) while nothing can change: the last frame took
    // no input and showed nothing new, no key or pad held, no event waiting in
    // SDL, and UntilNextChange not 0; at most to the next once-a-second hook.
    // On the handheld, and with a pad open, it returns at once.
    void Rest();
    // After a quiet frame (no input, no changed picture): ms from now (the
    // clock's reading) the game may go without frames: until UntilNextChange
    // or the once-a-second hook, whichever is first; 0 while a key is held,
    // once the second is due, or when the program is to end. The page's loop
    // rests on it (TfwFrameLoop::RestMs).
    uint32_t QuietFor(uint32_t now) const;
    // Did the last iteration take no input and send no changed picture?
    bool QuietFrame() const { return quietFrame_; }
    // Where the sound device may outrun time (TfwPlatform::AudioMayOutrunTime):
    // leaves a device that takes sound faster than it plays it for SDL's
    // dummy device (one log line); a device that paces itself is kept.
    void PaceAudio();
    // Closes the sound device at the end of the main loop (none when Silent).
    void CloseAudio();
    // One iteration of the main loop without its padding, as a host where
    // calls may wait runs it: BeginIteration, DoFrame, EndIteration.
    // FrameTime holds the ms of work. The test harnesses and the benchmark
    // drive the game with it.
    void RunIteration();
    // The main loop's start, once the start-up's steps are done: not
    // Terminated, the frame count and FrameTime at 0, the second's mark now.
    void StartLoop();
    // An iteration's start: its clock reading, the key counters and the
    // pending events.
    void BeginIteration();
    // An iteration's end: FrameTime, whether the frame was quiet, then the
    // Escape and SIGTERM test.
    void EndIteration();
    // DoFrame's parts, in its order, for a loop that pauses between them:
    // UpdateFrame, DrawFrame and ProcessFrame; dropping the frame's pointer
    // events and typed characters and Flip; the frame count, SecondElapsed
    // and EndFrame.
    void ComputeFrame();
    void ShowFrame();
    void CountFrame();
    // KeyPressed(key, true) waits inside the frame for the key's release. A
    // loop that cannot wait there (a page's TfwFrameLoop) clears it: the key
    // then answers at once, and the loop waits with AwaitsRelease.
    bool WaitInFrame = true;
    // Polls the keys and events once, as KeyPressed's wait does, and answers
    // whether a key taken with KeyPressed(key, true) is still held. False,
    // without polling, when none was taken.
    bool AwaitsRelease();

    // Media factories: a new, unloaded resource registered in Resources, which
    // owns it; the caller keeps a plain reference. Sounds and music: nullptr
    // when Silent.
    virtual TfwFont* CreateFont(int32_t size, int32_t tag);
    virtual TfwSDLImage* CreateImage(TfwSDLImages* images, int32_t tag);
    virtual TfwSDLMusic* CreateMusic(int32_t tag);
    virtual TfwSDLSound* CreateSound(int32_t tag);

    // BackBuffer when set, else Screen.
    SDL_Surface* GetSurface() const { return BackBuffer != nullptr ? BackBuffer : Screen; }
    // Refreshes Keys from SDL's key state; called once per loop iteration.
    void UpdateKeys();
    // Is the key down this frame? With waitRelease, waits (events handled, no
    // frames) until it is released before answering true.
    bool KeyPressed(uint16_t key, bool waitRelease);
    // Did some key, pad control or action go down in this frame (a counter of exactly 1)?
    bool AnyKeyPressed() const;
    // Every key and pad control down now reads as up until it has been
    // released, and a started action ends: a screen that has just appeared
    // takes only keys pressed on it.
    void IgnoreHeldKeys();
    // Hands every pending SDL event to HandleEvent.
    void PollEvents();

    // The picture pixel under a window position; false on the black border of
    // fullscreen or outside the 320 x 240 picture.
    bool WindowToPicture(int32_t wx, int32_t wy, int32_t& px, int32_t& py) const;
    // Switches between the window and fullscreen and shows the picture again;
    // the window comes back where it stood.
    void ToggleFullscreen();
    // The window at scale (cut to 1 .. kfwMaxScale and to the desktop); in
    // fullscreen the window takes it when it comes back.
    void SetWindowScale(int32_t scale);
    // The player resized the window to width x height: the largest whole
    // scale that fits, centred on black. Ignored in fullscreen.
    void ResizeWindow(int32_t width, int32_t height);
    // The largest whole scale at which the picture fits into width x height; at least 1.
    static int32_t FitScale(int32_t width, int32_t height);
    // scale, or the largest that fits a desktop it would not fit; scale when
    // the desktop's size is unknown (smaller than the picture).
    static int32_t CutToDesktop(int32_t scale, int32_t desktopWidth, int32_t desktopHeight);
    // The controls the desktop pad holds now; none on the handheld, whose
    // buttons reach the keys through fwApplyButtons.
    TfwPadSet PadHeld() const;
    // The desktop pad's controls counted as Keys are: 0 up, 1 went down in
    // this iteration's events (also when let go again before the frame), n
    // held n updates.
    uint8_t PadCounts[kfwPadControls] = {};

    // The host's services (the platform the build was made for).
    TfwPlatform& Platform() const { return *platform_; }

    // The language spoken: its name (fwLanguage.h) and its messages, empty
    // for English. SpeakLanguage loads the one chosen ("" = automatic: the
    // host's preferred languages) from kfwCatalogueFolder, English where it
    // has no catalogue; a catalogue's problems go to the log. The handheld
    // speaks English whatever is chosen.
    std::string Language = kfwEnglish;
    TfwCatalogue Catalogue;
    void SpeakLanguage(const std::string& chosen);

    // The game's bindings, which the action counts read from now on.
    void SetBindings(std::vector<TfwBinding> bindings);
    // An action's count, as a key's: 0 while none of its keys and controls
    // is down, 1 in the frame one of them went down (or StartAction started
    // it), then 2, 3, ... while held. Actions out of range count 0.
    uint8_t ActionCount(int32_t action) const;
    // ActionCount(action) != 0. With waitRelease, it waits for the release of
    // every key and control of the action as KeyPressed does for a key.
    bool ActionPressed(int32_t action, bool waitRelease);
    // The action starts in this frame as if one of its keys went down and
    // came up again: the mouse's and the touch screen's way to an action.
    void StartAction(int32_t action);

private:
    std::unique_ptr<TfwPlatform> platform_; // this build's host
    std::unique_ptr<TfwAudio> audio_;       // the sound device
    std::vector<Uint16> Presented;          // the picture as last sent to the window
    bool PresentAll = true;                 // send everything once: new mode or expose
    uint32_t iterationStart_ = 0;           // the running iteration's start (ms)
    bool iterationInput_ = false;           // the running iteration took input
    bool pictureSent_ = false;              // the frame sent a changed picture
    bool quietFrame_ = false;               // the last frame took no input and changed no picture
    bool TakenKeys[kfwKeyLimit] = {};       // toggle keys held since the frame took them
    TfwKeySet AwaitedKeys;                  // web: keys taken until released (AwaitsRelease)
    TfwPadSet AwaitedPad;                   // web: pad controls taken until released
    bool IgnoredKeys[kfwKeyLimit] = {};     // keys held since IgnoreHeldKeys
    TfwPadSet IgnoredPad;                   // pad controls held since IgnoreHeldKeys
    std::vector<TfwBinding> bindings_;      // the game's, in its order
    std::bitset<kfwActionLimit> startedActions_; // by StartAction, until the next update
    std::vector<Uint32> WindowPixel;             // back buffer pixel -> window pixel, per mode
    bool PlaceKnown = false;                     // where the window stood before fullscreen
    int32_t PlaceX = 0, PlaceY = 0;

    // InitSDL's parts: SDL with its video driver, then the pad and the sound
    // device, then the screen.
    void StartSDL();
    void OpenJoystickAndAudio();
    void OpenScreen();
    void ReadVideoOptions();
    void FitScaleToDesktop();
    void ShowTitleAndIcon();
    void SetVideoMode();
    // The bits per pixel the window asks for (DesktopDepth or 16).
    int WindowDepth() const;
    // Fills WindowPixel with SDL's own conversion of every picture pixel into
    // the window's format: what a 16-bit window on this desktop would show.
    bool MapWindowPixels();
    // change() then SetVideoMode; on failure (logged under "SDLApp::" + name)
    // back to the mode that worked, or EfwError(name + " failed").
    void ChangeVideoMode(const std::string& name, const std::function<void()>& change);
    void Present();
    void ScaleIntoWindow(std::vector<SDL_Rect>& rects);
    bool TakeToggleKey(const SDL_keysym& key);
    void QueueTyped(const SDL_keysym& key);
    void HandleKeyDown(const SDL_KeyboardEvent& key);
    void HandleJoystick(const SDL_Event& event);
    void HandleMouseButton(const SDL_MouseButtonEvent& button);
    void HandleTouchMotion(const SDL_MouseMotionEvent& motion);
};

// Builds the application of class T, initialises and runs it, and frees it in
// every case; an exception passes on after the object is gone. Where the
// program has no end (a page), the page's loop keeps it once Run has handed
// it over.
template <class T> void RunApp(const TfwCommandLine& commandLine = {}) {
    auto app = std::make_unique<T>(commandLine);
    app->Init(true);
    app->Run();
    if (!app->Platform().ProgramEnds())
        static_cast<void>(app.release());
}
