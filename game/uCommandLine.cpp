#include "uCommandLine.h"

#include "fwCommandLine.h"
#include "fwGameApp.h"
#include "uControls.h"

#include <algorithm>

namespace {

// The usage text's key lines: the key's name in a column of this width, then
// what it does.
constexpr size_t kKeyColumn = 21; // from the line's start

std::string KeyLine(const std::string& keys, const std::string& text) {
    std::string line = "  " + keys;
    line.resize(std::max(line.size() + 1, kKeyColumn), ' ');
    return line + text + "\n";
}

std::string KeysText(const TControls& c) {
    const std::string ahead(kKeyColumn, ' ');
    const auto key = [&c](TAction a) { return c.KeyLabel(a); };
    std::string text = "Keys (with the bindings of settings.txt):\n";
    text += KeyLine(key(TAction::Select), "select and swap a stone (or the left mouse button)");
    text += KeyLine(c.MovesLabel(), "move the cursor");
    text += KeyLine(key(TAction::Pause), "pause and go on");
    text += KeyLine(key(TAction::Hint),
                    "hint (costs 10 seconds, in a relaxed game 100 points; or the\n" + ahead +
                        "right mouse button)");
    text += KeyLine(key(TAction::Restart), "restart the level");
    text += KeyLine(key(TAction::Leave), "back to the title (a game left there is kept)");
    text += KeyLine(key(TAction::VolumeDown) + " / " + key(TAction::VolumeUp), "volume down / up");
    text += "On the title's menu (arrows, Return or Space choose too):\n";
    text += KeyLine(key(TAction::Continue), "continue the newest kept game");
    text += KeyLine(key(TAction::KeptGames), "the list of the kept games");
    text += KeyLine(key(TAction::NewGame), "a new game");
    text += KeyLine(key(TAction::Relaxed), "a relaxed game (no clock)");
    text += KeyLine(key(TAction::Highscores), "the high score table");
    text += KeyLine(key(TAction::Options), "the options: volumes, window, controls");
    text += KeyLine(key(TAction::HowToPlay), "how to play");
    text += KeyLine(key(TAction::Quit), "quit");
    text += KeyLine(key(TAction::OtherTable), "the other table (timed / relaxed), on the table");
    text += KeyLine("Return", "confirm on the high score screens");
    // The window's own keys, which the game never sees.
    text += KeyLine("F11, Alt+Return", "fullscreen on / off");
    text += KeyLine("Escape, Alt+F4", "end the program (Escape: back, on the menus)");
    return text;
}

} // namespace

std::string UsageText(const TControls& controls) {
    std::string text = "Usage: tessaril [options]\n\nOptions:\n";
    text += "  --scale N          a window N times " + std::to_string(kPictureWidth) + " x " +
            std::to_string(kPictureHeight) + " (N from 1 to " + std::to_string(kfwMaxScale) +
            ", cut to the desktop)\n";
    text += "  --fullscreen[=1|0] start in fullscreen (=0: in a window)\n";
    text += "  --seed N           deal every board from the seed N (0 to " +
            std::to_string(kfwMaxSeed) + ")\n";
    text += "  -h, --help         print this and end\n"
            "Options take one or two dashes; a value follows = or a blank.\n"
            "A value given here holds for this run and is not kept in settings.txt.\n"
            "\n";
    return text + KeysText(controls);
}
