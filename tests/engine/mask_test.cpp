#include "engine/mask.hpp"

#include "tests/engine/mask_reference.hpp"
#include "tests/support/test_support.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using enum nm::CodePageKind;

nm::CodePage codePageOf(nm::CodePageKind kind) {
    switch (kind) {
        case DoubleByte:
            return nm::test::shiftJis();
        case Utf8:
            return nm::test::utf8();
        case SingleByte:
            break;
    }
    return {};
}

struct ExpandRow {
    std::string tmpl;
    std::string_view prefix;
    std::string_view value;
    std::string expected;
    bool result;
    nm::CodePageKind kind = SingleByte;  // double-byte: code page 932
};

// Checks one row against the engine and against the literal reference algorithm.
void checkExpand(const ExpandRow& row) {
    SCOPED_TRACE("template \"" + row.tmpl + "\", prefix \"" + std::string(row.prefix) +
                 "\", value \"" + std::string(row.value) + "\"");
    const nm::CodePage codePage = codePageOf(row.kind);
    std::string fast = row.tmpl;
    EXPECT_EQ(nm::ExpandToken(fast, row.prefix, row.value, codePage), row.result);
    EXPECT_EQ(fast, row.expected);
    std::string slow = row.tmpl;
    EXPECT_EQ(nm::reference::ExpandToken(slow, row.prefix, row.value, codePage), row.result);
    EXPECT_EQ(slow, row.expected);
}

struct ReplaceRow {
    std::string tmpl;
    std::string_view literal;
    std::string_view value;
    std::string expected;
    nm::CodePageKind kind = SingleByte;
};

void checkReplace(const ReplaceRow& row) {
    SCOPED_TRACE("template \"" + row.tmpl + "\", literal \"" + std::string(row.literal) +
                 "\", value \"" + std::string(row.value) + "\"");
    const nm::CodePage codePage = codePageOf(row.kind);
    std::string fast = row.tmpl;
    nm::ReplaceAll(fast, row.literal, row.value, codePage);
    EXPECT_EQ(fast, row.expected);
    std::string slow = row.tmpl;
    nm::reference::ReplaceAll(slow, row.literal, row.value, codePage);
    EXPECT_EQ(slow, row.expected);
}

// The worked examples of the mask language, every one.
TEST(ExpandToken, ExpandsTheWorkedExamples) {
    const std::vector<ExpandRow> rows = {
        {"[N]", "[N", "Holiday", "Holiday", true},
        {"x[N]y[N]", "[N", "Holiday", "xHolidayyHoliday", true},
        {"[N3]", "[N", "Holiday", "l", true},
        {"[N-1]", "[N", "Holiday", "y", true},
        {"[N-3]", "[N", "Holiday", "d", true},
        {"[N2-4]", "[N", "Holiday", "oli", true},
        {"[N3-]", "[N", "Holiday", "liday", true},
        {"[N3,]", "[N", "Holiday", "liday", true},
        {"[N2,3]", "[N", "Holiday", "oli", true},
        {"[N2x3]", "[N", "Holiday", "oli", true},
        {"[N-3-]", "[N", "Holiday", "day", true},
        {"[N-3--2]", "[N", "Holiday", "da", true},
        {"[N1--2]", "[N", "Holiday", "Holida", true},
        {"[N-4,2]", "[N", "Holiday", "id", true},
        {"[N-2,5]", "[N", "Holiday", "ay", true},
        {"[N2-99]", "[N", "Holiday", "oliday", true},
        {"[N5-2]", "[N", "Holiday", "", true},
        {"[N2,0]", "[N", "Holiday", "", true},
        {"[N9]", "[N", "Holiday", "", true},
        {"[N0]", "[N", "Holiday", "H", true},
        {"[N0-2]", "[N", "Holiday", "Hol", true},
        {"[N-9]", "[N", "Holiday", "H", true},
        {"[N-9-2]", "[N", "Holiday", "Holi", true},
        {"[N2]abc]", "[N", "Holiday", "oabc]", true},
        {"[N2-4abc]", "[N", "Holiday", "oli", true},
        {"[N 3]", "[N", "Holiday", "l", true},
        {"[N+3]", "[N", "Holiday", "l", true},
        {"[N07]", "[N", "Holiday", "y", true},
        {"[N$10]", "[N", "abcdefghijklmnopq", "p", true},
        {"[N2-3]", "[N", "", "", true},
        {"[n]", "[N", "Holiday", "[n]", true},
        {"[[]N]", "[N", "Holiday", "[[]N]", true},
        {"[[N9]N]", "[N", "Holiday", "Holiday", true},
        {"[N]", "[N", "[N]", "[N]", true},
        {"[Y3-4]", "[Y", "2024", "24", true},
        {"[d1,2]", "[d", "05.03.2024", "05", true},
        {"[Nx]", "[N", "Holiday", "", false},
        {"[N-]", "[N", "Holiday", "", false},
        {"[N-x]", "[N", "Holiday", "", false},
        {"[N5--]", "[N", "Holiday", "", false},
        {"[N2abc]", "[N", "Holiday", "", false},
        {"[Name]", "[N", "Holiday", "", false},
        {"a[N", "[N", "Holiday", "a[N", false},
        {"[N]-[N", "[N", "Holiday", "Holiday-[N", false},
        {"[N[E]", "[N", "Holiday", "", false},
    };
    for (const ExpandRow& row : rows) {
        checkExpand(row);
    }
}

// The worked examples of literal tokens, every one.
TEST(ReplaceAll, ReplacesTheWorkedExamples) {
    const std::vector<ReplaceRow> rows = {
        {"[C]-[C]", "[C]", "0042", "0042-0042"},
        {"[[[]]", "[[]", "[", "[[]"},
        {"[C][C]", "[C]", "[C]", "[C][C]"},
        {"[[]N]", "[[]", "[", "[N]"},
        {"aabb", "ab", "", ""},
    };
    for (const ReplaceRow& row : rows) {
        checkReplace(row);
    }
}

// Edges of the value and of the 32-bit range; bounds beyond it are worked out exactly in 64 bits.
TEST(ExpandToken, CutsRangesAtTheEdgesOfTheValueAndOfThe32BitRange) {
    const std::vector<ExpandRow> rows = {
        // Without the prefix: unchanged and true.
        {"", "[N", "Holiday", "", true},
        {"plain.txt", "[N", "Holiday", "plain.txt", true},
        // An empty value gives an empty piece in every form.
        {"<[N-1]>", "[N", "", "<>", true},
        {"<[N1,3]>", "[N", "", "<>", true},
        // Counts of 0 or less, and ends before the start.
        {"[N2,-1]", "[N", "Holiday", "", true},
        {"[N7]", "[N", "Holiday", "y", true},
        {"[N-1-1]", "[N", "Holiday", "", true},  // from the 7th to the 1st: empty
        {"[N-1--1]", "[N", "Holiday", "y", true},
        // Characters after the second number are ignored.
        {"[N1-2-3]", "[N", "Holiday", "Ho", true},
        // Any character other than "-" and "]" opens the count form, "$" included.
        {"[N2$3]", "[N", "Holiday", "oli", true},
        {"[N2 3]", "[N", "Holiday", "oli", true},
        // The hexadecimal forms, in both places.
        {"[NX3-x5]", "[N", "Holiday", "lid", true},
        {"[N-$1]", "[N", "Holiday", "y", true},
        // Signed 32-bit limits, with exact (64-bit) arithmetic afterwards.
        {"[N-2147483648]", "[N", "Holiday", "H", true},
        {"[N2147483647,2147483647]", "[N", "Holiday", "", true},
        {"[N1,2147483647]", "[N", "Holiday", "Holiday", true},
        {"[N-1,2147483647]", "[N", "Holiday", "y", true},
        {"[N-2147483648,3]", "[N", "Holiday", "Hol", true},
        {"[N-2147483648-2147483647]", "[N", "Holiday", "Holiday", true},
        {"[N1--2147483648]", "[N", "Holiday", "", true},
        {"[N1,-2147483648]", "[N", "Holiday", "", true},
        {"[N$99999999]", "[N", "Holiday", "H", true},  // 0x99999999 is negative in 32 bits
        {"[N2147483648]", "[N", "Holiday", "", false},
        {"[N-2147483649]", "[N", "Holiday", "", false},
        {"[N1,2147483648]", "[N", "Holiday", "", false},
        {"[N$100000000]", "[N", "Holiday", "", false},
        // A second number that does not convert.
        {"[N2,x]", "[N", "Holiday", "", false},
        // Occurrences before a failure stay expanded, later ones stay as they were.
        {"[N1]-[Nx]-[N2]", "[N", "Holiday", "H--[N2]", false},
        {"[N1]-[N2]-[N", "[N", "Holiday", "H-o-[N", false},
        // Matching is byte-exact; NUL characters of the template are ordinary text.
        {"[n1][N1]", "[N", "Holiday", "[n1]H", true},
        {"a\0[N1]\0"s, "[N", "Holiday", "a\0H\0"s, true},
    };
    for (const ExpandRow& row : rows) {
        checkExpand(row);
    }
}

TEST(ExpandToken, ClosesUpAroundEmptyPiecesButNeverMatchesInsertedText) {
    const std::vector<ExpandRow> rows = {
        // Empty pieces nested three deep: each closing-up forms the next occurrence.
        {"[[[N9]N9]N]", "[N", "Holiday", "Holiday", true},
        {"[[N9]N1][[N0,0]N-1]", "[N", "Holiday", "Hy", true},
        // After a non-empty piece the closing-up of a later empty one may still form a token...
        {"x[N1]y[[N9]N2]", "[N", "Holiday", "xHyo", true},
        // ...but never with inserted text: the "[" that ends the value is inserted.
        {"[N][N9]N]", "[N", "ab[", "ab[N]", true},
        {"[N]N]", "[N", "ab[", "ab[N]", true},
        // The value holds the prefix and a "]": inserted text is not searched.
        {"[N][N]", "[N", "[N]", "[N][N]", true},
        {"[N][N", "[N", "x]", "x][N", false},
    };
    for (const ExpandRow& row : rows) {
        checkExpand(row);
    }
}

// 表示 is 95 5C 8E A6 in code page 932 and ー is 81 5B (its trail byte a "["); Яблоко, 表示 and
// an emoji in UTF-8.
TEST(ExpandToken, CountsCharactersOfTheCodePage) {
    const std::string hyoji = "\x95\x5C\x8E\xA6";
    const std::string apple = "\xD0\xAF\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE";
    const std::string emoji = "\xF0\x9F\x98\x80";
    const std::string broken = "\xD0"s + "a\xF0\x9F";  // four characters, byte by byte
    const std::string aEmojiB = "a" + emoji + "b";     // values are views: they need a home
    const std::vector<ExpandRow> rows = {
        {"[N1]", "[N", hyoji, "\x95\x5C", true, DoubleByte},
        {"[N2-]", "[N", hyoji, "\x8E\xA6", true, DoubleByte},
        {"[N-1]", "[N", hyoji, "\x8E\xA6", true, DoubleByte},
        {"[N0,1]|[N-2,5]", "[N", hyoji, "\x95\x5C|" + hyoji, true, DoubleByte},
        {"[N-1]", "[N", "a\x95", "\x95", true, DoubleByte},  // a lead byte at the end stands alone
        {"\x81[N]", "[N", "v", "\x81[N]", true, DoubleByte},
        {"\x81[[N9]N]", "[N", "v", "\x81[N]", true, DoubleByte},
        {"[N\x81]]", "[N", hyoji, "", false, DoubleByte},          // "]" is a character of its own
        {"[N2\x81]]", "[N", hyoji, "\x8E\xA6", true, DoubleByte},  // the count form's letter is ー
        {"[N1-3]", "[N", apple, "\xD0\xAF\xD0\xB1\xD0\xBB", true, Utf8},
        {"[N-1]", "[N", apple, "\xD0\xBE", true, Utf8},
        {"[N-2,1]", "[N", "\xE8\xA1\xA8\xE7\xA4\xBA", "\xE8\xA1\xA8", true, Utf8},
        {"[N2][N-2-]", "[N", aEmojiB, emoji + emoji + "b", true, Utf8},
        {"[N2\xD1\x8F]", "[N", aEmojiB, emoji + "b", true, Utf8},
        {"[N-1]|[N-2,2]|[N1]", "[N", broken, "\x9F|\xF0\x9F|\xD0", true, Utf8},
        {"\xF0[N]" + emoji + "]", "[N", emoji, "\xF0" + emoji + emoji + "]", true, Utf8},
        {emoji + "]", "\x98\x80", "v", emoji + "]", true, Utf8},  // not a whole character
        {"a" + emoji + "]", emoji, "", "a", true, Utf8},
        // The same bytes where every byte is a character.
        {"[N1-3]", "[N", apple, "\xD0\xAF\xD0", true},
        {"\x81[[N9]N]", "[N", "v", "\x81v", true},
    };
    for (const ExpandRow& row : rows) {
        checkExpand(row);
    }
    const std::vector<ReplaceRow> replaceRows = {
        {"\x81[]]", "[]]", "]", "\x81[]]", DoubleByte},
        {"\x81[]][]]", "[]]", "]", "\x81[]]]", DoubleByte},
        {"\x81[]]", "[]]", "]", "\x81]"},
        // Found at a character boundary only, after a false start inside 95 81.
        {"\x95\x81\x81\x81", "\x81\x81", "X", "\x95\x81X", DoubleByte},
        {emoji + "[C]", "[C]", "5", emoji + "5", Utf8},
    };
    for (const ReplaceRow& row : replaceRows) {
        checkReplace(row);
    }
}

// The Unicode standard's table of well-formed UTF-8 byte sequences: the range of the lead
// byte, the range of the byte after it and the length; later bytes are 80..BF. Anything
// else is read one byte at a time.
struct WellFormedUtf8 {
    unsigned char leadLow, leadHigh, secondLow, secondHigh;
    std::size_t size;
};
constexpr WellFormedUtf8 kWellFormedUtf8[] = {
    {0x00, 0x7F, 0x00, 0xFF, 1}, {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
    {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
    {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
};

std::size_t wellFormedSize(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    for (const auto& [leadLow, leadHigh, low, high, size] : kWellFormedUtf8) {
        if (byte(0) < leadLow || byte(0) > leadHigh || text.size() - at < size) {
            continue;
        }
        bool whole = size == 1 || (byte(1) >= low && byte(1) <= high);
        for (std::size_t i = 2; i < size; ++i) {
            whole = whole && byte(i) >= 0x80 && byte(i) <= 0xBF;
        }
        return whole ? size : 1;
    }
    return 1;
}

// The code page's walk of the text, and the first and last character that "[N1]|[N-1]"
// cuts from it, against the table.
testing::AssertionResult walksAsTheTable(const std::string& text) {
    const nm::CodePage utf8 = nm::test::utf8();
    std::string ends;
    std::size_t size = 0;
    for (std::size_t at = 0; at < text.size(); at += size) {
        size = wellFormedSize(text, at);
        if (utf8.charSize(text, at) != size) {
            return testing::AssertionFailure() << "walk at " << at;
        }
        ends += at == 0 ? text.substr(0, size) + "|" : "";
    }
    ends += text.substr(text.size() - size);
    std::string range = "[N1]|[N-1]";
    nm::ExpandToken(range, "[N", text, utf8);
    if (range != ends) {
        return testing::AssertionFailure() << "range gives " << testing::PrintToString(range);
    }
    return testing::AssertionSuccess();
}

// Every 1- and 2-byte text, and the 3- and 4-byte texts whose lead is E0 or above and whose
// other bytes sit at the edges of the ranges; each alone and followed by a whole character,
// which must stay whole after a cut-off sequence.
TEST(CodePage, WalksUtf8AsTheTableOfWellFormedSequences) {
    const std::string_view seconds = "\x00\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0\xFF"sv;
    const std::string_view laters = "\x7F\x80\xBF\xC0";
    std::vector<std::string> texts;
    for (int lead = 0; lead < 256; ++lead) {
        const std::string first(1, static_cast<char>(lead));
        texts.push_back(first);
        for (int second = 0; second < 256; ++second) {
            texts.push_back(first + static_cast<char>(second));
        }
        for (const char second : lead >= 0xE0 ? seconds : ""sv) {
            for (const char third : laters) {
                texts.push_back(first + second + third);
                for (const char fourth : laters) {
                    texts.push_back(first + second + third + fourth);
                }
            }
        }
    }
    for (const std::string& text : texts) {
        for (const char* after : {"", "a", "\xD0\xAF", "\xEF\xBF\xBD", "\xF0\x9F\x98\x80"}) {
            ASSERT_TRUE(walksAsTheTable(text + after)) << testing::PrintToString(text + after);
        }
    }
}

TEST(ExpandToken, AcceptsPrefixesOfEveryLengthWithoutCrashing) {
    const std::vector<ExpandRow> rows = {
        {"[N]", "", "Holiday", "[N]", true},           // an empty prefix changes nothing
        {"a[3]b", "[", "Holiday", "alb", true},        // one character
        {"a[Nam2]b", "[Nam", "Holiday", "aob", true},  // four characters
        {"[N2]", "[N2", "Holiday", "Holiday", true},
        // A prefix holding "]": the token ends inside it, the range text is empty and fails.
        {"a]xb]", "]x", "Holiday", "axb]", false},
        {"a[]b", "[]", "Holiday", "ab", false},
    };
    for (const ExpandRow& row : rows) {
        checkExpand(row);
    }
}

TEST(ReplaceAll, ReplacesOnceAndClosesUpAroundEmptyValues) {
    const std::vector<ReplaceRow> rows = {
        {"[C]", "", "x", "[C]"},  // an empty literal changes nothing
        {"[[C]C]", "[C]", "", ""},
        {"a[[C]C]b", "[C]", "", "ab"},
        {"abab", "ab", "", ""},
        {"xaabby", "ab", "-", "xa-by"},
        {"a", "a", "aa", "aa"},
        {"aaa", "aa", "", "a"},
        // The inserted "a" never joins the closing-up that follows it.
        {"abab", "ab", "a", "aa"},
        {"ab\0ab"s, "ab", "", "\0"s},
    };
    for (const ReplaceRow& row : rows) {
        checkReplace(row);
    }
}

TEST(FindFrom, GivesOneBasedPositionsAtOrAfterTheStart) {
    struct Row {
        std::string_view needle;
        std::string_view text;
        std::size_t start;
        std::size_t expected;
    };
    const std::vector<Row> rows = {
        {"]", "[N2]]", 1, 4},  {"]", "[N2]]", 4, 4},  {"]", "[N2]]", 5, 5},  {"]", "[N2]]", 6, 0},
        {"]", "[N2]]", 99, 0}, {"[N", "x[N[N", 1, 2}, {"[N", "x[N[N", 3, 4}, {"[N", "x[N[N", 5, 0},
        {"[N", "[", 1, 0},     {"[N", "", 1, 0},      {"", "abc", 1, 0},     {"a", "abc", 0, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(nm::FindFrom(row.needle, row.text, row.start), row.expected)
            << "needle \"" << row.needle << "\" in \"" << row.text << "\" from " << row.start;
    }
}

TEST(TakeNumber, ReadsTheDecimalAndHexadecimalFormsAndLeavesTheRest) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Row {
        std::string_view text;
        std::int32_t number;
        std::string_view rest;
    };
    const std::vector<Row> rows = {
        {"3]", 3, "]"},
        {"07]", 7, "]"},
        {"+3]", 3, "]"},
        {" 3]", 3, "]"},
        {"-3]", -3, "]"},
        {"12-4]", 12, "-4]"},
        {"3abc", 3, "abc"},
        {"00000000000000000000042]", 42, "]"},
        {"2147483647]", kMax, "]"},
        {"-2147483648]", kMin, "]"},
        {"$10]", 16, "]"},
        {"x10]", 16, "]"},
        {"-$10]", -16, "]"},
        {"$1F]", 1, "F]"},  // only decimal digits belong to the number text
        {"$99999999]", static_cast<std::int32_t>(0x99999999u), "]"},
        {"$0000000000000010]", 16, "]"},
        {"-$80000000]", kMin, "]"},
        {"-$99999999]", 0x66666667, "]"},
        // Digits that run to the end of the text.
        {"12", 12, ""},
        {"-7", -7, ""},
        {"$10", 16, ""},
    };
    for (const Row& row : rows) {
        std::string_view text = row.text;
        std::int32_t number = 12345;
        EXPECT_TRUE(nm::TakeNumber(text, number)) << row.text;
        EXPECT_EQ(number, row.number) << row.text;
        EXPECT_EQ(text, row.rest) << row.text;
    }
}

TEST(TakeNumber, FailsOnEveryOtherNumberTextAndTakesNothing) {
    const std::vector<std::string_view> texts = {
        "",     "]",           "x]",           "+]",          ",]",
        "a3]",  "-",           "-]",           "- 3]",        "-+3]",
        "--3",  "+-3]",        " -3]",         "$]",          "-$]",
        "$-1]", "2147483648]", "-2147483649]", "$100000000]", "99999999999999999999]",
        "-x]",
    };
    for (const std::string_view original : texts) {
        std::string_view text = original;
        std::int32_t number = 12345;
        EXPECT_FALSE(nm::TakeNumber(text, number)) << original;
        EXPECT_EQ(text, original);
        EXPECT_EQ(number, 12345) << original;
    }
}

// The fast versions against the literal algorithm on many small random inputs, in each kind of
// code page. Templates are strung from pieces that make tokens, empty pieces (so that the texts
// around them close up and form occurrences across the join) and characters of several bytes,
// whole or broken. The fuzz target does the same on any bytes.
TEST(ExpandToken, AgreesWithTheLiteralAlgorithmOnRandomInputs) {
    std::mt19937 random(20261207);
    // clang-format off
    const std::vector<std::string_view> pieces = {
        "[N9]", "[N0,0]", "[N5-2]", "[N]", "[N1]", "[N-1]", "[N2,]", "[N2\xD1\x8F]",
        "[", "[N", "N", "]", "N]", "a", "b", "ab", "-", "1", ",", "[C]", "C]",
        "\x81", "\x95\x5C", "\xD0\xAF", "\xF0\x9F\x98\x80", "\xF0\x9F", "\x98",
        // Empty pieces inside what becomes an occurrence once the texts close up.
        "[[N9]N1]", "a[[N0,0]N-1]", "[[N5-2]N", "[N[N9]", "[[C]C]", "a[N9]b", "\x81[[N9]N]",
        "\xD0[N9]\xAF", "[[N9]Nab]", "[N][N9]", "[[N9]\xD0\xAF", "[[N9]\x81\x40", "[[\xD0\xD0\xAF"};
    const std::vector<std::string_view> values = {
        "", "", "H", "Holiday", "[N", "]", "[N]", "a[", "N]", "\x95\x5C\x8E\xA6",
        "\xD0\xAF\xD0\xB1", "x\xF0\x9F\x98\x80", "\x95", "\xF0\x9F"};
    const std::vector<std::string_view> needles = {
        "[N", "[N", "[C]", "ab", "N]", "a[N", "[Nab", "\x81[", "\xF0\x9F", "\x5C[", "\xAF[",
        "[\x81", "[\xD0"};
    // clang-format on
    const auto pick = [&](const std::vector<std::string_view>& from) {
        return from[random() % from.size()];
    };
    for (const nm::CodePageKind kind : {SingleByte, DoubleByte, Utf8}) {
        const nm::CodePage codePage = codePageOf(kind);
        for (int i = 0; i < 20000; ++i) {
            std::string tmpl;
            for (std::size_t n = random() % 9; n > 0; --n) {
                tmpl += pick(pieces);
            }
            const std::string_view value = pick(values);
            const std::string needle(i % 3 == 0 ? pick(pieces) : pick(needles));
            std::string fast = tmpl;
            std::string slow = tmpl;
            const bool fastResult = nm::ExpandToken(fast, needle, value, codePage);
            const bool slowResult = nm::reference::ExpandToken(slow, needle, value, codePage);
            ASSERT_EQ(fast, slow) << "template \"" << tmpl << "\", prefix \"" << needle
                                  << "\", value \"" << value << "\", kind " << int(kind);
            ASSERT_EQ(fastResult, slowResult) << tmpl;
            fast = tmpl;
            slow = tmpl;
            nm::ReplaceAll(fast, needle, value, codePage);
            nm::reference::ReplaceAll(slow, needle, value, codePage);
            ASSERT_EQ(fast, slow) << "template \"" << tmpl << "\", literal \"" << needle
                                  << "\", value \"" << value << "\", kind " << int(kind);
        }
    }
}

}  // namespace
