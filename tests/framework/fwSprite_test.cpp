#include "fwSprite.h"

#include "fwImage.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<int32_t> ZOrder(const TfwWorldObject& parent) {
    std::vector<int32_t> z;
    z.reserve(static_cast<size_t>(parent.ChildCount()));
    for (int i = 0; i < parent.ChildCount(); ++i)
        z.push_back(parent.GetChild(i)->Z);
    return z;
}

// Records every Draw call DrawClipped makes.
class TRecordingObject : public TfwWorldObject {
public:
    using TfwWorldObject::TfwWorldObject;
    struct Call {
        TfwRect R;
        int32_t Flags;
    };
    std::vector<Call> Calls;
    void Draw(SDL_Surface*, const TfwRect& r, const TfwRect&, int32_t flags) override {
        Calls.push_back({r, flags});
    }
};

// Counts destructions and updates, to see who frees and who is stepped.
class TCountedObject : public TfwWorldObject {
public:
    using TfwWorldObject::TfwWorldObject;
    static int Destroyed;
    int Updates = 0;
    ~TCountedObject() override { ++Destroyed; }
    void Update(int32_t) override { ++Updates; }
};
int TCountedObject::Destroyed = 0;

} // namespace

// ---------------------------------------------------------------------------
// The tree

TEST(WorldObject, ChildrenKnowTheirEngineAndParent) {
    TfwSpriteEngine engine(nullptr);
    EXPECT_EQ(engine.Engine, &engine);
    EXPECT_EQ(engine.Parent, nullptr);
    EXPECT_TRUE(engine.IsEngine());

    TfwWorldObject* group = engine.AddChild();
    TfwSprite* sprite = group->AddChildOfClass<TfwSprite>();
    EXPECT_EQ(group->Engine, &engine);
    EXPECT_EQ(group->Parent, &engine);
    EXPECT_EQ(sprite->Engine, &engine);
    EXPECT_EQ(sprite->Parent, group);
    EXPECT_FALSE(group->IsEngine());
    EXPECT_FALSE(group->ClipToView);
    EXPECT_TRUE(sprite->ClipToView);
    EXPECT_EQ(engine.ChildCount(), 1);
    EXPECT_EQ(group->GetChild(0), sprite);
}

TEST(WorldObject, ChildListOwnsTheSubtree) {
    TCountedObject::Destroyed = 0;
    {
        TfwSpriteEngine engine(nullptr);
        TfwWorldObject* a = engine.AddChildOfClass<TCountedObject>();
        a->AddChildOfClass<TCountedObject>();
        TfwWorldObject* b = engine.AddChildOfClass<TCountedObject>();

        EXPECT_EQ(engine.Remove(b), 1);
        EXPECT_EQ(TCountedObject::Destroyed, 1);
        TCountedObject stranger(&engine, &engine);
        EXPECT_EQ(engine.Remove(&stranger), -1);
        EXPECT_EQ(TCountedObject::Destroyed, 1);

        engine.Remove(a); // frees a and its child
        EXPECT_EQ(TCountedObject::Destroyed, 3);
        engine.AddChildOfClass<TCountedObject>();
    }
    EXPECT_EQ(TCountedObject::Destroyed, 5); // the stranger and the last child
}

TEST(WorldObject, AddAdoptsAndMovesBetweenParents) {
    TCountedObject::Destroyed = 0;
    {
        TfwSpriteEngine engine(nullptr);
        TfwWorldObject* left = engine.AddChild();
        TfwWorldObject* right = engine.AddChild();
        auto made = std::make_unique<TCountedObject>(nullptr, nullptr);
        TCountedObject* obj = made.get();
        left->Add(made.release());
        EXPECT_EQ(obj->Engine, &engine);
        EXPECT_EQ(obj->Parent, left);
        ASSERT_EQ(left->ChildCount(), 1);

        // Adopted by a second parent: one owner only, so no double free.
        right->Add(obj);
        EXPECT_EQ(left->ChildCount(), 0);
        EXPECT_EQ(right->GetChild(0), obj);
        EXPECT_EQ(obj->Parent, right);
    }
    EXPECT_EQ(TCountedObject::Destroyed, 1);
}

TEST(WorldObject, GetChildRejectsForeignItemsByClassName) {
    TfwSpriteEngine engine(nullptr);
    engine.Children.Add(std::make_unique<TfwAnimSequence>());
    try {
        engine.GetChild(0);
        FAIL() << "no error";
    } catch (const EfwError& e) {
        EXPECT_STREQ(e.what(), "Invalid Objecttyp \"TfwAnimSequence\" in list of TfwWorldObjects");
    }
    EXPECT_THROW(engine.GetChild(1), EfwListIndexError);
}

// ---------------------------------------------------------------------------
// Drawing order

TEST(WorldObjectZ, NewObjectMovesBeforeFirstGreaterZ) {
    TfwSpriteEngine engine(nullptr);
    const int32_t zs[] = {0, 0, 9, 10};
    for (int32_t z : zs)
        engine.AddChild()->SetZ(z);
    ASSERT_EQ(ZOrder(engine), (std::vector<int32_t>{0, 0, 9, 10}));

    TfwWorldObject* fifth = engine.AddChild();
    EXPECT_EQ(engine.Children.IndexOf(fifth), 4); // last until SetZ
    fifth->SetZ(0);
    EXPECT_EQ(engine.Children.IndexOf(fifth), 2);
    EXPECT_EQ(ZOrder(engine), (std::vector<int32_t>{0, 0, 0, 9, 10}));
}

TEST(WorldObjectZ, MovingBackLandsAfterTheGreaterChildThenSettles) {
    TfwSpriteEngine engine(nullptr);
    TfwWorldObject* obj = engine.AddChild();
    engine.AddChild()->Z = 5;
    engine.AddChild()->Z = 10;

    obj->SetZ(7);
    EXPECT_EQ(engine.Children.IndexOf(obj), 2);
    EXPECT_EQ(ZOrder(engine), (std::vector<int32_t>{5, 10, 7}));

    obj->SetZ(7);
    EXPECT_EQ(engine.Children.IndexOf(obj), 1);
    EXPECT_EQ(ZOrder(engine), (std::vector<int32_t>{5, 7, 10}));
}

TEST(WorldObjectZ, SetPosPlacesThenReorders) {
    TfwSpriteEngine engine(nullptr);
    TfwWorldObject* high = engine.AddChild();
    high->SetZ(3);
    TfwWorldObject* obj = engine.AddChild();
    obj->SetPos(11, -4, 1);
    EXPECT_EQ(obj->X, 11);
    EXPECT_EQ(obj->Y, -4);
    EXPECT_EQ(obj->Z, 1);
    EXPECT_EQ(engine.Children.IndexOf(obj), 0);
}

TEST(WorldObjectZ, ObjectsOutsideTheEngineListOnlyStoreZ) {
    TfwSpriteEngine engine(nullptr);
    TfwWorldObject* parent = engine.AddChild();
    engine.AddChild()->SetZ(50);
    TfwWorldObject* grandchild = parent->AddChild();
    parent->AddChild();

    grandchild->SetZ(1);
    EXPECT_EQ(grandchild->Z, 1);
    EXPECT_EQ(parent->Children.IndexOf(grandchild), 0);
    EXPECT_EQ(engine.ChildCount(), 2);

    engine.SetPos(5, 18, 2);
    EXPECT_EQ(engine.Z, 2);
    EXPECT_EQ(ZOrder(engine), (std::vector<int32_t>{0, 50}));

    TfwWorldObject loose(nullptr, nullptr);
    loose.SetZ(4);
    EXPECT_EQ(loose.Z, 4);
}

// ---------------------------------------------------------------------------
// Coordinates and clipping

TEST(WorldObjectCoordinates, BoundsSkipTheEngineAndScreenAddsIt) {
    TfwSpriteEngine engine(nullptr);
    engine.SetPos(5, 18, 0);
    TfwWorldObject* parent = engine.AddChild();
    parent->SetPos(10, 20, 0);
    TfwWorldObject* obj = parent->AddChild();
    obj->SetPos(3, 4, 0);
    obj->SetSize(24, 30);

    TfwRect b;
    obj->GetBounds(b);
    EXPECT_EQ(b.Left, 13);
    EXPECT_EQ(b.Top, 24);
    EXPECT_EQ(b.Right, 37);
    EXPECT_EQ(b.Bottom, 54);

    TfwRect s;
    obj->ToScreen(b, s);
    EXPECT_EQ(s.Left, 18);
    EXPECT_EQ(s.Top, 42);
    EXPECT_EQ(s.Right, 42);
    EXPECT_EQ(s.Bottom, 72);

    int32_t px = 1, py = 2;
    obj->ToScreenPoint(px, py);
    EXPECT_EQ(px, 6);
    EXPECT_EQ(py, 20);

    TfwWorldObject loose(nullptr, nullptr);
    TfwRect untouched{7, 7, 7, 7};
    loose.ToScreen(b, untouched);
    EXPECT_EQ(untouched.Left, 7);
}

TEST(WorldObjectClipping, FlagsAndCutRectangle) {
    TfwSpriteEngine engine(nullptr);
    engine.SetPos(5, 18, 0);
    const TfwRect view{5, 18, 265, 240};
    auto* obj = engine.AddChildOfClass<TRecordingObject>();
    obj->SetSize(24, 24);
    obj->ClipToView = true;

    obj->SetPos(-6, 10, 0); // screen -1 .. 23, cut on the left
    obj->DrawClipped(nullptr, view);
    ASSERT_EQ(obj->Calls.size(), 1u);
    EXPECT_EQ(obj->Calls[0].Flags, kClipLeft);
    EXPECT_EQ(obj->Calls[0].R.Left, 5);
    EXPECT_EQ(obj->Calls[0].R.Right, 23);
    EXPECT_EQ(obj->Calls[0].R.Top, 28);

    obj->Calls.clear();
    obj->SetPos(250, 210, 0); // screen 255 .. 279 x 228 .. 252
    obj->DrawClipped(nullptr, view);
    ASSERT_EQ(obj->Calls.size(), 1u);
    EXPECT_EQ(obj->Calls[0].Flags, kClipRight | kClipBottom);
    EXPECT_EQ(obj->Calls[0].R.Right, 265);
    EXPECT_EQ(obj->Calls[0].R.Bottom, 240);

    obj->Calls.clear();
    obj->SetPos(-29, 0, 0); // screen -24 .. 0: wholly outside, touching no pixel
    obj->DrawClipped(nullptr, view);
    obj->SetPos(260, 0, 0); // screen 265 ..: starts at the exclusive right edge
    obj->DrawClipped(nullptr, view);
    EXPECT_TRUE(obj->Calls.empty());

    // Without ClipToView the object gets its whole rectangle and the flags.
    obj->ClipToView = false;
    obj->DrawClipped(nullptr, view);
    ASSERT_EQ(obj->Calls.size(), 1u);
    EXPECT_EQ(obj->Calls[0].Flags, kClipRight);
    EXPECT_EQ(obj->Calls[0].R.Left, 265);
    EXPECT_EQ(obj->Calls[0].R.Right, 289);
}

// ---------------------------------------------------------------------------
// Modifiers

namespace {

// A modifier that finishes on a chosen step and logs what happens to it.
class TLoggedModifier : public TfwPosModifier {
public:
    TLoggedModifier(std::vector<std::string>& log, std::string name, int finishAt,
                    bool freeOnFinish = true)
        : TfwPosModifier(nullptr, freeOnFinish), log_(log), name_(std::move(name)),
          finishAt_(finishAt) {}
    ~TLoggedModifier() override { log_.push_back("free " + name_); }
    void Step(int32_t) override {
        log_.push_back("step " + name_);
        if (++steps_ == finishAt_)
            Finish();
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
    int finishAt_;
    int steps_ = 0;
};

} // namespace

TEST(PosModifier, CanMoveAsksTheMoveHandler) {
    TfwWorldObject target(nullptr, nullptr);
    TfwPosModifier m(&target, true);
    EXPECT_EQ(m.State, TfwModifierState::msNew);
    EXPECT_EQ(m.Target, &target);

    int asked = 0;
    m.OnMove = [&](TfwPosModifier* sender, int32_t x, int32_t y, int32_t z) {
        EXPECT_EQ(sender, &m);
        EXPECT_EQ(x, 1);
        EXPECT_EQ(y, 2);
        EXPECT_EQ(z, 3);
        return ++asked > 1;
    };
    EXPECT_FALSE(m.CanMove(1, 2, 3));
    EXPECT_EQ(m.State, TfwModifierState::msNew);
    EXPECT_TRUE(m.CanMove(1, 2, 3));
    EXPECT_EQ(m.State, TfwModifierState::msRunning);

    TfwPosModifier unasked(&target, false);
    EXPECT_TRUE(unasked.CanMove(0, 0, 0));
    EXPECT_EQ(unasked.State, TfwModifierState::msRunning);
}

TEST(PosModifier, FinishIsFinishingInsideTheHandlerAndFinishedAfter) {
    TfwPosModifier m(nullptr, true);
    TfwModifierState seen = TfwModifierState::msNew;
    m.OnFinish = [&](TfwPosModifier* sender) { seen = sender->State; };
    m.Finish();
    EXPECT_EQ(seen, TfwModifierState::msFinishing);
    EXPECT_EQ(m.State, TfwModifierState::msFinished);
}

TEST(PosModifier, ThrowingFinishHandlerStillLeavesItFinished) {
    TfwPosModifier m(nullptr, true);
    m.OnFinish = [](TfwPosModifier*) { throw EfwError("handler failed"); };
    EXPECT_THROW(m.Finish(), EfwError);
    EXPECT_EQ(m.State, TfwModifierState::msFinished);
}

TEST(PosModifier, HandlerMayClearItsOwnEvent) {
    TfwPosModifier m(nullptr, true);
    int calls = 0;
    m.OnFinish = [&](TfwPosModifier* sender) {
        sender->OnFinish = nullptr;
        ++calls;
    };
    m.Finish();
    m.Finish();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m.State, TfwModifierState::msFinished);
}

TEST(ModifierList, FinishedModifierIsFreedAfterThePass) {
    std::vector<std::string> log;
    TfwModifierList list;
    list.Add(std::make_unique<TLoggedModifier>(log, "a", 0));
    list.Add(std::make_unique<TLoggedModifier>(log, "b", 1));
    list.Add(std::make_unique<TLoggedModifier>(log, "c", 0));

    list.Update(0);
    EXPECT_EQ(log, (std::vector<std::string>{"step a", "step b", "step c", "free b"}));
    EXPECT_EQ(list.Count(), 2);

    log.clear();
    list.Update(0);
    EXPECT_EQ(log, (std::vector<std::string>{"step a", "step c"}));
}

TEST(ModifierList, FreesInNotedOrderAndKeepsThoseNotFreedOnFinish) {
    std::vector<std::string> log;
    TfwModifierList list;
    list.Add(std::make_unique<TLoggedModifier>(log, "a", 1));
    auto* kept = list.Add(std::make_unique<TLoggedModifier>(log, "b", 1, false));
    list.Add(std::make_unique<TLoggedModifier>(log, "c", 1));

    list.Update(0);
    EXPECT_EQ(log, (std::vector<std::string>{"step a", "step b", "step c", "free a", "free c"}));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Modifiers(0), kept);
    EXPECT_EQ(kept->State, TfwModifierState::msFinished);

    log.clear();
    list.Update(0);
    EXPECT_EQ(log, (std::vector<std::string>{"step b"}));
}

TEST(ModifierList, ModifierAddedByAHandlerWaitsForTheNextPass) {
    std::vector<std::string> log;
    TfwModifierList list;
    auto* first = list.Add(std::make_unique<TLoggedModifier>(log, "a", 1));
    list.Add(std::make_unique<TLoggedModifier>(log, "b", 0));
    first->OnFinish = [&](TfwPosModifier*) {
        list.Add(std::make_unique<TLoggedModifier>(log, "next", 0));
    };

    list.Update(0);
    EXPECT_EQ(log, (std::vector<std::string>{"step a", "step b", "free a"}));
    log.clear();
    list.Update(0);
    EXPECT_EQ(log, (std::vector<std::string>{"step b", "step next"}));
}

TEST(ModifierList, ModifiersHoldsOnlyModifiers) {
    TfwModifierList list;
    list.Items.Add(std::make_unique<TfwObject>());
    EXPECT_THROW(list.Modifiers(0), EfwInvalidCast);
    EXPECT_THROW(list.Modifiers(1), EfwListIndexError);
}

// ---------------------------------------------------------------------------
// Sprites: state and animation on the millisecond clock

namespace {

class TCountingSprite : public TfwSprite {
public:
    using TfwSprite::TfwSprite;
    std::vector<int32_t> Ends;
    void OnSequenceEnd(int32_t sequenceIndex) override { Ends.push_back(sequenceIndex); }
};

// Four 6 x 24 frames side by side.
void AddFourFrames(TfwAnimSequences& set) {
    TfwAnimSequence* s = set.Add();
    for (int i = 0; i < 4; ++i)
        s->AddFrame(i * 6, 0, 6, 24);
}

// A counting sprite on an engine, animated by those four frames, on a stepped
// clock standing at 1000 ms.
class SpriteAnimation : public ::testing::Test {
protected:
    SpriteAnimation() {
        AddFourFrames(set);
        sprite->Animations = &set;
    }
    TFakeClock clock{1000};
    TfwSpriteEngine engine{nullptr};
    TCountingSprite* sprite = engine.AddChildOfClass<TCountingSprite>();
    TfwAnimSequences set;
};

} // namespace

TEST(Sprite, StartsHiddenWithClockAndDefaults) {
    TFakeClock clock(4321);
    TfwSpriteEngine engine(nullptr);
    auto* sprite = engine.AddChildOfClass<TfwSprite>();
    EXPECT_EQ(sprite->State, TfwSpriteState::ssHidden);
    EXPECT_EQ(sprite->LastTick, 4321u);
    EXPECT_EQ(sprite->FrameDelay, 1000u);
    EXPECT_TRUE(sprite->ClipToView);
    EXPECT_FALSE(sprite->Looping);
    EXPECT_FALSE(sprite->DieAtEnd);
    EXPECT_EQ(sprite->Image, nullptr);
    EXPECT_FALSE(sprite->HasAnimations());

    sprite->Show();
    EXPECT_EQ(sprite->State, TfwSpriteState::ssShown);
    sprite->Kill(0);
    EXPECT_EQ(sprite->State, TfwSpriteState::ssDead);
    sprite->Show();
    EXPECT_EQ(sprite->State, TfwSpriteState::ssShown);
    sprite->Hide();
    EXPECT_EQ(sprite->State, TfwSpriteState::ssHidden);
}

TEST(Sprite, SizeComesFromTheCurrentFrame) {
    TfwSpriteEngine engine(nullptr);
    auto* sprite = engine.AddChildOfClass<TfwSprite>();
    sprite->SetSize(24, 24);
    TfwAnimSequences set;
    sprite->Animations = &set;
    EXPECT_FALSE(sprite->HasAnimations()); // no sequence yet
    EXPECT_EQ(sprite->GetWidth(), 24);

    set.Add()->AddFrame(0, 0, 28, 28);
    set.Add()->AddFrame(0, 0, 10, 12);
    set.Sequences(1)->AddFrame(10, 0, 14, 16);
    sprite->Sequence = 1;
    sprite->Frame = 3; // wraps to the second frame
    EXPECT_EQ(sprite->GetWidth(), 14);
    EXPECT_EQ(sprite->GetHeight(), 16);
    sprite->SetPos(2, 3, 0);
    TfwRect b;
    sprite->GetBounds(b);
    EXPECT_EQ(b.Right, 16);
    EXPECT_EQ(b.Bottom, 19);

    sprite->Sequence = 2; // not tested by the size operations
    EXPECT_THROW(sprite->GetWidth(), EfwListIndexError);
}

TEST_F(SpriteAnimation, EndOfSequenceOncePerPassOnTheClock) {
    sprite->FrameDelay = 250;
    sprite->Show();

    std::vector<int32_t> frames;
    for (clock.Now = 1000; clock.Now <= 4000; clock.Now += 10) {
        engine.Update(0);
        if (clock.Now == 1240) {
            EXPECT_EQ(sprite->Frame, 0);
        }
        if (clock.Now % 250 == 0)
            frames.push_back(sprite->Frame);
    }
    EXPECT_EQ(sprite->Ends, (std::vector<int32_t>{0, 0, 0})); // at 2000, 3000 and 4000
    EXPECT_EQ(frames, (std::vector<int32_t>{0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0}));
    EXPECT_EQ(sprite->State, TfwSpriteState::ssShown);
}

TEST_F(SpriteAnimation, LateStepsAreNotCaughtUp) {
    sprite->FrameDelay = 250;
    sprite->Show();

    clock.Now = 1900; // far too late: one step, the next due 250 ms from now
    sprite->Animate();
    sprite->Animate();
    EXPECT_EQ(sprite->Frame, 1);
    EXPECT_EQ(sprite->LastTick, 1900u);
    clock.Now = 2149;
    sprite->Animate();
    EXPECT_EQ(sprite->Frame, 1);
    clock.Now = 2150;
    sprite->Animate();
    EXPECT_EQ(sprite->Frame, 2);
}

TEST_F(SpriteAnimation, LoopingWrapsWithoutNotice) {
    sprite->FrameDelay = 0;
    sprite->Looping = true;
    sprite->DieAtEnd = true;
    sprite->Show();
    for (int i = 0; i < 9; ++i)
        sprite->Update(0);
    EXPECT_EQ(sprite->Frame, 1);
    EXPECT_TRUE(sprite->Ends.empty());
    EXPECT_EQ(sprite->State, TfwSpriteState::ssShown);
}

TEST_F(SpriteAnimation, ZeroDelayAdvancesOnEveryCall) {
    sprite->FrameDelay = 0;
    std::vector<int32_t> frames;
    for (int i = 0; i < 5; ++i) {
        sprite->Animate(); // Animate runs whatever the state; Update tests it
        frames.push_back(sprite->Frame);
    }
    EXPECT_EQ(frames, (std::vector<int32_t>{1, 2, 3, 0, 1}));
    EXPECT_EQ(sprite->Ends.size(), 1u);
}

TEST_F(SpriteAnimation, HideStopsAndShowResumesFromTheSameFrame) {
    sprite->FrameDelay = 250;
    sprite->Show();

    clock.Now = 1500;
    engine.Update(0);
    engine.Update(0);
    EXPECT_EQ(sprite->Frame, 1);
    sprite->Hide();
    clock.Now = 5000;
    engine.Update(0);
    EXPECT_EQ(sprite->Frame, 1);
    sprite->Show();
    engine.Update(0);
    EXPECT_EQ(sprite->Frame, 2);
}

TEST_F(SpriteAnimation, SequenceOutsideTheSetIsIgnored) {
    sprite->FrameDelay = 0;
    for (int32_t bad : {1, -1}) {
        sprite->Sequence = bad;
        EXPECT_NO_THROW(sprite->Animate());
        EXPECT_EQ(sprite->Frame, 0);
    }
}

TEST(SpriteEngine, UpdatesChildrenButNotGrandchildren) {
    TfwSpriteEngine engine(nullptr);
    auto* child = engine.AddChildOfClass<TCountedObject>();
    auto* grandchild = child->AddChildOfClass<TCountedObject>();
    engine.Update(7);
    engine.Update(7);
    EXPECT_EQ(child->Updates, 2);
    EXPECT_EQ(grandchild->Updates, 0);
}

TEST(SpriteEngine, RemoveAllOfClassKeepsOtherSprites) {
    class TStone : public TfwSprite {
    public:
        using TfwSprite::TfwSprite;
    };
    class TSpecialStone : public TStone {
    public:
        using TStone::TStone;
    };
    TfwSpriteEngine engine(nullptr);
    TfwSprite* cursor = engine.AddChildOfClass<TfwSprite>();
    engine.AddChildOfClass<TStone>();
    TfwSprite* marker = engine.AddChildOfClass<TfwSprite>();
    engine.AddChildOfClass<TSpecialStone>();
    engine.AddChildOfClass<TStone>();

    engine.RemoveAllOfClass<TStone>();
    ASSERT_EQ(engine.ChildCount(), 2);
    EXPECT_EQ(engine.GetChild(0), cursor);
    EXPECT_EQ(engine.GetChild(1), marker);

    engine.RemoveSprite(cursor);
    EXPECT_EQ(engine.ChildCount(), 1);
    TfwSprite outsider(&engine, &engine);
    engine.RemoveSprite(&outsider);
    EXPECT_EQ(engine.GetChild(0), marker);
}

// ---------------------------------------------------------------------------
// Sprites drawn on real surfaces

namespace {

// 24 x 24 picture: column c, row r has colour (8c, 252 - 4c, 8r), exact in 5-6-5.
Uint32 SourceColour(const SDL_PixelFormat* format, int col, int row) {
    return SDL_MapRGB(format, static_cast<Uint8>(8 * col), static_cast<Uint8>(252 - 4 * col),
                      static_cast<Uint8>(8 * row));
}

class SpriteDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(OpenDummyScreen(), nullptr) << SDL_GetError();
        SDL_Surface* pic =
            SDL_CreateRGBSurface(SDL_SWSURFACE, 24, 24, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
        ASSERT_NE(pic, nullptr);
        for (int row = 0; row < 24; ++row)
            for (int col = 0; col < 24; ++col) {
                SDL_Rect px{static_cast<Sint16>(col), static_cast<Sint16>(row), 1, 1};
                SDL_FillRect(pic, &px, SourceColour(pic->format, col, row));
            }
        ASSERT_EQ(SDL_SaveBMP(pic, "columns.bmp"), 0);
        SDL_FreeSurface(pic);
        ASSERT_TRUE(image.LoadFromFile("columns", "columns.bmp"));
        ASSERT_EQ(image.Width(), 24);

        target = SDL_CreateRGBSurface(SDL_SWSURFACE, 320, 240, 16, 0xF800, 0x07E0, 0x001F, 0);
        ASSERT_NE(target, nullptr);
        SDL_FillRect(target, nullptr, 0);
        engine.SetPos(5, 18, 0);
    }
    void TearDown() override {
        if (target != nullptr)
            SDL_FreeSurface(target);
    }

    Uint32 Pixel(int x, int y) const {
        const auto* row =
            static_cast<const Uint8*>(target->pixels) + static_cast<ptrdiff_t>(y) * target->pitch;
        return reinterpret_cast<const Uint16*>(row)[x];
    }
    Uint32 Expected(int col, int row) const { return SourceColour(target->format, col, row); }

    TfwSprite* NewSprite(int32_t x, int32_t y) {
        auto* s = engine.AddChildOfClass<TfwSprite>();
        s->SetImage(&image);
        s->SetPos(x, y, 0);
        s->Show();
        return s;
    }

    TfwSDLImage image{nullptr, 0};
    SDL_Surface* target = nullptr;
    TfwSpriteEngine engine{nullptr};
    const TfwRect view{5, 18, 265, 240};
};

} // namespace

TEST_F(SpriteDrawing, SetImageTakesSizeAndResetsAnimation) {
    TFakeClock clock(777);
    auto* s = engine.AddChildOfClass<TfwSprite>();
    TfwAnimSequences set;
    s->Animations = &set;
    s->FrameDelay = 5;
    s->Frame = 3;
    s->Looping = true;
    s->SetImage(nullptr); // only the reference changes
    EXPECT_EQ(s->Animations, &set);
    EXPECT_EQ(s->FrameDelay, 5u);

    clock.Now = 900;
    s->SetImage(&image);
    EXPECT_EQ(s->Image, &image);
    EXPECT_EQ(s->Width, 24);
    EXPECT_EQ(s->Height, 24);
    EXPECT_EQ(s->Animations, nullptr);
    EXPECT_EQ(s->FrameDelay, 250u);
    EXPECT_EQ(s->LastTick, 900u);
    EXPECT_EQ(s->Frame, 0);
    EXPECT_FALSE(s->Looping);
}

TEST_F(SpriteDrawing, WholeSpriteInsideTheView) {
    auto* hidden = NewSprite(100, 100);
    hidden->Hide();
    NewSprite(10, 20); // screen 15, 38
    engine.DrawAll(target, view);
    EXPECT_EQ(Pixel(15, 38), Expected(0, 0));
    EXPECT_EQ(Pixel(38, 61), Expected(23, 23));
    EXPECT_EQ(Pixel(14, 38), 0u);
    EXPECT_EQ(Pixel(39, 61), 0u);
    EXPECT_EQ(Pixel(105 + 5, 118 + 5), 0u); // the hidden one
}

TEST_F(SpriteDrawing, CutOnTheLeftDrawsTheRightPartAtTheViewEdge) {
    NewSprite(-6, 10); // screen x -1 .. 23, six pixels left of the view
    engine.DrawAll(target, view);
    for (int x = 5; x < 23; ++x)
        EXPECT_EQ(Pixel(x, 28), Expected(x + 1, 0)) << x;
    EXPECT_EQ(Pixel(5, 51), Expected(6, 23));
    EXPECT_EQ(Pixel(4, 28), 0u);
    EXPECT_EQ(Pixel(23, 28), 0u);
}

TEST_F(SpriteDrawing, CutOnTopAndRightStopsAtTheView) {
    NewSprite(245, -4); // screen 250 .. 274 x 14 .. 38
    engine.DrawAll(target, view);
    EXPECT_EQ(Pixel(250, 18), Expected(0, 4));
    EXPECT_EQ(Pixel(264, 37), Expected(14, 23));
    EXPECT_EQ(Pixel(265, 20), 0u);
    EXPECT_EQ(Pixel(250, 17), 0u);
}

TEST_F(SpriteDrawing, SpriteOutsideTheViewIsNotDrawn) {
    NewSprite(265, 30); // screen 270 .. 294: on the surface, right of the view
    engine.DrawAll(target, view);
    for (int x = 265; x < 300; ++x)
        EXPECT_EQ(Pixel(x, 60), 0u) << x;
}

TEST_F(SpriteDrawing, LaterChildrenAreDrawnOnTop) {
    NewSprite(10, 10);
    TfwSprite* above = NewSprite(12, 10);
    engine.DrawAll(target, view);
    EXPECT_EQ(Pixel(17, 28), Expected(0, 0)); // the second one's first column
    EXPECT_EQ(Pixel(15, 28), Expected(0, 0));
    EXPECT_EQ(Pixel(16, 28), Expected(1, 0));

    above->SetZ(-1); // moves before the first child with a greater Z
    SDL_FillRect(target, nullptr, 0);
    engine.DrawAll(target, view);
    EXPECT_EQ(Pixel(17, 28), Expected(2, 0));
}

TEST_F(SpriteDrawing, AnimatedSpriteDrawsItsCurrentFrame) {
    TFakeClock clock;
    TfwAnimSequences set;
    AddFourFrames(set);
    TfwSprite* s = NewSprite(0, 0);
    s->Animations = &set;
    s->FrameDelay = 0;
    s->Animate();
    s->Animate(); // frame 2: columns 12 .. 17
    engine.DrawAll(target, view);
    EXPECT_EQ(Pixel(5, 18), Expected(12, 0));
    EXPECT_EQ(Pixel(10, 41), Expected(17, 23));
    EXPECT_EQ(Pixel(11, 18), 0u);
}

TEST_F(SpriteDrawing, AnimatedSpriteCutOnTheLeftUsesItsFrame) {
    TfwAnimSequences set;
    set.Add()->AddFrame(12, 0, 12, 24);
    TfwSprite* s = NewSprite(-4, 0); // 4 of 12 pixels outside
    s->Animations = &set;
    engine.DrawAll(target, view);
    EXPECT_EQ(Pixel(5, 18), Expected(16, 0));
    EXPECT_EQ(Pixel(12, 18), Expected(23, 0));
    EXPECT_EQ(Pixel(13, 18), 0u);
}

TEST_F(SpriteDrawing, DyingSpriteIsGoneAfterItsFirstPass) {
    TFakeClock clock(1000);
    TfwAnimSequences set;
    AddFourFrames(set);
    TfwSprite* s = NewSprite(0, 0);
    s->Animations = &set;
    s->DieAtEnd = true;
    for (clock.Now = 1000; clock.Now <= 2000; clock.Now += 50)
        engine.Update(0);
    EXPECT_EQ(s->State, TfwSpriteState::ssDead);
    EXPECT_EQ(s->Frame, 0);
    EXPECT_EQ(engine.ChildCount(), 1); // dead, not freed
    engine.DrawAll(target, view);
    EXPECT_EQ(Pixel(5, 18), 0u);
}

TEST_F(SpriteDrawing, NoImageOrUnloadedImageDrawsNothing) {
    auto* bare = engine.AddChildOfClass<TfwSprite>();
    bare->SetSize(24, 24);
    bare->Show();
    TfwSDLImage empty(nullptr, 0);
    TfwSprite* unloaded = NewSprite(40, 0);
    unloaded->SetImage(&empty);
    unloaded->SetSize(24, 24);
    EXPECT_NO_THROW(engine.DrawAll(target, view));
    EXPECT_EQ(Pixel(5, 18), 0u);
    EXPECT_EQ(Pixel(45, 18), 0u);
}

TEST_F(SpriteDrawing, CutOnAllSidesStartsTheSourceAtTheEngineOffset) {
    // The source is taken from the world's offset and not cut: a sprite larger
    // than the view on every side draws from (engine X, engine Y) at the view.
    engine.SetPos(2, 3, 0);
    NewSprite(-2, -3); // screen 0 .. 24
    const TfwRect small{4, 4, 10, 10};
    engine.DrawAll(target, small);
    EXPECT_EQ(Pixel(4, 4), Expected(2, 3));
    EXPECT_EQ(Pixel(12, 12), Expected(10, 11));
}
