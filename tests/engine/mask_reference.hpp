#pragma once

// Test-only: ExpandToken and ReplaceAll as the plain two-copy algorithm, with a scan
// copy and a result copy, a search from the start on every pass and NULs in the scan copy where
// the result copy receives inserted text. Quadratic, and that is the point: the engine's fast
// versions are checked against it (tests/engine/mask_test.cpp, tests/fuzz/mask_fuzz.cpp).
// Like the algorithm, it relies on prefixes and literals without NUL characters: a literal holding
// a NUL can make ReplaceAll run forever here.
// Characters: the scan copy carries a flag per byte, set where a character of the template (as
// the call found it) or of the inserted NULs begins; a match must begin and end at one. Pieces
// are cut by walking the value character by character.

#include "engine/mask.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nm::reference {

// The byte offset of each character of text, and text's size last.
inline std::vector<std::size_t> charOffsets(std::string_view text, const nm::CodePage& codePage) {
    std::vector<std::size_t> offsets;
    std::size_t at = 0;
    while (at < text.size()) {
        offsets.push_back(at);
        at += codePage.charSize(text, at);
    }
    offsets.push_back(text.size());
    return offsets;
}

// The scan copy with its character starts: starts[i] for byte i, and starts.back() for the end.
struct ScanCopy {
    std::string text;
    std::vector<bool> starts;

    ScanCopy(std::string_view tmpl, const nm::CodePage& codePage)
        : text(tmpl), starts(tmpl.size() + 1, false) {
        for (const std::size_t at : charOffsets(tmpl, codePage)) {
            starts[at] = true;
        }
    }
    std::size_t find(std::string_view needle, std::size_t from = 0) const {
        for (std::size_t p = text.find(needle, from); p != std::string::npos;
             p = text.find(needle, p + 1)) {
            if (starts[p] && starts[p + needle.size()]) {
                return p;
            }
        }
        return std::string::npos;
    }
    void erase(std::size_t p, std::size_t n) {
        text.erase(p, n);
        starts.erase(starts.begin() + static_cast<std::ptrdiff_t>(p),
                     starts.begin() + static_cast<std::ptrdiff_t>(p + n));
    }
    void insertNuls(std::size_t p, std::size_t n) {
        text.insert(p, n, '\0');
        starts.insert(starts.begin() + static_cast<std::ptrdiff_t>(p), n, true);
    }
};

// Cutting the piece, step by step, in characters.
inline std::string cutPiece(std::string_view value, std::int64_t s, std::int64_t e,
                            const nm::CodePage& codePage) {
    const std::vector<std::size_t> offsets = charOffsets(value, codePage);
    const auto l = static_cast<std::int64_t>(offsets.size() - 1);
    std::int64_t k = e - s + 1;
    if (l == 0) {
        return {};
    }
    if (s < 1) {
        s = 1;
    }
    if (s > l) {
        return {};
    }
    if (k <= 0) {
        return {};
    }
    if (s + k - 1 > l) {
        k = l - s + 1;
    }
    const std::size_t begin = offsets[static_cast<std::size_t>(s - 1)];
    const std::size_t end = offsets[static_cast<std::size_t>(s - 1 + k)];
    return std::string(value.substr(begin, end - begin));
}

// Range forms, steps 1 to 6, with TakeNumber for the numbers.
inline bool rangePiece(std::string_view range, std::string_view value, const nm::CodePage& codePage,
                       std::string& piece) {
    const auto l = static_cast<std::int64_t>(charOffsets(value, codePage).size() - 1);
    if (range.substr(0, 1) == "]") {
        piece = std::string(value);
        return true;
    }
    std::int32_t n = 0;
    if (!nm::TakeNumber(range, n)) {
        return false;
    }
    std::int64_t s = n;
    if (s < 0) {
        s = l + s + 1;
    }
    std::int64_t e = s;
    if (range.substr(0, 1) != "]") {
        const bool dashForm = range.substr(0, 1) == "-";
        range = range.substr(range.empty() ? 0 : codePage.charSize(range, 0));
        e = l;
        if (range.substr(0, 1) != "]") {
            std::int32_t m = 0;
            if (!nm::TakeNumber(range, m)) {
                return false;
            }
            if (dashForm) {
                e = m < 0 ? l + m + 1 : m;
            } else {
                e = s + m - 1;
            }
        }
    }
    piece = cutPiece(value, s, e, codePage);
    return true;
}

inline bool ExpandToken(std::string& tmpl, std::string_view prefix, std::string_view value,
                        const nm::CodePage& codePage = nm::kSingleByteCodePage) {
    if (prefix.empty()) {
        return true;
    }
    std::string result = tmpl;
    ScanCopy scan(tmpl, codePage);
    bool outcome = true;
    for (;;) {
        const std::size_t p = scan.find(prefix);
        if (p == std::string::npos) {
            break;
        }
        const std::size_t close = scan.find("]", p);
        if (close == std::string::npos) {
            outcome = false;
            break;
        }
        const std::string token = result.substr(p, close - p + 1);
        result.erase(p, token.size());
        scan.erase(p, token.size());
        const std::string_view range =
            std::string_view(token).substr(std::min(prefix.size(), token.size()));
        std::string piece;
        if (!rangePiece(range, value, codePage, piece)) {
            outcome = false;
            break;
        }
        result.insert(p, piece);
        scan.insertNuls(p, piece.size());
    }
    tmpl = result;
    return outcome;
}

inline void ReplaceAll(std::string& tmpl, std::string_view literal, std::string_view value,
                       const nm::CodePage& codePage = nm::kSingleByteCodePage) {
    if (literal.empty()) {
        return;
    }
    std::string result = tmpl;
    ScanCopy scan(tmpl, codePage);
    for (;;) {
        const std::size_t p = scan.find(literal);
        if (p == std::string::npos) {
            break;
        }
        scan.erase(p, literal.size());
        scan.insertNuls(p, value.size());
        result.erase(p, literal.size());
        result.insert(p, value);
    }
    tmpl = result;
}

}  // namespace nm::reference
