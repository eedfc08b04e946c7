// The game: the one application object of the program.
#pragma once

#include "fwGameApp.h"

#include <string>
#include <vector>

class TMiniGame : public TfwGameApp {
public:
    explicit TMiniGame(const std::vector<std::string>& args = {});
    ~TMiniGame() override;
};

// The program body: runs the game inside the guard that logs an escaping
// error's message. The process's exit code.
int TessarilMain(const std::vector<std::string>& args);
