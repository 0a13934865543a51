// Last-write times set with SetFileTime in a private temporary folder.

#include "engine/win32/file_time.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/win32/handles.hpp"

namespace {

using nm::FileTime;

class ReadFileTime : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        folder_ = temp + ("nm_file_time_" + std::to_string(GetCurrentProcessId())) + '\\';
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
    }
    void TearDown() override {
        for (const std::string& path : made_) {
            if (!DeleteFileA(path.c_str())) {
                RemoveDirectoryA(path.c_str());  // the subfolder
            }
        }
        RemoveDirectoryA(folder_.c_str());
    }

    // A file whose last-write time, read back in local time, is `local`.
    std::string makeFile(const std::string& name, const SYSTEMTIME& local) {
        made_.push_back(folder_ + name);
        nm::FileHandle file(CreateFileA(made_.back().c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
        FILETIME localTime, utc;
        EXPECT_TRUE(SystemTimeToFileTime(&local, &localTime) &&
                    LocalFileTimeToFileTime(&localTime, &utc) &&
                    SetFileTime(file.get(), nullptr, nullptr, &utc))
            << made_.back();
        return made_.back();
    }

    std::string folder_;
    std::vector<std::string> made_;
};

TEST_F(ReadFileTime, GivesTheLocalDosTimeOnlyWithinTheDosYears) {
    const struct {
        SYSTEMTIME local;  // year, month, weekday, day, hour, minute, second, ms
        std::optional<FileTime> expected;
    } cases[] = {
        {{2026, 12, 0, 7, 9, 5, 36, 0}, FileTime{2026, 12, 7, 9, 5, 36}},
        {{2026, 12, 0, 7, 9, 5, 37, 0}, FileTime{2026, 12, 7, 9, 5, 36}},  // DOS seconds go in twos
        {{1980, 1, 0, 1, 0, 0, 0, 0}, FileTime{1980, 1, 1, 0, 0, 0}},
        {{2107, 12, 0, 31, 23, 59, 59, 0}, FileTime{2107, 12, 31, 23, 59, 58}},
        {{1975, 6, 0, 15, 12, 0, 0, 0}, std::nullopt},
        {{2108, 1, 0, 1, 0, 0, 0, 0}, std::nullopt},  // must not wrap round to 1980
        {{2110, 3, 0, 1, 12, 0, 0, 0}, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::string path = makeFile("f" + std::to_string(made_.size()), c.local);
        EXPECT_EQ(nm::ReadFileTime(path.c_str()), c.expected) << "year " << c.local.wYear;
    }
}

TEST_F(ReadFileTime, GivesNoTimeForFoldersMissingFilesAndWildcards) {
    const std::string photo = makeFile("photo1.jpg", {2026, 12, 0, 7, 9, 5, 36, 0});
    made_.push_back(folder_ + "sub");
    ASSERT_TRUE(CreateDirectoryA(made_.back().c_str(), nullptr));
    EXPECT_NE(nm::ReadFileTime(photo.c_str()), std::nullopt);
    // The wildcard paths would match photo1.jpg, but no file can bear such a name.
    for (const std::string& path :
         {folder_ + "sub", folder_ + "missing.jpg", std::string(), folder_ + "photo?.jpg",
          folder_ + "*", folder_ + "photo1.jp>"}) {
        EXPECT_EQ(nm::ReadFileTime(path.c_str()), std::nullopt) << "[" << path << "]";
    }
    EXPECT_EQ(nm::ReadFileTime(nullptr), std::nullopt);
}

}  // namespace
