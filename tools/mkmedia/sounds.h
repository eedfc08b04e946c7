// The seven sound effects, mono at SR.
#pragma once

#include <vector>

namespace mkmedia {

std::vector<float> sndClick(double hz, double len, double tone2);
std::vector<float> sndSelect();
std::vector<float> sndExplode();
std::vector<float> sndLevelDone();
std::vector<float> sndGameOver();
std::vector<float> sndNoMoves();
std::vector<float> sndTimeUp();

} // namespace mkmedia
