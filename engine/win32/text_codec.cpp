#include "engine/win32/text_codec.hpp"

#include <vector>

namespace nm {
namespace {

bool fitsInt(std::size_t size) {
    return size <= static_cast<std::size_t>(std::numeric_limits<int>::max());
}

std::wstring toWide(std::string_view text, UINT codePage) {
    if (text.empty() || !fitsInt(text.size())) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    }
    return wide;
}

// Whether the text holds a surrogate without its other half, which UTF-8 cannot hold.
bool hasLoneSurrogate(std::wstring_view text) noexcept {
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1])) {
            ++at;
        } else if (IS_HIGH_SURROGATE(text[at]) || IS_LOW_SURROGATE(text[at])) {
            return true;
        }
    }
    return false;
}

// `lost`, when asked for, tells whether a character was replaced. UTF-8 takes no default
// character to report with, and no flags: it writes a lone surrogate as U+FFFD, which is told
// as lost, since a file name so converted would name another file. Other code pages take no
// best-fit look-alikes.
std::string fromWide(std::wstring_view text, UINT codePage, bool* lost) {
    if (lost != nullptr) {
        *lost = !text.empty();
    }
    if (text.empty() || !fitsInt(text.size())) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    BOOL usedDefault = FALSE;
    BOOL* const report = utf8 || lost == nullptr ? nullptr : &usedDefault;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length =
        WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, report);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(codePage, flags, text.data(), size, bytes.data(), length, nullptr,
                            report);
    }
    if (lost != nullptr) {
        *lost = length <= 0 || usedDefault != FALSE || (utf8 && hasLoneSurrogate(text));
    }
    return bytes;
}

}  // namespace

std::wstring ansiToWide(std::string_view text, UINT codePage) {
    return toWide(text, codePage);
}

AnsiText wideToAnsi(std::wstring_view text, std::size_t limit) {
    AnsiText ansi;
    ansi.bytes = fromWide(text, CP_ACP, &ansi.lost);
    if (ansi.bytes.size() <= limit) {
        return ansi;
    }
    ansi.cut = true;
    // Where each whole character ends. Every character converts on its own, so a longer start
    // never takes fewer bytes: the longest that fits is found by halving.
    std::vector<std::size_t> ends;
    for (std::size_t at = 0; at < text.size();) {
        const bool pair =
            IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]);
        at += pair ? 2 : 1;
        ends.push_back(at);
    }
    std::size_t fits = 0;               // characters known to fit
    std::size_t tooMany = ends.size();  // characters known not to
    while (tooMany - fits > 1) {
        const std::size_t middle = fits + (tooMany - fits) / 2;
        if (fromWide(text.substr(0, ends[middle - 1]), CP_ACP, nullptr).size() <= limit) {
            fits = middle;
        } else {
            tooMany = middle;
        }
    }
    ansi.bytes = fromWide(text.substr(0, fits == 0 ? 0 : ends[fits - 1]), CP_ACP, &ansi.lost);
    return ansi;
}

std::string wideToUtf8(std::wstring_view text) {
    return fromWide(text, CP_UTF8, nullptr);
}

std::wstring utf8ToWide(std::string_view text) {
    return toWide(text, CP_UTF8);
}

std::string ansiToUtf8(std::string_view text, UINT codePage) {
    return wideToUtf8(ansiToWide(text, codePage));
}

}  // namespace nm
