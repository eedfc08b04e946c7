// The sprite world: a tree of positioned objects rooted in a sprite engine, the
// per-frame modifiers that move them, sprites with frame animation, and the
// engine that updates and draws its sprites through a view rectangle.
#pragma once

#include "fwAnimation.h"
#include "fwObject.h"

#include <SDL.h>

#include <functional>
#include <memory>

class TfwGameApp;
class TfwSDLImage;

// Left, Top, Right, Bottom in pixels; Right and Bottom exclusive.
struct TfwRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

// Clip flags: the sides of an object's screen rectangle that the view cuts.
enum : int32_t { kClipLeft = 1, kClipTop = 2, kClipRight = 4, kClipBottom = 8 };

// A positioned node. Positions are relative to the parent (children of the
// engine: relative to the engine). Children are owned; Engine and Parent are not.
class TfwWorldObject : public TfwObject {
public:
    TfwWorldObject(TfwWorldObject* engine, TfwWorldObject* parent);

    int32_t Width = 0;
    int32_t Height = 0;
    TfwWorldObject* Engine;
    TfwWorldObject* Parent;
    TfwObjectlist Children{true}; // drawing order
    bool ClipToView = false;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Z = 0;

    virtual int32_t GetWidth() const { return Width; }
    virtual int32_t GetHeight() const { return Height; }
    // Moves this child of the engine before the first other child with a
    // greater Z, then stores Z.
    virtual void SetZ(int32_t newZ);
    // r: screen rectangle (cut to clip when ClipToView); flags: kClip* sides.
    virtual void Draw(SDL_Surface* surface, const TfwRect& r, const TfwRect& clip, int32_t flags);
    virtual bool IsEngine() const { return false; }
    virtual TfwWorldObject* AddChild();
    // A new child of class T, appended and owned by this object.
    template <class T> T* AddChildOfClass() {
        auto child = std::make_unique<T>(Engine, this);
        T* result = child.get();
        Children.Add(std::move(child));
        return result;
    }
    // Adopts obj as the last child; this object owns it from now on.
    virtual void Add(TfwWorldObject* obj);
    // Takes obj out and frees it; its former index or -1.
    virtual int Remove(TfwWorldObject* obj);
    // Bounds in engine coordinates (the engine's own position left out).
    virtual void GetBounds(TfwRect& r) const;
    virtual void ToScreen(const TfwRect& r, TfwRect& s) const;
    virtual void ToScreenPoint(int32_t& px, int32_t& py) const;
    virtual void Update(int32_t arg) { (void)arg; }
    virtual void SetSize(int32_t w, int32_t h);
    virtual void SetPos(int32_t newX, int32_t newY, int32_t newZ);

    int ChildCount() const { return Children.Count(); }
    // EfwError "Invalid Objecttyp ..." for an item that is no world object.
    TfwWorldObject* GetChild(int index) const;
    // Draws through the view rectangle clip (screen coordinates).
    void DrawClipped(SDL_Surface* surface, const TfwRect& clip);
};

// The life of a modifier: new until its first allowed step, then running;
// finishing while its OnFinish runs, finished afterwards. The values are fixed.
enum class TfwModifierState : uint8_t {
    msNew = 0,
    msRunning = 2,
    msFinishing = 3,
    msFinished = 4,
};

// A small per-frame animation of one world object.
class TfwPosModifier : public TfwObject {
public:
    using MoveEvent = std::function<bool(TfwPosModifier* sender, int32_t x, int32_t y, int32_t z)>;
    using FinishEvent = std::function<void(TfwPosModifier* sender)>;

    TfwPosModifier(TfwWorldObject* target, bool freeOnFinish);

    TfwWorldObject* Target; // not owned
    bool FreeOnFinish;
    TfwModifierState State = TfwModifierState::msNew;
    MoveEvent OnMove;
    FinishEvent OnFinish;

    // One frame of work.
    virtual void Step(int32_t arg) { (void)arg; }
    // Asks OnMove; on yes (or no handler) the modifier is running.
    bool CanMove(int32_t x, int32_t y, int32_t z);
    // Runs OnFinish; the modifier is finished afterwards even when the handler throws.
    void Finish();
};

// Owns its modifiers and steps each once per Update, freeing finished ones.
class TfwModifierList : public TfwObject {
public:
    TfwObjectlist Items{true};

    int Count() const { return Items.Count(); }
    TfwPosModifier* Modifiers(int index) const { return Items.ItemAs<TfwPosModifier>(index); }
    // Appends m (owned from now on) and hands it back for its events to be set.
    template <class T> T* Add(std::unique_ptr<T> m) {
        T* result = m.get();
        Items.Add(std::move(m));
        return result;
    }
    int IndexOf(const TfwPosModifier* m) const { return Items.IndexOf(m); }
    void Delete(int index) { Items.Delete(index); }
    void Remove(TfwPosModifier* m) { Items.Remove(m); }
    // Steps every modifier present at the start once, in order; frees those
    // finished with FreeOnFinish after the pass.
    virtual void Update(int32_t arg);
};

// Only a shown sprite draws and animates; a dead one stays in its engine,
// undrawn, until removed. The values are fixed.
enum class TfwSpriteState : uint8_t {
    ssHidden = 0,
    ssShown = 1,
    ssDead = 2,
};

// A drawable world object: an image, whole or one animation frame at a time.
class TfwSprite : public TfwWorldObject {
public:
    TfwSprite(TfwWorldObject* engine, TfwWorldObject* parent);

    TfwSpriteState State = TfwSpriteState::ssHidden;
    TfwSDLImage* Image = nullptr;           // not owned
    uint32_t LastTick;                      // ms
    TfwAnimSequences* Animations = nullptr; // not owned
    uint32_t FrameDelay = 1000;             // ms between frames; 0 = every call
    int32_t Frame = 0;
    int32_t Sequence = 0;
    bool Looping = false;
    bool DieAtEnd = false;

    // Sets the image and its size, and resets the animation fields.
    void SetImage(TfwSDLImage* img);
    bool HasAnimations() const;
    int32_t GetWidth() const override;
    int32_t GetHeight() const override;
    void Draw(SDL_Surface* surface, const TfwRect& r, const TfwRect& clip, int32_t flags) override;
    void Update(int32_t arg) override;
    virtual void OnSequenceEnd(int32_t sequenceIndex) { (void)sequenceIndex; }
    // Advances the frame on the millisecond clock (fwGetTicks).
    virtual void Animate();
    // Milliseconds from now until Animate next changes the frame: 0 when it
    // is due, kfwNoChangeDue without animations.
    uint32_t UntilNextFrame(uint32_t now) const;
    virtual void Hide() { State = TfwSpriteState::ssHidden; }
    virtual void Show() { State = TfwSpriteState::ssShown; }
    bool Shown() const { return State == TfwSpriteState::ssShown; }
    virtual void Kill(int32_t sequenceIndex) {
        (void)sequenceIndex;
        State = TfwSpriteState::ssDead;
    }
};

// Root of a sprite world; its position is the world's screen offset.
class TfwSpriteEngine : public TfwWorldObject {
public:
    explicit TfwSpriteEngine(TfwGameApp* game);

    TfwGameApp* Game; // not owned, not used by the engine

    bool IsEngine() const override { return true; }
    // Update of every child, in order.
    void Update(int32_t arg) override;
    // Every child through the view rectangle, in order (later ones on top).
    void DrawAll(SDL_Surface* surface, const TfwRect& clip);
    // Takes s out and frees it; nothing when s is no child.
    void RemoveSprite(TfwWorldObject* s);
    // Frees every child of class T or derived, from the last to the first.
    template <class T> void RemoveAllOfClass() {
        for (int i = ChildCount() - 1; i >= 0; --i)
            if (dynamic_cast<T*>(Children.Items(i)) != nullptr)
                Children.Delete(i);
    }
};
