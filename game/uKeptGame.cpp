// The kept game and the two kinds of game: a player's game written as it is
// played (uKeptGames.h) and continued from the title on its ready overlay;
// the timed and the relaxed game with a table each.
#include "fwConfig.h"
#include "fwSprite.h"
#include "tessaril.h"
#include "uScreen.h"

#include <algorithm>

void TMiniGame::RememberRestPoint() {
    TSavedGame& g = kept_.RestPoint;
    g.Session = session_;
    // The clock may have run past 0 while stones still fell: kept as out of
    // time all the same, in the range the file takes.
    g.Session.TimeLeft = std::max(g.Session.TimeLeft, 0);
    g.SpawnCount = board_->SpawnCount;
    g.RandomState = board_->Rand.State();
    g.Kinds.assign(static_cast<size_t>(board_->Height),
                   std::vector<int32_t>(static_cast<size_t>(board_->Width), 0));
    for (int32_t row = 0; row < board_->Height; ++row)
        for (int32_t col = 0; col < board_->Width; ++col)
            if (const TButtonSprite* stone = board_->StoneAt(col, row))
                g.Kinds[static_cast<size_t>(row)][static_cast<size_t>(col)] = stone->Kind;
}

void TMiniGame::KeepNow() {
    if (!mode_.KeepsGame())
        return;
    RememberRestPoint();
    kept_.Write(TfwDurability::Flushed, fwGetTicks());
}

void TMiniGame::KeepGame(bool pageHidden) {
    if (!mode_.KeepsGame()) {
        // The demo keeps nothing; an autoplayed game is no longer the player's.
        if (!kHandheld && !mode_.Demo && mode_.AutoPlay && InGame())
            kept_.End();
        return;
    }
    switch (states_.Screen().KeptAs()) {
    case TScreen::TKept::DealtAgain: // that life is lost: the level as it is dealt again
        StartLevel(session_.Level);
        states_.Set(TGameState::gsReady);
        break;
    case TScreen::TKept::NextLevel: // the next level's start
        StartLevel(session_.Level + 1);
        states_.Set(TGameState::gsReady);
        break;
    case TScreen::TKept::AsItStands:
        if (pageHidden)
            kept_.WriteIfChanged(fwGetTicks());
        else
            kept_.Write(TfwDurability::Flushed, fwGetTicks());
        break;
    case TScreen::TKept::No:
        break;
    }
}

bool TMiniGame::InGame() const {
    return states_.Screen().KeptAs() != TScreen::TKept::No;
}

void TMiniGame::NewGameOf(TGameKind kind) {
    kept_.StartNew();
    NewGame(kind);
    states_.Set(TGameState::gsReady);
}

void TMiniGame::ContinueGame(const TKeptOffer& offer) {
    // Another copy may have taken it since the title was read.
    const TSavedGame g = offer.Game; // the offers go with the title
    if (!kept_.Continue(offer.File))
        return;
    mode_.AutoPlay = false;
    BeginLevel(g.Session.Level);
    session_ = g.Session;
    session_.CentreCursor(board_->Width, board_->Height);
    board_->LayBoard(media_.StoneImages, session_.Colours, g.Kinds);
    board_->SpawnCount = g.SpawnCount;
    board_->Rand.Restore(g.RandomState);
    kept_.RestPoint = g;
    // A game kept as its life was lost goes on as retry would deal it.
    if (session_.OutOfTime() || !board_->HasMoves())
        StartLevel(session_.Level);
    else
        kept_.Write(TfwDurability::Flushed, fwGetTicks());
    states_.Set(TGameState::gsReady);
}
