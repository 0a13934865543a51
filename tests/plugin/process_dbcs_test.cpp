// Path splitting in a double-byte code page (932): a character whose second byte is 0x5C,
// the backslash, must not split the path.

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/plugin/process_fixture.hpp"

namespace {

using nm::test::PluginFiles;

TEST(ProcessDoubleByte, TrailByteBackslashIsNoSeparator) {
    ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8";
    PluginFiles files;
    ASSERT_TRUE(files.loaded());
    const std::string hyo = "\x95\x5C";  // one character in code page 932
    ASSERT_TRUE(CreateDirectoryA((files.folder() + hyo).c_str(), nullptr));
    const std::string old = files.file(hyo + "\\" + hyo + ".txt", "kanji");
    files.setMasks("[P]_[N]", "[E]");
    const auto result = files.call(old, false);
    ASSERT_FALSE(result.error);
    ASSERT_TRUE(result.changed);
    EXPECT_EQ(result.path, files.folder() + hyo + "\\" + hyo + "_" + hyo + ".txt");
    EXPECT_EQ(PluginFiles::content(result.path), "kanji");
}

}  // namespace
