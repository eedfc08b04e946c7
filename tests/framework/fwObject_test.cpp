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
        auto made = std::make_unique<TCounted>(&deaths);
        TCounted* a = made.get();
        EXPECT_EQ(list.Add(std::move(made)), 0);
        for (int i = 0; i < 3; ++i)
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

TEST(TfwObjectlist, ExtractHandsTheItemOverToTheCaller) {
    int deaths = 0;
    TfwObjectlist owning(true);
    owning.Add(std::make_unique<TOther>());
    auto made = std::make_unique<TCounted>(&deaths);
    TCounted* item = made.get();
    owning.Insert(0, std::move(made));
    std::unique_ptr<TfwObject> taken = owning.Extract(0);
    EXPECT_EQ(taken.get(), item);
    EXPECT_EQ(owning.Count(), 1);
    owning.Clear();
    EXPECT_EQ(deaths, 0); // out of the list: the caller owns it now
    taken.reset();
    EXPECT_EQ(deaths, 1);

    TOther plain;
    TfwObjectlist references(false);
    references.AddReference(&plain);
    EXPECT_EQ(references.Extract(0), nullptr); // it never owned the item
    EXPECT_EQ(references.Count(), 0);
}

TEST(TfwObjectlist, ReferenceListNeverFrees) {
    int deaths = 0;
    TCounted a(&deaths), b(&deaths);
    {
        TfwObjectlist list(false);
        EXPECT_EQ(list.AddReference(&a), 0);
        EXPECT_EQ(list.AddReference(&b), 1);
        list.Delete(0);
        list.Remove(&b);
        list.InsertReference(0, &a);
        EXPECT_EQ(list.Items(0), &a);
    }
    EXPECT_EQ(deaths, 0);
}

TEST(TfwObjectlist, AddingToAListOfTheOtherKindRaises) {
    TOther plain;
    TfwObjectlist owning(true);
    TfwObjectlist references(false);
    EXPECT_THROW(owning.AddReference(&plain), EfwError);
    EXPECT_THROW(owning.InsertReference(0, &plain), EfwError);
    EXPECT_THROW(references.Add(std::make_unique<TOther>()), EfwError);
    EXPECT_THROW(references.Insert(0, std::make_unique<TOther>()), EfwError);
    EXPECT_EQ(owning.Count() + references.Count(), 0);
}

TEST(TfwObjectlist, RemoveOfAStrangerAnswersMinusOne) {
    TfwObjectlist list(false);
    TOther a, b;
    list.AddReference(&a);
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
    EXPECT_THROW(list.Insert(3, std::make_unique<TOther>()), EfwListIndexError);
    EXPECT_NE(list.ItemAs<TCounted>(1), nullptr);
    EXPECT_THROW(list.ItemAs<TCounted>(0), EfwInvalidCast);
    EXPECT_NE(list.ItemAs<TfwObject>(0), nullptr);
    EXPECT_EQ(deaths, 0);
}

TEST(TfwObjectlist, ListErrorsShareTheOneErrorRootAndKeepTheirTypes) {
    TfwObjectlist list(true);
    list.Add(std::make_unique<TOther>());
    try {
        list.Items(4);
        FAIL() << "no index error";
    } catch (const EfwError& e) {
        EXPECT_NE(dynamic_cast<const EfwListIndexError*>(&e), nullptr);
        EXPECT_STREQ(e.what(), "List index out of bounds (4)");
    }
    try {
        list.ItemAs<TfwObjectlist>(0);
        FAIL() << "no cast error";
    } catch (const EfwError& e) {
        EXPECT_NE(dynamic_cast<const EfwInvalidCast*>(&e), nullptr);
        EXPECT_STREQ(e.what(), "Invalid type cast");
    }
}

TEST(TfwObjectlist, MoveTakesOutThenInsertsInBothKindsOfList) {
    for (bool owning : {true, false}) {
        SCOPED_TRACE(owning ? "owning" : "references");
        std::vector<std::unique_ptr<TOther>> objects(3);
        TfwObjectlist list(owning);
        std::vector<TfwObject*> item;
        for (auto& o : objects) {
            o = std::make_unique<TOther>();
            item.push_back(o.get());
            if (owning)
                list.Add(std::move(o));
            else
                list.AddReference(o.get());
        }
        list.Move(0, 2);
        EXPECT_EQ(list.Items(0), item[1]);
        EXPECT_EQ(list.Items(1), item[2]);
        EXPECT_EQ(list.Items(2), item[0]);
        list.Move(2, 0);
        EXPECT_EQ(list.Items(0), item[0]);
        EXPECT_EQ(list.IndexOf(item[2]), 2);
        // A target beyond the list moves nothing and loses nothing.
        EXPECT_THROW(list.Move(0, 3), EfwListIndexError);
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.Items(0), item[0]);
    }
}
