#include "fwWebAudio.h"

#include "fwWeb.h"

#include <SDL_mixer.h>
#include <emscripten.h>

#include <vector>

// SDL 1.2 without threads opens no audio device, so SDL_mixer is
// built to call the functions below instead of SDL's (tools/web-deps.sh): they
// keep the mixer's callback, and the page's Web Audio pulls its samples at the
// mixer's rate through fwWebAudioPull. The page runs one thing at a time: it
// pulls only while the program sleeps (in its frame delay), never inside one
// of the mixer's locked sections, so the locks have nothing to do. SDL's own
// audio subsystem stays closed, which makes SDL_MixAudio mix the 16-bit
// samples the device is opened with.

// The page's side, in fwWeb.js.
extern "C" {
int fwWebAudioStart(int rate, int frames);
int fwWebAudioWaits();
}

namespace {

constexpr int kWebAudioChannels = 2; // the page plays stereo
constexpr float kSampleScale = 1.0f / 32768.0f;

struct TWebAudio {
    SDL_AudioSpec Format = {}; // as opened; no callback while closed
    bool Paused = true;
    std::vector<Sint16> Mixed; // one pull's frames as the mixer wrote them
    std::vector<float> Output; // the same frames, all left, then all right
};

TWebAudio& Audio() {
    static TWebAudio audio;
    return audio;
}

} // namespace

extern "C" {

int fwWebOpenAudio(SDL_AudioSpec* desired, SDL_AudioSpec* obtained) {
    TWebAudio& a = Audio();
    if (a.Format.callback != nullptr) {
        SDL_SetError("Audio device is already opened");
        return -1;
    }
    if (desired->format != AUDIO_S16 || desired->channels != kWebAudioChannels ||
        desired->callback == nullptr) {
        SDL_SetError("The page plays 16-bit stereo samples only");
        return -1;
    }
    if (fwWebAudioStart(desired->freq, desired->samples) == 0) {
        SDL_SetError("The browser has no Web Audio");
        return -1;
    }
    a.Format = *desired;
    a.Format.silence = 0;
    a.Format.size = static_cast<Uint32>(desired->samples) * kWebAudioChannels * sizeof(Sint16);
    a.Paused = true;
    if (obtained != nullptr)
        *obtained = a.Format;
    return 0;
}

void fwWebCloseAudio() {
    Audio().Format = {};
}

void fwWebPauseAudio(int pauseOn) {
    Audio().Paused = pauseOn != 0;
}

void fwWebLockAudio() {}

void fwWebUnlockAudio() {}

// The next frames of sound (as many as asked), as float samples: frames left
// ones, then frames right ones, valid until the next call. Silence while the
// device is closed or paused.
EMSCRIPTEN_KEEPALIVE float* fwWebAudioPull(int frames) {
    TWebAudio& a = Audio();
    const size_t count = static_cast<size_t>(frames > 0 ? frames : 0);
    a.Mixed.assign(count * kWebAudioChannels, 0);
    if (a.Format.callback != nullptr && !a.Paused)
        a.Format.callback(a.Format.userdata, reinterpret_cast<Uint8*>(a.Mixed.data()),
                          static_cast<int>(a.Mixed.size() * sizeof(Sint16)));
    a.Output.resize(count * kWebAudioChannels);
    for (size_t i = 0; i < count; ++i) {
        a.Output[i] = a.Mixed[kWebAudioChannels * i] * kSampleScale;
        a.Output[count + i] = a.Mixed[kWebAudioChannels * i + 1] * kSampleScale;
    }
    return a.Output.data();
}

// Does the mixer play music? For the page's test, which plays a track out.
EMSCRIPTEN_KEEPALIVE int fwWebMusicPlaying() {
    return Mix_PlayingMusic();
}

} // extern "C"

bool fwWebSoundWaits() {
    return fwWebAudioWaits() != 0;
}
