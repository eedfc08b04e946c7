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
        Ctx.App.IgnoreHeldKeys();
        Ctx.App.Platform().TakeTyping(true);
    }

    void Leave() override {
        Ctx.App.Platform().TakeTyping(false);
        // Left without a name (Escape): the row stored for it goes again.
        Ctx.Tables.WithdrawRow(Ctx.Session.Kind);
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
            Start(e.Button == SDL_BUTTON_WHEELUP ? TAction::MenuUp : TAction::MenuDown);
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
            Ctx.Tables.Editor()->Words = &Ctx.App.Catalogue;
            Ctx.Tables.Editor()->Draw(surface);
        }
    }

private:
    // The entry's score in the table of its kind of game under name: the
    // row the game's end stored, renamed, or a new one. False when the save
    // failed.
    bool Store(const std::string& name) {
        return Ctx.Tables.StoreRow(Ctx.Session.Kind, name, Ctx.Tables.Editor()->Score);
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
        Ctx.Tables.FinishRow();
        table->Activate();
        Ctx.Tables.LastName = editor.Name;
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsEnterName>(TScreenContext& context) {
    return std::make_unique<TNameEntryScreen>(context);
}
