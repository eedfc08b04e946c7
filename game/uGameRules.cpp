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

constexpr int32_t kStoneScore = 25;
constexpr int32_t kLevelBonus = 250;   // times the level
constexpr int32_t kRestartVolume = 60; // the time-out sound, whatever the volumes
// The cursor and the selection marker are drawn this far up and left of their cell.
constexpr int32_t kCursorInset = 2;
// The +25 marker rises 120 frames of 2 pixels.
constexpr int32_t kMarkerDistance = 240;
// At the end of a board the stones fall this far below the board's lower edge.
constexpr int32_t kDropBelowBoard = 16;
// A hint costs seconds in the timed game, points in the relaxed one.
constexpr int32_t kHintCost = 10;
constexpr int32_t kRelaxedHintCost = 100;
// The category pair the game's scores go under.
constexpr int32_t kScoreCategory = 1;
constexpr int32_t kScoreSubCategory = 1;

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
    if (cursor_ != nullptr)
        PlaceOnCell(cursor_, cursorCol_, cursorRow_);
    if (selection_ != nullptr && selection_->Shown())
        PlaceOnCell(selection_, selCol_, selRow_);
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
    if (demoMode_ && InputThisFrame()) {
        LeaveForTitle();
        return;
    }
    if (!ScreenOf(state_).Step())
        return;
    HandlePointer();
    HandleKeys();
}

bool TMiniGame::PlayRules() {
    board_->CheckBoard();
    if (board_->IsBusy())
        return true;
    if (lives_ < 1) {
        EndGame();
        return false;
    }
    if (gameKind_ == TGameKind::Timed && timeLeft_ <= 0)
        return TimeUp();
    if (AllGoalsMet()) {
        LevelComplete();
        return false;
    }
    if (!board_->HasMoves()) {
        NoMoveLeft();
        return false;
    }
    if (KeepsThisGame())
        RememberRestPoint();
    if (autoPlay_)
        AutoPlayMove();
    return true;
}

void TMiniGame::LevelComplete() {
    DropAllStones();
    PlaySound(media_.SoundNextLevel, LoudVolume());
    score_ += level_ * kLevelBonus;
    SetState(TGameState::gsLevelDone);
    Announce("Level " + std::to_string(level_) + " complete. Score " + std::to_string(score_) +
             ".");
}

void TMiniGame::NoMoveLeft() {
    lifeLost_ = TLifeLost::NoMoves;
    if (!LoseLife())
        return;
    DropAllStones();
    PlaySound(media_.SoundNoMoves, LoudVolume());
    SetState(TGameState::gsRetry);
    Announce("No moves left: a life lost. " + LivesLeft(lives_));
}

bool TMiniGame::TimeUp() {
    lifeLost_ = TLifeLost::OutOfTime;
    if (!LoseLife())
        return false;
    PlaySound(media_.SoundRestart, kRestartVolume);
    DropAllStones();
    SetState(TGameState::gsRetry);
    Announce("Out of time: a life lost. " + LivesLeft(lives_));
    return true;
}

bool TMiniGame::LoseLife() {
    if (demoMode_) { // the demo ends with its first lost life
        LeaveForTitle();
        return false;
    }
    --lives_;
    if (lives_ > 0)
        return true;
    EndGame();
    return false;
}

void TMiniGame::EndGame() {
    if (demoMode_) { // the demo never enters the table
        LeaveForTitle();
        return;
    }
    autoPlay_ = false;
    GameOver();
}

void TMiniGame::AutoPlayMove() {
    int32_t c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    if (!board_->FindMove(1, c1, r1, c2, r2)) {
        if (demoMode_)
            LeaveForTitle();
        else
            autoPlay_ = false; // the player takes over
        return;
    }
    cursorCol_ = c1;
    cursorRow_ = r1;
    MakeSelection(c2, r2);
    TryStone();
}

uint32_t TMiniGame::UntilNextChange(uint32_t now) const {
    // Stones move on every screen, shown or not, and their ends count.
    if (!board_ || demoMode_ || screenChanged_ || musicEnded_.load() ||
        board_->Modifiers.Count() > 0)
        return 0;
    return ScreenOf(state_).UntilNextChange(now);
}

void TMiniGame::SecondElapsed(uint32_t elapsed) {
    (void)elapsed;
    SaveSettings(); // at most once a second, and only when one changed
    ScreenOf(state_).SecondElapsed();
}

void TMiniGame::StartDemo() {
    scoreBeforeDemo_ = score_;
    demoMode_ =
        true; // before its level starts: the demo keeps no game and tells screen readers nothing
    gameKind_ = TGameKind::Timed;
    NewGame();
    idleSeconds_ = 0;
    autoPlay_ = true;
    SetState(TGameState::gsPlaying);
}

void TMiniGame::NewGame() {
    autoPlay_ = false;
    level_ = 1;
    lives_ = kStartLives;
    score_ = 0;
    colours_ = LevelColours(1);
    timeLeft_ = LevelSeconds(1);
    StartLevel(1);
}

void TMiniGame::StartLevel(int32_t n) {
    BeginLevel(n);
    // The board discards the animations of the stones it frees, so a level
    // can start while stones still move.
    board_->NewBoard(media_.StoneImages, colours_);
    std::string goal = "Level " + std::to_string(n) + ": " + std::to_string(LevelGoal(n)) +
                       " stones of each of " + std::to_string(colours_) + " colours";
    if (gameKind_ == TGameKind::Timed)
        goal += " in " + std::to_string(timeLeft_) + " seconds";
    Announce(goal + ".");
    KeepLevelStart();
}

void TMiniGame::BeginLevel(int32_t n) {
    selCol_ = -1;
    selRow_ = -1;
    level_ = n;
    scoreAtDeal_ = score_;
    lifeLost_ = TLifeLost::None;
    timeLeft_ = LevelSeconds(n);
    cursorCol_ = board_->Width / 2;
    cursorRow_ = board_->Height / 2;
    goals_.fill(0);
    for (int k = 1; k <= kStoneImageCount; ++k)
        goals_[k] = LevelGoal(n);
    colours_ = LevelColours(n);
    cursor_->Hide();
    selection_->Hide();
    board_->OnStoneRemoved = [this](TButtonSprite* stone) { StoneRemoved(stone); };
    board_->OnStonesExploded = [this](int32_t count) { StonesCleared(count); };
}

void TMiniGame::StoneRemoved(TButtonSprite* stone) {
    if (stone == nullptr || stone->Kind < 0 || stone->Kind > kStoneImageCount)
        return;
    goals_[stone->Kind] = std::max(goals_[stone->Kind] - 1, 0);
    score_ += kStoneScore;
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

void TMiniGame::StonesCleared(int32_t count) {
    (void)count;
    PlaySound(media_.SoundExplode, soundVolume_);
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

bool TMiniGame::AllGoalsMet() const {
    for (int32_t k = 1; k <= colours_ && k <= kStoneImageCount; ++k)
        if (goals_[k] > 0)
            return false;
    return true;
}

void TMiniGame::PayForHint() {
    if (gameKind_ == TGameKind::Relaxed)
        score_ = std::max(score_ - kRelaxedHintCost, 0);
    else
        timeLeft_ = std::max(timeLeft_ - kHintCost, 0);
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
    DropKeptGame();
    SetState(TGameState::gsGameOver);
    PlaySound(media_.SoundGameOver, LoudVolume());
    Announce("Game over. Score " + std::to_string(score_) + ".");
}

bool TMiniGame::ScoreEntersTable() const {
    const THighscoreManager* table = TableOf(gameKind_);
    return table != nullptr &&
           table->IsHighscore(static_cast<uint32_t>(score_), kScoreCategory, kScoreSubCategory);
}

void TMiniGame::EnterName() {
    nameEditor_->SetEntry(lastName_, score_);
    nameEditor_->Activate();
    SetState(TGameState::gsEnterName);
    Announce("A high score: type your name, then press Enter.");
}

void TMiniGame::Announce(const std::string& text) {
    if (demoMode_)
        return;
    announced_ = text;
    Platform().Announce(text);
}

void TMiniGame::PlaySound(TfwSDLSound* sound, int32_t volume) {
    if (OnPlaySound)
        OnPlaySound(sound, volume);
    if (sound != nullptr)
        sound->Play(volume);
}
