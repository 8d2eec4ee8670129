// SYSTEMTIME / FILETIME conversions, the device time zone and the device clock.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/base/errors.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/testing/device_test.h"
#include "platform/time/time.h"

namespace {

ULONGLONG Ticks(const FILETIME& ft) { return (ULONGLONG{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

FILETIME FromTicks(ULONGLONG t) { return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}; }

bool Same(const SYSTEMTIME& a, const SYSTEMTIME& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

TEST(FileTimeTest, KnownValuesAndRoundTrip) {
  struct Case {
    SYSTEMTIME st;  // with its true day of week
    ULONGLONG ticks;
  } cases[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, 0},
      {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ULL},
      {{2000, 2, 2, 29, 23, 59, 59, 999}, 125963423999990000ULL},
      {{2024, 2, 4, 29, 12, 30, 15, 250}, 133536834152500000ULL},
      {{9999, 12, 5, 31, 23, 59, 59, 999}, 2650467743999990000ULL},
  };
  for (const auto& c : cases) {
    SYSTEMTIME in = c.st;
    in.wDayOfWeek = 0;  // ignored going in
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&in, &ft)) << c.st.wYear;
    EXPECT_EQ(Ticks(ft), c.ticks) << c.st.wYear;
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_TRUE(Same(back, c.st)) << c.st.wYear << " day of week " << back.wDayOfWeek;
  }
}

// Dates every call that takes a SYSTEMTIME refuses (the days of 256 and more were found by
// fuzzing: only their low byte used to be looked at).
const SYSTEMTIME kBadDates[] = {
    {2023, 2, 0, 29, 0, 0, 0, 0},    // not a leap year
    {2024, 4, 0, 31, 0, 0, 0, 0},    // April has 30 days
    {2024, 13, 0, 1, 0, 0, 0, 0},    // month
    {2024, 1, 0, 0, 0, 0, 0, 0},     // day 0
    {2024, 1, 0, 256, 0, 0, 0, 0},   // day 256, read as 0
    {2024, 1, 0, 257, 0, 0, 0, 0},   // day 257, read as 1
    {2024, 2, 0, 285, 0, 0, 0, 0},   // day 285, read as 29
    {2024, 1, 0, 1, 24, 0, 0, 0},    // hour
    {2024, 1, 0, 1, 0, 60, 0, 0},    // minute
    {2024, 1, 0, 1, 0, 0, 60, 0},    // second
    {2024, 1, 0, 1, 0, 0, 0, 1000},  // milliseconds
    {1600, 12, 0, 31, 0, 0, 0, 0},   // before 1601
    {30828, 1, 0, 1, 0, 0, 0, 0},    // after 30827
};

TEST(FileTimeTest, InvalidValuesAreRefused) {
  for (const auto& st : kBadDates) {
    FILETIME ft{1, 1};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&st, &ft)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  FILETIME top = FromTicks(0x8000000000000000ULL);
  SYSTEMTIME st{};
  EXPECT_FALSE(FileTimeToSystemTime(&top, &st));
  FILETIME a = FromTicks(5), b = FromTicks(0x100000000ULL);
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
  EXPECT_EQ(CompareFileTime(&b, &a), 1);
  EXPECT_EQ(CompareFileTime(&a, &a), 0);
}

class ClockTest : public ce::testing::DeviceTest {
 protected:
  // Central European time: UTC+1, summer time from the last Sunday of March 02:00 to the last
  // Sunday of October 03:00.
  static void UseCentralEuropeanTime() {
    TIME_ZONE_INFORMATION tz{};
    tz.Bias = -60;
    std::memcpy(tz.StandardName, u"CET", sizeof(u"CET"));
    tz.StandardDate = SYSTEMTIME{0, 10, 0, 5, 3, 0, 0, 0};
    std::memcpy(tz.DaylightName, u"CEST", sizeof(u"CEST"));
    tz.DaylightDate = SYSTEMTIME{0, 3, 0, 5, 2, 0, 0, 0};
    tz.DaylightBias = -60;
    ASSERT_TRUE(SetTimeZoneInformation(&tz));
  }
};

TEST_F(ClockTest, LocalTimeFollowsTheZoneAndItsDaylightRule) {
  UseCentralEuropeanTime();
  struct Case {
    SYSTEMTIME utc;
    WORD local_hour;
    DWORD zone_id;
  } cases[] = {
      {{2026, 1, 0, 15, 12, 0, 0, 0}, 13, TIME_ZONE_ID_STANDARD},
      {{2026, 3, 0, 29, 0, 59, 59, 999}, 1, TIME_ZONE_ID_STANDARD},  // just before the change
      {{2026, 3, 0, 29, 1, 0, 0, 0}, 3, TIME_ZONE_ID_DAYLIGHT},      // 02:00 local becomes 03:00
      {{2026, 6, 0, 1, 12, 0, 0, 0}, 14, TIME_ZONE_ID_DAYLIGHT},
      {{2026, 10, 0, 25, 0, 59, 59, 0}, 2, TIME_ZONE_ID_DAYLIGHT},
      {{2026, 10, 0, 25, 1, 0, 0, 0}, 2, TIME_ZONE_ID_STANDARD},     // 03:00 local goes back to 02:00
  };
  for (const auto& c : cases) {
    SetSystemTimeUtc(c.utc);
    SYSTEMTIME local{}, utc{};
    GetLocalTime(&local);
    GetSystemTime(&utc);
    EXPECT_EQ(utc.wHour, c.utc.wHour);
    EXPECT_EQ(local.wHour, c.local_hour) << c.utc.wMonth << "-" << c.utc.wDay << " " << c.utc.wHour;
    TIME_ZONE_INFORMATION tz{};
    EXPECT_EQ(GetTimeZoneInformation(&tz), c.zone_id);
    EXPECT_EQ(tz.Bias, -60);
  }

  // File times convert with the bias in force now (summer), whatever their own date.
  SetSystemTimeUtc(SYSTEMTIME{2026, 6, 0, 1, 12, 0, 0, 0});
  SYSTEMTIME winter{2026, 1, 0, 15, 12, 0, 0, 0};
  FILETIME utc{}, local{}, back{};
  SystemTimeToFileTime(&winter, &utc);
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(Ticks(local) - Ticks(utc), 2 * 36'000'000'000ULL);
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(Ticks(back), Ticks(utc));
  // File times the bias would carry out of range are refused, not wrapped.
  const FILETIME top = FromTicks(0x7FFFFFFFFFFFFFFFULL), negative = FromTicks(0x8000000000000000ULL);
  struct Edge {
    FILETIME time;
    BOOL (*convert)(const FILETIME*, LPFILETIME);
  } edges[] = {{top, FileTimeToLocalFileTime}, {negative, FileTimeToLocalFileTime}, {negative, LocalFileTimeToFileTime}};
  for (const Edge& e : edges) {
    SetLastError(0);
    EXPECT_FALSE(e.convert(&e.time, &local));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }

  // Setting the local time moves the device clock.
  SYSTEMTIME wanted{2026, 7, 0, 4, 9, 30, 0, 0}, now{};
  ASSERT_TRUE(SetLocalTime(&wanted));
  GetSystemTime(&now);
  EXPECT_EQ(now.wHour, 7);
  EXPECT_EQ(now.wMinute, 30);
}

TEST_F(ClockTest, SettingTheClockRefusesEveryFieldOutOfRange) {
  SYSTEMTIME before{};
  GetSystemTime(&before);
  for (const auto& st : kBadDates) {
    SetLastError(0);
    EXPECT_FALSE(SetSystemTime(&st)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SetLocalTime(&st)) << st.wYear << "-" << st.wMonth << "-" << st.wDay;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  SYSTEMTIME after{};
  GetSystemTime(&after);
  EXPECT_EQ(before.wYear, after.wYear);
  EXPECT_EQ(before.wMonth, after.wMonth);
  EXPECT_EQ(before.wDay, after.wDay);
}

TEST_F(ClockTest, ManualClockDrivesTicksCounterAndSystemTime) {
  DWORD ticks = GetTickCount();
  LARGE_INTEGER freq{}, before{}, after{};
  ASSERT_TRUE(QueryPerformanceFrequency(&freq));
  QueryPerformanceCounter(&before);
  SYSTEMTIME start{};
  GetSystemTime(&start);
  AdvanceClock(90'061'001);  // 1 day, 1 h, 1 min, 1 s, 1 ms
  QueryPerformanceCounter(&after);
  EXPECT_EQ(GetTickCount() - ticks, 90'061'001u);
  EXPECT_EQ((after.QuadPart - before.QuadPart) * 1000 / freq.QuadPart, 90'061'001);
  SYSTEMTIME now{};
  GetSystemTime(&now);
  EXPECT_EQ(now.wDay, start.wDay + 1);
  EXPECT_EQ(now.wHour, start.wHour + 1);
  EXPECT_EQ(now.wMinute, start.wMinute + 1);
  EXPECT_EQ(now.wSecond, start.wSecond + 1);
  EXPECT_EQ(now.wMilliseconds, start.wMilliseconds + 1);
}

TEST_F(ClockTest, DeviceClockIsSharedThroughTheDeviceFolder) {
  ce::kernel::RemoveManualClock();  // the real clock, moved by the device's offset
  SYSTEMTIME set{2031, 3, 0, 3, 10, 0, 0, 0}, now{};
  ASSERT_TRUE(SetSystemTime(&set));
  GetSystemTime(&now);
  EXPECT_EQ(now.wYear, 2031);
  EXPECT_EQ(now.wMonth, 3);
  EXPECT_EQ(now.wDay, 3);

  // Another process (or the control tool) moving the device clock is followed.
  std::filesystem::path other = device_folder() / "other-device";
  std::filesystem::create_directories(other);
  std::ofstream(other / "clock") << "offset_ms " << -365LL * 86'400'000 << "\n";
  ce::SetDeviceFolder(other);
  SYSTEMTIME host{};
  ce::SetDeviceFolder(device_folder() / "no-offset");
  GetSystemTime(&host);
  ce::SetDeviceFolder(other);
  GetSystemTime(&now);
  FILETIME a{}, b{};
  SystemTimeToFileTime(&now, &a);
  SystemTimeToFileTime(&host, &b);
  double days_behind = static_cast<double>(Ticks(b) - Ticks(a)) / 864'000'000'000.0;
  EXPECT_NEAR(days_behind, 365.0, 0.01);

  // An offset beyond any date the clock can hold counts as none.
  std::ofstream(other / "clock") << "offset_ms 99999999999999999\n";
  ce::SetDeviceFolder(device_folder() / "no-offset");
  GetSystemTime(&host);
  ce::SetDeviceFolder(other);
  GetSystemTime(&now);
  SystemTimeToFileTime(&now, &a);
  SystemTimeToFileTime(&host, &b);
  EXPECT_NEAR(static_cast<double>(Ticks(b)) - static_cast<double>(Ticks(a)), 0.0, 600'000'000.0);
}

}  // namespace
