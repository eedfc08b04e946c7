// The game's desktop icon: four stones on a rounded board tile, drawn at
// any size, with real transparency (no key colour).
#pragma once

#include "draw.h"

namespace mkmedia {

struct Icon {
    Image colour; // every pixel opaque; the edge colours run on under the alpha
    Image alpha;  // grey levels: 0 transparent, 255 opaque
};

Icon makeIcon(int size);

} // namespace mkmedia
