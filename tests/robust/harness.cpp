#include "harness.h"

#include "fwGameApp.h"

#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TESSARIL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSARIL_ASAN 1
#endif
#endif
#ifdef TESSARIL_ASAN
// Empties the quarantine and hands free memory back to the system. Both
// runtimes (gcc's and clang's) have it; gcc's headers do not declare it.
extern "C" void __sanitizer_purge_allocator();
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

TGameHarness::TGameHarness() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    fwSetClock([this] { return Now; }, [](uint32_t) {});
}

TGameHarness::~TGameHarness() {
    if (Game) {
        // The end of Run: the game's last word, then the audio device closes
        // before the objects go.
        Game->DoneGame();
        Mix_CloseAudio();
        Game.reset();
    }
    fwSetClock(nullptr, nullptr);
}

TMiniGame& TGameHarness::Start() {
    Game = std::make_unique<TMiniGame>();
    Game->Init(true);
    // As Run begins.
    Game->Terminated = false;
    Game->FrameCount = 0;
    Game->SecondMark = Now;
    return *Game;
}

void TGameHarness::Frame() {
    Game->RunIteration();
    Now += kFrameMs;
    ++Frames;
}

void TGameHarness::Press(TAction action) {
    // An event alone: SDL's key-state array stays up (the dummy driver never
    // sets it), so the key counts 1 in the next frame and 0 after it.
    for (const TfwBinding& b : TControls().FrameBindings())
        if (b.Action == ActionId(action) && b.Key >= 0) {
            PushKeyDown(static_cast<SDLKey>(b.Key));
            return;
        }
}

long ResidentKilobytes() {
#ifdef TESSARIL_ASAN
    __sanitizer_purge_allocator();
#endif
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr)
        return -1;
    long size = 0;
    long resident = -1;
    if (std::fscanf(f, "%ld %ld", &size, &resident) != 2)
        resident = -1;
    std::fclose(f);
    return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long HeapInUseKilobytes() {
#ifdef TESSARIL_ASAN
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return -1;
#endif
}
