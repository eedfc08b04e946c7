// Play: the clock runs, the rules of a frame apply, and the player moves the
// cursor, selects and swaps by keys or, on the desktop, by clicks and drags
// (a click acts as the select key on the stone under it, on the pause symbol
// as the pause key; the right button asks for a hint). A finger on the web
// page's touch screen acts on the stones when it lifts (a tap as the click, a
// swipe onto a neighbour as the drag); one held still on its stone for
// kHintHoldMs asks for the hint instead, and neither selects nor
// swaps.
#include "fwConfig.h"
#include "fwSprite.h"
#include "uGameGrid.h"
#include "uScreen.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool Shown(const TfwSprite* sprite) {
    return sprite != nullptr && sprite->Shown();
}

bool Neighbours(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    return std::abs(col1 - col2) + std::abs(row1 - row2) == 1;
}

class TPlayScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    TKept KeptAs() const override { return TKept::AsItStands; }

    // The demo plays without the cursor.
    void Enter() override {
        if (!Ctx.Mode.Demo)
            Ctx.View.Cursor->Show();
    }

    void Leave() override {
        dragCol_ = -1;
        touch_ = {};
    }

    bool Step() override { return Ctx.Moves.PlayRules(); }

    void Keys() override {
        if (LeaveGameKey() || RestartKey() || CommandKeys() || PauseKey(TGameState::gsPaused))
            return;
        if (!Pressed(TAction::Select, false)) {
            MoveCursorKeys();
            return;
        }
        // A press while the board is busy is lost, without waiting for its release.
        if (Ctx.View.Board->IsBusy())
            return;
        Pressed(TAction::Select, true);
        Ctx.Sounds.Play(Ctx.Media.SoundClick2);
        Ctx.Moves.TryStone();
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button == SDL_BUTTON_RIGHT && e.OnPicture)
            Start(TAction::Hint); // with its cost
        if (e.Button != SDL_BUTTON_LEFT)
            return;
        dragCol_ = -1;
        if (!e.OnPicture)
            return;
        if (OnPauseSymbol(e)) {
            Start(TAction::Pause);
            return;
        }
        int32_t col = 0, row = 0;
        if (!StoneAt(e, col, row) || Ctx.View.Board->IsBusy())
            return; // as the select key, a click on a busy board is lost
        if (e.Touch) {
            touch_ = {col, row, fwGetTicks(), false, false};
            return;
        }
        dragCol_ = col;
        dragRow_ = row;
        dragOnSelected_ =
            Shown(Ctx.View.Selection) && Ctx.Session.SelCol == col && Ctx.Session.SelRow == row;
        // The selected stone is dropped on release, so that a drag from it swaps.
        if (!dragOnSelected_)
            ClickStone(col, row);
    }

    void PointerReleased(const TfwPointerEvent& e) override {
        if (e.Touch) {
            FingerLifted(e);
            return;
        }
        const int32_t fromCol = dragCol_;
        const int32_t fromRow = dragRow_;
        dragCol_ = -1;
        int32_t col = 0, row = 0;
        if (fromCol < 0 || !StoneAt(e, col, row) || Ctx.View.Board->IsBusy())
            return;
        const bool fromSelected = Shown(Ctx.View.Selection) && Ctx.Session.SelCol == fromCol &&
                                  Ctx.Session.SelRow == fromRow;
        if (col == fromCol && row == fromRow) {
            if (dragOnSelected_ && fromSelected)
                ClickStone(col, row); // a click on the selected stone drops it
        } else if (fromSelected && Neighbours(fromCol, fromRow, col, row)) {
            ClickStone(col, row); // a drag onto a neighbour swaps
        }
    }

    void FingerMoved(const TfwPointerEvent& e) override {
        int32_t col = 0, row = 0;
        if (touch_.Col >= 0 && !(StoneAt(e, col, row) && col == touch_.Col && row == touch_.Row))
            touch_.Moved = true;
    }

    // A finger held still on its stone long enough is the hint key, once.
    void FingerHeld() override {
        if (touch_.Col < 0 || touch_.Moved || touch_.Hinted ||
            fwGetTicks() - touch_.Since < kHintHoldMs)
            return;
        touch_.Hinted = true;
        Start(TAction::Hint);
    }

    // The clock's second (the relaxed game has none).
    void SecondElapsed() override { Ctx.Session.ClockSecond(); }
    // The clock counts, the board resolves and autoplay moves every frame.
    uint32_t UntilNextChange(uint32_t now) const override {
        (void)now;
        return 0;
    }

    // Only the demo plays itself; a player's game waits for its player,
    // unless the player would rather it ran on.
    void WindowDeactivated() override {
        if (Ctx.Prefs.PauseWhenAway && !(Ctx.Mode.Demo && Ctx.Mode.AutoPlay))
            Ctx.States.Set(TGameState::gsPaused);
    }

protected:
    TPauseSymbol PauseSymbolShown() const override { return TPauseSymbol::Pause; }

private:
    // The cell a left press went down on, where a drag starts; -1 none.
    int32_t dragCol_ = -1;
    int32_t dragRow_ = -1;
    bool dragOnSelected_ = false; // pressed on the selected stone: its release there drops it
    // A finger down: the stone it landed on (Col -1: none), when (ms), whether
    // it left that stone, and whether holding it gave the hint.
    struct TTouch {
        int32_t Col = -1;
        int32_t Row = -1;
        uint32_t Since = 0;
        bool Moved = false;
        bool Hinted = false;
    };
    TTouch touch_;

    // The finger's press and release at once: a tap is the click on its
    // stone, a swipe onto a neighbour the drag that swaps.
    void FingerLifted(const TfwPointerEvent& e) {
        const TTouch t = touch_;
        touch_ = {};
        int32_t col = 0, row = 0;
        if (t.Col < 0 || t.Hinted || !StoneAt(e, col, row) || Ctx.View.Board->IsBusy())
            return;
        if (col == t.Col && row == t.Row) {
            ClickStone(col, row);
            return;
        }
        if (!Neighbours(t.Col, t.Row, col, row))
            return;
        if (!(Shown(Ctx.View.Selection) && Ctx.Session.SelCol == t.Col &&
              Ctx.Session.SelRow == t.Row))
            ClickStone(t.Col, t.Row);
        ClickStone(col, row);
    }

    // Load, save and the autoplay switch: play's own commands.
    bool CommandKeys() {
        if (Pressed(TAction::LoadBoard, true)) {
            Ctx.Moves.LoadBoardFile();
            Ctx.View.Cursor->Show();
            Ctx.View.Selection->Hide();
            return true;
        }
        if (Pressed(TAction::SaveBoard, true)) {
            Ctx.Moves.SaveBoardFile();
            return true;
        }
        // The handheld binds no autoplay switch: its A button pauses.
        if (Pressed(TAction::AutoPlay, false)) {
            Ctx.Mode.AutoPlay = !Ctx.Mode.AutoPlay;
            return true;
        }
        return false;
    }

    void MoveCursorKeys() {
        TGameGrid& board = *Ctx.View.Board;
        if (Pressed(TAction::Hint, false) && !board.IsBusy()) {
            Ctx.Moves.Hint();
        }
        int32_t col = Ctx.Session.CursorCol;
        int32_t row = Ctx.Session.CursorRow;
        auto arrow = [&](TAction move, bool allowed, int32_t& coordinate, int32_t step) {
            if (Pressed(move, false) && allowed) {
                Ctx.Sounds.Play(Ctx.Media.SoundClick1);
                coordinate += step;
            }
        };
        arrow(TAction::Left, col > 0, col, -1);
        arrow(TAction::Right, col < board.Width - 1, col, 1);
        arrow(TAction::Up, row > 0, row, -1);
        arrow(TAction::Down, row < board.Height - 1, row, 1);
        // With a stone selected the cursor stays on it or a neighbour.
        if (Ctx.View.Selection->Shown() &&
            std::abs(Ctx.Session.SelCol - col) + std::abs(Ctx.Session.SelRow - row) > 1)
            return;
        Ctx.Session.CursorCol = col;
        Ctx.Session.CursorRow = row;
    }

    bool OnPauseSymbol(const TfwPointerEvent& e) const {
        return !Ctx.Mode.Demo && e.X >= kPauseAreaLeft && e.Y < kPauseAreaBottom;
    }

    bool StoneAt(const TfwPointerEvent& e, int32_t& col, int32_t& row) const {
        if (!e.OnPicture || !Ctx.View.Board || !Ctx.View.Engine)
            return false;
        const int32_t pitchX = Ctx.View.Board->CellPitchX();
        const int32_t pitchY = Ctx.View.Board->CellPitchY();
        const int32_t x = e.X - Ctx.View.Engine->X;
        const int32_t y = e.Y - Ctx.View.Engine->Y;
        if (x < 0 || y < 0 || pitchX <= 0 || pitchY <= 0)
            return false;
        col = x / pitchX;
        row = y / pitchY;
        return col < Ctx.View.Board->Width && row < Ctx.View.Board->Height;
    }

    // The select key with the cursor on (col, row); a stone that is not the
    // selected one or its neighbour drops the selection first and is selected.
    void ClickStone(int32_t col, int32_t row) {
        if (Shown(Ctx.View.Selection) &&
            !(Ctx.Session.SelCol == col && Ctx.Session.SelRow == row) &&
            !Neighbours(Ctx.Session.SelCol, Ctx.Session.SelRow, col, row))
            Ctx.View.Selection->Hide();
        Ctx.Session.CursorCol = col;
        Ctx.Session.CursorRow = row;
        Ctx.Sounds.Play(Ctx.Media.SoundClick2);
        Ctx.Moves.TryStone();
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsPlaying>(TScreenContext& context) {
    return std::make_unique<TPlayScreen>(context);
}
