// The drawing helpers, and the window's painting read back from the screen.

#include <vector>

#include "tests/ui/window_fixture.hpp"
#include "ui/drawing.hpp"
#include "ui/win32_handles.hpp"

#include <commctrl.h>

namespace nm::test {
namespace {

TEST(BlendColors, MovesEachChannelThePercentOfTheWayRoundingHalvesToEven) {
    struct Case {
        COLORREF from, to;
        BYTE percent;
        COLORREF expected;
    };
    const Case cases[] = {
        {RGB(128, 128, 128), RGB(212, 208, 200), 70, RGB(187, 184, 178)},
        {RGB(0, 0, 0), RGB(1, 3, 5), 50, RGB(0, 2, 2)},  // 0.5, 1.5 and 2.5 go to even
        {RGB(1, 3, 5), RGB(0, 0, 0), 50, RGB(0, 2, 2)},
        {RGB(10, 200, 30), RGB(250, 0, 99), 0, RGB(10, 200, 30)},
        {RGB(10, 200, 30), RGB(250, 0, 99), 100, RGB(250, 0, 99)},
        {RGB(10, 200, 30), RGB(250, 0, 99), 255, RGB(250, 0, 99)},
        {0xFF000000 | RGB(1, 2, 3), 0xAA000000 | RGB(1, 2, 3), 40, RGB(1, 2, 3)},  // top byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BlendColors(c.from, c.to, c.percent), c.expected)
            << std::hex << c.from << " " << c.to << " " << std::dec << int{c.percent};
    }
}

using SetButtonImagesTest = OptionsWindowTest;

TEST_F(SetButtonImagesTest, KindTwoOrMoreReturnsZeroAndChangesNothing) {
    HWND ok = state().control(kIdOk);
    const int objects = gdiObjectCount();
    for (UINT kind : {2u, 255u}) {
        EXPECT_EQ(SetButtonImages(ok, state().buttonIcons[0].get(), kind, 16, 16), 0);
    }
    BUTTON_IMAGELIST held{};
    SendMessageA(ok, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&held));
    EXPECT_EQ(held.himl, state().buttonImages[0].get());
    EXPECT_EQ(gdiObjectCount(), objects);
}

TEST_F(SetButtonImagesTest, AButtonThatRefusesListsGetsThePlainImageAndNoListIsLeft) {
    // Outside the window's activation context, in a program without a manifest: an old
    // button, which shows an icon only with BS_ICON.
    HWND plain = CreateWindowExA(0, "button", "OK", WS_CHILD | BS_ICON, 0, 0, 81, 27, window_,
                                 nullptr, nullptr, nullptr);
    const int objects = gdiObjectCount();
    SetButtonImages(plain, state().buttonIcons[0].get(), IMAGE_ICON, 16, 16);
    EXPECT_EQ(SendMessageA(plain, BM_GETIMAGE, IMAGE_ICON, 0),
              reinterpret_cast<LRESULT>(state().buttonIcons[0].get()));
    EXPECT_EQ(gdiObjectCount(), objects);
}

class OptionsWindowPainting : public OptionsWindowTest {
  protected:
    void SetUp() override {
        OptionsWindowTest::SetUp();
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        pumpMessages();
        dc_ = GetDC(window_);
        RECT client;
        GetClientRect(window_, &client);
        width_ = client.right;
    }
    void TearDown() override {
        ReleaseDC(window_, dc_);
        OptionsWindowTest::TearDown();
    }
    int count(RECT box, COLORREF colour) const {
        int n = 0;
        for (int y = box.top; y < box.bottom; ++y) {
            for (int x = box.left; x < box.right; ++x) {
                n += GetPixel(dc_, x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }
    HDC dc_ = nullptr;
    int width_ = 0;
};

TEST_F(OptionsWindowPainting, HeaderIsWhiteWithTheBitmapAtTheRightAndTheGreyTitle) {
    for (POINT p : {POINT{1, 1}, POINT{140, 3}, POINT{3, 48}, POINT{150, 20}}) {
        EXPECT_EQ(GetPixel(dc_, p.x, p.y), RGB(255, 255, 255)) << p.x << "," << p.y;
    }
    // OPTBG over x 153 to 252 as far as the client area reaches; from y 34 the version
    // line is written over it.
    const MemoryDc memory{CreateCompatibleDC(dc_)};
    const Bitmap header{LoadBitmapA(pluginModule(), "OPTBG")};
    const SelectedObject selection{memory.get(), header.get()};
    ASSERT_TRUE(selection);
    int differences = 0;
    for (int y = 0; y < 34; ++y) {
        for (int x = 153; x <= 252 && x < width_; ++x) {
            differences += GetPixel(dc_, x, y) != GetPixel(memory.get(), x - 153, y) ? 1 : 0;
        }
    }
    EXPECT_GE(width_, 250);
    EXPECT_EQ(differences, 0);

    EXPECT_GT(count({16, 12, 150, 36}, RGB(128, 128, 128)), 40);  // 12 letters of 19 pixels
    EXPECT_EQ(count({0, 0, 16, 50}, RGB(128, 128, 128)), 0);
    EXPECT_GT(count({125, 34, 200, 47}, GetSysColor(COLOR_WINDOWTEXT)), 10);
}

TEST_F(OptionsWindowPainting, EngravedRulesUseTheSoftAndTheLightPen) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF soft = BlendColors(GetSysColor(COLOR_BTNSHADOW), face, 70);
    ASSERT_NE(soft, face);
    for (auto [y, colour] : {std::pair{50, soft},
                             {51, GetSysColor(COLOR_WINDOW)},
                             {265, soft},
                             {266, GetSysColor(COLOR_WINDOW)}}) {
        EXPECT_EQ(count({0, y, width_, y + 1}, colour), width_) << "y " << y;
    }
    for (POINT p : {POINT{4, 52}, POINT{4, 150}, POINT{4, 264}, POINT{4, 267}}) {
        EXPECT_EQ(GetPixel(dc_, p.x, p.y), face) << p.x << "," << p.y;  // class background
    }
}

}  // namespace
}  // namespace nm::test
