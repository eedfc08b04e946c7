// How to play (desktop and web): seven pages, one a topic, each drawn with
// the game's own pictures and naming the player's keys. Left and Right (the
// pad's d-pad or stick, the wheel, Return or Space for the next) turn the
// pages, a click or a tap on the right half turns forward and on the left
// half back; Escape or the pad's back button go back to where the pages
// were opened from.
#include "fwFont.h"
#include "fwImage.h"
#include "uScreen.h"

#include <string>

namespace {

constexpr int32_t kHeadingX = 15;
constexpr int32_t kHeadingY = 44;
constexpr int32_t kTextLeft = 15;
constexpr int32_t kTextWidth = 270; // clear of the goals column
constexpr int32_t kTextTop = 128;
constexpr int32_t kLineHeight = 11;
constexpr int32_t kPictureTop = 66;
constexpr int32_t kFooterY = 222;
constexpr int32_t kStonePitch = 28;

// Stone kinds as the stone pictures number them (entry k - 1 is kind k).
enum TStoneKind : int32_t { skFirst = 1, skSecond = 2, skThird = 3, skHourglass = 10, skBomb = 11 };

void DrawStone(SDL_Surface* s, const TGameMedia& m, int32_t kind, int32_t x, int32_t y) {
    if (TfwSDLImage* image = m.StoneImages[static_cast<size_t>(kind - 1)])
        image->Draw(s, x, y);
}

void DrawStones(SDL_Surface* s, const TGameMedia& m, const std::vector<int32_t>& kinds, int32_t x,
                int32_t y) {
    for (size_t i = 0; i < kinds.size(); ++i)
        DrawStone(s, m, kinds[i], x + static_cast<int32_t>(i) * kStonePitch, y);
}

void Arrow(SDL_Surface* s, const TGameMedia& m, int32_t x, int32_t y) {
    if (m.F3 != nullptr)
        m.F3->DrawText(s, x, y, "->", kTextColour);
}

// The cursor picture's first frame over a stone.
void DrawCursor(SDL_Surface* s, const TGameMedia& m, int32_t x, int32_t y) {
    if (m.CursorImage != nullptr)
        m.CursorImage->Draw(s, x - 1, y - 1, 0, 0, kStonePitch, kStonePitch);
}

// A swap that makes a run: red red blue red becomes red red red blue.
void SwapPicture(SDL_Surface* s, const TGameMedia& m) {
    DrawStones(s, m, {skFirst, skFirst, skThird, skFirst}, 30, kPictureTop + 10);
    DrawCursor(s, m, 30 + 2 * kStonePitch, kPictureTop + 10);
    Arrow(s, m, 150, kPictureTop + 14);
    DrawStones(s, m, {skFirst, skFirst, skFirst, skThird}, 180, kPictureTop + 10);
}

TGameSession SampleSession() {
    TGameSession s;
    s.Level = 3;
    s.Score = 1250;
    s.Lives = 2;
    s.TimeLeft = 65;
    s.Colours = 6;
    for (int32_t k = 1; k <= s.Colours; ++k)
        s.Goals[static_cast<size_t>(k)] = k % 3 == 0 ? 0 : 5 - k % 3;
    return s;
}

void GoalsPicture(SDL_Surface* s, const TGameMedia& m, const TfwCatalogue& t) {
    DrawHeadsUpOf(s, m, t, SampleSession(), true);
}

void HeadsUpPicture(SDL_Surface* s, const TGameMedia& m, const TfwCatalogue& t) {
    DrawHeadsUpOf(s, m, t, SampleSession(), false);
    DrawStones(s, m, {skSecond, skSecond, skSecond}, 100, kPictureTop + 10);
}

void HintPicture(SDL_Surface* s, const TGameMedia& m) {
    DrawStones(s, m, {skSecond, skThird, skSecond, skSecond}, 100, kPictureTop + 10);
    if (m.MarkerImage != nullptr)
        m.MarkerImage->Draw(s, 100 + kStonePitch, kPictureTop + 10 - m.MarkerImage->Height());
    DrawCursor(s, m, 100 + kStonePitch, kPictureTop + 10);
}

void SpecialPicture(SDL_Surface* s, const TGameMedia& m) {
    DrawStones(s, m, {skHourglass, skHourglass, skHourglass}, 40, kPictureTop + 10);
    DrawStones(s, m, {skBomb, skBomb, skBomb}, 190, kPictureTop + 10);
}

void RelaxedPicture(SDL_Surface* s, const TGameMedia& m, const TfwCatalogue& t) {
    TGameSession relaxed = SampleSession();
    relaxed.Kind = TGameKind::Relaxed;
    DrawHeadsUpOf(s, m, t, relaxed, false);
    DrawStones(s, m, {skThird, skThird, skThird}, 100, kPictureTop + 10);
}

void ContinuePicture(SDL_Surface* s, const TGameMedia& m, const TfwCatalogue& t) {
    if (m.F2 != nullptr)
        m.F2->DrawText(
            s, 30, kPictureTop + 14,
            fwSubstitute(t.Translate("Continue level %1, timed (score %2)"), {"3", "1250"}),
            kTextColour);
}

// A page: its heading (English, translated where drawn), its picture and
// its text, the player's keys named in it.
struct TPage {
    const char* Heading;
    bool Logo; // false: the page shows the heads-up row where the logo stands
    void (*Picture)(SDL_Surface*, const TGameMedia&, const TfwCatalogue&);
    std::string (*Text)(const TfwCatalogue&, const TControls&, bool touch);
};

std::string K(const TControls& c, TAction a) {
    return c.KeyLabel(a);
}

// The pictures that need no words.
template <void (*Draw)(SDL_Surface*, const TGameMedia&)>
void Plain(SDL_Surface* s, const TGameMedia& m, const TfwCatalogue&) {
    Draw(s, m);
}

// Each page's text is one paragraph; where it differs for a player by touch,
// the sentences that differ are messages of their own.
const TPage kPages[] = {
    // TRANSLATORS: box 290x20 (a how-to-play page's heading, font 16)
    {N_("The board"), true, Plain<SwapPicture>,
     [](const TfwCatalogue& t, const TControls& c, bool touch) {
         return (touch
                     ? t.Translate(
                           // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines
                           // of 11)
                           "Tap a stone, then a neighbour (or swipe it): the swap stays only "
                           "when it makes a line of three or more equal stones.")
                     // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11);
                     // %1 names the arrows, %2 a key
                     : fwSubstitute(t.Translate("Move the cursor (%1), select a stone (%2 or a "
                                                "click) and a neighbour: the swap stays only when "
                                                "it makes a line of three or more equal stones."),
                                    {t.Translate(c.MovesLabel()), K(c, TAction::Select)})) +
                " " +
                // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
                t.Translate("Every line clears at once, 25 points a stone; the stones above fall, "
                            "new ones drop in, and chains clear by themselves.");
     }},
    // TRANSLATORS: box 290x20 (a how-to-play page's heading, font 16)
    {N_("The goals"), false, GoalsPicture,
     [](const TfwCatalogue& t, const TControls&, bool) {
         return t.Translate(
             // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
             "The column at the right counts the stones of each colour the level still asks "
             "for: level + 2 of each. Meet every goal and the level is complete. Level 6 "
             "brings a seventh colour, level 11 an eighth.");
     }},
    // TRANSLATORS: box 290x20 (a how-to-play page's heading, font 16)
    {N_("Clock, lives and bonus"), false, HeadsUpPicture,
     [](const TfwCatalogue& t, const TControls&, bool) {
         return t.Translate(
             // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
             "Level n gives (n - 1) x 5 + 60 seconds. Running out of time, or a board "
             "without a move, costs one of three lives and deals the level again. A "
             "completed level n brings 250 x n points. With no life left the game is over.");
     }},
    // TRANSLATORS: box 290x20 (a how-to-play page's heading, font 16)
    {N_("The hint"), true, Plain<HintPicture>,
     [](const TfwCatalogue& t, const TControls& c, bool touch) {
         return (touch
                     // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
                     ? t.Translate("Hold a finger on a stone shows a swap that works.")
                     // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11);
                     // %1 is a key
                     : fwSubstitute(t.Translate("%1 or a right click shows a swap that works."),
                                    {K(c, TAction::Hint)})) +
                " " +
                // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
                t.Translate("It costs 10 seconds of the clock in a timed game, and 100 points "
                            "(never below zero) in a relaxed one.");
     }},
    // TRANSLATORS: box 290x20 (a how-to-play page's heading, font 16)
    {N_("Special stones"), true, Plain<SpecialPicture>,
     [](const TfwCatalogue& t, const TControls&, bool) {
         return t.Translate(
             // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
             "Every 30th new stone is special: an hourglass, or a bomb when an hourglass is "
             "on the board already. It matches only its own kind, and no goal asks for it.");
     }},
    // TRANSLATORS: box 290x20 (a how-to-play page's heading, font 16)
    {N_("The relaxed game"), false, RelaxedPicture,
     [](const TfwCatalogue& t, const TControls&, bool) {
         return t.Translate(
             // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
             "The relaxed game is the same game without the clock: a level ends when its "
             "goals are met, a hint costs 100 points, a board without moves costs a life. Its "
             "scores have a table of their own.");
     }},
    // TRANSLATORS: box 290x20 (a how-to-play page's heading, font 16)
    {N_("Continue"), true, ContinuePicture,
     [](const TfwCatalogue& t, const TControls& c, bool touch) {
         return (touch
                     // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
                     ? t.Translate("Leave a game, or close the program, and it is kept: the title "
                                   "offers to continue it.")
                     // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11);
                     // %1 is a key
                     : fwSubstitute(t.Translate("Leave a game (%1), or close the program, and "
                                                "it is kept: the title offers to continue it."),
                                    {K(c, TAction::Leave)})) +
                " " +
                // TRANSLATORS: box 270x88 (a how-to-play page's text, font 12, lines of 11)
                t.Translate("Up to three games are kept, newest first, beside each other; Kept "
                            "games lists them. A game ends with GAME OVER, once its score is "
                            "stored.");
     }},
};
constexpr int32_t kPageCount = static_cast<int32_t>(std::size(kPages));

class THowToPlayScreen : public TScreen {
public:
    using TScreen::TScreen;

    void Enter() override { page_ = 0; }
    TKept KeptAs() const override { return Ctx.States.ScreenOf(Ctx.States.Root()).KeptAs(); }
    bool TakesEveryKey() const override { return true; }

    void Keys() override {
        if (Pressed(TAction::MenuBack, true))
            Ctx.States.Back();
        else if (Pressed(TAction::MenuLeft, false) || Pressed(TAction::MenuUp, false))
            Turn(-1);
        else if (Pressed(TAction::MenuRight, false) || Pressed(TAction::MenuDown, false) ||
                 Pressed(TAction::MenuTake, true))
            Turn(1);
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (!e.OnPicture)
            return;
        if (e.Button == SDL_BUTTON_WHEELUP || e.Button == SDL_BUTTON_WHEELDOWN)
            Turn(e.Button == SDL_BUTTON_WHEELUP ? -1 : 1);
        else if (e.Button == SDL_BUTTON_LEFT)
            Turn(e.X < kPictureWidth / 2 ? -1 : 1);
    }

    void Draw(SDL_Surface* surface) override {
        const TPage& page = kPages[page_];
        if (page.Logo)
            DrawBackground(surface, Ctx.Media);
        else if (Ctx.Media.Splash != nullptr)
            Ctx.Media.Splash->Draw(surface, 0, 0);
        const TfwCatalogue& t = Ctx.App.Catalogue;
        page.Picture(surface, Ctx.Media, t);
        TfwFont* f1 = Ctx.Media.F1;
        if (Ctx.Media.F3 != nullptr)
            Ctx.Media.F3->DrawText(surface, kHeadingX, kHeadingY, t.Translate(page.Heading),
                                   kTextColour);
        if (f1 == nullptr)
            return;
        const auto lines =
            WrapText(f1, page.Text(t, Ctx.Prefs.Controls, Ctx.App.TouchPlayer), kTextWidth);
        for (size_t i = 0; i < lines.size(); ++i)
            f1->DrawText(surface, kTextLeft, kTextTop + static_cast<int32_t>(i) * kLineHeight,
                         lines[i], kTextColour);
        f1->DrawText(surface, kTextLeft, kFooterY, Footer(), kTextColour);
    }

private:
    int32_t page_ = 0;

    std::string Footer() const {
        const TfwCatalogue& t = Ctx.App.Catalogue;
        const std::vector<std::string> numbers = {std::to_string(page_ + 1),
                                                  std::to_string(kPageCount)};
        return fwSubstitute(Ctx.App.TouchPlayer
                                // TRANSLATORS: box 300x14 (how to play's last line, font 12)
                                ? t.Translate("Page %1 / %2 - tap right: next, left: back")
                                // TRANSLATORS: box 300x14 (how to play's last line, font 12)
                                : t.Translate("Page %1 / %2 - Left / Right: turn, Escape: back"),
                            numbers);
    }

    // Past the last page the pages close; before the first nothing happens.
    void Turn(int32_t step) {
        if (page_ + step >= kPageCount) {
            Ctx.States.Back();
            return;
        }
        page_ = std::max(0, page_ + step);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsHowToPlay>(TScreenContext& context) {
    return std::make_unique<THowToPlayScreen>(context);
}
