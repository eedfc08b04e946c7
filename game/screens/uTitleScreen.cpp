// The title: credits, the volume, the last score and the help lines, which on
// the desktop are entries a click chooses: a kept game's first, then a new
// game, a relaxed one, the table and the end. Idle for long enough, it starts
// the demo; the idle count starts afresh on every return to the title and on
// every key, click or pad button there.
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
#include "fwPictureCache.h"
#include "fwSprite.h"
#include "uHighscore.h"
#include "uScreen.h"

#include <cctype>
#include <string>

namespace {

// The title's help lines, kHelpLineHeight apart from kHelpTop, the last score
// above them; the desktop's key lines in a column of their own to the right.
// With a kept game the entries begin in the last credit's place, and the kept
// game's entry shows the score.
constexpr int32_t kHelpLeft = 15;
constexpr int32_t kHelpTop = 172;
constexpr int32_t kKeptEntriesTop = 118;
constexpr int32_t kHelpLineHeight = 14;
constexpr int32_t kLastScoreTop = 154;
// A kept game: beside the start entry, what starting does to it.
// What the title tells of keeping games: bottom left, left of the volume line.
constexpr int32_t kKeptNoticeLeft = 5;
constexpr int32_t kKeptNoticeTop = 224;
constexpr int32_t kKeptNoticeGap = 8;
constexpr int32_t kKeyLinesLeft = 180;
constexpr int32_t kKeyLinesTop = 150;
constexpr int32_t kKeyLineHeight = 13;
// A click counts for an entry this far left and right of its text.
constexpr int32_t kEntrySlack = 5;
// The volume line; in the page, the line that asks for the gesture that
// starts its sound ends this far left of it.
constexpr int32_t kVolumeLeft = 250;
constexpr int32_t kVolumeTop = 220;
constexpr int32_t kSoundHintGap = 12;
constexpr const char* kSoundHint = "Press a key or click for sound";
// Where the title says that the player's scores are not kept (a browser
// that keeps no storage for the page): under the credits, or with a kept
// game's entries there, in place of the credits' heading.
constexpr int32_t kNotKeptLeft = 15;
constexpr int32_t kNotKeptTop = 137;
constexpr int32_t kNotKeptHeadingTop = 68;
constexpr const char* kNotKeptNotice = "Scores are not kept in this browser";
constexpr int32_t kIdleSecondsBeforeDemo = 10; // the demo starts at the tick after

// Everything the title's picture depends on: the numbers it shows and the
// pictures and faces it draws, down to what a reload or a new alpha changes.
TfwPictureCache::TKey TitleKey(const TScreenContext& game) {
    const std::vector<TKeptOffer>& kept = game.Kept.Offers;
    const TGameSession* newest = kept.empty() ? nullptr : &kept.front().Game.Session;
    TfwPictureCache::TKey key = {static_cast<uintptr_t>(game.Sounds.Effects),
                                 static_cast<uintptr_t>(game.Session.Score),
                                 game.App.Silent,
                                 game.App.Platform().SoundWaits(),
                                 game.App.TouchPlayer,
                                 game.App.FilesKept(),
                                 kept.size(),
                                 newest ? static_cast<uintptr_t>(newest->Level) : 0,
                                 newest ? static_cast<uintptr_t>(newest->Score) : 0,
                                 newest ? static_cast<uintptr_t>(newest->Kind) : 0,
                                 std::hash<std::string>{}(game.Kept.Notice)};
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

class TTitleScreen : public TScreen {
public:
    using TScreen::TScreen;

    void Enter() override {
        Ctx.View.Cursor->Hide();
        Ctx.View.Selection->Hide();
        Ctx.Mode.IdleSeconds = 0;
        // What another copy kept or ended meanwhile shows too.
        Ctx.Kept.Read(Ctx.View.Board->Width, Ctx.View.Board->Height);
    }

    bool Step() override {
        if (Ctx.Moves.InputThisFrame())
            Ctx.Mode.IdleSeconds = 0;
        return true;
    }

    void Keys() override {
        if (Pressed(TAction::Leave, true)) {
            Ctx.App.Quit();
            return;
        }
        if (Pressed(TAction::Select, true)) {
            Ctx.Moves.NewGameOf(TGameKind::Timed);
        } else if (Pressed(TAction::Relaxed, true)) {
            Ctx.Moves.NewGameOf(TGameKind::Relaxed);
        } else if (!Ctx.Kept.Offers.empty() && Pressed(TAction::Continue, true)) {
            Ctx.Moves.ContinueGame(Ctx.Kept.Offers.front());
        } else if (Ctx.Kept.Offers.size() > 1 && Pressed(TAction::KeptGames, true)) {
            Ctx.States.Set(TGameState::gsKeptGames);
        } else if (Pressed(TAction::Highscores, true)) {
            Ctx.Tables.Shown = Ctx.Session.Kind;
            Ctx.Tables.ShownTable()->Activate();
            Ctx.States.Set(TGameState::gsHighscores);
        }
    }

    // A click on an entry is its key; the start entry's answers anywhere else
    // too, unless a kept game is offered.
    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture)
            return;
        switch (EntryAt(e.X, e.Y)) {
        case teContinue:
            Start(TAction::Continue);
            break;
        case teMore:
            Start(TAction::KeptGames);
            break;
        case teRelaxed:
            Start(TAction::Relaxed);
            break;
        case teHighscores:
            Start(TAction::Highscores);
            break;
        case teQuit:
            Start(TAction::Leave);
            break;
        case teStart:
            Start(TAction::Select);
            break;
        default:
            if (Ctx.Kept.Offers.empty())
                Start(TAction::Select);
            break;
        }
    }

    void SecondElapsed() override {
        if (Ctx.Mode.Demo)
            return;
        ++Ctx.Mode.IdleSeconds;
        if (Ctx.Mode.IdleSeconds > kIdleSecondsBeforeDemo)
            Ctx.Moves.StartDemo();
    }

    void Draw(SDL_Surface* surface) override {
        Ctx.TitlePicture.Draw(surface, TitleKey(Ctx), [this](SDL_Surface* s) { DrawTitle(s); });
    }

private:
    int32_t HelpTop() const { return Ctx.Kept.Offers.empty() ? kHelpTop : kKeptEntriesTop; }

    // The entry drawn at picture pixel (x, y); -1 for none (and on the handheld).
    int32_t EntryAt(int32_t x, int32_t y) const {
        if (kHandheld || Ctx.Media.F2 == nullptr || y < HelpTop())
            return -1;
        const auto line = static_cast<size_t>((y - HelpTop()) / kHelpLineHeight);
        const auto lines = TitleLines(Ctx.Kept.Offers, Ctx.App.TouchPlayer);
        if (line >= lines.size())
            return -1;
        const int32_t right = kHelpLeft + Ctx.Media.F2->TextWidth(lines[line].Text);
        return x >= kHelpLeft - kEntrySlack && x < right + kEntrySlack ? lines[line].Entry : -1;
    }

    void DrawTitle(SDL_Surface* surface) {
        DrawBackground(surface, Ctx.Media);
        DrawCredits(surface);
        DrawVolume(surface);
        if (!Ctx.App.FilesKept())
            Text(surface, Ctx.Media.F1, kNotKeptLeft,
                 NoticeOnHeading() ? kNotKeptHeadingTop : kNotKeptTop, kNotKeptNotice);
        if (Ctx.Session.Score > 0 && Ctx.Kept.Offers.empty())
            Text(surface, Ctx.Media.F2, kHelpLeft, kLastScoreTop,
                 "Last Score: " + std::to_string(Ctx.Session.Score));
        DrawEntries(surface);
        DrawKeptNotice(surface);
        const auto keys = TitleKeyLines(Ctx.App.TouchPlayer);
        for (size_t i = 0; i < keys.size(); ++i)
            Text(surface, Ctx.Media.F1, kKeyLinesLeft,
                 kKeyLinesTop + static_cast<int32_t>(i) * kKeyLineHeight, keys[i]);
    }

    static void Text(SDL_Surface* surface, TfwFont* font, int32_t x, int32_t y,
                     const std::string& s) {
        if (font != nullptr)
            font->DrawText(surface, x, y, s, kTextColour);
    }

    // The storage notice takes the credits' heading when a kept game's
    // entries stand in the credits' place.
    bool NoticeOnHeading() const { return !Ctx.Kept.Offers.empty() && !Ctx.App.FilesKept(); }

    void DrawCredits(SDL_Surface* surface) const {
        const TGameMedia& m = Ctx.Media;
        Text(surface, m.F1, 5, 44, "Tessaril - Version " TESSARIL_VERSION);
        if (!NoticeOnHeading())
            Text(surface, m.F3, 5, 64, "Written by ");
        Text(surface, m.F3, 15, 82, "Orvin Tasker (Programming / GP2XWIZ)");
        Text(surface, m.F3, 15, 100, "Mabel Quorne (Programming / Art)");
        if (Ctx.Kept.Offers.empty())
            Text(surface, m.F3, 15, 118, "The Internet (Sound)");
    }

    // Without a sound device the desktop has no volume to tell; the handheld
    // keeps its volume line.
    void DrawVolume(SDL_Surface* surface) const {
        TfwFont* font = Ctx.Media.F1;
        Text(surface, font, kVolumeLeft, kVolumeTop,
             Ctx.App.Silent && !kHandheld ? std::string("Sound: off")
                                          : "Volume: " + std::to_string(Ctx.Sounds.Effects));
        // Does the page's sound wait for the player's first key, click or touch?
        if (!Ctx.App.Silent && Ctx.App.Platform().SoundWaits() && font != nullptr)
            Text(surface, font, kVolumeLeft - kSoundHintGap - font->TextWidth(kSoundHint),
                 kVolumeTop, kSoundHint);
    }

    void DrawEntries(SDL_Surface* surface) const {
        const auto lines = TitleLines(Ctx.Kept.Offers, Ctx.App.TouchPlayer);
        for (size_t i = 0; i < lines.size(); ++i)
            Text(surface, Ctx.Media.F2, kHelpLeft,
                 HelpTop() + static_cast<int32_t>(i) * kHelpLineHeight, lines[i].Text);
    }

    // Cut to end before the volume line; the whole sentence went to standard error.
    void DrawKeptNotice(SDL_Surface* surface) const {
        TfwFont* font = Ctx.Media.F1;
        if (Ctx.Kept.Notice.empty() || font == nullptr)
            return;
        std::string text = Ctx.Kept.Notice;
        const int32_t room = kVolumeLeft - kKeptNoticeGap - kKeptNoticeLeft;
        while (text.size() > 3 && font->TextWidth(text) > room)
            text = text.substr(0, text.size() - 4) + "...";
        Text(surface, font, kKeptNoticeLeft, kKeptNoticeTop, text);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsTitle>(TScreenContext& context) {
    return std::make_unique<TTitleScreen>(context);
}

namespace {

// A key's name as the title writes it: in capitals ("SPACE"), or with its
// first letter a capital at the start of a line ("Arrow keys").
std::string Capitals(std::string name) {
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

std::string Capitalised(std::string name) {
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

} // namespace

std::vector<std::string> TitleHelpLines(bool touch) {
    if constexpr (kHandheld)
        return {"'" + KeyName(TAction::Select) + "'  - Start game / select stone",
                Capitalised(KeyName(TAction::Up)) + " - move cursor",
                "'" + KeyName(TAction::Leave) + "' - Quit game"};
    // the title's entries from teStart on, in the order of TTitleEntry
    if (touch)
        return {"Tap here - Start", "Tap here - Relaxed game", "Tap here - High scores",
                "Tap here - Quit"};
    return {Capitals(KeyName(TAction::Select)) + " or click - Start",
            Capitals(KeyName(TAction::Relaxed)) + " - Relaxed game",
            Capitals(KeyName(TAction::Highscores)) + " - High scores",
            Capitals(KeyName(TAction::Leave)) + " - Quit"};
}

std::vector<TTitleLine> TitleLines(const std::vector<TKeptOffer>& kept, bool touch) {
    std::vector<TTitleLine> lines;
    if (!kept.empty()) {
        const TGameSession& s = kept.front().Game.Session;
        lines.push_back(
            {teContinue, (touch ? std::string("Tap here") : Capitals(KeyName(TAction::Continue))) +
                             " - Continue level " + std::to_string(s.Level) + ", " +
                             (s.Kind == TGameKind::Relaxed ? "relaxed" : "timed") + " (score " +
                             std::to_string(s.Score) + ")"});
    }
    if (kept.size() > 1)
        lines.push_back(
            {teMore, (touch ? std::string("Tap here") : Capitals(KeyName(TAction::KeptGames))) +
                         " - and " + std::to_string(kept.size() - 1) + " more"});
    int32_t entry = kHandheld ? -1 : teStart;
    for (const std::string& line : TitleHelpLines(touch))
        lines.push_back({kHandheld ? -1 : entry++, line});
    return lines;
}

std::vector<std::string> TitleKeyLines(bool touch) {
    if constexpr (kHandheld)
        return {};
    if (touch)
        return {"Tap two stones - swap", "Swipe a stone - swap", "Tap II - pause",
                "Hold a stone - hint"};
    // Fullscreen is the window's own key, not the game's.
    return {"Click or " + Capitals(KeyName(TAction::Select)) + " - swap",
            Capitalised(KeyName(TAction::Up)) + " - move",
            Capitals(KeyName(TAction::Pause)) + " or click II - pause",
            Capitals(KeyName(TAction::Hint)) + " or right click - hint", "F11 - fullscreen"};
}
