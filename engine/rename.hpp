#pragma once

// One file's new name: path splitting, the template from the masks, the token chain,
// the counter text and the new path. Portable: the file time comes in as a value, the date
// taken through a lookup that is called only when it is used.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/datetext.hpp"

namespace nm {

// Padding beyond this many characters is not built: a host-filled record may ask for
// billions of zeros.
constexpr std::int32_t kMaxCounterDigits = 255;

struct PathParts {
    std::string_view folder;      // up to and including the last separator; may be empty
    std::string_view baseName;    // file name without its last "." and what follows
    std::string_view extension;   // what follows the last "."; empty when there is none
    std::string_view parentName;  // name of the folder that holds the file
};

// Splits at "\" and ":"; in a double-byte code page a trail byte is no separator.
PathParts splitPath(std::string_view path, const LocaleFormats& formats) noexcept;

// NameMask, and "." and ExtMask when ExtMask is not empty.
std::string maskTemplateFrom(std::string_view nameMask, std::string_view extMask);

// start + step * index in wrapping 32-bit arithmetic, in decimal, with zeros in front
// (in front of a minus sign too) up to min(digits, kMaxCounterDigits) characters.
std::string CounterText(std::int32_t start, std::int32_t step, std::int32_t index,
                        std::int32_t digits);

struct RenameRequest {
    std::string_view path;  // the file as the host gave it
    std::string_view nameMask;
    std::string_view extMask;
    std::int32_t counterStart = 1;
    std::int32_t counterStep = 1;
    std::int32_t counterDigits = 1;
    std::int32_t fileIndex = 0;
};

enum class RenameStatus {
    Ok,          // newPath holds the new path
    MaskFailed,  // a token could not be expanded: the file keeps its name
    NoFileTime,  // the time source has no usable time: the call is an error
};

struct RenameResult {
    RenameStatus status = RenameStatus::MaskFailed;
    std::string newPath;
};

// Whether the masks name a date-taken token, the twin of a date or time token ([XY] is the
// year taken): whether they hold "[X" as characters of the code page. Only such masks expand
// twins and read the file's metadata.
bool usesDateTaken(std::string_view nameMask, std::string_view extMask,
                   const CodePage& codePage) noexcept;

// The date the file was taken, in local time with whole seconds, or nullopt when it has none.
// It reads the file's metadata, so computeNewPath calls it at most once, and only when the
// masks use it (usesDateTaken) and the template a twin to expand.
using DateTakenLookup = std::function<std::optional<FileTime>()>;

// The whole chain. A missing time is an error whatever the masks hold, so it wins over
// a failed expansion. The twins ([Xd], [XY], [Xy], [XM], [XD], [Xt], [Xh], [Xm], [Xs]) follow
// the date and time tokens, with their patterns and ranges, from the date taken; a file
// without one (or an empty lookup) gives them the file time instead.
RenameResult computeNewPath(const RenameRequest& request, const std::optional<FileTime>& time,
                            const LocaleFormats& formats, const DateTakenLookup& dateTaken = {});

}  // namespace nm
