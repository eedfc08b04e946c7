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

    void Enter() override { Ctx.View.Cursor->Hide(); }

    void Keys() override {
        if (LeaveGameKey() || RestartKey() || Ctx.View.Board->IsBusy() ||
            !Pressed(TAction::Select, true))
            return;
        Ctx.Moves.StartNextLevel();
    }

    void NoKeys() override {
        if (Ctx.View.Board->IsBusy())
            return;
        if (Ctx.Mode.Demo)
            Ctx.Moves.LeaveForTitle();
        else if (Ctx.Mode.AutoPlay)
            Ctx.Moves.StartNextLevel();
    }

protected:
    TOverlay Overlay() const override { return {Ctx.Media.LevelDoneImage, miLevelDoneImage}; }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsLevelDone>(TScreenContext& context) {
    return std::make_unique<TLevelDoneScreen>(context);
}
