#include "engine/date_taken.hpp"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/media_files.hpp"

namespace nm {
void PrintTo(const DateTaken& d, std::ostream* os) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d%s", d.year, d.month, d.day,
                  d.hour, d.minute, d.second, d.utc ? " UTC" : "");
    *os << text;
}
}  // namespace nm

namespace {

namespace media = nm::media;
using media::Bytes;
using Movie = media::Movie;
using nm::DateTaken;

constexpr const char* kWhen = "2023:05:01 12:34:56";
constexpr DateTaken kTaken{2023, 5, 1, 12, 34, 56, false};
constexpr const char* kOther = "2019:12:31 23:59:59";
constexpr DateTaken kOtherTaken{2019, 12, 31, 23, 59, 59, false};
constexpr const char* kIso = "2023-05-01T12:34:56+0200";
const std::uint64_t kMvhd = media::quickTimeSeconds(2023, 5, 1, 10, 34, 56);
constexpr DateTaken kMvhdTaken{2023, 5, 1, 10, 34, 56, true};

// A file of `bytes` with `gap` zero bytes (not held) inserted at `at`. Counts what is read,
// and fails the test on a read outside the file.
class CountingSource final : public nm::ByteSource {
  public:
    explicit CountingSource(const Bytes& bytes, std::uint64_t at = 0, std::uint64_t gap = 0)
        : bytes_(bytes), at_(at), gap_(gap) {}
    std::uint64_t size() const noexcept override { return bytes_.size() + gap_; }
    bool read(std::uint64_t offset, void* into, std::size_t length) noexcept override {
        EXPECT_TRUE(offset <= size() && length <= size() - offset) << offset << "+" << length;
        ++reads;
        bytesRead += length;
        auto* out = static_cast<unsigned char*>(into);
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint64_t p = offset + i;
            out[i] = p < at_ ? bytes_[p] : p < at_ + gap_ ? 0 : bytes_[p - gap_];
        }
        return true;
    }
    std::uint64_t reads = 0, bytesRead = 0;

  private:
    const Bytes& bytes_;
    std::uint64_t at_, gap_;
};

std::optional<DateTaken> dateOf(const Bytes& file) {
    CountingSource source(file);
    return nm::readDateTaken(source);
}

std::size_t find(const Bytes& file, std::string_view marker) {
    const auto at = std::search(file.begin(), file.end(), marker.begin(), marker.end());
    EXPECT_NE(at, file.end()) << marker;
    return static_cast<std::size_t>(at - file.begin());
}

// Damage made by hand: `bytes` written over the file where `marker` (a box type, a chunk
// type) is found, plus `from`.
Bytes patched(Bytes file, std::string_view marker, std::ptrdiff_t from, const Bytes& bytes) {
    const auto at = static_cast<std::ptrdiff_t>(find(file, marker)) + from;
    std::copy(bytes.begin(), bytes.end(), file.begin() + at);
    return file;
}
Bytes be32(std::uint32_t v) {
    return {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
}
Bytes be64(std::uint64_t v) {
    Bytes out = be32(static_cast<std::uint32_t>(v >> 32));
    const Bytes low = be32(static_cast<std::uint32_t>(v));
    out.insert(out.end(), low.begin(), low.end());
    return out;
}

struct Row {
    const char* name;
    Bytes file;
    std::optional<DateTaken> expected;
    bool crossCheck = true;  // exiftool reads the file as we do (not damaged, not our leniency)
};

std::vector<Row> rows() {
    const media::Exif both{.original = kWhen, .created = kOther};
    return {
        // Photos: DateTimeOriginal, else CreateDate, never IFD0's or IFD1's dates.
        {"JPEG, little-endian", media::jpeg({.exif = both}), kTaken},
        {"JPEG, big-endian, Exif after XMP",
         media::jpeg({.exif = {.bigEndian = true, .original = kWhen}, .xmpFirst = true}), kTaken},
        {"JPEG, CreateDate when DateTimeOriginal is absent",
         media::jpeg({.exif = {.created = kOther}}), kOtherTaken},
        {"JPEG, neither date: ModifyDate is not taken", media::jpeg({}), std::nullopt},
        {"JPEG, no Exif IFD", media::jpeg({.exif = {.exifIfd = false}}), std::nullopt},
        {"JPEG, dates in IFD0 are not taken",
         media::jpeg({.exif = {.original = kWhen, .exifIfd = false, .datesInIfd0 = true}}),
         std::nullopt},
        {"JPEG, no Exif", media::jpeg({.exif = {}, .withExif = false}), std::nullopt},
        {"JPEG, the thumbnail IFD's date is not taken",
         media::jpeg({.exif = {.original = kWhen, .thumbnailDate = kOther, .thumbnailBytes = 300}}),
         kTaken},
        {"JPEG, only the thumbnail IFD has a date",
         media::jpeg({.exif = {.thumbnailDate = kOther}}), std::nullopt},
        {"TIFF, big-endian", media::tiff({.bigEndian = true, .original = kWhen}), kTaken},
        {"ORF", media::tiff({.magic = 0x4F52, .original = kWhen}), kTaken},
        {"RW2", media::tiff({.magic = 0x55, .created = kWhen}), kTaken},
        {"PNG, eXIf before IDAT", media::png({.exif = both}), kTaken},
        {"PNG, eXIf after IDAT, with Exif's header",
         media::png({.exif = {.bigEndian = true, .original = kWhen},
                     .exifAfterImage = true,
                     .exifHeader = true}),
         kTaken},
        {"WebP", media::webp({.exif = both}), kTaken},
        {"WebP, with Exif's header", media::webp({.exif = {.created = kWhen}, .exifHeader = true}),
         kTaken},
        {"HEIC, the item's 4-byte offset and Exif's header", media::heif({.exif = both}), kTaken},
        {"HEIF, iloc 0, infe 3, no Exif header",
         media::heif({.exif = {.bigEndian = true, .original = kWhen},
                      .brand = "mif1",
                      .infeVersion = 3,
                      .ilocVersion = 0,
                      .exifHeader = false}),
         kTaken},
        {"AVIF, iloc 2, 8-byte offsets and lengths, a base offset",
         media::heif({.exif = both,
                      .brand = "avif",
                      .ilocVersion = 2,
                      .offsetSize = 8,
                      .lengthSize = 8,
                      .baseOffsetSize = 4,
                      .base = 100}),
         kTaken},
        {"HEIC, the Exif item in idat",
         media::heif({.exif = both, .offsetSize = 0, .inIdat = true}), kTaken, false},

        // Zero, blank and impossible values are absent; the next date is taken.
        {"zero DateTimeOriginal",
         media::jpeg({.exif = {.original = "0000:00:00 00:00:00", .created = kOther}}),
         kOtherTaken},
        {"blank DateTimeOriginal",
         media::jpeg({.exif = {.original = "                   ", .created = kOther}}),
         kOtherTaken},
        {"month 13", media::jpeg({.exif = {.original = "2023:13:01 12:00:00"}}), std::nullopt},
        {"hour 25", media::jpeg({.exif = {.original = "2023:05:01 25:00:00"}}), std::nullopt},
        {"minute 60", media::jpeg({.exif = {.original = "2023:05:01 12:60:00"}}), std::nullopt},
        {"30 February", media::jpeg({.exif = {.original = "2024:02:30 12:00:00"}}), std::nullopt},
        {"29 February 2023", media::jpeg({.exif = {.original = "2023:02:29 12:00:00"}}),
         std::nullopt},
        {"29 February 2100", media::jpeg({.exif = {.original = "2100:02:29 12:00:00"}}),
         std::nullopt},
        {"29 February 2000", media::jpeg({.exif = {.original = "2000:02:29 00:00:00"}}),
         DateTaken{2000, 2, 29, 0, 0, 0, false}},
        {"before 1601", media::jpeg({.exif = {.original = "1600:12:31 23:59:59"}}), std::nullopt},
        {"1601 and 9999",
         media::jpeg(
             {.exif = {.original = "1601:01:01 00:00:00", .created = "9999:12:31 23:59:59"}}),
         DateTaken{1601, 1, 1, 0, 0, 0, false}},
        {"a date without its time", media::jpeg({.exif = {.original = "2023:05:01"}}),
         std::nullopt},
        {"dashes and T, as some programs write",
         media::jpeg({.exif = {.original = "2023-05-01T12:34:56"}}), kTaken, false},

        // Videos: the creation date's wall-clock time, else mvhd's UTC time.
        {"MOV, creation date in moov/meta",
         media::movie({.brand = "qt  ", .mvhdTime = kMvhd, .creationDate = kIso}), kTaken},
        {"MP4, creation date in udta/meta, moov after mdat",
         media::movie({.mvhdTime = kMvhd,
                       .creationDate = kIso,
                       .meta = Movie::Meta::InUdta,
                       .moovFirst = false}),
         kTaken},
        {"MOV, meta boxes the other way round (full in moov, plain in udta)",
         media::movie({.brand = "qt  ", .creationDate = kIso, .metaStyleSwapped = true}), kTaken,
         false},
        {"MOV, udta's plain meta",
         media::movie({.brand = "qt  ",
                       .creationDate = kIso,
                       .meta = Movie::Meta::InUdta,
                       .metaStyleSwapped = true}),
         kTaken, false},
        {"creation date with a fraction and an offset with a colon",
         media::movie({.mvhdTime = kMvhd, .creationDate = "2023-05-01T12:34:56.789-07:00"}),
         kTaken},
        {"creation date in UTC", media::movie({.creationDate = "2023-05-01T10:34:56Z"}),
         kMvhdTaken},
        {"impossible creation date: mvhd's",
         media::movie({.mvhdTime = kMvhd, .creationDate = "2023-02-30T12:34:56+0200"}), kMvhdTaken},
        {"mvhd 0, moov before mdat", media::movie({.mvhdTime = kMvhd}), kMvhdTaken},
        {"mvhd 1, moov after a 64-bit mdat",
         media::movie({.mvhdTime = kMvhd,
                       .mvhdVersion = 1,
                       .moovFirst = false,
                       .mdatSize = Movie::MdatSize::Large}),
         kMvhdTaken},
        {"3GP, mdat to the end of the file",
         media::movie({.brand = "3gp5", .mvhdTime = kMvhd, .mdatSize = Movie::MdatSize::ToEnd}),
         kMvhdTaken},
        {"MOV without ftyp", media::movie({.brand = nullptr, .mvhdTime = kMvhd}), kMvhdTaken},
        {"mvhd 0 is none", media::movie({.mvhdTime = 0}), std::nullopt},
        {"no mvhd, no meta", media::movie({}), std::nullopt},
        {"mvhd's last second of 9999",
         media::movie(
             {.mvhdTime = media::quickTimeSeconds(9999, 12, 31, 23, 59, 59), .mvhdVersion = 1}),
         DateTaken{9999, 12, 31, 23, 59, 59, true}},
        {"mvhd past 9999",
         media::movie(
             {.mvhdTime = media::quickTimeSeconds(9999, 12, 31, 23, 59, 59) + 1, .mvhdVersion = 1}),
         std::nullopt},

        // Damage: loops, sizes that cannot be, offsets that overflow.
        {"an Exif IFD that is IFD0 itself",
         media::tiff({.original = kWhen, .datesInIfd0 = true, .exifIfdOffset = 8}), std::nullopt,
         false},
        {"an Exif IFD near 2^32", media::tiff({.original = kWhen, .exifIfdOffset = 0xFFFFFFF8}),
         std::nullopt, false},
        {"a DateTimeOriginal near 2^32: CreateDate",
         media::jpeg(
             {.exif = {.original = kWhen, .created = kOther, .originalOffset = 0xFFFFFFF0}}),
         kOtherTaken, false},
        {"a JPEG segment of length 1", patched(media::jpeg({.exif = both}), "JFIF", -2, {0, 1}),
         std::nullopt, false},
        {"a PNG chunk near 2^32", patched(media::png({.exif = both}), "IHDR", -4, be32(0xFFFFFFF0)),
         std::nullopt, false},
        {"a WebP chunk near 2^32",
         patched(media::webp({.exif = both}), "VP8X", 4, {0xF0, 0xFF, 0xFF, 0xFF}), std::nullopt,
         false},
        {"an mdat of size 7",
         patched(media::movie({.mvhdTime = kMvhd, .moovFirst = false}), "mdat", -4, be32(7)),
         std::nullopt, false},
        {"an mdat of size 0 before moov",
         patched(media::movie({.mvhdTime = kMvhd, .moovFirst = false}), "mdat", -4, be32(0)),
         std::nullopt, false},
        {"an mdat of size 1 with a 64-bit size below 16",
         patched(media::movie(
                     {.mvhdTime = kMvhd, .moovFirst = false, .mdatSize = Movie::MdatSize::Large}),
                 "mdat", 4, be64(15)),
         std::nullopt, false},
        {"a 64-bit mdat size near 2^64",
         patched(media::movie(
                     {.mvhdTime = kMvhd, .moovFirst = false, .mdatSize = Movie::MdatSize::Large}),
                 "mdat", 4, be64(~0ull - 7)),
         std::nullopt, false},
        {"an mvhd past its moov",
         patched(media::movie({.mvhdTime = kMvhd}), "mvhd", -4, be32(0xFFFFFFF0)), std::nullopt,
         false},
        {"HEIC base and offset that reach the item only modulo 2^64",
         media::heif({.exif = {.original = kWhen},
                      .offsetSize = 8,
                      .baseOffsetSize = 8,
                      .base = ~0ull - 15}),
         std::nullopt, false},
        {"HEIC base and offset that reach the item only modulo 2^32",
         media::heif({.exif = both, .baseOffsetSize = 4, .base = 0xFFFFFFF0}), std::nullopt, false},
        {"a HEIC iinf box of size 7", patched(media::heif({.exif = both}), "iinf", -4, be32(7)),
         std::nullopt, false},
    };
}

TEST(ReadDateTaken, TakesTheDateOfEachFormatAndFallsBackInOrder) {
    for (const Row& row : rows()) {
        EXPECT_EQ(dateOf(row.file), row.expected) << row.name;
    }
}

// A file cut short gives its whole date or none, never a date made of what is left.
TEST(ReadDateTaken, FilesCutAtAnyByteGiveTheirDateOrNone) {
    for (const Row& row : rows()) {
        for (std::size_t size = 0; size < row.file.size(); ++size) {
            const Bytes cut(row.file.begin(), row.file.begin() + static_cast<std::ptrdiff_t>(size));
            const std::optional<DateTaken> date = dateOf(cut);
            EXPECT_TRUE(!date || date == row.expected) << row.name << ", cut at " << size;
        }
    }
    // The dates come before the image data, so a cut there keeps them.
    const Bytes photo = media::jpeg({.exif = {.original = kWhen}, .imageBytes = 1000});
    EXPECT_EQ(dateOf(Bytes(photo.begin(), photo.end() - 900)), kTaken);
}

TEST(ReadDateTaken, ReadsAFewSmallPiecesOfLargeFiles) {
    // A camera's 100 KB photo: an 8 KB thumbnail, then the image.
    const Bytes photo =
        media::jpeg({.exif = {.original = kWhen, .created = kWhen, .thumbnailBytes = 8000},
                     .imageBytes = 92000});
    CountingSource photoSource(photo);
    EXPECT_EQ(nm::readDateTaken(photoSource), kTaken);
    EXPECT_LT(photoSource.bytesRead, 1024u);
    EXPECT_LT(photoSource.reads, 16u);

    // Videos of 1 GB (32-bit mdat) and 5 GB (64-bit mdat), moov at the end.
    for (const bool large : {false, true}) {
        SCOPED_TRACE(large ? "5 GB" : "1 GB");
        const std::uint64_t gap = large ? 5ull << 30 : 1ull << 30;
        Bytes video =
            media::movie({.mvhdTime = kMvhd,
                          .creationDate = kIso,
                          .moovFirst = false,
                          .mdatSize = large ? Movie::MdatSize::Large : Movie::MdatSize::Plain,
                          .mediaBytes = 16});
        const std::size_t type = find(video, "mdat");
        video = large ? patched(video, "mdat", 4, be64(16 + 16 + gap))
                      : patched(video, "mdat", -4, be32(static_cast<std::uint32_t>(8 + 16 + gap)));
        CountingSource source(video, type + (large ? 12 : 4), gap);
        EXPECT_EQ(nm::readDateTaken(source), kTaken);
        EXPECT_LT(source.bytesRead, 2048u);
        EXPECT_LT(source.reads, 16u);
    }
}

// A file that would need more than the budget gives no date: Exif segments whose IFD0 holds
// 1000 entries and no Exif IFD, then one with the dates.
TEST(ReadDateTaken, StopsAtTheBudgetOfBytes) {
    Bytes empty = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0xE8, 0x03};
    empty.resize(empty.size() + 1000 * 12 + 4);
    Bytes segment = {0xFF, 0xE1, static_cast<unsigned char>((empty.size() + 2) >> 8),
                     static_cast<unsigned char>(empty.size() + 2)};
    segment.insert(segment.end(), empty.begin(), empty.end());
    const Bytes last = media::jpeg({.exif = {.original = kWhen}});
    for (const int segments : {10, 100}) {
        Bytes file = {0xFF, 0xD8};
        for (int i = 0; i < segments; ++i) {
            file.insert(file.end(), segment.begin(), segment.end());
        }
        file.insert(file.end(), last.begin() + 2, last.end());
        CountingSource source(file);
        EXPECT_EQ(nm::readDateTaken(source), segments == 10 ? std::optional(kTaken) : std::nullopt);
        EXPECT_LE(source.bytesRead, nm::kDateTakenReadBudget);
    }
}

// exiftool's date, when it is one: "YYYY:MM:DD HH:MM:SS", then nothing, "Z" or an offset.
std::optional<DateTaken> exiftoolDate(const std::string& text, bool utc) {
    DateTaken d{};
    char rest[16] = "";
    if (std::sscanf(text.c_str(), "%4d:%2d:%2d %2d:%2d:%2d%15s", &d.year, &d.month, &d.day, &d.hour,
                    &d.minute, &d.second, rest) < 6) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day day{year{d.year}, month{static_cast<unsigned>(d.month)},
                             std::chrono::day{static_cast<unsigned>(d.day)}};
    if (!day.ok() || d.year < 1601 || d.year > 9999 || d.hour > 23 || d.minute > 59 ||
        d.second > 59) {
        return std::nullopt;
    }
    d.utc = utc || std::string_view(rest) == "Z";
    return d;
}

// exiftool (Debian's libimage-exiftool-perl), when installed, takes the same dates from the
// generator's files: its first valid one of DateTimeOriginal, CreateDate, the creation date
// and mvhd's time.
TEST(ReadDateTaken, ExiftoolTakesTheSameDates) {
    if (std::system("exiftool -ver > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "exiftool is not installed (apt-get install libimage-exiftool-perl): "
                        "the cross-check is skipped";
    }
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("date_taken_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::map<std::string, std::optional<DateTaken>> expected;
    const std::vector<Row> all = rows();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].crossCheck) {
            const std::string name = std::to_string(i);
            std::ofstream(dir / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(all[i].file.data()),
                       static_cast<std::streamsize>(all[i].file.size()));
            expected[name] = all[i].expected;
        }
    }
    const std::string command =
        "exiftool -q -q -T -ext '*' -FileName -ExifIFD:DateTimeOriginal "
        "-ExifIFD:CreateDate -Keys:CreationDate -QuickTime:CreateDate '" +
        dir.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, n);
    }
    pclose(pipe);
    fs::remove_all(dir);

    std::istringstream lines(output);
    std::size_t seen = 0;
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) {
            fields.push_back(cell);
        }
        ASSERT_EQ(fields.size(), 5u) << line;
        std::optional<DateTaken> date;
        for (std::size_t f = 1; f < fields.size() && !date; ++f) {
            date = exiftoolDate(fields[f], f == 4);
        }
        ASSERT_TRUE(expected.contains(fields[0])) << line;
        EXPECT_EQ(date, expected[fields[0]]) << all[std::stoul(fields[0])].name << ": " << line;
        ++seen;
    }
    EXPECT_EQ(seen, expected.size());
}

}  // namespace
