#include "engine/date_taken.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace nm {

bool MemoryByteSource::read(std::uint64_t offset, void* into, std::size_t length) noexcept {
    if (offset > bytes_.size() || length > bytes_.size() - offset) {
        return false;
    }
    if (length != 0) {
        std::memcpy(into, bytes_.data() + offset, length);
    }
    return true;
}

namespace {

// [offset, offset + length) lies within [0, limit), without overflow.
constexpr bool fits(std::uint64_t offset, std::uint64_t length, std::uint64_t limit) noexcept {
    return offset <= limit && length <= limit - offset;
}

// Shifts on std::uint32_t: an unsigned char promotes to int, where << 24 could overflow.
std::uint16_t be16(const unsigned char* p) noexcept {
    return static_cast<std::uint16_t>(std::uint32_t{p[0]} << 8 | p[1]);
}
std::uint32_t be32(const unsigned char* p) noexcept {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::uint64_t be64(const unsigned char* p) noexcept {
    return std::uint64_t{be32(p)} << 32 | be32(p + 4);
}
std::uint16_t le16(const unsigned char* p) noexcept {
    return static_cast<std::uint16_t>(std::uint32_t{p[1]} << 8 | p[0]);
}
std::uint32_t le32(const unsigned char* p) noexcept {
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

bool equal(const unsigned char* p, std::string_view text) noexcept {
    return std::memcmp(p, text.data(), text.size()) == 0;
}

// ---- Dates ----

constexpr bool isLeapYear(int year) noexcept {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int daysInMonth(int year, int month) noexcept {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isPossible(const DateTaken& d) noexcept {
    return d.year >= kDateTakenMinYear && d.year <= kDateTakenMaxYear && d.month >= 1 &&
           d.month <= 12 && d.day >= 1 && d.day <= daysInMonth(d.year, d.month) && d.hour >= 0 &&
           d.hour <= 23 && d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 59;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and back
// (H. Hinnant's algorithms).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) noexcept {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

DateTaken civilFromDays(std::int64_t z) noexcept {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2);
    return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), 0, 0, 0, false};
}

constexpr std::int64_t kQuickTimeEpochDays = daysFromCivil(1904, 1, 1);
// Seconds from 1904 to the end of the last year allowed: larger mvhd values are impossible.
constexpr std::uint64_t kQuickTimeMaxSeconds =
    static_cast<std::uint64_t>(daysFromCivil(kDateTakenMaxYear + 1, 1, 1) - kQuickTimeEpochDays) *
        86400 -
    1;

// mvhd's time: seconds since 1904-01-01 UTC; 0 means none was written.
std::optional<DateTaken> fromQuickTimeSeconds(std::uint64_t seconds) noexcept {
    if (seconds == 0 || seconds > kQuickTimeMaxSeconds) {
        return std::nullopt;
    }
    DateTaken date =
        civilFromDays(kQuickTimeEpochDays + static_cast<std::int64_t>(seconds / 86400));
    const auto inDay = static_cast<int>(seconds % 86400);
    date.hour = inDay / 3600;
    date.minute = inDay / 60 % 60;
    date.second = inDay % 60;
    date.utc = true;
    return date;
}

// "YYYY:MM:DD HH:MM:SS" as Exif writes it; "-" between the date's parts and "T" before the
// time are taken too, as some programs write them and the creation date always does.
// Whatever follows the seconds is the caller's.
constexpr std::size_t kDateTextLength = 19;

std::optional<DateTaken> parseDateText(std::string_view text) noexcept {
    if (text.size() < kDateTextLength) {
        return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t digits, int& out) {
        out = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return false;
            }
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    const auto dateSeparator = [](char c) { return c == ':' || c == '-'; };
    DateTaken date{};
    if (!number(0, 4, date.year) || !dateSeparator(text[4]) || !number(5, 2, date.month) ||
        !dateSeparator(text[7]) || !number(8, 2, date.day) ||
        (text[10] != ' ' && text[10] != 'T') || !number(11, 2, date.hour) || text[13] != ':' ||
        !number(14, 2, date.minute) || text[16] != ':' || !number(17, 2, date.second) ||
        !isPossible(date)) {
        return std::nullopt;
    }
    return date;
}

// QuickTime's creation date, "2023-05-01T12:34:56+0200": its wall-clock part as written; only
// a "Z" (after any fraction of a second) makes it a UTC time.
std::optional<DateTaken> parseCreationDate(std::string_view text) noexcept {
    std::optional<DateTaken> date = parseDateText(text);
    if (date) {
        std::size_t at = kDateTextLength;
        if (at < text.size() && text[at] == '.') {
            do {
                ++at;
            } while (at < text.size() && text[at] >= '0' && text[at] <= '9');
        }
        date->utc = at < text.size() && text[at] == 'Z';
    }
    return date;
}

// ---- Reading ----

// Every read of one file goes through here: checked against the file's size, the largest
// piece and the budget. One piece may be kept (a small box read whole) to serve the reads of
// its parts.
class Reader {
  public:
    explicit Reader(ByteSource& source) : source_(source), size_(source.size()) {}

    std::uint64_t size() const noexcept { return size_; }

    bool read(std::uint64_t offset, void* into, std::uint64_t length) {
        if (!fits(offset, length, size_) || length > kDateTakenMaxPiece) {
            return false;
        }
        if (length == 0) {
            return true;
        }
        // Narrowed only past the checks: size_t has 32 bits in the 32-bit DLL.
        if (offset >= keptOffset_ && fits(offset - keptOffset_, length, kept_.size())) {
            std::memcpy(into, kept_.data() + static_cast<std::size_t>(offset - keptOffset_),
                        static_cast<std::size_t>(length));
            return true;
        }
        return fetch(offset, into, length);
    }

    // Reads [offset, offset + length) whole, when it is small enough, so that the reads of
    // its parts cost one read of the source. Only a hint: on failure the parts are read one
    // by one.
    void keep(std::uint64_t offset, std::uint64_t length) {
        if (!fits(offset, length, size_) || length > kDateTakenMaxPiece ||
            (offset >= keptOffset_ && fits(offset - keptOffset_, length, kept_.size()))) {
            return;
        }
        kept_.resize(static_cast<std::size_t>(length));
        if (!fetch(offset, kept_.data(), length)) {
            kept_.clear();
        }
        keptOffset_ = offset;
    }

    // Counts one more structure of a kind limited to `limit` per file.
    bool visit(unsigned limit) noexcept { return ++visits_ <= limit; }

  private:
    bool fetch(std::uint64_t offset, void* into, std::uint64_t length) {
        if (length > kDateTakenReadBudget - spent_) {
            spent_ = kDateTakenReadBudget;  // nothing more is read from this file
            return false;
        }
        spent_ += length;
        return source_.read(offset, into, static_cast<std::size_t>(length));
    }

    ByteSource& source_;
    const std::uint64_t size_;
    std::uint64_t spent_ = 0;
    unsigned visits_ = 0;
    std::vector<unsigned char> kept_;
    std::uint64_t keptOffset_ = 0;
};

// A part of the file, [begin, end).
struct Range {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint64_t length() const noexcept { return end - begin; }
};

// PNG, WebP and HEIF writers differ on whether Exif's APP1 header comes before the TIFF
// header; a TIFF header never starts with it, so it is skipped wherever it is found.
Range skipExifHeader(Reader& reader, Range range) {
    unsigned char head[6];
    if (range.length() >= 6 && reader.read(range.begin, head, 6) &&
        equal(head, std::string_view("Exif\0\0", 6))) {
        range.begin += 6;
    }
    return range;
}

// ---- TIFF: IFD0, its Exif IFD, and the two dates there ----

constexpr std::uint16_t kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagDateTimeOriginal = 0x9003;
constexpr std::uint16_t kTagCreateDate = 0x9004;
constexpr std::uint16_t kTypeAscii = 2;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint16_t kTypeUndefined = 7;
constexpr std::uint16_t kTypeIfd = 13;
constexpr std::size_t kIfdEntrySize = 12;

class TiffBlock {
  public:
    TiffBlock(Reader& reader, Range range) : reader_(reader), range_(range) {}

    std::optional<DateTaken> dateTaken() {
        unsigned char header[8];
        if (!read(0, header, sizeof header)) {
            return std::nullopt;
        }
        if (equal(header, "II")) {
            bigEndian_ = false;
        } else if (equal(header, "MM")) {
            bigEndian_ = true;
        } else {
            return std::nullopt;
        }
        // 42, and the raw formats that change only the magic: ORF's "RO" and "RS", RW2's "U".
        const std::uint16_t magic = u16(header + 2);
        if (magic != 42 && magic != 0x4F52 && magic != 0x5352 && magic != 0x0055) {
            return std::nullopt;
        }
        const std::uint32_t ifd0 = u32(header + 4);
        if (!readIfd(ifd0)) {
            return std::nullopt;
        }
        const unsigned char* pointer = find(kTagExifIfd);
        if (pointer == nullptr || (u16(pointer + 2) != kTypeLong && u16(pointer + 2) != kTypeIfd) ||
            u32(pointer + 4) != 1) {
            return std::nullopt;
        }
        // Only two IFDs are read, so the one loop possible is the Exif IFD being IFD0 itself.
        const std::uint32_t exifIfd = u32(pointer + 8);
        if (exifIfd == ifd0 || !readIfd(exifIfd)) {
            return std::nullopt;
        }
        std::optional<DateTaken> date = dateAt(find(kTagDateTimeOriginal));
        return date ? date : dateAt(find(kTagCreateDate));
    }

  private:
    // Offsets in a TIFF count from its header, so every read is checked against its block.
    bool read(std::uint64_t offset, void* into, std::uint64_t length) {
        return fits(offset, length, range_.length()) &&
               reader_.read(range_.begin + offset, into, length);
    }
    std::uint16_t u16(const unsigned char* p) const noexcept {
        return bigEndian_ ? be16(p) : le16(p);
    }
    std::uint32_t u32(const unsigned char* p) const noexcept {
        return bigEndian_ ? be32(p) : le32(p);
    }

    bool readIfd(std::uint32_t offset) {
        unsigned char count[2];
        if (!read(offset, count, 2)) {
            return false;
        }
        const std::uint16_t entries = u16(count);
        if (entries == 0 || entries > kDateTakenMaxIfdEntries) {
            return false;
        }
        entries_.resize(entries * kIfdEntrySize);
        return read(std::uint64_t{offset} + 2, entries_.data(), entries_.size());
    }

    const unsigned char* find(std::uint16_t tag) const noexcept {
        for (std::size_t at = 0; at < entries_.size(); at += kIfdEntrySize) {
            if (u16(&entries_[at]) == tag) {
                return &entries_[at];
            }
        }
        return nullptr;
    }

    // An unreadable value counts as absent, like a zero or impossible one.
    std::optional<DateTaken> dateAt(const unsigned char* entry) {
        if (entry == nullptr) {
            return std::nullopt;
        }
        const std::uint16_t type = u16(entry + 2);
        // At least the text; 19 bytes never fit in the entry, so they are at an offset.
        if ((type != kTypeAscii && type != kTypeUndefined) || u32(entry + 4) < kDateTextLength) {
            return std::nullopt;
        }
        char text[kDateTextLength];
        if (!read(u32(entry + 8), text, sizeof text)) {
            return std::nullopt;
        }
        return parseDateText(std::string_view(text, sizeof text));
    }

    Reader& reader_;
    Range range_;
    bool bigEndian_ = false;
    std::vector<unsigned char> entries_;  // the IFD read last
};

// ---- JPEG: the markers from SOI to the image data ----

std::optional<DateTaken> readJpeg(Reader& reader) {
    std::uint64_t at = 2;  // after SOI
    while (reader.visit(kDateTakenMaxJpegSegments)) {
        // Marker and length in one read; a file cannot end within the 4 bytes after a marker
        // and still hold the dates further on.
        unsigned char marker[4];
        if (!reader.read(at, marker, 4) || marker[0] != 0xFF) {
            return std::nullopt;
        }
        const unsigned char kind = marker[1];
        if (kind == 0xFF) {  // a fill byte
            at += 1;
            continue;
        }
        if (kind == 0xDA || kind == 0xD9) {  // image data, or the end: no Exif comes after
            return std::nullopt;
        }
        if (kind == 0x01 || (kind >= 0xD0 && kind <= 0xD8)) {  // markers without a length
            at += 2;
            continue;
        }
        const std::uint16_t length = be16(marker + 2);
        if (length < 2) {
            return std::nullopt;
        }
        unsigned char header[6];
        // APP1 holds Exif or XMP, in either order; a segment cut off by the end of the file
        // may still hold the dates.
        if (kind == 0xE1 && length >= 2 + sizeof header && reader.read(at + 4, header, 6) &&
            equal(header, std::string_view("Exif\0\0", 6))) {
            const std::uint64_t end = at + 2 + length;
            Range tiff{at + 10, end < reader.size() ? end : reader.size()};
            if (tiff.begin < tiff.end) {
                if (std::optional<DateTaken> date = TiffBlock(reader, tiff).dateTaken()) {
                    return date;
                }
            }
        }
        at += 2 + std::uint64_t{length};
    }
    return std::nullopt;
}

// ---- PNG and WebP: chunks ----

std::optional<DateTaken> readPng(Reader& reader) {
    std::uint64_t at = 8;  // after the signature
    while (reader.visit(kDateTakenMaxChunks)) {
        unsigned char header[8];
        if (!reader.read(at, header, sizeof header)) {
            return std::nullopt;
        }
        const std::uint32_t length = be32(header);
        if (length > 0x7FFFFFFF) {  // PNG's own limit on a chunk
            return std::nullopt;
        }
        if (equal(header + 4, "eXIf")) {
            if (!fits(at + 8, length, reader.size())) {
                return std::nullopt;
            }
            return TiffBlock(reader, skipExifHeader(reader, {at + 8, at + 8 + length})).dateTaken();
        }
        if (equal(header + 4, "IEND")) {
            return std::nullopt;
        }
        at += 12 + std::uint64_t{length};  // header, data, CRC
    }
    return std::nullopt;
}

std::optional<DateTaken> readWebp(Reader& reader) {
    unsigned char riff[8];
    if (!reader.read(0, riff, sizeof riff)) {
        return std::nullopt;
    }
    // The chunks lie within RIFF's own size, and within the file if it was cut short.
    const std::uint64_t declared = 8 + std::uint64_t{le32(riff + 4)};
    const std::uint64_t end = declared < reader.size() ? declared : reader.size();
    std::uint64_t at = 12;  // after "RIFF", the size and "WEBP"
    while (at < end && reader.visit(kDateTakenMaxChunks)) {
        unsigned char header[8];
        if (!fits(at, sizeof header, end) || !reader.read(at, header, sizeof header)) {
            return std::nullopt;
        }
        const std::uint32_t length = le32(header + 4);
        if (!fits(at + 8, length, end)) {
            return std::nullopt;
        }
        if (equal(header, "EXIF")) {
            return TiffBlock(reader, skipExifHeader(reader, {at + 8, at + 8 + length})).dateTaken();
        }
        at += 8 + std::uint64_t{length} + (length & 1);  // chunks are padded to even sizes
    }
    return std::nullopt;
}

// ---- ISO base media boxes: MP4, MOV, 3GP, HEIF ----

struct Box {
    char type[4];
    std::uint64_t begin;    // its header
    std::uint64_t content;  // after the header
    std::uint64_t end;
    unsigned depth;  // 1 at the top level

    bool is(std::string_view name) const noexcept { return std::memcmp(type, name.data(), 4) == 0; }
    Range contents() const noexcept { return {content, end}; }
};

// The boxes of one level, one header read each. Damage (a size that cannot be, or that runs
// past the parent) ends the walk and is remembered; since every box moves the walk on by at
// least its 8-byte header, sizes cannot loop.
class BoxWalk {
  public:
    // The top level: the whole file.
    explicit BoxWalk(Reader& reader) : reader_(reader), at_(0), end_(reader.size()), depth_(1) {}
    // The children of `parent`, from `skip` bytes into its contents (a full box's version).
    BoxWalk(Reader& reader, const Box& parent, std::uint64_t skip = 0)
        : reader_(reader), at_(parent.content), end_(parent.end), depth_(parent.depth + 1) {
        if (skip > end_ - at_ || depth_ > kDateTakenMaxBoxDepth) {
            damaged_ = true;
        } else {
            at_ += skip;
        }
    }

    bool next(Box& box) {
        // QuickTime may end a list of children with a 4-byte zero: less than a header left is
        // the end.
        if (damaged_ || end_ - at_ < 8) {
            return false;
        }
        unsigned char header[16];
        if (!reader_.visit(kDateTakenMaxBoxes) || !reader_.read(at_, header, 8)) {
            return fail();
        }
        const std::uint32_t size = be32(header);
        std::uint64_t headerSize = 8;
        std::uint64_t total = size;
        if (size == 1) {  // a 64-bit size follows the type
            if (!reader_.read(at_ + 8, header + 8, 8)) {
                return fail();
            }
            headerSize = 16;
            total = be64(header + 8);
        } else if (size == 0) {  // up to the end of the parent (of the file at the top level)
            total = end_ - at_;
        }
        if (total < headerSize || total > end_ - at_) {
            return fail();
        }
        std::memcpy(box.type, header + 4, 4);
        box.begin = at_;
        box.content = at_ + headerSize;
        box.end = at_ + total;
        box.depth = depth_;
        at_ = box.end;
        return true;
    }

    bool damaged() const noexcept { return damaged_; }

  private:
    bool fail() noexcept {
        damaged_ = true;
        return false;
    }

    Reader& reader_;
    std::uint64_t at_;
    std::uint64_t end_;
    unsigned depth_;
    bool damaged_ = false;
};

// Big-endian numbers of 0, 2, 4 or 8 bytes taken one after the other from a box's contents.
class Cursor {
  public:
    Cursor(Reader& reader, Range range) : reader_(reader), at_(range.begin), end_(range.end) {}

    std::uint64_t take(unsigned bytes) {
        unsigned char data[8] = {};
        if (!ok_ || bytes == 0) {
            return 0;
        }
        if (bytes > sizeof data || !fits(at_, bytes, end_) || !reader_.read(at_, data, bytes)) {
            ok_ = false;
            return 0;
        }
        at_ += bytes;
        std::uint64_t value = 0;
        for (unsigned i = 0; i < bytes; ++i) {
            value = value << 8 | data[i];
        }
        return value;
    }
    bool ok() const noexcept { return ok_; }

  private:
    Reader& reader_;
    std::uint64_t at_;
    std::uint64_t end_;
    bool ok_ = true;
};

// The first child of each kind asked for; false if the walk met damage.
template <std::size_t N>
bool findChildren(BoxWalk walk, const std::string_view (&types)[N],
                  std::optional<Box> (&found)[N]) {
    Box box;
    while (walk.next(box)) {
        for (std::size_t i = 0; i < N; ++i) {
            if (!found[i] && box.is(types[i])) {
                found[i] = box;
            }
        }
    }
    return !walk.damaged();
}

std::optional<Box> findChild(BoxWalk walk, std::string_view type) {
    const std::string_view types[] = {type};
    std::optional<Box> found[1];
    return findChildren(walk, types, found) ? found[0] : std::nullopt;
}

// A full box's version byte (the flags are not needed).
std::optional<unsigned> versionOf(Reader& reader, const Box& box) {
    unsigned char head[4];
    if (box.end - box.content < 4 || !reader.read(box.content, head, 4)) {
        return std::nullopt;
    }
    return head[0];
}

// -- HEIF: the item of type Exif --

std::optional<std::uint32_t> findExifItem(Reader& reader, const Box& iinf) {
    const std::optional<unsigned> version = versionOf(reader, iinf);
    if (!version) {
        return std::nullopt;
    }
    // The entries are read as the boxes they are; the count before them is not needed.
    BoxWalk walk(reader, iinf, *version == 0 ? 6 : 8);
    Box infe;
    while (walk.next(infe)) {
        // Versions 2 and 3 name the item's type (0 and 1 have none): after a 16-bit or a
        // 32-bit item ID and the 16-bit protection index.
        unsigned char entry[14];
        const std::uint64_t length = std::min<std::uint64_t>(infe.end - infe.content, 14);
        if (!infe.is("infe") || length < 12 || !reader.read(infe.content, entry, length)) {
            continue;
        }
        if (entry[0] == 2 && equal(entry + 8, "Exif")) {
            return be16(entry + 4);
        }
        if (entry[0] == 3 && length == 14 && equal(entry + 10, "Exif")) {
            return be32(entry + 4);
        }
    }
    return std::nullopt;
}

// Where an item's bytes are: its first extent, in the file or in idat.
struct ItemLocation {
    unsigned method;  // 0: the file; 1: idat
    std::uint64_t base, offset, length;
};

std::optional<ItemLocation> locateItem(Reader& reader, const Box& iloc, std::uint32_t item) {
    Cursor in(reader, iloc.contents());
    const auto version = static_cast<unsigned>(in.take(1));
    in.take(3);  // flags
    const auto sizes = static_cast<unsigned>(in.take(2));
    const unsigned offsetSize = sizes >> 12, lengthSize = sizes >> 8 & 15;
    const unsigned baseSize = sizes >> 4 & 15, indexSize = version == 0 ? 0 : sizes & 15;
    const auto allowed = [](unsigned size) { return size == 0 || size == 4 || size == 8; };
    if (!in.ok() || version > 2 || !allowed(offsetSize) || !allowed(lengthSize) ||
        !allowed(baseSize) || !allowed(indexSize)) {
        return std::nullopt;
    }
    const unsigned idSize = version < 2 ? 2 : 4;
    const std::uint64_t items = in.take(idSize);
    // Items and extents are both counted as boxes: an extent of zero-sized fields takes no
    // bytes, so only the count bounds the loop.
    for (std::uint64_t i = 0; i < items && in.ok(); ++i) {
        if (!reader.visit(kDateTakenMaxBoxes)) {
            return std::nullopt;
        }
        const std::uint64_t id = in.take(idSize);
        const unsigned method = version == 0 ? 0 : static_cast<unsigned>(in.take(2) & 15);
        in.take(2);  // the data reference: this file
        const std::uint64_t base = in.take(baseSize);
        const std::uint64_t extents = in.take(2);
        std::optional<ItemLocation> first;
        for (std::uint64_t e = 0; e < extents && in.ok(); ++e) {
            if (!reader.visit(kDateTakenMaxBoxes)) {
                return std::nullopt;
            }
            in.take(indexSize);
            const std::uint64_t offset = in.take(offsetSize);
            const std::uint64_t length = in.take(lengthSize);
            if (e == 0) {
                first = ItemLocation{method, base, offset, length};
            }
        }
        if (id == item && in.ok()) {
            return first;
        }
    }
    return std::nullopt;
}

std::optional<DateTaken> readHeifExif(Reader& reader, const Box& meta) {
    reader.keep(meta.begin, meta.end - meta.begin);
    if (versionOf(reader, meta) != 0u) {
        return std::nullopt;
    }
    const std::string_view types[] = {"iinf", "iloc", "idat"};
    std::optional<Box> found[3];
    if (!findChildren(BoxWalk(reader, meta, 4), types, found) || !found[0] || !found[1]) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> item = findExifItem(reader, *found[0]);
    const std::optional<ItemLocation> at =
        item ? locateItem(reader, *found[1], *item) : std::nullopt;
    if (!at || at->method > 1 || (at->method == 1 && !found[2])) {
        return std::nullopt;
    }
    // The offsets add up in 64 bits, and a sum that overflows lies outside any file.
    const Range within = at->method == 0 ? Range{0, reader.size()} : found[2]->contents();
    std::uint64_t begin = within.begin;
    if (at->base > UINT64_MAX - begin || at->offset > UINT64_MAX - (begin + at->base)) {
        return std::nullopt;
    }
    begin += at->base + at->offset;
    if (begin > within.end) {
        return std::nullopt;
    }
    // A length of 0 means the rest of the data.
    const std::uint64_t length = at->length == 0 ? within.end - begin : at->length;
    if (!fits(begin, length, within.end) || length < 4) {
        return std::nullopt;
    }
    // The item starts with the offset of the TIFF header from the end of that offset.
    unsigned char head[4];
    if (!reader.read(begin, head, 4) || be32(head) > length - 4) {
        return std::nullopt;
    }
    const Range tiff{begin + 4 + be32(head), begin + length};
    return TiffBlock(reader, skipExifHeader(reader, tiff)).dateTaken();
}

// -- QuickTime: the creation date the camera wrote, else mvhd's --

constexpr std::string_view kCreationDateKey = "com.apple.quicktime.creationdate";
constexpr std::uint64_t kMaxCreationDateText = 64;  // the date, a fraction and an offset

// The 1-based index of the creation date in a keys box, or 0.
std::uint32_t findCreationDateKey(Reader& reader, const Box& keys) {
    Cursor in(reader, keys.contents());
    in.take(4);  // version and flags
    const std::uint64_t count = in.take(4);
    std::uint64_t at = keys.content + 8;
    for (std::uint64_t index = 1; index <= count && in.ok(); ++index) {
        unsigned char entry[8 + kCreationDateKey.size()];
        // Each key: its size (these 8 bytes included), its namespace and its name.
        if (!reader.visit(kDateTakenMaxBoxes) || !fits(at, 8, keys.end) ||
            !reader.read(at, entry, 8)) {
            return 0;
        }
        const std::uint32_t size = be32(entry);
        if (size < 8 || !fits(at, size, keys.end)) {
            return 0;
        }
        if (size == sizeof entry && equal(entry + 4, "mdta") &&
            reader.read(at + 8, entry + 8, kCreationDateKey.size()) &&
            equal(entry + 8, kCreationDateKey)) {
            return static_cast<std::uint32_t>(index);  // at most kDateTakenMaxBoxes
        }
        at += size;
    }
    return 0;
}

std::optional<DateTaken> readCreationDate(Reader& reader, const Box& meta) {
    reader.keep(meta.begin, meta.end - meta.begin);
    // QuickTime writes meta as a plain box; ISO-style writers add a version and flags. A
    // plain one starts with its hdlr child, so the type sits 4 bytes further on.
    unsigned char head[8];
    std::uint64_t skip = 0;
    if (meta.end - meta.content >= 8 && reader.read(meta.content, head, 8) &&
        !equal(head + 4, "hdlr") && be32(head) == 0) {
        skip = 4;
    }
    const std::string_view types[] = {"hdlr", "keys", "ilst"};
    std::optional<Box> found[3];
    if (!findChildren(BoxWalk(reader, meta, skip), types, found) || !found[0] || !found[1] ||
        !found[2]) {
        return std::nullopt;
    }
    // Keys and numbered items mean something only under the mdta handler.
    unsigned char handler[12];
    if (!fits(found[0]->content, sizeof handler, found[0]->end) ||
        !reader.read(found[0]->content, handler, sizeof handler) || !equal(handler + 8, "mdta")) {
        return std::nullopt;
    }
    const std::uint32_t index = findCreationDateKey(reader, *found[1]);
    if (index == 0) {
        return std::nullopt;
    }
    // ilst's items are typed by their key's index; the value is in the item's data box.
    BoxWalk items(reader, *found[2]);
    Box item;
    while (items.next(item)) {
        if (be32(reinterpret_cast<const unsigned char*>(item.type)) != index) {
            continue;
        }
        const std::optional<Box> data = findChild(BoxWalk(reader, item), "data");
        unsigned char value[8 + kMaxCreationDateText];
        if (!data || data->end - data->content < 8) {
            return std::nullopt;
        }
        const std::uint64_t length =
            std::min<std::uint64_t>(data->end - data->content, sizeof value);
        // The type indicator: 1 is UTF-8 text.
        if (!reader.read(data->content, value, length) || be32(value) != 1) {
            return std::nullopt;
        }
        return parseCreationDate(std::string_view(reinterpret_cast<const char*>(value) + 8,
                                                  static_cast<std::size_t>(length - 8)));
    }
    return std::nullopt;
}

std::optional<DateTaken> readMovieHeader(Reader& reader, const Box& mvhd) {
    unsigned char head[12];
    if (!fits(mvhd.content, sizeof head, mvhd.end) ||
        !reader.read(mvhd.content, head, sizeof head)) {
        return std::nullopt;
    }
    // Version 0 holds 32-bit times, version 1 64-bit ones.
    if (head[0] == 0) {
        return fromQuickTimeSeconds(be32(head + 4));
    }
    return head[0] == 1 ? fromQuickTimeSeconds(be64(head + 4)) : std::nullopt;
}

std::optional<DateTaken> readMovie(Reader& reader, const Box& moov) {
    const std::string_view types[] = {"meta", "udta", "mvhd"};
    std::optional<Box> found[3];
    if (!findChildren(BoxWalk(reader, moov), types, found)) {
        return std::nullopt;
    }
    const auto& [meta, udta, mvhd] = found;
    if (meta) {
        if (std::optional<DateTaken> date = readCreationDate(reader, *meta)) {
            return date;
        }
    }
    if (udta) {
        if (const std::optional<Box> inner = findChild(BoxWalk(reader, *udta), "meta")) {
            if (std::optional<DateTaken> date = readCreationDate(reader, *inner)) {
                return date;
            }
        }
    }
    return mvhd ? readMovieHeader(reader, *mvhd) : std::nullopt;
}

bool isTopLevelBox(const unsigned char* type) noexcept {
    for (const std::string_view known : {"ftyp", "moov", "mdat", "wide", "free", "skip", "pnot"}) {
        if (equal(type, known)) {
            return true;
        }
    }
    return false;
}

// The top level, in file order: moov is wherever the writer put it, mdat is skipped by its
// size without being read.
std::optional<DateTaken> readIsoMedia(Reader& reader) {
    BoxWalk walk(reader);
    Box box;
    while (walk.next(box)) {
        if (box.is("moov")) {
            return readMovie(reader, box);
        }
        if (box.is("meta")) {
            if (std::optional<DateTaken> date = readHeifExif(reader, box)) {
                return date;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<DateTaken> readDateTaken(ByteSource& source) noexcept {
    try {
        Reader reader(source);
        unsigned char head[12] = {};
        const std::uint64_t length = reader.size() < sizeof head ? reader.size() : sizeof head;
        if (!reader.read(0, head, length)) {
            return std::nullopt;
        }
        if (length >= 3 && equal(head, "\xFF\xD8\xFF")) {
            return readJpeg(reader);
        }
        if (length >= 8 && (equal(head, "II") || equal(head, "MM"))) {
            return TiffBlock(reader, {0, reader.size()}).dateTaken();
        }
        if (length >= 8 && equal(head, "\x89PNG\r\n\x1A\n")) {
            return readPng(reader);
        }
        if (length >= 12 && equal(head, "RIFF") && equal(head + 8, "WEBP")) {
            return readWebp(reader);
        }
        if (length >= 8 && isTopLevelBox(head + 4)) {
            return readIsoMedia(reader);
        }
        return std::nullopt;
    } catch (...) {  // memory for a piece: the file counts as one without a date
        return std::nullopt;
    }
}

}  // namespace nm
