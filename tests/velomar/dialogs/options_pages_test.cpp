// Options pages 1 and 2 under the scripted user: every setting changed and, after OK, holding
// what was typed; the tray icon touched only when its box changed; the refresh switch written at
// once; a new language told once and an unchanged one left alone; the radio notification switch
// applied to the radio interface manager.
#include <gtest/gtest.h>

#include "platform/device/device.h"
#include "platform/dialogs/tray.h"
#include "platform/files/files.h"
#include "platform/libraries/libraries.h"
#include "tests/velomar/dialogs/option_pages_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/MessageMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/data/DataInstall.h"
#include "velomar/dialogs/PropertyPageDialogOptions1.h"
#include "velomar/dialogs/PropertyPageDialogOptions2.h"
#include "velomar/ui/ImageCacheSeam.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/WindowMain.h"

namespace dialogs_test {
namespace {

class TestApp : public CApp {
 public:
  bool InitGUI() override { return true; }
};

class OptionsPagesTest : public OptionPagesTest {
 protected:
  void SetUp() override {
    OptionPagesTest::SetUp();
    ASSERT_TRUE(velomar::InstallThemes());
    SetSetting(u"theme", std::u16string(u"default"));
    velomar::seam::ResetSkin();
    velomar::seam::ClearImageCaches();
    m_app = std::make_unique<TestApp>();
    m_window = std::make_unique<CWindowMain>(0, 0);
    ASSERT_EQ(m_window->Create(GetModuleHandleW(nullptr), 0, 0), 1);
    m_phone = std::make_unique<CMobilePhoneMgr>();
    ce::device::SetText("mail.accounts", "ActiveSync;Outlook E-mail;Work");
    m_messages = std::make_unique<CMessageMgr>();
  }
  void TearDown() override {
    m_messages.reset();
    StopWhileDriving([&] { m_phone.reset(); });
    m_window.reset();
    m_app.reset();
    OptionPagesTest::TearDown();
  }
  static CConfig* Config() { return CConfig::GetInstance(); }
  // The sheet shown on the page of type P, answered by `steps`.
  template <class P>
  void RunOn(std::vector<ce::scripted::Step> steps) {
    CPropertySheetOptions sheet(m_window.get());
    sheet.CreatePages();
    int index = -1;
    for (std::size_t i = 0; i < sheet.GetPages().size(); ++i)
      if (dynamic_cast<P*>(sheet.GetPages()[i])) index = static_cast<int>(i);
    ASSERT_GE(index, 0);
    User().AnswerDialog(std::move(steps));
    sheet.DoModal(index);
  }
  int RilInitEvents() {
    int n = 0;
    for (int i = 0; i < Log()->GetRecordCount(); ++i) {
      CEventRecord record;
      if (Log()->GetRecord(i, record) && record.GetResume() == T(u"EVENT_LOG_RIL_INIT_OK")) ++n;
    }
    return n;
  }

  std::unique_ptr<TestApp> m_app;
  std::unique_ptr<CWindowMain> m_window;
  std::unique_ptr<CMobilePhoneMgr> m_phone;
  std::unique_ptr<CMessageMgr> m_messages;
};

TEST_F(OptionsPagesTest, OptionsOneWritesEverySettingAsTyped) {
  const std::u16string themes = std::u16string(velomar::kProgramFolder) + u"\\themes\\";
  ASSERT_TRUE(CreateDirectoryW((themes + u"blue").c_str(), nullptr));
  Config()->SetDWORD(u"tray_icon", 0);
  Config()->SetDWORD(u"backlight_mode", 0);
  Config()->SetDWORD(u"profile_change_mode", 0);
  Config()->SetDWORD(u"refresh_location", 0);
  Config()->SetDWORD(u"awake_to_refresh_location", 0);
  Config()->SetString(u"theme", u"default");
  teskautils::seam::SetBoxAnswer(IDYES);  // the refresh switched on: every 10 minutes
  RunOn<CPropertyPageDialogOptions1>({SetText(1043, u"1234"), SetText(1045, u"98765"), Check(1046, true),
                                      Check(1048, false), SetText(1044, u"blue"), SetText(1047, u"Work"),
                                      Click(1066), Check(1009, true), Check(1085, true), SetText(1083, u"25"),
                                      Click(IDOK)});
  EXPECT_EQ(m_phone->GetPin(), u"1234");
  EXPECT_EQ(m_phone->GetPin2(), u"98765");
  EXPECT_EQ(Config()->GetDWORD(u"tray_icon"), 1u);
  EXPECT_EQ(ce::dialogs::TrayIcons().size(), 1u);
  EXPECT_EQ(Config()->GetDWORD(u"backlight_mode"), 1u);
  EXPECT_EQ(Config()->GetString(u"theme"), u"blue");
  EXPECT_EQ(Config()->GetDWORD(u"mail_provider"), 2u);  // "Work", third in the store list
  EXPECT_EQ(Config()->GetDWORD(u"profile_change_mode"), 1u);
  EXPECT_EQ(Config()->GetDWORD(u"awake_to_refresh_location"), 1u);
  EXPECT_EQ(Config()->GetDWORD(u"refresh_location"), 25u);
  EXPECT_EQ(BoxTexts().size(), 1u);  // the question of the refresh

  // Unchanged, the tray box leaves the icon alone (here removed behind the page's back); a PIN of
  // three digits is not taken, and a refresh time too large for 32 bits leaves the setting.
  NOTIFYICONDATAW icon{};
  icon.cbSize = 152;
  icon.hWnd = ce::dialogs::TrayIcons()[0].window;
  icon.uID = ce::dialogs::TrayIcons()[0].id;
  Shell_NotifyIconW(NIM_DELETE, &icon);
  RunOn<CPropertyPageDialogOptions1>({SetText(1043, u"123"), SetText(1083, u"99999999999"), Click(IDOK)});
  EXPECT_TRUE(ce::dialogs::TrayIcons().empty());
  EXPECT_EQ(m_phone->GetPin(), u"1234");
  EXPECT_EQ(Config()->GetDWORD(u"refresh_location"), 25u);
  EXPECT_EQ(Config()->GetDWORD(u"tray_icon"), 1u);

  // Switching the refresh off writes 0 at once and greys what depends on it; no box is asked.
  RunOn<CPropertyPageDialogOptions1>({Check(1009, false), SetText(1083, u"40"), Check(1046, false), Click(IDOK)});
  EXPECT_EQ(Config()->GetDWORD(u"refresh_location"), 0u);  // the edit was greyed: "40" never typed
  EXPECT_EQ(Config()->GetDWORD(u"tray_icon"), 0u);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(OptionsPagesTest, OptionsOneRefreshAnsweredNoWritesNothingAtOnce) {
  Config()->SetDWORD(u"refresh_location", 0);
  Config()->SetDWORD(u"location_notification_received", 1);
  teskautils::seam::SetBoxAnswer(IDNO);
  Config()->SetString(u"theme", u"Default");  // no folder of that exact name: the first is written
  RunOn<CPropertyPageDialogOptions1>({Check(1009, true), Click(IDOK)});
  const auto boxes = BoxTexts();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].substr(0, 12), T(u"DEVICE GOT EVENTS").substr(0, 12));
  // The box stays checked and the edit still says 0: leaving writes that 0.
  EXPECT_EQ(Config()->GetDWORD(u"refresh_location"), 0u);
  EXPECT_EQ(Config()->GetString(u"theme"), u"default");
}

TEST_F(OptionsPagesTest, OptionsTwoWritesEverySettingAndAppliesTheRadioSwitch) {
  for (const WCHAR* s : {u"intelligent_lac_mode", u"allow_windows_close_qxt", u"awake_to_execute_actions",
                         u"intelligent_bt", u"allow_ril_notifications"})
    Config()->SetDWORD(s, 0);
  Config()->SetDWORD(u"cell_history_list_number", 20);
  const int inits = RilInitEvents();
  RunOn<CPropertyPageDialogOptions2>({SetText(1088, u"Español"), Check(1110, true), Check(1111, true),
                                      Check(1112, true), Check(1113, true), Check(1114, true), SetText(1140, u"300"),
                                      Click(IDOK)});
  EXPECT_EQ(Config()->GetString(u"language"), u"es");
  EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{T(u"RESTART TO APPLY")});
  for (const WCHAR* s : {u"intelligent_lac_mode", u"allow_windows_close_qxt", u"awake_to_execute_actions",
                         u"intelligent_bt", u"allow_ril_notifications"})
    EXPECT_EQ(Config()->GetDWORD(s), 1u) << ce::text::ToUtf8(s);
  EXPECT_EQ(Config()->GetDWORD(u"cell_history_list_number"), 300u);
  EXPECT_EQ(RilInitEvents(), inits + 1);  // the radio was opened again with notifications

  // The language already set: no message. An empty count, or one too large, keeps the count.
  for (const std::u16string typed : {u"", u"99999999999"}) {
    RunOn<CPropertyPageDialogOptions2>({SetText(1140, typed), Check(1114, false), Click(IDOK)});
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(Config()->GetString(u"language"), u"es");
    EXPECT_EQ(Config()->GetDWORD(u"cell_history_list_number"), 300u);
    EXPECT_EQ(Config()->GetDWORD(u"allow_ril_notifications"), 0u);
  }
  // Typed values out of the spin range are written as typed.
  RunOn<CPropertyPageDialogOptions2>({SetText(1140, u"7"), Click(IDOK)});
  EXPECT_EQ(Config()->GetDWORD(u"cell_history_list_number"), 7u);
}

}  // namespace
}  // namespace dialogs_test
