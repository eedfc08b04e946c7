#include "fwObject.h"

#include <gtest/gtest.h>

namespace {

// Counts its own destructions, so tests can see what a list frees.
struct TCounted : TfwObject {
    explicit TCounted(int* deaths) : deaths_(deaths) {}
    ~TCounted() override { ++*deaths_; }
    int* deaths_;
};

struct TOther : TfwObject {};

} // namespace

TEST(TfwObject, IdsComeFromOneCounterForEveryClass) {
    int deaths = 0;
    const int32_t before = TfwObject::LastID();
    TOther a;
    TCounted b(&deaths);
    TfwObjectlist c;
    EXPECT_EQ(a.ID, before + 1);
    EXPECT_EQ(b.ID, before + 2);
    EXPECT_EQ(c.ID, before + 3);
    EXPECT_EQ(TfwObject::LastID(), before + 3);
}

TEST(TfwObject, FirstObjectOfTheProcessIsOne) {
    // Each test runs in a fresh process; nothing above made an object yet.
    if (TfwObject::LastID() != 0)
        GTEST_SKIP() << "objects were made before this test in this process";
    TOther first;
    EXPECT_EQ(first.ID, 1);
}

TEST(TfwObjectlist, OwningListFreesOnDeleteRemoveClearAndDestruction) {
    int deaths = 0;
    {
        TfwObjectlist list(true);
        auto* a = new TCounted(&deaths); // handed straight to the owning list
        list.Add(a);
        list.Add(std::make_unique<TCounted>(&deaths));
        list.Add(std::make_unique<TCounted>(&deaths));
        list.Add(std::make_unique<TCounted>(&deaths));
        list.Delete(1);
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(list.Remove(a), 0);
        EXPECT_EQ(deaths, 2);
        EXPECT_EQ(list.Count(), 2);
        list.Clear();
        EXPECT_EQ(deaths, 4);
        list.Add(std::make_unique<TCounted>(&deaths));
    }
    EXPECT_EQ(deaths, 5);
}

TEST(TfwObjectlist, ReferenceListNeverFrees) {
    int deaths = 0;
    TCounted a(&deaths), b(&deaths);
    {
        TfwObjectlist list(false);
        list.Add(&a);
        list.Add(&b);
        list.Delete(0);
        list.Remove(&b);
        list.Add(&a);
    }
    EXPECT_EQ(deaths, 0);
}

TEST(TfwObjectlist, RemoveOfAStrangerAnswersMinusOne) {
    TfwObjectlist list(false);
    TOther a, b;
    list.Add(&a);
    EXPECT_EQ(list.Remove(&b), -1);
    EXPECT_EQ(list.Count(), 1);
}

TEST(TfwObjectlist, IndexErrorsAndTypedAccess) {
    int deaths = 0;
    TfwObjectlist list(true);
    list.Add(std::make_unique<TOther>());
    list.Add(std::make_unique<TCounted>(&deaths));
    EXPECT_THROW(list.Items(2), EfwListIndexError);
    EXPECT_THROW(list.Items(-1), EfwListIndexError);
    EXPECT_THROW(list.Delete(5), EfwListIndexError);
    EXPECT_NE(list.ItemAs<TCounted>(1), nullptr);
    EXPECT_THROW(list.ItemAs<TCounted>(0), EfwInvalidCast);
    EXPECT_NE(list.ItemAs<TfwObject>(0), nullptr);
}

TEST(TfwObjectlist, MoveTakesOutThenInserts) {
    TfwObjectlist list(false);
    TOther a, b, c;
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);
    list.Move(0, 2);
    EXPECT_EQ(list.Items(0), &b);
    EXPECT_EQ(list.Items(1), &c);
    EXPECT_EQ(list.Items(2), &a);
    list.Move(2, 0);
    EXPECT_EQ(list.Items(0), &a);
    EXPECT_EQ(list.IndexOf(&c), 2);
}
