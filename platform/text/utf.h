// Conversions between the platform's UTF-16 text and the host's UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace ce::text {

// Invalid sequences (lone surrogates, bad UTF-8) become U+FFFD; never reads past the input.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Length of a NUL-terminated wide string; 0 for null.
std::size_t WideLength(const WCHAR* text);
// A NUL-terminated wide string as a view; empty for null.
inline std::u16string_view WideView(const WCHAR* text) { return text ? std::u16string_view(text, WideLength(text)) : std::u16string_view(); }

}  // namespace ce::text
