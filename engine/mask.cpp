#include "engine/mask.hpp"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

// Both operations are defined by a scan copy and a result copy: every pass searches the scan copy
// from its start, and inserted text enters the scan copy as NULs so that it never matches. Done
// that way it is quadratic (a search from the start, an erase and an insert in two texts per
// occurrence), and a batch runs it for every file. Here the result is built left to right in one
// pass over the template, with the same outcome for every input; tests/engine/mask_reference.hpp
// keeps the two-copy algorithm, and the tests and the fuzz target compare the two.

namespace nm {
namespace {

constexpr bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// The characters of the template are fixed when the call begins: a removed occurrence
// begins and ends between characters, so text that closes up around it never forms a
// new one. Byte positions are enough where every byte is a character, and in UTF-8 for a
// needle that begins and ends with ASCII, which no multi-byte character holds.
bool needsCharStarts(std::string_view tmpl, std::string_view needle,
                     const CodePage& codePage) noexcept {
    if (codePage.singleByte() ||
        std::none_of(tmpl.begin(), tmpl.end(), [](char c) { return (c & 0x80) != 0; })) {
        return false;
    }
    if (codePage.kind == CodePageKind::Utf8) {
        return (needle.front() & 0x80) != 0 || (needle.back() & 0x80) != 0;
    }
    return true;
}

// The state of one call. `out` is the finished front of the result copy, `rest` the part of the
// template not reached yet (a view into the caller's template, which stays untouched until the
// end). Two facts make a left-to-right build give the algorithm's outcome:
// - No occurrence of the needle lies wholly in `out`: it would have been the leftmost one and been
//   taken already. So the leftmost occurrence of the whole scan copy either lies in `rest` or
//   straddles the end of `out`.
// - An occurrence that straddles the end of `out` can exist only after an empty insertion (the
//   texts on both sides closed up), and it cannot begin before `frozen`, the end of the latest
//   non-empty insertion: it would then hold an inserted character, a NUL in the scan copy.
// kCharWise: occurrences must begin and end where characters of the template begin. Without
// it every byte position counts, and the code is the plain byte search.
template <bool kCharWise>
class Splicer {
  public:
    Splicer(std::string_view tmpl, std::string_view needle, const CodePage& codePage)
        : tmpl_(tmpl), rest_(tmpl), needle_(needle) {
        out_.reserve(tmpl.size());
        if (kCharWise) {
            templateStarts_.resize(tmpl.size() + 1, 0);
            for (std::size_t at = 0; at < tmpl.size(); at += codePage.charSize(tmpl, at)) {
                templateStarts_[at] = 1;
            }
            templateStarts_[tmpl.size()] = 1;
            outStarts_.reserve(tmpl.size());
        }
    }

    // Finds the leftmost occurrence of the needle, moves the text before it into the result, and
    // takes the occurrence's characters out. False when there is none.
    bool takeOccurrence() {
        const std::size_t n = needle_.size();
        if (closedUp_) {
            closedUp_ = false;
            const std::size_t size = out_.size();
            const std::size_t first = std::max(frozen_, size >= n - 1 ? size - (n - 1) : 0);
            for (std::size_t at = first; at < size; ++at) {
                const std::size_t inOut = size - at;
                const std::size_t inRest = n - inOut;
                if (inRest <= rest_.size() &&
                    std::string_view(out_).substr(at) == needle_.substr(0, inOut) &&
                    rest_.substr(0, inRest) == needle_.substr(inOut) &&
                    (!kCharWise || (outStarts_[at] != 0 && startsInRest(inRest)))) {
                    out_.resize(at);
                    if (kCharWise) {
                        outStarts_.resize(at);
                    }
                    rest_.remove_prefix(inRest);
                    return true;
                }
            }
        }
        std::size_t pos = rest_.find(needle_);
        while (kCharWise && pos != std::string_view::npos &&
               !(startsInRest(pos) && startsInRest(pos + n))) {
            pos = rest_.find(needle_, pos + 1);
        }
        if (pos == std::string_view::npos) {
            return false;
        }
        keepTemplate(pos);
        rest_.remove_prefix(n);
        return true;
    }

    void insert(std::string_view piece) {
        out_.append(piece);
        if (kCharWise) {
            outStarts_.resize(out_.size(), 1);  // NULs in the scan copy: one character each
        }
        if (piece.empty()) {
            closedUp_ = true;
        } else {
            frozen_ = out_.size();
        }
    }

    // Puts back text that was taken but not replaced; it counts as template text, not as
    // inserted. Only finish may follow.
    void restore(std::string_view text) { out_.append(text); }

    // Takes the text not reached yet up to and including the first `last` in it (a range text
    // that ends with "]"). False, taking nothing, when there is no such character.
    bool takeThrough(char last, std::string_view& taken) noexcept {
        std::size_t at = rest_.find(last);
        while (kCharWise && at != std::string_view::npos && !startsInRest(at)) {
            at = rest_.find(last, at + 1);
        }
        if (at == std::string_view::npos) {
            return false;
        }
        taken = rest_.substr(0, at + 1);
        rest_.remove_prefix(at + 1);
        return true;
    }

    // The result copy: the finished front and the text not reached.
    std::string finish() {
        out_.append(rest_);
        rest_ = {};
        return std::move(out_);
    }

  private:
    bool startsInRest(std::size_t offset) const noexcept {
        return templateStarts_[static_cast<std::size_t>(rest_.data() - tmpl_.data()) + offset] != 0;
    }

    // Moves the first `count` bytes not reached yet into the result, as template text.
    void keepTemplate(std::size_t count) {
        if (kCharWise) {
            const auto from = templateStarts_.begin() + (rest_.data() - tmpl_.data());
            outStarts_.insert(outStarts_.end(), from, from + static_cast<std::ptrdiff_t>(count));
        }
        out_.append(rest_.substr(0, count));
        rest_.remove_prefix(count);
    }

    std::string_view tmpl_;
    std::string out_;
    std::string_view rest_;
    std::string_view needle_;
    std::size_t frozen_ = 0;
    bool closedUp_ = false;
    std::vector<unsigned char> templateStarts_;  // per template byte and its end: 1 where a
                                                 // character begins
    std::vector<unsigned char> outStarts_;       // the same for the result's bytes
};

// Cutting the piece: start s (1-based) and length k, both exact (64 bits).
std::string_view cutPiece(std::string_view value, std::int64_t s, std::int64_t k) noexcept {
    const auto length = static_cast<std::int64_t>(value.size());
    if (length == 0) {
        return {};
    }
    s = std::max<std::int64_t>(s, 1);  // the length stays as computed
    if (s > length || k <= 0) {
        return {};
    }
    k = std::min(k, length - s + 1);
    return value.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(k));
}

// The value's characters where every byte is one.
struct ByteChars {
    std::string_view value;
    std::int64_t length() const noexcept { return static_cast<std::int64_t>(value.size()); }
    std::string_view cut(std::int64_t s, std::int64_t k) const noexcept {
        return cutPiece(value, s, k);
    }
    static std::size_t charSize(std::string_view, std::size_t) noexcept { return 1; }
};

// The characters of the value that one call cuts its pieces from. A value of single-byte
// characters only (ASCII in every multi-byte code page) is cut by bytes; any other value is
// walked once, when the first range needs it, and every later piece is two look-ups.
class ValueChars {
  public:
    ValueChars(std::string_view value, const CodePage& codePage) noexcept
        : value_(value), codePage_(codePage) {
        byBytes_ = codePage.singleByte() ||
                   std::none_of(value.begin(), value.end(), [](char c) { return (c & 0x80) != 0; });
    }

    std::int64_t length() {
        if (byBytes_) {
            return static_cast<std::int64_t>(value_.size());
        }
        if (!offsets_) {
            // Left uninitialised: the walk writes every entry it keeps.
            offsets_ = std::make_unique_for_overwrite<std::size_t[]>(value_.size() + 1);
            std::size_t* const offsets = offsets_.get();
            std::size_t count = 0;
            codePage_.forEachChar(value_,
                                  [&](std::size_t at, std::size_t) { offsets[count++] = at; });
            offsets[count] = value_.size();
            chars_ = count;
        }
        return static_cast<std::int64_t>(chars_);
    }

    std::size_t charSize(std::string_view text, std::size_t at) const noexcept {
        return codePage_.charSize(text, at);
    }

    // Start s and length k in characters; length() has run.
    std::string_view cut(std::int64_t s, std::int64_t k) const noexcept {
        if (byBytes_) {
            return cutPiece(value_, s, k);
        }
        const auto length = static_cast<std::int64_t>(chars_);
        if (length == 0) {
            return {};
        }
        s = std::max<std::int64_t>(s, 1);
        if (s > length || k <= 0) {
            return {};
        }
        k = std::min(k, length - s + 1);
        const std::size_t begin = offsets_[static_cast<std::size_t>(s - 1)];
        return value_.substr(begin, offsets_[static_cast<std::size_t>(s - 1 + k)] - begin);
    }

  private:
    std::string_view value_;
    const CodePage& codePage_;
    bool byBytes_ = true;
    std::unique_ptr<std::size_t[]> offsets_;  // of each character, and the value's end
    std::size_t chars_ = 0;
};

// Range forms. All arithmetic is in 64 bits: a start of -2147483648 or a start plus a count beyond
// the 32-bit range give exact bounds, and the piece is then cut by the usual rules.
template <typename Chars>
bool selectPiece(std::string_view range, std::string_view value, Chars& chars,
                 std::string_view& piece) {
    if (!range.empty() && range.front() == ']') {
        piece = value;
        return true;
    }
    const std::int64_t length = chars.length();
    std::int32_t number = 0;
    if (!TakeNumber(range, number)) {
        return false;
    }
    std::int64_t start = number;
    if (start < 0) {
        start += length + 1;
    }
    std::int64_t end = start;
    if (range.empty() || range.front() != ']') {
        // A successful number never takes the closing "]", so there is a character to drop here.
        const bool toEnd = !range.empty() && range.front() == '-';
        range.remove_prefix(range.empty() ? 0 : chars.charSize(range, 0));
        end = length;
        if (range.empty() || range.front() != ']') {
            if (!TakeNumber(range, number)) {
                return false;
            }
            if (toEnd) {
                end = number < 0 ? length + number + 1 : number;
            } else {
                end = start + number - 1;
            }
        }
    }
    piece = chars.cut(start, end - start + 1);
    return true;
}

template <bool kCharWise, typename Chars>
bool expandWith(std::string& tmpl, std::string_view prefix, std::string_view value, Chars& chars,
                const CodePage& codePage) {
    Splicer<kCharWise> splicer(tmpl, prefix, codePage);
    // The first "]" at or after the occurrence may lie inside the prefix itself (never for a
    // real prefix); the token then ends there and the range text is empty, which fails. An
    // occurrence is whole characters, so the prefix's own characters are those it has there.
    std::size_t inPrefix = std::string_view::npos;
    for (std::size_t at = 0; at < prefix.size(); at += chars.charSize(prefix, at)) {
        if (prefix[at] == ']') {
            inPrefix = at;
            break;
        }
    }
    bool outcome = true;
    while (splicer.takeOccurrence()) {
        if (inPrefix != std::string_view::npos) {
            splicer.restore(prefix.substr(inPrefix + 1));
            outcome = false;
            break;
        }
        std::string_view range;
        if (!splicer.takeThrough(']', range)) {
            splicer.restore(prefix);  // the occurrence stays as it was
            outcome = false;
            break;
        }
        std::string_view piece;
        if (!selectPiece(range, value, chars, piece)) {
            outcome = false;  // the token stays cut out
            break;
        }
        splicer.insert(piece);
    }
    tmpl = splicer.finish();
    return outcome;
}

bool expand(std::string& tmpl, std::string_view prefix, std::string_view value,
            const CodePage& codePage) {
    if (codePage.singleByte()) {
        ByteChars chars{value};
        return expandWith<false>(tmpl, prefix, value, chars, codePage);
    }
    ValueChars chars(value, codePage);
    return needsCharStarts(tmpl, prefix, codePage)
               ? expandWith<true>(tmpl, prefix, value, chars, codePage)
               : expandWith<false>(tmpl, prefix, value, chars, codePage);
}

template <bool kCharWise>
void replaceWith(std::string& tmpl, std::string_view literal, std::string_view value,
                 const CodePage& codePage) {
    Splicer<kCharWise> splicer(tmpl, literal, codePage);
    while (splicer.takeOccurrence()) {
        splicer.insert(value);
    }
    tmpl = splicer.finish();
}

}  // namespace

std::size_t FindFrom(std::string_view needle, std::string_view text, std::size_t start) noexcept {
    start = std::max<std::size_t>(start, 1);
    if (needle.empty() || start > text.size()) {
        return 0;
    }
    const std::size_t pos = text.find(needle, start - 1);
    return pos == std::string_view::npos ? 0 : pos + 1;
}

bool TakeNumber(std::string_view& text, std::int32_t& number) noexcept {
    if (text.empty()) {
        return false;
    }
    // The number text: an optional "-" with the character after it whatever it is, or else the
    // first character; then every decimal digit that directly follows.
    std::size_t size = text.front() == '-' ? 2 : 1;
    if (size > text.size()) {
        return false;
    }
    while (size < text.size() && isDigit(text[size])) {
        ++size;
    }
    std::string_view numberText = text.substr(0, size);
    const bool negative = numberText.front() == '-';
    if (negative) {
        numberText.remove_prefix(1);
    }
    const char lead = numberText.front();
    bool hex = false;
    std::string_view digits;
    if (isDigit(lead)) {
        digits = numberText;
    } else if (lead == '$' || lead == 'x' || lead == 'X') {
        hex = true;
        digits = numberText.substr(1);
    } else if (!negative && (lead == '+' || lead == ' ')) {
        digits = numberText.substr(1);
    } else {
        return false;
    }
    if (digits.empty()) {
        return false;
    }
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : negative ? 2147483648u : 2147483647u;
    std::uint64_t magnitude = 0;
    for (const char c : digits) {
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(c - '0');
        if (magnitude > limit) {
            return false;
        }
    }
    // Two's complement in 32 bits: a hexadecimal number is its bit pattern, negated after "-".
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) {
        bits = 0u - bits;
    }
    number = static_cast<std::int32_t>(bits);
    text.remove_prefix(size);
    return true;
}

bool ExpandToken(std::string& tmpl, std::string_view prefix, std::string_view value,
                 const CodePage& codePage) noexcept {
    if (prefix.empty() || tmpl.find(prefix) == std::string::npos) {
        return true;
    }
    try {
        return expand(tmpl, prefix, value, codePage);
    } catch (...) {
        return false;  // exhausted memory; the template is as it was
    }
}

void ReplaceAll(std::string& tmpl, std::string_view literal, std::string_view value,
                const CodePage& codePage) {
    if (literal.empty() || tmpl.find(literal) == std::string::npos) {
        return;
    }
    if (needsCharStarts(tmpl, literal, codePage)) {
        replaceWith<true>(tmpl, literal, value, codePage);
    } else {
        replaceWith<false>(tmpl, literal, value, codePage);
    }
}

}  // namespace nm
