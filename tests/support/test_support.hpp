#pragma once

// Helpers that the tests, the fuzz targets and the benchmarks share: the code pages they
// run the core under, the file system's folding of ASCII names, and the fuzz targets' input
// and checks.

#include <cstddef>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/codepage.hpp"

namespace nm::test {

// Code page 932's lead bytes.
inline CodePage shiftJis() {
    CodePage codePage;
    codePage.kind = CodePageKind::DoubleByte;
    for (int b = 0x81; b <= 0xFC; ++b) {
        codePage.leadBytes[static_cast<std::size_t>(b)] = b <= 0x9F || b >= 0xE0;
    }
    return codePage;
}

inline CodePage utf8() {
    CodePage codePage;
    codePage.kind = CodePageKind::Utf8;
    return codePage;
}

// Upper-cases ASCII letters, as the file system folds ASCII names; a character of several
// bytes is kept whole, so its second byte is never taken for a letter.
inline std::string foldAscii(std::string_view text, const CodePage& codePage) {
    std::string key(text);
    for (std::size_t at = 0; at < key.size();) {
        const std::size_t size = codePage.charSize(key, at);
        if (size == 1 && key[at] >= 'a' && key[at] <= 'z') {
            key[at] = static_cast<char>(key[at] - 'a' + 'A');
        }
        at += size;
    }
    return key;
}

// The same where every byte is a character.
inline std::string upper(std::string_view text) {
    return foldAscii(text, kSingleByteCodePage);
}

// A fuzz target's input, taken from the front.
struct FuzzInput {
    std::string_view data;

    bool empty() const { return data.empty(); }
    std::string_view take(std::size_t n) {
        const std::string_view taken = data.substr(0, n);
        data.remove_prefix(taken.size());
        return taken;
    }
    unsigned char takeByte() {
        const std::string_view b = take(1);
        return b.empty() ? 0 : static_cast<unsigned char>(b.front());
    }
};

// A fuzz target's check: the fuzzer reports the abort with the input that caused it.
inline void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace nm::test
