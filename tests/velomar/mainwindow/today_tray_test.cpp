// The Today item protocol with an item in another process (registration, every status, the place
// and period after a period change, taps that open popups), the tray tap, and bad messages.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dialogs/tray.h"
#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"
#include "tests/velomar/mainwindow/main_window_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/OptionDialog.h"
#include "velomar/ui/Translator.h"

extern char** environ;

namespace {

using namespace ce::scripted::steps;

struct Line {
  std::string kind;  // a message number, or "tap"
  unsigned long long wparam = 0;
  long long lparam = 0;
};

class TodayTrayTest : public velomar_test::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ce::scripted::User::Get().Reset();
    m_logFile = device_folder() / "today-item.log";
  }
  void TearDown() override {
    StopItem();
    ce::scripted::User::Get().Reset();
    MainWindowTest::TearDown();
  }
  // Starts the stand-in item with the taps it posts once it has every status.
  void StartItem(const std::string& taps) {
    std::vector<std::string> args{TODAY_ITEM_PATH, "--device", device_folder().string(), "--log", m_logFile.string()};
    if (!taps.empty()) {
      args.push_back("--taps");
      args.push_back(taps);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&m_item, TODAY_ITEM_PATH, nullptr, nullptr, argv.data(), environ), 0);
  }
  void StopItem() {
    if (m_item == 0) return;
    std::ofstream(m_logFile.string() + ".stop") << "stop";
    int status = 0;
    waitpid(m_item, &status, 0);
    m_item = 0;
  }
  std::vector<Line> ItemLog() {
    std::ifstream in(m_logFile);
    std::vector<Line> lines;
    for (std::string text; std::getline(in, text);) {
      std::istringstream words(text);
      Line line;
      words >> line.kind >> line.wparam >> line.lparam;
      lines.push_back(line);
    }
    return lines;
  }
  std::string ItemLogText() {
    std::ifstream in(m_logFile);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::size_t CountOf(const std::string& kind) {
    std::size_t n = 0;
    for (const Line& line : ItemLog()) n += line.kind == kind ? 1 : 0;
    return n;
  }

  std::filesystem::path m_logFile;
  pid_t m_item = 0;
};

TEST_F(TodayTrayTest, AnItemInAnotherProcessRegistersGetsEveryStatusAndOpensPopupsByItsTaps) {
  Start();
  auto& user = ce::scripted::User::Get();
  // Its taps on the Bluetooth icon and on the band icon: each opens that popup (cancelled here).
  user.AnswerDialog({Click(kOptionCancel)});
  user.AnswerDialog({Click(kOptionCancel)});
  StartItem(std::to_string(WM_TODAY_TAP_ICON0 + 1) + "," + std::to_string(WM_TODAY_TAP_ICON0 + 5));
  ASSERT_TRUE(Drive([&] { return user.shown().size() >= 2; }))
      << ItemLogText() << " registered " << (Window()->GetTodayItem() != nullptr) << " boxes "
      << (teskautils::seam::TakeShownBoxes().empty() ? "" : "some");
  const HWND item = Window()->GetTodayItem();
  EXPECT_NE(item, nullptr);
  // Another program's window, or a window that is not one, named as the item: the item stays.
  WNDCLASSW foreign_class{};
  foreign_class.lpfnWndProc = DefWindowProcW;
  foreign_class.lpszClassName = u"NotTheItem";
  RegisterClassW(&foreign_class);
  HWND foreign = CreateWindowW(u"NotTheItem", u"x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (HWND impostor : {foreign, Hwnd(), reinterpret_cast<HWND>(0xDEAD)}) {
    PostMessageW(Hwnd(), WM_TODAY_REGISTER, reinterpret_cast<WPARAM>(impostor), 0);
    Pump();
    EXPECT_EQ(Window()->GetTodayItem(), item);
  }
  DestroyWindow(foreign);
  UnregisterClassW(u"NotTheItem", nullptr);
  std::map<unsigned long long, long long> statuses;
  bool state = false;
  for (const Line& line : ItemLog()) {
    if (line.kind == std::to_string(WM_TODAY_MGR_STATUS)) statuses[line.wparam] = line.lparam;
    if (line.kind == std::to_string(WM_TODAY_STATE)) {
      state = true;
      EXPECT_EQ(line.wparam, m_app->GetRilMgr().GetCellId());
      EXPECT_EQ(static_cast<DWORD>(line.lparam), m_app->GetRilMgr().GetLac());
    }
  }
  EXPECT_TRUE(state);
  for (int id = 0; id <= 5; ++id) {
    ASSERT_EQ(statuses.count(static_cast<unsigned long long>(id)), 1u) << id;
    EXPECT_EQ(statuses[static_cast<unsigned long long>(id)], CMgr::GetMgr(id)->GetStatus()) << id;
  }
  const auto shown = user.shown();
  // The Bluetooth popup offers "SETTINGS", the band popup does not.
  const std::u16string settings = CTranslator::GetInstance()->GetText(u"SETTINGS");
  EXPECT_NE(std::find(shown[0].texts.begin(), shown[0].texts.end(), settings), shown[0].texts.end());
  EXPECT_EQ(std::find(shown[1].texts.begin(), shown[1].texts.end(), settings), shown[1].texts.end());
  // The main window stays hidden and is enabled again.
  EXPECT_FALSE(IsWindowVisible(Hwnd()));
  EXPECT_TRUE(IsWindowEnabled(Hwnd()));

  // A period starts for the cell the phone is in: the item is told, and the settings hold it.
  const std::size_t told = CountOf(std::to_string(WM_TODAY_PLACE_CHANGED));
  CDB& db = m_app->GetDB();
  CStrPlace home(u"Home", u"Home", u"place_home.png", -1);
  db.GetPlacesTable()->Insert(home);
  std::unique_ptr<CStrLocation> location = CreateLocationRecord();
  location->SetValue(static_cast<int>(m_app->GetRilMgr().GetLocationKey()));
  location->SetPlace(home.GetIdPlace());
  db.GetLocationTable()->Insert(*location);
  CStrPeriod day;
  day.SetIdPlace(home.GetIdPlace());
  day.SetName(u"Day");
  SYSTEMTIME begin{}, end{};
  end.wHour = 23;
  end.wMinute = 59;
  day.SetBegin(begin);
  day.SetEnd(end);
  db.GetPeriodsTable()->Insert(day);
  CScheduleEngine::GetInstance()->ChangeInDB();
  ASSERT_TRUE(Drive([&] {
    return CountOf(std::to_string(WM_TODAY_PLACE_CHANGED)) > told &&
           CConfig::GetInstance()->GetString(u"current_place") == u"Home";
  }));
  EXPECT_EQ(CConfig::GetInstance()->GetString(u"current_frame").substr(0, 3), u"Day");
}

TEST_F(TodayTrayTest, ATrayTapShowsTheWindowAndBadMessagesAreHarmless) {
  Start();
  ASSERT_FALSE(IsWindowVisible(Hwnd()));
  const auto icons = ce::dialogs::TrayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].id, kTrayIconId);
  EXPECT_EQ(icons[0].callback_message, WM_TRAY_NOTIFY);
  // Only a lifted pen shows the window.
  ASSERT_TRUE(ce::dialogs::TapTrayIcon(Hwnd(), kTrayIconId, WM_LBUTTONDOWN));
  Pump();
  EXPECT_FALSE(IsWindowVisible(Hwnd()));
  ASSERT_TRUE(ce::dialogs::TapTrayIcon(Hwnd(), kTrayIconId, WM_LBUTTONUP));
  Pump();
  EXPECT_TRUE(IsWindowVisible(Hwnd()));
  EXPECT_EQ(GetForegroundWindow(), Hwnd());

  // Messages with nonsense in them: a tap of an icon that is not there, a registration of a
  // window that is not one (posts to it fail quietly), tray messages of other icons.
  PostMessageW(Hwnd(), WM_TRAY_NOTIFY, 77, 12345);
  PostMessageW(Hwnd(), WM_TODAY_REGISTER, 0xDEAD, 0);
  PostMessageW(Hwnd(), WM_TODAY_TAP_ICON5 + 1, 0, 0);
  Pump();
  m_app->GetSpeakerMgr().RefreshStatus(1);
  Pump();
  EXPECT_TRUE(IsWindow(Hwnd()));

  // The option takes the icon away at once and stores 0.
  Window()->UpdateTrayIcon(0);
  EXPECT_TRUE(ce::dialogs::TrayIcons().empty());
  EXPECT_EQ(CConfig::GetInstance()->GetDWORD(u"tray_icon"), 0u);
}

TEST_F(TodayTrayTest, ARefusedTrayIconFailsTheStart) {
  ce::dialogs::RefuseNextTrayAdd(ERROR_NOT_ENOUGH_MEMORY);
  ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kPortrait));
  m_app = std::make_unique<CAppConnMgr>();
  EXPECT_FALSE(m_app->InitGUI());
}

}  // namespace
