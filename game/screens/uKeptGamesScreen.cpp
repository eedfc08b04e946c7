// The list of the kept games (desktop and web): each with its kind, level,
// score and when it was last played, newest first, the chosen one on the
// menus' bar. Up and Down or the wheel choose, Return, Space or a click on a
// game continues it; Escape, the quit key or a click elsewhere goes back to
// the title.
#include "fwFont.h"
#include "uMenu.h"
#include "uScreen.h"

#include <ctime>
#include <string>

namespace {

constexpr int32_t kHeadingX = 15;
constexpr int32_t kHeadingY = 64;
constexpr int32_t kRowsLeft = 20;
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

    void Enter() override { menu_.Choose(0, Count()); }

    // Escape is the list's own way back, not the program's end.
    bool TakesEveryKey() const override { return true; }

    void Keys() override {
        const int32_t count = Count();
        if (count == 0 || Pressed(TAction::MenuBack, true) || Pressed(TAction::Leave, true)) {
            Ctx.States.Set(TGameState::gsTitle);
            return;
        }
        menu_.Choose(menu_.Choice(), count);
        if (menu_.Move(Ctx.App, count))
            return;
        if (Pressed(TAction::MenuTake, true))
            Ctx.Moves.ContinueGame(Ctx.Kept.Offers[static_cast<size_t>(menu_.Choice())]);
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (!e.OnPicture || menu_.Wheel(e, Count()) || e.Button != SDL_BUTTON_LEFT)
            return;
        const int32_t row = menu_.LineAt(Ctx.Media.F1, Rows(), e.X, e.Y);
        if (row < 0) {
            Start(TAction::MenuBack);
            return;
        }
        menu_.Choose(row, Count());
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
        menu_.Draw(surface, f1, Rows(), kTextColour);
        f1->DrawText(surface, kHelpX, kTableHelpY,
                     t.Translate(Ctx.App.TouchPlayer ? kTouchHelp : kHelp), kTextColour);
    }

private:
    TMenu menu_{kRowsLeft, kRowsTop, kRowHeight, kKeptGameSlots};

    int32_t Count() const { return static_cast<int32_t>(Ctx.Kept.Offers.size()); }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (const TKeptOffer& offer : Ctx.Kept.Offers)
            rows.push_back(RowText(Ctx.App.Catalogue, offer));
        return rows;
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsKeptGames>(TScreenContext& context) {
    return std::make_unique<TKeptGamesScreen>(context);
}
