// A fresh device for manager tests: the language files installed (English), an event log of the
// test's own on this device, and "mgr_config" read afresh by the first manager built.
#pragma once

#include <memory>

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

 private:
  std::unique_ptr<CEventLog> m_log;
};

}  // namespace velomar_test
