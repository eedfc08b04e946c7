// Heads-up display labels, the digit strip and the overlay banners.

#include "overlays.h"

#include "stones.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace mkmedia {

// ---------------------------------------------------------------------------
// Pictures of the heads-up display and the overlays
// ---------------------------------------------------------------------------

namespace {

const TextStyle LABEL = flatStyle(RGB(210, 240, 255), RGB(90, 170, 255), RGB(10, 20, 50));

} // namespace

Image makeLabel(const std::string& text, int maxW) {
    Mask m = pad(textMask(text), 1);
    Image im(m.w, 12);
    drawText(im, 0, 2, m, LABEL);
    if (im.w > maxW) {
        fprintf(stderr, "label %s too wide (%d > %d)\n", text.c_str(), im.w, maxW);
        exit(1);
    }
    return im;
}

Image makeDigits() {
    Image im(66, 14);
    for (int i = 0; i < 11; ++i) {
        const auto& g = hudDigit(i);
        int ox = i * 6, oy = 3;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 5; ++x)
                if (g[y][x] == '#')
                    im.set(ox + x + 1, oy + y + 1, RGB(70, 25, 0)); // shadow
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 5; ++x)
                if (g[y][x] == '#') {
                    RGB c = mix(RGB(255, 240, 120), RGB(255, 120, 0), y / 8.0);
                    im.set(ox + x, oy + y, c);
                }
    }
    return im;
}

namespace {

constexpr int kBannerRadius = 7;
constexpr int kLetteringMargin = kOverlayLetteringMargin;
constexpr double kBigScale = 3.0;
// Space between text and a run-time number: a space of the line's font.
constexpr int kBigNumberGap = 6;
constexpr int kSmallNumberGap = 3;

const TextStyle& smallStyle() {
    static const TextStyle st = flatStyle(RGB(255, 255, 255), RGB(190, 220, 255), RGB(10, 10, 40));
    return st;
}

Mask bigMask(const std::string& text, double scale, const TextStyle& style) {
    return pad(cutField(textField(text, scale, 0.5, 3, 0), 0.5), style.outlineW + 1);
}

Mask smallMask(const std::string& text) {
    return pad(textMask(text), 1);
}

// The big lettering at the largest of a few scales that fits between the gems
// (a run-time number counted as one digit).
double bigScaleFor(std::string text, int w, const TextStyle& style) {
    std::replace(text.begin(), text.end(), '#', '0');
    for (double scale : {kBigScale, 2.5, 2.0})
        if (bigMask(text, scale, style).w <= w - 2 * kLetteringMargin)
            return scale;
    return 2.0;
}

void drawPanel(Image& im, RGB panelTop, RGB panelBottom) {
    const int w = im.w, h = im.h;
    auto insideRound = [&](double x, double y, double inset) {
        double r = kBannerRadius - inset;
        double cx = clampd(x, kBannerRadius, w - kBannerRadius);
        double cy = clampd(y, kBannerRadius, h - kBannerRadius);
        double dx = x - cx, dy = y - cy;
        if (x < inset || y < inset || x > w - inset || y > h - inset)
            return false;
        return dx * dx + dy * dy <= r * r;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double px = x + 0.5, py = y + 0.5;
            if (!insideRound(px, py, 0))
                continue;
            RGB c;
            if (!insideRound(px, py, 1))
                c = RGB(30, 15, 5);             // dark outer line
            else if (!insideRound(px, py, 3)) { // golden border
                double t = py / h;
                c = mix(RGB(255, 230, 120), RGB(190, 110, 20), t);
                if (!insideRound(px, py, 2))
                    c = mix(c, RGB(255, 250, 210), 0.35);
                else
                    c = c * 0.85;
            } else if (!insideRound(px, py, 4))
                c = RGB(40, 20, 10); // inner line
            else {
                double t = (py - 4) / (h - 8);
                c = mix(panelTop, panelBottom, t);
                // soft horizontal shine in the upper half
                double sh = std::exp(-std::pow((t - 0.18) / 0.12, 2)) * 0.18;
                c = mix(c, RGB(255, 255, 255), sh);
                im.dither[size_t(y) * w + x] = 1;
            }
            im.set(x, y, c);
        }
    // small gems on both ends
    auto defs = stoneDefs();
    drawGem(im, 9, h / 2 - 7, 14, defs[5].shape, defs[5].look);
    drawGem(im, w - 23, h / 2 - 7, 14, defs[5].shape, defs[5].look);
}

// One line of lettering with its top at y: centred, or, with a '#' in it,
// laid around the run-time number at numberX (before it: ending a gap left of
// it; after it: starting a gap right of one digit cell). False when a number
// is marked but no place for it given.
bool drawLine(Image& im, int y, const std::string& text, int numberX, int gap, int cellW,
              const std::function<Mask(const std::string&)>& mask, const TextStyle& style) {
    const size_t mark = text.find('#');
    if (mark == std::string::npos) {
        Mask m = mask(text);
        drawText(im, (im.w - m.w) / 2, y, m, style);
        return true;
    }
    if (numberX <= 0)
        return false;
    auto trimmed = [](std::string s) {
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        while (!s.empty() && s.front() == ' ')
            s.erase(s.begin());
        return s;
    };
    const std::string before = trimmed(text.substr(0, mark));
    const std::string after = trimmed(text.substr(mark + 1));
    if (!before.empty()) {
        Mask m = mask(before);
        drawText(im, numberX - gap - m.w, y, m, style);
    }
    if (!after.empty())
        drawText(im, numberX + cellW + gap, y, mask(after), style);
    return true;
}

} // namespace

Image makeBanner(const TOverlayLettering& lettering, const TextStyle& bigStyle, RGB panelTop,
                 RGB panelBottom) {
    Image im(kOverlayWidth, kOverlayHeight);
    drawPanel(im, panelTop, panelBottom);
    if (lettering.Big[0] == '\0' && lettering.Small[0] == '\0')
        return im; // wordless: the game letters it
    const std::string big = lettering.Big, small = lettering.Small;
    const double scale = bigScaleFor(big, im.w, bigStyle);
    auto bigLine = [&](const std::string& s) { return bigMask(s, scale, bigStyle); };
    const int bigH = bigLine("A").h;
    const int totalH = bigH + (small.empty() ? 0 : kOverlaySmallDigits.Height + 1);
    const int y0 = (im.h - totalH) / 2;
    const int smallY = y0 + bigH;
    const int numberY = big.find('#') != std::string::npos ? y0 : smallY;
    bool ok = drawLine(im, y0, big, lettering.NumberX, kBigNumberGap, kOverlayBigDigits.Width,
                       bigLine, bigStyle);
    ok &= drawLine(im, smallY, small, lettering.NumberX, kSmallNumberGap, kOverlaySmallDigits.Width,
                   smallMask, smallStyle());
    if (!ok || (lettering.NumberX > 0 && lettering.NumberY != numberY)) {
        fprintf(stderr, "overlay \"%s\": the number belongs at (%d, %d)\n", lettering.Big,
                lettering.NumberX, numberY);
        exit(1);
    }
    return im;
}

Image makeOverlayDigits() {
    const TDigitCells& b = kOverlayBigDigits;
    const TDigitCells& sm = kOverlaySmallDigits;
    Image im(10 * std::max(b.Width, sm.Width), sm.Y + sm.Height);
    const TextStyle gold = bigGold();
    for (int d = 0; d < 10; ++d) {
        const std::string digit(1, char('0' + d));
        Mask big = bigMask(digit, kBigScale, gold);
        Mask small = smallMask(digit);
        if (big.w + gold.shadowDx > b.Width || big.h + gold.shadowDy > b.Height ||
            small.w > sm.Width || small.h > sm.Height) {
            fprintf(stderr, "digit %d does not fit its cells\n", d);
            exit(1);
        }
        drawText(im, d * b.Width, b.Y, big, gold);
        drawText(im, d * sm.Width, sm.Y, small, smallStyle());
    }
    return im;
}

Image makePauseSymbol() {
    const int w = kPauseSymbolWidth, h = kPauseSymbolHeight;
    Image im(2 * w, h);
    for (int cell = 0; cell < 2; ++cell) {
        const int ox = cell * w;
        // a rounded golden frame around a dark blue face
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool corner = (x == 0 || x == w - 1) && (y == 0 || y == h - 1);
                if (corner)
                    continue;
                const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
                const double t = double(y) / (h - 1);
                im.set(ox + x, y,
                       edge ? mix(RGB(255, 230, 120), RGB(190, 110, 20), t)
                            : mix(RGB(30, 40, 110), RGB(12, 14, 50), t));
            }
        const RGB sign = RGB(255, 240, 170);
        if (cell == 0) { // two bars
            im.fillRect(ox + 5, 4, 2, h - 8, sign);
            im.fillRect(ox + w - 7, 4, 2, h - 8, sign);
        } else { // a triangle pointing right
            for (int y = 4; y < h - 4; ++y) {
                const int reach = std::min(y - 4, h - 5 - y);
                im.fillRect(ox + 6, y, reach + 1, 1, sign);
            }
        }
    }
    return im;
}

TextStyle bigGold() {
    TextStyle s;
    s.top = RGB(255, 250, 170);
    s.bottom = RGB(255, 130, 0);
    s.outline = RGB(50, 20, 0);
    s.outlineW = 1;
    s.shadow = RGB(10, 5, 20);
    s.shadowDx = 2;
    s.shadowDy = 2;
    return s;
}

Image makeOverlay(const TOverlayLettering& lettering) {
    TextStyle gold = bigGold();
    TextStyle red = gold;
    red.top = RGB(255, 220, 170);
    red.bottom = RGB(230, 40, 20);
    red.outline = RGB(50, 0, 0);
    switch (lettering.Id) {
    case miPressKey:
        return makeBanner(lettering, gold, RGB(30, 40, 110), RGB(12, 14, 50));
    case miLevelDoneImage:
        return makeBanner(lettering, gold, RGB(20, 90, 40), RGB(6, 32, 14));
    case miPaused:
        return makeBanner(lettering, gold, RGB(20, 80, 90), RGB(8, 25, 40));
    case miOutOfTimeImage:
    case miNoMovesImage:
        return makeBanner(lettering, red, RGB(30, 40, 110), RGB(12, 14, 50));
    default:
        return makeBanner(lettering, red, RGB(90, 20, 50), RGB(30, 6, 20));
    }
}

} // namespace mkmedia
