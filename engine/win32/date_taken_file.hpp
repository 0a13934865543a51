#pragma once

// The date a file was taken, read from the file itself through the portable reader
// (engine/date_taken.hpp), in the user's local time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/date_taken.hpp"
#include "engine/datetext.hpp"
#include "engine/win32/handles.hpp"

namespace nm {

// One file's bytes at offsets, through one handle. The reader asks for many small pieces close
// together (a JPEG's markers, a TIFF's IFDs, a box's header), so a small read fetches a larger
// piece ahead and later reads are served from it; what is fetched ahead is bounded per file.
class FileByteSource final : public ByteSource {
  public:
    // How a link (a symbolic link, a mount point) at `path` is taken.
    enum class Links { Follow, Refuse };

    // `path` in the process's ANSI code page. Opened for reading while others may read, write,
    // rename or delete it; a file that is not there, a folder, a device or pipe, a file kept
    // only online (reading would fetch it whole) and, with Links::Refuse, a link are not opened.
    explicit FileByteSource(const char* path, Links links = Links::Follow) noexcept;

    bool opened() const noexcept { return static_cast<bool>(file_); }
    // The last-write time (UTC) of the file opened, read with the open.
    const FILETIME& lastWriteTime() const noexcept { return lastWrite_; }
    std::uint64_t size() const noexcept override { return size_; }
    bool read(std::uint64_t offset, void* into, std::size_t length) noexcept override;

  private:
    // Reads [offset, offset + length) into `into`; gives the bytes read, fewer at the file's end.
    std::size_t readAt(std::uint64_t offset, void* into, std::size_t length) noexcept;

    FileHandle file_;
    std::uint64_t size_ = 0;
    FILETIME lastWrite_{};
    std::unique_ptr<unsigned char[]> ahead_;  // made at the first small read
    std::uint64_t aheadOffset_ = 0;
    std::size_t aheadLength_ = 0;
    std::uint64_t fetched_ = 0;  // bytes read from the file so far
};

// A date taken in local time: a UTC date (a video's mvhd) converted as file times are; a
// camera's wall-clock date as it stands. nullopt when the conversion leaves the years allowed.
std::optional<FileTime> localDateTaken(const DateTaken& taken) noexcept;

// The date taken of the file at `path` (ANSI code page), in local time, or nullopt when it has
// none or cannot be read: not there, locked, a folder, damaged. Never fails otherwise.
std::optional<FileTime> readLocalDateTaken(const char* path) noexcept;

struct FileDates {
    std::optional<FileTime> written;  // as ReadFileTime gives it
    std::optional<FileTime> taken;    // as readLocalDateTaken gives it; none without `written`
};

// ReadFileTime and readLocalDateTaken of one file together, from one open where the file can be
// opened as a plain file: looking a file up costs about as much as reading its metadata, so a
// mask with the twins costs one lookup, as a mask without them does. Anything else (a folder, a
// locked file, a link, a device, a stream) takes the two calls, which give the same answers.
FileDates readFileDates(const char* path) noexcept;

}  // namespace nm
