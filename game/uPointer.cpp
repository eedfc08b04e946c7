// The desktop mouse: pointer events of a frame turned into the moves the keys
// make. In play a click acts exactly as the select key on the stone under the
// pointer, and on the pause symbol as the pause key; on the title's entries as
// their keys; in the name entry the wheel is Up and Down and a click places
// the cursor or confirms; elsewhere a click stands for the screen's confirm key.
#include "tessaril.h"

#include "fwConfig.h"
#include "fwSprite.h"
#include "uHighscore.h"

#include <cstdlib>

namespace {

bool Shown(const TfwSprite* sprite) {
    return sprite != nullptr && sprite->Shown();
}

bool Neighbours(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    return std::abs(col1 - col2) + std::abs(row1 - row2) == 1;
}

} // namespace

void TMiniGame::HandlePointer() {
    if (kHandheld)
        return;
    for (const TfwPointerEvent& e : PointerEvents) {
        if ((e.Button == SDL_BUTTON_WHEELUP || e.Button == SDL_BUTTON_WHEELDOWN) && e.Down &&
            State == TGameState::gsEnterName)
            PressKey(e.Button == SDL_BUTTON_WHEELUP ? SDLK_UP : SDLK_DOWN);
        else if (e.Button == SDL_BUTTON_LEFT && e.Down)
            PointerPressed(e);
        else if (e.Button == SDL_BUTTON_LEFT)
            PointerReleased(e);
        else if (e.Button == SDL_BUTTON_RIGHT && e.Down && e.OnPicture &&
                 State == TGameState::gsPlaying)
            PressKey(SDLK_y); // the hint key, with its cost
    }
}

void TMiniGame::PointerPressed(const TfwPointerEvent& e) {
    dragCol_ = -1;
    if (!e.OnPicture)
        return;
    switch (State) {
    case TGameState::gsPlaying:
        if (!OnPauseSymbol(e))
            break;
        PressKey(static_cast<uint16_t>(KeyPause));
        return;
    case TGameState::gsPaused:
        PressKey(static_cast<uint16_t>(KeyPause));
        return;
    case TGameState::gsTitle:
        TitleClicked(e);
        return;
    case TGameState::gsEnterName:
        NameEntryClicked(e);
        return;
    case TGameState::gsHighscores: // the last line switches the table; elsewhere back
        PressKey(e.Y >= kTableHelpY && e.Y < kTableHelpY + kTableHelpHeight
                     ? static_cast<uint16_t>(KeyRelaxed)
                     : static_cast<uint16_t>(SDLK_RETURN));
        return;
    default:
        PressKey(static_cast<uint16_t>(KeySelect));
        return;
    }
    int32_t col = 0, row = 0;
    if (!StoneAt(e, col, row) || Board->IsBusy())
        return; // as the select key, a click on a busy board is lost
    dragCol_ = col;
    dragRow_ = row;
    dragOnSelected_ = Shown(Selection) && SelCol == col && SelRow == row;
    // The selected stone is dropped on release, so that a drag from it swaps.
    if (!dragOnSelected_)
        ClickStone(col, row);
}

void TMiniGame::PointerReleased(const TfwPointerEvent& e) {
    const int32_t fromCol = dragCol_;
    const int32_t fromRow = dragRow_;
    dragCol_ = -1;
    int32_t col = 0, row = 0;
    if (fromCol < 0 || State != TGameState::gsPlaying || !StoneAt(e, col, row) || Board->IsBusy())
        return;
    const bool fromSelected = Shown(Selection) && SelCol == fromCol && SelRow == fromRow;
    if (col == fromCol && row == fromRow) {
        if (dragOnSelected_ && fromSelected)
            ClickStone(col, row); // a click on the selected stone drops it
    } else if (fromSelected && Neighbours(fromCol, fromRow, col, row)) {
        ClickStone(col, row); // a drag onto a neighbour swaps
    }
}

bool TMiniGame::OnPauseSymbol(const TfwPointerEvent& e) const {
    return !DemoMode && e.X >= kPauseAreaLeft && e.Y < kPauseAreaBottom;
}

void TMiniGame::TitleClicked(const TfwPointerEvent& e) {
    switch (TitleEntryAt(e.X, e.Y)) {
    case teContinue:
        PressKey(static_cast<uint16_t>(KeyContinue));
        break;
    case teRelaxed:
        PressKey(static_cast<uint16_t>(KeyRelaxed));
        break;
    case teHighscores:
        PressKey(static_cast<uint16_t>(KeyHighscores));
        break;
    case teQuit:
        PressKey(static_cast<uint16_t>(KeyQuit));
        break;
    case teStart:
        PressKey(static_cast<uint16_t>(KeySelect));
        break;
    default: // off the entries: a start, unless that would drop a kept game
        if (!KeptGame)
            PressKey(static_cast<uint16_t>(KeySelect));
        break;
    }
}

void TMiniGame::NameEntryClicked(const TfwPointerEvent& e) {
    if (!NameEditor)
        return;
    if (THighscoreEditor::OnConfirmLine(e.X, e.Y))
        PressKey(SDLK_RETURN);
    else if (const int32_t place = THighscoreEditor::PlaceAt(e.X, e.Y); place > 0)
        NameEditor->MoveCursorTo(place);
}

bool TMiniGame::StoneAt(const TfwPointerEvent& e, int32_t& col, int32_t& row) const {
    if (!e.OnPicture || !Board || !Engine)
        return false;
    const int32_t pitchX = Board->CellPitchX();
    const int32_t pitchY = Board->CellPitchY();
    const int32_t x = e.X - Engine->X;
    const int32_t y = e.Y - Engine->Y;
    if (x < 0 || y < 0 || pitchX <= 0 || pitchY <= 0)
        return false;
    col = x / pitchX;
    row = y / pitchY;
    return col < Board->Width && row < Board->Height;
}

// The select key with the cursor on (col, row); a stone that is not the
// selected one or its neighbour drops the selection first and is selected.
void TMiniGame::ClickStone(int32_t col, int32_t row) {
    if (Shown(Selection) && !(SelCol == col && SelRow == row) &&
        !Neighbours(SelCol, SelRow, col, row))
        Selection->Hide();
    CursorCol = col;
    CursorRow = row;
    PlaySound(SoundClick2, SoundVolume);
    TryStone();
}
