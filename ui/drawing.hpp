#pragma once

// Drawing helpers of the options window, under the names the plug-in's own documents give
// them.

#include <windows.h>

namespace nm {

// A colour percent of the way from `from` to `to` (percent above 100 counts as 100);
// each channel rounds to nearest, halves to even. The top byte of the result is 0.
COLORREF BlendColors(COLORREF from, COLORREF to, BYTE percent) noexcept;

// Copies the whole bitmap onto dc with its right edge `margin` pixels left of `right`.
// Given a width and height other than the bitmap's, it is drawn scaled to them (halftone).
// Draws nothing when the bitmap cannot be selected.
void DrawBitmapRightAligned(HDC dc, int right, int top, HBITMAP bitmap, int width = 0,
                            int height = 0, int margin = 6) noexcept;

// Puts an image (kind 0: bitmap, 1: icon) on a push button as an image list of five
// states, the disabled one faded; kind 2 or more does nothing and gives 0. A button
// that accepts the list holds it without owning it: the caller takes it back with
// BCM_GETIMAGELIST and destroys it after the button. A button that refuses gets the
// plain image through BM_SETIMAGE instead, and the list is destroyed here.
// `margin` is the space left of the image.
LRESULT SetButtonImages(HWND button, HANDLE image, UINT kind, int width, int height,
                        int margin = 10) noexcept;

}  // namespace nm
