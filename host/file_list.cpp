#include "host/file_list.hpp"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "engine/win32/handles.hpp"
#include "engine/win32/text_codec.hpp"
#include "host/read_all.hpp"
#include "host/system_message.hpp"

namespace nm {
namespace {

bool isPattern(const std::string& given) {
    return given.find_first_of("*?") != std::string::npos;
}

// The files the pattern matches in its folder, in the order Explorer shows them.
std::vector<std::string> expand(const std::string& pattern) {
    const std::wstring wide = ansiToWide(pattern);
    // On the wide text: a trail byte of a double-byte character may be a backslash.
    const std::size_t cut = wide.find_last_of(L"\\/:");
    const std::wstring folder = cut == std::wstring::npos ? L"" : wide.substr(0, cut + 1);
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const FindHandle find(FindFirstFileW(wide.c_str(), &found));
    if (find) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.emplace_back(found.cFileName);
            }
        } while (FindNextFileW(find.get(), &found) != 0);
    }
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return StrCmpLogicalW(a.c_str(), b.c_str()) < 0;
    });
    std::vector<std::string> files;
    for (const std::wstring& name : names) {
        // Only a name the code page holds whole: a replaced character would name another file.
        if (AnsiText path = wideToAnsi(folder + name); !path.lost) {
            files.push_back(std::move(path.bytes));
        } else {
            std::fprintf(stderr,
                         "renhost: %s matches a file whose name code page %u cannot hold; it "
                         "is left out (the UTF-8 renhost takes it)\n",
                         ansiToUtf8(pattern).c_str(), GetACP());
        }
    }
    if (files.empty()) {
        throw UsageError{"no file matches " + ansiToUtf8(pattern)};
    }
    return files;
}

std::string readList(const std::string& list) {
    FileHandle opened;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (list != "-") {
        opened = FileHandle(CreateFileA(list.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!opened) {
            throw UsageError{"cannot read the list " + ansiToUtf8(list) + ": " +
                             systemMessage(GetLastError())};
        }
        input = opened.get();
    }
    return readAll(input);
}

// One path a line, in the ANSI code page; CR LF line ends and empty lines are allowed, and
// under UTF-8 a leading byte-order mark, which some editors write.
void appendList(std::vector<std::string>& files, const std::string& list) {
    const std::string all = readList(list);
    std::string_view text = all;
    if (GetACP() == CP_UTF8 && text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            files.emplace_back(line);
        }
    }
}

}  // namespace

std::vector<std::string> gatherFiles(const Arguments& args) {
    std::vector<std::string> files;
    for (const std::string& given : args.files) {
        if (isPattern(given)) {
            std::vector<std::string> matched = expand(given);
            files.insert(files.end(), std::make_move_iterator(matched.begin()),
                         std::make_move_iterator(matched.end()));
        } else {
            files.push_back(given);
        }
    }
    for (const std::string& list : args.filesFrom) {
        appendList(files, list);
    }
    if (files.empty() && !args.info) {
        throw UsageError{"the lists name no file"};
    }
    return files;
}

}  // namespace nm
