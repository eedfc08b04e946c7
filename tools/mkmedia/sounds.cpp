// The sound effects.

#include "sounds.h"

#include "synth.h"

#include <algorithm>

namespace mkmedia {

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
    sh.reserve(14);
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

namespace {

// The last 50 ms of a sound fade out, in whole frames.
constexpr int kFadeFrames = SR / 20;

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
    for (int i = std::max(0, n - kFadeFrames); i < n; ++i)
        v[i] *= float((n - i) / double(kFadeFrames));
    normalize(v, 0.75);
    return v;
}

} // namespace

std::vector<float> sndLevelDone() {
    std::vector<Tone> t;
    t.reserve(11);
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
    t.reserve(7);
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
    for (int i = n - kFadeFrames; i < n; ++i)
        v[i] *= float((n - i) / double(kFadeFrames));
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
    for (int i = n - kFadeFrames; i < n; ++i)
        v[i] *= float((n - i) / double(kFadeFrames));
    normalize(v, 0.75);
    return v;
}

} // namespace mkmedia
