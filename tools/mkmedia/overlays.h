// The heads-up display's pictures (labels and the digit strip) and the
// overlay banners with their lettering.
#pragma once

#include "lettering.h"
#include "uMediaList.h"

namespace mkmedia {

// A label of the heads-up display, 12 pixels high; ends the program when it
// is wider than maxW.
Image makeLabel(const std::string& text, int maxW);
// The digit strip: 6 x 14 cells for "0" to "9" and ":".
Image makeDigits();
// A framed banner with big lettering and a smaller second line.
Image makeBanner(int w, int h, const std::string& big, const std::string& small,
                 const TextStyle& bigStyle, RGB panelTop, RGB panelBottom);
TextStyle bigGold();
// One overlay picture (250 x 50): gold lettering on blue for the press-key
// and paused overlays, red on purple for game over.
Image makeOverlay(const TOverlayLettering& lettering);

} // namespace mkmedia
