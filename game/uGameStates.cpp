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
    if (state == state_)
        return;
    if (!changedFrom_)
        changedFrom_ = state_;
    state_ = state;
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
    if (from == state_ || !cursor_ || !selection_)
        return;
    ScreenOf(from).Leave();
    ScreenOf(state_).Enter();
}

void TMiniGame::HandleKeys() {
    TScreen& screen = ScreenOf(state_);
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
            ScreenOf(state_).FingerMoved(e);
        else if (e.Down)
            ScreenOf(state_).PointerPressed(e);
        else if (e.Button == SDL_BUTTON_LEFT)
            ScreenOf(state_).PointerReleased(e);
    }
    ScreenOf(state_).FingerHeld();
}

bool TMiniGame::EscapeEndsProgram() const {
    return !ScreenOf(state_).TakesEveryKey();
}

void TMiniGame::ReportToPlayer(const std::string& text) {
    std::fprintf(stderr, "tessaril: %s\n", text.c_str());
}

void TMiniGame::SetVolumes() {
    if (Silent)
        return; // kept for the screen; there is no mixer to tell
    Mix_VolumeMusic(musicVolume_);
    Mix_Volume(-1, soundVolume_);
}

void TMiniGame::StepVolumes(int32_t step) {
    // The two volumes move together, and only while both stay in 0 .. 128.
    const int32_t sound = soundVolume_ + step;
    const int32_t music = musicVolume_ + step;
    if (sound >= 0 && sound <= MIX_MAX_VOLUME && music >= 0 && music <= MIX_MAX_VOLUME) {
        soundVolume_ = sound;
        musicVolume_ = music;
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
        MakeSelection(cursorCol_, cursorRow_);
        return;
    }
    // A second select on the selected cell drops the selection; on a
    // neighbour it swaps or shows the refusal, and the selection ends either way.
    if (selCol_ != cursorCol_ || selRow_ != cursorRow_) {
        if (board_->IsValidSwap(selCol_, selRow_, cursorCol_, cursorRow_))
            board_->Swap(selCol_, selRow_, cursorCol_, cursorRow_);
        else
            board_->RejectSwap(selCol_, selRow_, cursorCol_, cursorRow_);
    }
    selection_->Hide();
}

void TMiniGame::MakeSelection(int32_t col, int32_t row) {
    selCol_ = col;
    selRow_ = row;
    selection_->Show();
}

void TMiniGame::StartNextLevel() {
    if (music_ != nullptr)
        music_->Stop(500);
    StartLevel(level_ + 1);
    SetState(TGameState::gsPlaying);
}

void TMiniGame::RestartLevel() {
    score_ = scoreAtDeal_;
    SetState(TGameState::gsRetry);
}

void TMiniGame::LeaveForTitle() {
    KeepGame();
    if (demoMode_)
        score_ = scoreBeforeDemo_; // the title's last score is the player's
    idleSeconds_ = 0;
    SetState(TGameState::gsTitle);
    demoMode_ = false;
    autoPlay_ = false;
}

bool TMiniGame::InputThisFrame() const {
    return AnyKeyPressed() || std::any_of(PointerEvents.begin(), PointerEvents.end(),
                                          [](const TfwPointerEvent& e) { return e.Down; });
}
