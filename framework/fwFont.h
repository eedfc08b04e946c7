// TrueType text: one font file opened at one point size, measuring, rendering
// and drawing texts, integers and reals. SDL_ttf starts with the first load and
// shuts down at program end.
#pragma once

#include "fwResource.h"

#include <SDL.h>
#include <SDL_ttf.h>

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
    // Text with its top left corner at (x, y).
    virtual void DrawText(SDL_Surface* dest, int32_t x, int32_t y, const std::string& text,
                          uint32_t color);
    virtual void DrawText(SDL_Surface* dest, int32_t x, int32_t y, int32_t value, uint32_t color);
    virtual void DrawText(SDL_Surface* dest, int32_t x, int32_t y, float value, uint32_t color);
};
