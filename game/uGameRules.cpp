// The rules of a game: starting games and levels, points, goals, time and
// lives, the end of a level and of a game, autoplay and the idle demo, in the
// order the per-frame and per-second hooks apply them.
#include "fwImage.h"
#include "fwSound.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uHighscore.h"
#include "uLevelRules.h"
#include "uScreen.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kRestartVolume = 60; // the time-out sound, whatever the volumes
// The cursor and the selection marker are drawn this far up and left of their cell.
constexpr int32_t kCursorInset = 2;
// The +25 marker rises 120 frames of 2 pixels.
constexpr int32_t kMarkerDistance = 240;
// At the end of a board the stones fall this far below the board's lower edge.
constexpr int32_t kDropBelowBoard = 16;

std::string LivesLeft(int32_t lives) {
    return std::to_string(lives) + (lives == 1 ? " life left." : " lives left.");
}

} // namespace

void TMiniGame::PlaceOnCell(TfwSprite* sprite, int32_t col, int32_t row) {
    sprite->X = col * board_->CellPitchX() - kCursorInset;
    sprite->Y = row * board_->CellPitchY() - kCursorInset;
    sprite->Animate();
}

void TMiniGame::UpdateFrame(SDL_Surface* surface) {
    (void)surface;
    NextTrackIfEnded();
    if (!board_)
        return;
    if (view_.Cursor != nullptr)
        PlaceOnCell(view_.Cursor, session_.CursorCol, session_.CursorRow);
    if (view_.Selection != nullptr && view_.Selection->Shown())
        PlaceOnCell(view_.Selection, session_.SelCol, session_.SelRow);
    board_->UpdateModifiers(0);
}

void TMiniGame::ProcessFrame(SDL_Surface* surface) {
    (void)surface;
    if (!board_) {
        Quit();
        return;
    }
    // The demo is an attract mode: any key, click or button ends it, and is
    // not passed on.
    if (mode_.Demo && InputThisFrame()) {
        LeaveForTitle();
        return;
    }
    // Another tab took this game first: it is that tab's to keep now.
    if (kept_.Lost()) {
        kept_.GiveUp();
        LeaveForTitle();
        return;
    }
    if (!states_.Screen().Step())
        return;
    HandlePointer();
    HandleKeys();
}

bool TMiniGame::PlayRules() {
    board_->CheckBoard();
    if (board_->IsBusy())
        return true;
    if (session_.Lives < 1) {
        EndGame();
        return false;
    }
    if (session_.OutOfTime())
        return TimeUp();
    if (session_.AllGoalsMet()) {
        LevelComplete();
        return false;
    }
    if (!board_->HasMoves()) {
        NoMoveLeft();
        return false;
    }
    KeepAtRest();
    if (mode_.AutoPlay)
        AutoPlayMove();
    return true;
}

void TMiniGame::KeepAtRest() {
    if (mode_.KeepsGame()) {
        // Back from autoplay, the game is the player's again: kept anew.
        if (!kept_.Playing())
            kept_.StartNew();
        RememberRestPoint();
        kept_.WriteAtRest(fwGetTicks());
    } else if (!mode_.Demo && kept_.Playing()) {
        kept_.End(); // autoplay's game is no longer the player's: nothing of it is kept
    }
}

void TMiniGame::LevelComplete() {
    DropAllStones();
    sounds_.Play(media_.SoundNextLevel, sounds_.Loud());
    session_.LevelCompleted();
    states_.Set(TGameState::gsLevelDone);
    Announce("Level " + std::to_string(session_.Level) + " complete. Score " +
             std::to_string(session_.Score) + ".");
}

void TMiniGame::NoMoveLeft() {
    session_.LifeLost = TLifeLost::NoMoves;
    if (!LoseLife())
        return;
    KeepNow(); // never a lost life given back
    DropAllStones();
    sounds_.Play(media_.SoundNoMoves, sounds_.Loud());
    states_.Set(TGameState::gsRetry);
    Announce("No moves left: a life lost. " + LivesLeft(session_.Lives));
}

bool TMiniGame::TimeUp() {
    session_.LifeLost = TLifeLost::OutOfTime;
    if (!LoseLife())
        return false;
    KeepNow(); // never a lost life given back
    sounds_.Play(media_.SoundRestart, kRestartVolume);
    DropAllStones();
    states_.Set(TGameState::gsRetry);
    Announce("Out of time: a life lost. " + LivesLeft(session_.Lives));
    return true;
}

bool TMiniGame::LoseLife() {
    if (mode_.Demo) { // the demo ends with its first lost life
        LeaveForTitle();
        return false;
    }
    if (session_.LoseLife())
        return true;
    EndGame();
    return false;
}

void TMiniGame::EndGame() {
    if (mode_.Demo) { // the demo never enters the table
        LeaveForTitle();
        return;
    }
    mode_.AutoPlay = false;
    GameOver();
}

void TMiniGame::AutoPlayMove() {
    int32_t c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    if (!board_->FindMove(1, c1, r1, c2, r2)) {
        if (mode_.Demo)
            LeaveForTitle();
        else
            mode_.AutoPlay = false; // the player takes over
        return;
    }
    session_.CursorCol = c1;
    session_.CursorRow = r1;
    MakeSelection(c2, r2);
    TryStone();
}

uint32_t TMiniGame::UntilNextChange(uint32_t now) const {
    // Stones move on every screen, shown or not, and their ends count.
    if (!board_ || mode_.Demo || screenChanged_ || musicEnded_.load() ||
        board_->Modifiers.Count() > 0)
        return 0;
    return states_.Screen().UntilNextChange(now);
}

void TMiniGame::SecondElapsed(uint32_t elapsed) {
    (void)elapsed;
    SaveSettings(); // at most once a second, and only when one changed
    states_.Screen().SecondElapsed();
}

void TMiniGame::StartDemo() {
    scoreBeforeDemo_ = session_.Score;
    // Before its level starts: the demo keeps no game and tells screen readers nothing.
    mode_.Demo = true;
    NewGame(TGameKind::Timed);
    mode_.IdleSeconds = 0;
    mode_.AutoPlay = true;
    states_.Set(TGameState::gsPlaying);
}

void TMiniGame::NewGame(TGameKind kind) {
    mode_.AutoPlay = false;
    session_ = TGameSession::NewGame(kind);
    StartLevel(1);
}

void TMiniGame::StartLevel(int32_t n) {
    BeginLevel(n);
    // The board discards the animations of the stones it frees, so a level
    // can start while stones still move.
    board_->NewBoard(media_.StoneImages, session_.Colours);
    std::string goal = "Level " + std::to_string(n) + ": " + std::to_string(LevelGoal(n)) +
                       " stones of each of " + std::to_string(session_.Colours) + " colours";
    if (session_.Kind == TGameKind::Timed)
        goal += " in " + std::to_string(session_.TimeLeft) + " seconds";
    Announce(goal + ".");
    KeepNow();
}

void TMiniGame::BeginLevel(int32_t n) {
    session_.BeginLevel(n, board_->Width, board_->Height);
    view_.Cursor->Hide();
    view_.Selection->Hide();
    board_->OnStoneRemoved = [this](TButtonSprite* stone) { StoneRemoved(stone); };
    board_->OnStonesExploded = [this](int32_t) { sounds_.Play(media_.SoundExplode); };
}

void TMiniGame::StoneRemoved(TButtonSprite* stone) {
    if (stone == nullptr || stone->Kind < 0 || stone->Kind > kStoneImageCount)
        return;
    session_.StoneTaken(stone->Kind);
    TfwSprite* marker = engine_->AddChildOfClass<TfwSprite>();
    if (marker == nullptr)
        return;
    marker->SetImage(media_.MarkerImage);
    const int32_t w = media_.StoneImages[0] != nullptr ? media_.StoneImages[0]->Width() : 0;
    const int32_t h = media_.StoneImages[0] != nullptr ? media_.StoneImages[0]->Height() : 0;
    marker->SetPos(stone->X + w / 2 - 5, stone->Y + h / 2 - 5, 0);
    marker->Show();
    TmodNonLocking* rise =
        board_->AddModifier(std::make_unique<TmodNonLocking>(marker, kMarkerDistance, 0, -1));
    rise->OnFinish = [this](TfwPosModifier* m) { RemoveMarker(m); };
}

void TMiniGame::RemoveMarker(TfwPosModifier* modifier) {
    if (modifier != nullptr && modifier->Target != nullptr)
        engine_->RemoveSprite(modifier->Target);
}

void TMiniGame::DropAllStones() {
    // Far enough for the top row to leave the board: 224 pixels, 56 frames of
    // 4, with the 26-pixel pitch of 8 rows. The distance counts half the pixels.
    const int32_t fall = board_->Height * board_->CellPitchY() + kDropBelowBoard;
    for (int32_t col = 0; col < board_->Width; ++col)
        for (int32_t row = 0; row < board_->Height; ++row)
            if (TButtonSprite* stone = board_->StoneAt(col, row))
                board_->AddModifier(std::make_unique<TmodButtonMoving>(stone, fall / 2, 0, 2));
}

void TMiniGame::Hint() {
    session_.PayForHint();
    ShowHint();
}

void TMiniGame::ShowHint() {
    int32_t c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    if (!board_->FindMove(1, c1, r1, c2, r2))
        return;
    if (TButtonSprite* a = board_->StoneAt(c1, r1))
        a->Blink(true);
    if (TButtonSprite* b = board_->StoneAt(c2, r2))
        b->Blink(true);
}

void TMiniGame::GameOver() {
    // A score the table takes goes on to the name entry from there, a second later.
    // The score's row is stored under the name the entry will offer before
    // the kept game goes: a kill from here on loses neither. The handheld
    // stores it once its name is entered.
    if (!kHandheld && tables_.Takes(session_.Kind, session_.Score) &&
        !tables_.StoreRow(session_.Kind, tables_.LastName, session_.Score))
        ReportToPlayer(tables_.Of(session_.Kind)->SaveError +
                       " (the high scores could not be saved)");
    kept_.End();
    states_.Set(TGameState::gsGameOver);
    sounds_.Play(media_.SoundGameOver, sounds_.Loud());
    Announce("Game over. Score " + std::to_string(session_.Score) + ".");
}

void TMiniGame::EnterName() {
    tables_.Editor()->SetEntry(tables_.LastName, session_.Score);
    tables_.Editor()->Activate();
    states_.Set(TGameState::gsEnterName);
    Announce("A high score: type your name, then press Enter.");
}

void TMiniGame::Announce(const std::string& text) {
    if (mode_.Demo)
        return;
    announced_ = text;
    Platform().Announce(text);
}
