// Ready: a new game is dealt and waits, under the "LEVEL n" overlay, for the
// select key.
#include "fwSprite.h"
#include "uScreen.h"

namespace {

class TReadyScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    TKept KeptAs() const override { return TKept::AsItStands; }

    void Enter() override { Ctx.View.Cursor->Hide(); }

    void Keys() override {
        if (LeaveGameKey())
            return;
        if (Pressed(TAction::Select, true))
            Ctx.States.Set(TGameState::gsPlaying);
    }

protected:
    TOverlay Overlay() const override {
        return {Ctx.Media.PressKeyImage, miPressKey, Ctx.Session.Level};
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsReady>(TScreenContext& context) {
    return std::make_unique<TReadyScreen>(context);
}
