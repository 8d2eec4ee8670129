// Arbitrary formats (as a damaged translation file could hold) never crash the formatter or the
// scanner, and the checked formatter gives either a formatted text or the format itself.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/text/format.h"
#include "platform/text/scan.h"

namespace {

std::u16string RandomFormat(std::mt19937& rng) {
  static const std::u16string alphabet = u"%%%%-+ #0123456789.*hlI64dDiuoxXcCsSfeEgGpn[]^,:\u00e9";
  std::uniform_int_distribution<std::size_t> length(0, 12), pick(0, alphabet.size() - 1);
  std::u16string f;
  for (std::size_t n = length(rng); n > 0; --n) f += alphabet[pick(rng)];
  return f;
}

TEST(Robustness, ArbitraryFormatsNeverCrash) {
  std::mt19937 rng(20261209);
  for (int i = 0; i < 20000; ++i) {
    std::u16string f = RandomFormat(rng);
    std::u16string checked = ce::text::FormatChecked(f, 7, u"w", "n", 2.5, -1LL);
    std::u16string trusted = ce::text::Format(f, 7, u"w", "n", 2.5, -1LL);
    if (checked != f) {
      EXPECT_EQ(checked, trusted) << i;
    }
    ce::text::Format(f);
    std::string f8(f.begin(), f.end());
    ce::text::FormatChecked(f8, u"w", 3);

    int n = 0;
    double d = 0;
    WCHAR w[4];
    char c[4];
    swscanf(u"12 ab,3.5 \u00e9x", f.c_str(), &n, w, &d, c);
    sscanf("-7 xyz 1e5", f8.c_str(), c, &n, w, &d);
  }
}

}  // namespace
