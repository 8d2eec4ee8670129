// The data connections manager on the simulated phone: the list of phonebook entries that have a
// provider key, the preferred connection, the status from the flags, the switches of entries, and
// the idle watch under the manual clock (hang-up after a quiet period, an early firing that keeps
// the period whole).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/connections/connmgr.h"
#include "platform/device/callback_thread.h"
#include "platform/device/device.h"
#include "platform/device/device_names.h"
#include "platform/notify/notify.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"
#include "platform/xml/com_base.h"
#include "platform/time/time.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/ProgramNotifications.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"

namespace {

constexpr const char* kGuidA = "{11111111-2222-3333-4444-555555555555}";
constexpr const char* kGuidB = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
constexpr const char* kGuidC = "{01234567-89AB-CDEF-0123-456789ABCDEF}";

std::u16string ProviderKey(const char* name) {
  return std::u16string(ce::device::kConnectionProviders) + u"\\" + ce::text::FromUtf8(name);
}

// The device's state of a phonebook entry (0 disconnected, 1 connecting, 2 connected).
int DeviceState(const std::string& name) {
  for (const ce::device::Connection& c : ce::device::Connections())
    if (c.name == name) return c.state;
  return -1;
}

std::vector<std::u16string> Names(CConnectionsMgr& mgr) {
  std::vector<std::u16string> names;
  for (const auto& c : mgr.GetConnections()) names.push_back(c->GetName());
  return names;
}

// The pending "iddle_notification" of this executable: how many, and the last one's start.
struct Armed {
  int count = 0;
  SYSTEMTIME start{};
};
Armed IdleNotifications() {
  Armed armed;
  velomar::ForEachProgramNotification([&](HANDLE handle, const std::u16string& arguments) {
    if (arguments != u"iddle_notification") return;
    ++armed.count;
    std::vector<BYTE> buffer(1024);
    DWORD needed = 0;
    if (CeGetUserNotification(handle, static_cast<UINT>(buffer.size()), &needed, buffer.data()))
      armed.start = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer.data())->pcent->stStartTime;
  });
  return armed;
}

int Seconds(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

class CountingIdleListener : public ITimerNotificationListener {
 public:
  void OnTimerNotification(int mgr_id, int) override {
    if (mgr_id == MGR_CONNECTIONS) ++calls;
  }
  std::atomic<int> calls{0};
};

class ConnectionsMgrTest : public velomar_test::ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    SetSetting(u"mgr_config", std::u16string(u"2222222222"));
    velomar::seam::ResetMgrConfig();
    ce::device::SetInt("radio.power", 1);
    // A new phone comes with one entry; each test makes its own phonebook.
    ASSERT_TRUE(ce::device::RemoveConnection("Internet"));
  }
  // Connections asked for are completed on the device's callback thread, and each completion
  // writes the model and then the registry mirror: the test ends once all of it has run, or the
  // rest would land in the next test's device folder or in ./device of the working directory.
  void TearDown() override {
    EXPECT_TRUE(DriveUntilReal([] { return ce::device::AwaitCallbacksDone(std::chrono::milliseconds(5)); }));
    ManagerTest::TearDown();
  }
  static void Add(const char* name, const char* guid, int state = 0, std::uint32_t sent = 0) {
    ASSERT_TRUE(ce::device::PutConnection({name, guid, state, sent, 0}));
  }
  static void SetTraffic(const char* name, std::uint32_t sent) {
    for (ce::device::Connection c : ce::device::Connections()) {
      if (c.name != name) continue;
      c.sent = sent;
      ASSERT_TRUE(ce::device::PutConnection(c));
    }
  }
  static DWORD ProviderValue(const char* name, const WCHAR* value) {
    DWORD data = 0xDEAD;
    RegistryGetDWORD(HKEY_LOCAL_MACHINE, ProviderKey(name).c_str(), value, &data);
    return data;
  }
  static std::u16string Preferred() { return CConfig::GetInstance()->GetString(u"connection_prefered"); }
  void Stop(CConnectionsMgr& mgr) { StopWhileDriving([&] { mgr.Stop(); }); }
  // Applies a status on the worker and waits until the device shows `done`.
  bool Apply(CConnectionsMgr& mgr, int status, const std::function<bool()>& done) {
    mgr.SetStatus(status, 0, 0, 0);
    return DriveUntilReal(done);
  }
};

TEST_F(ConnectionsMgrTest, TheListHoldsTheEntriesWithAProviderKeyAndAReadableEnabledValue) {
  Add("Internet", kGuidA);
  Add("Operator", kGuidB);
  Add("Office", kGuidC);
  Add("Broken", "{99999999-9999-9999-9999-999999999999}");
  HKEY providers = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, ce::device::kConnectionProviders, 0, 0, &providers), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyW(providers, u"Operator"), ERROR_SUCCESS);
  RegCloseKey(providers);
  // An "enabled" value of another type cannot be read: the entry is left out too.
  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, ProviderKey("Broken").c_str(), u"enabled", u"1"), S_OK);
  ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, ProviderKey("Office").c_str(), u"AlwaysOn", 1), S_OK);

  CConnectionsMgr mgr;
  mgr.Initialize();
  EXPECT_EQ(Names(mgr), (std::vector<std::u16string>{u"Internet", u"Office"}));
  for (const auto& c : mgr.GetConnections()) {
    EXPECT_EQ(c->IsPreferred(), 0) << "no preferred connection is stored";
    EXPECT_EQ(c->IsEnabled(), 1);
    EXPECT_EQ(c->IsConnected(), 0);
  }
  EXPECT_EQ(mgr.GetConnections()[0]->IsAlwaysOn(), 0);
  EXPECT_EQ(mgr.GetConnections()[1]->IsAlwaysOn(), 1);
  EXPECT_EQ(Preferred(), u"");
  mgr.RefreshStatus(0);
  EXPECT_EQ(mgr.GetStatus(), 1);
  Stop(mgr);

  // The stored preferred name marks its connection.
  SetSetting(u"connection_prefered", std::u16string(u"Office"));
  CConnectionsMgr again;
  again.Initialize();
  EXPECT_EQ(again.GetConnections()[0]->IsPreferred(), 0);
  EXPECT_EQ(again.GetConnections()[1]->IsPreferred(), 1);
  Stop(again);
}

TEST_F(ConnectionsMgrTest, ASingleEntryBecomesPreferredAndAnEmptyPhonebookGivesStatusZero) {
  {
    CConnectionsMgr empty;
    empty.Initialize();
    EXPECT_TRUE(empty.GetConnections().empty());
    empty.RefreshStatus(0);
    EXPECT_EQ(empty.GetStatus(), 0);
    empty.ToggleEnabled(0);
    empty.ToggleConnected(0);
    empty.SetStatus(2, 0, 0, 0);
    Stop(empty);
  }
  Add("Internet", kGuidA);
  CConnectionsMgr mgr;
  mgr.Initialize();
  ASSERT_EQ(mgr.GetConnections().size(), 1u);
  EXPECT_EQ(mgr.GetConnections()[0]->IsPreferred(), 1);
  EXPECT_EQ(Preferred(), u"Internet");
  mgr.ClearPreferredConnection();
  EXPECT_EQ(Preferred(), u"");
  EXPECT_EQ(mgr.GetConnections()[0]->IsPreferred(), 0);
  Stop(mgr);
}

TEST_F(ConnectionsMgrTest, StatusesFollowTheFlagsAndTwoConnectsThePreferredOrTheFirst) {
  Add("Internet", kGuidA);
  Add("Operator", kGuidB);
  CConnectionsMgr mgr;
  mgr.Initialize();
  ASSERT_EQ(mgr.GetConnections().size(), 2u);

  // No preferred connection: the first one is connected.
  ASSERT_TRUE(Apply(mgr, 2, [] { return DeviceState("Internet") == 2; }));
  EXPECT_EQ(DeviceState("Operator"), 0);
  mgr.NewEvent();
  EXPECT_EQ(mgr.GetStatus(), 2);
  EXPECT_EQ(mgr.GetConnections()[0]->IsConnected(), 1);

  // 0 hangs up and disables every connection, in the provider keys too.
  ASSERT_TRUE(Apply(mgr, 0, [] { return DeviceState("Internet") == 0 && ProviderValue("Operator", u"enabled") == 0; }));
  mgr.NewEvent();
  EXPECT_EQ(mgr.GetStatus(), 0);
  EXPECT_EQ(ProviderValue("Internet", u"enabled"), 0u);

  // 1 enables them, none connected.
  ASSERT_TRUE(Apply(mgr, 1, [] { return ProviderValue("Operator", u"enabled") == 1; }));
  mgr.NewEvent();
  EXPECT_EQ(mgr.GetStatus(), 1);

  // With a preferred connection, 2 connects that one only.
  mgr.SetPreferredConnection(u"Operator");
  EXPECT_EQ(Preferred(), u"Operator");
  ASSERT_TRUE(Apply(mgr, 2, [] { return DeviceState("Operator") == 2; }));
  EXPECT_EQ(DeviceState("Internet"), 0);
  mgr.NewEvent();
  EXPECT_EQ(mgr.GetStatus(), 2);
  EXPECT_EQ(mgr.GetTotalTraffic(), 0u);
  Stop(mgr);
}

TEST_F(ConnectionsMgrTest, EntrySwitchesWriteTheProviderKeyAndIgnoreIndicesOutsideTheList) {
  Add("Internet", kGuidA, 2, 700);
  Add("Operator", kGuidB);
  CConnectionsMgr mgr;
  mgr.Initialize();
  ASSERT_EQ(mgr.GetConnections()[0]->IsConnected(), 1);
  EXPECT_EQ(mgr.GetTotalTraffic(), 700u);

  for (int index : {-1, 2, 1000}) {
    mgr.ToggleEnabled(index);
    mgr.ToggleConnected(index);
    mgr.ToggleAlwaysOn(index);
  }
  EXPECT_EQ(DeviceState("Internet"), 2);

  // Connecting the second entry hangs up the first.
  mgr.ToggleConnected(1);
  ASSERT_TRUE(DriveUntilReal([] { return DeviceState("Operator") == 2; }));
  EXPECT_EQ(DeviceState("Internet"), 0);
  mgr.NewEvent();
  EXPECT_EQ(mgr.GetConnections()[0]->IsConnected(), 0);
  EXPECT_EQ(mgr.GetConnections()[1]->IsConnected(), 1);

  // Disabling a connected entry hangs it up and stores the flag.
  mgr.ToggleEnabled(1);
  EXPECT_EQ(DeviceState("Operator"), 0);
  EXPECT_EQ(ProviderValue("Operator", u"enabled"), 0u);
  mgr.NewEvent();  // the Connection Manager's message after the hang-up
  EXPECT_EQ(mgr.GetStatus(), 1);
  // Always on, with nothing else connected: only the flag changes.
  mgr.ToggleAlwaysOn(0);
  EXPECT_EQ(DeviceState("Internet"), 0);
  EXPECT_EQ(ProviderValue("Internet", u"AlwaysOn"), 1u);
  EXPECT_EQ(mgr.GetConnections()[0]->IsAlwaysOn(), 1);
  Stop(mgr);
}

TEST_F(ConnectionsMgrTest, AConnectionGuidThatIsNoGuidConnectsNothing) {
  Add("Internet", kGuidA);
  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, ProviderKey("Internet").c_str(), u"ConnectionGUID", u"{1111-oops"),
            S_OK);
  CConnectionsMgr mgr;
  mgr.Initialize();
  mgr.ConnectPreferred(1);
  mgr.SetConnected(0, 1);
  EXPECT_FALSE(DriveClockUntil([] { return DeviceState("Internet") != 0; }, 5'000, 50));
  Stop(mgr);
}

TEST_F(ConnectionsMgrTest, WithThePhoneRadioOffEveryConnectionReadsNotConnected) {
  Add("Internet", kGuidA, 2, 100);
  Add("Operator", kGuidB, 2, 100);
  CMobilePhoneMgr phone;
  phone.SetStatusValue(0);
  CConnectionsMgr mgr;
  mgr.Initialize();
  mgr.RefreshStatus(0);
  EXPECT_EQ(mgr.GetStatus(), 2);
  phone.SetStatusValue(1);
  mgr.NewEvent();
  for (const auto& c : mgr.GetConnections()) EXPECT_EQ(c->IsConnected(), 0);
  EXPECT_EQ(mgr.GetStatus(), 1);
  Stop(mgr);
  StopWhileDriving([&] { phone.Stop(); });
}

// Under the manual clock (12:00:00) with "seconds_idle" 60: a check starts at the first firing,
// and a firing a full period later samples the traffic again.
TEST_F(ConnectionsMgrTest, IdleConnectionsAreHungUpAfterAQuietPeriod) {
  SetSetting(u"activate_idle", 1);
  SetSetting(u"seconds_idle", 60);
  const struct {
    std::uint32_t moved;  // bytes in the period
    int early_s;          // a firing this many seconds before the period ends (0: none)
    bool hung_up;
  } cases[] = {{1024, 0, true}, {1025, 0, false}, {0, 5, true}, {1024, 5, true}, {5000, 5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.moved << " bytes, early " << c.early_s);
    Add("Internet", kGuidA, 2, 5000);
    CConnectionsMgr mgr;
    CountingIdleListener listener;
    mgr.AddListener(&listener);
    mgr.Initialize();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Armed armed = IdleNotifications();
    ASSERT_EQ(armed.count, 1) << "a connected connection is watched";
    EXPECT_EQ(Seconds(armed.start), Seconds(now) + 20);

    mgr.OnIddleNotification();  // the check starts
    armed = IdleNotifications();
    ASSERT_EQ(armed.count, 1);
    EXPECT_EQ(Seconds(armed.start), Seconds(now) + 60);
    const SYSTEMTIME check = mgr.GetLastCheckTime();
    EXPECT_EQ(Seconds(check), Seconds(now));

    if (c.early_s > 0) {
      AdvanceClock(static_cast<std::uint64_t>(60 - c.early_s) * 1000);
      mgr.OnIddleNotification();
      armed = IdleNotifications();
      ASSERT_EQ(armed.count, 1);
      EXPECT_EQ(Seconds(armed.start), Seconds(now) + 60) << "re-armed for the remaining seconds";
      EXPECT_EQ(Seconds(mgr.GetLastCheckTime()), Seconds(check)) << "the check keeps its start";
      EXPECT_EQ(DeviceState("Internet"), 2);
      AdvanceClock(static_cast<std::uint64_t>(c.early_s) * 1000);
    } else {
      AdvanceClock(60'000);
    }
    SetTraffic("Internet", 5000 + c.moved);
    mgr.OnIddleNotification();
    EXPECT_EQ(DeviceState("Internet") == 0, c.hung_up);
    EXPECT_EQ(mgr.GetIddleHangUpCount(), c.hung_up ? 1 : 0);
    armed = IdleNotifications();
    if (c.hung_up) {
      EXPECT_EQ(Seconds(mgr.GetLastCheckTime()), 0) << "no check runs after the hang-up";
    } else {
      ASSERT_EQ(armed.count, 1);
      EXPECT_EQ(Seconds(armed.start), Seconds(now) + 120);
    }
    EXPECT_EQ(listener.calls.load(), c.early_s > 0 ? 3 : 2);
    // Nothing connected: the watch ends.
    if (c.hung_up) {
      mgr.NewEvent();
      EXPECT_EQ(IdleNotifications().count, 0);
    }
    mgr.RemoveListener(&listener);
    mgr.RemoveIddleNotifications();
    EXPECT_EQ(IdleNotifications().count, 0);
    Stop(mgr);
    ASSERT_TRUE(ce::device::RemoveConnection("Internet"));
  }
}

TEST_F(ConnectionsMgrTest, WithoutActivateIdleNothingIsWatched) {
  Add("Internet", kGuidA, 2, 5000);
  CConnectionsMgr mgr;
  mgr.Initialize();
  EXPECT_EQ(IdleNotifications().count, 0);
  mgr.OnIddleNotification();
  EXPECT_EQ(IdleNotifications().count, 0);
  EXPECT_EQ(DeviceState("Internet"), 2);
  Stop(mgr);
}

// The pages switch entries on the window's thread while the worker applies statuses and the
// Connection Manager's messages re-read the states.
TEST_F(ConnectionsMgrTest, SwitchesFromSeveralThreadsKeepTheListWhole) {
  Add("Internet", kGuidA, 2, 100);
  Add("Operator", kGuidB);
  Add("Office", kGuidC);
  CConnectionsMgr mgr;
  mgr.Initialize();
  std::atomic<bool> done{false};
  std::thread page([&] {
    for (int i = 0; i < 200; ++i) {
      mgr.ToggleEnabled(i % 3);
      mgr.ToggleAlwaysOn((i + 1) % 3);
      for (const auto& c : mgr.GetConnections()) (void)(c->IsConnected() + c->IsEnabled() + c->GetTraffic());
    }
    done = true;
  });
  for (int i = 0; !done.load() && i < 200; ++i) {
    mgr.SetStatus(i % 3, 0, 0, 0);
    mgr.NewEvent();
    mgr.GetTotalTraffic();
  }
  page.join();
  EXPECT_EQ(mgr.GetConnections().size(), 3u);
  Stop(mgr);
}

}  // namespace
