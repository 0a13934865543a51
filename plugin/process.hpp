#pragma once

#include <cstdint>

#include "plugin/exports.h"

namespace nm {

// The message of the one error process raises.
inline constexpr char kNoFileTimeMessage[] = "Invalid argument to date encode";

// The work of one process call. Returns the message of the error to raise (raised by the
// caller once everything this function made is gone), or nullptr.
// *filePath points to the new path afterwards only when the name was computed and, outside
// preview, the file was moved.
const char* processFile(const char** filePath, const char* timeSourcePath, std::int32_t fileIndex,
                        RenameOptions** options, bool previewOnly) noexcept;

}  // namespace nm
