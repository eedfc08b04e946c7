// The state machine and the input: which screen a state shows (the table in
// uScreen.cpp), the change of screens at the end of a frame, the frame's keys
// and mouse handed to the screen of the state, the volume keys every screen
// shares, and the moves of the game the screens make.
#include "fwConfig.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uGameGrid.h"
#include "uScreen.h"

#include <algorithm>

void TGameStates::Set(TGameState state) {
    openers_.clear();
    Change(state);
}

void TGameStates::Open(TGameState state) {
    if (state == state_)
        return;
    openers_.push_back(state_);
    Change(state);
}

void TGameStates::Back() {
    if (openers_.empty()) {
        Change(TGameState::gsTitle);
        return;
    }
    const TGameState to = openers_.back();
    openers_.pop_back();
    Change(to);
}

void TGameStates::Change(TGameState state) {
    if (state == state_)
        return;
    if (!changedFrom_)
        changedFrom_ = state_;
    state_ = state;
}

TScreen& TGameStates::ScreenOf(TGameState state) const {
    for (const auto& [s, screen] : screens_)
        if (s == state)
            return *screen;
    return *none_;
}

void TGameStates::SetScreens(TScreenList screens, std::unique_ptr<TScreen> none) {
    screens_ = std::move(screens);
    none_ = std::move(none);
}

// At the end of the frame, so that no screen is left while its own keys or
// step still run.
bool TGameStates::ChangeScreen(bool live) {
    if (!changedFrom_)
        return false;
    const TGameState from = *changedFrom_;
    changedFrom_.reset();
    if (from != state_ && live) {
        ScreenOf(from).Leave();
        ScreenOf(state_).Enter();
    }
    return true;
}

void TMiniGame::EndFrame() {
    // A change of screen asked for in this frame (or before it): the next frame draws the new one.
    screenChanged_ = states_.ChangeScreen(view_.Cursor != nullptr && view_.Selection != nullptr);
}

void TMiniGame::HandleKeys() {
    TScreen& screen = states_.Screen();
    if (!AnyKeyPressed()) {
        screen.NoKeys();
        return;
    }
    if (!screen.TakesEveryKey())
        VolumeKeys();
    screen.Keys();
}

void TMiniGame::HandlePointer() {
    if (kHandheld)
        return;
    // The state is read again for every event: a click may change it.
    for (const TfwPointerEvent& e : PointerEvents) {
        if (e.Moved)
            states_.Screen().FingerMoved(e);
        else if (e.Down)
            states_.Screen().PointerPressed(e);
        else if (e.Button == SDL_BUTTON_LEFT)
            states_.Screen().PointerReleased(e);
    }
    states_.Screen().FingerHeld();
}

bool TMiniGame::EscapeEndsProgram() const {
    return !states_.Screen().TakesEveryKey();
}

void TMiniGame::VolumeKeys() {
    if (ActionPressed(ActionId(TAction::VolumeDown), false))
        sounds_.Step(-1);
    if (ActionPressed(ActionId(TAction::VolumeUp), false))
        sounds_.Step(1);
}

void TMiniGame::TryStone() {
    TfwSprite& selection = *view_.Selection;
    if (!selection.Shown()) {
        MakeSelection(session_.CursorCol, session_.CursorRow);
        return;
    }
    // A second select on the selected cell drops the selection; on a
    // neighbour it swaps or shows the refusal, and the selection ends either way.
    const TGameSession& s = session_;
    if (s.SelCol != s.CursorCol || s.SelRow != s.CursorRow) {
        if (board_->IsValidSwap(s.SelCol, s.SelRow, s.CursorCol, s.CursorRow))
            board_->Swap(s.SelCol, s.SelRow, s.CursorCol, s.CursorRow);
        else
            board_->RejectSwap(s.SelCol, s.SelRow, s.CursorCol, s.CursorRow);
    }
    selection.Hide();
}

void TMiniGame::MakeSelection(int32_t col, int32_t row) {
    session_.SelCol = col;
    session_.SelRow = row;
    view_.Selection->Show();
}

void TMiniGame::StartNextLevel() {
    if (music_ != nullptr)
        music_->Stop(500);
    StartLevel(session_.Level + 1);
    states_.Set(TGameState::gsPlaying);
}

void TMiniGame::RestartLevel() {
    session_.RestartToDeal();
    states_.Set(TGameState::gsRetry);
}

void TMiniGame::DealAgain() {
    StartLevel(session_.Level);
    states_.Set(TGameState::gsPlaying);
}

void TMiniGame::LeaveForTitle() {
    KeepGame();
    kept_.Release(); // another copy may go on with it now
    if (mode_.Demo)
        session_.Score = scoreBeforeDemo_; // the title's last score is the player's
    mode_.IdleSeconds = 0;
    states_.Set(TGameState::gsTitle);
    mode_.Demo = false;
    mode_.AutoPlay = false;
}

bool TMiniGame::InputThisFrame() const {
    return AnyKeyPressed() || std::any_of(PointerEvents.begin(), PointerEvents.end(),
                                          [](const TfwPointerEvent& e) { return e.Down; });
}
