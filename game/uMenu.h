// A menu: lines of text one of which is chosen, drawn highlighted. The
// title's menu, the options and the controls list share it. It moves with
// the menus' own actions (the arrows, the pad's stick and d-pad) and the
// mouse wheel, scrolls when it has more lines than it shows, and tells
// which line a click or a tap hit.
#pragma once

#include "fwGameApp.h"

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

class TfwFont;

// The chosen line's bar and text.
inline constexpr uint32_t kMenuBarColour = 0x00302058;
inline constexpr uint32_t kMenuChosenColour = 0x00FFFFFF;

// A column of texts right of the menu's lines, one a line.
struct TMenuColumn {
    int32_t X;
    std::vector<std::string> Texts;
};

class TMenu {
public:
    TMenu(int32_t left, int32_t top, int32_t lineHeight, int32_t shown)
        : left_(left), top_(top), lineHeight_(lineHeight), shown_(shown) {}

    int32_t Choice() const { return choice_; }
    // Chooses line (cut into 0 .. count - 1) and scrolls it into sight.
    void Choose(int32_t line, int32_t count);
    // The frame's menu moves, wrapping at both ends; true when the choice moved.
    bool Move(TfwGameApp& app, int32_t count);
    // A turn of the mouse wheel moves it too; true when e was one.
    bool Wheel(const TfwPointerEvent& e, int32_t count);
    // The line under picture pixel (x, y): on its text, with a little slack
    // either side; -1 for none.
    int32_t LineAt(const TfwFont* font, const std::vector<std::string>& lines, int32_t x,
                   int32_t y) const;
    // The lines in sight with their columns, the chosen one on its bar.
    void Draw(SDL_Surface* surface, TfwFont* font, const std::vector<std::string>& lines,
              uint32_t colour, const std::vector<TMenuColumn>& columns = {}) const;
    int32_t Top() const { return top_; }
    int32_t LineTop(int32_t line) const { return top_ + (line - first_) * lineHeight_; }

private:
    bool Step(int32_t step, int32_t count);

    int32_t left_, top_, lineHeight_, shown_;
    int32_t choice_ = 0;
    int32_t first_ = 0; // the first line in sight
};
