// Plays the user for the reference host's --options test: waits for the options window to
// take the focus, prints its outer size ("389x498"), then presses Enter (which confirms it).
//   press_enter [SECONDS]   how long to wait for the window (10; far longer under emulation)

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    for (int tries = 0; tries < seconds * 50; ++tries) {
        HWND window = FindWindowA("TKalvurenWindow", nullptr);
        if (window != nullptr && IsWindowVisible(window) && GetForegroundWindow() == window) {
            RECT outer{};
            GetWindowRect(window, &outer);
            std::printf("%ldx%ld\n", outer.right - outer.left, outer.bottom - outer.top);
            std::fflush(stdout);
            INPUT keys[2] = {};
            keys[0].type = keys[1].type = INPUT_KEYBOARD;
            keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
            keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, keys, sizeof(INPUT));
            return 0;
        }
        Sleep(20);
    }
    std::fputs("press_enter: no options window came up\n", stderr);
    return 1;
}
