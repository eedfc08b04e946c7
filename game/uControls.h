// The player's controls: which key of the keyboard and which button of the
// pad starts each action. The desktop and the page start from one default
// table and take the player's changes, kept in settings.txt as
// "key_<action>=<key name>" and "pad_<action>=<button number>" lines; the
// handheld keeps its buttons as they are.
#pragma once

#include "fwInput.h"
#include "uActions.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TSettings;

// The screens on which an action counts. Two actions that count on one
// screen never share a key or a button; the volume keys count everywhere.
enum TControlGroup : uint8_t {
    cgPlay = 1,  // play, the pause screen and the overlays
    cgTitle = 2, // the title's menu
    cgTable = 4, // the high score table
    cgPlayAndTable = cgPlay | cgTable,
    cgEvery = cgPlay | cgTitle | cgTable,
};

// An action the player can bind: where it counts, its settings.txt name and
// how the controls list names it.
struct TControlInfo {
    TAction Action;
    uint8_t Groups;
    const char* Setting; // "pause": key_pause=, pad_pause=
    const char* Label;   // "Pause", English: translated where it is drawn
};

// The actions the player can bind, in the controls list's order; none on the handheld.
const std::vector<TControlInfo>& ControlList();
const TControlInfo* ControlOf(TAction action);

class TControls {
public:
    TControls(); // this configuration's defaults
    static constexpr int32_t kNone = -1;

    int32_t Key(TAction action) const { return keys_[Index(action)]; }
    int32_t Pad(TAction action) const { return pads_[Index(action)]; }
    // How texts name an action's key ("P", "Space"); the four moves on the
    // arrows are "Arrow keys" (the handheld's "cursor keys"), else their
    // four names.
    std::string KeyLabel(TAction action) const;
    std::string MovesLabel() const;

    // Binds a key or a pad button to a bindable action. A key another
    // action of an overlapping group has passes to it the changed action's
    // old key, so that no action is left without one. Refused: a key no
    // action may have (Escape, Return, F11), a key the menus keep (the
    // arrows, Space, Backspace) for a menu's action, a key the table does
    // not name, and a swap that would clash elsewhere.
    enum class TBind : uint8_t { Bound, Reserved, Clash };
    TBind BindKey(TAction action, int32_t key);
    TBind BindPad(TAction action, int32_t button);
    void Reset();
    bool IsDefault() const;
    bool operator==(const TControls& other) const {
        return keys_ == other.keys_ && pads_ == other.pads_;
    }
    bool operator!=(const TControls& other) const { return !(*this == other); }

    // The application frame's bindings: these, and the keys and controls no
    // player binds (the menus', Escape's, Return's, the pad's directions).
    std::vector<TfwBinding> FrameBindings() const;

    // The bindings from settings lines; a line naming no key or button, or
    // one whose binding is refused, keeps the default and is logged (with
    // fileName) and left out of settings. Desktop and web only.
    void Read(TSettings& settings, const std::string& fileName);
    // The lines of the bindings that differ from the defaults; the others'
    // lines leave settings.
    void Write(TSettings& settings) const;

private:
    static constexpr size_t kActions = static_cast<size_t>(TAction::Count);
    static size_t Index(TAction action) { return static_cast<size_t>(action); }
    TBind Bind(std::array<int32_t, kActions>& table, TAction action, int32_t value);

    std::array<int32_t, kActions> keys_{};
    std::array<int32_t, kActions> pads_{};
};
