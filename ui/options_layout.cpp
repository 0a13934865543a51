#include "ui/options_layout.hpp"

#include <iterator>

#include "ui/token_commands.hpp"

namespace nm {

namespace {

constexpr int kControlFontHeight = -11;
constexpr int kLabelHeight = 13;  // the labels' height: one line of the control font

constexpr DWORD kMaskEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kNumberEdit = WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT;
// In UTF-16 units: no more than the bytes of text a mask field takes in any code page;
// the field's own check keeps the exact byte count.
constexpr int kMaskLimit = static_cast<int>(kMaskTextLimit);

}  // namespace

const std::array<ControlLayout, kControlCount> kControlLayouts = {{
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
}};

RECT controlRect(const ControlLayout& layout, UINT dpi) noexcept {
    const int x = scaleForDpi(layout.x, dpi);
    const int y = scaleForDpi(layout.y, dpi);
    return {x, y, x + scaleForDpi(layout.width, dpi), y + scaleForDpi(layout.height, dpi)};
}

UINT screenDpi() noexcept {
    ScreenDc screen{GetDC(nullptr)};
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kLayoutDpi;
}

UINT windowDpi(HWND window) noexcept {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : screenDpi();
}

POINT windowPosition(UINT dpi) noexcept {
    ScreenDc screen{GetDC(nullptr)};
    const int width = GetDeviceCaps(screen.get(), HORZRES);
    const int height = GetDeviceCaps(screen.get(), VERTRES);
    return {width / 2 - scaleForDpi(kOuterWidth, dpi) / 2,
            height / 2 - scaleForDpi(kOuterHeight, dpi) / 2};
}

Font createTahoma(int height) noexcept {
    return Font{CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"Tahoma")};
}

// Tahoma's line is 1.21 times its size, so at some DPIs the scaled size's line is a pixel
// taller than the scaled label and would lose the bottom of "р" and "у": there it is made
// one size smaller. At the layout's own DPI it is as drawn.
Font controlFontFor(UINT dpi) noexcept {
    int height = scaleForDpi(kControlFontHeight, dpi);  // negative: the characters' height
    Font font = createTahoma(height);
    if (dpi == kLayoutDpi) {
        return font;
    }
    const int limit = scaleForDpi(kLabelHeight, dpi);
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

const wchar_t* headerArtFor(UINT dpi) noexcept {
    struct Art {
        UINT dpi;
        const wchar_t* name;
    };
    constexpr Art kArt[] = {
        {96, L"OPTBG"}, {120, L"OPTBG120"}, {144, L"OPTBG144"}, {192, L"OPTBG192"}};
    for (const Art& art : kArt) {
        if (art.dpi >= dpi) {
            return art.name;
        }
    }
    return kArt[std::size(kArt) - 1].name;
}

}  // namespace nm
