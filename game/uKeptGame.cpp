// The kept game and the two kinds of game: a player's unfinished game written
// to savegame.txt when it is left and at every level start, offered by the
// title and continued on its ready overlay; the timed and the relaxed game
// with a table each.
#include "fwConfig.h"
#include "fwLog.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uHighscore.h"
#include "uScreen.h"

namespace {

constexpr const char* kTag = "TMiniGame::LoadKeptGame";

} // namespace

bool TMiniGame::KeepsThisGame() const {
    return !kHandheld && !demoMode_ && !autoPlay_;
}

THighscoreManager* TMiniGame::TableOf(TGameKind kind) const {
    return kind == TGameKind::Relaxed && relaxedHighscores_ ? relaxedHighscores_.get()
                                                            : highscores_.get();
}

void TMiniGame::LoadKeptGame() {
    keptGame_.reset();
    if (kHandheld || !board_)
        return;
    TSavedGame game;
    std::string why;
    if (ReadSavedGame(board_->Width, board_->Height, game, why)) {
        keptGame_ = game;
        return;
    }
    if (why.empty())
        return; // none kept
    // Not ours to read: kept for the player to look at, out of the game's way.
    const std::string aside = SetSavedGameAside();
    Log().Write(kTag, std::string(kSaveGameFile) + ": " + why + "; " +
                          (aside.empty() ? "it could not be set aside" : "set aside as " + aside));
}

void TMiniGame::RememberRestPoint() {
    TSavedGame& g = restPoint_;
    g.Kind = gameKind_;
    g.Level = level_;
    g.Score = score_;
    g.ScoreAtDeal = scoreAtDeal_;
    g.Lives = lives_;
    g.TimeLeft = timeLeft_;
    g.Goals.assign(goals_.begin() + 1, goals_.begin() + 1 + colours_);
    g.SpawnCount = board_->SpawnCount;
    g.RandomState = board_->Rand.State();
    g.Kinds.assign(static_cast<size_t>(board_->Height),
                   std::vector<int32_t>(static_cast<size_t>(board_->Width), 0));
    for (int32_t row = 0; row < board_->Height; ++row)
        for (int32_t col = 0; col < board_->Width; ++col)
            if (const TButtonSprite* stone = board_->StoneAt(col, row))
                g.Kinds[static_cast<size_t>(row)][static_cast<size_t>(col)] = stone->Kind;
}

void TMiniGame::KeepLevelStart() {
    if (!KeepsThisGame())
        return;
    RememberRestPoint();
    WriteSavedGame(restPoint_);
}

void TMiniGame::KeepGame() {
    if (!KeepsThisGame()) {
        // The demo keeps nothing; an autoplayed game is no longer the player's.
        if (!kHandheld && !demoMode_ && autoPlay_ && InGame())
            DropKeptGame();
        return;
    }
    switch (ScreenOf(state_).KeptAs()) {
    case TScreen::TKept::DealtAgain: // that life is lost: the level as it is dealt again
        StartLevel(level_);
        SetState(TGameState::gsReady);
        break;
    case TScreen::TKept::NextLevel: // the next level's start
        StartLevel(level_ + 1);
        SetState(TGameState::gsReady);
        break;
    case TScreen::TKept::AsItStands:
        WriteSavedGame(restPoint_);
        break;
    case TScreen::TKept::No:
        return;
    }
    keptGame_ = restPoint_;
}

void TMiniGame::DropKeptGame() {
    if (kHandheld)
        return;
    keptGame_.reset();
    RemoveSavedGame();
}

bool TMiniGame::InGame() const {
    return ScreenOf(state_).KeptAs() != TScreen::TKept::No;
}

void TMiniGame::NewGameOf(TGameKind kind) {
    DropKeptGame();
    gameKind_ = kind;
    NewGame();
    SetState(TGameState::gsReady);
}

void TMiniGame::ContinueGame() {
    if (!keptGame_)
        return;
    const TSavedGame g = *keptGame_;
    DropKeptGame();
    autoPlay_ = false;
    gameKind_ = g.Kind;
    lives_ = g.Lives;
    score_ = g.Score;
    BeginLevel(g.Level);
    scoreAtDeal_ = g.ScoreAtDeal;
    timeLeft_ = g.TimeLeft;
    for (size_t i = 0; i < g.Goals.size() && i + 1 < goals_.size(); ++i)
        goals_[i + 1] = g.Goals[i];
    board_->LayBoard(media_.StoneImages, colours_, g.Kinds);
    board_->SpawnCount = g.SpawnCount;
    board_->Rand.Restore(g.RandomState);
    restPoint_ = g;
    SetState(TGameState::gsReady);
}
