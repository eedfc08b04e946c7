#include "uWords.h"

#include <cctype>

namespace {

// The lettering is in capitals ("SPACE", "LEFT SHIFT").
std::string Capitals(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// An overlay's big line; "" for an id that is no overlay.
std::string BigLine(const TfwCatalogue& t, TMediaId id, const std::string& shown) {
    switch (id) {
    case miPressKey:
        // TRANSLATORS: box 194x22 (an overlay's big line, in capitals, font 16 at the least;
        // larger where it fits); %1 is the level's number
        return fwSubstitute(t.Translate("LEVEL %1"), {shown});
    case miLevelDoneImage:
        // TRANSLATORS: box 194x22 (an overlay's big line, in capitals, font 16 at the least)
        return t.Translate("LEVEL COMPLETE");
    case miOutOfTimeImage:
        // TRANSLATORS: box 194x22 (an overlay's big line, in capitals, font 16 at the least)
        return t.Translate("OUT OF TIME");
    case miNoMovesImage:
        // TRANSLATORS: box 194x22 (an overlay's big line, in capitals, font 16 at the least)
        return t.Translate("NO MOVES LEFT");
    case miPaused:
        // TRANSLATORS: box 194x22 (an overlay's big line, in capitals, font 16 at the least)
        return t.Translate("GAME PAUSED");
    case miGameOverImage:
        // TRANSLATORS: box 194x22 (an overlay's big line, in capitals, font 16 at the least)
        return t.Translate("GAME OVER");
    default:
        return "";
    }
}

// An overlay's second line: goOn names the select key's way on, pauseKey
// the pause key.
std::string SmallLine(const TfwCatalogue& t, TMediaId id, const std::string& shown,
                      const std::string& goOn, const std::string& pauseKey) {
    switch (id) {
    case miPressKey:
        // TRANSLATORS: box 194x14 (an overlay's second line, in capitals, font 9 at the
        // least); %1 is "SPACE OR CLICK" in the player's keys
        return fwSubstitute(t.Translate("PRESS %1 TO PLAY"), {goOn});
    case miLevelDoneImage:
        // TRANSLATORS: box 194x14 (an overlay's second line, in capitals, font 9 at the
        // least); %1 is "SPACE OR CLICK" in the player's keys
        return fwSubstitute(t.Translate("%1: NEXT LEVEL"), {goOn});
    case miOutOfTimeImage:
    case miNoMovesImage:
        // TRANSLATORS: box 194x14 (an overlay's second line, in capitals, font 9 at the
        // least); %1 the lives left, %2 "SPACE OR CLICK" in the player's keys
        return fwSubstitute(t.Translate("LIVES LEFT: %1 - %2"), {shown, goOn});
    case miPaused:
        // TRANSLATORS: box 194x14 (an overlay's second line, in capitals, font 9 at the
        // least); %1 is a key's name
        return fwSubstitute(t.Translate("PRESS %1 OR CLICK TO GO ON"), {pauseKey});
    case miGameOverImage:
        // TRANSLATORS: box 194x14 (an overlay's second line, in capitals, font 9 at the
        // least); %1 is "SPACE OR CLICK" in the player's keys
        return fwSubstitute(t.Translate("PRESS %1"), {goOn});
    default:
        return "";
    }
}

} // namespace

TOverlayWords OverlayWords(const TfwCatalogue& t, TMediaId id, int32_t number,
                           const TKeyNamer& keyName) {
    const std::string goOn = fwSubstitute(
        // TRANSLATORS: box 194x14 (an overlay's second line, in capitals, font 9 at the
        // least; larger where it fits); %1 is a key's name
        t.Translate("%1 OR CLICK"), {Capitals(keyName(TAction::Select))});
    const std::string shown = number >= 0 ? std::to_string(number) : std::string();
    return {BigLine(t, id, shown),
            SmallLine(t, id, shown, goOn, Capitals(keyName(TAction::Pause)))};
}

std::string LabelWord(const TfwCatalogue& t, TMediaId id) {
    switch (id) {
    case miPointsLabel:
        // TRANSLATORS: box 42x12 (the heads-up row's label left of the score, in capitals,
        // font 9 at the least)
        return t.Translate("SCORE");
    case miLivesLabel:
        // TRANSLATORS: box 28x12 (the heads-up row's label left of the lives, in capitals,
        // font 9 at the least)
        return t.Translate("LIVES");
    case miLevelLabel:
        // TRANSLATORS: box 28x12 (the heads-up row's label left of the level, in capitals,
        // font 9 at the least)
        return t.Translate("LEVEL");
    case miTimeLabel:
        // TRANSLATORS: box 28x12 (the heads-up row's label left of the clock, in capitals,
        // font 9 at the least)
        return t.Translate("TIME");
    default:
        return "";
    }
}
