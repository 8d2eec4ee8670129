// The schedule of the installed Velomar run as a process beside the notification launcher, the
// phone moved only with devicectl: a brief unknown cell on the way back or on to another place, a
// band change with call forwarding while the device answers slowly, and a kill followed by a
// restart. Every wait is for a line of the event-log file or a state of the device, with generous
// bounds (the processes run in real time on a loaded machine).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/device/device.h"
#include "platform/window/window.h"
#include "tests/velomar/app/process_fixture.h"
#include "velomar/places/DB.h"
#include "velomar/ui/Translator.h"

namespace {

// Home by cell 1001 (an evening, then the night), work by cell 2001 (an office day, and a late
// shift). Wi-Fi, Bluetooth and the speaker tell which start or end ran.
constexpr const char* kPlaces = R"(<?xml version="1.0"?>
<Velomar>
  <place name="Home" description="" image="home.png" id="1">
    <cell id="1001"/>
    <schedule name="Evening" begin_hour="18" begin_minute="0" end_hour="22" end_minute="0">
      <action id="0" type="0" arg_int_1="1" arg_int_2="0"/>
      <action id="0" type="1" arg_int_1="0" arg_int_2="0"/>
    </schedule>
    <schedule name="Night" begin_hour="22" begin_minute="0" end_hour="7" end_minute="0">
      <action id="2" type="0" arg_int_1="1" arg_int_2="0" arg_int_3="-1"/>
    </schedule>
  </place>
  <place name="Work" description="" image="work.png" id="2">
    <cell id="2001"/>
    <schedule name="Office" begin_hour="9" begin_minute="0" end_hour="17" end_minute="0">
      <action id="5" type="0" arg_int_1="1" arg_int_2="0"/>
      <action id="51" type="0" arg_int_1="1" arg_int_2="0" arg_char_1="600111222"/>
    </schedule>
    <schedule name="Late" begin_hour="17" begin_minute="0" end_hour="23" end_minute="59">
      <action id="1" type="0" arg_int_1="1" arg_int_2="0"/>
    </schedule>
  </place>
</Velomar>
)";

class ScheduleProcessTest : public velomar_test::ProcessTest {
 protected:
  void SetUp() override {
    ProcessTest::SetUp();
    SetSetting(u"allow_windows_close_qxt", 1);
    {
      std::ofstream out(HostPath(u"\\Velomar.xml"));
      out << kPlaces;
    }
    {
      CTranslator texts;
      CDB db;
      db.OpenDB();
      db.ImportXML();
      db.CloseDB();
    }
    Tool({"band", "auto"});
    StartLauncher();
  }
  void TearDown() override {
    StopProcesses();
    ProcessTest::TearDown();
  }

  // Waits (real time, at most `seconds`) until `done` holds.
  static bool WaitUntil(const std::function<bool()>& done, int seconds = 90) {
    return ce::testing::WaitUntil(done, seconds * 1000, 50);
  }
  // Waits until the event-log file holds `what` at least `times` times.
  bool AwaitLogged(const std::string& what, std::size_t times = 1) {
    return WaitUntil([&] { return Count(EventLogText(), what) >= times; });
  }
  // Where `what` first stands in the event-log file (npos when absent), and its line.
  std::size_t At(const std::string& what) { return EventLogText().find(what); }
  std::string LineOf(const std::string& what) {
    const std::string text = EventLogText();
    const std::size_t at = text.find(what);
    if (at == std::string::npos) return {};
    const std::size_t begin = text.rfind('\n', at);
    const std::size_t start = begin == std::string::npos ? 0 : begin + 1;
    return text.substr(start, text.find('\n', at) - start);
  }
};

TEST_F(ScheduleProcessTest, ABriefUnknownCellKeepsTheScheduleAndOneOnTheWayToAnotherPlaceStartsIt) {
  Tool({"clock", "set", "2026-06-01", "12:00:00"});
  Tool({"cell", "1001", "10"});
  Start();
  // At home with no period in force: the evening's start is armed.
  ASSERT_TRUE(WaitUntil([&] { return Count(Devicectl({"notifications"}), "timer_notification_07_01") == 1; }));

  // Away for a moment shortly before the evening: the engine asks the radio again some seconds
  // later and finds home, so the armed start stays and the evening starts at 18:00.
  Tool({"clock", "set", "2026-06-01", "17:59:45"});
  Tool({"cell", "5555", "10"});
  Tool({"cell", "1001", "10"});
  ASSERT_TRUE(AwaitLogged("Home: Evening starts")) << EventLogText();
  EXPECT_NE(LineOf("Home: Evening starts").find(" 18:00:"), std::string::npos) << EventLogText();

  // Through an unknown cell on to work: the evening ends and the late shift starts.
  Tool({"cell", "5556", "10"});
  Tool({"cell", "2001", "10"});
  ASSERT_TRUE(AwaitLogged("Work: Late starts")) << EventLogText();
  EXPECT_EQ(Count(EventLogText(), "Home: Evening ends"), 1u);
  EXPECT_LT(At("Home: Evening ends"), At("Work: Late starts"));
  const std::string pending = Devicectl({"notifications"});
  EXPECT_EQ(Count(pending, "timer_notification_07_00"), 1u) << pending;
  EXPECT_NE(pending.find("2026-06-01 23:59"), std::string::npos) << pending;
}

TEST_F(ScheduleProcessTest, ForwardingWaitsForTheRadioResetOfABandChangeMadeWithIt) {
  Tool({"clock", "set", "2026-06-01", "10:00:00"});
  Tool({"cell", "1001", "10"});
  Start();
  ASSERT_TRUE(AwaitLogged("Velomar starting"));
  // The device answers slowly: the forwarding answer would come while the band's reset has the
  // radio off.
  Tool({"delay", "line.equipment", "3000"});
  Tool({"delay", "line.forward", "4500"});
  Tool({"cell", "2001", "10"});
  ASSERT_TRUE(AwaitLogged("Work: Office starts"));
  EXPECT_TRUE(WaitUntil([&] { return Devicectl({"effects", "forward"}).find("600111222") != std::string::npos; }))
      << Devicectl({"effects"}) << EventLogText();
  EXPECT_EQ(Count(EventLogText(), "Call forwarding: request failed"), 0u);
}

TEST_F(ScheduleProcessTest, ARefusedForwardingIsLogged) {
  Tool({"clock", "set", "2026-06-01", "10:00:00"});
  Tool({"cell", "1001", "10"});
  Start();
  ASSERT_TRUE(AwaitLogged("Velomar starting"));
  Tool({"refuse", "line.forward"});
  Tool({"cell", "2001", "10"});
  ASSERT_TRUE(AwaitLogged("Work: Office starts"));
  EXPECT_TRUE(AwaitLogged("WARNING. Call forwarding: request failed")) << EventLogText();
}

TEST_F(ScheduleProcessTest, AfterAKillTheRestartedProgramArmsEachBoundaryOnce) {
  Tool({"clock", "set", "2026-06-01", "21:00:00"});
  Tool({"cell", "1001", "10"});
  Start();
  ASSERT_TRUE(AwaitLogged("Home: Evening starts"));
  TerminateProcess(m_velomar.hProcess, 9);
  WaitForExit(m_velomar, 60000);
  CloseProcess();
  ASSERT_TRUE(WaitForMainWindow(false));
  Start();
  ASSERT_TRUE(AwaitLogged("Home: Evening starts", 2));
  ASSERT_TRUE(WaitUntil([&] { return Count(Devicectl({"notifications"}), "timer_notification_07_00") >= 1; }));
  const std::string pending = Devicectl({"notifications"});
  EXPECT_EQ(Count(pending, "timer_notification_07_00"), 1u) << pending;
  // The boundary fires once: the evening ends once and the night starts.
  Tool({"clock", "set", "2026-06-01", "21:59:58"});
  ASSERT_TRUE(AwaitLogged("Home: Night starts")) << EventLogText();
  EXPECT_EQ(Count(EventLogText(), "Home: Evening ends"), 1u);
  EXPECT_EQ(Count(EventLogText(), "The actions of this period already ran"), 0u) << EventLogText();
}

// The phone moved back and forth between two places 25 times in two seconds (through the device
// model, as the tool changes it, without a process start between the moves), each place with a
// period in force: the transitions run in order (each period that started ends before the next
// starts), and once the phone stays the period of the place it stayed at is in force with its end
// armed.
TEST_F(ScheduleProcessTest, ABurstOfCellChangesEndsInThePeriodOfThePlaceReached) {
  Tool({"clock", "set", "2026-06-01", "20:00:00"});
  Tool({"cell", "1001", "10"});
  Start();
  ASSERT_TRUE(AwaitLogged("Home: Evening starts"));
  for (int i = 0; i < 25; ++i) {
    ASSERT_TRUE(ce::device::Update([&](ce::device::Transaction& t) { t.SetInt("radio.cell", i % 2 == 0 ? 2001 : 1001); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
  }

  // The starts and ends of the schedule in the order they ran.
  const auto transitions = [&] {
    std::istringstream text(EventLogText());
    std::vector<std::string> found;
    for (std::string line; std::getline(text, line);) {
      for (const char* what : {"Home: Evening starts", "Home: Evening ends", "Work: Late starts", "Work: Late ends"})
        if (line.find(what) != std::string::npos) found.push_back(what);
    }
    return found;
  };
  const auto joined = [](const std::vector<std::string>& list) {
    std::string text;
    for (const std::string& item : list) text += item + "\n";
    return text;
  };
  // Settled: the last transition is the late shift's start, and nothing more comes for a while
  // (longer than the engine's second look at the radio).
  std::vector<std::string> seen;
  ASSERT_TRUE(WaitUntil([&] {
    seen = transitions();
    return !seen.empty() && seen.back() == "Work: Late starts";
  })) << joined(seen) << EventLogText();
  std::this_thread::sleep_for(std::chrono::seconds(10));
  seen = transitions();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "Work: Late starts") << joined(seen);

  // In order: a start only when no period is in force, an end only of the period in force.
  std::string in_force;
  for (const std::string& t : seen) {
    const std::string period = t.substr(0, t.rfind(' '));
    if (t.ends_with(" starts")) {
      EXPECT_EQ(in_force, "") << "started while " << in_force << " was in force:\n" << joined(seen);
      in_force = period;
    } else {
      EXPECT_EQ(in_force, period) << "ended out of turn:\n" << joined(seen);
      in_force.clear();
    }
  }
  EXPECT_EQ(in_force, "Work: Late");
  // The late shift's end is armed, once.
  const std::string pending = Devicectl({"notifications"});
  EXPECT_EQ(Count(pending, "timer_notification_07_00"), 1u) << pending;
  EXPECT_NE(pending.find("2026-06-01 23:59"), std::string::npos) << pending;
}

}  // namespace
