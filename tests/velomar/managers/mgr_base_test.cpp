// The manager base: what "mgr_config" allows, the status flow from a change to its listeners, the
// time-limit notifications, and the manager list.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "platform/notify/notify.h"
#include "platform/time/time.h"
#include "platform/text/utf.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "tests/velomar/managers/status_recorder.h"
#include "velomar/core/ProgramNotifications.h"

namespace {

// A manager over a value of the test's own: a change stores it, a refresh reads it.
class FakeMgr : public CMgr {
 public:
  explicit FakeMgr(int id) : CMgr(id), m_id(id) {}
  ~FakeMgr() override { Stop(); }
  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return m_id; }
  void RefreshStatusChild(int) override {
    ++refreshes;
    SetStatusValue(device.load());
  }
  void SetStatusChild(int status, int) override { device = status; }
  void SetRestStatus() override {}
  std::u16string GetName() override { return u"fake"; }
  std::u16string GetStatusText(int status) override { return status == 1 ? u"one" : (status == 2 ? u"x" : u"other"); }

  std::atomic<int> device{0};
  std::atomic<int> refreshes{0};

 private:
  int m_id;
};

using Recorder = velomar_test::StatusRecorder;

void DeleteSetting(const WCHAR* name) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, 0, 0, &key), ERROR_SUCCESS);
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

std::vector<std::u16string> ProgramNotificationArguments() {
  std::vector<std::u16string> found;
  velomar::ForEachProgramNotification([&](HANDLE, const std::u16string& a) { found.push_back(a); });
  return found;
}

class MgrBaseTest : public velomar_test::ManagerTest {};

TEST_F(MgrBaseTest, ConfigDecidesWhoRefreshesAndWhoAcceptsChanges) {
  const int ids[] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 50, 51, 52};
  // Control characters, a format, a non-character, and more than the 48 characters kept.
  const std::u16string odd = std::u16string(u"2\x01 %s22") + u'\xFFFF' + std::u16string(49, u'0') + u"2";
  const struct {
    const char* name;
    const char16_t* config;  // null: absent
    std::u16string refreshes, accepts;  // one character per id above: '1' yes
  } cases[] = {
      {"six on, four off", u"2222220000", u"111111001111", u"111111000111"},
      {"absent", nullptr, u"111111111111", u"000000000111"},
      {"empty", u"", u"111111111111", u"000000000111"},
      {"all on", u"2222222222", u"111111111111", u"111111110111"},
      {"shown only", u"1111111111", u"111111111111", u"000000000111"},
      {"longer than kept, odd characters", odd.c_str(), u"111111100111", u"100001100111"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.config) SetSetting(u"mgr_config", std::u16string(c.config));
    else DeleteSetting(u"mgr_config");
    velomar::seam::ResetMgrConfig();
    FakeMgr first(ids[0]);  // reads the setting
    for (std::size_t i = 0; i < std::size(ids); ++i) {
      SCOPED_TRACE(ids[i]);
      EXPECT_EQ(CMgr::Refreshes(ids[i]), c.refreshes[i] == u'1');
      EXPECT_EQ(CMgr::AcceptsChanges(ids[i]), c.accepts[i] == u'1');
    }
    // And the flow follows it: a refused change sets the event with result 0 and logs nothing.
    FakeMgr off(9);
    off.device = 7;
    off.RefreshStatus(1);
    EXPECT_EQ(off.refreshes.load(), c.refreshes[7] == u'1' ? 1 : 0);
    off.SetStatus(3, 0, 0, 0);
    if (c.accepts[7] != u'1') {
      EXPECT_EQ(WaitForSingleObject(off.GetStatusChangeEvent(), 0), WAIT_OBJECT_0);
      EXPECT_EQ(off.GetStatusChangeResult(), 0);
    }
    StopWhileDriving([&] { off.Stop(); });
    StopWhileDriving([&] { first.Stop(); });
  }
}

TEST_F(MgrBaseTest, ChangeRunsOnTheWorkerLogsBothLinesAndTellsListeners) {
  SetSetting(u"mgr_config", std::u16string(u"2222222222"));
  FakeMgr mgr(MGR_SPEAKER);
  Recorder recorder;
  mgr.AddStatusListener(&recorder);
  mgr.SetStatus(1, 0, 0, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return recorder.Calls().size() == 1; }));
  EXPECT_EQ(recorder.Calls()[0], std::make_tuple(1, 2, 10));
  // Newest first: "changed" (level 1) after "changing" (level 2); a one-letter text is "unknown".
  ASSERT_EQ(Log()->GetRecordCount(), 2);
  CEventRecord changed, changing;
  ASSERT_TRUE(Log()->GetRecord(0, changed));
  ASSERT_TRUE(Log()->GetRecord(1, changing));
  EXPECT_EQ(changing.GetLevel(), 2);
  EXPECT_EQ(changed.GetLevel(), 1);
  EXPECT_NE(changing.GetResume().find(u"one"), std::u16string::npos) << ce::text::ToUtf8(changing.GetResume());
  EXPECT_NE(changed.GetDescription().find(u"one"), std::u16string::npos);
  // The first status the manager reads follows no status at all, not one of its own texts.
  EXPECT_NE(changed.GetDescription().find(u"Unknown"), std::u16string::npos) << ce::text::ToUtf8(changed.GetDescription());
  EXPECT_EQ(changed.GetDescription().find(u"other"), std::u16string::npos);

  // A refresh that reads the same status is quiet unless forced; status 10 queues nothing.
  mgr.RefreshStatus(0);
  mgr.SetStatus(10, 0, 0, 0);
  EXPECT_EQ(recorder.Calls().size(), 1u);
  mgr.RefreshStatus(1);
  EXPECT_EQ(recorder.Calls().size(), 2u);
  EXPECT_EQ(Log()->GetRecordCount(), 2);

  // Status 2's text is one letter: the log shows the translated unknown status instead.
  mgr.SetStatus(2, 0, 0, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return Log()->GetRecordCount() == 4; }));
  CEventRecord last;
  ASSERT_TRUE(Log()->GetRecord(0, last));
  EXPECT_NE(last.GetResume().find(u"Unknown"), std::u16string::npos) << ce::text::ToUtf8(last.GetResume());
  mgr.RemoveStatusListener(&recorder);
  StopWhileDriving([&] { mgr.Stop(); });
}

TEST_F(MgrBaseTest, TimeLimitArmsItsNotificationAndTheNextChangeReplacesIt) {
  SetSetting(u"mgr_config", std::u16string(u"2222222222"));
  // Another program's notification stays whatever the manager does.
  CE_NOTIFICATION_TRIGGER other{};
  other.dwSize = 52;
  other.dwType = CNT_TIME;
  std::u16string other_app = u"\\Windows\\other.exe";
  other.lpszApplication = other_app.data();
  GetLocalTime(&other.stStartTime);
  other.stStartTime.wYear += 1;
  ASSERT_NE(CeSetUserNotificationEx(nullptr, &other, nullptr), nullptr);

  FakeMgr mgr(MGR_SPEAKER);
  mgr.SetStatus(1, 15, 3, 0);
  ASSERT_TRUE(DriveClockUntil([&] { return mgr.GetLastNotification() != nullptr; }));
  EXPECT_EQ(ProgramNotificationArguments(), std::vector<std::u16string>{u"timer_notification_02_03"});

  // Ensure finds it pending and arms nothing more; a later change cancels it first.
  mgr.EnsureTimeLimitNotification(MGR_SPEAKER, 15, 3);
  EXPECT_EQ(ProgramNotificationArguments().size(), 1u);
  mgr.SetStatus(2, 0, 0, 0);
  EXPECT_TRUE(ProgramNotificationArguments().empty());
  mgr.EnsureTimeLimitNotification(MGR_SPEAKER, 5, 4);
  EXPECT_EQ(ProgramNotificationArguments(), std::vector<std::u16string>{u"timer_notification_02_04"});
  StopWhileDriving([&] { mgr.Stop(); });

  HANDLE handles[8];
  DWORD count = 0;
  CeGetUserNotificationHandles(handles, 8, &count);
  EXPECT_EQ(count, 2u);  // the manager's and the other program's
}

TEST_F(MgrBaseTest, ManagerListForgetsDestroyedManagers) {
  {
    FakeMgr beam(MGR_BEAM);
    EXPECT_EQ(CMgr::GetMgr(MGR_BEAM), &beam);
    StopWhileDriving([&] { beam.Stop(); });
  }
  EXPECT_EQ(CMgr::GetMgr(MGR_BEAM), nullptr);
}

// A listener that unregisters and then goes must not be called after RemoveStatusListener
// returned, even by a call that took the list before the removal.
TEST_F(MgrBaseTest, RemovingAListenerWaitsForTheCallUnderWay) {
  class Blocking : public IStatusListener {
   public:
    void StatusChanged(int, int, int) override {
      entered = true;
      while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      returned = true;
    }
    std::u16string GetName() override { return u"blocking"; }
    std::atomic<bool> entered{false}, release{false}, returned{false};
  } listener;
  FakeMgr mgr(MGR_BEAM);
  mgr.AddStatusListener(&listener);
  std::thread firing([&] { mgr.FireStatusChanged(10); });
  while (!listener.entered.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::atomic<bool> removed{false};
  std::thread removing([&] {
    mgr.RemoveStatusListener(&listener);
    removed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(removed.load()) << "returned while the listener was still being called";
  listener.release = true;
  removing.join();
  firing.join();
  EXPECT_TRUE(listener.returned.load());
  StopWhileDriving([&] { mgr.Stop(); });
}

// A change of the manager's own is read back by its worker and by the device's notification at
// the same moment: the change is logged once.
TEST_F(MgrBaseTest, TwoRefreshesOfOneChangeLogItOnce) {
  SetSetting(u"mgr_config", std::u16string(u"2222222222"));
  // The device's answer takes a while: each refresh waits inside (up to a second) for the other.
  class SlowMgr : public FakeMgr {
   public:
    using FakeMgr::FakeMgr;
    void RefreshStatusChild(int force) override {
      const int entered = ++inside;
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      while (entered > 0 && inside.load() < 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      FakeMgr::RefreshStatusChild(force);
    }
    std::atomic<int> inside{-1};  // the first reading does not wait
  } mgr(MGR_BEAM);
  mgr.RefreshStatus(0);
  const int before = Log()->GetRecordCount();
  mgr.device = 1;
  std::thread worker([&] { mgr.RefreshStatus(0); });
  std::thread notification([&] { mgr.RefreshStatus(0); });
  worker.join();
  notification.join();
  EXPECT_EQ(mgr.GetStatus(), 1);
  EXPECT_EQ(Log()->GetRecordCount(), before + 1);
  StopWhileDriving([&] { mgr.Stop(); });
}

}  // namespace
