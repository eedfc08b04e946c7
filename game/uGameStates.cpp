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

#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

void TMiniGame::SetState(TGameState state) {
    if (state == State)
        return;
    if (!changedFrom_)
        changedFrom_ = State;
    State = state;
}

TScreen& TMiniGame::ScreenOf(TGameState state) const {
    for (const auto& [s, screen] : screens_)
        if (s == state)
            return *screen;
    return *noScreen_;
}

void TMiniGame::EndFrame() {
    // A change of screen asked for in this frame (or before it): the next frame draws the new one.
    screenChanged_ = changedFrom_.has_value();
    ChangeScreen();
}

// At the end of the frame, so that no screen is left while its own keys or
// step still run.
void TMiniGame::ChangeScreen() {
    if (!changedFrom_)
        return;
    const TGameState from = *changedFrom_;
    changedFrom_.reset();
    if (from == State || !cursor_ || !selection_)
        return;
    ScreenOf(from).Leave();
    ScreenOf(State).Enter();
}

void TMiniGame::HandleKeys() {
    TScreen& screen = ScreenOf(State);
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
            ScreenOf(State).FingerMoved(e);
        else if (e.Down)
            ScreenOf(State).PointerPressed(e);
        else if (e.Button == SDL_BUTTON_LEFT)
            ScreenOf(State).PointerReleased(e);
    }
    ScreenOf(State).FingerHeld();
}

bool TMiniGame::EscapeEndsProgram() const {
    return !ScreenOf(State).TakesEveryKey();
}

void TMiniGame::ReportToPlayer(const std::string& text) {
    std::fprintf(stderr, "tessaril: %s\n", text.c_str());
}

void TMiniGame::SetVolumes() {
    if (Silent)
        return; // kept for the screen; there is no mixer to tell
    Mix_VolumeMusic(MusicVolume);
    Mix_Volume(-1, SoundVolume);
}

void TMiniGame::StepVolumes(int32_t step) {
    // The two volumes move together, and only while both stay in 0 .. 128.
    const int32_t sound = SoundVolume + step;
    const int32_t music = MusicVolume + step;
    if (sound >= 0 && sound <= MIX_MAX_VOLUME && music >= 0 && music <= MIX_MAX_VOLUME) {
        SoundVolume = sound;
        MusicVolume = music;
    }
    SetVolumes();
}

void TMiniGame::VolumeKeys() {
    if (ActionPressed(TAction::VolumeDown, false))
        StepVolumes(-1);
    if (ActionPressed(TAction::VolumeUp, false))
        StepVolumes(1);
}

void TMiniGame::TryStone() {
    if (!selection_->Shown()) {
        MakeSelection(CursorCol, CursorRow);
        return;
    }
    // A second select on the selected cell drops the selection; on a
    // neighbour it swaps or shows the refusal, and the selection ends either way.
    if (SelCol != CursorCol || SelRow != CursorRow) {
        if (board_->IsValidSwap(SelCol, SelRow, CursorCol, CursorRow))
            board_->Swap(SelCol, SelRow, CursorCol, CursorRow);
        else
            board_->RejectSwap(SelCol, SelRow, CursorCol, CursorRow);
    }
    selection_->Hide();
}

void TMiniGame::MakeSelection(int32_t col, int32_t row) {
    SelCol = col;
    SelRow = row;
    selection_->Show();
}

void TMiniGame::StartNextLevel() {
    if (music_ != nullptr)
        music_->Stop(500);
    StartLevel(Level + 1);
    SetState(TGameState::gsPlaying);
}

void TMiniGame::RestartLevel() {
    Score = scoreAtDeal_;
    SetState(TGameState::gsRetry);
}

void TMiniGame::LeaveForTitle() {
    KeepGame();
    if (DemoMode)
        Score = scoreBeforeDemo_; // the title's last score is the player's
    IdleSeconds = 0;
    SetState(TGameState::gsTitle);
    DemoMode = false;
    AutoPlay = false;
}

bool TMiniGame::InputThisFrame() const {
    return AnyKeyPressed() || std::any_of(PointerEvents.begin(), PointerEvents.end(),
                                          [](const TfwPointerEvent& e) { return e.Down; });
}
