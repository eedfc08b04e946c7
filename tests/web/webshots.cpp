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
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kClockStart = 1000;
constexpr uint32_t kPressMs = 18; // a press holds its key for one frame

struct TStep {
    std::string Verb;
    std::string Key;
    int32_t X = 0, Y = 0, Ms = 0;
    int32_t X2 = 0, Y2 = 0; // a swipe's end
};

// A key of the scenario (the page's key names) as SDL's key and the
// character it types, as the page reports them: a printable key is its
// character as typed, and SDL's key the small letter.
struct TKey {
    SDLKey Sym;
    Uint16 Typed;
};

TKey KeyOf(const std::string& name) {
    static const std::map<std::string, TKey> named = {
        {"Space", {SDLK_SPACE, ' '}},    {"Enter", {SDLK_RETURN, '\r'}},
        {"Escape", {SDLK_ESCAPE, 0x1B}}, {"Backspace", {SDLK_BACKSPACE, '\b'}},
        {"ArrowUp", {SDLK_UP, 0}},       {"ArrowDown", {SDLK_DOWN, 0}},
        {"ArrowLeft", {SDLK_LEFT, 0}},   {"ArrowRight", {SDLK_RIGHT, 0}},
    };
    auto found = named.find(name);
    if (found != named.end())
        return found->second;
    if (name.size() == 1 && std::isprint(static_cast<unsigned char>(name[0])) != 0) {
        const auto c = static_cast<unsigned char>(name[0]);
        return {static_cast<SDLKey>(std::tolower(c)), c};
    }
    throw std::runtime_error("unknown key " + name);
}

// A key-down as SDL queues it from the keyboard, with its character.
void PushTypingKey(const TKey& key) {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key.Sym;
    event.key.keysym.unicode = key.Typed;
    SDL_PushEvent(&event);
}

// The gamepad buttons the scenario names, as SDL numbers a desktop pad's.
uint8_t PadButtonOf(const std::string& name) {
    static const std::map<std::string, uint8_t> buttons = {
        {"south", 0}, {"east", 1}, {"west", 2}, {"north", 3}, {"back", 6}, {"start", 7},
    };
    auto found = buttons.find(name);
    if (found == buttons.end())
        throw std::runtime_error("unknown pad button " + name);
    return found->second;
}

// The scenario's lines as steps; "press", "click", "tap", "swipe" and "pad"
// unfold into their parts.
std::vector<TStep> ReadScenario(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::vector<TStep> steps;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        TStep s;
        if (!(words >> s.Verb))
            continue;
        if (s.Verb == "run")
            words >> s.Ms;
        else if (s.Verb == "down" || s.Verb == "up" || s.Verb == "press" || s.Verb == "shot" ||
                 s.Verb == "pad")
            words >> s.Key;
        else if (s.Verb == "click" || s.Verb == "tap")
            words >> s.X >> s.Y;
        else if (s.Verb == "swipe")
            words >> s.X >> s.Y >> s.X2 >> s.Y2;
        if (words.fail())
            throw std::runtime_error("bad line: " + line);
        if (s.Verb == "press") {
            steps.push_back({"down", s.Key});
            steps.push_back({"run", "", 0, 0, kPressMs});
            steps.push_back({"up", s.Key});
        } else if (s.Verb == "pad") {
            steps.push_back({"paddown", s.Key});
            steps.push_back({"run", "", 0, 0, kPressMs});
            steps.push_back({"padup", s.Key});
        } else if (s.Verb == "click" || s.Verb == "tap" || s.Verb == "swipe") {
            // The page gives touches the mouse's path: pressed where the
            // finger lands, released where it lifts.
            const bool swipe = s.Verb == "swipe";
            steps.push_back({"mousedown", "", s.X, s.Y});
            steps.push_back({"run", "", 0, 0, kPressMs});
            steps.push_back({"mouseup", "", swipe ? s.X2 : s.X, swipe ? s.Y2 : s.Y});
        } else {
            steps.push_back(s);
        }
    }
    return steps;
}

class TPlayer {
public:
    TPlayer(std::vector<TStep> steps, std::string dir)
        : steps_(std::move(steps)), dir_(std::move(dir)) {}

    uint32_t Now = kClockStart;

    // The page's stepped delay: waits (playing the scenario's next steps)
    // until ms are granted, then hands the input queued meanwhile to SDL.
    void Delay(uint32_t ms) {
        while (budget_ < ms) {
            if (next_ == steps_.size()) { // played out: the program ends
                TfwGameApp::Instance()->Terminated = true;
                budget_ = ms;
                break;
            }
            Play(steps_[next_++]);
        }
        budget_ -= ms;
        Now += ms;
        for (const auto& deliver : queued_)
            deliver();
        queued_.clear();
    }

    // The picture as last sent to the window (the page's canvas).
    void Presented(SDL_Surface* screen, int count, SDL_Rect* rects) {
        if (shown_.empty())
            shown_.assign(static_cast<size_t>(kPictureWidth) * kPictureHeight, 0);
        for (int i = 0; i < count; ++i)
            for (int y = rects[i].y; y < rects[i].y + rects[i].h; ++y)
                for (int x = rects[i].x; x < rects[i].x + rects[i].w; ++x)
                    shown_[static_cast<size_t>(y) * kPictureWidth + x] = Pixel(screen, x, y);
        format_ = *screen->format;
    }

private:
    std::vector<TStep> steps_;
    std::string dir_;
    size_t next_ = 0;
    uint32_t budget_ = 0;
    std::vector<std::function<void()>> queued_;
    std::vector<Uint16> shown_;
    SDL_PixelFormat format_ = {};

    static Uint16 Pixel(SDL_Surface* s, int x, int y) {
        return reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(s->pixels) +
                                               static_cast<ptrdiff_t>(y) * s->pitch)[x];
    }

    void Play(const TStep& s) {
        if (s.Verb == "run") {
            budget_ += static_cast<uint32_t>(s.Ms);
        } else if (s.Verb == "down" || s.Verb == "up") {
            const TKey key = KeyOf(s.Key);
            const bool down = s.Verb == "down";
            queued_.push_back([key, down] {
                SetKeyDown(key.Sym, down);
                if (down)
                    PushTypingKey(key);
            });
        } else if (s.Verb == "mousedown" || s.Verb == "mouseup") {
            const bool down = s.Verb == "mousedown";
            queued_.push_back([s, down] { PushMouseButton(SDL_BUTTON_LEFT, down, s.X, s.Y); });
        } else if (s.Verb == "paddown" || s.Verb == "padup") {
            const uint8_t button = PadButtonOf(s.Key);
            const bool down = s.Verb == "paddown";
            queued_.push_back([button, down] { PushJoyButton(button, down); });
        } else if (s.Verb == "shot") {
            WriteShot(dir_ + "/" + s.Key + ".ppm");
        }
    }

    // The shown picture as a binary PPM, each 16-bit pixel through SDL_GetRGB
    // (as the page's canvas receives it).
    void WriteShot(const std::string& path) {
        std::ofstream out(path, std::ios::binary);
        out << "P6\n" << kPictureWidth << " " << kPictureHeight << "\n255\n";
        for (Uint16 v : shown_) {
            Uint8 rgb[3] = {};
            SDL_GetRGB(v, &format_, &rgb[0], &rgb[1], &rgb[2]);
            out.write(reinterpret_cast<const char*>(rgb), sizeof rgb);
        }
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
        const std::vector<std::string> args = {"-seed=1234"};
        RunApp<TMiniGame>(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessaril_webshots: %s\n", e.what());
        return 1;
    }
    return 0;
}
