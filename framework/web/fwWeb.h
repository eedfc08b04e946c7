// The web build's page: the program runs in a browser tab, drawing into the
// page's canvas, reading the page's keys, mouse and gamepad, and keeping the
// player's files in the browser's storage. Defined in the web build only;
// every call is behind kWeb.
#pragma once

#include <string>
#include <vector>

// Readies the page before the application is made: the working folder (the
// packaged media as data/, log.txt lines going to the browser's console, the
// player's saved files read back from the browser's storage, which is asked
// to keep them), the clock (its delay a sleep that hands the browser its
// turn), presentation into the canvas, and the page's input as SDL events and
// key state, exactly as the desktop's SDL reports them. While the page is out
// of sight the delay does not return and the clock stands still: no frames,
// no sound; going out of sight calls the application's WindowDeactivated and
// PageHidden at once, and so does the browser's window losing the focus
// (WindowDeactivated alone). args: the page's options ("-name=value", from
// its URL query); "clock=step" makes the clock a test's: it starts at 1000 ms
// and moves only by the delays the page's test grants (Module.tessarilStep).
// Answers the arguments it did not take, for the game.
std::vector<std::string> fwWebStart(const std::vector<std::string>& args);

// After fileName (in the working folder) was saved crash-safely: copies it
// into the browser's storage and returns when the storage holds it. 0, or EIO
// with a log line when the storage refused it. Within PageHidden it returns
// at once with 0: the browser has the write, but may still refuse it.
int fwWebFileSaved(const std::string& fileName);

// Does the browser keep the player's files? False once its storage could not
// be read or refused a save (the browser's console names the reason).
bool fwWebFilesKept();

// Does the page's sound wait for the player's first key, click or touch?
// The browser starts a page's audio only after one; false once it runs, and
// when the page has no sound at all.
bool fwWebSoundWaits();
