// Numbers typed into edits: read like the C library's decimal conversion (leading blanks, an
// optional sign, digits up to the first non-digit; no digits reads as 0), but a number that does
// not fit in 32 bits is reported instead of wrapping.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velomar::dialogs {

// The value, or nothing when it overflows a 32-bit signed integer.
std::optional<std::int32_t> ParseTypedNumber(std::u16string_view text);

}  // namespace velomar::dialogs
