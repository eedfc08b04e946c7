// Title pictures: logo, splash and the loading bar block.

#include "title.h"

#include "lettering.h"
#include "stones.h"

#include <algorithm>
#include <cmath>

namespace mkmedia {

// ---------------------------------------------------------------------------
// Title pictures
// ---------------------------------------------------------------------------

// The logo: round bold letters lit like gems, each in one of the stone colours.
Image makeLogo() {
    const std::string word = "TESSARIL";
    const RGB cols[] = {RGB(235, 45, 50),  RGB(255, 140, 25), RGB(250, 215, 40), RGB(40, 205, 80),
                        RGB(50, 200, 250), RGB(60, 100, 240), RGB(160, 80, 235), RGB(235, 75, 200)};
    const double LEVEL = 0.45;
    std::vector<int> owner;
    Field f = textField(word, 4.3, 0.5, 3, 3, &owner);
    Mask all = cutField(f, LEVEL);
    // crop to the letters plus outline and shadow
    int x0 = all.w, y0 = all.h, x1 = 0, y1 = 0;
    for (int y = 0; y < all.h; ++y)
        for (int x = 0; x < all.w; ++x)
            if (all.at(x, y)) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
    const int P = 1;
    Image im(x1 - x0 + 1 + 2 * P + 2, y1 - y0 + 1 + 2 * P + 2);
    auto inside = [&](int x, int y) { return all.at(x + x0 - P, y + y0 - P); };
    auto height = [&](int x, int y) {
        double v = f.at(x + x0 - P, y + y0 - P);
        return clampd((v - LEVEL) / 0.55, 0, 1);
    };
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            bool o = false, sh = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if (inside(x + dx, y + dy))
                        o = true;
                    if (inside(x + dx - 2, y + dy - 2))
                        sh = true;
                }
            if (o)
                im.set(x, y, RGB(28, 10, 24));
            else if (sh)
                im.set(x, y, RGB(6, 3, 14));
        }
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            if (!inside(x, y))
                continue;
            RGB base = cols[std::max(0, owner[size_t(y + y0 - P) * all.w + x + x0 - P])];
            double hx = (height(x + 1, y) - height(x - 1, y)) * 0.5,
                   hy = (height(x, y + 1) - height(x, y - 1)) * 0.5;
            double hh = height(x, y);
            V3 n = V3{-hx * 3.2, -hy * 3.2, 1}.norm();
            double t = (y - P) / double(im.h - 2 * P - 2);
            RGB c = lit(base, n, 0.12 - 0.28 * t + 0.1 * hh);
            im.set(x, y, c);
        }
    // a few sparkles
    const int spark[][2] = {{6, 5}, {62, 6}, {139, 5}, {180, 6}};
    for (auto& s : spark) {
        int sx = s[0], sy = s[1];
        if (!inside(sx, sy))
            continue;
        im.set(sx, sy, RGB(255, 255, 255));
        for (int k = 1; k <= 2; ++k) {
            RGB w = k == 1 ? RGB(255, 255, 250) : RGB(255, 245, 210);
            if (inside(sx + k, sy))
                im.set(sx + k, sy, w);
            if (inside(sx - k, sy))
                im.set(sx - k, sy, w);
            if (inside(sx, sy + k))
                im.set(sx, sy + k, w);
            if (inside(sx, sy - k))
                im.set(sx, sy - k, w);
        }
    }
    return im;
}

Image makeSplash() {
    const int W = 320, H = 240;
    Image im(W, H);
    Rng rng(7731);
    // deep blue to violet gradient with a glow at the upper right
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double t = y / double(H);
            RGB c = mix(RGB(16, 14, 58), RGB(46, 14, 70), t);
            double gx = (x - 270) / 160.0, gy = (y - 20) / 130.0;
            c = mix(c, RGB(90, 50, 140), 0.55 * std::exp(-(gx * gx + gy * gy)));
            double lx = (x - 40) / 170.0, ly = (y - 250) / 90.0;
            c = mix(c, RGB(20, 70, 110), 0.5 * std::exp(-(lx * lx + ly * ly)));
            im.set(x, y, c);
            im.dither[size_t(y) * W + x] = 1;
        }
    // a faint mosaic of square tiles
    const int TS = 16;
    for (int ty = 0; ty < H / TS; ++ty)
        for (int tx = 0; tx < W / TS; ++tx) {
            double v = rng.range(0.92, 1.10);
            for (int y = ty * TS; y < ty * TS + TS; ++y)
                for (int x = tx * TS; x < tx * TS + TS; ++x) {
                    RGB c = unpack(im.get(x, y)) * v;
                    int lx = x - tx * TS, ly = y - ty * TS;
                    if (lx == 0 || ly == 0)
                        c = c * 0.72;
                    else if (lx == 1 || ly == 1)
                        c = c * 1.12;
                    im.set(x, y, c);
                }
        }
    // soft diagonal light beams
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double u = (x * 0.8 + y * 0.6);
            double b = std::pow(std::max(0.0, std::sin(u / 23.0)), 12) * 0.10 * (1 - y / double(H));
            im.set(x, y, mix(unpack(im.get(x, y)), RGB(200, 180, 255), b));
        }
    // scattered gems: bold at the edges, faint where the text goes
    auto defs = stoneDefs();
    struct Spot {
        int x, y, size, kind;
        double a;
    };
    const Spot spots[] = {
        {252, 2, 34, 4, 0.75},   {288, 22, 26, 5, 0.7},   {232, 24, 18, 1, 0.6},
        {296, -4, 18, 6, 0.55},  {268, 62, 40, 0, 0.28},  {198, 120, 46, 7, 0.16},
        {120, 74, 30, 2, 0.13},  {288, 150, 36, 3, 0.28}, {40, 124, 28, 6, 0.14},
        {236, 176, 30, 1, 0.22}, {2, 214, 26, 3, 0.7},    {30, 226, 20, 0, 0.6},
        {300, 214, 28, 2, 0.65}, {150, 228, 18, 5, 0.5},  {270, 226, 16, 8, 0.55},
        {90, 230, 14, 4, 0.5},   {206, 232, 12, 2, 0.5},  {310, 100, 22, 8, 0.3},
        {160, 170, 22, 4, 0.12},
    };
    for (const Spot& s : spots) {
        const StoneDef& d = defs[s.kind];
        drawGem(im, s.x, s.y, s.size, d.shape, d.look, s.a);
    }
    // little twinkles
    for (int i = 0; i < 40; ++i) {
        int x = rng.below(W), y = rng.below(H);
        double a = rng.range(0.25, 0.7);
        if (y > 44 && y < 210)
            a *= 0.5;
        im.blend(x, y, RGB(255, 255, 255), a);
        im.blend(x - 1, y, RGB(220, 220, 255), a * 0.4);
        im.blend(x + 1, y, RGB(220, 220, 255), a * 0.4);
        im.blend(x, y - 1, RGB(220, 220, 255), a * 0.4);
        im.blend(x, y + 1, RGB(220, 220, 255), a * 0.4);
    }
    // vignette
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            double dx = (x - W / 2.0) / (W / 2.0), dy = (y - H / 2.0) / (H / 2.0);
            double v = 1 - 0.35 * std::pow(std::min(1.0, (dx * dx + dy * dy) / 2), 1.5);
            im.set(x, y, unpack(im.get(x, y)) * v);
        }
    return im;
}

// One block of the loading bar: a small silver-white tile with a gap.
Image makeBarBlock() {
    Image im(12, 12);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x) {
            RGB c = mix(RGB(255, 255, 255), RGB(170, 190, 225), (x + y) / 20.0);
            if (x == 0 || y == 0)
                c = RGB(255, 255, 255);
            if (x == 10 || y == 10)
                c = RGB(90, 100, 140);
            if ((x == 0 || x == 10) && (y == 0 || y == 10))
                continue; // round corners
            im.set(x, y, c);
        }
    im.set(2, 2, RGB(255, 255, 255));
    return im;
}

} // namespace mkmedia
