// The binding tables: which key and which pad control starts which action, in
// each configuration. The only place that names key codes; the help texts
// read the keys' names from here.
#include "uActions.h"

#include "fwConfig.h"

namespace {

using A = TAction;

// The desktop's and the web's keyboard. X leaves (and types an X in the name
// entry, which reads characters); R restarts, and on the title and the table
// stands for the relaxed game.
const std::vector<TKeyBinding> kDesktopKeys = {
    {A::Up, SDLK_UP, "arrow keys"},
    {A::Down, SDLK_DOWN, "arrow keys"},
    {A::Left, SDLK_LEFT, "arrow keys"},
    {A::Right, SDLK_RIGHT, "arrow keys"},
    {A::Select, SDLK_SPACE, "Space"},
    {A::Hint, SDLK_y, "Y"},
    {A::Pause, SDLK_p, "P"},
    {A::Restart, SDLK_r, "R"},
    {A::AutoPlay, SDLK_a, "A"},
    {A::SaveBoard, SDLK_s, "S"},
    {A::LoadBoard, SDLK_l, "L"},
    {A::Leave, SDLK_x, "X"},
    {A::Cancel, SDLK_ESCAPE, "Escape"},
    {A::VolumeDown, SDLK_1, "1"},
    {A::VolumeUp, SDLK_2, "2"},
    {A::Confirm, SDLK_RETURN, "Return"},
    {A::Continue, SDLK_c, "C"},
    {A::KeptGames, SDLK_k, "K"},
    {A::Relaxed, SDLK_r, "R"},
    {A::OtherTable, SDLK_r, "R"},
    {A::Highscores, SDLK_h, "H"},
};

// The handheld's buttons, as the keys fwApplyButtons holds for them: B
// selects, A pauses, Y asks for the hint in play and for the table on the
// title, the shoulders restart (R) and load a board (L). It has no autoplay
// switch (A pauses there), no relaxed game and no kept game.
const std::vector<TKeyBinding> kHandheldKeys = {
    {A::Up, SDLK_UP, "cursor keys"},
    {A::Down, SDLK_DOWN, "cursor keys"},
    {A::Left, SDLK_LEFT, "cursor keys"},
    {A::Right, SDLK_RIGHT, "cursor keys"},
    {A::Select, SDLK_b, "B"},
    {A::Hint, SDLK_y, "Y"},
    {A::Pause, SDLK_a, "A"},
    {A::Restart, SDLK_r, "R"},
    {A::SaveBoard, SDLK_s, "S"},
    {A::LoadBoard, SDLK_l, "L"},
    {A::Leave, SDLK_x, "X"},
    {A::VolumeDown, SDLK_1, "1"},
    {A::VolumeUp, SDLK_2, "2"},
    {A::Confirm, SDLK_RETURN, "Return"},
    {A::Highscores, SDLK_y, "Y"},
};

// The desktop's and the web's pad, in the layout most pads give under Linux
// (0 south, 1 east, 2 west, 3 north, 4 and 5 the shoulders, 6 back, 7 start).
// Start both pauses and confirms: only the high score screens confirm, and
// pause does nothing there. Back restarts and switches the table, but is no
// relaxed game on the title.
const std::vector<TPadBinding> kDesktopPad = {
    {A::Up, kfwPadUp},  {A::Down, kfwPadDown}, {A::Left, kfwPadLeft}, {A::Right, kfwPadRight},
    {A::Select, 0},     {A::Leave, 1},         {A::Hint, 2},          {A::Highscores, 3},
    {A::VolumeDown, 4}, {A::VolumeUp, 5},      {A::Restart, 6},       {A::OtherTable, 6},
    {A::Pause, 7},      {A::Confirm, 7},
};

} // namespace

const std::vector<TKeyBinding>& KeyBindings() {
    return kHandheld ? kHandheldKeys : kDesktopKeys;
}

const std::vector<TPadBinding>& PadBindings() {
    static const std::vector<TPadBinding> none;
    return kHandheld ? none : kDesktopPad;
}

std::vector<TfwBinding> FrameBindings() {
    std::vector<TfwBinding> bindings;
    for (const TKeyBinding& b : KeyBindings())
        bindings.push_back({ActionId(b.Action), b.Key, -1});
    for (const TPadBinding& b : PadBindings())
        bindings.push_back({ActionId(b.Action), -1, b.Control});
    return bindings;
}

std::string KeyName(TAction action) {
    for (const TKeyBinding& b : KeyBindings())
        if (b.Action == action)
            return b.Name;
    return "";
}

std::vector<int32_t> KeysOf(TAction action) {
    std::vector<int32_t> keys;
    for (const TKeyBinding& b : KeyBindings())
        if (b.Action == action)
            keys.push_back(b.Key);
    return keys;
}

int32_t KeyOf(TAction action) {
    const std::vector<int32_t> keys = KeysOf(action);
    return keys.empty() ? -1 : keys.front();
}
