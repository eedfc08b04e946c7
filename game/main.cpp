#include "fwConfig.h"
#include "tessaril.h"
#include "web/fwWeb.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if constexpr (kWeb)
        args = fwWebStart(args); // the page: its files, clock, canvas and input
    return TessarilMain(args);
}
