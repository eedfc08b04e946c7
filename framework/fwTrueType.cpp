#include "fwTrueType.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

// Coverage runs over 256 grey levels, 0 (none) to 255 (full).
constexpr int kGrayLevels = 256;
constexpr int kFullCoverage = kGrayLevels - 1;
// FreeType's 26.6 fixed point.
constexpr FT_Pos kUnit = 64;
constexpr int kFractionBits = 6;
// The blended surface: ARGB in one 32-bit word.
constexpr Uint32 kRedMask = 0x00FF0000;
constexpr Uint32 kGreenMask = 0x0000FF00;
constexpr Uint32 kBlueMask = 0x000000FF;
constexpr Uint32 kAlphaMask = 0xFF000000;
constexpr int kAlphaShift = 24;
// The bold smear widens a glyph by a tenth of the pixels per em.
constexpr int kOverhangDivisor = 10;
// Styles that change no glyph: switching them keeps the rendered glyphs.
constexpr int kLineStyles = kTrueTypeStyleUnderline | kTrueTypeStyleStrikethrough;

int FloorPixels(FT_Pos v) {
    return static_cast<int>((v & -kUnit) / kUnit);
}
int CeilPixels(FT_Pos v) {
    return static_cast<int>(((v + kUnit - 1) & -kUnit) / kUnit);
}

// FreeType itself and the count of TrueTypeInit calls not yet undone: one for
// the process, as the calls' contract (counted starts, WasInit) has it. The
// generation tells the faces of an ended FreeType from the current one's.
struct TEngine {
    FT_Library Library = nullptr;
    int Starts = 0;
    unsigned Generation = 0;
};

TEngine& Engine() {
    static TEngine engine;
    return engine;
}

// One character's glyph: its box and advance in whole pixels, placed as
// SDL_ttf places them (from the hinted metrics, not the bitmap's own
// offsets), and its coverage map, one byte a pixel, Pitch bytes a row.
struct TGlyph {
    bool Loaded = false;
    FT_UInt Index = 0;
    int MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
    int YOffset = 0; // rows from the surface's top to the glyph's top
    int Advance = 0;
    int Width = 0, Rows = 0, Pitch = 0;
    std::vector<Uint8> Coverage;
};

} // namespace

struct TTrueTypeFont {
    FT_Face Face = nullptr;
    unsigned Generation = 0;   // of the FreeType that made Face
    std::vector<FT_Byte> File; // the font file; FreeType reads it while Face lives
    int Height = 0, Ascent = 0, Descent = 0, LineSkip = 0;
    int FaceStyle = 0; // what the face is drawn as already
    int Style = 0;
    int Outline = 0;
    int Kerning = 1;
    FT_Int32 LoadFlags = 0;                      // the hinting mode as FreeType load flags
    int Overhang = 0;                            // pixels the bold smear adds
    std::unordered_map<uint32_t, TGlyph> Glyphs; // by character (Unicode code point)

    // Bold is smeared here only when the face is not bold itself.
    bool SmearsBold() const {
        return (Style & kTrueTypeStyleBold) != 0 && (FaceStyle & kTrueTypeStyleBold) == 0;
    }
    bool UsesKerning() const { return FT_HAS_KERNING(Face) && Kerning != 0; }
    void ForgetGlyphs() { Glyphs.clear(); }
};

namespace {

struct TRWClose {
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
struct TFontClose {
    void operator()(TTrueTypeFont* font) const { TrueTypeCloseFont(font); }
};

// The whole file, or false with SDL's error set.
bool ReadWholeFile(const char* file, std::vector<FT_Byte>& data) {
    std::unique_ptr<SDL_RWops, TRWClose> rw(SDL_RWFromFile(file, "rb"));
    if (rw == nullptr)
        return false; // SDL has named the file
    const int size = SDL_RWseek(rw.get(), 0, RW_SEEK_END);
    if (size < 0 || SDL_RWseek(rw.get(), 0, RW_SEEK_SET) < 0) {
        SDL_SetError("Can't seek in stream");
        return false;
    }
    data.resize(static_cast<size_t>(size));
    if (size > 0 && SDL_RWread(rw.get(), data.data(), size, 1) != 1) {
        SDL_SetError("Couldn't read %s", file);
        return false;
    }
    return true;
}

// A Unicode character map, the first of those SDL_ttf accepts; else FreeType's
// own choice stays.
void ChooseCharmap(FT_Face face) {
    for (int i = 0; i < face->num_charmaps; ++i) {
        const FT_CharMap map = face->charmaps[i];
        const bool windows =
            map->platform_id == TT_PLATFORM_MICROSOFT &&
            (map->encoding_id == TT_MS_ID_UNICODE_CS || map->encoding_id == TT_MS_ID_SYMBOL_CS);
        const bool iso = map->platform_id == TT_PLATFORM_ISO && map->encoding_id == TT_ISO_ID_10646;
        if (windows || iso || map->platform_id == TT_PLATFORM_APPLE_UNICODE) {
            FT_Set_Charmap(face, map);
            return;
        }
    }
}

// Sizes the face and reads its metrics; false with SDL's error set.
bool SizeFace(TTrueTypeFont& font, int ptsize) {
    FT_Face face = font.Face;
    if (!FT_IS_SCALABLE(face)) {
        SDL_SetError("Couldn't load font file: bitmap fonts are not supported");
        return false;
    }
    if (FT_Set_Char_Size(face, 0, ptsize * kUnit, 0, 0) != 0) {
        SDL_SetError("Couldn't set font size");
        return false;
    }
    const FT_Fixed scale = face->size->metrics.y_scale;
    font.Ascent = CeilPixels(FT_MulFix(face->ascender, scale));
    font.Descent = CeilPixels(FT_MulFix(face->descender, scale));
    font.Height = font.Ascent - font.Descent + 1; // the baseline row
    font.LineSkip = CeilPixels(FT_MulFix(face->height, scale));
    if ((face->style_flags & FT_STYLE_FLAG_BOLD) != 0)
        font.FaceStyle |= kTrueTypeStyleBold;
    if ((face->style_flags & FT_STYLE_FLAG_ITALIC) != 0)
        font.FaceStyle |= kTrueTypeStyleItalic;
    font.Style = font.FaceStyle;
    font.Overhang = face->size->metrics.y_ppem / kOverhangDivisor;
    return true;
}

// Copies FreeType's bitmap into the glyph's coverage map, one byte a pixel:
// grey maps as they are, two-level maps as none or full.
void CopyCoverage(const FT_Bitmap& src, TGlyph& g) {
    for (unsigned row = 0; row < src.rows; ++row) {
        const FT_Byte* from = src.buffer + static_cast<ptrdiff_t>(row) * src.pitch;
        Uint8* to = g.Coverage.data() + static_cast<size_t>(row) * static_cast<size_t>(g.Pitch);
        if (src.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (unsigned col = 0; col < src.width; ++col)
                to[col] = (from[col / 8] & (0x80 >> (col % 8))) != 0 ? kFullCoverage : 0;
        } else {
            std::memcpy(to, from, static_cast<size_t>(std::abs(src.pitch)));
        }
    }
}

// Bold: every row smeared one pixel to the right Overhang times, adding and
// clamping the coverage.
void SmearBold(const TTrueTypeFont& font, TGlyph& g) {
    for (int row = 0; row < g.Rows; ++row) {
        Uint8* line = g.Coverage.data() + static_cast<size_t>(row) * static_cast<size_t>(g.Pitch);
        for (int pass = 0; pass < font.Overhang; ++pass)
            for (int col = g.Width - 1; col > 0; --col)
                line[col] = static_cast<Uint8>(std::min(kFullCoverage, line[col] + line[col - 1]));
    }
}

// Loads and renders the glyph of character ch into g; false with SDL's error set.
bool LoadGlyph(TTrueTypeFont& font, uint32_t ch, TGlyph& g) {
    FT_Face face = font.Face;
    g.Index = FT_Get_Char_Index(face, ch);
    if (FT_Load_Glyph(face, g.Index, FT_LOAD_DEFAULT | font.LoadFlags) != 0) {
        SDL_SetError("Couldn't load glyph");
        return false;
    }
    const FT_Glyph_Metrics& m = face->glyph->metrics;
    g.MinX = FloorPixels(m.horiBearingX);
    g.MaxX = g.MinX + CeilPixels(m.width);
    g.MaxY = FloorPixels(m.horiBearingY);
    g.MinY = g.MaxY - CeilPixels(m.height);
    g.YOffset = font.Ascent - g.MaxY;
    g.Advance = CeilPixels(m.horiAdvance);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
        SDL_SetError("Couldn't render glyph");
        return false;
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    // A two-level map's pitch counts bytes of eight pixels.
    const int pitchScale = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? 8 : 1;
    g.Width = static_cast<int>(bitmap.width);
    g.Rows = static_cast<int>(bitmap.rows);
    g.Pitch = std::abs(bitmap.pitch) * pitchScale;
    if (font.SmearsBold()) {
        g.MaxX += font.Overhang;
        g.Width += font.Overhang;
        g.Pitch += font.Overhang;
    }
    g.Coverage.assign(static_cast<size_t>(g.Pitch) * static_cast<size_t>(g.Rows), 0);
    CopyCoverage(bitmap, g);
    if (font.SmearsBold())
        SmearBold(font, g);
    g.Loaded = true;
    return true;
}

const TGlyph* FindGlyph(TTrueTypeFont& font, uint32_t ch) {
    TGlyph& g = font.Glyphs[ch];
    if (!g.Loaded && !LoadGlyph(font, ch, g)) {
        font.Glyphs.erase(ch);
        return nullptr;
    }
    return &g;
}

// A text's characters: Latin-1 bytes, or UTF-8 decoded as SDL_ttf 2.0.11
// decodes it (a lead byte takes its continuation bytes without checking
// them, up to the text's end, and the result is cut to 16 bits); its byte
// order marks (U+FEFF, U+FFFE) are skipped, as SDL_ttf's UNICODE calls do.
std::vector<uint32_t> Characters(const char* text, bool utf8) {
    std::vector<uint32_t> out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        uint32_t ch = *p++;
        int more = 0;
        if (utf8 && ch >= 0xF0) {
            ch &= 0x07;
            more = 3;
        } else if (utf8 && ch >= 0xE0) {
            ch &= 0x0F;
            more = 2;
        } else if (utf8 && ch >= 0xC0) {
            ch &= 0x1F;
            more = 1;
        }
        for (; more > 0 && *p != 0; --more)
            ch = ch << 6 | (*p++ & 0x3F);
        ch &= 0xFFFF;
        if (!utf8 || (ch != 0xFEFF && ch != 0xFFFE))
            out.push_back(ch);
    }
    return out;
}

// Pixels the pen moves between two glyphs; 0 where either has no index.
int KerningBetween(const TTrueTypeFont& font, FT_UInt previous, FT_UInt index) {
    if (!font.UsesKerning() || previous == 0 || index == 0)
        return 0;
    FT_Vector delta;
    FT_Get_Kerning(font.Face, previous, index, FT_KERNING_DEFAULT, &delta);
    return static_cast<int>(delta.x >> kFractionBits);
}

// The coverage of every glyph of text at its place on a surface of `rows`
// rows of `pitch` pixels, as plot(offset, coverage) with the offset counted
// in pixels from the surface's first. A glyph running past a row's end goes
// on into the next row, and pixels past the last row are dropped, as in
// SDL_ttf; pixels before the first are dropped too. False when a glyph fails.
template <typename Plot>
bool PlaceGlyphs(TTrueTypeFont& font, const std::vector<uint32_t>& text, int pitch, int rows,
                 Plot plot) {
    const long end = static_cast<long>(pitch) * rows;
    int x = 0;
    FT_UInt previous = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const TGlyph* g = FindGlyph(font, text[i]);
        if (g == nullptr)
            return false;
        // FreeType may hand a bitmap wider than the glyph's box.
        int width = g->Width;
        if (font.Outline <= 0)
            width = std::min(width, g->MaxX - g->MinX);
        x += KerningBetween(font, previous, g->Index);
        // A first glyph reaching left of the pen is moved right into the surface.
        if (i == 0 && g->MinX < 0)
            x -= g->MinX;
        for (int row = 0; row < g->Rows; ++row) {
            const int y = row + g->YOffset;
            if (y < 0 || y >= rows)
                continue;
            const Uint8* src = g->Coverage.data() + static_cast<size_t>(row) * g->Pitch;
            const long at = static_cast<long>(y) * pitch + x + g->MinX;
            for (int col = 0; col < width && at + col < end; ++col)
                if (at + col >= 0)
                    plot(at + col, src[col]);
        }
        x += g->Advance;
        if (font.SmearsBold())
            x += font.Overhang;
        previous = g->Index;
    }
    return true;
}

// Checks what every call needs before it touches the font.
bool Ready(const TTrueTypeFont* font) {
    if (Engine().Starts == 0) {
        SDL_SetError("Library not initialized");
        return false;
    }
    if (font == nullptr || font->Face == nullptr) {
        SDL_SetError("Passed a NULL pointer");
        return false;
    }
    return true;
}

int SizeCharacters(TTrueTypeFont* font, const std::vector<uint32_t>& text, int* w, int* h);

// The rendered size, or nullptr-worthy false with "Text has zero width".
bool RenderSize(TTrueTypeFont* font, const std::vector<uint32_t>& text, int& w, int& h) {
    if (SizeCharacters(font, text, &w, &h) < 0 || w == 0) {
        SDL_SetError("Text has zero width");
        return false;
    }
    return true;
}

struct TSurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using TSurfacePtr = std::unique_ptr<SDL_Surface, TSurfaceFree>;

} // namespace

int TrueTypeInit() {
    TEngine& engine = Engine();
    if (engine.Starts == 0) {
        if (FT_Init_FreeType(&engine.Library) != 0) {
            SDL_SetError("Couldn't init FreeType engine");
            return -1;
        }
        ++engine.Generation;
    }
    ++engine.Starts;
    return 0;
}

int TrueTypeWasInit() {
    return Engine().Starts;
}

void TrueTypeQuit() {
    TEngine& engine = Engine();
    if (engine.Starts > 0 && --engine.Starts == 0) {
        FT_Done_FreeType(engine.Library);
        engine.Library = nullptr;
    }
}

TTrueTypeFont* TrueTypeOpenFont(const char* file, int ptsize) {
    // The file is opened before anything else is checked, as SDL_ttf does:
    // a missing file is reported as such even before the start.
    std::unique_ptr<TTrueTypeFont, TFontClose> font(new TTrueTypeFont());
    if (!ReadWholeFile(file, font->File))
        return nullptr;
    TEngine& engine = Engine();
    if (engine.Starts == 0) {
        SDL_SetError("Library not initialized");
        return nullptr;
    }
    if (FT_New_Memory_Face(engine.Library, font->File.data(),
                           static_cast<FT_Long>(font->File.size()), 0, &font->Face) != 0) {
        font->Face = nullptr;
        SDL_SetError("Couldn't load font file");
        return nullptr;
    }
    font->Generation = engine.Generation;
    ChooseCharmap(font->Face);
    if (!SizeFace(*font, ptsize))
        return nullptr;
    return font.release();
}

void TrueTypeCloseFont(TTrueTypeFont* font) {
    if (font == nullptr)
        return;
    // An ended FreeType has freed its faces already.
    const TEngine& engine = Engine();
    if (font->Face != nullptr && engine.Starts > 0 && font->Generation == engine.Generation)
        FT_Done_Face(font->Face);
    delete font;
}

int TrueTypeFontHeight(const TTrueTypeFont* font) {
    return font->Height;
}
int TrueTypeFontAscent(const TTrueTypeFont* font) {
    return font->Ascent;
}
int TrueTypeFontDescent(const TTrueTypeFont* font) {
    return font->Descent;
}
int TrueTypeFontLineSkip(const TTrueTypeFont* font) {
    return font->LineSkip;
}

int TrueTypeGetFontStyle(const TTrueTypeFont* font) {
    return font->Style;
}

void TrueTypeSetFontStyle(TTrueTypeFont* font, int style) {
    const int previous = font->Style;
    font->Style = style | font->FaceStyle;
    if ((font->Style | kLineStyles) != (previous | kLineStyles))
        font->ForgetGlyphs();
}

int TrueTypeGetFontOutline(const TTrueTypeFont* font) {
    return font->Outline;
}

void TrueTypeSetFontOutline(TTrueTypeFont* font, int outline) {
    font->Outline = outline;
    font->ForgetGlyphs();
}

int TrueTypeGetFontHinting(const TTrueTypeFont* font) {
    switch (font->LoadFlags) {
    case FT_LOAD_TARGET_LIGHT:
        return kTrueTypeHintingLight;
    case FT_LOAD_TARGET_MONO:
        return kTrueTypeHintingMono;
    case FT_LOAD_NO_HINTING:
        return kTrueTypeHintingNone;
    default:
        return kTrueTypeHintingNormal;
    }
}

void TrueTypeSetFontHinting(TTrueTypeFont* font, int hinting) {
    switch (hinting) {
    case kTrueTypeHintingLight:
        font->LoadFlags = FT_LOAD_TARGET_LIGHT;
        break;
    case kTrueTypeHintingMono:
        font->LoadFlags = FT_LOAD_TARGET_MONO;
        break;
    case kTrueTypeHintingNone:
        font->LoadFlags = FT_LOAD_NO_HINTING;
        break;
    default:
        font->LoadFlags = 0;
    }
    font->ForgetGlyphs();
}

int TrueTypeGetFontKerning(const TTrueTypeFont* font) {
    return font->Kerning;
}

void TrueTypeSetFontKerning(TTrueTypeFont* font, int allowed) {
    font->Kerning = allowed;
}

namespace {

int SizeCharacters(TTrueTypeFont* font, const std::vector<uint32_t>& text, int* w, int* h) {
    if (!Ready(font))
        return -1;
    // The box runs from the leftmost ink (or the pen's start) to the furthest
    // of ink and advance, and from the ascent down to the lowest ink.
    int minX = 0, maxX = 0, minY = 0;
    int x = 0;
    FT_UInt previous = 0;
    for (const uint32_t ch : text) {
        const TGlyph* g = FindGlyph(*font, ch);
        if (g == nullptr)
            return -1;
        x += KerningBetween(*font, previous, g->Index);
        minX = std::min(minX, x + g->MinX);
        if (font->SmearsBold())
            x += font->Overhang;
        maxX = std::max(maxX, x + std::max(g->Advance, g->MaxX));
        x += g->Advance;
        minY = std::min(minY, g->MinY);
        previous = g->Index;
    }
    const int outlineGrowth = font->Outline > 0 ? font->Outline * 2 : 0;
    if (w != nullptr)
        *w = maxX - minX + outlineGrowth;
    if (h != nullptr)
        *h = std::max(font->Ascent - minY + outlineGrowth, font->Height);
    return 0;
}

SDL_Surface* RenderBlended(TTrueTypeFont* font, const std::vector<uint32_t>& text, SDL_Color fg) {
    int w = 0, h = 0;
    if (!RenderSize(font, text, w, h))
        return nullptr;
    TSurfacePtr surface(
        SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, kRedMask, kGreenMask, kBlueMask, kAlphaMask));
    if (surface == nullptr)
        return nullptr;
    // Every pixel carries the colour; the glyphs add their coverage as alpha,
    // overlapping glyphs or-ing theirs together.
    const Uint32 colour = static_cast<Uint32>(fg.r) << 16 | static_cast<Uint32>(fg.g) << 8 | fg.b;
    SDL_FillRect(surface.get(), nullptr, colour);
    auto* pixels = static_cast<Uint32*>(surface->pixels);
    const bool placed =
        PlaceGlyphs(*font, text, surface->pitch / 4, surface->h, [&](long at, Uint8 coverage) {
            pixels[at] |= colour | static_cast<Uint32>(coverage) << kAlphaShift;
        });
    return placed ? surface.release() : nullptr;
}

SDL_Surface* RenderShaded(TTrueTypeFont* font, const std::vector<uint32_t>& text, SDL_Color fg,
                          SDL_Color bg) {
    int w = 0, h = 0;
    if (!RenderSize(font, text, w, h))
        return nullptr;
    TSurfacePtr surface(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0));
    if (surface == nullptr)
        return nullptr;
    // The palette steps from bg to fg; each channel's share is truncated
    // towards zero, whichever way it runs.
    SDL_Color* colours = surface->format->palette->colors;
    for (int i = 0; i < kGrayLevels; ++i) {
        colours[i].r = static_cast<Uint8>(bg.r + i * (fg.r - bg.r) / kFullCoverage);
        colours[i].g = static_cast<Uint8>(bg.g + i * (fg.g - bg.g) / kFullCoverage);
        colours[i].b = static_cast<Uint8>(bg.b + i * (fg.b - bg.b) / kFullCoverage);
    }
    auto* pixels = static_cast<Uint8*>(surface->pixels);
    const bool placed = PlaceGlyphs(*font, text, surface->pitch, surface->h,
                                    [&](long at, Uint8 coverage) { pixels[at] |= coverage; });
    return placed ? surface.release() : nullptr;
}

} // namespace

int TrueTypeSizeText(TTrueTypeFont* font, const char* text, int* w, int* h) {
    return SizeCharacters(font, Characters(text, false), w, h);
}

int TrueTypeSizeUTF8(TTrueTypeFont* font, const char* text, int* w, int* h) {
    return SizeCharacters(font, Characters(text, true), w, h);
}

SDL_Surface* TrueTypeRenderTextBlended(TTrueTypeFont* font, const char* text, SDL_Color fg) {
    return RenderBlended(font, Characters(text, false), fg);
}

SDL_Surface* TrueTypeRenderUTF8Blended(TTrueTypeFont* font, const char* text, SDL_Color fg) {
    return RenderBlended(font, Characters(text, true), fg);
}

SDL_Surface* TrueTypeRenderTextShaded(TTrueTypeFont* font, const char* text, SDL_Color fg,
                                      SDL_Color bg) {
    return RenderShaded(font, Characters(text, false), fg, bg);
}

SDL_Surface* TrueTypeRenderUTF8Shaded(TTrueTypeFont* font, const char* text, SDL_Color fg,
                                      SDL_Color bg) {
    return RenderShaded(font, Characters(text, true), fg, bg);
}
