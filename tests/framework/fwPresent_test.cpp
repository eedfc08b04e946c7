// The desktop's presentation: the 320 x 240 picture scaled into the window or
// centred in fullscreen, only changed rectangles sent, the video options and
// the fullscreen keys. The handheld shows its screen as it is.
#include "fwConfig.h"
#include "fwGameApp.h"
#include "fwImage.h"
#include "fwLog.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Records every SDL_UpdateRects call while it lives.
struct TSentRects {
    std::vector<std::vector<SDL_Rect>> Calls;
    TSentRects() {
        fwSetUpdateRects(
            [this](SDL_Surface*, int n, SDL_Rect* r) { Calls.emplace_back(r, r + n); });
    }
    ~TSentRects() { fwSetUpdateRects(nullptr); }
};

Uint16& PixelAt(SDL_Surface* s, int x, int y) {
    return reinterpret_cast<Uint16*>(static_cast<Uint8*>(s->pixels) +
                                     static_cast<ptrdiff_t>(y) * s->pitch)[x];
}

// A picture of seeded noise: every pixel its own, so any misplaced one shows.
void FillNoise(SDL_Surface* picture, uint32_t seed) {
    std::mt19937 random(seed);
    for (int y = 0; y < picture->h; ++y)
        for (int x = 0; x < picture->w; ++x)
            PixelAt(picture, x, y) = static_cast<Uint16>(random());
}

// Every window pixel is the picture pixel it covers, N x N blocks from
// (PictureX, PictureY), and black outside. Names the first pixel that is not.
::testing::AssertionResult ShowsPictureScaled(TfwGameApp& app) {
    SDL_Surface* window = app.Screen;
    SDL_Surface* picture = app.GetSurface();
    for (int y = 0; y < window->h; ++y)
        for (int x = 0; x < window->w; ++x) {
            int32_t px = 0, py = 0;
            const Uint16 want =
                app.WindowToPicture(x, y, px, py) ? PixelAt(picture, px, py) : Uint16{0};
            if (PixelAt(window, x, y) != want)
                return ::testing::AssertionFailure()
                       << "window pixel (" << x << ", " << y << ") is " << PixelAt(window, x, y)
                       << ", expected " << want;
        }
    return ::testing::AssertionSuccess();
}

SDL_Event KeyDown(SDLKey key, SDLMod mod) {
    SDL_Event down = {};
    down.type = SDL_KEYDOWN;
    down.key.keysym.sym = key;
    down.key.keysym.mod = mod;
    return down;
}

bool Covers(const std::vector<SDL_Rect>& rects, int x, int y, int w, int h) {
    for (const SDL_Rect& r : rects)
        if (r.x <= x && r.y <= y && r.x + r.w >= x + w && r.y + r.h >= y + h)
            return true;
    return false;
}

class TPresent : public ::testing::Test {
protected:
    void SetUp() override {
        if constexpr (kHandheld)
            GTEST_SKIP() << "the handheld shows its screen unscaled";
    }
    // The application started with the given options; the dummy driver tells
    // no desktop size, so a desktop of 1000 x 700 is given for fullscreen.
    std::unique_ptr<TfwGameApp> Start(const std::vector<std::string>& args) {
        auto app = std::make_unique<TfwGameApp>(fwParseCommandLine(args));
        app->InitSDL();
        app->DesktopWidth = 1000;
        app->DesktopHeight = 700;
        return app;
    }
    TSentRects Sent;
};

} // namespace

TEST_F(TPresent, TheFrameIsThePictureScaledWindowedAndInFullscreen) {
    struct TCase {
        std::string Option;
        bool Fullscreen;
        int Scale, X, Y, Width, Height;
    };
    // Fullscreen on 1000 x 700: scale 2 fits (3 would need 960 x 720).
    const TCase cases[] = {
        {"-scale=2", false, 2, 0, 0, 640, 480},
        {"-scale=3", false, 3, 0, 0, 960, 720},
        {"-scale=3", true, 2, 180, 110, 1000, 700},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Option + (c.Fullscreen ? " fullscreen" : ""));
        auto app = Start({c.Option});
        if (c.Fullscreen)
            app->ToggleFullscreen();
        ASSERT_EQ(app->Screen->w, c.Width);
        ASSERT_EQ(app->Screen->h, c.Height);
        EXPECT_EQ(app->Scale, c.Scale);
        EXPECT_EQ(app->PictureX, c.X);
        EXPECT_EQ(app->PictureY, c.Y);
        FillNoise(app->GetSurface(), 17);
        Sent.Calls.clear();
        app->Flip();
        EXPECT_TRUE(ShowsPictureScaled(*app));
        // The first frame of a mode goes out whole, border and all.
        ASSERT_EQ(Sent.Calls.size(), 1u);
        EXPECT_TRUE(Covers(Sent.Calls[0], 0, 0, c.Width, c.Height));
        // A second picture in the same mode: only its changes, still exact.
        FillNoise(app->GetSurface(), 18);
        app->Flip();
        EXPECT_TRUE(ShowsPictureScaled(*app));
        app.reset();
    }
}

TEST_F(TPresent, OnlyTheChangedRectangleIsSentAndAnUnchangedFrameSendsNothing) {
    auto app = Start({"-scale=3"});
    SDL_Surface* picture = app->GetSurface();
    FillNoise(picture, 5);
    app->Flip();
    // A cursor of 28 x 28 at (57, 44) flips between two frames that differ
    // only inside it, the way the game's cursor animates.
    const SDL_Rect cursor = {57, 44, 28, 28};
    for (int frame = 0; frame < 4; ++frame) {
        Sent.Calls.clear();
        for (int y = 0; y < cursor.h; ++y)
            for (int x = 0; x < cursor.w; ++x)
                if (x == 0 || y == 0 || x == cursor.w - 1 || y == cursor.h - 1)
                    PixelAt(picture, cursor.x + x, cursor.y + y) =
                        static_cast<Uint16>(frame % 2 == 0 ? 0xFFE0 : 0xF800);
        app->Flip();
        ASSERT_EQ(Sent.Calls.size(), 1u) << "frame " << frame;
        const std::vector<SDL_Rect>& rects = Sent.Calls[0];
        ASSERT_EQ(rects.size(), 1u);
        EXPECT_EQ(rects[0].x, cursor.x * 3);
        EXPECT_EQ(rects[0].y, cursor.y * 3);
        EXPECT_EQ(rects[0].w, cursor.w * 3);
        EXPECT_EQ(rects[0].h, cursor.h * 3);
        EXPECT_TRUE(ShowsPictureScaled(*app));
    }
    Sent.Calls.clear();
    app->Flip();
    EXPECT_TRUE(Sent.Calls.empty()) << "an unchanged frame was sent";
    // An expose sends everything once more.
    SDL_Event expose = {};
    expose.type = SDL_VIDEOEXPOSE;
    app->HandleEvent(expose);
    app->Flip();
    ASSERT_EQ(Sent.Calls.size(), 1u);
    EXPECT_TRUE(Covers(Sent.Calls[0], 0, 0, 960, 720));
}

TEST_F(TPresent, OnADeepDesktopTheWindowTakesItsDepthAndShowsWhatSDLWouldHave) {
    for (const int depth : {32, 24}) {
        SCOPED_TRACE(depth);
        auto app = Start({"-scale=2"});
        app->DesktopDepth = depth;
        app->ResizeWindow(960, 720);
        ASSERT_EQ(app->Screen->format->BitsPerPixel, depth);
        SDL_Surface* picture = app->GetSurface();
        ASSERT_EQ(picture->format->BitsPerPixel, 16);
        // Images are drawn onto the picture, not the window: they keep its format.
        TfwSDLImages images;
        auto image = images.LoadImage("SPLASH", SourcePath("data/images/splash.bmp"));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Surface->format->BitsPerPixel, 16);
        // Every pixel as SDL's blit of the 16-bit picture into the window's format gives it.
        FillNoise(picture, 23);
        app->Flip();
        std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> want(
            SDL_ConvertSurface(picture, app->Screen->format, SDL_SWSURFACE), SDL_FreeSurface);
        const ptrdiff_t bpp = depth / 8;
        int wrong = 0;
        for (int y = 0; y < app->Screen->h; ++y)
            for (int x = 0; x < app->Screen->w; ++x) {
                const Uint8* got = static_cast<const Uint8*>(app->Screen->pixels) +
                                   static_cast<ptrdiff_t>(y) * app->Screen->pitch + x * bpp;
                const Uint8* expected = static_cast<const Uint8*>(want->pixels) +
                                        static_cast<ptrdiff_t>(y / 3) * want->pitch + x / 3 * bpp;
                wrong += std::memcmp(got, expected, static_cast<size_t>(bpp)) != 0;
            }
        EXPECT_EQ(wrong, 0);
        image.reset();
        app.reset();
    }
}

TEST_F(TPresent, ClearingThePictureBlackensWhatSDLsFillWouldAndNoMore) {
    auto app = Start({"-scale=1"});
    SDL_Surface* picture = app->GetSurface();
    FillNoise(picture, 29);
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> want(
        SDL_ConvertSurface(picture, picture->format, SDL_SWSURFACE), SDL_FreeSurface);
    SDL_Rect clip = {10, 5, 70, 60};
    SDL_SetClipRect(picture, &clip);
    SDL_SetClipRect(want.get(), &clip);
    app->ClearScreen();
    SDL_FillRect(want.get(), nullptr, 0);
    SDL_SetClipRect(picture, nullptr);
    int wrong = 0;
    for (int y = 0; y < picture->h; ++y)
        for (int x = 0; x < picture->w; ++x)
            wrong += PixelAt(picture, x, y) != PixelAt(want.get(), x, y);
    EXPECT_EQ(wrong, 0);
}

TEST_F(TPresent, VideoOptionLinesAreRead) {
    struct TCase {
        std::string Option;
        int WindowScale;
        bool Fullscreen;
        bool Complains;
    };
    // The dummy driver tells no desktop size, so the default scale is 1.
    const TCase cases[] = {
        {"-scale=3", 3, false, false},      {"-fullscreen", 1, true, false},
        {"-fullscreen=0", 1, false, false}, {"-scale=0", 1, false, true},
        {"-scale=x", 1, false, true},       {"-scale=17", 1, false, true},
        {"-scale=", 1, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Option);
        const int before = Log().LinesWritten();
        auto app = std::make_unique<TfwGameApp>(fwParseCommandLine({c.Option}));
        app->InitSDL();
        EXPECT_EQ(app->WindowScale, c.WindowScale);
        EXPECT_EQ(app->Fullscreen, c.Fullscreen);
        EXPECT_EQ((app->VideoFlags & SDL_FULLSCREEN) != 0, c.Fullscreen);
        if (!c.Fullscreen) {
            EXPECT_EQ(app->Screen->w, 320 * c.WindowScale);
        }
        // "Done", and before it one line naming the bad value.
        EXPECT_EQ(Log().LinesWritten() - before, c.Complains ? 2 : 1);
        app.reset();
    }
    EXPECT_EQ(TfwGameApp::FitScale(1920 * 85 / 100, 1080 * 85 / 100), 3);
    EXPECT_EQ(TfwGameApp::FitScale(3840 * 85 / 100, 2160 * 85 / 100), 7);
    EXPECT_EQ(TfwGameApp::FitScale(100, 100), 1);
}

TEST_F(TPresent, FullscreenKeysToggleAndBackGiveTheSamePictureAndNeverReachTheGame) {
    auto app = Start({"-scale=2"});
    FillNoise(app->GetSurface(), 9);
    app->Flip();
    const std::vector<Uint8> windowed(static_cast<Uint8*>(app->Screen->pixels),
                                      static_cast<Uint8*>(app->Screen->pixels) +
                                          static_cast<ptrdiff_t>(app->Screen->h) *
                                              app->Screen->pitch);
    struct TToggle {
        SDLKey Key;
        SDLMod Mod;
    };
    for (const TToggle& t : {TToggle{SDLK_F11, KMOD_NONE}, TToggle{SDLK_RETURN, KMOD_LALT}}) {
        SCOPED_TRACE(t.Key);
        for (bool fullscreen : {true, false}) {
            app->HandleEvent(KeyDown(t.Key, t.Mod));
            SetKeyDown(t.Key, true); // after the mode change, which resets SDL's key state
            ASSERT_EQ(app->Fullscreen, fullscreen);
            ASSERT_EQ(app->Screen->w, fullscreen ? 1000 : 640);
            // Held over the next frames, the key stays up for the game.
            for (int frame = 0; frame < 3; ++frame) {
                app->UpdateKeys();
                EXPECT_EQ(app->Keys[t.Key], 0);
                EXPECT_FALSE(app->AnyKeyPressed());
            }
            SetKeyDown(t.Key, false);
            app->UpdateKeys();
            app->Flip();
            EXPECT_TRUE(ShowsPictureScaled(*app));
        }
        const std::vector<Uint8> back(static_cast<Uint8*>(app->Screen->pixels),
                                      static_cast<Uint8*>(app->Screen->pixels) +
                                          static_cast<ptrdiff_t>(app->Screen->h) *
                                              app->Screen->pitch);
        EXPECT_TRUE(back == windowed) << "the window differs after fullscreen and back";
    }
    // Return without Alt is the game's key again, once released and pressed.
    SetKeyDown(SDLK_RETURN, true);
    app->UpdateKeys();
    EXPECT_EQ(app->Keys[SDLK_RETURN], 1);
    SetKeyDown(SDLK_RETURN, false);
}

TEST_F(TPresent, WindowPositionsMapToPicturePixels) {
    auto app = Start({"-scale=3"});
    app->ToggleFullscreen(); // scale 2 at (180, 110) on 1000 x 700
    struct TCase {
        int Wx, Wy;
        bool Inside;
        int Px, Py;
    };
    const TCase cases[] = {
        {180, 110, true, 0, 0},     {181, 111, true, 0, 0},  {182, 110, true, 1, 0},
        {819, 589, true, 319, 239}, {179, 200, false, 0, 0}, {820, 300, false, 0, 0},
        {500, 109, false, 0, 0},    {500, 590, false, 0, 0}, {-1, -1, false, 0, 0},
    };
    for (const TCase& c : cases) {
        int32_t px = -7, py = -7;
        EXPECT_EQ(app->WindowToPicture(c.Wx, c.Wy, px, py), c.Inside) << c.Wx << "," << c.Wy;
        if (c.Inside) {
            EXPECT_EQ(px, c.Px);
            EXPECT_EQ(py, c.Py);
        }
    }
}

TEST_F(TPresent, AResizedWindowShowsTheLargestWholeScaleCentredOnBlack) {
    struct TCase {
        int Width, Height; // asked for by the window manager; never below 320 x 240
        int Scale, X, Y;
    };
    const TCase cases[] = {
        {700, 500, 2, 30, 10},   // between 2 and 3
        {959, 719, 2, 159, 119}, // one pixel short of 3
        {960, 720, 3, 0, 0},     // exactly 3
        {1600, 730, 3, 320, 5},  // the height decides
        {300, 200, 1, 0, 0},     // never smaller than the picture
        {640, 480, 2, 0, 0},     // back to the start: no change
    };
    auto app = Start({"-scale=2"});
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Width << " x " << c.Height);
        SDL_Event resize = {};
        resize.type = SDL_VIDEORESIZE;
        resize.resize.w = c.Width;
        resize.resize.h = c.Height;
        app->HandleEvent(resize);
        ASSERT_EQ(app->Screen->w, std::max(c.Width, 320));
        ASSERT_EQ(app->Screen->h, std::max(c.Height, 240));
        EXPECT_NE(app->VideoFlags & SDL_RESIZABLE, 0u);
        EXPECT_EQ(app->Scale, c.Scale);
        EXPECT_EQ(app->WindowScale, c.Scale);
        EXPECT_EQ(app->PictureX, c.X);
        EXPECT_EQ(app->PictureY, c.Y);
        FillNoise(app->GetSurface(), 21);
        app->Flip();
        EXPECT_TRUE(ShowsPictureScaled(*app));
    }
    // Fullscreen ignores the window's size and comes back to the resized window.
    app->ResizeWindow(700, 500);
    app->ToggleFullscreen();
    EXPECT_EQ(app->VideoFlags & SDL_RESIZABLE, 0u);
    app->ResizeWindow(400, 300);
    EXPECT_EQ(app->Screen->w, 1000);
    app->ToggleFullscreen();
    EXPECT_EQ(app->Screen->w, 700);
    EXPECT_EQ(app->Screen->h, 500);
    EXPECT_EQ(app->PictureX, 30);
}

TEST_F(TPresent, AScaleLargerThanTheDesktopIsCutToIt) {
    struct TCase {
        int Scale, DesktopW, DesktopH, Want;
    };
    const TCase cases[] = {
        {16, 1920, 1080, 4}, {5, 1920, 1080, 4}, {4, 1920, 1080, 4},  {3, 1920, 1080, 3},
        {8, 3840, 2160, 8},  {9, 3840, 2160, 9}, {10, 3840, 2160, 9}, {16, 0, 0, 16},
        {2, 300, 200, 2},    {5, 1600, 1200, 5},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TfwGameApp::CutToDesktop(c.Scale, c.DesktopW, c.DesktopH), c.Want)
            << c.Scale << " on " << c.DesktopW << " x " << c.DesktopH;
}

TEST_F(TPresent, AltF4ClosesAsTheWindowsCloseDoesInAWindowAndInFullscreen) {
    struct TCase {
        SDLKey Key;
        SDLMod Mod;
        bool Closes;
    };
    const TCase cases[] = {
        {SDLK_F4, KMOD_LALT, true},   {SDLK_F4, KMOD_RALT, true},  {SDLK_F4, KMOD_NONE, false},
        {SDLK_F4, KMOD_LCTRL, false}, {SDLK_F3, KMOD_LALT, false},
    };
    for (bool fullscreen : {false, true})
        for (const TCase& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << c.Key << " mod " << c.Mod << " fullscreen " << fullscreen);
            auto app = Start({});
            if (fullscreen)
                app->ToggleFullscreen();
            app->HandleEvent(KeyDown(c.Key, c.Mod));
            EXPECT_EQ(app->Terminated, c.Closes);
        }
}
