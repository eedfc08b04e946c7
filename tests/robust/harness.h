// The game run headless for the soak and the robustness programs: SDL's dummy
// video and audio drivers, a clock that advances one frame period per frame,
// delays that return at once, and frames driven one by one the way the main
// loop drives them.
#pragma once

#include "tessaril.h"
#include "testutil.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>

// The game object with its clock. Start builds and initialises it; the
// destructor ends it as the main loop does (DoneGame, audio closed) and frees it.
class TGameHarness {
public:
    TGameHarness();
    ~TGameHarness();
    TGameHarness(const TGameHarness&) = delete;
    TGameHarness& operator=(const TGameHarness&) = delete;

    // Construction and Init(true): SDL, audio, video, then InitGame.
    TMiniGame& Start();
    // One main-loop iteration without the padding: keys, events, frame; then
    // the clock moves on by kFrameMs.
    void Frame();
    // The action's key from the binding table: down in the next frame, up again after it.
    void Press(TAction action);

    static constexpr uint32_t kFrameMs = kfwFramePeriodMs;
    uint32_t Now = 1000; // ms, the game's clock
    uint64_t Frames = 0;
    std::unique_ptr<TMiniGame> Game;
};

// Resident memory of this process in kB, from /proc/self/statm. Under
// AddressSanitizer the allocator's quarantine is emptied first, so that what
// is counted is memory in use, not memory waiting to be reused.
long ResidentKilobytes();
// Heap in use by the program in kB as AddressSanitizer's allocator counts it
// (its own bookkeeping left out); -1 without AddressSanitizer.
long HeapInUseKilobytes();
