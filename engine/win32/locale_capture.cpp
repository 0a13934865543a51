#include "engine/win32/locale_capture.hpp"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <utility>

#include "engine/win32/ansi_code_page.hpp"

namespace nm {
namespace {

// Leaves `text` as it is when the locale has no value, or an empty one, for the item.
// LOCALE_USE_CP_ACP: the texts end up in file names, which are in the ANSI code page
// even when the user's locale belongs to another one.
void readItem(LCID locale, LCTYPE item, std::string& text) {
    const LCTYPE query = item | LOCALE_USE_CP_ACP;
    const int size = GetLocaleInfoA(locale, query, nullptr, 0);
    if (size <= 1) {
        return;
    }
    std::string value(static_cast<std::size_t>(size), '\0');
    if (GetLocaleInfoA(locale, query, value.data(), size) <= 1) {
        return;
    }
    value.resize(std::strlen(value.c_str()));
    if (!value.empty()) {
        text = std::move(value);
    }
}

// A separator of more than one byte cannot stand in for one pattern character.
void readSeparator(LCID locale, LCTYPE item, char& separator) {
    std::string value;
    readItem(locale, item, value);
    if (value.size() == 1) {
        separator = value[0];
    }
}

}  // namespace

LocaleFormats captureLocaleFormats() {
    LocaleFormats formats;
    const LCID locale = GetThreadLocale();
    readItem(locale, LOCALE_SSHORTDATE, formats.shortDate);
    readSeparator(locale, LOCALE_SDATE, formats.dateSeparator);
    readSeparator(locale, LOCALE_STIME, formats.timeSeparator);
    // The name items are numbered consecutively, January and Monday first.
    for (std::size_t m = 0; m < 12; ++m) {
        readItem(locale, LOCALE_SABBREVMONTHNAME1 + m, formats.shortMonths[m]);
        readItem(locale, LOCALE_SMONTHNAME1 + m, formats.longMonths[m]);
    }
    for (std::size_t d = 0; d < 7; ++d) {
        const std::size_t fromMonday = (d + 6) % 7;  // our index 0 is Sunday, item 7
        readItem(locale, LOCALE_SABBREVDAYNAME1 + fromMonday, formats.shortDays[d]);
        readItem(locale, LOCALE_SDAYNAME1 + fromMonday, formats.longDays[d]);
    }
    // The code page the host's texts are in, which a manifest can make UTF-8 whatever the
    // system's.
    formats.codePage = ansiCodePage();
    return formats;
}

}  // namespace nm
