// The title and loading screen's pictures: logo, splash background and the
// loading bar's block.
#pragma once

#include "draw.h"

namespace mkmedia {

Image makeLogo();   // at most 310 x 38
Image makeSplash(); // 320 x 240
Image makeBarBlock();

} // namespace mkmedia
