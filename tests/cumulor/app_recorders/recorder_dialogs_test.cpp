// The recorder dialogs through the core's commands under the scripted user, the GPS input in its
// "SIM" mode loop and the recorder emulators wired in process through the loop's recorder hooks:
// the Volkslogger download (133) and declaration (128), the Filser/LX declaration (128) and
// download (194), and the ends without a recorder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/app/core/commands.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/dialogs/recorder_dialogs.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "cumulor/nav/recorder/logger_session.h"
#include "cumulor/nav/recorder/recorder_hooks.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "platform/window/window_seams.h"
#include "tests/cumulor/app_core/app_fixture.h"
#include "tests/cumulor/nav_volkslogger/igc_file_check.h"
#include "tests/tools/lxemu/lx_emulator_io.h"
#include "tests/tools/vlemu/emulator_io.h"

using namespace cumulor;
using namespace ce::scripted::steps;
using ce::scripted::Kind;
using ce::scripted::User;
namespace fs = std::filesystem;

namespace {

vlemu_test::EmulatorIo* g_vlIo = nullptr;
lxemu_test::LxEmulatorIo* g_lxIo = nullptr;

// The loop's hooks with the emulators in place of "COM1:".
void InProcessExchange(GpsPort& gps) {
  if (g_vlIo && gps.app) RunLoggerDownload(gps.app->loggerSession, *g_vlIo);
}
void InProcessDeviceCommand(GpsPort& gps, std::int32_t command, HWND window) {
  if (g_lxIo) RunDeviceCommand(gps, *g_lxIo, command, window);
}

LRESULT MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

int NoCallback(HRESULT, const GpsStatus*) { return 1; }

std::u16string Text(HWND dialog, int id) {
  WCHAR text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

// Until the control shows `want` (the dialog's thread answers); false after 60 s.
bool WaitText(HWND dialog, int id, const std::u16string& want) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Text(dialog, id) != want) {
    if (!IsWindow(dialog) || std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Until the control is shown (or hidden) as wanted: the worker's changes reach the dialog's
// thread without waiting for it. False after 60 s.
bool WaitVisible(HWND dialog, int id, bool visible) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while ((IsWindowVisible(GetDlgItem(dialog, id)) != FALSE) != visible) {
    if (!IsWindow(dialog) || std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::u16string ListCell(HWND list, int row, int column) {
  WCHAR text[64] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<std::u16string> ListBoxLines(HWND dialog) {
  HWND list = GetDlgItem(dialog, kIdDeclPoints);
  std::vector<std::u16string> lines;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    WCHAR text[64] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    lines.push_back(text);
  }
  return lines;
}

class RecorderDialogs : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    fs::create_directories(device_folder() / "root" / "Data");
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = u"Cumulor";
    RegisterClassW(&wc);
    app->mainWindow = CreateWindowExW(0, u"Cumulor", u"Cumulor", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    app->simulator = 1;
    app->dataFolder.Set(u"\\Data");
    TrailInit();
    ModeLoopRecorderHooks hooks;
    hooks.recorderExchange = InProcessExchange;
    hooks.deviceCommand = InProcessDeviceCommand;
    SetModeLoopRecorderHooks(hooks);
    g_vlIo = &vlIo;
    g_lxIo = &lxIo;
    vl.AddFlight(vlemu::MakeFlight(80, 2850000, 495000, 1));
    vl.AddFlight(vlemu::MakeFlight(120, -2000000, -300, 2));
    ASSERT_EQ(FixBufferReserve(app->gps, 400), S_OK);
    ASSERT_EQ(GpsPortOpen(app->gps, u"SIM", 4800), S_OK);
    ASSERT_EQ(GpsStart(app->gps, NoCallback, 1, app->mainWindow), S_OK);
  }
  void TearDown() override {
    GpsStop(app->gps);
    SetModeLoopRecorderHooks(ModeLoopRecorderHooks{});
    g_vlIo = nullptr;
    g_lxIo = nullptr;
    DestroyWindow(app->mainWindow);
    UnregisterClassW(u"Cumulor", nullptr);
    TrailTerm();
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    UserWaypoints().countries.SetSize(0);
    AppTest::TearDown();
  }

  // Runs `command` on this thread, which the dialog then runs on, while `script` acts as the user
  // on a thread of its own with the dialog's handle; whatever the script did, Exit ends the
  // dialog (unless it ended by itself).
  void WithDialog(WORD command, const std::u16string& title, const std::function<void(HWND)>& script) {
    User& user = User::Get();
    user.HoldUnanswered(true);
    std::size_t before = 0;
    for (const auto& shown : user.shown()) before += shown.kind == Kind::kDialog;
    std::thread driver([&] {
      if (!user.WaitShown(Kind::kDialog, before + 1, std::chrono::seconds(30))) return;
      HWND dialog = FindWindowW(u"Dialog", title.c_str());
      if (!dialog) return;
      script(dialog);
      if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    // The device's clock runs on: the mode loop's steps and the dialogs' timers come round.
    std::atomic<bool> done{false};
    std::thread ticker([&] {
      while (!done) {
        AdvanceClock(100);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
    OnCommand(*app, command, 0);
    driver.join();
    done = true;
    ticker.join();
    user.HoldUnanswered(false);
  }

  // Three user waypoints as the active task.
  void ThreePointTask() {
    const struct {
      const char* name;
      GeoPoint at;
    } points[] = {{"", {}}, {"Innsbruck", {406800, 1700640}}, {"Zugspitze", {393900, 1697000}}, {"Kufstein", {439200, 1702800}}};
    for (const auto& p : points) {
      WaypointRecord w;
      w.position = p.at;
      UserWaypoints().records.Append(w);
      PointText name;
      std::strcpy(name.text, p.name);
      UserWaypoints().names.Append(name);
      UserWaypoints().countries.Append(PointText{});
    }
    DynArray<TaskPoint>& task = ActiveTask();
    task.SetSize(3);
    for (int i = 0; i < 3; ++i) {
      task[i] = TaskPoint{};
      task[i].kind = kPointUserWaypoint;
      task[i].index = i + 1;
      task[i].lon = points[i + 1].at.lon;
      task[i].lat = points[i + 1].at.lat;
    }
  }

  // The GPS input is back in its mode: no recorder request, and the simulator stores fixes again.
  void ExpectGpsInputBack() {
    EXPECT_EQ(app->gps.recorderRequest.load(), 0);
    const std::int32_t stored = GetFixBuffer(app->gps, nullptr, 0);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (GetFixBuffer(app->gps, nullptr, 0) <= stored && std::chrono::steady_clock::now() < giveUp) {
      AdvanceClock(500);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_GT(GetFixBuffer(app->gps, nullptr, 0), stored);
  }

  vlemu::VlEmulator vl;
  vlemu_test::EmulatorIo vlIo{vl};
  lxemu::LxEmulator lx;
  lxemu_test::LxEmulatorIo lxIo{lx};
};

TEST_F(RecorderDialogs, VolksloggerDownloadListsTheFlightsAndDownloadAllWritesAndCopiesThem) {
  fs::create_directories(device_folder() / "root" / "Storage Card");
  std::memcpy(app->cardFolder, u"\\Storage Card", sizeof(u"\\Storage Card"));
  const std::vector<vlemu::GenFlight> flights = vl.flights();  // the erase empties the recorder
  std::vector<std::u16string> rows;
  bool downloaded = false, erased = false;
  WithDialog(kCmdVlDownload, u"VL IGC Log Transfer", [&](HWND dialog) {
    if (!WaitText(dialog, kIdRecorderStatus, u"Ready")) return;
    HWND list = GetDlgItem(dialog, kIdFlightList);
    for (int row = 0; row < static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++row)
      for (int column = 0; column < 3; ++column) rows.push_back(ListCell(list, row, column));
    EXPECT_TRUE(WaitVisible(dialog, kIdDownloadAll, true));
    EXPECT_EQ(IsDlgButtonChecked(dialog, kIdCopyToCard), static_cast<UINT>(BST_CHECKED));
    User::Get().AnswerDialog({Click(kIdDownloadAll)});
    downloaded = WaitText(dialog, kIdRecorderStatus, u"Files Downloaded OK!");
    if (!downloaded) return;
    EXPECT_TRUE(WaitVisible(dialog, kIdEraseLogger, true));
    EXPECT_TRUE(WaitVisible(dialog, kIdRecorderProgress, false));
    SendMessageW(dialog, WM_NULL, 0, 0);  // the dialog's thread has drawn what it was sent
    EXPECT_TRUE(ce::window::SaveWindowScreenshot(dialog, "vl_download_dialog.png"));
    // "Erase Logger Memory", answered Yes.
    User::Get().AnswerBox(IDYES);
    SendMessageW(dialog, WM_COMMAND, kIdEraseLogger, 0);
    erased = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0 && !IsWindowVisible(GetDlgItem(dialog, kIdEraseLogger));
  });
  ASSERT_EQ(rows.size(), 6u);
  const std::int32_t seconds = vlemu::FlightSeconds(flights[1]);
  EXPECT_EQ(rows[0], u"661A0831.IGC");
  EXPECT_EQ(rows[1], u"01-06-26");
  EXPECT_EQ(rows[3], u"661A0832.IGC");
  EXPECT_EQ(rows[5], ce::text::Format(u"%d:%02d", seconds / 3600, seconds / 60 % 60));
  ASSERT_TRUE(downloaded);
  EXPECT_TRUE(erased);

  for (std::size_t i = 0; i < 2; ++i) {
    const std::string name = i == 0 ? "661A0831.IGC" : "661A0832.IGC";
    SCOPED_TRACE(name);
    const fs::path file = device_folder() / "root" / "Data" / "Logger_IGC_Files" / name;
    const auto lines = igc_file_check::ReadLines(file);
    igc_file_check::CheckLines(lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "HFPLTPILOT:PILOT ONE"), lines.end());
    vlemu::Bytes sent = vlemu::FlightStream(flights[i]);
    sent.insert(sent.end(), flights[i].security.begin(), flights[i].security.end());
    const vlemu::Bytes decoded = igc_file_check::DecodeG(lines);
    ASSERT_GE(decoded.size(), sent.size());
    EXPECT_EQ(vlemu::Bytes(decoded.begin(), decoded.begin() + static_cast<long>(sent.size())), sent);
    EXPECT_TRUE(fs::exists(device_folder() / "root" / "Storage Card" / name));
  }
  {
    std::lock_guard<std::mutex> hold(vlIo.lock());
    EXPECT_TRUE(vl.flights().empty());  // erased
    EXPECT_EQ(vl.commands().back(), 12);  // Exit ended the recorder's session
  }
  ExpectGpsInputBack();
}

TEST_F(RecorderDialogs, WithoutAVolksloggerTheDownloadDialogCloses) {
  vl.faults.silent = true;
  const auto started = std::chrono::steady_clock::now();
  WithDialog(kCmdVlDownload, u"VL IGC Log Transfer", [](HWND dialog) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (IsWindow(dialog) && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(IsWindow(dialog));  // closed by itself, not by the Exit that follows
  });
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
  ExpectGpsInputBack();
}

TEST_F(RecorderDialogs, VolksloggerDeclarationReadThenTheActiveTaskSent) {
  ThreePointTask();
  Rules().rule[kRuleOnTask].type = kGateCylinder;
  Rules().rule[kRuleOnTask].width = 500;
  {
    // The recorder holds a pilot already.
    vlemu::Bytes& m = vl.memory();
    m[12288] = 2 + 17;
    m[12289] = 1;
    std::memset(&m[12290], 0, 17);
    std::memcpy(&m[12290], "KARL", 4);
  }
  std::u16string pilotRead, sent;
  std::vector<std::u16string> listed;
  WithDialog(kCmdVlDeclaration, u"Declaration Transfer", [&](HWND dialog) {
    if (!WaitText(dialog, kIdRecorderStatus, u"Ready")) return;
    pilotRead = Text(dialog, kIdDeclPilot);
    EXPECT_TRUE(WaitVisible(dialog, kIdDeclTask, true));
    EXPECT_TRUE(WaitVisible(dialog, IDOK, true));
    EXPECT_EQ(Text(dialog, kIdDeclTask), u"<-> 00");
    User::Get().AnswerDialog({Click(kIdDeclTask), SetText(kIdDeclPilot, u"Jane Doe"), SetText(kIdDeclRegistration, u"d-kaxy"),
                              Click(IDOK)});
    if (WaitText(dialog, IDCANCEL, u"Exit")) sent = Text(dialog, kIdRecorderStatus);
    listed = ListBoxLines(dialog);
  });
  EXPECT_EQ(pilotRead, u"KARL");
  EXPECT_EQ(sent, u"Declaration sent OK.");
  EXPECT_EQ(listed, (std::vector<std::u16string>{u"INNSBR", u"ZUGSPI", u"KUFSTE"}));

  std::lock_guard<std::mutex> hold(vlIo.lock());
  const auto records = vlemu_test::Records(vl.memory());
  ASSERT_TRUE(records.count(1) && records.count(6) && records.count(16) && records.count(33) && records.count(34) &&
              records.count(49));
  EXPECT_STREQ(reinterpret_cast<const char*>(records.at(1).data()), "JANE DOE");
  EXPECT_STREQ(reinterpret_cast<const char*>(records.at(6).data()), "D-KAXY");
  EXPECT_EQ(records.at(16)[0], 1);
  const auto start = vlemu_test::DecodePoint(records.at(33));
  const auto turn = vlemu_test::DecodePoint(records.at(49));
  const auto finish = vlemu_test::DecodePoint(records.at(34));
  EXPECT_EQ(start.name, "INNSBR");
  EXPECT_EQ(turn.name, "ZUGSPI");
  EXPECT_EQ(finish.name, "KUFSTE");
  EXPECT_NEAR(start.latitude, 1700640 / 36000.0, 1 / 60000.0 + 1e-5);
  EXPECT_NEAR(start.longitude, 406800 / 36000.0, 1 / 60000.0 + 1e-5);
  EXPECT_NEAR(turn.latitude, 1697000 / 36000.0, 1 / 60000.0 + 1e-5);
  EXPECT_EQ(turn.small, 500);
  EXPECT_EQ(turn.large, 0);
  EXPECT_EQ(turn.direction, 360);
  EXPECT_EQ(vl.commands().back(), 12);
}

TEST_F(RecorderDialogs, FilserDeclarationOnlyInTheSimulatorAndWithATask) {
  const struct {
    std::int32_t simulator;
    bool task;
    const char16_t* text;
  } cases[] = {{0, true, u"This function can be used only in Simulator Mode."},
               {1, false, u"Nothing To Declare - Create Task 00 First."}};
  for (const auto& c : cases) {
    app->simulator = c.simulator;
    ActiveTask().SetSize(0);
    if (c.task) ThreePointTask();
    User::Get().Reset();
    OnCommand(*app, kCmdSimDeclaration, 0);
    // The program's own message box, and no recorder dialog.
    const auto shown = User::Get().shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(std::find(shown[0].texts.begin(), shown[0].texts.end(), c.text), shown[0].texts.end());
  }
}

TEST_F(RecorderDialogs, FilserDeclarationReadAndWritten) {
  ThreePointTask();
  app->navTarget = ActiveTask()[0];
  std::u16string pilotRead;
  std::vector<std::u16string> readPoints, taskPoints;
  bool written = false;
  WithDialog(kCmdSimDeclaration, u"Declaration Transfer", [&](HWND dialog) {
    if (!WaitText(dialog, kIdRecorderStatus, u"Ready")) return;
    pilotRead = Text(dialog, kIdDeclPilot);
    readPoints = ListBoxLines(dialog);
    User::Get().AnswerDialog({Click(kIdDeclTask), SetText(kIdDeclPilot, u"Anna Berger"), Click(IDOK)});
    written = WaitText(dialog, kIdRecorderStatus, u"Declaration sent OK");
    taskPoints = ListBoxLines(dialog);
  });
  EXPECT_EQ(pilotRead, u"LX PILOT");
  EXPECT_EQ(readPoints, (std::vector<std::u16string>{u"TOFF:HOME", u"TP1:NORTH", u"LDG:HOME"}));
  ASSERT_TRUE(written);
  EXPECT_EQ(taskPoints, (std::vector<std::u16string>{u"TOFF:Innsbruc", u"TP1:Innsbruc", u"TP2:Zugspitz", u"TP3:Kufstein",
                                                    u"LDG:Innsbruc"}));
  std::lock_guard<std::mutex> hold(lxIo.lock());
  const lxemu::Declaration kept = lxemu::DecodeBlock(lx.block());
  EXPECT_EQ(kept.pilot, "Anna Berger");
  EXPECT_EQ(kept.registration, "D-LXLX");  // the field read from the recorder, sent back
  EXPECT_EQ(kept.points[0].type, 3);
  EXPECT_EQ(kept.points[2].name, "Zugspitz");
  EXPECT_EQ(kept.points[2].latitude, 1697000 * 5 / 3);
  EXPECT_EQ(kept.points[2].longitude, 393900 * 5 / 3);
  EXPECT_EQ(kept.points[4].type, 2);
  EXPECT_EQ(kept.points[5].type, 0);
}

TEST_F(RecorderDialogs, FilserDownloadRequestsTheFlightsAndASilentRecorderIsNotFound) {
  bool requested = false;
  WithDialog(kCmdLxDownload, u"Filser/LX IGC Log Transfer", [&](HWND dialog) {
    EXPECT_EQ(Text(dialog, kIdRecorderStatus), u"");  // no read at opening
    User::Get().AnswerDialog({Click(kIdDownloadAll)});
    requested = WaitText(dialog, kIdRecorderStatus, u"Ready");
  });
  EXPECT_TRUE(requested);
  {
    std::lock_guard<std::mutex> hold(lxIo.lock());
    EXPECT_EQ(lx.requests(), (std::vector<std::uint8_t>{0x31}));
  }

  ThreePointTask();
  {
    std::lock_guard<std::mutex> hold(lxIo.lock());
    lx.faults.silent = true;
  }
  bool notFound = false, closedByItself = false;
  WithDialog(kCmdSimDeclaration, u"Declaration Transfer", [&](HWND dialog) {
    notFound = WaitText(dialog, kIdRecorderStatus, u"Logger NOT found");
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (IsWindow(dialog) && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    closedByItself = !IsWindow(dialog);
  });
  EXPECT_TRUE(notFound);
  EXPECT_TRUE(closedByItself);
  ExpectGpsInputBack();
}

}  // namespace
