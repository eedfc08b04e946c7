// The list of the kept games (desktop and web): each with its kind, level,
// score and when it was last played, newest first. Up and Down choose, the
// select key, Return or a click on a game continues it; Escape, the quit key
// or a click elsewhere goes back to the title.
#include "fwFont.h"
#include "uScreen.h"

#include <algorithm>
#include <ctime>
#include <string>

namespace {

constexpr int32_t kHeadingX = 15;
constexpr int32_t kHeadingY = 64;
constexpr int32_t kRowsLeft = 15;
constexpr int32_t kRowsTop = 90;
constexpr int32_t kRowHeight = 16;
constexpr int32_t kHelpX = 50;
// TRANSLATORS: box 265x14 (the kept games' last line, font 12)
constexpr const char* kHelp = N_("Return - continue, Escape - back to the title");
// TRANSLATORS: box 265x14 (the kept games' last line, font 12)
constexpr const char* kTouchHelp = N_("Tap a game - continue, elsewhere - back");

// "Timed, level 7, score 4200, 2026-12-09": one kept game's row, its date as
// the table writes dates.
std::string RowText(const TfwCatalogue& t, const TKeptOffer& offer) {
    const TGameSession& s = offer.Game.Session;
    const std::time_t written = static_cast<std::time_t>(offer.WrittenNs / 1000000000);
    char when[32] = "";
    if (const std::tm* local = std::localtime(&written))
        std::strftime(when, sizeof when, "%Y-%m-%d", local);
    const std::vector<std::string> values = {std::to_string(s.Level), std::to_string(s.Score),
                                             when};
    return s.Kind == TGameKind::Relaxed
               // TRANSLATORS: box 290x16 (a row of the kept games' list, font 12); %1 the
               // level, %2 the score, %3 the date as 2026-12-09
               ? fwSubstitute(t.Translate("Relaxed, level %1, score %2, %3"), values)
               // TRANSLATORS: box 290x16 (a row of the kept games' list, font 12); %1 the
               // level, %2 the score, %3 the date as 2026-12-09
               : fwSubstitute(t.Translate("Timed, level %1, score %2, %3"), values);
}

class TKeptGamesScreen : public TScreen {
public:
    using TScreen::TScreen;

    void Enter() override { choice_ = 0; }

    // Escape is the list's own way back, not the program's end.
    bool TakesEveryKey() const override { return true; }

    void Keys() override {
        const auto count = static_cast<int32_t>(Ctx.Kept.Offers.size());
        if (count == 0 || Pressed(TAction::MenuBack, true) || Pressed(TAction::Leave, true)) {
            Ctx.States.Set(TGameState::gsTitle);
            return;
        }
        if (Pressed(TAction::MenuUp, false))
            choice_ = (choice_ + count - 1) % count;
        if (Pressed(TAction::MenuDown, false))
            choice_ = (choice_ + 1) % count;
        choice_ = std::min(choice_, count - 1);
        if (Pressed(TAction::MenuTake, true))
            Ctx.Moves.ContinueGame(Ctx.Kept.Offers[static_cast<size_t>(choice_)]);
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture)
            return;
        const int32_t row = e.Y >= kRowsTop ? (e.Y - kRowsTop) / kRowHeight : -1;
        if (row < 0 || row >= static_cast<int32_t>(Ctx.Kept.Offers.size())) {
            Start(TAction::MenuBack);
            return;
        }
        choice_ = row;
        Start(TAction::MenuTake);
    }

    void Draw(SDL_Surface* surface) override {
        DrawBackground(surface, Ctx.Media);
        TfwFont* f1 = Ctx.Media.F1;
        TfwFont* f3 = Ctx.Media.F3;
        if (f1 == nullptr || f3 == nullptr)
            return;
        const TfwCatalogue& t = Ctx.App.Catalogue;
        // TRANSLATORS: box 290x20 (the kept games' heading, font 16)
        f3->DrawText(surface, kHeadingX, kHeadingY, t.Translate("Kept games"), kTextColour);
        for (size_t i = 0; i < Ctx.Kept.Offers.size(); ++i)
            f1->DrawText(surface, kRowsLeft, kRowsTop + static_cast<int32_t>(i) * kRowHeight,
                         (static_cast<int32_t>(i) == choice_ ? "> " : "   ") +
                             RowText(t, Ctx.Kept.Offers[i]),
                         kTextColour);
        f1->DrawText(surface, kHelpX, kTableHelpY,
                     t.Translate(Ctx.App.TouchPlayer ? kTouchHelp : kHelp), kTextColour);
    }

private:
    int32_t choice_ = 0; // the chosen game's row
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsKeptGames>(TScreenContext& context) {
    return std::make_unique<TKeptGamesScreen>(context);
}
