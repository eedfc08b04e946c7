// The web build's page: the program runs in a browser tab, drawing into the
// page's canvas, reading the page's keys, mouse and gamepad, and keeping the
// player's files in the browser's storage. Defined in the web build only;
// every call is behind kWeb.
#pragma once

#include <string>
#include <vector>

// Readies the page before the application is made: the working folder (the
// packaged media as data/, log.txt lines going to the browser's console, the
// player's saved files read back from the browser's storage), the clock (its
// delay a sleep that hands the browser its turn), presentation into the
// canvas, and the page's input as SDL events and key state, exactly as the
// desktop's SDL reports them. args: the page's options ("-name=value", from
// its URL query); "clock=step" makes the clock a test's: it starts at 1000 ms
// and moves only by the delays the page's test grants (Module.tessarilStep).
// Answers the arguments it did not take, for the game.
std::vector<std::string> fwWebStart(const std::vector<std::string>& args);

// After fileName (in the working folder) was saved crash-safely: copies it
// into the browser's storage and returns when the storage holds it. 0, or EIO
// with a log line when the storage refused it.
int fwWebFileSaved(const std::string& fileName);
// After fileName was removed from the working folder: drops it from the
// browser's storage and returns when the storage no longer holds it. 0, or
// EIO with a log line when the storage refused.
int fwWebFileRemoved(const std::string& fileName);

// Does the page's sound wait for the player's first key, click or touch?
// The browser starts a page's audio only after one; false once it runs, and
// when the page has no sound at all.
bool fwWebSoundWaits();
