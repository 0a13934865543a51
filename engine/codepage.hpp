#pragma once

// How the process's ANSI code page groups bytes into characters. Portable: the Windows
// half fills it in at load (engine/win32/locale_capture.cpp).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nm {

enum class CodePageKind : std::uint8_t {
    SingleByte,  // every byte is a character (1250-1258 and the like)
    DoubleByte,  // a lead byte and the byte after it are one character (932, 936, 949, 950)
    Utf8,        // a whole UTF-8 sequence is one character (65001)
};

struct CodePage {
    CodePageKind kind = CodePageKind::SingleByte;
    std::array<bool, 256> leadBytes{};  // DoubleByte only

    bool singleByte() const noexcept { return kind == CodePageKind::SingleByte; }
    bool isLeadByte(unsigned char c) const noexcept {
        return kind == CodePageKind::DoubleByte && leadBytes[c];
    }

    // Bytes of the character that begins text[at] (at < text.size()): never past the end.
    // A byte that begins no whole character (a lead byte at the end, a broken UTF-8
    // sequence) is a character of its own, so text the host got wrong is counted byte by byte.
    std::size_t charSize(std::string_view text, std::size_t at) const noexcept {
        const auto c = static_cast<unsigned char>(text[at]);
        switch (kind) {
            case CodePageKind::SingleByte:
                return 1;
            case CodePageKind::DoubleByte:
                return leadBytes[c] && at + 1 < text.size() ? 2 : 1;
            case CodePageKind::Utf8:
                return c < 0x80 ? 1 : utf8Size(text, at);
        }
        return 1;
    }

  private:
    // Only well-formed sequences: no overlong forms, no surrogates, nothing above U+10FFFF.
    static std::size_t utf8Size(std::string_view text, std::size_t at) noexcept {
        const auto c = static_cast<unsigned char>(text[at]);
        std::size_t size = 0;
        unsigned char low = 0x80;  // bounds of the second byte
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            size = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            size = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            size = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return 1;
        }
        if (text.size() - at < size) {
            return 1;
        }
        const auto second = static_cast<unsigned char>(text[at + 1]);
        if (second < low || second > high) {
            return 1;
        }
        for (std::size_t i = 2; i < size; ++i) {
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
                return 1;
            }
        }
        return size;
    }
};

inline constexpr CodePage kSingleByteCodePage{};

}  // namespace nm
