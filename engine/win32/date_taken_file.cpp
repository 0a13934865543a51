#include "engine/win32/date_taken_file.hpp"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/win32/file_time.hpp"

namespace nm {
namespace {

// A photo's Exif block lies in its first 64 KB (a JPEG segment cannot be longer), and a video's
// moov at its end is usually smaller: most files cost one or two reads.
constexpr std::size_t kReadAhead = 64 << 10;
// Fetched ahead from one file at most; past it every read is the piece asked for, which the
// reader's own budget bounds. A file whose boxes are spread out cannot make each of its
// thousands of small reads a large one.
constexpr std::uint64_t kReadAheadBudget = kDateTakenReadBudget;

// Not in every SDK's headers: a cloud file whose data is fetched when it is read.
constexpr DWORD kRecallOnDataAccess = 0x00400000;

}  // namespace

FileByteSource::FileByteSource(const char* path, Links links) noexcept {
    if (path == nullptr) {
        return;
    }
    const DWORD flags =
        FILE_ATTRIBUTE_NORMAL | (links == Links::Refuse ? FILE_FLAG_OPEN_REPARSE_POINT : DWORD{0});
    FileHandle file(CreateFileA(path, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, flags, nullptr));
    // A device (CON, COM1, a pipe) may block a read for as long as it likes.
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) {
        return;
    }
    // Not GetFileInformationByHandle: it also asks for the volume's serial number, which costs
    // several times the open (under Wine, ten times).
    DWORD refused = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_OFFLINE | kRecallOnDataAccess;
    if (links == Links::Refuse) {
        refused |= FILE_ATTRIBUTE_REPARSE_POINT;
    }
    FILE_BASIC_INFO basic;
    LARGE_INTEGER size;
    if (!GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic) ||
        (basic.FileAttributes & refused) != 0 || !GetFileSizeEx(file.get(), &size) ||
        size.QuadPart < 0) {
        return;
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    lastWrite_.dwLowDateTime = static_cast<DWORD>(basic.LastWriteTime.QuadPart);
    lastWrite_.dwHighDateTime = static_cast<DWORD>(basic.LastWriteTime.QuadPart >> 32);
    file_ = std::move(file);
}

std::size_t FileByteSource::readAt(std::uint64_t offset, void* into, std::size_t length) noexcept {
    // A seek and a plain read rather than a read at an OVERLAPPED offset, which costs a third
    // of an open more under Wine. The handle is ours alone, so nothing else moves its pointer.
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);  // below the file's size, so below 2^63
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) {
        return 0;
    }
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t done = 0;
    while (done < length) {
        // ReadFile takes 32-bit lengths, which a piece never passes; the loop is for short reads.
        DWORD got = 0;
        const auto ask = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 30));
        if (!ReadFile(file_.get(), bytes + done, ask, &got, nullptr) || got == 0) {
            break;  // the end of the file, a locked range, a failed disk
        }
        done += got;
    }
    fetched_ += done;
    return done;
}

bool FileByteSource::read(std::uint64_t offset, void* into, std::size_t length) noexcept {
    if (!file_ || offset > size_ || length > size_ - offset) {
        return false;
    }
    if (length == 0) {
        return true;
    }
    if (aheadLength_ != 0 && offset >= aheadOffset_ && offset - aheadOffset_ <= aheadLength_ &&
        length <= aheadLength_ - (offset - aheadOffset_)) {
        std::memcpy(into, ahead_.get() + (offset - aheadOffset_), length);
        return true;
    }
    if (length >= kReadAhead || fetched_ + kReadAhead > kReadAheadBudget) {
        return readAt(offset, into, length) == length;
    }
    if (!ahead_) {
        try {
            ahead_ = std::make_unique_for_overwrite<unsigned char[]>(kReadAhead);
        } catch (const std::bad_alloc&) {
            return readAt(offset, into, length) == length;  // no memory for a piece ahead
        }
    }
    aheadOffset_ = offset;
    aheadLength_ = readAt(offset, ahead_.get(), kReadAhead);
    if (aheadLength_ < length) {
        return false;  // the file is shorter than it was, or a range of it is locked
    }
    std::memcpy(into, ahead_.get(), length);
    return true;
}

std::optional<FileTime> localDateTaken(const DateTaken& taken) noexcept {
    SYSTEMTIME fields{};
    fields.wYear = static_cast<WORD>(taken.year);
    fields.wMonth = static_cast<WORD>(taken.month);
    fields.wDay = static_cast<WORD>(taken.day);
    fields.wHour = static_cast<WORD>(taken.hour);
    fields.wMinute = static_cast<WORD>(taken.minute);
    fields.wSecond = static_cast<WORD>(taken.second);
    if (taken.utc) {
        // Exactly as engine/win32/file_time.cpp shows a file's time, so that the two agree:
        // FileTimeToLocalFileTime applies the zone's offset of today, daylight saving included.
        FILETIME utc;
        FILETIME local;
        if (!SystemTimeToFileTime(&fields, &utc) || !FileTimeToLocalFileTime(&utc, &local) ||
            !FileTimeToSystemTime(&local, &fields)) {
            return std::nullopt;
        }
    }
    // A UTC date at either end of the years allowed may cross into a year of five digits or
    // before the first year of file times.
    if (fields.wYear < kDateTakenMinYear || fields.wYear > kDateTakenMaxYear) {
        return std::nullopt;
    }
    return FileTime{fields.wYear, fields.wMonth,  fields.wDay,
                    fields.wHour, fields.wMinute, fields.wSecond};
}

std::optional<FileTime> readLocalDateTaken(const char* path) noexcept {
    FileByteSource source(path);
    if (!source.opened()) {
        return std::nullopt;
    }
    const std::optional<DateTaken> taken = readDateTaken(source);
    return taken ? localDateTaken(*taken) : std::nullopt;
}

FileDates readFileDates(const char* path) noexcept {
    // ReadFileTime looks up the name itself, which finds no wildcard pattern's match and no
    // stream ("IMG.JPG:name", which an open would take); a ":" past a drive letter goes the
    // long way, "\\?\C:\" included. ':' is below 0x40, so it is never a trail byte.
    const char* colon = path != nullptr ? std::strrchr(path, ':') : nullptr;
    if (path != nullptr && !hasWildcard(path) && (colon == nullptr || colon == path + 1)) {
        // The link itself, not what it points to, as ReadFileTime's lookup sees it.
        FileByteSource source(path, FileByteSource::Links::Refuse);
        if (source.opened()) {
            FileDates dates{localDosTime(source.lastWriteTime()), std::nullopt};
            if (dates.written) {
                const std::optional<DateTaken> taken = readDateTaken(source);
                dates.taken = taken ? localDateTaken(*taken) : std::nullopt;
            }
            return dates;
        }
    }
    FileDates dates{ReadFileTime(path), std::nullopt};
    if (dates.written) {
        dates.taken = readLocalDateTaken(path);
    }
    return dates;
}

}  // namespace nm
