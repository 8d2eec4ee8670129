// The Today host and the installed Velomar, each a process of its own: the item shows Velomar's
// statuses, follows the simulated phone and the schedule engine, hands taps back (Velomar's popups
// are seen in its scripted user's record file), and falls back to unknown icons while Velomar is
// gone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "tests/todayvelomar/today_fixture.h"
#include "tests/velomar/app/process_fixture.h"
#include "tools/todayhost/today_host.h"
#include "tools/todayhost/today_host_install.h"
#include "velomar/places/DB.h"
#include "velomar/ui/Translator.h"

namespace {

using namespace today_test;

class VelomarToday : public velomar_test::ProcessTest {
 protected:
  void SetUp() override {
    ProcessTest::SetUp();
    ASSERT_TRUE(todayhost::InstallTodayHost());
    // Two places: home by cell 1001 (its night from 22:00 to 07:00), work by 2001 (office hours).
    std::filesystem::copy_file(WEEK_FIXTURE, HostPath(u"\\Velomar.xml"));
    {
      CTranslator texts;
      CDB db;
      db.OpenDB();
      db.ImportXML();
      db.CloseDB();
    }
    Tool({"clock", "set", "2026-06-01", "06:00:00"});  // a Monday night, at home
    Tool({"cell", "1001", "10"});
    shot_ = device_folder() / "today.png";
    record_ = device_folder() / "velomar-user.txt";
    // The four icon popups are cancelled by the user (their Cancel choice, 109) and the warning
    // before a place is locked is answered No; the next popup waits for an answer.
    std::ofstream script(device_folder() / "velomar-script.txt");
    for (int i = 0; i < 4; ++i) script << "dialog\n  click 109\nend\n";
    script << "box IDNO\nhold on\n";
  }
  void TearDown() override {
    StopVelomar();
    if (host_) {
      if (HWND host = FindWindowW(todayhost::kHostClass, nullptr)) PostMessageW(host, WM_CLOSE, 0, 0);
      WaitForSingleObject(host_, INFINITE);
      CloseHandle(host_);
    }
    ProcessTest::TearDown();
  }

  void StartVelomarWithUser() {
    ::setenv("CE_USER_SCRIPT", (device_folder() / "velomar-script.txt").c_str(), 1);
    ::setenv("CE_USER_RECORD", record_.c_str(), 1);
    velomar_ = StartVelomar(u"");
    ::unsetenv("CE_USER_SCRIPT");
    ::unsetenv("CE_USER_RECORD");
    ASSERT_NE(velomar_.hProcess, nullptr);
    ASSERT_TRUE(WaitForMainWindow(true));
  }
  void StopVelomar() {
    if (velomar_.hProcess == nullptr) return;
    TerminateProcess(velomar_.hProcess, 9);
    WaitForExit(velomar_, 30000);
    CloseHandle(velomar_.hProcess);
    CloseHandle(velomar_.hThread);
    velomar_ = PROCESS_INFORMATION{};
  }
  void StartHost() {
    ::setenv("CE_SCREENSHOT", shot_.c_str(), 1);
    PROCESS_INFORMATION pi = ce::testing::StartDeviceProgram(todayhost::kProgramPath, u"");
    ::unsetenv("CE_SCREENSHOT");
    ASSERT_NE(pi.hProcess, nullptr);
    CloseHandle(pi.hThread);
    host_ = pi.hProcess;
  }

  // Waits (real time, at most 30 s) until the host's latest screenshot passes `check`.
  template <class Check>
  bool ShotShows(Check check) {
    for (int i = 0; i < 600; ++i) {
      std::ifstream in(shot_, std::ios::binary);
      const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
      if (HBITMAP shot = bytes.empty() ? nullptr : ce::gdi::BitmapFromImageData(bytes.data(), bytes.size())) {
        const bool ok = check(shot);
        DeleteObject(shot);
        if (ok) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // The pixels of a rectangle of the latest screenshot (to tell a change of the texts).
  std::vector<COLORREF> Pixels(RECT r) {
    std::vector<COLORREF> out;
    ShotShows([&](HBITMAP shot) {
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(ce::gdi::BitmapPixel(shot, x, y));
      return true;
    });
    return out;
  }
  // The lines of Velomar's scripted-user record that begin with `prefix`.
  std::vector<std::string> Record(const std::string& prefix) {
    std::ifstream in(record_);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
  }
  std::string RecordText() {
    std::ifstream in(record_);
    return std::string{std::istreambuf_iterator<char>(in), {}};
  }
  bool WaitRecord(const std::string& prefix, std::size_t count) {
    for (int i = 0; i < 600 && Record(prefix).size() < count; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Record(prefix).size() >= count;
  }

  std::filesystem::path shot_, record_;
  PROCESS_INFORMATION velomar_{};
  HANDLE host_ = nullptr;
};

TEST_F(VelomarToday, FollowsThePhoneAndTheScheduleHandsTapsBackAndSurvivesVelomarsRestart) {
  StartVelomarWithUser();
  StartHost();
  const RECT cell_text{176, 1, 240, 26}, place_line{0, 25, 240, 35};
  // Velomar's statuses: no icon is unknown; the lock, "cell-LAC" and the place line are drawn.
  ASSERT_TRUE(ShotShows([&](HBITMAP s) {
    for (int slot = 0; slot < 6; ++slot)
      if (CellHas(s, 25 * slot, kUnknown)) return false;
    return CellHas(s, 150, kLock) && HasDarkPixel(s, cell_text);
  }));
  const auto cell_before = Pixels(cell_text);
  const auto line_before = Pixels(place_line);

  // A work cell during office hours: the engine starts the office period (whose actions switch
  // Bluetooth on, among others), and the cell numbers and the place line change.
  Tool({"clock", "set", "2026-06-01", "09:30:00"});
  Tool({"cell", "2001", "20"});
  EXPECT_TRUE(ShotShows([&](HBITMAP) { return Pixels(cell_text) != cell_before; })) << "cell id and LAC";
  EXPECT_TRUE(ShotShows([&](HBITMAP) { return Pixels(place_line) != line_before; })) << "place and period";
  EXPECT_TRUE(ShotShows([&](HBITMAP s) { return CellHas(s, 25, kBluetoothOn); }));
  // Then Bluetooth discoverable and the radio off.
  Tool({"bluetooth", "discoverable"});
  Tool({"radio", "off"});
  EXPECT_TRUE(ShotShows([&](HBITMAP s) { return CellHas(s, 25, kDiscoverable) && CellHas(s, 75, kOff); }));
  // For a person to look at (in the test's build folder).
  std::filesystem::copy_file(shot_, "velomar_today_changed.png", std::filesystem::copy_options::overwrite_existing);

  // Taps at x = 0, 25, 26, 150 and 151 open the popups of icons 0, 0, 1, 5 and the text's popup.
  const HWND host = FindWindowW(todayhost::kHostClass, nullptr);
  ASSERT_NE(host, nullptr);
  for (int x : {0, 25, 26, 150, 151}) {
    const std::size_t before = Record("answered ").size();
    ASSERT_TRUE(PostMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(x, 5)));
    ASSERT_TRUE(WaitRecord("answered ", before + 1)) << "x " << x << "\n" << RecordText();
  }
  const auto shown = Record("shown ");
  ASSERT_EQ(shown.size(), 5u) << RecordText();
  const std::string wifi = R"(shown dialog "Select an option" "On" "Off" "Comm Manager" "Cancel")";
  EXPECT_EQ(shown[0], wifi);
  EXPECT_EQ(shown[1], wifi);
  // Bluetooth's choices depend on its state (discoverable now); its popup has "Settings".
  EXPECT_NE(shown[2].find(R"("Settings" "Cancel")"), std::string::npos) << shown[2];
  EXPECT_EQ(shown[3], R"(shown dialog "Select an option" "2G" "3G" "Cancel")");
  // The text: the place is not locked, so the lock command starts with its warning.
  EXPECT_EQ(shown[4].rfind("shown box", 0), 0u) << shown[4];
  EXPECT_NE(shown[4].find("unlocked"), std::string::npos) << shown[4];

  // The speaker's popup waits for its user; the host goes on asking and drawing meanwhile.
  ASSERT_TRUE(PostMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(60, 5)));
  ASSERT_TRUE(WaitRecord("shown ", 6));
  Tool({"bluetooth", "off"});
  EXPECT_TRUE(ShotShows([&](HBITMAP s) { return CellHas(s, 25, kOff) && !CellHas(s, 25, kDiscoverable); }));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(host, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0)), todayhost::kTextColor);

  // Velomar gone: six unknown icons beside the lock. Started again: the item registers with the
  // new window and the statuses come back.
  StopVelomar();
  EXPECT_TRUE(ShotShows([&](HBITMAP s) {
    for (int slot = 0; slot < 6; ++slot)
      if (!CellHas(s, 25 * slot, kUnknown)) return false;
    return CellHas(s, 150, kLock);
  }));
  StartVelomarWithUser();
  EXPECT_TRUE(ShotShows([&](HBITMAP s) {
    for (int slot = 0; slot < 6; ++slot)
      if (CellHas(s, 25 * slot, kUnknown)) return false;
    return CellHas(s, 25, kOff);
  }));
}

}  // namespace
