// Time as the programs see it: the tick count, the performance counter, system (UTC) and local
// time with the device's time zone, and SYSTEMTIME / FILETIME conversions. All of it reads the
// kernel clock (platform/kernel/clock.h), so a test's manual clock drives it.
#pragma once

#include "platform/base/types.h"

DWORD GetTickCount();
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);  // 1 MHz

void GetSystemTime(LPSYSTEMTIME utc);
void GetLocalTime(LPSYSTEMTIME local);
// Move the device clock (never the host's).
BOOL SetSystemTime(const SYSTEMTIME* utc);
BOOL SetLocalTime(const SYSTEMTIME* local);

// FILETIME: 100 ns units since 1601-01-01. A SYSTEMTIME must be a real date and time of the
// years 1601..30827 (wDayOfWeek is ignored); otherwise the call fails with ERROR_INVALID_PARAMETER.
BOOL SystemTimeToFileTime(const SYSTEMTIME* system_time, LPFILETIME file_time);
BOOL FileTimeToSystemTime(const FILETIME* file_time, LPSYSTEMTIME system_time);
// Both use the zone's bias in force now (daylight or standard), as the device does.
BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc);
LONG CompareFileTime(const FILETIME* a, const FILETIME* b);  // -1, 0 or 1

#define TIME_ZONE_ID_UNKNOWN 0u
#define TIME_ZONE_ID_STANDARD 1u
#define TIME_ZONE_ID_DAYLIGHT 2u
#define TIME_ZONE_ID_INVALID 0xFFFFFFFFu

// Bias: UTC = local time + Bias (+ StandardBias or DaylightBias), in minutes. The dates give the
// changes in "day-in-month" form (wYear 0; wDay 1..5 is the week, 5 the last; wDayOfWeek 0 is
// Sunday; wHour:wMinute local time); StandardDate.wMonth 0 means no daylight time.
struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};
using LPTIME_ZONE_INFORMATION = TIME_ZONE_INFORMATION*;

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION info);
// Sets the device's time zone (stored in the device folder, file "timezone").
BOOL SetTimeZoneInformation(const TIME_ZONE_INFORMATION* info);
