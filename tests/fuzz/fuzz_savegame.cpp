// Fuzz target: the kept game's reader (savegame.txt). The input is the file's
// text. A text the reader takes must hold a game the board can lay and read
// back the same once written again; a refused text must come with a reason
// and, read from the working folder, be set aside whole under another name.

#include "fuzz_util.h"
#include "fwFile.h"
#include "uGameGrid.h"
#include "uLevelRules.h"
#include "uSaveGame.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TSavedGame game, again;
    const std::string why = ParseSavedGame(text, 10, 8, game);
    if (why.empty()) {
        FUZZ_CHECK(game.Kinds.size() == 8, "rows");
        for (const auto& row : game.Kinds) {
            FUZZ_CHECK(row.size() == 10, "columns");
            for (int32_t kind : row)
                FUZZ_CHECK(kind >= 1 && kind <= kStoneImageCount, std::to_string(kind));
        }
        const TGameSession& s = game.Session;
        FUZZ_CHECK(s.Colours == LevelColours(s.Level), "colours");
        FUZZ_CHECK(s.Lives >= 1 && s.Lives <= kStartLives, "lives");
        FUZZ_CHECK(game.SpawnCount >= 0 && game.SpawnCount < kSpawnCycle, "spawn");
        FUZZ_CHECK(ParseSavedGame(FormatSavedGame(game), 10, 8, again).empty() && again == game,
                   "written and read back, the game changed");
    }
    FUZZ_CHECK(WriteBytes(kSaveGameFile, data, size), "cannot write the input");
    std::string reason;
    FUZZ_CHECK(ReadSavedGame(kSaveGameFile, 10, 8, again, reason) == why.empty() && reason == why,
               "the file read otherwise than the text");
    if (why.empty()) {
        fwRemoveFile(kSaveGameFile);
    } else {
        const std::string aside = SetSavedGameAside(kSaveGameFile);
        FUZZ_CHECK(!aside.empty() && ReadBytes(aside) == text, "not set aside whole");
        std::remove(aside.c_str());
    }
    FUZZ_CHECK(std::fopen(kSaveGameFile, "rb") == nullptr, "still there");
    return 0;
}
