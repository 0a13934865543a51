#pragma once

// Test-only: ExpandToken and ReplaceAll as the plain two-copy algorithm, with a scan
// copy and a result copy, a search from the start on every pass and NULs in the scan copy where
// the result copy receives inserted text. Quadratic, and that is the point: the engine's fast
// versions are checked against it (tests/engine/mask_test.cpp, tests/fuzz/mask_fuzz.cpp).
// Like the algorithm, it relies on prefixes and literals without NUL characters: a literal holding
// a NUL can make ReplaceAll run forever here.

#include "engine/mask.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace nm::reference {

// Cutting the piece, step by step.
inline std::string cutPiece(std::string_view value, std::int64_t s, std::int64_t e) {
    const auto l = static_cast<std::int64_t>(value.size());
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
    return std::string(value.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(k)));
}

// Range forms, steps 1 to 6, with TakeNumber for the numbers.
inline bool rangePiece(std::string_view range, std::string_view value, std::string& piece) {
    const auto l = static_cast<std::int64_t>(value.size());
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
        range = range.substr(range.empty() ? 0 : 1);
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
    piece = cutPiece(value, s, e);
    return true;
}

inline bool ExpandToken(std::string& tmpl, std::string_view prefix, std::string_view value) {
    if (prefix.empty()) {
        return true;
    }
    std::string result = tmpl;
    std::string scan = tmpl;
    bool outcome = true;
    for (;;) {
        const std::size_t p = scan.find(prefix);
        if (p == std::string::npos) {
            break;
        }
        const std::size_t close = scan.find(']', p);
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
        if (!rangePiece(range, value, piece)) {
            outcome = false;
            break;
        }
        result.insert(p, piece);
        scan.insert(p, piece.size(), '\0');
    }
    tmpl = result;
    return outcome;
}

inline void ReplaceAll(std::string& tmpl, std::string_view literal, std::string_view value) {
    if (literal.empty()) {
        return;
    }
    std::string result = tmpl;
    std::string scan = tmpl;
    for (;;) {
        const std::size_t p = scan.find(literal);
        if (p == std::string::npos) {
            break;
        }
        scan.erase(p, literal.size());
        scan.insert(p, value.size(), '\0');
        result.erase(p, literal.size());
        result.insert(p, value);
    }
    tmpl = result;
}

}  // namespace nm::reference
