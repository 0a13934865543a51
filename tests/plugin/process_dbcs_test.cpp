// Names whose characters take more than one byte: code page 932 (double-byte, run with
// LANG=ja_JP.UTF-8) and UTF-8 (the same program with a UTF-8 manifest). Ranges count
// characters, a trail byte is never a separator or a bracket, and the file lands on disk
// under the name that was previewed.

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/plugin/process_fixture.hpp"
#include "tests/support/media_files.hpp"

namespace {

using nm::test::PluginFiles;

std::string photo(const nm::media::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

struct MultiByteRow {
    UINT codePage;
    const char* folder;  // made inside the test folder; empty: none
    const char* name;
    const char* nameMask;
    const char* extMask;
    const char* expected;         // the new name
    const char* taken = nullptr;  // a photo's Exif date; none: a file of text
};

// 表示 is 95 5C 8E A6 in code page 932: the first character's trail byte is a backslash.
// ー is 81 5B: its trail byte is a "[".
const MultiByteRow kRows[] = {
    {932, "\x95\x5C", "\x95\x5C.txt", "[P]_[N]", "[E]", "\x95\x5C_\x95\x5C.txt"},
    {932, "", "\x95\x5C\x8E\xA6.txt", "[N1]", "[E]", "\x95\x5C.txt"},
    {932, "", "\x95\x5C\x8E\xA6.txt", "[N2-]", "[E]", "\x8E\xA6.txt"},
    {932, "", "\x95\x5C\x8E\xA6.txt", "[N-1]_[N-2,1]", "[E]", "\x8E\xA6_\x95\x5C.txt"},
    {932, "", "\x95\x5C\x8E\xA6.txt", "\x81[N]", "[E]", "\x81[N].txt"},
    {932, "", "a\x95\x5C\x8E\xA6.txt", "[N2,1]x[N3-3]", "[E]", "\x95\x5Cx\x8E\xA6.txt"},
    // Яблоко, 表示 and an emoji (four bytes) in UTF-8.
    {65001, "", "\xD0\xAF\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE.txt", "[N1-3]", "[E]",
     "\xD0\xAF\xD0\xB1\xD0\xBB.txt"},
    {65001, "", "\xD0\xAF\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE.txt", "[N-1]", "[E1]",
     "\xD0\xBE.t"},
    {65001, "", "\xE8\xA1\xA8\xE7\xA4\xBA.txt", "[N2]", "[E]", "\xE7\xA4\xBA.txt"},
    {65001, "",
     "a\xF0\x9F\x98\x80"
     "b.txt",
     "[N2]-[N-2,2]", "[E]",
     "\xF0\x9F\x98\x80-\xF0\x9F\x98\x80"
     "b.txt"},
    {65001, "\xD0\xAF\xF0\x9F\x98\x80", "x.txt", "[P-1]_[N]", "[E]", "\xF0\x9F\x98\x80_x.txt"},
    // The date taken read from a file whose path the system must convert to open it.
    {932, "\x95\x5C", "\x95\x5C\x8E\xA6.jpg", "[P]_[XY][XM][XD]_[Xs]", "[E]",
     "\x95\x5C_20230501_57.jpg", "2023:05:01 12:34:57"},
    {65001, "", "\xD0\xAF\xF0\x9F\x98\x80.jpg", "[N-1]_[XY][XM][XD]_[Xs]", "[E]",
     "\xF0\x9F\x98\x80_20230501_57.jpg", "2023:05:01 12:34:57"},
};

TEST(ProcessMultiByte, RangesCountCharactersAndTheFileMovesToThePreviewedName) {
    const UINT codePage = GetACP();
    ASSERT_TRUE(codePage == 932 || codePage == CP_UTF8)
        << "run with LANG=ja_JP.UTF-8, or with the UTF-8 manifest";
    int ran = 0;
    for (const MultiByteRow& row : kRows) {
        if (row.codePage != codePage) {
            continue;
        }
        ++ran;
        PluginFiles files;
        ASSERT_TRUE(files.loaded());
        std::string folder;
        if (*row.folder != '\0') {
            folder = std::string(row.folder) + "\\";
            ASSERT_TRUE(CreateDirectoryA((files.folder() + folder).c_str(), nullptr)) << row.name;
        }
        const std::string content = row.taken == nullptr
                                        ? "named"
                                        : photo(nm::media::jpeg({.exif = {.original = row.taken}}));
        const std::string old = files.file(folder + row.name, content);
        files.setMasks(row.nameMask, row.extMask);
        const std::string expected = files.folder() + folder + row.expected;
        const auto preview = files.call(old, true);
        ASSERT_FALSE(preview.error) << row.nameMask;
        EXPECT_EQ(preview.path, expected) << row.nameMask;
        const auto result = files.call(old, false);
        ASSERT_FALSE(result.error) << row.nameMask;
        EXPECT_EQ(result.path, expected) << row.nameMask;
        EXPECT_EQ(PluginFiles::content(expected), content.substr(0, 256)) << row.nameMask;
    }
    EXPECT_GT(ran, 0);
}

}  // namespace
