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
    Confirm,       // the high score screens: done
    Continue,      // the title: the newest kept game (desktop and web)
    KeptGames,     // the title: the list of the kept games (desktop and web)
    Relaxed,       // the title: a relaxed game (desktop and web)
    OtherTable,    // the high score table: the other kind of game's (desktop and web)
    Highscores,    // the title: the high score table
    NewGame,       // the title's menu: a timed game (desktop and web)
    Options,       // the title's menu: the options screen (desktop and web)
    HowToPlay,     // the title's menu: the pages on how to play (desktop and web)
    Quit,          // the title's menu: the program's end (desktop)
    PausedOptions, // the pause screen: the options screen (desktop and web)
    // The menus' own moves, the same whatever the player's bindings: the
    // arrows, Return or Space, Escape; the pad's stick and d-pad, its south
    // and back buttons. The name entry's too.
    MenuUp,
    MenuDown,
    MenuLeft,
    MenuRight,
    MenuTake,
    MenuBack,
    // Type a character: carried by the frame's typed characters
    // (TfwGameApp::TypedChars), which the name entry reads, not by a binding.
    Type,
    Count
};

// The action's number in the application frame's counters.
constexpr int32_t ActionId(TAction action) {
    return static_cast<int32_t>(action);
}
