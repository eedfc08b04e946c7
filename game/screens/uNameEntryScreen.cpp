// The name entry for a score the table takes. The handheld builds the name
// with the pad and leaves with X; the desktop types it (X types an X), the
// wheel steps a character and a click places the cursor or saves, and Escape
// leaves without saving. However the program ends meanwhile, the name is
// stored as it stands; so it is when the web page goes out of sight, and the
// entry stays open: its save then updates that row, and leaving it unsaved
// takes the row out again. The web page opens a phone's keyboard for it.
#include "fwConfig.h"
#include "uHighscore.h"
#include "uScreen.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

class TNameEntryScreen : public TScreen {
public:
    using TScreen::TScreen;

    // Keys and pad buttons still held from play count only once let go and
    // pressed again; the clicks and characters of earlier frames are gone.
    void Enter() override {
        stored_ = nullptr;
        Game.IgnoreHeldKeys();
        Game.Platform().TakeTyping(true);
    }

    void Leave() override {
        Game.Platform().TakeTyping(false);
        THighscoreManager* table = Game.TableOf(Game.GameKind());
        if (stored_ == nullptr || table == nullptr)
            return;
        table->Withdraw(stored_);
        stored_ = nullptr;
        table->Save();
    }

    bool Step() override {
        if (Game.NameEditor() && Game.NameEditor()->Finished)
            StoreName();
        return true;
    }

    // On the desktop every key, the digits and Escape included, is the editor's.
    bool TakesEveryKey() const override { return !kHandheld; }

    void Keys() override {
        THighscoreEditor& editor = *Game.NameEditor();
        if constexpr (kHandheld) {
            if (!editor.HandleInput())
                LeaveGameKey();
            return;
        }
        if (Game.ActionPressed(TAction::Cancel, true)) {
            Game.LeaveForTitle();
            return;
        }
        for (uint16_t c : Game.TypedChars)
            editor.Type(c);
        editor.HandleInput();
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button == SDL_BUTTON_WHEELUP || e.Button == SDL_BUTTON_WHEELDOWN) {
            Game.StartAction(e.Button == SDL_BUTTON_WHEELUP ? TAction::Up : TAction::Down);
            return;
        }
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture || !Game.NameEditor())
            return;
        if (THighscoreEditor::OnConfirmLine(e.X, e.Y))
            Game.StartAction(TAction::Confirm);
        else if (const int32_t place = THighscoreEditor::PlaceAt(e.X, e.Y); place > 0)
            Game.NameEditor()->MoveCursorTo(place);
    }

    void PageHidden() override {
        if (Game.NameEditor() && Game.TableOf(Game.GameKind()) != nullptr)
            Store(Game.NameEditor()->Name);
    }

    void ProgramEnds() override {
        if (!Game.NameEditor())
            return;
        Game.NameEditor()->Finished = true;
        StoreName();
    }

    void Draw(SDL_Surface* surface) override {
        Game.DrawBackground(surface);
        if (Game.NameEditor() && Game.Engine()) {
            Game.NameEditor()->TouchWords = Game.TouchPlayer;
            Game.NameEditor()->Draw(surface);
        }
    }

private:
    // The row this entry stored already (the page went out of sight), owned
    // by the table; nullptr while it stored none.
    THScoreItem* stored_ = nullptr;

    // The entry's score in the table of its kind of game under name, saved:
    // a new row the first time, the same row (its name changed) after. False
    // when the save failed.
    bool Store(const std::string& name) {
        THighscoreManager& table = *Game.TableOf(Game.GameKind());
        // The stored row gives way to one with the new name and its date: the
        // table's save would read the old one back from the file otherwise.
        const THScoreItem* old = stored_;
        const double date = old != nullptr ? old->Date : 0;
        table.Withdraw(old);
        stored_ = table.AddScore(name, static_cast<uint32_t>(Game.NameEditor()->Score), 1, 1);
        if (old != nullptr)
            stored_->Date = date;
        return table.Save();
    }

    // The entry goes into the table of its kind of game, which is shown with
    // it and saved.
    void StoreName() {
        Game.SetState(TGameState::gsHighscores);
        Game.SetTableShown(Game.GameKind());
        THighscoreManager* table = Game.TableOf(Game.TableShown());
        if (table == nullptr)
            return;
        const THighscoreEditor& editor = *Game.NameEditor();
        // The table shows the entry in any case; a save that failed says so
        // there and on standard error (the log may sit on the same full disk).
        if (!Store(editor.Name))
            TMiniGame::ReportToPlayer(table->SaveError + " (the high scores could not be saved)");
        stored_ = nullptr;
        table->Activate();
        Game.SetLastName(editor.Name);
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsEnterName>(TMiniGame& game) {
    return std::make_unique<TNameEntryScreen>(game);
}
