#include "platform/text/scan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/text/codepage.h"

namespace ce::text {
namespace {

using Kind = ScanArg::Kind;

template <class C>
bool IsBlank(C c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int DigitValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A' + 10);
  return 99;
}

void StoreInteger(const ScanArg& a, std::uint64_t v) {
  switch (a.bytes) {
    case 1: {
      auto x = static_cast<std::uint8_t>(v);
      std::memcpy(a.target, &x, 1);
      break;
    }
    case 2: {
      auto x = static_cast<std::uint16_t>(v);
      std::memcpy(a.target, &x, 2);
      break;
    }
    case 4: {
      auto x = static_cast<std::uint32_t>(v);
      std::memcpy(a.target, &x, 4);
      break;
    }
    default:
      std::memcpy(a.target, &v, 8);
      break;
  }
}

void StoreFloat(const ScanArg& a, double v) {
  if (a.bytes == sizeof(float)) {
    auto f = static_cast<float>(v);
    std::memcpy(a.target, &f, sizeof f);
  } else {
    std::memcpy(a.target, &v, sizeof v);
  }
}

// Stores a field of text into a character buffer of either width; terminated unless it is %c.
template <class C>
void StoreText(const ScanArg& a, std::basic_string_view<C> field, bool terminate) {
  std::size_t room = a.capacity;
  if (terminate && room != ScanArg::kUnbounded) room = room > 0 ? room - 1 : 0;
  auto put = [&](auto* dest, const auto& text) {
    std::size_t n = text.size() < room ? text.size() : room;
    for (std::size_t k = 0; k < n; ++k) dest[k] = text[k];
    if (terminate && a.capacity != 0) dest[n] = 0;
  };
  if (a.kind == Kind::Str16) {
    if constexpr (std::is_same_v<C, char16_t>) put(static_cast<char16_t*>(a.target), field);
    else put(static_cast<char16_t*>(a.target), FromCodePage(field));
  } else {
    if constexpr (std::is_same_v<C, char>) put(static_cast<char*>(a.target), field);
    else put(static_cast<char*>(a.target), ToCodePage(field));
  }
}

template <class C>
class Scanner {
 public:
  Scanner(std::basic_string_view<C> in, std::basic_string_view<C> fmt, std::span<const ScanArg> args)
      : in_(in), fmt_(fmt), args_(args) {}

  int Run() {
    while (fp_ < fmt_.size()) {
      C f = fmt_[fp_];
      if (IsBlank(f)) {
        while (fp_ < fmt_.size() && IsBlank(fmt_[fp_])) ++fp_;
        SkipBlanks();
        continue;
      }
      if (f != '%' || (fp_ + 1 < fmt_.size() && fmt_[fp_ + 1] == '%')) {
        if (f == '%') {
          ++fp_;
          SkipBlanks();
        }
        if (ip_ >= in_.size()) return InputFailure();
        if (in_[ip_] != f) return assigned_;
        ++ip_;
        ++fp_;
        continue;
      }
      if (!Conversion()) return ended_ ? InputFailure() : assigned_;
    }
    return assigned_;
  }

 private:
  int InputFailure() const { return converted_ ? assigned_ : -1; }

  void SkipBlanks() {
    while (ip_ < in_.size() && IsBlank(in_[ip_])) ++ip_;
  }

  C FmtAt(std::size_t k) const { return k < fmt_.size() ? fmt_[k] : C(0); }

  // One conversion; false ends the scan (ended_ tells an input failure from a matching failure).
  bool Conversion() {
    ++fp_;
    bool suppress = FmtAt(fp_) == '*';
    if (suppress) ++fp_;
    std::size_t width = 0;
    while (FmtAt(fp_) >= '0' && FmtAt(fp_) <= '9') {
      if (width < 100000) width = width * 10 + (FmtAt(fp_) - '0');
      ++fp_;
    }
    char size = 0;
    for (;;) {
      C c = FmtAt(fp_);
      if (c == 'h' || c == 'l' || c == 'w' || c == 'L') {
        size = c == 'w' ? 'l' : static_cast<char>(c);
        ++fp_;
      } else if (c == 'I' && ((FmtAt(fp_ + 1) == '6' && FmtAt(fp_ + 2) == '4') ||
                              (FmtAt(fp_ + 1) == '3' && FmtAt(fp_ + 2) == '2'))) {
        fp_ += 3;
      } else {
        break;
      }
    }
    (void)size;  // values are stored in the size of the variable given
    C conv = FmtAt(fp_);
    if (conv == 0) return false;
    ++fp_;
    if (width == 0) width = conv == 'c' || conv == 'C' ? 1 : static_cast<std::size_t>(-1);

    const ScanArg* arg = nullptr;
    if (!suppress) {
      if (next_ >= args_.size()) return false;
      arg = &args_[next_++];
    }
    if (conv == 'n') {
      if (arg && (arg->kind == Kind::Signed || arg->kind == Kind::Unsigned)) StoreInteger(*arg, ip_);
      return arg == nullptr || arg->kind == Kind::Signed || arg->kind == Kind::Unsigned;
    }
    if (conv != 'c' && conv != 'C' && conv != '[') SkipBlanks();
    if (ip_ >= in_.size()) {
      ended_ = true;
      return false;
    }
    switch (conv) {
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        return Integer(static_cast<char>(conv), width, arg);
      case 'e':
      case 'E':
      case 'f':
      case 'g':
      case 'G':
        return Float(width, arg);
      case 'c':
      case 'C':
      case 's':
      case 'S':
      case '[':
        return Text(static_cast<char>(conv), width, arg);
      default:
        return false;
    }
  }

  bool Integer(char conv, std::size_t width, const ScanArg* arg) {
    if (arg && arg->kind != Kind::Signed && arg->kind != Kind::Unsigned) return false;
    std::size_t end = width == static_cast<std::size_t>(-1) ? in_.size() : std::min(in_.size(), ip_ + width);
    std::size_t p = ip_;
    bool negative = false;
    if (p < end && (in_[p] == '+' || in_[p] == '-')) negative = in_[p++] == '-';
    unsigned base = conv == 'x' || conv == 'X' ? 16 : conv == 'o' ? 8 : 10;
    std::size_t digitsStart = p;
    if ((conv == 'i' || base == 16) && p < end && in_[p] == '0') {
      if (p + 2 < end && (in_[p + 1] == 'x' || in_[p + 1] == 'X') && DigitValue(in_[p + 2]) < 16) {
        base = 16;
        p += 2;
        digitsStart = p;
      } else if (conv == 'i') {
        base = 8;
      }
    }
    std::uint64_t v = 0;
    while (p < end && DigitValue(in_[p]) < static_cast<int>(base)) v = v * base + DigitValue(in_[p++]);
    if (p == digitsStart) return false;
    ip_ = p;
    converted_ = true;
    if (arg) {
      StoreInteger(*arg, negative ? 0 - v : v);
      ++assigned_;
    }
    return true;
  }

  bool Float(std::size_t width, const ScanArg* arg) {
    if (arg && arg->kind != Kind::Float) return false;
    std::size_t end = width == static_cast<std::size_t>(-1) ? in_.size() : std::min(in_.size(), ip_ + width);
    std::size_t p = ip_;
    std::string text;
    auto digit = [&](std::size_t k) { return k < end && in_[k] >= '0' && in_[k] <= '9'; };
    if (p < end && (in_[p] == '+' || in_[p] == '-')) {
      if (in_[p] == '-') text += '-';
      ++p;
    }
    std::size_t mantissa = 0;
    while (digit(p)) {
      text += static_cast<char>(in_[p++]);
      ++mantissa;
    }
    if (p < end && in_[p] == '.') {
      text += '.';
      ++p;
      while (digit(p)) {
        text += static_cast<char>(in_[p++]);
        ++mantissa;
      }
    }
    if (mantissa == 0) return false;
    if (p < end && (in_[p] == 'e' || in_[p] == 'E')) {
      std::size_t q = p + 1;
      std::string exponent = "e";
      if (q < end && (in_[q] == '+' || in_[q] == '-')) exponent += static_cast<char>(in_[q++]);
      if (digit(q)) {
        while (digit(q)) exponent += static_cast<char>(in_[q++]);
        text += exponent;
        p = q;
      }
    }
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
      value = text.find('e') != std::string::npos && text.find("e-") != std::string::npos
                  ? 0.0
                  : (text[0] == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    ip_ = p;
    converted_ = true;
    if (arg) {
      StoreFloat(*arg, value);
      ++assigned_;
    }
    return true;
  }

  bool Text(char conv, std::size_t width, const ScanArg* arg) {
    if (arg && arg->kind != Kind::Str8 && arg->kind != Kind::Str16) return false;
    std::size_t end = width == static_cast<std::size_t>(-1) ? in_.size() : std::min(in_.size(), ip_ + width);
    std::size_t p = ip_;
    if (conv == 'c' || conv == 'C') {
      p = end;
    } else if (conv == 's' || conv == 'S') {
      while (p < end && !IsBlank(in_[p])) ++p;
    } else {
      std::basic_string_view<C> set = ParseSet();
      bool negate = !set.empty() && set[0] == '^';
      if (negate) set.remove_prefix(1);
      while (p < end && InSet(set, in_[p]) != negate) ++p;
      if (p == ip_) return false;
    }
    std::basic_string_view<C> field = in_.substr(ip_, p - ip_);
    ip_ = p;
    converted_ = true;
    if (arg) {
      StoreText(*arg, field, conv != 'c' && conv != 'C');
      ++assigned_;
    }
    return true;
  }

  // The set of a %[ conversion: the text after '[' up to the closing ']' (a ']' right after '[' or
  // "[^" belongs to the set).
  std::basic_string_view<C> ParseSet() {
    std::size_t start = fp_;
    std::size_t k = fp_;
    if (FmtAt(k) == '^') ++k;
    if (FmtAt(k) == ']') ++k;
    while (k < fmt_.size() && fmt_[k] != ']') ++k;
    fp_ = k < fmt_.size() ? k + 1 : k;
    return fmt_.substr(start, k - start);
  }

  static bool InSet(std::basic_string_view<C> set, C c) {
    for (std::size_t k = 0; k < set.size(); ++k) {
      if (k + 2 < set.size() && set[k + 1] == '-') {
        C lo = set[k], hi = set[k + 2];
        if (lo <= hi ? (c >= lo && c <= hi) : (c >= hi && c <= lo)) return true;
        k += 2;
        continue;
      }
      if (set[k] == c) return true;
    }
    return false;
  }

  std::basic_string_view<C> in_, fmt_;
  std::span<const ScanArg> args_;
  std::size_t ip_ = 0, fp_ = 0, next_ = 0;
  int assigned_ = 0;
  bool converted_ = false, ended_ = false;
};

}  // namespace

int ScanInto(std::u16string_view input, std::u16string_view format, std::span<const ScanArg> args) {
  return Scanner<char16_t>(input, format, args).Run();
}

int ScanInto(std::string_view input, std::string_view format, std::span<const ScanArg> args) {
  return Scanner<char>(input, format, args).Run();
}

}  // namespace ce::text
