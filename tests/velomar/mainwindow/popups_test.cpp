// The main window's popups under the scripted user: the choices each manager popup offers for each
// status, a state applied for a time limit (its notification armed), cancel and a popup closed
// without a choice changing nothing, and the custom time limit told apart from the command ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"
#include "tests/velomar/mainwindow/main_window_fixture.h"
#include "velomar/core/managers/BTMgr.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/ui/ButtonOwnDrawImage.h"
#include "velomar/ui/OptionDialog.h"
#include "velomar/ui/Translator.h"

namespace {

using namespace ce::scripted::steps;

class PopupsTest : public velomar_test::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    ce::scripted::User::Get().Reset();
    velomar::ui::GetPopupDialogs() = {};
    Start();
    ShowAndPaint();
  }
  void TearDown() override {
    velomar::ui::GetPopupDialogs() = {};
    ce::scripted::User::Get().Reset();
    MainWindowTest::TearDown();
  }
  static std::u16string T(const char16_t* id) { return CTranslator::GetInstance()->GetText(id); }
  // The texts of the popups shown since the last call, one list per popup.
  std::vector<std::vector<std::u16string>> TakeShown() {
    std::vector<std::vector<std::u16string>> texts;
    const auto shown = ce::scripted::User::Get().shown();
    for (std::size_t i = m_seen; i < shown.size(); ++i) texts.push_back(shown[i].texts);
    m_seen = shown.size();
    return texts;
  }
  std::size_t m_seen = 0;
};

TEST_F(PopupsTest, EachManagerPopupOffersTheChoicesOfItsStatus) {
  const std::u16string cancel = T(u"CANCEL");
  using Texts = std::vector<std::u16string>;
  struct Case {
    int mgr_id;
    int status;
    Texts expected;
  };
  const Case cases[] = {
      {MGR_BT, 0, {T(u"BT ON"), T(u"BT DISCOVERABLE"), T(u"SETTINGS"), cancel}},
      {MGR_BT, 1, {T(u"BT OFF"), T(u"BT DISCOVERABLE"), T(u"SETTINGS"), cancel}},
      {MGR_BT, 2, {T(u"BT OFF"), T(u"BT ON"), T(u"SETTINGS"), cancel}},
      {MGR_BT, -1, {T(u"SETTINGS"), cancel}},
      {MGR_SPEAKER, 0, {T(u"ON"), T(u"VIBRATE"), cancel}},
      {MGR_SPEAKER, 1, {T(u"ON"), T(u"MUTE"), cancel}},
      {MGR_SPEAKER, 2, {T(u"ON"), T(u"MUTE"), T(u"VIBRATE"), cancel}},
      {MGR_BAND, 0, {T(u"BAND 2G"), T(u"BAND 3G"), cancel}},
      {MGR_BAND, 1, {T(u"BAND AUTO"), T(u"BAND 3G"), cancel}},
      {MGR_BAND, 2, {T(u"BAND 2G"), T(u"BAND AUTO"), cancel}},
      {MGR_CONNECTIONS, 0, {T(u"DISCONNECTED"), T(u"CONNECTED"), T(u"MANAGE"), cancel}},
      {MGR_CONNECTIONS, 1, {T(u"DISABLE"), T(u"CONNECTED"), T(u"MANAGE"), cancel}},
      {MGR_CONNECTIONS, 2, {T(u"DISABLE"), T(u"DISCONNECTED"), T(u"MANAGE"), cancel}},
      {MGR_WIFI, 0, {T(u"ON"), T(u"OFF"), u"Comm Manager", cancel}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.mgr_id) + " status " + std::to_string(c.status));
    CMgr* manager = CMgr::GetMgr(c.mgr_id);
    ASSERT_NE(manager, nullptr);
    const int before = manager->GetStatus();
    manager->SetStatusValue(c.status);
    ce::scripted::User::Get().AnswerDialog({Click(kOptionCancel)});
    switch (c.mgr_id) {
      case MGR_BT: Window()->OnBTPopup(Hwnd()); break;
      case MGR_SPEAKER: Window()->OnSpeakerPopup(Hwnd()); break;
      case MGR_BAND: Window()->OnBandPopup(Hwnd()); break;
      case MGR_CONNECTIONS: Window()->OnConnectionsPopup(Hwnd()); break;
      default: Window()->OnWifiPopup(Hwnd()); break;
    }
    const auto shown = TakeShown();
    ASSERT_EQ(shown.size(), 1u);  // cancelled: no time-limit popup follows
    EXPECT_EQ(shown[0], c.expected);
    manager->SetStatusValue(before);
    EXPECT_TRUE(IsWindowEnabled(Hwnd()));
  }
  EXPECT_EQ(FindWindowW(u"Options Window", nullptr), nullptr);
}

TEST_F(PopupsTest, BluetoothOnForThirtyMinutesArmsItsReturn) {
  CBTMgr& bt = m_app->GetBTMgr();
  bt.SetStatus(0, 0, 0, 0);
  ASSERT_TRUE(Drive([&] { return bt.GetStatus() == 0; }));
  HANDLE before = bt.GetLastNotification();
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(1)});   // "BT ON"
  user.AnswerDialog({Click(30)});  // 30 minutes
  Window()->OnBTPopup(Hwnd());
  const auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1], std::vector<std::u16string>(9, T(u"CANCEL")));  // the time limits show pictures
  ASSERT_TRUE(Drive([&] { return bt.GetStatus() == 1 && bt.GetLastNotification() != before; }));
  // SetStatus(1, 30, 0, 0): its return to 0 is armed as notification 0 of manager 1.
  const std::string listed = Devicectl({"notifications"});
  EXPECT_EQ(Count(listed, "timer_notification_01_00"), 1u) << listed;
}

TEST_F(PopupsTest, CancelOrAPopupClosedWithoutAChoiceChangesNothing) {
  CBTMgr& bt = m_app->GetBTMgr();
  CSpeakerMgr& speaker = m_app->GetSpeakerMgr();
  bt.SetStatus(0, 0, 0, 0);
  ASSERT_TRUE(Drive([&] { return bt.GetStatus() == 0; }));
  const int speaker_status = speaker.GetStatus();
  auto& user = ce::scripted::User::Get();
  // Cancel in the first popup; cancel in the time-limit popup; the time-limit popup closed from
  // outside (no answer: the scripted user closes it); the first popup closed from outside.
  user.AnswerDialog({Click(1)});
  user.AnswerDialog({Click(kOptionCancel)});
  Window()->OnBTPopup(Hwnd());
  user.AnswerDialog({Click(1)});
  user.AnswerDialog({});
  Window()->OnBTPopup(Hwnd());
  user.AnswerDialog({});
  Window()->OnSpeakerPopup(Hwnd());
  user.AnswerDialog({Click(kOptionCancel)});
  Window()->OnSpeakerPopup(Hwnd());
  EXPECT_EQ(TakeShown().size(), 6u);
  Drive([] { return false; }, 500);
  EXPECT_EQ(bt.GetStatus(), 0);
  EXPECT_EQ(speaker.GetStatus(), speaker_status);
  EXPECT_EQ(bt.GetLastNotification(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(Hwnd()));
}

// The custom duration's dialog, answering what the test sets.
int g_hours = 0, g_minutes = 0, g_answer = 1;
int CustomTime(HWND, int& hours, int& minutes) {
  hours = g_hours;
  minutes = g_minutes;
  return g_answer;
}

TEST_F(PopupsTest, ACustomTimeLimitIsToldApartFromTheCommandIds) {
  velomar::ui::GetPopupDialogs().customTime = CustomTime;
  const struct {
    int hours, minutes, answer;
    bool custom;
    int result;  // custom: minutes; else the command (the test then pressed Cancel)
  } cases[] = {
      {1, 30, 1, true, 90},
      {1, 49, 1, true, 109},       // 109 minutes, not Cancel
      {16, 39, 1, true, 999},      // 999 minutes, not "no limit"
      {0, 0, 1, false, kOptionCancel},  // no duration: the popup stays open
      {1092, 16, 1, false, kOptionCancel},  // 65536 minutes
      {-1, 0, 1, false, kOptionCancel},
      {1, 0, 2, false, kOptionCancel},  // the dialog cancelled
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.hours) + ":" + std::to_string(c.minutes));
    g_hours = c.hours;
    g_minutes = c.minutes;
    g_answer = c.answer;
    ce::scripted::User::Get().AnswerDialog({Click(kTimeLimitCustom), Click(kOptionCancel)});
    COptionDialogTimeLimit popup(u"limit", 20, 25, 200, 200, Hwnd(), Window());
    ASSERT_EQ(popup.Create(nullptr, 0, 0), 1);
    EXPECT_EQ(popup.ShowModal(), c.result);
    EXPECT_EQ(popup.IsCustom(), c.custom);
  }
}

TEST_F(PopupsTest, OptionPopupPlacesItsChoicesByItsParentsWidth) {
  // Four choices and Cancel over a 240-pixel parent: wider than it, so rows of three.
  ce::scripted::User::Get().AnswerDialog({Click(kOptionCancel)});
  COptionDialog popup(u"four", 0, 0, 0, 0, Hwnd(), Window());
  for (int id = 1; id <= 4; ++id) {
    auto* button = new CButtonOwnDrawText(&popup, 60, 65, nullptr, nullptr, u"x", id, 1, true, 8);
    popup.AddOption(button);
  }
  ASSERT_EQ(popup.Create(nullptr, 0, 0), 1);
  RECT window{};
  GetWindowRect(popup.GetHwnd(), &window);
  EXPECT_EQ(window.right - window.left, 240);
  EXPECT_EQ(window.bottom - window.top, (300 / 240 + 1) * 65 + 35);
  const int expected[][2] = {{3, 20}, {63, 20}, {123, 20}, {5, 87}, {65, 87}};
  for (std::size_t i = 0; i < popup.GetOptions().size(); ++i) {
    RECT r{};
    GetWindowRect(popup.GetOptions()[i]->GetHwnd(), &r);
    MapWindowPoints(nullptr, popup.GetHwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, expected[i][0]) << i;
    EXPECT_EQ(r.top, expected[i][1]) << i;
  }
  EXPECT_EQ(popup.ShowModal(), kOptionCancel);
}

// "BACKLIGHT" on a new phone: the dialog shows the levels the phone has, and a cancel puts those
// same levels back (never 0, a black screen).
TEST_F(PopupsTest, BacklightCancelledOnANewPhoneKeepsItsLevels) {
  const std::string before = Devicectl({"status"});
  ASSERT_NE(before.find("backlight.battery  4\n"), std::string::npos) << before;
  ASSERT_NE(before.find("backlight.ac       8\n"), std::string::npos) << before;
  ce::scripted::User::Get().AnswerDialog({Click(IDCANCEL)});
  SendMessageW(Hwnd(), WM_COMMAND, 40133, 0);
  std::string effects;
  ASSERT_TRUE(Drive([&] {
    effects = Devicectl({"effects"});
    return effects.find("event to=BackLightChangeEvent") != std::string::npos;
  })) << effects;
  const std::string after = Devicectl({"status"});
  EXPECT_NE(after.find("backlight.battery  4\n"), std::string::npos) << after;
  EXPECT_NE(after.find("backlight.ac       8\n"), std::string::npos) << after;
}

}  // namespace
