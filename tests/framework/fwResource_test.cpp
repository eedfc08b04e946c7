#include "fwResource.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A resource whose load answers what the test asks and counts its deaths.
class TFakeResource : public TfwResource {
public:
    explicit TFakeResource(bool loads, int* deaths = nullptr)
        : TfwResource(0), loads_(loads), deaths_(deaths) {}
    ~TFakeResource() override {
        if (deaths_ != nullptr)
            ++*deaths_;
    }
    bool LoadFromFile(const std::string& name, const std::string& fileName) override {
        ++Loads;
        if (!loads_)
            return false;
        Name = name;
        FileName = fileName;
        Loaded = true;
        return true;
    }
    int Loads = 0;

private:
    bool loads_;
    int* deaths_;
};

} // namespace

TEST(TfwResourceManager, OneEntryPerObjectAndOwnershipAsChosen) {
    int deaths = 0;
    {
        TfwResourceManager owning(true);
        auto* a = owning.Adopt(std::make_unique<TFakeResource>(true, &deaths));
        auto* b = owning.Adopt(std::make_unique<TFakeResource>(true, &deaths));
        EXPECT_EQ(owning.Add(a), 0);
        EXPECT_EQ(owning.Add(b), 1);
        EXPECT_EQ(owning.Add(a), 0);
        EXPECT_EQ(owning.Count(), 2);
        EXPECT_EQ(owning.IndexOf(b), 1);
        // Identity, not name: an equal-looking resource is another entry.
        TFakeResource stranger(true);
        EXPECT_EQ(owning.IndexOf(&stranger), -1);
        // Ownership is never taken over from a plain pointer.
        EXPECT_THROW(owning.Add(&stranger), EfwError);
        EXPECT_EQ(owning.Count(), 2);
    }
    EXPECT_EQ(deaths, 2); // each freed exactly once

    deaths = 0;
    TFakeResource kept(true, &deaths);
    {
        TfwResourceManager plain(false);
        EXPECT_EQ(plain.Add(&kept), 0);
        EXPECT_EQ(plain.Add(&kept), 0);
        EXPECT_EQ(plain.Count(), 1);
        EXPECT_THROW(plain.Adopt(std::make_unique<TFakeResource>(true)), EfwError);
    }
    EXPECT_EQ(deaths, 0);
}

TEST(TfwResourceLoader, ProgressCallsWithAFailingMiddleEntry) {
    TFakeResource first(true), second(false), third(true);
    TfwResourceLoader loader;
    EXPECT_EQ(loader.Add(&first, "A", "a.bmp"), &first);
    loader.Add(&second, "B", "b.bmp");
    loader.Add(&third, "C", "c.bmp");
    std::vector<std::pair<int, int>> calls;
    loader.LoadAll([&](int32_t index, int32_t count) { calls.emplace_back(index, count); });
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_TRUE(first.Loaded);
    EXPECT_FALSE(second.Loaded);
    EXPECT_TRUE(third.Loaded);
    EXPECT_EQ(first.Name, "A");
    EXPECT_EQ(third.FileName, "c.bmp");
    // The entries stay: a second batch loads everything again.
    loader.LoadAll(nullptr);
    EXPECT_EQ(first.Loads, 2);
    EXPECT_EQ(second.Loads, 2);
}

TEST(TfwResourceLoader, EmptyBatchReportsOnceAndLoaderNeverFreesResources) {
    int deaths = 0;
    std::vector<std::pair<int, int>> calls;
    {
        TfwResourceLoader empty;
        empty.LoadAll([&](int32_t index, int32_t count) { calls.emplace_back(index, count); });
    }
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 0}}));
    TFakeResource r(true, &deaths);
    {
        TfwResourceLoader loader;
        loader.Add(&r, "R", "r");
        loader.LoadAll(nullptr);
    }
    EXPECT_EQ(deaths, 0);
    EXPECT_TRUE(r.Loaded);
}

TEST(TfwResource, ReloadUsesTheStoredNameAndFile) {
    TFakeResource r(true);
    EXPECT_TRUE(r.LoadFromFile("N", "f.wav"));
    EXPECT_TRUE(r.Reload());
    EXPECT_EQ(r.Loads, 2);
    EXPECT_EQ(r.Name, "N");
    EXPECT_FALSE(r.Unload()); // the base has nothing to release
}

TEST(TfwResourceLoader, AnExceptionInALoadPassesOutAndLeavesTheRestUnloaded) {
    struct TThrowing : TfwResource {
        TThrowing() : TfwResource(0) {}
        bool LoadFromFile(const std::string&, const std::string&) override {
            throw EfwError("broken");
        }
    } thrower;
    TFakeResource after(true);
    TfwResourceLoader loader;
    loader.Add(&thrower, "T", "t");
    loader.Add(&after, "A", "a");
    EXPECT_THROW(loader.LoadAll(nullptr), EfwError);
    EXPECT_FALSE(after.Loaded);
}
