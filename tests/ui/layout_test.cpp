// What the options window is made of right after its creation.

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "tests/ui/window_fixture.hpp"

#include <commctrl.h>

#include "ui/options_input.hpp"

namespace nm::test {
namespace {

// As UTF-16, so that the same rows hold under every code page the tests run in.
std::wstring textOf(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

using OptionsWindowLayout = OptionsWindowTest;

// A length of the 96-DPI layout at the DPI the test runs at.
LONG at(LONG pixels) {
    return MulDiv(pixels, static_cast<int>(testDpi()), 96);
}

TEST_F(OptionsWindowLayout, WindowIsCentredHiddenOwnedAndOfFixedSize) {
    ASSERT_EQ(state().dpi, testDpi());
    RECT rect;
    GetWindowRect(window_, &rect);
    EXPECT_EQ(rect.left, 512 - at(259) / 2);  // 383 at 96 DPI on 1024 x 768
    EXPECT_EQ(rect.top, 384 - at(332) / 2);   // 218
    EXPECT_EQ(rect.right - rect.left, at(259));
    EXPECT_EQ(rect.bottom - rect.top, at(332));
    const LONG style = GetWindowLongA(window_, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE), 0);
    EXPECT_EQ(GetWindowLongA(window_, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);  // the system's own
    EXPECT_EQ(GetWindow(window_, GW_OWNER), owner_);
    EXPECT_EQ(textOf(window_), L"Опции преобразования") << "code page " << GetACP();
}

struct ExpectedControl {
    const char* className;
    const wchar_t* text;
    int id;
    LONG style;  // besides WS_CHILD and WS_VISIBLE
    bool clientEdge;
    LONG x, y, width, height;
};
constexpr LONG kMask = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr LONG kNumber = WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;
const ExpectedControl kControls[] = {
    {"button", L"Параметры счетчика", 0, BS_GROUPBOX | BS_LEFT | WS_GROUP, false, 8, 169, 237, 80},
    {"button", L"OK", 1, BS_PUSHBUTTON, false, 75, 270, 81, 27},
    {"button", L"Отмена", 2, BS_PUSHBUTTON, false, 162, 270, 81, 27},
    {"static", L"Маска имени", 0, SS_LEFT, false, 8, 64, 161, 13},
    {"edit", L"", 24, kMask, true, 8, 80, 161, 21},
    {"static", L"расширение", 0, SS_LEFT, false, 175, 64, 70, 13},
    {"edit", L"", 25, kMask, true, 175, 80, 70, 21},
    {"button", L"[N] Имя", 3, BS_PUSHBUTTON, false, 8, 107, 73, 25},
    {"button", L"[E] Тип", 4, BS_PUSHBUTTON, false, 89, 107, 75, 25},
    {"button", L"[C] Счетчик", 5, BS_PUSHBUTTON, false, 170, 107, 75, 25},
    {"button", L"Дата..", 18, BS_PUSHBUTTON, false, 8, 138, 73, 25},
    {"button", L"Время..", 19, BS_PUSHBUTTON, false, 89, 138, 75, 25},
    {"button", L"Другое..", 20, BS_PUSHBUTTON, false, 170, 138, 75, 25},
    {"static", L"Начать с:", 0, SS_LEFT, false, 16, 193, 67, 13},
    {"edit", L"1", 21, kNumber, true, 16, 206, 67, 21},
    {"static", L"Шаг:", 0, SS_LEFT, false, 92, 193, 67, 13},
    {"edit", L"1", 22, kNumber, true, 92, 206, 67, 21},
    {"static", L"Цифр:", 0, SS_LEFT, false, 168, 193, 67, 13},
    {"edit", L"1", 23, kNumber, true, 168, 206, 67, 21},
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
        EXPECT_EQ(textOf(control), expected.text) << "code page " << GetACP();
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(style, WS_CHILD | WS_VISIBLE | expected.style);
        EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE), expected.clientEdge ? WS_EX_CLIENTEDGE : 0);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
        // The 96-DPI rectangle scaled, within a pixel; exactly it at 96 DPI.
        const LONG slack = testDpi() == 96 ? 0 : 1;
        EXPECT_NEAR(rect.left, at(expected.x), slack);
        EXPECT_NEAR(rect.top, at(expected.y), slack);
        EXPECT_NEAR(rect.right, at(expected.x + expected.width), slack);
        EXPECT_NEAR(rect.bottom, at(expected.y + expected.height), slack);
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

// Measured with the font each control shows them in.
TEST_F(OptionsWindowLayout, TheCaptionAndEveryLabelFitTheirControls) {
    HDC dc = GetDC(window_);
    const auto extent = [dc](HFONT font, const std::wstring& text) {
        SIZE size{};
        const HGDIOBJ previous = SelectObject(dc, font);
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, previous);
        return size;
    };
    for (HWND control = GetWindow(window_, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        const std::wstring text = textOf(control);
        if (text.empty() || text == L"1") {
            continue;
        }
        SCOPED_TRACE(testing::Message()
                     << "control " << GetDlgCtrlID(control) << " at " << testDpi() << " DPI");
        RECT client;
        GetClientRect(control, &client);
        const SIZE size =
            extent(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), text);
        // Push buttons keep a few pixels of frame; OK and Cancel also show their icon.
        wchar_t className[16] = {};
        GetClassNameW(control, className, static_cast<int>(std::size(className)));
        const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        const bool pushButton = lstrcmpiW(className, L"button") == 0 && type == BS_PUSHBUTTON;
        const bool hasIcon = GetDlgCtrlID(control) == kIdOk || GetDlgCtrlID(control) == kIdCancel;
        const LONG frame = pushButton ? at(4) : 0;
        const LONG icon = hasIcon ? at(16 + 10) : 0;
        EXPECT_LE(size.cx + frame + icon, client.right);
        EXPECT_LE(size.cy, client.bottom);
    }
    // The caption: its text, in the caption font, beside the close box.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    HFONT captionFont = CreateFontIndirectW(&metrics.lfCaptionFont);
    const SIZE caption = extent(captionFont, textOf(window_));
    DeleteObject(captionFont);
    RECT outer;
    GetWindowRect(window_, &outer);
    EXPECT_LE(caption.cx + GetSystemMetrics(SM_CXSIZE) + 2 * GetSystemMetrics(SM_CXFIXEDFRAME),
              outer.right - outer.left);
    EXPECT_LE(caption.cy, GetSystemMetrics(SM_CYCAPTION));
    ReleaseDC(window_, dc);
}

TEST_F(OptionsWindowLayout, MenusHoldTheirTokenItemsInIdOrder) {
    const std::vector<const wchar_t*> expected[] = {
        {L"[d] Дата", L"[Y] Год. 4 цифры", L"[y] Год. 2 цифры", L"[M] Месяц. 2 цифры",
         L"[D] День. 2 цифры"},
        {L"[t] Время", L"[h] Часы", L"[m] Минуты", L"[s] Секунды"},
        {L"[P] Родительский каталог", L"[[] Скобка [", L"[]] Скобка ]"},
    };
    UINT id = 6;
    for (std::size_t m = 0; m < std::size(expected); ++m) {
        HMENU menu = state().menus[m].get();
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected[m].size())) << m;
        for (int i = 0; i < GetMenuItemCount(menu); ++i, ++id) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, i, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
            EXPECT_STREQ(text, expected[m][static_cast<std::size_t>(i)])
                << "code page " << GetACP();
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
        EXPECT_EQ(held.margin.left, at(10));
        EXPECT_EQ(held.uAlign, static_cast<UINT>(BUTTON_IMAGELIST_ALIGN_LEFT));
    }
    // The same class outside the window's activation context refuses lists.
    HWND plain = CreateWindowExA(0, "button", "OK", WS_CHILD, 0, 0, 81, 27, window_, nullptr,
                                 nullptr, nullptr);
    BUTTON_IMAGELIST list{state().buttonImages[0].get(), {}, BUTTON_IMAGELIST_ALIGN_LEFT};
    EXPECT_EQ(SendMessageA(plain, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list)), 0);
}

// A record's mask shown in its edit and read back, in the code page the test runs in; an
// edit that would make the mask outgrow 99 bytes, the record's 100 less the NUL, is refused
// whole. A host's record of 100 bytes without a NUL is read back as what fits in 99.
TEST_F(OptionsWindowLayout, MaskFieldsRoundTripWholeCharactersWithinTheRecordsBytes) {
    struct Case {
        UINT codePage;  // 0: any
        std::string record;
        std::wstring typed;  // put at the end of the edit, as a paste
        std::string expected;
    };
    const std::string hundred(100, 'n');
    const std::string ninetyNine(99, 'n');
    std::string cyrillic;  // 100 bytes in 1251
    for (int i = 0; i < 50; ++i) {
        cyrillic += "\xDF\xE1";  // "Яб"
    }
    std::string kanji;  // "表" 50 times: 100 bytes in 932
    for (int i = 0; i < 50; ++i) {
        kanji += "\x95\x5C";
    }
    std::string emoji;  // 24 emoji and "ab": 98 bytes in UTF-8
    for (int i = 0; i < 24; ++i) {
        emoji += "\xF0\x9F\x98\x80";
    }
    emoji += "ab";
    const Case cases[] = {
        {0, hundred, L"", ninetyNine},
        {0, ninetyNine, L"n", ninetyNine},
        {0, ninetyNine.substr(1), L"n", ninetyNine},
        {0, "[N]", L"_[C]", "[N]_[C]"},
        {1251, cyrillic, L"", cyrillic.substr(0, 99)},
        {1251, "[N]", L"\U0001F600", "[N]"},  // no such character in 1251
        {932, kanji, L"", kanji.substr(0, 98)},
        {932, kanji.substr(0, 96) + "a", L"\u8868", kanji.substr(0, 96) + "a\x95\x5C"},
        {932, kanji.substr(0, 98), L"\u8868", kanji.substr(0, 98)},
        {932, kanji.substr(0, 98), L"b", kanji.substr(0, 98) + "b"},
        {932, "\x95\x5D]", L"", "\x95\x5D]"},  // a trail byte 5D is no bracket
        {65001, emoji, L"", emoji},
        {65001, emoji, L"\U0001F600", emoji},
        {65001, emoji, L"c", emoji + "c"},
        {65001, emoji + "c", L"d", emoji + "c"},
        {65001, "\xD0\xAF\xD0\xB1", L"\u8868", "\xD0\xAF\xD0\xB1\xE8\xA1\xA8"},
    };
    HWND edit = state().control(kIdNameMask);
    int checked = 0;
    for (const Case& c : cases) {
        if (c.codePage != 0 && c.codePage != GetACP()) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << "code page " << GetACP() << ", row " << checked);
        char record[100] = {};
        std::memcpy(record, c.record.data(), c.record.size());
        fillMaskField(edit, record);
        const int end = GetWindowTextLengthW(edit);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(c.typed.c_str()));
        char read[100];
        std::memset(read, 0x55, sizeof read);
        readMaskField(edit, read);
        EXPECT_EQ(std::string(read, strnlen(read, sizeof read)), c.expected);
        ASSERT_LT(c.expected.size(), sizeof read);
        EXPECT_EQ(read[c.expected.size()], '\0');
        ++checked;
    }
    EXPECT_GE(checked, 4);
}

TEST_F(OptionsWindowLayout, ASecondWindowIsRefusedWhileOneIsOpen) {
    EXPECT_FALSE(CreateOptionsWindow(owner_));
    EXPECT_EQ(openOptionsWindow()->window, window_);
    EXPECT_NE(GetObjectType(state().titleFont.get()), 0u);  // the open one keeps its objects
}

}  // namespace
}  // namespace nm::test
