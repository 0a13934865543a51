// Last-write times set with SetFileTime in a private temporary folder.

#include "engine/win32/file_time.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/unique_handle.hpp"

namespace nm {
void PrintTo(const FileTime& t, std::ostream* os) {
    *os << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute << ':'
        << t.second;
}
}  // namespace nm

namespace {

using nm::FileTime;
using nm::ReadFileTime;

struct HandleCloser {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
using UniqueFile = nm::UniqueHandle<HANDLE, HandleCloser>;

class ReadFileTimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        folder_ = std::string(temp) + "nm_file_time_" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
        folder_ += '\\';
    }
    void TearDown() override {
        for (const std::string& path : made_) {
            DeleteFileA(path.c_str());
            RemoveDirectoryA(path.c_str());
        }
        RemoveDirectoryA(folder_.c_str());
    }

    // A file whose last-write time, read back in local time, is `local`.
    std::string makeFile(const char* name, const SYSTEMTIME& local) {
        std::string path = folder_ + name;
        UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(file) << path;
        made_.push_back(path);
        FILETIME localTime;
        FILETIME utc;
        EXPECT_TRUE(SystemTimeToFileTime(&local, &localTime));
        EXPECT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
        EXPECT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &utc));
        return path;
    }

    std::string folder_;
    std::vector<std::string> made_;
};

SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    return SYSTEMTIME{year, month, 0, day, hour, minute, second, 0};
}

TEST_F(ReadFileTimeTest, GivesTheLocalDosTimeWithinTheDosYears) {
    const struct {
        SYSTEMTIME local;
        std::optional<FileTime> expected;
    } cases[] = {
        {at(2026, 12, 7, 9, 5, 36), FileTime{2026, 12, 7, 9, 5, 36}},
        {at(2026, 12, 7, 9, 5, 37), FileTime{2026, 12, 7, 9, 5, 36}},  // two-second steps
        {at(1980, 1, 1, 0, 0, 0), FileTime{1980, 1, 1, 0, 0, 0}},
        {at(2107, 12, 31, 23, 59, 59), FileTime{2107, 12, 31, 23, 59, 58}},
        {at(1979, 12, 31, 23, 59, 59), std::nullopt},
        {at(1975, 6, 15, 12, 0, 0), std::nullopt},
        {at(2108, 1, 1, 0, 0, 0), std::nullopt},  // must not wrap round to 1980
        {at(2110, 3, 1, 12, 0, 0), std::nullopt},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = makeFile(("f" + std::to_string(n++) + ".txt").c_str(), c.local);
        EXPECT_EQ(ReadFileTime(path.c_str()), c.expected) << path << " year " << c.local.wYear;
    }
}

TEST_F(ReadFileTimeTest, GivesNoTimeForWhatIsNotOneFile) {
    makeFile("photo1.jpg", at(2026, 12, 7, 9, 5, 36));
    const std::string sub = folder_ + "sub";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    made_.push_back(sub);
    const std::string paths[] = {
        sub,
        folder_ + "missing.jpg",
        "",
        // Wildcards would find photo1.jpg, but no file has such a name.
        folder_ + "photo?.jpg",
        folder_ + "*.jpg",
        folder_ + "photo<",
        folder_ + "photo1.jp>",
    };
    for (const std::string& path : paths) {
        EXPECT_EQ(ReadFileTime(path.c_str()), std::nullopt) << "[" << path << "]";
    }
    EXPECT_EQ(ReadFileTime(nullptr), std::nullopt);
    EXPECT_NE(ReadFileTime((folder_ + "photo1.jpg").c_str()), std::nullopt);
}

}  // namespace
