// The shape of a level, shared by the rules of a game and the saved game's
// reader, which refuses a game no level could have.
#pragma once

#include <cstdint>

inline constexpr int32_t kStartLives = 3;

// The clock of level n, in seconds.
constexpr int32_t LevelSeconds(int32_t n) {
    return (n - 1) * 5 + 60;
}

// The colours in play in level n: 6, 7 from level 6, 8 from level 11.
constexpr int32_t LevelColours(int32_t n) {
    return n > 10 ? 8 : n > 5 ? 7 : 6;
}

// Stones of each colour that level n asks for.
constexpr int32_t LevelGoal(int32_t n) {
    return n + 2;
}
