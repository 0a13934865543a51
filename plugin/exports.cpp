// The eight exports. Nothing here may let a C++ exception cross into the host.

#include "namemask/plugin.h"

#include <cstring>

#include "namemask/version.h"
#include "plugin/heap.hpp"
#include "plugin/process.hpp"
#include "plugin/records.hpp"
#include "plugin/state.hpp"
#include "ui/options_session.hpp"
#include "ui/options_window.hpp"

namespace {

// Fixed-width fields: the text, then NULs up to the width (the compiler pads, and refuses
// a text that does not fit). This file compiles to Windows-1251, the bytes hosts read.
constexpr char kVersion[sizeof(PluginInfo::Version)] = NAMEMASK_VERSION_TEXT;
constexpr char kTitle[sizeof(PluginInfo::Title)] = NAMEMASK_TITLE;
constexpr char kAuthor[sizeof(PluginInfo::Author)] = NAMEMASK_MAKER;
constexpr char kFileFilter[sizeof(PluginInfo::FileFilter)] = "*.*";

}  // namespace

extern "C" {

void NAMEMASK_CALL getInfo(PluginInfo* info) {
    if (info == nullptr) {
        return;
    }
    // Field by field: the alignment byte at 211 belongs to the host.
    std::memcpy(info->Version, kVersion, sizeof kVersion);
    std::memcpy(info->Title, kTitle, sizeof kTitle);
    std::memcpy(info->Author, kAuthor, sizeof kAuthor);
    std::memcpy(info->Caption, kTitle, sizeof kTitle);
    std::memcpy(info->FileFilter, kFileFilter, sizeof kFileFilter);
    info->HostFlag = 0;
    info->OptionsSize = sizeof(RenameOptions);
}

uint8_t NAMEMASK_CALL initialize(HWND hostWindow) {
    nm::PluginState& state = nm::pluginState();
    state.hostWindow = hostWindow;
    if (!nm::RegisterOptionsWindowClass()) {
        return 0;
    }
    state.windowClassRegistered = true;
    return 1;
}

RenameOptions* NAMEMASK_CALL newOpt(RenameOptions** record) {
    RenameOptions* created = nm::allocateRecord();
    if (record != nullptr) {
        *record = created;
    }
    return created;
}

void NAMEMASK_CALL freeOpt(RenameOptions* record) {
    nm::heapFree(record);
}

int32_t NAMEMASK_CALL showOptions(uint8_t newRecord, RenameOptions** record,
                                  const char** description) {
    if (record == nullptr) {
        return 0;  // nowhere to take a record from or hand one to
    }
    if (newRecord != 0) {
        *record = nm::allocateRecord();  // the host owns it, confirmed or not
    }
    // Without a registered class no window can open, and the session would wait forever
    // for its end.
    nm::PluginState& state = nm::pluginState();
    if (*record == nullptr || !state.windowClassRegistered) {
        return 0;
    }
    return nm::runOptionsSession(state.options, state.hostWindow, **record, description);
}

void NAMEMASK_CALL process(const char** filePath, const char* timeSourcePath, int32_t fileIndex,
                           uint32_t /*reserved*/, RenameOptions** options, uint8_t previewOnly) {
    // Raised here, after everything the call made is gone: a host's handler unwinds past
    // our frames without running destructors.
    nm::PluginState& state = nm::pluginState();
    if (const char* error = nm::processFile(filePath, timeSourcePath, fileIndex, options,
                                            previewOnly != 0, state.localeFormats, state.newPath)) {
        const ULONG_PTR arguments[1] = {reinterpret_cast<ULONG_PTR>(error)};
        RaiseException(NAMEMASK_EXCEPTION_CODE, EXCEPTION_NONCONTINUABLE, 1, arguments);
    }
}

int32_t NAMEMASK_CALL exportBtns(void* /*reserved*/, int32_t* count) {
    if (count != nullptr) {
        *count = 0;
    }
    return 0;
}

void NAMEMASK_CALL clickBtn(void) {}

}  // extern "C"
