#include "fwScene.h"

TfwCustomScene::TfwCustomScene(TfwGameApp* app) : App(app) {}

void TfwCustomScene::Activate() {
    Finished = false;
    EnterScene();
}

void TfwCustomScene::Deactivate() {
    LeaveScene();
    Finished = true;
}
