// Shared synthesis helpers of the media generator: the WAV writer and the
// oscillators and filter that the sound effects and the music are made of.
#pragma once

#include "draw.h"

#include <cmath>

namespace mkmedia {

// Sample rate of every sound and track.
inline constexpr int SR = 22050;

// Writes 16-bit PCM at SR, mono (r null) or stereo; false when it cannot.
bool writeWav(const std::string& path, const std::vector<float>& l, const std::vector<float>* r);
// Scales v so that its loudest sample is peak.
void normalize(std::vector<float>& v, double peak);
double midiHz(double m);

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

} // namespace mkmedia
