// Closing the window, whichever way, releases all it held.

#include <cstdio>
#include <vector>

#include "tests/ui/window_fixture.hpp"

namespace nm::test {
namespace {

// Whether another window could take this key now.
bool hotKeyFree(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0x7000, modifiers, key)) {
        return false;
    }
    UnregisterHotKey(nullptr, 0x7000);
    return true;
}

enum class Ending { kDestroy, kClose, kOwnerDestroyed };

class OptionsWindowLifecycle : public OptionsWindowTest {
  protected:
    void end(Ending ending) {
        if (ending == Ending::kDestroy) {
            DestroyWindow(window_);
        } else if (ending == Ending::kClose) {
            SendMessageA(window_, WM_CLOSE, 0, 0);
        }
        DestroyWindow(owner_);  // takes its owned window with it
        quitPosted_ = pumpMessages();
    }
    bool quitPosted_ = false;
};

TEST_F(OptionsWindowLifecycle, EveryEndingReleasesAllItHeldAndPostsTheQuitMessage) {
    const std::pair<UINT, UINT> hotKeys[] = {
        {MOD_SHIFT, VK_TAB}, {0, VK_TAB}, {0, VK_UP}, {0, VK_DOWN}, {0, VK_RETURN}};
    for (Ending ending : {Ending::kDestroy, Ending::kClose, Ending::kOwnerDestroyed}) {
        SCOPED_TRACE(static_cast<int>(ending));
        if (openOptionsWindow() == nullptr) {
            SetUp();
        }
        const OptionsWindowState& held = state();
        const std::vector<HGDIOBJ> objects = {held.controlFont.get(), held.titleFont.get(),
                                              held.smallFont.get(),   held.softPen.get(),
                                              held.lightPen.get(),    held.header.get()};
        const std::vector<HMENU> menus = {held.menus[0].get(), held.menus[1].get(),
                                          held.menus[2].get()};
        for (auto [modifiers, key] : hotKeys) {
            EXPECT_FALSE(hotKeyFree(modifiers, key)) << key;  // the window holds them
        }
        end(ending);
        EXPECT_TRUE(quitPosted_);
        EXPECT_EQ(openOptionsWindow(), nullptr);
        for (HGDIOBJ object : objects) {
            EXPECT_EQ(GetObjectType(object), 0u);
        }
        for (HMENU menu : menus) {
            EXPECT_FALSE(IsMenu(menu));
        }
        for (auto [modifiers, key] : hotKeys) {
            EXPECT_TRUE(hotKeyFree(modifiers, key)) << key;
        }
    }
}

TEST_F(OptionsWindowLifecycle, FiftyOpeningsLeaveTheGdiObjectCountFlat) {
    const auto round = [this](Ending ending) {
        // Painted while hidden: showing costs Wine seconds, and the paint makes and drops
        // its objects all the same.
        InvalidateRect(window_, nullptr, FALSE);
        SendMessageA(window_, WM_PAINT, 0, 0);
        end(ending);
        SetUp();
    };
    round(Ending::kDestroy);  // what the system keeps after a first use is there now
    const int before = gdiObjectCount();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 50; ++i) {
        round(static_cast<Ending>(i % 3));
    }
    const int after = gdiObjectCount();
    EXPECT_EQ(after, before);
    end(Ending::kDestroy);
    std::printf("GDI objects: %d with a window open, %d after 50 more openings, %d closed\n",
                before, after, gdiObjectCount());
}

// The class is the process's: a window of it that someone else makes is a plain window,
// and its end is not the end of our window or of anyone's message loop.
TEST_F(OptionsWindowLifecycle, AWindowOfTheClassMadeElsewhereHoldsNothingAndPostsNoQuit) {
    for (LPVOID parameter : {static_cast<void*>(nullptr), static_cast<void*>(this)}) {
        HWND other = CreateWindowExW(0, L"TKalvurenWindow", L"other", WS_POPUP, 0, 0, 50, 50,
                                     nullptr, nullptr, nullptr, parameter);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(optionsWindowState(other), nullptr);
        EXPECT_EQ(openOptionsWindow()->window, window_);
        DestroyWindow(other);
        EXPECT_FALSE(pumpMessages());
        EXPECT_EQ(openOptionsWindow()->window, window_);
    }
}

}  // namespace
}  // namespace nm::test
