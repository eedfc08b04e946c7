// The music tracks.

#include "music.h"

#include <algorithm>
#include <map>

namespace mkmedia {

// ---------------------------------------------------------------------------
// Music: a tiny tracker with pulse, triangle and bell voices and noise drums
// ---------------------------------------------------------------------------

namespace {

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

} // namespace

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

} // namespace mkmedia
