#pragma once

// Drawing helpers of the options window.

#include <windows.h>

namespace nm {

// A colour percent of the way from `from` to `to` (percent above 100 counts as 100);
// each channel rounds to nearest, halves to even. The top byte of the result is 0.
COLORREF BlendColors(COLORREF from, COLORREF to, BYTE percent) noexcept;

// Copies the whole bitmap onto dc with its right edge 6 pixels left of `right`.
// Draws nothing when the bitmap cannot be selected.
void DrawBitmapRightAligned(HDC dc, int right, int top, HBITMAP bitmap) noexcept;

// Puts an image (kind 0: bitmap, 1: icon) on a push button as an image list of five
// states, the disabled one faded; kind 2 or more does nothing and gives 0. A button
// that accepts the list holds it without owning it: the caller takes it back with
// BCM_GETIMAGELIST and destroys it after the button. A button that refuses gets the
// plain image through BM_SETIMAGE instead, and the list is destroyed here.
LRESULT SetButtonImages(HWND button, HANDLE image, UINT kind, int width, int height) noexcept;

}  // namespace nm
