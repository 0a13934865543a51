#include "plugin/state.hpp"

namespace nm {
namespace {
HWND host = nullptr;
bool classRegistered = false;
}  // namespace

HWND hostWindow() noexcept {
    return host;
}
void setHostWindow(HWND window) noexcept {
    host = window;
}

bool windowClassRegistered() noexcept {
    return classRegistered;
}

void setWindowClassRegistered() noexcept {
    classRegistered = true;
}

}  // namespace nm
