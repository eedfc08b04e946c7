// The board's pictures.

#include "stones.h"

#include "lettering.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mkmedia {

// ---------------------------------------------------------------------------
// The stones
// ---------------------------------------------------------------------------

std::vector<StoneDef> stoneDefs() {
    std::vector<StoneDef> v;
    auto add = [&](const char* f, RGB c, Poly p, GemLook g) {
        g.base = c;
        v.push_back({f, c, std::move(p), g});
    };
    GemLook std_;
    // dark blue: cushion-cut square
    add("dblue", RGB(40, 80, 235), fitCell(chamfered(-1, -1, 1, 1, 0.26), 2.0), std_);
    // green: hexagon standing on a point
    add("green", RGB(30, 200, 70), fitCell(regular(6, 1, -90), 1.0), std_);
    // orange: triangle
    {
        GemLook g = std_;
        g.table = 0.45;
        add("orange", RGB(255, 135, 20), fitCell(triangleShape(), 1.0, 0.8), g);
    }
    // purple: five-pointed star
    {
        GemLook g = std_;
        g.table = 0.42;
        g.ring = 0.70;
        add("purple", RGB(150, 70, 230), fitCell(starShape(5, 1, 0.48), 0.8, 0.6), g);
    }
    // red: heart
    {
        GemLook g = std_;
        g.table = 0.48;
        add("red", RGB(235, 35, 45), fitCell(heartShape(28), 1.2, 0.3), g);
    }
    // yellow: upright diamond (rhombus)
    add("yellow", RGB(250, 220, 30), fitCell({{0, -1}, {0.78, 0}, {0, 1}, {-0.78, 0}}, 0.8), std_);
    // light blue: drop
    {
        GemLook g = std_;
        g.table = 0.5;
        add("blue", RGB(50, 200, 250), fitCell(dropShape(28), 1.0), g);
    }
    // pink-magenta: plus / cross
    {
        GemLook g = std_;
        g.table = 0.46;
        add("magenta", RGB(235, 70, 200), fitCell(plusShape(0.40, 0.14), 1.5), g);
    }
    // white: round pearl
    {
        GemLook g = std_;
        g.pearl = true;
        g.glint = 1.0;
        add("white", RGB(235, 235, 240), fitCell(regular(48, 1, 0), 1.6), g);
    }
    return v;
}

Image makeStone(const StoneDef& d) {
    Image im(24, 24);
    drawGem(im, 0, 0, 24, d.shape, d.look);
    return im;
}

// Hourglass: the bonus time stone
Image makeTimeStone() {
    Image im(24, 24);
    // glass bulbs: light cyan, lit from the top left
    auto glassW = [](double y) { // half width of the glass at height y (3..21)
        double t = (y - 12) / 8.6;
        double w = 1.2 + 7.0 * std::pow(std::fabs(t), 0.9);
        return std::min(w, 7.8);
    };
    for (int y = 4; y <= 19; ++y)
        for (int x = 0; x < 24; ++x) {
            double cx = x + 0.5 - 12, w = glassW(y + 0.5);
            if (std::fabs(cx) > w)
                continue;
            double u = cx / w;
            RGB glass = mix(RGB(150, 225, 255), RGB(40, 110, 190), clampd(0.5 + 0.5 * u, 0, 1));
            // sand: a heap at the bottom and a little left at the top, and a thin stream
            // sand: a layer left in the upper bulb, a thin stream, a heap below
            double ax = std::fabs(cx);
            bool sand = (y >= 8 && y <= 10 && ax < w - 1.0) || (y >= 11 && y < 15 && ax < 0.6) ||
                        (y >= 15 && ax < w - 0.8 && (19.5 - y) * 1.7 > ax - 1.5);
            if (sand)
                glass = mix(RGB(255, 215, 80), RGB(200, 120, 20), clampd(0.5 + 0.5 * u, 0, 1));
            if (std::fabs(std::fabs(cx) - w) < 1.0)
                glass = glass * 0.55; // glass edge
            im.set(x, y, glass);
        }
    // shine on the glass
    for (int y = 5; y <= 9; ++y)
        im.set(9 - (y - 5) / 3 + (y > 7), y, RGB(235, 250, 255));
    for (int y = 15; y <= 18; ++y)
        im.set(8, y, RGB(230, 245, 255));
    // golden posts
    for (int y = 4; y <= 19; ++y) {
        im.set(3, y, RGB(230, 170, 40));
        im.set(4, y, RGB(150, 95, 20));
        im.set(19, y, RGB(200, 140, 30));
        im.set(20, y, RGB(110, 65, 10));
    }
    // golden plates, top and bottom
    for (int pass = 0; pass < 2; ++pass) {
        int y0 = pass ? 19 : 1;
        for (int y = y0; y < y0 + 4; ++y)
            for (int x = 1; x < 23; ++x) {
                double t = (y - y0) / 3.0;
                RGB c = mix(RGB(255, 240, 140), RGB(160, 95, 10), t);
                if (x == 1 || x == 22 || y == y0 || y == y0 + 3)
                    c = c * 0.6;
                if (y == y0 + 1 && x > 2 && x < 21)
                    c = mix(c, RGB(255, 255, 220), 0.5);
                im.set(x, y, c);
            }
    }
    // dark outline
    Image out = im;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (!im.opaque(x, y) && (im.opaque(x - 1, y) || im.opaque(x + 1, y) ||
                                     im.opaque(x, y - 1) || im.opaque(x, y + 1)))
                out.set(x, y, RGB(40, 25, 10));
    return out;
}

Image makeBomb() {
    Image im(24, 24);
    const double cx = 11.0, cy = 13.5, r = 9.3;
    const int SS = 4;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            int cnt = 0;
            RGB acc;
            for (int sy = 0; sy < SS; ++sy)
                for (int sx = 0; sx < SS; ++sx) {
                    double px = x + (sx + 0.5) / SS, py = y + (sy + 0.5) / SS;
                    double dx = (px - cx) / r, dy = (py - cy) / r;
                    double d2 = dx * dx + dy * dy;
                    if (d2 > 1)
                        continue;
                    double z = std::sqrt(1 - d2);
                    V3 n{dx, dy, z};
                    double d = std::max(0.0, n.dot(LIGHT));
                    V3 h = V3{LIGHT.x, LIGHT.y, LIGHT.z + 1}.norm();
                    double sp = std::pow(std::max(0.0, n.dot(h)), 40);
                    RGB c = RGB(70, 75, 100) * (0.25 + 0.95 * d);
                    double back =
                        std::max(0.0, dx * 0.6 + dy * 0.8) * (1 - z); // rim light low right
                    c = c + RGB(60, 90, 150) * (back * 1.6);
                    c = mix(c, RGB(255, 255, 255), std::min(0.9, sp * 1.2));
                    acc = acc + c;
                    ++cnt;
                }
            if (cnt >= 7)
                im.set(x, y, acc * (1.0 / cnt));
        }
    // rim
    Image out = im;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (im.opaque(x, y) && (!im.opaque(x - 1, y) || !im.opaque(x + 1, y) ||
                                    !im.opaque(x, y - 1) || !im.opaque(x, y + 1)))
                out.set(x, y, mix(unpack(im.get(x, y)), RGB(10, 12, 25), 0.6));
    // the cap at the upper right
    const int capPx[][2] = {{15, 4}, {16, 4}, {17, 4}, {15, 5}, {16, 5}, {17, 5},
                            {18, 5}, {16, 6}, {17, 6}, {18, 6}, {18, 4}};
    for (auto& p : capPx)
        out.set(p[0], p[1], RGB(150, 155, 170));
    out.set(15, 4, RGB(210, 215, 225));
    out.set(16, 4, RGB(200, 205, 215));
    out.set(18, 6, RGB(80, 85, 100));
    out.set(17, 6, RGB(100, 105, 120));
    // fuse
    const int fuse[][2] = {{18, 3}, {19, 2}, {20, 2}};
    for (auto& p : fuse)
        out.set(p[0], p[1], RGB(190, 150, 90));
    // spark
    out.set(21, 1, RGB(255, 255, 230));
    out.set(22, 1, RGB(255, 200, 40));
    out.set(20, 1, RGB(255, 200, 40));
    out.set(21, 0, RGB(255, 230, 90));
    out.set(21, 2, RGB(255, 150, 20));
    out.set(23, 0, RGB(255, 120, 0));
    out.set(22, 3, RGB(255, 110, 0));
    out.set(23, 2, RGB(240, 80, 0));
    out.set(19, 0, RGB(255, 140, 0));
    return out;
}

// An empty bevelled frame with rivets: the fixed cells of puzzle boards.
Image makeFrameStone() {
    Image im(24, 24);
    for (int y = 1; y < 23; ++y)
        for (int x = 1; x < 23; ++x) {
            int d = std::min(std::min(x - 1, 22 - x), std::min(y - 1, 22 - y)); // 0 on the outside
            if (d > 3)
                continue;
            RGB steel(150, 160, 180);
            double shade;
            // top/left faces light, bottom/right dark, inner bevel reversed
            bool topLeft = (std::min(x - 1, y - 1) <= std::min(22 - x, 22 - y));
            if (d == 0)
                shade = 0.35;
            else if (d == 1)
                shade = topLeft ? 1.15 : 0.6;
            else if (d == 2)
                shade = 0.85;
            else
                shade = topLeft ? 0.5 : 1.05;
            RGB c = steel * shade;
            if (shade > 1)
                c = mix(steel, RGB(255, 255, 255), (shade - 1) * 2);
            im.set(x, y, c);
        }
    // rivets in the corners
    const int rv[][2] = {{3, 3}, {20, 3}, {3, 20}, {20, 20}};
    for (auto& p : rv) {
        im.set(p[0] - 1, p[1] - 1, RGB(240, 245, 255));
        im.set(p[0], p[1] - 1, RGB(190, 200, 215));
        im.set(p[0] - 1, p[1], RGB(190, 200, 215));
        im.set(p[0], p[1], RGB(70, 75, 90));
    }
    return im;
}

Image makePlus25() {
    Image im(20, 10);
    Mask m = pad(textMask("+25"), 1);
    drawText(im, (20 - m.w) / 2, 0, m,
             flatStyle(RGB(255, 255, 200), RGB(255, 200, 40), RGB(60, 25, 0)));
    return im;
}

// Four small steps of a growing gem.
Image makeSteps() {
    Image im(64, 16);
    auto defs = stoneDefs();
    const int sz[] = {7, 10, 13, 16};
    for (int i = 0; i < 4; ++i)
        drawGem(im, i * 16 + (16 - sz[i]) / 2, (16 - sz[i]) / 2, sz[i], defs[1].shape,
                defs[1].look);
    return im;
}

// The selection, steady where the cursor blinks and cool where it is warm:
// an aqua and white ring in the gap around the cell and aqua corner wedges
// over the stone's corners, which stay in sight when the cursor is on the
// same cell (its ring covers only the gap).
void drawSelection(Image& im, int ox) {
    const RGB aqua(64, 224, 248), deep(0, 140, 200), white(255, 255, 255);
    const int kWedge = 6; // the wedges' legs, in pixels along the stone's edges
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x) {
            const int ex = std::min(x, 27 - x), ey = std::min(y, 27 - y);
            const int wedge = (ex - 2) + (ey - 2); // from the stone's corner inwards
            const bool rim = ex == 0 || ey == 0;
            const bool highlight = !rim && (ex == 1 || ey == 1);
            if (highlight)
                im.set(ox + x, y, white);
            else if (rim || wedge < kWedge)
                im.set(ox + x, y, aqua);
            else if (wedge == kWedge)
                im.set(ox + x, y, deep);
        }
}

// Two frames of the cursor: a full ring, then bright corner brackets; then
// the selection's one frame.
Image makeCursor() {
    Image im(84, 28);
    auto ring = [&](int ox, int d, RGB outer, RGB inner) {
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 28; ++x) {
                int e = std::min(std::min(x, 27 - x), std::min(y, 27 - y));
                if (e == d)
                    im.set(ox + x, y, outer);
                else if (e == d + 1)
                    im.set(ox + x, y, inner);
            }
    };
    // frame 1: a white and gold ring in the gap around the cell
    ring(0, 0, RGB(255, 255, 255), RGB(255, 200, 40));
    // frame 2: orange ring with white corner brackets
    ring(28, 0, RGB(255, 150, 30), RGB(230, 90, 0));
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x) {
            int ex = std::min(x, 27 - x), ey = std::min(y, 27 - y);
            bool corner = (ex < 3 && ey < 8) || (ey < 3 && ex < 8);
            if (!corner)
                continue;
            RGB c = (ex == 2 || ey == 2) ? RGB(255, 220, 90) : RGB(255, 255, 255);
            if ((ex == 2 && ey >= 3) || (ey == 2 && ex >= 3) || (ex == 2 && ey == 2))
                c = RGB(255, 200, 40);
            im.set(28 + x, y, c);
        }
    drawSelection(im, 56);
    return im;
}

} // namespace mkmedia
