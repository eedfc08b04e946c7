#include "fwFont.h"
#include "fwGameApp.h"
#include "fwImage.h"
#include "fwLog.h"
#include "fwSound.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace {

struct TRGB {
    uint8_t R, G, B;
};

const TRGB kMagenta = {255, 0, 255};
const TRGB kGreen = {0, 255, 0};
const int kW = 5; // odd widths give every depth a padded pitch
const int kH = 3;
const uint8_t kMagentaIndex = 254;

bool IsKeyPixel(int x, int y) {
    return (x + y) % 3 == 0;
}

// Every non-key pixel has a colour of its own, so a wrong row or pitch shows.
TRGB ColourAt(int x, int y) {
    if (IsKeyPixel(x, y))
        return kMagenta;
    return {static_cast<uint8_t>(40 * x + 20), static_cast<uint8_t>(100 * y + 10),
            static_cast<uint8_t>(60 + 10 * x + 30 * y)};
}

// The raw value the decoded surface holds for (x, y) at that depth.
uint32_t RawAt(int bpp, int x, int y) {
    TRGB c = ColourAt(x, y);
    switch (bpp) {
    case 8:
        return IsKeyPixel(x, y) ? kMagentaIndex : static_cast<uint32_t>(y * kW + x + 1);
    case 16:
        return ((c.R >> 3) << 10) | ((c.G >> 3) << 5) | (c.B >> 3);
    case 24:
        return (c.R << 16) | (c.G << 8) | c.B;
    default:
        return 0xFF000000u | (c.R << 16) | (c.G << 8) | c.B;
    }
}

// An uncompressed Windows bitmap of the test picture at 8 (palette), 16 (5-5-5),
// 24 or 32 bits per pixel, bottom-up as the format stores it.
void WriteTestBmp(const std::string& path, int bpp) {
    std::string pixels;
    for (int y = kH - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < kW; ++x) {
            uint32_t raw = RawAt(bpp, x, y);
            for (int b = 0; b < bpp / 8; ++b)
                row += static_cast<char>((raw >> (8 * b)) & 0xFF);
        }
        while (row.size() % 4 != 0)
            row += '\0';
        pixels += row;
    }
    std::string palette;
    if (bpp == 8) {
        for (int i = 0; i < 256; ++i) {
            TRGB c = {0, 0, 0};
            if (i == kMagentaIndex)
                c = kMagenta;
            else if (i >= 1 && i <= kW * kH)
                c = ColourAt((i - 1) % kW, (i - 1) / kW);
            palette += static_cast<char>(c.B);
            palette += static_cast<char>(c.G);
            palette += static_cast<char>(c.R);
            palette += '\0';
        }
    }
    const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
    std::string file = "BM";
    PutLE32(file, offset + static_cast<uint32_t>(pixels.size()));
    PutLE32(file, 0);
    PutLE32(file, offset);
    PutLE32(file, 40);
    PutLE32(file, kW);
    PutLE32(file, kH);
    PutLE16(file, 1);
    PutLE16(file, static_cast<uint32_t>(bpp));
    PutLE32(file, 0); // BI_RGB
    PutLE32(file, static_cast<uint32_t>(pixels.size()));
    PutLE32(file, 2835);
    PutLE32(file, 2835);
    PutLE32(file, bpp == 8 ? 256 : 0);
    PutLE32(file, 0);
    WriteFile(path, file + palette + pixels);
}

SDL_Surface* NewCanvas(int w, int h, const TRGB& fill) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, fill.R, fill.G, fill.B));
    return s;
}

TRGB CanvasAt(SDL_Surface* s, int x, int y) {
    uint16_t v = static_cast<uint16_t*>(s->pixels)[y * s->pitch / 2 + x];
    TRGB c;
    SDL_GetRGB(v, s->format, &c.R, &c.G, &c.B);
    return c;
}

// The display format keeps 5 or 6 bits per channel.
bool Near(const TRGB& a, const TRGB& b) {
    return std::abs(a.R - b.R) <= 8 && std::abs(a.G - b.G) <= 8 && std::abs(a.B - b.B) <= 8;
}

std::string Show(const TRGB& c) {
    return std::to_string(c.R) + "," + std::to_string(c.G) + "," + std::to_string(c.B);
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(OpenDummyScreen(), nullptr); }
    void TearDown() override { SDL_Quit(); }
    TTempDir dir;
    TfwSDLImages list;
};

const int kDepths[] = {8, 16, 24, 32};

TEST_F(ImageTest, EveryDepthKeepsItsRawPixelsAndAnswersZeroOutside) {
    for (int bpp : kDepths) {
        SCOPED_TRACE("bpp " + std::to_string(bpp));
        const std::string file = "pic" + std::to_string(bpp) + ".bmp";
        WriteTestBmp(file, bpp);
        auto image = list.NewImage(0);
        ASSERT_TRUE(image->LoadFromFile("pic", file));
        EXPECT_TRUE(image->Loaded);
        EXPECT_EQ(image->Width(), kW);
        EXPECT_EQ(image->Height(), kH);
        ASSERT_NE(image->PixelSurface, nullptr);
        EXPECT_EQ(image->PixelSurface->format->BytesPerPixel, bpp / 8);
        EXPECT_GT(image->PixelSurface->locked, 0u); // held locked for pixel reads
        // The display copy is in the screen's format, ready for plain blits.
        EXPECT_EQ(image->Surface->format->BitsPerPixel, 16);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                EXPECT_EQ(image->GetPixel(x, y), RawAt(bpp, x, y)) << x << "," << y;
        EXPECT_EQ(image->GetPixel(kW, 0), 0u);
        EXPECT_EQ(image->GetPixel(0, kH), 0u);
        EXPECT_EQ(image->GetPixel(-1, 1), 0u);
        EXPECT_EQ(image->GetPixel(1, -1), 0u);
        EXPECT_TRUE(image->Unload());
        EXPECT_EQ(image->GetPixel(1, 1), 0u);
        EXPECT_EQ(image->Width(), 0);
        EXPECT_EQ(image->Height(), 0);
    }
}

// Draws the picture onto a green canvas and checks every pixel: the key colour
// shows the canvas when keyed and magenta otherwise.
void ExpectDrawn(TfwSDLImage& image, bool keyed) {
    SDL_Surface* canvas = NewCanvas(kW, kH, kGreen);
    image.Draw(canvas, 0, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            TRGB want = IsKeyPixel(x, y) && keyed ? kGreen : ColourAt(x, y);
            TRGB got = CanvasAt(canvas, x, y);
            EXPECT_TRUE(Near(got, want)) << x << "," << y << " got " << Show(got);
        }
    SDL_FreeSurface(canvas);
}

TEST_F(ImageTest, ListKeyMakesMagentaTransparentAtEveryDepth) {
    for (int bpp : kDepths) {
        SCOPED_TRACE("bpp " + std::to_string(bpp));
        const std::string file = "pic" + std::to_string(bpp) + ".bmp";
        WriteTestBmp(file, bpp);

        list.SetColorKey(false, 0, 0, 0);
        auto plain = list.NewImage(0);
        ASSERT_TRUE(plain->LoadFromFile("plain", file));
        ExpectDrawn(*plain, false);

        list.SetColorKey(true, 255, 0, 255);
        auto keyed = list.NewImage(0);
        ASSERT_TRUE(keyed->LoadFromFile("keyed", file));
        ExpectDrawn(*keyed, true);
        EXPECT_EQ(keyed->Surface->flags & (SDL_SRCCOLORKEY | SDL_RLEACCEL),
                  static_cast<Uint32>(SDL_SRCCOLORKEY));
        // The image loaded before the key was switched on keeps no key.
        ExpectDrawn(*plain, false);
    }
}

TEST_F(ImageTest, KeySwitchedOffKeepsItsColourAndSparesLoadedImages) {
    WriteTestBmp("pic.bmp", 24);
    list.SetColorKey(true, 255, 0, 255);
    auto before = list.NewImage(0);
    ASSERT_TRUE(before->LoadFromFile("before", "pic.bmp"));
    list.SetColorKey(false, 1, 2, 3);
    EXPECT_FALSE(list.UseColorKey);
    EXPECT_EQ(list.ColorKey[0], 255);
    EXPECT_EQ(list.ColorKey[1], 0);
    EXPECT_EQ(list.ColorKey[2], 255);
    auto after = list.NewImage(0);
    ASSERT_TRUE(after->LoadFromFile("after", "pic.bmp"));
    ExpectDrawn(*before, true);
    ExpectDrawn(*after, false);
}

TEST_F(ImageTest, NewImageIsRegisteredLoadImageIsNotAndBothGetTheKey) {
    WriteTestBmp("pic.bmp", 16);
    list.SetColorKey(true, 255, 0, 255);
    auto listed = list.NewImage(7);
    EXPECT_EQ(listed->Tag, 7);
    EXPECT_EQ(listed->Images, &list);
    EXPECT_FALSE(listed->Loaded);
    EXPECT_EQ(list.IndexOf(listed.get()), 0);

    auto loaded = list.LoadInto(std::move(listed), "a", "pic.bmp");
    ASSERT_TRUE(loaded);
    ExpectDrawn(*loaded, true);

    // No list of its own: the key comes from the list that loads it, afterwards.
    auto loose = list.LoadImage("b", "pic.bmp");
    ASSERT_TRUE(loose);
    EXPECT_EQ(loose->Images, nullptr);
    EXPECT_EQ(list.Count(), 1);
    ExpectDrawn(*loose, true);
}

TEST_F(ImageTest, FailedLoadIntoDestroysTheImageAndLeavesNoDanglingEntry) {
    WriteTestBmp("pic.bmp", 24);
    const int lines = Log().LinesWritten();
    // A fresh image has an empty name, so an empty name is refused silently.
    EXPECT_FALSE(list.LoadInto(list.NewImage(0), "", "pic.bmp"));
    EXPECT_FALSE(list.LoadImage("", "pic.bmp"));
    EXPECT_EQ(Log().LinesWritten(), lines);
    EXPECT_FALSE(list.LoadInto(list.NewImage(0), "x", "missing.bmp"));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.LoadInto(nullptr, "x", "pic.bmp"));
}

TEST_F(ImageTest, TheNameHeldIsRefusedInAnyCaseEvenAfterUnload) {
    WriteTestBmp("pic.bmp", 24);
    WriteTestBmp("other.bmp", 8);
    TfwSDLImage image(nullptr, 0);
    ASSERT_TRUE(image.LoadFromFile("Stone", "pic.bmp"));
    SDL_Surface* held = image.Surface;
    const int lines = Log().LinesWritten();

    EXPECT_FALSE(image.LoadFromFile("sTONE", "other.bmp"));
    EXPECT_EQ(image.Surface, held);
    EXPECT_EQ(image.FileName, "pic.bmp");
    EXPECT_EQ(image.GetPixel(1, 0), RawAt(24, 1, 0));

    EXPECT_TRUE(image.Unload());
    EXPECT_FALSE(image.Unload());
    EXPECT_FALSE(image.Loaded);
    EXPECT_EQ(image.Name, "Stone"); // kept, and still refused
    EXPECT_FALSE(image.LoadFromFile("STONE", "pic.bmp"));
    EXPECT_FALSE(image.Loaded);
    EXPECT_EQ(image.Surface, nullptr);
    EXPECT_EQ(Log().LinesWritten(), lines);

    EXPECT_TRUE(image.LoadFromFile("Stone2", "other.bmp"));
    EXPECT_EQ(image.GetPixel(1, 0), RawAt(8, 1, 0));
}

TEST_F(ImageTest, LoadUnderANewNameFromAMissingFileDropsTheOldPicture) {
    WriteTestBmp("pic.bmp", 24);
    TfwSDLImage image(nullptr, 0);
    ASSERT_TRUE(image.LoadFromFile("a", "pic.bmp"));
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(image.LoadFromFile("b", "missing.bmp"));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(Log().LastLine().rfind("TfwSDLImage::LoadFromFile: ", 0), 0u) << Log().LastLine();
    EXPECT_FALSE(image.Loaded);
    EXPECT_EQ(image.Surface, nullptr);
    EXPECT_EQ(image.PixelSurface, nullptr);
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Name, "a");
}

// Before a video mode is set there is no display format: the load fails and
// logs, whether SDL's video is started or not.
TEST(Image, ConversionWithoutAVideoModeFailsWithOneLine) {
    TTempDir dir;
    WriteTestBmp("pic.bmp", 24);
    for (bool videoStarted : {false, true}) {
        SCOPED_TRACE(videoStarted ? "video started" : "no video");
        if (videoStarted) {
            ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        }
        TfwSDLImage image(nullptr, 0);
        const int lines = Log().LinesWritten();
        EXPECT_FALSE(image.LoadFromFile("a", "pic.bmp"));
        EXPECT_EQ(Log().LinesWritten(), lines + 1);
        EXPECT_EQ(Log().LastLine().rfind("TfwSDLImage::LoadFromFile: ", 0), 0u) << Log().LastLine();
        EXPECT_FALSE(image.Loaded);
        EXPECT_EQ(image.PixelSurface, nullptr);
        EXPECT_EQ(image.Surface, nullptr);
    }
    SDL_Quit();
}

TEST_F(ImageTest, PathsAreCutTo511Characters) {
    auto paths = LongPath(511, 600, ".bmp");
    ASSERT_EQ(paths.second.size(), 600u);
    WriteTestBmp(paths.first, 24);
    ASSERT_TRUE(FileExists(paths.first));
    ASSERT_FALSE(FileExists(paths.second));
    TfwSDLImage image(nullptr, 0);
    EXPECT_TRUE(image.LoadFromFile("long", paths.second));
    EXPECT_EQ(image.FileName, paths.second);
}

TEST_F(ImageTest, AlphaSetWhileUnloadedIsStoredButNotApplied) {
    WriteTestBmp("pic.bmp", 24);
    TfwSDLImage image(nullptr, 0);
    EXPECT_EQ(image.GetAlpha(), 255);
    image.SetAlpha(100);
    image.SetColorKey(255, 0, 255); // nothing to key yet
    EXPECT_EQ(image.GetAlpha(), 100);
    ASSERT_TRUE(image.LoadFromFile("a", "pic.bmp"));
    EXPECT_EQ(image.Surface->flags & (SDL_SRCALPHA | SDL_SRCCOLORKEY), 0u);
    image.SetAlpha(80);
    EXPECT_EQ(image.GetAlpha(), 80);
    EXPECT_NE(image.Surface->flags & SDL_SRCALPHA, 0u);
    EXPECT_EQ(image.Surface->format->alpha, 80);
}

TEST_F(ImageTest, DrawFormsPlaceCutAndClip) {
    WriteTestBmp("pic.bmp", 24);
    TfwSDLImage image(nullptr, 0);
    ASSERT_TRUE(image.LoadFromFile("a", "pic.bmp"));
    SDL_Surface* canvas = NewCanvas(40, 20, kGreen);

    // A part of the picture: (1, 1) and (2, 1) land at (10, 10) and (11, 10).
    image.Draw(canvas, 10, 10, 1, 1, 2, 1);
    EXPECT_TRUE(Near(CanvasAt(canvas, 10, 10), ColourAt(1, 1)));
    EXPECT_TRUE(Near(CanvasAt(canvas, 11, 10), ColourAt(2, 1)));
    EXPECT_TRUE(Near(CanvasAt(canvas, 12, 10), kGreen));
    EXPECT_TRUE(Near(CanvasAt(canvas, 10, 11), kGreen));

    // 32-bit coordinates reach SDL cut to 16 bits: 65536 + 20 is 20.
    image.Draw(canvas, 65536 + 20, 2);
    EXPECT_TRUE(Near(CanvasAt(canvas, 21, 2), ColourAt(1, 0)));

    // SDL writes the clipped rectangle back.
    SDL_Rect r = {38, 18, 0, 0};
    image.Draw(canvas, &r);
    EXPECT_EQ(r.w, 2);
    EXPECT_EQ(r.h, 2);
    EXPECT_TRUE(Near(CanvasAt(canvas, 39, 19), ColourAt(1, 1)));

    SDL_Rect bounds;
    image.GetBoundsAt(3, 4, bounds);
    EXPECT_EQ(bounds.x, 3);
    EXPECT_EQ(bounds.y, 4);
    EXPECT_EQ(bounds.w, kW);
    EXPECT_EQ(bounds.h, kH);
    SDL_FreeSurface(canvas);
}

TEST_F(ImageTest, AnUnloadedImageDrawsNothingAndOnlyTheBlitFormsLog) {
    TfwSDLImage image(nullptr, 0);
    SDL_Surface* canvas = NewCanvas(8, 8, kGreen);
    const int lines = Log().LinesWritten();
    image.Draw(canvas, 1, 1);
    EXPECT_EQ(Log().LinesWritten(), lines);
    image.Draw(canvas, nullptr);
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(Log().LastLine().rfind("SDLImage::Draw: ", 0), 0u) << Log().LastLine();
    image.Draw(canvas, 0, 0, 0, 0, 2, 2);
    EXPECT_EQ(Log().LinesWritten(), lines + 2);
    EXPECT_TRUE(Near(CanvasAt(canvas, 1, 1), kGreen));
    SDL_Rect bounds;
    image.GetBounds(bounds);
    EXPECT_EQ(bounds.w, 0);
    EXPECT_EQ(bounds.h, 0);
    SDL_FreeSurface(canvas);
}

} // namespace

// The application's media factories: every medium is registered once, in
// Resources, which owns it.
TEST(MediaFactories, EachFactoryRegistersItsObjectOnceInResources) {
    TfwGameApp app;
    TfwSDLSound* a = app.CreateSound(0);
    TfwSDLSound* b = app.CreateSound(0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    TfwFont* font = app.CreateFont(14, 3);
    TfwSDLMusic* music = app.CreateMusic(4);
    EXPECT_EQ(app.Resources->Count(), 4);
    EXPECT_EQ(app.Resources->IndexOf(a), 0);
    EXPECT_EQ(app.Resources->IndexOf(b), 1);
    EXPECT_EQ(app.Resources->IndexOf(font), 2);
    EXPECT_EQ(app.Resources->IndexOf(music), 3);
    EXPECT_EQ(font->Size, 14);
    EXPECT_EQ(font->Tag, 3);
    EXPECT_EQ(music->Tag, 4);
    EXPECT_FALSE(a->Loaded || font->Loaded || music->Loaded);
    // Registering the same object again keeps one entry.
    EXPECT_EQ(app.Resources->Add(a), 0);
    EXPECT_EQ(app.Resources->Count(), 4);
}

TEST(MediaFactories, AnImageMadeWithAListIsRegisteredInResourcesOnly) {
    TfwGameApp app;
    TfwSDLImages list;
    TfwSDLImage* image = app.CreateImage(&list, 9);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Images, &list);
    EXPECT_EQ(image->Tag, 9);
    EXPECT_FALSE(image->Loaded);
    EXPECT_EQ(app.Resources->IndexOf(image), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(app.CreateImage(nullptr, 0)->Images, nullptr);
    EXPECT_EQ(app.Resources->Count(), 2);
}

// --- Translucent keyed pictures: the framework blends them itself, pixel for
// pixel as SDL's own blit does ---

namespace {

Uint16& Pixel16(SDL_Surface* s, int x, int y) {
    return static_cast<Uint16*>(s->pixels)[y * s->pitch / 2 + x];
}

// A destination in the screen's layout: black on every fifth pixel (the
// common case under the title background), noise elsewhere.
SDL_Surface* NoisyCanvas(int w, int h, uint32_t seed) {
    SDL_Surface* s = NewCanvas(w, h, {0, 0, 0});
    uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            Pixel16(s, x, y) = (x + y) % 5 == 0 ? 0 : static_cast<Uint16>(state >> 16);
        }
    return s;
}

SDL_Surface* CopyOf(SDL_Surface* s) {
    return SDL_ConvertSurface(s, s->format, SDL_SWSURFACE);
}

bool SamePixels(SDL_Surface* a, SDL_Surface* b) {
    if (a->w != b->w || a->h != b->h)
        return false;
    for (int y = 0; y < a->h; ++y)
        if (std::memcmp(&Pixel16(a, 0, y), &Pixel16(b, 0, y), static_cast<size_t>(a->w) * 2) != 0)
            return false;
    return true;
}

// Every pixel value of the screen's layout once, in a 256 x 256 picture
// loaded as the game loads its pictures: magenta is the key.
class BlendTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(OpenDummyScreen(), nullptr);
        SDL_Surface* all = NewCanvas(256, 256, {0, 0, 0});
        for (int v = 0; v < 65536; ++v)
            Pixel16(all, v % 256, v / 256) = static_cast<Uint16>(v);
        ASSERT_EQ(SDL_SaveBMP(all, "all.bmp"), 0);
        SDL_FreeSurface(all);
        list.SetColorKey(true, 255, 0, 255);
        image = list.LoadImage("ALL", "all.bmp");
        ASSERT_TRUE(image);
        ASSERT_EQ(image->Surface->format->BytesPerPixel, 2);
        for (int v = 0; v < 65536; v += 257)
            ASSERT_EQ(Pixel16(image->Surface, v % 256, v / 256), v);
    }
    void TearDown() override {
        image.reset();
        SDL_Quit();
    }
    TTempDir dir;
    TfwSDLImages list;
    std::unique_ptr<TfwSDLImage> image;
};

TEST_F(BlendTest, EveryPixelValueBlendsAsSDLBlendsItAtEveryAlpha) {
    for (int alpha : {1, 2, 64, 127, 128, 129, 160, 200, 254}) {
        SCOPED_TRACE("alpha " + std::to_string(alpha));
        image->SetAlpha(static_cast<uint8_t>(alpha));
        for (uint32_t seed : {1u, 2u}) {
            SDL_Surface* drawn = NoisyCanvas(256, 256, seed * 1000 + static_cast<uint32_t>(alpha));
            SDL_Surface* expected = CopyOf(drawn);
            image->Draw(drawn, 0, 0);
            SDL_Rect at = {0, 0, 0, 0};
            ASSERT_EQ(SDL_BlitSurface(image->Surface, nullptr, expected, &at), 0);
            EXPECT_TRUE(SamePixels(drawn, expected));
            // Magenta stayed transparent; others changed the black below them.
            EXPECT_EQ(Pixel16(drawn, 0xF81F % 256, 0xF81F / 256),
                      Pixel16(expected, 0xF81F % 256, 0xF81F / 256));
            SDL_FreeSurface(drawn);
            SDL_FreeSurface(expected);
        }
    }
}

TEST_F(BlendTest, PlacesCutsAndClipsLikeSDL) {
    // Translucent through the tables, opaque through the keyed copy.
    for (const int alpha : {160, 255}) {
        image->SetAlpha(static_cast<uint8_t>(alpha));
        const int places[][2] = {{-300, -300}, {-200, -100}, {-20, -30}, {0, 0},     {50, 40},
                                 {99, 79},     {100, 80},    {-255, 70}, {32000, 5}, {-32000, 9}};
        for (bool clipped : {false, true}) {
            SDL_Surface* drawn = NoisyCanvas(100, 80, clipped ? 7 : 8);
            SDL_Surface* expected = CopyOf(drawn);
            SDL_Rect clip = {10, 5, 70, 60};
            SDL_SetClipRect(drawn, clipped ? &clip : nullptr);
            SDL_SetClipRect(expected, clipped ? &clip : nullptr);
            for (const auto& p : places) {
                SCOPED_TRACE(std::to_string(p[0]) + "," + std::to_string(p[1]) +
                             (clipped ? " clipped" : "") + " alpha " + std::to_string(alpha));
                // The whole picture, with the rectangle written back.
                SDL_Rect mine = {static_cast<Sint16>(p[0]), static_cast<Sint16>(p[1]), 3, 4};
                SDL_Rect sdl = mine;
                image->Draw(drawn, &mine);
                SDL_BlitSurface(image->Surface, nullptr, expected, &sdl);
                EXPECT_EQ(mine.x, sdl.x);
                EXPECT_EQ(mine.y, sdl.y);
                EXPECT_EQ(mine.w, sdl.w);
                EXPECT_EQ(mine.h, sdl.h);
                // Parts, also reaching outside the picture.
                for (int src : {-10, 0, 120, 250})
                    for (int size : {0, 5, 300}) {
                        image->Draw(drawn, p[0], p[1], src, src / 2, size, size / 2 + 1);
                        SDL_Rect part = {static_cast<Sint16>(src), static_cast<Sint16>(src / 2),
                                         static_cast<Uint16>(size),
                                         static_cast<Uint16>(size / 2 + 1)};
                        SDL_Rect at = {static_cast<Sint16>(p[0]), static_cast<Sint16>(p[1]),
                                       static_cast<Uint16>(size),
                                       static_cast<Uint16>(size / 2 + 1)};
                        SDL_BlitSurface(image->Surface, &part, expected, &at);
                    }
                ASSERT_TRUE(SamePixels(drawn, expected));
            }
            SDL_FreeSurface(drawn);
            SDL_FreeSurface(expected);
        }
    }
}

TEST_F(BlendTest, TheTitleBackgroundOnTheScreenIsSDLsPicture) {
    std::unique_ptr<TfwSDLImage> splash =
        list.LoadImage("SPLASH", SourcePath("data/images/splash.bmp"));
    ASSERT_TRUE(splash);
    splash->SetAlpha(160);
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_Surface* expected = NewCanvas(screen->w, screen->h, {0, 0, 0});
    for (int frame = 0; frame < 2; ++frame) {
        SDL_FillRect(screen, nullptr, 0);
        splash->Draw(screen, 0, 0);
        SDL_FillRect(expected, nullptr, 0);
        SDL_Rect at = {0, 0, 0, 0};
        SDL_BlitSurface(splash->Surface, nullptr, expected, &at);
        EXPECT_TRUE(SamePixels(screen, expected));
    }
    // Something of the picture shows.
    SDL_FillRect(expected, nullptr, 0);
    EXPECT_FALSE(SamePixels(screen, expected));
    SDL_FreeSurface(expected);
}

TEST_F(BlendTest, OpaqueUnkeyedAndLockedCasesStayWithSDL) {
    // Opaque and keyed; then translucent without a key.
    for (bool keyed : {true, false}) {
        if (!keyed)
            SDL_SetColorKey(image->Surface, 0, 0);
        image->SetAlpha(keyed ? 255 : 160);
        SDL_Surface* drawn = NoisyCanvas(256, 256, keyed ? 3 : 4);
        SDL_Surface* expected = CopyOf(drawn);
        image->Draw(drawn, 0, 0);
        SDL_Rect at = {0, 0, 0, 0};
        SDL_BlitSurface(image->Surface, nullptr, expected, &at);
        EXPECT_TRUE(SamePixels(drawn, expected)) << (keyed ? "opaque" : "unkeyed");
        SDL_FreeSurface(drawn);
        SDL_FreeSurface(expected);
    }
    // A locked destination fails the blit as SDL fails it: logged, untouched.
    SDL_SetColorKey(image->Surface, SDL_SRCCOLORKEY, 0xF81F);
    image->SetAlpha(160);
    SDL_Surface* drawn = NoisyCanvas(64, 64, 5);
    SDL_Surface* before = CopyOf(drawn);
    SDL_LockSurface(drawn);
    const int lines = Log().LinesWritten();
    image->Draw(drawn, 0, 0);
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(Log().LastLine().rfind("SDLImage::Draw: ", 0), 0u) << Log().LastLine();
    SDL_UnlockSurface(drawn);
    EXPECT_TRUE(SamePixels(drawn, before));
    SDL_FreeSurface(drawn);
    SDL_FreeSurface(before);
}

} // namespace
