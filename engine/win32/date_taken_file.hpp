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
    // `path` in the process's ANSI code page. Opened for reading while others may read, write,
    // rename or delete it; a file that is not there, a folder, a device or pipe, and a file
    // kept only online (reading would fetch it whole) are not opened.
    explicit FileByteSource(const char* path) noexcept;

    bool opened() const noexcept { return static_cast<bool>(file_); }
    std::uint64_t size() const noexcept override { return size_; }
    bool read(std::uint64_t offset, void* into, std::size_t length) noexcept override;

  private:
    // Reads [offset, offset + length) into `into`; gives the bytes read, fewer at the file's end.
    std::size_t readAt(std::uint64_t offset, void* into, std::size_t length) noexcept;

    FileHandle file_;
    std::uint64_t size_ = 0;
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

}  // namespace nm
