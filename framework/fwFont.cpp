#include "fwFont.h"

#include "fwLog.h"

#include <cstdio>
#include <cstring>

namespace {

// SDL_ttf is started by the first font load; this object shuts it down when
// the program ends, after every font has gone with the application.
struct TTtfShutdown {
    ~TTtfShutdown() {
        if (TTF_WasInit() != 0)
            TTF_Quit();
    }
} ttfShutdown;

// Paths and texts reach SDL_ttf through a 512-byte buffer: 511 characters.
struct TTextBuffer {
    explicit TTextBuffer(const std::string& text) {
        std::strncpy(Data, text.c_str(), sizeof(Data) - 1);
        Data[sizeof(Data) - 1] = '\0';
    }
    char Data[512];
};

// Closes a face while SDL_ttf runs. After TTF_Quit, FreeType has released
// every face already, and closing one again would free it twice.
void CloseFace(TTF_Font*& font) {
    if (font != nullptr && TTF_WasInit() != 0)
        TTF_CloseFont(font);
    font = nullptr;
}

} // namespace

TfwFont::TfwFont(int32_t size, int32_t tag) : TfwResource(tag), Size(size) {}

TfwFont::~TfwFont() {
    CloseFace(Font);
}

bool TfwFont::LoadFromFile(const std::string& name, const std::string& fileName) {
    return LoadFromFile(name, fileName, Size);
}

bool TfwFont::LoadFromFile(const std::string& name, const std::string& fileName, int32_t size) {
    if (TTF_WasInit() == 0)
        TTF_Init();
    TTextBuffer path(fileName);
    // A reload replaces the face; the old one is closed so that it does not leak.
    CloseFace(Font);
    Font = TTF_OpenFont(path.Data, size);
    if (Font == nullptr) {
        Log().Write("TrueType \"" + fileName + "\" font not loaded");
        return false;
    }
    FileName = fileName;
    Name = name;
    Opened = true;
    Loaded = true;
    Size = size;
    return true;
}

bool TfwFont::Unload() {
    if (Font == nullptr)
        return false;
    CloseFace(Font);
    return true;
}

int32_t TfwFont::TextWidth(const std::string& text) const {
    if (text.empty() || Font == nullptr)
        return 0;
    TTextBuffer buffer(text);
    int w = 0;
    int h = 0;
    if (TTF_SizeText(Font, buffer.Data, &w, &h) != 0)
        return 0;
    return w;
}

SDL_Surface* TfwFont::RenderText(const std::string& text, uint32_t color) {
    // Opened stays set when a later reload or Unload left no face: nothing to render.
    if (!Opened || Font == nullptr)
        return nullptr;
    SDL_Color foreground;
    foreground.r = static_cast<Uint8>(color >> 16);
    foreground.g = static_cast<Uint8>(color >> 8);
    foreground.b = static_cast<Uint8>(color);
    foreground.unused = 255;
    TTextBuffer buffer(text);
    if (Blended)
        return TTF_RenderText_Blended(Font, buffer.Data, foreground);
    return TTF_RenderText_Shaded(Font, buffer.Data, foreground, Background);
}

void TfwFont::DrawText(SDL_Surface* dest, int32_t x, int32_t y, const std::string& text,
                       uint32_t color) {
    if (!Opened)
        return;
    // Owns the rendered surface, so it is freed on every path out.
    struct TRendered {
        SDL_Surface* Surface;
        ~TRendered() { SDL_FreeSurface(Surface); }
    } rendered{RenderText(text, color)};
    if (rendered.Surface == nullptr || dest == nullptr)
        return;
    SDL_Rect r;
    r.x = static_cast<Sint16>(x);
    r.y = static_cast<Sint16>(y);
    r.w = 0;
    r.h = 0;
    SDL_BlitSurface(rendered.Surface, nullptr, dest, &r);
}

void TfwFont::DrawText(SDL_Surface* dest, int32_t x, int32_t y, int32_t value, uint32_t color) {
    char text[16];
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(value));
    DrawText(dest, x, y, std::string(text), color);
}

void TfwFont::DrawText(SDL_Surface* dest, int32_t x, int32_t y, float value, uint32_t color) {
    // "%0.2f" of a huge float runs to 40-odd digits: sized to fit any of them.
    char text[64];
    std::snprintf(text, sizeof(text), "%0.2f", static_cast<double>(value));
    DrawText(dest, x, y, std::string(text), color);
}
