// mkmedia.cpp - builds Tessaril's media tree: pictures (BMP), sound effects
// (16-bit PCM WAV) and the music tracks (as WAV, encoded to Ogg by mkmedia.sh).
//
// Usage: mkmedia <data-dir> <work-dir>
//   pictures go to <data-dir>/images, sounds to <data-dir>/sounds,
//   music WAV files to <work-dir>/trackN.wav.
//
// Everything is drawn and synthesised here from fixed seeds, so two runs give
// byte-identical files. Magenta (255,0,255) is the transparent colour of every
// picture. The game runs on a 16-bit display, so pictures are rounded to
// RGB565 values here already (gradients with an ordered dither) and no
// visible pixel may round to the key colour.

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Small helpers
// ---------------------------------------------------------------------------

const double PI = 3.14159265358979323846;

struct Rng { // plain 32-bit LCG, enough for sprinkling things around
    uint32_t s;
    explicit Rng(uint32_t seed) : s(seed) {}
    uint32_t next() {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    }
    double unit() { return (next() & 0xFFFFFF) / double(0x1000000); } // [0,1)
    double range(double a, double b) { return a + (b - a) * unit(); }
    int below(int n) { return int(next() % uint32_t(n)); }
};

double clampd(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

struct RGB {
    double r = 0, g = 0, b = 0;
    RGB() = default;
    RGB(double r_, double g_, double b_) : r(r_), g(g_), b(b_) {}
    RGB operator*(double k) const { return RGB(r * k, g * k, b * k); }
    RGB operator+(const RGB& o) const { return RGB(r + o.r, g + o.g, b + o.b); }
};

RGB mix(const RGB& a, const RGB& b, double t) {
    return a * (1 - t) + b * t;
}

const uint32_t KEY = 0xFF00FF;

uint32_t pack(const RGB& c) {
    int r = int(clampd(c.r, 0, 255) + 0.5), g = int(clampd(c.g, 0, 255) + 0.5),
        b = int(clampd(c.b, 0, 255) + 0.5);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}
RGB unpack(uint32_t p) {
    return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
}

// ---------------------------------------------------------------------------
// Images
// ---------------------------------------------------------------------------

struct Image {
    int w, h;
    std::vector<uint32_t> px;
    std::vector<uint8_t> dither; // 1 = dither this pixel when rounding to 16 bit
    Image(int w_, int h_, uint32_t fill = KEY)
        : w(w_), h(h_), px(size_t(w_) * h_, fill), dither(size_t(w_) * h_, 0) {}
    bool in(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    uint32_t get(int x, int y) const { return in(x, y) ? px[size_t(y) * w + x] : KEY; }
    void set(int x, int y, uint32_t c) {
        if (in(x, y))
            px[size_t(y) * w + x] = c;
    }
    void set(int x, int y, const RGB& c) { set(x, y, pack(c)); }
    bool opaque(int x, int y) const { return in(x, y) && px[size_t(y) * w + x] != KEY; }
    void blend(int x, int y, const RGB& c, double a) {
        if (!in(x, y) || a <= 0)
            return;
        uint32_t& p = px[size_t(y) * w + x];
        if (p == KEY) {
            if (a >= 0.5)
                p = pack(c);
            return;
        }
        p = pack(mix(unpack(p), c, clampd(a, 0, 1)));
    }
    void fillRect(int x0, int y0, int ww, int hh, const RGB& c) {
        for (int y = y0; y < y0 + hh; ++y)
            for (int x = x0; x < x0 + ww; ++x)
                set(x, y, c);
    }
    void blit(const Image& src, int ox, int oy) {
        for (int y = 0; y < src.h; ++y)
            for (int x = 0; x < src.w; ++x)
                if (src.opaque(x, y))
                    set(ox + x, oy + y, src.get(x, y));
    }
};

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

bool saveBMP(Image im, const std::string& path) {
    roundTo565(im);
    SDL_Surface* s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, im.w, im.h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (!s) {
        fprintf(stderr, "surface: %s\n", SDL_GetError());
        return false;
    }
    SDL_LockSurface(s);
    for (int y = 0; y < im.h; ++y) {
        uint8_t* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
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

struct V2 {
    double x, y;
};
struct V3 {
    double x, y, z;
    V3 norm() const {
        double l = std::sqrt(x * x + y * y + z * z);
        return {x / l, y / l, z / l};
    }
    double dot(const V3& o) const { return x * o.x + y * o.y + z * o.z; }
};
using Poly = std::vector<V2>;

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
Poly fitCell(Poly p, double margin, double dy = 0) {
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

struct GemLook {
    RGB base;
    double table = 0.52; // size of the flat top, relative to the outline
    double ring = 0.78;  // border between the inner and outer facet ring
    double tilt1 = 0.45; // slope of the inner facets (radians)
    double tilt2 = 0.95; // slope of the outer facets
    bool pearl = false;  // round and smooth instead of faceted
    double glint = 1.0;  // strength of the sparkle
};

RGB lit(const RGB& base, const V3& n, double boost = 0) {
    double d = std::max(0.0, n.dot(LIGHT));
    V3 h = V3{LIGHT.x, LIGHT.y, LIGHT.z + 1}.norm();
    double s = std::pow(std::max(0.0, n.dot(h)), 28);
    double k = 0.28 + 0.92 * d + boost;
    RGB c = base * std::min(k, 1.0);
    if (k > 1)
        c = mix(c, RGB(255, 255, 255), std::min(0.6, (k - 1) * 0.9));
    return mix(c, RGB(255, 255, 255), std::min(0.85, s * 0.75));
}

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

// Draws a gem whose outline is given in 24-unit cell coordinates into `dst`
// at (ox, oy) scaled to `size` pixels. opacity < 0: hard edges with a dark
// rim on a keyed background; otherwise blended into what is there already.
void drawGem(Image& dst, int ox, int oy, int size, const Poly& cellPoly, const GemLook& g,
             double opacity = -1) {
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

// ---------------------------------------------------------------------------
// The stones
// ---------------------------------------------------------------------------

struct StoneDef {
    const char* file;
    RGB colour;
    Poly shape;
    GemLook look;
};

std::vector<StoneDef> stoneDefs() {
    std::vector<StoneDef> v;
    auto add = [&](const char* f, RGB c, Poly p, GemLook g) {
        g.base = c;
        v.push_back({f, c, p, g});
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

// ---------------------------------------------------------------------------
// Pixel fonts
// ---------------------------------------------------------------------------

// A proportional 7-row font; every row of a glyph has the glyph's width.
const std::map<char, std::vector<const char*>>& smallFont() {
    static const std::map<char, std::vector<const char*>> f = {
        {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
        {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
        {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
        {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
        {'E', {"####", "#   ", "#   ", "### ", "#   ", "#   ", "####"}},
        {'F', {"####", "#   ", "#   ", "### ", "#   ", "#   ", "#   "}},
        {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"}},
        {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
        {'I', {"###", " # ", " # ", " # ", " # ", " # ", "###"}},
        {'J', {"   #", "   #", "   #", "   #", "   #", "#  #", " ## "}},
        {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
        {'L', {"#   ", "#   ", "#   ", "#   ", "#   ", "#   ", "####"}},
        {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
        {'N', {"#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"}},
        {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
        {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
        {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
        {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
        {'S', {" ### ", "#   #", "#    ", " ### ", "    #", "#   #", " ### "}},
        {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
        {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
        {'V', {"#   #", "#   #", "#   #", "#   #", " # # ", " # # ", "  #  "}},
        {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"}},
        {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
        {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
        {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
        {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
        {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
        {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
        {'3', {" ### ", "#   #", "    #", "  ## ", "    #", "#   #", " ### "}},
        {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
        {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
        {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
        {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
        {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
        {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
        {'+', {"     ", "  #  ", "  #  ", "#####", "  #  ", "  #  ", "     "}},
        {'-', {"   ", "   ", "   ", "###", "   ", "   ", "   "}},
        {':', {" ", "#", " ", " ", " ", "#", " "}},
        {'!', {"#", "#", "#", "#", "#", " ", "#"}},
        {'.', {" ", " ", " ", " ", " ", " ", "#"}},
        {'/', {"    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    "}},
        {' ', {"  ", "  ", "  ", "  ", "  ", "  ", "  "}},
    };
    return f;
}

// Digits of the heads-up display: 5 x 9 glyphs.
const std::vector<const char*>& hudDigit(int i) {
    static const std::vector<std::vector<const char*>> d = {
        {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "},
        {"  #  ", " ##  ", "# #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"},
        {" ### ", "#   #", "    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"},
        {" ### ", "#   #", "    #", "    #", "  ## ", "    #", "    #", "#   #", " ### "},
        {"   # ", "  ## ", " # # ", "#  # ", "#  # ", "#####", "   # ", "   # ", "   # "},
        {"#####", "#    ", "#    ", "#### ", "    #", "    #", "    #", "#   #", " ### "},
        {"  ## ", " #   ", "#    ", "#    ", "#### ", "#   #", "#   #", "#   #", " ### "},
        {"#####", "    #", "    #", "   # ", "   # ", "  #  ", "  #  ", "  #  ", "  #  "},
        {" ### ", "#   #", "#   #", "#   #", " ### ", "#   #", "#   #", "#   #", " ### "},
        {" ### ", "#   #", "#   #", "#   #", " ####", "    #", "    #", "   # ", " ##  "},
        {"     ", "     ", " ##  ", " ##  ", "     ", "     ", " ##  ", " ##  ", "     "},
    };
    return d[i];
}

struct Mask {
    int w = 0, h = 0;
    std::vector<uint8_t> m;
    Mask() = default;
    Mask(int w_, int h_) : w(w_), h(h_), m(size_t(w_) * h_, 0) {}
    bool at(int x, int y) const {
        return x >= 0 && y >= 0 && x < w && y < h && m[size_t(y) * w + x];
    }
    void set(int x, int y) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            m[size_t(y) * w + x] = 1;
    }
};

Mask textMask(const std::string& s, int gap = 1) {
    const auto& f = smallFont();
    int w = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        auto it = f.find(s[i]);
        if (it == f.end()) {
            fprintf(stderr, "no glyph for '%c'\n", s[i]);
            exit(1);
        }
        w += int(strlen(it->second[0])) + (i + 1 < s.size() ? gap : 0);
    }
    Mask m(w, 7);
    int x = 0;
    for (char c : s) {
        const auto& g = f.at(c);
        int gw = int(strlen(g[0]));
        for (int y = 0; y < 7; ++y)
            for (int i = 0; i < gw; ++i)
                if (g[y][i] == '#')
                    m.set(x + i, y);
        x += gw + gap;
    }
    return m;
}

Mask dilate(const Mask& a, int r, bool round = true) {
    Mask b(a.w, a.h);
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x) {
            bool on = false;
            for (int dy = -r; dy <= r && !on; ++dy)
                for (int dx = -r; dx <= r && !on; ++dx) {
                    if (round && dx * dx + dy * dy > r * r + (r > 1 ? 1 : 0))
                        continue;
                    if (a.at(x + dx, y + dy))
                        on = true;
                }
            if (on)
                b.set(x, y);
        }
    return b;
}

Mask pad(const Mask& a, int p) {
    Mask b(a.w + 2 * p, a.h + 2 * p);
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (a.at(x, y))
                b.set(x + p, y + p);
    return b;
}

struct TextStyle {
    RGB top, bottom; // fill gradient
    RGB outline = RGB(20, 10, 5);
    int outlineW = 1;
    RGB shadow = RGB(0, 0, 0);
    int shadowDx = 1, shadowDy = 1;
    bool shadowOn = true;
    bool bevel = true; // lighter top edge, darker bottom edge
};

// Draws a text bitmap with outline, shadow and gradient. The mask should be
// padded by outlineW + shadow offset; it is drawn with its corner at (x, y).
void drawText(Image& dst, int x0, int y0, const Mask& text, const TextStyle& st) {
    Mask outl = st.outlineW > 0 ? dilate(text, st.outlineW) : text;
    int ty0 = text.h, ty1 = 0;
    for (int y = 0; y < text.h; ++y)
        for (int x = 0; x < text.w; ++x)
            if (text.at(x, y)) {
                ty0 = std::min(ty0, y);
                ty1 = std::max(ty1, y);
            }
    if (st.shadowOn)
        for (int y = 0; y < outl.h; ++y)
            for (int x = 0; x < outl.w; ++x)
                if (outl.at(x, y))
                    dst.set(x0 + x + st.shadowDx, y0 + y + st.shadowDy, st.shadow);
    for (int y = 0; y < outl.h; ++y)
        for (int x = 0; x < outl.w; ++x)
            if (outl.at(x, y))
                dst.set(x0 + x, y0 + y, st.outline);
    for (int y = 0; y < text.h; ++y)
        for (int x = 0; x < text.w; ++x) {
            if (!text.at(x, y))
                continue;
            double t = ty1 > ty0 ? (y - ty0) / double(ty1 - ty0) : 0;
            RGB c = mix(st.top, st.bottom, t);
            if (st.bevel) {
                if (!text.at(x, y - 1))
                    c = mix(c, RGB(255, 255, 255), 0.45);
                else if (!text.at(x, y + 1))
                    c = c * 0.72;
            }
            dst.set(x0 + x, y0 + y, c);
        }
}

// Smooth lettering: the pixel glyphs are blurred into a field and cut at a
// level, which rounds the steps into strokes.
struct Field {
    int w = 0, h = 0;
    std::vector<double> v;
    double at(int x, int y) const {
        return (x < 0 || y < 0 || x >= w || y >= h) ? 0 : v[size_t(y) * w + x];
    }
};

Field glyphField(char c, double scale, double sigma, int margin) {
    Mask g = textMask(std::string(1, c));
    Field f;
    f.w = int(std::ceil(g.w * scale)) + 2 * margin;
    f.h = int(std::ceil(g.h * scale)) + 2 * margin;
    f.v.assign(size_t(f.w) * f.h, 0);
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x) {
            double u = (x + 0.5 - margin) / scale, w = (y + 0.5 - margin) / scale, sum = 0;
            for (int gy = 0; gy < g.h; ++gy)
                for (int gx = 0; gx < g.w; ++gx)
                    if (g.at(gx, gy)) {
                        double dx = u - (gx + 0.5), dy = w - (gy + 0.5);
                        sum += std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
                    }
            f.v[size_t(y) * f.w + x] = sum;
        }
    return f;
}

// A line of smooth letters: the fields side by side, `gap` pixels apart.
Field textField(const std::string& s, double scale, double sigma, int gap, int margin,
                std::vector<int>* owner = nullptr) {
    std::vector<Field> fs;
    int w = 0, h = 0;
    for (char c : s) {
        fs.push_back(glyphField(c, scale, sigma, margin));
        w += fs.back().w - 2 * margin;
        h = std::max(h, fs.back().h);
    }
    w += gap * int(s.size() - 1) + 2 * margin;
    Field out;
    out.w = w;
    out.h = h;
    out.v.assign(size_t(w) * h, 0);
    if (owner)
        owner->assign(size_t(w) * h, -1);
    int x0 = 0;
    for (size_t i = 0; i < fs.size(); ++i) {
        const Field& f = fs[i];
        for (int y = 0; y < f.h; ++y)
            for (int x = 0; x < f.w; ++x) {
                double v = f.at(x, y);
                size_t k = size_t(y) * w + x0 + x;
                if (x0 + x < w && v > out.v[k]) {
                    out.v[k] = v;
                    if (owner)
                        (*owner)[k] = int(i);
                }
            }
        x0 += f.w - 2 * margin + gap;
    }
    return out;
}

Mask cutField(const Field& f, double level) {
    Mask m(f.w, f.h);
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x)
            if (f.at(x, y) >= level)
                m.set(x, y);
    return m;
}

// ---------------------------------------------------------------------------
// Pictures of the heads-up display and the overlays
// ---------------------------------------------------------------------------

const TextStyle LABEL = [] {
    TextStyle s;
    s.top = RGB(210, 240, 255);
    s.bottom = RGB(90, 170, 255);
    s.outline = RGB(10, 20, 50);
    s.shadowOn = false;
    s.bevel = false;
    return s;
}();

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
            TextStyle st;
            st.top = RGB(255, 255, 255);
            st.bottom = RGB(190, 220, 255);
            st.outline = RGB(10, 10, 40);
            st.shadowOn = false;
            st.bevel = false;
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

Image makePlus25() {
    Image im(20, 10);
    Mask m = pad(textMask("+25"), 1);
    TextStyle s;
    s.top = RGB(255, 255, 200);
    s.bottom = RGB(255, 200, 40);
    s.outline = RGB(60, 25, 0);
    s.shadowOn = false;
    s.bevel = false;
    drawText(im, (20 - m.w) / 2, 0, m, s);
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

// Two frames of the cursor: a full ring, then bright corner brackets.
Image makeCursor() {
    Image im(56, 28);
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
    return im;
}

// ---------------------------------------------------------------------------
// Sound
// ---------------------------------------------------------------------------

const int SR = 22050;

bool writeWav(const std::string& path, const std::vector<float>& l, const std::vector<float>* r) {
    int ch = r ? 2 : 1;
    size_t n = l.size();
    std::vector<uint8_t> b;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back((v >> (8 * i)) & 255);
    };
    auto u16 = [&](uint32_t v) {
        b.push_back(v & 255);
        b.push_back((v >> 8) & 255);
    };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    uint32_t data = uint32_t(n * ch * 2);
    tag("RIFF");
    u32(36 + data);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(ch);
    u32(SR);
    u32(SR * ch * 2);
    u16(ch * 2);
    u16(16);
    tag("data");
    u32(data);
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < ch; ++c) {
            float v = c ? (*r)[i] : l[i];
            int s = int(std::lround(clampd(v, -1, 1) * 32767));
            u16(uint16_t(int16_t(s)));
        }
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
    printf("  %-28s %6.2f s %s\n", path.c_str(), n / double(SR), ch == 2 ? "stereo" : "mono");
    return true;
}

void normalize(std::vector<float>& v, double peak) {
    double m = 1e-9;
    for (float s : v)
        m = std::max(m, double(std::fabs(s)));
    for (float& s : v)
        s = float(s * peak / m);
}

double midiHz(double m) {
    return 440.0 * std::pow(2.0, (m - 69) / 12.0);
}

// PolyBLEP pulse oscillator (band-limited edges).
struct Pulse {
    double ph = 0;
    static double blep(double t, double dt) {
        if (t < dt) {
            t /= dt;
            return t + t - t * t - 1;
        }
        if (t > 1 - dt) {
            t = (t - 1) / dt;
            return t * t + t + t + 1;
        }
        return 0;
    }
    double next(double hz, double duty) {
        double dt = hz / SR;
        double v = ph < duty ? 1 : -1;
        v += blep(ph, dt);
        double t2 = ph - duty;
        if (t2 < 0)
            t2 += 1;
        v -= blep(t2, dt);
        ph += dt;
        if (ph >= 1)
            ph -= 1;
        return v;
    }
};

struct Noise {
    uint32_t s;
    explicit Noise(uint32_t seed) : s(seed) {}
    double next() {
        s = s * 1664525u + 1013904223u;
        return ((s >> 9) & 0x7FFF) / 16383.5 - 1.0;
    }
};

struct OnePole { // simple low-pass
    double y = 0;
    double run(double x, double hz) {
        double a = 1 - std::exp(-2 * PI * hz / SR);
        y += a * (x - y);
        return y;
    }
};

std::vector<float> sndClick(double hz, double len, double tone2) {
    int n = int(len * SR);
    std::vector<float> v(n);
    Noise nz(99);
    OnePole lp;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SR;
        double env = std::exp(-t * 90);
        double f = t < len * 0.4 ? hz : hz * tone2;
        double s =
            std::sin(2 * PI * f * t) * env + 0.35 * lp.run(nz.next(), 6000) * std::exp(-t * 400);
        v[i] = float(s);
    }
    normalize(v, 0.6);
    return v;
}

std::vector<float> sndSelect() {
    int n = int(0.075 * SR);
    std::vector<float> v(n);
    Pulse p;
    OnePole lp;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SR;
        double f = t < 0.03 ? 880 : 1320;
        double env = std::min(1.0, t * 2000) * std::exp(-t * 32);
        v[i] = float(lp.run(p.next(f, 0.25), 5000) * env);
    }
    normalize(v, 0.6);
    return v;
}

std::vector<float> sndExplode() {
    int n = int(0.62 * SR);
    std::vector<float> v(n);
    Noise nz(1234);
    OnePole lp, lp2;
    Rng rng(55);
    struct Shard {
        double t0, hz, decay;
    };
    std::vector<Shard> sh;
    for (int i = 0; i < 14; ++i)
        sh.push_back({rng.range(0.0, 0.22), rng.range(1800, 5200), rng.range(18, 40)});
    double ph = 0;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SR;
        double cut = 300 + 5000 * std::exp(-t * 9);
        double boom = lp.run(nz.next(), cut) * std::exp(-t * 7) * 1.4;
        double f = 60 + 260 * std::exp(-t * 14);
        ph += f / SR;
        double thump = std::sin(2 * PI * ph) * std::exp(-t * 9) * 0.9;
        double glass = 0;
        for (auto& s : sh)
            if (t >= s.t0)
                glass +=
                    std::sin(2 * PI * s.hz * (t - s.t0)) * std::exp(-(t - s.t0) * s.decay) * 0.16;
        double fade = t > 0.5 ? std::max(0.0, (0.62 - t) / 0.12) : 1.0;
        v[i] = float((boom + thump + glass) * fade);
    }
    normalize(v, 0.8);
    return v;
}

// Short melody with pulse voices: notes as (midi, start s, length s).
struct Tone {
    double midi, t0, len;
    double duty;
    double vol;
};

std::vector<float> sndJingle(const std::vector<Tone>& tones, double total, double vib,
                             double bright) {
    int n = int(total * SR);
    std::vector<float> v(n, 0.f);
    for (const Tone& tn : tones) {
        Pulse p;
        OnePole lp, lp2;
        int i0 = int(tn.t0 * SR), i1 = std::min(n, int((tn.t0 + tn.len + 0.25) * SR));
        for (int i = i0; i < i1; ++i) {
            double t = double(i - i0) / SR;
            double a = std::min(1.0, t / 0.006);
            double rel = t > tn.len ? std::exp(-(t - tn.len) * 18) : 1.0;
            double env = a * rel * (0.65 + 0.35 * std::exp(-t * 6));
            double hz = midiHz(tn.midi + vib * std::sin(2 * PI * 5.5 * t) * std::min(1.0, t * 3));
            v[i] +=
                float(lp2.run(lp.run(p.next(hz, tn.duty), bright), bright * 1.5) * env * tn.vol);
        }
    }
    // fade the last 50 ms
    for (int i = std::max(0, n - SR / 20); i < n; ++i)
        v[i] *= float((n - i) / double(SR / 20));
    normalize(v, 0.75);
    return v;
}

std::vector<float> sndLevelDone() {
    std::vector<Tone> t;
    const int arp[] = {60, 64, 67, 72, 76, 79};
    for (int i = 0; i < 6; ++i)
        t.push_back({double(arp[i]), i * 0.09, 0.08, 0.25, 0.8});
    const int chord[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i)
        t.push_back({double(chord[i]), 0.6, 0.85, 0.5 - 0.1 * i, 0.55});
    t.push_back({48, 0.6, 0.85, 0.5, 0.6});
    return sndJingle(t, 1.75, 0.15, 7000);
}

std::vector<float> sndGameOver() {
    std::vector<Tone> t;
    const double m[] = {67, 66, 65, 64};
    for (int i = 0; i < 4; ++i)
        t.push_back({m[i], i * 0.32, 0.28, 0.5, 0.8});
    t.push_back({52, 1.28, 0.8, 0.5, 0.7});
    t.push_back({55, 1.28, 0.8, 0.25, 0.45});
    t.push_back({60, 1.28, 0.8, 0.25, 0.45});
    return sndJingle(t, 2.3, 0.35, 3000);
}

std::vector<float> sndNoMoves() {
    int n = int(1.2 * SR);
    std::vector<float> v(n, 0.f);
    Pulse p;
    OnePole lp, lp2;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SR;
        bool second = t >= 0.42;
        double lt = second ? t - 0.42 : t;
        double hz = second ? midiHz(60 - 0.8 * std::min(1.0, lt * 1.2)) : midiHz(64);
        double len = second ? 0.7 : 0.36;
        double env = std::min(1.0, lt / 0.01) * (lt < len ? 1.0 : std::exp(-(lt - len) * 90)) *
                     (second ? std::exp(-lt * 1.5) : 1.0);
        double wah = 500 + 1800 *
                               (0.5 + 0.5 * std::sin(2 * PI * (second ? 3.0 : 0.0) * lt - PI / 2)) *
                               std::exp(-lt * 2);
        v[i] = float(lp2.run(lp.run(p.next(hz, 0.5), wah), wah * 1.5) * env);
    }
    for (int i = n - SR / 20; i < n; ++i)
        v[i] *= float((n - i) / double(SR / 20));
    normalize(v, 0.75);
    return v;
}

std::vector<float> sndTimeUp() {
    int n = int(1.5 * SR);
    std::vector<float> v(n, 0.f);
    Noise nz(77);
    OnePole lp;
    // three clock ticks
    for (int k = 0; k < 3; ++k) {
        int i0 = int(k * 0.16 * SR);
        for (int i = i0; i < i0 + SR / 30 && i < n; ++i) {
            double t = double(i - i0) / SR;
            v[i] += float((std::sin(2 * PI * (k == 2 ? 2400 : 1800) * t) * 0.7 +
                           lp.run(nz.next(), 7000) * 0.4) *
                          std::exp(-t * 160));
        }
    }
    // an alarm bell that sinks
    for (int i = int(0.5 * SR); i < n; ++i) {
        double t = double(i) / SR - 0.5;
        double f = 880 * std::pow(2.0, -t * 1.1);
        double env = std::min(1.0, t / 0.005) * std::exp(-t * 2.2);
        double trem = 0.7 + 0.3 * std::sin(2 * PI * 18 * t);
        double s =
            std::sin(2 * PI * f * t) + 0.5 * std::sin(2 * PI * f * 2.76 * t) * std::exp(-t * 4);
        v[i] += float(s * env * trem * 0.6);
    }
    for (int i = n - SR / 20; i < n; ++i)
        v[i] *= float((n - i) / double(SR / 20));
    normalize(v, 0.75);
    return v;
}

// ---------------------------------------------------------------------------
// Music: a tiny tracker with pulse, triangle and bell voices and noise drums
// ---------------------------------------------------------------------------

int parseNote(const std::string& s) {
    static const int base[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int n = base[s[0] - 'A'];
    size_t i = 1;
    if (i < s.size() && s[i] == '#') {
        ++n;
        ++i;
    } else if (i < s.size() && s[i] == 'b') {
        --n;
        ++i;
    }
    int oct = std::atoi(s.c_str() + i);
    return 12 * (oct + 1) + n;
}

struct NoteEv {
    int step, len, midi;
};

// Bars of tokens: a note name starts a note, "-" holds it, "." is a rest.
std::vector<NoteEv> parseLine(const std::vector<std::string>& bars, int stepsPerToken) {
    std::vector<NoteEv> ev;
    int step = 0;
    for (const std::string& bar : bars) {
        size_t p = 0;
        while (p < bar.size()) {
            while (p < bar.size() && bar[p] == ' ')
                ++p;
            if (p >= bar.size())
                break;
            size_t q = bar.find(' ', p);
            if (q == std::string::npos)
                q = bar.size();
            std::string tok = bar.substr(p, q - p);
            p = q;
            if (tok == "-") {
                if (!ev.empty())
                    ev.back().len += stepsPerToken;
            } else if (tok == ".") {
                ev.push_back({step, 0, -1});
            } else
                ev.push_back({step, stepsPerToken, parseNote(tok)});
            step += stepsPerToken;
        }
    }
    std::vector<NoteEv> out;
    for (auto& e : ev)
        if (e.midi >= 0)
            out.push_back(e);
    return out;
}

struct Chord {
    int root;
    int third;
    int fifth;
}; // midi numbers

Chord chordOf(const std::string& name, int octave) {
    std::string r = name;
    bool minor = false;
    if (r.size() > 1 && r.back() == 'm') {
        minor = true;
        r.pop_back();
    }
    int root = parseNote(r + std::to_string(octave));
    return {root, root + (minor ? 3 : 4), root + 7};
}

struct Song {
    double bpm;
    int bars;
    std::vector<float> L, R;
    double stepSec() const { return 60.0 / bpm / 4; } // sixteenth notes
    int barSteps() const { return 16; }
    size_t length() const { return size_t(bars * barSteps() * stepSec() * SR); }
    Song(double b, int n) : bpm(b), bars(n) {
        size_t len = length() + size_t(3 * SR); // room for tails, folded back later
        L.assign(len, 0.f);
        R.assign(len, 0.f);
    }
    void add(size_t i, double v, double pan) { // pan -1..1
        if (i >= L.size())
            return;
        L[i] += float(v * std::sqrt(0.5 * (1 - pan)));
        R[i] += float(v * std::sqrt(0.5 * (1 + pan)));
    }
    // folds the tails past the end into the start so the track loops cleanly
    void finish(double peak) {
        size_t n = length();
        for (size_t i = n; i < L.size(); ++i) {
            L[i - n] += L[i];
            R[i - n] += R[i];
        }
        L.resize(n);
        R.resize(n);
        for (size_t i = 0; i < n; ++i) {
            L[i] = float(std::tanh(L[i] * 0.9));
            R[i] = float(std::tanh(R[i] * 0.9));
        }
        double m = 1e-9;
        for (size_t i = 0; i < n; ++i)
            m = std::max(m, double(std::max(std::fabs(L[i]), std::fabs(R[i]))));
        for (size_t i = 0; i < n; ++i) {
            L[i] = float(L[i] * peak / m);
            R[i] = float(R[i] * peak / m);
        }
    }
};

enum Voice { LEAD, SOFTLEAD, BASS, ARP, BELL, PAD };

void playNote(Song& s, std::vector<float>* bus, Voice v, int step, int lenSteps, int midi,
              double vol, double pan) {
    double t0 = step * s.stepSec(), len = lenSteps * s.stepSec();
    size_t i0 = size_t(t0 * SR);
    double rel = (v == BASS) ? 0.05 : (v == PAD ? 0.4 : 0.12);
    size_t n = size_t((len + rel + (v == BELL ? 1.2 : 0.0)) * SR);
    Pulse p, p2;
    OnePole lp, lp2;
    double hz = midiHz(midi);
    for (size_t k = 0; k < n; ++k) {
        double t = double(k) / SR;
        double env;
        double gate = t < len ? 1.0 : std::exp(-(t - len) / (rel / 4));
        double x = 0;
        switch (v) {
        case LEAD: {
            env = std::min(1.0, t / 0.008) * (0.7 + 0.3 * std::exp(-t * 8)) * gate;
            double vib = t > 0.18 ? 0.12 * std::sin(2 * PI * 5.2 * (t - 0.18)) : 0;
            double f = midiHz(midi + vib);
            x = lp.run(p.next(f, 0.25) * 0.6 + p2.next(f * 1.003, 0.5) * 0.4,
                       3200 + 2500 * std::exp(-t * 6));
            break;
        }
        case SOFTLEAD: {
            env = std::min(1.0, t / 0.03) * (0.75 + 0.25 * std::exp(-t * 4)) * gate;
            double vib = t > 0.25 ? 0.10 * std::sin(2 * PI * 4.6 * (t - 0.25)) : 0;
            double f = midiHz(midi + vib);
            double ph = std::fmod(t * f, 1.0);
            double triv = 4 * std::fabs(ph - 0.5) - 1;
            x = triv * 0.8 + 0.2 * std::sin(2 * PI * f * 2 * t);
            break;
        }
        case BASS: {
            env = std::min(1.0, t / 0.004) * (0.55 + 0.45 * std::exp(-t * 10)) * gate;
            double ph = std::fmod(t * hz, 1.0);
            double triv = 4 * std::fabs(ph - 0.5) - 1;
            x = lp.run(triv * 0.75 + p.next(hz, 0.5) * 0.25, 900 + 1400 * std::exp(-t * 18));
            break;
        }
        case ARP: {
            env = std::min(1.0, t / 0.003) * std::exp(-t * 14) * gate;
            x = lp.run(p.next(hz, 0.125), 4500);
            break;
        }
        case BELL: {
            env = std::min(1.0, t / 0.002) * std::exp(-t * 3.2);
            double mod = 1.6 * std::exp(-t * 6) * std::sin(2 * PI * hz * 3.5 * t);
            x = std::sin(2 * PI * hz * t + mod);
            break;
        }
        case PAD: {
            env = std::min(1.0, t / 0.25) * gate;
            double a = p.next(hz, 0.5) * 0.5 + p2.next(hz * 1.006, 0.3) * 0.5;
            x = lp2.run(lp.run(a, 1100), 1100);
            break;
        }
        }
        double out = x * env * vol;
        if (bus) {
            if (i0 + k < bus->size())
                (*bus)[i0 + k] += float(out);
        } else
            s.add(i0 + k, out, pan);
    }
}

void drum(Song& s, char kind, int step, double vol, uint32_t seed) {
    size_t i0 = size_t(step * s.stepSec() * SR);
    Noise nz(seed);
    OnePole lp;
    switch (kind) {
    case 'k': { // kick: falling sine
        double ph = 0;
        for (size_t k = 0; k < size_t(0.25 * SR); ++k) {
            double t = double(k) / SR;
            double f = 45 + 120 * std::exp(-t * 30);
            ph += f / SR;
            s.add(i0 + k, std::sin(2 * PI * ph) * std::exp(-t * 11) * vol * 1.1, 0);
        }
        break;
    }
    case 's': { // snare: noise and a short tone
        for (size_t k = 0; k < size_t(0.2 * SR); ++k) {
            double t = double(k) / SR;
            double n = nz.next();
            double body = std::sin(2 * PI * 190 * t) * std::exp(-t * 30) * 0.5;
            double sn = (n - lp.run(n, 1200)) * std::exp(-t * 16);
            s.add(i0 + k, (body + sn * 0.8) * vol * 0.7, 0.1);
        }
        break;
    }
    case 'r': { // rim / soft clap
        for (size_t k = 0; k < size_t(0.08 * SR); ++k) {
            double t = double(k) / SR;
            double n = nz.next();
            double hpv = n - lp.run(n, 2500);
            double env = std::exp(-t * 45) + 0.5 * (t > 0.012 ? std::exp(-(t - 0.012) * 50) : 0);
            s.add(i0 + k, hpv * env * vol * 0.5, -0.15);
        }
        break;
    }
    case 'h':
    case 'o': { // closed / open hat
        double dec = kind == 'h' ? 70 : 14;
        for (size_t k = 0; k < size_t((kind == 'h' ? 0.05 : 0.25) * SR); ++k) {
            double t = double(k) / SR;
            double n = nz.next();
            double hpv = n - lp.run(n, 7000);
            s.add(i0 + k, hpv * std::exp(-t * dec) * vol * 0.35, 0.3);
        }
        break;
    }
    case 'x': { // shaker
        for (size_t k = 0; k < size_t(0.06 * SR); ++k) {
            double t = double(k) / SR;
            double n = nz.next();
            double hpv = n - lp.run(n, 5000);
            double env = std::min(1.0, t / 0.01) * std::exp(-t * 50);
            s.add(i0 + k, hpv * env * vol * 0.25, -0.3);
        }
        break;
    }
    default:
        break;
    }
}

void drumLine(Song& s, int bar, const std::string& pat, double vol, uint32_t seed) {
    for (int i = 0; i < int(pat.size()) && i < 16; ++i)
        if (pat[i] != '.')
            drum(s, pat[i], bar * 16 + i, vol * (i % 4 == 0 ? 1.0 : 0.8), seed + bar * 16 + i);
}

// echo on a mono bus, mixed in as a ping-pong pair
void mixEcho(Song& s, const std::vector<float>& bus, double delaySec, double fb, double wet,
             double pan) {
    size_t d = size_t(delaySec * SR);
    std::vector<float> e(bus.size(), 0.f);
    for (size_t i = 0; i < bus.size(); ++i) {
        double in = bus[i] + (i >= d ? e[i - d] * fb : 0);
        e[i] = float(in);
    }
    for (size_t i = 0; i < bus.size(); ++i) {
        double dry = bus[i];
        double wetv = (i >= d ? e[i - d] : 0) * wet;
        s.add(i, dry, pan);
        s.add(i, wetv, (i / d) % 2 ? 0.7 : -0.7);
    }
}

// Bright, bouncy tune in C major.
Song makeTrack1() {
    const std::vector<std::string> chords = {"C",  "G", "Am", "F", "C",  "G", "F",  "G",
                                             "Am", "F", "C",  "G", "Am", "F", "Dm", "G",
                                             "C",  "G", "Am", "F", "C",  "G", "F",  "G"};
    const std::vector<std::string> melA = {"E5 - D5 E5 G5 - E5 -",  "D5 - B4 D5 G5 - - .",
                                           "C5 - A4 C5 E5 - D5 C5", "A4 - - C5 F5 - E5 D5",
                                           "E5 - D5 E5 G5 - C6 -",  "B5 - A5 G5 D5 - G5 -",
                                           "A5 - G5 F5 E5 - D5 C5", "D5 - - - G4 - . ."};
    const std::vector<std::string> melB = {"A5 - - G5 E5 - C5 -",   "F5 - E5 F5 A5 - - .",
                                           "G5 - E5 C5 G5 - E5 -",  "D5 - - E5 D5 B4 G4 .",
                                           "A4 - C5 E5 A5 - G5 A5", "C6 - - A5 F5 - A5 -",
                                           "D6 - C6 A5 F5 - D5 -",  "B4 - D5 G5 B5 - - ."};
    Song s(126, 24);
    std::vector<std::string> mel = melA;
    mel.insert(mel.end(), melB.begin(), melB.end());
    mel.insert(mel.end(), melA.begin(), melA.end());
    std::vector<float> leadBus(s.L.size(), 0.f);
    for (auto& e : parseLine(mel, 2))
        playNote(s, &leadBus, LEAD, e.step, e.len, e.midi, 0.30, 0);
    mixEcho(s, leadBus, s.stepSec() * 3, 0.3, 0.35, 0.0);
    for (int b = 0; b < s.bars; ++b) {
        Chord c = chordOf(chords[b], 2);
        // bouncing bass in eighths
        const int pat[8] = {0, -1, 12, 0, 7, -1, 12, 7};
        for (int i = 0; i < 8; ++i)
            if (pat[i] >= 0)
                playNote(s, nullptr, BASS, b * 16 + i * 2, 2,
                         (pat[i] == 7 ? c.fifth : c.root) + (pat[i] == 12 ? 12 : 0), 0.42, -0.1);
        // quiet arpeggio in sixteenths, an octave and a half up
        int up[4] = {c.root + 24, c.third + 24, c.fifth + 24, c.root + 36};
        for (int i = 0; i < 16; ++i)
            playNote(s, nullptr, ARP, b * 16 + i, 1, up[(i % 8 < 4) ? i % 4 : 3 - i % 4],
                     (b >= 8 && b < 16) ? 0.10 : 0.075, (i % 2) ? 0.5 : -0.5);
        // drums
        bool bSec = b >= 8 && b < 16;
        drumLine(s, b, "k...s...k.k.s...", 0.9, 100);
        drumLine(s, b, bSec ? "h.h.h.h.h.h.h.o." : "h.h.h.h.h.h.h.h.", 0.55, 300);
        if (b % 8 == 7)
            drumLine(s, b, "........s.s.ssss", 0.5, 500);
    }
    s.finish(0.86);
    return s;
}

// Calm, dreamy tune in A minor with bells and a soft lead.
Song makeTrack2() {
    const std::vector<std::string> chords = {"Am", "F", "C", "G", "Am", "F", "Dm", "E",
                                             "Am", "F", "C", "G", "F",  "C", "Dm", "E"};
    const std::vector<std::string> mel = {
        "A4 - C5 - E5 - - D5",  "C5 - - A4 F4 - - .",   "G4 - C5 - E5 - G5 -",
        "F5 - E5 - D5 - - .",   "E5 - A5 - - G5 E5 -",  "F5 - E5 - C5 - A4 -",
        "D5 - F5 - A5 - G5 F5", "E5 - - - G#4 - B4 -",  "A4 - - - C5 D5 E5 -",
        "A5 - - G5 F5 - E5 -",  "G5 - - E5 C5 - E5 G5", "B5 - - A5 G5 - D5 -",
        "C6 - - A5 F5 - A5 C6", "B5 - G5 - E5 - G5 -",  "A5 - F5 - D5 - F5 A5",
        "G#5 - - - E5 - - ."};
    Song s(92, 16);
    std::vector<float> leadBus(s.L.size(), 0.f), bellBus(s.L.size(), 0.f);
    for (auto& e : parseLine(mel, 2))
        playNote(s, &leadBus, SOFTLEAD, e.step, e.len, e.midi, 0.30, 0);
    mixEcho(s, leadBus, s.stepSec() * 3, 0.38, 0.4, 0.0);
    for (int b = 0; b < s.bars; ++b) {
        Chord c = chordOf(chords[b], 2);
        if (chords[b] == "E")
            c.third = c.root + 4;
        // bass: root and fifth in halves
        playNote(s, nullptr, BASS, b * 16, 7, c.root, 0.45, 0);
        playNote(s, nullptr, BASS, b * 16 + 8, 4, c.fifth - 12 < 36 ? c.fifth : c.fifth - 12, 0.40,
                 0);
        playNote(s, nullptr, BASS, b * 16 + 12, 4, c.root + 12, 0.30, 0);
        // soft pad chord
        for (int m : {c.root + 12, c.third + 12, c.fifth + 12})
            playNote(s, nullptr, PAD, b * 16, 16, m, 0.07, m % 2 ? 0.4 : -0.4);
        // bell arpeggio in eighths
        int up[6] = {c.root + 24,  c.fifth + 24, c.third + 36,
                     c.fifth + 24, c.root + 36,  c.fifth + 24};
        for (int i = 0; i < 8; ++i)
            if (i != 6)
                playNote(s, &bellBus, BELL, b * 16 + i * 2, 2, up[i % 6], 0.09, 0);
        // light drums
        drumLine(s, b, "k.......r.....k.", 0.75, 1000);
        drumLine(s, b, "x.xxx.xxx.xxx.xx", 0.8, 2000);
    }
    mixEcho(s, bellBus, s.stepSec() * 4, 0.35, 0.45, 0.35);
    s.finish(0.82);
    return s;
}

// ---------------------------------------------------------------------------

bool run(const std::string& data, const std::string& work) {
    bool ok = true;
    const std::string img = data + "/images/", snd = data + "/sounds/";
    printf("pictures:\n");
    for (const StoneDef& d : stoneDefs())
        ok &= saveBMP(makeStone(d), img + d.file + ".bmp");
    ok &= saveBMP(makeTimeStone(), img + "wetime.bmp");
    ok &= saveBMP(makeBomb(), img + "bomb.bmp");
    ok &= saveBMP(makeFrameStone(), img + "frame.bmp");
    ok &= saveBMP(makeCursor(), img + "cursor.bmp");
    ok &= saveBMP(makeDigits(), img + "zahlen.bmp");
    ok &= saveBMP(makeLabel("SCORE", 42), img + "points.bmp");
    ok &= saveBMP(makeLabel("LIVES", 29), img + "lives.bmp");
    ok &= saveBMP(makeLabel("LEVEL", 29), img + "level.bmp");
    ok &= saveBMP(makeLabel("TIME", 27), img + "time.bmp");
    TextStyle gold = bigGold();
    ok &= saveBMP(
        makeBanner(250, 50, "PRESS SPACE", "TO PLAY", gold, RGB(30, 40, 110), RGB(12, 14, 50)),
        img + "presskey.bmp");
    ok &= saveBMP(makeBanner(250, 50, "GAME PAUSED", "PRESS P TO GO ON", gold, RGB(20, 80, 90),
                             RGB(8, 25, 40)),
                  img + "gamepaused.bmp");
    TextStyle red = gold;
    red.top = RGB(255, 220, 170);
    red.bottom = RGB(230, 40, 20);
    red.outline = RGB(50, 0, 0);
    ok &= saveBMP(
        makeBanner(250, 50, "GAME OVER", "PRESS SPACE", red, RGB(90, 20, 50), RGB(30, 6, 20)),
        img + "gameover.bmp");
    ok &= saveBMP(makePlus25(), img + "p25.bmp");
    ok &= saveBMP(makeSteps(), img + "steps.bmp");
    ok &= saveBMP(makeSplash(), img + "splash.bmp");
    Image logo = makeLogo();
    if (logo.w > 310 || logo.h > 38) {
        fprintf(stderr, "logo too big (%d x %d)\n", logo.w, logo.h);
        return false;
    }
    ok &= saveBMP(logo, img + "tessaril.bmp");
    ok &= saveBMP(makeBarBlock(), img + "whitesmall.bmp");

    printf("sounds:\n");
    ok &= writeWav(snd + "power8.wav", sndExplode(), nullptr);
    ok &= writeWav(snd + "gameover.wav", sndGameOver(), nullptr);
    ok &= writeWav(snd + "nextlevel.wav", sndLevelDone(), nullptr);
    ok &= writeWav(snd + "nomovesleft.wav", sndNoMoves(), nullptr);
    ok &= writeWav(snd + "restart.wav", sndTimeUp(), nullptr);
    ok &= writeWav(snd + "click1.wav", sndClick(1700, 0.035, 1.0), nullptr);
    ok &= writeWav(snd + "click2.wav", sndSelect(), nullptr);

    printf("music (to be encoded):\n");
    {
        Song t1 = makeTrack1();
        ok &= writeWav(work + "/track1.wav", t1.L, &t1.R);
    }
    {
        Song t2 = makeTrack2();
        ok &= writeWav(work + "/track2.wav", t2.L, &t2.R);
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s <data-dir> <work-dir>\n", argv[0]);
        return 2;
    }
    if (SDL_Init(0) != 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    bool ok = run(argv[1], argv[2]);
    SDL_Quit();
    return ok ? 0 : 1;
}
