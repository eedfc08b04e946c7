#include "uCommandLine.h"

#include "fwCommandLine.h"
#include "fwGameApp.h"
#include "fwLanguage.h"
#include "fwPlatform.h"
#include "uControls.h"

#include <algorithm>

namespace {

// The usage text's key lines: the key's name in a column of this width, then
// what it does.
constexpr size_t kKeyColumn = 21; // characters from the line's start

// How many characters the UTF-8 text shows in a terminal (one a code point).
size_t Columns(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// A key line; a line break in text goes on under the column.
std::string KeyLine(const std::string& keys, const std::string& text) {
    std::string line = "  " + keys;
    line.append(std::max<size_t>(1, kKeyColumn - std::min(kKeyColumn, Columns(line))), ' ');
    const std::string ahead(kKeyColumn, ' ');
    for (const char c : text)
        line += c == '\n' ? "\n" + ahead : std::string(1, c);
    return line + "\n";
}

std::string KeysText(const TfwCatalogue& t, const TControls& c) {
    const auto key = [&c](TAction a) { return c.KeyLabel(a); };
    const auto line = [&t](const std::string& keys, const char* text) {
        return KeyLine(keys, t.Translate(text));
    };
    // TRANSLATORS: --help in a terminal. Every line of it, the key column
    // (21 characters) included, under 80 characters; a \n in a key's text
    // starts a line under its column.
    std::string text = t.Translate("Keys (as settings.txt binds them):") + "\n";
    text += line(key(TAction::Select), "select and swap a stone (or the left mouse button)");
    text += line(c.MovesLabel(), "move the cursor");
    text += line(key(TAction::Pause), "pause and go on");
    text +=
        line(key(TAction::Hint), "hint (costs 10 seconds, in a relaxed game 100 points; or the\n"
                                 "right mouse button)");
    text += line(key(TAction::Restart), "restart the level");
    text += line(key(TAction::Leave), "back to the title (a game left there is kept)");
    text += line(key(TAction::VolumeDown) + " / " + key(TAction::VolumeUp), "volume down / up");
    text += t.Translate("On the title's menu (the arrows, Return or Space choose too):") + "\n";
    text += line(key(TAction::Continue), "continue the newest kept game");
    text += line(key(TAction::KeptGames), "the list of the kept games");
    text += line(key(TAction::NewGame), "a new game");
    text += line(key(TAction::Relaxed), "a relaxed game (no clock)");
    text += line(key(TAction::Highscores), "the high score table");
    text += line(key(TAction::Options), "the options: volumes, window, controls");
    text += line(key(TAction::HowToPlay), "how to play");
    text += line(key(TAction::Quit), "quit");
    text += line(key(TAction::OtherTable), "on the table: the other table (timed / relaxed)");
    text += line("Return", "confirm on the high score screens");
    // The window's own keys, which the game never sees.
    text += line("F11, Alt+Return", "fullscreen on / off");
    text += line("Escape, Alt+F4", "end the program (Escape: back, on the menus)");
    return text;
}

} // namespace

std::string UsageText(const TfwCatalogue& t, const TControls& controls) {
    // TRANSLATORS: --help; the options' names stay as they are, their text
    // starts in column 21 and every line stays under 80 characters.
    std::string text =
        t.Translate("Usage: tessaril [options]") + "\n\n" + t.Translate("Options:") + "\n";
    const std::string size = std::to_string(kPictureWidth) + " x " + std::to_string(kPictureHeight);
    text += "  --scale N          " +
            fwSubstitute(t.Translate("a window N times %1 (N from 1 to %2, cut to the desktop)"),
                         {size, std::to_string(kfwMaxScale)}) +
            "\n";
    text += "  --fullscreen[=1|0] " + t.Translate("start in fullscreen (=0: in a window)") + "\n";
    text += "  --seed N           " +
            fwSubstitute(t.Translate("deal every board from the seed N (0 to %1)"),
                         {std::to_string(kfwMaxSeed)}) +
            "\n";
    text += "  -h, --help         " + t.Translate("print this and end") + "\n";
    text += t.Translate("Options take one or two dashes; a value follows = or a blank.") + "\n";
    text += t.Translate("A value given here holds for this run and is not kept in settings.txt.") +
            "\n\n";
    return text + KeysText(t, controls);
}

std::string UsageText(const std::string& language, const TControls& controls) {
    TfwCatalogue catalogue;
    std::vector<std::string> problems; // a broken catalogue's lines are English
    fwLoadLanguage(language, fwMakePlatform()->PreferredLanguages(), kfwCatalogueFolder, catalogue,
                   problems);
    return UsageText(catalogue, controls);
}
