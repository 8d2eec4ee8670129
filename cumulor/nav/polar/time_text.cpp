#include "cumulor/nav/polar/time_text.h"

#include <cstdio>

#include "cumulor/nav/polar/glide.h"

namespace cumulor {
namespace {

constexpr std::int64_t kUnitsPerMinute = 60LL * 10000000LL;

void Widen(const char* text, WCHAR out[kTimeTextSize]) {
  std::size_t i = 0;
  for (; text[i] != '\0' && i < kTimeTextSize - 1; ++i) out[i] = static_cast<WCHAR>(text[i]);
  out[i] = 0;
}

bool ShowNever(std::int64_t time, WCHAR out[kTimeTextSize]) {
  if (time != kCannotFlyTime) return false;
  Widen("--:--", out);
  return true;
}

}  // namespace

void FormatTimeToFlyText(std::int64_t time, WCHAR out[kTimeTextSize]) {
  if (ShowNever(time, out)) return;
  const std::int64_t minutes = time > 0 ? time / kUnitsPerMinute : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%02d", static_cast<long long>(minutes / 60), static_cast<int>(minutes % 60));
  Widen(text, out);
}

void FormatArrivalText(std::int64_t time, const SYSTEMTIME& now, WCHAR out[kTimeTextSize]) {
  if (ShowNever(time, out)) return;
  const std::int64_t seconds = (time > 0 ? time / 10000000 : 0) % 86400;
  const std::int64_t ofDay = (now.wHour * 3600LL + now.wMinute * 60LL + now.wSecond + seconds) % 86400;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(ofDay / 3600), static_cast<int>(ofDay / 60 % 60));
  Widen(text, out);
}

}  // namespace cumulor
