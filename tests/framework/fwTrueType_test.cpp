// The FreeType text module against SDL_ttf itself: every text the game draws,
// at every size the game opens its font, in both render modes with the game's
// colours, must come out as the same surface and the same size answers.
#include "fwCatalogue.h"
#include "fwTrueType.h"
#include "tessaril.h"
#include "uHighscore.h"

#include "testutil.h"

#include <SDL_mixer.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kGameFont = "data/fonts/orangefizz.ttf";
const int kGameSizes[] = {12, 14, 16};
const SDL_Color kOrange = {0xFF, 0x80, 0x00, 255}; // the game's text colour
const SDL_Color kWhite = {0xFF, 0xFF, 0xFF, 255};  // the table's dates, the entry's cursor
const SDL_Color kBlack = {0, 0, 0, 255};           // a shaded font's background

// Names may hold any printable ASCII character: every ordered pair of them
// side by side (so every kerning pair), cut into texts of whole pairs.
std::vector<std::string> AllPairs() {
    const char kFirst = ' ';
    const char kLast = '~';
    const size_t kPairsPerText = 128;
    std::vector<std::string> texts(1);
    for (char a = kFirst; a <= kLast; ++a)
        for (char b = kFirst; b <= kLast; ++b) {
            if (texts.back().size() == 2 * kPairsPerText)
                texts.emplace_back();
            texts.back() += {a, b};
        }
    return texts;
}

// Every text the game draws with its fonts, in both builds, and then some.
std::vector<std::string> GameTexts() {
    std::vector<std::string> texts = {
        // The title: version, credits, last score, help lines of this build...
        std::string("Tessaril - Version ") + TESSARIL_VERSION, "Written by ",
        "Orvin Tasker (Programming / GP2XWIZ)", "Mabel Quorne (Programming / Art)",
        "The Internet (Sound)", "Last Score: 1234567890",
        // ...and the handheld's.
        "'B'  - Start game / select stone", "Cursor keys - move cursor", "'X' - Quit game",
        // The name entry: its whole character set, its cursor and help.
        THighscoreEditor::Charset, "Your Score:", "_", "Enter - save score",
        "X - Quit without saving score", "Up/Down - Change characters",
        "Left/Right - Change character position",
        // The table: scores and dates, an unreadable date.
        "0", "25", "9875", "2147483647", "1899-12-30", "2024-02-29", "9999-12-31", "----------",
        // Beyond ASCII (Latin-1 bytes), and nothing at all.
        "\xe9t\xe9 \xfc\xdf", ""};
    for (const std::string& line : TitleHelpLines(TControls()))
        texts.emplace_back(line);
    for (int volume = 0; volume <= MIX_MAX_VOLUME; ++volume)
        texts.push_back("Volume: " + std::to_string(volume));
    for (char c = ' '; c <= '~'; ++c)
        texts.emplace_back(1, c);
    for (const std::string& pairs : AllPairs())
        texts.push_back(pairs);
    return texts;
}

// The first difference between two renderings; empty when they are alike in
// size, format, palette and every pixel (the padding at rows' ends aside).
std::string Difference(const SDL_Surface* a, const SDL_Surface* b) {
    if (a == nullptr || b == nullptr)
        return a == b ? "" : "one rendering is missing";
    if (a->w != b->w || a->h != b->h)
        return "size " + std::to_string(a->w) + "x" + std::to_string(a->h) + " against " +
               std::to_string(b->w) + "x" + std::to_string(b->h);
    const SDL_PixelFormat& fa = *a->format;
    const SDL_PixelFormat& fb = *b->format;
    if (a->flags != b->flags || fa.BitsPerPixel != fb.BitsPerPixel || fa.Rmask != fb.Rmask ||
        fa.Gmask != fb.Gmask || fa.Bmask != fb.Bmask || fa.Amask != fb.Amask ||
        fa.colorkey != fb.colorkey || fa.alpha != fb.alpha)
        return "pixel format or flags";
    if ((fa.palette == nullptr) != (fb.palette == nullptr) ||
        (fa.palette != nullptr &&
         (fa.palette->ncolors != fb.palette->ncolors ||
          std::memcmp(fa.palette->colors, fb.palette->colors,
                      sizeof(SDL_Color) * static_cast<size_t>(fa.palette->ncolors)) != 0)))
        return "palette";
    const int bpp = fa.BytesPerPixel;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x) {
            const auto* pa = static_cast<const Uint8*>(a->pixels) +
                             static_cast<ptrdiff_t>(y) * a->pitch + static_cast<ptrdiff_t>(x) * bpp;
            const auto* pb = static_cast<const Uint8*>(b->pixels) +
                             static_cast<ptrdiff_t>(y) * b->pitch + static_cast<ptrdiff_t>(x) * bpp;
            if (std::memcmp(pa, pb, static_cast<size_t>(bpp)) != 0)
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    return "";
}

// A rendering and the error it left when it made none.
struct TRendering {
    SDL_Surface* Surface;
    std::string Error;
    ~TRendering() { SDL_FreeSurface(Surface); }
};

TRendering Rendered(SDL_Surface* surface) {
    return {surface, surface == nullptr ? SDL_GetError() : ""};
}

struct TFonts {
    explicit TFonts(int size)
        : Real(TTF_OpenFont(SourcePath(kGameFont).c_str(), size)),
          Own(TrueTypeOpenFont(SourcePath(kGameFont).c_str(), size)) {}
    ~TFonts() {
        TTF_CloseFont(Real);
        TrueTypeCloseFont(Own);
    }
    TTF_Font* Real;
    TTrueTypeFont* Own;
};

class TrueTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(TTF_Init(), 0);
        ASSERT_EQ(TrueTypeInit(), 0);
    }
    void TearDown() override {
        TTF_Quit();
        TrueTypeQuit();
    }
};

TEST_F(TrueTypeTest, RendersAndMeasuresEveryGameTextAsSDLTtf) {
    // The game's modes and colours first; then the face settings the
    // framework passes on, each once.
    struct TMode {
        const char* Name;
        bool Blended;
        SDL_Color Fg, Bg;
        int Style = TTF_STYLE_NORMAL;
        int Hinting = TTF_HINTING_NORMAL;
        int Kerning = 1;
    };
    const TMode kModes[] = {
        {"blended orange", true, kOrange, kBlack},
        {"blended white", true, kWhite, kBlack},
        {"shaded orange on black", false, kOrange, kBlack},
        {"shaded white on black", false, kWhite, kBlack},
        {"shaded orange on white", false, kOrange, kWhite}, // channels running down
        {"blended bold", true, kOrange, kBlack, TTF_STYLE_BOLD},
        {"shaded bold", false, kOrange, kBlack, TTF_STYLE_BOLD},
        {"light hinting", true, kOrange, kBlack, TTF_STYLE_NORMAL, TTF_HINTING_LIGHT},
        {"mono hinting", false, kOrange, kBlack, TTF_STYLE_NORMAL, TTF_HINTING_MONO},
        {"no hinting", true, kOrange, kBlack, TTF_STYLE_NORMAL, TTF_HINTING_NONE},
        {"no kerning", true, kOrange, kBlack, TTF_STYLE_NORMAL, TTF_HINTING_NORMAL, 0},
    };
    const std::vector<std::string> texts = GameTexts();
    std::vector<std::string> faults;
    for (int size : kGameSizes) {
        TFonts fonts(size);
        ASSERT_NE(fonts.Real, nullptr);
        ASSERT_NE(fonts.Own, nullptr);
        EXPECT_EQ(TrueTypeFontAscent(fonts.Own), TTF_FontAscent(fonts.Real)) << size;
        EXPECT_EQ(TrueTypeFontHeight(fonts.Own), TTF_FontHeight(fonts.Real)) << size;
        for (const TMode& mode : kModes) {
            TTF_SetFontStyle(fonts.Real, mode.Style);
            TTF_SetFontHinting(fonts.Real, mode.Hinting);
            TTF_SetFontKerning(fonts.Real, mode.Kerning);
            TrueTypeSetFontStyle(fonts.Own, mode.Style);
            TrueTypeSetFontHinting(fonts.Own, mode.Hinting);
            TrueTypeSetFontKerning(fonts.Own, mode.Kerning);
            for (const std::string& text : texts) {
                const std::string where =
                    std::to_string(size) + " pt \"" + text + "\" " + mode.Name + ": ";
                int rw = -1, rh = -1, ow = -2, oh = -2;
                const int rs = TTF_SizeText(fonts.Real, text.c_str(), &rw, &rh);
                const int os = TrueTypeSizeText(fonts.Own, text.c_str(), &ow, &oh);
                if (rs != os || rw != ow || rh != oh)
                    faults.push_back(where + "measured " + std::to_string(ow) + "x" +
                                     std::to_string(oh) + ", SDL_ttf " + std::to_string(rw) + "x" +
                                     std::to_string(rh));
                const TRendering real = Rendered(
                    mode.Blended
                        ? TTF_RenderText_Blended(fonts.Real, text.c_str(), mode.Fg)
                        : TTF_RenderText_Shaded(fonts.Real, text.c_str(), mode.Fg, mode.Bg));
                const TRendering own = Rendered(
                    mode.Blended
                        ? TrueTypeRenderTextBlended(fonts.Own, text.c_str(), mode.Fg)
                        : TrueTypeRenderTextShaded(fonts.Own, text.c_str(), mode.Fg, mode.Bg));
                const std::string difference = Difference(own.Surface, real.Surface);
                if (!difference.empty())
                    faults.push_back(where + difference);
                if (own.Error != real.Error)
                    faults.push_back(where + "error \"" + own.Error + "\", SDL_ttf \"" +
                                     real.Error + "\"");
            }
        }
    }
    const size_t kShown = 8;
    std::string shown;
    for (size_t i = 0; i < faults.size() && i < kShown; ++i)
        shown += faults[i] + "\n";
    EXPECT_TRUE(faults.empty()) << faults.size() << " differences, the first:\n" << shown;
}

// UTF-8 text as SDL_ttf draws it: every translation of every shipped
// catalogue (Latin Extended-A, Cyrillic, typographic punctuation), in both
// render modes at the game's sizes, measured and drawn alike.
TEST_F(TrueTypeTest, DrawsUTF8AsSDLTtf) {
    std::vector<std::string> texts = {"\xEF\xBB\xBF"
                                      "BOM",
                                      "\xC5\x82\xC4\x99\xC5\x9B",
                                      "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"};
    for (const char* language : {"de", "fr", "es", "pl", "ru"}) {
        TfwCatalogue catalogue;
        std::vector<std::string> problems;
        ASSERT_TRUE(
            catalogue.LoadFromFile(SourcePath(std::string("po/") + language + ".po"), problems));
        for (const char* msgid : {"Loading Tessaril\xE2\x80\xA6", "Fullscreen (F11)",
                                  "Keys (as settings.txt binds them):", "High scores",
                                  "Volume down", "GAME OVER", "%1: the game starts without it."})
            texts.push_back(catalogue.Translate(msgid));
    }
    std::vector<std::string> faults;
    for (int size : kGameSizes) {
        TFonts fonts(size);
        ASSERT_NE(fonts.Own, nullptr);
        for (const std::string& text : texts) {
            const std::string where = std::to_string(size) + " pt \"" + text + "\": ";
            int rw = -1, rh = -1, ow = -2, oh = -2;
            TTF_SizeUTF8(fonts.Real, text.c_str(), &rw, &rh);
            TrueTypeSizeUTF8(fonts.Own, text.c_str(), &ow, &oh);
            if (rw != ow || rh != oh)
                faults.push_back(where + "measured " + std::to_string(ow) + " wide, SDL_ttf " +
                                 std::to_string(rw));
            const TRendering realBlended =
                Rendered(TTF_RenderUTF8_Blended(fonts.Real, text.c_str(), kOrange));
            const TRendering ownBlended =
                Rendered(TrueTypeRenderUTF8Blended(fonts.Own, text.c_str(), kOrange));
            const TRendering realShaded =
                Rendered(TTF_RenderUTF8_Shaded(fonts.Real, text.c_str(), kWhite, kBlack));
            const TRendering ownShaded =
                Rendered(TrueTypeRenderUTF8Shaded(fonts.Own, text.c_str(), kWhite, kBlack));
            for (const std::string& difference :
                 {Difference(ownBlended.Surface, realBlended.Surface),
                  Difference(ownShaded.Surface, realShaded.Surface)})
                if (!difference.empty())
                    faults.push_back(where + difference);
        }
    }
    EXPECT_TRUE(faults.empty()) << faults.size() << " differences, the first: " << faults.front();
}

// A font that cannot be had answers nullptr with SDL_ttf's error; the counted
// starts match too.
TEST_F(TrueTypeTest, FailsToOpenAsSDLTtf) {
    ASSERT_TRUE(WriteFile("empty.ttf", ""));
    ASSERT_TRUE(WriteFile("text.ttf", "not a font at all, only words"));
    struct TCase {
        const char* Name;
        std::string Path;
        bool Started;
    };
    const TCase kCases[] = {
        {"missing file", "missing.ttf", true},
        {"missing folder", "no/such/folder/font.ttf", true},
        {"empty file", "empty.ttf", true},
        {"not a font", "text.ttf", true},
        {"not started", SourcePath(kGameFont), false},
        {"missing and not started", "missing.ttf", false},
    };
    for (const TCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        if (!c.Started) {
            TTF_Quit();
            TrueTypeQuit();
        }
        EXPECT_EQ(TrueTypeWasInit(), TTF_WasInit());
        // TTF_OpenFont hands SDL_ttf the file to close, but SDL_ttf 2.0.11 keeps
        // it when it is not started: a file that opens stays the test's to close.
        SDL_RWops* file = SDL_RWFromFile(c.Path.c_str(), "rb");
        SDL_SetError("none");
        TTF_Font* real =
            file != nullptr ? TTF_OpenFontRW(file, 0, 12) : TTF_OpenFont(c.Path.c_str(), 12);
        const std::string realError = SDL_GetError();
        SDL_SetError("none");
        TTrueTypeFont* own = TrueTypeOpenFont(c.Path.c_str(), 12);
        EXPECT_EQ(real, nullptr);
        EXPECT_EQ(own, nullptr);
        EXPECT_EQ(SDL_GetError(), realError);
        TTF_CloseFont(real);
        if (file != nullptr)
            SDL_RWclose(file);
        TrueTypeCloseFont(own);
        if (!c.Started) {
            ASSERT_EQ(TTF_Init(), 0);
            ASSERT_EQ(TrueTypeInit(), 0);
        }
    }
    ASSERT_EQ(TTF_Init(), 0);
    ASSERT_EQ(TrueTypeInit(), 0);
    EXPECT_EQ(TrueTypeWasInit(), 2);
    EXPECT_EQ(TTF_WasInit(), 2);
    TTF_Quit();
    TrueTypeQuit();
}

} // namespace
