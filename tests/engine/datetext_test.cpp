#include "engine/datetext.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using nm::FileTime;
using nm::FormatFileTime;
using nm::LocaleFormats;

constexpr FileTime kDecember{2026, 12, 7, 9, 5, 36};  // a Monday
constexpr FileTime kMarch{2005, 3, 4, 1, 2, 4};       // a Friday, all fields one digit

struct Case {
    const char* pattern;
    FileTime time;
    const char* expected;
};

TEST(FormatFileTime, WritesEachElementOfThePattern) {
    const Case cases[] = {
        // The texts the date and time tokens of a mask ask for.
        {"dd.MM.yyyy", kDecember, "07.12.2026"},
        {"yyyy", kDecember, "2026"},
        {"yy", kDecember, "26"},
        {"mm", kDecember, "12"},
        {"dd", kDecember, "07"},
        {"hh.mm.ss", kDecember, "09.05.36"},
        {"hh", kDecember, "09"},
        {"nn", kDecember, "05"},
        {"ss", kDecember, "36"},
        // One letter: at least one digit, except the year, which keeps two.
        {"d m y h n s", kMarch, "4 3 05 1 2 4"},
        {"dd mm yy hh nn ss", kMarch, "04 03 05 01 02 04"},
        // Either case, and a change of case starts a new element.
        {"YYYY-Mm-DD HH", kDecember, "2026-1212-07 09"},
        // Long runs.
        {"yyyyyyy|hhhh|nnnnn|sss", kDecember, "2026|09|05|36"},
        {"ddd dddd ddddd|mmm mmmm mmmmmm", kDecember, "Mon Monday Monday|Dec December December"},
        // A run of m is the minute when the last letter before it, outside quotes, is an h.
        {"h:m", kMarch, "1:2"},
        {"hmmm", kDecember, "905"},
        {"hh 'x' mm", kDecember, "09 x 05"},
        {"hh dd mm", kDecember, "09 07 12"},
        {"mm hh", kDecember, "12 09"},
        {"'h' mm", kDecember, "h 12"},
        // Quoted text, in either quote, kept as it stands; an open quote runs to the end.
        {"'yyyy' \"dd\"", kDecember, "yyyy dd"},
        {"'it\"s' d", kDecember, "it\"s 7"},
        {"''d", kDecember, "7"},
        {"d 'open yyyy", kDecember, "7 open yyyy"},
        // Unlisted elements: era and am/pm give nothing; other characters are themselves.
        {"gg yyyy/M/d", kDecember, "2026/12/7"},
        {"h tt", kDecember, "9 "},
        {"[c] x_Q-9", kDecember, "[c] x_Q-9"}};
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFileTime(c.pattern, c.time, nm::englishLocaleFormats()), c.expected)
            << "pattern " << c.pattern;
    }
}

TEST(FormatFileTime, ReplacesSlashAndColonByTheLocalesSeparators) {
    LocaleFormats dots;
    dots.dateSeparator = '.';
    dots.timeSeparator = '-';
    EXPECT_EQ(FormatFileTime("M/d/yyyy", kDecember, dots), "12.7.2026");
    EXPECT_EQ(FormatFileTime("hh:nn:ss", kDecember, dots), "09-05-36");
    EXPECT_EQ(FormatFileTime(dots.shortDate, kDecember, nm::englishLocaleFormats()), "12/7/26");
}

TEST(FormatFileTime, TakesNamesFromTheLocale) {
    LocaleFormats russian;  // Windows-1251 bytes, as the capture gives them
    russian.shortMonths[11] = "\xe4\xe5\xea";
    russian.longMonths[11] = "\xc4\xe5\xea\xe0\xe1\xf0\xfc";
    russian.shortDays[1] = "\xcf\xed";
    russian.longDays[1] = "\xcf\xee\xed\xe5\xe4\xe5\xeb\xfc\xed\xe8\xea";
    EXPECT_EQ(FormatFileTime("mmm mmmm ddd dddd", kDecember, russian),
              "\xe4\xe5\xea \xc4\xe5\xea\xe0\xe1\xf0\xfc \xcf\xed "
              "\xcf\xee\xed\xe5\xe4\xe5\xeb\xfc\xed\xe8\xea");
}

// Walks day by day through the whole DOS range, so every month length and leap rule
// (2000 is a leap year, 2100 is not) must agree with the weekday the formatter works out.
TEST(FormatFileTime, DayNamesFollowTheCalendarFrom1980To2107) {
    const LocaleFormats english = nm::englishLocaleFormats();
    int weekday = 2;  // 1 January 1980 was a Tuesday
    for (int year = 1980; year <= 2107; ++year) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int lengths[12] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= lengths[month - 1]; ++day) {
                const FileTime time{year, month, day, 0, 0, 0};
                ASSERT_EQ(FormatFileTime("dddd", time, english), english.longDays[weekday])
                    << year << '-' << month << '-' << day;
                weekday = (weekday + 1) % 7;
            }
        }
    }
}

// 2026 year 12 month 7 day, in code page 932: the trail bytes of the three characters
// are "N", 0x8E and 0xFA, and the "N" must not become the minute.
TEST(FormatFileTime, KeepsDoubleByteCharactersWhole) {
    LocaleFormats japanese;
    japanese.doubleByte = true;
    for (int b = 0x81; b <= 0x9F; ++b)
        japanese.leadBytes[b] = true;
    for (int b = 0xE0; b <= 0xFC; ++b)
        japanese.leadBytes[b] = true;
    const char* pattern =
        "yyyy\x94NM\x8c\x8e"
        "d\x93\xfa";
    EXPECT_EQ(FormatFileTime(pattern, kDecember, japanese),
              "2026\x94N12\x8c\x8e"
              "7\x93\xfa");
    // Under a single-byte code page the same bytes are three characters each time.
    EXPECT_EQ(FormatFileTime(pattern, kDecember, nm::englishLocaleFormats()),
              "2026\x94"
              "512\x8c\x8e"
              "7\x93\xfa");
}

}  // namespace
