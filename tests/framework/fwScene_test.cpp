#include "fwScene.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// Notes each hook together with the Finished flag it saw.
class TProbeScene : public TfwCustomScene {
public:
    using TfwCustomScene::TfwCustomScene;
    std::string Calls;
    void EnterScene() override { Calls += Finished ? "E1" : "E0"; }
    void LeaveScene() override { Calls += Finished ? "L1" : "L0"; }
};
} // namespace

TEST(Scene, NewSceneIsNotRunningAndTheBaseUsesNoKeys) {
    TfwCustomScene scene(nullptr);
    EXPECT_TRUE(scene.Finished);
    EXPECT_EQ(scene.App, nullptr);
    EXPECT_FALSE(scene.HandleInput());
    scene.Draw(nullptr); // the base draws nothing, even without a surface
    scene.Activate();
    EXPECT_FALSE(scene.Finished);
    scene.Deactivate();
    EXPECT_TRUE(scene.Finished);
}

TEST(Scene, ActivateClearsFinishedBeforeEnterScene) {
    TProbeScene scene(nullptr);
    scene.Activate();
    EXPECT_EQ(scene.Calls, "E0");
    EXPECT_FALSE(scene.Finished);
}

TEST(Scene, DeactivateCallsLeaveSceneBeforeSettingFinished) {
    TProbeScene scene(nullptr);
    scene.Activate();
    scene.Deactivate();
    EXPECT_EQ(scene.Calls, "E0L0");
    EXPECT_TRUE(scene.Finished);
}

TEST(Scene, ASceneCanRunAgainAfterItFinished) {
    TProbeScene scene(nullptr);
    for (int run = 0; run < 3; ++run) {
        scene.Activate();
        EXPECT_FALSE(scene.Finished);
        scene.Finished = true; // the scene itself ends the run
    }
    EXPECT_EQ(scene.Calls, "E0E0E0");
}
