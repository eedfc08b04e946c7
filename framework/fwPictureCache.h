// A screen that draws the same picture frame after frame (a title at rest)
// is drawn once and copied afterwards: 55 frames a second of blending and
// text cost more processor than the whole rest of an idle program.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <vector>

class TfwPictureCache {
public:
    // Everything a cached picture depends on, in any order the user likes:
    // values, and the identity of the surfaces and faces it draws.
    using TKey = std::vector<uintptr_t>;

    TfwPictureCache() = default;
    ~TfwPictureCache();
    TfwPictureCache(const TfwPictureCache&) = delete;
    TfwPictureCache& operator=(const TfwPictureCache&) = delete;

    // Draws onto dest, which holds the same content before every call (the
    // caller clears it): with the key of the kept picture, copies that
    // picture; otherwise runs draw and keeps its result under key. dest's
    // size and format are part of the key.
    void Draw(SDL_Surface* dest, TKey key, const std::function<void(SDL_Surface*)>& draw);
    // Forgets the kept picture.
    void Clear();
    bool Holds() const { return picture_ != nullptr; }

private:
    TKey key_;
    SDL_Surface* picture_ = nullptr; // owned
};
