#include "engine/rename.hpp"

#include "tests/support/test_support.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

nm::LocaleFormats russianDates() {
    nm::LocaleFormats formats;
    formats.shortDate = "dd.MM.yyyy";
    formats.dateSeparator = '.';
    return formats;
}

const nm::FileTime kDecember7{2026, 12, 7, 9, 5, 36};
// A date taken keeps odd seconds; a file time never has them.
const nm::FileTime kTakenMay1{2023, 5, 1, 12, 34, 57};

struct NewPathCase {
    const char* path;
    const char* nameMask;
    const char* extMask;
    int index;
    const char* expected;  // nullptr: the expansion fails and the file keeps its name
    nm::FileTime time = kDecember7;
    std::optional<nm::FileTime> taken = kTakenMay1;  // nullopt: the file has no date taken
};

std::optional<std::string> newPath(const NewPathCase& c, int start = 1, int step = 1,
                                   int digits = 3) {
    nm::RenameRequest request;
    request.path = c.path;
    request.nameMask = c.nameMask;
    request.extMask = c.extMask;
    request.counterStart = start;
    request.counterStep = step;
    request.counterDigits = digits;
    request.fileIndex = c.index;
    const nm::RenameResult result =
        nm::computeNewPath(request, c.time, russianDates(), [&] { return c.taken; });
    if (result.status != nm::RenameStatus::Ok) {
        EXPECT_EQ(result.status, nm::RenameStatus::MaskFailed);
        return std::nullopt;
    }
    return result.newPath;
}

TEST(ComputeNewPath, FollowsTheTokenChainInItsOrder) {
    const NewPathCase cases[] = {
        {R"(C:\Photos\2020\IMG_0001.JPG)", "[N]_[C]", "[E]", 0,
         R"(C:\Photos\2020\IMG_0001_001.JPG)"},
        {R"(C:\Photos\2020\IMG_0001.JPG)", "[P]-[Y][M][D]_[C]", "[E]", 4,
         R"(C:\Photos\2020\2020-20261207_005.JPG)"},
        {R"(C:\Photos\2020\IMG_0001.JPG)", "[d] [t]", "[E]", 0,
         R"(C:\Photos\2020\07.12.2026 09.05.36.JPG)"},
        {R"(C:\Photos\2020\IMG_0001.JPG)", "[N]", "", 0, R"(C:\Photos\2020\IMG_0001)"},
        {R"(C:\Photos\2020\IMG_0001.JPG)", "[Y3-4][M]", "[E]", 0, R"(C:\Photos\2020\2612.JPG)"},
        {R"(C:\Photos\2020\IMG_0001.JPG)", "[y][h][m][s]", "[E]", 0,
         R"(C:\Photos\2020\26090536.JPG)"},
        {R"(C:\dir\readme)", "[N]", "[E]", 0, R"(C:\dir\readme.)"},
        {R"(C:\file.txt)", "[P][N]", "[E]", 0, R"(C:\file.txt)"},
        {"file.txt", "[N]2", "[E]", 0, "file2.txt"},
        {R"(C:\dir\file.txt)", "", "", 0, R"(C:\dir\)"},
        // Values that hold later tokens are expanded by the later steps.
        {R"(C:\a[E].txt)", "[N]", "", 0, R"(C:\atxt)"},
        {R"(C:\a[C].txt)", "[N]", "[E]", 2, R"(C:\a003.txt)"},
        // ...but a step never expands what it inserted itself, nor do earlier steps.
        {R"(C:\[N].txt)", "[N]", "[E]", 0, R"(C:\[N].txt)"},
        {R"(C:\x[E]\f.txt)", "[P]", "[E]", 0, R"(C:\x[E]\x[E].txt)"},
        // Every field of the time with one digit keeps its zero.
        {R"(C:\f.txt)", "[t]_[M][D]_[s]", "", 0, R"(C:\03.04.06_0102_06)", {2026, 1, 2, 3, 4, 6}},
        {R"(C:\.htaccess)", "[N]x", "[E]", 0, R"(C:\x.htaccess)"},
        {R"(C:\file.txt)", "", "[E]", 0, R"(C:\.txt)"},
        // The escapes.
        {R"(C:\file.txt)", "[[]N]", "", 0, R"(C:\[N])"},
        {R"(C:\file.txt)", "[N][[]1[]]", "[E]", 0, R"(C:\file[1].txt)"},
        {R"(C:\file.txt)", "[]]", "", 0, R"(C:\])"},
        {R"(C:\file.txt)", "[C2]", "", 0, R"(C:\[C2])"},
        {R"(C:\file.txt)", "[[]]]", "", 0, R"(C:\])"},  // "[[]" makes "[", then "[]]" is there
        // Masks that cannot be expanded.
        {R"(C:\file.txt)", "[Name]", "[E]", 0, nullptr},
        {R"(C:\file.txt)", "[N][mm]", "[E]", 0, nullptr},
        {R"(C:\file.txt)", "[N", "[E]", 0, nullptr},
        {R"(C:\file.txt)", "[N]", "[Ex]", 0, nullptr},
        // A failure ends the chain: the date tokens after it cannot undo it.
        {R"(C:\file.txt)", "[Nx][Y][s]", "[E]", 0, nullptr},
        {R"(C:\file.txt)", "[dx]-[Y]-[t]", "", 0, nullptr},
        {R"(C:\file.txt)", "[Y][mx][s]", "", 0, nullptr},
        // The twins: the date taken, written as the plain tokens write the file time.
        {R"(C:\IMG_1.JPG)", "[XY]-[XM]-[XD]_[Xh][Xm][Xs]", "[E]", 0, R"(C:\2023-05-01_123457.JPG)"},
        {R"(C:\IMG_1.JPG)", "[Xd] [Xt] [Xy]", "", 0, R"(C:\01.05.2023 12.34.57 23)"},
        {R"(C:\IMG_1.JPG)", "[XY3-4][XM-1][Xd-5,5]", "", 0, R"(C:\235.2023)"},
        {R"(C:\IMG_1.JPG)", "[s]_[Xs]", "", 0, R"(C:\36_57)"},
        {R"(C:\IMG_1.JPG)", "[Y][M]-[XY][XM]_[C]", "[E]", 4, R"(C:\202612-202305_005.JPG)"},
        // Without a date taken they take the file time's values.
        {R"(C:\IMG_1.JPG)", "[XY][XM][XD]_[Xt]", "", 0, R"(C:\20261207_09.05.36)", kDecember7,
         std::nullopt},
        {R"(C:\IMG_1.JPG)",
         "[XY2-3][Xs]",
         "",
         0,
         R"(C:\0206)",
         {2020, 1, 2, 3, 4, 6},
         std::nullopt},
        // Only masks that name a twin expand them, a name's own "[XY]" too.
        {R"(C:\[XY].txt)", "[N]", "[E]", 0, R"(C:\[XY].txt)"},
        {R"(C:\[XY].txt)", "[N]-[XM]", "[E]", 0, R"(C:\2023-05.txt)"},
        {R"(C:\a.txt)", "[[]XY]", "", 0, R"(C:\[XY])"},
        {R"(C:\a.txt)", "[Xq][XY]", "", 0, R"(C:\[Xq]2023)"},
        {R"(C:\a.txt)", "[XYx]", "[E]", 0, nullptr},
        {R"(C:\a.txt)", "[XY", "", 0, nullptr},
        {R"(C:\a.txt)", "[Yx][XY]", "", 0, nullptr},
    };
    for (const NewPathCase& c : cases) {
        const auto got = newPath(c);
        if (c.expected == nullptr) {
            EXPECT_FALSE(got.has_value()) << c.nameMask << " / " << c.extMask << " -> " << *got;
        } else {
            EXPECT_EQ(got.value_or("<failed>"), c.expected) << c.path << " " << c.nameMask;
        }
    }
}

TEST(ComputeNewPath, MissingTimeIsAnErrorWhateverTheMasks) {
    nm::RenameRequest request;
    request.path = R"(C:\file.txt)";
    for (const char* mask : {"[N]", "x", "[Name]"}) {
        request.nameMask = mask;
        request.extMask = "[E]";
        EXPECT_EQ(nm::computeNewPath(request, std::nullopt, russianDates()).status,
                  nm::RenameStatus::NoFileTime)
            << mask;
    }
}

// Reading the date taken costs a file read: it is asked once per file, and only when a twin is
// there to expand.
TEST(ComputeNewPath, ReadsTheDateTakenOnlyForATwinAndOnce) {
    struct Case {
        const char* path;
        const char* nameMask;
        int lookups;
        nm::CodePage codePage = {};
    } cases[] = {
        {R"(C:\IMG_1.JPG)", "[N]_[Y][M][D][h][m][s]", 0},
        {R"(C:\[XY][Xs].JPG)", "[N]", 0},
        {R"(C:\a.JPG)", "[[]XY]", 0},
        {R"(C:\a.JPG)", "[Nx][XY]", 0},  // the chain stopped before
        {R"(C:\a.JPG)", "[Xq]", 0},      // no twin, though the mark is there
        {R"(C:\a.JPG)", "[XY][XM][XD]_[Xh][Xm][Xs][Xd][Xt][Xy]", 1},
        {R"(C:\a.JPG)", "[N]_[XM]", 1},
        // In code page 932 0x95 0x5B is one character: no "[" begins there.
        {R"(C:\a.JPG)", "\x95[XY]", 0, nm::test::shiftJis()},
        {R"(C:\a.JPG)", "\x95\x95[XY]", 1, nm::test::shiftJis()},
    };
    for (const Case& c : cases) {
        nm::RenameRequest request;
        request.path = c.path;
        request.nameMask = c.nameMask;
        request.extMask = "[E]";
        nm::LocaleFormats formats = russianDates();
        formats.codePage = c.codePage;
        int lookups = 0;
        const nm::RenameResult result = nm::computeNewPath(request, kDecember7, formats, [&] {
            ++lookups;
            return std::optional(kTakenMay1);
        });
        EXPECT_EQ(lookups, c.lookups) << c.nameMask << " -> " << result.newPath;
        // A missing file time is the error still, and reads nothing.
        EXPECT_EQ(nm::computeNewPath(request, std::nullopt, formats,
                                     [&] {
                                         ++lookups;
                                         return std::optional(kTakenMay1);
                                     })
                      .status,
                  nm::RenameStatus::NoFileTime);
        EXPECT_EQ(lookups, c.lookups) << c.nameMask;
    }
}

TEST(CounterText, WrapsPadsInFrontOfTheSignAndIsBounded) {
    struct Case {
        int start, step, index, digits;
        std::string expected;
    } cases[] = {
        {-5, 0, 0, 4, "00-5"},       {10, -3, 4, 3, "0-2"},
        {7, 0, 0, 0, "7"},           {7, 0, 0, 1, "7"},
        {7, 0, 0, -3, "7"},          {1, 0, 0, 10, "0000000001"},
        {12345, 0, 0, 3, "12345"},   {2147483647, 1, 1, 1, "-2147483648"},
        {1, 2147483647, 2, 0, "-1"}, {0, -1, -2147483647 - 1, 0, "-2147483648"},
        {1, 1, 4, 3, "005"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nm::CounterText(c.start, c.step, c.index, c.digits), c.expected)
            << c.start << " " << c.step << " " << c.index << " " << c.digits;
    }
    EXPECT_EQ(nm::CounterText(1, 0, 0, 2147483647).size(), 255u);
    EXPECT_EQ(nm::CounterText(-1, 0, 0, 1000), std::string(253, '0') + "-1");
}

TEST(SplitPath, FindsFolderBaseExtensionAndParent) {
    struct Case {
        const char *path, *folder, *base, *extension, *parent;
    } cases[] = {
        {R"(C:\Photos\2020\IMG_0001.JPG)", R"(C:\Photos\2020\)", "IMG_0001", "JPG", "2020"},
        {R"(C:\x\a.b.c)", R"(C:\x\)", "a.b", "c", "x"},
        {R"(C:\x\.htaccess)", R"(C:\x\)", "", "htaccess", "x"},
        {R"(C:\x\name.)", R"(C:\x\)", "name", "", "x"},
        {R"(C:\x\readme)", R"(C:\x\)", "readme", "", "x"},
        {R"(C:\file.txt)", R"(C:\)", "file", "txt", ""},
        {"C:file.txt", "C:", "file", "txt", ""},
        {"file.txt", "", "file", "txt", ""},
        {R"(\\server\share\f.txt)", R"(\\server\share\)", "f", "txt", "share"},
        {R"(\f.txt)", R"(\)", "f", "txt", ""},
        {R"(C:\dir.d\file)", R"(C:\dir.d\)", "file", "", "dir.d"},
        {R"(C:\a\\f.txt)", R"(C:\a\\)", "f", "txt", ""},
        {"", "", "", "", ""},
    };
    const nm::LocaleFormats formats;
    for (const Case& c : cases) {
        const nm::PathParts parts = nm::splitPath(c.path, formats);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.baseName, c.base) << c.path;
        EXPECT_EQ(parts.extension, c.extension) << c.path;
        EXPECT_EQ(parts.parentName, c.parent) << c.path;
    }
}

TEST(SplitPath, DoubleByteTrailBytesAreNoSeparators) {
    nm::LocaleFormats japanese;
    japanese.codePage = nm::test::shiftJis();

    // 0x95 0x5C is one character whose second byte is a backslash.
    const std::string folder = "C:\\\x95\x5C\\";
    const std::string path = folder + "f\x95\x5C.txt";
    nm::PathParts parts = nm::splitPath(path, japanese);
    EXPECT_EQ(parts.folder, folder);
    EXPECT_EQ(parts.baseName, "f\x95\x5C");
    EXPECT_EQ(parts.parentName, "\x95\x5C");

    // Two lead bytes in a row form one character: the backslash after them is real.
    const std::string even = "C:\\\x95\x95\\f.txt";
    parts = nm::splitPath(even, japanese);
    EXPECT_EQ(parts.folder, "C:\\\x95\x95\\");
    EXPECT_EQ(parts.parentName, "\x95\x95");

    // Three lead bytes: the third takes the backslash after it, so the folder ends earlier.
    parts = nm::splitPath("C:\\\x95\x95\x95\\f.txt", japanese);
    EXPECT_EQ(parts.folder, "C:\\");
    EXPECT_EQ(parts.baseName, "\x95\x95\x95\\f");
    EXPECT_EQ(parts.parentName, "");

    // The same bytes in a single-byte code page split at every backslash.
    parts = nm::splitPath(path, nm::LocaleFormats{});
    EXPECT_EQ(parts.baseName, "");
    EXPECT_EQ(parts.extension, "txt");
}

}  // namespace
