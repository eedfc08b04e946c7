#include "tessaril.h"

int main(int argc, char** argv) {
    return TessarilMain(std::vector<std::string>(argv + 1, argv + argc));
}
