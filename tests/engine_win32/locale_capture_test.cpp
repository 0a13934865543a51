// Runs under several LANG values; each run checks what that locale must give.

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
    char dateSeparator;
    const char* sunday;    // full name, which must come first
    const char* monday;    // full name
    const char* january;   // abbreviated
    const char* december;  // full
    bool doubleByte;
};

const Expected kLocales[] = {
    {"ru_RU.UTF-8", 1251, "dd.MM.yyyy", "07.12.2026", '.',
     "\xe2\xee\xf1\xea\xf0\xe5\xf1\xe5\xed\xfc\xe5", "\xef\xee\xed\xe5\xe4\xe5\xeb\xfc\xed\xe8\xea",
     "\xff\xed\xe2.", "\xe4\xe5\xea\xe0\xe1\xf0\xfc", false},
    {"en_US.UTF-8", 1252, "M/d/yyyy", "12/7/2026", '/', "Sunday", "Monday", "Jan", "December",
     false},
    {"ja_JP.UTF-8", 932, "yyyy/M/d", "2026/12/7", '/', "\x93\xfa\x97j\x93\xfa",
     "\x8c\x8e\x97j\x93\xfa", "1\x8c\x8e", "12\x8c\x8e", true},
};

const Expected* expectedForThisRun() {
    const char* lang = std::getenv("LANG");
    for (const Expected& e : kLocales) {
        if (lang != nullptr && std::string_view(lang) == e.lang) {
            return &e;
        }
    }
    return nullptr;
}

class LocaleCapture : public ::testing::Test {
  protected:
    void SetUp() override {
        expected_ = expectedForThisRun();
        ASSERT_NE(expected_, nullptr) << "LANG must be one of the locales in kLocales";
        ASSERT_EQ(GetACP(), expected_->codePage) << "Wine did not take the code page from LANG";
    }
    const Expected* expected_ = nullptr;
};

TEST_F(LocaleCapture, TakesTheShortDateSeparatorsAndNames) {
    const nm::LocaleFormats formats = nm::CaptureLocaleFormats();
    EXPECT_EQ(formats.shortDate, expected_->shortDate);
    EXPECT_EQ(formats.dateSeparator, expected_->dateSeparator);
    EXPECT_EQ(formats.timeSeparator, ':');
    EXPECT_EQ(formats.longDays[0], expected_->sunday);
    EXPECT_EQ(formats.longDays[1], expected_->monday);
    EXPECT_EQ(formats.shortMonths[0], expected_->january);
    EXPECT_EQ(formats.longMonths[11], expected_->december);
    for (const auto* names : {&formats.shortMonths, &formats.longMonths}) {
        for (const std::string& name : *names) {
            EXPECT_FALSE(name.empty());
        }
    }
    const nm::FileTime december{2026, 12, 7, 9, 5, 36};
    EXPECT_EQ(nm::FormatFileTime(formats.shortDate, december, formats), expected_->dateText);
}

TEST_F(LocaleCapture, TakesTheLeadBytesOfADoubleByteCodePage) {
    const nm::LocaleFormats formats = nm::CaptureLocaleFormats();
    EXPECT_EQ(formats.doubleByte, expected_->doubleByte);
    for (int b = 0; b < 256; ++b) {
        const bool lead =
            expected_->doubleByte && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
        EXPECT_EQ(formats.isLeadByte(static_cast<unsigned char>(b)), lead) << "byte " << b;
    }
}

TEST_F(LocaleCapture, CapturesOnceAndKeepsEnglishUntilThen) {
    EXPECT_EQ(nm::localeFormats().shortDate, "m/d/yy");
    nm::captureLocaleFormatsOnce();
    EXPECT_EQ(nm::localeFormats().shortDate, expected_->shortDate);

    // A later change of locale does not reach the captured copy.
    const LCID other = GetThreadLocale() == 0x0409 ? 0x0419 : 0x0409;
    ASSERT_TRUE(SetThreadLocale(other));
    ASSERT_NE(nm::CaptureLocaleFormats().shortDate, expected_->shortDate);
    nm::captureLocaleFormatsOnce();
    EXPECT_EQ(nm::localeFormats().shortDate, expected_->shortDate);
}

}  // namespace
