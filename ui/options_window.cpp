#include "ui/options_window.hpp"

#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>

#include "ui/drawing.hpp"
#include "ui/options_input.hpp"
#include "ui/options_window_state.hpp"
#include "ui/token_commands.hpp"
#include "ui/window_text.hpp"

namespace nm {

namespace {

constexpr wchar_t kClassName[] = L"TKalvurenWindow";
constexpr char kCaption[] = "Опции преобразования";
constexpr std::string_view kTitle = "Имя по маске";
constexpr std::string_view kVersionLine = "Версия 1.0.02";

constexpr int kOuterWidth = 259;
constexpr int kOuterHeight = 332;
constexpr int kManifestResource = 2;  // the id Windows gives a DLL's own manifest

struct ControlLayout {
    const wchar_t* className;
    const char* text;  // Windows-1251
    int id;
    DWORD style;  // besides WS_CHILD and WS_VISIBLE
    DWORD exStyle;
    int x, y, width, height;
    int textLimit;     // 0: none
    const char* icon;  // shown on the button, or null
};

constexpr DWORD kMaskEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kNumberEdit = WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;
// In UTF-16 units: no more than the bytes a mask field holds in any code page; the
// field's own check keeps the exact byte count.
constexpr int kMaskLimit = static_cast<int>(kMaskBytes);

// Creation order is tab order.
constexpr ControlLayout kControls[] = {
    {L"button", "Параметры счетчика", 0, BS_GROUPBOX | BS_LEFT | WS_GROUP, 0, 8, 169, 237, 80, 0,
     nullptr},
    {L"button", "OK", kIdOk, BS_PUSHBUTTON, 0, 75, 270, 81, 27, 0, "BTNOK"},
    {L"button", "Отмена", kIdCancel, BS_PUSHBUTTON, 0, 162, 270, 81, 27, 0, "BTNCANCEL"},
    {L"static", "Маска имени", 0, SS_LEFT, 0, 8, 64, 161, 13, 0, nullptr},
    {L"edit", "", kIdNameMask, kMaskEdit, WS_EX_CLIENTEDGE, 8, 80, 161, 21, kMaskLimit, nullptr},
    {L"static", "расширение", 0, SS_LEFT, 0, 175, 64, 70, 13, 0, nullptr},
    {L"edit", "", kIdExtMask, kMaskEdit, WS_EX_CLIENTEDGE, 175, 80, 70, 21, kMaskLimit, nullptr},
    {L"button", tokenCommand(3).label, 3, BS_PUSHBUTTON, 0, 8, 107, 73, 25, 0, nullptr},
    {L"button", tokenCommand(4).label, 4, BS_PUSHBUTTON, 0, 89, 107, 75, 25, 0, nullptr},
    {L"button", tokenCommand(5).label, 5, BS_PUSHBUTTON, 0, 170, 107, 75, 25, 0, nullptr},
    {L"button", "Дата..", kIdDateMenu, BS_PUSHBUTTON, 0, 8, 138, 73, 25, 0, nullptr},
    {L"button", "Время..", kIdTimeMenu, BS_PUSHBUTTON, 0, 89, 138, 75, 25, 0, nullptr},
    {L"button", "Другое..", kIdOtherMenu, BS_PUSHBUTTON, 0, 170, 138, 75, 25, 0, nullptr},
    {L"static", "Начать с:", 0, SS_LEFT, 0, 16, 193, 67, 13, 0, nullptr},
    {L"edit", "1", kIdStart, kNumberEdit, WS_EX_CLIENTEDGE, 16, 206, 67, 21, 9, nullptr},
    {L"static", "Шаг:", 0, SS_LEFT, 0, 92, 193, 67, 13, 0, nullptr},
    {L"edit", "1", kIdStep, kNumberEdit, WS_EX_CLIENTEDGE, 92, 206, 67, 21, 9, nullptr},
    {L"static", "Цифр:", 0, SS_LEFT, 0, 168, 193, 67, 13, 0, nullptr},
    {L"edit", "1", kIdDigits, kNumberEdit, WS_EX_CLIENTEDGE, 168, 206, 67, 21, 2, nullptr},
};
static_assert(std::size(kControls) == kControlCount, "one layout row per control");

constexpr std::size_t kMenuCount = 3;

using StateOwner = std::unique_ptr<OptionsWindowState>;

HMODULE resourceModule = nullptr;
HWND openWindow = nullptr;       // one window at a time; its state lives with it
StateOwner* creating = nullptr;  // handed to the window by WM_NCCREATE
OptionsSession session;

Font createTahoma(int height) noexcept {
    return Font{CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"Tahoma")};
}

// Centred on the primary screen; nothing keeps a too small screen from a negative place.
POINT windowPosition() noexcept {
    ScreenDc screen{GetDC(nullptr)};
    const int width = GetDeviceCaps(screen.get(), HORZRES);
    const int height = GetDeviceCaps(screen.get(), VERTRES);
    return {width / 2 - kOuterWidth / 2, height / 2 - kOuterHeight / 2};
}

// The common controls 6 of our own manifest: only their buttons take image lists, and
// the host may have no manifest of its own.
ActivationContext commonControlsContext() noexcept {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(resourceModule, path, MAX_PATH);  // a cut path only helps
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path;
    request.hModule = resourceModule;
    request.lpResourceName = MAKEINTRESOURCEW(kManifestResource);
    return ActivationContext{CreateActCtxW(&request)};
}

void putButtonImages(OptionsWindowState& state, HWND button, int slot, const char* icon) noexcept {
    state.buttonIcons[slot].reset(
        static_cast<HICON>(LoadImageA(resourceModule, icon, IMAGE_ICON, 16, 16, 0)));
    SetButtonImages(button, state.buttonIcons[slot].get(), IMAGE_ICON, 16, 16);
    BUTTON_IMAGELIST held{};
    if (SendMessageW(button, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&held)) != 0 &&
        held.himl != nullptr) {
        state.buttonImages[slot].reset(held.himl);
    }
}

void createControls(OptionsWindowState& state) noexcept {
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kControls[i];
        HWND control = CreateWindowExW(
            layout.exStyle, layout.className, fromLabel(layout.text).c_str(),
            WS_CHILD | WS_VISIBLE | layout.style, layout.x, layout.y, layout.width, layout.height,
            state.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), resourceModule,
            nullptr);
        state.controls[i] = control;
        if (layout.icon != nullptr) {
            putButtonImages(state, control, layout.id == kIdOk ? 0 : 1, layout.icon);
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
                        static_cast<UINT_PTR>(command.id), fromLabel(command.label).c_str());
        }
    }
}

OptionsWindowState* stateOf(HWND window) noexcept {
    return reinterpret_cast<OptionsWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void drawRule(HDC dc, HPEN pen, int y) noexcept {
    SelectedObject selection{dc, pen};
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, kOuterWidth, y);
}

void drawText(HDC dc, HFONT font, COLORREF colour, int x, int y, std::wstring_view text) noexcept {
    SelectedObject selection{dc, font};
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void paint(HDC dc, const OptionsWindowState& state) noexcept {
    // Painted on the outer width; what lies beyond the client area is clipped.
    PatBlt(dc, 0, 0, kOuterWidth, 50, WHITENESS);
    drawRule(dc, state.softPen.get(), 50);
    drawRule(dc, state.softPen.get(), 265);
    drawRule(dc, state.lightPen.get(), 51);
    drawRule(dc, state.lightPen.get(), 266);
    DrawBitmapRightAligned(dc, kOuterWidth, 0, state.header.get());
    SetBkMode(dc, TRANSPARENT);
    drawText(dc, state.titleFont.get(), RGB(128, 128, 128), 16, 12, state.title);
    drawText(dc, state.smallFont.get(), GetSysColor(COLOR_WINDOWTEXT), 125, 34, state.versionLine);
}

// Gives the window the state CreateOptionsWindow made for it. A window of our class made
// by anyone else gets none: it has nothing to draw with and answers as a plain window.
void onNcCreate(HWND window, const CREATESTRUCTW& create) noexcept {
    if (creating == nullptr || create.lpCreateParams != creating || !*creating) {
        return;
    }
    OptionsWindowState* state = creating->release();
    state->window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
}

void onCreate(OptionsWindowState& state) noexcept {
    state.title = fromLabel(kTitle);
    state.versionLine = fromLabel(kVersionLine);
    state.titleFont = createTahoma(-19);
    state.smallFont = createTahoma(-8);
    state.softPen.reset(CreatePen(
        PS_SOLID, 1, BlendColors(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), 70)));
    state.lightPen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOW)));
    state.header.reset(LoadBitmapW(resourceModule, L"OPTBG"));
}

void onPaint(HWND window) noexcept {
    PaintScope painting{window};
    if (const OptionsWindowState* state = stateOf(window)) {
        paint(painting.dc(), *state);
    }
}

// Ends the life of the window's state; the window's own objects go with it.
void releaseState(HWND window) noexcept {
    const StateOwner state{stateOf(window)};
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (state && openWindow == window) {
        openWindow = nullptr;
    }
}

void onDestroy(HWND window) noexcept {
    releaseState(window);
    PostQuitMessage(0);  // ends the session's message loop
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

OptionsSession& optionsSession() noexcept {
    return session;
}

const OptionsWindowState* openOptionsWindow() noexcept {
    return openWindow != nullptr ? stateOf(openWindow) : nullptr;
}

void setOptionsWindowModule(HMODULE module) noexcept {
    resourceModule = module;
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

bool CreateOptionsWindow(HWND owner) noexcept {
    if (openWindow != nullptr) {
        return false;  // one window at a time: sessions do not nest
    }
    StateOwner state = std::make_unique<OptionsWindowState>();
    state->controlFont = createTahoma(-11);
    const POINT position = windowPosition();

    const ActivationContext context = commonControlsContext();
    const ActivationScope activation{context.get()};
    creating = &state;
    HWND window = CreateWindowExW(0, kClassName, fromLabel(kCaption).c_str(),
                                  WS_CAPTION | WS_SYSMENU, position.x, position.y, kOuterWidth,
                                  kOuterHeight, owner, nullptr, nullptr, &state);
    creating = nullptr;
    OptionsWindowState* const held = window != nullptr ? stateOf(window) : nullptr;
    if (held == nullptr) {
        if (window != nullptr) {
            DestroyWindow(window);
        }
        return false;
    }
    openWindow = window;
    registerHotKeys(*held);
    createControls(*held);
    createMenus(*held);
    return true;
}

LRESULT CALLBACK OptionsWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    OptionsWindowState* state = stateOf(window);
    switch (message) {
        case WM_NCCREATE:
            onNcCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
            break;
        case WM_CREATE:
            if (state != nullptr) {
                onCreate(*state);
            }
            break;
        case WM_PAINT:
            onPaint(window);
            break;
        case WM_SETFOCUS:
            onSetFocus(window);
            break;
        case WM_ACTIVATEAPP:
            if (state != nullptr) {
                onActivateApp(*state, wParam != 0);
            }
            break;
        case WM_HOTKEY:
            if (state != nullptr) {
                onHotKey(*state, lParam);
            }
            break;
        case WM_COMMAND:
            if (state != nullptr) {
                if (const std::optional<LRESULT> result = onCommand(*state, wParam, lParam)) {
                    return *result;  // OK or Cancel: the window is gone
                }
            }
            break;
        case WM_DESTROY:
            onDestroy(window);
            return 0;
        case WM_NCDESTROY:
            releaseState(window);  // a window whose creation failed sees no WM_DESTROY
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void UnregisterOptionsWindowClass() noexcept {
    // Registered without a module instance, the class counts as the process's own.
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

}  // namespace nm
