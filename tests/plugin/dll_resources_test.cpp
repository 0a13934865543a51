// The resources and the version block that the DLL carries for the host and for Windows.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "namemask/plugin.h"

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

class Resources : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = LoadLibraryExA(NAMEMASK_DLL_NAME, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }

    const void* data(const char* name, LPCSTR type, DWORD* size = nullptr) const {
        HRSRC found = FindResourceA(module_, name, type);
        if (found == nullptr) {
            return nullptr;
        }
        if (size != nullptr) {
            *size = SizeofResource(module_, found);
        }
        return LockResource(LoadResource(module_, found));
    }
    HMODULE module_ = nullptr;
};

TEST_F(Resources, BitmapsHaveTheirSizesDepthsAndPalette) {
    struct Case {
        const char* name;
        LONG width, height;
        WORD bits;
        DWORD colours;
    };
    for (const Case& c : {Case{"ACTION", 16, 16, 8, 51}, Case{"OPTBG", 100, 50, 24, 0}}) {
        DWORD size = 0;
        auto* header = static_cast<const BITMAPINFOHEADER*>(data(c.name, RT_BITMAP, &size));
        ASSERT_NE(header, nullptr) << c.name;
        EXPECT_EQ(header->biWidth, c.width) << c.name;
        EXPECT_EQ(header->biHeight, c.height) << c.name;
        EXPECT_EQ(header->biBitCount, c.bits) << c.name;
        EXPECT_EQ(header->biClrUsed, c.colours) << c.name;
        const DWORD stride = ((c.width * c.bits + 31) / 32) * 4;
        EXPECT_GE(size, header->biSize + c.colours * sizeof(RGBQUAD) + stride * c.height) << c.name;
    }
}

TEST_F(Resources, ActionBitmapHasAMagentaBackground) {
    auto* header = static_cast<const BITMAPINFOHEADER*>(data("ACTION", RT_BITMAP));
    ASSERT_NE(header, nullptr);
    auto* palette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    auto* pixels = reinterpret_cast<const BYTE*>(palette + header->biClrUsed);
    const RGBQUAD corner = palette[pixels[0]];  // bottom-left pixel
    EXPECT_EQ(corner.rgbRed, 255);
    EXPECT_EQ(corner.rgbGreen, 0);
    EXPECT_EQ(corner.rgbBlue, 255);
}

TEST_F(Resources, IconGroupsHoldA32BitImageForEverySizeTheWindowMayAskFor) {
    // The button images come at 100, 125, 150 and 200 % so that no scale is stretched.
    struct Case {
        const char* name;
        std::vector<BYTE> sizes;
    };
    for (const Case& c : {Case{"BTNOK", {16, 20, 24, 32}}, Case{"BTNCANCEL", {16, 20, 24, 32}},
                          Case{"MAINICON", {32}}}) {
        auto* group = static_cast<const GroupIconHeader*>(data(c.name, RT_GROUP_ICON));
        ASSERT_NE(group, nullptr) << c.name;
        ASSERT_EQ(group->count, c.sizes.size()) << c.name;
        auto* entries = reinterpret_cast<const GroupIconEntry*>(group + 1);
        for (std::size_t i = 0; i < c.sizes.size(); ++i) {
            const GroupIconEntry& entry = entries[i];
            const BYTE size = c.sizes[i];
            EXPECT_EQ(entry.width, size) << c.name;
            EXPECT_EQ(entry.height, size) << c.name;
            EXPECT_EQ(entry.bitCount, 32) << c.name;
            auto* image =
                static_cast<const BITMAPINFOHEADER*>(data(MAKEINTRESOURCEA(entry.id), RT_ICON));
            ASSERT_NE(image, nullptr) << c.name;
            EXPECT_EQ(image->biWidth, size) << c.name;
            EXPECT_EQ(image->biHeight, 2 * size) << c.name;  // colour and mask
            EXPECT_EQ(image->biBitCount, 32) << c.name;
        }
    }
}

TEST_F(Resources, VersionBlockNamesVersionTitleAndMaker) {
    // A data-file module has no file name: the DLL lies beside the test program.
    char exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
    std::string path(exe);
    path.replace(path.find_last_of('\\') + 1, std::string::npos, NAMEMASK_DLL_NAME);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);

    auto text = [&](const char* key) {
        char* value = nullptr;
        UINT chars = 0;
        const std::string query = std::string("\\StringFileInfo\\041904E3\\") + key;
        if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value),
                            &chars)) {
            return std::string("<missing>");
        }
        return std::string(value);
    };
    EXPECT_EQ(text("FileVersion"), "1.0.02");
    EXPECT_EQ(text("CompanyName"), "Quelvarn");
    EXPECT_EQ(text("OriginalFilename"), NAMEMASK_DLL_NAME);
    // The ANSI query converts to the test's code page, 1251 under ru_RU.
    EXPECT_EQ(text("FileDescription"), "\xC8\xEC\xFF \xEF\xEE \xEC\xE0\xF1\xEA\xE5");
}

}  // namespace
