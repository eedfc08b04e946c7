// The web test's native oracle: plays tests/web/scenario.txt on the desktop
// build (SDL's dummy drivers) exactly as the browser test plays it on the
// page, and writes each picture the scenario names as DIR/NAME.ppm.
//   tessaril_webshots SCENARIO DIR
// The clock behaves as the page's stepped clock: it starts at 1000 ms, moves
// only by the delays the scenario grants with "run", and input reaches SDL
// when the delay that was waiting for the grant has passed. Keys carry the
// character they type as the page's do.
#include "fwGameApp.h"
#include "tessaril.h"
#include "testutil.h"

#include <SDL.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kClockStart = 1000;
constexpr uint32_t kPressMs = kfwFramePeriodMs; // a press holds its key for one frame

// One step of the scenario as the oracle plays it: the clock granted Ms
// more, an input queued for SDL, or the shown picture written as Shot; or
// the page reloaded.
struct TStep {
    uint32_t Ms = 0;
    std::function<void()> Input;
    std::string Shot;
    bool Reload = false;
};

// The game as the page runs it, as far as the scenario tells: whether the
// browser keeps its files.
class TPageGame : public TMiniGame {
public:
    using TMiniGame::TMiniGame;
    static inline bool Kept = true;
    bool FilesKept() const override { return Kept; }
    // A page has no end and leaves fullscreen to the browser: no Quit entry
    // on the title, no window rows in the options.
    bool PlayerMayQuit() const override { return false; }
    bool PlayerMaySwitchFullscreen() const override { return false; }
};

// The page going out of sight, as the page tells the game.
void LeavePage() {
    TfwGameApp* app = TfwGameApp::Instance();
    app->WindowDeactivated();
    app->PageHidden();
}

// A key of the scenario (the page's key names) going down or up as the page
// reports it: SDL's key (a printable key's small letter) in SDL's key-state
// array, and on the way down a key event carrying the character typed; from
// the keyboard, or (device kfwTouchDevice) from the phone's keyboard.
std::function<void()> KeyInput(const std::string& name, bool down, uint8_t device = 0) {
    static const std::map<std::string, std::pair<SDLKey, Uint16>> named = {
        {"Space", {SDLK_SPACE, ' '}},
        {"Enter", {SDLK_RETURN, '\r'}},
        {"Escape", {SDLK_ESCAPE, 0x1B}},
        {"Backspace", {SDLK_BACKSPACE, '\b'}},
        {"ArrowUp", {SDLK_UP, 0}},
        {"ArrowDown", {SDLK_DOWN, 0}},
        {"ArrowLeft", {SDLK_LEFT, 0}},
        {"ArrowRight", {SDLK_RIGHT, 0}},
        {"F1", {SDLK_F1, 0}},
    };
    std::pair<SDLKey, Uint16> key;
    const auto c = static_cast<unsigned char>(name.empty() ? 0 : name[0]);
    if (named.count(name) != 0)
        key = named.at(name);
    else if (name.size() == 1 && std::isprint(c) != 0)
        key = {static_cast<SDLKey>(std::tolower(c)), c};
    else
        throw std::runtime_error("unknown key " + name);
    return [key, down, device] {
        SetKeyDown(key.first, down);
        if (!down)
            return;
        SDL_Event event = {};
        event.type = SDL_KEYDOWN;
        event.key.which = device;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = key.first;
        event.key.keysym.unicode = key.second;
        SDL_PushEvent(&event);
    };
}

// A gamepad button the scenario names, as SDL numbers a desktop pad's; the
// cross's directions as hat 0, centred again when let go.
std::function<void()> PadInput(const std::string& name, bool down) {
    static const std::map<std::string, uint8_t> buttons = {
        {"south", 0}, {"east", 1}, {"west", 2}, {"north", 3}, {"back", 6}, {"start", 7},
    };
    static const std::map<std::string, uint8_t> cross = {
        {"up", SDL_HAT_UP},
        {"right", SDL_HAT_RIGHT},
        {"down", SDL_HAT_DOWN},
        {"left", SDL_HAT_LEFT},
    };
    if (cross.count(name) != 0)
        return [hat = cross.at(name), down] { PushJoyHat(down ? hat : SDL_HAT_CENTERED); };
    if (buttons.count(name) == 0)
        throw std::runtime_error("unknown pad button " + name);
    return [button = buttons.at(name), down] { PushJoyButton(button, down); };
}

// The left mouse button at picture pixel (x, y).
std::function<void()> MouseInput(int32_t x, int32_t y, bool down) {
    return [x, y, down] { PushMouseButton(SDL_BUTTON_LEFT, down, x, y); };
}

// A finger at picture pixel (x, y): it lands at (x, y), moves to (x2, y2)
// when that is elsewhere, and lifts there, as the page reports a touch.
std::function<void()> TouchDown(int32_t x, int32_t y, int32_t x2, int32_t y2) {
    return [=] {
        PushTouch(true, x, y);
        if (x2 != x || y2 != y)
            PushTouchMove(x2, y2);
    };
}

std::function<void()> TouchUp(int32_t x, int32_t y) {
    return [x, y] { PushTouch(false, x, y); };
}

// Text typed on the phone's keyboard: its characters, or {Backspace} and
// {Enter}, each pressed and let go at once, as the page's text field sends them.
std::function<void()> PhoneInput(const std::string& text) {
    std::vector<std::function<void()>> keys;
    const bool named = text.size() > 2 && text.front() == '{' && text.back() == '}';
    if (named) {
        const std::string name = text.substr(1, text.size() - 2);
        keys = {KeyInput(name, true, kfwTouchDevice), KeyInput(name, false, kfwTouchDevice)};
    } else {
        for (const char c : text)
            for (const bool down : {true, false})
                keys.push_back(KeyInput(std::string(1, c), down, kfwTouchDevice));
    }
    return [keys] {
        for (const auto& key : keys)
            key();
    };
}

// The scenario's lines as steps; "press", "pad", "click", "tap" and "swipe"
// hold their input for one frame, "hold" for the time it names. "sound",
// "said" and "speaks" are the page's alone.
std::vector<TStep> ReadScenario(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::vector<TStep> steps;
    const auto hold = [&steps](std::function<void()> down, std::function<void()> up) {
        steps.push_back({0, std::move(down), ""});
        steps.push_back({kPressMs, nullptr, ""});
        steps.push_back({0, std::move(up), ""});
    };
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string verb, name;
        int32_t x = 0, y = 0, x2 = 0, y2 = 0, ms = 0;
        if (!(words >> verb) || verb == "sound" || verb == "said" || verb == "speaks")
            continue;
        if (verb == "run" && words >> ms)
            steps.push_back({static_cast<uint32_t>(ms), nullptr, ""});
        else if (verb == "shot" && words >> name)
            steps.push_back({0, nullptr, name});
        else if ((verb == "down" || verb == "up") && words >> name)
            steps.push_back({0, KeyInput(name, verb == "down"), ""});
        else if (verb == "press" && words >> name) {
            int32_t times = 1;
            if (!(words >> times))
                times = 1;
            for (int32_t i = 0; i < times; ++i)
                hold(KeyInput(name, true), KeyInput(name, false));
        } else if (verb == "pad" && words >> name)
            hold(PadInput(name, true), PadInput(name, false));
        else if (verb == "click" && words >> x >> y)
            hold(MouseInput(x, y, true), MouseInput(x, y, false));
        else if (verb == "tap" && words >> x >> y)
            hold(TouchDown(x, y, x, y), TouchUp(x, y));
        else if (verb == "swipe" && words >> x >> y >> x2 >> y2)
            hold(TouchDown(x, y, x2, y2), TouchUp(x2, y2));
        else if (verb == "hold" && words >> x >> y >> ms) {
            steps.push_back({0, TouchDown(x, y, x, y), ""});
            steps.push_back({static_cast<uint32_t>(ms), nullptr, ""});
            steps.push_back({0, TouchUp(x, y), ""});
        } else if (verb == "type" && words >> name)
            steps.push_back({0, PhoneInput(name), ""});
        else if (verb == "hide")
            steps.push_back({0, LeavePage, ""});
        else if (verb == "show")
            continue;
        else if (verb == "reload")
            steps.push_back({0, nullptr, "", true});
        else if (verb == "storage" && words >> name && name == "refused")
            steps.push_back({0, [] { TPageGame::Kept = false; }, ""});
        else
            throw std::runtime_error("bad line: " + line);
    }
    return steps;
}

class TPlayer {
public:
    TPlayer(std::vector<TStep> steps, std::string dir)
        : steps_(std::move(steps)), dir_(std::move(dir)) {}

    uint32_t Now = kClockStart;
    bool Reloading = false; // the program ends for the page's reload

    // The page's stepped delay: waits (playing the scenario's next steps)
    // until ms are granted, then hands the input queued meanwhile to SDL.
    void Delay(uint32_t ms) {
        while (budget_ < ms && !Reloading) {
            if (next_ == steps_.size()) { // played out: the program ends
                TfwGameApp::Instance()->Terminated = true;
                budget_ = ms;
                break;
            }
            Play(steps_[next_++]);
        }
        if (Reloading) { // the program ends at once: the page is gone
            queued_.clear();
            budget_ = ms;
        }
        budget_ -= ms;
        Now += ms;
        for (const auto& deliver : queued_)
            deliver();
        queued_.clear();
    }

    // The picture as last sent to the window (the page's canvas), each
    // 16-bit pixel through SDL_GetRGB as the canvas receives it.
    void Presented(SDL_Surface* screen, int count, SDL_Rect* rects) {
        shown_.resize(static_cast<size_t>(kPictureWidth) * kPictureHeight * 3);
        for (int i = 0; i < count; ++i)
            for (int y = rects[i].y; y < rects[i].y + rects[i].h; ++y)
                for (int x = rects[i].x; x < rects[i].x + rects[i].w; ++x) {
                    Uint8* rgb = &shown_[(static_cast<size_t>(y) * kPictureWidth + x) * 3];
                    SDL_GetRGB(Pixel(screen, x, y), screen->format, &rgb[0], &rgb[1], &rgb[2]);
                }
    }

private:
    std::vector<TStep> steps_;
    std::string dir_;
    size_t next_ = 0;
    uint32_t budget_ = 0;
    std::vector<std::function<void()>> queued_;
    std::vector<Uint8> shown_; // RGB

    static Uint16 Pixel(SDL_Surface* s, int x, int y) {
        return reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(s->pixels) +
                                               static_cast<ptrdiff_t>(y) * s->pitch)[x];
    }

    void Play(const TStep& s) {
        if (s.Reload) {
            // The page left tells the game first; then a new page starts
            // with the files the old one stored, and its clock anew.
            LeavePage();
            TfwGameApp::Instance()->Terminated = true;
            Reloading = true;
        }
        budget_ += s.Ms;
        if (s.Input)
            queued_.push_back(s.Input);
        if (!s.Shot.empty())
            WriteShot(dir_ + "/" + s.Shot + ".ppm");
    }

    // The shown picture as a binary PPM.
    void WriteShot(const std::string& path) {
        std::ofstream out(path, std::ios::binary);
        out << "P6\n" << kPictureWidth << " " << kPictureHeight << "\n255\n";
        out.write(reinterpret_cast<const char*>(shown_.data()),
                  static_cast<std::streamsize>(shown_.size()));
        if (!out)
            throw std::runtime_error("cannot write " + path);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SCENARIO DIR\n", argv[0]);
        return 2;
    }
    try {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        TPlayer player(ReadScenario(argv[1]), argv[2]);
        fwSetClock([&player] { return player.Now; }, [&player](uint32_t ms) { player.Delay(ms); });
        fwSetUpdateRects([&player](SDL_Surface* screen, int count, SDL_Rect* rects) {
            player.Presented(screen, count, rects);
        });
        const TfwCommandLine args = fwParseCommandLine({"-seed=1234"});
        do {
            player.Reloading = false;
            player.Now = kClockStart;
            RunApp<TPageGame>(args);
        } while (player.Reloading);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessaril_webshots: %s\n", e.what());
        return 1;
    }
    return 0;
}
