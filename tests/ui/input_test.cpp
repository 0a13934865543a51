// The options window driven by real keyboard and mouse input.

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/ui/real_input.hpp"
#include "tests/ui/window_fixture.hpp"
#include "ui/options_input.hpp"

namespace nm::test {
namespace {

void settle() {
    for (int idle = 0; idle < 3;) {
        idle = pumpMessages() || GetQueueStatus(QS_ALLINPUT) != 0 ? 0 : idle + 1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT);
    }
}

void press(WORD key, const std::vector<WORD>& modifiers = {}) {
    sendKey(key, modifiers);
    settle();
}

void type(const std::string& text) {
    sendText(text);
    settle();
}

void click(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    sendClick({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    settle();
}

std::string textOf(HWND window) {
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::pair<DWORD, DWORD> selectionOf(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

TEST(ReadNumber, TakesLeadingSpacesASignWhereAllowedAndDigitsWithinRange) {
    struct Case {
        const char* text;
        bool isSigned;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {"  42", true, 42},
        {"-5", true, 0u - 5},
        {"-0", true, 0},
        {"2147483647", true, 2147483647u},
        {"-2147483648", true, 0x80000000u},
        {"2147483648", true, {}},
        {"4294967295", false, 0xFFFFFFFFu},
        {"4294967296", false, {}},
        {"-1", false, {}},
        {"12a", true, {}},
        {"1 ", true, {}},
        {"", true, {}},
        {"  ", false, {}},
        {"-", true, {}},
        {"+1", true, {}},
        {"99999999999999999999", false, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readNumber(c.text, c.isSigned), c.value) << '"' << c.text << '"' << c.isSigned;
    }
}

class OptionsWindowInput : public OptionsWindowTest {
  protected:
    void SetUp() override {
        OptionsWindowTest::SetUp();
        ShowWindow(window_, SW_SHOWNORMAL);
        SetForegroundWindow(window_);
        SetFocus(field(kIdNameMask));
        settle();
        ASSERT_EQ(GetActiveWindow(), window_);
    }
    HWND field(int id) const { return state().control(id); }
    // Sets a text the way the session fills a field, and puts the focus and caret there.
    void prepare(int id, const char* text, DWORD caret) {
        SetWindowTextA(field(id), text);
        SetFocus(field(id));
        SendMessageA(field(id), EM_SETSEL, caret, caret);
        settle();
    }
};

TEST_F(OptionsWindowInput, NumberFieldsUndoAKeystrokeThatMakesThemInvalid) {
    struct Case {
        int id;
        const char* before;
        std::function<void(HWND)> act;
        const char* after;
    };
    const Case cases[] = {
        {kIdStart, "42",
         [](HWND f) {
             SendMessageA(f, EM_SETSEL, 0, -1);
             press(VK_DELETE);
         },
         "42"},
        {kIdStep, "7", [](HWND) { type("a"); }, "7"},
        {kIdDigits, "3", [](HWND f) { SendMessageA(f, EM_SETSEL, 0, 0), type("-"); }, "3"},
        {kIdDigits, "3", [](HWND) { type("5"); }, "35"},
        {kIdStart, "5", [](HWND f) { SendMessageA(f, EM_SETSEL, 0, 0), type("-"); }, "-5"},
        {kIdStep, "1", [](HWND f) { SendMessageA(f, EM_SETSEL, 0, 0), type("-"); }, "-1"},
    };
    for (const Case& c : cases) {
        prepare(c.id, c.before, 9);
        c.act(field(c.id));
        EXPECT_EQ(textOf(field(c.id)), c.after) << c.id << " from " << c.before;
    }
}

TEST_F(OptionsWindowInput, UpAndDownStepTheNumberFieldsWithinTheirBounds) {
    struct Case {
        int id;
        const char* before;
        std::vector<std::pair<WORD, const char*>> steps;  // key, text after it
    };
    const Case cases[] = {
        {kIdDigits, "9", {{VK_UP, "10"}, {VK_UP, "10"}}},
        {kIdDigits, "2", {{VK_DOWN, "1"}, {VK_DOWN, "1"}}},
        {kIdDigits, "0", {{VK_DOWN, "0"}, {VK_UP, "1"}}},
        {kIdDigits, "15", {{VK_DOWN, "14"}, {VK_UP, "10"}}},
        {kIdStep, "1", {{VK_DOWN, "0"}, {VK_DOWN, "-1"}}},
        {kIdStart, "999999999", {{VK_UP, "1000000000"}}},
    };
    for (const Case& c : cases) {
        prepare(c.id, c.before, 0);
        for (auto [key, expected] : c.steps) {
            press(key);
            EXPECT_EQ(textOf(field(c.id)), expected) << c.id << " from " << c.before;
        }
    }
    // Ten characters shown, but the last valid text keeps nine of them.
    EXPECT_STREQ(optionsSession().lastValidText[0].data(), "100000000");
    prepare(kIdNameMask, "ab", 1);
    press(VK_UP);
    EXPECT_EQ(textOf(field(kIdNameMask)), "ab");
}

TEST_F(OptionsWindowInput, TokenButtonInsertsAtTheCaretOfTheLastFocusedMaskEdit) {
    prepare(kIdExtMask, "ab", 1);
    click(field(5));  // "[C] Счетчик"
    EXPECT_EQ(textOf(field(kIdExtMask)), "a[C]b");
    EXPECT_EQ(GetFocus(), field(5));

    SetFocus(window_);  // as when the window is activated again from elsewhere
    settle();
    click(field(5));
    EXPECT_EQ(textOf(field(kIdExtMask)), "a[C]b");
    EXPECT_EQ(textOf(field(kIdNameMask)), "");
}

// Runs inside the menu's own loop: points at the second of the date menu's five items,
// then presses and releases the button there.
VOID CALLBACK chooseSecondItem(HWND window, UINT, UINT_PTR timer, DWORD) {
    static int tick = 0;
    RECT menu;
    if (!GetWindowRect(FindWindowA("#32768", nullptr), &menu)) {
        return;
    }
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (menu.left + menu.right) / 2 * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = (menu.top + (menu.bottom - menu.top) * 3 / 10) * 65535 /
                  (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    const DWORD buttons[] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    input.mi.dwFlags |= buttons[tick];
    if (++tick == 3) {
        tick = 0;
        KillTimer(window, timer);
    }
    SendInput(1, &input, sizeof input);
}

TEST_F(OptionsWindowInput, DateMenuItemInsertsItsTokenAndUndoRemovesIt) {
    prepare(kIdNameMask, "x", 1);
    SetTimer(window_, 77, 200, chooseSecondItem);  // runs inside the menu's own loop
    click(field(kIdDateMenu));
    EXPECT_EQ(textOf(field(kIdNameMask)), "x[Y]");
    SetFocus(field(kIdNameMask));
    press('Z', {VK_CONTROL});
    EXPECT_EQ(textOf(field(kIdNameMask)), "x");
}

TEST_F(OptionsWindowInput, TabAndShiftTabWrapAroundAndSelectTheWholeText) {
    prepare(kIdNameMask, "abc", 1);
    prepare(kIdDigits, "12", 1);
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), field(kIdNameMask));
    EXPECT_EQ(selectionOf(field(kIdNameMask)), (std::pair<DWORD, DWORD>{0, 3}));
    press(VK_TAB, {VK_SHIFT});
    EXPECT_EQ(GetFocus(), field(kIdDigits));
    EXPECT_EQ(selectionOf(field(kIdDigits)), (std::pair<DWORD, DWORD>{0, 2}));
    click(field(3));  // from a button, on to the next edit after it
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), field(kIdStart));
}

TEST_F(OptionsWindowInput, HotKeysAreLeftToOthersWhileTheApplicationIsInactive) {
    const auto enterFree = [] {
        const bool free = RegisterHotKey(nullptr, 0x7000, 0, VK_RETURN) != FALSE;
        UnregisterHotKey(nullptr, 0x7000);
        return free;
    };
    EXPECT_FALSE(enterFree());
    SendMessageA(window_, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(enterFree());
    SendMessageA(window_, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_FALSE(enterFree());
}

TEST_F(OptionsWindowInput, OkReadsTheFieldsIntoTheWorkingRecordAndEndsTheWindow) {
    OptionsSession& session = optionsSession();
    std::memset(&session.working, 0xAA, sizeof session.working);
    session.confirmed = 0;
    SetWindowTextA(field(kIdNameMask), std::string(99, 'n').c_str());
    SetWindowTextA(field(kIdNameMask), std::string(100, 'x').c_str());  // refused: no NUL
    SetWindowTextA(field(kIdExtMask), "[E]");
    prepare(kIdStart, "-5", 0);
    prepare(kIdStep, "3", 0);
    prepare(kIdDigits, "4", 0);
    click(field(kIdOk));
    EXPECT_EQ(openOptionsWindow(), nullptr);
    EXPECT_EQ(session.confirmed, 1);
    EXPECT_EQ(std::string(session.working.NameMask, 100), std::string(99, 'n') + '\0');
    EXPECT_STREQ(session.working.ExtMask, "[E]");
    EXPECT_EQ(static_cast<unsigned char>(session.working.ExtMask[4]), 0xAA);  // left as it was
    EXPECT_EQ(session.working.CounterStart, -5);
    EXPECT_EQ(session.working.CounterStep, 3);
    EXPECT_EQ(session.working.CounterDigits, 4);
}

TEST_F(OptionsWindowInput, EnterConfirmsWhateverHasTheFocus) {
    optionsSession().confirmed = 0;
    SetFocus(field(kIdCancel));
    press(VK_RETURN);
    EXPECT_EQ(openOptionsWindow(), nullptr);
    EXPECT_EQ(optionsSession().confirmed, 1);
}

TEST_F(OptionsWindowInput, CancelAndAltF4EndTheWindowUnconfirmedWithoutReadingIt) {
    for (bool cancel : {true, false}) {
        if (openOptionsWindow() == nullptr) {
            SetUp();
        }
        OptionsSession& session = optionsSession();
        session.confirmed = 0;
        std::memset(&session.working, 0x55, sizeof session.working);
        SetWindowTextA(field(kIdNameMask), "typed");
        if (cancel) {
            click(field(kIdCancel));
        } else {
            press(VK_F4, {VK_MENU});
        }
        EXPECT_EQ(openOptionsWindow(), nullptr) << cancel;
        EXPECT_EQ(session.confirmed, 0);
        EXPECT_EQ(static_cast<unsigned char>(session.working.NameMask[0]), 0x55);
    }
}

}  // namespace
}  // namespace nm::test
