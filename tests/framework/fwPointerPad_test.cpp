// The desktop's gamepad and mouse in the application frame: the pad's
// controls and their counters, window positions to picture pixels.
#include "fwConfig.h"
#include "fwGameApp.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using TKeys = std::set<int>;

TKeys ControlsOf(const TfwPadSet& set) {
    TKeys keys;
    for (size_t k = 0; k < set.size(); ++k)
        if (set[k])
            keys.insert(static_cast<int>(k));
    return keys;
}

TKeys PadControls(std::vector<int> pressed, uint8_t hat, int16_t x, int16_t y) {
    bool buttons[32] = {};
    for (int b : pressed)
        buttons[b] = true;
    const int16_t axes[2] = {x, y};
    return ControlsOf(fwPadHeld(buttons, hat, axes));
}

// The pad's counters frame by frame, as the main loop updates them.
class TfwPadCounters : public ::testing::Test {
protected:
    void SetUp() override { app.InitSDL(); }
    int Frame(int control) {
        app.UpdateKeys();
        app.PollEvents();
        return app.PadCounts[control];
    }
    TfwGameApp app;
};

} // namespace

TEST(TfwPad, ButtonsHatAndAxesHoldTheirControls) {
    constexpr int16_t kEdge = kfwAxisDeadZone;
    struct TCase {
        std::vector<int> Buttons;
        uint8_t Hat;
        int16_t X, Y;
        TKeys Keys;
    };
    const std::vector<TCase> cases = {
        {{0}, SDL_HAT_CENTERED, 0, 0, {0}},
        {{7}, SDL_HAT_CENTERED, 0, 0, {7}},
        {{8, 9, 10, 31}, SDL_HAT_CENTERED, 0, 0, {8, 9, 10, 31}},
        {{}, SDL_HAT_UP, 0, 0, {kfwPadUp}},
        {{}, SDL_HAT_RIGHTDOWN, 0, 0, {kfwPadRight, kfwPadDown}},
        {{}, SDL_HAT_LEFTUP, 0, 0, {kfwPadLeft, kfwPadUp}},
        {{}, SDL_HAT_CENTERED, -32768, 32767, {kfwPadLeft, kfwPadDown}},
        {{}, SDL_HAT_CENTERED, kEdge, -kEdge, {kfwPadRight, kfwPadUp}},
        {{}, SDL_HAT_CENTERED, kEdge - 1, -kEdge + 1, {}}, // inside the dead zone
        {{}, SDL_HAT_CENTERED, -8000, 8000, {}},
        {{0}, SDL_HAT_LEFT, 20000, 0, {0, kfwPadLeft, kfwPadRight}},
    };
    EXPECT_GT(kfwAxisDeadZone, 32767 / 4);
    EXPECT_LT(kfwAxisDeadZone, 32767 / 2);
    for (const TCase& c : cases)
        EXPECT_EQ(PadControls(c.Buttons, c.Hat, c.X, c.Y), c.Keys)
            << "hat " << int(c.Hat) << " axes " << c.X << ", " << c.Y << " buttons "
            << c.Buttons.size();
}

TEST_F(TfwPadCounters, APadPressCountsLikeAKeyAndOnlyOnTheDesktop) {
    PushJoyHat(SDL_HAT_UP);
    std::vector<int> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(Frame(kfwPadUp));
    PushJoyHat(SDL_HAT_CENTERED);
    held.push_back(Frame(kfwPadUp)); // the release is seen at the next update
    held.push_back(Frame(kfwPadUp));
    // Down and up again between two frames: down for one frame, as a key.
    PushJoyButton(7, true);
    PushJoyButton(7, false);
    held.push_back(Frame(7));
    held.push_back(Frame(7));
    // A stick moving within one direction is one press.
    PushJoyAxis(0, 20000);
    held.push_back(Frame(kfwPadRight));
    PushJoyAxis(0, 30000);
    held.push_back(Frame(kfwPadRight));
    PushJoyAxis(1, 5); // the other axis, inside the dead zone
    held.push_back(Frame(kfwPadRight));
    PushJoyAxis(2, -32768); // a third axis is no arrow
    held.push_back(Frame(kfwPadLeft));
    if constexpr (kHandheld)
        EXPECT_EQ(held, std::vector<int>(held.size(), 0)) << "the handheld keeps its own table";
    else
        EXPECT_EQ(held, (std::vector<int>{1, 2, 3, 4, 0, 1, 0, 1, 2, 3, 0}));
}

TEST(TfwPointer, WindowPositionsMapThroughScaleAndBorder) {
    TfwGameApp app;
    struct TCase {
        int32_t Scale, Left, Top, WX, WY;
        bool On;
        int32_t PX, PY;
    };
    const std::vector<TCase> cases = {
        {1, 0, 0, 0, 0, true, 0, 0},
        {1, 0, 0, 319, 239, true, 319, 239},
        {1, 0, 0, 320, 100, false, 0, 0},
        {1, 0, 0, 100, 240, false, 0, 0},
        {3, 0, 0, 959, 719, true, 319, 239},
        {3, 0, 0, 960, 0, false, 0, 0},
        {3, 160, 120, 160, 120, true, 0, 0},
        {3, 160, 120, 162, 122, true, 0, 0},
        {3, 160, 120, 163, 125, true, 1, 1},
        {3, 160, 120, 159, 300, false, 0, 0}, // the border left of the picture
        {3, 160, 120, 300, 119, false, 0, 0}, // and above it
        {3, 160, 120, 1119, 839, true, 319, 239},
        {3, 160, 120, 1120, 500, false, 0, 0}, // right of it
        {3, 160, 120, 500, 840, false, 0, 0},  // below it
    };
    for (const TCase& c : cases) {
        app.Scale = c.Scale;
        app.PictureX = c.Left;
        app.PictureY = c.Top;
        int32_t px = -1, py = -1;
        const bool on = app.WindowToPicture(c.WX, c.WY, px, py);
        EXPECT_EQ(on, c.On) << c.WX << ", " << c.WY << " at scale " << c.Scale;
        if (on && c.On) {
            EXPECT_EQ(std::make_pair(px, py), std::make_pair(c.PX, c.PY)) << c.WX << ", " << c.WY;
        }
    }
}

TEST(TfwPointer, MouseButtonsReachTheFrameAsPicturePixelsThenGo) {
    TFakeClock clock;
    TfwGameApp app;
    app.InitSDL();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), kHandheld ? SDL_DISABLE : SDL_ENABLE);
    app.Scale = 3;
    app.PictureX = 160;
    app.PictureY = 120;
    PushMouseButton(SDL_BUTTON_LEFT, true, 160 + 3 * 100 + 2, 120 + 3 * 50);
    PushMouseButton(SDL_BUTTON_RIGHT, false, 10, 10); // on the border
    app.PollEvents();
    if constexpr (kHandheld) {
        EXPECT_TRUE(app.PointerEvents.empty());
        return;
    }
    ASSERT_EQ(app.PointerEvents.size(), 2u);
    const TfwPointerEvent& left = app.PointerEvents[0];
    EXPECT_EQ(left.Button, SDL_BUTTON_LEFT);
    EXPECT_TRUE(left.Down);
    EXPECT_TRUE(left.OnPicture);
    EXPECT_EQ(left.X, 100);
    EXPECT_EQ(left.Y, 50);
    const TfwPointerEvent& right = app.PointerEvents[1];
    EXPECT_EQ(right.Button, SDL_BUTTON_RIGHT);
    EXPECT_FALSE(right.Down);
    EXPECT_FALSE(right.OnPicture);
    app.DoFrame();
    EXPECT_TRUE(app.PointerEvents.empty()) << "what a frame leaves unread is dropped";
}
