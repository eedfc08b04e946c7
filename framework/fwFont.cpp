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
    ClearTextCache();
    CloseFace(Font);
}

bool TfwFont::LoadFromFile(const std::string& name, const std::string& fileName) {
    return LoadFromFile(name, fileName, Size);
}

bool TfwFont::LoadFromFile(const std::string& name, const std::string& fileName, int32_t size) {
    if (TTF_WasInit() == 0)
        TTF_Init();
    TTextBuffer path(fileName);
    // A reload replaces the face; the old one is closed so that it does not
    // leak, and what it rendered is no longer what the font draws.
    ClearTextCache();
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
    ClearTextCache();
    CloseFace(Font);
    return true;
}

int32_t TfwFont::TextWidth(const std::string& text) const {
    if (text.empty() || Font == nullptr)
        return 0;
    TTextBuffer buffer(text);
    int w = 0;
    int h = 0;
    if (TTF_SizeUTF8(Font, buffer.Data, &w, &h) != 0)
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
        return TTF_RenderUTF8_Blended(Font, buffer.Data, foreground);
    return TTF_RenderUTF8_Shaded(Font, buffer.Data, foreground, Background);
}

void TfwFont::DrawText(SDL_Surface* dest, int32_t x, int32_t y, const std::string& text,
                       uint32_t color) {
    if (!Opened)
        return;
    SDL_Rect r;
    r.x = static_cast<Sint16>(x);
    r.y = static_cast<Sint16>(y);
    r.w = 0;
    r.h = 0;
    if (CacheLimit == 0) {
        // Uncached: rendered for this blit alone and freed on every path out.
        std::unique_ptr<SDL_Surface, TSurfaceFree> rendered(RenderText(text, color));
        if (rendered != nullptr && dest != nullptr)
            SDL_BlitSurface(rendered.get(), nullptr, dest, &r);
        return;
    }
    // A blit reads its source only, so a kept surface draws exactly what a
    // fresh rendering of the same text would.
    SDL_Surface* rendered = CachedRender(text, color);
    if (rendered != nullptr && dest != nullptr)
        SDL_BlitSurface(rendered, nullptr, dest, &r);
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

bool TfwFont::TTextKey::operator==(const TTextKey& o) const {
    return Color == o.Color && Blended == o.Blended && Background == o.Background &&
           Style == o.Style && Outline == o.Outline && Hinting == o.Hinting &&
           Kerning == o.Kerning && Text == o.Text;
}

size_t TfwFont::TTextKeyHash::operator()(const TTextKey& k) const {
    size_t h = std::hash<std::string>()(k.Text);
    for (uint32_t v : {k.Color, k.Background, static_cast<uint32_t>(k.Blended),
                       static_cast<uint32_t>(k.Style), static_cast<uint32_t>(k.Outline),
                       static_cast<uint32_t>(k.Hinting), static_cast<uint32_t>(k.Kerning)})
        h = h * 1000003u ^ v;
    return h;
}

void TfwFont::ClearTextCache() {
    index_.clear();
    cache_.clear();
}

SDL_Surface* TfwFont::CachedRender(const std::string& text, uint32_t color) {
    TTextKey key;
    key.Text = text;
    key.Color = color;
    key.Blended = Blended;
    key.Background = Blended ? 0
                             : static_cast<uint32_t>(Background.r) << 24 |
                                   static_cast<uint32_t>(Background.g) << 16 |
                                   static_cast<uint32_t>(Background.b) << 8 | Background.unused;
    // Settings that anyone holding the public face may change between draws.
    key.Style = Font != nullptr ? TTF_GetFontStyle(Font) : 0;
    key.Outline = Font != nullptr ? TTF_GetFontOutline(Font) : 0;
    key.Hinting = Font != nullptr ? TTF_GetFontHinting(Font) : 0;
    key.Kerning = Font != nullptr ? TTF_GetFontKerning(Font) : 0;

    auto found = index_.find(key);
    if (found != index_.end()) {
        cache_.splice(cache_.begin(), cache_, found->second);
        return found->second->Surface.get();
    }
    std::unique_ptr<SDL_Surface, TSurfaceFree> rendered(RenderText(text, color));
    if (rendered == nullptr)
        return nullptr;
    while (cache_.size() >= CacheLimit) {
        index_.erase(cache_.back().Key);
        cache_.pop_back();
    }
    cache_.push_front(TCachedText{std::move(key), std::move(rendered)});
    index_.emplace(cache_.front().Key, cache_.begin());
    return cache_.front().Surface.get();
}
