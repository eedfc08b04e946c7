// Helpers shared by the tests: temporary working folders, a stepped clock,
// SDL key state and event injection, files.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

// A path in the repository. Paths into data/ lead to the configuration's media
// tree, for tests that load the real media: in the handheld build that is
// data/ with the handheld's own pictures laid over it.
std::string SourcePath(const std::string& relative);

// A fresh folder that is the working directory while the object lives.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return path_; }
    bool Keep = false; // leave the folder behind (its path goes to stderr)

private:
    std::string path_;
    std::string previous_;
};

// A clock that the test steps: fwGetTicks answers Now, fwDelay advances it.
// Installed while the object lives.
class TFakeClock {
public:
    explicit TFakeClock(uint32_t start = 1000);
    ~TFakeClock();
    TFakeClock(const TFakeClock&) = delete;
    TFakeClock& operator=(const TFakeClock&) = delete;
    uint32_t Now;
    uint32_t TotalDelay = 0;
    int DelayCalls = 0;
    uint32_t LastDelay = 0;
    std::function<void()> OnDelay; // called after each fwDelay has advanced Now
};

// Writes SDL's own key-state array, which SDL_GetKeyState hands out (the dummy
// video driver never changes it itself).
void SetKeyDown(SDLKey key, bool down);
void ReleaseAllKeys();
// Queues a key-down event for key (the event alone; see SetKeyDown), with
// the key's character for the ASCII keys.
void PushKeyDown(SDLKey key);
void PushQuit();
// Mouse and joystick 0 events as SDL queues them from a device (none is
// needed): a button at window position (wx, wy), a pad button, the first
// hat's position, an axis's value.
void PushMouseButton(uint8_t button, bool down, int32_t wx, int32_t wy);
// A finger on the web page's touch screen as the page reports it: the left
// button of the touch device pressed or lifted at (wx, wy), and its moves.
void PushTouch(bool down, int32_t wx, int32_t wy);
void PushTouchMove(int32_t wx, int32_t wy);
void PushJoyButton(uint8_t button, bool down);
void PushJoyHat(uint8_t value);
void PushJoyAxis(uint8_t axis, int16_t value);

// Appends v little-endian as 2 or 4 bytes (file formats built by tests).
void PutLE16(std::string& s, uint32_t v);
void PutLE32(std::string& s, uint32_t v);

// Nested folders making a path of totalLength characters whose first
// prefixLength characters name a file ending in ext; answers (prefix, whole).
std::pair<std::string, std::string> LongPath(size_t prefixLength, size_t totalLength,
                                             const std::string& ext);

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

// Brings SDL's video up on the dummy driver with the game's 320 x 240 x 16 mode.
SDL_Surface* OpenDummyScreen();

// Calls of SDL_mixer's playing, volume, music-hook and closing functions in
// this process so far (the opening is not counted).
int MixerCalls();
