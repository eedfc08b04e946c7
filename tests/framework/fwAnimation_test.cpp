#include "fwAnimation.h"

#include <gtest/gtest.h>

namespace {

void ExpectRect(const SDL_Rect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.w, w);
    EXPECT_EQ(r.h, h);
}

} // namespace

TEST(AnimSequence, FrameLookupWrapsAroundTheFrames) {
    TfwAnimSequence sequence;
    sequence.AddFrame(0, 0, 28, 28);
    sequence.AddFrame(28, 0, 28, 28);
    ASSERT_EQ(sequence.FrameCount(), 2);

    SDL_Rect r{};
    sequence.GetFrame(0, r);
    ExpectRect(r, 0, 0, 28, 28);
    sequence.GetFrame(1, r);
    ExpectRect(r, 28, 0, 28, 28);
    sequence.GetFrame(2, r);
    ExpectRect(r, 0, 0, 28, 28);
    sequence.GetFrame(5, r);
    ExpectRect(r, 28, 0, 28, 28);
}

TEST(AnimSequence, OutOfRangeIndicesNeverReadOutsideTheFrames) {
    TfwAnimSequence empty;
    SDL_Rect r{1, 2, 3, 4};
    empty.GetFrame(0, r);
    ExpectRect(r, 1, 2, 3, 4); // left alone

    TfwAnimSequence sequence;
    sequence.AddFrame(0, 0, 10, 10);
    sequence.AddFrame(10, 0, 10, 10);
    sequence.AddFrame(20, 0, 10, 10);
    sequence.GetFrame(-1, r);
    ExpectRect(r, 20, 0, 10, 10);
}

TEST(AnimSequence, AddFrameCutsToSdlFieldWidths) {
    TfwAnimSequence sequence;
    sequence.AddFrame(40000, -3, 65536 + 7, 70000);
    ASSERT_EQ(sequence.FrameCount(), 1);
    const SDL_Rect& r = sequence.Frames[0];
    EXPECT_EQ(r.x, -25536);
    EXPECT_EQ(r.y, -3);
    EXPECT_EQ(r.w, 7);
    EXPECT_EQ(r.h, 70000 - 65536);
}

TEST(AnimSequences, AddAppendsSequencesFoundByIndex) {
    TfwAnimSequences set;
    TfwAnimSequence* first = set.Add();
    TfwAnimSequence* second = set.Add();
    EXPECT_EQ(set.Count(), 2);
    EXPECT_EQ(set.Sequences(0), first);
    EXPECT_EQ(set.Sequences(1), second);
    EXPECT_NE(first, second);
}

TEST(AnimSequences, GetFrameRectLooksUpSequenceThenFrame) {
    TfwAnimSequences set;
    set.Add()->AddFrame(0, 0, 28, 28);
    TfwAnimSequence* walk = set.Add();
    walk->AddFrame(0, 28, 16, 20);
    walk->AddFrame(16, 28, 16, 20);

    SDL_Rect r{};
    set.GetFrameRect(1, 3, r);
    ExpectRect(r, 16, 28, 16, 20);
    set.GetFrameRect(0, 7, r);
    ExpectRect(r, 0, 0, 28, 28);
}

TEST(AnimSequences, BadSequenceIndexOrForeignItemRaises) {
    TfwAnimSequences set;
    set.Add()->AddFrame(0, 0, 28, 28);
    SDL_Rect r{9, 9, 9, 9};
    EXPECT_THROW(set.GetFrameRect(1, 0, r), EfwListIndexError);
    EXPECT_THROW(set.GetFrameRect(-1, 0, r), EfwListIndexError);
    ExpectRect(r, 9, 9, 9, 9);

    set.TfwObjectlist::Add(std::make_unique<TfwObject>());
    EXPECT_THROW(set.Sequences(1), EfwInvalidCast);
}
