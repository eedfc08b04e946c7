// The controls (desktop and web): each action the player can bind with its
// key and its pad button. Choosing one waits for the new key or button
// (Escape cancels the wait); a key another action of the same screens has
// passes to it the chosen action's old one. "Reset to defaults" restores
// every binding; Escape, the pad's back button or Back go back to the
// options. Every change holds at once and is written with the settings.
#include "fwFont.h"
#include "fwKeyNames.h"
#include "uMenu.h"
#include "uScreen.h"

#include <optional>
#include <string>

namespace {

constexpr int32_t kHeadingX = 15;
constexpr int32_t kHeadingY = 44;
constexpr int32_t kRowsLeft = 15;
constexpr int32_t kRowsTop = 66;
constexpr int32_t kRowHeight = 12;
constexpr int32_t kRowsShown = 12;
constexpr int32_t kKeyX = 150;
constexpr int32_t kPadX = 255;
constexpr int32_t kHelpX = 15;
constexpr int32_t kHelpY = 216;
// TRANSLATORS: box 130x12 (a row of the controls list, font 12)
constexpr const char* kResetLine = N_("Reset to defaults");
// TRANSLATORS: box 130x12 (a row of the controls list, font 12)
constexpr const char* kBackLine = N_("Back");

std::string PadName(const TfwCatalogue& t, int32_t button) {
    if (button == TControls::kNone)
        return "-";
    // TRANSLATORS: box 60x12 (the pad column of the controls list, font 12); %1 the button's number
    return fwSubstitute(t.Translate("Pad %1"), {std::to_string(button)});
}

std::string GroupName(const TfwCatalogue& t, uint8_t groups) {
    if (groups == cgEvery)
        // TRANSLATORS: box 300x20 (the controls' heading, font 16)
        return t.Translate("Controls - every screen");
    if (groups & cgTitle)
        // TRANSLATORS: box 300x20 (the controls' heading, font 16)
        return t.Translate("Controls - the title menu");
    if (groups & cgTable)
        // TRANSLATORS: box 300x20 (the controls' heading, font 16)
        return t.Translate("Controls - the high score table");
    // TRANSLATORS: box 300x20 (the controls' heading, font 16)
    return t.Translate("Controls - play");
}

class TControlsScreen : public TScreen {
public:
    using TScreen::TScreen;

    void Enter() override {
        menu_.Choose(0, RowCount());
        waiting_ = false;
        said_.clear();
    }
    void Leave() override { Ctx.Moves.PreferencesChanged(); }
    TKept KeptAs() const override { return Ctx.States.ScreenOf(Ctx.States.Root()).KeptAs(); }
    bool TakesEveryKey() const override { return true; }

    void Keys() override {
        if (waiting_) {
            TakeNewControl();
            return;
        }
        if (Pressed(TAction::MenuBack, true)) {
            Ctx.States.Back();
            return;
        }
        if (menu_.Move(Ctx.App, RowCount())) {
            said_.clear();
            return;
        }
        if (Pressed(TAction::MenuTake, true))
            TakeRow(menu_.Choice());
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (!e.OnPicture || waiting_ || menu_.Wheel(e, RowCount()) || e.Button != SDL_BUTTON_LEFT)
            return;
        const int32_t row = menu_.LineAt(Ctx.Media.F1, WideLabels(), e.X, e.Y);
        if (row < 0)
            return;
        menu_.Choose(row, RowCount());
        TakeRow(row);
    }

    void Draw(SDL_Surface* surface) override {
        DrawBackground(surface, Ctx.Media);
        TfwFont* font = Ctx.Media.F1;
        const auto& list = ControlList();
        const auto chosen = static_cast<size_t>(menu_.Choice());
        const TfwCatalogue& t = Ctx.App.Catalogue;
        if (Ctx.Media.F3 != nullptr)
            Ctx.Media.F3->DrawText(surface, kHeadingX, kHeadingY,
                                   chosen < list.size() ? GroupName(t, list[chosen].Groups)
                                                        : t.Translate("Controls"),
                                   kTextColour);
        std::vector<std::string> labels, keys, pads;
        for (size_t i = 0; i < list.size(); ++i) {
            const bool asking = waiting_ && i == chosen;
            labels.push_back(t.Translate(list[i].Label));
            // TRANSLATORS: box 100x12 (the key column of the controls list, font 12)
            keys.push_back(asking ? t.Translate("Press a key")
                                  : Ctx.Prefs.Controls.KeyLabel(list[i].Action));
            // TRANSLATORS: box 60x12 (the pad column of the controls list, font 12)
            pads.push_back(asking ? t.Translate("or button")
                                  : PadName(t, Ctx.Prefs.Controls.Pad(list[i].Action)));
        }
        labels.insert(labels.end(), {t.Translate(kResetLine), t.Translate(kBackLine)});
        menu_.Draw(surface, font, labels, kTextColour, {{kKeyX, keys}, {kPadX, pads}});
        if (font != nullptr)
            font->DrawText(surface, kHelpX, kHelpY, HelpLine(), kTextColour);
    }

private:
    TMenu menu_{kRowsLeft, kRowsTop, kRowHeight, kRowsShown};
    bool waiting_ = false;
    std::string said_; // why the last key was refused, English; shown in the help line

    static int32_t RowCount() { return static_cast<int32_t>(ControlList().size()) + 2; }

    // The rows' texts as wide as they are drawn, the key and pad columns
    // included, for the clicks.
    std::vector<std::string> WideLabels() const {
        std::vector<std::string> labels;
        const TfwCatalogue& t = Ctx.App.Catalogue;
        for (const TControlInfo& c : ControlList())
            labels.push_back(t.Translate(c.Label) + std::string(40, ' '));
        labels.insert(labels.end(), {t.Translate(kResetLine), t.Translate(kBackLine)});
        return labels;
    }

    std::string HelpLine() const {
        const TfwCatalogue& t = Ctx.App.Catalogue;
        if (!said_.empty())
            return t.Translate(said_);
        if (waiting_)
            // TRANSLATORS: box 300x14 (the controls' help line, font 12)
            return t.Translate("Press the new key or pad button; Escape cancels");
        // TRANSLATORS: box 300x14 (the controls' help line, font 12)
        return t.Translate("Return - change, Escape - back");
    }

    void TakeRow(int32_t row) {
        const auto count = static_cast<int32_t>(ControlList().size());
        said_.clear();
        if (row < count) {
            waiting_ = true;
        } else if (row == count) {
            Ctx.Prefs.Controls.Reset();
            Ctx.Moves.PreferencesChanged();
        } else {
            Ctx.States.Back();
        }
    }

    void TakeNewControl();
};

// The first key or pad button that went down in this frame binds the chosen
// action; Escape ends the wait with nothing bound, and so do the window's
// own Alt+Return and Alt+F4.
void TControlsScreen::TakeNewControl() {
    TfwGameApp& app = Ctx.App;
    const TAction action = ControlList()[static_cast<size_t>(menu_.Choice())].Action;
    const bool alt = app.Keys[SDLK_LALT] != 0 || app.Keys[SDLK_RALT] != 0;
    std::optional<TControls::TBind> result;
    if (app.Keys[SDLK_ESCAPE] == 1) {
        waiting_ = false;
        return;
    }
    for (int32_t key : fwNamedKeys())
        if (app.Keys[key] == 1 && !(alt && (key == SDLK_RETURN || key == SDLK_F4))) {
            result = Ctx.Prefs.Controls.BindKey(action, key);
            break;
        }
    for (int32_t b = 0; !result && b < kfwPadButtons; ++b)
        if (app.PadCounts[b] == 1)
            result = Ctx.Prefs.Controls.BindPad(action, b);
    if (!result)
        return;
    waiting_ = false;
    app.IgnoreHeldKeys();
    if (*result == TControls::TBind::Bound)
        Ctx.Moves.PreferencesChanged();
    else if (*result == TControls::TBind::Reserved)
        // TRANSLATORS: box 300x14 (the controls' help line, font 12)
        said_ = N_("Reserved: Escape, Return, F11, menu arrows, Space");
    else
        // TRANSLATORS: box 300x14 (the controls' help line, font 12)
        said_ = N_("That key would take another action's; choose another");
}

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsControls>(TScreenContext& context) {
    return std::make_unique<TControlsScreen>(context);
}
