// Retry: a life was lost (out of time, no moves) or the level is to be dealt
// again; once the stones have gone, select deals it.
#include "fwSprite.h"
#include "uGameGrid.h"
#include "uScreen.h"

namespace {

class TRetryScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    TKept KeptAs() const override { return TKept::DealtAgain; }

    // After a time-out the cursor stays where the player left it.
    void Enter() override {
        if (Ctx.Session.LifeLost == TLifeLost::NoMoves)
            Ctx.View.Cursor->Hide();
    }

    void Keys() override {
        if (LeaveGameKey() || RestartKey() || Ctx.View.Board->IsBusy() ||
            !Pressed(TAction::Select, true))
            return;
        Ctx.Moves.DealAgain();
    }

protected:
    TOverlay Overlay() const override {
        if (Ctx.Session.LifeLost == TLifeLost::OutOfTime)
            return {Ctx.Media.OutOfTimeImage, miOutOfTimeImage, Ctx.Session.Lives};
        if (Ctx.Session.LifeLost == TLifeLost::NoMoves)
            return {Ctx.Media.NoMovesImage, miNoMovesImage, Ctx.Session.Lives};
        return {Ctx.Media.PressKeyImage, miPressKey,
                Ctx.Session.Level}; // the restart key: dealt again
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsRetry>(TScreenContext& context) {
    return std::make_unique<TRetryScreen>(context);
}
