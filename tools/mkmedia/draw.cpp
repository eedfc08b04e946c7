// Shared drawing helpers: pictures, their BMP writer, shapes and gems.

#include "draw.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>

namespace mkmedia {

namespace {

const int BAYER4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Rounds every pixel to a value that a 16-bit (RGB565) display shows
// unchanged, and keeps visible pixels away from the key colour.
void roundTo565(Image& im) {
    for (int y = 0; y < im.h; ++y)
        for (int x = 0; x < im.w; ++x) {
            uint32_t p = im.get(x, y);
            if (p == KEY)
                continue;
            RGB c = unpack(p);
            int r, g, b;
            if (im.dither[size_t(y) * im.w + x]) { // ordered dither between the two nearest levels
                double d = (BAYER4[y & 3][x & 3] + 0.5) / 16.0;
                r = int(clampd(std::floor(c.r * 31 / 255.0 + d), 0, 31));
                g = int(clampd(std::floor(c.g * 63 / 255.0 + d), 0, 63));
                b = int(clampd(std::floor(c.b * 31 / 255.0 + d), 0, 31));
            } else { // nearest level
                r = int(clampd(std::floor(c.r * 31 / 255.0 + 0.5), 0, 31));
                g = int(clampd(std::floor(c.g * 63 / 255.0 + 0.5), 0, 63));
                b = int(clampd(std::floor(c.b * 31 / 255.0 + 0.5), 0, 31));
            }
            if (r == 31 && b == 31 && g < 4)
                g = 4; // would turn transparent
            im.set(x, y,
                   uint32_t((r << 3) | (r >> 2)) << 16 | uint32_t((g << 2) | (g >> 4)) << 8 |
                       uint32_t((b << 3) | (b >> 2)));
        }
}

} // namespace

bool saveBMP(Image im, const std::string& path) {
    roundTo565(im);
    return saveExactBMP(im, path);
}

bool saveExactBMP(const Image& im, const std::string& path) {
    SDL_Surface* s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, im.w, im.h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (!s) {
        fprintf(stderr, "surface: %s\n", SDL_GetError());
        return false;
    }
    SDL_LockSurface(s);
    for (int y = 0; y < im.h; ++y) {
        uint8_t* row = static_cast<uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(y) * s->pitch;
        for (int x = 0; x < im.w; ++x) {
            uint32_t p = im.get(x, y);
            row[x * 3 + 0] = p & 255;         // blue
            row[x * 3 + 1] = (p >> 8) & 255;  // green
            row[x * 3 + 2] = (p >> 16) & 255; // red
        }
    }
    SDL_UnlockSurface(s);
    int rc = SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
    if (rc != 0) {
        fprintf(stderr, "cannot write %s: %s\n", path.c_str(), SDL_GetError());
        return false;
    }
    printf("  %-28s %3d x %3d\n", path.c_str(), im.w, im.h);
    return true;
}

// ---------------------------------------------------------------------------
// Geometry
// ---------------------------------------------------------------------------

bool insidePoly(const Poly& p, double x, double y) {
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if (((p[i].y > y) != (p[j].y > y)) &&
            (x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x))
            in = !in;
    }
    return in;
}

V2 centroid(const Poly& p) {
    double a = 0, cx = 0, cy = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const V2& u = p[i];
        const V2& v = p[(i + 1) % p.size()];
        double c = u.x * v.y - v.x * u.y;
        a += c;
        cx += (u.x + v.x) * c;
        cy += (u.y + v.y) * c;
    }
    return {cx / (3 * a), cy / (3 * a)};
}

// Keeps the outline clockwise on screen (y down), so edge normals point out.
void orient(Poly& p) {
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const V2& u = p[i];
        const V2& v = p[(i + 1) % p.size()];
        a += u.x * v.y - v.x * u.y;
    }
    if (a < 0)
        std::reverse(p.begin(), p.end());
}

// Scales and centres a shape into the box [m, 24-m] of a 24-unit cell.
Poly fitCell(Poly p, double margin, double dy) {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (auto& v : p) {
        x0 = std::min(x0, v.x);
        x1 = std::max(x1, v.x);
        y0 = std::min(y0, v.y);
        y1 = std::max(y1, v.y);
    }
    double k = (24 - 2 * margin) / std::max(x1 - x0, y1 - y0);
    for (auto& v : p) {
        v.x = 12 + (v.x - (x0 + x1) / 2) * k;
        v.y = 12 + dy + (v.y - (y0 + y1) / 2) * k;
    }
    orient(p);
    return p;
}

Poly regular(int n, double r, double rotDeg) {
    Poly p;
    for (int i = 0; i < n; ++i) {
        double a = (rotDeg + 360.0 * i / n) * PI / 180;
        p.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return p;
}

Poly starShape(int n, double ro, double ri) {
    Poly p;
    for (int i = 0; i < 2 * n; ++i) {
        double a = (-90 + 180.0 * i / n) * PI / 180;
        double r = (i & 1) ? ri : ro;
        p.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return p;
}

Poly chamfered(double x0, double y0, double x1, double y1, double c) {
    return {{x0 + c, y0}, {x1 - c, y0}, {x1, y0 + c}, {x1, y1 - c},
            {x1 - c, y1}, {x0 + c, y1}, {x0, y1 - c}, {x0, y0 + c}};
}

Poly heartShape(int n) {
    Poly p;
    for (int i = 0; i < n; ++i) {
        double t = 2 * PI * i / n;
        double s = std::sin(t);
        p.push_back({16 * s * s * s, -(13 * std::cos(t) - 5 * std::cos(2 * t) -
                                       2 * std::cos(3 * t) - std::cos(4 * t))});
    }
    return p;
}

Poly dropShape(int n) {
    Poly p;
    for (int i = 0; i < n; ++i) {
        double t = 2 * PI * i / n;
        p.push_back({0.78 * std::sin(t) * std::pow(std::sin(t / 2), 1.15), -std::cos(t)});
    }
    return p;
}

Poly plusShape(double arm, double c) {
    // arm: half width of the bars; the shape spans -1..1
    double a = arm, e = 1.0;
    return {{-a + c, -e}, {a - c, -e},  {a, -e + c},  {a, -a},  {e - c, -a},
            {e, -a + c},  {e, a - c},   {e - c, a},   {a, a},   {a, e - c},
            {a - c, e},   {-a + c, e},  {-a, e - c},  {-a, a},  {-e + c, a},
            {-e, a - c},  {-e, -a + c}, {-e + c, -a}, {-a, -a}, {-a, -e + c}};
}

Poly triangleShape() {
    Poly t = {{0, -1}, {0.95, 0.72}, {-0.95, 0.72}};
    Poly p; // small cuts at the corners
    for (size_t i = 0; i < 3; ++i) {
        V2 a = t[i], b = t[(i + 1) % 3], c = t[(i + 2) % 3];
        double k = 0.09;
        p.push_back({a.x + (c.x - a.x) * k, a.y + (c.y - a.y) * k});
        p.push_back({a.x + (b.x - a.x) * k, a.y + (b.y - a.y) * k});
    }
    return p;
}

// ---------------------------------------------------------------------------
// Gem renderer: a polygon outline with a flat table in the middle and two
// rings of bevelled facets around it, lit from the top left.
// ---------------------------------------------------------------------------

const V3 LIGHT = V3{-0.55, -0.75, 0.95}.norm();

RGB lit(const RGB& base, const V3& n, double boost) {
    double d = std::max(0.0, n.dot(LIGHT));
    V3 h = V3{LIGHT.x, LIGHT.y, LIGHT.z + 1}.norm();
    double s = std::pow(std::max(0.0, n.dot(h)), 28);
    double k = 0.28 + 0.92 * d + boost;
    RGB c = base * std::min(k, 1.0);
    if (k > 1)
        c = mix(c, RGB(255, 255, 255), std::min(0.6, (k - 1) * 0.9));
    return mix(c, RGB(255, 255, 255), std::min(0.85, s * 0.75));
}

namespace {

struct Sample {
    bool in;
    RGB c;
};

Sample gemSample(const Poly& P, V2 C, const GemLook& g, double x, double y) {
    Sample s{false, RGB()};
    if (!insidePoly(P, x, y))
        return s;
    s.in = true;
    if (g.pearl) {
        // sphere shading for the round pearl
        double r = 0;
        for (auto& v : P)
            r = std::max(r, std::hypot(v.x - C.x, v.y - C.y));
        double dx = (x - C.x) / r, dy = (y - C.y) / r;
        double z = std::sqrt(std::max(0.0, 1 - dx * dx - dy * dy));
        V3 n{dx, dy, z};
        RGB c = lit(g.base * 0.92, n, -0.05);
        // a faint rainbow sheen towards the rim
        double rim = 1 - z;
        RGB sheen(200 + 55 * std::sin(dx * 3 + 1), 190 + 50 * std::sin(dy * 3 + 2), 235);
        c = mix(c, sheen * 0.8, rim * 0.35);
        s.c = c;
        return s;
    }
    size_t n = P.size();
    for (size_t i = 0; i < n; ++i) {
        V2 a{P[i].x - C.x, P[i].y - C.y}, b{P[(i + 1) % n].x - C.x, P[(i + 1) % n].y - C.y};
        double px = x - C.x, py = y - C.y;
        double det = a.x * b.y - a.y * b.x;
        if (std::fabs(det) < 1e-9)
            continue;
        double u = (px * b.y - py * b.x) / det;
        double v = (a.x * py - a.y * px) / det;
        if (u < -1e-9 || v < -1e-9)
            continue;
        double t = u + v; // 0 at the centre, 1 on the outline
        if (t > 1 + 1e-6)
            continue;
        if (t <= g.table) {
            // the table: clear glass with light gathering low right
            double gx = (x - C.x) / 12.0, gy = (y - C.y) / 12.0;
            double glow = clampd(0.5 + 0.6 * (gx + gy) * 0.5 / g.table, 0, 1);
            RGB c = lit(g.base, V3{0, 0, 1}, -0.08 + 0.22 * glow);
            s.c = c;
            return s;
        }
        double ex = b.x - a.x, ey = b.y - a.y, el = std::hypot(ex, ey);
        V2 nn{ey / el, -ex / el}; // outward for a clockwise outline on screen
        double tilt = t < g.ring ? g.tilt1 : g.tilt2;
        V3 nv{nn.x * std::sin(tilt), nn.y * std::sin(tilt), std::cos(tilt)};
        s.c = lit(g.base, nv, t < g.ring ? 0.04 : -0.04);
        return s;
    }
    s.c = g.base;
    return s;
}

} // namespace

// Draws a gem whose outline is given in 24-unit cell coordinates into `dst`
// at (ox, oy) scaled to `size` pixels. opacity < 0: hard edges with a dark
// rim on a keyed background; otherwise blended into what is there already.
void drawGem(Image& dst, int ox, int oy, int size, const Poly& cellPoly, const GemLook& g,
             double opacity) {
    double k = size / 24.0;
    Poly P;
    for (auto& v : cellPoly)
        P.push_back({v.x * k, v.y * k});
    V2 C = centroid(P);
    Image tmp(size, size);
    std::vector<double> cover(size_t(size) * size, 0);
    const int SS = 4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int cnt = 0;
            RGB acc;
            for (int sy = 0; sy < SS; ++sy)
                for (int sx = 0; sx < SS; ++sx) {
                    Sample s = gemSample(P, C, g, x + (sx + 0.5) / SS, y + (sy + 0.5) / SS);
                    if (s.in) {
                        ++cnt;
                        acc = acc + s.c;
                    }
                }
            if (cnt) {
                cover[size_t(y) * size + x] = cnt / double(SS * SS);
                tmp.set(x, y, acc * (1.0 / cnt));
            }
        }
    // sparkle near the upper left of the table
    if (g.glint > 0) {
        double r = 0;
        for (auto& v : P)
            r = std::max(r, std::hypot(v.x - C.x, v.y - C.y));
        double gx = C.x - r * (g.pearl ? 0.38 : 0.30), gy = C.y - r * (g.pearl ? 0.40 : 0.30);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                if (cover[size_t(y) * size + x] <= 0)
                    continue;
                double dx = x + 0.5 - gx, dy = y + 0.5 - gy;
                double spot = std::exp(-(dx * dx + dy * dy) / (0.9 * k * k + 0.6));
                double cross = (std::fabs(dx) < 0.6 ? std::exp(-dy * dy / (4.0 * k * k)) : 0) +
                               (std::fabs(dy) < 0.6 ? std::exp(-dx * dx / (4.0 * k * k)) : 0);
                double a = clampd((spot + 0.55 * cross) * g.glint, 0, 1);
                tmp.set(x, y, mix(unpack(tmp.get(x, y)), RGB(255, 255, 255), a));
            }
    }
    if (opacity < 0) {
        Image out(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (cover[size_t(y) * size + x] >= 0.45)
                    out.set(x, y, tmp.get(x, y));
        // dark rim along the outline
        RGB rim = g.base * 0.28;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                if (!out.opaque(x, y))
                    continue;
                bool edge = !out.opaque(x - 1, y) || !out.opaque(x + 1, y) ||
                            !out.opaque(x, y - 1) || !out.opaque(x, y + 1);
                if (edge)
                    tmp.set(x, y, mix(unpack(out.get(x, y)), rim, 0.72));
                else
                    tmp.set(x, y, out.get(x, y));
            }
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (out.opaque(x, y))
                    dst.set(ox + x, oy + y, tmp.get(x, y));
    } else {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                double c = cover[size_t(y) * size + x];
                if (c > 0)
                    dst.blend(ox + x, oy + y, unpack(tmp.get(x, y)), c * opacity);
            }
    }
}

} // namespace mkmedia
