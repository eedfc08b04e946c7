// The title: the logo, the version line, the credits, the volume and the last
// score; on the desktop and the page a menu (a kept game's entries first,
// then a new game, a relaxed one, the table, the options, how to play and
// the end), chosen by the menus' keys, the pad, the wheel, a click or a tap,
// or by each entry's shortcut; on the handheld its help lines and keys as
// they always were. Idle for long enough, it starts the demo; the idle count
// starts afresh on every return to the title and on every key, click or pad
// button there.
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwPictureCache.h"
#include "fwSprite.h"
#include "uHighscore.h"
#include "uMenu.h"
#include "uScreen.h"

#include <string>

namespace {

// The handheld's title: help lines kHelpLineHeight apart from kHelpTop, the
// last score above them, the credits in their column.
constexpr int32_t kHelpLeft = 15;
constexpr int32_t kHelpTop = 172;
constexpr int32_t kHelpLineHeight = 14;
constexpr int32_t kLastScoreTop = 154;
// The desktop's and the page's title: the menu under the version line, the
// key lines for play and the last score in a column to its right, the
// credits under the menu.
constexpr int32_t kMenuLeft = 15;
constexpr int32_t kMenuTop = 60;
constexpr int32_t kMenuLineHeight = 14;
constexpr int32_t kMenuShown = 8;
constexpr int32_t kSideLeft = 190;
constexpr int32_t kSideScoreTop = 62;
constexpr int32_t kKeyLinesTop = 92;
constexpr int32_t kKeyLineHeight = 13;
constexpr int32_t kCreditsLeft = 5;
constexpr int32_t kCreditsTop = 178;
constexpr int32_t kCreditsLineHeight = 11;
// What the title tells of keeping games: bottom left, left of the volume line.
constexpr int32_t kKeptNoticeLeft = 5;
constexpr int32_t kKeptNoticeTop = 224;
constexpr int32_t kKeptNoticeGap = 8;
// The volume line; in the page, the line that asks for the gesture that
// starts its sound ends this far left of it.
constexpr int32_t kVolumeLeft = 250;
constexpr int32_t kVolumeTop = 220;
constexpr int32_t kSoundHintGap = 12;
// Where the title says that the player's scores are not kept (a browser
// that keeps no storage for the page): over the kept games' notice.
constexpr int32_t kNotKeptLeft = 5;
constexpr int32_t kNotKeptTop = 206;
constexpr int32_t kIdleSecondsBeforeDemo = 10; // the demo starts at the tick after

std::vector<std::string> Texts(const std::vector<TMenuLine>& menu) {
    std::vector<std::string> texts;
    texts.reserve(menu.size());
    for (const TMenuLine& line : menu)
        texts.push_back(line.Text);
    return texts;
}

// Everything the title's picture depends on: the numbers and texts it shows
// and the pictures and faces it draws, down to what a reload or a new alpha
// changes.
TfwPictureCache::TKey TitleKey(const TScreenContext& game, const std::vector<std::string>& texts,
                               int32_t choice) {
    std::string joined =
        game.App.Language + "\n" + game.Kept.Notice + "\n" + game.Kept.NoticeDetail;
    for (const std::string& t : texts)
        joined.append("\n").append(t);
    TfwPictureCache::TKey key = {static_cast<uintptr_t>(game.Sounds.Effects),
                                 static_cast<uintptr_t>(game.Session.Score),
                                 game.App.Silent,
                                 game.App.Platform().SoundWaits(),
                                 game.App.FilesKept(),
                                 game.Kept.Offers.size(),
                                 static_cast<uintptr_t>(choice),
                                 std::hash<std::string>{}(joined)};
    for (const TfwSDLImage* image : {game.Media.Splash, game.Media.Logo}) {
        const SDL_Surface* s = image != nullptr ? image->Surface : nullptr;
        key.insert(key.end(), {reinterpret_cast<uintptr_t>(image), reinterpret_cast<uintptr_t>(s),
                               s != nullptr ? s->flags : 0, s != nullptr ? s->format->alpha : 0u,
                               s != nullptr ? s->format->colorkey : 0});
    }
    for (const TfwFont* font : {game.Media.F1, game.Media.F2, game.Media.F3})
        key.insert(key.end(), {reinterpret_cast<uintptr_t>(font),
                               reinterpret_cast<uintptr_t>(font != nullptr ? font->Font : nullptr),
                               font != nullptr && font->Opened, font != nullptr && font->Blended});
    return key;
}

void Text(SDL_Surface* surface, TfwFont* font, int32_t x, int32_t y, const std::string& s) {
    if (font != nullptr)
        font->DrawText(surface, x, y, s, kTextColour);
}

class TTitleScreen : public TScreen {
public:
    using TScreen::TScreen;

    void Enter() override {
        Ctx.View.Cursor->Hide();
        Ctx.View.Selection->Hide();
        Ctx.Mode.IdleSeconds = 0;
        // What another copy kept or ended meanwhile shows too.
        Ctx.Kept.Read(Ctx.View.Board->Width, Ctx.View.Board->Height);
        // Back from the options or how to play, the choice stays where it was.
        if (!returning_)
            menu_.Choose(0, static_cast<int32_t>(Menu().size()));
        returning_ = false;
    }

    bool Step() override {
        if (Ctx.Moves.InputThisFrame())
            Ctx.Mode.IdleSeconds = 0;
        return true;
    }

    void Keys() override {
        if constexpr (kHandheld) {
            HandheldKeys();
            return;
        }
        const std::vector<TMenuLine> menu = Menu();
        const auto count = static_cast<int32_t>(menu.size());
        menu_.Choose(menu_.Choice(), count);
        if (menu_.Move(Ctx.App, count))
            return;
        if (Pressed(TAction::MenuTake, true)) {
            Take(menu[static_cast<size_t>(menu_.Choice())].Entry);
            return;
        }
        for (const TMenuLine& line : menu)
            if (Pressed(line.Shortcut, true)) {
                Take(line.Entry);
                return;
            }
    }

    // A click or a tap on an entry takes it; elsewhere it does nothing.
    void PointerPressed(const TfwPointerEvent& e) override {
        if (kHandheld || !e.OnPicture)
            return;
        const std::vector<TMenuLine> menu = Menu();
        if (menu_.Wheel(e, static_cast<int32_t>(menu.size())) || e.Button != SDL_BUTTON_LEFT)
            return;
        const int32_t line = menu_.LineAt(Ctx.Media.F2, Texts(menu), e.X, e.Y);
        if (line < 0)
            return;
        menu_.Choose(line, static_cast<int32_t>(menu.size()));
        Start(TAction::MenuTake);
    }

    void SecondElapsed() override {
        if (Ctx.Mode.Demo)
            return;
        ++Ctx.Mode.IdleSeconds;
        if (Ctx.Mode.IdleSeconds > kIdleSecondsBeforeDemo)
            Ctx.Moves.StartDemo();
    }

    void Draw(SDL_Surface* surface) override {
        std::vector<std::string> texts =
            kHandheld ? TitleHelpLines(Ctx.Prefs.Controls) : Texts(Menu());
        for (const std::string& line :
             TitleKeyLines(Ctx.App.Catalogue, Ctx.Prefs.Controls, Ctx.App.TouchPlayer))
            texts.push_back(line);
        Ctx.TitlePicture.Draw(surface, TitleKey(Ctx, texts, menu_.Choice()),
                              [this](SDL_Surface* s) { DrawTitle(s); });
    }

private:
    TMenu menu_{kMenuLeft, kMenuTop, kMenuLineHeight, kMenuShown};
    bool returning_ = false; // the title comes back from a screen it opened

    std::vector<TMenuLine> Menu() const {
        return TitleMenu(Ctx.App.Catalogue, Ctx.Kept.Offers, Ctx.Prefs.Controls,
                         Ctx.App.PlayerMayQuit(), Ctx.App.TouchPlayer);
    }

    void HandheldKeys() {
        if (Pressed(TAction::Leave, true))
            Ctx.App.Quit();
        else if (Pressed(TAction::Select, true))
            Ctx.Moves.NewGameOf(TGameKind::Timed);
        else if (Pressed(TAction::Highscores, true))
            ShowTable();
    }

    void ShowTable() {
        Ctx.Tables.Shown = Ctx.Session.Kind;
        Ctx.Tables.ShownTable()->Activate();
        Ctx.States.Set(TGameState::gsHighscores);
    }

    void Take(TMenuEntry entry) {
        switch (entry) {
        case TMenuEntry::Continue:
            Ctx.Moves.ContinueGame(Ctx.Kept.Offers.front());
            break;
        case TMenuEntry::KeptGames:
            Ctx.States.Set(TGameState::gsKeptGames);
            break;
        case TMenuEntry::NewGame:
            Ctx.Moves.NewGameOf(TGameKind::Timed);
            break;
        case TMenuEntry::Relaxed:
            Ctx.Moves.NewGameOf(TGameKind::Relaxed);
            break;
        case TMenuEntry::Highscores:
            ShowTable();
            break;
        case TMenuEntry::Options:
        case TMenuEntry::HowToPlay:
            returning_ = true;
            Ctx.States.Open(entry == TMenuEntry::Options ? TGameState::gsOptions
                                                         : TGameState::gsHowToPlay);
            break;
        case TMenuEntry::Quit:
            Ctx.App.Quit();
            break;
        }
    }

    void DrawTitle(SDL_Surface* surface) {
        DrawBackground(surface, Ctx.Media);
        Text(
            surface, Ctx.Media.F1, 5, 44,
            // TRANSLATORS: box 300x14 (the title's version line, font 12)
            fwSubstitute(Ctx.App.Catalogue.Translate("Tessaril - Version %1"), {TESSARIL_VERSION}));
        DrawVolume(surface);
        if constexpr (kHandheld)
            DrawHandheld(surface);
        else
            DrawMenu(surface);
    }

    void DrawHandheld(SDL_Surface* surface) const {
        const TGameMedia& m = Ctx.Media;
        Text(surface, m.F3, 5, 64, "Written by ");
        Text(surface, m.F3, 15, 82, "Orvin Tasker (Programming / GP2XWIZ)");
        Text(surface, m.F3, 15, 100, "Mabel Quorne (Programming / Art)");
        Text(surface, m.F3, 15, 118, "The Internet (Sound)");
        if (Ctx.Session.Score > 0)
            Text(surface, m.F2, kHelpLeft, kLastScoreTop,
                 "Last Score: " + std::to_string(Ctx.Session.Score));
        const auto lines = TitleHelpLines(Ctx.Prefs.Controls);
        for (size_t i = 0; i < lines.size(); ++i)
            Text(surface, m.F2, kHelpLeft, kHelpTop + static_cast<int32_t>(i) * kHelpLineHeight,
                 lines[i]);
    }

    void DrawMenu(SDL_Surface* surface) const {
        const TGameMedia& m = Ctx.Media;
        const TfwCatalogue& t = Ctx.App.Catalogue;
        menu_.Draw(surface, m.F2, Texts(Menu()), kTextColour);
        if (Ctx.Session.Score > 0 && Ctx.Kept.Offers.empty())
            Text(surface, m.F2, kSideLeft, kSideScoreTop,
                 // TRANSLATORS: box 128x16 (the title's last score, font 14)
                 fwSubstitute(t.Translate("Last Score: %1"), {std::to_string(Ctx.Session.Score)}));
        const auto keys = TitleKeyLines(t, Ctx.Prefs.Controls, Ctx.App.TouchPlayer);
        for (size_t i = 0; i < keys.size(); ++i)
            Text(surface, m.F1, kSideLeft, kKeyLinesTop + static_cast<int32_t>(i) * kKeyLineHeight,
                 keys[i]);
        Text(surface, m.F1, kCreditsLeft, kCreditsTop,
             // TRANSLATORS: box 310x14 (the credits' first line, font 12)
             t.Translate("Written by Orvin Tasker (Programming / GP2XWIZ),"));
        Text(surface, m.F1, kCreditsLeft, kCreditsTop + kCreditsLineHeight,
             // TRANSLATORS: box 310x14 (the credits' second line, font 12)
             t.Translate("Mabel Quorne (Programming / Art); sound: The Internet"));
        if (!Ctx.App.FilesKept())
            Text(surface, m.F1, kNotKeptLeft, kNotKeptTop,
                 // TRANSLATORS: box 310x14 (the title's notice in a browser that keeps
                 // nothing, font 12)
                 t.Translate("Scores are not kept in this browser"));
        DrawKeptNotice(surface);
    }

    // Without a sound device the desktop has no volume to tell; the handheld
    // keeps its volume line.
    void DrawVolume(SDL_Surface* surface) const {
        TfwFont* font = Ctx.Media.F1;
        const TfwCatalogue& t = Ctx.App.Catalogue;
        Text(surface, font, kVolumeLeft, kVolumeTop,
             Ctx.App.Silent && !kHandheld
                 // TRANSLATORS: box 70x14 (the title's volume line, font 12)
                 ? t.Translate("Sound: off")
                 // TRANSLATORS: box 70x14 (the title's volume line, font 12); %1 up to 128
                 : fwSubstitute(t.Translate("Volume: %1"), {std::to_string(Ctx.Sounds.Effects)}));
        // Does the page's sound wait for the player's first key, click or touch?
        // TRANSLATORS: box 230x14 (the page's title, left of the volume line, font 12)
        const std::string hint = t.Translate("Press a key or click for sound");
        if (!Ctx.App.Silent && Ctx.App.Platform().SoundWaits() && font != nullptr)
            Text(surface, font, kVolumeLeft - kSoundHintGap - font->TextWidth(hint), kVolumeTop,
                 hint);
    }

    // Cut to end before the volume line; the whole sentence went to standard error.
    void DrawKeptNotice(SDL_Surface* surface) const {
        TfwFont* font = Ctx.Media.F1;
        if (Ctx.Kept.Notice.empty() || font == nullptr)
            return;
        std::string text =
            fwSubstitute(Ctx.App.Catalogue.Translate(Ctx.Kept.Notice), {Ctx.Kept.NoticeDetail});
        const int32_t room = kVolumeLeft - kKeptNoticeGap - kKeptNoticeLeft;
        if (font->TextWidth(text) > room) {
            // One character at a time (a UTF-8 sequence whole) until the dots fit too.
            const auto continuation = [](char c) {
                return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
            };
            while (!text.empty() && font->TextWidth(text + "...") > room) {
                while (text.size() > 1 && continuation(text.back()))
                    text.pop_back();
                text.pop_back();
            }
            text += "...";
        }
        Text(surface, font, kKeptNoticeLeft, kKeptNoticeTop, text);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsTitle>(TScreenContext& context) {
    return std::make_unique<TTitleScreen>(context);
}

namespace {

std::string KeptLine(const TfwCatalogue& t, const TGameSession& s) {
    const std::vector<std::string> values = {std::to_string(s.Level), std::to_string(s.Score)};
    return s.Kind == TGameKind::Relaxed
               // TRANSLATORS: box 284x16 (the title's first menu entry after "C - ", font 14); %1
               // and %2 up to 9999
               ? fwSubstitute(t.Translate("Continue level %1, relaxed (score %2)"), values)
               // TRANSLATORS: box 284x16 (the title's first menu entry after "C - ", font 14); %1
               // and %2 up to 9999
               : fwSubstitute(t.Translate("Continue level %1, timed (score %2)"), values);
}

} // namespace

std::vector<TMenuLine> TitleMenu(const TfwCatalogue& t, const std::vector<TKeptOffer>& kept,
                                 const TControls& controls, bool quits, bool touch) {
    using E = TMenuEntry;
    std::vector<TMenuLine> menu;
    const auto add = [&](E entry, TAction shortcut, const std::string& text) {
        menu.push_back(
            {entry, shortcut, touch ? text : controls.KeyLabel(shortcut) + " - " + text});
    };
    if (!kept.empty())
        add(E::Continue, TAction::Continue, KeptLine(t, kept.front().Game.Session));
    if (kept.size() > 1)
        add(E::KeptGames, TAction::KeptGames,
            // TRANSLATORS: box 270x16 (a title menu entry after "K - ", font 14); %1 is a
            // number from 1
            fwSubstitute(t.Plural("Kept games (%1 more)", "Kept games (%1 more)", kept.size() - 1),
                         {std::to_string(kept.size() - 1)}));
    // TRANSLATORS: box 150x16 (a title menu entry after "N - ", font 14)
    add(E::NewGame, TAction::NewGame, t.Translate("New game"));
    // TRANSLATORS: box 150x16 (a title menu entry after "R - ", font 14)
    add(E::Relaxed, TAction::Relaxed, t.Translate("Relaxed game"));
    // TRANSLATORS: box 150x16 (a title menu entry after "H - ", font 14)
    add(E::Highscores, TAction::Highscores, t.Translate("High scores"));
    // TRANSLATORS: box 150x16 (a title menu entry after "O - ", font 14)
    add(E::Options, TAction::Options, t.Translate("Options"));
    // TRANSLATORS: box 150x16 (a title menu entry after "I - ", font 14)
    add(E::HowToPlay, TAction::HowToPlay, t.Translate("How to play"));
    if (quits)
        // TRANSLATORS: box 150x16 (a title menu entry after "Q - ", font 14)
        add(E::Quit, TAction::Quit, t.Translate("Quit"));
    return menu;
}

std::vector<std::string> TitleHelpLines(const TControls& controls) {
    return {"'" + controls.KeyLabel(TAction::Select) + "'  - Start game / select stone",
            controls.MovesLabel() + " - move cursor",
            "'" + controls.KeyLabel(TAction::Leave) + "' - Quit game"};
}

std::vector<std::string> TitleKeyLines(const TfwCatalogue& t, const TControls& controls,
                                       bool touch) {
    if constexpr (kHandheld)
        return {};
    if (touch)
        return {// TRANSLATORS: box 130x13 (a key line of the title's right column, font 12)
                t.Translate("Tap two stones - swap"),
                // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12)
                t.Translate("Swipe a stone - swap"),
                // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12)
                t.Translate("Tap II - pause"),
                // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12)
                t.Translate("Hold a stone - hint")};
    // Fullscreen is the window's own key, not the game's.
    return {
        // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12); %1 up to Tab
        // (a key)
        fwSubstitute(t.Translate("Click or %1 - swap"), {controls.KeyLabel(TAction::Select)}),
        // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12); %1 names the
        // arrows
        fwSubstitute(t.Translate("%1 - move"), {t.Translate(controls.MovesLabel())}),
        // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12); %1 up to Tab
        // (a key)
        fwSubstitute(t.Translate("%1 or click II - pause"), {controls.KeyLabel(TAction::Pause)}),
        // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12); %1 up to Tab
        // (a key)
        fwSubstitute(t.Translate("%1 or right click - hint"), {controls.KeyLabel(TAction::Hint)}),
        // TRANSLATORS: box 130x13 (a key line of the title's right column, font 12)
        t.Translate("F11 - fullscreen")};
}
