// showOptions as a host calls it, with the window driven by real keyboard and mouse input
// from a second thread while the session's loop runs on the host's thread.

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/win32/text_codec.hpp"
#include "host/plugin_error.hpp"
#include "namemask/plugin.h"
#include "tests/plugin/process_fixture.hpp"
#include "tests/ui/real_input.hpp"
#include "tests/ui/window_fixture.hpp"

namespace nm::test {
namespace {

// "Имя по маске " in Windows-1251.
const std::string kTitle = "\xC8\xEC\xFF \xEF\xEE \xEC\xE0\xF1\xEA\xE5 ";

template <typename Fn>
Fn exported(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(pluginModule(), name)));
}

bool waitUntil(const std::function<bool()>& done, int milliseconds = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

// The window's thread answers WM_GETTEXT from its loop.
std::string textOf(HWND window) {
    char buffer[256] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_BLOCK, 2000, &ignored);
    return buffer;
}

HWND focusOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// The user's side of one session: waits for the window, then acts on it.
class User {
  public:
    explicit User(DWORD hostThread) : hostThread_(hostThread) {}

    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }

    bool waitForWindow() {
        return waitUntil([&] {
            window_ = FindWindowA("TKalvurenWindow", nullptr);
            return window_ != nullptr && IsWindowVisible(window_) &&
                   GetForegroundWindow() == window_ && focusOf(hostThread_) == control(24);
        });
    }
    bool waitForFocus(int id) {
        return waitUntil([&] { return focusOf(hostThread_) == control(id); });
    }
    bool waitForText(int id, const std::string& text) {
        return waitUntil([&] { return textOf(control(id)) == text; });
    }
    // The caret's place in an edit, once keys sent before are handled.
    bool waitForCaret(int id, DWORD at) {
        return waitUntil([&] {
            DWORD_PTR selection = 0;
            SendMessageTimeoutA(control(id), EM_GETSEL, 0, 0, SMTO_BLOCK, 2000, &selection);
            return LOWORD(selection) == at && HIWORD(selection) == at;
        });
    }
    bool waitForEnd() {
        return waitUntil([&] { return !IsWindow(window_); });
    }

    // Moves the focus with Tab or Shift+Tab; the field reached has its text selected.
    bool tabTo(int id, bool backwards = false) {
        if (backwards) {
            sendKey(VK_TAB, {VK_SHIFT});
        } else {
            sendKey(VK_TAB);
        }
        return waitForFocus(id);
    }
    bool replaceText(int id, const std::string& text) {
        if (text.empty()) {
            sendKey(VK_DELETE);
        } else {
            sendText(text);
        }
        return waitForText(id, text);
    }
    void click(int id) {
        RECT rect;
        GetWindowRect(control(id), &rect);
        sendClick({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    }
    // Finds the close box by asking the window where it is.
    bool clickCloseBox() {
        RECT rect;
        GetWindowRect(window_, &rect);
        for (int y = rect.top + 2; y < rect.top + 40; y += 2) {
            for (int x = rect.right - 2; x > rect.right - 60; x -= 2) {
                DWORD_PTR hit = 0;
                SendMessageTimeoutA(window_, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_BLOCK, 2000,
                                    &hit);
                if (hit == HTCLOSE) {
                    sendClick({x, y});
                    return true;
                }
            }
        }
        return false;
    }

  private:
    DWORD hostThread_;
    HWND window_ = nullptr;
};

class Session : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        actAsDpiAwareHost();
        ASSERT_NE(pluginModule(), nullptr);
    }

    void SetUp() override {
        WNDCLASSA hostClass{};
        hostClass.lpfnWndProc = DefWindowProcA;
        hostClass.hInstance = GetModuleHandleA(nullptr);
        hostClass.lpszClassName = "SessionTestHost";
        RegisterClassA(&hostClass);
        host_ = CreateWindowA("SessionTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                              300, 200, nullptr, nullptr, hostClass.hInstance, nullptr);
        ASSERT_NE(host_, nullptr);
        initialize_ = exported<NamemaskInitialize>("initialize");
        showOptions_ = exported<NamemaskShowOptions>("showOptions");
        newOpt_ = exported<NamemaskNewOpt>("newOpt");
        freeOpt_ = exported<NamemaskFreeOpt>("freeOpt");
        initialize_(host_);  // 0 after the first test of a program: the class is there
    }
    void TearDown() override {
        DestroyWindow(host_);
        pumpMessages();
    }

    // Runs showOptions on this thread while `act` plays the user on another.
    int32_t session(uint8_t newRecord, RenameOptions** record, const char** description,
                    const std::function<void(User&)>& act) {
        User user(GetCurrentThreadId());
        std::thread player([&] {
            if (user.waitForWindow()) {
                act(user);
            } else {
                ADD_FAILURE() << "the options window did not come up with the focus";
            }
            // Whatever happened, the session must end for the test to go on.
            if (!user.waitForEnd()) {
                ADD_FAILURE() << "the window was still open";
                PostMessageA(user.window(), WM_CLOSE, 0, 0);
            }
        });
        const int32_t result = showOptions_(newRecord, record, description);
        player.join();
        EXPECT_TRUE(IsWindowEnabled(host_));
        EXPECT_EQ(GetForegroundWindow(), host_);
        return result;
    }

    static void defaults(RenameOptions& record) {
        std::memset(&record, 0, sizeof record);
        std::memcpy(record.NameMask, "[N]", 3);
        std::memcpy(record.ExtMask, "[E]", 3);
        record.CounterStart = record.CounterStep = record.CounterDigits = 1;
    }

    HWND host_ = nullptr;
    NamemaskInitialize initialize_ = nullptr;
    NamemaskShowOptions showOptions_ = nullptr;
    NamemaskNewOpt newOpt_ = nullptr;
    NamemaskFreeOpt freeOpt_ = nullptr;
};

TEST_F(Session, NewRecordAndCancelHandsOverTheDefaults) {
    RenameOptions hostsOwn{};
    RenameOptions* record = &hostsOwn;
    const char* text = "untouched";
    EXPECT_EQ(session(1, &record, &text, [](User& user) { user.click(2); }), 0);
    ASSERT_NE(record, &hostsOwn);  // overwritten, not freed or written to
    RenameOptions expected;
    defaults(expected);
    EXPECT_EQ(std::memcmp(record, &expected, sizeof expected), 0);
    EXPECT_STREQ(text, "untouched");
    freeOpt_(record);
}

TEST_F(Session, NewRecordAndOkDescribesTheDefaults) {
    RenameOptions* record = nullptr;
    const char* text = nullptr;
    EXPECT_EQ(session(1, &record, &text, [](User&) { sendKey(VK_RETURN); }), 1);
    ASSERT_NE(record, nullptr);
    RenameOptions expected;
    defaults(expected);
    EXPECT_EQ(std::memcmp(record, &expected, sizeof expected), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), kTitle + "[N].[E]");
    freeOpt_(record);
}

TEST_F(Session, ExistingRecordAndCancelKeepsEveryByte) {
    RenameOptions* record = nullptr;
    newOpt_(&record);
    RenameOptions* const original = record;
    for (std::size_t i = 0; i < sizeof *record; ++i) {
        reinterpret_cast<unsigned char*>(record)[i] = static_cast<unsigned char>(i * 7 + 1);
    }
    std::memcpy(record->NameMask, "[N]_x\0tail", 10);  // bytes after the NUL stay too
    std::memcpy(record->ExtMask, "[E]", 4);
    record->CounterDigits = 3;
    RenameOptions before = *record;
    const char* text = nullptr;
    EXPECT_EQ(session(0, &record, &text,
                      [](User& user) {
                          EXPECT_TRUE(user.waitForText(24, "[N]_x"));
                          user.click(2);
                      }),
              0);
    EXPECT_EQ(record, original);
    EXPECT_EQ(std::memcmp(record, &before, sizeof before), 0);
    EXPECT_EQ(text, nullptr);
    freeOpt_(record);
}

TEST_F(Session, TheCloseBoxAfterAnEarlierOkEndsUnconfirmed) {
    RenameOptions* record = nullptr;
    const char* text = nullptr;
    ASSERT_EQ(session(1, &record, &text, [](User&) { sendKey(VK_RETURN); }), 1);
    const char* first = text;
    EXPECT_EQ(session(0, &record, &text, [](User& user) { EXPECT_TRUE(user.clickCloseBox()); }), 0);
    EXPECT_EQ(text, first);
    freeOpt_(record);
}

TEST_F(Session, EmptiedMasksChangeTheDescription) {
    struct Case {
        bool emptyName, emptyExt;
        std::string description;
    } cases[] = {
        {false, true, kTitle + "[N]"},
        {true, false, kTitle + ".[E]"},
        {true, true, kTitle},
    };
    for (const Case& c : cases) {
        RenameOptions* record = nullptr;
        const char* text = nullptr;
        EXPECT_EQ(session(1, &record, &text,
                          [&](User& user) {
                              // Tab then Shift+Tab comes back with the name selected.
                              ASSERT_TRUE(user.tabTo(25));
                              if (c.emptyExt) {
                                  ASSERT_TRUE(user.replaceText(25, ""));
                              }
                              ASSERT_TRUE(user.tabTo(24, true));
                              if (c.emptyName) {
                                  ASSERT_TRUE(user.replaceText(24, ""));
                              }
                              sendKey(VK_RETURN);
                          }),
                  1);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text), c.description);
        EXPECT_EQ(record->NameMask[0] == '\0', c.emptyName);
        EXPECT_EQ(record->ExtMask[0] == '\0', c.emptyExt);
        freeOpt_(record);
    }
}

// Typed masks keep the field's last byte for the NUL that ends them, in the code page the
// test runs in: 99, 100 and 120 characters typed, a character that would not fit whole
// refused. The description carries the same text.
TEST_F(Session, TypedMasksEndWithANulInsideTheirField) {
    struct Row {
        UINT codePage;          // 0: any
        std::wstring first;     // typed once, then `repeated` up to the count
        std::wstring repeated;  // one character
        std::string kept;       // the record's bytes before the NUL
    };
    const auto times = [](const std::string& text, int count) {
        std::string all;
        for (int i = 0; i < count; ++i) {
            all += text;
        }
        return all;
    };
    const Row rows[] = {
        {0, L"", L"n", times("n", 99)},
        {1251, L"", L"\u044F", times("\xFF", 99)},  // я
        // 表: 49 fill 98 bytes, and the 50th would take the NUL's byte.
        {932, L"", L"\u8868", times("\x95\x5C", 49)},
        {932, L"a", L"\u8868", "a" + times("\x95\x5C", 49)},
        {65001, L"", L"\u044F", times("\xD1\x8F", 49)},
        {65001, L"", L"\u8868", times("\xE8\xA1\xA8", 33)},
    };
    const std::string title = wideToAnsi(ansiToWide(kTitle, kPluginTextCodePage)).bytes;
    int checked = 0;
    for (const Row& row : rows) {
        if (row.codePage != 0 && row.codePage != GetACP()) {
            continue;
        }
        ASSERT_LT(row.kept.size(), sizeof(RenameOptions::NameMask));
        for (const std::size_t count : {99u, 100u, 120u}) {
            SCOPED_TRACE(testing::Message() << "code page " << GetACP() << ", row " << checked
                                            << ", " << count << " typed");
            std::wstring typed = row.first;
            while (typed.size() < count) {
                typed += row.repeated;
            }
            RenameOptions* record = nullptr;
            const char* text = nullptr;
            ASSERT_EQ(session(1, &record, &text,
                              [&](User& user) {
                                  ASSERT_TRUE(user.tabTo(25));
                                  ASSERT_TRUE(user.tabTo(24, true));  // "[N]" selected
                                  sendText(typed);
                                  // Enter is a hot key and may overtake the characters
                                  // still queued; Home is not.
                                  sendKey(VK_HOME);
                                  EXPECT_TRUE(user.waitForCaret(24, 0));
                                  EXPECT_EQ(textOf(user.control(24)), row.kept);
                                  sendKey(VK_RETURN);
                              }),
                      1);
            const std::string_view name(record->NameMask, sizeof record->NameMask);
            EXPECT_EQ(name.substr(0, row.kept.size()), row.kept);
            EXPECT_EQ(name[row.kept.size()], '\0');
            EXPECT_STREQ(record->ExtMask, "[E]");
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(std::string(text), title + row.kept + ".[E]");
            freeOpt_(record);
        }
        ++checked;
    }
    EXPECT_GE(checked, 2);
}

TEST_F(Session, TypedSettingsDriveTheRename) {
    RenameOptions* record = nullptr;
    newOpt_(&record);
    const char* text = nullptr;
    ASSERT_EQ(session(0, &record, &text,
                      [](User& user) {
                          ASSERT_TRUE(user.tabTo(25));
                          ASSERT_TRUE(user.replaceText(25, "txt"));
                          ASSERT_TRUE(user.tabTo(24, true));
                          ASSERT_TRUE(user.replaceText(24, "[P]_[C]"));
                          ASSERT_TRUE(user.tabTo(25));
                          ASSERT_TRUE(user.tabTo(21));
                          // A lone "-" is no number and would be undone: the sign goes in last.
                          ASSERT_TRUE(user.replaceText(21, "7"));
                          sendKey(VK_HOME);
                          sendText("-");
                          ASSERT_TRUE(user.waitForText(21, "-7"));
                          ASSERT_TRUE(user.tabTo(22));
                          ASSERT_TRUE(user.replaceText(22, "20"));
                          ASSERT_TRUE(user.tabTo(23));
                          ASSERT_TRUE(user.replaceText(23, "4"));
                          sendKey(VK_RETURN);
                      }),
              1);
    EXPECT_EQ(std::string(text), kTitle + "[P]_[C].txt");
    EXPECT_EQ(record->CounterStart, -7);
    EXPECT_EQ(record->CounterStep, 20);
    EXPECT_EQ(record->CounterDigits, 4);

    PluginFiles files;  // process with the record the user confirmed
    ASSERT_TRUE(files.loaded());
    files.record() = *record;
    const std::string old = files.file("photo.jpg");
    const auto renamed = files.call(old, old, 2, false);
    ASSERT_TRUE(renamed.changed);
    EXPECT_EQ(renamed.path, files.folder() + files.folderName() + "_0033.txt");
    freeOpt_(record);
}

TEST_F(Session, AForeignQuitEndsTheSessionAndIsPassedOn) {
    RenameOptions* record = nullptr;
    const char* text = nullptr;
    const DWORD thread = GetCurrentThreadId();
    EXPECT_EQ(
        session(1, &record, &text, [&](User&) { PostThreadMessageA(thread, WM_QUIT, 42, 0); }), 0);
    EXPECT_EQ(FindWindowA("TKalvurenWindow", nullptr), nullptr);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 42u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    freeOpt_(record);
}

// USER objects of the process where the system counts them; Wine does not, so there the
// windows of this thread, children included, stand in for them.
BOOL CALLBACK countWindow(HWND window, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    EnumChildWindows(window, countWindow, counter);
    return TRUE;
}

int userObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (reported != 0) {
        return static_cast<int>(reported);
    }
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(Session, HundredSessionsLeaveTheObjectCountsFlat) {
    RenameOptions* record = nullptr;
    newOpt_(&record);
    const char* text = nullptr;
    // Every fourth session the window moves to a screen of twice the DPI and back, as a
    // per-monitor host's window does: what it builds for each DPI must not pile up.
    int round = 0;
    auto oneSession = [&] {
        const bool move = round++ % 4 == 3;
        session(0, &record, &text, [move](User& user) {
            for (UINT dpi : move ? std::vector<UINT>{192, 96, testDpi()} : std::vector<UINT>{}) {
                RECT rect;
                GetWindowRect(user.window(), &rect);
                rect.right = rect.left + MulDiv(259, static_cast<int>(dpi), 96);
                rect.bottom = rect.top + MulDiv(332, static_cast<int>(dpi), 96);
                DWORD_PTR ignored = 0;
                SendMessageTimeoutA(user.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                    reinterpret_cast<LPARAM>(&rect), SMTO_BLOCK, 2000, &ignored);
            }
            sendKey(VK_RETURN);
        });
    };
    oneSession();  // the first two load what stays loaded (Wine's font and DC caches)
    oneSession();
    const int gdiBefore = gdiObjectCount();
    const int userBefore = userObjectCount();
    for (int i = 0; i < 100; ++i) {
        oneSession();
    }
    const int gdiAfter = gdiObjectCount();
    const int userAfter = userObjectCount();
    std::printf("GDI objects %d -> %d, USER objects %d -> %d\n", gdiBefore, gdiAfter, userBefore,
                userAfter);
    ASSERT_GT(gdiBefore, 0);
    ASSERT_GT(userBefore, 0);  // the host window at least
    EXPECT_EQ(gdiAfter, gdiBefore);
    EXPECT_EQ(userAfter, userBefore);
    // The hot keys went with the last window.
    EXPECT_TRUE(RegisterHotKey(nullptr, 1, 0, VK_RETURN));
    UnregisterHotKey(nullptr, 1);
    freeOpt_(record);
}

// Its own process (every test runs alone): initialize is never called here.
TEST(SessionWithoutInitialize, ReturnsAtOnceWithANewRecord) {
    ASSERT_NE(pluginModule(), nullptr);
    auto showOptions = exported<NamemaskShowOptions>("showOptions");
    RenameOptions* record = nullptr;
    const char* text = "untouched";
    EXPECT_EQ(showOptions(1, &record, &text), 0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::memcmp(record->NameMask, "[N]\0", 4), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(showOptions(0, &record, &text), 0);
    exported<NamemaskFreeOpt>("freeOpt")(record);
}

}  // namespace
}  // namespace nm::test
