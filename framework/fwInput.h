// The player's input as the application frame counts it: keys, the
// handheld's buttons, the desktop pad's controls, the mouse and the touch
// screen, typed characters, and the game's actions bound to keys and controls.
// The counters themselves are TfwGameApp's (fwInput.cpp).
#pragma once

#include <SDL.h>

#include <bitset>
#include <cstdint>
#include <vector>

// Keys are SDL 1.2 key symbols below this limit (SDLK_LAST is 323): the key
// counters, key sets and the page's keys hold this many.
inline constexpr int kfwKeyLimit = 512;
using TfwKeySet = std::bitset<kfwKeyLimit>;

// Handheld buttons: the keys a button of the GP2X Wiz stands for. The pad is
// buttons 0..7 from up clockwise, so a diagonal holds two arrows.
struct TfwButtonKey {
    SDLKey Key;
    std::vector<int> Buttons;
};
const std::vector<TfwButtonKey>& fwButtonKeys();
// Marks every key of the table up in state, then down where one of its buttons
// is pressed. state has count entries (SDL's key-state array).
void fwApplyButtons(const bool (&buttons)[32], uint8_t* state, int count);

// Desktop gamepad: joystick 0's buttons 0 .. 31 are the pad's controls of
// the same numbers; the four directions of its first hat and of its first two
// axes (0 left-right, 1 up-down) are the controls after them. What a control
// does is the game's binding table's to say.
inline constexpr int kfwPadButtons = 32;
enum TfwPadDirection : int { kfwPadLeft = kfwPadButtons, kfwPadRight, kfwPadUp, kfwPadDown };
inline constexpr int kfwPadControls = kfwPadDown + 1;
using TfwPadSet = std::bitset<kfwPadControls>;
// An axis further than this from its centre (of -32768 .. 32767) holds a direction.
inline constexpr int32_t kfwAxisDeadZone = 32768 / 3;
// The controls the desktop pad holds: its buttons, and the directions of its
// first hat and of its first two axes.
TfwPadSet fwPadHeld(const bool (&buttons)[32], uint8_t hat, const int16_t (&axes)[2]);

// Actions: the game's own numbers, below kfwActionLimit, for what a player
// asks for; a binding starts one from a key of the keyboard (an SDL key
// symbol below kfwKeyLimit, which on the handheld its buttons hold) or from a
// control of the desktop pad. One key or control may start several actions.
inline constexpr int32_t kfwActionLimit = 64;
struct TfwBinding {
    int32_t Action = 0;
    int32_t Key = -1;        // -1: none
    int32_t PadControl = -1; // -1: none
};

// The character TypedChars holds for Backspace.
inline constexpr uint16_t kfwBackspace = 8;

// The device number of the touch screen, and of the keyboard a phone shows
// for it, in SDL's mouse and key events (the web page's fingers and its text
// field); the mouse and the keyboard are device 0.
inline constexpr uint8_t kfwTouchDevice = 1;

// A mouse button going down or up over the window, as the picture sees it,
// or a finger that holds the button moving (Moved, Button 0).
struct TfwPointerEvent {
    uint8_t Button = 0; // SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, ...
    bool Down = false;
    bool Moved = false;     // a held finger moved
    bool Touch = false;     // from the touch screen: a finger is the left button
    bool OnPicture = false; // false on the fullscreen border or off the picture
    int32_t X = 0;          // picture pixel, when OnPicture
    int32_t Y = 0;
};
