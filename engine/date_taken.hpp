#pragma once

// The date a photo or a video was taken, read from the file's own metadata: Exif
// DateTimeOriginal (else CreateDate) in JPEG, TIFF and TIFF-based raw files, PNG, WebP and
// HEIF; the QuickTime creation date (else mvhd's) in MP4, MOV and 3GP. The format is
// recognised by content, never by the file's name.
//
// This code parses files that nobody here made, inside the host's process. It sees a file only
// through ByteSource, reads small pieces at checked offsets within a budget, visits a bounded
// number of structures, never recurses, and takes any failure to mean "no date taken".
// Portable: no Windows headers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace nm {

// Random access to one file's bytes.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const noexcept = 0;
    // Fills `into` with exactly `length` bytes from `offset`; false on any failure or short read.
    virtual bool read(std::uint64_t offset, void* into, std::size_t length) noexcept = 0;
};

// A file already in memory (tests, the fuzzer). The bytes must outlive the source.
class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::span<const unsigned char> bytes) noexcept : bytes_(bytes) {}
    std::uint64_t size() const noexcept override { return bytes_.size(); }
    bool read(std::uint64_t offset, void* into, std::size_t length) noexcept override;

  private:
    std::span<const unsigned char> bytes_;
};

struct DateTaken {
    int year, month, day, hour, minute, second;
    // false: the wall-clock time the camera wrote, to be used as it stands. true: a UTC time
    // (a video's mvhd, or a creation date written with "Z"), to be shown in the user's local
    // time the way file times are (SystemTimeToFileTime, then the file-time conversion).
    bool utc;
    friend bool operator==(const DateTaken&, const DateTaken&) = default;
};

// Years a date taken may have. 1601 is the first year of Windows file times, so the Windows
// side can convert or compare any value without a check of its own; 9999 is the last year of
// four digits, the width Exif writes and the year token shows. mvhd counts from 1904.
inline constexpr int kDateTakenMinYear = 1601;
inline constexpr int kDateTakenMaxYear = 9999;

// Bytes read from one file, everything included. A photo costs a few KB and a video's header
// walk less; 1 MiB leaves room for unusual layouts while a hostile file cannot make a batch
// read more than that per file, even over a network share.
inline constexpr std::uint64_t kDateTakenReadBudget = 1 << 20;
// The largest single read. Whole boxes that are read at once (HEIF's and QuickTime's meta)
// are a few KB; a HEIF with hundreds of tiles lists them in tens of KB. Larger ones are read
// piece by piece instead.
inline constexpr std::uint64_t kDateTakenMaxPiece = 256 << 10;
// JPEG markers visited up to the image data. Cameras write about ten segments; fill bytes
// count as markers, so a run of them cannot hold the walk.
inline constexpr unsigned kDateTakenMaxJpegSegments = 1000;
// PNG and WebP chunks visited. eXIf may follow the image data, which encoders split into
// chunks of 8 KB and more: 4096 covers images of tens of MB.
inline constexpr unsigned kDateTakenMaxChunks = 4096;
// ISO boxes visited at every level together, HEIF item entries and item extents included. A
// camera's video has about ten top-level boxes and its moov a few dozen children; a HEIF with
// many tiles lists a few hundred items.
inline constexpr unsigned kDateTakenMaxBoxes = 4096;
// Entries of one IFD. Camera IFDs hold fewer than 200; only IFD0 and the Exif IFD are read,
// each in one piece.
inline constexpr unsigned kDateTakenMaxIfdEntries = 1024;
// Boxes nest at most this deep on the paths followed (moov/udta/meta/ilst/item/data). Every
// path is fixed in the code: nothing recurses on what a file says.
inline constexpr unsigned kDateTakenMaxBoxDepth = 6;

// The date the file was taken, or nullopt for none: no metadata, a zero, blank or impossible
// value, or a file that cannot be read, is damaged, truncated, loops or passes a limit above.
// Never throws; reads only [0, size()) of the source, at most kDateTakenMaxPiece at a time.
std::optional<DateTaken> readDateTaken(ByteSource& source) noexcept;

}  // namespace nm
