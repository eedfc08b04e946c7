// TrueType text over FreeType: the calls of SDL_ttf 2.0 that the framework
// makes, under names of their own and with the same signatures, answers and
// surfaces as SDL_ttf 2.0.11 gives over the same FreeType: the same glyph
// coverage, positions, kerning, surface sizes, pixel formats and alpha.
// A build without SDL_ttf maps SDL_ttf's names onto these; the desktop keeps
// SDL_ttf and builds this beside it (no name is shared) to compare the two.
//
// Texts are Latin-1, one byte a character, as SDL_ttf's *Text calls take
// them, or UTF-8 for the *UTF8 calls (characters of the Basic Multilingual
// Plane, as SDL_ttf 2.0 draws them).
// Drawn: the normal and the bold style (bold smeared as SDL_ttf does when the
// face itself is not bold). Italic, underline, strikethrough and outlines are
// kept and answered but not drawn; bitmap-only fonts are not opened.
#pragma once

#include <SDL.h>

// An open face at one point size; made by TrueTypeOpenFont, freed by
// TrueTypeCloseFont. Its layout is the module's own.
struct TTrueTypeFont;

// Style bits and hinting modes, with SDL_ttf's values.
constexpr int kTrueTypeStyleNormal = 0;
constexpr int kTrueTypeStyleBold = 1;
constexpr int kTrueTypeStyleItalic = 2;
constexpr int kTrueTypeStyleUnderline = 4;
constexpr int kTrueTypeStyleStrikethrough = 8;
constexpr int kTrueTypeHintingNormal = 0;
constexpr int kTrueTypeHintingLight = 1;
constexpr int kTrueTypeHintingMono = 2;
constexpr int kTrueTypeHintingNone = 3;

// Starts FreeType on the first call; counts calls. 0, or -1 with SDL's error set.
int TrueTypeInit();
// How many TrueTypeInit calls TrueTypeQuit has not undone yet.
int TrueTypeWasInit();
// Undoes one TrueTypeInit; the last one ends FreeType and with it every face
// still open (closing such a font afterwards only frees its own memory).
void TrueTypeQuit();

// Opens file at ptsize points (72 dpi). nullptr with SDL's error set when the
// file cannot be read ("Couldn't open <file>"), the module is not started
// ("Library not initialized") or FreeType refuses it ("Couldn't load font file").
TTrueTypeFont* TrueTypeOpenFont(const char* file, int ptsize);
void TrueTypeCloseFont(TTrueTypeFont* font); // nullptr is ignored

// Face metrics in pixels: height is ascent - descent + 1.
int TrueTypeFontHeight(const TTrueTypeFont* font);
int TrueTypeFontAscent(const TTrueTypeFont* font);
int TrueTypeFontDescent(const TTrueTypeFont* font);
int TrueTypeFontLineSkip(const TTrueTypeFont* font);

// Settings; a style or hinting change renders the glyphs afresh.
int TrueTypeGetFontStyle(const TTrueTypeFont* font);
void TrueTypeSetFontStyle(TTrueTypeFont* font, int style);
int TrueTypeGetFontOutline(const TTrueTypeFont* font);
void TrueTypeSetFontOutline(TTrueTypeFont* font, int outline);
int TrueTypeGetFontHinting(const TTrueTypeFont* font);
void TrueTypeSetFontHinting(TTrueTypeFont* font, int hinting);
int TrueTypeGetFontKerning(const TTrueTypeFont* font);
void TrueTypeSetFontKerning(TTrueTypeFont* font, int allowed);

// The size of the surface text renders to; 0, or -1 when a glyph fails.
// An empty text is 0 wide and the font's height tall.
int TrueTypeSizeText(TTrueTypeFont* font, const char* text, int* w, int* h);
// A new 32-bit ARGB surface (the caller frees it): fg in every pixel, the
// glyph coverage as alpha. nullptr with "Text has zero width" for an empty text.
SDL_Surface* TrueTypeRenderTextBlended(TTrueTypeFont* font, const char* text, SDL_Color fg);
// A new 8-bit surface whose 256-colour palette runs from bg (index 0) to fg
// (255); the pixels are the glyph coverage. nullptr as above.
SDL_Surface* TrueTypeRenderTextShaded(TTrueTypeFont* font, const char* text, SDL_Color fg,
                                      SDL_Color bg);
// The same three for UTF-8 text.
int TrueTypeSizeUTF8(TTrueTypeFont* font, const char* text, int* w, int* h);
SDL_Surface* TrueTypeRenderUTF8Blended(TTrueTypeFont* font, const char* text, SDL_Color fg);
SDL_Surface* TrueTypeRenderUTF8Shaded(TTrueTypeFont* font, const char* text, SDL_Color fg,
                                      SDL_Color bg);
