#include "engine/win32/file_time.hpp"

#include <windows.h>

#include <cstring>

#include "engine/win32/handles.hpp"

namespace nm {

// No file name holds these, but FindFirstFileA would match them against other names and
// give some other file's time. All lie below 0x40, so none is a double-byte trail byte.
bool hasWildcard(const char* path) noexcept {
    return std::strpbrk(path, "*?<>\"") != nullptr;
}

std::optional<FileTime> ReadFileTime(const char* path) noexcept {
    if (path == nullptr || hasWildcard(path)) {
        return std::nullopt;
    }
    WIN32_FIND_DATAA entry;
    if (!FindHandle(FindFirstFileA(path, &entry))) {  // the search closes at once
        return std::nullopt;
    }
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return localDosTime(entry.ftLastWriteTime);
}

std::optional<FileTime> localDosTime(const FILETIME& utc) noexcept {
    FILETIME local;
    SYSTEMTIME fields;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &fields)) {
        return std::nullopt;
    }
    // Checked here because some FileTimeToDosDateTime versions wrap years after 2107
    // round to 1980 instead of failing.
    if (fields.wYear < 1980 || fields.wYear > 2107) {
        return std::nullopt;
    }
    WORD dosDate = 0;
    WORD dosTime = 0;
    if (!FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
        return std::nullopt;
    }
    return FileTime{1980 + (dosDate >> 9), (dosDate >> 5) & 0x0F, dosDate & 0x1F,
                    dosTime >> 11,         (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2};
}

}  // namespace nm
