// Date arithmetic on calendar records, and the build stamp.
#include <gtest/gtest.h>

#include <string>

#include "platform/text/utf.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

class Dates : public teskautils_test::TeskaUtilsTest {};

constexpr ULONGLONG kSecond = 10000000ull;
constexpr ULONGLONG kMinute = 600000000ull;
constexpr ULONGLONG kHour = 36000000000ull;
constexpr ULONGLONG kDay = 864000000000ull;

SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms = 0) {
  SYSTEMTIME t{};
  t.wYear = y;
  t.wMonth = mo;
  t.wDay = d;
  t.wHour = h;
  t.wMinute = mi;
  t.wSecond = s;
  t.wMilliseconds = ms;
  return t;
}

std::string Show(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow%u", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
  return text;
}

TEST_F(Dates, AddDiffMovesAcrossMonthsAndYears) {
  struct Case {
    SYSTEMTIME from;
    ULONGLONG unit;
    LONGLONG count;
    std::string expected;
  } cases[] = {
      {At(2026, 1, 1, 0, 30, 0), kDay, -1, "2025-12-31 00:30:00.000 dow3"},
      {At(2024, 3, 1, 8, 0, 0, 250), kDay, -1, "2024-02-29 08:00:00.250 dow4"},
      {At(2026, 6, 1, 12, 0, 0), kSecond, 10, "2026-06-01 12:00:10.000 dow1"},
      {At(2026, 6, 30, 23, 59, 0), kMinute, 2, "2026-07-01 00:01:00.000 dow3"},
      {At(2026, 6, 1, 1, 0, 0), kHour, -2, "2026-05-31 23:00:00.000 dow0"},
  };
  for (const Case& c : cases) {
    SYSTEMTIME result{};
    EXPECT_EQ(DT_AddDiff(&result, c.unit, c.count, &c.from), &result);
    EXPECT_EQ(Show(result), c.expected);
  }
  // A time that is no date, or a result before the calendar's start, leaves the time as it was.
  const SYSTEMTIME bad = At(2026, 13, 1, 0, 0, 0);
  SYSTEMTIME result{};
  DT_AddDiff(&result, kDay, 1, &bad);
  EXPECT_EQ(Show(result), Show(bad));
  const SYSTEMTIME early = At(1601, 1, 1, 0, 0, 0);
  DT_AddDiff(&result, kDay, -1, &early);
  EXPECT_EQ(Show(result), Show(early));
  // A product past 64 bits is past the calendar too, even where its low bits would be a few minutes.
  const SYSTEMTIME noon = At(2026, 6, 1, 12, 0, 0);
  DT_AddDiff(&result, 1ull << 33, (1ll << 31) + 1, &noon);
  EXPECT_EQ(Show(result), Show(noon));
}

TEST_F(Dates, PeriodsBetweenIsSymmetric) {
  const SYSTEMTIME a = At(2026, 6, 1, 12, 0, 0);
  const SYSTEMTIME b = At(2026, 6, 3, 18, 0, 30);
  EXPECT_DOUBLE_EQ(DT_PeriodsBetween(kDay, &a, &b), 2.25 + 30.0 / 86400);
  EXPECT_DOUBLE_EQ(DT_PeriodsBetween(kDay, &b, &a), DT_PeriodsBetween(kDay, &a, &b));
  EXPECT_EQ(static_cast<long long>(DT_PeriodsBetween(kSecond, &a, &b)), 194430);
  EXPECT_EQ(DT_PeriodsBetween(kMinute, &a, &a), 0.0);
  EXPECT_EQ(DT_PeriodsBetween(0, &a, &b), 0.0);
}

TEST_F(Dates, SumarSegundosCarriesUpToTheDay) {
  struct Case {
    SYSTEMTIME from;
    DWORD seconds;
    std::string expected;
  } cases[] = {
      {At(2026, 6, 1, 23, 59, 50), 15, "2026-06-02 00:00:05.000 dow0"},
      {At(2026, 6, 30, 23, 59, 59), 1, "2026-06-31 00:00:00.000 dow0"},  // the day is not carried further
      {At(2026, 6, 1, 10, 0, 0), 0, "2026-06-01 10:00:00.000 dow0"},
      {At(2026, 6, 1, 0, 0, 0), 7261, "2026-06-01 02:01:01.000 dow0"},
  };
  for (Case c : cases) {
    SumarSegundos(&c.from, c.seconds);
    EXPECT_EQ(Show(c.from), c.expected);
  }
}

TEST_F(Dates, BuildStamp) {
  WCHAR stamp[32];
  DameFechaCompilacion(stamp);
  const std::string text = ce::text::ToUtf8(stamp);  // "Dec 21 2007 - 15:20:15"
  ASSERT_EQ(text.size(), 22u) << text;
  EXPECT_EQ(text.substr(11, 3), " - ");
  EXPECT_EQ(text[16], ':');
  EXPECT_EQ(text[19], ':');
}

}  // namespace
