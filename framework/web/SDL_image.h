// SDL_image in the web build: the game's pictures are BMP files, which SDL
// reads itself.
#pragma once

#include <SDL.h>

inline SDL_Surface* IMG_Load(const char* file) {
    return SDL_LoadBMP(file);
}
