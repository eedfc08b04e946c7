// Game over, for a score the table does not take: select or the quit key
// goes back to the title.
#include "uScreen.h"

namespace {

class TGameOverScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    void Keys() override {
        if (!LeaveGameKey() && Game.KeyPressed(static_cast<uint16_t>(Game.KeySelect), false))
            Game.LeaveForTitle();
    }

protected:
    TOverlay Overlay() const override { return {Game.GameOverImage, miGameOverImage}; }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsGameOver>(TMiniGame& game) {
    return std::make_unique<TGameOverScreen>(game);
}
