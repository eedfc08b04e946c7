// The key names: SDL 1.2's own, on every build.
#include "fwKeyNames.h"

#include <SDL.h>
#include <gtest/gtest.h>

TEST(KeyNames, AreSDLsNamesAndReadBackInAnyCase) {
    ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError(); // SDL names keys from then on
    const std::vector<int32_t> keys = fwNamedKeys();
    EXPECT_GT(keys.size(), 130u);
    for (int32_t key : keys) {
        const std::string name = fwKeyName(key);
        EXPECT_EQ(SDL_GetKeyName(static_cast<SDLKey>(key)), name) << key;
        EXPECT_EQ(key, fwKeyOfName(name)) << name;
    }
    EXPECT_EQ(SDLK_LSHIFT, fwKeyOfName("Left Shift"));
    EXPECT_EQ("Left shift", fwKeyLabel(SDLK_LSHIFT));
    EXPECT_EQ("J", fwKeyLabel(SDLK_j));
    EXPECT_EQ(-1, fwKeyOfName("no such key"));
    EXPECT_EQ("", fwKeyName(SDLK_UNKNOWN));
    SDL_Quit();
}
