// The controls: the default keys and pad buttons of each configuration, the
// keys no player binds, and the player's changes. The only place of game/
// that names key codes.
#include "uControls.h"

#include "fwCatalogue.h"
#include "fwCommandLine.h"
#include "fwConfig.h"
#include "fwKeyNames.h"
#include "fwLog.h"
#include "uSettings.h"

#include <algorithm>

namespace {

using A = TAction;
constexpr const char* kTag = "TMiniGame::Settings";

// The bindable actions: play's (with the pause screen and the overlays), the
// title menu's shortcuts, the table's.
const std::vector<TControlInfo> kControlList = {
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Up, cgPlay, "up", N_("Move up")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Down, cgPlay, "down", N_("Move down")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Left, cgPlay, "left", N_("Move left")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Right, cgPlay, "right", N_("Move right")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Select, cgPlay, "select", N_("Select / swap")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Hint, cgPlay, "hint", N_("Hint")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Pause, cgPlay, "pause", N_("Pause")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Restart, cgPlay, "restart", N_("Restart the level")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::AutoPlay, cgPlay, "autoplay", N_("Autoplay")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Leave, cgPlayAndTable, "leave", N_("Leave the game")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::SaveBoard, cgPlay, "save_board", N_("Save the board")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::LoadBoard, cgPlay, "load_board", N_("Load a board")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::PausedOptions, cgPlay, "paused_options", N_("Options (paused)")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::VolumeDown, cgEvery, "volume_down", N_("Volume down")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::VolumeUp, cgEvery, "volume_up", N_("Volume up")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Continue, cgTitle, "continue", N_("Continue")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::KeptGames, cgTitle, "kept_games", N_("Kept games")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::NewGame, cgTitle, "new_game", N_("New game")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Relaxed, cgTitle, "relaxed", N_("Relaxed game")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Highscores, cgTitle, "high_scores", N_("High scores")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Options, cgTitle, "options", N_("Options")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::HowToPlay, cgTitle, "how_to_play", N_("How to play")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::Quit, cgTitle, "quit", N_("Quit")},
    // TRANSLATORS: box 130x12 (a row of the controls list, font 12)
    {A::OtherTable, cgTable, "other_table", N_("Other table")},
};

struct TDefault {
    TAction Action;
    int32_t Key;
    int32_t Pad;
};

// The desktop's and the web's keyboard and pad (the pad in the layout most
// pads give under Linux: 0 south, 1 east, 2 west, 3 north, 4 and 5 the
// shoulders, 6 back, 7 start).
const std::vector<TDefault> kDesktopDefaults = {
    {A::Up, SDLK_UP, -1},          {A::Down, SDLK_DOWN, -1},   {A::Left, SDLK_LEFT, -1},
    {A::Right, SDLK_RIGHT, -1},    {A::Select, SDLK_SPACE, 0}, {A::Hint, SDLK_y, 2},
    {A::Pause, SDLK_p, 7},         {A::Restart, SDLK_r, 6},    {A::AutoPlay, SDLK_a, -1},
    {A::Leave, SDLK_x, 1},         {A::SaveBoard, SDLK_s, -1}, {A::LoadBoard, SDLK_l, -1},
    {A::PausedOptions, SDLK_o, 3}, {A::VolumeDown, SDLK_1, 4}, {A::VolumeUp, SDLK_2, 5},
    {A::Continue, SDLK_c, -1},     {A::KeptGames, SDLK_k, -1}, {A::NewGame, SDLK_n, -1},
    {A::Relaxed, SDLK_r, -1},      {A::Highscores, SDLK_h, 3}, {A::Options, SDLK_o, -1},
    {A::HowToPlay, SDLK_F1, -1},   {A::Quit, SDLK_x, -1},      {A::OtherTable, SDLK_r, 6},
};

// The handheld's buttons, as the keys fwApplyButtons holds for them: B
// selects, A pauses, Y asks for the hint in play and for the table on the
// title, the shoulders restart (R) and load a board (L). Its title keeps
// the select key's start and the quit key.
const std::vector<TDefault> kHandheldDefaults = {
    {A::Up, SDLK_UP, -1},       {A::Down, SDLK_DOWN, -1},    {A::Left, SDLK_LEFT, -1},
    {A::Right, SDLK_RIGHT, -1}, {A::Select, SDLK_b, -1},     {A::Hint, SDLK_y, -1},
    {A::Pause, SDLK_a, -1},     {A::Restart, SDLK_r, -1},    {A::SaveBoard, SDLK_s, -1},
    {A::LoadBoard, SDLK_l, -1}, {A::Leave, SDLK_x, -1},      {A::VolumeDown, SDLK_1, -1},
    {A::VolumeUp, SDLK_2, -1},  {A::Highscores, SDLK_y, -1},
};

// The keys and pad controls no player binds.
const std::vector<TfwBinding> kFixed = {
    {ActionId(A::Cancel), SDLK_ESCAPE, -1},
    {ActionId(A::Confirm), SDLK_RETURN, -1},
    {ActionId(A::MenuUp), SDLK_UP, kfwPadUp},
    {ActionId(A::MenuDown), SDLK_DOWN, kfwPadDown},
    {ActionId(A::MenuLeft), SDLK_LEFT, kfwPadLeft},
    {ActionId(A::MenuRight), SDLK_RIGHT, kfwPadRight},
    {ActionId(A::MenuTake), SDLK_RETURN, 0},
    {ActionId(A::MenuTake), SDLK_SPACE, -1},
    {ActionId(A::MenuTake), SDLK_KP_ENTER, -1},
    {ActionId(A::MenuBack), SDLK_ESCAPE, 6},
    // The stick and the d-pad always move the cursor; start confirms the table.
    {ActionId(A::Up), -1, kfwPadUp},
    {ActionId(A::Down), -1, kfwPadDown},
    {ActionId(A::Left), -1, kfwPadLeft},
    {ActionId(A::Right), -1, kfwPadRight},
    {ActionId(A::Confirm), -1, 7},
};

// The handheld's menus are its cursor keys and select button, as before.
const std::vector<TfwBinding> kHandheldFixed = {
    {ActionId(A::Confirm), SDLK_RETURN, -1},  {ActionId(A::MenuUp), SDLK_UP, -1},
    {ActionId(A::MenuDown), SDLK_DOWN, -1},   {ActionId(A::MenuLeft), SDLK_LEFT, -1},
    {ActionId(A::MenuRight), SDLK_RIGHT, -1},
};

// No action takes these: the window's and the program's own keys.
bool ReservedKey(int32_t key) {
    return key == SDLK_ESCAPE || key == SDLK_RETURN || key == SDLK_F11 || fwKeyName(key).empty();
}

// The menus keep these whatever the bindings.
bool MenuKey(int32_t key) {
    return key == SDLK_UP || key == SDLK_DOWN || key == SDLK_LEFT || key == SDLK_RIGHT ||
           key == SDLK_SPACE || key == SDLK_BACKSPACE || key == SDLK_KP_ENTER;
}

} // namespace

const std::vector<TControlInfo>& ControlList() {
    static const std::vector<TControlInfo> none;
    return kHandheld ? none : kControlList;
}

const TControlInfo* ControlOf(TAction action) {
    for (const TControlInfo& c : ControlList())
        if (c.Action == action)
            return &c;
    return nullptr;
}

TControls::TControls() {
    Reset();
}

void TControls::Reset() {
    keys_.fill(kNone);
    pads_.fill(kNone);
    for (const TDefault& d : kHandheld ? kHandheldDefaults : kDesktopDefaults) {
        keys_[Index(d.Action)] = d.Key;
        pads_[Index(d.Action)] = d.Pad;
    }
}

bool TControls::IsDefault() const {
    return *this == TControls();
}

std::string TControls::KeyLabel(TAction action) const {
    const int32_t key = Key(action);
    return key == kNone ? "" : fwKeyLabel(key);
}

std::string TControls::MovesLabel() const {
    const TAction moves[] = {A::Up, A::Down, A::Left, A::Right};
    const TControls defaults;
    if (std::all_of(std::begin(moves), std::end(moves),
                    [&](TAction a) { return Key(a) == defaults.Key(a); }))
        // TRANSLATORS: box 100x13 (the arrows' name on the title, font 12)
        return kHandheld ? "Cursor keys" : N_("Arrow keys");
    std::string text;
    for (TAction a : moves)
        text += (text.empty() ? "" : " ") + KeyLabel(a);
    return text;
}

TControls::TBind TControls::BindKey(TAction action, int32_t key) {
    const TControlInfo* info = ControlOf(action);
    if (info == nullptr || ReservedKey(key) || (!(info->Groups & cgPlay) && MenuKey(key)))
        return TBind::Reserved;
    return Bind(keys_, action, key);
}

TControls::TBind TControls::BindPad(TAction action, int32_t button) {
    if (ControlOf(action) == nullptr || button < 0 || button >= kfwPadButtons)
        return TBind::Reserved;
    return Bind(pads_, action, button);
}

// The action that shares a group with action and holds value, if any, takes
// action's old value; refused when that would clash in one of its own groups.
TControls::TBind TControls::Bind(std::array<int32_t, kActions>& table, TAction action,
                                 int32_t value) {
    const TControlInfo& info = *ControlOf(action);
    const int32_t old = table[Index(action)];
    for (const TControlInfo& other : ControlList()) {
        if (other.Action == action || !(other.Groups & info.Groups) ||
            table[Index(other.Action)] != value)
            continue;
        for (const TControlInfo& third : ControlList())
            if (third.Action != other.Action && third.Action != action &&
                (third.Groups & other.Groups) && old != kNone && table[Index(third.Action)] == old)
                return TBind::Clash;
        if (&table == &keys_ && !(other.Groups & cgPlay) && MenuKey(old))
            return TBind::Clash;
        table[Index(other.Action)] = old;
    }
    table[Index(action)] = value;
    return TBind::Bound;
}

std::vector<TfwBinding> TControls::FrameBindings() const {
    std::vector<TfwBinding> bindings = kHandheld ? kHandheldFixed : kFixed;
    for (size_t i = 0; i < kActions; ++i) {
        if (keys_[i] != kNone)
            bindings.push_back({static_cast<int32_t>(i), keys_[i], -1});
        if (pads_[i] != kNone)
            bindings.push_back({static_cast<int32_t>(i), -1, pads_[i]});
    }
    return bindings;
}

namespace {

constexpr const char* kKeyPrefix = "key_";
constexpr const char* kPadPrefix = "pad_";

void Refuse(TSettings& settings, const std::string& fileName, const std::string& name,
            const std::string& value, const std::string& why) {
    std::string line = fileName;
    line.append(": ").append(name).append("=").append(value).append(" ");
    Log().Write(kTag, line + why + "; the default holds");
    settings.Remove(name);
}

} // namespace

void TControls::Read(TSettings& settings, const std::string& fileName) {
    for (const TControlInfo& c : ControlList()) {
        const std::string keyName = kKeyPrefix + std::string(c.Setting);
        const std::string padName = kPadPrefix + std::string(c.Setting);
        std::string value;
        if (settings.Get(keyName, value)) {
            const int32_t key = fwKeyOfName(value);
            if (key < 0)
                Refuse(settings, fileName, keyName, value, "names no key");
            else if (BindKey(c.Action, key) != TBind::Bound)
                Refuse(settings, fileName, keyName, value, "cannot be bound");
        }
        int64_t button = 0;
        if (!settings.Get(padName, value))
            continue;
        if (value == "none")
            pads_[Index(c.Action)] = kNone;
        else if (!fwParseWhole(value, 2, button) ||
                 BindPad(c.Action, static_cast<int32_t>(button)) != TBind::Bound)
            Refuse(settings, fileName, padName, value,
                   "is no pad button from 0 to " + std::to_string(kfwPadButtons - 1));
    }
}

void TControls::Write(TSettings& settings) const {
    const TControls defaults;
    for (const TControlInfo& c : ControlList()) {
        const std::string keyName = kKeyPrefix + std::string(c.Setting);
        const std::string padName = kPadPrefix + std::string(c.Setting);
        if (Key(c.Action) == defaults.Key(c.Action))
            settings.Remove(keyName);
        else
            settings.Set(keyName, fwKeyName(Key(c.Action)));
        if (Pad(c.Action) == defaults.Pad(c.Action))
            settings.Remove(padName);
        else
            settings.Set(padName, Pad(c.Action) == kNone ? "none" : std::to_string(Pad(c.Action)));
    }
}
