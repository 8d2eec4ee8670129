// A fresh device for manager tests: the language files installed (English), an event log of the
// test's own on this device, and "mgr_config" read afresh by the first manager built.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/data/DataInstall.h"

namespace velomar_test {

class ManagerTest : public VelomarTest {
 protected:
  void SetUp() override {
    VelomarTest::SetUp();
    ASSERT_TRUE(velomar::InstallDataFiles());
    SetSetting(u"language", std::u16string(u"en"));
    SetSetting(u"events_log_items_screen", 200);
    velomar::seam::ResetMgrConfig();
    StartEventLog();
  }
  void TearDown() override {
    if (m_log) StopWhileDriving([&] { m_log.reset(); });
    velomar::seam::ResetMgrConfig();
    VelomarTest::TearDown();
  }
  // Builds the test's event log; a test that writes settings the log reads builds it again.
  void StartEventLog() {
    if (m_log) StopWhileDriving([&] { m_log.reset(); });
    m_log = std::make_unique<CEventLog>();
    m_log->Start();
  }
  CEventLog* Log() { return m_log.get(); }

  // Moves the manual clock `step_ms` every 2 ms of real time until `done` holds; false after
  // `real_ms` of real time. For chains that pass through threads working in real time (the
  // device's change watch, the stand-ins' callback threads): on a loaded machine they need real
  // time, which a count of clock steps does not give.
  static bool DriveUntilReal(const std::function<bool()>& done, int real_ms = 30'000, std::uint64_t step_ms = 50) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(real_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      AdvanceClock(step_ms);
    }
    return done();
  }

 private:
  std::unique_ptr<CEventLog> m_log;
};

}  // namespace velomar_test
