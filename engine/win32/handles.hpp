#pragma once

// Every owner type of a Windows handle we use, in one place: a handle kind is released
// one way only, so each gets one name here rather than a deleter beside its first user.

#include <windows.h>

#include <commctrl.h>

#include "engine/unique_handle.hpp"

namespace nm {

// Deleters for handles whose "none" is INVALID_HANDLE_VALUE rather than null.
struct CloseFindHandle {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE find) const noexcept { FindClose(find); }
};
struct CloseFileHandle {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE file) const noexcept { CloseHandle(file); }
};

// Kernel objects.
using FindHandle = UniqueHandle<HANDLE, CloseFindHandle>;  // FindFirstFile
using FileHandle = UniqueHandle<HANDLE, CloseFileHandle>;  // CreateFile
using Heap = UniqueHandle<HANDLE, CallDeleter<&HeapDestroy>>;
using Module = UniqueHandle<HMODULE, CallDeleter<&FreeLibrary>>;

// GDI and user objects.
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

struct ReleaseActivationContext {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE context) const noexcept { ReleaseActCtx(context); }
};
using ActivationContext = UniqueHandle<HANDLE, ReleaseActivationContext>;

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

// A pointer that goes back through a function found only at run time, such as a record
// given out by a loaded DLL and returned through that DLL's own export.
template <typename P, typename Release>
struct BoundPointer {
    P pointer = nullptr;
    Release release = nullptr;
    bool operator==(const BoundPointer& other) const noexcept { return pointer == other.pointer; }
};
struct CallBoundRelease {
    template <typename P, typename Release>
    void operator()(BoundPointer<P, Release> bound) const noexcept {
        bound.release(bound.pointer);
    }
};
template <typename P, typename Release>
using BoundOwner = UniqueHandle<BoundPointer<P, Release>, CallBoundRelease>;

}  // namespace nm
