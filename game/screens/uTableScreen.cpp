// The high score table: Return, a click or the quit key goes back to the
// title. On the desktop and the web R, or a click on the last line, shows the
// other kind of game's table.
#include "fwConfig.h"
#include "fwFont.h"
#include "uHighscore.h"
#include "uScreen.h"

namespace {

// The desktop table's other table and way out, below its ten lines; and its
// heading, the kind of game, above the dates. Words for keys, or for taps.
constexpr const char* kTableHelp[] = {"Click or R - relaxed, Return - back to the title",
                                      "Click or R - timed, Return - back to the title"};
constexpr const char* kTableTouchHelp[] = {"Tap here - relaxed, elsewhere - back to the title",
                                           "Tap here - timed, elsewhere - back to the title"};
constexpr const char* kTableHeading[] = {"Timed", "Relaxed"};
constexpr int32_t kTableHeadingX = 230;
constexpr int32_t kTableHeadingY = 41;
// The table screen's notice of a failed save: the line above the table.
constexpr int32_t kUnsavedNoticeY = 43;

class TTableScreen : public TScreen {
public:
    using TScreen::TScreen;

    // The table's own way out (Return) ends it here.
    bool Step() override {
        THighscoreManager* table = Game.TableOf(Game.TableShown());
        if (table && table->Finished) {
            table->Deactivate();
            Game.SetState(TGameState::gsTitle);
        }
        return true;
    }

    void Keys() override {
        if (!kHandheld && Game.ActionPressed(TAction::OtherTable, true)) {
            Game.TableOf(Game.TableShown())->Deactivate();
            Game.SetTableShown(Game.TableShown() == TGameKind::Timed ? TGameKind::Relaxed
                                                                     : TGameKind::Timed);
            Game.TableOf(Game.TableShown())->Activate();
            return;
        }
        if (!Game.TableOf(Game.TableShown())->HandleInput())
            LeaveGameKey();
    }

    // The last line switches the table; anywhere else goes back.
    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture)
            return;
        const bool lastLine = e.Y >= kTableHelpY && e.Y < kTableHelpY + kTableHelpHeight;
        Game.StartAction(lastLine ? TAction::OtherTable : TAction::Confirm);
    }

    void Draw(SDL_Surface* surface) override {
        Game.DrawBackground(surface);
        const THighscoreManager* table = Game.TableOf(Game.TableShown());
        if (table && Game.Engine())
            table->DrawTable(surface, Game.Media().F1, 50, 230, 60, 15);
        if (table && !table->SaveError.empty() && Game.Media().F1 != nullptr)
            Game.Media().F1->DrawText(surface, 50, kUnsavedNoticeY,
                                      "The scores could not be saved!", kTextColour);
        // The handheld has one table, and its menu button is named nowhere.
        if (kHandheld || Game.Media().F1 == nullptr || Game.Media().F2 == nullptr)
            return;
        const auto kind = static_cast<size_t>(Game.TableShown() == TGameKind::Relaxed);
        Game.Media().F1->DrawText(surface, 50, kTableHelpY,
                                  Game.TouchPlayer ? kTableTouchHelp[kind] : kTableHelp[kind],
                                  kTextColour);
        Game.Media().F2->DrawText(surface, kTableHeadingX, kTableHeadingY, kTableHeading[kind],
                                  kTextColour);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsHighscores>(TMiniGame& game) {
    return std::make_unique<TTableScreen>(game);
}
