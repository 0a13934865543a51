#include "ui/drawing.hpp"

#include <commctrl.h>

#include <cmath>

#include "ui/win32_handles.hpp"

namespace nm {

namespace {

BYTE blendChannel(BYTE from, BYTE to, long double fraction) noexcept {
    const long double value = from + (static_cast<long double>(to) - from) * fraction;
    return static_cast<BYTE>(std::llrint(value) & 0xFF);  // the default rounding: halves to even
}

}  // namespace

COLORREF BlendColors(COLORREF from, COLORREF to, BYTE percent) noexcept {
    const long double fraction = static_cast<long double>(percent > 100 ? 100 : percent) / 100;
    return RGB(blendChannel(GetRValue(from), GetRValue(to), fraction),
               blendChannel(GetGValue(from), GetGValue(to), fraction),
               blendChannel(GetBValue(from), GetBValue(to), fraction));
}

void DrawBitmapRightAligned(HDC dc, int right, int top, HBITMAP bitmap, int width, int height,
                            int margin) noexcept {
    MemoryDc memory{CreateCompatibleDC(dc)};
    if (!memory) {
        return;
    }
    SelectedObject selection{memory.get(), bitmap};
    if (!selection) {
        return;
    }
    SetMapMode(memory.get(), GetMapMode(dc));
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    POINT size{info.bmWidth, info.bmHeight};
    DPtoLP(dc, &size, 1);
    POINT origin{0, 0};
    DPtoLP(memory.get(), &origin, 1);
    if ((width == 0 || width == info.bmWidth) && (height == 0 || height == info.bmHeight)) {
        BitBlt(dc, right - info.bmWidth - margin, top, size.x, size.y, memory.get(), origin.x,
               origin.y, SRCCOPY);
        return;
    }
    // No art drawn for this size: the nearest larger one, scaled down.
    const int previousMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);  // as HALFTONE needs
    StretchBlt(dc, right - width - margin, top, width, height, memory.get(), origin.x, origin.y,
               size.x, size.y, SRCCOPY);
    SetStretchBltMode(dc, previousMode);
}

LRESULT SetButtonImages(HWND button, HANDLE image, UINT kind, int width, int height,
                        int margin) noexcept {
    if (kind >= 2) {
        return 0;
    }
    ImageList list{ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 0)};
    const auto add = [&] {
        if (kind == IMAGE_ICON) {
            ImageList_AddIcon(list.get(), static_cast<HICON>(image));
        } else {
            ImageList_Add(list.get(), static_cast<HBITMAP>(image), nullptr);
        }
    };
    add();  // normal
    add();  // hot
    add();  // pressed
    {
        Icon faded{ImageList_GetIcon(list.get(), 0, ILD_TRANSPARENT | ILD_BLEND50)};
        ImageList_AddIcon(list.get(), faded.get());  // disabled
    }
    add();  // defaulted

    BUTTON_IMAGELIST images{list.get(), {margin, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    const LRESULT accepted =
        SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    if (accepted != 0) {
        list.release();  // the button shows it; its owner destroys it (see the header)
        return accepted;
    }
    list.reset();
    return SendMessageA(button, BM_SETIMAGE, kind, reinterpret_cast<LPARAM>(image));
}

}  // namespace nm
