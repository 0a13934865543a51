// Writes the generator's photos and videos to disk (tests/support/media_files.hpp).
//
//   make_media seeds DIR                 one small file per format and layout: the date-taken
//                                        fuzzer's seeds (tests/fuzz/date_taken_corpus/)
//   make_media photos DIR COUNT [BYTES]  IMG_0001.JPG...: JPEGs of about BYTES (100000), the
//                                        Exif block first, taken a minute apart from
//                                        2023-05-01 08:00:00
//   make_media videos DIR COUNT [BYTES]  VID_0001.MP4...: videos of about BYTES (1000000), moov
//                                        after mdat, with creation dates likewise

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/media_files.hpp"

namespace {

namespace media = nm::media;
namespace fs = std::filesystem;

bool write(const fs::path& path, const media::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_media: cannot write %s\n", path.string().c_str());
    }
    return static_cast<bool>(out);
}

std::vector<std::pair<const char*, media::Bytes>> seeds() {
    using Movie = media::Movie;
    const char* const when = "2023:05:01 12:34:56";
    const char* const iso = "2023-05-01T12:34:56+0200";
    const std::uint64_t mvhd = media::quickTimeSeconds(2023, 5, 1, 10, 34, 56);
    return {
        {"jpeg_le", media::jpeg({.exif = {.original = when, .created = when}})},
        {"jpeg_be_xmp_first_thumbnail",
         media::jpeg({.exif = {.bigEndian = true, .created = when, .thumbnailBytes = 64},
                      .xmpFirst = true})},
        {"tiff_be", media::tiff({.bigEndian = true, .original = when})},
        {"orf", media::tiff({.magic = 0x4F52, .original = when})},
        {"rw2", media::tiff({.magic = 0x55, .created = when})},
        {"png_before_idat", media::png({.exif = {.original = when}})},
        {"png_after_idat_exif_header", media::png({.exif = {.bigEndian = true, .original = when},
                                                   .exifAfterImage = true,
                                                   .exifHeader = true})},
        {"webp", media::webp({.exif = {.original = when}})},
        {"webp_exif_header", media::webp({.exif = {.original = when}, .exifHeader = true})},
        {"heic_iloc1", media::heif({.exif = {.original = when}})},
        {"heic_iloc0_infe3", media::heif({.exif = {.bigEndian = true, .original = when},
                                          .infeVersion = 3,
                                          .ilocVersion = 0,
                                          .exifHeader = false})},
        {"avif_iloc2_idat", media::heif({.exif = {.original = when},
                                         .brand = "avif",
                                         .ilocVersion = 2,
                                         .offsetSize = 8,
                                         .lengthSize = 8,
                                         .baseOffsetSize = 4,
                                         .inIdat = true})},
        {"mov_creationdate_udta", media::movie({.brand = "qt  ",
                                                .mvhdTime = mvhd,
                                                .creationDate = iso,
                                                .meta = Movie::Meta::InUdta})},
        {"mov_creationdate_moov_swapped_meta",
         media::movie(
             {.brand = "qt  ", .mvhdTime = mvhd, .creationDate = iso, .metaStyleSwapped = true})},
        {"mov_creationdate_moov",
         media::movie({.brand = "qt  ", .mvhdTime = mvhd, .creationDate = iso})},
        {"mp4_mvhd1_moov_last_large_mdat", media::movie({.mvhdTime = mvhd,
                                                         .mvhdVersion = 1,
                                                         .moovFirst = false,
                                                         .mdatSize = Movie::MdatSize::Large})},
        {"3gp_mdat_to_end",
         media::movie({.brand = "3gp5", .mvhdTime = mvhd, .mdatSize = Movie::MdatSize::ToEnd})},
        {"mov_without_ftyp", media::movie({.brand = nullptr, .mvhdTime = mvhd})},
    };
}

// "2023:05:01 08:00:00" plus `minutes`, with `separator` between the date's parts.
std::string dateText(int minutes, char separator, char beforeTime) {
    using namespace std::chrono;
    const sys_seconds start = sys_days{year{2023} / 5 / 1} + hours{8};
    const sys_seconds at = start + std::chrono::minutes{minutes};
    const year_month_day date{floor<days>(at)};
    const hh_mm_ss time{at - floor<days>(at)};
    char text[32];
    std::snprintf(text, sizeof text, "%04d%c%02u%c%02u%c%02d:%02d:%02d", int(date.year()),
                  separator, unsigned(date.month()), separator, unsigned(date.day()), beforeTime,
                  int(time.hours().count()), int(time.minutes().count()),
                  int(time.seconds().count()));
    return text;
}

int usage() {
    std::fprintf(stderr,
                 "usage: make_media seeds DIR\n"
                 "       make_media photos DIR COUNT [BYTES]\n"
                 "       make_media videos DIR COUNT [BYTES]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return usage();
    }
    const std::string command = argv[1];
    const fs::path dir = argv[2];
    const bool photos = command == "photos";
    if (command == "seeds" && argc == 3) {
        std::error_code error;
        fs::create_directories(dir, error);  // a failure shows in the writes
        for (const auto& [name, bytes] : seeds()) {
            if (!write(dir / name, bytes)) {
                return 1;
            }
        }
        return 0;
    }
    if ((!photos && command != "videos") || argc < 4 || argc > 5) {
        return usage();
    }
    const long count = std::strtol(argv[3], nullptr, 10);
    const long size = argc == 5 ? std::strtol(argv[4], nullptr, 10) : photos ? 100000 : 1000000;
    if (count <= 0 || count > 9999 || size < 0 || size > (1L << 30)) {
        return usage();
    }
    std::error_code error;
    fs::create_directories(dir, error);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, photos ? "IMG_%04d.JPG" : "VID_%04d.MP4", i + 1);
        media::Bytes bytes;
        if (photos) {
            const std::string when = dateText(i, ':', ' ');
            // A camera's share: an 8 KB thumbnail in the Exif block, the rest image data.
            const std::size_t thumbnail = size > 20000 ? 8000 : 0;
            const std::size_t rest = thumbnail + 600;  // the Exif block and the other segments
            bytes = media::jpeg({.exif = {.original = when.c_str(),
                                          .created = when.c_str(),
                                          .thumbnailBytes = thumbnail},
                                 .imageBytes = static_cast<std::size_t>(size) > rest
                                                   ? static_cast<std::size_t>(size) - rest
                                                   : 0});
        } else {
            const std::string when = dateText(i, '-', 'T') + "+0200";
            bytes = media::movie({.mvhdTime = media::quickTimeSeconds(2023, 5, 1, 6, 0, 0) + 60 * i,
                                  .creationDate = when.c_str(),
                                  .moovFirst = false,
                                  .mediaBytes = static_cast<std::size_t>(size)});
        }
        if (!write(dir / name, bytes)) {
            return 1;
        }
    }
    return 0;
}
