// One argument of a printf-style call, with its type kept, so that the formatter knows what it was
// given instead of reading raw variadic memory. The variadic templates of format.h build these.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/base/types.h"

namespace ce::text {

struct FormatArg {
  enum class Kind : std::uint8_t { Signed, Unsigned, Float, Str8, Str16, Pointer };
  static constexpr std::size_t kNulTerminated = static_cast<std::size_t>(-1);

  Kind kind = Kind::Signed;
  std::uint8_t bytes = 4;  // size of an integer argument
  union {
    std::int64_t i;
    std::uint64_t u;
    double d;
    const char* s8;
    const WCHAR* s16;
    const void* p;
  };
  std::size_t length = kNulTerminated;  // string length, for string views

  FormatArg() : i(0) {}
};

// The argument for a value of any type printf can take. char is unsigned as on the device's ARM
// processor; strings may be C strings or std::basic_string(_view)s of char or WCHAR.
template <class T>
FormatArg MakeFormatArg(const T& value) {
  using V = std::remove_cvref_t<std::decay_t<T>>;
  FormatArg a;
  if constexpr (std::is_same_v<V, bool>) {
    a.kind = FormatArg::Kind::Signed;
    a.i = value ? 1 : 0;
  } else if constexpr (std::is_same_v<V, char>) {
    a.kind = FormatArg::Kind::Unsigned;
    a.bytes = 1;
    a.u = static_cast<unsigned char>(value);
  } else if constexpr (std::is_same_v<V, char16_t>) {
    a.kind = FormatArg::Kind::Unsigned;
    a.bytes = 2;
    a.u = value;
  } else if constexpr (std::is_enum_v<V>) {
    return MakeFormatArg(static_cast<std::underlying_type_t<V>>(value));
  } else if constexpr (std::is_integral_v<V>) {
    a.bytes = sizeof(V);
    if constexpr (std::is_signed_v<V>) {
      a.kind = FormatArg::Kind::Signed;
      a.i = value;
    } else {
      a.kind = FormatArg::Kind::Unsigned;
      a.u = value;
    }
  } else if constexpr (std::is_floating_point_v<V>) {
    a.kind = FormatArg::Kind::Float;
    a.d = static_cast<double>(value);
  } else if constexpr (std::is_array_v<T> && (std::is_same_v<V, char*> || std::is_same_v<V, const char*> ||
                                               std::is_same_v<V, WCHAR*> || std::is_same_v<V, const WCHAR*>)) {
    // A text in an array is never read past the array, terminated or not.
    const auto* first = &value[0];
    a = MakeFormatArg(first);
    std::size_t n = 0;
    while (n < std::extent_v<T> && value[n]) ++n;
    a.length = n;
  } else if constexpr (std::is_same_v<V, char*> || std::is_same_v<V, const char*> ||
                       std::is_same_v<V, unsigned char*> || std::is_same_v<V, const unsigned char*> ||
                       std::is_same_v<V, signed char*> || std::is_same_v<V, const signed char*>) {
    a.kind = FormatArg::Kind::Str8;
    a.s8 = reinterpret_cast<const char*>(value);
  } else if constexpr (std::is_same_v<V, WCHAR*> || std::is_same_v<V, const WCHAR*>) {
    a.kind = FormatArg::Kind::Str16;
    a.s16 = value;
  } else if constexpr (std::is_same_v<V, std::string> || std::is_same_v<V, std::string_view>) {
    a.kind = FormatArg::Kind::Str8;
    a.s8 = value.data();
    a.length = value.size();
  } else if constexpr (std::is_same_v<V, std::u16string> || std::is_same_v<V, std::u16string_view>) {
    a.kind = FormatArg::Kind::Str16;
    a.s16 = value.data();
    a.length = value.size();
  } else if constexpr (std::is_same_v<V, std::nullptr_t>) {
    a.kind = FormatArg::Kind::Pointer;
    a.p = nullptr;
  } else if constexpr (std::is_pointer_v<V>) {
    a.kind = FormatArg::Kind::Pointer;
    a.p = reinterpret_cast<const void*>(value);
  } else {
    static_assert(sizeof(V) == 0, "this type cannot be given to a printf-style format");
  }
  return a;
}

template <class... Args>
std::array<FormatArg, sizeof...(Args)> MakeFormatArgs(const Args&... args) {
  return {MakeFormatArg(args)...};
}

}  // namespace ce::text
