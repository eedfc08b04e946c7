// The main loop's rest on the desktop: while nothing on the screen can change
// before a known moment, the loop sleeps until input reaches the window, the
// window is exposed, resized or focused, a wake arrives (a signal, the mixer's
// end of a track) or that moment comes, whichever is first.
#pragma once

#include <cstdint>
#include <functional>

// "Nothing changes by itself": the answer of a screen that waits for input alone.
inline constexpr uint32_t kfwNoChangeDue = UINT32_MAX;

// Sleeps at most ms milliseconds, less when one of the above comes first or is
// already there. Tests put their own rest in place, as they put a clock;
// an empty function restores the window's.
using TfwRestFunc = std::function<void(uint32_t ms)>;
void fwSetRest(TfwRestFunc rest);
void fwRest(uint32_t ms);

// Opens the wake channel (once; later calls do nothing). Before it fwWake does nothing.
void fwOpenWake();
// Ends a rest in progress, or the next one at once. Safe in a signal handler
// and on any thread.
void fwWake();

// Waits on the X connection of SDL's window and on wakeFd (-1: none) at most
// ms milliseconds; at once when Xlib holds events already. False, at once,
// when SDL's window is no X11 one, as a page's never is (there it is the web
// platform's, fwWebPlatform.cpp). The handheld's build has none.
bool fwWaitOnWindow(int wakeFd, uint32_t ms);
