// Scenes: a screen that takes over input and drawing for a while and reports
// when it has finished; the game polls Finished and decides what follows.
#pragma once

#include <SDL.h>

#include <cstdint>

class TfwGameApp;

class TfwCustomScene {
public:
    explicit TfwCustomScene(TfwGameApp* app);
    virtual ~TfwCustomScene() = default;
    TfwCustomScene(const TfwCustomScene&) = delete;
    TfwCustomScene& operator=(const TfwCustomScene&) = delete;

    TfwGameApp* App;      // not owned
    bool Finished = true; // a new scene is not running

    virtual void EnterScene() {}
    virtual void LeaveScene() {}
    // True when the scene used the keys of this frame.
    virtual bool HandleInput() { return false; }
    virtual void Draw(SDL_Surface* surface) { (void)surface; }

    // Finished := false, then EnterScene.
    void Activate();
    // LeaveScene, then Finished := true.
    void Deactivate();
};
