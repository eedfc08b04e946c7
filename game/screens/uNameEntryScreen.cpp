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
#include "web/fwWeb.h"

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
        Ctx.App.IgnoreHeldKeys();
        if constexpr (kWeb)
            fwWebTakeTyping(true);
    }

    void Leave() override {
        if constexpr (kWeb)
            fwWebTakeTyping(false);
        THighscoreManager* table = Ctx.Tables.Of(Ctx.Session.Kind);
        if (stored_ == nullptr || table == nullptr)
            return;
        table->Withdraw(stored_);
        stored_ = nullptr;
        table->Save();
    }

    bool Step() override {
        if (Ctx.Tables.Editor() && Ctx.Tables.Editor()->Finished)
            StoreName();
        return true;
    }

    // On the desktop every key, the digits and Escape included, is the editor's.
    bool TakesEveryKey() const override { return !kHandheld; }

    void Keys() override {
        THighscoreEditor& editor = *Ctx.Tables.Editor();
        if constexpr (kHandheld) {
            if (!editor.HandleInput())
                LeaveGameKey();
            return;
        }
        if (Pressed(TAction::Cancel, true)) {
            Ctx.Moves.LeaveForTitle();
            return;
        }
        for (uint16_t c : Ctx.App.TypedChars)
            editor.Type(c);
        editor.HandleInput();
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button == SDL_BUTTON_WHEELUP || e.Button == SDL_BUTTON_WHEELDOWN) {
            Start(e.Button == SDL_BUTTON_WHEELUP ? TAction::Up : TAction::Down);
            return;
        }
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture || !Ctx.Tables.Editor())
            return;
        if (THighscoreEditor::OnConfirmLine(e.X, e.Y))
            Start(TAction::Confirm);
        else if (const int32_t place = THighscoreEditor::PlaceAt(e.X, e.Y); place > 0)
            Ctx.Tables.Editor()->MoveCursorTo(place);
    }

    void PageHidden() override {
        if (Ctx.Tables.Editor() && Ctx.Tables.Of(Ctx.Session.Kind) != nullptr)
            Store(Ctx.Tables.Editor()->Name);
    }

    void ProgramEnds() override {
        if (!Ctx.Tables.Editor())
            return;
        Ctx.Tables.Editor()->Finished = true;
        StoreName();
    }

    void Draw(SDL_Surface* surface) override {
        DrawBackground(surface, Ctx.Media);
        if (Ctx.Tables.Editor() && Ctx.View.Engine) {
            Ctx.Tables.Editor()->TouchWords = Ctx.App.TouchPlayer;
            Ctx.Tables.Editor()->Draw(surface);
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
        THighscoreManager& table = *Ctx.Tables.Of(Ctx.Session.Kind);
        // The stored row gives way to one with the new name and its date: the
        // table's save would read the old one back from the file otherwise.
        const THScoreItem* old = stored_;
        const double date = old != nullptr ? old->Date : 0;
        table.Withdraw(old);
        stored_ = table.AddScore(name, static_cast<uint32_t>(Ctx.Tables.Editor()->Score), 1, 1);
        if (old != nullptr)
            stored_->Date = date;
        return table.Save();
    }

    // The entry goes into the table of its kind of game, which is shown with
    // it and saved.
    void StoreName() {
        Ctx.States.Set(TGameState::gsHighscores);
        Ctx.Tables.Shown = Ctx.Session.Kind;
        THighscoreManager* table = Ctx.Tables.ShownTable();
        if (table == nullptr)
            return;
        const THighscoreEditor& editor = *Ctx.Tables.Editor();
        // The table shows the entry in any case; a save that failed says so
        // there and on standard error (the log may sit on the same full disk).
        if (!Store(editor.Name))
            ReportToPlayer(table->SaveError + " (the high scores could not be saved)");
        stored_ = nullptr;
        table->Activate();
        Ctx.Tables.LastName = editor.Name;
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsEnterName>(TScreenContext& context) {
    return std::make_unique<TNameEntryScreen>(context);
}
