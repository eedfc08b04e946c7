#include "harness.h"

#include "fwGameApp.h"

#include <SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

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

TWorkFolder::TWorkFolder() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) != nullptr)
        previous_ = buffer;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tessaril-robust-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = name.data();
    if (chdir(path_.c_str()) != 0)
        throw std::runtime_error("chdir failed for " + path_);
}

TWorkFolder::~TWorkFolder() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0)
        return;
    if (Keep) {
        std::fprintf(stderr, "kept %s\n", path_.c_str());
        return;
    }
    const std::string command = "rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", path_.c_str());
}

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
    Game->UpdateKeys();
    Game->PollEvents();
    Game->DoFrame();
    Now += kFrameMs;
    ++Frames;
}

void TGameHarness::Press(SDLKey key) {
    // An event alone: SDL's key-state array stays up (the dummy driver never
    // sets it), so the key counts 1 in the next frame and 0 after it.
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

std::string RepositoryPath(const std::string& relative) {
    return std::string(TESSARIL_SOURCE_DIR) + "/" + relative;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
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
