// Opens the options window for a few seconds so that scripts/screenshot can take its
// picture; prints its screen rectangle ("x y width height") once it is painted.
//   show_window.exe [SECONDS]

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "namemask/plugin.h"
#include "ui/options_window.hpp"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    SetProcessDPIAware();  // as a host that lets the window scale itself
    HMODULE plugin = LoadLibraryA(NAMEMASK_DLL_NAME);
    if (plugin == nullptr) {
        std::fprintf(stderr, "show_window: " NAMEMASK_DLL_NAME " not found\n");
        return 1;
    }
    nm::OptionsSession session;
    session.resources = plugin;
    HWND host = CreateWindowExA(0, "static", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    if (!nm::RegisterOptionsWindowClass() || !nm::CreateOptionsWindow(host, session)) {
        std::fprintf(stderr, "show_window: the options window could not be created\n");
        return 1;
    }
    HWND window = FindWindowA("TKalvurenWindow", nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetTimer(window, 1, static_cast<UINT>(seconds) * 1000, nullptr);

    bool announced = false;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == window) {
            DestroyWindow(window);  // ends the loop with its quit message
            continue;
        }
        DispatchMessageA(&message);
        if (!announced && GetQueueStatus(QS_ALLINPUT) == 0) {
            RECT rect;
            GetWindowRect(window, &rect);
            std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top);
            std::fflush(stdout);
            announced = true;
        }
    }
    DestroyWindow(host);
    return 0;
}
