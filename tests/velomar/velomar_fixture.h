// A fresh device for each Velomar test: the program is "\Program Files\Velomar\Velomar.exe", the
// installation's settings key "\SOFTWARE\Morvane\Velomar" exists (empty), TeskaUtils is attached to
// this device and records its message boxes, and the manual clock stands still until moved.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "platform/files/module_path.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/teskautils_seam.h"

namespace velomar_test {

inline constexpr const WCHAR* kSettingsKey = u"\\SOFTWARE\\Morvane\\Velomar";

class VelomarTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    teskautils::seam::DetachLibrary();
    ce::files::SetModulePath(u"\\Program Files\\Velomar\\Velomar.exe");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, 0, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    teskautils::seam::AttachLibrary();
    teskautils::seam::RecordBoxes(true);
    teskautils::seam::TakeShownBoxes();
  }
  void TearDown() override {
    teskautils::seam::DetachLibrary();
    teskautils::seam::TakeShownBoxes();
    DeviceTest::TearDown();
  }

  static void SetSetting(const WCHAR* name, DWORD value) {
    ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, kSettingsKey, name, value), S_OK);
  }
  static void SetSetting(const WCHAR* name, const std::u16string& text) {
    ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, kSettingsKey, name, text.c_str()), S_OK);
  }

  // Moves the manual clock in small steps, giving the threads real time between them, until
  // `done` holds; false when `limit_ms` of clock time passed first.
  static bool DriveClockUntil(const std::function<bool()>& done, std::uint64_t limit_ms = 120'000,
                              std::uint64_t step_ms = 20) {
    for (std::uint64_t moved = 0; moved <= limit_ms; moved += step_ms) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::microseconds(300));
      AdvanceClock(step_ms);
    }
    return done();
  }

  // Runs `stop` on a thread of its own while moving the clock, until it returns.
  static bool StopWhileDriving(const std::function<void()>& stop) {
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
      stop();
      stopped = true;
    });
    const bool ok = DriveClockUntil([&] { return stopped.load(); });
    stopper.join();  // (when the clock limit passed first this waits on; the test has failed anyway)
    return ok;
  }
};

}  // namespace velomar_test
