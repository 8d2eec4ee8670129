#include "platform/time/time.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/base/errors.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/last_error.h"
#include "platform/time/time_zone_store.h"

namespace {

using namespace std::chrono;

constexpr std::int64_t kTicksPerMs = 10'000;
constexpr std::int64_t kTicksPerDay = 86'400'000LL * kTicksPerMs;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDaysTo1970 = 134774;

std::int64_t ToTicks(const FILETIME& ft) {
  return static_cast<std::int64_t>((std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
}

FILETIME ToFileTime(std::int64_t ticks) {
  auto u = static_cast<std::uint64_t>(ticks);
  return FILETIME{static_cast<DWORD>(u), static_cast<DWORD>(u >> 32)};
}

std::optional<std::int64_t> TicksOf(const SYSTEMTIME& st) {
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wHour > 23 ||
      st.wMinute > 59 || st.wSecond > 59 || st.wMilliseconds > 999) {
    return std::nullopt;
  }
  // Every field is checked before it is converted: a day keeps only its low byte (257 would
  // become 1).
  if (st.wDay < 1 || st.wDay > 31) return std::nullopt;
  year_month_day ymd{year{st.wYear}, month{st.wMonth}, day{st.wDay}};
  if (!ymd.ok()) return std::nullopt;
  std::int64_t days = sys_days(ymd).time_since_epoch().count() + kDaysTo1970;
  std::int64_t ms = ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * 1000LL + st.wMilliseconds;
  return days * kTicksPerDay + ms * kTicksPerMs;
}

SYSTEMTIME SystemTimeOf(std::int64_t ticks) {
  std::int64_t days = ticks / kTicksPerDay;
  std::int64_t ms = (ticks % kTicksPerDay) / kTicksPerMs;
  sys_days d{std::chrono::days{days - kDaysTo1970}};
  year_month_day ymd{d};
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(static_cast<int>(ymd.year()));
  st.wMonth = static_cast<WORD>(static_cast<unsigned>(ymd.month()));
  st.wDay = static_cast<WORD>(static_cast<unsigned>(ymd.day()));
  st.wDayOfWeek = static_cast<WORD>(weekday{d}.c_encoding());
  st.wHour = static_cast<WORD>(ms / 3'600'000);
  st.wMinute = static_cast<WORD>(ms / 60'000 % 60);
  st.wSecond = static_cast<WORD>(ms / 1000 % 60);
  st.wMilliseconds = static_cast<WORD>(ms % 1000);
  return st;
}

// The moment (ticks, in the local clock reading the date is given in) a zone change happens in
// `year_number`; empty when the rule is not usable.
std::optional<std::int64_t> ChangeInYear(const SYSTEMTIME& rule, int year_number) {
  if (rule.wMonth < 1 || rule.wMonth > 12 || rule.wDayOfWeek > 6 || rule.wHour > 23 || rule.wMinute > 59) {
    return std::nullopt;
  }
  year y{year_number};
  month m{rule.wMonth};
  weekday wd{rule.wDayOfWeek};
  sys_days d;
  if (rule.wYear != 0) {  // an absolute date
    if (rule.wDay > 31) return std::nullopt;
    year_month_day ymd{y, m, day{rule.wDay}};
    if (!ymd.ok()) return std::nullopt;
    d = sys_days(ymd);
  } else if (rule.wDay >= 5) {
    d = sys_days(year_month_weekday_last{y, m, weekday_last{wd}});
  } else if (rule.wDay >= 1) {
    d = sys_days(year_month_weekday{y, m, weekday_indexed{wd, rule.wDay}});
  } else {
    return std::nullopt;
  }
  std::int64_t days = d.time_since_epoch().count() + kDaysTo1970;
  return days * kTicksPerDay + (rule.wHour * 60 + rule.wMinute) * 60'000LL * kTicksPerMs;
}

// The zone state at a UTC moment: TIME_ZONE_ID_* and the total bias in minutes.
struct ZoneState {
  DWORD id;
  LONG bias;
};

ZoneState StateAt(const TIME_ZONE_INFORMATION& tz, std::int64_t utc) {
  if (tz.StandardDate.wMonth == 0 || tz.DaylightDate.wMonth == 0) {
    return {TIME_ZONE_ID_UNKNOWN, tz.Bias};
  }
  int local_year = SystemTimeOf(utc - tz.Bias * 60 * 1000 * kTicksPerMs).wYear;
  auto start = ChangeInYear(tz.DaylightDate, local_year);  // given in standard time
  auto end = ChangeInYear(tz.StandardDate, local_year);    // given in daylight time
  if (!start || !end) return {TIME_ZONE_ID_UNKNOWN, tz.Bias};
  std::int64_t start_utc = *start + (tz.Bias + tz.StandardBias) * 60'000LL * kTicksPerMs;
  std::int64_t end_utc = *end + (tz.Bias + tz.DaylightBias) * 60'000LL * kTicksPerMs;
  bool daylight = start_utc < end_utc ? (utc >= start_utc && utc < end_utc)   // northern
                                      : (utc >= start_utc || utc < end_utc);  // southern
  return daylight ? ZoneState{TIME_ZONE_ID_DAYLIGHT, tz.Bias + tz.DaylightBias}
                  : ZoneState{TIME_ZONE_ID_STANDARD, tz.Bias + tz.StandardBias};
}

std::int64_t BiasNowTicks() {
  return StateAt(ce::time::DeviceTimeZone(), ce::kernel::SystemTimeUtc()).bias * 60'000LL * kTicksPerMs;
}

}  // namespace

DWORD GetTickCount() { return static_cast<DWORD>(ce::kernel::MonotonicMs()); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  count->QuadPart = static_cast<LONGLONG>(ce::kernel::MonotonicUs());
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = 1'000'000;
  return TRUE;
}

void GetSystemTime(LPSYSTEMTIME utc) {
  if (utc) *utc = SystemTimeOf(ce::kernel::SystemTimeUtc());
}

void GetLocalTime(LPSYSTEMTIME local) {
  if (!local) return;
  std::int64_t utc = ce::kernel::SystemTimeUtc();
  LONG bias = StateAt(ce::time::DeviceTimeZone(), utc).bias;
  *local = SystemTimeOf(utc - bias * 60'000LL * kTicksPerMs);
}

BOOL SetSystemTime(const SYSTEMTIME* utc) {
  auto ticks = utc ? TicksOf(*utc) : std::nullopt;
  if (!ticks) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (const DWORD error = ce::kernel::SetSystemTimeUtc(*ticks)) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL SetLocalTime(const SYSTEMTIME* local) {
  auto ticks = local ? TicksOf(*local) : std::nullopt;
  if (!ticks) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The local reading is taken in the zone state it falls in (standard bias first).
  const TIME_ZONE_INFORMATION tz = ce::time::DeviceTimeZone();
  std::int64_t utc = *ticks + (tz.Bias + tz.StandardBias) * 60'000LL * kTicksPerMs;
  LONG bias = StateAt(tz, utc).bias;
  if (const DWORD error = ce::kernel::SetSystemTimeUtc(*ticks + bias * 60'000LL * kTicksPerMs)) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME file_time) {
  auto ticks = system_time ? TicksOf(*system_time) : std::nullopt;
  if (!ticks || !file_time) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *file_time = ToFileTime(*ticks);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* file_time, LPSYSTEMTIME system_time) {
  if (!file_time || !system_time || ToTicks(*file_time) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::int64_t ticks = ToTicks(*file_time);
  auto last = TicksOf(SYSTEMTIME{30827, 12, 0, 31, 23, 59, 59, 999});
  if (ticks > *last + kTicksPerMs - 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *system_time = SystemTimeOf(ticks);
  return TRUE;
}

namespace {

// Moves a file time by the bias now in force (local = UTC - bias); a time outside 0 .. 2^63 - 1
// before or after the move is refused.
BOOL ShiftFileTime(const FILETIME* from, LPFILETIME to, bool to_local) {
  if (!from || !to) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::int64_t ticks = ToTicks(*from);
  const std::int64_t bias = BiasNowTicks();
  std::int64_t t = 0;
  if (ticks < 0 || (to_local ? __builtin_sub_overflow(ticks, bias, &t) : __builtin_add_overflow(ticks, bias, &t)) ||
      t < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *to = ToFileTime(t);
  return TRUE;
}

}  // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) { return ShiftFileTime(utc, local, true); }

BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc) { return ShiftFileTime(local, utc, false); }

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  auto x = (std::uint64_t{a->dwHighDateTime} << 32) | a->dwLowDateTime;
  auto y = (std::uint64_t{b->dwHighDateTime} << 32) | b->dwLowDateTime;
  return x < y ? -1 : (x > y ? 1 : 0);
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  *info = ce::time::DeviceTimeZone();
  return StateAt(*info, ce::kernel::SystemTimeUtc()).id;
}

BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!ce::time::StoreDeviceTimeZone(*info)) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return TRUE;
}
