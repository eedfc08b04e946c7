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
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// Seconds a hint costs in the timed game, points in the relaxed one.
constexpr int32_t kHintCost = 10;
constexpr int32_t kRelaxedHintCost = 100;

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
    // On the desktop's name entry every key, the digits included, is the
    // editor's; everywhere else the volume keys work.
    if (kHandheld || State != TGameState::gsEnterName)
        VolumeKeys();
    (this->*KeysOf(State))();
}

// The one place that says which handler reads the keys of a state; a state
// without an entry takes none but the global ones.
TMiniGame::TKeyHandler TMiniGame::KeysOf(TGameState state) {
    static const std::pair<TGameState, TKeyHandler> kHandlers[] = {
        {TGameState::gsTitle, &TMiniGame::TitleKeys},
        {TGameState::gsReady, &TMiniGame::ReadyKeys},
        {TGameState::gsPlaying, &TMiniGame::PlayKeys},
        {TGameState::gsRetry, &TMiniGame::RetryKeys},
        {TGameState::gsLevelDone, &TMiniGame::LevelDoneKeys},
        {TGameState::gsPaused, &TMiniGame::PausedKeys},
        {TGameState::gsGameOver, &TMiniGame::GameOverKeys},
        {TGameState::gsHighscores, &TMiniGame::TableKeys},
        {TGameState::gsEnterName, &TMiniGame::NameEntryKeys},
    };
    for (const auto& [s, handler] : kHandlers)
        if (s == state)
            return handler;
    return &TMiniGame::NoKeys;
}

bool TMiniGame::LeaveGameKey() {
    if (!KeyPressed(KeyQuit, true))
        return false;
    LeaveForTitle();
    return true;
}

bool TMiniGame::RestartKey() {
    if (!KeyPressed(SDLK_r, true))
        return false;
    SetState(TGameState::gsRetry);
    return true;
}

// Load, save and the autoplay switch: play's own commands.
bool TMiniGame::PlayCommandKeys() {
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

bool TMiniGame::PauseKey() {
    if (!KeyPressed(KeyPause, false))
        return false;
    SetState(State == TGameState::gsPaused ? TGameState::gsPlaying : TGameState::gsPaused);
    return true;
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
    if (KeyPressed(KeyVolumeDown, false))
        StepVolumes(-1);
    if (KeyPressed(KeyVolumeUp, false))
        StepVolumes(1);
}

void TMiniGame::NoKeys() {}

bool TMiniGame::FromPad(int32_t key) const {
    const auto k = static_cast<size_t>(key);
    return PadKeys()[k] || PadPressedKeys[k];
}

void TMiniGame::TitleKeys() {
    if (KeyPressed(KeyQuit, true)) {
        Quit();
        return;
    }
    if (KeyPressed(KeySelect, true)) {
        NewGameOf(TGameKind::Timed);
    } else if (!kHandheld && !FromPad(KeyRelaxed) && KeyPressed(KeyRelaxed, true)) {
        NewGameOf(TGameKind::Relaxed);
    } else if (!kHandheld && KeptGame && KeyPressed(KeyContinue, true)) {
        ContinueGame();
    } else if (KeyPressed(KeyHighscores, true)) {
        TableShown = GameKind;
        TableOf(TableShown)->Activate();
        SetState(TGameState::gsHighscores);
    }
}

void TMiniGame::ReadyKeys() {
    Cursor->Hide();
    if (LeaveGameKey())
        return;
    if (KeyPressed(KeySelect, true)) {
        SetState(TGameState::gsPlaying);
        Cursor->Show();
    }
}

void TMiniGame::RetryKeys() {
    if (LeaveGameKey() || RestartKey() || Board->IsBusy() || !KeyPressed(KeySelect, true))
        return;
    StartLevel(Level);
    Selection->Hide();
    Cursor->Show();
    SetState(TGameState::gsPlaying);
}

void TMiniGame::LevelDoneKeys() {
    if (LeaveGameKey() || RestartKey() || Board->IsBusy() || !KeyPressed(KeySelect, true))
        return;
    StartNextLevel();
}

void TMiniGame::GameOverKeys() {
    if (!LeaveGameKey() && KeyPressed(KeySelect, false))
        LeaveForTitle();
}

void TMiniGame::PausedKeys() {
    if (!LeaveGameKey() && !RestartKey())
        PauseKey();
}

// Return (the scene's) ends the table; X leaves it as well. On the desktop
// and the web the relaxed key switches between the two tables.
void TMiniGame::TableKeys() {
    if (!kHandheld && KeyPressed(KeyRelaxed, true)) {
        TableOf(TableShown)->Deactivate();
        TableShown = TableShown == TGameKind::Timed ? TGameKind::Relaxed : TGameKind::Timed;
        TableOf(TableShown)->Activate();
        return;
    }
    if (!TableOf(TableShown)->HandleInput())
        LeaveGameKey();
}

// While the name entry is shown every key is the editor's. The handheld keeps
// the editor's buttons and X to leave without saving. On the desktop the name
// is typed as well, X types an X, and Escape leaves without saving.
void TMiniGame::NameEntryKeys() {
    if constexpr (kHandheld) {
        if (!NameEditor->HandleInput())
            LeaveGameKey();
        return;
    }
    if (KeyPressed(SDLK_ESCAPE, true)) {
        LeaveForTitle();
        return;
    }
    for (uint16_t c : TypedChars)
        NameEditor->Type(c);
    NameEditor->HandleInput();
}

bool TMiniGame::EscapeEndsProgram() const {
    return kHandheld || State != TGameState::gsEnterName;
}

void TMiniGame::PlayKeys() {
    if (LeaveGameKey() || RestartKey() || PlayCommandKeys() || PauseKey())
        return;
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
        if (GameKind == TGameKind::Relaxed)
            Score = std::max(Score - kRelaxedHintCost, 0);
        else
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
    if (State != TGameState::gsLevelDone || Board->IsBusy())
        return;
    if (DemoMode)
        LeaveForTitle();
    else if (AutoPlay)
        StartNextLevel();
}

void TMiniGame::StartNextLevel() {
    if (Music != nullptr)
        Music->Stop(500);
    StartLevel(Level + 1);
    Cursor->Show();
    SetState(TGameState::gsPlaying);
}

void TMiniGame::LeaveForTitle() {
    KeepGame();
    if (DemoMode)
        Score = scoreBeforeDemo_; // the title's last score is the player's
    SetState(TGameState::gsTitle);
    DemoMode = false;
    AutoPlay = false;
    Cursor->Hide();
    Selection->Hide();
}

bool TMiniGame::InputThisFrame() const {
    return AnyKeyPressed() || std::any_of(PointerEvents.begin(), PointerEvents.end(),
                                          [](const TfwPointerEvent& e) { return e.Down; });
}

void TMiniGame::StoreEnteredName() {
    if (State != TGameState::gsEnterName || !NameEditor)
        return;
    NameEditor->Finished = true;
    TakeSceneResults();
}

void TMiniGame::TakeSceneResults() {
    if (State == TGameState::gsEnterName && NameEditor && NameEditor->Finished) {
        // Directly, as the table's return below: for this state SetState would do no more.
        State = TGameState::gsHighscores;
        TableShown = GameKind;
        THighscoreManager* table = TableOf(TableShown);
        if (table == nullptr)
            return;
        table->AddScore(NameEditor->Name, static_cast<uint32_t>(NameEditor->Score), 1, 1);
        // The table shows the entry in any case; a save that failed says so
        // there and on standard error (the log may sit on the same full disk).
        if (!table->Save())
            ReportToPlayer(table->SaveError + " (the high scores could not be saved)");
        table->Activate();
        LastName = NameEditor->Name;
    } else if (State == TGameState::gsHighscores && TableOf(TableShown) &&
               TableOf(TableShown)->Finished) {
        TableOf(TableShown)->Deactivate();
        // Directly, not through SetState, so the title's idle count goes on from where it was.
        State = TGameState::gsTitle;
    }
}
