// One conversion of a printf-style format, read from the format text. Shared by the formatter
// and the va_list forms, which take the argument types from it. Internal to platform/text.
#pragma once

#include <cstddef>
#include <string_view>

namespace ce::text::detail {

struct FormatSpec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  bool widthFromArg = false, precisionFromArg = false;
  int width = 0;
  int precision = -1;  // -1: none
  int bits = 32;       // integer size the conversion reads
  char size = 0;       // 'h' narrow, 'l' wide (strings and characters), 0 default
  char conversion = 0; // 0 when the format ended inside the conversion
  std::size_t end = 0; // position after the conversion

  bool IsInteger() const { return conversion && std::string_view("diouxXcC").find(conversion) != std::string_view::npos; }
  bool IsFloat() const { return conversion && std::string_view("eEfFgG").find(conversion) != std::string_view::npos; }
  bool IsString() const { return conversion == 's' || conversion == 'S'; }
  bool IsChar() const { return conversion == 'c' || conversion == 'C'; }
  // Whether a string or character conversion is wide, in a format of the given width.
  bool WideText(bool wideFormat) const {
    if (size == 'l') return true;
    if (size == 'h') return false;
    bool upper = conversion == 'S' || conversion == 'C';
    return upper ? !wideFormat : wideFormat;
  }
  // Whether the conversion takes an argument (besides '*' width and precision).
  bool TakesArgument() const {
    return IsInteger() || IsFloat() || IsString() || conversion == 'p' || conversion == 'n';
  }
};

// Reads the conversion that starts at format[start] == '%'.
template <class C>
FormatSpec ParseSpec(std::basic_string_view<C> format, std::size_t start) {
  FormatSpec s;
  std::size_t i = start + 1;
  auto at = [&](std::size_t k) -> C { return k < format.size() ? format[k] : C(0); };
  for (;; ++i) {
    C c = at(i);
    if (c == '-') s.left = true;
    else if (c == '+') s.plus = true;
    else if (c == ' ') s.space = true;
    else if (c == '#') s.alt = true;
    else if (c == '0') s.zero = true;
    else break;
  }
  auto number = [&]() {
    int v = 0;
    while (at(i) >= '0' && at(i) <= '9') {
      if (v < 100000) v = v * 10 + (at(i) - '0');
      ++i;
    }
    return v;
  };
  if (at(i) == '*') {
    s.widthFromArg = true;
    ++i;
  } else {
    s.width = number();
  }
  if (at(i) == '.') {
    ++i;
    if (at(i) == '*') {
      s.precisionFromArg = true;
      ++i;
    } else {
      s.precision = number();
    }
  }
  for (bool more = true; more;) {
    C c = at(i);
    if (c == 'h') {
      s.bits = s.bits == 16 ? 8 : 16;
      s.size = 'h';
      ++i;
    } else if (c == 'l') {
      if (s.size == 'l') s.bits = 64;
      s.size = 'l';
      ++i;
    } else if (c == 'w') {
      s.size = 'l';
      ++i;
    } else if (c == 'L' || c == 'q' || c == 'j') {
      s.bits = 64;
      ++i;
    } else if (c == 'z' || c == 't') {
      s.bits = 8 * sizeof(std::size_t);
      ++i;
    } else if (c == 'I') {
      if (at(i + 1) == '6' && at(i + 2) == '4') {
        s.bits = 64;
        i += 3;
      } else if (at(i + 1) == '3' && at(i + 2) == '2') {
        s.bits = 32;
        i += 3;
      } else {
        s.bits = 8 * sizeof(void*);
        ++i;
      }
    } else {
      more = false;
    }
  }
  C c = at(i);
  if (c != 0 && c < 0x80) {
    s.conversion = static_cast<char>(c);
    s.end = i + 1;
  } else {
    s.conversion = c == 0 && i >= format.size() ? 0 : '?';
    s.end = c == 0 && i >= format.size() ? format.size() : i + 1;
  }
  return s;
}

}  // namespace ce::text::detail
