// The game's actions: what a player asks for, whatever the device. The
// keyboard, the pad, the mouse, the touch screen and the page all turn into
// these; one binding table per configuration (uBindings.cpp) says which key
// or pad control starts which action, and names the keys for the help texts.
#pragma once

#include "fwGameApp.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TAction : int32_t {
    Up, // the cursor, the name entry's character
    Down,
    Left,
    Right,
    Select,     // start a game, select and swap a stone, go on from an overlay
    Hint,       // play: show a possible swap, for its price
    Pause,      // play: pause and go on
    Restart,    // deal the level again
    AutoPlay,   // play: the autoplay switch (desktop and web)
    SaveBoard,  // play: the board to puzzle1.txt
    LoadBoard,  // play: the board from puzzle.txt
    Leave,      // back to the title; on the title, quit
    Cancel,     // the desktop's name entry: leave without saving
    VolumeDown, // both volumes one step
    VolumeUp,
    Confirm,    // the high score screens: done
    Continue,   // the title: the newest kept game (desktop and web)
    KeptGames,  // the title: the list of the kept games (desktop and web)
    Relaxed,    // the title: a relaxed game (desktop and web)
    OtherTable, // the high score table: the other kind of game's (desktop and web)
    Highscores, // the title: the high score table
    // Type a character: carried by the frame's typed characters
    // (TfwGameApp::TypedChars), which the name entry reads, not by a binding.
    Type,
    Count
};

// The action's number in the application frame's counters.
constexpr int32_t ActionId(TAction action) {
    return static_cast<int32_t>(action);
}

// A key of the keyboard, or on the handheld the key one of its buttons holds,
// that starts an action; Name is how the help texts name it.
struct TKeyBinding {
    TAction Action;
    int32_t Key; // an SDL key symbol
    const char* Name;
};

// A control of the desktop's pad (TfwPadDirection or a button number) that
// starts an action.
struct TPadBinding {
    TAction Action;
    int32_t Control;
};

// This configuration's keys: the desktop's and the web's keyboard, or the
// handheld's buttons.
const std::vector<TKeyBinding>& KeyBindings();
// The desktop's and the web's pad; none on the handheld.
const std::vector<TPadBinding>& PadBindings();
// Both tables, for the application frame's action counters.
std::vector<TfwBinding> FrameBindings();
// The name of the first key of an action in this configuration ("" for none).
std::string KeyName(TAction action);
// The keys of an action in this configuration; the first of them, -1 for none.
std::vector<int32_t> KeysOf(TAction action);
int32_t KeyOf(TAction action);
