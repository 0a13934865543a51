#include "tests/support/media_files.hpp"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <string_view>
#include <utility>

namespace nm::media {
namespace {

void append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}
void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}
// Big-endian numbers of `size` bytes: boxes, PNG chunks.
void putBe(Bytes& out, std::uint64_t value, unsigned size) {
    for (unsigned i = size; i-- > 0;) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}
void putLe32(Bytes& out, std::uint32_t value) {
    for (unsigned i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}
// Bytes that stand for compressed data: never 0xFF, so never a JPEG marker.
Bytes filler(std::size_t size) {
    Bytes out(size);
    std::uint32_t state = 12345;
    for (unsigned char& b : out) {
        state = state * 1103515245 + 12345;
        b = static_cast<unsigned char>((state >> 16) % 255);
    }
    return out;
}

// ---- TIFF ----

constexpr std::uint16_t kShort = 3, kLong = 4, kAscii = 2, kUndefined = 7;

struct Field {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    Bytes value;  // in the block's byte order; up to 4 bytes sit in the entry
};

class TiffWriter {
  public:
    explicit TiffWriter(bool bigEndian) : bigEndian_(bigEndian) {}

    void put16(Bytes& out, std::uint32_t value) const {
        const unsigned char b[2] = {static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value)};
        out.push_back(bigEndian_ ? b[0] : b[1]);
        out.push_back(bigEndian_ ? b[1] : b[0]);
    }
    void put32(Bytes& out, std::uint32_t value) const {
        Bytes b;
        putBe(b, value, 4);
        if (!bigEndian_) {
            std::swap(b[0], b[3]);
            std::swap(b[1], b[2]);
        }
        append(out, b);
    }
    void set32(Bytes& out, std::size_t at, std::uint32_t value) const {
        Bytes b;
        put32(b, value);
        std::memcpy(&out[at], b.data(), 4);
    }
    Field shortField(std::uint16_t tag, std::uint16_t value) const {
        Field f{tag, kShort, 1, {}};
        put16(f.value, value);
        return f;
    }
    Field longField(std::uint16_t tag, std::uint32_t value) const {
        Field f{tag, kLong, 1, {}};
        put32(f.value, value);
        return f;
    }
    static Field text(std::uint16_t tag, const char* value) {
        Field f{tag, kAscii, 0, {}};
        append(f.value, std::string_view(value, std::strlen(value) + 1));
        f.count = static_cast<std::uint32_t>(f.value.size());
        return f;
    }

    // Writes an IFD (entries sorted by tag) and its values after it. Gives where each
    // entry's value field is, so that pointers can be set later, and where the next-IFD
    // pointer is (under the key 0).
    std::map<std::uint16_t, std::size_t> writeIfd(Bytes& out, std::vector<Field> fields) const {
        std::sort(fields.begin(), fields.end(),
                  [](const Field& a, const Field& b) { return a.tag < b.tag; });
        std::map<std::uint16_t, std::size_t> at;
        const std::size_t start = out.size();
        put16(out, static_cast<std::uint32_t>(fields.size()));
        std::size_t data = start + 2 + 12 * fields.size() + 4;
        for (const Field& f : fields) {
            put16(out, f.tag);
            put16(out, f.type);
            put32(out, f.count);
            at[f.tag] = out.size();
            if (f.value.size() <= 4) {
                Bytes inline_ = f.value;
                inline_.resize(4);
                append(out, inline_);
            } else {
                put32(out, static_cast<std::uint32_t>(data));
                data += f.value.size() + (f.value.size() & 1);
            }
        }
        at[0] = out.size();
        put32(out, 0);
        for (const Field& f : fields) {
            if (f.value.size() > 4) {
                append(out, f.value);
                if (f.value.size() & 1) {
                    out.push_back(0);
                }
            }
        }
        return at;
    }

  private:
    bool bigEndian_;
};

// ---- ISO boxes ----

Bytes box(std::string_view type, const Bytes& contents) {
    Bytes out;
    putBe(out, 8 + contents.size(), 4);
    append(out, type);
    append(out, contents);
    return out;
}
Bytes fullBox(std::string_view type, unsigned version, const Bytes& contents) {
    Bytes body;
    putBe(body, version, 1);
    putBe(body, 0, 3);  // flags
    append(body, contents);
    return box(type, body);
}
Bytes ftyp(const char* brand) {
    Bytes body;
    append(body, brand);
    putBe(body, 0, 4);
    append(body, brand);
    append(body, std::string_view(brand) == "qt  " ? "qt  " : "isom");
    return box("ftyp", body);
}

// An mdat of the given kind around `media`.
Bytes mdat(Movie::MdatSize size, const Bytes& media) {
    Bytes out;
    switch (size) {
        case Movie::MdatSize::Plain:
            return box("mdat", media);
        case Movie::MdatSize::Large:
            putBe(out, 1, 4);
            append(out, "mdat");
            putBe(out, 16 + media.size(), 8);
            break;
        case Movie::MdatSize::ToEnd:
            putBe(out, 0, 4);
            append(out, "mdat");
            break;
    }
    append(out, media);
    return out;
}

// ---- PNG ----

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
    }
    return ~crc;
}

Bytes pngChunk(std::string_view type, const Bytes& data) {
    Bytes out;
    putBe(out, data.size(), 4);
    Bytes typed;
    append(typed, type);
    append(typed, data);
    append(out, typed);
    putBe(out, crc32(typed.data(), typed.size()), 4);
    return out;
}

Bytes exifPayload(const Exif& exif, bool header) {
    Bytes out;
    if (header) {
        append(out, std::string_view("Exif\0\0", 6));
    }
    append(out, tiff(exif));
    return out;
}

}  // namespace

Bytes tiff(const Exif& exif) {
    const TiffWriter w(exif.bigEndian);
    Bytes out;
    append(out, exif.bigEndian ? "MM" : "II");
    w.put16(out, exif.magic);
    w.put32(out, 8);

    std::vector<Field> ifd0 = {TiffWriter::text(0x010F, "Generator"),
                               TiffWriter::text(0x0110, "Model 1"), w.shortField(0x0112, 1)};
    if (exif.modified != nullptr) {
        ifd0.push_back(TiffWriter::text(0x0132, exif.modified));
    }
    if (exif.exifIfd) {
        ifd0.push_back(w.longField(0x8769, 0));
    }
    std::vector<Field> dates;
    if (exif.original != nullptr) {
        dates.push_back(TiffWriter::text(0x9003, exif.original));
    }
    if (exif.created != nullptr) {
        dates.push_back(TiffWriter::text(0x9004, exif.created));
    }
    if (exif.datesInIfd0) {
        ifd0.insert(ifd0.end(), dates.begin(), dates.end());
        dates.clear();
    }
    const auto at0 = w.writeIfd(out, ifd0);

    if (exif.exifIfd) {
        w.set32(out, at0.at(0x8769),
                exif.exifIfdOffset.value_or(static_cast<std::uint32_t>(out.size())));
        std::vector<Field> fields = {Field{0x9000, kUndefined, 4, {'0', '2', '3', '2'}},
                                     w.shortField(0xA001, 1)};
        fields.insert(fields.end(), dates.begin(), dates.end());
        const auto at = w.writeIfd(out, fields);
        if (exif.originalOffset && at.contains(0x9003)) {
            w.set32(out, at.at(0x9003), *exif.originalOffset);
        }
    }

    if (exif.thumbnailBytes > 0 || exif.thumbnailDate != nullptr) {
        w.set32(out, at0.at(0), static_cast<std::uint32_t>(out.size()));
        std::vector<Field> fields = {w.shortField(0x0103, 6), w.longField(0x0201, 0),
                                     w.longField(0x0202, 0)};
        if (exif.thumbnailDate != nullptr) {
            fields.push_back(TiffWriter::text(0x0132, exif.thumbnailDate));
            fields.push_back(TiffWriter::text(0x9003, exif.thumbnailDate));
        }
        const auto at1 = w.writeIfd(out, fields);
        Bytes thumbnail = {0xFF, 0xD8};
        append(thumbnail, filler(exif.thumbnailBytes));
        thumbnail.push_back(0xFF);
        thumbnail.push_back(0xD9);
        w.set32(out, at1.at(0x0201), static_cast<std::uint32_t>(out.size()));
        w.set32(out, at1.at(0x0202), static_cast<std::uint32_t>(thumbnail.size()));
        append(out, thumbnail);
    }
    return out;
}

Bytes jpeg(const Jpeg& shape) {
    const auto segment = [](Bytes& out, unsigned char marker, const Bytes& data) {
        out.push_back(0xFF);
        out.push_back(marker);
        putBe(out, data.size() + 2, 2);
        append(out, data);
    };
    Bytes xmp;
    append(xmp, std::string_view("http://ns.adobe.com/xap/1.0/\0", 29));
    append(xmp,
           "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
           "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
           "xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmp:CreateDate='2002-02-02T02:02:02'/>"
           "</rdf:RDF></x:xmpmeta>");

    Bytes out = {0xFF, 0xD8};
    segment(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    if (shape.xmpFirst) {
        segment(out, 0xE1, xmp);
    }
    if (shape.withExif) {
        segment(out, 0xE1, exifPayload(shape.exif, true));
    }
    // A 1x1 greyscale frame, then the scan.
    segment(out, 0xC0, {8, 0, 1, 0, 1, 1, 1, 0x11, 0});
    segment(out, 0xDA, {1, 1, 0, 0, 63, 0});
    append(out, filler(shape.imageBytes));
    out.push_back(0xFF);
    out.push_back(0xD9);
    return out;
}

Bytes png(const Png& shape) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    append(out, pngChunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0}));
    const Bytes exif = pngChunk("eXIf", exifPayload(shape.exif, shape.exifHeader));
    if (!shape.exifAfterImage) {
        append(out, exif);
    }
    // A zlib stream of one filtered grey pixel.
    append(out, pngChunk("IDAT", {0x78, 0x9C, 0x63, 0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01}));
    if (shape.exifAfterImage) {
        append(out, exif);
    }
    append(out, pngChunk("IEND", {}));
    return out;
}

Bytes webp(const Webp& shape) {
    const auto chunk = [](Bytes& out, std::string_view type, const Bytes& data) {
        append(out, type);
        putLe32(out, static_cast<std::uint32_t>(data.size()));
        append(out, data);
        if (data.size() & 1) {
            out.push_back(0);
        }
    };
    Bytes body;
    append(body, "WEBP");
    // VP8X: the Exif flag, a 1x1 canvas.
    chunk(body, "VP8X", {0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    // A lossless 1x1 image.
    chunk(body, "VP8L", {0x2F, 0, 0, 0, 0x10, 0x07, 0x10, 0x11, 0x11, 0x88, 0x88, 0xFE, 0x07, 0});
    chunk(body, "EXIF", exifPayload(shape.exif, shape.exifHeader));
    Bytes out;
    append(out, "RIFF");
    putLe32(out, static_cast<std::uint32_t>(body.size()));
    append(out, body);
    return out;
}

Bytes heif(const Heif& shape) {
    Bytes exifItem;
    putBe(exifItem, shape.exifHeader ? 6 : 0, 4);
    append(exifItem, exifPayload(shape.exif, shape.exifHeader));
    const Bytes image = filler(shape.imageBytes);
    const bool v1 = shape.ilocVersion > 0;

    // The meta box, with the items' positions in the file (or in idat) once known.
    const auto meta = [&](std::uint64_t imageAt, std::uint64_t exifAt) {
        Bytes hdlr(4, 0);
        append(hdlr, "pict");
        hdlr.resize(hdlr.size() + 12 + 1);  // reserved, and an empty name
        Bytes pitm;
        putBe(pitm, 1, 2);

        const auto infe = [&](unsigned id, std::string_view type) {
            Bytes e;
            putBe(e, id, shape.infeVersion == 3 ? 4 : 2);
            putBe(e, 0, 2);
            append(e, type);
            e.push_back(0);
            return fullBox("infe", shape.infeVersion, e);
        };
        Bytes iinf;
        const unsigned iinfVersion = shape.infeVersion == 3 ? 1 : 0;
        putBe(iinf, 2, iinfVersion == 0 ? 2 : 4);
        append(iinf, infe(1, "hvc1"));
        append(iinf, infe(2, "Exif"));

        Bytes iloc;
        putBe(iloc, shape.offsetSize << 4 | shape.lengthSize, 1);
        putBe(iloc, shape.baseOffsetSize << 4, 1);
        const unsigned idSize = shape.ilocVersion == 2 ? 4 : 2;
        putBe(iloc, 2, idSize);
        const auto item = [&](unsigned id, unsigned method, std::uint64_t at, std::size_t size) {
            putBe(iloc, id, idSize);
            if (v1) {
                putBe(iloc, method, 2);
            }
            putBe(iloc, 0, 2);  // this file
            putBe(iloc, shape.base, shape.baseOffsetSize);
            putBe(iloc, 1, 2);  // one extent
            putBe(iloc, at - shape.base, shape.offsetSize);
            putBe(iloc, size, shape.lengthSize);
        };
        item(1, 0, imageAt, image.size());
        item(2, shape.inIdat ? 1 : 0, exifAt, exifItem.size());

        Bytes body;
        append(body, fullBox("hdlr", 0, hdlr));
        append(body, fullBox("pitm", 0, pitm));
        append(body, fullBox("iloc", shape.ilocVersion, iloc));
        append(body, fullBox("iinf", iinfVersion, iinf));
        if (shape.inIdat) {
            append(body, box("idat", exifItem));
        }
        return fullBox("meta", 0, body);
    };

    Bytes out = ftyp(shape.brand);
    const std::size_t mdatAt = out.size() + meta(0, 0).size();
    const std::uint64_t imageAt = mdatAt + 8;
    const std::uint64_t exifAt = shape.inIdat ? 0 : imageAt + image.size();
    append(out, meta(imageAt, exifAt));
    Bytes media = image;
    if (!shape.inIdat) {
        append(media, exifItem);
    }
    append(out, box("mdat", media));
    return out;
}

Bytes movie(const Movie& shape) {
    Bytes moovBody;
    if (shape.mvhdTime) {
        const bool v1 = shape.mvhdVersion == 1;
        Bytes mvhd;
        putBe(mvhd, *shape.mvhdTime, v1 ? 8 : 4);  // created
        putBe(mvhd, *shape.mvhdTime, v1 ? 8 : 4);  // modified
        putBe(mvhd, 600, 4);                       // time scale
        putBe(mvhd, 6000, v1 ? 8 : 4);             // duration: 10 s
        putBe(mvhd, 0x00010000, 4);                // rate 1.0
        putBe(mvhd, 0x0100, 2);                    // volume 1.0
        mvhd.resize(mvhd.size() + 10);
        for (const std::uint32_t m : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) {
            putBe(mvhd, m, 4);
        }
        mvhd.resize(mvhd.size() + 24);
        putBe(mvhd, 2, 4);  // next track
        append(moovBody, fullBox("mvhd", shape.mvhdVersion, mvhd));
    }
    // A track the reader must step over.
    Bytes tkhd(80, 0);
    tkhd[11] = 1;  // track 1
    append(moovBody, box("trak", fullBox("tkhd", 0, tkhd)));

    if (shape.creationDate != nullptr) {
        Bytes hdlr(4, 0);
        append(hdlr, "mdta");
        hdlr.resize(hdlr.size() + 12 + 1);
        const char* const keyNames[] = {"com.apple.quicktime.make",
                                        "com.apple.quicktime.creationdate",
                                        "com.apple.quicktime.model"};
        Bytes keys;
        putBe(keys, 3, 4);
        for (const char* name : keyNames) {
            putBe(keys, 8 + std::strlen(name), 4);
            append(keys, "mdta");
            append(keys, name);
        }
        const auto item = [](std::uint32_t index, std::string_view text) {
            Bytes data;
            putBe(data, 1, 4);  // UTF-8
            putBe(data, 0, 4);  // locale
            append(data, text);
            Bytes type;
            putBe(type, index, 4);
            return box(std::string_view(reinterpret_cast<const char*>(type.data()), 4),
                       box("data", data));
        };
        Bytes ilst;
        append(ilst, item(1, "Generator"));
        append(ilst, item(3, "Model 1"));
        append(ilst, item(2, shape.creationDate));
        Bytes metaBody = fullBox("hdlr", 0, hdlr);
        append(metaBody, fullBox("keys", 0, keys));
        append(metaBody, box("ilst", ilst));
        const bool full = (shape.meta == Movie::Meta::InUdta) != shape.metaStyleSwapped;
        const Bytes meta = full ? fullBox("meta", 0, metaBody) : box("meta", metaBody);
        if (shape.meta == Movie::Meta::InMoov) {
            append(moovBody, meta);
        } else {
            Bytes udta = meta;
            putBe(udta, 0, 4);  // QuickTime's terminator of a list of user data
            append(moovBody, box("udta", udta));
        }
    }
    const Bytes moov = box("moov", moovBody);

    Bytes out = shape.brand != nullptr ? ftyp(shape.brand) : Bytes{};
    if (shape.moovFirst) {
        append(out, moov);
    }
    append(out, box("wide", {}));
    append(out, mdat(shape.mdatSize, filler(shape.mediaBytes)));
    if (!shape.moovFirst) {
        append(out, moov);
    }
    return out;
}

std::uint64_t quickTimeSeconds(int year, int month, int day, int hour, int minute, int second) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / month / day};
    const sys_days epoch{std::chrono::year{1904} / 1 / 1};
    return static_cast<std::uint64_t>(duration_cast<seconds>(date - epoch).count()) +
           static_cast<std::uint64_t>(hour * 3600 + minute * 60 + second);
}

}  // namespace nm::media
