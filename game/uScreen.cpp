// The screen table, the keys several screens share, and the board screens'
// drawing: the game screen under the overlay of the state.
#include "uScreen.h"

#include "fwConfig.h"
#include "fwImage.h"
#include "fwSprite.h"
#include "uGameGrid.h"
#include "uLettering.h"
#include "uWords.h"

#include <algorithm>
#include <string>

TScreenList MakeScreens(TScreenContext& context) {
    // The one place that says which screen shows a state: a new state is a
    // file with its screen and one line here.
    using F = std::unique_ptr<TScreen> (*)(TScreenContext&);
    static const std::pair<TGameState, F> kScreens[] = {
        {TGameState::gsTitle, &MakeScreen<TGameState::gsTitle>},
        {TGameState::gsReady, &MakeScreen<TGameState::gsReady>},
        {TGameState::gsPlaying, &MakeScreen<TGameState::gsPlaying>},
        {TGameState::gsRetry, &MakeScreen<TGameState::gsRetry>},
        {TGameState::gsLevelDone, &MakeScreen<TGameState::gsLevelDone>},
        {TGameState::gsPaused, &MakeScreen<TGameState::gsPaused>},
        {TGameState::gsGameOver, &MakeScreen<TGameState::gsGameOver>},
        {TGameState::gsHighscores, &MakeScreen<TGameState::gsHighscores>},
        {TGameState::gsEnterName, &MakeScreen<TGameState::gsEnterName>},
        {TGameState::gsKeptGames, &MakeScreen<TGameState::gsKeptGames>},
        {TGameState::gsOptions, &MakeScreen<TGameState::gsOptions>},
        {TGameState::gsControls, &MakeScreen<TGameState::gsControls>},
        {TGameState::gsHowToPlay, &MakeScreen<TGameState::gsHowToPlay>},
    };
    TScreenList screens;
    for (const auto& [state, make] : kScreens)
        screens.emplace_back(state, make(context));
    return screens;
}

bool TScreen::Pressed(TAction action, bool waitRelease) const {
    return Ctx.App.ActionPressed(ActionId(action), waitRelease);
}

void TScreen::Start(TAction action) const {
    Ctx.App.StartAction(ActionId(action));
}

bool TScreen::LeaveGameKey() {
    if (!Pressed(TAction::Leave, true))
        return false;
    Ctx.Moves.LeaveForTitle();
    return true;
}

bool TScreen::RestartKey() {
    if (!Pressed(TAction::Restart, true))
        return false;
    Ctx.Moves.RestartLevel();
    return true;
}

bool TScreen::PauseKey(TGameState next) {
    if (!Pressed(TAction::Pause, false))
        return false;
    Ctx.States.Set(next);
    return true;
}

void TBoardScreen::Draw(SDL_Surface* surface) {
    DrawGame(surface, Ctx, BoardShown(), PauseSymbolShown());
}

uint32_t TBoardScreen::UntilNextChange(uint32_t now) const {
    if (!BoardShown())
        return kfwNoChangeDue;
    if (Ctx.View.Board != nullptr && Ctx.View.Board->Blinking())
        return 0;
    uint32_t due = kfwNoChangeDue;
    for (const TfwSprite* sprite : {Ctx.View.Cursor, Ctx.View.Selection})
        if (sprite != nullptr && sprite->Shown())
            due = std::min(due, sprite->UntilNextFrame(now));
    return due;
}

void TBoardScreen::PointerPressed(const TfwPointerEvent& e) {
    if (e.Button == SDL_BUTTON_LEFT && e.OnPicture)
        Start(TAction::Select);
}

namespace {

// Where the overlays stand on the screen.
constexpr int32_t kOverlayX = 10;
constexpr int32_t kOverlayY = 110;

// The lettering of this build's overlay picture id; nullptr for none.
const TOverlayLettering* LetteringOf(TMediaId id) {
    for (const TOverlayLettering& o : kHandheld ? kHandheldOverlays : kDesktopOverlays)
        if (o.Id == id)
            return &o;
    return nullptr;
}

// Rows between the big line's baseline and the second line's capitals.
constexpr int32_t kOverlayLineGap = 5;

// The words of the overlay, lettered over its wordless panel: both lines
// centred, the pair in the middle of the panel, each line in the largest
// size up to its own that fits between the gems.
void LetterOverlay(SDL_Surface* surface, const TGameMedia& media, const TfwCatalogue& t,
                   TMediaId id, int32_t number, const TControls& controls) {
    TLettering& lettering = *media.Lettering;
    const TOverlayWords words =
        OverlayWords(t, id, number, [&controls](TAction a) { return controls.KeyLabel(a); });
    const bool warning = id == miOutOfTimeImage || id == miNoMovesImage || id == miGameOverImage;
    const TLetteringStyle& bigStyle = warning ? kRedLettering : kGoldLettering;
    const int32_t room = kOverlayWidth - 2 * kOverlayLetteringMargin;
    TfwFont* big = lettering.FontFor(words.Big, kMediaList[miFontBanner].FontSize, room, bigStyle);
    TfwFont* small =
        lettering.FontFor(words.Small, kMediaList[miFontLine].FontSize, room, kLineLettering);
    if (big == nullptr || small == nullptr)
        return;
    const int32_t bigCaps = lettering.CapHeight(*big);
    const int32_t top =
        kOverlayY + (kOverlayHeight - bigCaps - kOverlayLineGap - lettering.CapHeight(*small)) / 2;
    const int32_t centre = kOverlayX + kOverlayWidth / 2;
    lettering.Draw(surface, centre - TLettering::Width(*big, words.Big, bigStyle) / 2, top, *big,
                   words.Big, bigStyle);
    lettering.Draw(surface, centre - TLettering::Width(*small, words.Small, kLineLettering) / 2,
                   top + bigCaps + kOverlayLineGap, *small, words.Small, kLineLettering);
}

} // namespace

void TBoardScreen::DrawOverlay(SDL_Surface* surface) {
    if (Ctx.View.Board == nullptr || Ctx.View.Board->IsBusy())
        return;
    const TOverlay overlay = Overlay();
    if (overlay.Image == nullptr)
        return;
    overlay.Image->Draw(surface, kOverlayX, kOverlayY);
    if (Ctx.Media.Lettering != nullptr) {
        LetterOverlay(surface, Ctx.Media, Ctx.App.Catalogue, overlay.Id, overlay.Number,
                      Ctx.Prefs.Controls);
        return;
    }
    // The number goes where the picture's lettering left room for it, in the
    // digits of its line.
    const TOverlayLettering* lettering = LetteringOf(overlay.Id);
    if (overlay.Number < 0 || lettering == nullptr || lettering->NumberX <= 0)
        return;
    const bool big = std::string(lettering->Big).find('#') != std::string::npos;
    DrawDigits(surface, Ctx.Media.OverlayDigits, big ? kOverlayBigDigits : kOverlaySmallDigits,
               kOverlayX + lettering->NumberX, kOverlayY + lettering->NumberY,
               std::to_string(overlay.Number));
}
