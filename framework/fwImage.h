// Pictures: one image file held as a surface in the picture's format for drawing and the
// decoded surface, kept locked, for reading pixels; and the image list that makes
// images and applies its colour key to them.
#pragma once

#include "fwResource.h"

#include <SDL.h>

#include <memory>

// SDL_BlitSurface's blit, pixel for pixel, rectangle written back and result,
// with the keyed 16-bit blits of pictures done faster than SDL does them.
int fwBlitSurface(SDL_Surface* src, SDL_Rect* srcRect, SDL_Surface* dest, SDL_Rect* destRect);

class TfwSDLImages;

// The raw pixel (x, y) of s in its own format (1 to 4 bytes a pixel, bytes in
// memory order); 0 outside the surface or for another pixel size. The caller
// holds the surface locked when it needs locking.
uint32_t fwSurfacePixel(const SDL_Surface* s, int32_t x, int32_t y);

class TfwSDLImage : public TfwResource {
public:
    // images: the list whose colour key applies at load (not owned), or nullptr.
    TfwSDLImage(TfwSDLImages* images, int32_t tag);
    ~TfwSDLImage() override;

    uint8_t Alpha = 255;
    TfwSDLImages* Images;
    SDL_Surface* PixelSurface = nullptr; // as decoded, locked while held; owned
    SDL_Surface* Surface = nullptr;      // picture-format copy used for drawing; owned

    // Refuses (false, nothing touched) a name equal to the current one in any
    // letter case; otherwise frees the old picture first. Failures are logged.
    bool LoadFromFile(const std::string& name, const std::string& fileName) override;
    bool Unload() override;
    virtual int32_t Width() const;  // 0 while not loaded
    virtual int32_t Height() const; // 0 while not loaded
    virtual uint8_t GetAlpha() const { return Alpha; }
    // Stores the value; applies it when loaded (a later load does not).
    virtual void SetAlpha(uint8_t value);
    virtual void SetColorKey(uint8_t r, uint8_t g, uint8_t b);
    // Raw pixel of the decoded surface in its own format; 0 outside or unloaded.
    virtual uint32_t GetPixel(int32_t x, int32_t y) const;
    virtual void GetBounds(SDL_Rect& r) const;
    virtual void GetBoundsAt(int32_t x, int32_t y, SDL_Rect& r) const;
    // The whole picture at destRect's x, y (nullptr: top left); SDL writes the
    // clipped rectangle back.
    virtual void Draw(SDL_Surface* dest, SDL_Rect* destRect);
    virtual void Draw(SDL_Surface* dest, int32_t x, int32_t y, int32_t w, int32_t h);
    // The part (srcX, srcY, w, h) at (x, y).
    virtual void Draw(SDL_Surface* dest, int32_t x, int32_t y, int32_t srcX, int32_t srcY,
                      int32_t w, int32_t h);
    // The whole picture at (x, y); nothing for an unloaded image.
    virtual void Draw(SDL_Surface* dest, int32_t x, int32_t y);
};

// The game's image list: registers the images it makes without owning them and
// keys the colour it holds out of every image loaded afterwards.
class TfwSDLImages : public TfwResourceManager {
public:
    TfwSDLImages();

    bool UseColorKey = false;
    uint8_t ColorKey[3] = {0, 0, 0}; // R, G, B; kept when the key is switched off

    // Images already loaded keep their key.
    void SetColorKey(bool enabled, uint8_t r, uint8_t g, uint8_t b);
    // A new unloaded image of this list, registered here. The caller owns it.
    std::unique_ptr<TfwSDLImage> NewImage(int32_t tag);
    // Loads image; on failure it is destroyed and the result is empty. On
    // success the key (when on) is set on its display surface.
    std::unique_ptr<TfwSDLImage> LoadInto(std::unique_ptr<TfwSDLImage> image,
                                          const std::string& name, const std::string& fileName);
    // A new image of no list, loaded through LoadInto. The caller owns it.
    std::unique_ptr<TfwSDLImage> LoadImage(const std::string& name, const std::string& fileName);
};
