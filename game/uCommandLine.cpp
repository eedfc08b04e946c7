#include "uCommandLine.h"

#include "fwCommandLine.h"
#include "fwGameApp.h"
#include "uActions.h"

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

std::string KeysText() {
    const std::string ahead(kKeyColumn, ' ');
    std::string text = "Keys:\n";
    text += KeyLine(KeyName(TAction::Select),
                    "start a game, select and swap a stone (or the left mouse button)");
    text += KeyLine(KeyName(TAction::Up), "move the cursor");
    text += KeyLine(KeyName(TAction::Pause), "pause and go on");
    text += KeyLine(KeyName(TAction::Hint),
                    "hint (costs 10 seconds, in a relaxed game 100 points; or the\n" + ahead +
                        "right mouse button)");
    text += KeyLine(KeyName(TAction::Highscores), "the high score table (on the title)");
    text += KeyLine(KeyName(TAction::Leave),
                    "back to the title (a game left there is kept); on the title, quit");
    text += KeyLine(KeyName(TAction::Continue), "continue the kept game (on the title)");
    text += KeyLine(KeyName(TAction::Restart),
                    "restart the level; on the title a relaxed game (no clock); on\n" + ahead +
                        "the high score table the other table (timed / relaxed)");
    text += KeyLine(KeyName(TAction::VolumeDown) + " / " + KeyName(TAction::VolumeUp),
                    "volume down / up");
    text += KeyLine(KeyName(TAction::Confirm), "confirm on the high score screens");
    // The window's own keys, which the game never sees.
    text += KeyLine("F11, Alt+Return", "fullscreen on / off");
    text += KeyLine("Escape, Alt+F4", "end the program");
    return text;
}

} // namespace

std::string UsageText() {
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
    return text + KeysText();
}
