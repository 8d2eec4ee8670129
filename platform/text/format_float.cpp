#include "platform/text/format_float.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ce::text::detail {
namespace {

// value = d[0].d[1]d[2]... x 10^exp
struct Decimal {
  std::string digits;
  int exp = 0;
};

Decimal Digits17(double v) {
  Decimal d;
  if (v == 0) {
    d.digits = "0";
    return d;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.16e", v);  // d.dddddddddddddddde+XX, digits only
  std::string text(buf);
  std::size_t e = text.find('e');
  d.digits = text.substr(0, 1) + text.substr(2, e - 2);
  d.exp = std::atoi(text.c_str() + e + 1);
  return d;
}

// Keeps n significant digits, rounding half up; n may be 0 or negative (the value then rounds to
// zero or to one unit of the next place).
void Round(Decimal& d, int n) {
  if (n < 0) {
    d.digits = "0";
    d.exp = 0;
    return;
  }
  if (static_cast<std::size_t>(n) >= d.digits.size()) {
    d.digits.append(n - d.digits.size(), '0');
    return;
  }
  bool up = d.digits[n] >= '5';
  d.digits.resize(n);
  if (!up) {
    if (d.digits.empty()) {
      d.digits = "0";
      d.exp = 0;
    }
    return;
  }
  int i = n - 1;
  while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
  if (i >= 0) {
    ++d.digits[i];
  } else {
    d.digits.insert(0, "1");
    ++d.exp;
    if (n > 0) d.digits.pop_back();
  }
}

char DigitAt(const Decimal& d, int weight) {
  int index = d.exp - weight;
  return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

std::string Fixed(Decimal d, int precision, bool alt) {
  Round(d, d.exp + 1 + precision);
  std::string out;
  for (int w = d.exp > 0 ? d.exp : 0; w >= 0; --w) out += DigitAt(d, w);
  if (precision > 0 || alt) out += '.';
  for (int w = -1; w >= -precision; --w) out += DigitAt(d, w);
  return out;
}

std::string Exponent(Decimal d, int precision, bool alt, char letter) {
  Round(d, precision + 1);
  std::string out(1, d.digits[0]);
  if (precision > 0 || alt) out += '.';
  out += d.digits.substr(1, precision);
  int e = d.digits == std::string(d.digits.size(), '0') ? 0 : d.exp;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%c%03d", letter, e < 0 ? '-' : '+', std::abs(e));
  return out + buf;
}

}  // namespace

std::string FloatDigits(double value, char conversion, int precision, bool alt) {
  if (std::isnan(value)) return conversion >= 'a' ? "nan" : "NAN";
  if (std::isinf(value)) return conversion >= 'a' ? "inf" : "INF";
  Decimal d = Digits17(std::fabs(value));
  if (precision < 0) precision = 6;
  switch (conversion) {
    case 'f':
    case 'F':
      return Fixed(d, precision, alt);
    case 'e':
    case 'E':
      return Exponent(d, precision, alt, conversion);
    default: {
      int p = precision == 0 ? 1 : precision;
      Round(d, p);
      int x = d.digits[0] == '0' ? 0 : d.exp;
      std::string out = (x < -4 || x >= p) ? Exponent(d, p - 1, alt, conversion == 'G' ? 'E' : 'e')
                                           : Fixed(d, p - 1 - x, alt);
      if (!alt) {
        std::size_t e = out.find_first_of("eE");
        std::string tail = e == std::string::npos ? "" : out.substr(e);
        std::string head = out.substr(0, e);
        if (head.find('.') != std::string::npos) {
          while (!head.empty() && head.back() == '0') head.pop_back();
          if (!head.empty() && head.back() == '.') head.pop_back();
        }
        out = head + tail;
      }
      return out;
    }
  }
}

}  // namespace ce::text::detail
