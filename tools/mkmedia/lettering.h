// Lettering of the media generator: the pixel fonts, text masks, styled text
// with outline and shadow, and the smooth lettering cut from blurred glyphs.
#pragma once

#include "draw.h"

namespace mkmedia {

// Digit i (0-9, 10 is ":") of the heads-up display: 5 x 9 glyph rows.
const std::vector<const char*>& hudDigit(int i);

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

// A line of the 7-row pixel font; ends the program on a character it lacks.
Mask textMask(const std::string& s, int gap = 1);
Mask dilate(const Mask& a, int r, bool round = true);
Mask pad(const Mask& a, int p);

struct TextStyle {
    RGB top, bottom; // fill gradient
    RGB outline = RGB(20, 10, 5);
    int outlineW = 1;
    RGB shadow = RGB(0, 0, 0);
    int shadowDx = 1, shadowDy = 1;
    bool shadowOn = true;
    bool bevel = true; // lighter top edge, darker bottom edge
};

// A gradient with an outline and neither shadow nor bevel, for small lettering.
inline TextStyle flatStyle(RGB top, RGB bottom, RGB outline) {
    TextStyle s;
    s.top = top;
    s.bottom = bottom;
    s.outline = outline;
    s.shadowOn = false;
    s.bevel = false;
    return s;
}

// Draws a text bitmap with outline, shadow and gradient. The mask should be
// padded by outlineW + shadow offset; it is drawn with its corner at (x, y).
void drawText(Image& dst, int x0, int y0, const Mask& text, const TextStyle& st);

// Smooth lettering: the pixel glyphs are blurred into a field and cut at a
// level, which rounds the steps into strokes.
struct Field {
    int w = 0, h = 0;
    std::vector<double> v;
    double at(int x, int y) const {
        return (x < 0 || y < 0 || x >= w || y >= h) ? 0 : v[size_t(y) * w + x];
    }
};

// A line of smooth letters: the fields side by side, `gap` pixels apart;
// owner (when given) receives the index of the letter that owns each pixel.
Field textField(const std::string& s, double scale, double sigma, int gap, int margin,
                std::vector<int>* owner = nullptr);
Mask cutField(const Field& f, double level);

} // namespace mkmedia
