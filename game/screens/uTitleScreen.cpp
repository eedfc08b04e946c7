// The title: credits, the volume, the last score and the help lines, which on
// the desktop are entries a click chooses: a kept game's first, then a new
// game, a relaxed one, the table and the end. Idle for long enough, it starts
// the demo; the idle count starts afresh on every return to the title and on
// every key, click or pad button there.
#include "fwConfig.h"
#include "fwFont.h"
#include "fwImage.h"
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
constexpr const char* kDropsKeptGame = "(ends the kept game)";
constexpr int32_t kNoteGap = 6;
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
TfwPictureCache::TKey TitleKey(const TMiniGame& game) {
    const std::optional<TSavedGame>& kept = game.KeptGame();
    TfwPictureCache::TKey key = {static_cast<uintptr_t>(game.SoundVolume()),
                                 static_cast<uintptr_t>(game.Score()),
                                 game.Silent,
                                 game.Platform().SoundWaits(),
                                 game.TouchPlayer,
                                 game.FilesKept(),
                                 kept.has_value(),
                                 kept ? static_cast<uintptr_t>(kept->Level) : 0,
                                 kept ? static_cast<uintptr_t>(kept->Score) : 0};
    for (const TfwSDLImage* image : {game.Media().Splash, game.Media().Logo}) {
        const SDL_Surface* s = image != nullptr ? image->Surface : nullptr;
        key.insert(key.end(), {reinterpret_cast<uintptr_t>(image), reinterpret_cast<uintptr_t>(s),
                               s != nullptr ? s->flags : 0, s != nullptr ? s->format->alpha : 0u,
                               s != nullptr ? s->format->colorkey : 0});
    }
    for (const TfwFont* font : {game.Media().F1, game.Media().F2, game.Media().F3})
        key.insert(key.end(), {reinterpret_cast<uintptr_t>(font),
                               reinterpret_cast<uintptr_t>(font != nullptr ? font->Font : nullptr),
                               font != nullptr && font->Opened, font != nullptr && font->Blended});
    return key;
}

class TTitleScreen : public TScreen {
public:
    using TScreen::TScreen;

    void Enter() override {
        Game.Cursor()->Hide();
        Game.Selection()->Hide();
        Game.SetIdleSeconds(0);
    }

    bool Step() override {
        if (Game.InputThisFrame())
            Game.SetIdleSeconds(0);
        return true;
    }

    void Keys() override {
        if (Game.ActionPressed(TAction::Leave, true)) {
            Game.Quit();
            return;
        }
        if (Game.ActionPressed(TAction::Select, true)) {
            Game.NewGameOf(TGameKind::Timed);
        } else if (Game.ActionPressed(TAction::Relaxed, true)) {
            Game.NewGameOf(TGameKind::Relaxed);
        } else if (Game.KeptGame() && Game.ActionPressed(TAction::Continue, true)) {
            Game.ContinueGame();
        } else if (Game.ActionPressed(TAction::Highscores, true)) {
            Game.SetTableShown(Game.GameKind());
            Game.TableOf(Game.TableShown())->Activate();
            Game.SetState(TGameState::gsHighscores);
        }
    }

    // A click on an entry is its key; the start entry's answers anywhere else
    // too, unless that would drop a kept game.
    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture)
            return;
        switch (EntryAt(e.X, e.Y)) {
        case TMiniGame::teContinue:
            Game.StartAction(TAction::Continue);
            break;
        case TMiniGame::teRelaxed:
            Game.StartAction(TAction::Relaxed);
            break;
        case TMiniGame::teHighscores:
            Game.StartAction(TAction::Highscores);
            break;
        case TMiniGame::teQuit:
            Game.StartAction(TAction::Leave);
            break;
        case TMiniGame::teStart:
            Game.StartAction(TAction::Select);
            break;
        default:
            if (!Game.KeptGame())
                Game.StartAction(TAction::Select);
            break;
        }
    }

    void SecondElapsed() override {
        if (Game.DemoMode())
            return;
        Game.SetIdleSeconds(Game.IdleSeconds() + 1);
        if (Game.IdleSeconds() > kIdleSecondsBeforeDemo)
            Game.StartDemo();
    }

    void Draw(SDL_Surface* surface) override {
        Game.TitlePicture().Draw(surface, TitleKey(Game), [this](SDL_Surface* s) { DrawTitle(s); });
    }

private:
    int32_t HelpTop() const { return Game.KeptGame() ? kKeptEntriesTop : kHelpTop; }

    // The entry drawn at picture pixel (x, y); -1 for none (and on the handheld).
    int32_t EntryAt(int32_t x, int32_t y) const {
        if (kHandheld || Game.Media().F2 == nullptr || y < HelpTop())
            return -1;
        const auto line = static_cast<size_t>((y - HelpTop()) / kHelpLineHeight);
        const auto lines = Game.TitleLines();
        if (line >= lines.size())
            return -1;
        const int32_t right = kHelpLeft + Game.Media().F2->TextWidth(lines[line].Text);
        return x >= kHelpLeft - kEntrySlack && x < right + kEntrySlack ? lines[line].Entry : -1;
    }

    void DrawTitle(SDL_Surface* surface) {
        Game.DrawBackground(surface);
        auto text = [&](TfwFont* font, int32_t x, int32_t y, const std::string& s) {
            if (font != nullptr)
                font->DrawText(surface, x, y, s, kTextColour);
        };
        text(Game.Media().F1, 5, 44, "Tessaril - Version " TESSARIL_VERSION);
        const bool noticeOnHeading = Game.KeptGame() && !Game.FilesKept();
        if (!noticeOnHeading)
            text(Game.Media().F3, 5, 64, "Written by ");
        text(Game.Media().F3, 15, 82, "Orvin Tasker (Programming / GP2XWIZ)");
        text(Game.Media().F3, 15, 100, "Mabel Quorne (Programming / Art)");
        if (!Game.KeptGame())
            text(Game.Media().F3, 15, 118, "The Internet (Sound)");
        // Without a sound device the desktop has no volume to tell; the handheld
        // keeps its volume line.
        text(Game.Media().F1, kVolumeLeft, kVolumeTop,
             Game.Silent && !kHandheld ? std::string("Sound: off")
                                       : "Volume: " + std::to_string(Game.SoundVolume()));
        if (!Game.Silent && Game.Platform().SoundWaits() && Game.Media().F1 != nullptr)
            text(Game.Media().F1,
                 kVolumeLeft - kSoundHintGap - Game.Media().F1->TextWidth(kSoundHint), kVolumeTop,
                 kSoundHint);
        if (!Game.FilesKept())
            text(Game.Media().F1, kNotKeptLeft, noticeOnHeading ? kNotKeptHeadingTop : kNotKeptTop,
                 kNotKeptNotice);
        if (Game.Score() > 0 && !Game.KeptGame())
            text(Game.Media().F2, kHelpLeft, kLastScoreTop,
                 "Last Score: " + std::to_string(Game.Score()));
        const auto lines = Game.TitleLines();
        for (size_t i = 0; i < lines.size(); ++i) {
            const int32_t y = HelpTop() + static_cast<int32_t>(i) * kHelpLineHeight;
            text(Game.Media().F2, kHelpLeft, y, lines[i].Text);
            if (Game.KeptGame() && lines[i].Entry == TMiniGame::teStart &&
                Game.Media().F2 != nullptr)
                text(Game.Media().F1,
                     kHelpLeft + Game.Media().F2->TextWidth(lines[i].Text) + kNoteGap, y + 1,
                     kDropsKeptGame);
        }
        const auto keys = TMiniGame::KeyLines(Game.TouchPlayer);
        for (size_t i = 0; i < keys.size(); ++i)
            text(Game.Media().F1, kKeyLinesLeft,
                 kKeyLinesTop + static_cast<int32_t>(i) * kKeyLineHeight, keys[i]);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsTitle>(TMiniGame& game) {
    return std::make_unique<TTitleScreen>(game);
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

std::vector<std::string> TMiniGame::HelpLines(bool touch) {
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

std::vector<TMiniGame::TTitleLine> TMiniGame::TitleLines() const {
    std::vector<TTitleLine> lines;
    if (keptGame_)
        lines.push_back({teContinue, (TouchPlayer ? std::string("Tap here")
                                                  : Capitals(KeyName(TAction::Continue))) +
                                         " - Continue level " + std::to_string(keptGame_->Level) +
                                         " (score " + std::to_string(keptGame_->Score) + ")"});
    int32_t entry = kHandheld ? -1 : teStart;
    for (const std::string& line : HelpLines(TouchPlayer))
        lines.push_back({kHandheld ? -1 : entry++, line});
    return lines;
}

std::vector<std::string> TMiniGame::KeyLines(bool touch) {
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
