#include "fwPlatform.h"
#include "tessaril.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return fwProgramMain(args, TessarilMain, RunGuarded);
}
