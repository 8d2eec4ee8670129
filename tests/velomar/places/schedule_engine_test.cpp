// The schedule engine: location changes and period boundaries run the end actions of the period
// left and the start actions of the period entered, once each, in the engine's order; the period
// notification; the day masks; a locked place and its expiry.
#include <gtest/gtest.h>

#include "tests/velomar/places/schedule_fixture.h"
#include "platform/time/time.h"
#include "velomar/core/ProgramNotifications.h"

namespace schedule_test {
namespace {

using Entries = std::vector<std::string>;

TEST_F(ScheduleTest, CellChangesEndThePeriodLeftAndStartThePeriodEntered) {
  const int home = AddPlace(u"Home", 101);
  const int day = AddPeriod(home, u"Day", 8, 0, 18, 0);
  EXPECT_EQ(day, 0);  // the first period's key is 0: its first start is no repeat
  AddAction(day, MGR_WIFI, 0, 1);
  AddAction(day, MGR_WIFI, 1, 0);
  const int work = AddPlace(u"Work", 202);
  const int office = AddPeriod(work, u"Office", 9, 0, 17, 0);
  AddAction(office, MGR_BT, 0, 1);

  MoveTo(101);
  EXPECT_EQ(Await(1), Entries{Entry(MGR_WIFI, 1, 0, 0, 0)});
  EXPECT_EQ(CConfig::GetInstance()->GetDWORD(u"last_place"), static_cast<DWORD>(home));
  EXPECT_EQ(m_engine->GetCurrentPeriod().GetKey(), day);
  auto pending = PendingNotifications();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].arguments, "timer_notification_07_00");  // the end of "Day", today
  EXPECT_EQ(pending[0].start.wDay, 1);
  EXPECT_EQ(pending[0].start.wHour, 18);

  // The same cell again changes nothing.
  m_engine->StatusChanged(0, MGR_RIL, RIL_EVENT_POSITION);
  m_engine->StatusChanged(0, MGR_RIL, kEventRefreshed);
  EXPECT_EQ(Await(1), Entries{});

  MoveTo(202);
  EXPECT_EQ(Await(2), (Entries{Entry(MGR_WIFI, 0, 0, 0, 0), Entry(MGR_BT, 1, 0, 0, 0)}));
  EXPECT_EQ(CConfig::GetInstance()->GetDWORD(u"last_place"), static_cast<DWORD>(work));
  pending = PendingNotifications();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].start.wHour, 17);
  EXPECT_EQ(EngineEvents(), (Entries{"Home: Day starts", "Home: Day ends", "Work: Office starts"}));
}

TEST_F(ScheduleTest, ABurstOfMovesEndsThePeriodLeftFirstAndStartsOnlyTheLastOne) {
  // Four places, each in force all day: its start sets Wi-Fi, its end Bluetooth, to its number.
  int periods[5] = {};
  for (int n = 1; n <= 4; ++n) {
    const int place = AddPlace(ce::text::Format(u"P%d", n), 100 + n);
    periods[n] = AddPeriod(place, u"All", 0, 0, 0, 0);
    AddAction(periods[n], MGR_WIFI, 0, n);
    AddAction(periods[n], MGR_BT, 1, n);
  }
  MoveTo(101);
  ASSERT_EQ(Await(1), Entries{Entry(MGR_WIFI, 1, 0, 0, 0)});
  // Three location events are queued before the engine has taken the first (it waits at the
  // database); each then finds the phone somewhere new, so the transitions they queue come behind
  // all three.
  {
    std::lock_guard<std::recursive_mutex> hold(m_db->GetLock());
    MoveTo(102);
    m_engine->StatusChanged(1, MGR_RIL, RIL_EVENT_POSITION);
    m_engine->StatusChanged(1, MGR_RIL, RIL_EVENT_POSITION);
  }
  // The engine pauses on the clock after each command: moved a millisecond at a time, it takes
  // the next one only once the test has seen the last one done.
  for (int cell : {102, 103, 104}) {
    if (cell != 102) MoveTo(cell);
    ASSERT_TRUE(DriveClockUntil([&] { return m_engine->GetCurrentLocationValue() == cell; }, 20'000, 1)) << cell;
  }
  // Only the place left first ends (the others never started), and then the last one starts.
  EXPECT_EQ(Await(2), (Entries{Entry(MGR_BT, 1, 0, 0, 0), Entry(MGR_WIFI, 4, 0, 0, 0)}));
  EXPECT_EQ(m_engine->GetCurrentPeriod().GetKey(), periods[4]);
  DriveClockUntil([&] { return EngineEvents().size() >= 3; });
  EXPECT_EQ(EngineEvents(), (Entries{"P1: All starts", "P1: All ends", "P4: All starts"}));
}

TEST_F(ScheduleTest, ManagersAreSetInOrderWithForwardingAndPhoneAfterTheOthersAndPowerLast) {
  const struct {
    const char* what;
    int phone, power;
    Entries expected;
  } cases[] = {
      {"phone off", 1, 0x10000,
       {Entry(MGR_SPEAKER, 1, 0, 0, 0) + "~3", Entry(MGR_WIFI, 1, 0, 0, 0), Entry(MGR_CALLFORWARD, 1, 0, 0, 0) + "#600111222",
        Entry(MGR_PHONE, 1, 0, 10000, 0), Entry(MGR_CPU, 0x10000, 0, 0, 0)}},
      {"phone on, then a reset", 0, 0x800000,
       {Entry(MGR_SPEAKER, 1, 0, 0, 0) + "~3", Entry(MGR_WIFI, 1, 0, 0, 0), Entry(MGR_PHONE, 0, 0, 0, 0),
        Entry(MGR_CALLFORWARD, 1, 0, 0, 10000) + "#600111222", Entry(MGR_CPU, 0x800000, 0, 0, 10000)}},
  };
  int cell = 300;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int place = AddPlace(u"P", ++cell);
    const int period = AddPeriod(place, u"All", 0, 0, 0, 0);
    AddAction(period, MGR_PHONE, 0, c.phone);
    AddAction(period, MGR_CPU, 0, c.power);
    AddAction(period, MGR_CALLFORWARD, 0, 1, 0, u"600111222");
    AddAction(period, MGR_SPEAKER, 0, 1, 0, u"", 3);
    AddAction(period, MGR_WIFI, 0, 1);
    MoveTo(cell);
    EXPECT_EQ(Await(c.expected.size()), c.expected);
  }
}

TEST_F(ScheduleTest, DayMasksDisabledActionsAndMissingManagersAreSkippedAndLogged) {
  const int place = AddPlace(u"Home", 101);
  const int period = AddPeriod(place, u"Day", 8, 0, 18, 0);
  // Digits from the left: Sunday, Saturday, ..., Monday, then the disable flag. Today is a Monday.
  AddAction(period, MGR_WIFI, 0, 1, 0);              // every day
  AddAction(period, MGR_BT, 0, 1, 10);               // not on Mondays
  AddAction(period, MGR_BAND, 0, 1, 10000000);       // not on Sundays
  AddAction(period, MGR_CONNECTIONS, 0, 1, 1);       // disabled
  AddAction(period, MGR_BEAM, 0, 1, 0);              // no such manager here
  AddAction(period, MGR_BACKLIGHT, 0, 1, 100);       // not on Tuesdays
  AddAction(period, 77, 0, 1, 0);                    // no such kind
  MoveTo(101);
  EXPECT_EQ(Await(3), (Entries{Entry(MGR_WIFI, 1, 0, 0, 0), Entry(MGR_BAND, 1, 0, 0, 0), Entry(MGR_BACKLIGHT, 1, 0, 0, 0)}));
  DriveClockUntil([&] { return EngineEvents().size() >= 5; });
  EXPECT_EQ(EngineEvents(), (Entries{"Home: Day starts", "Manager 1: action skipped", "Data connections: action skipped",
                                     "Unknown action 50: action skipped", "Unknown action 77: action skipped"}));
}

TEST_F(ScheduleTest, AnEndedPeriodIsNoLongerInForceAndASecondEndIsOnlyLogged) {
  const int place = AddPlace(u"Home", 101);
  const int period = AddPeriod(place, u"Day", 8, 0, 18, 0);
  AddAction(period, MGR_WIFI, 0, 1);
  AddAction(period, MGR_WIFI, 1, 0);
  const int work = AddPlace(u"Work", 202);
  AddPeriod(work, u"Office", 9, 0, 17, 0);
  MoveTo(101);
  ASSERT_EQ(Await(1).size(), 1u);
  SetNow(1, 18, 0);
  {
    // The boundary comes twice before the engine runs either (held at the database).
    std::lock_guard<std::recursive_mutex> hold(m_db->GetLock());
    m_engine->OnTimerNotification(kPeriodNotificationId, 0);
    m_engine->OnTimerNotification(kPeriodNotificationId, 0);
  }
  EXPECT_EQ(Await(1), Entries{Entry(MGR_WIFI, 0, 0, 0, 0)});
  DriveClockUntil([&] { return EngineEvents().size() >= 3; });
  EXPECT_EQ(EngineEvents(), (Entries{"Home: Day starts", "Home: Day ends", "The actions of this period already ran"}));
  // Once ended, the period is no longer in force: leaving the place ends nothing a third time.
  EXPECT_EQ(m_engine->GetCurrentPeriod().GetKey(), -1);
  MoveTo(202);
  EXPECT_EQ(Await(1), Entries{});
  EXPECT_EQ(EngineEvents().size(), 3u);
  // No period of work holds 18:00 and none starts later today: tomorrow's start is armed.
  const auto pending = PendingNotifications();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].arguments, "timer_notification_07_01");
  EXPECT_EQ(pending[0].start.wDay, 2);
  EXPECT_EQ(pending[0].start.wHour, 9);
}

TEST_F(ScheduleTest, ANewEngineClearsTheBoundariesAnEarlierInstanceLeftArmed) {
  // What a killed instance leaves behind: its next boundary, and another manager's time limit.
  StopWhileDriving([] { CScheduleEngine::DeleteInstance(); });
  SYSTEMTIME at{};
  GetLocalTime(&at);
  at.wHour = 18;
  ASSERT_NE(velomar::ArmProgramNotificationAt(u"timer_notification_07_00", at), nullptr);
  ASSERT_NE(velomar::ArmProgramNotificationAt(u"timer_notification_03_05", at), nullptr);
  m_engine = CScheduleEngine::GetInstance();
  const auto pending = PendingNotifications();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].arguments, "timer_notification_03_05");
}

TEST_F(ScheduleTest, BoundaryNotificationAtTheMinuteNowIsForTodayAndOneEarlierForTomorrow) {
  SetNow(1, 12, 30);
  m_engine->SetPeriodNotification(0, 12, 30);
  auto pending = PendingNotifications();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].arguments, "timer_notification_07_00");
  EXPECT_EQ(pending[0].start.wDay, 1);
  EXPECT_EQ(pending[0].start.wHour, 12);
  EXPECT_EQ(pending[0].start.wMinute, 30);
  EXPECT_EQ(pending[0].start.wSecond, 0);
  m_engine->SetPeriodNotification(1, 12, 29);  // replaces the first
  pending = PendingNotifications();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].arguments, "timer_notification_07_01");
  EXPECT_EQ(pending[0].start.wDay, 2);
  EXPECT_EQ(pending[0].start.wMinute, 29);
}

TEST_F(ScheduleTest, APeriodPastMidnightHoldsTheNightUpToItsEnd) {
  const int place = AddPlace(u"Home", 0);
  const int night = AddPeriod(place, u"Night", 22, 0, 6, 0);
  const struct {
    int day, hour, minute;
    bool holds;
  } cases[] = {{1, 23, 30, true}, {2, 0, 0, true}, {2, 5, 59, true}, {2, 6, 0, false}, {1, 21, 59, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.hour) + ":" + std::to_string(c.minute));
    SetNow(c.day, c.hour, c.minute);
    CStrPeriod period;
    EXPECT_EQ(m_engine->FindFrameNow(period, place), c.holds);
    if (c.holds) {
      EXPECT_EQ(period.GetKey(), night);
    }
  }
}

TEST_F(ScheduleTest, ALockedPlaceRunsItsPeriodUntilTheLockExpires) {
  const int home = AddPlace(u"Home", 101);
  const int day = AddPeriod(home, u"Day", 8, 0, 18, 0);
  AddAction(day, MGR_WIFI, 0, 1);
  AddAction(day, MGR_WIFI, 1, 0);
  const int office_place = AddPlace(u"Office", 0);
  const int office = AddPeriod(office_place, u"Desk", 9, 0, 17, 0);
  AddAction(office, MGR_BT, 0, 1);
  AddAction(office, MGR_BT, 1, 0);
  MoveTo(101);
  ASSERT_EQ(Await(1).size(), 1u);

  CStrPlace locked;
  locked.SetIdPlace(office_place);
  ASSERT_TRUE(m_db->GetPlacesTable()->FindAndFill(locked));
  m_engine->LockPlace(locked);
  EXPECT_EQ(Await(2), (Entries{Entry(MGR_WIFI, 0, 0, 0, 0), Entry(MGR_BT, 1, 0, 0, 0)}));
  EXPECT_TRUE(m_engine->IsLocked());
  EXPECT_EQ(m_engine->GetCurrentPlace().GetName(), u"Office");
  auto pending = PendingNotifications();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0].start.wHour, 17);
  // Location events are not followed while locked.
  m_engine->StatusChanged(0, MGR_RIL, RIL_EVENT_POSITION);
  EXPECT_EQ(Await(1), Entries{});
  // Its time is up: the locked period ends and the location's period starts again.
  m_engine->OnTimerNotification(kLockNotificationId, 999);
  EXPECT_EQ(Await(2), (Entries{Entry(MGR_BT, 0, 0, 0, 0), Entry(MGR_WIFI, 1, 0, 0, 0)}));
  EXPECT_FALSE(m_engine->IsLocked());
  EXPECT_EQ(m_engine->GetCurrentPeriod().GetKey(), day);
  // A second expiry finds no lock and does nothing.
  m_engine->OnTimerNotification(kLockNotificationId, 999);
  EXPECT_EQ(Await(1), Entries{});
}

TEST_F(ScheduleTest, ACellOfAPlaceThatIsGoneIsDroppedAndTheDefaultPlaceTaken) {
  CStrCell stale;
  stale.SetValue(303);
  stale.SetPlace(99);  // no such place
  m_db->GetCellsTable()->Insert(stale);
  const int period = AddPeriod(0, u"Always", 0, 0, 0, 0);  // of the default place
  AddAction(period, MGR_WIFI, 0, 1);
  SetSetting(u"last_place", 5);
  MoveTo(303);
  EXPECT_EQ(Await(1), Entries{Entry(MGR_WIFI, 1, 0, 0, 0)});
  CStrCell check;
  check.SetValue(303);
  EXPECT_FALSE(m_db->GetCellsTable()->FindAndFill(check));
  EXPECT_EQ(CConfig::GetInstance()->GetDWORD(u"last_place"), 0u);
}

TEST_F(ScheduleTest, APhoneChangeReappliesTheConnectionStartActionsOfThePeriodNow) {
  const int place = AddPlace(u"Home", 101);
  const int period = AddPeriod(place, u"Day", 8, 0, 18, 0);
  AddAction(period, MGR_CONNECTIONS, 0, 2);
  AddAction(period, MGR_CONNECTIONS, 1, 0);     // its end: not re-applied
  AddAction(period, MGR_CONNECTIONS, 0, 1, 1);  // disabled
  AddAction(period, MGR_WIFI, 0, 1);
  MoveTo(101);
  EXPECT_EQ(Await(2), (Entries{Entry(MGR_CONNECTIONS, 2, 0, 0, 0), Entry(MGR_WIFI, 1, 0, 0, 0)}));
  m_connections->StatusChanged(0, MGR_PHONE, 0);
  EXPECT_EQ(Await(1), Entries{Entry(MGR_CONNECTIONS, 2, 0, 0, 0)});
  m_connections->StatusChanged(0, MGR_PHONE, kEventRefreshed);  // other events are not followed
  m_connections->StatusChanged(0, MGR_BAND, 0);
  EXPECT_EQ(Await(1), Entries{});
  // Outside every period nothing is applied.
  SetNow(1, 20, 0);
  m_connections->StatusChanged(0, MGR_PHONE, 0);
  EXPECT_EQ(Await(1), Entries{});
}

}  // namespace
}  // namespace schedule_test
