// Shared drawing helpers of the media generator: colours, the picture type
// and its BMP writer, polygon shapes in cell units and the gem renderer that
// the stones, banners and icons are drawn with.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace mkmedia {

inline constexpr double PI = 3.14159265358979323846;

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

inline double clampd(double v, double lo, double hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

struct RGB {
    double r = 0, g = 0, b = 0;
    RGB() = default;
    RGB(double r_, double g_, double b_) : r(r_), g(g_), b(b_) {}
    RGB operator*(double k) const { return RGB(r * k, g * k, b * k); }
    RGB operator+(const RGB& o) const { return RGB(r + o.r, g + o.g, b + o.b); }
};

inline RGB mix(const RGB& a, const RGB& b, double t) {
    return a * (1 - t) + b * t;
}

inline constexpr uint32_t KEY = 0xFF00FF;

inline uint32_t pack(const RGB& c) {
    // Rounded half up (floor of x + 0.5), the rounding every picture was made with.
    int r = int(std::floor(clampd(c.r, 0, 255) + 0.5)),
        g = int(std::floor(clampd(c.g, 0, 255) + 0.5)),
        b = int(std::floor(clampd(c.b, 0, 255) + 0.5));
    return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}
inline RGB unpack(uint32_t p) {
    return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
}

// A picture in 0xRRGGBB pixels; KEY marks transparent pixels.
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

// Writes the picture as a 24-bit BMP, rounded to the 16-bit display's colours
// first; false (with a message on stderr) when the file cannot be written.
bool saveBMP(Image im, const std::string& path);
// The same without rounding: every colour as it is (pictures for other
// displays, such as the desktop icons).
bool saveExactBMP(const Image& im, const std::string& path);

// Geometry: points, light vectors and polygon outlines.
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

bool insidePoly(const Poly& p, double x, double y);
V2 centroid(const Poly& p);
void orient(Poly& p);
Poly fitCell(Poly p, double margin, double dy = 0);
Poly regular(int n, double r, double rotDeg);
Poly starShape(int n, double ro, double ri);
Poly chamfered(double x0, double y0, double x1, double y1, double c);
Poly heartShape(int n);
Poly dropShape(int n);
Poly plusShape(double arm, double c);
Poly triangleShape();

// The light of every gem: from the top left, towards the viewer.
extern const V3 LIGHT;

struct GemLook {
    RGB base;
    double table = 0.52; // size of the flat top, relative to the outline
    double ring = 0.78;  // border between the inner and outer facet ring
    double tilt1 = 0.45; // slope of the inner facets (radians)
    double tilt2 = 0.95; // slope of the outer facets
    bool pearl = false;  // round and smooth instead of faceted
    double glint = 1.0;  // strength of the sparkle
};

// A colour shaded for surface normal n under LIGHT.
RGB lit(const RGB& base, const V3& n, double boost = 0);
// Draws a gem whose outline is given in 24-unit cell coordinates into `dst`
// at (ox, oy) scaled to `size` pixels. opacity < 0: hard edges with a dark
// rim on a keyed background; otherwise blended into what is there already.
void drawGem(Image& dst, int ox, int oy, int size, const Poly& cellPoly, const GemLook& g,
             double opacity = -1);

} // namespace mkmedia
