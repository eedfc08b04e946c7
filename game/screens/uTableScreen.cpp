// The high score table: Return, a click or the quit key goes back to the
// title. On the desktop and the web the other table's key (R unless the
// player bound another), or a click on the last line, shows the other kind
// of game's table.
#include "fwConfig.h"
#include "fwFont.h"
#include "uHighscore.h"
#include "uScreen.h"

namespace {

// The desktop table's other table and way out, below its ten lines; and its
// heading, the kind of game, above the dates. Words for keys, or for taps.
constexpr const char* kTableTouchHelp[] = {
    // TRANSLATORS: box 270x14 (the table's last line, font 12)
    N_("Tap here - relaxed, elsewhere - back to the title"),
    // TRANSLATORS: box 270x14 (the table's last line, font 12)
    N_("Tap here - timed, elsewhere - back to the title")};
constexpr const char* kTableKeyHelp[] = {
    // TRANSLATORS: box 270x14 (the table's last line, font 12); %1 is a key's name
    N_("Click or %1 - relaxed, Return - back to the title"),
    // TRANSLATORS: box 270x14 (the table's last line, font 12); %1 is a key's name
    N_("Click or %1 - timed, Return - back to the title")};
constexpr const char* kTableHeading[] = {
    // TRANSLATORS: box 85x16 (the table's heading, the kind of game, font 14)
    N_("Timed"),
    // TRANSLATORS: box 85x16 (the table's heading, the kind of game, font 14)
    N_("Relaxed")};
constexpr int32_t kTableHeadingX = 230;
constexpr int32_t kTableHeadingY = 41;
// The table screen's notice of a failed save: the line above the table.
constexpr int32_t kUnsavedNoticeY = 43;

class TTableScreen : public TScreen {
public:
    using TScreen::TScreen;

    // What another copy (or tab) stored meanwhile shows too.
    void Enter() override { Ctx.Tables.ShownTable()->Reload(); }

    // The table's own way out (Return) ends it here.
    bool Step() override {
        THighscoreManager* table = Ctx.Tables.ShownTable();
        if (table && table->Finished) {
            table->Deactivate();
            Ctx.States.Set(TGameState::gsTitle);
        }
        return true;
    }

    void Keys() override {
        if (!kHandheld && Pressed(TAction::OtherTable, true)) {
            Ctx.Tables.ShownTable()->Deactivate();
            Ctx.Tables.Shown =
                Ctx.Tables.Shown == TGameKind::Timed ? TGameKind::Relaxed : TGameKind::Timed;
            Ctx.Tables.ShownTable()->Reload();
            Ctx.Tables.ShownTable()->Activate();
            return;
        }
        if (!Ctx.Tables.ShownTable()->HandleInput())
            LeaveGameKey();
    }

    // The last line switches the table; anywhere else goes back.
    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture)
            return;
        const bool lastLine = e.Y >= kTableHelpY && e.Y < kTableHelpY + kTableHelpHeight;
        Start(lastLine ? TAction::OtherTable : TAction::Confirm);
    }

    void Draw(SDL_Surface* surface) override {
        DrawBackground(surface, Ctx.Media);
        const THighscoreManager* table = Ctx.Tables.ShownTable();
        if (table && Ctx.View.Engine)
            table->DrawTable(surface, Ctx.Media.F1, 50, 230, 60, 15);
        const TfwCatalogue& t = Ctx.App.Catalogue;
        if (table && !table->SaveError.empty() && Ctx.Media.F1 != nullptr)
            Ctx.Media.F1->DrawText(surface, 50, kUnsavedNoticeY,
                                   // TRANSLATORS: box 175x14 (over the table, left of its
                                   // heading, font 12)
                                   t.Translate("The scores could not be saved!"), kTextColour);
        // The handheld has one table, and its menu button is named nowhere.
        if (kHandheld || Ctx.Media.F1 == nullptr || Ctx.Media.F2 == nullptr)
            return;
        const auto kind = static_cast<size_t>(Ctx.Tables.Shown == TGameKind::Relaxed);
        Ctx.Media.F1->DrawText(
            surface, 50, kTableHelpY,
            Ctx.App.TouchPlayer ? t.Translate(kTableTouchHelp[kind])
                                : fwSubstitute(t.Translate(kTableKeyHelp[kind]),
                                               {Ctx.Prefs.Controls.KeyLabel(TAction::OtherTable)}),
            kTextColour);
        Ctx.Media.F2->DrawText(surface, kTableHeadingX, kTableHeadingY,
                               t.Translate(kTableHeading[kind]), kTextColour);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsHighscores>(TScreenContext& context) {
    return std::make_unique<TTableScreen>(context);
}
