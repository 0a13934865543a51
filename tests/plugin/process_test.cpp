// process through the DLL, on real files in a temporary folder.

#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>  // after windows.h, which it needs

#include <cstdint>
#include <cstdio>
#include <tuple>

#include "engine/win32/handles.hpp"
#include "tests/plugin/process_fixture.hpp"
#include "tests/support/media_files.hpp"

namespace {

using nm::test::PluginFiles;

constexpr char kDateError[] = "Invalid argument to date encode";

class Process : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(files_.loaded()); }
    PluginFiles files_;
};

TEST_F(Process, PreviewHandsBackTheNewPathAndLeavesTheFileAlone) {
    files_.setMasks("[P]-[Y][M][D]_[C]", "[E]", 1, 1, 3);
    const std::string old = files_.file("IMG_0001.JPG", "photo");
    const auto result = files_.call(old, old, 4, true);
    EXPECT_FALSE(result.error);
    ASSERT_TRUE(result.changed);
    EXPECT_EQ(result.path, files_.folder() + files_.folderName() + "-20261207_005.JPG");
    EXPECT_EQ(PluginFiles::content(old), "photo");
    EXPECT_FALSE(PluginFiles::content(result.path));
}

TEST_F(Process, RealCallMovesTheFile) {
    files_.setMasks("[N]_[h][m]", "bak");
    const std::string old = files_.file("a.txt", "alpha");
    const auto result = files_.call(old, false);
    EXPECT_FALSE(result.error);
    ASSERT_TRUE(result.changed);
    EXPECT_EQ(result.path, files_.folder() + "a_0905.bak");
    EXPECT_FALSE(PluginFiles::content(old));
    EXPECT_EQ(PluginFiles::content(result.path), "alpha");
}

TEST_F(Process, AFailedMoveKeepsBothFilesAndTheGivenPath) {
    files_.setMasks("b", "txt");
    const std::string old = files_.file("a.txt", "alpha");
    const std::string existing = files_.file("b.txt", "beta");
    auto result = files_.call(old, false);
    EXPECT_FALSE(result.error);
    EXPECT_FALSE(result.changed);
    EXPECT_EQ(PluginFiles::content(old), "alpha");
    EXPECT_EQ(PluginFiles::content(existing), "beta");

    // A target folder that does not exist.
    files_.setMasks("missing\\[N]", "[E]");
    result = files_.call(old, false);
    EXPECT_FALSE(result.error);
    EXPECT_FALSE(result.changed);
    EXPECT_EQ(PluginFiles::content(old), "alpha");
}

TEST_F(Process, AMaskThatCannotBeExpandedLeavesPathAndFile) {
    const std::string old = files_.file("a.txt", "alpha");
    for (const char* mask : {"[Name]", "[N][mm]", "[N"}) {
        files_.setMasks(mask, "[E]");
        const auto result = files_.call(old, false);
        EXPECT_FALSE(result.error) << mask;
        EXPECT_FALSE(result.changed) << mask;
        EXPECT_EQ(PluginFiles::content(old), "alpha") << mask;
    }
}

TEST_F(Process, NoUsableTimeRaisesTheDateErrorAndChangesNothing) {
    const std::string old = files_.file("a.txt", "alpha");
    const std::string ancient = files_.file("old.txt", "x", 1975, 6, 1);
    CreateDirectoryA((files_.folder() + "sub").c_str(), nullptr);
    // The date-taken tokens read the time source through an open of their own.
    for (const char* mask : {"[N]x", "[XY][N]"}) {
        files_.setMasks(mask, "[E]");
        for (const std::string& source :
             {files_.folder() + "nothing.txt", files_.folder() + "sub", ancient}) {
            for (bool preview : {true, false}) {
                const auto result = files_.call(old, source, 0, preview);
                EXPECT_EQ(result.error.value_or("<none>"), kDateError) << mask << " " << source;
                EXPECT_FALSE(result.changed) << mask << " " << source;
                EXPECT_EQ(PluginFiles::content(old), "alpha") << mask << " " << source;
            }
        }
    }
    // Even a mask that already failed raises, since the time is read in every call.
    files_.setMasks("[Name]", "");
    EXPECT_EQ(files_.call(old, files_.folder() + "nothing.txt", 0, true).error.value_or(""),
              kDateError);
}

// The date-taken tokens read the file itself: a photo's Exif date with its odd second, a video's
// UTC mvhd in local time (the tests run at UTC+05:30). A file without a date taken, or one
// that cannot be opened (locked by the test, no sharing), takes the file time, as the plain
// tokens show it. The file's time (09:05:37) is not the date taken's.
TEST_F(Process, DateTakenTokensReadTheFileElseTakeItsTime) {
    namespace media = nm::media;
    const auto text = [](const media::Bytes& bytes) {
        return std::string(bytes.begin(), bytes.end());
    };
    const std::string photo = text(media::jpeg({.exif = {.original = "2023:05:01 12:34:57"}}));
    const std::string video =
        text(media::movie({.mvhdTime = media::quickTimeSeconds(2023, 5, 1, 22, 50, 57)}));
    SYSTEMTIME taken{2023, 5, 0, 1, 22, 50, 57, 0};
    FILETIME utc, local;
    ASSERT_TRUE(SystemTimeToFileTime(&taken, &utc) && FileTimeToLocalFileTime(&utc, &local) &&
                FileTimeToSystemTime(&local, &taken));
    ASSERT_NE(taken.wHour, 22) << "run in a zone off UTC (TZ)";
    char videoName[32];
    std::snprintf(videoName, sizeof videoName, "%04u%02u%02u_%02u%02u%02u.MP4", taken.wYear,
                  taken.wMonth, taken.wDay, taken.wHour, taken.wMinute, taken.wSecond);
    struct Row {
        const char* name;
        std::string content;
        bool locked;
        const char* nameMask;
        std::string expected;
    };
    const Row rows[] = {
        {"IMG_0001.JPG", photo, false, "[XY]-[XM]-[XD]_[Xh][Xm][Xs]", "2023-05-01_123457.JPG"},
        {"IMG_0001.JPG", photo, false, "[Y][M][D][h][m][s]_[XY3-4][Xs]", "20261207090536_2357.JPG"},
        {"VID_0001.MP4", video, false, "[XY][XM][XD]_[Xh][Xm][Xs]", videoName},
        {"notes.txt", "not a photo", false, "[XY][XM][XD]_[Xh][Xm][Xs]", "20261207_090536.txt"},
        {"IMG_0002.JPG", photo, true, "[XY][XM][XD]_[Xh][Xm][Xs]", "20261207_090536.JPG"},
    };
    for (const Row& row : rows) {
        const std::string old = files_.file(row.name, row.content, 2026, 12, 7, 9, 5, 37);
        files_.setMasks(row.nameMask, "[E]");
        const nm::FileHandle lock(row.locked ? CreateFileA(old.c_str(), GENERIC_READ, 0, nullptr,
                                                           OPEN_EXISTING, 0, nullptr)
                                             : INVALID_HANDLE_VALUE);
        ASSERT_EQ(static_cast<bool>(lock), row.locked) << row.name;
        const auto result = files_.call(old, true);
        EXPECT_FALSE(result.error) << row.name << " " << row.nameMask;
        EXPECT_EQ(result.path, files_.folder() + row.expected) << row.name << " " << row.nameMask;
    }
}

TEST_F(Process, AMaskOfAFullFieldWithoutNulIsReadAsHundredCharacters) {
    std::string mask(97, 'x');
    mask += "[N]";
    files_.setMasks("", "");
    std::memcpy(files_.record().NameMask, mask.data(), 100);  // no NUL
    std::memset(files_.record().ExtMask, 0, 100);
    const std::string old = files_.file("a.txt");
    const auto result = files_.call(old, true);
    ASSERT_TRUE(result.changed);
    EXPECT_EQ(result.path, files_.folder() + std::string(97, 'x') + "a");
}

// The date settings are those of the load: the locale may change under a running host.
TEST_F(Process, KeepsTheDateSettingsOfItsLoad) {
    files_.setMasks("[d]", "");
    const std::string old = files_.file("a.txt");
    const LCID loaded = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(0x0409));
    char shortDate[80] = "";
    GetLocaleInfoA(GetThreadLocale(), LOCALE_SSHORTDATE, shortDate, sizeof shortDate);
    const auto result = files_.call(old, true);
    SetThreadLocale(loaded);
    ASSERT_STRNE(shortDate, "dd.MM.yyyy");  // what a capture now would take
    EXPECT_EQ(result.path, files_.folder() + "07.12.2026");
}

TEST_F(Process, ManyCallsLeavePrivateBytesAndHandlesFlat) {
    files_.setMasks("[P]-[Y][M][D]_[C]", "[E]", 1, 1, 3);
    const std::string old = files_.file("IMG_0001.JPG");
    const std::string missing = files_.folder() + "missing.jpg";
    // Commit charge: PrivateUsage on Windows; Wine leaves it 0 but keeps PagefileUsage,
    // which is the same figure there. Wine has no handle count either, so a fresh handle's
    // value stands in: handle slots are reused lowest first, so leaked handles push it up.
    auto measure = [] {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters);
        DWORD handles = 0;
        GetProcessHandleCount(GetCurrentProcess(), &handles);
        HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        const auto probeValue = reinterpret_cast<std::uintptr_t>(probe);
        CloseHandle(probe);
        return std::tuple<SIZE_T, DWORD, std::uintptr_t>(
            counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage, handles,
            probeValue);
    };
    auto batch = [&](int calls) {
        for (int i = 0; i < calls; ++i) {
            if (i % 10 == 9) {
                files_.call(old, missing, i, true);  // the error path
            } else {
                files_.call(old, old, i, true);
            }
        }
    };
    batch(1000);  // warm up: module storage and heaps reach their working size
    const auto before = measure();
    batch(100000);
    const auto after = measure();
    std::printf("private bytes %lu -> %lu, handles %lu -> %lu, next handle %#lx -> %#lx\n",
                static_cast<unsigned long>(std::get<0>(before)),
                static_cast<unsigned long>(std::get<0>(after)),
                static_cast<unsigned long>(std::get<1>(before)),
                static_cast<unsigned long>(std::get<1>(after)),
                static_cast<unsigned long>(std::get<2>(before)),
                static_cast<unsigned long>(std::get<2>(after)));
    ASSERT_GT(std::get<0>(before), 0u);
    EXPECT_LE(std::get<0>(after), std::get<0>(before) + 64 * 1024);
    EXPECT_EQ(std::get<1>(after), std::get<1>(before));
    EXPECT_EQ(std::get<2>(after), std::get<2>(before));
}

}  // namespace
