#include "plugin/state.hpp"

namespace nm {
namespace {
HWND host = nullptr;
}  // namespace

HWND hostWindow() noexcept {
    return host;
}
void setHostWindow(HWND window) noexcept {
    host = window;
}

}  // namespace nm
