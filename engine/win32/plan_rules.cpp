#include "engine/win32/plan_rules.hpp"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "engine/win32/ansi_code_page.hpp"
#include "engine/win32/handles.hpp"
#include "engine/win32/text_codec.hpp"

namespace nm {
namespace {

// Windows measures a path given to the A functions after converting it: in UTF-16 units.
// Asked only of paths longer in bytes than the limit.
std::size_t pathLength(std::string_view path) {
    return ansiToWide(path).size();
}

// Upper-cased as the file system compares names; its bytes are the key.
std::string foldWide(std::wstring_view wide) {
    const int wideLength = static_cast<int>(wide.size());
    std::wstring upper(wide.size(), L'\0');
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), wideLength, upper.data(),
                 wideLength);
    return std::string(reinterpret_cast<const char*>(upper.data()), upper.size() * sizeof(wchar_t));
}

// The ANSI text in UTF-16, folded.
std::string foldName(std::string_view path) {
    return foldWide(ansiToWide(path));
}

// Whether paths exist. A folder the plan asks about many times is listed once instead:
// looking up a name that is not there can cost a scan of the whole folder (it does under
// Wine), and a batch asks about a new name for each of its files.
class Existence {
  public:
    explicit Existence(const CodePage& codePage) : codePage_(codePage) {}

    bool operator()(std::string_view path) {
        // Just after the last "\" that is not the second byte of a double-byte character.
        const std::size_t cut = codePage_.afterLastOf(path, "\\");
        const std::string_view name = path.substr(cut);
        if (cut == 0 || !plainName(name)) {
            return askedOne(path);
        }
        Folder& folder = folders_[foldName(path.substr(0, cut))];
        if (!folder.listed && ++folder.asked > kListAfter) {
            list(path.substr(0, cut), folder);
        }
        if (!folder.listed || folder.unreadable) {
            return askedOne(path);
        }
        return folder.names.contains(foldName(name));
    }

  private:
    static constexpr std::size_t kListAfter = 16;

    struct Folder {
        std::size_t asked = 0;
        bool listed = false;
        bool unreadable = false;
        std::unordered_set<std::string> names;  // folded, long and short names
    };

    // In UTF-16, like the listing: a path of more than MAX_PATH bytes in UTF-8 can still be
    // short enough.
    static bool askedOne(std::string_view path) {
        return GetFileAttributesW(ansiToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // A name the listing answers for as Windows would: no other separator, no wildcard, and
    // no trailing dot or blank (which Windows strips before it looks).
    static bool plainName(std::string_view name) {
        return !name.empty() && name.find_first_of("/:*?") == std::string_view::npos &&
               name.back() != '.' && name.back() != ' ';
    }

    // Listed in UTF-16: FindFirstFileA cannot return a name that takes more than 259 bytes in
    // the ANSI code page, as a long name does in UTF-8. The names are folded as they come,
    // which is what an ANSI name is folded into too.
    static void list(std::string_view folderPath, Folder& folder) {
        folder.listed = true;
        WIN32_FIND_DATAW entry;
        FindHandle find(FindFirstFileW((ansiToWide(folderPath) + L"*").c_str(), &entry));
        if (!find) {
            folder.unreadable = true;
            return;
        }
        do {
            folder.names.insert(foldWide(entry.cFileName));
            if (entry.cAlternateFileName[0] != L'\0') {
                folder.names.insert(foldWide(entry.cAlternateFileName));
            }
        } while (FindNextFileW(find.get(), &entry) != 0);
        folder.unreadable = GetLastError() != ERROR_NO_MORE_FILES;
    }

    const CodePage& codePage_;  // the process's, which lives as long as the process
    std::unordered_map<std::string, Folder> folders_;  // by the folded folder path
};

}  // namespace

PlanRules windowsPlanRules() {
    PlanRules rules;
    rules.foldName = foldName;
    rules.pathLength = pathLength;
    rules.codePage = ansiCodePage();
    auto existence = std::make_shared<Existence>(ansiCodePage());
    rules.exists = [existence](std::string_view path) { return (*existence)(path); };
    return rules;
}

}  // namespace nm
