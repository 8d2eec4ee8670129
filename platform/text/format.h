// The printf family as the device's C library and window system have it.
//
// In the wide functions "%s" and "%c" take wide text, "%hs"/"%S" and "%hc"/"%C" 8-bit text (code
// page 1252); in the 8-bit functions it is the other way round. "%I64d" and "%lld" take 64-bit
// integers, "%ld" is 32-bit as on the device. The variadic templates keep each argument's type, so
// the formatter never reads what was not passed: a missing argument prints nothing.
//
// FormatChecked is for formats that come from files (translations): it compares every conversion
// with the argument given and, when they disagree, returns the format text as it stands.
// The va_list forms cannot see the types: they trust the format, like the device.
#pragma once

#include <cstdarg>
// The host's declarations come first, so that std:: names keep meaning only the host forms.
#include <cstdio>
#include <cwchar>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/base/types.h"
#include "platform/text/format_arg.h"
#include "platform/text/utf.h"

namespace ce::text {

// Appends the formatted text to out. With checked set, a conversion that does not fit its argument
// (missing, of another kind, a string of the other width, an unknown conversion) stops the work and
// the result is false; out is then left as it was.
bool FormatInto(std::u16string& out, std::u16string_view format, std::span<const FormatArg> args, bool checked);
bool FormatInto(std::string& out, std::string_view format, std::span<const FormatArg> args, bool checked);

std::u16string FormatChecked(std::u16string_view format, std::span<const FormatArg> args);
std::string FormatChecked(std::string_view format, std::span<const FormatArg> args);

// va_list forms: the argument types are taken from the format.
std::u16string FormatV(std::u16string_view format, va_list args);
std::string FormatV(std::string_view format, va_list args);

// Copies text into a buffer of count characters. The copy is always terminated when count > 0;
// the result is the length, or -1 when the text had to be cut.
int CopyOut(WCHAR* buffer, std::size_t count, std::u16string_view text);
int CopyOut(char* buffer, std::size_t count, std::string_view text);

template <class... Args>
std::u16string Format(std::u16string_view format, const Args&... args) {
  std::u16string out;
  FormatInto(out, format, MakeFormatArgs(args...), false);
  return out;
}

template <class... Args>
std::string Format(std::string_view format, const Args&... args) {
  std::string out;
  FormatInto(out, format, MakeFormatArgs(args...), false);
  return out;
}

template <class... Args>
std::u16string FormatChecked(std::u16string_view format, const Args&... args) {
  return FormatChecked(format, std::span<const FormatArg>(MakeFormatArgs(args...)));
}

template <class... Args>
std::string FormatChecked(std::string_view format, const Args&... args) {
  return FormatChecked(format, std::span<const FormatArg>(MakeFormatArgs(args...)));
}

template <class B, class C>
concept CharBuffer = std::is_same_v<std::remove_cvref_t<B>, C*> ||
                     (std::is_array_v<std::remove_reference_t<B>> &&
                      std::is_same_v<std::remove_extent_t<std::remove_reference_t<B>>, C>);

// The size of a buffer when it is an array; -1 (unknown) for a pointer.
template <class B>
constexpr std::size_t BufferSize() {
  using R = std::remove_reference_t<B>;
  if constexpr (std::is_array_v<R>) {
    return std::extent_v<R>;
  } else {
    return static_cast<std::size_t>(-1);
  }
}

}  // namespace ce::text

// swprintf(buffer, format, ...): the device's form without a size. An array buffer is never
// overrun: the text is cut to fit and the result is -1.
template <class B, class... Args>
  requires ce::text::CharBuffer<B, WCHAR>
int swprintf(B&& buffer, const WCHAR* format, const Args&... args) {
  return ce::text::CopyOut(buffer, ce::text::BufferSize<B>(), ce::text::Format(ce::text::WideView(format), args...));
}

// The sized forms: at most count characters including the terminator, always terminated; -1 when cut.
template <class... Args>
int swprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, const Args&... args) {
  return ce::text::CopyOut(buffer, count, ce::text::Format(ce::text::WideView(format), args...));
}

template <class... Args>
int _snwprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, const Args&... args) {
  return ce::text::CopyOut(buffer, count, ce::text::Format(ce::text::WideView(format), args...));
}

// The window system's formatter: at most 1024 characters including the terminator.
template <class B, class... Args>
  requires ce::text::CharBuffer<B, WCHAR>
int wsprintfW(B&& buffer, const WCHAR* format, const Args&... args) {
  constexpr std::size_t kLimit = 1024;
  std::size_t size = ce::text::BufferSize<B>();
  int n = ce::text::CopyOut(buffer, size < kLimit ? size : kLimit, ce::text::Format(ce::text::WideView(format), args...));
  return n < 0 ? static_cast<int>(ce::text::WideLength(buffer)) : n;
}

template <class B, class... Args>
  requires ce::text::CharBuffer<B, WCHAR>
int wsprintf(B&& buffer, const WCHAR* format, const Args&... args) {
  return wsprintfW(std::forward<B>(buffer), format, args...);
}

// 8-bit forms with the device's conversions ("%S" wide, "%I64d").
template <class B, class... Args>
  requires ce::text::CharBuffer<B, char>
int sprintf(B&& buffer, const char* format, const Args&... args) {
  return ce::text::CopyOut(buffer, ce::text::BufferSize<B>(),
                           ce::text::Format(std::string_view(format ? format : ""), args...));
}

template <class... Args>
int _snprintf(char* buffer, std::size_t count, const char* format, const Args&... args) {
  return ce::text::CopyOut(buffer, count, ce::text::Format(std::string_view(format ? format : ""), args...));
}

// va_list forms; they trust the format.
int vswprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args);
int _vsnwprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args);
int wvsprintfW(WCHAR* buffer, const WCHAR* format, va_list args);
inline int wvsprintf(WCHAR* buffer, const WCHAR* format, va_list args) { return wvsprintfW(buffer, format, args); }
int _vsnprintf(char* buffer, std::size_t count, const char* format, va_list args);
