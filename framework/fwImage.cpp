#include "fwImage.h"

#include "fwAnimation.h"
#include "fwConfig.h"
#include "fwGameApp.h"
#include "fwLog.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

const char* const kLoadTag = "TfwSDLImage::LoadFromFile";
const char* const kDrawTag = "SDLImage::Draw";

// ASCII letters only: names are file-like identifiers, never localised text.
bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return false;
    }
    return true;
}

// An image about to be destroyed must not stay registered: the lists hold
// plain references. Its own list is alive whenever it loads (the load reads
// the list's key), so it is safe to reach here.
void ForgetImage(TfwSDLImages* list, TfwSDLImage* image) {
    list->Items.Remove(image);
    if (image->Images != nullptr && image->Images != list)
        image->Images->Items.Remove(image);
}

// --- Translucent colour-keyed blits of 16-bit pictures ---
//
// SDL 1.2 blits a picture that has both a colour key and a per-surface alpha
// through its generic per-pixel loop, about a hundred instructions a pixel: the
// translucent title background alone took most of a title frame. Between two
// 16-bit surfaces of one format that loop skips the pixels equal to the key
// and blends every channel on its own, widened to 8 bits (v << loss), as
// d + (((s - d) * alpha + 255) >> 8), keeping the top bits. BlendBlit gives the
// same pixels from one table per channel and alpha. Every table set is checked
// against SDL's own blit of a probe before its first use; should the two ever
// differ (another SDL build), SDL goes on doing these blits itself.

struct TBlendChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;             // 8 - loss: significant bits of the channel
    std::vector<uint8_t> Mix; // [s << Bits | d]: the blended channel value
};

struct TBlendTables {
    uint32_t Masks[3] = {};
    uint8_t Alpha = 0;
    bool MatchesSDL = false;
    TBlendChannel Channels[3];
    // Blend(s, 0) for every s: a destination pixel of 0 (black in every
    // layout) is the common case under a translucent background.
    std::vector<Uint16> OverZero;

    uint32_t Blend(uint32_t s, uint32_t d) const {
        uint32_t out = 0;
        for (const TBlendChannel& c : Channels) {
            const uint32_t sc = (s & c.Mask) >> c.Shift;
            const uint32_t dc = (d & c.Mask) >> c.Shift;
            out |= static_cast<uint32_t>(c.Mix[sc << c.Bits | dc]) << c.Shift;
        }
        return out;
    }
};

// One axis of SDL_UpperBlit's cutting of a blit: the source span (pos, len)
// cut to the source's size, then its destination at dstPos cut to the clip
// span (clipPos, clipLen), moving pos along with dstPos.
void CutSpan(int srcSize, int clipPos, int clipLen, int& pos, int& len, Sint16& dstPos) {
    if (pos < 0) {
        len += pos;
        dstPos = static_cast<Sint16>(dstPos - pos);
        pos = 0;
    }
    len = std::min(len, srcSize - pos);
    int d = clipPos - dstPos;
    if (d > 0) {
        len -= d;
        dstPos = static_cast<Sint16>(dstPos + d);
        pos += d;
    }
    d = dstPos + len - clipPos - clipLen;
    if (d > 0)
        len -= d;
}

// SDL_UpperBlit's cutting of a blit: the source part cut to the source, then
// the destination cut to dst's clip rectangle. dst receives the destination
// rectangle as SDL writes it back; false when nothing is left to draw.
bool CutLikeSDL(const SDL_Surface* src, const SDL_Rect* srcRect, const SDL_Surface* dest,
                SDL_Rect& dst, SDL_Rect& part) {
    int srcX = srcRect != nullptr ? srcRect->x : 0;
    int srcY = srcRect != nullptr ? srcRect->y : 0;
    int w = srcRect != nullptr ? srcRect->w : src->w;
    int h = srcRect != nullptr ? srcRect->h : src->h;
    const SDL_Rect& clip = dest->clip_rect;
    CutSpan(src->w, clip.x, clip.w, srcX, w, dst.x);
    CutSpan(src->h, clip.y, clip.h, srcY, h, dst.y);
    if (w <= 0 || h <= 0) {
        dst.w = 0;
        dst.h = 0;
        return false;
    }
    dst.w = static_cast<Uint16>(w);
    dst.h = static_cast<Uint16>(h);
    part = fwMakeRect(srcX, srcY, w, h);
    return true;
}

// The blits that take SDL's slow path and that BlendBlit does alike: a keyed,
// translucent 16-bit picture without alpha channel onto an unlocked software
// surface of the same format whose channels fill all 16 bits.
bool IsTableBlit(const SDL_Surface* src, const SDL_Surface* dest) {
    if (src == nullptr || dest == nullptr || src == dest)
        return false;
    const SDL_PixelFormat* sf = src->format;
    const SDL_PixelFormat* df = dest->format;
    const Uint32 modes = SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCEL;
    if ((src->flags & modes) != (SDL_SRCCOLORKEY | SDL_SRCALPHA))
        return false;
    // Alpha 255 is SDL's opaque keyed blit, alpha 0 draws nothing.
    if (sf->alpha == 0 || sf->alpha == SDL_ALPHA_OPAQUE)
        return false;
    if (sf->BytesPerPixel != 2 || df->BytesPerPixel != 2 || sf->Amask != 0 || df->Amask != 0)
        return false;
    if (sf->Rmask != df->Rmask || sf->Gmask != df->Gmask || sf->Bmask != df->Bmask ||
        (sf->Rmask | sf->Gmask | sf->Bmask) != 0xFFFF)
        return false;
    // Locked surfaces make SDL fail the blit; it reports that itself.
    return !SDL_MUSTLOCK(src) && !SDL_MUSTLOCK(dest) && src->locked == 0 && dest->locked == 0;
}

void FillTables(TBlendTables& t, const SDL_PixelFormat* f, uint8_t alpha) {
    t.Masks[0] = f->Rmask;
    t.Masks[1] = f->Gmask;
    t.Masks[2] = f->Bmask;
    t.Alpha = alpha;
    const int shifts[3] = {f->Rshift, f->Gshift, f->Bshift};
    const int losses[3] = {f->Rloss, f->Gloss, f->Bloss};
    for (int c = 0; c < 3; ++c) {
        TBlendChannel& ch = t.Channels[c];
        ch.Mask = t.Masks[c];
        ch.Shift = shifts[c];
        ch.Bits = 8 - losses[c];
        const int n = 1 << ch.Bits;
        ch.Mix.resize(static_cast<size_t>(n) * static_cast<size_t>(n));
        for (int s = 0; s < n; ++s)
            for (int d = 0; d < n; ++d) {
                const int s8 = s << losses[c];
                const int d8 = d << losses[c];
                // Floor division by 256, also of a negative difference.
                const int v = (((s8 - d8) * alpha + 255 + 65536) >> 8) - 256 + d8;
                ch.Mix[static_cast<size_t>(s << ch.Bits | d)] =
                    static_cast<uint8_t>(v >> losses[c]);
            }
    }
    t.OverZero.resize(65536);
    for (uint32_t s = 0; s < 65536; ++s)
        t.OverZero[s] = static_cast<Uint16>(t.Blend(s, 0));
}

// One row of a blit in any layout of the three channels.
void BlendRow(const TBlendTables& t, const Uint16* s, Uint16* d, int w, uint32_t key) {
    for (int x = 0; x < w; ++x)
        if (s[x] != key)
            d[x] = static_cast<Uint16>(t.Blend(s[x], d[x]));
}

// One row in the display's usual layout, red 5 bits at the top, green 6, blue
// 5: the same tables with the channel positions known to the compiler.
void BlendRow565(const TBlendTables& t, const Uint16* s, Uint16* d, int w, uint32_t key) {
    const uint8_t* red = t.Channels[0].Mix.data();
    const uint8_t* green = t.Channels[1].Mix.data();
    const uint8_t* blue = t.Channels[2].Mix.data();
    const Uint16* overZero = t.OverZero.data();
    for (int x = 0; x < w; ++x) {
        const uint32_t sp = s[x];
        if (sp == key)
            continue;
        const uint32_t dp = d[x];
        if (dp == 0) {
            d[x] = overZero[sp];
            continue;
        }
        const uint32_t r = red[(sp >> 6 & 0x3E0) | dp >> 11];
        const uint32_t g = green[(sp & 0x7E0) << 1 | (dp >> 5 & 0x3F)];
        const uint32_t b = blue[(sp & 0x1F) << 5 | (dp & 0x1F)];
        d[x] = static_cast<Uint16>(r << 11 | g << 5 | b);
    }
}

// The 16-bit pixel (x, y) of a surface.
const Uint16* PixelAt(const SDL_Surface* s, int x, int y) {
    return reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(s->pixels) +
                                           static_cast<ptrdiff_t>(y) * s->pitch) +
           x;
}
Uint16* PixelAt(SDL_Surface* s, int x, int y) {
    return const_cast<Uint16*>(PixelAt(static_cast<const SDL_Surface*>(s), x, y));
}

// Blends the part of src onto dest at (x, y); both already cut to fit.
void BlendRect(const TBlendTables& t, const SDL_Surface* src, const SDL_Rect& part,
               SDL_Surface* dest, int x, int y) {
    const uint32_t key = src->format->colorkey;
    const bool rgb565 = t.Masks[0] == 0xF800 && t.Masks[1] == 0x07E0 && t.Masks[2] == 0x001F;
    for (int row = 0; row < part.h; ++row) {
        const Uint16* s = PixelAt(src, part.x, part.y + row);
        Uint16* d = PixelAt(dest, x, y + row);
        if (rgb565)
            BlendRow565(t, s, d, part.w, key);
        else
            BlendRow(t, s, d, part.w, key);
    }
}

// Blends a 64 x 64 probe through SDL and through BlendRect. Pixel k pairs
// every source value of each channel with every destination value of it
// somewhere in the probe; every 17th source pixel is the key and every 13th
// destination pixel black.
bool TablesMatchSDL(const TBlendTables& t, const SDL_PixelFormat* f, Uint32 key) {
    static constexpr int side = 64;
    auto probe = [&] {
        return SDL_CreateRGBSurface(SDL_SWSURFACE, side, side, 16, f->Rmask, f->Gmask, f->Bmask, 0);
    };
    SDL_Surface* src = probe();
    SDL_Surface* bySDL = probe();
    SDL_Surface* byTables = probe();
    bool same = src != nullptr && bySDL != nullptr && byTables != nullptr;
    auto at = [](SDL_Surface* s, int k) -> Uint16& { return *PixelAt(s, k % side, k / side); };
    if (same) {
        for (int k = 0; k < side * side; ++k) {
            uint32_t sv = 0;
            uint32_t dv = 0;
            for (int c = 0; c < 3; ++c) {
                const TBlendChannel& ch = t.Channels[c];
                const int n = 1 << ch.Bits;
                const int pair = (k * (2 * c + 1) + c * 11) % (n * n);
                sv |= static_cast<uint32_t>(pair / n) << ch.Shift;
                dv |= static_cast<uint32_t>(pair % n) << ch.Shift;
            }
            at(src, k) = static_cast<Uint16>(k % 17 == 0 ? key : sv);
            at(bySDL, k) = at(byTables, k) = static_cast<Uint16>(k % 13 == 0 ? 0 : dv);
        }
        SDL_SetColorKey(src, SDL_SRCCOLORKEY, key);
        SDL_SetAlpha(src, SDL_SRCALPHA, t.Alpha);
        same = SDL_BlitSurface(src, nullptr, bySDL, nullptr) == 0;
        BlendRect(t, src, fwMakeRect(0, 0, side, side), byTables, 0, 0);
    }
    for (int k = 0; same && k < side * side; ++k)
        same = at(bySDL, k) == at(byTables, k);
    SDL_FreeSurface(src);
    SDL_FreeSurface(bySDL);
    SDL_FreeSurface(byTables);
    return same;
}

// The tables of one format and alpha, made and checked on first use. A few
// sets at most: a program fading through many alphas drops the oldest.
const TBlendTables& TablesFor(const SDL_PixelFormat* f, uint8_t alpha) {
    static std::vector<std::unique_ptr<TBlendTables>> sets;
    for (const auto& t : sets)
        if (t->Alpha == alpha && t->Masks[0] == f->Rmask && t->Masks[1] == f->Gmask &&
            t->Masks[2] == f->Bmask)
            return *t;
    const size_t kMaxSets = 8;
    if (sets.size() >= kMaxSets)
        sets.erase(sets.begin());
    auto t = std::make_unique<TBlendTables>();
    FillTables(*t, f, alpha);
    t->MatchesSDL = TablesMatchSDL(*t, f, f->colorkey);
    sets.push_back(std::move(t));
    return *sets.back();
}

// The opaque keyed blits BlendBlit copies itself (the stones, every frame):
// keyed, 16-bit without alpha channel, same format, unlocked software surfaces. SDL copies these a
// pixel at a time through a branch; the select below is one the compiler turns into vector code.
bool IsKeyedCopy(const SDL_Surface* src, const SDL_Surface* dest) {
    if (kHandheld || src == nullptr || dest == nullptr || src == dest)
        return false;
    const SDL_PixelFormat* sf = src->format;
    const SDL_PixelFormat* df = dest->format;
    // Alpha 255 without an alpha channel is SDL's opaque keyed blit too.
    if ((src->flags & (SDL_SRCCOLORKEY | SDL_RLEACCEL)) != SDL_SRCCOLORKEY ||
        ((src->flags & SDL_SRCALPHA) != 0 && sf->alpha != SDL_ALPHA_OPAQUE))
        return false;
    if (sf->BytesPerPixel != 2 || df->BytesPerPixel != 2 || sf->Amask != 0 || df->Amask != 0 ||
        sf->Rmask != df->Rmask || sf->Gmask != df->Gmask || sf->Bmask != df->Bmask)
        return false;
    return !SDL_MUSTLOCK(src) && !SDL_MUSTLOCK(dest) && src->locked == 0 && dest->locked == 0;
}

// Copies the part of src onto dest at (x, y) but its key; both already cut to fit.
void KeyedCopyRect(const SDL_Surface* src, const SDL_Rect& part, SDL_Surface* dest, int x, int y) {
    const auto key = static_cast<Uint16>(src->format->colorkey);
    for (int row = 0; row < part.h; ++row) {
        const Uint16* s = PixelAt(src, part.x, part.y + row);
        Uint16* d = PixelAt(dest, x, y + row);
        for (int i = 0; i < part.w; ++i)
            d[i] = s[i] == key ? d[i] : s[i];
    }
}

// SDL_BlitSurface, with the translucent keyed 16-bit blits done from tables
// and the opaque keyed ones copied here; the same pixels, rectangle written
// back and result.
int BlendBlit(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dest, SDL_Rect* destRect) {
    const bool copy = IsKeyedCopy(src, dest);
    if (!copy && !IsTableBlit(src, dest))
        return SDL_BlitSurface(src, srcRect, dest, destRect);
    if (copy) {
        SDL_Rect dst = destRect != nullptr ? *destRect : fwMakeRect(0, 0, 0, 0);
        SDL_Rect part;
        const bool any = CutLikeSDL(src, srcRect, dest, dst, part);
        if (destRect != nullptr)
            *destRect = dst;
        if (any)
            KeyedCopyRect(src, part, dest, dst.x, dst.y);
        return 0;
    }
    const TBlendTables& t = TablesFor(src->format, src->format->alpha);
    if (!t.MatchesSDL)
        return SDL_BlitSurface(src, srcRect, dest, destRect);
    SDL_Rect dst = destRect != nullptr ? *destRect : fwMakeRect(0, 0, 0, 0);
    SDL_Rect part;
    const bool any = CutLikeSDL(src, srcRect, dest, dst, part);
    if (destRect != nullptr)
        *destRect = dst;
    if (!any)
        return 0;
    BlendRect(t, src, part, dest, dst.x, dst.y);
    return 0;
}

// The picture's format, which a desktop window of the desktop's own depth
// does not share: SDL_DisplayFormat's conversion (its flags kept) with the
// picture's format in place of the window's.
SDL_Surface* ToPictureFormat(SDL_Surface* decoded) {
    if constexpr (!kDesktopDepthWindow)
        return SDL_DisplayFormat(decoded);
    constexpr Uint32 kKeptFlags = SDL_SRCCOLORKEY | SDL_SRCALPHA | SDL_RLEACCELOK;
    return SDL_ConvertSurface(decoded, fwPictureFormat(),
                              SDL_SWSURFACE | (decoded->flags & kKeptFlags));
}

} // namespace

int fwBlitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dest, SDL_Rect* destRect) {
    return BlendBlit(src, srcRect, dest, destRect);
}

TfwSDLImage::TfwSDLImage(TfwSDLImages* images, int32_t tag) : TfwResource(tag), Images(images) {}

TfwSDLImage::~TfwSDLImage() {
    Unload();
}

bool TfwSDLImage::LoadFromFile(const std::string& name, const std::string& fileName) {
    // The name identifies the picture: asking again for the one held (or, on a
    // fresh image, for no name at all) is a no-op.
    if (SameNameIgnoringCase(name, Name))
        return false;

    char path[512];
    std::strncpy(path, fileName.c_str(), sizeof(path) - 1);
    path[sizeof(path) - 1] = '\0';

    if (Surface != nullptr)
        Unload();

    SDL_Surface* decoded = IMG_Load(path);
    if (decoded == nullptr) {
        Log().Write(kLoadTag, SDL_GetError());
        return false;
    }
    // Keyed before conversion so that the display copy inherits the key.
    if (Images != nullptr && Images->UseColorKey)
        SDL_SetColorKey(decoded, SDL_SRCCOLORKEY,
                        SDL_MapRGB(decoded->format, Images->ColorKey[0], Images->ColorKey[1],
                                   Images->ColorKey[2]));
    // SDL_DisplayFormat reads the video device unchecked and crashes while
    // video is not started; without a mode there is nothing to convert to.
    SDL_Surface* display = nullptr;
    if (fwPictureFormat() != nullptr)
        display = ToPictureFormat(decoded);
    else
        SDL_SetError("No video mode has been set");
    if (display == nullptr) {
        Log().Write(kLoadTag, SDL_GetError());
        SDL_FreeSurface(decoded);
        return false;
    }

    // Locked once for the whole time it is held, so GetPixel needs no lock.
    PixelSurface = decoded;
    SDL_LockSurface(PixelSurface);
    Surface = display;
    Name = name;
    FileName = fileName;
    Loaded = true;
    return true;
}

bool TfwSDLImage::Unload() {
    if (PixelSurface != nullptr) {
        SDL_UnlockSurface(PixelSurface);
        SDL_FreeSurface(PixelSurface);
        PixelSurface = nullptr;
    }
    if (Surface == nullptr)
        return false;
    SDL_FreeSurface(Surface);
    Loaded = false;
    Surface = nullptr;
    return true;
}

int32_t TfwSDLImage::Width() const {
    return Surface != nullptr ? Surface->w : 0;
}

int32_t TfwSDLImage::Height() const {
    return Surface != nullptr ? Surface->h : 0;
}

void TfwSDLImage::SetAlpha(uint8_t value) {
    Alpha = value;
    if (Surface != nullptr)
        SDL_SetAlpha(Surface, SDL_SRCALPHA, value);
}

void TfwSDLImage::SetColorKey(uint8_t r, uint8_t g, uint8_t b) {
    if (Surface != nullptr)
        SDL_SetColorKey(Surface, SDL_SRCCOLORKEY, SDL_MapRGB(Surface->format, r, g, b));
}

uint32_t fwSurfacePixel(const SDL_Surface* s, int32_t x, int32_t y) {
    if (s == nullptr || x < 0 || x >= s->w || y < 0 || y >= s->h)
        return 0;
    const int bpp = s->format->BytesPerPixel;
    const uint8_t* p = static_cast<const uint8_t*>(s->pixels) +
                       static_cast<ptrdiff_t>(y) * s->pitch + static_cast<ptrdiff_t>(x) * bpp;
    switch (bpp) {
    case 1:
        return p[0];
    case 2: {
        uint16_t v;
        std::memcpy(&v, p, sizeof(v));
        return v;
    }
    case 3:
        return p[0] | (p[1] << 8) | (p[2] << 16);
    case 4: {
        uint32_t v;
        std::memcpy(&v, p, sizeof(v));
        return v;
    }
    default:
        return 0;
    }
}

uint32_t TfwSDLImage::GetPixel(int32_t x, int32_t y) const {
    return fwSurfacePixel(PixelSurface, x, y);
}

void TfwSDLImage::GetBounds(SDL_Rect& r) const {
    GetBoundsAt(0, 0, r);
}

void TfwSDLImage::GetBoundsAt(int32_t x, int32_t y, SDL_Rect& r) const {
    r = fwMakeRect(x, y, Width(), Height());
}

void TfwSDLImage::Draw(SDL_Surface* dest, SDL_Rect* destRect) {
    if (BlendBlit(Surface, nullptr, dest, destRect) == -1)
        Log().Write(kDrawTag, SDL_GetError());
}

void TfwSDLImage::Draw(SDL_Surface* dest, int32_t x, int32_t y, int32_t w, int32_t h) {
    SDL_Rect r = fwMakeRect(x, y, w, h);
    Draw(dest, &r);
}

void TfwSDLImage::Draw(SDL_Surface* dest, int32_t x, int32_t y, int32_t srcX, int32_t srcY,
                       int32_t w, int32_t h) {
    SDL_Rect src = fwMakeRect(srcX, srcY, w, h);
    SDL_Rect dst = fwMakeRect(x, y, w, h);
    if (BlendBlit(Surface, &src, dest, &dst) == -1)
        Log().Write(kDrawTag, SDL_GetError());
}

void TfwSDLImage::Draw(SDL_Surface* dest, int32_t x, int32_t y) {
    // A picture whose file was missing may still be drawn: it shows nothing.
    if (Surface == nullptr)
        return;
    Draw(dest, x, y, Surface->w, Surface->h);
}

TfwSDLImages::TfwSDLImages() : TfwResourceManager(false) {}

void TfwSDLImages::SetColorKey(bool enabled, uint8_t r, uint8_t g, uint8_t b) {
    UseColorKey = enabled;
    if (enabled) {
        ColorKey[0] = r;
        ColorKey[1] = g;
        ColorKey[2] = b;
    }
}

std::unique_ptr<TfwSDLImage> TfwSDLImages::NewImage(int32_t tag) {
    auto image = std::make_unique<TfwSDLImage>(this, tag);
    Add(image.get());
    return image;
}

std::unique_ptr<TfwSDLImage> TfwSDLImages::LoadInto(std::unique_ptr<TfwSDLImage> image,
                                                    const std::string& name,
                                                    const std::string& fileName) {
    if (!image)
        return nullptr;
    bool loaded = false;
    try {
        loaded = image->LoadFromFile(name, fileName);
    } catch (...) {
        ForgetImage(this, image.get());
        throw;
    }
    if (!loaded) {
        ForgetImage(this, image.get());
        return nullptr;
    }
    if (UseColorKey)
        image->SetColorKey(ColorKey[0], ColorKey[1], ColorKey[2]);
    return image;
}

std::unique_ptr<TfwSDLImage> TfwSDLImages::LoadImage(const std::string& name,
                                                     const std::string& fileName) {
    return LoadInto(std::make_unique<TfwSDLImage>(nullptr, 0), name, fileName);
}
