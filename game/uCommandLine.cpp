#include "uCommandLine.h"

#include "fwCommandLine.h"
#include "fwGameApp.h"

namespace {

// The usage text after the options that name limits.
const char* const kUsageRest =
    "  -h, --help         print this and end\n"
    "Options take one or two dashes; a value follows = or a blank.\n"
    "A value given here holds for this run and is not kept in settings.txt.\n"
    "\n"
    "Keys:\n"
    "  Space              start a game, select and swap a stone (or the left mouse button)\n"
    "  arrow keys         move the cursor\n"
    "  P                  pause and go on\n"
    "  Y                  hint (costs 10 seconds, in a relaxed game 100 points; or the\n"
    "                     right mouse button)\n"
    "  H                  the high score table (on the title)\n"
    "  X                  back to the title (a game left there is kept); on the title, quit\n"
    "  C                  continue the kept game (on the title)\n"
    "  R                  restart the level; on the title a relaxed game (no clock); on\n"
    "                     the high score table the other table (timed / relaxed)\n"
    "  1 / 2              volume down / up\n"
    "  Return             confirm on the high score screens\n"
    "  F11, Alt+Return    fullscreen on / off\n"
    "  Escape, Alt+F4     end the program\n";

} // namespace

std::string UsageText() {
    std::string text = "Usage: tessaril [options]\n\nOptions:\n";
    text += "  --scale N          a window N times " + std::to_string(kPictureWidth) + " x " +
            std::to_string(kPictureHeight) + " (N from 1 to " + std::to_string(kfwMaxScale) +
            ", cut to the desktop)\n";
    text += "  --fullscreen[=1|0] start in fullscreen (=0: in a window)\n";
    text += "  --seed N           deal every board from the seed N (0 to " +
            std::to_string(kfwMaxSeed) + ")\n";
    return text + kUsageRest;
}
