#pragma once

// Catches the structured exception that namemask.dll raises for its one error, the way
// a host's exception frame would, for callers built with GCC (which has no __try).
//
// A vectored handler sees the exception first; for our code it takes the message and
// jumps back to the guarded call. The plug-in raises only when none of its own objects
// are alive, so nothing is skipped but the system's dispatch frames, whose exception
// registration chain (fs:[0], 32-bit only) is put back as it was before the call.

#include <windows.h>

#include <optional>
#include <string>

#include "plugin/exports.h"

namespace nm {

namespace detail {

// The fields the handler writes are volatile: the compiler must read them again after
// the jump back, not use what it kept of them before the call (the 64-bit build did).
struct PluginErrorTrap {
    void* jump[5];                 // __builtin_setjmp buffer
    void* registration;            // fs:[0] before the call (32-bit)
    const char* volatile message;  // from ExceptionInformation[0]
    volatile bool armed;
};

inline PluginErrorTrap& pluginErrorTrap() {
    static PluginErrorTrap trap{};
    return trap;
}

#if defined(__i386__)
inline void* exceptionRegistration() {
    void* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

inline void setExceptionRegistration(void* head) {
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}
#else
// 64-bit exception handling is table-driven: no registration chain lives on the stack,
// so the jump back leaves nothing to put back.
inline void* exceptionRegistration() {
    return nullptr;
}

inline void setExceptionRegistration(void*) {}
#endif

inline LONG CALLBACK pluginErrorHandler(EXCEPTION_POINTERS* info) {
    PluginErrorTrap& trap = pluginErrorTrap();
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (!trap.armed || record->ExceptionCode != NAMEMASK_EXCEPTION_CODE) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    trap.message = record->NumberParameters >= 1
                       ? reinterpret_cast<const char*>(record->ExceptionInformation[0])
                       : nullptr;
    __builtin_longjmp(trap.jump, 1);
}

// Added once for the process, whatever the callers: the system holds a reference to a
// handler while it runs it, and the jump out skips the release, so a handler removed
// later would never be freed.
inline void addPluginErrorHandler() {
    static const PVOID handler = AddVectoredExceptionHandler(1, pluginErrorHandler);
    (void)handler;
}

}  // namespace detail

// Calls call(); returns the plug-in's error message when it raised one, or nullopt.
// Single-threaded, not reentrant: one guarded call at a time.
template <typename Call>
[[gnu::noinline]] std::optional<std::string> catchPluginError(Call&& call) {
    detail::PluginErrorTrap& trap = detail::pluginErrorTrap();
    detail::addPluginErrorHandler();
    trap.registration = detail::exceptionRegistration();
    trap.message = nullptr;
    bool raised = false;
    if (__builtin_setjmp(trap.jump) == 0) {
        trap.armed = true;
        call();
    } else {
        detail::setExceptionRegistration(trap.registration);
        raised = true;
    }
    trap.armed = false;
    if (!raised) {
        return std::nullopt;
    }
    const char* message = trap.message;
    return std::string(message != nullptr ? message : "(no message)");
}

}  // namespace nm
