// What the options window is made of right after its creation.

#include <string>
#include <vector>

#include "tests/ui/window_fixture.hpp"

#include <commctrl.h>

namespace nm::test {
namespace {

std::string textOf(HWND window) {
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

using OptionsWindowLayout = OptionsWindowTest;

TEST_F(OptionsWindowLayout, WindowIsCentredHiddenOwnedAndOfFixedSize) {
    RECT rect;
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.left, 383);
    EXPECT_EQ(rect.top, 218);
    EXPECT_EQ(rect.right - rect.left, 259);
    EXPECT_EQ(rect.bottom - rect.top, 332);
    const LONG style = GetWindowLongA(window_, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE), 0);
    EXPECT_EQ(GetWindowLongA(window_, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);  // the system's own
    EXPECT_EQ(GetWindow(window_, GW_OWNER), owner_);
    // "Опции преобразования" in Windows-1251.
    EXPECT_EQ(textOf(window_),
              "\xCE\xEF\xF6\xE8\xE8 \xEF\xF0\xE5\xEE\xE1\xF0\xE0\xE7\xEE\xE2\xE0\xED\xE8\xFF");
}

struct ExpectedControl {
    const char* className;
    const char* text;
    int id;
    LONG style;  // besides WS_CHILD and WS_VISIBLE
    bool clientEdge;
    LONG x, y, width, height;
};
constexpr LONG kMask = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr LONG kNumber = WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;
const ExpectedControl kControls[] = {
    {"button", "Параметры счетчика", 0, BS_GROUPBOX | BS_LEFT | WS_GROUP, false, 8, 169, 237, 80},
    {"button", "OK", 1, BS_PUSHBUTTON, false, 75, 270, 81, 27},
    {"button", "Отмена", 2, BS_PUSHBUTTON, false, 162, 270, 81, 27},
    {"static", "Маска имени", 0, SS_LEFT, false, 8, 64, 161, 13},
    {"edit", "", 24, kMask, true, 8, 80, 161, 21},
    {"static", "расширение", 0, SS_LEFT, false, 175, 64, 70, 13},
    {"edit", "", 25, kMask, true, 175, 80, 70, 21},
    {"button", "[N] Имя", 3, BS_PUSHBUTTON, false, 8, 107, 73, 25},
    {"button", "[E] Тип", 4, BS_PUSHBUTTON, false, 89, 107, 75, 25},
    {"button", "[C] Счетчик", 5, BS_PUSHBUTTON, false, 170, 107, 75, 25},
    {"button", "Дата..", 18, BS_PUSHBUTTON, false, 8, 138, 73, 25},
    {"button", "Время..", 19, BS_PUSHBUTTON, false, 89, 138, 75, 25},
    {"button", "Другое..", 20, BS_PUSHBUTTON, false, 170, 138, 75, 25},
    {"static", "Начать с:", 0, SS_LEFT, false, 16, 193, 67, 13},
    {"edit", "1", 21, kNumber, true, 16, 206, 67, 21},
    {"static", "Шаг:", 0, SS_LEFT, false, 92, 193, 67, 13},
    {"edit", "1", 22, kNumber, true, 92, 206, 67, 21},
    {"static", "Цифр:", 0, SS_LEFT, false, 168, 193, 67, 13},
    {"edit", "1", 23, kNumber, true, 168, 206, 67, 21},
};

TEST_F(OptionsWindowLayout, ControlsFollowTheLayoutTableInCreationOrder) {
    std::vector<int> tabStops;
    std::size_t i = 0;
    for (HWND control = GetWindow(window_, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, std::size(kControls));
        const ExpectedControl& expected = kControls[i];
        SCOPED_TRACE(testing::Message() << "control " << i + 1);
        char className[64] = {};
        GetClassNameA(control, className, sizeof className);
        EXPECT_EQ(lstrcmpiA(className, expected.className), 0) << className;
        EXPECT_EQ(GetDlgCtrlID(control), expected.id);
        EXPECT_EQ(textOf(control), expected.text);
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(style, WS_CHILD | WS_VISIBLE | expected.style);
        EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE), expected.clientEdge ? WS_EX_CLIENTEDGE : 0);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, expected.x);
        EXPECT_EQ(rect.top, expected.y);
        EXPECT_EQ(rect.right - rect.left, expected.width);
        EXPECT_EQ(rect.bottom - rect.top, expected.height);
        EXPECT_EQ(SendMessageA(control, WM_GETFONT, 0, 0),
                  reinterpret_cast<LRESULT>(state().controlFont.get()));
        if ((style & WS_TABSTOP) != 0) {
            tabStops.push_back(expected.id);
        }
    }
    EXPECT_EQ(i, std::size(kControls));
    EXPECT_EQ(tabStops, (std::vector<int>{24, 25, 21, 22, 23}));

    for (auto [id, limit] : {std::pair{kIdStart, 9}, {kIdStep, 9}, {kIdDigits, 2}}) {
        EXPECT_EQ(SendMessageA(state().control(id), EM_GETLIMITTEXT, 0, 0), limit) << id;
    }
}

TEST_F(OptionsWindowLayout, MenusHoldTheirTokenItemsInIdOrder) {
    const std::vector<const char*> expected[] = {
        {"[d] Дата", "[Y] Год. 4 цифры", "[y] Год. 2 цифры", "[M] Месяц. 2 цифры",
         "[D] День. 2 цифры"},
        {"[t] Время", "[h] Часы", "[m] Минуты", "[s] Секунды"},
        {"[P] Родительский каталог", "[[] Скобка [", "[]] Скобка ]"},
    };
    UINT id = 6;
    for (std::size_t m = 0; m < std::size(expected); ++m) {
        HMENU menu = state().menus[m].get();
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected[m].size())) << m;
        for (int i = 0; i < GetMenuItemCount(menu); ++i, ++id) {
            char text[64] = {};
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(text, expected[m][static_cast<std::size_t>(i)]);
            EXPECT_EQ(GetMenuItemID(menu, i), id);
        }
    }
}

TEST_F(OptionsWindowLayout, OkAndCancelHoldFiveStateImageListsTheWindowOwns) {
    for (auto [id, slot] : {std::pair{kIdOk, 0}, {kIdCancel, 1}}) {
        BUTTON_IMAGELIST held{};
        HWND button = state().control(id);
        ASSERT_NE(SendMessageA(button, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&held)), 0);
        EXPECT_EQ(held.himl, state().buttonImages[slot].get());
        EXPECT_EQ(ImageList_GetImageCount(held.himl), 5);
        EXPECT_EQ(held.margin.left, 10);
        EXPECT_EQ(held.uAlign, static_cast<UINT>(BUTTON_IMAGELIST_ALIGN_LEFT));
    }
    // The same class outside the window's activation context refuses lists.
    HWND plain = CreateWindowExA(0, "button", "OK", WS_CHILD, 0, 0, 81, 27, window_, nullptr,
                                 nullptr, nullptr);
    BUTTON_IMAGELIST list{state().buttonImages[0].get(), {}, BUTTON_IMAGELIST_ALIGN_LEFT};
    EXPECT_EQ(SendMessageA(plain, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list)), 0);
}

TEST_F(OptionsWindowLayout, ASecondWindowIsRefusedWhileOneIsOpen) {
    EXPECT_FALSE(CreateOptionsWindow(owner_));
    EXPECT_EQ(openOptionsWindow()->window, window_);
    EXPECT_NE(GetObjectType(state().titleFont.get()), 0u);  // the open one keeps its objects
}

}  // namespace
}  // namespace nm::test
