// The records in memory: the day mask of an action, periods that end the same day, the texts of
// ToString, and the daily time frames with their containment and overlap rules.
#include <gtest/gtest.h>

#include <string>

#include "platform/time/time.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/places/Records.h"
#include "velomar/places/TimeFrame.h"

namespace {

class RecordsTest : public velomar_test::VelomarTest {
 protected:
  // The clock (time zone UTC) at noon of a day of June 2026 (the 1st is a Monday).
  static void SetDay(WORD day) {
    SYSTEMTIME utc{};
    utc.wYear = 2026;
    utc.wMonth = 6;
    utc.wDay = day;
    utc.wHour = 12;
    SetSystemTimeUtc(utc);
  }
};

TEST_F(RecordsTest, TheDayMaskReadsTodaysDigitForEveryWeekday) {
  CStrAction alternate;  // Sunday '0', Saturday '1', Friday '0', ... Monday '0'; enabled
  alternate.SetIntOp2(1010100);
  CStrAction inverse;  // the other days; enabled
  inverse.SetIntOp2(10101010);
  EXPECT_EQ(alternate.DayMaskText(), u"01010100");
  EXPECT_EQ(inverse.DayMaskText(), u"10101010");
  const struct {
    WORD day;
    WORD weekday;
    bool runs;  // alternate.IsOffToday(); inverse answers the opposite
  } cases[] = {
      {7, 0, true}, {1, 1, true}, {2, 2, false}, {3, 3, true}, {4, 4, false}, {5, 5, true}, {6, 6, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.weekday);
    SetDay(c.day);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    ASSERT_EQ(now.wDayOfWeek, c.weekday);
    EXPECT_EQ(alternate.IsOffToday(), c.runs);
    EXPECT_EQ(inverse.IsOffToday(), !c.runs);
  }
}

TEST_F(RecordsTest, TheEnableDigitAndTheStoredMinusOne) {
  const struct {
    int mask;
    std::u16string text;
    bool enabled;
  } cases[] = {{1, u"00000001", false}, {0, u"00000000", true}, {11111110, u"11111110", true},
               {3, u"00000003", false}, {-1, u"00000000", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mask);
    CStrAction action;
    action.SetIntOp2(c.mask);
    EXPECT_EQ(action.DayMaskText(), c.text);
    EXPECT_EQ(action.IsEnabled(), c.enabled);
  }
  CStrAction all_days;  // mask 0 runs on every day
  for (WORD day = 1; day <= 7; ++day) {
    SetDay(day);
    EXPECT_TRUE(all_days.IsOffToday());
  }
  CStrAction copied;
  copied.SetIntOp2(-1);
  EXPECT_EQ(CStrAction(copied).GetIntOp2(), 0);
}

TEST_F(RecordsTest, DefaultsAndResetOfTheRecords) {
  SetDay(3);
  CStrAction action;
  EXPECT_EQ(action.GetKind(), -1);
  EXPECT_EQ(action.GetIdPeriod(), -1);
  EXPECT_EQ(action.GetIntOp1(), -1);
  EXPECT_EQ(action.GetIntOp2(), 0);
  EXPECT_EQ(action.GetIntOp3(), -1);
  EXPECT_EQ(action.GetStOp2().wDay, 3);
  action.SetKey(9);
  action.SetTrigger(1);
  action.SetId(4);
  action.SetKind(2);
  action.SetSzOp1(u"x");
  action.Reset();
  EXPECT_EQ(action.GetKey(), 9);
  EXPECT_EQ(action.GetTrigger(), 1);
  EXPECT_EQ(action.GetId(), 4u);
  EXPECT_EQ(action.GetKind(), -1);
  EXPECT_TRUE(action.GetSzOp1().empty());

  CStrPlace place(u"Home", u"d", u"i.png", 3);
  place.SetId(8);
  place.Reset();
  EXPECT_EQ(place.GetIdPlace(), -1);
  EXPECT_EQ(place.GetId(), 0u);
  EXPECT_TRUE(place.GetName().empty());

  CStrLAC lac;
  lac.SetId(5);
  lac.SetValue(7);
  lac.Reset();
  EXPECT_EQ(lac.GetId(), 0u);
  EXPECT_EQ(lac.GetValue(), 0);
  CStrCell cell;
  cell.SetId(5);
  cell.Reset();
  EXPECT_EQ(cell.GetId(), 5u);  // only the LAC record clears its object id
}

TEST_F(RecordsTest, EndsSameDay) {
  const struct {
    WORD bh, bm, eh, em;
    bool same_day;
  } cases[] = {{22, 0, 0, 30, true},  {22, 0, 6, 0, false}, {8, 0, 8, 0, true},
               {8, 30, 8, 29, false}, {8, 0, 17, 0, true},  {23, 59, 0, 0, true}};
  for (const auto& c : cases) {
    CStrPeriod period;
    SYSTEMTIME begin{}, end{};
    begin.wHour = c.bh;
    begin.wMinute = c.bm;
    end.wHour = c.eh;
    end.wMinute = c.em;
    period.SetBegin(begin);
    period.SetEnd(end);
    EXPECT_EQ(period.EndsSameDay(), c.same_day) << c.bh << ":" << c.bm << "-" << c.eh << ":" << c.em;
  }
}

TEST_F(RecordsTest, ToStringIsCutAtFortyNineCharacters) {
  WCHAR buffer[50];
  CStrCell cell;
  cell.SetValue(12);
  cell.SetPlace(3);
  cell.ToString(buffer);
  EXPECT_EQ(std::u16string(buffer), u"CStrCell:[0,12,3]");
  CStrPlace place(std::u16string(80, u'n'), u"d", u"i", 1);
  place.ToString(buffer);
  const std::u16string text(buffer);
  EXPECT_EQ(text.size(), 49u);
  EXPECT_EQ(text.substr(0, 18), u"CStrPlace:[0,1,nnn");
}

TEST_F(RecordsTest, TimeFrameContainment) {
  const CTimeFrame morning({8, 0}, {12, 0});
  const CTimeFrame night({22, 0}, {6, 0});
  const struct {
    const CTimeFrame* frame;
    CHourMinute time;
    bool inclusive;
    bool contained;
  } cases[] = {
      {&morning, {8, 0}, true, true},   {&morning, {12, 0}, true, false}, {&morning, {12, 0}, false, true},
      {&morning, {8, 0}, false, false}, {&morning, {7, 59}, true, false}, {&night, {23, 59}, true, true},
      {&night, {0, 0}, true, true},     {&night, {5, 59}, true, true},    {&night, {6, 0}, true, false},
      {&night, {21, 59}, true, false},  {&night, {22, 0}, false, false},  {&night, {22, 1}, false, true},
      {&night, {6, 0}, false, true},    {&night, {6, 1}, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.frame->ContainsTime(c.time, c.inclusive), c.contained)
        << c.time.GetHour() << ":" << c.time.GetMinute() << " inclusive " << c.inclusive;
  }
  EXPECT_TRUE(morning.Contains(CTimeFrame({11, 59}, {12, 0})));
  EXPECT_FALSE(morning.Contains(CTimeFrame({11, 0}, {13, 0})));
  EXPECT_TRUE(CTimeFrame({10, 0}, {10, 0}).IsEmpty());
}

TEST_F(RecordsTest, TimeFrameOverlaps) {
  const struct {
    CTimeFrame a, b;
    bool intersect;
  } cases[] = {
      {{{8, 0}, {12, 0}}, {{12, 0}, {14, 0}}, false},   // adjacent
      {{{12, 0}, {14, 0}}, {{8, 0}, {12, 0}}, false},
      {{{8, 0}, {12, 0}}, {{11, 59}, {14, 0}}, true},
      {{{8, 0}, {18, 0}}, {{12, 0}, {13, 0}}, true},    // inside
      {{{12, 0}, {13, 0}}, {{8, 0}, {18, 0}}, true},    // around
      {{{10, 0}, {10, 0}}, {{1, 0}, {2, 0}}, true},     // the whole day
      {{{1, 0}, {2, 0}}, {{10, 0}, {10, 0}}, true},
      {{{22, 0}, {6, 0}}, {{5, 0}, {7, 0}}, true},      // past midnight
      {{{22, 0}, {6, 0}}, {{6, 0}, {22, 0}}, false},
      {{{18, 0}, {0, 0}}, {{20, 0}, {0, 0}}, true},     // past midnight, the same end
      {{{20, 0}, {0, 0}}, {{18, 0}, {0, 0}}, true},
      {{{22, 0}, {6, 0}}, {{23, 0}, {6, 0}}, true},
      {{{23, 0}, {6, 0}}, {{22, 0}, {6, 0}}, true},
      {{{18, 0}, {22, 0}}, {{22, 0}, {6, 0}}, false},   // adjacent at the night's start
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.a.Intersects(c.b), c.intersect)
        << c.a.GetStart().GetHour() << "-" << c.a.GetEnd().GetHour() << " with " << c.b.GetStart().GetHour() << "-"
        << c.b.GetEnd().GetHour();
  }
}

TEST_F(RecordsTest, HourMinuteOrderAndFrameOfAPeriod) {
  EXPECT_LT(CHourMinute(7, 59), CHourMinute(8, 0));
  EXPECT_GE(CHourMinute(8, 0), CHourMinute(8, 0));
  EXPECT_LT(CHourMinute(-1, 0), CHourMinute(0, 0));  // signed
  SYSTEMTIME time{};
  time.wHour = 9;
  time.wMinute = 15;
  time.wSecond = 59;
  EXPECT_EQ(CHourMinute(time), CHourMinute(9, 15));
  CStrPeriod period;
  period.SetBegin(time);
  const CTimeFrame frame(period);
  EXPECT_EQ(frame.GetStart(), CHourMinute(9, 15));
  EXPECT_EQ(frame.GetEnd(), CHourMinute());
}

}  // namespace
