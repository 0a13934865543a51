// The exports as a host sees them: namemask.dll loaded with LoadLibraryA.

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <string>

#include "namemask/plugin.h"

extern "C" size_t namemaskPluginInfoSizeFromC(void);
extern "C" size_t namemaskRenameOptionsSizeFromC(void);

namespace {

// "Имя по маске" in Windows-1251, spelled out so the test does not share the code's
// own conversion of its texts.
constexpr char kTitle1251[] = "\xC8\xEC\xFF \xEF\xEE \xEC\xE0\xF1\xEA\xE5";

class Dll : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = LoadLibraryA(NAMEMASK_DLL_NAME);
        ASSERT_NE(module_, nullptr) << "error " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    template <typename Fn>
    Fn get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    HMODULE module_ = nullptr;
};

TEST_F(Dll, EveryExportIsFoundByNameAndByOrdinalAtTheSameAddress) {
    struct Export {
        const char* name;
        WORD ordinal;
    };
    const Export exports[] = {
        {"freeOpt", NAMEMASK_ORDINAL_FREEOPT},         {"newOpt", NAMEMASK_ORDINAL_NEWOPT},
        {"clickBtn", NAMEMASK_ORDINAL_CLICKBTN},       {"exportBtns", NAMEMASK_ORDINAL_EXPORTBTNS},
        {"showOptions", NAMEMASK_ORDINAL_SHOWOPTIONS}, {"initialize", NAMEMASK_ORDINAL_INITIALIZE},
        {"process", NAMEMASK_ORDINAL_PROCESS},         {"getInfo", NAMEMASK_ORDINAL_GETINFO},
    };
    const WORD expectedOrdinals[] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (std::size_t i = 0; i < std::size(exports); ++i) {
        const auto& e = exports[i];
        EXPECT_EQ(e.ordinal, expectedOrdinals[i]) << e.name;
        FARPROC byName = GetProcAddress(module_, e.name);
        FARPROC byOrdinal = GetProcAddress(module_, MAKEINTRESOURCEA(e.ordinal));
        EXPECT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(byName, byOrdinal) << e.name;
    }
    // Decorated names must not be there.
    EXPECT_EQ(GetProcAddress(module_, "getInfo@4"), nullptr);
    EXPECT_EQ(GetProcAddress(module_, "_getInfo@4"), nullptr);
}

TEST_F(Dll, HeaderLayoutIsTheSameInC) {
    EXPECT_EQ(namemaskPluginInfoSizeFromC(), 216u);
    EXPECT_EQ(namemaskRenameOptionsSizeFromC(), 212u);
}

TEST_F(Dll, GetInfoWritesEveryFieldOverItsWidthAndLeavesByte211) {
    std::array<unsigned char, 216> expected{};
    auto put = [&](std::size_t offset, const char* text) {
        std::memcpy(expected.data() + offset, text, std::strlen(text));
    };
    put(0, "1.0.02");
    put(10, kTitle1251);
    put(60, "Quelvarn");
    put(110, kTitle1251);
    put(160, "*.*");
    expected[210] = 0;
    expected[212] = 212;  // OptionsSize, little-endian

    for (unsigned char fill : {0x00, 0xA5, 0xFF}) {
        std::array<unsigned char, 216> buffer;
        buffer.fill(fill);
        get<NamemaskGetInfo>("getInfo")(reinterpret_cast<PluginInfo*>(buffer.data()));
        expected[211] = fill;
        EXPECT_EQ(buffer, expected) << "fill " << int(fill);
    }
    PluginInfo info{};
    get<NamemaskGetInfo>("getInfo")(&info);
    EXPECT_EQ(std::memcmp(info.Title, info.Caption, sizeof info.Title), 0);
    EXPECT_EQ(std::strlen(info.Title), 12u);
}

TEST_F(Dll, InitializeSucceedsOnceAndThenReportsTheExistingClass) {
    auto initialize = get<NamemaskInitialize>("initialize");
    EXPECT_EQ(initialize(GetDesktopWindow()), 1);
    WNDCLASSA cls{};
    // Registered without a module instance, the class belongs to the process.
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TKalvurenWindow", &cls));
    EXPECT_EQ(cls.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(cls.cbClsExtra, 0);
    EXPECT_EQ(cls.cbWndExtra, 0);
    EXPECT_EQ(cls.hIcon, nullptr);
    EXPECT_EQ(cls.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(cls.lpszMenuName, nullptr);
    EXPECT_EQ(initialize(nullptr), 0);
}

TEST_F(Dll, NewOptHandsOutUsableDefaultRecordsAndFreeOptTakesThemBack) {
    auto newOpt = get<NamemaskNewOpt>("newOpt");
    auto freeOpt = get<NamemaskFreeOpt>("freeOpt");
    RenameOptions* stored = nullptr;
    RenameOptions* returned = newOpt(&stored);
    ASSERT_NE(returned, nullptr);
    EXPECT_EQ(returned, stored);

    RenameOptions defaults{};
    std::memcpy(defaults.NameMask, "[N]", 3);
    std::memcpy(defaults.ExtMask, "[E]", 3);
    defaults.CounterStart = defaults.CounterStep = defaults.CounterDigits = 1;
    EXPECT_EQ(std::memcmp(returned, &defaults, sizeof defaults), 0);

    // Records are independent and writable over their whole size.
    RenameOptions* other = nullptr;
    newOpt(&other);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, returned);
    std::memset(returned, 0x5A, sizeof *returned);
    EXPECT_EQ(other->CounterStart, 1);
    freeOpt(returned);
    freeOpt(other);
    freeOpt(nullptr);
}

TEST_F(Dll, ExportBtnsReportsNoButtonsAndClickBtnDoesNothing) {
    int32_t count = 77;
    EXPECT_EQ(get<NamemaskExportBtns>("exportBtns")(nullptr, &count), 0);
    EXPECT_EQ(count, 0);
    count = 5;
    EXPECT_EQ(get<NamemaskExportBtns>("exportBtns")(reinterpret_cast<void*>(0x1234), &count), 0);
    EXPECT_EQ(count, 0);
    get<NamemaskClickBtn>("clickBtn")();
    EXPECT_EQ(count, 0);
}

}  // namespace
