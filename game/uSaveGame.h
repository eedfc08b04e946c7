// The kept game: a player's unfinished game written to savegame.txt so that
// it can be continued at the next start. A text file, one field a line in a
// fixed order after the line "tessaril savegame 1":
//
//   kind timed|relaxed
//   level N          (1 .. kMaxSavedLevel)
//   score N          (0 .. 2^31-1)
//   dealt N          (the score when the level was dealt, 0 .. score: a restart's)
//   lives N          (1 .. kStartLives)
//   time N           (seconds left, 0 .. the level's clock)
//   goals N ...      (one per colour of the level, each 0 .. the level's goal)
//   spawn N          (the special-stone counter, 0 .. kSpawnCycle-1)
//   random N         (the board generator's state, 32 bits unsigned)
//   stones K ...     (one line per row from the top, one kind 1 .. 32 per column)
#pragma once

#include "uGameSession.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* kSaveGameFile = "savegame.txt";
inline constexpr int32_t kMaxSavedLevel = 1000000;

// A player's game as it stood the last time its board was at rest: its
// session, the board and the board's generator. The file keeps the session's
// kind, level, score, score of the deal, lives, clock and the goals of the
// level's colours; read back, the rest is the level's start (the cursor in
// the middle, nothing selected, no life lost).
struct TSavedGame {
    TGameSession Session;
    int32_t SpawnCount = 0;                  // the board's special-stone counter
    uint32_t RandomState = 0;                // the board generator's state
    std::vector<std::vector<int32_t>> Kinds; // [row][col], row 0 at the top
};

// Equal in everything the file keeps.
bool operator==(const TSavedGame& a, const TSavedGame& b);

// The file's text, lines ended by kLineEnd.
std::string FormatSavedGame(const TSavedGame& game);
// Reads a file's text (lines end with LF, CR LF or CR) for a board of width x
// height. Answers "" and fills game when the text is a whole saved game;
// otherwise why it is not (the game is then unspecified).
std::string ParseSavedGame(const std::string& content, int32_t width, int32_t height,
                           TSavedGame& game);

// A kept game's file. Read answers false, with why, when there is none (why
// empty) or it cannot be taken (why names the fault).
bool ReadSavedGame(const std::string& file, int32_t width, int32_t height, TSavedGame& game,
                   std::string& why);
// Moves a file that cannot be read as a kept game out of the way, to the first
// free name of file.bad, file.bad2, ...; answers that name ("" when it could
// not be moved).
std::string SetSavedGameAside(const std::string& file);
