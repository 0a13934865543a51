// Module state that no export shows directly.

#include <gtest/gtest.h>
#include <windows.h>

#include "namemask/plugin.h"
#include "plugin/heap.hpp"
#include "plugin/state.hpp"

namespace {

TEST(PluginState, EveryInitializeReplacesTheHostWindowEvenWhenRegistrationFails) {
    HWND first = reinterpret_cast<HWND>(0x1000);
    HWND second = reinterpret_cast<HWND>(0x2000);
    EXPECT_EQ(nm::hostWindow(), nullptr);
    EXPECT_EQ(initialize(first), 1);
    EXPECT_EQ(nm::hostWindow(), first);
    EXPECT_EQ(initialize(second), 0);
    EXPECT_EQ(nm::hostWindow(), second);
}

TEST(PluginState, WithoutTheHeapRecordsAreNullNotGarbage) {
    nm::destroyPluginHeap();
    RenameOptions* record = reinterpret_cast<RenameOptions*>(0x1);
    EXPECT_EQ(newOpt(&record), nullptr);
    EXPECT_EQ(record, nullptr);
    ASSERT_TRUE(nm::createPluginHeap());
    EXPECT_NE(newOpt(&record), nullptr);
    freeOpt(record);
    nm::destroyPluginHeap();
}

}  // namespace
