// The window and what it shows: the video mode, its scale, fullscreen and
// resizing, and the presentation of the picture (the back buffer) scaled
// into it, one changed band at a time.
#include "fwGameApp.h"

#include "fwAnimation.h"
#include "fwConfig.h"
#include "fwLog.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

TfwUpdateRectsFunc updateRectsFunc;

// Share of the desktop (in percent) the window may take by default.
constexpr int32_t kDesktopSharePct = 85;
// The picture's bits per pixel, and the desktop depths a window takes as its own.
constexpr int kPictureDepth = 16;
constexpr int kDeepDesktop24 = 24;
constexpr int kDeepDesktop32 = 32;
// Every 16-bit value once: a square of 256 x 256 pixels.
constexpr int32_t kPixelValueSide = 256;
using TSurfacePtr = std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)>;

// Writes one picture row of w pixels scale times wider into dst, each pixel
// through lut into the window's format (P: the window pixel's storage).
template <class P>
void ScaleRow(const Uint16* src, int32_t w, int32_t scale, const Uint32* lut, Uint8* dst) {
    P* d = reinterpret_cast<P*>(dst);
    for (int32_t x = 0; x < w; ++x) {
        const P v = static_cast<P>(lut[src[x]]);
        for (int32_t k = 0; k < scale; ++k)
            *d++ = v;
    }
}

// The same for three-byte window pixels, stored low byte first.
void ScaleRow24(const Uint16* src, int32_t w, int32_t scale, const Uint32* lut, Uint8* dst) {
    for (int32_t x = 0; x < w; ++x) {
        const Uint32 v = lut[src[x]];
        for (int32_t k = 0; k < scale; ++k) {
            *dst++ = static_cast<Uint8>(v);
            *dst++ = static_cast<Uint8>(v >> 8);
            *dst++ = static_cast<Uint8>(v >> 16);
        }
    }
}

Uint16* MutablePictureRow(SDL_Surface* s, int32_t y) {
    return reinterpret_cast<Uint16*>(static_cast<Uint8*>(s->pixels) +
                                     static_cast<ptrdiff_t>(y) * s->pitch);
}

const Uint16* PictureRow(const SDL_Surface* s, int32_t y) {
    return reinterpret_cast<const Uint16*>(static_cast<const Uint8*>(s->pixels) +
                                           static_cast<ptrdiff_t>(y) * s->pitch);
}

// First and last pixel (inclusive) where two rows of w pixels differ; false
// when they are equal.
bool RowChange(const Uint16* a, const Uint16* b, int32_t w, int32_t& first, int32_t& last) {
    if (std::memcmp(a, b, static_cast<size_t>(w) * sizeof(Uint16)) == 0)
        return false;
    first = 0;
    while (a[first] == b[first])
        ++first;
    last = w - 1;
    while (a[last] == b[last])
        --last;
    return true;
}

} // namespace

SDL_PixelFormat* fwPictureFormat() {
    const SDL_Surface* video = SDL_GetVideoSurface();
    if (video == nullptr)
        return nullptr;
    const TfwGameApp* app = TfwGameApp::Instance();
    if (app != nullptr && app->BackBuffer != nullptr)
        return app->BackBuffer->format;
    return video->format;
}

void fwSetUpdateRects(TfwUpdateRectsFunc update) {
    updateRectsFunc = std::move(update);
}

int32_t TfwGameApp::FitScale(int32_t width, int32_t height) {
    return std::max<int32_t>(1, std::min(width / kPictureWidth, height / kPictureHeight));
}

void TfwGameApp::ReadVideoOptions() {
    const int32_t fit =
        FitScale(DesktopWidth * kDesktopSharePct / 100, DesktopHeight * kDesktopSharePct / 100);
    WindowScale = StartScale >= 1 && StartScale <= kfwMaxScale ? StartScale : fit;
    if (!CommandLine.Error.empty()) {
        Log().Write("SDLApp::InitSDL", "command line refused (" + CommandLine.Error +
                                           "); using scale " + std::to_string(WindowScale));
    } else {
        if (CommandLine.Fullscreen >= 0)
            Fullscreen = CommandLine.Fullscreen == 1;
        if (CommandLine.Scale >= 1 && CommandLine.Scale <= kfwMaxScale)
            WindowScale = CommandLine.Scale;
    }
    FitScaleToDesktop();
}

// A window larger than the whole desktop could not be seen whole: the scale
// is cut to the largest that fits, and the player who asked for it is told.
int32_t TfwGameApp::CutToDesktop(int32_t scale, int32_t desktopWidth, int32_t desktopHeight) {
    if (desktopWidth < kPictureWidth || desktopHeight < kPictureHeight)
        return scale; // the driver tells no size
    return std::min(scale, FitScale(desktopWidth, desktopHeight));
}

void TfwGameApp::FitScaleToDesktop() {
    const int32_t most = CutToDesktop(WindowScale, DesktopWidth, DesktopHeight);
    if (most == WindowScale)
        return;
    const std::string line = "scale " + std::to_string(WindowScale) + " is larger than the " +
                             std::to_string(DesktopWidth) + " x " + std::to_string(DesktopHeight) +
                             " desktop; using scale " + std::to_string(most);
    std::fprintf(stderr, "%s\n", line.c_str());
    Log().Write("SDLApp::InitSDL", line);
    WindowScale = most;
}

// Before the first mode is set: SDL hands the icon to the window manager
// only with the window's creation.
void TfwGameApp::ShowTitleAndIcon() {
    if (!WindowTitle.empty())
        SDL_WM_SetCaption(WindowTitle.c_str(), WindowTitle.c_str());
    if (WindowIconFile.empty() || !platform_->ShowsWindowIcon())
        return;
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> icon(IMG_Load(WindowIconFile.c_str()),
                                                              SDL_FreeSurface);
    if (icon == nullptr) {
        Log().Write("SDLApp::InitSDL", WindowIconFile + ": " + SDL_GetError());
        return;
    }
    SetWindowIcon(icon.get());
}

void TfwGameApp::SetWindowIcon(SDL_Surface* icon) {
    // No mask: SDL makes one from the picture's alpha channel.
    SDL_WM_SetIcon(icon, nullptr);
}

// The window at WindowScale, or fullscreen at the desktop's size with the
// largest scale that fits, centred on black. Screen is nullptr on failure.
void TfwGameApp::SetVideoMode() {
    int32_t width = WindowWidth > 0 ? WindowWidth : kPictureWidth * WindowScale;
    int32_t height = WindowHeight > 0 ? WindowHeight : kPictureHeight * WindowScale;
    VideoFlags = SDL_SWSURFACE; // no double buffer: SDL_UpdateRects sends parts
    if (!Fullscreen)
        VideoFlags |= SDL_RESIZABLE;
    if (Fullscreen) {
        VideoFlags |= SDL_FULLSCREEN;
        if (DesktopWidth >= kPictureWidth && DesktopHeight >= kPictureHeight) {
            width = DesktopWidth;
            height = DesktopHeight;
        }
    }
    const int depth = WindowDepth();
    Screen = SDL_SetVideoMode(width, height, depth, VideoFlags);
    if (Screen == nullptr && depth != kPictureDepth)
        Screen = SDL_SetVideoMode(width, height, kPictureDepth, VideoFlags);
    if (Screen == nullptr)
        return;
    Scale = FitScale(Screen->w, Screen->h);
    // A mode smaller than the picture (never asked for) shows its top left.
    PictureX = std::max(0, (Screen->w - kPictureWidth * Scale) / 2);
    PictureY = std::max(0, (Screen->h - kPictureHeight * Scale) / 2);
    SDL_FillRect(Screen, nullptr, SDL_MapRGB(Screen->format, 0, 0, 0));
    if (BackBuffer == nullptr) {
        // The picture keeps a 16-bit window's format (565 in a deeper
        // window), which every image is converted to (fwPictureFormat), so
        // blits onto it stay direct.
        const SDL_PixelFormat* f = Screen->format;
        const bool same = f->BytesPerPixel == 2;
        BackBuffer = SDL_CreateRGBSurface(SDL_SWSURFACE, kPictureWidth, kPictureHeight, 16,
                                          same ? f->Rmask : 0xF800, same ? f->Gmask : 0x07E0,
                                          same ? f->Bmask : 0x001F, 0);
        if (BackBuffer == nullptr)
            return;
    }
    if (!MapWindowPixels())
        Screen = nullptr;
    PresentAll = true;
}

// A window of the picture's 16 bits on a 24- or 32-bit desktop is one SDL
// converts whole on every update, most of what a moving picture costs: the
// window takes the desktop's depth, and the scaling writes its pixels.
int TfwGameApp::WindowDepth() const {
    if (kDesktopDepthWindow && (DesktopDepth == kDeepDesktop24 || DesktopDepth == kDeepDesktop32))
        return DesktopDepth;
    return kPictureDepth;
}

bool TfwGameApp::MapWindowPixels() {
    const SDL_PixelFormat* f = BackBuffer->format;
    TSurfacePtr all(SDL_CreateRGBSurface(SDL_SWSURFACE, kPixelValueSide, kPixelValueSide,
                                         kPictureDepth, f->Rmask, f->Gmask, f->Bmask, 0),
                    SDL_FreeSurface);
    if (all == nullptr)
        return false;
    for (int32_t y = 0; y < kPixelValueSide; ++y)
        for (int32_t x = 0; x < kPixelValueSide; ++x)
            MutablePictureRow(all.get(), y)[x] = static_cast<Uint16>(y * kPixelValueSide + x);
    // SDL's blit, as it would have copied a 16-bit window onto this display.
    TSurfacePtr shown(SDL_ConvertSurface(all.get(), Screen->format, SDL_SWSURFACE),
                      SDL_FreeSurface);
    if (shown == nullptr)
        return false;
    const int bpp = shown->format->BytesPerPixel;
    WindowPixel.resize(static_cast<size_t>(kPixelValueSide) * kPixelValueSide);
    for (int32_t y = 0; y < kPixelValueSide; ++y) {
        const Uint8* row =
            static_cast<const Uint8*>(shown->pixels) + static_cast<ptrdiff_t>(y) * shown->pitch;
        for (int32_t x = 0; x < kPixelValueSide; ++x) {
            Uint32 v = 0; // low byte first, as ScaleRow24 stores it back
            for (int b = bpp - 1; b >= 0; --b)
                v = (v << 8) | row[x * bpp + b];
            WindowPixel[static_cast<size_t>(y) * kPixelValueSide + x] = v;
        }
    }
    return true;
}

void TfwGameApp::ToggleFullscreen() {
    if (!platform_->SwitchesFullscreen() || Screen == nullptr)
        return;
    if (!Fullscreen)
        PlaceKnown = platform_->WindowPlace(PlaceX, PlaceY);
    ChangeVideoMode("ToggleFullscreen", [this] { Fullscreen = !Fullscreen; });
    // SDL 1.2 opens the window again wherever the window manager likes.
    if (!Fullscreen && PlaceKnown)
        platform_->PlaceWindow(PlaceX, PlaceY);
}

void TfwGameApp::SetWindowScale(int32_t scale) {
    scale = CutToDesktop(std::clamp(scale, 1, kfwMaxScale), DesktopWidth, DesktopHeight);
    if (kHandheld || Screen == nullptr || Fullscreen) {
        WindowScale = scale;
        WindowWidth = WindowHeight = 0;
        return;
    }
    ChangeVideoMode("SetWindowScale", [this, scale] {
        WindowScale = scale;
        WindowWidth = WindowHeight = 0;
    });
}

void TfwGameApp::ResizeWindow(int32_t width, int32_t height) {
    if (kHandheld || Screen == nullptr || Fullscreen)
        return;
    // Smaller than the picture would cut it: the window keeps at least its size.
    width = std::max(width, kPictureWidth);
    height = std::max(height, kPictureHeight);
    if (width == Screen->w && height == Screen->h)
        return;
    ChangeVideoMode("ResizeWindow", [this, width, height] {
        WindowWidth = width;
        WindowHeight = height;
        WindowScale = FitScale(width, height);
    });
}

void TfwGameApp::ChangeVideoMode(const std::string& name, const std::function<void()>& change) {
    const bool fullscreen = Fullscreen;
    const int32_t scale = WindowScale;
    const int32_t width = WindowWidth;
    const int32_t height = WindowHeight;
    change();
    SetVideoMode();
    if (Screen != nullptr)
        return;
    Log().Write("SDLApp::" + name, SDL_GetError());
    Fullscreen = fullscreen; // back to the mode that worked
    WindowScale = scale;
    WindowWidth = width;
    WindowHeight = height;
    SetVideoMode();
    if (Screen == nullptr)
        throw EfwError(name + " failed");
}

bool TfwGameApp::WindowToPicture(int32_t wx, int32_t wy, int32_t& px, int32_t& py) const {
    const int32_t dx = wx - PictureX;
    const int32_t dy = wy - PictureY;
    if (Scale < 1 || dx < 0 || dy < 0 || dx / Scale >= kPictureWidth ||
        dy / Scale >= kPictureHeight)
        return false;
    px = dx / Scale;
    py = dy / Scale;
    return true;
}

void TfwGameApp::ClearScreen() {
    SDL_Surface* s = GetSurface();
    if (s == nullptr)
        return;
    const Uint32 black = SDL_MapRGB(s->format, 0, 0, 0);
    // Every frame starts here: the desktop's picture, black being 0, is
    // cleared with memset, several times faster than SDL's fill of 16-bit
    // pixels. The same pixels: the clip rectangle, as SDL_FillRect fills it.
    if (kHandheld || s != BackBuffer || black != 0 || SDL_MUSTLOCK(s) ||
        s->format->BytesPerPixel != 2) {
        SDL_FillRect(s, nullptr, black);
        return;
    }
    const SDL_Rect& clip = s->clip_rect;
    for (int32_t y = clip.y; y < clip.y + clip.h; ++y)
        std::memset(MutablePictureRow(s, y) + clip.x, 0, static_cast<size_t>(clip.w) * 2);
}

void TfwGameApp::Flip() {
    if (!kHandheld && BackBuffer != nullptr && Screen != nullptr &&
        BackBuffer->w == kPictureWidth && BackBuffer->h == kPictureHeight &&
        BackBuffer->format->BytesPerPixel == 2) {
        Present();
        return;
    }
    if (BackBuffer != nullptr)
        SDL_BlitSurface(BackBuffer, nullptr, Screen, nullptr);
    if (Screen != nullptr)
        SDL_Flip(Screen);
}

// Sends what changed since the last presented picture, scaled into the window:
// one rectangle per band of changed rows, as wide as the changes in it.
// Nothing when nothing changed; the whole window after a mode change or expose.
void TfwGameApp::Present() {
    const size_t size = static_cast<size_t>(kPictureWidth) * kPictureHeight;
    const bool all = PresentAll || Presented.size() != size;
    Presented.resize(size);
    PresentAll = false;
    std::vector<SDL_Rect> rects;
    bool open = false;
    for (int32_t y = 0; y < kPictureHeight; ++y) {
        const Uint16* now = PictureRow(BackBuffer, y);
        Uint16* last = &Presented[static_cast<size_t>(y) * kPictureWidth];
        int32_t first = 0;
        int32_t end = kPictureWidth - 1;
        if (!all && !RowChange(now, last, kPictureWidth, first, end)) {
            open = false;
            continue;
        }
        std::memcpy(last, now, kPictureWidth * sizeof(Uint16));
        if (!open) {
            rects.push_back(fwMakeRect(first, y, end - first + 1, 1));
            open = true;
            continue;
        }
        SDL_Rect& r = rects.back();
        const int32_t x0 = std::min<int32_t>(r.x, first);
        const int32_t x1 = std::max<int32_t>(r.x + r.w - 1, end);
        r = fwMakeRect(x0, r.y, x1 - x0 + 1, r.h + 1);
    }
    if (rects.empty())
        return;
    pictureSent_ = true;
    ScaleIntoWindow(rects);
    if (all)
        rects.assign(1, fwMakeRect(0, 0, Screen->w, Screen->h)); // the border too
    if (updateRectsFunc)
        updateRectsFunc(Screen, static_cast<int>(rects.size()), rects.data());
    else
        SDL_UpdateRects(Screen, static_cast<int>(rects.size()), rects.data());
}

// Scales the picture rectangles into the window surface and turns them into
// window rectangles.
void TfwGameApp::ScaleIntoWindow(std::vector<SDL_Rect>& rects) {
    const bool lock = SDL_MUSTLOCK(Screen);
    if (lock && SDL_LockSurface(Screen) < 0)
        return;
    const int bpp = Screen->format->BytesPerPixel;
    const size_t pitch = Screen->pitch;
    for (SDL_Rect& r : rects) {
        // Cut to the window, in picture pixels.
        const int32_t w = std::min<int32_t>(r.w, (Screen->w - PictureX) / Scale - r.x);
        const int32_t h = std::min<int32_t>(r.h, (Screen->h - PictureY) / Scale - r.y);
        r.w = static_cast<Uint16>(std::max(0, w));
        r.h = static_cast<Uint16>(std::max(0, h));
        const size_t bytes = static_cast<size_t>(r.w) * Scale * bpp;
        for (int32_t y = r.y; y < r.y + r.h; ++y) {
            Uint8* dst = static_cast<Uint8*>(Screen->pixels) +
                         static_cast<size_t>(PictureY + y * Scale) * pitch +
                         static_cast<size_t>(PictureX + r.x * Scale) * bpp;
            const Uint16* src = PictureRow(BackBuffer, y) + r.x;
            if (bpp == 2)
                ScaleRow<Uint16>(src, r.w, Scale, WindowPixel.data(), dst);
            else if (bpp == 4)
                ScaleRow<Uint32>(src, r.w, Scale, WindowPixel.data(), dst);
            else if (bpp == 3)
                ScaleRow24(src, r.w, Scale, WindowPixel.data(), dst);
            for (int32_t k = 1; k < Scale; ++k)
                std::memcpy(dst + k * pitch, dst, bytes);
        }
        r = fwMakeRect(PictureX + r.x * Scale, PictureY + r.y * Scale, r.w * Scale, r.h * Scale);
    }
    if (lock)
        SDL_UnlockSurface(Screen);
}
