// The web build's page: the program runs in a browser tab, drawing into the
// page's canvas, reading the page's keys, mouse and gamepad, and keeping the
// player's files in the browser's storage. Defined in the web build only and
// called by its platform (fwWebPlatform.cpp), which the rest of the program
// asks (fwPlatform.h).
#pragma once

#include "fwFile.h"

class TfwGameApp;

#include <functional>
#include <string>
#include <vector>

// The program's body, given the arguments the page did not take.
using TfwWebProgram = std::function<void(const std::vector<std::string>& args)>;
// Runs work, reporting an error it raises; answers 0, or non-zero after an error.
using TfwWebGuard = std::function<int(const std::function<void()>& work)>;

// Readies the page and returns at once; the browser's animation frames do the
// rest. The page: the working folder (the packaged media as data/, log.txt
// lines going to the browser's console), the clock, presentation into the
// canvas, and the page's input as SDL events and key state, exactly as the
// desktop's SDL reports them. Once the player's saved files are read back from
// the browser's storage, an animation frame runs program(args); the program's
// Run hands its application to the page's loop (fwRunOnPage), which runs it on
// the animation frames that follow, each frame's work through guard; an error
// ends the frames. args: the page's options ("-name=value", from its URL
// query); "clock=step" makes the clock a test's: it starts at 1000 ms and moves
// only by the pauses the page's test grants (Module.tessarilStep), which the
// animation frames spend. While the page is out of sight its animation frames
// run none of the program and its clocks (the page's and the stepped one)
// stand still: no frames, no sound. Going out of sight calls the
// application's WindowDeactivated and PageHidden at once; the browser's window
// losing the focus calls WindowDeactivated alone. The storage is asked to keep
// the player's files.
void fwWebStart(const std::vector<std::string>& args, TfwWebProgram program, TfwWebGuard guard);

// The page's loop (TfwFrameLoop on the animation frames) takes app over and
// runs it from the next animation frame on; app must stay.
void fwRunOnPage(TfwGameApp& app);

// After fileName (in the working folder) was saved crash-safely: copies it
// into the browser's storage and returns; stored hears 0 once the storage
// holds it, or EIO (after a log line) when the browser refused it. The
// browser has the write before this returns (a page being left may not run
// again).
void fwWebFileSaved(const std::string& fileName, TfwStoredFunc stored);
// After fileName was removed from the working folder: drops it from the
// browser's storage and returns, as fwWebFileSaved does; stored hears 0 once
// the storage no longer holds it, or EIO (after a log line).
void fwWebFileRemoved(const std::string& fileName, TfwStoredFunc stored);

// Whether the game takes typing (its name entry is shown). A player who has
// touched the page gets the phone's own keyboard for it, through a text field
// out of sight whose text reaches the game as the touch screen's keys; the
// keyboard closes again when the typing ends.
void fwWebTakeTyping(bool on);

// Hands text to screen readers: the page's polite live region reads it out.
void fwWebAnnounce(const std::string& text);
// The page's own words in language from now on (a catalogue's code, or "en").
void fwWebSpeak(const std::string& language);
// The browser's preferred languages (navigator.languages), most wanted
// first, as tags such as "de-AT".
std::vector<std::string> fwWebPreferredLanguages();
// Does the browser keep the player's files? False once its storage could not
// be read or refused a save (the browser's console names the reason).
bool fwWebFilesKept();

// Does the page's sound wait for the player's first key, click or touch?
// The browser starts a page's audio only after one; false once it runs, and
// when the page has no sound at all.
bool fwWebSoundWaits();
// Does the page play MP3 copies of the sounds, the browser decoding no Ogg Vorbis?
bool fwWebSoundIsMp3();
