// The main window's commands that open dialogs, each through its real command under the scripted
// user: what the command does with the dialog's answer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/applets/today_applet.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/message_box.h"
#include "platform/device/device.h"
#include "platform/libraries/libraries.h"
#include "platform/registry/registry.h"
#include "platform/scripted/scripted_user.h"
#include "platform/sound/sound_profile.h"
#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/places/schedule_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"

namespace dialogs_test {
namespace {

using namespace ce::scripted::steps;

// The main window, with the backlight dialog's answer visible to the test.
class Window : public CWindowMain {
 public:
  Window() : CWindowMain(0, 0) {}
  using CWindowMain::RunBacklightDialog;
};

class OpenerCommandsTest : public schedule_test::ScheduleTest {
 protected:
  void SetUp() override {
    ScheduleTest::SetUp();
    // The window reads its skin from this device's theme.
    ASSERT_TRUE(velomar::InstallThemes());
    SetSetting(u"theme", std::u16string(u"default"));
    velomar::seam::ResetSkin();
    velomar::seam::ForgetTranslator();  // one made on demand by an earlier test stays alive, unused
    m_translator = std::make_unique<CTranslator>();
    User().Reset();
    m_window = std::make_unique<Window>();
    ASSERT_EQ(m_window->Create(GetModuleHandleW(nullptr), 0, 0), 1);
    m_hwnd = m_window->GetHwnd();
    teskautils::seam::TakeShownBoxes();
  }
  void TearDown() override {
    m_window.reset();
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    for (int i = 0; i < 2000 && FindWindowW(ce::applets::kTodayAppletClass, nullptr); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    User().Reset();
    teskautils::seam::SetBoxAnswer(0);
    StopWorkers();  // their commands use the translator
    m_translator.reset();
    ScheduleTest::TearDown();
  }
  static ce::scripted::User& User() { return ce::scripted::User::Get(); }
  static std::u16string T(const WCHAR* id) { return CTranslator::GetInstance()->GetText(id); }
  static ce::scripted::Shown LastDialog() {
    const auto all = User().shown();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if (it->kind == ce::scripted::Kind::kDialog) return *it;
    return {};
  }
  // The command on the window's thread while another thread moves the device's clock.
  void RunWithClock(int command) {
    StopWhileDriving([&] { m_window->OnCommand(m_hwnd, WM_COMMAND, static_cast<WPARAM>(command), 0); });
  }

  std::unique_ptr<CTranslator> m_translator;
  std::unique_ptr<Window> m_window;
  HWND m_hwnd = nullptr;
};

TEST_F(OpenerCommandsTest, AboutAndHelp) {
  ASSERT_TRUE(velomar::InstallHelpTexts());
  User().AnswerDialog({Click(101)});
  SendMessageW(m_hwnd, WM_COMMAND, 9, 0);
  EXPECT_EQ(LastDialog().title, T(u"ABOUT TITLE"));
  EXPECT_EQ(LastDialog().result, 0);

  User().AnswerDialog({Click(IDCANCEL)});
  SendMessageW(m_hwnd, WM_COMMAND, 40241, 0);
  EXPECT_EQ(LastDialog().title, T(u"DIALOG_HELP_TITLE"));
  ASSERT_FALSE(LastDialog().texts.empty());
  EXPECT_EQ(LastDialog().texts[0].rfind(u"Velomar main window", 0), 0u);
}

TEST_F(OpenerCommandsTest, ANewPlaceIsLinkedToTheCurrentLocation) {
  teskautils::seam::SetBoxAnswer(IDNO);  // no default schedule
  User().AnswerDialog({SetText(1001, u"Office"), SetText(1002, u"Third floor"), Click(IDOK)});
  SendMessageW(m_hwnd, WM_COMMAND, 40229, 0);
  std::vector<CStrPlace> places;
  m_db->GetPlacesTable()->GetAllRecords(places);
  const auto office = std::find_if(places.begin(), places.end(), [](const CStrPlace& p) { return p.GetName() == u"Office"; });
  ASSERT_NE(office, places.end());
  LocationList cells;
  m_db->GetCellsTable()->GetRecordsOfPlace(cells, office->GetIdPlace());
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(static_cast<DWORD>(cells[0]->GetValue()), m_ril->GetLocationKey());

  // Cancelled: nothing is added.
  User().AnswerDialog({SetText(1001, u"Gym"), Click(IDCANCEL)});
  SendMessageW(m_hwnd, WM_COMMAND, 40229, 0);
  places.clear();
  m_db->GetPlacesTable()->GetAllRecords(places);
  EXPECT_EQ(places.size(), 2u);  // the default place and the office
}

TEST_F(OpenerCommandsTest, CallForwardingOnForwardsTheNumberTyped) {
  User().AnswerDialog({SetText(1061, u"600123456"), Click(IDCANCEL)});
  RunWithClock(40095);
  EXPECT_EQ(ce::device::GetText("forward.number"), "");
  User().AnswerDialog({SetText(1061, u"600123456"), Click(IDOK)});
  RunWithClock(40095);
  EXPECT_EQ(ce::device::GetText("forward.number"), "600123456");
}

TEST_F(OpenerCommandsTest, RingToneWritesWhatTheDialogGave) {
  ASSERT_TRUE(velomar::InstallRingTones());
  ASSERT_EQ(RegistrySetDWORD(HKEY_CURRENT_USER, u"\\ControlPanel\\SoundCategories\\Ring", u"InitVol", 2), S_OK);
  ASSERT_EQ(RegistrySetString(HKEY_CURRENT_USER, u"\\ControlPanel\\Sounds\\RingTone0", u"Script", u"apw0r"), S_OK);
  User().AnswerDialog({SetText(1066, u"Rising"), SetText(1065, T(u"RING ONCE")), Spin(1113, 1), Click(IDOK)});
  SendMessageW(m_hwnd, WM_COMMAND, 40136, 0);
  DWORD volume = 0;
  RegistryGetDWORD(HKEY_CURRENT_USER, u"\\ControlPanel\\SoundCategories\\Ring", u"InitVol", &volume);
  EXPECT_EQ(volume, 3u);
  SNDFILEINFO sound{};
  ASSERT_EQ(SndGetSound(SND_EVENT_RINGTONELINE1, &sound), S_OK);
  EXPECT_EQ(std::u16string(sound.szPathName), u"\\Windows\\Rings\\Rising.wav");
  WCHAR script[64] = {};
  RegistryGetString(HKEY_CURRENT_USER, u"\\ControlPanel\\Sounds\\RingTone0", u"Script", script, 64);
  EXPECT_EQ(std::u16string(script), u"p");
}

TEST_F(OpenerCommandsTest, TodayThemeAppliesTheChosenTheme) {
  ASSERT_TRUE(velomar::InstallTodayThemes());
  User().AnswerDialog({Click(1064, 2), Click(IDOK)});
  RunWithClock(40135);
  EXPECT_TRUE(DriveUntilReal([] { return !ce::device::Effects("today-theme").empty(); }));
  const auto chosen = ce::device::Effects("today-theme");
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].target, "Windows Default");
}

TEST_F(OpenerCommandsTest, BacklightHandsBackTheLevelsOnSaveAndThePresetOnCancel) {
  DWORD battery = 3, external = 9;
  User().AnswerDialog({Track(1062, 7), Click(IDOK)});
  EXPECT_EQ(m_window->RunBacklightDialog(battery, external), 1);
  EXPECT_EQ(battery, 7u);
  EXPECT_EQ(external, 9u);
  User().AnswerDialog({Track(1062, 1), Track(1064, 1), Click(IDCANCEL)});
  EXPECT_EQ(m_window->RunBacklightDialog(battery, external), 2);
  EXPECT_EQ(battery, 7u);
  EXPECT_EQ(external, 9u);
}

}  // namespace
}  // namespace dialogs_test
