// Synthesis helpers: the WAV writer and pitch.

#include "synth.h"

#include <cstdio>

namespace mkmedia {

// ---------------------------------------------------------------------------
// Sound
// ---------------------------------------------------------------------------

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
    printf("  %-28s %6.2f s %s\n", path.c_str(), static_cast<double>(n) / SR,
           ch == 2 ? "stereo" : "mono");
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

} // namespace mkmedia
