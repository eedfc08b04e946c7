// The host the program runs on, as services: what differs between a process
// of the desktop's or the handheld's operating system and a browser page,
// asked alike by the generic framework and by the game. One implementation a
// host, the one its configuration compiles: fwPlatformNative.cpp for the
// desktop and the handheld, fwWebPlatform.cpp in framework/web/ for the
// page. The application owns its platform (TfwGameApp::Platform); what the
// program's entry, the file functions and the main loop's signal test need
// without an application are the free functions below, defined with it.
#pragma once

#include "fwFile.h"

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TfwGameApp;

class TfwPlatform {
public:
    TfwPlatform() = default;
    virtual ~TfwPlatform() = default;
    TfwPlatform(const TfwPlatform&) = delete;
    TfwPlatform& operator=(const TfwPlatform&) = delete;

    // --- The window ---
    // SDL's subsystems started with its video (SDL_Init's flags): the
    // desktop's and the handheld's pads are SDL joysticks; the page reports
    // its gamepad itself, as joystick 0's events.
    virtual Uint32 InitFlags() const = 0;
    // Does the window manager show an icon the program hands it? A page's
    // icon is the page's own.
    virtual bool ShowsWindowIcon() const = 0;
    // Once the window is open: a key held from one screen into the next must
    // not read as pressed anew there (the desktop's X server repeats keys).
    virtual void HoldKeysWithoutRepeats() = 0;
    // Does the program switch between its window and fullscreen itself (F11,
    // Alt+Return)? Not on the handheld, whose screen is all there is, nor in
    // a page, whose fullscreen is the browser's.
    virtual bool SwitchesFullscreen() const = 0;
    // Where the window's frame stands on the screen (its top-left corner);
    // false when that cannot be told. PlaceWindow moves it back there.
    virtual bool WindowPlace(int32_t& x, int32_t& y) const = 0;
    virtual void PlaceWindow(int32_t x, int32_t y) = 0;

    // --- Sound ---
    // Readies SDL's side of the sound device before the mixer opens it; false
    // (SDL's error set) when there is none. A page's mixer calls are played
    // by the browser's own audio (fwWebAudio.cpp): SDL's audio subsystem
    // stays closed.
    virtual bool OpenAudioSubsystem() = 0;
    // May the sound device take sound faster than it plays it (the desktop's
    // null devices)? Then the mixer's output is counted, and such a device is
    // left for SDL's dummy one (TfwGameApp::PaceAudio).
    virtual bool AudioMayOutrunTime() const = 0;
    // Does the sound wait for the player's first key, click or touch? A page's
    // does (the browser starts its audio only after one) until it runs;
    // false too when the page has no sound at all.
    virtual bool SoundWaits() const = 0;
    // The file a sound effect given as a WAV file of the media is read from:
    // that file, or in a page its Ogg Vorbis copy under the same name (the
    // page downloads its sound effects compressed).
    virtual std::string SoundFile(const std::string& wavFile) const = 0;

    // --- Running ---
    // May a call wait (sleep, hold its frame until a key is released) without
    // holding the host up? A page's browser waits for every call to return.
    virtual bool CallsMayWait() const = 0;
    // Runs app's main loop (TfwFrameLoop) to its end, DoneGame included, and
    // closes the sound; in a page it hands app over to the page's loop, which
    // runs it on the browser's animation frames, and returns at once. app
    // must outlive the loop.
    virtual void Run(TfwGameApp& app) = 0;
    // Does the program end (Quit, the end of Run)? A page has no end: there
    // Quit does nothing and the application stays with the page's loop.
    virtual bool ProgramEnds() const = 0;

    // --- The player ---
    // Are the files the program saves kept for its next run? Always on the
    // desktop and the handheld; in a page, false once the browser's storage
    // could not be read or refused a save.
    virtual bool FilesKept() const = 0;
    // Hands text to screen readers (a page's polite live region); nothing
    // where none is reached.
    virtual void Announce(const std::string& text) = 0;
    // Whether the game takes typing (its name entry is shown). A page opens
    // the phone's own keyboard for it, for a player who has touched the page;
    // elsewhere the keyboard types anyway.
    virtual void TakeTyping(bool on) = 0;
    // The player's languages, most wanted first, as the host names them
    // (locale names such as "de_AT.UTF-8", web tags such as "de-AT"; see
    // fwChooseLanguage): the desktop's locale variables, a page's
    // navigator.languages; none on the handheld, which speaks English.
    virtual std::vector<std::string> PreferredLanguages() const = 0;
    // The game speaks language from now on (a catalogue's code such as "pl",
    // or "en"): a page's own words (its controls, its screen reader labels,
    // its error sentences) follow; nothing else has words of its own.
    virtual void LanguageSpoken(const std::string& language) = 0;
};

// The platform of the configuration built.
std::unique_ptr<TfwPlatform> fwMakePlatform();

// The program's body, given its arguments; answers the process's exit status.
using TfwProgram = std::function<int(const std::vector<std::string>& args)>;
// Runs work, reporting an error it raises; answers 0, or non-zero after an error.
using TfwGuard = std::function<int(const std::function<void()>& work)>;
// The program's entry (main): runs program(args) and answers its status. A
// page readies itself first and returns 0 at once: the browser's animation
// frames start program once the player's files are read back from its
// storage, and run every frame's work through guard (fwWeb.h).
int fwProgramMain(const std::vector<std::string>& args, const TfwProgram& program,
                  const TfwGuard& guard);

// The host's own copy of the files the program saves, for fwSaveFile and
// fwRemoveFile: a page copies fileName, just saved in (or removed from) the
// working folder, into (or out of) the browser's storage, and stored hears 0
// once the storage confirms it, or EIO when the browser refused it. The
// desktop and the handheld keep the working folder itself: nothing is done,
// and stored never hears.
void fwPlatformStore(const std::string& fileName, const TfwStoredFunc& stored);
void fwPlatformUnstore(const std::string& fileName, const TfwStoredFunc& stored);

// Has the host asked the program to end since the main loop began (a signal
// such as SIGTERM on the desktop and the handheld)? Never in a page.
bool fwEndRequested();
