#include "engine/win32/date_taken_file.hpp"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

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

FileByteSource::FileByteSource(const char* path) noexcept {
    if (path == nullptr) {
        return;
    }
    FileHandle file(CreateFileA(path, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A device (CON, COM1, a pipe) may block a read for as long as it likes.
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) {
        return;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_OFFLINE | kRecallOnDataAccess)) != 0) {
        return;
    }
    size_ = std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow;
    file_ = std::move(file);
}

std::size_t FileByteSource::readAt(std::uint64_t offset, void* into, std::size_t length) noexcept {
    auto* bytes = static_cast<unsigned char*>(into);
    std::size_t done = 0;
    while (done < length) {
        // ReadFile takes 32-bit lengths, which a piece never passes; the loop is for short reads.
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD got = 0;
        const auto ask = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 30));
        if (!ReadFile(file_.get(), bytes + done, ask, &got, &at) || got == 0) {
            break;  // the end of the file (ERROR_HANDLE_EOF), a locked range, a failed disk
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

}  // namespace nm
