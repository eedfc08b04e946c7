#include "fwWeb.h"

#include "fwGameApp.h"
#include "fwLog.h"

#include <SDL.h>
#include <emscripten.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

// The page's side, in fwWeb.js.
extern "C" {
void fwWebPrepareFiles();
int fwWebLoadStorage();
int fwWebStoreFile(const char* name);
int fwWebUnstoreFile(const char* name);
void fwWebListen(int stepped);
int fwWebTakeStep(uint32_t ms);
int fwWebNextEvent(int32_t* event);
void fwWebPresent(const uint32_t* rgba, int x, int y, int w, int h);
}

namespace {

// One piece of page input as fwWebNextEvent hands it over.
enum TWebEvent : int32_t { weKey = 1, weMouse = 2, wePadButton = 3, wePadHat = 4, wePadAxis = 5 };
constexpr int kEventFields = 6; // kind, then up to five values

// How often a stepped clock that has spent its grant looks for more, in ms.
constexpr uint32_t kStepPollMs = 2;
// The stepped clock's first reading, as the tests' stepped clock starts.
constexpr uint32_t kSteppedStart = 1000;
constexpr int kKeyLimit = 512;

struct TWebState {
    bool Stepped = false;
    uint32_t Now = kSteppedStart; // the stepped clock's reading
    std::vector<uint32_t> Rgba;   // every 16-bit picture value as canvas RGBA
    std::vector<uint32_t> Pixels; // the rectangle being sent
};

TWebState& State() {
    static TWebState state;
    return state;
}

void PushKey(const int32_t* e) {
    const bool down = e[1] != 0;
    const int32_t sym = e[2];
    if (sym <= 0 || sym >= kKeyLimit)
        return;
    int count = 0;
    Uint8* keys = SDL_GetKeyState(&count);
    if (keys != nullptr && sym < count)
        keys[sym] = down ? 1 : 0;
    SDL_SetModState(static_cast<SDLMod>(e[3]));
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = static_cast<SDLKey>(sym);
    event.key.keysym.mod = static_cast<SDLMod>(e[3]);
    event.key.keysym.unicode = down ? static_cast<Uint16>(e[4]) : 0;
    SDL_PushEvent(&event);
}

void PushMouse(const int32_t* e) {
    SDL_Event event = {};
    const bool down = e[1] != 0;
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.button = static_cast<Uint8>(e[2]);
    // Off the picture (a release dragged beside it) stays off it.
    event.button.x = static_cast<Uint16>(e[3] < 0 ? 0xFFFF : e[3]);
    event.button.y = static_cast<Uint16>(e[4] < 0 ? 0xFFFF : e[4]);
    SDL_PushEvent(&event);
}

void PushPad(const int32_t* e) {
    SDL_Event event = {};
    switch (e[0]) {
    case wePadButton:
        event.type = e[1] != 0 ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        event.jbutton.button = static_cast<Uint8>(e[2]);
        event.jbutton.state = e[1] != 0 ? SDL_PRESSED : SDL_RELEASED;
        break;
    case wePadHat:
        event.type = SDL_JOYHATMOTION;
        event.jhat.value = static_cast<Uint8>(e[1]);
        break;
    default:
        event.type = SDL_JOYAXISMOTION;
        event.jaxis.axis = static_cast<Uint8>(e[1]);
        event.jaxis.value = static_cast<Sint16>(e[2]);
        break;
    }
    SDL_PushEvent(&event);
}

// Hands the page's input since the last call to SDL.
void PumpPage() {
    int32_t e[kEventFields];
    while (fwWebNextEvent(e) != 0) {
        if (e[0] == weKey)
            PushKey(e);
        else if (e[0] == weMouse)
            PushMouse(e);
        else
            PushPad(e);
    }
}

uint32_t PageTicks() {
    TWebState& s = State();
    return s.Stepped ? s.Now : static_cast<uint32_t>(emscripten_get_now());
}

// The browser runs (draws, delivers input) only while the program sleeps.
void PageDelay(uint32_t ms) {
    TWebState& s = State();
    if (s.Stepped) {
        while (fwWebTakeStep(ms) == 0)
            emscripten_sleep(kStepPollMs);
        s.Now += ms;
    } else {
        emscripten_sleep(ms);
    }
    PumpPage();
}

// The window surface is the 320 x 240 picture itself (the page scales the
// canvas): its rectangles go to the canvas as RGBA.
void PresentRects(SDL_Surface* screen, int count, SDL_Rect* rects) {
    TWebState& s = State();
    if (screen->format->BytesPerPixel != 2)
        return;
    if (s.Rgba.empty()) {
        s.Rgba.resize(1 << 16);
        for (uint32_t v = 0; v < s.Rgba.size(); ++v) {
            Uint8 r = 0;
            Uint8 g = 0;
            Uint8 b = 0;
            SDL_GetRGB(v, screen->format, &r, &g, &b);
            s.Rgba[v] =
                0xFF000000u | static_cast<uint32_t>(b) << 16 | static_cast<uint32_t>(g) << 8 | r;
        }
    }
    for (int i = 0; i < count; ++i) {
        const SDL_Rect& r = rects[i];
        s.Pixels.resize(static_cast<size_t>(r.w) * r.h);
        uint32_t* out = s.Pixels.data();
        for (int y = r.y; y < r.y + r.h; ++y) {
            const auto* row =
                reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(screen->pixels) +
                                                static_cast<ptrdiff_t>(y) * screen->pitch);
            for (int x = r.x; x < r.x + r.w; ++x)
                *out++ = s.Rgba[row[x]];
        }
        fwWebPresent(s.Pixels.data(), r.x, r.y, r.w, r.h);
    }
}

} // namespace

std::vector<std::string> fwWebStart(const std::vector<std::string>& args) {
    // SDL draws into memory and mixes for no device: the page shows the
    // picture, and the browser's audio is not SDL's.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TWebState& s = State();
    std::vector<std::string> rest;
    for (const std::string& arg : args) {
        if (TfwGameApp::ParseOption(arg) == "clock=step")
            s.Stepped = true;
        else
            rest.push_back(arg);
    }
    fwWebPrepareFiles();
    fwWebLoadStorage();
    fwWebListen(s.Stepped ? 1 : 0);
    fwSetClock(PageTicks, PageDelay);
    fwSetUpdateRects(PresentRects);
    return rest;
}

int fwWebFileSaved(const std::string& fileName) {
    if (fwWebStoreFile(fileName.c_str()) != 0)
        return 0;
    Log().Write("fwWebFileSaved", fileName + ": the browser's storage refused it");
    return EIO;
}

int fwWebFileRemoved(const std::string& fileName) {
    if (fwWebUnstoreFile(fileName.c_str()) != 0)
        return 0;
    Log().Write("fwWebFileRemoved", fileName + ": the browser's storage refused it");
    return EIO;
}
