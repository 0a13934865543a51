#include "engine/datetext.hpp"

#include <gtest/gtest.h>

namespace {

using nm::FileTime;
using nm::FormatFileTime;

constexpr FileTime kDec{2026, 12, 7, 9, 5, 36};  // a Monday
constexpr FileTime kMar{2005, 3, 4, 1, 2, 4};    // a Friday; every field one digit

TEST(FormatFileTime, WritesEachElementOfThePattern) {
    const struct {
        const char* pattern;
        FileTime time;
        const char* expected;
    } cases[] = {
        // The patterns of the mask's date and time tokens.
        {"dd.MM.yyyy", kDec, "07.12.2026"},
        {"hh.mm.ss", kDec, "09.05.36"},
        {"yyyy yy mm dd hh nn ss", kDec, "2026 26 12 07 09 05 36"},
        // Digit widths (the year keeps two digits), either case, long runs.
        {"d m y h n s", kMar, "4 3 05 1 2 4"},
        {"YYYY-Mm-DD HH", kDec, "2026-1212-07 09"},
        {"yyyyyyy|hhhh|nnnnn|sss", kDec, "2026|09|05|36"},
        {"ddd dddd ddddd|mmm mmmm mmmmmm", kDec, "Mon Monday Monday|Dec December December"},
        // Weekdays across the leap rules.
        {"ddd", {1980, 1, 1, 0, 0, 0}, "Tue"},
        {"ddd", {2000, 3, 1, 0, 0, 0}, "Wed"},
        {"ddd", {2100, 3, 1, 0, 0, 0}, "Mon"},
        {"ddd", {2024, 2, 29, 0, 0, 0}, "Thu"},
        // The weekday of the first in every month: each month has its own offset.
        {"ddd", {2026, 1, 1, 0, 0, 0}, "Thu"},
        {"ddd", {2026, 2, 1, 0, 0, 0}, "Sun"},
        {"ddd", {2026, 3, 1, 0, 0, 0}, "Sun"},
        {"ddd", {2026, 4, 1, 0, 0, 0}, "Wed"},
        {"ddd", {2026, 5, 1, 0, 0, 0}, "Fri"},
        {"ddd", {2026, 6, 1, 0, 0, 0}, "Mon"},
        {"ddd", {2026, 7, 1, 0, 0, 0}, "Wed"},
        {"ddd", {2026, 8, 1, 0, 0, 0}, "Sat"},
        {"ddd", {2026, 9, 1, 0, 0, 0}, "Tue"},
        {"ddd", {2026, 10, 1, 0, 0, 0}, "Thu"},
        {"ddd", {2026, 11, 1, 0, 0, 0}, "Sun"},
        {"ddd", {2026, 12, 1, 0, 0, 0}, "Tue"},
        {"dddd", {2024, 1, 1, 0, 0, 0}, "Monday"},
        {"dddd", {2024, 2, 1, 0, 0, 0}, "Thursday"},
        // m is the minute when the last letter before it, outside quotes, is an h.
        {"h:m", kMar, "1:2"},
        {"hmmm", kDec, "905"},
        {"hh 'x' mm", kDec, "09 x 05"},
        {"hh dd mm", kDec, "09 07 12"},
        {"'h' mm", kDec, "h 12"},
        {"HH:mm", kDec, "09:05"},
        {"hh:MM", kDec, "09:05"},
        {"H:M", kMar, "1:2"},
        // Runs of letters that are no format letters are themselves, whole, and end an hour.
        {"xxQQzz", kDec, "xxQQzz"},
        {"hxm", kDec, "9x12"},
        {"ham hzm hAm hZm", kDec, "9a12 9z12 9A12 9Z12"},
        // Quotes of either kind; an open quote runs to the end.
        {"'yyyy' \"dd\"", kDec, "yyyy dd"},
        {"'it\"s' ''d", kDec, "it\"s 7"},
        {"d 'open yyyy", kDec, "7 open yyyy"},
        // Era and am/pm give nothing; other characters are themselves.
        {"gg yyyy/M/d", kDec, "2026/12/7"},
        {"h tt", kDec, "9 "},
        {"[c]x_Q-9", kDec, "[c]x_Q-9"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFileTime(c.pattern, c.time, nm::LocaleFormats{}), c.expected)
            << "pattern " << c.pattern;
    }
}

TEST(FormatFileTime, ReplacesSlashAndColonByTheLocalesSeparators) {
    nm::LocaleFormats formats;
    formats.dateSeparator = '.';
    formats.timeSeparator = '-';
    EXPECT_EQ(FormatFileTime("M/d/yyyy hh:nn", kDec, formats), "12.7.2026 09-05");
    EXPECT_EQ(FormatFileTime(nm::LocaleFormats{}.shortDate, kDec, {}), "12/7/26");
}

// 2026 year 12 month 7 day in code page 932: the first character's trail byte is an "N".
TEST(FormatFileTime, KeepsDoubleByteCharactersWhole) {
    nm::LocaleFormats japanese;
    japanese.codePage.kind = nm::CodePageKind::DoubleByte;
    for (int b : {0x8c, 0x93, 0x94})
        japanese.codePage.leadBytes[b] = true;
    const char* pattern =
        "yyyy\x94NM\x8c\x8e"
        "d\x93\xfa";
    EXPECT_EQ(FormatFileTime(pattern, kDec, japanese),
              "2026\x94N12\x8c\x8e"
              "7\x93\xfa");
    EXPECT_EQ(FormatFileTime(pattern, kDec, {}),
              "2026\x94"
              "512\x8c\x8e"
              "7\x93\xfa");
}

}  // namespace
