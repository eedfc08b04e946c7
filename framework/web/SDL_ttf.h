// SDL_ttf's calls as the framework makes them, in the web build, which has no
// SDL_ttf. Fonts open and measure, and draw no text yet (fwWebText.cpp).
#pragma once

#include <SDL.h>

struct TTF_Font;

inline constexpr int TTF_STYLE_NORMAL = 0;

extern "C" {
int TTF_Init();
int TTF_WasInit();
void TTF_Quit();
TTF_Font* TTF_OpenFont(const char* file, int ptsize);
void TTF_CloseFont(TTF_Font* font);
int TTF_SizeText(TTF_Font* font, const char* text, int* w, int* h);
SDL_Surface* TTF_RenderText_Blended(TTF_Font* font, const char* text, SDL_Color fg);
SDL_Surface* TTF_RenderText_Shaded(TTF_Font* font, const char* text, SDL_Color fg, SDL_Color bg);
int TTF_GetFontStyle(const TTF_Font* font);
int TTF_GetFontOutline(const TTF_Font* font);
int TTF_GetFontHinting(const TTF_Font* font);
int TTF_GetFontKerning(const TTF_Font* font);
}
