// The state machine and the keys: what every key does in each state, and the
// transitions the keys and the high score scenes fire. The rules that change
// state during play are in uGameRules.cpp.
#include "fwConfig.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uHighscore.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cstdlib>

namespace {

// Seconds a hint costs.
constexpr int32_t kHintCost = 10;

} // namespace

void TMiniGame::SetState(TGameState state) {
    if (state == State)
        return;
    State = state;
    if (state == TGameState::gsTitle)
        IdleSeconds = 0;
}

void TMiniGame::HandleKeys() {
    if (!AnyKeyPressed()) {
        NoKeyStep();
        return;
    }
    if (SceneTookKeys() || CommandKeys())
        return;
    PauseKey();
    VolumeKeys();
    QuitKey();
    StateKeys();
}

bool TMiniGame::SceneTookKeys() {
    if (State == TGameState::gsEnterName && NameEditor && NameEditor->HandleInput())
        return true;
    return State == TGameState::gsHighscores && Highscores && Highscores->HandleInput();
}

bool TMiniGame::CommandKeys() {
    if (KeyPressed(SDLK_r, true)) {
        SetState(TGameState::gsRetry);
        return true;
    }
    if (KeyPressed(SDLK_l, true)) {
        LoadBoardFile();
        Cursor->Show();
        Selection->Hide();
        return true;
    }
    if (KeyPressed(SDLK_s, true)) {
        SaveBoardFile();
        return true;
    }
    // The handheld's A button is the pause key; the fixed autoplay switch
    // would shadow it there, so that build goes without it.
    if (!kHandheld && KeyPressed(SDLK_a, false)) {
        AutoPlay = !AutoPlay;
        return true;
    }
    return false;
}

void TMiniGame::PauseKey() {
    if (!KeyPressed(KeyPause, false))
        return;
    if (State == TGameState::gsPaused)
        SetState(TGameState::gsPlaying);
    else if (State == TGameState::gsPlaying)
        SetState(TGameState::gsPaused);
}

void TMiniGame::SetVolumes() {
    if (Silent)
        return; // SDL_mixer divides by its channel count, 0 without a device
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
    if (KeyPressed(KeyVolumeDown, false))
        StepVolumes(-1);
    if (KeyPressed(KeyVolumeUp, false))
        StepVolumes(1);
}

void TMiniGame::QuitKey() {
    if (!KeyPressed(KeyQuit, true))
        return;
    if (State == TGameState::gsTitle)
        Quit();
    else
        SetState(TGameState::gsTitle);
}

void TMiniGame::StateKeys() {
    switch (State) {
    case TGameState::gsTitle:
        TitleKeys();
        break;
    case TGameState::gsReady:
        ReadyKeys();
        break;
    case TGameState::gsRetry:
        RetryKeys();
        break;
    case TGameState::gsLevelDone:
        LevelDoneKeys();
        break;
    case TGameState::gsPlaying:
        PlayKeys();
        break;
    case TGameState::gsGameOver:
        GameOverKeys();
        break;
    default:
        break;
    }
}

void TMiniGame::TitleKeys() {
    if (KeyPressed(KeySelect, true)) {
        NewGame();
        SetState(TGameState::gsReady);
    } else if (KeyPressed(KeyHighscores, true)) {
        Highscores->Activate();
        SetState(TGameState::gsHighscores);
    }
}

void TMiniGame::ReadyKeys() {
    Cursor->Hide();
    if (KeyPressed(KeySelect, true)) {
        SetState(TGameState::gsPlaying);
        Cursor->Show();
    }
}

void TMiniGame::RetryKeys() {
    if (Board->IsBusy() || !KeyPressed(KeySelect, true))
        return;
    StartLevel(Level);
    Selection->Hide();
    Cursor->Show();
    SetState(TGameState::gsPlaying);
}

void TMiniGame::LevelDoneKeys() {
    if (Board->IsBusy() || !KeyPressed(KeySelect, true))
        return;
    StartNextLevel();
}

void TMiniGame::GameOverKeys() {
    if (KeyPressed(KeySelect, false))
        SetState(TGameState::gsTitle);
}

void TMiniGame::PlayKeys() {
    if (!KeyPressed(KeySelect, false)) {
        MoveCursorKeys();
        return;
    }
    // A press while the board is busy is lost, without waiting for its release.
    if (Board->IsBusy())
        return;
    KeyPressed(KeySelect, true);
    PlaySound(SoundClick2, SoundVolume);
    TryStone();
}

void TMiniGame::MoveCursorKeys() {
    if (KeyPressed(SDLK_y, false) && !Board->IsBusy()) {
        TimeLeft = std::max(TimeLeft - kHintCost, 0);
        ShowHint();
    }
    int32_t col = CursorCol;
    int32_t row = CursorRow;
    auto arrow = [&](SDLKey key, bool allowed, int32_t& coordinate, int32_t step) {
        if (KeyPressed(key, false) && allowed) {
            PlaySound(SoundClick1, SoundVolume);
            coordinate += step;
        }
    };
    arrow(SDLK_LEFT, col > 0, col, -1);
    arrow(SDLK_RIGHT, col < Board->Width - 1, col, 1);
    arrow(SDLK_UP, row > 0, row, -1);
    arrow(SDLK_DOWN, row < Board->Height - 1, row, 1);
    // With a stone selected the cursor stays on it or a neighbour.
    if (Selection->Shown() && std::abs(SelCol - col) + std::abs(SelRow - row) > 1)
        return;
    CursorCol = col;
    CursorRow = row;
}

void TMiniGame::TryStone() {
    if (!Selection->Shown()) {
        MakeSelection(CursorCol, CursorRow);
        return;
    }
    // A second select on the selected cell drops the selection; on a
    // neighbour it swaps or shows the refusal, and the selection ends either way.
    if (SelCol != CursorCol || SelRow != CursorRow) {
        if (Board->IsValidSwap(SelCol, SelRow, CursorCol, CursorRow))
            Board->Swap(SelCol, SelRow, CursorCol, CursorRow);
        else
            Board->RejectSwap(SelCol, SelRow, CursorCol, CursorRow);
    }
    Selection->Hide();
}

void TMiniGame::MakeSelection(int32_t col, int32_t row) {
    SelCol = col;
    SelRow = row;
    Selection->Show();
}

void TMiniGame::NoKeyStep() {
    if (!AutoPlay || State != TGameState::gsLevelDone || Board->IsBusy())
        return;
    if (DemoMode)
        EndDemo();
    else
        StartNextLevel();
}

void TMiniGame::StartNextLevel() {
    if (Music != nullptr)
        Music->Stop(500);
    StartLevel(Level + 1);
    Cursor->Show();
    SetState(TGameState::gsPlaying);
}

void TMiniGame::EndDemo() {
    SetState(TGameState::gsTitle);
    DemoMode = false;
    AutoPlay = false;
    Cursor->Hide();
    Selection->Hide();
}

void TMiniGame::TakeSceneResults() {
    if (State == TGameState::gsEnterName && NameEditor && NameEditor->Finished) {
        // Directly, as the table's return below: for this state SetState would do no more.
        State = TGameState::gsHighscores;
        if (!Highscores)
            return;
        Highscores->AddScore(NameEditor->Name, static_cast<uint32_t>(NameEditor->Score), 1, 1);
        Highscores->Save();
        Highscores->Activate();
        LastName = NameEditor->Name;
    } else if (State == TGameState::gsHighscores && Highscores && Highscores->Finished) {
        Highscores->Deactivate();
        // Directly, not through SetState, so the title's idle count goes on from where it was.
        State = TGameState::gsTitle;
    }
}
