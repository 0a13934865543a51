#pragma once

// Every owner type of a kernel object we use, in one place: a handle kind is released one
// way only, so each gets one name here rather than a deleter beside its first user. The
// owners of GDI, USER and hot-key handles are the options window's: ui/win32_handles.hpp.

#include <windows.h>

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

// An activation context (CreateActCtx).
struct ReleaseActivationContext {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE context) const noexcept { ReleaseActCtx(context); }
};
using ActivationContext = UniqueHandle<HANDLE, ReleaseActivationContext>;

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
