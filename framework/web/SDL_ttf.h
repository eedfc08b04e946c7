// SDL_ttf's calls as the framework makes them, in the web build, which has no
// SDL_ttf: each name is the fwTrueType module's call of the same signature,
// which draws the same surfaces as SDL_ttf 2.0.11 over the same FreeType.
#pragma once

#include "fwTrueType.h"

using TTF_Font = TTrueTypeFont;

inline constexpr int TTF_STYLE_NORMAL = kTrueTypeStyleNormal;

#define TTF_Init TrueTypeInit
#define TTF_WasInit TrueTypeWasInit
#define TTF_Quit TrueTypeQuit
#define TTF_OpenFont TrueTypeOpenFont
#define TTF_CloseFont TrueTypeCloseFont
#define TTF_SizeText TrueTypeSizeText
#define TTF_RenderText_Blended TrueTypeRenderTextBlended
#define TTF_RenderText_Shaded TrueTypeRenderTextShaded
#define TTF_SizeUTF8 TrueTypeSizeUTF8
#define TTF_RenderUTF8_Blended TrueTypeRenderUTF8Blended
#define TTF_RenderUTF8_Shaded TrueTypeRenderUTF8Shaded
#define TTF_GetFontStyle TrueTypeGetFontStyle
#define TTF_GetFontOutline TrueTypeGetFontOutline
#define TTF_GetFontHinting TrueTypeGetFontHinting
#define TTF_GetFontKerning TrueTypeGetFontKerning
