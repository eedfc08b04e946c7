#include "fwCommandLine.h"

#include <cstdint>

namespace {

// The decimal digits of kfwMaxSeed.
constexpr size_t kSeedDigits = 10;

// "N" with 0 <= N <= kfwMaxSeed.
bool ReadSeed(const std::string& text, int64_t& seed) {
    int64_t n = 0;
    if (!fwParseWhole(text, kSeedDigits, n) || n > kfwMaxSeed)
        return false;
    seed = n;
    return true;
}

const std::string kScaleRange = "a whole number from 1 to " + std::to_string(kfwMaxScale);
const std::string kSeedRange = "a whole number from 0 to " + std::to_string(kfwMaxSeed);

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

TfwCommandLine fwParseCommandLine(const std::vector<std::string>& args) {
    TfwCommandLine line;
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

bool fwParseScale(const std::string& text, int32_t& scale) {
    int64_t n = 0;
    if (!fwParseWhole(text, 2, n) || n < 1 || n > kfwMaxScale)
        return false;
    scale = static_cast<int32_t>(n);
    return true;
}

bool fwParseWhole(const std::string& text, size_t maxDigits, int64_t& value) {
    if (text.empty() || text.size() > maxDigits ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoll(text);
    return true;
}
