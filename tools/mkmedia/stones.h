// The board's pictures: the nine stones, the two special stones, the frame
// stone, the cursor, the +25 marker and the steps picture.
#pragma once

#include "draw.h"

namespace mkmedia {

// One stone colour: its file name (without .bmp), colour, outline and look.
struct StoneDef {
    const char* file;
    RGB colour;
    Poly shape;
    GemLook look;
};

// The nine stone colours in the order of the stone table (kinds 1 to 9).
std::vector<StoneDef> stoneDefs();
Image makeStone(const StoneDef& d); // 24 x 24
Image makeTimeStone();              // the hourglass bonus stone
Image makeBomb();
Image makeFrameStone(); // the empty frame of puzzle boards' fixed cells
Image makeCursor();     // 28 x 28 frames side by side: the cursor's two, the selection's
Image makePlus25();
Image makeSteps();

} // namespace mkmedia
