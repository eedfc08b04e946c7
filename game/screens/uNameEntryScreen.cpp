// The name entry for a score the table takes. The handheld builds the name
// with the pad and leaves with X; the desktop types it (X types an X), the
// wheel steps a character and a click places the cursor or saves, and Escape
// leaves without saving. However the program ends meanwhile, the name is
// stored as it stands.
#include "fwConfig.h"
#include "uHighscore.h"
#include "uScreen.h"

#include <cstdint>

namespace {

class TNameEntryScreen : public TScreen {
public:
    using TScreen::TScreen;

    bool Step() override {
        if (Game.NameEditor && Game.NameEditor->Finished)
            StoreName();
        return true;
    }

    // On the desktop every key, the digits and Escape included, is the editor's.
    bool TakesEveryKey() const override { return !kHandheld; }

    void Keys() override {
        THighscoreEditor& editor = *Game.NameEditor;
        if constexpr (kHandheld) {
            if (!editor.HandleInput())
                LeaveGameKey();
            return;
        }
        if (Game.KeyPressed(SDLK_ESCAPE, true)) {
            Game.LeaveForTitle();
            return;
        }
        for (uint16_t c : Game.TypedChars)
            editor.Type(c);
        editor.HandleInput();
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button == SDL_BUTTON_WHEELUP || e.Button == SDL_BUTTON_WHEELDOWN) {
            Game.PressKey(e.Button == SDL_BUTTON_WHEELUP ? SDLK_UP : SDLK_DOWN);
            return;
        }
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture || !Game.NameEditor)
            return;
        if (THighscoreEditor::OnConfirmLine(e.X, e.Y))
            Game.PressKey(SDLK_RETURN);
        else if (const int32_t place = THighscoreEditor::PlaceAt(e.X, e.Y); place > 0)
            Game.NameEditor->MoveCursorTo(place);
    }

    void ProgramEnds() override {
        if (!Game.NameEditor)
            return;
        Game.NameEditor->Finished = true;
        StoreName();
    }

    void Draw(SDL_Surface* surface) override {
        Game.DrawBackground(surface);
        if (Game.NameEditor && Game.Engine)
            Game.NameEditor->Draw(surface);
    }

private:
    // The entry goes into the table of its kind of game, which is shown with
    // it and saved.
    void StoreName() {
        Game.SetState(TGameState::gsHighscores);
        Game.TableShown = Game.GameKind;
        THighscoreManager* table = Game.TableOf(Game.TableShown);
        if (table == nullptr)
            return;
        const THighscoreEditor& editor = *Game.NameEditor;
        table->AddScore(editor.Name, static_cast<uint32_t>(editor.Score), 1, 1);
        // The table shows the entry in any case; a save that failed says so
        // there and on standard error (the log may sit on the same full disk).
        if (!table->Save())
            TMiniGame::ReportToPlayer(table->SaveError + " (the high scores could not be saved)");
        table->Activate();
        Game.LastName = editor.Name;
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsEnterName>(TMiniGame& game) {
    return std::make_unique<TNameEntryScreen>(game);
}
