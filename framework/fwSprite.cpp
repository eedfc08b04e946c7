#include "fwSprite.h"

#include "fwGameApp.h"
#include "fwImage.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

// A readable class name for error messages ("TfwSDLImage", not "11TfwSDLImage").
// A class at namespace scope is mangled as its name's length and the name;
// any other (nested, in a namespace, a template) keeps its mangled name. The
// library's demangler is left out on purpose: it would be the web build's
// largest piece of code after FreeType's interpreter, for one error message.
std::string ClassName(const TfwObject& object) {
    const std::string mangled = typeid(object).name();
    size_t digits = 0;
    while (digits < mangled.size() &&
           std::isdigit(static_cast<unsigned char>(mangled[digits])) != 0)
        ++digits;
    const std::string name = mangled.substr(digits);
    const bool plain = digits > 0 && std::strtoul(mangled.c_str(), nullptr, 10) == name.size();
    return plain ? name : mangled;
}

TfwRect Shifted(const TfwRect& r, int32_t dx, int32_t dy) {
    return TfwRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

} // namespace

// ---------------------------------------------------------------------------
// TfwWorldObject

TfwWorldObject::TfwWorldObject(TfwWorldObject* engine, TfwWorldObject* parent)
    : Engine(engine), Parent(parent) {}

TfwWorldObject* TfwWorldObject::GetChild(int index) const {
    TfwObject* item = Children.Items(index);
    if (item == nullptr)
        return nullptr;
    auto* child = dynamic_cast<TfwWorldObject*>(item);
    if (child == nullptr)
        throw EfwError("Invalid Objecttyp \"" + ClassName(*item) + "\" in list of TfwWorldObjects");
    return child;
}

TfwWorldObject* TfwWorldObject::AddChild() {
    return AddChildOfClass<TfwWorldObject>();
}

void TfwWorldObject::Add(TfwWorldObject* obj) {
    if (obj == nullptr || obj == this)
        return;
    // An object belongs to one owning list only: adopting a child of another
    // object takes it out of that list first, or both would free it.
    std::unique_ptr<TfwObject> owned;
    if (obj->Parent != nullptr) {
        const int old = obj->Parent->Children.IndexOf(obj);
        if (old >= 0)
            owned = obj->Parent->Children.Extract(old);
    }
    if (owned == nullptr)
        owned.reset(obj); // not held by any list yet: this object takes it over
    obj->Engine = Engine;
    obj->Parent = this;
    Children.Add(std::move(owned));
}

int TfwWorldObject::Remove(TfwWorldObject* obj) {
    return Children.Remove(obj);
}

void TfwWorldObject::SetSize(int32_t w, int32_t h) {
    Width = w;
    Height = h;
}

void TfwWorldObject::SetPos(int32_t newX, int32_t newY, int32_t newZ) {
    X = newX;
    Y = newY;
    SetZ(newZ);
}

void TfwWorldObject::SetZ(int32_t newZ) {
    // Only the engine's direct children are ordered by Z. Anything else (the
    // engine itself, a grandchild, an object not yet adopted) just keeps the
    // value: there is no drawing position to move it to.
    if (Engine != nullptr) {
        TfwObjectlist& list = Engine->Children;
        const int c = list.IndexOf(this);
        if (c >= 0) {
            for (int i = 0; i < list.Count(); ++i) {
                if (i == c)
                    continue;
                const TfwWorldObject* other = Engine->GetChild(i);
                if (other != nullptr && other->Z > newZ) {
                    // Take out, then insert: moving forwards it lands before
                    // that child, moving backwards directly after it.
                    list.Move(c, i);
                    break;
                }
            }
        }
    }
    Z = newZ;
}

void TfwWorldObject::Draw(SDL_Surface* surface, const TfwRect& r, const TfwRect& clip,
                          int32_t flags) {
    (void)surface;
    (void)r;
    (void)clip;
    (void)flags;
}

void TfwWorldObject::GetBounds(TfwRect& r) const {
    r = TfwRect{X, Y, X + GetWidth(), Y + GetHeight()};
    // The engine's position is the screen offset, added by ToScreen alone.
    for (const TfwWorldObject* a = Parent; a != nullptr; a = a->Parent)
        if (!a->IsEngine())
            r = Shifted(r, a->X, a->Y);
}

void TfwWorldObject::ToScreen(const TfwRect& r, TfwRect& s) const {
    if (Engine != nullptr)
        s = Shifted(r, Engine->X, Engine->Y);
}

void TfwWorldObject::ToScreenPoint(int32_t& px, int32_t& py) const {
    if (Engine != nullptr) {
        px += Engine->X;
        py += Engine->Y;
    }
}

void TfwWorldObject::DrawClipped(SDL_Surface* surface, const TfwRect& clip) {
    TfwRect bounds;
    GetBounds(bounds);
    TfwRect s = bounds;
    ToScreen(bounds, s);

    TfwRect r = s;
    if (ClipToView) {
        r.Left = std::max(clip.Left, s.Left);
        r.Top = std::max(clip.Top, s.Top);
        r.Right = std::min(clip.Right, s.Right);
        r.Bottom = std::min(clip.Bottom, s.Bottom);
        if (r.Right <= r.Left || r.Bottom <= r.Top)
            return;
    }

    // The cut sides are reported even to objects that draw unclipped.
    int32_t flags = 0;
    if (s.Left < clip.Left)
        flags |= kClipLeft;
    if (s.Top < clip.Top)
        flags |= kClipTop;
    if (s.Right > clip.Right)
        flags |= kClipRight;
    if (s.Bottom > clip.Bottom)
        flags |= kClipBottom;

    Draw(surface, r, clip, flags);
}

// ---------------------------------------------------------------------------
// TfwPosModifier

TfwPosModifier::TfwPosModifier(TfwWorldObject* target, bool freeOnFinish)
    : Target(target), FreeOnFinish(freeOnFinish) {}

bool TfwPosModifier::CanMove(int32_t x, int32_t y, int32_t z) {
    if (OnMove && !OnMove(this, x, y, z))
        return false;
    State = TfwModifierState::msRunning;
    return true;
}

void TfwPosModifier::Finish() {
    State = TfwModifierState::msFinishing;
    // A copy, so that a handler that replaces or clears OnFinish does not
    // destroy the function it is running in.
    FinishEvent handler = OnFinish;
    try {
        if (handler)
            handler(this);
    } catch (...) {
        State = TfwModifierState::msFinished;
        throw;
    }
    State = TfwModifierState::msFinished;
}

// ---------------------------------------------------------------------------
// TfwModifierList

void TfwModifierList::Update(int32_t arg) {
    // The count is taken once: modifiers that finish handlers add wait for the
    // next pass. Finished ones are freed only after the pass, so that the
    // indices of the pass stay valid.
    std::vector<TfwPosModifier*> finished;
    const int n = Count();
    try {
        for (int i = 0; i < n && i < Count(); ++i) {
            TfwPosModifier* m = Modifiers(i);
            if (m == nullptr)
                continue;
            m->Step(arg);
            if (m->State == TfwModifierState::msFinished && m->FreeOnFinish)
                finished.push_back(m);
        }
    } catch (...) {
        // Those that finished before the failing step are freed all the same.
        for (TfwPosModifier* m : finished)
            Items.Remove(m);
        throw;
    }
    for (TfwPosModifier* m : finished)
        Items.Remove(m);
}

// ---------------------------------------------------------------------------
// TfwSprite

TfwSprite::TfwSprite(TfwWorldObject* engine, TfwWorldObject* parent)
    : TfwWorldObject(engine, parent), LastTick(fwGetTicks()) {
    ClipToView = true;
}

void TfwSprite::SetImage(TfwSDLImage* img) {
    Image = img;
    if (img == nullptr)
        return;
    Width = img->Width();
    Height = img->Height();
    Animations = nullptr;
    LastTick = fwGetTicks();
    FrameDelay = 250;
    Frame = 0;
    Sequence = 0;
    Looping = false;
    DieAtEnd = false;
}

bool TfwSprite::HasAnimations() const {
    return Animations != nullptr && Animations->Count() > 0;
}

int32_t TfwSprite::GetWidth() const {
    if (!HasAnimations())
        return Width;
    SDL_Rect r{0, 0, 0, 0};
    Animations->GetFrameRect(Sequence, Frame, r);
    return r.w;
}

int32_t TfwSprite::GetHeight() const {
    if (!HasAnimations())
        return Height;
    SDL_Rect r{0, 0, 0, 0};
    Animations->GetFrameRect(Sequence, Frame, r);
    return r.h;
}

void TfwSprite::Update(int32_t arg) {
    (void)arg;
    if (Shown())
        Animate();
}

void TfwSprite::Animate() {
    if (!HasAnimations() || Sequence < 0 || Sequence >= Animations->Count())
        return;
    if (FrameDelay > 0 && fwGetTicks() < LastTick + FrameDelay)
        return;

    ++Frame;
    const TfwAnimSequence* sequence = Animations->Sequences(Sequence);
    const int32_t count = sequence != nullptr ? sequence->FrameCount() : 0;
    if (Frame >= count) {
        if (Looping) {
            Frame = 0;
        } else {
            OnSequenceEnd(Sequence);
            if (DieAtEnd)
                Kill(Sequence);
            Frame = 0;
        }
    }
    // A fresh reading: time spent late is not carried into the next frame.
    LastTick = fwGetTicks();
}

uint32_t TfwSprite::UntilNextFrame(uint32_t now) const {
    if (!HasAnimations() || Sequence < 0 || Sequence >= Animations->Count())
        return kfwNoChangeDue;
    const uint32_t due = LastTick + FrameDelay;
    return FrameDelay > 0 && now < due ? due - now : 0;
}

void TfwSprite::Draw(SDL_Surface* surface, const TfwRect& r, const TfwRect& clip, int32_t flags) {
    (void)clip;
    if (!Shown())
        return;

    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    SDL_Rect src{0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
    const int32_t dw = std::abs(r.Right - r.Left);
    const int32_t dh = std::abs(r.Bottom - r.Top);
    if (HasAnimations())
        Animations->GetFrameRect(Sequence, Frame, src);

    if (flags == (kClipLeft | kClipTop | kClipRight | kClipBottom)) {
        // Cut on every side: the source starts at the world's screen offset.
        if (Engine != nullptr) {
            src.x = static_cast<Sint16>(Engine->X);
            src.y = static_cast<Sint16>(Engine->Y);
        }
    } else {
        // SDL 1.2 takes the blit size from the source rectangle alone, so the
        // cut must be made here, not in the destination.
        if (flags & kClipLeft) {
            src.x = static_cast<Sint16>(src.x + width - dw);
            src.w = static_cast<Uint16>(dw);
        }
        if (flags & kClipTop) {
            src.y = static_cast<Sint16>(src.y + height - dh);
            src.h = static_cast<Uint16>(dh);
        }
        if (flags & kClipRight)
            src.w = static_cast<Uint16>(dw);
        if (flags & kClipBottom)
            src.h = static_cast<Uint16>(dh);
    }

    SDL_Rect dst{static_cast<Sint16>(r.Left), static_cast<Sint16>(r.Top),
                 static_cast<Uint16>(r.Right - r.Left), static_cast<Uint16>(r.Bottom - r.Top)};
    if (Image != nullptr && Image->Surface != nullptr)
        fwBlitSurface(Image->Surface, &src, surface, &dst);
}

// ---------------------------------------------------------------------------
// TfwSpriteEngine

TfwSpriteEngine::TfwSpriteEngine(TfwGameApp* game) : TfwWorldObject(nullptr, nullptr), Game(game) {
    // The engine is the root of its own world.
    Engine = this;
}

void TfwSpriteEngine::Update(int32_t arg) {
    // Re-read the count: an update may end in a sprite being removed.
    for (int i = 0; i < ChildCount(); ++i)
        if (TfwWorldObject* child = GetChild(i))
            child->Update(arg);
}

void TfwSpriteEngine::DrawAll(SDL_Surface* surface, const TfwRect& clip) {
    for (int i = 0; i < ChildCount(); ++i)
        if (TfwWorldObject* child = GetChild(i))
            child->DrawClipped(surface, clip);
}

void TfwSpriteEngine::RemoveSprite(TfwWorldObject* s) {
    Children.Remove(s);
}
