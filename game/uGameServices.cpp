// The game's services: the sounds and volumes and the high score tables
// (see uGameServices.h).
#include "uGameServices.h"

#include "fwGameApp.h"
#include "fwLog.h"
#include "fwSound.h"
#include "uHighscore.h"

#include <SDL_mixer.h>

namespace {

// The category pair the game's scores go under.
constexpr int32_t kScoreCategory = 1;
constexpr int32_t kScoreSubCategory = 1;
constexpr int32_t kTableRows = 10;

} // namespace

void TGameSounds::Play(TfwSDLSound* sound, int32_t volume) {
    if (OnPlay)
        OnPlay(sound, volume);
    if (sound != nullptr)
        sound->Play(volume);
}

void TGameSounds::Step(int32_t step) {
    // The two volumes move together, and only while both stay in 0 .. 128.
    const int32_t effects = Effects + step;
    const int32_t music = Music + step;
    if (effects >= 0 && effects <= MIX_MAX_VOLUME && music >= 0 && music <= MIX_MAX_VOLUME) {
        Effects = effects;
        Music = music;
    }
    Apply();
}

void TGameSounds::Apply() const {
    if (app_.Silent)
        return; // kept for the screen; there is no mixer to tell
    Mix_VolumeMusic(Music);
    Mix_Volume(-1, Effects);
}

TScoreTables::TScoreTables(TfwGameApp* app)
    : timed_(std::make_unique<THighscoreManager>(app)),
      editor_(std::make_unique<THighscoreEditor>(app)) {
    timed_->MaxEntries = kTableRows;
    timed_->LoadFromFile("highscore.dat");
    if constexpr (!kHandheld) {
        relaxed_ = std::make_unique<THighscoreManager>(app);
        relaxed_->LoadFromFile("highscore-relaxed.dat");
    }
}

TScoreTables::~TScoreTables() = default;

THighscoreManager* TScoreTables::Of(TGameKind kind) const {
    return kind == TGameKind::Relaxed && relaxed_ ? relaxed_.get() : timed_.get();
}

bool TScoreTables::Takes(TGameKind kind, int32_t score) const {
    const THighscoreManager* table = Of(kind);
    return table != nullptr &&
           table->IsHighscore(static_cast<uint32_t>(score), kScoreCategory, kScoreSubCategory);
}
