#pragma once

#include <cstdint>
#include <string>

#include "engine/datetext.hpp"
#include "namemask/plugin.h"

namespace nm {

// The message of the one error process raises.
inline constexpr char kNoFileTimeMessage[] = "Invalid argument to date encode";

// The work of one process call, with the load's date settings. Returns the message of the
// error to raise (raised by the caller once everything this function made is gone), or
// nullptr. Only when the name was computed and, outside preview, the file was moved does
// the new path go to `newPath` and *filePath point to it.
const char* processFile(const char** filePath, const char* timeSourcePath, std::int32_t fileIndex,
                        RenameOptions** options, bool previewOnly, const LocaleFormats& formats,
                        std::string& newPath) noexcept;

}  // namespace nm
