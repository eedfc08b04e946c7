// Paused: the clock stops and the board is hidden until the pause key or a
// click anywhere goes on.
#include "uScreen.h"

namespace {

class TPausedScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    TKept KeptAs() const override { return TKept::AsItStands; }

    void Keys() override {
        if (!LeaveGameKey() && !RestartKey())
            PauseKey(TGameState::gsPlaying);
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button == SDL_BUTTON_LEFT && e.OnPicture)
            Start(TAction::Pause);
    }

protected:
    TOverlay Overlay() const override { return {Ctx.Media.PausedImage, miPaused}; }
    bool BoardShown() const override { return false; }
    TPauseSymbol PauseSymbolShown() const override { return TPauseSymbol::GoOn; }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsPaused>(TScreenContext& context) {
    return std::make_unique<TPausedScreen>(context);
}
