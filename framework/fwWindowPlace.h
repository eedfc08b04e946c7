// Where the desktop window stands on the screen. SDL 1.2 can neither tell nor
// set a window's position, so these go to the X server under it. Desktop build
// only (it links Xlib); under any other video driver they do nothing.
#pragma once

#include <cstdint>

// The top-left corner of the window's frame (its decorations included) on the
// screen; false when SDL's window is not an X11 one.
bool fwGetWindowPlace(int32_t& x, int32_t& y);
// Moves the window's frame back to a corner read by fwGetWindowPlace.
void fwSetWindowPlace(int32_t x, int32_t y);

// Asks the X server to send a key held down as one press and one release.
// Its autorepeat otherwise sends release-press pairs, which SDL takes for one
// held key only when it reads both at once: a pair split under load reads as
// the key let go and pressed again. False when SDL's window is not an X11 one
// or the server cannot.
bool fwHoldKeysWithoutRepeats();
