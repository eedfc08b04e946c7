// Lettering: pixel fonts, text masks, styled and smooth text.

#include "lettering.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace mkmedia {

// ---------------------------------------------------------------------------
// Pixel fonts
// ---------------------------------------------------------------------------

namespace {

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

} // namespace

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

Mask textMask(const std::string& s, int gap) {
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

Mask dilate(const Mask& a, int r, bool round) {
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

namespace {

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

} // namespace

// A line of smooth letters: the fields side by side, `gap` pixels apart.
Field textField(const std::string& s, double scale, double sigma, int gap, int margin,
                std::vector<int>* owner) {
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

} // namespace mkmedia
