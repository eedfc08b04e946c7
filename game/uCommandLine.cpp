#include "uCommandLine.h"

#include "fwGameApp.h"

#include <cstdint>

namespace {

// "N" with 0 <= N < 2^32.
bool ReadSeed(const std::string& text, int64_t& seed) {
    int64_t n = 0;
    if (!fwParseWhole(text, 10, n) || n > int64_t{UINT32_MAX})
        return false;
    seed = n;
    return true;
}

const std::string kScaleRange = "a whole number from 1 to " + std::to_string(kfwMaxScale);
const std::string kSeedRange = "a whole number from 0 to 4294967295";

// One option: name without its dashes, its value when it came with "=".
struct TOption {
    std::string Name;
    std::string Value;
    bool HasValue = false;
};

// false for an argument that is no option (no leading dash, or dashes alone).
bool SplitOption(const std::string& arg, TOption& option) {
    size_t dashes = 0;
    while (dashes < arg.size() && dashes < 2 && arg[dashes] == '-')
        ++dashes;
    if (dashes == 0 || dashes == arg.size())
        return false;
    const size_t eq = arg.find('=', dashes);
    option.Name = arg.substr(dashes, eq == std::string::npos ? std::string::npos : eq - dashes);
    option.HasValue = eq != std::string::npos;
    option.Value = option.HasValue ? arg.substr(eq + 1) : std::string();
    return true;
}

} // namespace

std::vector<std::string> TCommandLine::OptionLines() const {
    std::vector<std::string> lines;
    if (Scale > 0)
        lines.push_back("scale=" + std::to_string(Scale));
    if (Fullscreen >= 0)
        lines.push_back("fullscreen=" + std::to_string(Fullscreen));
    if (Seed >= 0)
        lines.push_back("seed=" + std::to_string(Seed));
    return lines;
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    TCommandLine line;
    for (size_t i = 0; i < args.size() && line.Error.empty(); ++i) {
        TOption option;
        if (!SplitOption(args[i], option)) {
            line.Error = "unknown argument '" + args[i] + "'";
        } else if ((option.Name == "help" || option.Name == "h") && !option.HasValue) {
            line.Help = true;
        } else if (option.Name == "scale" || option.Name == "seed") {
            if (!option.HasValue && i + 1 < args.size()) {
                option.Value = args[++i];
                option.HasValue = true;
            }
            const bool scale = option.Name == "scale";
            const std::string& range = scale ? kScaleRange : kSeedRange;
            if (!option.HasValue)
                line.Error = "--" + option.Name + " needs " + range;
            else if (scale ? !fwParseScale(option.Value, line.Scale)
                           : !ReadSeed(option.Value, line.Seed))
                line.Error = "bad " + option.Name + " '" + option.Value + "': " + range;
        } else if (option.Name == "fullscreen") {
            if (!option.HasValue || option.Value == "1")
                line.Fullscreen = 1;
            else if (option.Value == "0")
                line.Fullscreen = 0;
            else
                line.Error =
                    "bad fullscreen '" + option.Value + "': 1 (fullscreen) or 0 (a window)";
        } else {
            line.Error = "unknown option '" + args[i] + "'";
        }
    }
    return line;
}

const char* UsageText() {
    return "Usage: tessaril [options]\n"
           "\n"
           "Options:\n"
           "  --scale N          a window N times 320 x 240 (N from 1 to 16, cut to the desktop)\n"
           "  --fullscreen[=1|0] start in fullscreen (=0: in a window)\n"
           "  --seed N           deal every board from the seed N (0 to 4294967295)\n"
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
           "  X                  back to the title (a game left there is kept); on the title, "
           "quit\n"
           "  C                  continue the kept game (on the title)\n"
           "  R                  restart the level; on the title a relaxed game (no clock); on\n"
           "                     the high score table the other table (timed / relaxed)\n"
           "  1 / 2              volume down / up\n"
           "  Return             confirm on the high score screens\n"
           "  F11, Alt+Return    fullscreen on / off\n"
           "  Escape, Alt+F4     end the program\n";
}
