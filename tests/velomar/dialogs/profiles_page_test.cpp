// The profiles page of the options sheet under the scripted user, over the places database and the
// schedule engine: profiles, time frames and actions added, edited and removed through the page's
// menus and popups; the action list's texts and colours and the day bar as drawn; the engine
// running what was added once the page is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/dialogs/dialog_shot.h"
#include "tests/velomar/places/schedule_fixture.h"
#include "velomar/data/DataInstall.h"
#include "velomar/ui/ImageCacheSeam.h"
#include "velomar/ui/Skin.h"
#include "velomar/dialogs/ProfileDayBar.h"
#include "velomar/dialogs/PropertyPageDialogProfiles.h"
#include "velomar/dialogs/PropertySheetOptions.h"
#include "velomar/ui/Translator.h"

namespace dialogs_test {
namespace {

using namespace ce::scripted::steps;
using velomar::profiles::kDayBarPalette;

constexpr int kActionList = CPropertyPageDialogProfiles::kActionList;
constexpr int kFrameList = CPropertyPageDialogProfiles::kTimeFrameList;

// What the page showed when its left soft key was pressed: the lists' texts, the colours the cells
// were drawn in, the day bar's pixels, the caption.
struct Seen {
  std::vector<std::vector<std::u16string>> actions;
  std::vector<std::vector<COLORREF>> actionColors;
  std::vector<std::u16string> frames;
  std::vector<COLORREF> frameColors;
  std::vector<COLORREF> bar;  // one pixel a column, along the bar's middle row
  int barLeft = 0;
  std::u16string caption;
  ShotData shot;
};

std::u16string CellText(HWND list, int row, int column) {
  WCHAR text[128] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 128;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// The colour a cell was drawn in, away from its text: near its right edge.
COLORREF CellColor(HWND list, int row, int column) {
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
  int right = 0;
  for (int i = 0; i <= column; ++i) right += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
  HDC dc = GetDC(list);
  const COLORREF color = GetPixel(dc, r.left + right - 4, (r.top + r.bottom) / 2);
  ReleaseDC(list, dc);
  return color;
}

class ProbePage : public CPropertyPageDialogProfiles {
 public:
  ProbePage(CPropertySheet* owner, Seen& seen) : CPropertyPageDialogProfiles(owner), m_seen(seen) {}
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (LOWORD(wparam) == 101) Look(hwnd);
    return CPropertyPageDialogProfiles::OnCommand(hwnd, msg, wparam, lparam);
  }

 private:
  void Look(HWND page) {
    NoteWhatIsShown(page, m_seen.shot);
    // A page has no caption band of its own (the sheet's lies above it): what counts is that
    // every shown control lies inside the page.
    m_seen.shot.cutControls.clear();
    RECT client{};
    GetClientRect(page, &client);
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      RECT r{};
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
      if (r.top < 0 || r.left < 0 || r.right > client.right || r.bottom > client.bottom)
        m_seen.shot.cutControls.push_back(std::to_string(GetDlgCtrlID(child)) + ": " + std::to_string(r.left) + "," +
                                          std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                                          std::to_string(r.bottom));
    }
    HWND actions = GetDlgItem(page, kActionList);
    for (int row = 0; row < ListView_GetItemCount(actions); ++row) {
      m_seen.actions.push_back({CellText(actions, row, 0), CellText(actions, row, 1), CellText(actions, row, 2)});
      m_seen.actionColors.push_back(
          {CellColor(actions, row, 0), CellColor(actions, row, 1), CellColor(actions, row, 2)});
    }
    HWND frames = GetDlgItem(page, kFrameList);
    for (int row = 0; row < ListView_GetItemCount(frames); ++row) {
      m_seen.frames.push_back(CellText(frames, row, 0));
      m_seen.frameColors.push_back(CellColor(frames, row, 0));
    }
    RECT r{};
    GetWindowRect(frames, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    m_seen.barLeft = r.left;
    HDC dc = GetDC(page);
    for (int x = r.left; x < r.right; ++x) m_seen.bar.push_back(GetPixel(dc, x, r.bottom + 4));
    ReleaseDC(page, dc);
    WCHAR caption[260] = {};
    GetDlgItemTextW(page, kCaption, caption, 260);
    m_seen.caption = caption;
  }
  Seen& m_seen;
};

// The options sheet with the probe in place of its profiles page.
class ProbeSheet : public CPropertySheetOptions {
 public:
  explicit ProbeSheet(Seen& seen) : CPropertySheetOptions(nullptr), m_seen(seen) {}
  void AddPages() override {
    CPropertySheetOptions::AddPages();
    for (auto& page : m_pages)
      if (dynamic_cast<CPropertyPageDialogProfiles*>(page)) {
        delete page;
        page = new ProbePage(this, m_seen);
      }
  }

 private:
  Seen& m_seen;
};

class ProfilesPageTest : public schedule_test::ScheduleTest {
 protected:
  void SetUp() override {
    ScheduleTest::SetUp();
    velomar::seam::ForgetTranslator();
    m_translator = std::make_unique<CTranslator>();
    User().Reset();
    ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kPortrait));
    ASSERT_TRUE(velomar::InstallRingTones());
    // The action popup's buttons take their look from the theme's skin.
    ASSERT_TRUE(velomar::InstallThemes());
    SetSetting(u"theme", std::u16string(u"default"));
    velomar::seam::ResetSkin();
    velomar::seam::ClearImageCaches();
  }
  void TearDown() override {
    User().Reset();
    teskautils::seam::SetBoxAnswer(0);
    StopWorkers();  // their commands use the translator
    m_translator.reset();
    m_retired.clear();
    ScheduleTest::TearDown();
  }
  static ce::scripted::User& User() { return ce::scripted::User::Get(); }
  static std::u16string T(const WCHAR* id) { return CTranslator::GetInstance()->GetText(id); }
  // The translator it replaces stays alive until the engine has stopped: a command the engine is
  // running may still be using it.
  void UseLanguage(const std::u16string& tag) {
    m_retired.push_back(std::move(m_translator));
    SetSetting(u"language", tag);
    velomar::seam::ForgetTranslator();
    m_translator = std::make_unique<CTranslator>();
  }

  // Shows the sheet on the profiles page with the user's steps; the page's look when it was left.
  Seen Run(std::vector<ce::scripted::Step> steps) {
    Seen seen;
    steps.push_back(SoftKey(0));
    User().AnswerDialog(std::move(steps));
    for (auto& nested : m_nested) User().AnswerDialog(std::move(nested));
    m_nested.clear();
    ProbeSheet sheet(seen);
    sheet.DoModal(1);
    return seen;
  }
  // The steps of a dialog the page opens, in the order they open (after the sheet's own).
  void Nested(std::vector<ce::scripted::Step> steps) { m_nested.push_back(std::move(steps)); }
  std::vector<std::vector<ce::scripted::Step>> m_nested;
  // A menu command of the page: the right soft key, then the command in its menu.
  void Menu(std::vector<ce::scripted::Step>& steps, UINT command) {
    steps.push_back(SoftKey(1));
    User().AnswerMenu(command);
  }
  std::vector<CStrAction> ActionsOf(int period) {
    std::vector<CStrAction> out;
    m_db->GetActionsTable()->GetActionsOfPeriod(out, period);
    return out;
  }
  std::vector<CStrPeriod> PeriodsOf(int place) {
    std::vector<CStrPeriod> out;
    m_db->GetPeriodsTable()->GetAllRecordsForPlace(out, place);
    return out;
  }

 private:
  std::unique_ptr<CTranslator> m_translator;
  std::vector<std::unique_ptr<CTranslator>> m_retired;
};

TEST_F(ProfilesPageTest, AProfileWithTwoTimeFramesAndItsActionsFromBothMenus) {
  SetNow(1, 12, 0);  // Monday 12:00
  teskautils::seam::SetBoxAnswer(IDNO);  // no default time frame for the new profile
  std::vector<ce::scripted::Step> steps;
  // The profile, then "Day" 08:00-20:00 and "Night" 20:00-08:00 (past midnight).
  Menu(steps, 40155);
  Nested({SetText(1001, u"Office"), SetText(1002, u"Third floor"), Click(IDOK)});
  Menu(steps, 40148);
  Nested({SetText(1020, u"Day"), SetText(1023, u"08:00"), SetText(1022, u"20:00"), Click(IDOK)});
  Menu(steps, 40148);
  Nested({SetText(1020, u"Night"), SetText(1023, u"20:00"), SetText(1022, u"08:00"), Click(IDOK)});
  // "Day" is marked (the first); its actions from the entering and leaving menus.
  Menu(steps, 40161);  // Wi-Fi on, entering
  Nested({Click(IDOK)});
  Menu(steps, 40165);  // speaker on, entering: 60 %
  Nested({Click(1060)});
  Nested({Click(IDOK)});
  Menu(steps, 40209);  // SMS, leaving
  Nested({SetText(1058, u"+34600111222"), SetText(1061, u"Leaving the office"), Click(IDOK)});
  Nested({Click(IDOK)});
  Menu(steps, 40184);  // backlight battery 3, AC 5, entering
  Nested({Track(1062, 3), Track(1064, 5), Click(IDOK)});
  Nested({Click(IDOK)});
  Menu(steps, 40217);  // ring tone, leaving
  Nested({SetText(1066, u"Rising"), Click(IDOK)});
  Nested({Click(IDOK)});
  Menu(steps, 40159);  // Bluetooth on, entering: the week dialog is cancelled
  Nested({Click(IDCANCEL)});
  Menu(steps, 40162);  // Wi-Fi off, entering, on weekends only: the Wi-Fi action changes
  Nested({Check(1009, false), Click(IDOK)});
  const Seen seen = Run(steps);

  std::vector<CStrPlace> places;
  m_db->GetPlacesTable()->GetAllRecords(places);
  const auto office = std::find_if(places.begin(), places.end(), [](const CStrPlace& p) { return p.GetName() == u"Office"; });
  ASSERT_NE(office, places.end());
  const auto periods = PeriodsOf(office->GetIdPlace());
  ASSERT_EQ(periods.size(), 2u);
  const int day = periods[0].GetName() == u"Day" ? periods[0].GetKey() : periods[1].GetKey();
  const auto actions = ActionsOf(day);
  ASSERT_EQ(actions.size(), 5u);  // no Bluetooth record: its week dialog was cancelled
  for (const CStrAction& a : actions) EXPECT_NE(a.GetKind(), 1);

  // The rows as the list showed them.
  using Row = std::vector<std::u16string>;
  ASSERT_EQ(seen.actions.size(), 5u);
  EXPECT_EQ(seen.actions[0], (Row{T(u"WIFI BUTTON"), T(u"OFF"), u""}));
  EXPECT_EQ(seen.actions[1], (Row{T(u"SPEAKER"), u"ON - 60%", u""}));
  EXPECT_EQ(seen.actions[2], (Row{T(u"SMS"), u"", u"+34600111222"}));
  EXPECT_EQ(seen.actions[3], (Row{T(u"BACKLIGHT"), u"Bat:3 AC:5", u""}));
  EXPECT_EQ(seen.actions[4], (Row{T(u"RING TONE"), u"", u"Rising"}));
  EXPECT_EQ(seen.caption, CTranslator::GetInstance()->GetFormatted(u"ACTIONS FO", u"Office", u"Day"));
  // Colours: column 0 alternates; the Wi-Fi action does not run on Mondays, the rest does.
  EXPECT_EQ(seen.actionColors[0][0], 0xFFC8C8u);
  EXPECT_EQ(seen.actionColors[1][0], 0xFFFFFFu);
  EXPECT_EQ(seen.actionColors[0][1], 0xC8C8FFu);
  EXPECT_EQ(seen.actionColors[1][1], 0xC8FFC8u);
  EXPECT_EQ(seen.actionColors[1][2], 0xFFFFFFu);  // no action
  EXPECT_EQ(seen.actionColors[2][2], 0xC8FFC8u);
  // Time frames: "Night" starts last and runs past midnight, so it takes the first colour.
  ASSERT_EQ(seen.frames, (std::vector<std::u16string>{u"Day", u"Night"}));
  EXPECT_EQ(seen.frameColors[0], kDayBarPalette[1]);
  EXPECT_EQ(seen.frameColors[1], kDayBarPalette[0]);
  // The bar: 00:00-08:00 and 20:00-24:00 in the first colour, 08:00-20:00 in the second.
  const int width = static_cast<int>(seen.bar.size());
  ASSERT_GT(width, 100);
  auto at = [&](int hour) { return seen.bar[static_cast<std::size_t>(velomar::profiles::DayBarOffset(hour, 0, width) + 2)]; };
  EXPECT_EQ(at(3), kDayBarPalette[0]);
  EXPECT_EQ(at(12), kDayBarPalette[1]);
  EXPECT_EQ(at(22), kDayBarPalette[0]);
  EXPECT_EQ(seen.bar[static_cast<std::size_t>(velomar::profiles::DayBarOffset(8, 0, width))], 0u);  // a dividing line
  EXPECT_TRUE(seen.shot.cutControls.empty());

}

TEST_F(ProfilesPageTest, ActionsAddedOnThePageRunAtTheNextBoundary) {
  const int home = AddPlace(u"Home", 4242);
  const int day = AddPeriod(home, u"Day", 8, 0, 20, 0);
  AddPeriod(home, u"Night", 20, 0, 8, 0);
  MoveTo(4242);  // 12:00: "Day" is the engine's current period, which the page starts on
  // The engine takes "Day" up, then runs its start in a command of its own: both are waited for.
  DriveClockUntil([&] { return m_engine->GetCurrentPeriod().GetKey() == day && !EngineEvents().empty(); }, 10'000);
  ASSERT_EQ(EngineEvents(), std::vector<std::string>{"Home: Day starts"});
  m_journal.Take();
  std::vector<ce::scripted::Step> steps;
  Menu(steps, 40222);  // Wi-Fi off on leaving
  Nested({Click(IDOK)});
  Menu(steps, 40197);  // speaker on at 60 % on leaving
  Nested({Click(1060)});
  Nested({Click(IDOK)});
  const Seen seen = Run(steps);
  ASSERT_EQ(seen.actions.size(), 2u);
  EXPECT_EQ(seen.actions[1][2], u"ON - 60%");
  ASSERT_EQ(ActionsOf(day).size(), 2u);
  // Leaving the page told the engine, which forgets the period and evaluates the place afresh on
  // its command thread: "Day" again, whose start already ran. The clock moves on only once that
  // is done; a boundary reached before it would find no current period to leave.
  DriveClockUntil([&] { return m_engine->GetCurrentPeriod().GetKey() == day && EngineEvents().size() >= 2; }, 10'000);
  EXPECT_EQ(EngineEvents(), (std::vector<std::string>{"Home: Day starts", "The actions of this period already ran"}));
  EXPECT_EQ(Await(0), std::vector<std::string>{});
  SetNow(1, 20, 0);
  m_engine->OnTimerNotification(kPeriodNotificationId, 0);
  EXPECT_EQ(Await(2), (std::vector<std::string>{schedule_test::Entry(MGR_WIFI, 0, 0, 0, 0),
                                                schedule_test::Entry(MGR_SPEAKER, 2, 0, 0, 0) + "~3"}));
}

TEST_F(ProfilesPageTest, EditingAndDeletingThroughTheActionPopup) {
  SetNow(1, 12, 0);
  const int home = AddPlace(u"Home", 4242);
  const int day = AddPeriod(home, u"Day", 8, 0, 20, 0);
  AddAction(day, MGR_WIFI, 0, 1);
  AddAction(day, MGR_PHONE, 1, 0);
  AddAction(day, MGR_BACKLIGHT, 0, 10);  // battery 10, AC 0: not a stale record
  AddAction(day, 11, 0, 0);              // vibrate off: stale, removed when shown
  MoveTo(4242);
  std::vector<ce::scripted::Step> steps = {
      Cell(kActionList, 0, 1),  // Wi-Fi on entering: "OFF"
      Cell(kActionList, 1, 2),  // phone on leaving: delete
      Cell(kActionList, 0, 1),  // Wi-Fi again: only its week days, Sundays off
  };
  Nested({Click(0)});
  Nested({Click(11)});
  Nested({Click(13)});
  Nested({Check(1015, false), Click(IDOK)});
  const Seen seen = Run(steps);
  const auto actions = ActionsOf(day);
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0].GetKind(), MGR_WIFI);
  EXPECT_EQ(actions[0].GetIntOp1(), 0);
  EXPECT_EQ(actions[0].GetIntOp2(), 10000000);
  EXPECT_EQ(actions[1].GetKind(), MGR_BACKLIGHT);
  ASSERT_EQ(seen.actions.size(), 2u);
  EXPECT_EQ(seen.actions[1][1], u"Bat:10 AC:0");
  // The popups offered the kind's choices, and the page was usable again after each.
  const auto shown = User().shown();
  std::size_t popups = 0;
  for (const auto& s : shown)
    if (s.kind == ce::scripted::Kind::kDialog && s.title == T(u"SELECT OPTION")) {
      if (popups++ == 0) {
        EXPECT_EQ(s.texts, (std::vector<std::u16string>{T(u"DELETE"), T(u"DAYS"), T(u"OFF"), T(u"ON"), T(u"CANCEL")}));
      }
    }
  EXPECT_EQ(popups, 3u);
}

TEST_F(ProfilesPageTest, RemovingTimeFramesAndProfilesTakesWhatBelongsToThem) {
  SetNow(1, 12, 0);
  const int home = AddPlace(u"Home", 4242);
  const int day = AddPeriod(home, u"Day", 8, 0, 20, 0);
  AddAction(day, MGR_WIFI, 0, 1);
  MoveTo(4242);
  teskautils::seam::SetBoxAnswer(IDYES);
  std::vector<ce::scripted::Step> steps;
  Menu(steps, 40150);  // remove "Day": its action goes too
  Menu(steps, 40161);  // no time frame is left to add to
  const Seen seen = Run(steps);
  EXPECT_TRUE(PeriodsOf(home).empty());
  EXPECT_TRUE(ActionsOf(day).empty());
  EXPECT_TRUE(seen.actions.empty());
  EXPECT_EQ(seen.caption, u"");
  auto boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, CTranslator::GetInstance()->GetFormatted(u"CONFIRM REMOVE TIME FRAME", u"Day", u"Home"));
  EXPECT_EQ(boxes[1].text, T(u"SELECT PROFILE SCHEDULE"));

  // "Home" goes with its cell; then the default profile is refused before any question.
  std::vector<ce::scripted::Step> more;
  Menu(more, 40157);
  more.push_back(Select(CPropertyPageDialogProfiles::kProfileCombo, 1));
  Menu(more, 40157);
  Run(more);
  boxes = teskautils::seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, CTranslator::GetInstance()->GetFormatted(u"CONFIRM DELETE PROFILE", u"Home"));
  EXPECT_EQ(boxes[1].text, T(u"REMOVE DEFAULT PROFILE NOT ALLOWED"));
  CStrPlace gone;
  gone.SetIdPlace(home);
  EXPECT_FALSE(m_db->GetPlacesTable()->FindAndFill(gone));
  CStrCell cell;
  cell.SetValue(4242);
  EXPECT_FALSE(m_db->GetCellsTable()->FindAndFill(cell));
  CStrPlace fallback;
  fallback.SetIdPlace(0);
  EXPECT_TRUE(m_db->GetPlacesTable()->FindAndFill(fallback));
}

TEST_F(ProfilesPageTest, ThePageInEveryScreenModeAndLanguage) {
  const int home = AddPlace(u"Home", 4242);
  const int day = AddPeriod(home, u"Day", 8, 0, 20, 0);
  AddPeriod(home, u"Night", 22, 0, 6, 0);
  AddAction(day, MGR_WIFI, 0, 1);
  AddAction(day, MGR_SPEAKER, 1, 2, 0, u"", 3);
  MoveTo(4242);
  struct Mode {
    const char* name;
    ce::display::ScreenSize size;
  };
  for (const Mode mode : {Mode{"portrait", ce::display::kPortrait}, Mode{"landscape", ce::display::kLandscape},
                          Mode{"square", ce::display::kSquare}}) {
    for (const char16_t* language : {u"en", u"es"}) {
      SCOPED_TRACE(std::string(mode.name) + " " + ce::text::ToUtf8(language));
      ASSERT_TRUE(ce::display::SetScreenSize(mode.size));
      UseLanguage(language);
      Seen seen;
      seen.shot.file = std::filesystem::path(DIALOG_SCREENSHOT_DIR) /
                       ("profiles_page_" + std::string(mode.name) + "_" + ce::text::ToUtf8(language) + ".png");
      User().AnswerDialog({SoftKey(0)});
      ProbeSheet sheet(seen);
      sheet.DoModal(1);
      ASSERT_TRUE(seen.shot.seen);
      EXPECT_TRUE(seen.shot.cutControls.empty()) << seen.shot.cutControls.front();
      for (const auto& text : seen.shot.keyTexts) EXPECT_NE(text, u"????");
      ASSERT_EQ(seen.actions.size(), 2u);
      EXPECT_EQ(seen.frames, (std::vector<std::u16string>{u"Day", u"Night"}));
    }
  }
}

}  // namespace
}  // namespace dialogs_test
