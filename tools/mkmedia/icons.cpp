// The desktop icon.

#include "icons.h"

#include "stones.h"

#include <algorithm>
#include <cmath>

namespace mkmedia {

namespace {

// Share of the pixel (x, y) inside a square of side `size` with corners
// rounded by radius r, from 4 x 4 samples.
double roundedCover(int size, double r, int x, int y) {
    const int SS = 4;
    int in = 0;
    for (int sy = 0; sy < SS; ++sy)
        for (int sx = 0; sx < SS; ++sx) {
            double px = x + (sx + 0.5) / SS, py = y + (sy + 0.5) / SS;
            double cx = clampd(px, r, size - r), cy = clampd(py, r, size - r);
            double dx = px - cx, dy = py - cy;
            if (dx * dx + dy * dy <= r * r)
                ++in;
        }
    return in / double(SS * SS);
}

// Distance of (px, py) from the edge of the rounded square, inwards.
double insetOf(int size, double r, double px, double py) {
    double cx = clampd(px, r, size - r), cy = clampd(py, r, size - r);
    double d = std::hypot(px - cx, py - cy);
    double straight = std::min(std::min(px, size - px), std::min(py, size - py));
    return (px == cx || py == cy) ? straight : r - d;
}

// The tile: a golden rim around a deep blue board, lighter at the top.
RGB tileColour(int size, double r, int x, int y) {
    double px = x + 0.5, py = y + 0.5;
    double inset = insetOf(size, r, px, py);
    double rim = std::max(1.0, size / 24.0);
    if (inset < rim)
        return mix(RGB(255, 225, 110), RGB(180, 100, 20), py / size);
    if (inset < rim + std::max(1.0, size / 48.0))
        return RGB(30, 15, 8);
    RGB c = mix(RGB(40, 46, 130), RGB(14, 12, 50), py / size);
    double shine = std::exp(-std::pow((py / size - 0.15) / 0.12, 2)) * 0.15;
    return mix(c, RGB(255, 255, 255), shine);
}

} // namespace

Icon makeIcon(int size) {
    Icon icon{Image(size, size, 0), Image(size, size, 0)};
    const double r = size * 0.2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            icon.colour.set(x, y, tileColour(size, r, x, y));
            int a = int(std::lround(roundedCover(size, r, x, y) * 255));
            icon.alpha.set(x, y, uint32_t(a) << 16 | uint32_t(a) << 8 | uint32_t(a));
        }
    // four stones in two rows: star, diamond / hexagon, heart
    const std::vector<StoneDef> defs = stoneDefs();
    const int kinds[4] = {3, 5, 1, 4};
    const int gem = int(std::lround(size * 0.42));
    const int gap = int(std::lround(size * 0.04));
    const int x0 = (size - 2 * gem - gap) / 2;
    for (int i = 0; i < 4; ++i) {
        const StoneDef& d = defs[size_t(kinds[i])];
        drawGem(icon.colour, x0 + (i % 2) * (gem + gap), x0 + (i / 2) * (gem + gap), gem, d.shape,
                d.look, 1.0);
    }
    return icon;
}

} // namespace mkmedia
