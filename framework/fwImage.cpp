#include "fwImage.h"

#include "fwAnimation.h"
#include "fwLog.h"

#include <SDL_image.h>

#include <cstring>

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

} // namespace

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
    if (SDL_GetVideoSurface() != nullptr)
        display = SDL_DisplayFormat(decoded);
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

uint32_t TfwSDLImage::GetPixel(int32_t x, int32_t y) const {
    const SDL_Surface* s = PixelSurface;
    if (s == nullptr || x < 0 || x >= s->w || y < 0 || y >= s->h)
        return 0;
    const int bpp = s->format->BytesPerPixel;
    const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * bpp;
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

void TfwSDLImage::GetBounds(SDL_Rect& r) const {
    GetBoundsAt(0, 0, r);
}

void TfwSDLImage::GetBoundsAt(int32_t x, int32_t y, SDL_Rect& r) const {
    r = fwMakeRect(x, y, Width(), Height());
}

void TfwSDLImage::Draw(SDL_Surface* dest, SDL_Rect* destRect) {
    if (SDL_BlitSurface(Surface, nullptr, dest, destRect) == -1)
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
    if (SDL_BlitSurface(Surface, &src, dest, &dst) == -1)
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
