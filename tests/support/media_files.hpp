#pragma once

// Photos and videos made in memory, with the dates and layouts the date-taken reader must
// handle: for its tests, its fuzzer's seeds and the files of benchmarks and demos
// (tests/support/make_media writes them to disk). The files are minimal but well formed,
// so that other readers take the same dates from them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace nm::media {

using Bytes = std::vector<unsigned char>;

// An Exif block, as a camera writes it: IFD0 (the camera, ModifyDate, the Exif IFD's
// pointer), the Exif IFD with the two dates, and IFD1 describing a thumbnail. Dates are
// written as given, with their NUL; nullptr leaves the tag out.
struct Exif {
    bool bigEndian = false;
    std::uint16_t magic = 42;                      // ORF's 0x4F52 or RW2's 0x55 for raw files
    const char* original = nullptr;                // DateTimeOriginal
    const char* created = nullptr;                 // CreateDate (DateTimeDigitized)
    const char* modified = "2031:01:01 01:01:01";  // IFD0's ModifyDate, never the date taken
    const char* thumbnailDate = nullptr;  // a DateTimeOriginal in IFD1, never the date taken
    std::size_t thumbnailBytes = 0;       // a thumbnail image; IFD1 is written if either is set
    bool exifIfd = true;                  // IFD0 points to an Exif IFD
    bool datesInIfd0 = false;             // the two dates in IFD0, as some programs misplace them
    // Damage: where IFD0's pointer and DateTimeOriginal's offset say the data is.
    std::optional<std::uint32_t> exifIfdOffset = std::nullopt;
    std::optional<std::uint32_t> originalOffset = std::nullopt;
};
Bytes tiff(const Exif& exif);

struct Jpeg {
    Exif exif;
    bool withExif = true;
    bool xmpFirst = false;        // an XMP APP1 (with a date of its own) before Exif's
    std::size_t imageBytes = 64;  // compressed image data after SOS
};
Bytes jpeg(const Jpeg& shape);

struct Png {
    Exif exif;
    bool exifAfterImage = false;  // eXIf after IDAT
    bool exifHeader = false;      // "Exif\0\0" before the TIFF header, as some writers do
};
Bytes png(const Png& shape);

struct Webp {
    Exif exif;
    bool exifHeader = false;
};
Bytes webp(const Webp& shape);

// HEIC, HEIF, AVIF: an image item and an Exif item, found through iinf and iloc.
struct Heif {
    Exif exif;
    const char* brand = "heic";
    unsigned infeVersion = 2;                                     // 2 or 3 (32-bit item IDs)
    unsigned ilocVersion = 1;                                     // 0, 1 or 2
    unsigned offsetSize = 4, lengthSize = 4, baseOffsetSize = 0;  // 0, 4 or 8 bytes
    bool inIdat = false;     // the Exif item in idat (construction method 1)
    bool exifHeader = true;  // "Exif\0\0" between the 4-byte offset and the TIFF header
    std::uint64_t base = 0;  // the extent's offset is written as its position minus this
    std::size_t imageBytes = 64;
};
Bytes heif(const Heif& shape);

// MP4, MOV, 3GP. The creation date goes in an mdta meta box with three keys, the date's
// the second, and its items in another order.
struct Movie {
    enum class Meta { InMoov, InUdta };
    enum class MdatSize { Plain, Large, ToEnd };  // 32-bit; 64-bit (size 1); 0, to the end
    const char* brand = "mp42";  // "qt  " for MOV, "3gp5" for 3GP; nullptr: no ftyp
    std::optional<std::uint64_t> mvhdTime = std::nullopt;  // seconds since 1904; none: no mvhd
    unsigned mvhdVersion = 0;
    const char* creationDate = nullptr;  // nullptr: no meta
    Meta meta = Meta::InMoov;
    // meta is a plain box in moov and a full box (with version and flags) in udta, as other
    // readers expect; writers also do it the other way round.
    bool metaStyleSwapped = false;
    bool moovFirst = true;
    MdatSize mdatSize = MdatSize::Plain;  // ToEnd needs moovFirst
    std::size_t mediaBytes = 64;
};
Bytes movie(const Movie& shape);

// Seconds since 1904-01-01 (UTC), as mvhd counts.
std::uint64_t quickTimeSeconds(int year, int month, int day, int hour, int minute, int second);

}  // namespace nm::media
