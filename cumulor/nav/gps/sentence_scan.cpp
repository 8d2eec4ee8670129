#include "cumulor/nav/gps/sentence_scan.h"

#include <cmath>
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

const char* FindEnd(const char* text) {
  const char* e = text;
  while (*e != '\0') ++e;
  return e;
}

}  // namespace

int ReadDecimal(const char* text, const char* end, double& out) {
  out = 0.0;
  const char* p = text;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  double value = 0.0;
  int digits = 0;
  while (p < end && IsDigit(*p)) {
    value = value * 10.0 + (*p++ - '0');
    ++digits;
  }
  if (p < end && *p == '.') {
    ++p;
    double scale = 0.1;
    while (p < end && IsDigit(*p)) {
      value += (*p++ - '0') * scale;
      scale *= 0.1;
      ++digits;
    }
  }
  if (digits == 0 || !std::isfinite(value)) return 0;
  out = negative ? -value : value;
  return static_cast<int>(p - text);
}

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
  const int used = ReadDecimal(p_, FindEnd(p_), out);
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
  const char* p = text;
  while (count < kMax) {
    begin[count] = p;
    while (*p != ',' && *p != '*' && *p != '\r' && *p != '\n' && *p != '\0') ++p;
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
