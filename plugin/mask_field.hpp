#pragma once

// Reading a mask field of a record, for every part that reads records (header only, so
// the options window can use it without linking the boundary's code).

#include <cstring>
#include <string_view>

#include "plugin/exports.h"

namespace nm {

constexpr std::size_t kMaskField = sizeof(RenameOptions::NameMask);
// The most bytes of text we write into a mask field: the last one is kept for the NUL, so
// that a host reading the field as a C string stops inside it.
constexpr std::size_t kMaskTextLimit = kMaskField - 1;

// A mask field's text: its bytes up to the first NUL, all of them when there is none.
// Never reads past the field.
inline std::string_view maskText(const char (&field)[kMaskField]) noexcept {
    return {field, strnlen(field, kMaskField)};
}

}  // namespace nm
