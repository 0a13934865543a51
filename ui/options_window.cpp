#include "ui/options_window.hpp"

#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "plugin/mask_field.hpp"
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

// The layout in pixels at 96 DPI; every other DPI scales it.
constexpr int kOuterWidth = 259;
constexpr int kOuterHeight = 332;
constexpr int kHeaderHeight = 50;
constexpr int kFooterRule = 265;
constexpr int kHeaderArtWidth = 100;
constexpr int kHeaderArtMargin = 6;  // between the header art and the right edge
constexpr int kIconSize = 16;
constexpr int kIconMargin = 10;
constexpr int kControlFontHeight = -11;
constexpr int kLabelHeight = 13;  // the labels' height: one line of the control font
constexpr int kTitleFontHeight = -19;
constexpr int kSmallFontHeight = -8;
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
// In UTF-16 units: no more than the bytes of text a mask field takes in any code page;
// the field's own check keeps the exact byte count.
constexpr int kMaskLimit = static_cast<int>(kMaskTextLimit);

// Creation order is tab order.
constexpr ControlLayout kControls[] = {
    {L"button", "Параметры счетчика", 0, BS_GROUPBOX | BS_LEFT | WS_GROUP, 0, 8, 169, 237, 80, 0,
     nullptr},
    {L"button", "OK", kIdOk, BS_PUSHBUTTON, 0, 75, 270, 81, 27, 0, "BTNOK"},
    {L"button", "Отмена", kIdCancel, BS_PUSHBUTTON, 0, 162, 270, 81, 27, 0, "BTNCANCEL"},
    {L"static", "Маска имени", 0, SS_LEFT, 0, 8, 64, 161, kLabelHeight, 0, nullptr},
    {L"edit", "", kIdNameMask, kMaskEdit, WS_EX_CLIENTEDGE, 8, 80, 161, 21, kMaskLimit, nullptr},
    {L"static", "расширение", 0, SS_LEFT, 0, 175, 64, 70, kLabelHeight, 0, nullptr},
    {L"edit", "", kIdExtMask, kMaskEdit, WS_EX_CLIENTEDGE, 175, 80, 70, 21, kMaskLimit, nullptr},
    {L"button", tokenCommand(3).label, 3, BS_PUSHBUTTON, 0, 8, 107, 73, 25, 0, nullptr},
    {L"button", tokenCommand(4).label, 4, BS_PUSHBUTTON, 0, 89, 107, 75, 25, 0, nullptr},
    {L"button", tokenCommand(5).label, 5, BS_PUSHBUTTON, 0, 170, 107, 75, 25, 0, nullptr},
    {L"button", "Дата..", kIdDateMenu, BS_PUSHBUTTON, 0, 8, 138, 73, 25, 0, nullptr},
    {L"button", "Время..", kIdTimeMenu, BS_PUSHBUTTON, 0, 89, 138, 75, 25, 0, nullptr},
    {L"button", "Другое..", kIdOtherMenu, BS_PUSHBUTTON, 0, 170, 138, 75, 25, 0, nullptr},
    {L"static", "Начать с:", 0, SS_LEFT, 0, 16, 193, 67, kLabelHeight, 0, nullptr},
    {L"edit", "1", kIdStart, kNumberEdit, WS_EX_CLIENTEDGE, 16, 206, 67, 21, 9, nullptr},
    {L"static", "Шаг:", 0, SS_LEFT, 0, 92, 193, 67, kLabelHeight, 0, nullptr},
    {L"edit", "1", kIdStep, kNumberEdit, WS_EX_CLIENTEDGE, 92, 206, 67, 21, 9, nullptr},
    {L"static", "Цифр:", 0, SS_LEFT, 0, 168, 193, 67, kLabelHeight, 0, nullptr},
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

// The controls' font at a DPI. Tahoma's line is 1.21 times its size, so at some DPIs the
// scaled size's line is a pixel taller than the scaled label and would lose the bottom of
// "р" and "у": there it is made one size smaller. At the layout's own DPI it is as drawn.
Font controlFontFor(UINT dpi) noexcept {
    int height = ScaleForDpi(kControlFontHeight, dpi);  // negative: the characters' height
    Font font = createTahoma(height);
    if (dpi == kLayoutDpi) {
        return font;
    }
    const int limit = ScaleForDpi(kLabelHeight, dpi);
    ScreenDc screen{GetDC(nullptr)};
    const auto lineHeight = [&screen](HFONT candidate) {
        TEXTMETRICW metrics{};
        const SelectedObject selection{screen.get(), candidate};
        return GetTextMetricsW(screen.get(), &metrics) != FALSE ? metrics.tmHeight : 0;
    };
    while (height < -1 && lineHeight(font.get()) > limit) {
        font = createTahoma(++height);
    }
    return font;
}

// The screen's DPI: what the window is made at before it has a DPI of its own.
UINT screenDpi() noexcept {
    ScreenDc screen{GetDC(nullptr)};
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

// The window's own DPI where the system has one per window (Windows 10 1607 and later;
// looked up at run time, so the plug-in imports nothing newer), else the screen's. A host
// that is not DPI-aware gets 96 here and the system stretches the window.
UINT windowDpi(HWND window) noexcept {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : screenDpi();
}

// Centred on the primary screen; nothing keeps a too small screen from a negative place.
POINT windowPosition(UINT dpi) noexcept {
    ScreenDc screen{GetDC(nullptr)};
    const int width = GetDeviceCaps(screen.get(), HORZRES);
    const int height = GetDeviceCaps(screen.get(), VERTRES);
    return {width / 2 - ScaleForDpi(kOuterWidth, dpi) / 2,
            height / 2 - ScaleForDpi(kOuterHeight, dpi) / 2};
}

// The header bitmap drawn for this DPI, else the nearest one drawn larger (scaled down
// when painted: sharper than one scaled up), else the largest.
Bitmap loadHeader(UINT dpi) noexcept {
    struct Art {
        UINT dpi;
        const wchar_t* name;
    };
    constexpr Art kArt[] = {
        {96, L"OPTBG"}, {120, L"OPTBG120"}, {144, L"OPTBG144"}, {192, L"OPTBG192"}};
    const Art* chosen = &kArt[std::size(kArt) - 1];
    for (const Art& art : kArt) {
        if (art.dpi >= dpi) {
            chosen = &art;
            break;
        }
    }
    return Bitmap{LoadBitmapW(resourceModule, chosen->name)};
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

// The icon at the size of the DPI (the icon files hold 16, 20, 24 and 32 pixels). The
// button takes the new images before the old ones are released.
void putButtonImages(OptionsWindowState& state, HWND button, std::size_t slot,
                     const char* icon) noexcept {
    const int size = ScaleForDpi(kIconSize, state.dpi);
    Icon image{static_cast<HICON>(LoadImageA(resourceModule, icon, IMAGE_ICON, size, size, 0))};
    SetButtonImages(button, image.get(), IMAGE_ICON, size, size,
                    ScaleForDpi(kIconMargin, state.dpi));
    state.buttonIcons[slot] = std::move(image);
    BUTTON_IMAGELIST held{};
    if (SendMessageW(button, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&held)) != 0 &&
        held.himl != nullptr && held.himl != state.buttonImages[slot].get()) {
        state.buttonImages[slot].reset(held.himl);
    }
}

RECT scaledRect(const ControlLayout& layout, UINT dpi) noexcept {
    const int x = ScaleForDpi(layout.x, dpi);
    const int y = ScaleForDpi(layout.y, dpi);
    return {x, y, x + ScaleForDpi(layout.width, dpi), y + ScaleForDpi(layout.height, dpi)};
}

void createControls(OptionsWindowState& state) noexcept {
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kControls[i];
        const RECT rect = scaledRect(layout, state.dpi);
        HWND control = CreateWindowExW(
            layout.exStyle, layout.className, fromLabel(layout.text).c_str(),
            WS_CHILD | WS_VISIBLE | layout.style, rect.left, rect.top, rect.right - rect.left,
            rect.bottom - rect.top, state.window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), resourceModule, nullptr);
        state.controls[i] = control;
        if (layout.icon != nullptr) {
            putButtonImages(state, control, layout.id == kIdOk ? 0u : 1u, layout.icon);
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

// An engraved rule at y (96-DPI units): the soft line over the light one, each one
// pixel at 96 DPI, scaled.
void drawRule(HDC dc, const OptionsWindowState& state, int y) noexcept {
    const int thickness = ScaleForDpi(1, state.dpi);
    const int top = ScaleForDpi(y, state.dpi);
    const int right = ScaleForDpi(kOuterWidth, state.dpi);
    for (auto [pen, from] :
         {std::pair{state.softPen.get(), top}, std::pair{state.lightPen.get(), top + thickness}}) {
        SelectedObject selection{dc, pen};
        for (int line = from; line < from + thickness; ++line) {
            MoveToEx(dc, 0, line, nullptr);
            LineTo(dc, right, line);
        }
    }
}

void drawText(HDC dc, HFONT font, COLORREF colour, int x, int y, std::wstring_view text) noexcept {
    SelectedObject selection{dc, font};
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, text.data(), static_cast<int>(text.size()));
}

void paint(HDC dc, const OptionsWindowState& state) noexcept {
    // Painted on the outer width; what lies beyond the client area is clipped.
    const UINT dpi = state.dpi;
    const auto at = [dpi](int value) { return ScaleForDpi(value, dpi); };
    PatBlt(dc, 0, 0, at(kOuterWidth), at(kHeaderHeight), WHITENESS);
    drawRule(dc, state, kHeaderHeight);
    drawRule(dc, state, kFooterRule);
    DrawBitmapRightAligned(dc, at(kOuterWidth), 0, state.header.get(), at(kHeaderArtWidth),
                           at(kHeaderHeight), at(kHeaderArtMargin));
    SetBkMode(dc, TRANSPARENT);
    drawText(dc, state.titleFont.get(), RGB(128, 128, 128), at(16), at(12), state.title);
    drawText(dc, state.smallFont.get(), GetSysColor(COLOR_WINDOWTEXT), at(125), at(34),
             state.versionLine);
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

// What the window draws with at one DPI.
struct DpiObjects {
    Font controlFont;
    Font titleFont;
    Font smallFont;
    Bitmap header;
};

DpiObjects dpiObjects(UINT dpi) noexcept {
    return {controlFontFor(dpi), createTahoma(ScaleForDpi(kTitleFontHeight, dpi)),
            createTahoma(ScaleForDpi(kSmallFontHeight, dpi)), loadHeader(dpi)};
}

// The state takes them; the ones it held before are released.
void takeDpiObjects(OptionsWindowState& state, DpiObjects objects) noexcept {
    state.controlFont = std::move(objects.controlFont);
    state.titleFont = std::move(objects.titleFont);
    state.smallFont = std::move(objects.smallFont);
    state.header = std::move(objects.header);
}

void onCreate(OptionsWindowState& state) noexcept {
    state.title = fromLabel(kTitle);
    state.versionLine = fromLabel(kVersionLine);
    takeDpiObjects(state, dpiObjects(state.dpi));
    state.softPen.reset(CreatePen(
        PS_SOLID, 1, BlendColors(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), 70)));
    state.lightPen.reset(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOW)));
}

// Lays the window out again at a new DPI. Fonts, the header and the button images for
// it are made and given to the controls before the old ones are released.
void applyDpi(OptionsWindowState& state, UINT dpi, const RECT* suggested) noexcept {
    if (dpi == 0) {
        return;
    }
    state.dpi = dpi;
    DpiObjects objects = dpiObjects(dpi);
    for (std::size_t i = 0; i < kControlCount; ++i) {
        const ControlLayout& layout = kControls[i];
        HWND control = state.controls[i];
        const RECT rect = scaledRect(layout, dpi);
        SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(objects.controlFont.get()),
                     FALSE);
        if (layout.icon != nullptr) {
            putButtonImages(state, control, layout.id == kIdOk ? 0u : 1u, layout.icon);
        }
    }
    takeDpiObjects(state, std::move(objects));
    if (suggested != nullptr) {
        SetWindowPos(state.window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(state.window, nullptr, 0, 0, ScaleForDpi(kOuterWidth, dpi),
                     ScaleForDpi(kOuterHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
    RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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
    state->dpi = screenDpi();  // the fonts and the header for it come with WM_CREATE
    const POINT position = windowPosition(state->dpi);

    const ActivationContext context = commonControlsContext();
    const ActivationScope activation{context.get()};
    creating = &state;
    HWND window =
        CreateWindowExW(0, kClassName, fromLabel(kCaption).c_str(), WS_CAPTION | WS_SYSMENU,
                        position.x, position.y, ScaleForDpi(kOuterWidth, state->dpi),
                        ScaleForDpi(kOuterHeight, state->dpi), owner, nullptr, nullptr, &state);
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
    // A per-monitor host may place it on a screen of another DPI than the primary one.
    if (const UINT own = windowDpi(window); own != held->dpi) {
        applyDpi(*held, own, nullptr);
    }
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
        case WM_DPICHANGED:
            if (state != nullptr) {
                applyDpi(*state, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
                return 0;
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
