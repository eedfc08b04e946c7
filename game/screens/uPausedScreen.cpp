// Paused: the clock stops and the board is hidden until the pause key or a
// click anywhere goes on. On the desktop and the page an "Options" line
// under the overlay (or its key, or the pad's north button) opens the
// options, which come back here.
#include "fwConfig.h"
#include "fwFont.h"
#include "uScreen.h"

namespace {

// TRANSLATORS: box 150x16 (the pause screen's line after "O - ", font 14)
constexpr const char* kOptionsLine = N_("Options");
constexpr int32_t kOptionsTop = 172;
constexpr int32_t kOptionsHeight = 16; // the band that answers a click
constexpr int32_t kOptionsSlack = 8;

class TPausedScreen : public TBoardScreen {
public:
    using TBoardScreen::TBoardScreen;

    TKept KeptAs() const override { return TKept::AsItStands; }

    void Keys() override {
        if (!kHandheld && Pressed(TAction::PausedOptions, true)) {
            Ctx.States.Open(TGameState::gsOptions);
            return;
        }
        if (!LeaveGameKey() && !RestartKey())
            PauseKey(TGameState::gsPlaying);
    }

    void PointerPressed(const TfwPointerEvent& e) override {
        if (e.Button != SDL_BUTTON_LEFT || !e.OnPicture)
            return;
        Start(OnOptionsLine(e.X, e.Y) ? TAction::PausedOptions : TAction::Pause);
    }

    void DrawOverlay(SDL_Surface* surface) override {
        TBoardScreen::DrawOverlay(surface);
        TfwFont* font = Ctx.Media.F2;
        if (kHandheld || font == nullptr)
            return;
        const std::string line = LineText();
        font->DrawText(surface, (kPictureWidth - font->TextWidth(line)) / 2, kOptionsTop, line,
                       kTextColour);
    }

protected:
    TOverlay Overlay() const override { return {Ctx.Media.PausedImage, miPaused}; }
    bool BoardShown() const override { return false; }
    TPauseSymbol PauseSymbolShown() const override { return TPauseSymbol::GoOn; }

private:
    std::string LineText() const {
        return Ctx.App.TouchPlayer ? Ctx.App.Catalogue.Translate(kOptionsLine)
                                   : Ctx.Prefs.Controls.KeyLabel(TAction::PausedOptions) + " - " +
                                         Ctx.App.Catalogue.Translate(kOptionsLine);
    }

    bool OnOptionsLine(int32_t x, int32_t y) const {
        const TfwFont* font = Ctx.Media.F2;
        if (kHandheld || font == nullptr || y < kOptionsTop || y >= kOptionsTop + kOptionsHeight)
            return false;
        const int32_t width = font->TextWidth(LineText());
        const int32_t left = (kPictureWidth - width) / 2;
        return x >= left - kOptionsSlack && x < left + width + kOptionsSlack;
    }
};

} // namespace

template <> std::unique_ptr<TScreen> MakeScreen<TGameState::gsPaused>(TScreenContext& context) {
    return std::make_unique<TPausedScreen>(context);
}
