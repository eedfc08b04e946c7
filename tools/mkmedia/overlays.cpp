// Heads-up display labels, the digit strip and the overlay banners.

#include "overlays.h"

#include "stones.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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

// A framed banner with big lettering and a smaller second line.
Image makeBanner(int w, int h, const std::string& big, const std::string& small,
                 const TextStyle& bigStyle, RGB panelTop, RGB panelBottom) {
    Image im(w, h);
    const int R = 7; // corner radius
    auto insideRound = [&](double x, double y, double inset) {
        double r = R - inset;
        double cx = clampd(x, R, w - R), cy = clampd(y, R, h - R);
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
    // big lettering
    int bigH = 0;
    if (!big.empty()) {
        Mask m = pad(cutField(textField(big, 3.0, 0.5, 3, 0), 0.5), bigStyle.outlineW + 1);
        bigH = m.h;
        int totalH = bigH + (small.empty() ? 0 : 10);
        int y0 = (h - totalH) / 2;
        drawText(im, (w - m.w) / 2, y0, m, bigStyle);
        if (!small.empty()) {
            Mask sm = pad(textMask(small), 1);
            const TextStyle st = flatStyle(RGB(255, 255, 255), RGB(190, 220, 255), RGB(10, 10, 40));
            drawText(im, (w - sm.w) / 2, y0 + bigH, sm, st);
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
    switch (lettering.Id) {
    case miPressKey:
        return makeBanner(250, 50, lettering.Big, lettering.Small, gold, RGB(30, 40, 110),
                          RGB(12, 14, 50));
    case miPaused:
        return makeBanner(250, 50, lettering.Big, lettering.Small, gold, RGB(20, 80, 90),
                          RGB(8, 25, 40));
    default: {
        TextStyle red = gold;
        red.top = RGB(255, 220, 170);
        red.bottom = RGB(230, 40, 20);
        red.outline = RGB(50, 0, 0);
        return makeBanner(250, 50, lettering.Big, lettering.Small, red, RGB(90, 20, 50),
                          RGB(30, 6, 20));
    }
    }
}

} // namespace mkmedia
