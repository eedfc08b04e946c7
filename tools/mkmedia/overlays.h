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
// A framed overlay banner with big lettering and a smaller second line, laid
// out around the run-time number where the lettering marks one; ends the
// program when the number's place differs from the one the lettering gives.
Image makeBanner(const TOverlayLettering& lettering, const TextStyle& bigStyle, RGB panelTop,
                 RGB panelBottom);
TextStyle bigGold();
// One overlay picture (250 x 50): gold lettering on blue (ready), green
// (level done) and teal (paused); red on blue for a lost life, red on purple
// for game over.
Image makeOverlay(const TOverlayLettering& lettering);
// The overlays' digit strip: the big and the small row of kOverlay*Digits.
Image makeOverlayDigits();
// The play screen's pause symbol: the pause bars and the go-on triangle.
Image makePauseSymbol();

} // namespace mkmedia
