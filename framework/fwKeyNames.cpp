// SDL 1.2's key names, as SDL_GetKeyName answers them on the desktop; the
// page's SDL has none of its own, so the table is the program's.
#include "fwKeyNames.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>
#include <utility>

namespace {

struct TNamedKey {
    int32_t Key;
    const char* Name;
};

// Sorted by key symbol.
constexpr TNamedKey kNamedKeys[] = {
    {SDLK_BACKSPACE, "backspace"},
    {SDLK_TAB, "tab"},
    {SDLK_CLEAR, "clear"},
    {SDLK_RETURN, "return"},
    {SDLK_PAUSE, "pause"},
    {SDLK_ESCAPE, "escape"},
    {SDLK_SPACE, "space"},
    {SDLK_EXCLAIM, "!"},
    {SDLK_QUOTEDBL, "\""},
    {SDLK_HASH, "#"},
    {SDLK_DOLLAR, "$"},
    {SDLK_AMPERSAND, "&"},
    {SDLK_QUOTE, "'"},
    {SDLK_LEFTPAREN, "("},
    {SDLK_RIGHTPAREN, ")"},
    {SDLK_ASTERISK, "*"},
    {SDLK_PLUS, "+"},
    {SDLK_COMMA, ","},
    {SDLK_MINUS, "-"},
    {SDLK_PERIOD, "."},
    {SDLK_SLASH, "/"},
    {SDLK_0, "0"},
    {SDLK_1, "1"},
    {SDLK_2, "2"},
    {SDLK_3, "3"},
    {SDLK_4, "4"},
    {SDLK_5, "5"},
    {SDLK_6, "6"},
    {SDLK_7, "7"},
    {SDLK_8, "8"},
    {SDLK_9, "9"},
    {SDLK_COLON, ":"},
    {SDLK_SEMICOLON, ";"},
    {SDLK_LESS, "<"},
    {SDLK_EQUALS, "="},
    {SDLK_GREATER, ">"},
    {SDLK_QUESTION, "?"},
    {SDLK_AT, "@"},
    {SDLK_LEFTBRACKET, "["},
    {SDLK_BACKSLASH, "\\"},
    {SDLK_RIGHTBRACKET, "]"},
    {SDLK_CARET, "^"},
    {SDLK_UNDERSCORE, "_"},
    {SDLK_BACKQUOTE, "`"},
    {SDLK_a, "a"},
    {SDLK_b, "b"},
    {SDLK_c, "c"},
    {SDLK_d, "d"},
    {SDLK_e, "e"},
    {SDLK_f, "f"},
    {SDLK_g, "g"},
    {SDLK_h, "h"},
    {SDLK_i, "i"},
    {SDLK_j, "j"},
    {SDLK_k, "k"},
    {SDLK_l, "l"},
    {SDLK_m, "m"},
    {SDLK_n, "n"},
    {SDLK_o, "o"},
    {SDLK_p, "p"},
    {SDLK_q, "q"},
    {SDLK_r, "r"},
    {SDLK_s, "s"},
    {SDLK_t, "t"},
    {SDLK_u, "u"},
    {SDLK_v, "v"},
    {SDLK_w, "w"},
    {SDLK_x, "x"},
    {SDLK_y, "y"},
    {SDLK_z, "z"},
    {SDLK_DELETE, "delete"},
    {SDLK_KP0, "[0]"},
    {SDLK_KP1, "[1]"},
    {SDLK_KP2, "[2]"},
    {SDLK_KP3, "[3]"},
    {SDLK_KP4, "[4]"},
    {SDLK_KP5, "[5]"},
    {SDLK_KP6, "[6]"},
    {SDLK_KP7, "[7]"},
    {SDLK_KP8, "[8]"},
    {SDLK_KP9, "[9]"},
    {SDLK_KP_PERIOD, "[.]"},
    {SDLK_KP_DIVIDE, "[/]"},
    {SDLK_KP_MULTIPLY, "[*]"},
    {SDLK_KP_MINUS, "[-]"},
    {SDLK_KP_PLUS, "[+]"},
    {SDLK_KP_ENTER, "enter"},
    {SDLK_KP_EQUALS, "equals"},
    {SDLK_UP, "up"},
    {SDLK_DOWN, "down"},
    {SDLK_RIGHT, "right"},
    {SDLK_LEFT, "left"},
    {SDLK_INSERT, "insert"},
    {SDLK_HOME, "home"},
    {SDLK_END, "end"},
    {SDLK_PAGEUP, "page up"},
    {SDLK_PAGEDOWN, "page down"},
    {SDLK_F1, "f1"},
    {SDLK_F2, "f2"},
    {SDLK_F3, "f3"},
    {SDLK_F4, "f4"},
    {SDLK_F5, "f5"},
    {SDLK_F6, "f6"},
    {SDLK_F7, "f7"},
    {SDLK_F8, "f8"},
    {SDLK_F9, "f9"},
    {SDLK_F10, "f10"},
    {SDLK_F11, "f11"},
    {SDLK_F12, "f12"},
    {SDLK_F13, "f13"},
    {SDLK_F14, "f14"},
    {SDLK_F15, "f15"},
    {SDLK_NUMLOCK, "numlock"},
    {SDLK_CAPSLOCK, "caps lock"},
    {SDLK_SCROLLOCK, "scroll lock"},
    {SDLK_RSHIFT, "right shift"},
    {SDLK_LSHIFT, "left shift"},
    {SDLK_RCTRL, "right ctrl"},
    {SDLK_LCTRL, "left ctrl"},
    {SDLK_RALT, "right alt"},
    {SDLK_LALT, "left alt"},
    {SDLK_RMETA, "right meta"},
    {SDLK_LMETA, "left meta"},
    {SDLK_LSUPER, "left super"},
    {SDLK_RSUPER, "right super"},
    {SDLK_MODE, "alt gr"},
    {SDLK_COMPOSE, "compose"},
    {SDLK_HELP, "help"},
    {SDLK_PRINT, "print screen"},
    {SDLK_SYSREQ, "sys req"},
    {SDLK_BREAK, "break"},
    {SDLK_MENU, "menu"},
    {SDLK_POWER, "power"},
    {SDLK_EURO, "euro"},
    {SDLK_UNDO, "undo"},
};

const TNamedKey* Find(int32_t key) {
    const auto* end = std::end(kNamedKeys);
    const auto* it = std::lower_bound(std::begin(kNamedKeys), end, key,
                                      [](const TNamedKey& k, int32_t v) { return k.Key < v; });
    return it != end && it->Key == key ? it : nullptr;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string fwKeyName(int32_t key) {
    const TNamedKey* k = Find(key);
    return k != nullptr ? k->Name : "";
}

int32_t fwKeyOfName(const std::string& name) {
    const std::string wanted = Lower(name);
    for (const TNamedKey& k : kNamedKeys)
        if (wanted == k.Name)
            return k.Key;
    return -1;
}

std::string fwKeyLabel(int32_t key) {
    std::string name = fwKeyName(key);
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::vector<int32_t> fwNamedKeys() {
    std::vector<int32_t> keys;
    for (const TNamedKey& k : kNamedKeys)
        keys.push_back(k.Key);
    return keys;
}
