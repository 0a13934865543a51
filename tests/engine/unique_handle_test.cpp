#include "engine/unique_handle.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<int> released;

struct RecordingDeleter {
    void operator()(int handle) const noexcept { released.push_back(handle); }
};
struct MinusOneDeleter {
    static int invalid() noexcept { return -1; }
    void operator()(int handle) const noexcept { released.push_back(handle); }
};

using Owned = nm::UniqueHandle<int, RecordingDeleter>;
using OwnedFind = nm::UniqueHandle<int, MinusOneDeleter>;

class UniqueHandleTest : public ::testing::Test {
  protected:
    void SetUp() override { released.clear(); }
};

TEST_F(UniqueHandleTest, ReleasesOnceWhenMovedAround) {
    {
        Owned a(7);
        Owned b(std::move(a));
        Owned c;
        c = std::move(b);
        // A moved-from owner is empty by contract: that is what is checked here.
        EXPECT_FALSE(a);  // NOLINT(bugprone-use-after-move)
        EXPECT_FALSE(b);  // NOLINT(bugprone-use-after-move)
        EXPECT_EQ(c.get(), 7);
    }
    EXPECT_EQ(released, std::vector<int>{7});
}

TEST_F(UniqueHandleTest, ResetReleasesTheOldHandleAndMoveAssignReleasesTheTarget) {
    Owned a(1);
    a.reset(2);
    Owned b(3);
    b = std::move(a);
    EXPECT_EQ(released, (std::vector<int>{1, 3}));
    EXPECT_EQ(b.release(), 2);
    EXPECT_FALSE(b);
}

TEST_F(UniqueHandleTest, CustomInvalidValueIsNeverReleased) {
    {
        OwnedFind none;
        OwnedFind zero(0);  // 0 is a valid handle when -1 means "none"
        EXPECT_FALSE(none);
        EXPECT_TRUE(zero);
    }
    EXPECT_EQ(released, std::vector<int>{0});
}

}  // namespace
