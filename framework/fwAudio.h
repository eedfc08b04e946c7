// The sound device the mixer plays through: opened at start-up with the
// mixer's format and start volumes, paced where it takes sound faster than it
// plays it, closed at the end of the main loop.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>

class TfwGameApp;

// The mixer's output: 22050 frames a second of two 16-bit samples.
inline constexpr uint64_t kfwAudioBytesPerMs = 22050 * 4 / 1000;
// A device that has taken this much more sound than the time since it opened
// could play (a real device buffers a fraction of it), and a tenth of that
// time more besides (clocks drift: SDL's dummy device runs 1 % fast), does
// not pace itself.
inline constexpr uint32_t kfwAudioLeadLimitMs = 2000;
inline constexpr uint32_t kfwAudioDriftDivisor = 10;
// Has a device that took mixedBytes in elapsedMs since it opened run ahead of time?
bool fwAudioOutrunsTime(uint64_t mixedBytes, uint32_t elapsedMs);

// The application's sound device. The end of a track reaches the application's
// MusicFinished; the application must outlive the object, and its Silent
// tells whether a device is open.
class TfwAudio {
public:
    explicit TfwAudio(TfwGameApp& app);
    TfwAudio(const TfwAudio&) = delete;
    TfwAudio& operator=(const TfwAudio&) = delete;

    // The audio subsystem (TfwPlatform::OpenAudioSubsystem), the mixer's
    // device and its start volumes; false (SDL's error set) when there is no
    // device to open.
    bool Open();
    // Leaves a device that takes sound faster than it plays it for SDL's dummy
    // device (one log line); a device that paces itself is kept. Only where
    // the platform's device may outrun time.
    void Pace();
    // Closes the mixer's device, when one is open.
    void Close();

private:
    TfwGameApp& app_;
    // Bytes handed to the device since Pace last looked (audio thread). 32
    // bits: the handheld's ARMv5 has no 64-bit atomics, and Pace, every
    // frame, empties it long before it could wrap.
    std::atomic<uint32_t> newlyMixed_{0};
    uint64_t mixed_ = 0;    // bytes handed to the device since it opened (main thread)
    uint32_t openedAt_ = 0; // when it opened (SDL_GetTicks)
    bool paced_ = false;    // the device was left for SDL's dummy one

    // The mixer's post-mix hook (audio thread): counts what the device takes.
    static void CountMixed(void* audio, Uint8* stream, int bytes);
    // Reopens the device on SDL's dummy driver; false when no device opened again.
    bool ReopenOnDummy();
};
