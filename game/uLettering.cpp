// Lines are composed in a 32-bit surface with straight alpha, layer by
// layer, from the font's own blended rendering of the text in white: its
// alpha is the letters' coverage. Every step is integer arithmetic, so the
// desktop and the page compose the same pixels from the same rendering.
#include "uLettering.h"

#include "fwFont.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace {

// The outline's reach round every letter, in pixels.
constexpr int32_t kOutlineWidth = 1;
// Coverage from which a pixel counts as inside a letter (the bevel's edges,
// the capitals' rows).
constexpr int32_t kInside = 128;

struct TRgb {
    int32_t R, G, B;
};

TRgb Rgb(uint32_t c) {
    return {static_cast<int32_t>(c >> 16 & 0xFF), static_cast<int32_t>(c >> 8 & 0xFF),
            static_cast<int32_t>(c & 0xFF)};
}

// a + (b - a) * num / den, per channel.
TRgb Mix(TRgb a, TRgb b, int32_t num, int32_t den) {
    return {a.R + (b.R - a.R) * num / den, a.G + (b.G - a.G) * num / den,
            a.B + (b.B - a.B) * num / den};
}

// Pixel (x, y) of a row-major plane w pixels wide.
size_t Index(int32_t x, int32_t y, int32_t w) {
    return static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
}

// Row y of a surface's pixels, of 32 bits each.
template <typename TPixels> TPixels* Row(TPixels* pixels, const SDL_Surface& s, int32_t y) {
    using TByte = std::conditional_t<std::is_const_v<TPixels>, const Uint8, Uint8>;
    return reinterpret_cast<TPixels*>(reinterpret_cast<TByte*>(pixels) +
                                      static_cast<ptrdiff_t>(y) * s.pitch);
}

// A plane of coverage (0 to 255) in the composed line's coordinates.
struct TPlane {
    int32_t W = 0, H = 0;
    std::vector<int32_t> V;
    int32_t At(int32_t x, int32_t y) const {
        return x < 0 || y < 0 || x >= W || y >= H ? 0 : V[Index(x, y, W)];
    }
};

// The coverage of a rendered line (32 bits a pixel with alpha), placed at
// (dx, dy) of a w x h plane.
TPlane Coverage(const SDL_Surface& glyphs, int32_t w, int32_t h, int32_t dx, int32_t dy) {
    TPlane p{w, h, std::vector<int32_t>(Index(0, h, w), 0)};
    const SDL_PixelFormat& f = *glyphs.format;
    for (int32_t y = 0; y < glyphs.h; ++y) {
        const Uint32* row = Row(static_cast<const Uint32*>(glyphs.pixels), glyphs, y);
        for (int32_t x = 0; x < glyphs.w; ++x)
            p.V[Index(x + dx, y + dy, w)] = static_cast<int32_t>((row[x] & f.Amask) >> f.Ashift);
    }
    return p;
}

// The coverage grown by the outline: the most of the eight neighbours and
// the pixel itself, as the text drawn at every offset round it would cover.
TPlane Grown(const TPlane& p) {
    TPlane g = p;
    for (int32_t y = 0; y < p.H; ++y)
        for (int32_t x = 0; x < p.W; ++x) {
            int32_t most = 0;
            for (int32_t oy = -kOutlineWidth; oy <= kOutlineWidth; ++oy)
                for (int32_t ox = -kOutlineWidth; ox <= kOutlineWidth; ++ox)
                    most = std::max(most, p.At(x + ox, y + oy));
            g.V[Index(x, y, p.W)] = most;
        }
    return g;
}

// Colour c at coverage a over the pixel (straight alpha, 0xAARRGGBB).
void Over(Uint32& pixel, TRgb c, int32_t a) {
    if (a <= 0)
        return;
    const int32_t da = static_cast<int32_t>(pixel >> 24);
    const int32_t under = da * (255 - a); // weight of the pixel below, times 255
    const int32_t oa = a + under / 255;
    const TRgb d = Rgb(pixel);
    auto channel = [&](int32_t top, int32_t below) {
        return (top * a * 255 + below * under + oa * 255 / 2) / (oa * 255);
    };
    pixel = static_cast<Uint32>(oa) << 24 | static_cast<Uint32>(channel(c.R, d.R)) << 16 |
            static_cast<Uint32>(channel(c.G, d.G)) << 8 | static_cast<Uint32>(channel(c.B, d.B));
}

} // namespace

TLettering::TLettering(std::vector<TfwFont*> fonts) : fonts_(std::move(fonts)) {}

TLettering::~TLettering() = default;

int32_t TLettering::Width(const TfwFont& font, const std::string& text,
                          const TLetteringStyle& style) {
    return font.TextWidth(text) + 2 * kOutlineWidth + style.ShadowOffset;
}

TfwFont* TLettering::FontFor(const std::string& text, int32_t points, int32_t room,
                             const TLetteringStyle& style) const {
    std::vector<TfwFont*> open;
    for (TfwFont* font : fonts_)
        if (font != nullptr && font->Opened && font->Font != nullptr && font->Size <= points)
            open.push_back(font);
    std::sort(open.begin(), open.end(),
              [](const TfwFont* a, const TfwFont* b) { return a->Size > b->Size; });
    for (TfwFont* font : open)
        if (Width(*font, text, style) <= room)
            return font;
    return open.empty() ? nullptr : open.back();
}

std::pair<int32_t, int32_t> TLettering::CapRows(TfwFont& font) {
    const auto found = capRows_.find(&font);
    if (found != capRows_.end())
        return found->second;
    // The capitals' rows are those a capital H covers.
    std::pair<int32_t, int32_t> rows{0, 0};
    const TSurface h(font.RenderText("H", 0xFFFFFF));
    if (h != nullptr && h->format->BytesPerPixel == 4) {
        const TPlane p = Coverage(*h, h->w, h->h, 0, 0);
        std::vector<int32_t> inked;
        for (int32_t y = 0; y < p.H; ++y)
            for (int32_t x = 0; x < p.W; ++x)
                if (p.At(x, y) >= kInside) {
                    inked.push_back(y);
                    break;
                }
        if (!inked.empty())
            rows = {inked.front(), inked.back()};
    }
    capRows_[&font] = rows;
    return rows;
}

int32_t TLettering::CapHeight(TfwFont& font) {
    const auto [top, baseline] = CapRows(font);
    return baseline - top + 1;
}

TLettering::TSurface TLettering::Compose(TfwFont& font, const std::string& text,
                                         const TLetteringStyle& style) {
    const TSurface glyphs(font.RenderText(text, 0xFFFFFF));
    if (glyphs == nullptr || glyphs->format->BytesPerPixel != 4)
        return nullptr;
    const int32_t w = glyphs->w + 2 * kOutlineWidth + style.ShadowOffset;
    const int32_t h = glyphs->h + 2 * kOutlineWidth + style.ShadowOffset;
    TSurface line(SDL_CreateRGBSurface(SDL_SWSURFACE | SDL_SRCALPHA, w, h, 32, 0x00FF0000,
                                       0x0000FF00, 0x000000FF, 0xFF000000));
    if (line == nullptr)
        return nullptr;
    const TPlane fill = Coverage(*glyphs, w, h, kOutlineWidth, kOutlineWidth);
    const TPlane outline = Grown(fill);
    const auto [capTop, baseline] = CapRows(font);
    const int32_t top = capTop + kOutlineWidth, span = std::max(1, baseline - capTop);
    const TRgb white{255, 255, 255}, black{0, 0, 0};
    for (int32_t y = 0; y < h; ++y) {
        Uint32* row = Row(static_cast<Uint32*>(line->pixels), *line, y);
        const TRgb fillColour =
            Mix(Rgb(style.Top), Rgb(style.Bottom), std::clamp(y - top, 0, span), span);
        for (int32_t x = 0; x < w; ++x) {
            Uint32 pixel = 0;
            const int32_t s = style.ShadowOffset;
            if (s > 0)
                Over(pixel, Rgb(style.Shadow), outline.At(x - s, y - s));
            Over(pixel, Rgb(style.Outline), outline.At(x, y));
            TRgb c = fillColour;
            const int32_t a = fill.At(x, y);
            if (style.Bevel && a >= kInside && fill.At(x, y - 1) < kInside)
                c = Mix(c, white, 45, 100);
            else if (style.Bevel && a >= kInside && fill.At(x, y + 1) < kInside)
                c = Mix(c, black, 28, 100);
            Over(pixel, c, a);
            row[x] = pixel;
        }
    }
    return line;
}

void TLettering::Draw(SDL_Surface* dest, int32_t x, int32_t capTop, TfwFont& font,
                      const std::string& text, const TLetteringStyle& style) {
    if (dest == nullptr || text.empty() || !font.Opened || font.Font == nullptr)
        return;
    const TKey key{{static_cast<uint32_t>(font.Size), style.Top, style.Bottom, style.Outline,
                    style.Shadow, static_cast<uint32_t>(style.ShadowOffset),
                    static_cast<uint32_t>(style.Bevel)},
                   text};
    auto found = kept_.find(key);
    if (found == kept_.end()) {
        TSurface line = Compose(font, text, style);
        if (line == nullptr)
            return;
        ++composed_;
        if (kept_.size() >= kKeptLines)
            kept_.clear();
        found = kept_.emplace(key, std::move(line)).first;
    }
    SDL_Rect at;
    at.x = static_cast<Sint16>(x);
    at.y = static_cast<Sint16>(capTop - CapRows(font).first - kOutlineWidth);
    at.w = 0;
    at.h = 0;
    SDL_BlitSurface(found->second.get(), nullptr, dest, &at);
}
