#pragma once

// An open options window for a test, owned by a stand-in for the host's window.

#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdlib>

#include "namemask/plugin.h"
#include "ui/options_window.hpp"
#include "ui/options_window_state.hpp"

namespace nm::test {

// The plug-in's own module, whose resources and manifest the window uses.
inline HMODULE pluginModule() {
    static HMODULE module = LoadLibraryA(NAMEMASK_DLL_NAME);
    return module;
}

// The tests play the plug-in: they keep one session for every window they open, as the
// plug-in keeps its own from load to unload, and open and find windows through it.
inline OptionsSession& optionsSession() {
    static OptionsSession session;
    return session;
}
inline bool CreateOptionsWindow(HWND owner) {
    return nm::CreateOptionsWindow(owner, optionsSession());
}
inline const OptionsWindowState* openOptionsWindow() {
    return nm::openOptionsWindow(optionsSession());
}

// The screen's DPI the test runs at: NAMEMASK_DPI of its prefix, else 96.
inline UINT testDpi() {
    const char* dpi = std::getenv("NAMEMASK_DPI");
    return dpi != nullptr && std::atoi(dpi) > 0 ? static_cast<UINT>(std::atoi(dpi)) : 96;
}

// The tests play a system-DPI-aware host: it gets the window laid out at the screen's DPI
// (an unaware host is stretched by the system instead).
inline void actAsDpiAwareHost() {
    static const bool done = SetProcessDPIAware() != FALSE;
    (void)done;
}

// Dispatches what is queued; a quit message is taken out and reported.
inline bool pumpMessages() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
        } else {
            TranslateMessage(&message);  // typed characters, as the session's loop makes them
            DispatchMessageA(&message);
        }
    }
    return quit;
}

// GDI objects of this process. Wine gives no GetGuiResources count, so there the
// entries in use of the process's GDI handle table are counted instead.
inline int gdiObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) {
        return static_cast<int>(reported);
    }
    // PEB.GdiSharedHandleTable; an entry's type byte is 0 when free. Entries have one
    // layout on both machines, the PEB does not.
#ifdef _WIN64
    constexpr std::size_t kTableOffset = 0xF8;
#else
    constexpr std::size_t kTableOffset = 0x94;
#endif
    constexpr std::size_t kEntrySize = 24;
    constexpr std::size_t kTypeOffset = 14;
    constexpr std::size_t kEntries = 0x4000;
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (query == nullptr ||
        query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
        return -1;
    }
    const auto* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const std::uint8_t* const*>(peb + kTableOffset);
    if (table == nullptr) {
        return -1;
    }
    int count = 0;
    for (std::size_t i = 0; i < kEntries; ++i) {
        count += table[i * kEntrySize + kTypeOffset] != 0 ? 1 : 0;
    }
    return count;
}

class OptionsWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        actAsDpiAwareHost();
        ASSERT_NE(pluginModule(), nullptr);
        optionsSession().resources = pluginModule();
        RegisterOptionsWindowClass();  // once per program; later calls find it there
    }

    void SetUp() override {
        owner_ = CreateWindowExA(0, "static", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
        ASSERT_TRUE(CreateOptionsWindow(owner_));
        ASSERT_NE(openOptionsWindow(), nullptr);
        window_ = openOptionsWindow()->window;
    }

    void TearDown() override {
        if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
        DestroyWindow(owner_);
        pumpMessages();
    }

    const OptionsWindowState& state() const { return *openOptionsWindow(); }

    HWND owner_ = nullptr;
    HWND window_ = nullptr;
};

}  // namespace nm::test
