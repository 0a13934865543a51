// Runs once per LANG, and once more with UTF-8 as the process's code page: the conversions
// between the process's code page and UTF-16, and the longest start that fits a field.

#include "engine/win32/text_codec.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct FitRow {
    UINT codePage;  // 0: any
    const wchar_t* text;
    std::size_t limit;
    const char* bytes;
    bool lost;
    bool cut;
};

const FitRow kFitRows[] = {
    {0, L"", 0, "", false, false},
    {0, L"abc", 3, "abc", false, false},
    {0, L"abc", 2, "ab", false, true},
    {0, L"abc", 0, "", false, true},
    {1251, L"\x0444\x0430\x0439\x043b", 3, "\xf4\xe0\xe9", false, true},  // файл
    // A character the code page lacks is replaced, and told; never by a look-alike.
    {1251, L"a\x3042", 5, "a?", true, false},
    {1251, L"a\x0101", 5, "a?", true, false},  // a with macron: no best fit to a
    // Whole double-byte characters only: a lead byte alone would swallow what follows.
    {932, L"a\x3042\x3044", 4, "a\x82\xa0", false, true},
    {932, L"a\x3042\x3044", 2, "a", false, true},
    // A surrogate pair is one character of four bytes, never cut in two.
    {65001, L"a\U0001F600b", 4, "a", false, true},
    {65001, L"a\U0001F600b", 5, "a\xf0\x9f\x98\x80", false, true},
    {65001, L"\x0444\x0430", 3, "\xd1\x84", false, true},
    // A lone surrogate, first, last or reversed, becomes U+FFFD and is told as lost: a file
    // name so converted would name another file.
    {65001, L"\xd83d?", 4, "\xef\xbf\xbd?", true, false},
    {65001, L"a\xde00", 4, "a\xef\xbf\xbd", true, false},
    {65001, L"\xde00\xd83d", 6, "\xef\xbf\xbd\xef\xbf\xbd", true, false},
    {65001, L"\U0001F600", 4, "\xf0\x9f\x98\x80", false, false},
};

TEST(TextCodec, WideToAnsiKeepsTheLongestStartThatFits) {
    for (const FitRow& row : kFitRows) {
        if (row.codePage != 0 && row.codePage != GetACP()) {
            continue;
        }
        const nm::AnsiText ansi = nm::wideToAnsi(row.text, row.limit);
        EXPECT_EQ(ansi.bytes, row.bytes) << row.limit;
        EXPECT_EQ(ansi.lost, row.lost) << row.bytes;
        EXPECT_EQ(ansi.cut, row.cut) << row.bytes;
        EXPECT_EQ(ansi.whole(), !row.lost && !row.cut) << row.bytes;
    }
}

TEST(TextCodec, ConvertsBetweenTheCodePagesAndUtf8) {
    // The plug-in's own texts are Windows-1251 under any code page: "Маска".
    const std::string label = "\xcc\xe0\xf1\xea\xe0";
    EXPECT_EQ(nm::ansiToWide(label, nm::kPluginTextCodePage), L"\x041c\x0430\x0441\x043a\x0430");
    EXPECT_EQ(nm::ansiToUtf8(label, nm::kPluginTextCodePage),
              "\xd0\x9c\xd0\xb0\xd1\x81\xd0\xba\xd0\xb0");
    const std::wstring emoji = L"x\U0001F600";
    EXPECT_EQ(nm::wideToUtf8(emoji), "x\xf0\x9f\x98\x80");
    EXPECT_EQ(nm::utf8ToWide("x\xf0\x9f\x98\x80"), emoji);
    // What the code page holds comes back as it was.
    const std::wstring name = GetACP() == 1251  ? L"\x0444\x0430\x0439\x043b.txt"
                              : GetACP() == 932 ? L"\x3042\x30bd.txt"
                                                : L"\x0444\U0001F600.txt";
    EXPECT_EQ(nm::ansiToWide(nm::wideToAnsi(name).bytes), name);
    EXPECT_EQ(nm::ansiToWide(""), L"");
}

}  // namespace
