// The two music tracks of the media generator: a tiny tracker with pulse,
// triangle and bell voices and noise drums.
#pragma once

#include "synth.h"

namespace mkmedia {

// A stereo track being mixed at SR; finish() makes it loop and levels it.
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

Song makeTrack1(); // bright, C major
Song makeTrack2(); // calm, A minor

} // namespace mkmedia
