// Sound effects (one sample, played on the first free channel) and music (the
// mixer's one stream, with fades and looping). The audio device is the frame's.
#pragma once

#include "fwResource.h"

#include <SDL_mixer.h>

class TfwSDLMusic : public TfwResource {
public:
    explicit TfwSDLMusic(int32_t tag);
    ~TfwSDLMusic() override;

    Mix_Music* Music = nullptr; // owned

    // Halts and frees music still held, then loads; the same name loads again.
    bool LoadFromFile(const std::string& name, const std::string& fileName) override;
    bool Unload() override;
    // Refused (false) while any music plays. volume < 0 keeps the music volume.
    virtual bool Play(int32_t volume, bool loop, int32_t fadeInMs);
    // Halts (fadeOutMs <= 0) or fades out whatever music plays; false when none.
    virtual bool Stop(int32_t fadeOutMs);
    // Does the mixer's music stream play, whichever object started it?
    bool IsPlaying() const;
};

class TfwSDLSound : public TfwResource {
public:
    explicit TfwSDLSound(int32_t tag);
    ~TfwSDLSound() override;

    Mix_Chunk* Chunk = nullptr; // owned

    bool LoadFromFile(const std::string& name, const std::string& fileName) override;
    bool Unload() override;
    // Plays once on the first free channel, then sets the sample's volume.
    virtual bool Play(int32_t volume);
};
