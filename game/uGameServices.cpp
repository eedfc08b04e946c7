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

bool TScoreTables::StoreRow(TGameKind kind, const std::string& name, int32_t score) {
    THighscoreManager& table = *Of(kind);
    // The stored row gives way to one with the new name and its date: the
    // table's save would read the old one back from the file otherwise.
    const THScoreItem* old = row_;
    const double date = old != nullptr ? old->Date : 0;
    table.Withdraw(old);
    row_ = table.AddScore(name, static_cast<uint32_t>(score), kScoreCategory, kScoreSubCategory);
    if (old != nullptr)
        row_->Date = date;
    return table.Save();
}

void TScoreTables::WithdrawRow(TGameKind kind) {
    if (row_ == nullptr)
        return;
    THighscoreManager& table = *Of(kind);
    table.Withdraw(row_);
    row_ = nullptr;
    table.Save();
}
