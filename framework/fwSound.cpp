#include "fwSound.h"

#include "fwLog.h"

#include <cstring>

namespace {

// File names reach SDL_mixer through a 256-byte buffer: 255 characters.
struct TPathBuffer {
    explicit TPathBuffer(const std::string& path) {
        std::strncpy(Data, path.c_str(), sizeof(Data) - 1);
        Data[sizeof(Data) - 1] = '\0';
    }
    char Data[256];
};

} // namespace

TfwSDLMusic::TfwSDLMusic(int32_t tag) : TfwResource(tag) {}

TfwSDLMusic::~TfwSDLMusic() {
    Unload();
}

bool TfwSDLMusic::IsPlaying() const {
    return Mix_PlayingMusic() != 0;
}

bool TfwSDLMusic::LoadFromFile(const std::string& name, const std::string& fileName) {
    if (Music != nullptr) {
        // The stream may be reading this very music: stop it before freeing.
        if (Mix_PlayingMusic() != 0)
            Mix_HaltMusic();
        Mix_FreeMusic(Music);
        Music = nullptr;
    }
    TPathBuffer path(fileName);
    Music = Mix_LoadMUS(path.Data);
    if (Music == nullptr) {
        Log().Write("SDLMusic::LoadFromFile", SDL_GetError());
        return false;
    }
    FileName = fileName;
    Name = name;
    Loaded = true;
    return true;
}

bool TfwSDLMusic::Unload() {
    if (Music == nullptr)
        return false;
    if (Mix_PlayingMusic() != 0)
        Mix_HaltMusic();
    Mix_FreeMusic(Music);
    Music = nullptr;
    return true;
}

bool TfwSDLMusic::Play(int32_t volume, bool loop, int32_t fadeInMs) {
    // A playing stream, ours or another object's, is never replaced here.
    if (IsPlaying())
        return false;
    if (volume >= 0)
        Mix_VolumeMusic(volume);
    if (Mix_FadeInMusic(Music, loop ? -1 : 1, fadeInMs) == -1) {
        Log().Write("SDLMusic::Play", SDL_GetError());
        return false;
    }
    return true;
}

bool TfwSDLMusic::Stop(int32_t fadeOutMs) {
    if (Mix_PlayingMusic() == 0)
        return false;
    if (fadeOutMs <= 0)
        Mix_HaltMusic();
    else
        Mix_FadeOutMusic(fadeOutMs);
    return true;
}

TfwSDLSound::TfwSDLSound(int32_t tag) : TfwResource(tag) {}

TfwSDLSound::~TfwSDLSound() {
    Unload();
}

bool TfwSDLSound::LoadFromFile(const std::string& name, const std::string& fileName) {
    Unload();
    TPathBuffer path(fileName);
    // The mixer closes the stream (freesrc 1). A file that does not open is
    // reported with SDL's own message rather than the mixer's "NULL src".
    SDL_RWops* stream = SDL_RWFromFile(path.Data, "rb");
    if (stream != nullptr)
        Chunk = Mix_LoadWAV_RW(stream, 1);
    if (Chunk == nullptr) {
        Log().Write("SDLSoundFX::LoadFromFile", SDL_GetError());
        return false;
    }
    FileName = fileName;
    Name = name;
    Loaded = true;
    return true;
}

bool TfwSDLSound::Unload() {
    if (Chunk == nullptr)
        return false;
    Mix_FreeChunk(Chunk);
    Chunk = nullptr;
    return true;
}

bool TfwSDLSound::Play(int32_t volume) {
    if (Chunk == nullptr)
        return false;
    if (Mix_PlayChannel(-1, Chunk, 0) == -1) {
        Log().Write("SDLSoundFX::Play", SDL_GetError());
        return false;
    }
    // Set after the start: the first mixed buffer may still use the old volume.
    Mix_VolumeChunk(Chunk, volume);
    return true;
}
