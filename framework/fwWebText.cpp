// The web build's stand-in for SDL_ttf until text is drawn there: a font
// opens when its file can be read, measures every text as empty and renders
// none, so the game runs with every font loaded and draws its screens without
// their texts (and without a log line).
#include <SDL_ttf.h>

#include <cstdio>
#include <memory>

struct TTF_Font {
    int PointSize = 0;
};

namespace {
int initialised = 0;
} // namespace

extern "C" {

int TTF_Init() {
    initialised = 1;
    return 0;
}

int TTF_WasInit() {
    return initialised;
}

void TTF_Quit() {
    initialised = 0;
}

TTF_Font* TTF_OpenFont(const char* file, int ptsize) {
    std::FILE* f = std::fopen(file, "rb");
    if (f == nullptr) {
        SDL_SetError("Couldn't open %s", file);
        return nullptr;
    }
    std::fclose(f);
    auto font = std::make_unique<TTF_Font>();
    font->PointSize = ptsize;
    return font.release();
}

void TTF_CloseFont(TTF_Font* font) {
    delete font;
}

int TTF_SizeText(TTF_Font* /*font*/, const char* /*text*/, int* w, int* h) {
    if (w != nullptr)
        *w = 0;
    if (h != nullptr)
        *h = 0;
    return 0;
}

SDL_Surface* TTF_RenderText_Blended(TTF_Font* /*font*/, const char* /*text*/, SDL_Color /*fg*/) {
    return nullptr;
}

SDL_Surface* TTF_RenderText_Shaded(TTF_Font* /*font*/, const char* /*text*/, SDL_Color /*fg*/,
                                   SDL_Color /*bg*/) {
    return nullptr;
}

int TTF_GetFontStyle(const TTF_Font* /*font*/) {
    return TTF_STYLE_NORMAL;
}

int TTF_GetFontOutline(const TTF_Font* /*font*/) {
    return 0;
}

int TTF_GetFontHinting(const TTF_Font* /*font*/) {
    return 0;
}

int TTF_GetFontKerning(const TTF_Font* /*font*/) {
    return 1;
}

} // extern "C"
