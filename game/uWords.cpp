#include "uWords.h"

#include <cctype>

namespace {

// The lettering is in capitals ("SPACE", "LEFT SHIFT").
std::string Capitals(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

TOverlayWords OverlayWords(TMediaId id, int32_t number, const TKeyNamer& keyName) {
    const std::string goOn = Capitals(keyName(TAction::Select)) + " OR CLICK";
    const std::string shown = number >= 0 ? std::to_string(number) : std::string();
    switch (id) {
    case miPressKey:
        return {"LEVEL " + shown, "PRESS " + goOn + " TO PLAY"};
    case miLevelDoneImage:
        return {"LEVEL COMPLETE", goOn + ": NEXT LEVEL"};
    case miOutOfTimeImage:
        return {"OUT OF TIME", "LIVES LEFT: " + shown + " - " + goOn};
    case miNoMovesImage:
        return {"NO MOVES LEFT", "LIVES LEFT: " + shown + " - " + goOn};
    case miPaused:
        return {"GAME PAUSED", "PRESS " + Capitals(keyName(TAction::Pause)) + " OR CLICK TO GO ON"};
    case miGameOverImage:
        return {"GAME OVER", "PRESS " + goOn};
    default:
        return {};
    }
}

std::string LabelWord(TMediaId id) {
    switch (id) {
    case miPointsLabel:
        return "SCORE";
    case miLivesLabel:
        return "LIVES";
    case miLevelLabel:
        return "LEVEL";
    case miTimeLabel:
        return "TIME";
    default:
        return "";
    }
}
