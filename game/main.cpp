#include "fwConfig.h"
#include "tessaril.h"
#include "web/fwWeb.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if constexpr (kWeb) {
        // The page: its files, clock, canvas and input; the program runs on
        // its animation frames once the player's files are read.
        fwWebStart(
            args, [](const std::vector<std::string>& rest) { TessarilMain(rest); }, RunGuarded);
        return 0;
    }
    return TessarilMain(args);
}
