#pragma once

// How the process's ANSI code page groups bytes into characters: the one walk that ranges,
// path splitting, the planner and the date patterns all take. Portable: the Windows half
// reads it once from the system (engine/win32/ansi_code_page.hpp).

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
        switch (kind) {
            case CodePageKind::SingleByte:
                return 1;
            case CodePageKind::DoubleByte:
                return sizeAt<CodePageKind::DoubleByte>(text, at);
            case CodePageKind::Utf8:
                return sizeAt<CodePageKind::Utf8>(text, at);
        }
        return 1;
    }

    // Calls visit(at, size) for each character of the text, in order. The kind is looked at
    // once, not per character: long values are walked this way for every range.
    template <typename Visit>
    void forEachChar(std::string_view text, Visit&& visit) const {
        switch (kind) {
            case CodePageKind::SingleByte:
                walk<CodePageKind::SingleByte>(text, visit);
                return;
            case CodePageKind::DoubleByte:
                walk<CodePageKind::DoubleByte>(text, visit);
                return;
            case CodePageKind::Utf8:
                walk<CodePageKind::Utf8>(text, visit);
                return;
        }
    }

    // How many characters the text holds.
    std::size_t charCount(std::string_view text) const noexcept {
        if (singleByte()) {
            return text.size();
        }
        std::size_t count = 0;
        forEachChar(text, [&count](std::size_t, std::size_t) { ++count; });
        return count;
    }

    // Just past the last character of the text that is one of `singles`, or 0 when there is
    // none. `singles` are ASCII: a character of their own in every code page, but in a
    // double-byte one the same byte may also be the second of a character, which never counts.
    std::size_t afterLastOf(std::string_view text, std::string_view singles) const noexcept {
        if (kind != CodePageKind::DoubleByte) {
            // No ASCII byte is part of a longer character here.
            const std::size_t at = text.find_last_of(singles);
            return at == std::string_view::npos ? 0 : at + 1;
        }
        std::size_t end = 0;
        forEachChar(text, [&](std::size_t at, std::size_t size) {
            if (size == 1 && singles.find(text[at]) != std::string_view::npos) {
                end = at + 1;
            }
        });
        return end;
    }

  private:
    template <CodePageKind kKind>
    std::size_t sizeAt(std::string_view text, std::size_t at) const noexcept {
        if constexpr (kKind == CodePageKind::SingleByte) {
            return 1;
        } else if constexpr (kKind == CodePageKind::DoubleByte) {
            return leadBytes[static_cast<unsigned char>(text[at])] && at + 1 < text.size() ? 2 : 1;
        } else {
            const auto c = static_cast<unsigned char>(text[at]);
            if (c < 0x80) {
                return 1;
            }
            // Two-byte sequences (Latin, Greek, Cyrillic and the like) decided here: they are
            // most of what names hold.
            if (c >= 0xC2 && c <= 0xDF) {
                return at + 1 < text.size() &&
                               (static_cast<unsigned char>(text[at + 1]) & 0xC0) == 0x80
                           ? 2
                           : 1;
            }
            return utf8Size(text, at);
        }
    }

    template <CodePageKind kKind, typename Visit>
    void walk(std::string_view text, Visit& visit) const {
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t size = sizeAt<kKind>(text, at);
            visit(at, size);
            at += size;
        }
    }

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
