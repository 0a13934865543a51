#include "ui/options_window.hpp"

#include <optional>
#include <span>
#include <string_view>

#include "ui/drawing.hpp"
#include "ui/options_input.hpp"
#include "ui/options_window_state.hpp"

namespace nm {

namespace {

constexpr char kClassName[] = "TKalvurenWindow";
constexpr char kCaption[] = "Опции преобразования";
constexpr std::string_view kTitle = "Имя по маске";
constexpr std::string_view kVersionLine = "Версия 1.0.02";

constexpr int kOuterWidth = 259;
constexpr int kOuterHeight = 332;
constexpr int kManifestResource = 2;  // the id Windows gives a DLL's own manifest

struct ControlLayout {
    const char* className;
    const char* text;
    int id;
    DWORD style;  // besides WS_CHILD and WS_VISIBLE
    DWORD exStyle;
    int x, y, width, height;
    int textLimit;     // 0: none
    const char* icon;  // shown on the button, or null
};

constexpr DWORD kMaskEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kNumberEdit = WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;

// Creation order is tab order.
constexpr ControlLayout kControls[kControlCount] = {
    {"button", "Параметры счетчика", 0, BS_GROUPBOX | BS_LEFT | WS_GROUP, 0, 8, 169, 237, 80, 0,
     nullptr},
    {"button", "OK", kIdOk, BS_PUSHBUTTON, 0, 75, 270, 81, 27, 0, "BTNOK"},
    {"button", "Отмена", kIdCancel, BS_PUSHBUTTON, 0, 162, 270, 81, 27, 0, "BTNCANCEL"},
    {"static", "Маска имени", 0, SS_LEFT, 0, 8, 64, 161, 13, 0, nullptr},
    {"edit", "", kIdNameMask, kMaskEdit, WS_EX_CLIENTEDGE, 8, 80, 161, 21, 0, nullptr},
    {"static", "расширение", 0, SS_LEFT, 0, 175, 64, 70, 13, 0, nullptr},
    {"edit", "", kIdExtMask, kMaskEdit, WS_EX_CLIENTEDGE, 175, 80, 70, 21, 0, nullptr},
    {"button", "[N] Имя", 3, BS_PUSHBUTTON, 0, 8, 107, 73, 25, 0, nullptr},
    {"button", "[E] Тип", 4, BS_PUSHBUTTON, 0, 89, 107, 75, 25, 0, nullptr},
    {"button", "[C] Счетчик", 5, BS_PUSHBUTTON, 0, 170, 107, 75, 25, 0, nullptr},
    {"button", "Дата..", kIdDateMenu, BS_PUSHBUTTON, 0, 8, 138, 73, 25, 0, nullptr},
    {"button", "Время..", kIdTimeMenu, BS_PUSHBUTTON, 0, 89, 138, 75, 25, 0, nullptr},
    {"button", "Другое..", kIdOtherMenu, BS_PUSHBUTTON, 0, 170, 138, 75, 25, 0, nullptr},
    {"static", "Начать с:", 0, SS_LEFT, 0, 16, 193, 67, 13, 0, nullptr},
    {"edit", "1", kIdStart, kNumberEdit, WS_EX_CLIENTEDGE, 16, 206, 67, 21, 9, nullptr},
    {"static", "Шаг:", 0, SS_LEFT, 0, 92, 193, 67, 13, 0, nullptr},
    {"edit", "1", kIdStep, kNumberEdit, WS_EX_CLIENTEDGE, 92, 206, 67, 21, 9, nullptr},
    {"static", "Цифр:", 0, SS_LEFT, 0, 168, 193, 67, 13, 0, nullptr},
    {"edit", "1", kIdDigits, kNumberEdit, WS_EX_CLIENTEDGE, 168, 206, 67, 21, 2, nullptr},
};

struct MenuItem {
    int id;
    const char* text;
};
constexpr MenuItem kDateItems[] = {{6, "[d] Дата"},
                                   {7, "[Y] Год. 4 цифры"},
                                   {8, "[y] Год. 2 цифры"},
                                   {9, "[M] Месяц. 2 цифры"},
                                   {10, "[D] День. 2 цифры"}};
constexpr MenuItem kTimeItems[] = {
    {11, "[t] Время"}, {12, "[h] Часы"}, {13, "[m] Минуты"}, {14, "[s] Секунды"}};
constexpr MenuItem kOtherItems[] = {
    {15, "[P] Родительский каталог"}, {16, "[[] Скобка ["}, {17, "[]] Скобка ]"}};
constexpr std::span<const MenuItem> kMenus[] = {kDateItems, kTimeItems, kOtherItems};

HMODULE resourceModule = nullptr;
std::optional<OptionsWindowState> current;  // engaged from creation to WM_DESTROY
OptionsSession session;

Font createTahoma(int height) noexcept {
    return Font{CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, "Tahoma")};
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
    char path[MAX_PATH] = {};
    GetModuleFileNameA(resourceModule, path, MAX_PATH);  // a short path only helps
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path;
    request.hModule = resourceModule;
    request.lpResourceName = MAKEINTRESOURCEA(kManifestResource);
    return ActivationContext{CreateActCtxA(&request)};
}

void putButtonImages(OptionsWindowState& state, HWND button, int slot, const char* icon) noexcept {
    state.buttonIcons[slot].reset(
        static_cast<HICON>(LoadImageA(resourceModule, icon, IMAGE_ICON, 16, 16, 0)));
    SetButtonImages(button, state.buttonIcons[slot].get(), IMAGE_ICON, 16, 16);
    BUTTON_IMAGELIST held{};
    if (SendMessageA(button, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&held)) != 0 &&
        held.himl != nullptr) {
        state.buttonImages[slot].reset(held.himl);
    }
}

void createControls(OptionsWindowState& state) noexcept {
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kControls[i];
        HWND control = CreateWindowExA(
            layout.exStyle, layout.className, layout.text, WS_CHILD | WS_VISIBLE | layout.style,
            layout.x, layout.y, layout.width, layout.height, state.window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), resourceModule, nullptr);
        state.controls[i] = control;
        if (layout.icon != nullptr) {
            putButtonImages(state, control, layout.id == kIdOk ? 0 : 1, layout.icon);
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.controlFont.get()), FALSE);
        if (layout.textLimit != 0) {
            SendMessageA(control, EM_LIMITTEXT, layout.textLimit, 0);
        }
    }
}

void createMenus(OptionsWindowState& state) noexcept {
    for (std::size_t m = 0; m < state.menus.size(); ++m) {
        state.menus[m].reset(CreatePopupMenu());
        for (const MenuItem& item : kMenus[m]) {
            // At a position past the end: appended.
            InsertMenuA(state.menus[m].get(), item.id, MF_BYPOSITION | MF_STRING, item.id,
                        item.text);
        }
    }
}

OptionsWindowState* stateOf(HWND window) noexcept {
    return current && current->window == window ? &*current : nullptr;
}

void drawRule(HDC dc, HPEN pen, int y) noexcept {
    SelectedObject selection{dc, pen};
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, kOuterWidth, y);
}

void drawText(HDC dc, HFONT font, COLORREF colour, int x, int y, std::string_view text) noexcept {
    SelectedObject selection{dc, font};
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
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
    drawText(dc, state.titleFont.get(), RGB(128, 128, 128), 16, 12, kTitle);
    drawText(dc, state.smallFont.get(), GetSysColor(COLOR_WINDOWTEXT), 125, 34, kVersionLine);
}

void onCreate(HWND window) noexcept {
    if (!current || current->window != nullptr) {
        return;  // not made by CreateOptionsWindow: it has nothing to draw with
    }
    OptionsWindowState& state = *current;
    state.window = window;
    state.titleFont = createTahoma(-19);
    state.smallFont = createTahoma(-8);
    state.softPen.reset(CreatePen(
        PS_SOLID, 1, BlendColors(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), 70)));
    state.lightPen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOW)));
    state.header.reset(LoadBitmapA(resourceModule, "OPTBG"));
}

void onPaint(HWND window) noexcept {
    PaintScope painting{window};
    if (const OptionsWindowState* state = stateOf(window)) {
        paint(painting.dc(), *state);
    }
}

void onDestroy(HWND window) noexcept {
    if (stateOf(window) != nullptr) {
        current.reset();
    }
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
    return current && current->window != nullptr ? &*current : nullptr;
}

void setOptionsWindowModule(HMODULE module) noexcept {
    resourceModule = module;
}

bool RegisterOptionsWindowClass() noexcept {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = OptionsWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = nullptr;  // a process-wide class, as hosts expect it
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}

bool CreateOptionsWindow(HWND owner) noexcept {
    if (current) {
        return false;  // one window at a time: its objects must not be replaced under it
    }
    current.emplace();
    current->controlFont = createTahoma(-11);
    const POINT position = windowPosition();

    const ActivationContext context = commonControlsContext();
    const ActivationScope activation{context.get()};
    HWND window =
        CreateWindowExA(0, kClassName, kCaption, WS_CAPTION | WS_SYSMENU, position.x, position.y,
                        kOuterWidth, kOuterHeight, owner, nullptr, nullptr, nullptr);
    if (window == nullptr) {
        current.reset();
        return false;
    }
    registerHotKeys(*current);
    createControls(*current);
    createMenus(*current);
    return true;
}

LRESULT CALLBACK OptionsWindowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    OptionsWindowState* state = stateOf(window);
    switch (message) {
        case WM_CREATE:
            onCreate(window);
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
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void UnregisterOptionsWindowClass() noexcept {
    // Registered without a module instance, the class counts as the process's own.
    UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
}

}  // namespace nm
