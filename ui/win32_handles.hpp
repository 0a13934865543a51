#pragma once

// The owners of the user interface's handles (GDI objects, USER objects, hot keys), and
// guards that undo what they change. The owners of kernel objects are the core's:
// engine/win32/handles.hpp.

#include <windows.h>

#include <commctrl.h>

#include "engine/unique_handle.hpp"
#include "engine/win32/handles.hpp"

namespace nm {

// GDI and USER objects.
using Font = UniqueHandle<HFONT, CallDeleter<&DeleteObject>>;
using Pen = UniqueHandle<HPEN, CallDeleter<&DeleteObject>>;
using Bitmap = UniqueHandle<HBITMAP, CallDeleter<&DeleteObject>>;
using MemoryDc = UniqueHandle<HDC, CallDeleter<&DeleteDC>>;
using Icon = UniqueHandle<HICON, CallDeleter<&DestroyIcon>>;
using Menu = UniqueHandle<HMENU, CallDeleter<&DestroyMenu>>;
using ImageList = UniqueHandle<HIMAGELIST, CallDeleter<&ImageList_Destroy>>;

struct ReleaseScreenDc {
    void operator()(HDC dc) const noexcept { ReleaseDC(nullptr, dc); }
};
using ScreenDc = UniqueHandle<HDC, ReleaseScreenDc>;

// A system hot key of one window, unregistered when its owner goes.
struct HotKeyRegistration {
    HWND window = nullptr;
    int id = -1;
    bool operator==(const HotKeyRegistration&) const = default;
};
struct UnregisterHotKeyDeleter {
    static HotKeyRegistration invalid() noexcept { return {}; }
    void operator()(HotKeyRegistration key) const noexcept { UnregisterHotKey(key.window, key.id); }
};
using HotKey = UniqueHandle<HotKeyRegistration, UnregisterHotKeyDeleter>;

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (*this) {
            SelectObject(dc_, previous_);
        }
    }
    // False when the selection failed (SelectObject gives null or HGDI_ERROR then).
    explicit operator bool() const noexcept {
        return previous_ != nullptr && previous_ != HGDI_ERROR;
    }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// BeginPaint on construction, EndPaint on destruction.
class PaintScope {
  public:
    explicit PaintScope(HWND window) noexcept : window_(window) { BeginPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(window_, &paint_); }
    HDC dc() const noexcept { return paint_.hdc; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Makes an activation context the thread's active one for the guard's lifetime.
class ActivationScope {
  public:
    explicit ActivationScope(HANDLE context) noexcept
        : active_(context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie_) != FALSE) {}
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;
    ~ActivationScope() {
        if (active_) {
            DeactivateActCtx(0, cookie_);
        }
    }

  private:
    ULONG_PTR cookie_ = 0;
    bool active_;
};

}  // namespace nm
