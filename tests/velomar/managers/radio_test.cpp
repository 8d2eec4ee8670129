// The radio interface manager: the signal percentage, positions into the cell history, the event
// log and the listeners, the battery and its log, and the location refresh modes.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/files/ce_path.h"
#include "platform/notify/notify.h"
#include "tests/velomar/managers/radio_fixture.h"
#include "velomar/core/ProgramNotifications.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/ui/Translator.h"

namespace {

using velomar_test::StatusRecorder;

std::vector<BYTE> SignalRecord(DWORD mask, int strength, int minimum, int maximum) {
  std::vector<BYTE> record(kRilSignalQualitySize, 0);
  const DWORD words[] = {kRilSignalQualitySize, mask, static_cast<DWORD>(strength), static_cast<DWORD>(minimum),
                         static_cast<DWORD>(maximum)};
  std::memcpy(record.data(), words, sizeof words);
  return record;
}

TEST(SignalPercent, Table) {
  constexpr DWORD kBoth = RIL_PARAM_SQ_SIGNALSTRENGTH | RIL_PARAM_SQ_MINSIGNALSTRENGTH;
  const struct {
    const char* name;
    DWORD mask;
    int s, lo, hi;
    int expected;
  } cases[] = {
      {"no bits", 0, -75, -113, -51, -1},
      {"strength missing", RIL_PARAM_SQ_MINSIGNALSTRENGTH | RIL_PARAM_SQ_MAXSIGNALSTRENGTH, -75, -113, -51, -1},
      {"minimum missing", RIL_PARAM_SQ_SIGNALSTRENGTH | RIL_PARAM_SQ_MAXSIGNALSTRENGTH, -75, -113, -51, -1},
      {"at the maximum", kBoth, -51, -113, -51, 100},
      {"at the minimum", kBoth, -113, -113, -51, 0},
      {"middle", kBoth, -82, -113, -51, 50},
      {"odd range, midpoint truncated toward zero", kBoth, -50, -113, -50, 98},
      {"at the maximum of a range above zero, past 100", kBoth, 31, 0, 31, 103},
      {"below the minimum, not clamped", kBoth, -120, -113, -51, -11},
      {"maximum equal to the minimum", kBoth, -70, -70, -70, -1},
      {"extreme values do not overflow", kBoth, INT32_MAX, INT32_MIN, INT32_MAX, 99},
  };
  for (const auto& c : cases) {
    const auto record = SignalRecord(c.mask, c.s, c.lo, c.hi);
    EXPECT_EQ(SignalPercentOf(record.data(), static_cast<DWORD>(record.size())), c.expected) << c.name;
  }
  const auto full = SignalRecord(kBoth, -51, -113, -51);
  EXPECT_EQ(SignalPercentOf(full.data(), 19), -1) << "too short to hold the maximum";
  EXPECT_EQ(SignalPercentOf(nullptr, 24), -1);
}

class RilMgrTest : public velomar_test::RadioTest {
 protected:
  std::u16string Text(const char16_t* id) { return CTranslator::GetInstance()->GetText(id); }

  // The battery log decoded as UTF-16LE by hand, independently of the program's writer.
  std::u16string ReadBatteryLog() {
    std::ifstream in(ce::files::HostPath(u"\\Program Files\\Velomar\\log_battery.txt"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
  }
};

TEST_F(RilMgrTest, ANewPositionIsRecordedLoggedAndFiredOnce) {
  SetSetting(u"allow_ril_notifications", 1);
  const int home = AddPlaceWithCell(u"Home", 1234);
  CRilMgr ril;
  StatusRecorder listener;
  ril.AddStatusListener(&listener);
  ril.Initialize();
  CCellHistory* history = CCellHistory::GetInstance();
  ASSERT_TRUE(WaitFor([&] { return history->GetCount() >= 1; })) << "the first answer is a position";

  ce::device::Update([](ce::device::Transaction& t) {
    t.SetInt("radio.cell", 1234);
    t.SetInt("radio.lac", 56);
  });
  ASSERT_TRUE(WaitFor([&] { return ril.GetCellId() == 1234 && ril.GetLac() == 56; }));
  // The history takes the entry after the current values change.
  ASSERT_TRUE(WaitFor([&] {
    std::lock_guard<std::recursive_mutex> lock(history->GetLock());
    CCellRecord* newest = history->GetAt(0);
    return newest != nullptr && newest->GetCellId(false) == 1234u;
  }));
  {
    std::lock_guard<std::recursive_mutex> lock(history->GetLock());
    CCellRecord* newest = history->GetAt(0);
    ASSERT_NE(newest, nullptr);
    EXPECT_EQ(newest->GetCellId(true), 1234u);
    EXPECT_EQ(newest->GetLac(false), 56u);
    EXPECT_EQ(newest->GetText(), u"Home");
    EXPECT_EQ(newest->GetPlaceId(), home);
    EXPECT_TRUE(newest->IsFromNotification());
  }
  ASSERT_TRUE(DriveUntil([&] { return LoggedWithResume(u"Position: cell 1234, LAC 56") == 1; }));
  CEventRecord record;
  for (int i = 0; Log()->GetRecord(i, record); ++i) {
    if (record.GetResume() != u"Position: cell 1234, LAC 56") continue;
    EXPECT_EQ(record.GetMgrId(), MGR_RIL);
    EXPECT_EQ(record.GetDescription(), u"The position changed from cell 1001, LAC 10 to cell 1234, LAC 56");
  }
  // The start-up answer and the notification, each announced once.
  EXPECT_TRUE(WaitFor([&] { return listener.CountEvent(RIL_EVENT_POSITION) == 2; }));
  EXPECT_EQ(ril.GetNotifyCount(), 1u);

  // The same position again: nothing recorded or logged.
  const int entries = history->GetCount();
  ril.PositionChanged(1234, 56, 0);
  EXPECT_EQ(history->GetCount(), entries);
  DriveUntil([] { return false; }, 40);
  EXPECT_EQ(LoggedWithResume(u"Position: cell 1234, LAC 56"), 1);

  // A cell of no place, then the place renamed: the history shows the new name once refreshed.
  ril.PositionChanged(999, 56, 0);
  {
    std::lock_guard<std::recursive_mutex> lock(history->GetLock());
    EXPECT_EQ(history->GetAt(0)->GetText(), Text(u"UNKNOWN"));
    EXPECT_EQ(history->GetAt(0)->GetPlaceId(), 0);
  }
  CStrPlace place;
  place.SetIdPlace(home);
  ASSERT_TRUE(db().GetPlacesTable()->FindAndFill(place));
  place.SetName(u"Casa");
  db().GetPlacesTable()->Update(place);
  history->Refresh();
  std::lock_guard<std::recursive_mutex> lock(history->GetLock());
  EXPECT_EQ(history->GetAt(1)->GetText(), u"Casa");
  EXPECT_EQ(history->GetAt(0)->GetText(), Text(u"UNKNOWN"));
  ril.RemoveStatusListener(&listener);
}

TEST_F(RilMgrTest, BatteryChangeFiresAndAppendsAUtf16Line) {
  CRilMgr ril;
  StatusRecorder listener;
  ril.AddStatusListener(&listener);
  ril.Initialize();
  ASSERT_EQ(ril.GetBatteryPercent(), 80);
  ce::device::SetInt("battery.percent", 15);
  ASSERT_TRUE(WaitFor([&] { return ril.GetBatteryPercent() == 15; }));
  ASSERT_TRUE(WaitFor([&] { return listener.CountEvent(RIL_EVENT_BATTERY) >= 1; }));
  EXPECT_TRUE(DriveUntil([&] { return LoggedWithResume(u"Battery 15%") == 1; }));

  ASSERT_TRUE(WaitFor([&] { return ReadBatteryLog().size() >= 2u * 26u; }));
  const std::u16string log = ReadBatteryLog();
  ASSERT_EQ(log.size(), 2u * 26u) << "one line at start (80%), one for the change";
  const std::regex line(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}%\r\n)");
  for (std::size_t at = 0; at < log.size(); at += 26) {
    std::string narrow(log.begin() + static_cast<long>(at), log.begin() + static_cast<long>(at + 26));
    EXPECT_TRUE(std::regex_match(narrow, line)) << narrow;
  }
  EXPECT_EQ(log.substr(0, 26), u"2026-06-01 12:00:00 080%\r\n");
  EXPECT_EQ(log.substr(26 + 20, 6), u"015%\r\n");
  ril.RemoveStatusListener(&listener);
}

TEST_F(RilMgrTest, ALogThatWouldPassItsLimitStartsOverWithOneLine) {
  {
    std::ofstream out(ce::files::HostPath(u"\\Program Files\\Velomar\\log_battery.txt"), std::ios::binary);
    out << std::string(30700, 'x');
  }
  CRilMgr ril;
  ril.SetBatteryPercent(255);
  EXPECT_EQ(ril.GetBatteryPercent(), 100);
  ril.AppendBatteryLog();
  EXPECT_EQ(ReadBatteryLog(), u"2026-06-01 12:00:00 100%\r\n");
  ril.AppendBatteryLog();
  EXPECT_EQ(ReadBatteryLog().size(), 52u);
}

TEST_F(RilMgrTest, PollModeQueriesAtStartAndEveryInterval) {
  SetSetting(u"refresh_location", 5);
  CRilMgr ril;
  ril.Initialize();
  EXPECT_EQ(ril.GetRefreshMode(), 1);
  // The start-up refresh and the poll thread's first pass query at once; when the second query
  // goes out before the first answer is in, that answer is no longer the one awaited.
  ASSERT_TRUE(WaitFor([&] { return ril.GetCellAnswerCount() >= 1 && ril.GetResultCount() >= 3; }));
  DWORD expected = 0;
  for (int pass = 0; pass < 2; ++pass) {
    // Real time for the poll thread to reach its wait (the machine may be busy) and for a late
    // answer to the start-up queries to come in, then the clock to just before the next pass.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    expected = (pass == 0 ? ril.GetCellAnswerCount() : expected) + 1;
    AdvanceClock(5 * 60000 - 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(ril.GetCellAnswerCount(), expected - 1);
    AdvanceClock(2000);
    EXPECT_TRUE(WaitFor([&] { return ril.GetCellAnswerCount() == expected; }));
  }
  int armed = 0;
  velomar::ForEachProgramNotification([&](HANDLE, const std::u16string&) { ++armed; });
  EXPECT_EQ(armed, 0) << "the poll mode arms no notification";
}

// The pending notifications of this executable: (handle, arguments, start time).
struct Armed {
  HANDLE handle;
  std::u16string arguments;
  SYSTEMTIME start;
};
std::vector<Armed> ArmedNotifications() {
  std::vector<Armed> found;
  velomar::ForEachProgramNotification([&](HANDLE handle, const std::u16string& arguments) {
    std::vector<BYTE> buffer(1024);
    DWORD needed = 0;
    SYSTEMTIME start{};
    if (CeGetUserNotification(handle, static_cast<UINT>(buffer.size()), &needed, buffer.data()))
      start = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer.data())->pcent->stStartTime;
    found.push_back({handle, arguments, start});
  });
  return found;
}

TEST_F(RilMgrTest, TimerModeArmsANotificationAndReArmsItWhenItFires) {
  SetSetting(u"refresh_location", 5);
  SetSetting(u"awake_to_refresh_location", 1);
  CRilMgr ril;
  ril.Initialize();
  EXPECT_EQ(ril.GetRefreshMode(), 2);
  auto armed = ArmedNotifications();
  ASSERT_EQ(armed.size(), 1u);
  EXPECT_EQ(armed[0].arguments, u"timer_notification_06_00");
  EXPECT_EQ(armed[0].start.wHour, 12);
  EXPECT_EQ(armed[0].start.wMinute, 5);
  ASSERT_TRUE(WaitFor([&] { return ril.GetCellAnswerCount() == 1; })) << "the start-up refresh only";
  // The poll thread queries nothing in this mode.
  EXPECT_FALSE(DriveClockUntil([&] { return ril.GetCellAnswerCount() > 1; }, 6 * 60000, 1000));

  const HANDLE first = armed[0].handle;
  ril.ProcessTimerNotification(0);
  armed = ArmedNotifications();
  ASSERT_EQ(armed.size(), 1u);
  EXPECT_NE(armed[0].handle, first);
  EXPECT_EQ(armed[0].arguments, u"timer_notification_06_00");
  EXPECT_EQ(armed[0].start.wMinute, 11);

  // Reading unchanged settings arms nothing new; another notification id does nothing.
  ril.ReadLocationSettings();
  ril.ProcessTimerNotification(1);
  EXPECT_EQ(ArmedNotifications()[0].handle, armed[0].handle);
}

}  // namespace
