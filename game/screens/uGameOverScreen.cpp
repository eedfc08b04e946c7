// Game over. A score the table takes shows "GAME OVER" for a second, deaf to
// every input, so that a key pressed as the game ended never reaches the name
// entry that follows by itself. For another score select or the quit key goes
// back to the title.
#include "uScreen.h"

namespace {

constexpr uint32_t kShownBeforeNameEntryMs = 1000;

class TGameOverScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    void Enter() override {
        // The row stored at the game's end, or on the handheld a score the
        // table would take.
        entryDue_ = Ctx.Tables.RowStored() || Ctx.Tables.Takes(Ctx.Session.Kind, Ctx.Session.Score);
        shownAt_ = fwGetTicks();
    }

    void Leave() override { entryDue_ = false; }

    bool Step() override {
        if (!entryDue_)
            return true;
        if (fwGetTicks() - shownAt_ >= kShownBeforeNameEntryMs) {
            entryDue_ = false;
            Ctx.Moves.EnterName();
        }
        return false;
    }

    // Ending meanwhile keeps the score, under the name the entry would offer.
    void ProgramEnds() override {
        if (!entryDue_ || !Ctx.Tables.Editor())
            return;
        entryDue_ = false;
        Ctx.Moves.EnterName();
        Ctx.States.ScreenOf(TGameState::gsEnterName).ProgramEnds();
    }

    void Keys() override {
        if (!LeaveGameKey() && Pressed(TAction::Select, false))
            Ctx.Moves.LeaveForTitle();
    }

protected:
    TOverlay Overlay() const override { return {Ctx.Media.GameOverImage, miGameOverImage}; }

private:
    bool entryDue_ = false; // the name entry follows
    uint32_t shownAt_ = 0;  // fwGetTicks when the screen appeared
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsGameOver>(TScreenContext& context) {
    return std::make_unique<TGameOverScreen>(context);
}
