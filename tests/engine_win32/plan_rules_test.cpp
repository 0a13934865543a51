// Runs once per LANG: names compare as the file system compares them in that code page,
// and what exists is what GetFileAttributes finds.

#include "engine/win32/plan_rules.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/win32/handles.hpp"

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
    {932, "C:\\x.\x83\x5c", "C:\\X.\x83\x5c", true},
    {932, "C:\\x \x83\x5c", "C:\\X \x83\x7c", false},
    {65001, "C:\\\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb.txt", "C:\\\xd0\xa4\xd0\x90\xd0\x99\xd0\x9b.TXT",
     true},                                                                  // файл, ФАЙЛ
    {65001, "C:\\\xf0\x9f\x98\x80.txt", "C:\\\xf0\x9f\x98\x81.txt", false},  // two emoji
};

// Windows measures a path in UTF-16 units, whatever its bytes in the code page.
struct LengthRow {
    UINT codePage;
    const char* path;
    std::size_t units;
};

const LengthRow kLengthRows[] = {
    {0, "C:\\a.txt", 8},
    {1251, "C:\\\xf4\xe0\xe9\xeb", 7},
    {932, "C:\\\x95\x5c\x8e\xa6", 5},
    {65001, "C:\\\xd1\x84\xd0\xb0", 5},
    {65001, "C:\\\xe8\xa1\xa8\xf0\x9f\x98\x80", 6},  // one unit, then a surrogate pair
};

TEST(PlanRules, FoldNamesAsTheFileSystemComparesThem) {
    const nm::PlanRules rules = nm::windowsPlanRules();
    for (const FoldRow& row : kFoldRows) {
        if (row.codePage == 0 || row.codePage == GetACP()) {
            EXPECT_EQ(rules.foldName(row.a) == rules.foldName(row.b), row.same)
                << row.a << " / " << row.b;
        }
    }
    EXPECT_EQ(rules.codePage.isLeadByte(0x82), GetACP() == 932);
    EXPECT_FALSE(rules.codePage.isLeadByte('\\'));
    for (const LengthRow& row : kLengthRows) {
        if (row.codePage == 0 || row.codePage == GetACP()) {
            EXPECT_EQ(rules.pathLength(row.path), row.units) << row.path;
        }
    }
}

// A path as the A functions take it, without their limit on its bytes.
std::wstring wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            static_cast<int>(out.size()))));
    return out;
}

// Asked about one folder often enough, the rules list it rather than ask name by name.
TEST(PlanRules, ExistsAnswersAsGetFileAttributes) {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    const std::string folder =
        temp + ("nm_plan_rules_" + std::to_string(GetCurrentProcessId())) + '\\';
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    std::vector<std::string> names = {"a long file name.text", "Mixed.Case", "b.txt"};
    if (GetACP() == 932) {  // the last character, after a dot or blank, ends in a "\" byte
        names.insert(names.end(), {"x.\x83\x5c", "y \x83\x5c"});
    }
    if (GetACP() == CP_UTF8) {
        // 120 Cyrillic letters: 240 bytes, about as long as a name on a Linux file system
        // under Wine may be (Windows allows 255 UTF-16 units, so up to 765 bytes here).
        std::string cyrillic;
        for (int i = 0; i < 120; ++i) {
            cyrillic += "\xd0\xaf";
        }
        names.push_back(cyrillic);
    }
    for (const std::string& name : names) {
        const nm::FileHandle file(CreateFileW(wide(folder + name).c_str(), GENERIC_WRITE, 0,
                                              nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(file) << name;
    }
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA((folder + names[0]).c_str(), shortPath, MAX_PATH);
    const std::string shortName =
        std::string(shortPath).substr(std::string(shortPath).rfind('\\') + 1);

    std::vector<std::string> probes = {
        folder + "b.txt",
        folder + "B.TXT",
        folder + "mixed.case",
        folder + "MIXED.CASE",
        folder + "Mixed.Case.",
        folder + "c.txt",
        folder + "b.tx",
        folder + "b.txt\\",
        folder + "*.txt",
        folder,
        folder + "..\\" + names[2],
        folder + shortName,
        folder + "X.\x83\x5c",
        folder + "Y \x83\x5c",
        folder + "Y \x83\x7c",
        folder + "b\x01.txt",
    };
    if (names.size() > 3) {
        probes.push_back(folder + names[3]);
        probes.push_back(folder + names[3].substr(2));
    }
    const nm::PlanRules rules = nm::windowsPlanRules();
    for (int round = 0; round < 10; ++round) {  // the first ask one by one, later ones list
        for (const std::string& probe : probes) {
            EXPECT_EQ(rules.exists(probe),
                      GetFileAttributesW(wide(probe).c_str()) != INVALID_FILE_ATTRIBUTES)
                << probe << " in round " << round;
        }
    }
    for (const std::string& name : names) {
        DeleteFileW(wide(folder + name).c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
