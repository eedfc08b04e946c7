// Level done: every goal was met; once the stones have gone, select starts
// the next level, as autoplay and the demo's end do by themselves.
#include "fwSprite.h"
#include "uGameGrid.h"
#include "uScreen.h"

namespace {

class TLevelDoneScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    TKept KeptAs() const override { return TKept::NextLevel; }

    void Enter() override { Game.Cursor()->Hide(); }

    void Keys() override {
        if (LeaveGameKey() || RestartKey() || Game.Board()->IsBusy() ||
            !Game.ActionPressed(TAction::Select, true))
            return;
        Game.StartNextLevel();
    }

    void NoKeys() override {
        if (Game.Board()->IsBusy())
            return;
        if (Game.DemoMode())
            Game.LeaveForTitle();
        else if (Game.AutoPlay())
            Game.StartNextLevel();
    }

protected:
    TOverlay Overlay() const override { return {Game.Media().LevelDoneImage, miLevelDoneImage}; }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsLevelDone>(TMiniGame& game) {
    return std::make_unique<TLevelDoneScreen>(game);
}
