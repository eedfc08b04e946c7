// Ready: a new game is dealt and waits, under the "LEVEL n" overlay, for the
// select key.
#include "fwSprite.h"
#include "uScreen.h"

namespace {

class TReadyScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    TKept KeptAs() const override { return TKept::AsItStands; }

    void Enter() override { Game.Cursor()->Hide(); }

    void Keys() override {
        if (LeaveGameKey())
            return;
        if (Game.ActionPressed(TAction::Select, true))
            Game.SetState(TGameState::gsPlaying);
    }

protected:
    TOverlay Overlay() const override {
        return {Game.Media().PressKeyImage, miPressKey, Game.Level()};
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsReady>(TMiniGame& game) {
    return std::make_unique<TReadyScreen>(game);
}
