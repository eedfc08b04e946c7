// The game's run-time lettering (desktop and web): a line of text in the
// game's font, filled with a vertical gradient, outlined and shadowed as the
// media generator letters its pictures. Each line is composed once and kept,
// so a line drawn every frame costs one blit.
#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TfwFont;

// How a line is lettered; colours are 0xRRGGBB. Layers, from the bottom: the
// shadow (the outlined letters again, ShadowOffset pixels right and down),
// the outline (the letters drawn at the eight offsets round them), the fill.
struct TLetteringStyle {
    uint32_t Top;         // the fill at the capitals' top row
    uint32_t Bottom;      // the fill at the baseline
    uint32_t Outline;     // one pixel round every letter
    uint32_t Shadow;      // unused when ShadowOffset is 0
    int32_t ShadowOffset; // pixels; 0: no shadow
    bool Bevel;           // the letters' top edge lighter, their bottom edge darker
};

// The overlays' big lettering: gold, and red for a life lost or the game over.
inline constexpr TLetteringStyle kGoldLettering = {0xFFFAAA, 0xFF8200, 0x321400, 0x0A0514, 2, true};
inline constexpr TLetteringStyle kRedLettering = {0xFFDCAA, 0xE62814, 0x320000, 0x0A0514, 2, true};
// The overlays' second line, and the heads-up row's labels.
inline constexpr TLetteringStyle kLineLettering = {0xFFFFFF, 0xBEDCFF, 0x0A0A28, 0, 0, false};
inline constexpr TLetteringStyle kLabelLettering = {0xD2F0FF, 0x5AAAFF, 0x0A1432, 0, 0, false};

class TLettering {
public:
    // fonts: the sizes a line may be lettered at (any order); the fonts stay
    // the caller's. Fonts that are nullptr or not open are passed over.
    explicit TLettering(std::vector<TfwFont*> fonts);
    ~TLettering();
    TLettering(const TLettering&) = delete;
    TLettering& operator=(const TLettering&) = delete;

    // The largest open font of at most `points` in which text lettered in
    // style is at most `room` pixels wide; else the smallest open font;
    // nullptr when none is open.
    TfwFont* FontFor(const std::string& text, int32_t points, int32_t room,
                     const TLetteringStyle& style) const;
    // Pixels of text lettered in font and style, outline and shadow included.
    static int32_t Width(const TfwFont& font, const std::string& text,
                         const TLetteringStyle& style);
    // Rows of the capitals of font, from their top row to the baseline.
    int32_t CapHeight(TfwFont& font);
    // Text with the left edge of its outline at x and its capitals' top row
    // at capTop.
    void Draw(SDL_Surface* dest, int32_t x, int32_t capTop, TfwFont& font, const std::string& text,
              const TLetteringStyle& style);

    // The composed lines kept: at most kKeptLines, all dropped when one more
    // is needed (the game letters a handful of lines at a time).
    static constexpr size_t kKeptLines = 32;
    size_t KeptLines() const { return kept_.size(); }
    // Lines composed since the lettering was made (a line drawn again from
    // the kept ones is not counted).
    size_t Composed() const { return composed_; }

private:
    struct TSurfaceFree {
        void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
    };
    using TSurface = std::unique_ptr<SDL_Surface, TSurfaceFree>;
    // The capitals' top row and baseline row in a rendered line of font.
    std::pair<int32_t, int32_t> CapRows(TfwFont& font);
    TSurface Compose(TfwFont& font, const std::string& text, const TLetteringStyle& style);

    std::vector<TfwFont*> fonts_;
    std::map<const TfwFont*, std::pair<int32_t, int32_t>> capRows_;
    using TKey = std::pair<std::array<uint32_t, 7>, std::string>;
    std::map<TKey, TSurface> kept_;
    size_t composed_ = 0;
};
