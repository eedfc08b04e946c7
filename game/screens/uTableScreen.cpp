// The high score table: Return, a click or the quit key goes back to the title.
#include "fwConfig.h"
#include "fwFont.h"
#include "uHighscore.h"
#include "uScreen.h"

namespace {

// The desktop table's way out, below the ten lines of the table.
constexpr int32_t kTableHelpY = 216;
constexpr const char* kTableHelp = "Click or Return - back to the title";
// The table screen's notice of a failed save: the line above the table.
constexpr int32_t kUnsavedNoticeY = 43;

class TTableScreen : public TScreen {
public:
    using TScreen::TScreen;

    // The table's own way out (Return) ends it here.
    bool Step() override {
        if (Game.Highscores && Game.Highscores->Finished) {
            Game.Highscores->Deactivate();
            Game.SetState(TGameState::gsTitle);
        }
        return true;
    }

    void Keys() override {
        if (!Game.Highscores->HandleInput())
            LeaveGameKey();
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button == SDL_BUTTON_LEFT && e.OnPicture)
            Game.PressKey(SDLK_RETURN);
    }

    void Draw(SDL_Surface* surface) override {
        Game.DrawBackground(surface);
        if (Game.Highscores && Game.Engine)
            Game.Highscores->DrawTable(surface, Game.F1, 50, 230, 60, 15);
        if (!kHandheld && Game.F1 != nullptr) // the handheld's menu button is named nowhere
            Game.F1->DrawText(surface, 50, kTableHelpY, kTableHelp, kTextColour);
        if (Game.Highscores && !Game.Highscores->SaveError.empty() && Game.F1 != nullptr)
            Game.F1->DrawText(surface, 50, kUnsavedNoticeY, "The scores could not be saved!",
                              kTextColour);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsHighscores>(TMiniGame& game) {
    return std::make_unique<TTableScreen>(game);
}
