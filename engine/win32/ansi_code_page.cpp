#include "engine/win32/ansi_code_page.hpp"

#include <windows.h>

#include <cstddef>

namespace nm {
namespace {

CodePage readAnsiCodePage() noexcept {
    CodePage codePage;
    if (GetACP() == CP_UTF8) {
        codePage.kind = CodePageKind::Utf8;  // it reports no lead bytes
        return codePage;
    }
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info)) {
        return codePage;  // taken as single-byte: no byte counts as a lead byte
    }
    // Pairs of first and last byte of each range, ended by a pair of zeros; a single-byte
    // code page lists none.
    for (std::size_t i = 0; i + 1 < MAX_LEADBYTES; i += 2) {
        const unsigned first = info.LeadByte[i];
        const unsigned last = info.LeadByte[i + 1];
        if (first == 0 && last == 0) {
            break;
        }
        for (unsigned b = first; b <= last; ++b) {
            codePage.leadBytes[b] = true;
            codePage.kind = CodePageKind::DoubleByte;
        }
    }
    return codePage;
}

}  // namespace

const CodePage& ansiCodePage() noexcept {
    // A process's ANSI code page never changes: one read serves every later caller.
    static const CodePage codePage = readAnsiCodePage();
    return codePage;
}

}  // namespace nm
