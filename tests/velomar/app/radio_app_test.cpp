// The radio side of the application object in this process, driven by the device's control tool
// run as a separate process: a cell change, a battery change, the radio switched through the
// phone manager with the stored PIN (right, then wrong), a band change on a "Kaiser", and the
// version the device reports.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/device/device.h"
#include "platform/phone/sim.h"
#include "platform/registry/registry.h"
#include "platform/testing/settled_clock.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/velomar/app/process_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/app/AppConnMgr.h"
#include "velomar/core/managers/CellHistory.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {

class EventRecorder : public IStatusListener {
 public:
  void StatusChanged(int, int, int event) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(event);
  }
  std::u16string GetName() override { return u"recorder"; }
  int Count(int event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (int e : m_events) n += e == event ? 1 : 0;
    return n;
  }

 private:
  std::mutex m_mutex;
  std::vector<int> m_events;
};

// One line of `devicectl effects`: "<id> <date> <time> <kind> [to=<target>] [body=<body>] ...".
struct PrintedEffect {
  std::string kind;
  std::string target;
  std::string body;
};
std::vector<PrintedEffect> ParseEffects(const std::string& text) {
  std::vector<PrintedEffect> out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string id, date, time;
    PrintedEffect e;
    if (!(words >> id >> date >> time >> e.kind)) continue;
    const auto to = line.find(" to=");
    if (to != std::string::npos) e.target = line.substr(to + 4, line.find(' ', to + 4) - (to + 4));
    const auto body = line.find(" body=");
    if (body != std::string::npos) e.body = line.substr(body + 6, line.find(" value=", body) - (body + 6));
    out.push_back(e);
  }
  return out;
}

// `bytes` enciphered as the settings hold a PIN.
std::vector<BYTE> EncipheredPin(const std::u16string& pin) {
  std::vector<BYTE> buffer(1008, 0);
  for (std::size_t i = 0; i < pin.size(); ++i) {
    buffer[2 * i] = static_cast<BYTE>(pin[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<BYTE>(pin[i] >> 8);
  }
  DWORD length = static_cast<DWORD>(pin.size() * 2);
  EXPECT_EQ(Encriptar(buffer.data(), &length), 1);
  buffer.resize(length);
  return buffer;
}

class RadioAppTest : public velomar_test::ProcessTest {
 protected:
  void SetUp() override {
    ProcessTest::SetUp();
    velomar::seam::ResetMgrConfig();
    velomar::seam::DeleteCellHistory();
    m_log = std::make_unique<CEventLog>();
    m_log->Start();
  }
  void TearDown() override {
    if (HWND prompt = FindWindowW(u"SIMSecurityUI", nullptr)) SendMessageW(prompt, WM_CLOSE, 0, 0);
    if (m_app) StopWhileDriving([&] { m_app.reset(); });
    if (m_log) StopWhileDriving([&] { m_log.reset(); });
    velomar::seam::DeleteCellHistory();
    velomar::seam::ResetMgrConfig();
    ProcessTest::TearDown();
  }
  void Start() {
    m_app = std::make_unique<CAppConnMgr>();
    m_app->InitGUI();
  }
  std::u16string Text(const char16_t* id) { return CTranslator::GetInstance()->GetText(id); }
  std::string Utf8Text(const char16_t* id) { return ce::text::ToUtf8(Text(id)); }
  // Moves the manual clock 50 ms every 2 ms of real time until `done` holds (at most `real_ms` of
  // real time): the tool's changes reach this process through threads that work in real time.
  // Each move waits for the threads it woke, so that a time they read after a Sleep (the end of a
  // vibration) is their Sleep's end however late a loaded machine runs them.
  static bool Drive(const std::function<bool()>& done, int real_ms = 30'000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(real_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ce::testing::AdvanceClockSettled(50);
    }
    return done();
  }
  std::vector<PrintedEffect> Effects() { return ParseEffects(Devicectl({"effects"})); }
  // The line, SIM and modem steps the tool shows, as "unregister", "modem:<body>", "minimum",
  // "full", "unlock", "register".
  std::vector<std::string> RadioSteps() {
    std::vector<std::string> steps;
    for (const PrintedEffect& e : Effects()) {
      if (e.kind == "line" || (e.kind == "sim" && e.target == "unlock")) steps.push_back(e.target);
      if (e.kind == "modem") steps.push_back("modem:" + e.body);
    }
    return steps;
  }
  static std::size_t CountKind(const std::vector<PrintedEffect>& effects, const std::string& kind) {
    std::size_t n = 0;
    for (const PrintedEffect& e : effects) n += e.kind == kind ? 1 : 0;
    return n;
  }
  std::u16string ReadBatteryLog() {
    std::ifstream in(HostPath(u"\\Program Files\\Velomar\\log_battery.txt"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
  }

  std::unique_ptr<CEventLog> m_log;
  std::unique_ptr<CAppConnMgr> m_app;
};

TEST_F(RadioAppTest, ACellChangeOfTheToolIsLoggedRecordedWithItsPlaceAndAnnounced) {
  Start();
  CStrPlace home(u"Home", u"Home", u"home.png", -1);
  m_app->GetDB().GetPlacesTable()->Insert(home);
  CStrCell cell;
  cell.SetValue(1234);
  cell.SetPlace(home.GetIdPlace());
  m_app->GetDB().GetCellsTable()->Insert(cell);
  CRilMgr& ril = m_app->GetRilMgr();
  EventRecorder listener;
  ril.AddStatusListener(&listener);
  CCellHistory* history = CCellHistory::GetInstance();
  const auto newest = [&]() -> std::tuple<DWORD, DWORD, std::u16string> {
    std::lock_guard<std::recursive_mutex> lock(history->GetLock());
    CCellRecord* record = history->GetAt(0);
    if (record == nullptr) return {0, 0, u""};
    return {record->GetCellId(false), record->GetLac(false), record->GetText()};
  };

  Tool({"cell", "1234", "56"});
  ASSERT_TRUE(Drive([&] { return std::get<0>(newest()) == 1234u; }));
  EXPECT_EQ(newest(), std::make_tuple(DWORD{1234}, DWORD{56}, std::u16string(u"Home")));
  const std::string position = "Position: cell 1234, LAC 56";
  ASSERT_TRUE(Drive([&] { return EventLogText().find(position) != std::string::npos; })) << EventLogText();
  EXPECT_TRUE(Drive([&] { return listener.Count(RIL_EVENT_POSITION) >= 1; }));

  // The same cell again: nothing logged or recorded.
  const int entries = history->GetCount();
  const int announced = listener.Count(RIL_EVENT_POSITION);
  Tool({"cell", "1234", "56"});
  Drive([] { return false; }, 2000);  // two seconds of real time in which nothing may come
  EXPECT_EQ(history->GetCount(), entries);
  EXPECT_EQ(Count(EventLogText(), position), 1u);
  EXPECT_EQ(listener.Count(RIL_EVENT_POSITION), announced);

  // A cell of no place, then the place renamed.
  Tool({"cell", "999", "56"});
  ASSERT_TRUE(Drive([&] { return std::get<0>(newest()) == 999u; }));
  EXPECT_EQ(std::get<2>(newest()), Text(u"UNKNOWN"));
  CStrPlace renamed;
  renamed.SetIdPlace(home.GetIdPlace());
  ASSERT_TRUE(m_app->GetDB().GetPlacesTable()->FindAndFill(renamed));
  renamed.SetName(u"Casa");
  m_app->GetDB().GetPlacesTable()->Update(renamed);
  history->Refresh();
  {
    std::lock_guard<std::recursive_mutex> lock(history->GetLock());
    EXPECT_EQ(history->GetAt(1)->GetText(), u"Casa");
  }
  ril.RemoveStatusListener(&listener);
}

TEST_F(RadioAppTest, ABatteryChangeOfTheToolIsLoggedAnnouncedAndWrittenToTheBatteryLog) {
  // A log that the start-up's line would take past its limit starts over with that line.
  {
    std::ofstream out(HostPath(u"\\Program Files\\Velomar\\log_battery.txt"), std::ios::binary | std::ios::trunc);
    out << std::string(30700, 'x');
  }
  Start();
  ASSERT_TRUE(Drive([&] { return ReadBatteryLog().size() == 26u; }));
  EXPECT_EQ(ReadBatteryLog().substr(20), u"080%\r\n");

  CRilMgr& ril = m_app->GetRilMgr();
  EventRecorder listener;
  ril.AddStatusListener(&listener);
  Tool({"battery", "15"});
  ASSERT_TRUE(Drive([&] { return listener.Count(RIL_EVENT_BATTERY) >= 1; }));
  ASSERT_TRUE(Drive([&] { return EventLogText().find("Battery 15%") != std::string::npos; })) << EventLogText();
  ASSERT_TRUE(Drive([&] { return ReadBatteryLog().size() == 52u; }));
  // Decoded here byte by byte: whole lines of 26 characters in the battery log's format.
  const std::u16string log = ReadBatteryLog();
  const std::regex format(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}%\r\n)");
  for (std::size_t at = 0; at < log.size(); at += 26)
    EXPECT_TRUE(std::regex_match(ce::text::ToUtf8(log.substr(at, 26)), format)) << ce::text::ToUtf8(log.substr(at, 26));
  EXPECT_EQ(log.substr(26 + 20), u"015%\r\n");
  ril.RemoveStatusListener(&listener);
}

TEST_F(RadioAppTest, RadioOffAndOnUnlocksWithTheStoredPinAndAWrongOneIsTriedOnce) {
  CConfig::GetInstance()->SetBinary(u"pin", EncipheredPin(u"1234").data(), static_cast<DWORD>(EncipheredPin(u"1234").size()));
  Tool({"set", "sim.pin", "1234"});
  Start();
  CMobilePhoneMgr& phone = m_app->GetPhoneMgr();
  ASSERT_EQ(phone.GetPin(), u"1234");
  ASSERT_EQ(phone.GetStatus(), 0);
  Tool({"effects", "clear"});
  const auto switch_radio = [&](int status) {
    phone.SetStatus(status, 0, 0, 0);
    // Done when the change ended and the broker's report of the phone's state refreshed the manager.
    return Drive([&] {
      return phone.GetGSMStatus() == status && phone.IsOperationRunning() == 0 && phone.GetStatus() == status;
    });
  };

  ASSERT_TRUE(switch_radio(1));
  ASSERT_TRUE(switch_radio(0));
  ASSERT_TRUE(Drive([&] { return ce::device::GetInt("radio.registered") == 1; }));
  EXPECT_EQ(RadioSteps(), (std::vector<std::string>{"minimum", "full", "unlock", "register"}));
  EXPECT_EQ(FindWindowW(u"SIMSecurityUI", nullptr), nullptr) << "the SIM's prompt was closed";

  // A wrong PIN (and no second one): reported, a beep and a second of vibration, and one attempt.
  teskautils_test::LogQueueReader reports;
  ASSERT_TRUE(phone.SetPin(u"9999"));
  const std::int64_t attempts = ce::device::GetInt("sim.attempts");
  Tool({"effects", "clear"});
  ASSERT_TRUE(switch_radio(1));
  ASSERT_TRUE(switch_radio(0));
  // A loaded machine may take long to run the radio's steps: a generous bound, and what was seen.
  // (The wait reads the effects in this process; the tool's listing is checked once they are in.)
  ASSERT_TRUE(Drive([&] { return ce::device::Effects("led").size() >= 2u; }, 90'000)) << CountKind(Effects(), "led");
  std::vector<PrintedEffect> effects = Effects();
  EXPECT_EQ(CountKind(effects, "beep"), 1u);
  const auto leds = ce::device::Effects("led");
  ASSERT_EQ(leds.size(), 2u);
  EXPECT_GE(leds[1].time - leds[0].time, 1000 * 10000) << "a 1000 ms vibration";
  // A thread under ThreadSanitizer can still see its Sleep end a clock step or two behind the moves
  // (seen: 1,100 ms); the bound tells a second from the three of a debug vibration.
  EXPECT_LE(leds[1].time - leds[0].time, 1200 * 10000);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), attempts - 1);
  const std::u16string error = Text(u"ERROR UNLOCKING");
  int reported = 0;
  for (const auto& record : reports.Take()) reported += record.text.find(error) != std::u16string::npos ? 1 : 0;
  EXPECT_EQ(reported, 1);
  EXPECT_NE(FindWindowW(u"SIMSecurityUI", nullptr), nullptr) << "the prompt stays for the user";

  // The next radio-on offers the refused PIN no more.
  ASSERT_TRUE(switch_radio(1));
  ASSERT_TRUE(switch_radio(0));
  ASSERT_TRUE(Drive([&] { return ce::device::Effects("led").size() >= 4u; }, 90'000)) << CountKind(Effects(), "led");
  EXPECT_EQ(CountKind(Effects(), "led"), 4u);
  effects = Effects();
  std::size_t unlocks = 0;
  for (const PrintedEffect& e : effects) unlocks += e.kind == "sim" && e.target == "unlock" ? 1 : 0;
  EXPECT_EQ(unlocks, 1u);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), attempts - 1);
}

TEST_F(RadioAppTest, BandTwoOnAKaiserResetsTheRadioInOrderAndAFirstRefusalBlocksNothing) {
  CConfig::GetInstance()->SetBinary(u"pin", EncipheredPin(u"1234").data(), static_cast<DWORD>(EncipheredPin(u"1234").size()));
  Tool({"set", "sim.pin", "1234"});
  Tool({"set", "device.oem", "Kaiser"});
  Tool({"band", "auto"});
  Start();
  CBandMgr& band = m_app->GetBandMgr();
  ASSERT_EQ(band.GetStatus(), 0);
  Tool({"effects", "clear"});
  const auto op_mode = [] {
    DWORD mode = 99;
    RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\OEM\\UMTS", u"OpMode", &mode);
    return mode;
  };

  band.SetStatus(2, 0, 0, 0);
  ASSERT_TRUE(Drive([&] { return !band.IsResetRunning() && band.GetStatus() == 2 && RadioSteps().size() >= 7; }));
  EXPECT_EQ(op_mode(), 2u);
  const std::vector<std::string> expected = {"unregister", "modem:34 00 00 00 02 00 00 00 01 00 00 00 02 00 00 00",
                                             "minimum", "full", "unlock", "register", "register"};
  EXPECT_EQ(RadioSteps(), expected);

  // The same mode again does nothing.
  const LONG executed = band.GetExecutedCount();
  band.SetStatus(2, 0, 0, 0);
  ASSERT_TRUE(Drive([&] { return band.GetExecutedCount() > executed; }));
  EXPECT_EQ(RadioSteps().size(), expected.size());

  // The tool refuses the first request of the next change at once; the change after it works.
  Tool({"refuse", "line.unregister", "--now"});
  band.SetStatus(0, 0, 0, 0);
  ASSERT_TRUE(Drive([&] { return WaitForSingleObject(band.GetStatusChangeEvent(), 0) == WAIT_OBJECT_0; }));
  EXPECT_FALSE(band.IsResetRunning());
  EXPECT_EQ(RadioSteps().size(), expected.size());
  band.SetStatus(1, 0, 0, 0);
  ASSERT_TRUE(Drive([&] { return !band.IsResetRunning() && op_mode() == 1 && RadioSteps().size() >= 2 * expected.size(); }));
  EXPECT_EQ(RadioSteps()[expected.size() + 1], "modem:34 00 00 00 02 00 00 00 01 00 00 00 01 00 00 00");
}

TEST_F(RadioAppTest, ThePlatformVersionFollowsTheVersionTheToolSets) {
  const struct {
    const char* version;
    int platform;
  } cases[] = {{"5.1.1900", 5}, {"5.2.19202", 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    Tool({"os-version", c.version});
    Start();
    EXPECT_EQ(m_app->GetPhoneMgr().GetPlatformVersion(), c.platform);
    StopWhileDriving([&] { m_app.reset(); });
  }
}

}  // namespace
