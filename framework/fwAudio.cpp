#include "fwAudio.h"

#include "fwConfig.h"
#include "fwGameApp.h"
#include "fwLog.h"
#include "fwPlatform.h"
#include "fwRest.h"

#include <SDL_mixer.h>

#include <cstdlib>
#include <string>

namespace {

// The mixer's format: 22050 frames a second of two 16-bit samples, in chunks
// of this many frames (the handheld's smaller: less delay on a slow machine).
constexpr int kMixRate = 22050;
constexpr int kMixChannels = 2;
constexpr int kChunkFrames = kHandheld ? 1024 : 2048;
// The volumes the mixer starts with, of MIX_MAX_VOLUME (128).
constexpr int kStartMusicVolume = 25;
constexpr int kStartSoundVolume = 37;
constexpr int kAllChannels = -1;
constexpr int kQuery = -1; // a volume argument that reads the volume

// SDL_mixer calls this on its audio thread; a rest of the main loop ends, so
// that the next frame can act on it.
void OnMusicFinished() {
    if (TfwGameApp* app = TfwGameApp::Instance())
        app->MusicFinished();
    fwWake();
}

} // namespace

bool fwAudioOutrunsTime(uint64_t mixedBytes, uint32_t elapsedMs) {
    const uint64_t elapsed = elapsedMs;
    return mixedBytes / kfwAudioBytesPerMs >
           elapsed + elapsed / kfwAudioDriftDivisor + kfwAudioLeadLimitMs;
}

TfwAudio::TfwAudio(TfwGameApp& app) : app_(app) {}

void TfwAudio::CountMixed(void* audio, Uint8* stream, int bytes) {
    (void)stream;
    static_cast<TfwAudio*>(audio)->newlyMixed_ += static_cast<uint32_t>(bytes);
}

bool TfwAudio::Open() {
    if (!app_.Platform().OpenAudioSubsystem() ||
        Mix_OpenAudio(kMixRate, AUDIO_S16LSB, kMixChannels, kChunkFrames) == -1)
        return false;
    Mix_VolumeMusic(kStartMusicVolume);
    Mix_Volume(kAllChannels, kStartSoundVolume);
    Mix_HookMusicFinished(OnMusicFinished);
    if (app_.Platform().AudioMayOutrunTime()) {
        openedAt_ = SDL_GetTicks();
        mixed_ = 0;
        newlyMixed_ = 0;
        Mix_SetPostMix(CountMixed, this);
    }
    return true;
}

void TfwAudio::Close() {
    if (!app_.Silent)
        Mix_CloseAudio();
}

// A device that takes sound as fast as it is given (ALSA's null device) lets
// SDL's audio thread mix without pause, a whole core. Such a device is left for
// SDL's dummy one, which takes sound at the pace it plays: silent, as that
// device was, and every sound and the music go on as before.
void TfwAudio::Pace() {
    if (!app_.Platform().AudioMayOutrunTime())
        return;
    if (app_.Silent || paced_)
        return;
    mixed_ += newlyMixed_.exchange(0);
    if (!fwAudioOutrunsTime(mixed_, SDL_GetTicks() - openedAt_))
        return;
    paced_ = true;
    char name[32] = "";
    SDL_AudioDriverName(name, sizeof name);
    const int musicVolume = Mix_VolumeMusic(kQuery);
    const int soundVolume = Mix_Volume(0, kQuery);
    const bool music = Mix_PlayingMusic() != 0;
    Mix_HookMusicFinished(nullptr); // a halt is no end of a track
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    const bool opened = ReopenOnDummy();
    Log().Write("SDLApp::PaceAudio",
                std::string("The sound device (") + name +
                    ") takes sound faster than it plays it; " +
                    (opened ? "sound goes on silent" : "it could not be opened again"));
    if (!opened) {
        app_.Silent = true; // no mixer function that needs an open device is called again
        return;
    }
    Mix_VolumeMusic(musicVolume);
    Mix_Volume(kAllChannels, soundVolume);
    if (music)
        app_.MusicFinished(); // the halted track: the game goes on to the next
}

bool TfwAudio::ReopenOnDummy() {
    const char* driver = SDL_getenv("SDL_AUDIODRIVER");
    const std::string given = driver != nullptr ? driver : "";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    bool opened = Open();
    if (driver != nullptr)
        setenv("SDL_AUDIODRIVER", given.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
    if (!opened) { // back to the device that worked, spinning or not
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        opened = Open();
    }
    return opened;
}

void TfwGameApp::PaceAudio() {
    audio_->Pace();
}

void TfwGameApp::CloseAudio() {
    audio_->Close();
}
