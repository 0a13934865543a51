#pragma once

// Helpers for the records that cross the boundary.

#include <string_view>

#include "plugin/exports.h"

namespace nm {

constexpr std::size_t kMaskField = sizeof(RenameOptions::NameMask);

// The defaults of a new record: "[N]", "[E]", counter from 1, step 1, 1 digit.
void fillDefaults(RenameOptions& record) noexcept;

// A record from the private heap, filled with the defaults; nullptr when out of memory.
RenameOptions* allocateRecord() noexcept;

// A mask field's text: its bytes up to the first NUL, all of them when there is none.
// Never reads past the field.
std::string_view maskText(const char (&field)[kMaskField]) noexcept;

}  // namespace nm
