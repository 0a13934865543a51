// Runs once per LANG: names compare as the file system compares them in that code page.

#include "engine/win32/plan_rules.hpp"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct FoldRow {
    UINT codePage;  // 0: any
    const char* a;
    const char* b;
    bool same;
};

const FoldRow kFoldRows[] = {
    {0, "C:\\Photos\\img_1.jpg", "c:\\PHOTOS\\IMG_1.JPG", true},
    {0, "C:\\Photos\\img_1.jpg", "C:\\Photos\\img_2.jpg", false},
    {0, "C:\\a.txt", "C:\\a.txt ", false},
    {1251, "C:\\\xf4\xe0\xe9\xeb.txt", "C:\\\xd4\xc0\xc9\xcb.TXT", true},   // файл, ФАЙЛ
    {1251, "C:\\\xf4\xe0\xe9\xeb.txt", "C:\\\xf4\xe0\xe9\xea.txt", false},  // файл, файк
    {1252, "C:\\caf\xe9.txt", "C:\\CAF\xc9.TXT", true},                     // é, É
    {932, "C:\\\x82\x81.txt", "C:\\\x82\x60.txt", true},                    // full-width a, A
    {932, "C:\\\x83\x5c.txt", "C:\\\x83\x7c.txt", false},                   // two katakana
};

TEST(PlanRules, FoldNamesAsTheFileSystemComparesThem) {
    const nm::PlanRules rules = nm::WindowsPlanRules();
    for (const FoldRow& row : kFoldRows) {
        if (row.codePage == 0 || row.codePage == GetACP()) {
            EXPECT_EQ(rules.foldName(row.a) == rules.foldName(row.b), row.same)
                << row.a << " / " << row.b;
        }
    }
    EXPECT_EQ(rules.leadBytes[0x82], GetACP() == 932);
    EXPECT_FALSE(rules.leadBytes['\\']);
}

}  // namespace
