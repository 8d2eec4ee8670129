// The Bluetooth manager on the simulated device: a mode change arrives as a record in the
// manager's queue and the Bluetooth event refreshes the status; with "intelligent_bt" on an
// active call makes the radio discoverable and its end restores the mode saved at its start.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/bluetooth/bluetooth.h"
#include "platform/device/device.h"
#include "platform/kernel/waitable.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/registry/registry.h"
#include "platform/testing/settled_clock.h"
#include "platform/time/time.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/core/managers/BTMgr.h"
#include "velomar/core/managers/Broker.h"

namespace {

class BTMgrTest : public velomar_test::ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    SetSetting(u"mgr_config", std::u16string(u"2222222222"));
    velomar::seam::ResetMgrConfig();
  }
  // The registry's watcher runs in real time: give it real time while moving the clock.
  static bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      AdvanceClock(50);
    }
    return done();
  }
  static void SetCallCount(DWORD count) {
    ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Phone", u"Active Call Count", count), S_OK);
  }
};

TEST_F(BTMgrTest, AModeChangeArrivesInTheQueueAndTheEventRefreshes) {
  ASSERT_EQ(BthSetMode(1), 0);
  auto owner = std::make_unique<CBTMgr>();
  CBTMgr& bt = *owner;
  bt.Initialize();
  EXPECT_EQ(CBTMgr::GetInstance(), &bt);
  EXPECT_EQ(bt.GetStatus(), 1);
  ASSERT_EQ(BthSetMode(2), 0);  // as another program would
  BYTE record[1000];
  DWORD read = 0;
  DWORD flags = 0;
  // The record is written from the device's change watch: wait for it in real time (the reader
  // thread sleeps on the manual clock meanwhile).
  bool arrived = false;
  for (int i = 0; i < 300 && !arrived; ++i) {
    arrived = ReadMsgQueue(bt.GetQueue(), record, sizeof record, &read, 0, &flags) != FALSE;
    if (!arrived) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(arrived);
  EXPECT_GT(read, 0u);
  const int events = bt.GetEventCount();
  bt.OnBluetoothEvent();
  EXPECT_EQ(bt.GetStatus(), 2);
  EXPECT_EQ(bt.GetEventCount(), events + 1);
  StopWhileDriving([&] { owner.reset(); });
}

TEST_F(BTMgrTest, ACallMakesTheRadioDiscoverableAndItsEndRestoresTheModeBefore) {
  SetSetting(u"intelligent_bt", 1);
  SetCallCount(0);
  ASSERT_EQ(BthSetMode(1), 0);
  CBroker broker;
  auto owner = std::make_unique<CBTMgr>();
  CBTMgr& bt = *owner;
  bt.Initialize();
  ASSERT_EQ(bt.GetStatus(), 1);
  SetCallCount(1);
  ASSERT_TRUE(WaitFor([&] { return bt.GetStatus() == 2; }));
  SetCallCount(2);  // a second call keeps the mode saved at the first one's start
  SetCallCount(1);
  SetCallCount(0);
  EXPECT_TRUE(WaitFor([&] { return bt.GetStatus() == 1; }));
  DWORD mode = 9;
  ASSERT_EQ(BthGetMode(&mode), 0);
  EXPECT_EQ(mode, 1u);
  StopWhileDriving([&] { owner.reset(); });
}

// Milliseconds of the device's day.
long long ClockMs() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return ((t.wHour * 60LL + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

// The main window answers each WM_BT_EVENT with OnBluetoothEvent; here the test plays that part,
// one event per retry, and measures on the manual clock how long each refresh held its thread.
TEST_F(BTMgrTest, AFailingModeReadRetriesFourteenTimesOneSecondApartThenStops) {
  ASSERT_EQ(BthSetMode(1), 0);
  auto owner = std::make_unique<CBTMgr>();
  CBTMgr& bt = *owner;
  bt.Initialize();
  ASSERT_EQ(bt.GetStatus(), 1);
  ASSERT_TRUE(ce::device::ScriptRefusal("bth.getmode", 0, true, 100));

  // How long (device clock) one event's refresh took; -1 when it needed the clock to move but the
  // clock was not moved (only when `drive` is false).
  const auto refresh = [&](bool drive) -> long long {
    std::atomic<bool> done{false};
    const std::size_t waiting = ce::kernel::ThreadsInWait();
    const long long start = ClockMs();
    std::thread window([&] {
      bt.OnBluetoothEvent();
      done = true;
    });
    bool finished = false;
    if (drive) {
      // The clock moves only while the refresh waits, and each step lets the woken thread run
      // before the next: a slow machine cannot lengthen the pause measured.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!done.load() && std::chrono::steady_clock::now() < deadline) {
        if (ce::kernel::ThreadsInWait() > waiting) {
          if (!ce::testing::AdvanceClockSettled(10)) {
            ADD_FAILURE() << "a woken refresh did not run";
            break;
          }
        } else {
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      }
      finished = done.load();
    } else {
      for (int i = 0; i < 500 && !done.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      finished = done.load();
      if (!finished) DriveUntilReal([&] { return done.load(); }, 30'000, 10);
    }
    window.join();
    return finished ? ClockMs() - start : -1;
  };
  std::vector<long long> pauses;
  for (int event = 1; event <= 14; ++event) pauses.push_back(refresh(true));
  for (std::size_t i = 0; i < pauses.size(); ++i) {
    SCOPED_TRACE(i + 1);
    // The clock keeps moving while the thread wakes, so the measure runs over the pause by the
    // wake-up's share of clock steps: one second, not two.
    EXPECT_GE(pauses[i], 1000) << "a retry follows a second later";
    EXPECT_LT(pauses[i], 2000);
  }
  EXPECT_EQ(bt.GetStatus(), -1);
  EXPECT_EQ(bt.GetRetryCount(), 14u);
  // The fifteenth failure in a row asks for no retry: no pause.
  EXPECT_EQ(refresh(false), 0);
  EXPECT_EQ(bt.GetRetryCount(), 15u);

  // A read that works again ends the series.
  ASSERT_TRUE(ce::device::ClearScript());
  EXPECT_EQ(refresh(false), 0);
  EXPECT_EQ(bt.GetRetryCount(), 0u);
  EXPECT_EQ(bt.GetStatus(), 1);
  StopWhileDriving([&] { owner.reset(); });
}

}  // namespace
