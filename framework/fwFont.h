// TrueType text: one font file opened at one point size, measuring, rendering
// and drawing texts (UTF-8, as the catalogues give them), integers and reals. SDL_ttf starts with
// the first load and shuts down at program end.
#pragma once

#include "fwResource.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

class TfwFont : public TfwResource {
public:
    TfwFont(int32_t size, int32_t tag);
    ~TfwFont() override; // closes the face

    bool Opened = false;
    int32_t Size;
    bool Blended = true; // false: shaded on Background
    TTF_Font* Font = nullptr;
    SDL_Color Background = {0, 0, 0, 255};

    // Opens the file at Size; the failure line names the whole path.
    bool LoadFromFile(const std::string& name, const std::string& fileName) override;
    bool LoadFromFile(const std::string& name, const std::string& fileName, int32_t size);
    bool Unload() override;
    // Width in pixels; 0 for an empty text.
    int32_t TextWidth(const std::string& text) const;
    // A new surface (the caller frees it) in colour 0x00RRGGBB, or nullptr.
    virtual SDL_Surface* RenderText(const std::string& text, uint32_t color);
    // Text with its top left corner at (x, y), blitted from the text cache.
    virtual void DrawText(SDL_Surface* dest, int32_t x, int32_t y, const std::string& text,
                          uint32_t color);
    virtual void DrawText(SDL_Surface* dest, int32_t x, int32_t y, int32_t value, uint32_t color);
    virtual void DrawText(SDL_Surface* dest, int32_t x, int32_t y, float value, uint32_t color);

    // The text cache: DrawText keeps the surfaces RenderText made, keyed by
    // text, colour, render mode, background and the face's style settings, and
    // blits a kept one again instead of rendering anew. It holds at most
    // CacheLimit texts and drops the one drawn longest ago first; 0 turns it
    // off. It is emptied when the face changes (every load, Unload) and freed
    // with the font. A RenderText override must render a text alike for equal
    // keys, or the font must run with CacheLimit 0.
    size_t CacheLimit = 64;
    size_t CachedTexts() const { return cache_.size(); }
    void ClearTextCache();

private:
    struct TTextKey {
        std::string Text;
        uint32_t Color;
        bool Blended;
        uint32_t Background; // shaded mode only; 0 when blended
        int Style, Outline, Hinting, Kerning;
        bool operator==(const TTextKey& o) const;
    };
    struct TTextKeyHash {
        size_t operator()(const TTextKey& k) const;
    };
    struct TSurfaceFree {
        void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
    };
    struct TCachedText {
        TTextKey Key;
        std::unique_ptr<SDL_Surface, TSurfaceFree> Surface;
    };
    // The surface for text from the cache, rendered and kept on a miss;
    // nullptr when RenderText makes none. The cache owns it.
    SDL_Surface* CachedRender(const std::string& text, uint32_t color);

    std::list<TCachedText> cache_; // most recently drawn first
    std::unordered_map<TTextKey, std::list<TCachedText>::iterator, TTextKeyHash> index_;
};
