#include "SDL_mixer.h"

#include "fwWeb.h"
#include "fwWebAudio.h"

#include <emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

// SDL_mixer's calls on the page: the browser decodes every sound once and
// plays it on its own audio thread (fwWebAudio.js). This side keeps what the
// calls answer without asking the page: the volumes, the hook, the music's
// file name. Nothing here runs while the sound plays.

struct _Mix_Music {
    std::string File; // as in the working folder, and under the page's folder
};

namespace {

constexpr int kAllChannels = -1;
constexpr int kMp3Format = 2; // fwWebAudioFormat's
constexpr int kFirstFreeChannel = -1;
constexpr int kForEver = -1;

struct TMixer {
    bool Open = false;
    int ChannelVolume[MIX_CHANNELS] = {};
    int MusicVolume = MIX_MAX_VOLUME;
    const Mix_Music* Playing = nullptr; // the music last started, until halted or ended
    void (*MusicFinished)() = nullptr;
};

TMixer& Mixer() {
    static TMixer mixer;
    return mixer;
}

int ClampVolume(int volume) {
    return volume > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : volume;
}

// SDL_mixer's count of plays for a music's loops: 1 plays once as 0 does.
int MusicTimes(int loops) {
    if (loops == kForEver)
        return 0;
    return loops <= 1 ? 1 : loops + 1;
}

} // namespace

extern "C" {

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize) {
    (void)frequency;
    (void)format;
    (void)channels;
    (void)chunkSize;
    TMixer& m = Mixer();
    if (m.Open) {
        SDL_SetError("Audio device is already opened");
        return -1;
    }
    const int opened = fwWebAudioOpen();
    if (opened <= 0) {
        SDL_SetError(opened < 0
                         ? "This browser decodes neither Ogg Vorbis nor MP3: the sound is off"
                         : "The browser has no Web Audio");
        return -1;
    }
    m = TMixer{};
    m.Open = true;
    for (int& volume : m.ChannelVolume)
        volume = MIX_MAX_VOLUME;
    return 0;
}

void Mix_CloseAudio() {
    TMixer& m = Mixer();
    if (!m.Open)
        return;
    fwWebAudioClose();
    m.Open = false;
    m.Playing = nullptr;
}

int Mix_Volume(int channel, int volume) {
    TMixer& m = Mixer();
    if (channel == kAllChannels) {
        int sum = 0;
        for (int c = 0; c < MIX_CHANNELS; ++c)
            sum += Mix_Volume(c, volume);
        return sum / MIX_CHANNELS;
    }
    if (channel < 0 || channel >= MIX_CHANNELS)
        return 0;
    const int old = m.ChannelVolume[channel];
    if (volume >= 0) {
        m.ChannelVolume[channel] = ClampVolume(volume);
        if (m.Open)
            fwWebAudioChannelVolume(channel, m.ChannelVolume[channel]);
    }
    return old;
}

int Mix_VolumeChunk(Mix_Chunk* chunk, int volume) {
    if (chunk == nullptr)
        return -1;
    const int old = chunk->Volume;
    if (volume >= 0) {
        chunk->Volume = ClampVolume(volume);
        fwWebAudioSoundVolume(chunk->Sound, chunk->Volume);
    }
    return old;
}

int Mix_VolumeMusic(int volume) {
    TMixer& m = Mixer();
    const int old = m.MusicVolume;
    if (volume >= 0) {
        m.MusicVolume = ClampVolume(volume);
        if (m.Open)
            fwWebAudioMusicVolume(m.MusicVolume);
    }
    return old;
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
    if (src == nullptr) {
        SDL_SetError("No sample to read");
        return nullptr;
    }
    std::vector<unsigned char> bytes;
    unsigned char block[4096];
    for (int got; (got = SDL_RWread(src, block, 1, sizeof block)) > 0;)
        bytes.insert(bytes.end(), block, block + got);
    if (freesrc != 0)
        SDL_RWclose(src);
    if (bytes.empty() || !Mixer().Open) {
        SDL_SetError(bytes.empty() ? "The sample is empty" : "Audio device hasn't been opened");
        return nullptr;
    }
    auto* chunk = new Mix_Chunk{};
    chunk->Volume = MIX_MAX_VOLUME;
    chunk->Sound = fwWebAudioSound(bytes.data(), static_cast<int>(bytes.size()));
    return chunk;
}

void Mix_FreeChunk(Mix_Chunk* chunk) {
    if (chunk == nullptr)
        return;
    if (Mixer().Open)
        fwWebAudioFreeSound(chunk->Sound);
    delete chunk;
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    if (chunk == nullptr || !Mixer().Open) {
        SDL_SetError(chunk == nullptr ? "Tried to play a NULL chunk"
                                      : "Audio device hasn't been opened");
        return -1;
    }
    if (channel != kFirstFreeChannel && (channel < 0 || channel >= MIX_CHANNELS)) {
        SDL_SetError("Invalid channel specified");
        return -1;
    }
    const int played = fwWebAudioPlay(chunk->Sound, channel, loops, ticks);
    if (played < 0)
        SDL_SetError("No free channels available");
    return played;
}

int Mix_Playing(int channel) {
    return Mixer().Open ? fwWebAudioPlaying(channel) : 0;
}

Mix_Music* Mix_LoadMUS(const char* file) {
    // The page fetches the music itself; the working folder holds its name.
    FILE* named = std::fopen(file, "rb");
    if (named == nullptr) {
        SDL_SetError("Couldn't open '%s'", file);
        return nullptr;
    }
    std::fclose(named);
    if (!Mixer().Open) {
        SDL_SetError("Audio device hasn't been opened");
        return nullptr;
    }
    return new _Mix_Music{file};
}

void Mix_FreeMusic(Mix_Music* music) {
    if (music == nullptr)
        return;
    if (Mixer().Playing == music)
        Mix_HaltMusic();
    delete music;
}

int Mix_FadeInMusic(Mix_Music* music, int loops, int ms) {
    TMixer& m = Mixer();
    if (music == nullptr || !m.Open) {
        SDL_SetError(music == nullptr ? "music parameter was NULL"
                                      : "Audio device hasn't been opened");
        return -1;
    }
    Mix_HaltMusic();
    m.Playing = music;
    fwWebAudioMusicFile(music->File.c_str());
    fwWebAudioMusicVolume(m.MusicVolume);
    fwWebAudioMusicStart(MusicTimes(loops), ms);
    return 0;
}

int Mix_FadeOutMusic(int ms) {
    if (!Mixer().Open)
        return 0;
    if (ms <= 0) {
        Mix_HaltMusic();
        return 1;
    }
    return fwWebAudioMusicFade(ms);
}

int Mix_HaltMusic() {
    TMixer& m = Mixer();
    if (m.Open)
        fwWebAudioMusicHalt();
    m.Playing = nullptr;
    return 0;
}

int Mix_PlayingMusic() {
    return Mixer().Open ? fwWebAudioMusicPlaying() : 0;
}

void Mix_HookMusicFinished(void (*musicFinished)()) {
    Mixer().MusicFinished = musicFinished;
}

void Mix_SetPostMix(void (*mixFunc)(void* udata, Uint8* stream, int len), void* arg) {
    (void)mixFunc;
    (void)arg;
}

// The page: the music played out or faded out.
EMSCRIPTEN_KEEPALIVE void fwWebAudioMusicEnded() {
    TMixer& m = Mixer();
    m.Playing = nullptr;
    if (m.MusicFinished != nullptr)
        m.MusicFinished();
}

} // extern "C"

bool fwWebSoundWaits() {
    return fwWebAudioWaits() != 0;
}

bool fwWebSoundIsMp3() {
    return fwWebAudioFormat() == kMp3Format;
}
