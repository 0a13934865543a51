#include "engine/datetext.hpp"

#include <cstddef>

namespace nm {
namespace {

bool isAsciiLetter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char toLowerAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// No locale and no stream: this runs several times per file in large batches.
void appendNumber(std::string& out, int value, int minDigits) {
    char digits[12];
    int count = 0;
    // Unsigned, so that the magnitude of INT_MIN does not overflow.
    unsigned magnitude =
        value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        out += '-';
    }
    for (int i = count; i < minDigits; ++i) {
        out += '0';
    }
    while (count > 0) {
        out += digits[--count];
    }
}

// 0 is Sunday, matching the order of the day names.
int dayOfWeek(int year, int month, int day) noexcept {
    static constexpr int kMonthOffset[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    long long y = month < 3 ? year - 1LL : year;
    long long r = (y + y / 4 - y / 100 + y / 400 + kMonthOffset[month - 1] + day) % 7;
    return static_cast<int>(r < 0 ? r + 7 : r);
}

void appendMonthName(std::string& out, const std::array<std::string, 12>& names, int month) {
    if (month >= 1 && month <= 12) {
        out += names[static_cast<std::size_t>(month - 1)];
    }
}

void appendDayName(std::string& out, const std::array<std::string, 7>& names,
                   const FileTime& time) {
    if (time.month >= 1 && time.month <= 12) {
        out += names[static_cast<std::size_t>(dayOfWeek(time.year, time.month, time.day))];
    }
}

// Index of the closing quote, or the pattern's end when the quote is never closed
// (the rest of the pattern is then taken as quoted text).
std::size_t closingQuote(std::string_view pattern, std::size_t from, char quote,
                         const LocaleFormats& formats) {
    std::size_t i = from;
    while (i < pattern.size() && pattern[i] != quote) {
        i += formats.codePage.charSize(pattern, i);
    }
    return i < pattern.size() ? i : pattern.size();
}

}  // namespace

std::string FormatFileTime(std::string_view pattern, const FileTime& time,
                           const LocaleFormats& formats) {
    std::string out;
    out.reserve(pattern.size() + 16);
    char lastLetter = 0;  // lower case, outside quotes: an h here makes a run of m minutes
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        // A character of several bytes is no pattern letter, whatever its bytes.
        if (const std::size_t size = formats.codePage.charSize(pattern, i); size > 1) {
            out.append(pattern, i, size);
            i += size;
            continue;
        }
        if (c == '\'' || c == '"') {
            const std::size_t end = closingQuote(pattern, i + 1, c, formats);
            out.append(pattern, i + 1, end - (i + 1));
            i = end + 1;
            continue;
        }
        if (c == '/') {
            out += formats.dateSeparator;
            ++i;
            continue;
        }
        if (c == ':') {
            out += formats.timeSeparator;
            ++i;
            continue;
        }
        if (!isAsciiLetter(c)) {
            out += c;
            ++i;
            continue;
        }

        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        const char letter = toLowerAscii(c);
        const int width = run >= 2 ? 2 : 1;
        switch (letter) {
            case 'd':
                if (run <= 2) {
                    appendNumber(out, time.day, width);
                } else {
                    appendDayName(out, run == 3 ? formats.shortDays : formats.longDays, time);
                }
                break;
            case 'm':
                if (lastLetter == 'h') {
                    appendNumber(out, time.minute, width);
                } else if (run <= 2) {
                    appendNumber(out, time.month, width);
                } else {
                    appendMonthName(out, run == 3 ? formats.shortMonths : formats.longMonths,
                                    time.month);
                }
                break;
            case 'y':
                if (run <= 2) {
                    appendNumber(out, (time.year % 100 + 100) % 100, 2);
                } else {
                    appendNumber(out, time.year, 4);
                }
                break;
            case 'h':
                appendNumber(out, time.hour, width);
                break;
            case 'n':
                appendNumber(out, time.minute, width);
                break;
            case 's':
                appendNumber(out, time.second, width);
                break;
            case 'g':
                while (i + run < pattern.size() && pattern[i + run] == ' ') {
                    ++run;
                }
                break;
            case 't':
                break;
            default:
                out.append(pattern, i, run);
                break;
        }
        lastLetter = letter;
        i += run;
    }
    return out;
}

}  // namespace nm
