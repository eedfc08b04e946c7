// Fuzz target: the kept game's reader (savegame.txt). The input is the file's
// text. A text the reader takes must hold a game the board can lay (every
// kind 1 to 32, the level's number of goals) and must read back the same
// after it is written again; a text it refuses must come with a reason and,
// read from the working folder, be set aside whole under another name.

#include "fuzz_util.h"
#include "uGameGrid.h"
#include "uLevelRules.h"
#include "uSaveGame.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int32_t kWidth = 10;
constexpr int32_t kHeight = 8;

void CheckTaken(const TSavedGame& game) {
    FUZZ_CHECK(game.Kinds.size() == static_cast<size_t>(kHeight), "rows");
    for (const auto& row : game.Kinds) {
        FUZZ_CHECK(row.size() == static_cast<size_t>(kWidth), "columns");
        for (int32_t kind : row)
            FUZZ_CHECK(kind >= 1 && kind <= kStoneImageCount, std::to_string(kind));
    }
    FUZZ_CHECK(game.Goals.size() == static_cast<size_t>(LevelColours(game.Level)), "goals");
    FUZZ_CHECK(game.Lives >= 1 && game.Lives <= kStartLives, "lives");
    FUZZ_CHECK(game.SpawnCount >= 0 && game.SpawnCount < kSpawnCycle, "spawn");
    const std::string text = FormatSavedGame(game);
    TSavedGame again;
    FUZZ_CHECK(ParseSavedGame(text, kWidth, kHeight, again).empty(), "its own text refused");
    FUZZ_CHECK(again == game, "written and read back, the game changed");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TSavedGame game;
    const std::string why = ParseSavedGame(text, kWidth, kHeight, game);
    if (why.empty())
        CheckTaken(game);

    FUZZ_CHECK(WriteBytes(kSaveGameFile, data, size), "cannot write the input");
    TSavedGame read;
    std::string reason;
    const bool taken = ReadSavedGame(kWidth, kHeight, read, reason);
    FUZZ_CHECK(taken == why.empty() && reason == why, "the file read otherwise than the text");
    if (taken) {
        FUZZ_CHECK(read == game, "the file's game is not the text's");
        RemoveSavedGame();
        FUZZ_CHECK(std::fopen(kSaveGameFile, "rb") == nullptr, "still there after removal");
        return 0;
    }
    const std::string aside = SetSavedGameAside();
    FUZZ_CHECK(!aside.empty(), "not set aside");
    FUZZ_CHECK(ReadBytes(aside) == text, "set aside changed");
    FUZZ_CHECK(std::remove(aside.c_str()) == 0 && std::fopen(kSaveGameFile, "rb") == nullptr,
               "still there after it was set aside");
    return 0;
}
