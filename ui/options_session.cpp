#include "ui/options_session.hpp"

#include <string>
#include <string_view>

#include "engine/win32/text_codec.hpp"
#include "namemask/mask_field.hpp"
#include "namemask/version.h"
#include "ui/options_input.hpp"
#include "ui/options_window.hpp"

namespace nm {
namespace {

constexpr char kDescriptionTitle[] = NAMEMASK_TITLE " ";

std::string maskOf(const char (&field)[kMaskField]) {
    return std::string(fieldText(field));
}

void fillWindow(const OptionsWindowState& state, const RenameOptions& record) {
    fillMaskField(state.control(kIdNameMask), record.NameMask);
    fillMaskField(state.control(kIdExtMask), record.ExtMask);
    // Each text passes through the field's validation, which keeps it as the last valid one.
    SetDlgItemInt(state.window, kIdStart, static_cast<UINT>(record.CounterStart), TRUE);
    SetDlgItemInt(state.window, kIdStep, static_cast<UINT>(record.CounterStep), TRUE);
    SetDlgItemInt(state.window, kIdDigits, static_cast<UINT>(record.CounterDigits), FALSE);
}

// Runs until the quit message; returns whether that message came from elsewhere (the
// window still open), with its exit code.
bool runLoop(const OptionsSession& session, WPARAM& foreignExitCode) {
    MSG message;
    int got;
    // Unicode, so that typed characters reach the window whole in any code page; the
    // system converts for the host's ANSI windows.
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    const OptionsWindowState* open = openOptionsWindow(session);
    if (open == nullptr) {
        return false;  // the window's own end posted it
    }
    // Another quit, or a broken loop: the window goes now, and its own quit message with it,
    // so that only the foreign one is passed on.
    foreignExitCode = got == 0 ? message.wParam : 0;
    DestroyWindow(open->window);
    PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return got == 0;
}

void describe(OptionsSession& session, const char** out) {
    const RenameOptions& record = session.working;
    try {
        // In the host's ANSI code page, like the masks: our title is converted from 1251.
        std::string text = wideToAnsi(ansiToWide(kDescriptionTitle, kPluginTextCodePage)).bytes +
                           maskOf(record.NameMask);
        const std::string ext = maskOf(record.ExtMask);
        if (!ext.empty()) {
            text += '.';
            text += ext;
        }
        session.description.swap(text);
        if (out != nullptr) {
            *out = session.description.c_str();
        }
    } catch (...) {
        // Out of memory: the host keeps its old text pointer; the settings still count.
    }
}

}  // namespace

std::int32_t runOptionsSession(OptionsSession& session, HWND host, RenameOptions& record,
                               const char** descriptionOut) noexcept {
    session.working = record;
    session.confirmed = 0;

    EnableWindow(host, FALSE);
    if (!CreateOptionsWindow(host, session)) {
        EnableWindow(host, TRUE);
        return 0;
    }
    const OptionsWindowState& state = *openOptionsWindow(session);
    fillWindow(state, record);
    ShowWindow(state.window, SW_SHOWNORMAL);
    UpdateWindow(state.window);
    SetFocus(state.control(kIdNameMask));

    WPARAM foreignExitCode = 0;
    const bool foreignQuit = runLoop(session, foreignExitCode);

    EnableWindow(host, TRUE);
    SetForegroundWindow(host);
    if (session.confirmed == 1) {
        describe(session, descriptionOut);
        record = session.working;
    }
    if (foreignQuit) {
        PostQuitMessage(static_cast<int>(foreignExitCode));  // the host's own loop must see it
    }
    return session.confirmed;
}

}  // namespace nm
