// The menus' choice, scroll, hit test and drawing.
#include "uMenu.h"

#include "fwFont.h"
#include "uActions.h"

#include <algorithm>

namespace {

// A click counts for a line this far left and right of its text.
constexpr int32_t kSlack = 5;
// The bar reaches this far left of the text and right of the longest column.
constexpr int32_t kBarMargin = 3;

} // namespace

void TMenu::Choose(int32_t line, int32_t count) {
    choice_ = count > 0 ? std::clamp(line, 0, count - 1) : 0;
    if (choice_ < first_)
        first_ = choice_;
    if (choice_ >= first_ + shown_)
        first_ = choice_ - shown_ + 1;
}

bool TMenu::Move(TfwGameApp& app, int32_t count) {
    if (count <= 0)
        return false;
    int32_t step = 0;
    if (app.ActionPressed(ActionId(TAction::MenuUp), false))
        --step;
    if (app.ActionPressed(ActionId(TAction::MenuDown), false))
        ++step;
    return Step(step, count);
}

bool TMenu::Wheel(const TfwPointerEvent& e, int32_t count) {
    if (!e.Down || (e.Button != SDL_BUTTON_WHEELUP && e.Button != SDL_BUTTON_WHEELDOWN))
        return false;
    Step(e.Button == SDL_BUTTON_WHEELUP ? -1 : 1, count);
    return true;
}

bool TMenu::Step(int32_t step, int32_t count) {
    if (step == 0 || count <= 0)
        return false;
    Choose(((choice_ + step) % count + count) % count, count);
    return true;
}

int32_t TMenu::LineAt(const TfwFont* font, const std::vector<std::string>& lines, int32_t x,
                      int32_t y) const {
    if (font == nullptr || y < top_)
        return -1;
    const int32_t line = first_ + (y - top_) / lineHeight_;
    if (line >= first_ + shown_ || line >= static_cast<int32_t>(lines.size()))
        return -1;
    const int32_t right = left_ + font->TextWidth(lines[static_cast<size_t>(line)]);
    return x >= left_ - kSlack && x < right + kSlack ? line : -1;
}

void TMenu::Draw(SDL_Surface* surface, TfwFont* font, const std::vector<std::string>& lines,
                 uint32_t colour, const std::vector<TMenuColumn>& columns) const {
    if (font == nullptr)
        return;
    const auto count = static_cast<int32_t>(lines.size());
    for (int32_t i = first_; i < count && i < first_ + shown_; ++i) {
        const auto at = static_cast<size_t>(i);
        const bool chosen = i == choice_;
        if (chosen) {
            int32_t right = left_ + font->TextWidth(lines[at]);
            for (const TMenuColumn& column : columns)
                if (at < column.Texts.size() && !column.Texts[at].empty())
                    right = std::max(right, column.X + font->TextWidth(column.Texts[at]));
            SDL_Rect bar = {static_cast<Sint16>(left_ - kBarMargin),
                            static_cast<Sint16>(LineTop(i)),
                            static_cast<Uint16>(right - left_ + 2 * kBarMargin),
                            static_cast<Uint16>(lineHeight_)};
            SDL_FillRect(surface, &bar,
                         SDL_MapRGB(surface->format, (kMenuBarColour >> 16) & 0xFF,
                                    (kMenuBarColour >> 8) & 0xFF, kMenuBarColour & 0xFF));
        }
        const uint32_t c = chosen ? kMenuChosenColour : colour;
        font->DrawText(surface, left_, LineTop(i), lines[at], c);
        for (const TMenuColumn& column : columns)
            if (at < column.Texts.size())
                font->DrawText(surface, column.X, LineTop(i), column.Texts[at], c);
    }
}
