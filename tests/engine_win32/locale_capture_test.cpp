// Runs once per LANG, and once more with a manifest that makes the process's code page
// UTF-8; each run checks what its own locale and code page must give.

#include "engine/win32/locale_capture.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string_view>

namespace {

struct Expected {
    const char* lang;
    UINT codePage;
    const char* shortDate;
    const char* dateText;  // 7 December 2026 under that short date
    const char* sunday;    // full name, which comes first
    const char* december;  // full name
    nm::CodePageKind kind;
};

using enum nm::CodePageKind;

const Expected kLocales[] = {
    {"ru_RU.UTF-8", 1251, "dd.MM.yyyy", "07.12.2026",
     "\xe2\xee\xf1\xea\xf0\xe5\xf1\xe5\xed\xfc\xe5", "\xe4\xe5\xea\xe0\xe1\xf0\xfc", SingleByte},
    {"en_US.UTF-8", 1252, "M/d/yyyy", "12/7/2026", "Sunday", "December", SingleByte},
    {"ja_JP.UTF-8", 932, "yyyy/M/d", "2026/12/7", "\x93\xfa\x97j\x93\xfa", "12\x8c\x8e",
     DoubleByte},
    // The system's code page is double-byte, the process's UTF-8.
    {"ja_JP.UTF-8", 65001, "yyyy/M/d", "2026/12/7", "\xe6\x97\xa5\xe6\x9b\x9c\xe6\x97\xa5",
     "12\xe6\x9c\x88", Utf8},
};

class LocaleCapture : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* lang = std::getenv("LANG");
        for (const Expected& e : kLocales) {
            if (lang != nullptr && std::string_view(lang) == e.lang && GetACP() == e.codePage)
                expected_ = &e;
        }
        ASSERT_NE(expected_, nullptr)
            << "no expectations for LANG " << (lang ? lang : "") << " and code page " << GetACP()
            << ": Wine takes the code page from LANG, or from the manifest";
    }
    const Expected* expected_ = nullptr;
};

TEST_F(LocaleCapture, TakesTheLocalesDateSettingsAndLeadBytes) {
    const nm::LocaleFormats formats = nm::captureLocaleFormats();
    EXPECT_EQ(formats.shortDate, expected_->shortDate);
    EXPECT_EQ(nm::FormatFileTime(formats.shortDate, {2026, 12, 7, 9, 5, 36}, formats),
              expected_->dateText);
    EXPECT_EQ(formats.longDays[0], expected_->sunday);
    EXPECT_EQ(formats.longMonths[11], expected_->december);
    EXPECT_EQ(formats.codePage.kind, expected_->kind);
    for (int b = 0; b < 256; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(formats.isLeadByte(b), expected_->kind == DoubleByte && lead) << "byte " << b;
    }
}

}  // namespace
