#include "fwPictureCache.h"

#include <cstddef>
#include <cstring>

namespace {

// Copies the pixels of one surface into another of the same size and format,
// row by row: no blending, key or clipping can change them on the way.
void CopyPixels(SDL_Surface* from, SDL_Surface* to) {
    const bool lockFrom = SDL_MUSTLOCK(from) && SDL_LockSurface(from) == 0;
    const bool lockTo = SDL_MUSTLOCK(to) && SDL_LockSurface(to) == 0;
    const size_t bytes = static_cast<size_t>(from->w) * from->format->BytesPerPixel;
    for (int y = 0; y < from->h; ++y)
        std::memcpy(static_cast<Uint8*>(to->pixels) + static_cast<ptrdiff_t>(y) * to->pitch,
                    static_cast<const Uint8*>(from->pixels) +
                        static_cast<ptrdiff_t>(y) * from->pitch,
                    bytes);
    if (lockTo)
        SDL_UnlockSurface(to);
    if (lockFrom)
        SDL_UnlockSurface(from);
}

} // namespace

TfwPictureCache::~TfwPictureCache() {
    Clear();
}

void TfwPictureCache::Clear() {
    if (picture_ != nullptr)
        SDL_FreeSurface(picture_);
    picture_ = nullptr;
    key_.clear();
}

void TfwPictureCache::Draw(SDL_Surface* dest, TKey key,
                           const std::function<void(SDL_Surface*)>& draw) {
    if (dest == nullptr)
        return;
    const SDL_PixelFormat* f = dest->format;
    key.insert(key.end(), {static_cast<uintptr_t>(dest->w), static_cast<uintptr_t>(dest->h),
                           f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask});
    if (picture_ != nullptr && key == key_) {
        CopyPixels(picture_, dest);
        return;
    }
    Clear();
    draw(dest);
    picture_ = SDL_CreateRGBSurface(SDL_SWSURFACE, dest->w, dest->h, f->BitsPerPixel, f->Rmask,
                                    f->Gmask, f->Bmask, f->Amask);
    if (picture_ == nullptr)
        return;
    CopyPixels(dest, picture_);
    key_ = std::move(key);
}
