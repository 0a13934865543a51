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
    const char* twin;     // the same from the date taken
    const char* pattern;  // nullptr: the locale's short date
};

// The date and time tokens in the order they are expanded; the twins follow in the same order.
constexpr std::array<DateToken, 9> kDateTokens{{
    {"[d", "[Xd", nullptr},
    {"[Y", "[XY", "yyyy"},
    {"[y", "[Xy", "yy"},
    {"[M", "[XM", "mm"},
    {"[D", "[XD", "dd"},
    {"[t", "[Xt", "hh.mm.ss"},
    {"[h", "[Xh", "hh"},
    {"[m", "[Xm", "nn"},
    {"[s", "[Xs", "ss"},
}};

// Whether the text holds the ASCII needle as whole characters, as ExpandToken finds it: in a
// double-byte code page a "[" may be the second byte of a character.
bool holds(std::string_view text, std::string_view needle, const CodePage& codePage) noexcept {
    if (text.find(needle) == std::string_view::npos) {
        return false;
    }
    if (codePage.kind != CodePageKind::DoubleByte) {
        return true;  // no ASCII byte is part of a longer character
    }
    bool found = false;
    codePage.forEachChar(text, [&](std::size_t at, std::size_t) {
        found = found || text.substr(at).starts_with(needle);
    });
    return found;
}

// Expands the tokens named by `prefix` (plain or twin) in their order. `timeOf` is called
// only for a token the template holds, so that a value that costs a file read is read only
// when it is used. False when an expansion fails: the rest are skipped.
template <typename TimeOf>
bool expandDateTokens(std::string& tmpl, const char* DateToken::*prefix, TimeOf&& timeOf,
                      const LocaleFormats& formats) {
    for (const DateToken& token : kDateTokens) {
        if (!holds(tmpl, token.*prefix, formats.codePage)) {
            continue;  // the expansion would be a no-op; formatting only pays for a token
        }
        const std::string value = FormatFileTime(
            token.pattern != nullptr ? std::string_view(token.pattern) : formats.shortDate,
            timeOf(), formats);
        if (!ExpandToken(tmpl, token.*prefix, value, formats.codePage)) {
            return false;
        }
    }
    return true;
}

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

bool usesDateTaken(std::string_view nameMask, std::string_view extMask,
                   const CodePage& codePage) noexcept {
    constexpr std::string_view kTwinMark = "[X";
    return holds(nameMask, kTwinMark, codePage) || holds(extMask, kTwinMark, codePage);
}

RenameResult computeNewPath(const RenameRequest& request, const std::optional<FileTime>& time,
                            const LocaleFormats& formats, const DateTakenLookup& dateTaken) {
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
              ExpandToken(tmpl, "[P", parts.parentName, codePage) &&
              expandDateTokens(
                  tmpl, &DateToken::prefix, [&]() -> const FileTime& { return *time; }, formats);
    // Only masks that name a twin expand them: a mask without one stays exactly as it was,
    // also for a name that happens to hold "[XY]", and never costs a metadata read.
    if (ok && usesDateTaken(request.nameMask, request.extMask, codePage)) {
        std::optional<FileTime> taken;
        bool asked = false;
        ok = expandDateTokens(
            tmpl, &DateToken::twin,
            [&]() -> const FileTime& {
                if (!asked) {
                    asked = true;
                    taken = dateTaken ? dateTaken() : std::nullopt;
                }
                return taken ? *taken : *time;
            },
            formats);
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
