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
        if (Game.LifeLost() == TLifeLost::NoMoves)
            Game.Cursor()->Hide();
    }

    void Keys() override {
        if (LeaveGameKey() || RestartKey() || Game.Board()->IsBusy() ||
            !Game.ActionPressed(TAction::Select, true))
            return;
        Game.StartLevel(Game.Level());
        Game.SetState(TGameState::gsPlaying);
    }

protected:
    TOverlay Overlay() const override {
        if (Game.LifeLost() == TLifeLost::OutOfTime)
            return {Game.Media().OutOfTimeImage, miOutOfTimeImage, Game.Lives()};
        if (Game.LifeLost() == TLifeLost::NoMoves)
            return {Game.Media().NoMovesImage, miNoMovesImage, Game.Lives()};
        return {Game.Media().PressKeyImage, miPressKey,
                Game.Level()}; // the restart key: dealt again
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsRetry>(TMiniGame& game) {
    return std::make_unique<TRetryScreen>(game);
}
