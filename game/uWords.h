// The words the game letters at run time on the desktop and the web: the
// overlays' two lines and the heads-up row's labels. Every such text is made
// here, so that a translation finds them in one place; the keys they name
// are named as the player has them bound.
#pragma once

#include "fwCatalogue.h"
#include "uActions.h"
#include "uMediaList.h"

#include <cstdint>
#include <functional>
#include <string>

// An overlay's lettering: the big line and the smaller one under it.
struct TOverlayWords {
    std::string Big;
    std::string Small;
};

// How a key is named in the lettering: the action's key as the player's
// controls name it (TControls::KeyLabel).
using TKeyNamer = std::function<std::string(TAction action)>;

// The words of the overlay picture id, with number (the level, the lives
// left; -1 for none) where the overlay says it and keys named by keyName, in
// capitals, as t translates them (its translations are capitals too). Both
// lines are empty for an id that is no overlay.
TOverlayWords OverlayWords(const TfwCatalogue& t, TMediaId id, int32_t number,
                           const TKeyNamer& keyName);

// The word of a heads-up label picture id (miPointsLabel ... miTimeLabel);
// "" for any other id; t's translation.
std::string LabelWord(const TfwCatalogue& t, TMediaId id);
