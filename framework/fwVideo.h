// The picture and the window it is shown in: the picture's size and pixel
// format, and the hook through which changed parts reach the display. The
// window itself (its mode, scale, fullscreen and presentation) is
// TfwGameApp's (fwVideo.cpp).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>

// The picture the game draws, in pixels, in both builds.
inline constexpr int32_t kPictureWidth = 320;
inline constexpr int32_t kPictureHeight = 240;

// The pixel format every picture is drawn in and every image is converted to:
// the application's back buffer, else the video surface's; nullptr before a
// video mode is set.
SDL_PixelFormat* fwPictureFormat();

// Sends rectangles of the window surface to the display (SDL_UpdateRects).
// Tests put an observer in its place; an empty function restores SDL's.
using TfwUpdateRectsFunc = std::function<void(SDL_Surface* screen, int count, SDL_Rect* rects)>;
void fwSetUpdateRects(TfwUpdateRectsFunc update);
