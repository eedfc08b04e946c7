#include "testutil.h"

#include "fwGameApp.h"

#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

std::string SourcePath(const std::string& relative) {
    const bool media = relative == "data" || relative.rfind("data/", 0) == 0;
    // The two roots are one folder in some configurations.
    // NOLINTNEXTLINE(bugprone-branch-clone)
    const std::string root = media ? TESSARIL_MEDIA_ROOT : TESSARIL_SOURCE_DIR;
    return root + "/" + relative;
}

TTempDir::TTempDir() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) != nullptr)
        previous_ = buffer;
    char pattern[] = "/tmp/tessaril-test-XXXXXX";
    char* made = mkdtemp(pattern);
    if (made == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = made;
    if (chdir(path_.c_str()) != 0)
        throw std::runtime_error("chdir failed");
}

TTempDir::~TTempDir() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0)
        return;
    if (Keep) {
        std::fprintf(stderr, "kept %s\n", path_.c_str());
        return;
    }
    std::string command = "chmod -R u+w '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

TFakeClock::TFakeClock(uint32_t start) : Now(start) {
    fwSetClock([this] { return Now; },
               [this](uint32_t ms) {
                   Now += ms;
                   TotalDelay += ms;
                   LastDelay = ms;
                   ++DelayCalls;
                   if (OnDelay)
                       OnDelay();
               });
}

TFakeClock::~TFakeClock() {
    fwSetClock(nullptr, nullptr);
}

void SetKeyDown(SDLKey key, bool down) {
    int count = 0;
    Uint8* state = SDL_GetKeyState(&count);
    if (state != nullptr && key < count)
        state[key] = down ? 1 : 0;
}

void ReleaseAllKeys() {
    int count = 0;
    Uint8* state = SDL_GetKeyState(&count);
    if (state != nullptr)
        std::memset(state, 0, static_cast<size_t>(count));
}

namespace {

// An event of the given type, zeroed but for its type, as a device queues it.
SDL_Event NewEvent(Uint8 type) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    return event;
}

} // namespace

void PushKeyDown(SDLKey key) {
    SDL_Event event = NewEvent(SDL_KEYDOWN);
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    // The character SDL reports with character events on: the ASCII keys'
    // symbols are their characters (small letters).
    if (key < 128)
        event.key.keysym.unicode = static_cast<Uint16>(key);
    SDL_PushEvent(&event);
}

void PushQuit() {
    SDL_Event event = NewEvent(SDL_QUIT);
    SDL_PushEvent(&event);
}

void PushMouseButton(uint8_t button, bool down, int32_t wx, int32_t wy) {
    SDL_Event event = NewEvent(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = static_cast<Uint16>(wx);
    event.button.y = static_cast<Uint16>(wy);
    SDL_PushEvent(&event);
}

void PushTouch(bool down, int32_t wx, int32_t wy) {
    SDL_Event event = NewEvent(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
    event.button.which = kfwTouchDevice;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = static_cast<Uint16>(wx);
    event.button.y = static_cast<Uint16>(wy);
    SDL_PushEvent(&event);
}

void PushTouchMove(int32_t wx, int32_t wy) {
    SDL_Event event = NewEvent(SDL_MOUSEMOTION);
    event.motion.which = kfwTouchDevice;
    event.motion.x = static_cast<Uint16>(wx);
    event.motion.y = static_cast<Uint16>(wy);
    SDL_PushEvent(&event);
}

void PushJoyButton(uint8_t button, bool down) {
    SDL_Event event = NewEvent(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP);
    event.jbutton.button = button;
    event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void PushJoyHat(uint8_t value) {
    SDL_Event event = NewEvent(SDL_JOYHATMOTION);
    event.jhat.value = value;
    SDL_PushEvent(&event);
}

void PushJoyAxis(uint8_t axis, int16_t value) {
    SDL_Event event = NewEvent(SDL_JOYAXISMOTION);
    event.jaxis.axis = axis;
    event.jaxis.value = value;
    SDL_PushEvent(&event);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

SDL_Surface* OpenDummyScreen() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_Init(SDL_INIT_VIDEO) < 0)
        return nullptr;
    return SDL_SetVideoMode(320, 240, 16, SDL_SWSURFACE);
}

void PutLE16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void PutLE32(std::string& s, uint32_t v) {
    PutLE16(s, v & 0xFFFF);
    PutLE16(s, v >> 16);
}

std::pair<std::string, std::string> LongPath(size_t prefixLength, size_t totalLength,
                                             const std::string& ext) {
    std::string dir;
    while (prefixLength - dir.size() > 200) {
        dir += std::string(150, 'd') + "/";
        mkdir(dir.c_str(), 0755);
    }
    std::string prefix = dir + std::string(prefixLength - dir.size() - ext.size(), 'p') + ext;
    return {prefix, prefix + std::string(totalLength - prefixLength, 'q')};
}

// ---------------------------------------------------------------------------
// The mixer functions the program calls after opening the device stand in
// front of SDL_mixer's here: each counts, then passes the call on.

namespace {

int mixerCalls = 0;

template <class R, class... A> R PassOn(const char* name, A... args) {
    ++mixerCalls;
    using TNext = R (*)(A...);
    return reinterpret_cast<TNext>(dlsym(RTLD_NEXT, name))(args...);
}

} // namespace

int MixerCalls() {
    return mixerCalls;
}

extern "C" {
int Mix_Volume(int channel, int volume) {
    return PassOn<int>("Mix_Volume", channel, volume);
}
int Mix_VolumeMusic(int volume) {
    return PassOn<int>("Mix_VolumeMusic", volume);
}
int Mix_VolumeChunk(Mix_Chunk* chunk, int volume) {
    return PassOn<int>("Mix_VolumeChunk", chunk, volume);
}
int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    return PassOn<int>("Mix_PlayChannelTimed", channel, chunk, loops, ticks);
}
int Mix_FadeInMusic(Mix_Music* music, int loops, int ms) {
    return PassOn<int>("Mix_FadeInMusic", music, loops, ms);
}
int Mix_FadeOutMusic(int ms) {
    return PassOn<int>("Mix_FadeOutMusic", ms);
}
int Mix_HaltMusic() {
    return PassOn<int>("Mix_HaltMusic");
}
int Mix_PlayingMusic() {
    return PassOn<int>("Mix_PlayingMusic");
}
void Mix_HookMusicFinished(void (*music_finished)()) {
    PassOn<void>("Mix_HookMusicFinished", music_finished);
}
void Mix_CloseAudio() {
    PassOn<void>("Mix_CloseAudio");
}
}
