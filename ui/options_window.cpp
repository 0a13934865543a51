#include "ui/options_window.hpp"

#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "engine/win32/text_codec.hpp"
#include "namemask/version.h"
#include "ui/drawing.hpp"
#include "ui/options_input.hpp"
#include "ui/options_layout.hpp"
#include "ui/token_commands.hpp"

namespace nm {

namespace {

constexpr wchar_t kClassName[] = L"TKalvurenWindow";
constexpr char kCaption[] = "Опции преобразования";
constexpr std::string_view kTitle = NAMEMASK_TITLE;
constexpr std::string_view kVersionLine = "Версия " NAMEMASK_VERSION_TEXT;
constexpr int kManifestResource = 2;  // the id Windows gives a DLL's own manifest
constexpr std::size_t kMenuCount = 3;

// What CreateOptionsWindow hands to the window's WM_CREATE.
struct CreationRequest {
    OptionsSession& session;
    UINT sizedFor;  // the DPI the window's size was given for
};

// The request of the CreateOptionsWindow call under way, null outside one: not state of
// the load, but what keeps WM_CREATE from taking anyone else's creation parameter for one
// of ours. A window of our class made by anyone else gets no state: it has nothing to
// draw with and answers as a plain window.
const CreationRequest* requestInFlight = nullptr;

using StateOwner = std::unique_ptr<OptionsWindowState>;

OptionsWindowState* stateOf(HWND window) noexcept {
    return reinterpret_cast<OptionsWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The common controls 6 of our own manifest: only their buttons take image lists, and
// the host may have no manifest of its own.
ActivationContext commonControlsContext(HMODULE resources) noexcept {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(resources, path, MAX_PATH);  // a cut path only helps
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path;
    request.hModule = resources;
    request.lpResourceName = MAKEINTRESOURCEW(kManifestResource);
    return ActivationContext{CreateActCtxW(&request)};
}

// The icon at the size of the DPI (the icon files hold 16, 20, 24 and 32 pixels). The
// button takes the new images before the old ones are released.
void putButtonImages(OptionsWindowState& state, HWND button, std::size_t slot,
                     const char* icon) noexcept {
    const int size = scaleForDpi(kIconSize, state.dpi);
    Icon image{
        static_cast<HICON>(LoadImageA(state.session.resources, icon, IMAGE_ICON, size, size, 0))};
    SetButtonImages(button, image.get(), IMAGE_ICON, size, size,
                    scaleForDpi(kIconMargin, state.dpi));
    state.buttonIcons[slot] = std::move(image);
    BUTTON_IMAGELIST held{};
    if (SendMessageW(button, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&held)) != 0 &&
        held.himl != nullptr && held.himl != state.buttonImages[slot].get()) {
        state.buttonImages[slot].reset(held.himl);
    }
}

std::size_t buttonSlot(const ControlLayout& layout) noexcept {
    return layout.id == kIdOk ? 0u : 1u;
}

void createControls(OptionsWindowState& state) noexcept {
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kControlLayouts[i];
        const RECT rect = controlRect(layout, state.dpi);
        HWND control = CreateWindowExW(layout.exStyle, layout.className,
                                       ansiToWide(layout.text, kPluginTextCodePage).c_str(),
                                       WS_CHILD | WS_VISIBLE | layout.style, rect.left, rect.top,
                                       rect.right - rect.left, rect.bottom - rect.top, state.window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                                       state.session.resources, nullptr);
        state.controls[i] = control;
        if (layout.icon != nullptr) {
            putButtonImages(state, control, buttonSlot(layout), layout.icon);
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.controlFont.get()), FALSE);
        if (layout.textLimit != 0) {
            SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(layout.textLimit), 0);
        }
    }
}

void createMenus(OptionsWindowState& state) noexcept {
    static_assert(std::tuple_size_v<decltype(state.menus)> == kMenuCount);
    for (Menu& menu : state.menus) {
        menu.reset(CreatePopupMenu());
    }
    for (const TokenCommand& command : kTokenCommands) {
        if (command.menu >= 0) {
            // At a position past the end: appended.
            InsertMenuW(state.menus[static_cast<std::size_t>(command.menu)].get(),
                        static_cast<UINT>(command.id), MF_BYPOSITION | MF_STRING,
                        static_cast<UINT_PTR>(command.id),
                        ansiToWide(command.label, kPluginTextCodePage).c_str());
        }
    }
}

// What the window draws with at one DPI.
struct DpiObjects {
    Font controlFont;
    Font titleFont;
    Font smallFont;
    Bitmap header;
};

DpiObjects dpiObjects(HMODULE resources, UINT dpi) noexcept {
    return {controlFontFor(dpi), createTahoma(scaleForDpi(kTitleFontHeight, dpi)),
            createTahoma(scaleForDpi(kSmallFontHeight, dpi)),
            Bitmap{LoadBitmapW(resources, headerArtFor(dpi))}};
}

// The state takes them; the ones it held before are released.
void takeDpiObjects(OptionsWindowState& state, DpiObjects objects) noexcept {
    state.controlFont = std::move(objects.controlFont);
    state.titleFont = std::move(objects.titleFont);
    state.smallFont = std::move(objects.smallFont);
    state.header = std::move(objects.header);
}

// An engraved rule at y (96-DPI units): the soft line over the light one, each one
// pixel at 96 DPI, scaled.
void drawRule(HDC dc, const OptionsWindowState& state, int y) noexcept {
    const int thickness = scaleForDpi(1, state.dpi);
    const int top = scaleForDpi(y, state.dpi);
    const int right = scaleForDpi(kOuterWidth, state.dpi);
    for (auto [pen, from] :
         {std::pair{state.softPen.get(), top}, std::pair{state.lightPen.get(), top + thickness}}) {
        SelectedObject selection{dc, pen};
        for (int line = from; line < from + thickness; ++line) {
            MoveToEx(dc, 0, line, nullptr);
            LineTo(dc, right, line);
        }
    }
}

void drawText(HDC dc, HFONT font, COLORREF colour, POINT at, std::wstring_view text) noexcept {
    SelectedObject selection{dc, font};
    SetTextColor(dc, colour);
    TextOutW(dc, at.x, at.y, text.data(), static_cast<int>(text.size()));
}

void paint(HDC dc, const OptionsWindowState& state) noexcept {
    // Painted on the outer width; what lies beyond the client area is clipped.
    const UINT dpi = state.dpi;
    const auto at = [dpi](int value) { return scaleForDpi(value, dpi); };
    PatBlt(dc, 0, 0, at(kOuterWidth), at(kHeaderHeight), WHITENESS);
    drawRule(dc, state, kHeaderHeight);
    drawRule(dc, state, kFooterRule);
    DrawBitmapRightAligned(dc, at(kOuterWidth), 0, state.header.get(), at(kHeaderArtWidth),
                           at(kHeaderHeight), at(kHeaderArtMargin));
    SetBkMode(dc, TRANSPARENT);
    drawText(dc, state.titleFont.get(), RGB(128, 128, 128), {at(kTitleAt.x), at(kTitleAt.y)},
             state.title);
    drawText(dc, state.smallFont.get(), GetSysColor(COLOR_WINDOWTEXT),
             {at(kVersionLineAt.x), at(kVersionLineAt.y)}, state.versionLine);
}

// Builds the whole window for a request of CreateOptionsWindow: its state (kept with the
// window from here on), drawing objects, hot keys, controls and menus, all at the window's
// own DPI. -1, so that there is no window, when its state cannot be made.
LRESULT onCreate(HWND window, const CREATESTRUCTW& create) noexcept {
    const auto* request = static_cast<const CreationRequest*>(create.lpCreateParams);
    if (request == nullptr || request != requestInFlight) {
        return 0;  // not one of ours
    }
    StateOwner owner;
    try {
        owner = std::make_unique<OptionsWindowState>(window, request->session);
        owner->title = ansiToWide(kTitle, kPluginTextCodePage);
        owner->versionLine = ansiToWide(kVersionLine, kPluginTextCodePage);
    } catch (...) {
        return -1;  // out of memory
    }
    OptionsWindowState& state = *owner;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner.release()));
    state.session.openWindow = window;

    // A per-monitor host may place it on a screen of another DPI than the primary one.
    state.dpi = windowDpi(window);
    takeDpiObjects(state, dpiObjects(state.session.resources, state.dpi));
    state.softPen.reset(CreatePen(
        PS_SOLID, 1, BlendColors(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), 70)));
    state.lightPen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOW)));
    registerHotKeys(state);
    createControls(state);
    createMenus(state);
    if (state.dpi != request->sizedFor) {
        SetWindowPos(window, nullptr, 0, 0, scaleForDpi(kOuterWidth, state.dpi),
                     scaleForDpi(kOuterHeight, state.dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
    return 0;
}

void onPaint(const OptionsWindowState& state) noexcept {
    PaintScope painting{state.window};
    paint(painting.dc(), state);
}

// Lays the window out again at a new DPI. Fonts, the header and the button images for
// it are made and given to the controls before the old ones are released.
void onDpiChanged(OptionsWindowState& state, UINT dpi, const RECT* suggested) noexcept {
    if (dpi == 0) {
        return;
    }
    state.dpi = dpi;
    DpiObjects objects = dpiObjects(state.session.resources, dpi);
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kControlLayouts[i];
        HWND control = state.controls[i];
        const RECT rect = controlRect(layout, dpi);
        SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(objects.controlFont.get()),
                     FALSE);
        if (layout.icon != nullptr) {
            putButtonImages(state, control, buttonSlot(layout), layout.icon);
        }
    }
    takeDpiObjects(state, std::move(objects));
    if (suggested != nullptr) {
        SetWindowPos(state.window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(state.window, nullptr, 0, 0, scaleForDpi(kOuterWidth, dpi),
                     scaleForDpi(kOuterHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
    RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Ends the life of the window's state, and with it of everything the window held; the
// session's message loop ends with the quit message.
void onDestroy(HWND window) noexcept {
    const StateOwner state{stateOf(window)};
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (state->session.openWindow == window) {
        state->session.openWindow = nullptr;
    }
    PostQuitMessage(0);
}

}  // namespace

OptionsWindowState::~OptionsWindowState() {
    unregisterHotKeys(*this);
}

HWND OptionsWindowState::control(int id) const noexcept {
    for (HWND control : controls) {
        if (control != nullptr && GetDlgCtrlID(control) == id) {
            return control;
        }
    }
    return nullptr;
}

OptionsWindowState* optionsWindowState(HWND window) noexcept {
    const auto procedure = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    return window != nullptr && procedure == &OptionsWindowProc ? stateOf(window) : nullptr;
}

const OptionsWindowState* openOptionsWindow(const OptionsSession& session) noexcept {
    return session.openWindow != nullptr ? stateOf(session.openWindow) : nullptr;
}

bool RegisterOptionsWindowClass() noexcept {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = OptionsWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = nullptr;  // a process-wide class, as hosts expect it
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    // Unicode, so that the caption and every label read right in any code page.
    return RegisterClassW(&windowClass) != 0;
}

void unregisterOptionsWindowClass() noexcept {
    // Registered without a module instance, the class counts as the process's own.
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

bool CreateOptionsWindow(HWND owner, OptionsSession& session) noexcept {
    if (session.openWindow != nullptr) {
        return false;  // one window at a time: sessions do not nest
    }
    const UINT dpi = screenDpi();  // WM_CREATE lays it out again if its own DPI differs
    const POINT position = windowPosition(dpi);
    const ActivationContext context = commonControlsContext(session.resources);
    const ActivationScope activation{context.get()};
    CreationRequest request{session, dpi};
    requestInFlight = &request;
    HWND window = CreateWindowExW(0, kClassName, ansiToWide(kCaption, kPluginTextCodePage).c_str(),
                                  WS_CAPTION | WS_SYSMENU, position.x, position.y,
                                  scaleForDpi(kOuterWidth, dpi), scaleForDpi(kOuterHeight, dpi),
                                  owner, nullptr, nullptr, &request);
    requestInFlight = nullptr;
    if (window != nullptr && stateOf(window) == nullptr) {
        DestroyWindow(window);  // the class's procedure is not this one: no window of ours
        return false;
    }
    return window != nullptr;
}

LRESULT CALLBACK OptionsWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    if (message == WM_CREATE) {
        const LRESULT result = onCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return result != 0 ? result : DefWindowProcW(window, message, wParam, lParam);
    }
    OptionsWindowState* state = stateOf(window);
    if (state == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);  // not built: a plain window
    }
    switch (message) {
        case WM_PAINT:
            onPaint(*state);
            break;
        case WM_SETFOCUS:
            onSetFocus(*state);
            break;
        case WM_ACTIVATEAPP:
            onActivateApp(*state, wParam != 0);
            break;
        case WM_HOTKEY:
            onHotKey(*state, lParam);
            break;
        case WM_COMMAND:
            if (const std::optional<LRESULT> result = onCommand(*state, wParam, lParam)) {
                return *result;  // OK or Cancel: the window is gone
            }
            break;
        case WM_DPICHANGED:
            onDpiChanged(*state, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            onDestroy(window);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace nm
