// Date arithmetic on SYSTEMTIME records through their 64-bit counts of 100 ns, and the build stamp.
#include <cstdint>

#include "platform/text/wide_string.h"
#include "platform/text/utf.h"
#include "platform/time/time.h"
#include "teskautils/TeskaUtils.h"

namespace {

bool ToCount(const SYSTEMTIME* time, ULONGLONG* count) {
  FILETIME ft{};
  if (time == nullptr || !SystemTimeToFileTime(time, &ft)) return false;
  *count = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return true;
}

}  // namespace

extern "C" SYSTEMTIME* DT_AddDiff(SYSTEMTIME* result, ULONGLONG unit, LONGLONG count, const SYSTEMTIME* time) {
  if (result == nullptr || time == nullptr) return result;
  const SYSTEMTIME start = *time;
  *result = start;
  ULONGLONG value = 0;
  if (!ToCount(&start, &value)) return result;
  // The exact sum: a negative count goes back, and a product or sum past 64 bits is past the
  // calendar (not wrapped round into it).
  const __int128 moved_to = static_cast<__int128>(value) + static_cast<__int128>(unit) * count;
  if (moved_to < 0 || moved_to > static_cast<__int128>(INT64_MAX)) return result;
  value = static_cast<ULONGLONG>(moved_to);
  FILETIME ft{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
  SYSTEMTIME moved{};
  if (FileTimeToSystemTime(&ft, &moved)) *result = moved;
  return result;
}

extern "C" double DT_PeriodsBetween(ULONGLONG unit, const SYSTEMTIME* first, const SYSTEMTIME* second) {
  ULONGLONG a = 0, b = 0;
  if (unit == 0 || !ToCount(first, &a) || !ToCount(second, &b)) return 0.0;
  const ULONGLONG difference = a > b ? a - b : b - a;
  return static_cast<double>(difference) / static_cast<double>(unit);
}

extern "C" void SumarSegundos(SYSTEMTIME* time, DWORD seconds) {
  if (time == nullptr) return;
  time->wSecond = static_cast<WORD>(time->wSecond + seconds);
  if (time->wSecond >= 60) {
    time->wMinute = static_cast<WORD>(time->wMinute + time->wSecond / 60);
    time->wSecond = static_cast<WORD>(time->wSecond % 60);
  }
  if (time->wMinute >= 60) {
    time->wHour = static_cast<WORD>(time->wHour + time->wMinute / 60);
    time->wMinute = static_cast<WORD>(time->wMinute % 60);
  }
  if (time->wHour >= 24) {
    time->wDay = static_cast<WORD>(time->wDay + time->wHour / 24);
    time->wHour = static_cast<WORD>(time->wHour % 24);
  }
}

extern "C" void DameFechaCompilacion(LPWSTR buffer) {
  if (buffer == nullptr) return;
  const std::u16string stamp = ce::text::FromUtf8(__DATE__) + u" - " + ce::text::FromUtf8(__TIME__);
  wcscpy(buffer, stamp.c_str());
}
