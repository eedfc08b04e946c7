#include "fwFont.h"
#include "fwLog.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// A tiny TrueType font the tests build for themselves: 1000 units per em,
// every printable ASCII character a box 400 units wide on a 500-unit advance,
// its height growing with the character code so that every text draws
// differently; the space is blank.
const int kAdvance = 500;

int BoxHeight(int c) {
    return 100 + (c - 33) * 6;
}

struct TBigEndian {
    std::string Data;
    void U16(uint32_t v) {
        Data += static_cast<char>((v >> 8) & 0xFF);
        Data += static_cast<char>(v & 0xFF);
    }
    void U32(uint32_t v) {
        U16(v >> 16);
        U16(v & 0xFFFF);
    }
    void Pad() {
        while (Data.size() % 4 != 0)
            Data += '\0';
    }
};

std::string MakeTestFont() {
    const int numGlyphs = 96; // .notdef, then characters 32 to 126
    TBigEndian glyf, loca, hmtx;
    for (int g = 0; g < numGlyphs; ++g) {
        loca.U32(static_cast<uint32_t>(glyf.Data.size()));
        const int c = g + 31;
        if (g >= 2) {
            const int h = BoxHeight(c);
            glyf.U16(1); // one contour
            glyf.U16(50);
            glyf.U16(0);
            glyf.U16(450);
            glyf.U16(static_cast<uint32_t>(h));
            glyf.U16(3); // last point of the contour
            glyf.U16(0); // no instructions
            for (int i = 0; i < 4; ++i)
                glyf.Data += '\x01'; // on the curve, 16-bit deltas
            for (int dx : {50, 0, 400, 0})
                glyf.U16(static_cast<uint32_t>(dx) & 0xFFFF);
            for (int dy : {0, h, 0, -h})
                glyf.U16(static_cast<uint32_t>(dy) & 0xFFFF);
            glyf.Pad();
        }
        hmtx.U16(kAdvance);
        hmtx.U16(g >= 2 ? 50 : 0);
    }
    loca.U32(static_cast<uint32_t>(glyf.Data.size()));

    TBigEndian cmap;
    cmap.U16(0);
    cmap.U16(1);
    cmap.U16(3); // Windows, Unicode BMP
    cmap.U16(1);
    cmap.U32(12);
    cmap.U16(4); // segment mapping: 32..126 to glyphs 1..95
    cmap.U16(32);
    cmap.U16(0);
    cmap.U16(4);
    cmap.U16(4);
    cmap.U16(1);
    cmap.U16(0);
    cmap.U16(126);
    cmap.U16(0xFFFF);
    cmap.U16(0);
    cmap.U16(32);
    cmap.U16(0xFFFF);
    cmap.U16((1 - 32) & 0xFFFF);
    cmap.U16(1);
    cmap.U16(0);
    cmap.U16(0);

    TBigEndian head;
    head.U32(0x00010000);
    head.U32(0x00010000);
    head.U32(0);
    head.U32(0x5F0F3CF5);
    head.U16(0x000B);
    head.U16(1000);
    for (int i = 0; i < 4; ++i)
        head.U32(0); // created, modified
    head.U16(0);
    head.U16(0);
    head.U16(450);
    head.U16(700);
    head.U16(0);
    head.U16(8);
    head.U16(2);
    head.U16(1); // long offsets in loca
    head.U16(0);

    TBigEndian hhea;
    hhea.U32(0x00010000);
    hhea.U16(800);
    hhea.U16(static_cast<uint32_t>(-200) & 0xFFFF);
    hhea.U16(0);
    hhea.U16(kAdvance);
    hhea.U16(0);
    hhea.U16(50);
    hhea.U16(450);
    hhea.U16(1);
    for (int i = 0; i < 7; ++i)
        hhea.U16(0);
    hhea.U16(numGlyphs);

    TBigEndian maxp;
    maxp.U32(0x00010000);
    maxp.U16(numGlyphs);
    maxp.U16(4);
    maxp.U16(1);
    maxp.U16(0);
    maxp.U16(0);
    maxp.U16(2);
    for (int i = 0; i < 8; ++i)
        maxp.U16(0);

    // Table directory, tags in ascending order.
    std::vector<std::pair<std::string, std::string>> tables = {
        {"cmap", cmap.Data}, {"glyf", glyf.Data}, {"head", head.Data}, {"hhea", hhea.Data},
        {"hmtx", hmtx.Data}, {"loca", loca.Data}, {"maxp", maxp.Data}};
    TBigEndian font;
    font.U32(0x00010000);
    font.U16(7);
    font.U16(64);
    font.U16(2);
    font.U16(7 * 16 - 64);
    uint32_t offset = 12 + 16 * static_cast<uint32_t>(tables.size());
    std::string body;
    for (auto& [tag, data] : tables) {
        TBigEndian padded;
        padded.Data = data;
        padded.Pad();
        uint32_t sum = 0;
        for (size_t i = 0; i < padded.Data.size(); i += 4) {
            uint32_t word = 0;
            for (size_t k = 0; k < 4; ++k)
                word = (word << 8) | static_cast<uint8_t>(padded.Data[i + k]);
            sum += word;
        }
        font.Data += tag;
        font.U32(sum);
        font.U32(offset + static_cast<uint32_t>(body.size()));
        font.U32(static_cast<uint32_t>(data.size()));
        body += padded.Data;
    }
    return font.Data + body;
}

SDL_Surface* NewCanvas(int w, int h, uint32_t rgb) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    SDL_FillRect(s, nullptr, rgb);
    return s;
}

uint32_t CanvasAt(SDL_Surface* s, int x, int y) {
    return static_cast<uint32_t*>(s->pixels)[y * s->pitch / 4 + x] & 0xFFFFFF;
}

bool SameSurface(SDL_Surface* a, SDL_Surface* b) {
    return a->h == b->h && a->pitch == b->pitch &&
           std::memcmp(a->pixels, b->pixels,
                       static_cast<size_t>(a->h) * static_cast<size_t>(a->pitch)) == 0;
}

bool Blank(SDL_Surface* s, uint32_t rgb) {
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if (CanvasAt(s, x, y) != rgb)
                return false;
    return true;
}

const uint32_t kOrange = 0xFFFF8000; // the top byte is not part of the colour

class FontTest : public ::testing::Test {
protected:
    void SetUp() override { WriteFile("test.ttf", MakeTestFont()); }
    TTempDir dir;
};

TEST_F(FontTest, FirstLoadStartsTrueTypeAndOpensAtTheCreationSize) {
    EXPECT_EQ(TTF_WasInit(), 0);
    TfwFont font(12, 5);
    EXPECT_FALSE(font.Opened);
    EXPECT_TRUE(font.Blended);
    ASSERT_TRUE(font.LoadFromFile("small", "test.ttf"));
    EXPECT_NE(TTF_WasInit(), 0);
    EXPECT_TRUE(font.Opened);
    EXPECT_TRUE(font.Loaded);
    EXPECT_EQ(font.Name, "small");
    EXPECT_EQ(font.FileName, "test.ttf");
    EXPECT_EQ(font.TextWidth("AB"), 2 * 6); // 500 units of 1000 at 12 px per em

    // The sized load replaces the size; a second load under the same name
    // opens the file again.
    ASSERT_TRUE(font.LoadFromFile("small", "test.ttf", 16));
    EXPECT_EQ(font.Size, 16);
    EXPECT_EQ(font.TextWidth("AB"), 2 * 8);
    ASSERT_TRUE(font.Reload());
    EXPECT_EQ(font.TextWidth("AB"), 2 * 8);
}

TEST_F(FontTest, EmptyAndClosedFontsMeasureZeroAndDrawNothing) {
    TfwFont font(12, 0);
    EXPECT_EQ(font.TextWidth(""), 0);
    EXPECT_EQ(font.TextWidth("abc"), 0);
    EXPECT_EQ(font.RenderText("abc", kOrange), nullptr);
    SDL_Surface* canvas = NewCanvas(40, 20, 0xFFFFFF);
    font.DrawText(canvas, 0, 0, std::string("abc"), kOrange);
    font.DrawText(canvas, 0, 0, 12, kOrange);
    EXPECT_TRUE(Blank(canvas, 0xFFFFFF));

    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    EXPECT_EQ(font.TextWidth(""), 0);
    EXPECT_EQ(font.RenderText("", kOrange), nullptr); // nothing to render
    font.DrawText(canvas, 0, 0, std::string(""), kOrange);
    EXPECT_TRUE(Blank(canvas, 0xFFFFFF));

    // A failed reload leaves the font marked open but without a face: the text
    // operations answer nothing rather than fail.
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(font.LoadFromFile("g", "missing.ttf"));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_TRUE(font.Opened);
    EXPECT_EQ(font.Name, "f");
    EXPECT_EQ(font.Font, nullptr);
    EXPECT_EQ(font.TextWidth("abc"), 0);
    EXPECT_EQ(font.RenderText("abc", kOrange), nullptr);
    font.DrawText(canvas, 0, 0, 2.5f, kOrange);
    EXPECT_TRUE(Blank(canvas, 0xFFFFFF));
    EXPECT_FALSE(font.Unload());
    SDL_FreeSurface(canvas);
}

TEST_F(FontTest, UnloadClosesTheFace) {
    TfwFont font(12, 0);
    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    EXPECT_TRUE(font.Unload());
    EXPECT_EQ(font.Font, nullptr);
    EXPECT_FALSE(font.Unload());
    EXPECT_EQ(font.TextWidth("abc"), 0);
}

TEST_F(FontTest, AMissingFileLogsTheWholePathOncePerAttempt) {
    const std::string path = std::string(600, 'm') + ".ttf";
    TfwFont font(12, 0);
    const int lines = Log().LinesWritten();
    EXPECT_FALSE(font.LoadFromFile("f", path));
    EXPECT_EQ(Log().LinesWritten(), lines + 1);
    EXPECT_EQ(Log().LastLine(), "TrueType \"" + path + "\" font not loaded");
    EXPECT_FALSE(font.Opened);
    EXPECT_FALSE(font.Loaded);
    EXPECT_TRUE(font.Name.empty());
    EXPECT_FALSE(font.LoadFromFile("f", path));
    EXPECT_EQ(Log().LinesWritten(), lines + 2);
}

TEST_F(FontTest, PathsAndTextsAreCutTo511Characters) {
    auto paths = LongPath(511, 600, ".ttf");
    WriteFile(paths.first, MakeTestFont());
    TfwFont font(12, 0);
    ASSERT_TRUE(font.LoadFromFile("long", paths.second));
    EXPECT_EQ(font.FileName, paths.second);
    EXPECT_EQ(font.TextWidth(std::string(600, 'A')), font.TextWidth(std::string(511, 'A')));
    EXPECT_EQ(font.TextWidth(std::string(511, 'A')), 511 * 6);
}

// DrawText of a number draws exactly what RenderText draws for its text.
void ExpectDrawnAs(TfwFont& font, const std::function<void(SDL_Surface*)>& draw,
                   const std::string& text) {
    SDL_Surface* drawn = NewCanvas(80, 30, 0);
    SDL_Surface* expected = NewCanvas(80, 30, 0);
    draw(drawn);
    SDL_Surface* rendered = font.RenderText(text, kOrange);
    ASSERT_NE(rendered, nullptr);
    SDL_Rect at = {3, 4, 0, 0};
    SDL_BlitSurface(rendered, nullptr, expected, &at);
    SDL_FreeSurface(rendered);
    EXPECT_FALSE(Blank(drawn, 0)) << text;
    EXPECT_TRUE(SameSurface(drawn, expected)) << text;
    SDL_FreeSurface(drawn);
    SDL_FreeSurface(expected);
}

TEST_F(FontTest, IntegersAndRealsAreDrawnAsTheirFormattedText) {
    TfwFont font(16, 0);
    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    ExpectDrawnAs(
        font, [&](SDL_Surface* s) { font.DrawText(s, 3, 4, -5, kOrange); }, "-5");
    ExpectDrawnAs(
        font, [&](SDL_Surface* s) { font.DrawText(s, 3, 4, 2.5f, kOrange); }, "2.50");
    ExpectDrawnAs(
        font, [&](SDL_Surface* s) { font.DrawText(s, 3, 4, -0.125f, kOrange); }, "-0.12");
    // The comparison tells texts apart: the boxes differ per character.
    SDL_Surface* a = NewCanvas(80, 30, 0);
    SDL_Surface* b = NewCanvas(80, 30, 0);
    font.DrawText(a, 0, 0, std::string("-5"), kOrange);
    font.DrawText(b, 0, 0, std::string("5-"), kOrange);
    EXPECT_FALSE(SameSurface(a, b));
    SDL_FreeSurface(a);
    SDL_FreeSurface(b);
}

TEST_F(FontTest, ColoursAreRGBBlendedOverTheDestinationOrShadedOnTheBackground) {
    TfwFont font(40, 0);
    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    // 'z' is a box from x 2 to 18 and 25 px tall, on a 20-px advance.
    const int ascent = TTF_FontAscent(font.Font);
    const int inside_y = ascent - 5;

    SDL_Surface* rendered = font.RenderText("z", kOrange);
    ASSERT_NE(rendered, nullptr);
    ASSERT_EQ(rendered->format->BytesPerPixel, 4);
    Uint8 r, g, b, a;
    SDL_GetRGBA(static_cast<uint32_t*>(rendered->pixels)[inside_y * rendered->pitch / 4 + 10],
                rendered->format, &r, &g, &b, &a);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 128);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(a, 255);
    SDL_FreeSurface(rendered);

    SDL_Surface* canvas = NewCanvas(60, 60, 0xFFFFFF);
    font.DrawText(canvas, 10, 5, std::string("z"), kOrange);
    EXPECT_EQ(CanvasAt(canvas, 20, 5 + inside_y), 0xFF8000u);
    EXPECT_EQ(CanvasAt(canvas, 11, 7), 0xFFFFFFu); // beside the box: untouched

    font.Blended = false;
    font.Background = {0, 0, 255, 255};
    SDL_FillRect(canvas, nullptr, 0xFFFFFF);
    font.DrawText(canvas, 10, 5, std::string("z"), kOrange);
    EXPECT_EQ(CanvasAt(canvas, 20, 5 + inside_y), 0xFF8000u);
    EXPECT_EQ(CanvasAt(canvas, 11, 7), 0x0000FFu); // the box of the background
    EXPECT_EQ(CanvasAt(canvas, 9, 7), 0xFFFFFFu);  // outside the rendered text
    SDL_FreeSurface(canvas);
}

} // namespace

// --- The text cache: DrawText blits kept renderings, pixel for pixel as a
// fresh rendering of the same text would draw ---

namespace {

// Counts the renderings DrawText asks for.
class TCountingFont : public TfwFont {
public:
    using TfwFont::TfwFont;
    int Renders = 0;
    SDL_Surface* RenderText(const std::string& text, uint32_t color) override {
        ++Renders;
        return TfwFont::RenderText(text, color);
    }
};

// The screen's layout, filled with a pattern so that the blend of every edge
// pixel shows.
SDL_Surface* NewScreenCanvas() {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            static_cast<Uint16*>(s->pixels)[y * s->pitch / 2 + x] =
                static_cast<Uint16>((x * 211 + y * 1031) ^ (x * y));
    return s;
}

// DrawText before the cache: a fresh rendering blitted once and freed.
void DrawFresh(TfwFont& font, SDL_Surface* dest, int x, int y, const std::string& text,
               uint32_t color) {
    SDL_Surface* rendered = font.RenderText(text, color);
    SDL_Rect at = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
    if (rendered != nullptr)
        SDL_BlitSurface(rendered, nullptr, dest, &at);
    SDL_FreeSurface(rendered);
}

class TextCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile("test.ttf", MakeTestFont());
        cached = NewScreenCanvas();
        fresh = NewScreenCanvas();
    }
    void TearDown() override {
        SDL_FreeSurface(cached);
        SDL_FreeSurface(fresh);
    }
    // Draws text through the cache on one canvas and freshly on the other;
    // the two must stay equal.
    void DrawBoth(TfwFont& font, int x, int y, const std::string& text, uint32_t color) {
        font.DrawText(cached, x, y, text, color);
        DrawFresh(font, fresh, x, y, text, color);
        ASSERT_TRUE(SameSurface(cached, fresh)) << "\"" << text << "\" at " << x << "," << y;
    }
    // Texts the game might draw: more of them than the cache holds.
    static std::vector<std::string> Texts(int n) {
        std::vector<std::string> texts;
        texts.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            texts.push_back((i % 3 == 0   ? "Last Score: "
                             : i % 3 == 1 ? "Volume: "
                                          : "ANNA ") +
                            std::to_string(i * 37));
        return texts;
    }
    TTempDir dir;
    SDL_Surface* cached = nullptr;
    SDL_Surface* fresh = nullptr;
};

TEST_F(TextCacheTest, KeptTextsDrawAsFreshOnesThroughEvictionReloadAndShading) {
    TfwFont font(14, 0);
    ASSERT_TRUE(font.LoadFromFile("F2", SourcePath("data/fonts/orangefizz.ttf")));
    ASSERT_EQ(font.CacheLimit, 64u);
    const std::vector<std::string> texts = Texts(90);
    const uint32_t white = 0x00FFFFFF;

    // Three rounds over more texts than the cache holds, in changing order and
    // places, two colours: hits, misses and evictions all draw the same.
    for (int round = 0; round < 3; ++round)
        for (size_t i = 0; i < texts.size(); ++i) {
            const size_t k = round == 1 ? texts.size() - 1 - i : (i * 7) % texts.size();
            const int x = static_cast<int>((k * 13 + static_cast<size_t>(round) * 5) % 300) - 10;
            const int y = static_cast<int>((k * 29) % 250) - 5;
            DrawBoth(font, x, y, texts[k], (k + round) % 2 == 0 ? kOrange : white);
            ASSERT_LE(font.CachedTexts(), 64u);
        }
    EXPECT_EQ(font.CachedTexts(), 64u);
    // The title's own lines, drawn frame after frame.
    for (int frame = 0; frame < 5; ++frame) {
        DrawBoth(font, 15, 172, "SPACE - Start game / select stone", kOrange);
        DrawBoth(font, 15, 186, "Cursor keys - move cursor", kOrange);
    }

    // Shaded: the box of the background, which is part of the key.
    font.Blended = false;
    font.Background = {0, 0, 255, 255};
    DrawBoth(font, 20, 30, texts[0], kOrange);
    DrawBoth(font, 20, 60, texts[1], kOrange);
    font.Background = {40, 200, 0, 255};
    DrawBoth(font, 20, 30, texts[0], kOrange);
    font.Blended = true;
    DrawBoth(font, 20, 30, texts[0], kOrange);

    // A reload at another size draws the new face, never a kept rendering.
    ASSERT_TRUE(font.LoadFromFile("F2", SourcePath("data/fonts/orangefizz.ttf"), 20));
    EXPECT_EQ(font.CachedTexts(), 0u);
    for (size_t k = 0; k < 10; ++k)
        DrawBoth(font, 5, static_cast<int>(k * 22), texts[k], kOrange);
    // So does a reload from another file under the same name.
    ASSERT_TRUE(font.LoadFromFile("F2", "test.ttf", 20));
    for (size_t k = 0; k < 10; ++k)
        DrawBoth(font, 5, static_cast<int>(k * 22), texts[k], kOrange);
}

TEST_F(TextCacheTest, EachTextIsRenderedOnceUntilItIsTheOneDrawnLongestAgo) {
    TCountingFont font(16, 0);
    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    font.CacheLimit = 3;
    for (const char* t : {"A", "B", "C"})
        DrawBoth(font, 0, 0, t, kOrange);
    EXPECT_EQ(font.Renders, 3 + 3); // each DrawBoth renders once more for the fresh side
    font.Renders = 0;
    font.DrawText(cached, 0, 0, std::string("A"), kOrange);
    font.DrawText(cached, 0, 0, std::string("A"), kOrange);
    EXPECT_EQ(font.Renders, 0);
    // Full: D pushes out B, the one drawn longest ago (A was drawn again).
    font.DrawText(cached, 0, 0, std::string("D"), kOrange);
    EXPECT_EQ(font.Renders, 1);
    EXPECT_EQ(font.CachedTexts(), 3u);
    for (const char* t : {"A", "C", "D"})
        font.DrawText(cached, 0, 0, std::string(t), kOrange);
    EXPECT_EQ(font.Renders, 1);
    font.DrawText(cached, 0, 0, std::string("B"), kOrange);
    EXPECT_EQ(font.Renders, 2);

    // Numbers go through the same cache.
    font.Renders = 0;
    font.DrawText(cached, 0, 0, 125, kOrange);
    font.DrawText(cached, 0, 0, 125, kOrange);
    font.DrawText(cached, 0, 0, 2.5f, kOrange);
    font.DrawText(cached, 0, 0, 2.5f, kOrange);
    EXPECT_EQ(font.Renders, 2);
    // An empty text renders to nothing and keeps nothing.
    const size_t kept = font.CachedTexts();
    font.DrawText(cached, 0, 0, std::string(""), kOrange);
    EXPECT_EQ(font.CachedTexts(), kept);
}

TEST_F(TextCacheTest, WhatChangesTheRenderingIsPartOfTheKeyAndAFaceChangeEmptiesIt) {
    TCountingFont font(16, 0);
    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    // Renderings of the cached side in one DrawBoth (the fresh side renders once).
    auto cachedRenders = [&](int x, int y, const std::string& text, uint32_t color) {
        const int before = font.Renders;
        DrawBoth(font, x, y, text, color);
        return font.Renders - before - 1;
    };
    EXPECT_EQ(cachedRenders(4, 4, "Zz", kOrange), 1);
    EXPECT_EQ(cachedRenders(4, 4, "Zz", kOrange), 0);
    EXPECT_EQ(cachedRenders(4, 4, "Zz", 0x00FF8000), 1); // another colour value
    font.Blended = false;
    EXPECT_EQ(cachedRenders(4, 4, "Zz", kOrange), 1);
    font.Background = {9, 9, 9, 255};
    EXPECT_EQ(cachedRenders(4, 4, "Zz", kOrange), 1);
    font.Blended = true;
    EXPECT_EQ(cachedRenders(4, 4, "Zz", kOrange), 0);
    // A style set on the face by whoever holds it.
    TTF_SetFontStyle(font.Font, TTF_STYLE_BOLD);
    EXPECT_EQ(cachedRenders(4, 30, "Zz", kOrange), 1);
    TTF_SetFontStyle(font.Font, TTF_STYLE_NORMAL);
    EXPECT_EQ(cachedRenders(4, 60, "Zz", kOrange), 0);

    // Unload, a failed load and a good one each empty the cache.
    EXPECT_GT(font.CachedTexts(), 0u);
    EXPECT_TRUE(font.Unload());
    EXPECT_EQ(font.CachedTexts(), 0u);
    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    font.DrawText(cached, 0, 0, std::string("Zz"), kOrange);
    EXPECT_EQ(font.CachedTexts(), 1u);
    EXPECT_FALSE(font.LoadFromFile("g", "missing.ttf"));
    EXPECT_EQ(font.CachedTexts(), 0u);
    // With no face nothing is drawn, from the cache or otherwise.
    SDL_Surface* before = SDL_ConvertSurface(cached, cached->format, SDL_SWSURFACE);
    font.DrawText(cached, 0, 0, std::string("Zz"), kOrange);
    EXPECT_TRUE(SameSurface(cached, before));
    SDL_FreeSurface(before);
}

TEST_F(TextCacheTest, ALimitOfZeroRendersEveryTimeAndKeepsNothing) {
    TCountingFont font(16, 0);
    ASSERT_TRUE(font.LoadFromFile("f", "test.ttf"));
    font.CacheLimit = 0;
    for (int i = 0; i < 3; ++i)
        DrawBoth(font, 10, 10, "abc", kOrange);
    EXPECT_EQ(font.Renders, 6);
    EXPECT_EQ(font.CachedTexts(), 0u);
}

} // namespace
