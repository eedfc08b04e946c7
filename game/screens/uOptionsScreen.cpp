// The options (desktop and web), from the title or the pause screen: the
// music's and the effects' volumes, fullscreen and the window's scale (where
// the program has a window of its own), whether leaving the window pauses,
// the language (spoken at once) and the controls. Up and Down choose, Left and Right (or a click
// left or right of a value) change it, Return, Space or a click takes a switch or a further screen;
// Escape, the pad's back button or Back go back to where the options were opened from, and the
// settings are written then.
#include "fwFont.h"
#include "uMenu.h"
#include "uScreen.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

constexpr int32_t kHeadingX = 15;
constexpr int32_t kHeadingY = 48;
constexpr int32_t kRowsLeft = 20;
constexpr int32_t kRowsTop = 74;
constexpr int32_t kRowHeight = 16;
constexpr int32_t kValueX = 224;
constexpr int32_t kValueWidth = 60; // the value's band: its left half lowers, its right raises
constexpr int32_t kHelpX = 15;
constexpr int32_t kHelpY = 216;
// The volumes go in 16 steps of 8, from 0 to SDL_mixer's loudest.
constexpr int32_t kVolumeStep = 8;
constexpr int32_t kVolumeMax = 128;

enum class TOption : uint8_t {
    Music,
    Effects,
    Fullscreen,
    Scale,
    PauseWhenAway,
    Language,
    Controls,
    Back
};

// The options in their order on the screen, each with its label. The
// window's rows show only where the program has a window of its own.
struct TOptionRow {
    TOption Option;
    const char* Label; // untranslated
    bool WindowOnly = false;
};
constexpr TOptionRow kOptionRows[] = {
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::Music, N_("Music volume")},
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::Effects, N_("Effects volume")},
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::Fullscreen, N_("Fullscreen"), true},
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::Scale, N_("Window scale"), true},
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::PauseWhenAway, N_("Pause when the window is left")},
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::Language, N_("Language")},
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::Controls, N_("Controls")},
    // TRANSLATORS: box 200x16 (an option's label, font 14)
    {TOption::Back, N_("Back")},
};

// The languages the player may choose, each by its own name ("" first:
// the host's choice, named in the language spoken).
struct TLanguageChoice {
    const char* Code;
    const char* Name;
};
constexpr TLanguageChoice kLanguages[] = {{"", nullptr},     {"de", "Deutsch"},  {"en", "English"},
                                          {"es", "Español"}, {"fr", "Français"}, {"pl", "Polski"},
                                          {"ru", "Русский"}};
constexpr int32_t kLanguageCount = static_cast<int32_t>(std::size(kLanguages));

int32_t LanguageIndex(const std::string& code) {
    for (int32_t i = 0; i < kLanguageCount; ++i)
        if (code == kLanguages[i].Code)
            return i;
    return 0;
}

// The next volume a step up or down, on the steps of 8.
int32_t SteppedVolume(int32_t volume, int32_t direction) {
    const int32_t step =
        direction > 0 ? volume / kVolumeStep + 1 : (volume + kVolumeStep - 1) / kVolumeStep - 1;
    return std::clamp(step * kVolumeStep, 0, kVolumeMax);
}

class TOptionsScreen : public TScreen {
public:
    using TScreen::TScreen;

    void Enter() override {
        if (!returning_)
            menu_.Choose(0, static_cast<int32_t>(Rows().size()));
        returning_ = false;
    }
    void Leave() override { Ctx.Moves.PreferencesChanged(); }
    TKept KeptAs() const override { return Ctx.States.ScreenOf(Ctx.States.Root()).KeptAs(); }
    bool TakesEveryKey() const override { return true; }

    void Keys() override {
        const auto rows = Rows();
        const auto count = static_cast<int32_t>(rows.size());
        if (Pressed(TAction::MenuBack, true)) {
            Ctx.States.Back();
            return;
        }
        if (menu_.Move(Ctx.App, count))
            return;
        const TOption chosen = rows[static_cast<size_t>(menu_.Choice())]->Option;
        if (Pressed(TAction::MenuLeft, false))
            Change(chosen, -1);
        else if (Pressed(TAction::MenuRight, false))
            Change(chosen, 1);
        else if (Pressed(TAction::MenuTake, true))
            Take(chosen);
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        const auto rows = Rows();
        const auto count = static_cast<int32_t>(rows.size());
        if (!e.OnPicture || menu_.Wheel(e, count) || e.Button != SDL_BUTTON_LEFT)
            return;
        const int32_t row = e.Y >= kRowsTop ? (e.Y - kRowsTop) / kRowHeight : -1;
        if (row < 0 || row >= count)
            return;
        menu_.Choose(row, count);
        const TOption chosen = rows[static_cast<size_t>(row)]->Option;
        if (HasValue(chosen) && e.X >= kValueX)
            Change(chosen, e.X < kValueX + kValueWidth / 2 ? -1 : 1);
        else
            Take(chosen);
    }

    void Draw(SDL_Surface* surface) override {
        DrawBackground(surface, Ctx.Media);
        TfwFont* font = Ctx.Media.F2;
        const TfwCatalogue& t = Ctx.App.Catalogue;
        if (Ctx.Media.F3 != nullptr)
            Ctx.Media.F3->DrawText(surface, kHeadingX, kHeadingY, Heading(t), kTextColour);
        std::vector<std::string> labels, values;
        for (const TOptionRow* row : Rows()) {
            labels.push_back(t.Translate(row->Label));
            values.push_back(Value(row->Option));
        }
        menu_.Draw(surface, font, labels, kTextColour, {{kValueX, values}});
        if (Ctx.Media.F1 != nullptr)
            Ctx.Media.F1->DrawText(surface, kHelpX, kHelpY, HelpLine(t, Ctx.App.TouchPlayer),
                                   kTextColour);
    }

    static std::string Heading(const TfwCatalogue& t) {
        // TRANSLATORS: box 290x20 (the options' heading, font 16)
        return t.Translate("Options");
    }

    static std::string HelpLine(const TfwCatalogue& t, bool touch) {
        // TRANSLATORS: box 300x14 (the options' help line, font 12)
        return touch ? t.Translate("Tap a value's left or right half to change it")
                     // TRANSLATORS: box 300x14 (the options' help line, font 12)
                     : t.Translate("Left / Right - change, Escape - back");
    }

private:
    TMenu menu_{kRowsLeft, kRowsTop, kRowHeight, 8};
    bool returning_ = false; // back from the controls, the choice stays

    // The rows shown: the window's only where the program has a window of its own.
    std::vector<const TOptionRow*> Rows() const {
        std::vector<const TOptionRow*> rows;
        for (const TOptionRow& row : kOptionRows)
            if (!row.WindowOnly || Ctx.App.PlayerMaySwitchFullscreen())
                rows.push_back(&row);
        return rows;
    }

    static bool HasValue(TOption o) { return o != TOption::Controls && o != TOption::Back; }

    std::string Value(TOption o) const {
        const TfwCatalogue& t = Ctx.App.Catalogue;
        const auto onOff = [&t](bool on) {
            // TRANSLATORS: box 96x16 (an option's value, font 14; the arrows stay)
            return on ? t.Translate("< on >")
                      // TRANSLATORS: box 96x16 (an option's value, font 14; the arrows stay)
                      : t.Translate("< off >");
        };
        switch (o) {
        case TOption::Music:
            return "< " + std::to_string(Ctx.Sounds.Music / kVolumeStep) + " >";
        case TOption::Effects:
            return "< " + std::to_string(Ctx.Sounds.Effects / kVolumeStep) + " >";
        case TOption::Fullscreen:
            return onOff(Ctx.App.Fullscreen);
        case TOption::Scale:
            return "< " + std::to_string(Ctx.App.WindowScale) + " >";
        case TOption::PauseWhenAway:
            return onOff(Ctx.Prefs.PauseWhenAway);
        case TOption::Language:
            return "< " + LanguageName(t, LanguageIndex(Ctx.Prefs.Language)) + " >";
        default:
            return "";
        }
    }

    void Change(TOption o, int32_t direction) {
        switch (o) {
        case TOption::Music:
            Ctx.Sounds.Music = SteppedVolume(Ctx.Sounds.Music, direction);
            Ctx.Sounds.Apply();
            break;
        case TOption::Effects:
            Ctx.Sounds.Effects = SteppedVolume(Ctx.Sounds.Effects, direction);
            Ctx.Sounds.Apply();
            break;
        case TOption::Scale:
            Ctx.App.SetWindowScale(Ctx.App.WindowScale + direction);
            break;
        case TOption::Language:
            ChooseLanguage(direction);
            break;
        default:
            Take(o);
            break;
        }
    }

    static std::string LanguageName(const TfwCatalogue& t, int32_t index) {
        if (kLanguages[index].Name != nullptr)
            return kLanguages[index].Name;
        // TRANSLATORS: box 68x16 (the language option's value between its arrows, font 14):
        // the language the computer or the browser asks for
        return t.Translate("Automatic");
    }

    // The next or the previous language, wrapping, spoken from now on.
    void ChooseLanguage(int32_t direction) {
        const int32_t index =
            (LanguageIndex(Ctx.Prefs.Language) + direction + kLanguageCount) % kLanguageCount;
        Ctx.Prefs.Language = kLanguages[index].Code;
        Ctx.App.SpeakLanguage(Ctx.Prefs.Language);
    }

    void Take(TOption o) {
        switch (o) {
        case TOption::Fullscreen:
            Ctx.App.ToggleFullscreen();
            break;
        case TOption::PauseWhenAway:
            Ctx.Prefs.PauseWhenAway = !Ctx.Prefs.PauseWhenAway;
            break;
        case TOption::Language:
            ChooseLanguage(1);
            break;
        case TOption::Controls:
            returning_ = true;
            Ctx.States.Open(TGameState::gsControls);
            break;
        case TOption::Back:
            Ctx.States.Back();
            break;
        default:
            break;
        }
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsOptions>(TScreenContext& context) {
    return std::make_unique<TOptionsScreen>(context);
}
