#include "fwWeb.h"

#include "fwFrameLoop.h"
#include "fwGameApp.h"
#include "fwLog.h"
#include "fwWebAudio.h"

#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The page's side, in fwWeb.js.
extern "C" {
void fwWebPrepareFiles();
void fwWebLoadStorage();
int fwWebStorageLoaded();
void fwWebStoreFile(const char* name, int ticket);
void fwWebUnstoreFile(const char* name, int ticket);
int fwWebStorageKept();
int fwWebRestAway();
void fwWebListen(const int32_t* kinds, int kindCount, int fields, int stepped,
                 uint32_t framePeriodMs);
int fwWebTakeStep(uint32_t ms);
int fwWebNextEvent(int32_t* event);
void fwWebPresent(const uint32_t* rgba, int x, int y, int w, int h);
void fwWebTitleShown();
void fwWebSetTyping(int on);
void fwWebSay(const char* text);
void fwWebSpeakLanguage(const char* language);
void fwWebReadLanguages(char* buffer, int size);
void fwWebRunFrames();
}

namespace {

// One piece of page input as fwWebNextEvent hands it over: its kind, then up
// to five values. The page learns the kinds from this table alone (fwWebListen
// hands it over, in this order), so the numbers are written nowhere else.
//   weKey        down (0/1), SDL key, SDL modifiers, the character typed, device
//   weMouse      down (0/1), SDL button, picture x, y (negative: off the picture), device
//   wePadButton  down (0/1), button
//   wePadHat     SDL hat bits
//   wePadAxis    axis, value (-32768 .. 32767)
//   weMotion     (unused), (unused), picture x, y, device
enum TWebEvent : int32_t { weKey = 1, weMouse, wePadButton, wePadHat, wePadAxis, weMotion };
constexpr int32_t kEventKinds[] = {weKey, weMouse, wePadButton, wePadHat, wePadAxis, weMotion};
// The last field of key, mouse and motion events: the device, 0 the
// keyboard or mouse, kfwTouchDevice the touch screen and its keyboard.
constexpr int kDeviceField = 5;
constexpr int kEventFields = 6; // kind, then up to five values

// The stepped clock's first reading, as the tests' stepped clock starts.
constexpr uint32_t kSteppedStart = 1000;

// A save or removal of a file the browser's storage has yet to confirm: the
// file, the change as the log names it, and who hears of the outcome.
struct TStoring {
    std::string Name;
    const char* Change = "";
    TfwStoredFunc Stored;
};

struct TWebState {
    bool Stepped = false;
    uint32_t Now = kSteppedStart;  // the stepped clock's reading
    double AwayFrom = 0;           // when the page went out of sight (real ms)
    double AwayMs = 0;             // real ms the page spent out of sight: the clock skips them
    std::vector<uint32_t> Rgba;    // every 16-bit picture value as canvas RGBA
    std::vector<uint32_t> Pixels;  // the rectangle being sent
    std::vector<std::string> Args; // the program's arguments, for Start
    TfwWebProgram Start;           // runs once the storage is read
    TfwWebGuard Guard;             // runs every animation frame's work
    bool Started = false;
    bool TitleShown = false;            // the started game's first frame was presented
    std::unique_ptr<TfwFrameLoop> Loop; // the application's, once it runs
    int NextTicket = 0;
    // Changes of the storage the browser has yet to confirm.
    std::map<int, TStoring> Storing;
};

TWebState& State() {
    static TWebState state;
    return state;
}

void PushKey(const int32_t* e) {
    const bool down = e[1] != 0;
    const int32_t sym = e[2];
    if (sym <= 0 || sym >= kfwKeyLimit)
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
    event.key.which = static_cast<Uint8>(e[kDeviceField]);
    SDL_PushEvent(&event);
}

// A picture coordinate of the page; off the picture (negative) stays off it.
Uint16 PictureCoordinate(int32_t v) {
    return static_cast<Uint16>(v < 0 ? 0xFFFF : v);
}

void PushMouse(const int32_t* e) {
    SDL_Event event = {};
    const bool down = e[1] != 0;
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.button = static_cast<Uint8>(e[2]);
    // A release dragged beside the picture stays off it.
    event.button.x = PictureCoordinate(e[3]);
    event.button.y = PictureCoordinate(e[4]);
    event.button.which = static_cast<Uint8>(e[kDeviceField]);
    SDL_PushEvent(&event);
}

void PushMotion(const int32_t* e) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = PictureCoordinate(e[3]);
    event.motion.y = PictureCoordinate(e[4]);
    event.motion.which = static_cast<Uint8>(e[kDeviceField]);
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
    case wePadAxis:
        event.type = SDL_JOYAXISMOTION;
        event.jaxis.axis = static_cast<Uint8>(e[1]);
        event.jaxis.value = static_cast<Sint16>(e[2]);
        break;
    }
    SDL_PushEvent(&event);
}

// Hands the page's input since the last call to SDL. A kind the table does
// not name is refused with a console line (the log's lines go there) rather
// than taken for some input.
void PumpPage() {
    int32_t e[kEventFields];
    while (fwWebNextEvent(e) != 0) {
        switch (e[0]) {
        case weKey:
            PushKey(e);
            break;
        case weMouse:
            PushMouse(e);
            break;
        case weMotion:
            PushMotion(e);
            break;
        case wePadButton:
        case wePadHat:
        case wePadAxis:
            PushPad(e);
            break;
        default:
            Log().Write("fwWeb", "page event of unknown kind " + std::to_string(e[0]) + " refused");
            break;
        }
    }
}

uint32_t PageTicks() {
    TWebState& s = State();
    return s.Stepped ? s.Now : static_cast<uint32_t>(emscripten_get_now() - s.AwayMs);
}

// The page's loop pauses only between the steps of a frame, never inside
// one: a stepped pause it was granted moves the clock, then hands over the
// input that came meanwhile.
void PageDelay(uint32_t ms) {
    TWebState& s = State();
    if (s.Stepped)
        s.Now += ms;
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
    if (s.Loop && count > 0)
        s.Loop->PictureSent();
    if (s.Loop && count > 0 && !s.TitleShown && s.Loop->Started()) {
        s.TitleShown = true;
        fwWebTitleShown();
    }
}

} // namespace

void fwWebStart(const std::vector<std::string>& args, TfwWebProgram program, TfwWebGuard guard) {
    // SDL draws into memory and opens no audio device: the page shows the
    // picture, and the browser plays the sound (fwWebAudio.cpp).
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    TWebState& s = State();
    for (const std::string& arg : args) {
        if (TfwGameApp::ParseOption(arg) == "clock=step")
            s.Stepped = true;
        else
            s.Args.push_back(arg);
    }
    s.Start = std::move(program);
    s.Guard = std::move(guard);
    fwWebPrepareFiles();
    fwWebAudioFetchEffects("data/sounds"); // only a browser without Ogg Vorbis
    fwWebLoadStorage();                    // a failure shows in fwWebFilesKept
    fwWebListen(kEventKinds, static_cast<int>(std::size(kEventKinds)), kEventFields,
                s.Stepped ? 1 : 0, kfwFramePeriodMs);
    fwSetClock(PageTicks, PageDelay);
    fwSetUpdateRects(PresentRects);
    fwWebRunFrames();
}

void fwRunOnPage(TfwGameApp& app) {
    TWebState& s = State();
    s.Loop = std::make_unique<TfwFrameLoop>(app);
    if (s.Stepped)
        s.Loop->Granted = [](uint32_t ms) { return fwWebTakeStep(ms) != 0; };
    else
        s.Loop->Input = PumpPage;
}

namespace {

// Hands a change of the storage its ticket, under which the browser answers.
int TakeTicket(const std::string& fileName, const char* change, TfwStoredFunc stored) {
    TWebState& s = State();
    const int ticket = s.NextTicket++;
    s.Storing[ticket] = {fileName, change, std::move(stored)};
    return ticket;
}

} // namespace

void fwWebFileSaved(const std::string& fileName, TfwStoredFunc stored) {
    fwWebStoreFile(fileName.c_str(), TakeTicket(fileName, "fwWebFileSaved", std::move(stored)));
}

void fwWebFileRemoved(const std::string& fileName, TfwStoredFunc stored) {
    fwWebUnstoreFile(fileName.c_str(), TakeTicket(fileName, "fwWebFileRemoved", std::move(stored)));
}

// The browser's answer to the change with that ticket: ok, or it refused it.
extern "C" EMSCRIPTEN_KEEPALIVE void fwWebFileStored(int ticket, int ok) {
    TWebState& s = State();
    const auto found = s.Storing.find(ticket);
    if (found == s.Storing.end())
        return;
    TStoring change = std::move(found->second);
    s.Storing.erase(found);
    if (ok == 0)
        Log().Write(change.Change, change.Name + ": the browser's storage refused it");
    if (change.Stored)
        change.Stored(ok != 0 ? 0 : EIO);
}

void fwWebTakeTyping(bool on) {
    fwWebSetTyping(on ? 1 : 0);
}

void fwWebAnnounce(const std::string& text) {
    fwWebSay(text.c_str());
}

void fwWebSpeak(const std::string& language) {
    fwWebSpeakLanguage(language.c_str());
}

std::vector<std::string> fwWebPreferredLanguages() {
    constexpr size_t kLanguagesBytes = 512; // tags beyond are left out
    char buffer[kLanguagesBytes] = {};
    fwWebReadLanguages(buffer, static_cast<int>(sizeof buffer));
    std::vector<std::string> list;
    const std::string text = buffer;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find(',', start), text.size());
        if (end > start)
            list.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

bool fwWebFilesKept() {
    return fwWebStorageKept() != 0;
}

extern "C" {

// One animation frame of the page (fwWebRunFrames calls it): once the storage
// is read, the program starts (and hands its application to the loop); then
// the loop runs. Answers the ms the page may wait before the next one unless
// input comes first (0: the next animation frame), or -1: the frames end, as
// the program ended or failed.
EMSCRIPTEN_KEEPALIVE int fwWebAnimationFrame() {
    constexpr int kEnd = -1;
    TWebState& s = State();
    if (!s.Started) {
        if (fwWebStorageLoaded() == 0 || fwWebAudioEffectsReady() == 0)
            return 0;
        s.Started = true;
        s.Start(s.Args);
    }
    if (!s.Loop)
        return kEnd;
    // Out of sight: no frame at all, and the stepped clock keeps its grants
    // for the return. Browsers stop a hidden page's animation frames anyway.
    if (fwWebRestAway() != 0)
        return 0;
    TfwFrameLoop& loop = *s.Loop;
    const int failed = s.Guard([&loop, &s] {
        if (s.Stepped)
            loop.Continue();
        else
            loop.AnimationFrame();
    });
    if (failed != 0 || loop.Ended())
        return kEnd;
    return static_cast<int>(loop.RestMs());
}

// The page went out of sight or is being left: called by the page's event
// at once, as it may be its last chance. A game in play pauses as on the
// desktop's lost focus, and the game stores what must not be lost.
EMSCRIPTEN_KEEPALIVE void fwWebLeavePage() {
    State().AwayFrom = emscripten_get_now();
    TfwGameApp* app = TfwGameApp::Instance();
    if (app == nullptr)
        return;
    app->WindowDeactivated();
    app->PageHidden();
}

// The page is in sight again: the clock skips the time away, so the game's
// clock and the loop's frame schedule go on from where they stood.
EMSCRIPTEN_KEEPALIVE void fwWebPageBack() {
    TWebState& s = State();
    s.AwayMs += emscripten_get_now() - s.AwayFrom;
}

// The browser's window lost the focus while the page stays in sight.
EMSCRIPTEN_KEEPALIVE void fwWebWindowBlurred() {
    if (TfwGameApp* app = TfwGameApp::Instance())
        app->WindowDeactivated();
}

} // extern "C"
