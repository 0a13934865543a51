#include "engine/rename.hpp"

#include <algorithm>
#include <array>

#include "engine/mask.hpp"

namespace nm {
namespace {

// A path's separators: a folder ends at the last of them.
constexpr std::string_view kSeparators = "\\:";

struct DateToken {
    const char* prefix;
    const char* pattern;  // nullptr: the locale's short date
};

// The date and time tokens in the order they are expanded.
constexpr std::array<DateToken, 9> kDateTokens{{
    {"[d", nullptr},
    {"[Y", "yyyy"},
    {"[y", "yy"},
    {"[M", "mm"},
    {"[D", "dd"},
    {"[t", "hh.mm.ss"},
    {"[h", "hh"},
    {"[m", "nn"},
    {"[s", "ss"},
}};

}  // namespace

PathParts splitPath(std::string_view path, const LocaleFormats& formats) noexcept {
    const CodePage& codePage = formats.codePage;
    PathParts parts;
    const std::size_t nameStart = codePage.afterLastOf(path, kSeparators);
    parts.folder = path.substr(0, nameStart);

    const std::string_view fileName = path.substr(nameStart);
    // A "." is a single-byte character in every ANSI code page, never a trail byte.
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        parts.baseName = fileName;
    } else {
        parts.baseName = fileName.substr(0, dot);
        parts.extension = fileName.substr(dot + 1);
    }

    // The parent folder path loses a final "\" unless it stands right after another
    // separator or at the start (C:\ and \ keep theirs).
    std::string_view folderPath = parts.folder;
    std::size_t parentStart = nameStart;  // of the parent's name in folderPath
    if (nameStart >= 2 && path[nameStart - 1] == '\\') {
        const std::size_t before = codePage.afterLastOf(path.substr(0, nameStart - 1), kSeparators);
        if (before != nameStart - 1) {
            folderPath.remove_suffix(1);
            parentStart = before;
        }
    }
    parts.parentName = folderPath.substr(parentStart);
    return parts;
}

std::string maskTemplateFrom(std::string_view nameMask, std::string_view extMask) {
    std::string result;
    result.reserve(nameMask.size() + 1 + extMask.size());
    result.append(nameMask);
    if (!extMask.empty()) {
        result.push_back('.');
        result.append(extMask);
    }
    return result;
}

std::string CounterText(std::int32_t start, std::int32_t step, std::int32_t index,
                        std::int32_t digits) {
    // Wrapping arithmetic without signed overflow.
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(step) *
                                                     static_cast<std::uint32_t>(index) +
                                                 static_cast<std::uint32_t>(start));
    std::string text = std::to_string(value);
    const auto width = static_cast<std::size_t>(std::clamp(digits, 0, kMaxCounterDigits));
    if (width > text.size()) {
        text.insert(0, width - text.size(), '0');
    }
    return text;
}

RenameResult computeNewPath(const RenameRequest& request, const std::optional<FileTime>& time,
                            const LocaleFormats& formats) {
    RenameResult result;
    if (!time) {
        result.status = RenameStatus::NoFileTime;
        return result;
    }
    const PathParts parts = splitPath(request.path, formats);
    std::string tmpl = maskTemplateFrom(request.nameMask, request.extMask);

    const CodePage& codePage = formats.codePage;
    bool ok = ExpandToken(tmpl, "[N", parts.baseName, codePage) &&
              ExpandToken(tmpl, "[E", parts.extension, codePage) &&
              ExpandToken(tmpl, "[P", parts.parentName, codePage);
    for (const DateToken& token : kDateTokens) {
        if (!ok) {
            break;
        }
        // Formatting only pays when the token is there; without it the expansion is a no-op.
        if (tmpl.find(token.prefix) == std::string::npos) {
            continue;
        }
        const std::string value = FormatFileTime(
            token.pattern != nullptr ? std::string_view(token.pattern) : formats.shortDate, *time,
            formats);
        ok = ExpandToken(tmpl, token.prefix, value, codePage);
    }
    if (!ok) {
        return result;  // the literal tokens would change nothing that is kept
    }
    ReplaceAll(tmpl, "[C]",
               CounterText(request.counterStart, request.counterStep, request.fileIndex,
                           request.counterDigits),
               codePage);
    ReplaceAll(tmpl, "[[]", "[", codePage);
    ReplaceAll(tmpl, "[]]", "]", codePage);
    result.status = RenameStatus::Ok;
    result.newPath.reserve(parts.folder.size() + tmpl.size());
    result.newPath.append(parts.folder);
    result.newPath.append(tmpl);
    return result;
}

}  // namespace nm
