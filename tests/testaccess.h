// The tests' and the tools' one way into the game's private variables: a
// reference to each, for a test that sets the game up or watches it.
#pragma once

#include "tessaril.h"

struct TMiniGameTestAccess {
    static TGameState& State(TMiniGame& g) { return g.state_; }
    static TGameKind& GameKind(TMiniGame& g) { return g.gameKind_; }
    static TGameKind& TableShown(TMiniGame& g) { return g.tableShown_; }
    static std::optional<TSavedGame>& KeptGame(TMiniGame& g) { return g.keptGame_; }
    static int32_t& Score(TMiniGame& g) { return g.score_; }
    static int32_t& Lives(TMiniGame& g) { return g.lives_; }
    static int32_t& Level(TMiniGame& g) { return g.level_; }
    static int32_t& TimeLeft(TMiniGame& g) { return g.timeLeft_; }
    static TLifeLost& LifeLost(TMiniGame& g) { return g.lifeLost_; }
    static int32_t& Colours(TMiniGame& g) { return g.colours_; }
    static std::array<int32_t, 33>& Goals(TMiniGame& g) { return g.goals_; }
    static int32_t& CursorCol(TMiniGame& g) { return g.cursorCol_; }
    static int32_t& CursorRow(TMiniGame& g) { return g.cursorRow_; }
    static int32_t& SelCol(TMiniGame& g) { return g.selCol_; }
    static int32_t& SelRow(TMiniGame& g) { return g.selRow_; }
    static bool& AutoPlay(TMiniGame& g) { return g.autoPlay_; }
    static bool& DemoMode(TMiniGame& g) { return g.demoMode_; }
    static int32_t& IdleSeconds(TMiniGame& g) { return g.idleSeconds_; }
    static int32_t& SoundVolume(TMiniGame& g) { return g.soundVolume_; }
    static int32_t& MusicVolume(TMiniGame& g) { return g.musicVolume_; }
    static std::string& LastName(TMiniGame& g) { return g.lastName_; }
    static int32_t& TrackIndex(TMiniGame& g) { return g.trackIndex_; }
    static std::string& Announced(TMiniGame& g) { return g.announced_; }
};
