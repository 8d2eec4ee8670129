// The scanf family: swscanf over wide text and sscanf over 8-bit text.
//
// Conversions: %d %i %u %x %X %o (with h, l, ll, I64 sizes), %f %e %g (with l), %c, %s, %[set],
// %[^set], %n, %%, '*' to skip a field and a field width. A blank in the format matches any run of
// blanks in the input, also none. The result is the number of fields stored, or -1 (EOF) when the
// input ends before the first conversion.
//
// The templates know where each argument points: a value is stored in the size of the variable
// it points to (never beyond it), a text of the other width is converted (code page 1252), and an
// array buffer is never overrun (a longer field is cut to fit and still counts). A conversion
// whose argument is missing or of another kind ends the scan there.
#pragma once

#include <cstddef>
#include <cstdint>
// The host's declarations come first, so that std:: names keep meaning only the host forms.
#include <cstdio>
#include <cwchar>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/base/types.h"
#include "platform/text/utf.h"

namespace ce::text {

struct ScanArg {
  enum class Kind : std::uint8_t { Signed, Unsigned, Float, Str8, Str16 };
  static constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);
  Kind kind = Kind::Signed;
  std::uint8_t bytes = 4;
  void* target = nullptr;
  std::size_t capacity = kUnbounded;  // characters, for an array buffer
};

template <class T>
ScanArg MakeScanArg(T&& target) {
  using R = std::remove_reference_t<T>;
  ScanArg a;
  using E = std::conditional_t<std::is_array_v<R>, std::remove_extent_t<R>,
                               std::remove_pointer_t<std::remove_cv_t<std::decay_t<R>>>>;
  static_assert(std::is_array_v<R> || std::is_pointer_v<std::decay_t<R>>, "scanf arguments are pointers");
  static_assert(!std::is_const_v<E>, "scanf cannot store into a constant");
  if constexpr (std::is_array_v<R>) {
    a.capacity = std::extent_v<R>;
  }
  a.target = const_cast<void*>(static_cast<const volatile void*>(target));
  if constexpr (std::is_same_v<E, char> || std::is_same_v<E, signed char> || std::is_same_v<E, unsigned char>) {
    a.kind = ScanArg::Kind::Str8;
    a.bytes = 1;
  } else if constexpr (std::is_same_v<E, char16_t>) {
    a.kind = ScanArg::Kind::Str16;
    a.bytes = 2;
  } else if constexpr (std::is_same_v<E, float> || std::is_same_v<E, double>) {
    a.kind = ScanArg::Kind::Float;
    a.bytes = sizeof(E);
  } else if constexpr (std::is_integral_v<E> && !std::is_same_v<E, bool>) {
    a.kind = std::is_signed_v<E> ? ScanArg::Kind::Signed : ScanArg::Kind::Unsigned;
    a.bytes = sizeof(E);
  } else {
    static_assert(sizeof(E) == 0, "this type cannot receive a scanf field");
  }
  return a;
}

int ScanInto(std::u16string_view input, std::u16string_view format, std::span<const ScanArg> args);
int ScanInto(std::string_view input, std::string_view format, std::span<const ScanArg> args);

}  // namespace ce::text

template <class... Args>
int swscanf(const WCHAR* input, const WCHAR* format, Args&&... args) {
  const ce::text::ScanArg list[] = {ce::text::MakeScanArg(std::forward<Args>(args))..., ce::text::ScanArg()};
  return ce::text::ScanInto(ce::text::WideView(input), ce::text::WideView(format),
                            std::span<const ce::text::ScanArg>(list, sizeof...(Args)));
}

template <class... Args>
int sscanf(const char* input, const char* format, Args&&... args) {
  const ce::text::ScanArg list[] = {ce::text::MakeScanArg(std::forward<Args>(args))..., ce::text::ScanArg()};
  return ce::text::ScanInto(std::string_view(input ? input : ""), std::string_view(format ? format : ""),
                            std::span<const ce::text::ScanArg>(list, sizeof...(Args)));
}
