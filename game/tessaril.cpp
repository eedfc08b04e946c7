#include "tessaril.h"

#include "fwLog.h"

TMiniGame::TMiniGame(const std::vector<std::string>& args) : TfwGameApp(args) {}

TMiniGame::~TMiniGame() = default;

int TessarilMain(const std::vector<std::string>& args) {
    try {
        RunApp<TMiniGame>(args);
    } catch (const EfwError& e) {
        // The program ends quietly; the log holds the reason.
        Log().Write(e.what());
    }
    return 0;
}
