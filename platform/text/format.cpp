#include "platform/text/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/text/codepage.h"
#include "platform/text/format_float.h"
#include "platform/text/format_spec.h"

namespace ce::text {
namespace {

using detail::FormatSpec;
using detail::ParseSpec;
using Kind = FormatArg::Kind;

bool IsInt(const FormatArg& a) { return a.kind == Kind::Signed || a.kind == Kind::Unsigned; }

// Whether an argument fits a conversion, as the checked formatter sees it.
bool Fits(const FormatSpec& s, const FormatArg& a, bool wideFormat) {
  if (s.IsInteger()) {
    if (!IsInt(a)) return false;
    if (s.bits < 64 && a.bytes == 8) {
      // A 64-bit value where the device reads 32 bits would shift every later argument there;
      // accept it only when nothing is lost.
      return a.kind == Kind::Signed ? (a.i >= INT32_MIN && a.i <= static_cast<std::int64_t>(UINT32_MAX))
                                    : a.u <= UINT32_MAX;
    }
    return true;
  }
  if (s.IsFloat()) return a.kind == Kind::Float;
  if (s.IsString()) return a.kind == (s.WideText(wideFormat) ? Kind::Str16 : Kind::Str8);
  if (s.conversion == 'p') return a.kind == Kind::Pointer || a.kind == Kind::Str8 || a.kind == Kind::Str16;
  return false;
}

std::uint64_t RawInteger(const FormatArg& a) {
  switch (a.kind) {
    case Kind::Signed:
      return static_cast<std::uint64_t>(a.i);
    case Kind::Unsigned:
      return a.u;
    case Kind::Float:
      if (!std::isfinite(a.d) || std::fabs(a.d) >= 9.2e18) return 0;
      return static_cast<std::uint64_t>(static_cast<std::int64_t>(a.d));
    case Kind::Str8:
      return reinterpret_cast<std::uintptr_t>(a.s8);
    case Kind::Str16:
      return reinterpret_cast<std::uintptr_t>(a.s16);
    default:
      return reinterpret_cast<std::uintptr_t>(a.p);
  }
}

double FloatValue(const FormatArg& a) {
  switch (a.kind) {
    case Kind::Float:
      return a.d;
    case Kind::Signed:
      return static_cast<double>(a.i);
    case Kind::Unsigned:
      return static_cast<double>(a.u);
    default:
      return 0.0;
  }
}

template <class C>
void AppendAscii(std::basic_string<C>& out, std::string_view text) {
  for (char ch : text) out += static_cast<C>(static_cast<unsigned char>(ch));
}

template <class C>
void Pad(std::basic_string<C>& out, int count, C fill) {
  if (count > 0) out.append(static_cast<std::size_t>(count), fill);
}

// Lays out prefix (sign, "0x") and body in the field. Zero filling goes between them.
template <class C>
void Emit(std::basic_string<C>& out, const FormatSpec& s, std::basic_string_view<C> prefix,
          std::basic_string_view<C> body, bool zeroFill) {
  int len = static_cast<int>(prefix.size() + body.size());
  int padding = s.width - len;
  if (s.left) {
    out += prefix;
    out += body;
    Pad(out, padding, C(' '));
  } else if (zeroFill) {
    out += prefix;
    Pad(out, padding, C('0'));
    out += body;
  } else {
    Pad(out, padding, C(' '));
    out += prefix;
    out += body;
  }
}

template <class C>
void EmitInteger(std::basic_string<C>& out, const FormatSpec& s, std::uint64_t raw) {
  char conv = s.conversion;
  bool isSigned = conv == 'd' || conv == 'i';
  int bits = s.bits;
  if (bits < 64) {
    std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    raw &= mask;
    if (isSigned && (raw >> (bits - 1)) & 1) raw |= ~mask;
  }
  bool negative = isSigned && static_cast<std::int64_t>(raw) < 0;
  std::uint64_t magnitude = negative ? (~raw + 1) : raw;
  unsigned base = conv == 'o' ? 8 : (conv == 'x' || conv == 'X') ? 16 : 10;
  const char* digitsOf = conv == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char buf[64];
  int n = 0;
  for (std::uint64_t v = magnitude; v != 0; v /= base) buf[n++] = digitsOf[v % base];
  std::string digits;
  for (int k = n - 1; k >= 0; --k) digits += buf[k];
  int precision = s.precision < 0 ? 1 : s.precision;
  if (static_cast<int>(digits.size()) < precision) digits.insert(0, precision - digits.size(), '0');
  std::string prefix;
  if (negative) prefix = "-";
  else if (isSigned && s.plus) prefix = "+";
  else if (isSigned && s.space) prefix = " ";
  if (s.alt && magnitude != 0 && base == 16) prefix += conv == 'X' ? "0X" : "0x";
  if (s.alt && base == 8 && (digits.empty() || digits[0] != '0')) digits.insert(0, "0");
  std::basic_string<C> p, b;
  AppendAscii(p, prefix);
  AppendAscii(b, digits);
  Emit<C>(out, s, p, b, s.zero && !s.left && s.precision < 0);
}

template <class C>
void EmitFloat(std::basic_string<C>& out, const FormatSpec& s, double value) {
  std::string prefix;
  if (std::signbit(value) && !std::isnan(value)) prefix = "-";
  else if (s.plus) prefix = "+";
  else if (s.space) prefix = " ";
  std::basic_string<C> p, b;
  AppendAscii(p, prefix);
  AppendAscii(b, detail::FloatDigits(value, s.conversion, std::min(s.precision, 400), s.alt));
  Emit<C>(out, s, p, b, s.zero && !s.left && std::isfinite(value));
}

// The characters of a string argument to print: its given length, or up to its NUL; never more
// than precision characters are read.
template <class T>
std::size_t TextLength(const T* p, std::size_t length, int precision) {
  if (length != FormatArg::kNulTerminated) return precision >= 0 ? std::min<std::size_t>(length, precision) : length;
  std::size_t k = 0;
  while ((precision < 0 || k < static_cast<std::size_t>(precision)) && p[k]) ++k;
  return k;
}

// Text of a string argument, in the output's width. Reads no further than precision characters.
template <class C>
std::basic_string<C> StringText(const FormatArg& a, const FormatSpec& s, bool wideFormat) {
  bool wide = s.WideText(wideFormat);
  std::basic_string<C> out;
  if (a.kind == Kind::Str16 || (a.kind == Kind::Pointer && wide && a.p)) {
    const WCHAR* p = a.kind == Kind::Str16 ? a.s16 : static_cast<const WCHAR*>(a.p);
    if (!p) {
      AppendAscii(out, "(null)");
      return out;
    }
    std::u16string_view v(p, TextLength(p, a.length, s.precision));
    if constexpr (std::is_same_v<C, char16_t>) {
      out.assign(v);
    } else {
      out = ToCodePage(v);
    }
  } else if (a.kind == Kind::Str8 || (a.kind == Kind::Pointer && !wide && a.p)) {
    const char* p = a.kind == Kind::Str8 ? a.s8 : static_cast<const char*>(a.p);
    if (!p) {
      AppendAscii(out, "(null)");
      return out;
    }
    std::string_view v(p, TextLength(p, a.length, s.precision));
    if constexpr (std::is_same_v<C, char16_t>) {
      out = FromCodePage(v);
    } else {
      out.assign(v);
    }
  }
  if (s.precision >= 0 && out.size() > static_cast<std::size_t>(s.precision)) out.resize(s.precision);
  return out;
}

template <class C>
std::basic_string<C> CharText(std::uint64_t raw, const FormatSpec& s, bool wideFormat) {
  std::basic_string<C> out;
  if (s.WideText(wideFormat)) {
    char16_t c = static_cast<char16_t>(raw);
    if constexpr (std::is_same_v<C, char16_t>) out += c;
    else out = ToCodePage(std::u16string_view(&c, 1));
  } else {
    char c = static_cast<char>(raw);
    if constexpr (std::is_same_v<C, char16_t>) out = FromCodePage(std::string_view(&c, 1));
    else out += c;
  }
  return out;
}

template <class C>
bool Run(std::basic_string<C>& out, std::basic_string_view<C> format, std::span<const FormatArg> args, bool checked) {
  constexpr bool kWide = std::is_same_v<C, char16_t>;
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    std::size_t pct = format.find(C('%'), i);
    if (pct == std::basic_string_view<C>::npos) {
      out += format.substr(i);
      break;
    }
    out += format.substr(i, pct - i);
    FormatSpec s = ParseSpec(format, pct);
    i = s.end;
    if (s.conversion == 0) {  // a format that ends inside a conversion
      if (checked) return false;
      out += format.substr(pct);
      break;
    }
    if (s.conversion == '%') {
      out += C('%');
      continue;
    }
    bool known = s.TakesArgument() && s.conversion != 'n';
    if (!known && checked) return false;
    auto take = [&]() -> const FormatArg* { return next < args.size() ? &args[next++] : nullptr; };
    if (s.widthFromArg) {
      const FormatArg* a = take();
      if (checked && (!a || !IsInt(*a))) return false;
      int w = a ? static_cast<int>(static_cast<std::int32_t>(RawInteger(*a))) : 0;
      if (w < 0) {
        s.left = true;
        w = w == INT32_MIN ? 0 : -w;
      }
      s.width = std::min(w, 100000);
    }
    if (s.precisionFromArg) {
      const FormatArg* a = take();
      if (checked && (!a || !IsInt(*a))) return false;
      int p = a ? static_cast<int>(static_cast<std::int32_t>(RawInteger(*a))) : -1;
      s.precision = p < 0 ? -1 : std::min(p, 100000);
    }
    if (!s.TakesArgument()) {  // an unknown conversion prints its letter
      out += format.substr(s.end - 1, 1);
      continue;
    }
    const FormatArg* a = take();
    if (s.conversion == 'n') continue;  // never written through
    if (checked && (!a || !Fits(s, *a, kWide))) return false;
    if (!a) continue;
    if (s.IsChar()) {
      std::basic_string<C> text = CharText<C>(RawInteger(*a), s, kWide);
      Emit<C>(out, s, {}, text, s.zero && !s.left);
    } else if (s.IsInteger()) {
      EmitInteger(out, s, RawInteger(*a));
    } else if (s.IsFloat()) {
      EmitFloat(out, s, FloatValue(*a));
    } else if (s.IsString()) {
      std::basic_string<C> text = StringText<C>(*a, s, kWide);
      Emit<C>(out, s, {}, text, s.zero && !s.left);
    } else {  // 'p': the address in upper-case hexadecimal, at least eight digits
      FormatSpec hex = s;
      hex.conversion = 'X';
      hex.bits = 64;
      hex.alt = false;
      hex.precision = 8;
      std::uint64_t raw = a->kind == Kind::Str8    ? reinterpret_cast<std::uintptr_t>(a->s8)
                          : a->kind == Kind::Str16 ? reinterpret_cast<std::uintptr_t>(a->s16)
                                                   : RawInteger(*a);
      EmitInteger(out, hex, raw);
    }
  }
  return true;
}

template <class C>
std::vector<FormatArg> ArgsFromList(std::basic_string_view<C> format, va_list list) {
  constexpr bool kWide = std::is_same_v<C, char16_t>;
  std::vector<FormatArg> args;
  std::size_t i = 0;
  while ((i = format.find(C('%'), i)) != std::basic_string_view<C>::npos) {
    FormatSpec s = ParseSpec(format, i);
    i = s.end;
    if (s.conversion == 0) break;
    if (s.widthFromArg) args.push_back(MakeFormatArg(va_arg(list, int)));
    if (s.precisionFromArg) args.push_back(MakeFormatArg(va_arg(list, int)));
    if (s.IsChar()) {
      args.push_back(MakeFormatArg(va_arg(list, int)));
    } else if (s.IsInteger()) {
      bool isSigned = s.conversion == 'd' || s.conversion == 'i';
      if (s.bits == 64) {
        args.push_back(isSigned ? MakeFormatArg(va_arg(list, long long)) : MakeFormatArg(va_arg(list, unsigned long long)));
      } else {
        args.push_back(isSigned ? MakeFormatArg(va_arg(list, int)) : MakeFormatArg(va_arg(list, unsigned int)));
      }
    } else if (s.IsFloat()) {
      args.push_back(MakeFormatArg(va_arg(list, double)));
    } else if (s.IsString()) {
      if (s.WideText(kWide)) args.push_back(MakeFormatArg(va_arg(list, const WCHAR*)));
      else args.push_back(MakeFormatArg(va_arg(list, const char*)));
    } else if (s.conversion == 'p' || s.conversion == 'n') {
      args.push_back(MakeFormatArg(va_arg(list, const void*)));
    }
  }
  return args;
}

template <class C>
int CopyOutImpl(C* buffer, std::size_t count, std::basic_string_view<C> text) {
  if (!buffer || count == 0) return text.empty() && count != 0 ? 0 : -1;
  if (text.size() < count) {
    std::memcpy(buffer, text.data(), text.size() * sizeof(C));
    buffer[text.size()] = 0;
    return static_cast<int>(text.size());
  }
  std::memcpy(buffer, text.data(), (count - 1) * sizeof(C));
  buffer[count - 1] = 0;
  return -1;
}

}  // namespace

bool FormatInto(std::u16string& out, std::u16string_view format, std::span<const FormatArg> args, bool checked) {
  std::size_t mark = out.size();
  if (Run(out, format, args, checked)) return true;
  out.resize(mark);
  return false;
}

bool FormatInto(std::string& out, std::string_view format, std::span<const FormatArg> args, bool checked) {
  std::size_t mark = out.size();
  if (Run(out, format, args, checked)) return true;
  out.resize(mark);
  return false;
}

std::u16string FormatChecked(std::u16string_view format, std::span<const FormatArg> args) {
  std::u16string out;
  if (!FormatInto(out, format, args, true)) return std::u16string(format);
  return out;
}

std::string FormatChecked(std::string_view format, std::span<const FormatArg> args) {
  std::string out;
  if (!FormatInto(out, format, args, true)) return std::string(format);
  return out;
}

std::u16string FormatV(std::u16string_view format, va_list args) {
  std::vector<FormatArg> list = ArgsFromList(format, args);
  std::u16string out;
  FormatInto(out, format, list, false);
  return out;
}

std::string FormatV(std::string_view format, va_list args) {
  std::vector<FormatArg> list = ArgsFromList(format, args);
  std::string out;
  FormatInto(out, format, list, false);
  return out;
}

int CopyOut(WCHAR* buffer, std::size_t count, std::u16string_view text) { return CopyOutImpl(buffer, count, text); }
int CopyOut(char* buffer, std::size_t count, std::string_view text) { return CopyOutImpl(buffer, count, text); }

}  // namespace ce::text

int vswprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args) {
  return ce::text::CopyOut(buffer, count, ce::text::FormatV(ce::text::WideView(format), args));
}

int _vsnwprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args) {
  return ce::text::CopyOut(buffer, count, ce::text::FormatV(ce::text::WideView(format), args));
}

int wvsprintfW(WCHAR* buffer, const WCHAR* format, va_list args) {
  int n = ce::text::CopyOut(buffer, 1024, ce::text::FormatV(ce::text::WideView(format), args));
  return n < 0 ? 1023 : n;
}

int _vsnprintf(char* buffer, std::size_t count, const char* format, va_list args) {
  return ce::text::CopyOut(buffer, count, ce::text::FormatV(std::string_view(format ? format : ""), args));
}
