// A scripted week of the installed Velomar: the places of a fixture exchange file are imported into
// the device's database, then Velomar and the notification launcher run as processes while the
// device is driven only through devicectl (its clock and its serving cell). After each step the
// event-log file must hold exactly the lines the fixture names for that place, period, trigger and
// weekday, in the engine's order; the week survives an orderly close and a kill.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/window/window.h"
#include "tests/velomar/app/process_fixture.h"
#include "velomar/places/DB.h"
#include "velomar/ui/Translator.h"

namespace {

using Lines = std::vector<std::string>;

class ScriptedWeekTest : public velomar_test::ProcessTest {
 protected:
  void SetUp() override {
    ProcessTest::SetUp();
    SetSetting(u"allow_windows_close_qxt", 1);
    SetSetting(u"events_log_file_max_size", 8000);
    // The fixture into the device's database, as the program's import does it.
    std::filesystem::copy_file(WEEK_FIXTURE, HostPath(u"\\Velomar.xml"));
    {
      CTranslator texts;
      CDB db;
      db.OpenDB();
      db.ImportXML();
      db.CloseDB();
    }
    Tool({"clock", "set", "2026-06-01", "06:00:00"});  // a Monday
    Tool({"cell", "1001", "10"});
    Tool({"set", "mail.accounts", "Outlook E-mail"});
    StartLauncher();
  }
  void TearDown() override {
    StopProcesses();
    ProcessTest::TearDown();
  }

  // The summaries of the event-log lines that tell what the schedule did: period starts and ends,
  // skipped actions, managers' requested changes, mail and SMS. (A boundary that comes twice is
  // logged as "already ran" and runs nothing; when that line comes depends on the processes'
  // timing, so it is counted apart.)
  Lines Relevant() {
    Lines out;
    const std::string text = EventLogText();
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::string line = text.substr(start, end - start);
      for (const char* level : {"   INFO. ", "   WARNING. "}) {
        const std::size_t at = line.find(level);
        if (at == std::string::npos) continue;
        const std::size_t from = at + std::string(level).size();
        const std::string summary = line.substr(from, line.find(". ", from) - from);
        for (const char* kind : {" starts", " ends", "action skipped", ": changing to ", "Mail to ", "SMS to "}) {
          if (summary.find(kind) != std::string::npos) {
            out.push_back(summary);
            break;
          }
        }
      }
    }
    return out;
  }

  // Runs one step and checks the lines it added: waits (real time) until they are there, then a
  // little longer so that one too many would show.
  void Step(const std::string& what, const std::vector<std::string>& tool, const Lines& expected) {
    SCOPED_TRACE(what);
    const std::size_t before = Relevant().size();
    if (!tool.empty()) Tool(tool);
    for (int i = 0; i < 600 && Relevant().size() < before + expected.size(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const Lines all = Relevant();
    const Lines added(all.begin() + static_cast<long>(std::min(before, all.size())), all.end());
    EXPECT_EQ(added, expected);
  }
  void At(const std::string& day, const std::string& time, const Lines& expected) {
    Step(day + " " + time, {"clock", "set", day, time}, expected);
  }
  void Cell(const std::string& day, const std::string& time, const std::string& cell, const Lines& expected) {
    Tool({"clock", "set", day, time});
    Step(day + " " + time + " cell " + cell, {"cell", cell, "10"}, expected);
  }

  DWORD LastPlace() {
    DWORD value = 0;
    RegistryGetDWORD(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, u"last_place", &value);
    return value;
  }
};

// What each period does.
const Lines kNightStarts = {"Home: Night starts", "Speaker: changing to Vibrate"};
const Lines kNightEnds = {"Home: Night ends", "Speaker: changing to On"};
Lines Plus(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
const Lines kEveningWeekday = {"Home: Evening starts", "Wi-Fi: changing to On", "SMS to 600000001"};
const Lines kEveningWeekend = {"Home: Evening starts", "Wi-Fi: changing to On", "Text message: action skipped"};
const Lines kEveningEnds = {"Home: Evening ends"};
const Lines kOfficeWeekday = {"Work: Office starts",       "Wi-Fi: changing to Off",
                              "Bluetooth: changing to Connectable", "Mail to boss@example.com",
                              "Beam: action skipped",      "Phone: changing to Radio on",
                              "Call forwarding: changing to On",  "Power: changing to On state"};
const Lines kOfficeEnds = {"Work: Office ends", "Bluetooth: changing to Off", "Call forwarding: changing to Off"};

TEST_F(ScriptedWeekTest, AWeekOfPlacesAndPeriods) {
  Start();
  Step("Monday 06:00, at home", {}, kNightStarts);
  EXPECT_EQ(LastPlace(), 1u);
  const char* weekdays[] = {"2026-06-01", "2026-06-02", "2026-06-03", "2026-06-04", "2026-06-05"};
  for (int d = 0; d < 5; ++d) {
    const std::string day = weekdays[d];
    At(day, "07:00:00", kNightEnds);
    Cell(day, "08:30:00", "2001", {});  // no period of work holds 08:30
    At(day, "09:00:00", kOfficeWeekday);
    Cell(day, "12:00:00", "2002", {});  // the same place
    if (d == 1) {
      // An orderly close; the restart finds the place and runs its period's start again.
      PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_CLOSE, 0, 0);
      ASSERT_EQ(WaitForExit(m_velomar, 60000), 0);
      CloseProcess();
      Tool({"clock", "set", day, "12:05:00"});
      Start();
      Step("restart after a close", {}, kOfficeWeekday);
    }
    if (d == 2) {
      // Killed: the restart finds everything again.
      TerminateProcess(m_velomar.hProcess, 9);
      WaitForExit(m_velomar, 60000);
      CloseProcess();
      ASSERT_TRUE(WaitForMainWindow(false));
      Tool({"clock", "set", day, "12:05:00"});
      Start();
      Step("restart after a kill", {}, kOfficeWeekday);
    }
    EXPECT_EQ(LastPlace(), 2u);
    At(day, "17:00:00", kOfficeEnds);
    Cell(day, "17:30:00", "1001", {});  // Office already ended
    EXPECT_EQ(LastPlace(), 1u);
    At(day, "18:00:00", kEveningWeekday);
    At(day, "22:00:00", Plus(kEveningEnds, kNightStarts));
  }
  // Saturday: a visit to work, where only the every-day actions run.
  At("2026-06-06", "07:00:00", kNightEnds);
  Cell("2026-06-06", "10:00:00", "2001",
       {"Work: Office starts", "Phone: action skipped", "Call forwarding: action skipped", "Wi-Fi: action skipped",
        "Bluetooth: changing to Connectable", "Mail: action skipped", "Beam: action skipped",
        "Power: changing to On state"});
  Cell("2026-06-06", "12:00:00", "1001", kOfficeEnds);
  At("2026-06-06", "18:00:00", kEveningWeekend);
  At("2026-06-06", "22:00:00", Plus(kEveningEnds, kNightStarts));
  // Sunday at home.
  At("2026-06-07", "07:00:00", kNightEnds);
  At("2026-06-07", "18:00:00", kEveningWeekend);
  At("2026-06-07", "22:00:00", Plus(kEveningEnds, kNightStarts));
  At("2026-06-07", "23:59:00", {});

  // Three starts (one after a close, one after a kill). A period that ended is no longer in force,
  // so a move afterwards does not end it again: no run is repeated in the whole week.
  const std::string log = EventLogText();
  EXPECT_EQ(Count(log, "Velomar starting"), 3u);
  EXPECT_EQ(Count(log, "The actions of this period already ran"), 0u);
  // What the device did: the week's messages, and the one boundary left armed (Monday 07:00).
  const std::string sent = Devicectl({"sent"});
  EXPECT_EQ(Count(sent, "600000001"), 5u) << sent;
  EXPECT_EQ(Count(sent, "boss@example.com"), 7u) << sent;  // five days, two of them restarted
  const std::string pending = Devicectl({"notifications"});
  EXPECT_EQ(Count(pending, "timer_notification_07_00"), 1u) << pending;
  EXPECT_NE(pending.find("2026-06-08 07:00"), std::string::npos) << pending;
}

}  // namespace
