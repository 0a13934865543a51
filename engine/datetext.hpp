#pragma once

// A file's last-write time written as text under a date-and-time pattern, and the
// user's date settings that the patterns draw on. Portable: the Windows half that
// fills these in lives in engine/win32/.

#include <array>
#include <string>
#include <string_view>

#include "engine/codepage.hpp"

namespace nm {

// The user's date settings, taken once at load. Every member starts at the English
// value, which is also what stays when the locale cannot give an item.
struct LocaleFormats {
    std::string shortDate = "m/d/yy";
    char dateSeparator = '/';
    char timeSeparator = ':';
    std::array<std::string, 12> shortMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> longMonths{"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
    std::array<std::string, 7> shortDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> longDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    // The ANSI code page's characters: for path splitting, patterns and ranges, which walk
    // them through codePage alone.
    CodePage codePage;
    bool isLeadByte(unsigned char c) const noexcept { return codePage.isLeadByte(c); }
};

// A local date and time: a file's last-write time at the precision of a DOS time stamp
// (years 1980 to 2107, even seconds), or the date a photo was taken (years 1601 to 9999,
// whole seconds).
struct FileTime {
    int year, month, day, hour, minute, second;
    friend bool operator==(const FileTime&, const FileTime&) = default;
};

// Writes `time` under `pattern`. Never fails; pattern letters count in either case.
//   d dd / ddd dddd+       day of the month, at least 1 / 2 digits; short / full day name
//   m mm / mmm mmmm+       month, at least 1 / 2 digits; short / full month name;
//                          minutes instead (like n) when the last letter before is an h
//   y yy / yyy+            last two digits of the year / the year with four digits
//   h hh+, n nn+, s ss+    hour (0 to 23), minute, second, at least 1 / 2 digits
//   / and :                the locale's date and time separators
//   '...' or "..."         the quoted text as it stands
//   g gg+                  era: nothing, together with the blanks right after it (dates
//                          here are Gregorian, and era names lead the date they belong to)
//   t tt+                  am/pm marker: nothing, since hours are always 0 to 23
//   anything else          itself; a character of several bytes (double-byte or UTF-8)
//                          is kept whole, so its trail byte is never read as a letter.
//                          Shorthands for whole formats ("c", "ddddd") are not expanded:
//                          "c" is itself and "ddddd" counts as "dddd"; a pattern that
//                          held itself would recurse.
std::string FormatFileTime(std::string_view pattern, const FileTime& time,
                           const LocaleFormats& formats);

}  // namespace nm
