#include "cumulor/nav/gps/sentence_scan.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace cumulor {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The digits (and fraction) of a number at `text`, stopping at the first other character and,
// when bounded, at `end`. Up to 15 significant digits are gathered as an integer and divided by a
// power of ten once (one rounding, no floating-point work per digit); longer numbers fall back to
// adding digit by digit.
template <bool kBounded>
int Decimal(const char* text, const char* end, double& out) {
  auto in = [end](const char* p) { return !kBounded || p < end; };
  static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  out = 0.0;
  const char* p = text;
  bool negative = false;
  if (in(p) && (*p == '-' || *p == '+')) negative = *p++ == '-';
  const char* first = p;
  std::uint64_t mantissa = 0;  // used only up to 15 digits
  int digits = 0, fraction = 0;
  while (in(p) && IsDigit(*p)) {
    if (digits < 16) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    ++p;
    ++digits;
  }
  if (in(p) && *p == '.') {
    ++p;
    while (in(p) && IsDigit(*p)) {
      if (digits < 16) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
      ++p;
      ++fraction;
      ++digits;
    }
  }
  if (digits == 0) return 0;
  double value;
  if (digits <= 15) {
    value = static_cast<double>(mantissa) / kPow10[fraction];
  } else {
    value = 0.0;
    const char* q = first;
    while (q < p && IsDigit(*q)) value = value * 10.0 + (*q++ - '0');
    if (q < p && *q == '.') {
      ++q;
      double scale = 0.1;
      for (; q < p; ++q) {
        value += (*q - '0') * scale;
        scale *= 0.1;
      }
    }
  }
  if (!std::isfinite(value)) return 0;
  out = negative ? -value : value;
  return static_cast<int>(p - text);
}

}  // namespace

int ReadDecimal(const char* text, const char* end, double& out) { return Decimal<true>(text, end, out); }

void SentenceScan::SkipBlanks() {
  while (*p_ == ' ' || *p_ == '\t') ++p_;
}

SentenceScan& SentenceScan::Int(std::int32_t& out) {
  out = 0;
  if (!ok_) return *this;
  SkipBlanks();
  const char* p = p_;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  if (!IsDigit(*p)) {
    ok_ = false;
    return *this;
  }
  std::int64_t v = 0;
  while (IsDigit(*p)) {
    if (v < (std::int64_t{1} << 40)) v = v * 10 + (*p - '0');
    ++p;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) v = std::numeric_limits<std::int32_t>::min();
  out = static_cast<std::int32_t>(v);
  p_ = p;
  ++count_;
  return *this;
}

SentenceScan& SentenceScan::Float(double& out) {
  out = 0.0;
  if (!ok_) return *this;
  SkipBlanks();
  const int used = Decimal<false>(p_, nullptr, out);  // the text ends at its NUL
  if (used == 0) {
    ok_ = false;
    return *this;
  }
  p_ += used;
  ++count_;
  return *this;
}

SentenceScan& SentenceScan::Char(char& out) {
  out = '\0';
  if (!ok_) return *this;
  if (*p_ == '\0') {
    ok_ = false;
    return *this;
  }
  out = *p_++;
  ++count_;
  return *this;
}

SentenceScan& SentenceScan::Hex(std::uint32_t& out) {
  out = 0;
  if (!ok_) return *this;
  SkipBlanks();
  const char* p = p_;
  if (HexValue(*p) < 0) {
    ok_ = false;
    return *this;
  }
  std::uint64_t v = 0;
  while (HexValue(*p) >= 0) {
    if (v <= 0xFFFFFFFFu) v = v * 16 + static_cast<unsigned>(HexValue(*p));
    ++p;
  }
  out = v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v);
  p_ = p;
  ++count_;
  return *this;
}

SentenceScan& SentenceScan::Lit(char c) {
  if (!ok_) return *this;
  if (*p_ != c) {
    ok_ = false;
    return *this;
  }
  ++p_;
  return *this;
}

SentenceFields::SentenceFields(const char* text) {
  // The characters that end a field, looked up instead of compared one by one.
  static constexpr auto kEnds = [] {
    std::array<bool, 256> ends{};
    for (unsigned char c : {',', '*', '\r', '\n', '\0'}) ends[c] = true;
    return ends;
  }();
  const char* p = text;
  while (count < kMax) {
    begin[count] = p;
    while (!kEnds[static_cast<unsigned char>(*p)]) ++p;
    length[count] = static_cast<int>(p - begin[count]);
    ++count;
    if (*p != ',') break;
    ++p;
  }
}

bool SentenceFields::Float(int i, double& out) const {
  out = 0.0;
  if (Empty(i)) return false;
  return ReadDecimal(begin[i], begin[i] + length[i], out) > 0;
}

bool SentenceFields::Int(int i, std::int32_t& out) const {
  out = 0;
  double v = 0.0;
  if (!Float(i, v)) return false;
  v = std::trunc(v);
  if (v > 2147483647.0) v = 2147483647.0;
  if (v < -2147483648.0) v = -2147483648.0;
  out = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace cumulor
