// libFuzzer target over ExpandToken and ReplaceAll, built in the sanitizer tree only.
//
// Input layout (the seeds in tests/fuzz/corpus/ follow it):
//   byte 0      prefix: one of the letters N E P d Y y M D t h m s gives the real prefix "[" and
//               that letter; any other byte b gives the next b % 4 bytes as a raw prefix
//   byte 1      literal: "C" gives "[C]", "[" gives "[[]", "]" gives "[]]"; any other byte b gives
//               the next b % 4 bytes as a raw literal
//   1 byte      value length and code page: v % 64 bytes of value follow (shortened at the end of
//               the data); v / 64 chooses the code page: 0 and 3 single-byte, 1 code page 932,
//               2 UTF-8
//   the rest    the template
//
// Checks, besides the sanitizers' own: a template that does not hold the prefix (or the literal)
// comes back unchanged (and ExpandToken gives true); both calls end (libFuzzer's -timeout); and the
// fast versions give exactly what the literal algorithm gives (tests/engine/mask_reference.hpp).
// The literal algorithm assumes needles without NUL (a NUL literal can make it run forever), so
// the comparison is skipped for those; the fast versions still run on them.

#include "engine/mask.hpp"
#include "tests/engine/mask_reference.hpp"
#include "tests/support/test_support.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using nm::test::check;

std::string_view realPrefix(unsigned char selector) {
    static constexpr std::string_view kLetters = "NEPdYyMDthms";
    static const std::string kPrefixes[] = {"[N", "[E", "[P", "[d", "[Y", "[y",
                                            "[M", "[D", "[t", "[h", "[m", "[s"};
    const std::size_t at = kLetters.find(static_cast<char>(selector));
    return at == std::string_view::npos ? std::string_view() : kPrefixes[at];
}

std::string_view realLiteral(unsigned char selector) {
    switch (selector) {
        case 'C':
            return "[C]";
        case '[':
            return "[[]";
        case ']':
            return "[]]";
        default:
            return {};
    }
}

nm::CodePage codePageOf(unsigned char selector) {
    switch (selector / 64) {
        case 1:
            return nm::test::shiftJis();
        case 2:
            return nm::test::utf8();
        default:
            return {};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    nm::test::FuzzInput in{std::string_view(reinterpret_cast<const char*>(bytes), size)};
    const unsigned char prefixSelector = in.takeByte();
    std::string_view prefix = realPrefix(prefixSelector);
    if (prefix.empty()) {
        prefix = in.take(prefixSelector % 4);
    }
    const unsigned char literalSelector = in.takeByte();
    std::string_view literal = realLiteral(literalSelector);
    if (literal.empty()) {
        literal = in.take(literalSelector % 4);
    }
    const unsigned char valueSelector = in.takeByte();
    const nm::CodePage codePage = codePageOf(valueSelector);
    const std::string_view value = in.take(valueSelector % 64);
    const std::string original(in.data);

    std::string expanded = original;
    const bool result = nm::ExpandToken(expanded, prefix, value, codePage);
    if (prefix.empty() || original.find(prefix) == std::string::npos) {
        check(result && expanded == original);
    }
    if (prefix.find('\0') == std::string_view::npos) {
        std::string slow = original;
        const bool slowResult = nm::reference::ExpandToken(slow, prefix, value, codePage);
        check(result == slowResult && expanded == slow);
    }

    std::string replaced = original;
    nm::ReplaceAll(replaced, literal, value, codePage);
    if (literal.empty() || original.find(literal) == std::string::npos) {
        check(replaced == original);
    }
    if (literal.find('\0') == std::string_view::npos) {
        std::string slow = original;
        nm::reference::ReplaceAll(slow, literal, value, codePage);
        check(replaced == slow);
    }
    return 0;
}
