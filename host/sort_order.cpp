#include "host/sort_order.hpp"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "engine/win32/date_taken_file.hpp"
#include "engine/win32/text_codec.hpp"

namespace nm {
namespace {

std::uint64_t ticks(const FILETIME& time) {
    return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

// The file's last-write time and size, when it can be read.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributesOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return data;
}

// The date taken and the last-write time compare as local wall-clock times: a camera's date
// is one, and a file time is shown as one.
std::optional<std::uint64_t> localTicks(const FileTime& time) {
    const SYSTEMTIME fields{static_cast<WORD>(time.year),
                            static_cast<WORD>(time.month),
                            0,
                            static_cast<WORD>(time.day),
                            static_cast<WORD>(time.hour),
                            static_cast<WORD>(time.minute),
                            static_cast<WORD>(time.second),
                            0};
    FILETIME asFileTime;
    if (!SystemTimeToFileTime(&fields, &asFileTime)) {
        return std::nullopt;
    }
    return ticks(asFileTime);
}

// The file's name, after its folder, in UTF-16 for the shell's comparison.
std::wstring wideName(const std::string& path) {
    const std::wstring wide = ansiToWide(path);
    // On the wide text: a trail byte of a double-byte character may be a backslash.
    const std::size_t cut = wide.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? wide : wide.substr(cut + 1);
}

}  // namespace

std::optional<SortKey> sortKeyNamed(const std::string& name) {
    if (name == "given") {
        return SortKey::Given;
    }
    if (name == "name") {
        return SortKey::Name;
    }
    if (name == "taken") {
        return SortKey::Taken;
    }
    if (name == "written") {
        return SortKey::Written;
    }
    if (name == "size") {
        return SortKey::Size;
    }
    return std::nullopt;
}

BatchOrder orderBatch(const std::vector<std::string>& paths, SortKey key) {
    BatchOrder result;
    result.order.resize(paths.size());
    std::iota(result.order.begin(), result.order.end(), std::size_t{0});
    result.dated.resize(paths.size());
    if (key == SortKey::Given) {
        return result;
    }
    if (key == SortKey::Name) {
        std::vector<std::wstring> names;
        names.reserve(paths.size());
        for (const std::string& path : paths) {
            names.push_back(wideName(path));
        }
        std::stable_sort(result.order.begin(), result.order.end(),
                         [&](std::size_t a, std::size_t b) {
                             return StrCmpLogicalW(names[a].c_str(), names[b].c_str()) < 0;
                         });
        return result;
    }
    std::vector<std::optional<std::uint64_t>> keys(paths.size());
    for (std::size_t k = 0; k < paths.size(); ++k) {
        const std::string& path = paths[k];
        if (key == SortKey::Taken) {
            // One open for both, and the fallback is the very time the twins take.
            const FileDates dates = readFileDates(path.c_str());
            result.dated[k] = dates.taken.has_value();
            const std::optional<FileTime>& time = dates.taken ? dates.taken : dates.written;
            keys[k] = time ? localTicks(*time) : std::nullopt;
        } else if (const auto data = attributesOf(path)) {
            keys[k] = key == SortKey::Written
                          ? ticks(data->ftLastWriteTime)
                          : std::uint64_t{data->nFileSizeHigh} << 32 | data->nFileSizeLow;
        }
    }
    std::stable_sort(result.order.begin(), result.order.end(), [&](std::size_t a, std::size_t b) {
        if (!keys[a] || !keys[b]) {
            return keys[a].has_value() && !keys[b].has_value();
        }
        return *keys[a] < *keys[b];
    });
    return result;
}

}  // namespace nm
