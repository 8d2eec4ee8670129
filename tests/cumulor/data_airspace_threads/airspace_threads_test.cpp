// The airspace under several threads: the notify thread's tests and alarm dialogs, frames drawn
// under the main lock, and reloads of the file and database airspace on the UI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "../data_airspace/airspace_test_util.h"
#include "cumulor/data/aero/ka1_reader.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "cumulor/data/points/aero_tables.h"
#include "platform/time/time.h"

namespace {

using namespace cumulor;
using namespace airspace_test;
using namespace std::chrono_literals;

const std::string kFile =
    "AC R\nAN NEAR\nAL SFC\nAH FL100\nDP 47:00:00 N 011:00:00 E\nDP 47:06:00 N 011:00:00 E\n"
    "DP 47:06:00 N 011:06:00 E\nDP 47:00:00 N 011:06:00 E\n"
    "AC Q\nAN CIRCLE\nAL SFC\nAH 5000 ft\nV X=47:03:00 N 011:03:00 E\nDC 2\n";
constexpr GeoPoint kInside{11 * 36000 + 1800, 47 * 36000 + 1800};
constexpr GeoPoint kFar{12 * 36000, 46 * 36000};

// The UI thread's message queue: calls sent from other threads run on it, in order.
class UiThread {
 public:
  void Send(std::function<void()> call) {
    std::promise<void> done;
    std::future<void> f = done.get_future();
    {
      std::lock_guard guard(lock_);
      queue_.push_back([&] {
        call();
        done.set_value();
      });
    }
    wake_.notify_one();
    f.wait();
  }
  // Runs the calls sent so far.
  void Pump() {
    std::deque<std::function<void()>> calls;
    {
      std::lock_guard guard(lock_);
      calls.swap(queue_);
    }
    for (auto& c : calls) c();
  }

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
};

std::unique_ptr<AeroAirspace> DatabaseAirspace() {
  auto a = std::make_unique<AeroAirspace>();
  a->airspaceClass = 12;
  a->lower = {4, 0};
  a->upper = {3, 9500};
  a->centre = kInside;
  a->radius = 5000;
  a->points.Append(GeoPoint{11 * 36000, 47 * 36000});
  a->points.Append(GeoPoint{11 * 36000, 47 * 36000 + 3600});
  a->points.Append(GeoPoint{11 * 36000 + 3600, 47 * 36000 + 3600});
  return a;
}

TEST(AirspaceThreads, ReloadsTestsFramesAndAlarmDialogsNeverDeadlockOrMeetFreedShapes) {
  AirspaceModule module;
  AirspaceInit(module);
  AirspaceAllocClassArrays(module, 16);
  std::recursive_mutex mainLock;
  UiThread ui;
  module.ui.enterMainLock = [&] { mainLock.lock(); };
  module.ui.leaveMainLock = [&] { mainLock.unlock(); };
  // Closing the modeless dialogs and the alarm dialog need the UI thread, as the real ones do;
  // the alarm's "Today" writes its switch-off.
  module.ui.closeModeless = [&] { ui.Send([] {}); };
  std::atomic<int> dialogs{0};
  module.ui.alarmDialog = [&](const AirspaceAlarm& alarm) {
    ui.Send([] {});
    AirspaceSwitchOff(module, alarm.shape, GetTickCount() + 1);
    ++dialogs;
  };
  module.ui.playSound = [](const std::u16string&, bool) {};
  module.showAeroAirspace = 1;
  LoadTexts(module, {kFile});

  std::atomic<bool> stop{false};
  auto notify = std::async(std::launch::async, [&] {
    for (int i = 0; i < 400 && !stop; ++i) {
      AirspaceAlarmCheck(module, i % 3 ? kInside : kFar, 500, 984, 3000, 3000, 0);
      AeroAirspaceAlarmCheck(module, kInside, 500, 984, 3000, 3000, 0);
      AirspaceNearest(module, nullptr);
    }
  });
  auto frames = std::async(std::launch::async, [&] {
    std::int64_t sum = 0;
    while (!stop) {
      {
        std::lock_guard guard(mainLock);
        for (const AirspaceClassGroup& g : module.group)
          for (const AirspaceShape& s : g.shapes) {
            for (const GeoPoint& p : s.points) sum += p.lon;
            sum += SwitchedOffUntil(s);
          }
      }
      std::this_thread::yield();  // frames come and go; the loaders get the lock between them
    }
    return sum;
  });
  // The UI thread: reloads of both kinds of airspace and map-tap finds, while pumping its queue.
  TileCache tiles;
  const auto until = std::chrono::steady_clock::now() + 60s;
  while (notify.wait_for(0ms) != std::future_status::ready) {
    ASSERT_LT(std::chrono::steady_clock::now(), until) << "the notify thread is stuck";
    ui.Pump();
    AirspaceLoad load;
    AirspaceLoadBegin(module, load);
    AirspaceReadText(module, load, kFile.data(), static_cast<std::int32_t>(kFile.size()));
    ui.Pump();
    AirspaceLoadCommit(module, load);
    AirspaceAlarmCheck(module, kInside, 500, 984, 3000, 3000, 1);
    AeroDbClear(AeroData(), tiles);
    {
      std::lock_guard guard(AirspaceLock());
      AeroData().airspaces.push_back(DatabaseAirspace());
    }
    ui.Pump();
  }
  stop = true;
  frames.get();
  notify.get();
  EXPECT_GT(dialogs.load(), 0);
  AeroDbClear(AeroData(), tiles);
  AirspaceTerm(module);
}

}  // namespace
