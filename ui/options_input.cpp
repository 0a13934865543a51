#include "ui/options_input.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "engine/win32/text_codec.hpp"
#include "ui/token_commands.hpp"
#include "ui/window_text.hpp"

namespace nm {

namespace {

struct HotKeyBinding {
    UINT modifiers;
    UINT key;
};
constexpr HotKeyBinding kHotKeys[] = {
    {MOD_SHIFT, VK_TAB}, {0, VK_TAB}, {0, VK_UP}, {0, VK_DOWN}, {0, VK_RETURN}};
static_assert(std::size(kHotKeys) == kHotKeyCount, "one binding per hot key id");

// The number fields in the order start, step, digits.
constexpr int kNumberFields[] = {kIdStart, kIdStep, kIdDigits};
constexpr std::size_t kDigitsField = 2;

int numberFieldOf(const OptionsWindowState& state, HWND window) noexcept {
    for (std::size_t i = 0; i < std::size(kNumberFields); ++i) {
        if (window != nullptr && state.control(kNumberFields[i]) == window) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A number field's text, or nothing when it is longer than any number could be written.
std::optional<std::string_view> numberText(HWND field, std::array<char, 64>& buffer) noexcept {
    if (GetWindowTextLengthA(field) >= static_cast<int>(buffer.size())) {
        return std::nullopt;
    }
    const int length = GetWindowTextA(field, buffer.data(), static_cast<int>(buffer.size()));
    return std::string_view(buffer.data(), static_cast<std::size_t>(length));
}

std::optional<std::uint32_t> readField(HWND field, bool isSigned) noexcept {
    std::array<char, 64> buffer{};
    const std::optional<std::string_view> text = numberText(field, buffer);
    return text ? readNumber(*text, isSigned) : std::nullopt;
}

void writeSigned(HWND field, std::uint32_t value) noexcept {
    char text[16];
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(static_cast<std::int32_t>(value)));
    SetWindowTextA(field, text);  // through the field's validation
}

// EN_UPDATE: a valid text becomes the field's last valid one; any other is replaced by it.
void validateNumberField(OptionsSession& session, std::size_t index, HWND field) noexcept {
    std::array<char, 64> buffer{};
    const std::optional<std::string_view> text = numberText(field, buffer);
    std::array<char, 10>& lastValid = session.lastValidText[index];
    if (text && readNumber(*text, index != kDigitsField)) {
        const std::size_t kept = std::min(text->size(), lastValid.size() - 1);
        std::memcpy(lastValid.data(), text->data(), kept);
        lastValid[kept] = '\0';
    } else {
        SetWindowTextA(field, lastValid.data());
    }
}

void insertToken(const OptionsWindowState& state, int id) noexcept {
    HWND target = state.session.tokenTarget;
    // Only a mask edit of this window takes tokens: the target may be the window itself,
    // or a handle left from an earlier window that now names someone else's.
    if (target == nullptr ||
        (target != state.control(kIdNameMask) && target != state.control(kIdExtMask))) {
        return;
    }
    // A token that would not fit is refused by the field's own check.
    SendMessageA(target, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(tokenCommand(id).token));
}

// EN_UPDATE of a mask edit: a text that fits the record's field whole becomes the last
// fitting one; any other is taken back, the caret kept where the user left it.
void checkMaskField(OptionsWindowState& state, std::size_t index, HWND field) {
    std::wstring text = windowText(field);
    std::wstring& last = state.lastMaskText[index];
    // The record's own text is taken as it is, even with bytes that are no characters of
    // the code page and come back longer: refusing it would empty the field.
    if (state.fillingMaskField || text == last || wideToAnsi(text, kMaskTextLimit).whole()) {
        last.swap(text);
        return;
    }
    DWORD caret = 0;
    SendMessageW(field, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const std::size_t grown = text.size() > last.size() ? text.size() - last.size() : 0;
    const DWORD back = caret > grown ? caret - static_cast<DWORD>(grown) : 0;
    SetWindowTextW(field, last.c_str());  // through this check again: it fits
    SendMessageW(field, EM_SETSEL, back, back);
}

void openTokenMenu(const OptionsWindowState& state, int id) noexcept {
    RECT button;
    GetWindowRect(state.control(id), &button);
    TrackPopupMenu(state.menus[static_cast<std::size_t>(id - kIdDateMenu)].get(), 0,
                   button.left + 1, button.bottom - 1, 0, state.window, nullptr);
}

LRESULT confirm(OptionsWindowState& state) noexcept {
    OptionsSession& session = state.session;
    session.confirmed = 1;
    readMaskField(state.control(kIdNameMask), session.working.NameMask);
    readMaskField(state.control(kIdExtMask), session.working.ExtMask);
    // Validation keeps every number field readable.
    session.working.CounterStart =
        static_cast<std::int32_t>(readField(state.control(kIdStart), true).value_or(0));
    session.working.CounterStep =
        static_cast<std::int32_t>(readField(state.control(kIdStep), true).value_or(0));
    session.working.CounterDigits =
        static_cast<std::int32_t>(readField(state.control(kIdDigits), false).value_or(0));
    DestroyWindow(state.window);
    return 1;
}

LRESULT cancel(OptionsWindowState& state) noexcept {
    OptionsSession& session = state.session;  // outlives the window and `state`
    DestroyWindow(state.window);
    session.confirmed = 0;
    return 0;
}

void moveFocus(const OptionsWindowState& state, bool backwards) noexcept {
    SetFocus(GetNextDlgTabItem(state.window, GetFocus(), backwards ? TRUE : FALSE));
    SendMessageA(GetFocus(), EM_SETSEL, 0, -1);
}

void step(const OptionsWindowState& state, bool up) noexcept {
    HWND focus = GetFocus();
    const int field = numberFieldOf(state, focus);
    if (field < 0) {
        return;
    }
    const std::uint32_t value = readField(focus, true).value_or(0);
    std::uint32_t next = up ? value + 1 : value - 1;  // 32-bit arithmetic, as the fields hold
    if (static_cast<std::size_t>(field) == kDigitsField) {
        next = up ? MinCardinal(10, next) : MaxCardinal(1, next);
    }
    writeSigned(focus, next);
}

}  // namespace

void fillMaskField(HWND field, const char (&mask)[kMaskBytes]) noexcept {
    // The window the edit belongs to checks each text put into it (EN_UPDATE).
    OptionsWindowState* state = optionsWindowState(GetParent(field));
    const auto filling = [state](bool on) {
        if (state != nullptr) {
            state->fillingMaskField = on;
        }
    };
    try {
        filling(true);
        SetWindowTextW(field, ansiToWide(fieldText(mask)).c_str());
        filling(false);
    } catch (...) {
        filling(false);
        SetWindowTextW(field, L"");  // out of memory: an empty field rather than a cut one
    }
}

void readMaskField(HWND field, char (&mask)[kMaskBytes]) noexcept {
    std::string bytes;
    try {
        // The field's check has kept it within the bytes and characters the record takes,
        // unless the record's own text was longer or no valid text (a host's record without
        // its NUL): what fits of it is kept then.
        bytes = wideToAnsi(windowText(field), kMaskTextLimit).bytes;
    } catch (...) {
        // Out of memory: an empty mask rather than a cut one.
    }
    // Always a NUL inside the field; bytes past it stay as they were, as they always have.
    std::memcpy(mask, bytes.data(), bytes.size());
    mask[bytes.size()] = '\0';
}

std::uint32_t MinCardinal(std::uint32_t a, std::uint32_t b) noexcept {
    return b < a ? b : a;
}

std::uint32_t MaxCardinal(std::uint32_t a, std::uint32_t b) noexcept {
    return b > a ? b : a;
}

std::optional<std::uint32_t> readNumber(std::string_view text, bool isSigned) noexcept {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const bool negative = isSigned && text[at] == '-';
    at += negative ? 1 : 0;
    if (at == text.size()) {
        return std::nullopt;
    }
    const std::uint64_t limit = !isSigned  ? 0xFFFFFFFFull
                                : negative ? 0x80000000ull
                                           : 0x7FFFFFFFull;
    std::uint64_t value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    const auto bits = static_cast<std::uint32_t>(value);
    return negative ? 0u - bits : bits;
}

void registerHotKeys(OptionsWindowState& state) noexcept {
    for (int id = kHotKeyCount - 1; id >= 0; --id) {
        // A key someone else holds, or this window already does, stays as it is.
        if (RegisterHotKey(state.window, id, kHotKeys[id].modifiers, kHotKeys[id].key)) {
            state.hotKeys[static_cast<std::size_t>(id)].reset({state.window, id});
        }
    }
}

void unregisterHotKeys(OptionsWindowState& state) noexcept {
    for (HotKey& key : state.hotKeys) {
        key.reset();
    }
}

void onSetFocus(OptionsWindowState& state) noexcept {
    state.session.tokenTarget = state.window;
}

void onActivateApp(OptionsWindowState& state, bool active) noexcept {
    // Other applications get the five keys back while ours is not the active one.
    if (active) {
        registerHotKeys(state);
    } else {
        unregisterHotKeys(state);
    }
}

void onHotKey(OptionsWindowState& state, LPARAM keys) noexcept {
    switch (HIWORD(keys)) {
        case VK_TAB:
            moveFocus(state, LOWORD(keys) == MOD_SHIFT);
            break;
        case VK_RETURN:
            if (GetActiveWindow() == state.window) {
                SendMessageA(state.control(kIdOk), BM_CLICK, 0, 0);  // may end the window
            }
            break;
        case VK_UP:
        case VK_DOWN:
            step(state, HIWORD(keys) == VK_UP);
            break;
        default:
            break;
    }
}

std::optional<LRESULT> onCommand(OptionsWindowState& state, WPARAM wParam, LPARAM lParam) noexcept {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (id == kIdOk) {
        return confirm(state);
    }
    if (id == kIdCancel) {
        return cancel(state);
    }
    if (id >= kFirstToken && id <= kLastToken) {
        insertToken(state, id);
    } else if (id >= kIdDateMenu && id <= kIdOtherMenu) {
        openTokenMenu(state, id);
    } else if (id >= kIdStart && id <= kIdDigits && code == EN_UPDATE) {
        const int field = numberFieldOf(state, control);
        if (field >= 0) {
            validateNumberField(state.session, static_cast<std::size_t>(field), control);
        }
    } else if ((id == kIdNameMask || id == kIdExtMask) && code == EN_SETFOCUS) {
        state.session.tokenTarget = control;
    } else if ((id == kIdNameMask || id == kIdExtMask) && code == EN_UPDATE &&
               control == state.control(id)) {
        try {
            checkMaskField(state, id == kIdNameMask ? 0 : 1, control);
        } catch (...) {
            // Out of memory: the text stays unchecked; OK reads what fits of it.
        }
    }
    return std::nullopt;
}

}  // namespace nm
