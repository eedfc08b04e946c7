// Test entry point: SDL's dummy video and audio drivers, and a fresh working
// folder per test process so that log.txt, highscore.dat and the board files
// of one test never meet another's.
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::testing::InitGoogleTest(&argc, argv);
    TTempDir work;
    return RUN_ALL_TESTS();
}
