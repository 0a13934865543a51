#include "engine/win32/plan_rules.hpp"

#include <windows.h>

#include <string>
#include <string_view>

namespace nm {
namespace {

// The ANSI text in UTF-16, upper-cased as the file system compares names; its bytes are
// the key.
std::string foldName(std::string_view path) {
    const int length = static_cast<int>(path.size());
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, path.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), length, wide.data(), wideLength);
    std::wstring upper(wide.size(), L'\0');
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), wideLength, upper.data(),
                 wideLength);
    return std::string(reinterpret_cast<const char*>(upper.data()), upper.size() * sizeof(wchar_t));
}

bool exists(std::string_view path) {
    return GetFileAttributesA(std::string(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

PlanRules WindowsPlanRules() {
    PlanRules rules;
    rules.foldName = foldName;
    rules.exists = exists;
    for (unsigned byte = 0; byte < 256; ++byte) {
        rules.leadBytes[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) != 0;
    }
    return rules;
}

}  // namespace nm
