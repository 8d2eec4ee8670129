// The waypoint browser's task page and point page under the scripted user: the slot and row menus
// as offered and what each entry does to the task slots and the navigation target, the chosen
// columns, a stale point that leaves the slots as they are, and the point page's actions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cumulor/data/dialogs/point_page.h"
#include "cumulor/data/dialogs/task_page.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_columns.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/browser_frame/waypoint_browser.h"
#include "cumulor/app/ui/dialog_run.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/user_actions.h"
#include "platform/display/display.h"
#include "platform/sound/sound_effects.h"
#include "task_dialog_fixture.h"

namespace cumulor {
namespace {

using namespace ce::scripted::steps;
using Ints = std::vector<int>;
using Texts = std::vector<std::u16string>;

Ints Indexes(const DynArray<TaskPoint>& list) {
  Ints out;
  for (const TaskPoint& p : list) out.push_back(p.index);
  return out;
}

TaskPoint Wp(int index) {
  TaskPoint p;
  p.kind = kPointUserWaypoint;
  p.index = index;
  return p;
}

int g_frameOk = 0;  // OK commands the pages sent to their frame

LRESULT FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == IDOK) ++g_frameOk;
  return DefWindowProcW(window, message, wparam, lparam);
}

class TaskPages : public TaskDialogTest {
 protected:
  void SetUp() override {
    TaskDialogTest::SetUp();
    // Five points about 20 km apart going east; Bravo is an airport, Echo landable but flagged 0x400.
    const char* names[] = {"Alpha", "Bravo", "Charlie", "Delta", "Echo"};
    const std::uint32_t flags[] = {0x1, 0x2, 0x1, 0x8, 0x408};
    std::vector<TestWaypoint> points;
    for (int i = 0; i < 5; ++i)
      points.push_back({names[i], GeoPoint{11 * 36000 + i * 9000, 47 * 36000 + (i % 2) * 3000}, flags[i],
                        static_cast<std::int16_t>(1000 + i)});
    SetUserWaypoints(points);
    ClearAllTasks();
    TaskRulesDefaults();
    TaskPointInit(DirectTarget());
    TaskPointInit(HomePoint());
    TaskPageSlot() = 0;
    AreaDistanceUnit() = 1;
    ClearGotoTarget(0);
    ResetColumnSettings();
    TaskHooksInstalled() = TaskHooks{};
    TaskHooksInstalled().setNavigationTarget = [](const TaskPoint& t, const GeoPoint&, std::uint8_t) { Targets().push_back(t.index); };
    TaskHooksInstalled().ownPosition = [] { return GeoPoint{11 * 36000 - 9000, 47 * 36000}; };
    Targets().clear();
    PointPageHooksInstalled() = PointPageHooks{};
    JumpPoint() = TaskPoint{};
    ce::sound::ClearRecordedEffects();
    g_frameOk = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = u"BrowserFrame";
    RegisterClassW(&wc);
    frame = CreateWindowExW(0, u"BrowserFrame", u"Browser", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
  }
  void TearDown() override {
    if (page) DestroyWindow(page);
    DestroyWindow(frame);
    UnregisterClassW(u"BrowserFrame", nullptr);
    PointPageHooksInstalled() = PointPageHooks{};
    TaskHooksInstalled() = TaskHooks{};
    ClearAllTasks();
    ClearGotoTarget(0);
    ResetColumnSettings();
    ClearUserWaypoints();
    TaskDialogTest::TearDown();
  }
  static Ints& Targets() {
    static Ints targets;
    return targets;
  }
  void OpenTaskPage() {
    page = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kTaskPageTemplate), frame, TaskPageProc, 0);
    ASSERT_NE(page, nullptr);
  }
  void OpenPointPage() {
    page = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(kPointPageTemplate), frame, PointPageProc, 0);
    ASSERT_NE(page, nullptr);
  }
  HWND List() const { return GetDlgItem(page, kIdTaskList); }
  // The texts of a list column, row by row.
  Texts Column(int column) const {
    Texts out;
    const int rows = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
      WCHAR text[64] = {};
      LVITEMW item{};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = 64;
      SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      out.emplace_back(text);
    }
    return out;
  }
  std::u16string Header(int column) const {
    WCHAR text[32] = {};
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = text;
    c.cchTextMax = 32;
    SendMessageW(List(), LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
    return text;
  }
  void TapRow(int row) const {
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2);
    SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(List(), WM_LBUTTONUP, 0, at);
  }
  void ShowSlot(int slot) const { SendMessageW(GetDlgItem(page, kIdTaskSlot), CE_UA_SELECT, static_cast<WPARAM>(slot), 0); }
  // Answers the menu the button opens with the command and returns the entries it offered.
  Texts Menu(int button, UINT command) const {
    auto& user = ce::scripted::User::Get();
    const std::size_t before = user.shown().size();
    user.AnswerMenu(command);
    Press(page, button);
    for (std::size_t i = before; i < user.shown().size(); ++i)
      if (user.shown()[i].kind == ce::scripted::Kind::kMenu) return user.shown()[i].texts;
    user.Take(ce::scripted::Kind::kMenu);  // no menu was shown: the answer is not left waiting
    return {};
  }
  static int Sounds(const std::u16string& name) {
    int n = 0;
    for (const auto& e : ce::sound::RecordedEffects())
      if (e.text.size() >= name.size() && e.text.compare(e.text.size() - name.size(), name.size(), name) == 0) ++n;
    return n;
  }
  static void Pump() {
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  }

  HWND frame = nullptr;
  HWND page = nullptr;
};

TEST_F(TaskPages, TaskMenuActsOnTheShownSlot) {
  for (int i : {1, 2, 3}) Tasks().slot[3].Append(Wp(i));
  Tasks().slot[0].Append(Wp(4));
  Tasks().slot[0].Append(Wp(5));
  AchievedList().Append(Wp(1));
  OpenTaskPage();
  EXPECT_EQ(Column(0), (Texts{u"W4", u"W5"}));
  ShowSlot(3);
  EXPECT_EQ(Column(0), (Texts{u"W1", u"W2", u"W3"}));
  EXPECT_EQ(Column(1), (Texts{u"Alpha", u"Bravo", u"Charlie"}));
  EXPECT_EQ(Column(2)[0], u"0.0");  // distances from the slot's first point; no own-position leg
  const std::u16string total = Text(page, kIdTaskTotal);
  EXPECT_EQ(total.substr(total.size() - 2), u"km");
  EXPECT_EQ(total.substr(0, total.size() - 2), Column(2)[2]);

  // A stored slot with achieved points: neither NEXT WPT, RESUME TASK nor RESTART.
  EXPECT_EQ(Menu(kIdTaskMenu, kCmdTaskInvert), (Texts{u"ACTIVATE", u"DELETE", u"INVERT", u"COPY", u"PREVIOUS WPT"}));
  EXPECT_EQ(Indexes(Tasks().slot[3]), (Ints{3, 2, 1}));
  EXPECT_EQ(Column(0), (Texts{u"W3", u"W2", u"W1"}));

  // COPY to 25, to the shown slot or to nothing changes nothing; to 7 copies; to 0 also empties
  // the achieved list.
  for (const char16_t* entry : {u"25", u"3", u"-1", u""}) {
    SCOPED_TRACE(std::string(entry, entry + std::char_traits<char16_t>::length(entry)));
    ce::scripted::User::Get().AnswerDialog({SetText(kIdPadEdit, entry), Click(kIdOkIcon)});
    Menu(kIdTaskMenu, kCmdTaskCopy);
    EXPECT_EQ(Indexes(AchievedList()), (Ints{1}));
    for (int s = 1; s < kAchievedSlot; ++s) {
      if (s == 3) continue;
      EXPECT_TRUE(Tasks().slot[s].Empty()) << s;
    }
    EXPECT_EQ(Indexes(ActiveTask()), (Ints{4, 5}));
    EXPECT_EQ(Indexes(Tasks().slot[3]), (Ints{3, 2, 1}));
  }
  ce::scripted::User::Get().AnswerDialog({SetText(kIdPadEdit, u"7"), Click(kIdOkIcon)});
  Menu(kIdTaskMenu, kCmdTaskCopy);
  EXPECT_EQ(Indexes(Tasks().slot[7]), (Ints{3, 2, 1}));
  EXPECT_EQ(Indexes(AchievedList()), (Ints{1}));

  // ACTIVATE: slot 7 becomes the active task, shown as "00", achieved list emptied, the first
  // point navigated to.
  ShowSlot(7);
  Targets().clear();
  Menu(kIdTaskMenu, kCmdTaskActivate);
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{3, 2, 1}));
  EXPECT_TRUE(AchievedList().Empty());
  EXPECT_EQ(TaskPageSlot(), 0);
  EXPECT_EQ(SendDlgItemMessageW(page, kIdTaskSlot, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Targets(), (Ints{3}));

  // On the active task: NEXT WPT, then RESTART puts the achieved point back in front.
  EXPECT_EQ(Menu(kIdTaskMenu, kCmdTaskNext), (Texts{u"DELETE", u"INVERT", u"COPY", u"NEXT WPT"}));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{2, 1}));
  EXPECT_EQ(Indexes(AchievedList()), (Ints{3}));
  EXPECT_EQ(Menu(kIdTaskMenu, kCmdTaskRestart), (Texts{u"DELETE", u"INVERT", u"COPY", u"NEXT WPT", u"PREVIOUS WPT", u"RESTART"}));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{3, 2, 1}));
  EXPECT_TRUE(AchievedList().Empty());
  EXPECT_EQ(Column(0), (Texts{u"W3", u"W2", u"W1"}));

  // RESUME TASK only while flying direct.
  GotoPoint(Wp(5));
  Targets().clear();
  EXPECT_EQ(Menu(kIdTaskMenu, kCmdTaskResume), (Texts{u"DELETE", u"INVERT", u"COPY", u"NEXT WPT", u"RESUME TASK"}));
  EXPECT_EQ(DirectTarget().kind, 0);
  EXPECT_EQ(Targets(), (Ints{3}));

  // DELETE empties the slot and goes home.
  HomePoint() = Wp(2);
  Targets().clear();
  Menu(kIdTaskMenu, kCmdTaskDelete);
  EXPECT_TRUE(ActiveTask().Empty());
  EXPECT_TRUE(Column(0).empty());
  EXPECT_EQ(Text(page, kIdTaskTotal), u"");
  EXPECT_EQ(Targets(), (Ints{2}));
  EXPECT_EQ(Indexes(Tasks().slot[7]), (Ints{3, 2, 1}));
  // An empty slot offers no task entry: nothing is shown.
  EXPECT_TRUE(Menu(kIdTaskMenu, kCmdTaskDelete).empty());
}

TEST_F(TaskPages, RowMenuAndColumnsEditTheShownSlot) {
  for (int i : {1, 2, 3}) ActiveTask().Append(Wp(i));
  OpenTaskPage();
  // Nothing selected and no point chosen in the lists: no row entry is offered.
  EXPECT_TRUE(Menu(kIdPointMenu, kCmdTaskInsert).empty());

  // A tap on a row selects it and makes its point the lists' go-to target.
  TapRow(1);
  EXPECT_EQ(TaskPageSelectedRow(), 1);
  EXPECT_EQ(Text(page, 1346), u"W2");
  EXPECT_EQ(Text(page, 1347), u"Bravo");
  TaskPoint target;
  ASSERT_TRUE(GetGotoTarget(target));
  EXPECT_EQ(target.index, 2);
  EXPECT_EQ(target.lon, UserWaypoints().records[2].position.lon);

  EXPECT_EQ(Menu(kIdPointMenu, kCmdTaskMoveUp), (Texts{u"INSERT", u"DELETE", u"MOVE UP", u"MOVE DOWN", u"AREA"}));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{2, 1, 3}));
  EXPECT_EQ(TaskPageSelectedRow(), 0);
  EXPECT_EQ(Targets(), (Ints{2}));  // row 0 of the active task changed
  EXPECT_EQ(Menu(kIdPointMenu, kCmdTaskMoveDown), (Texts{u"INSERT", u"DELETE", u"MOVE DOWN", u"AREA"}));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{1, 2, 3}));
  EXPECT_EQ(TaskPageSelectedRow(), 1);

  // INSERT puts the point chosen in the lists before the selected row.
  SetGotoTarget(Wp(4));
  Menu(kIdPointMenu, kCmdTaskInsert);
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{1, 4, 2, 3}));

  // AREA: the row's point gets its zone and shows as a mobile turnpoint.
  ce::scripted::User::Get().AnswerDialog({Click(1175), Click(1176), Click(IDOK)});
  ce::scripted::User::Get().AnswerDialog({SetText(kIdPadEdit, u"1000"), Click(kIdOkIcon)});
  ce::scripted::User::Get().AnswerDialog({SetText(kIdPadEdit, u"5000"), Click(kIdOkIcon)});
  Menu(kIdPointMenu, kCmdTaskArea);
  EXPECT_EQ(ActiveTask()[1].minRadius, 1000);
  EXPECT_EQ(ActiveTask()[1].maxRadius, 5000);
  EXPECT_EQ(ActiveTask()[1].lon, UserWaypoints().records[4].position.lon);  // flown from the area's centre
  EXPECT_EQ(Column(0), (Texts{u"W1", u"mtp", u"W2", u"W3"}));

  // DELETE the selected row; the last row offers no MOVE DOWN.
  Menu(kIdPointMenu, kCmdTaskDeleteRow);
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{1, 2, 3}));
  EXPECT_EQ(TaskPageSelectedRow(), -1);
  TapRow(2);
  EXPECT_EQ(Menu(kIdPointMenu, 0), (Texts{u"INSERT", u"DELETE", u"MOVE UP", u"AREA"}));

  // A tap on a column header chooses that column's content; the first column is fixed.
  EXPECT_EQ(Header(2), u"T DIST");
  ce::scripted::User::Get().AnswerDialog({Select(kIdListBox, kLegName)});
  SendMessageW(List(), CE_UA_COLUMN, 2, 0);
  EXPECT_EQ(LegColumnContent(2), kLegName);
  EXPECT_EQ(Header(2), u"NAME");
  EXPECT_EQ(Column(2), (Texts{u"Alpha", u"Bravo", u"Charlie"}));
  const std::size_t shown = ce::scripted::User::Get().shown().size();
  SendMessageW(List(), CE_UA_COLUMN, 0, 0);
  EXPECT_EQ(ce::scripted::User::Get().shown().size(), shown);
  EXPECT_EQ(Header(0), u"ID");

  // A point that no longer exists stops the legs; the slots keep every point.
  ActiveTask().Append(Wp(99));
  Tasks().slot[5].Append(Wp(1));
  ShowSlot(5);
  ShowSlot(0);
  EXPECT_EQ(Column(0).size(), 4u);
  EXPECT_EQ(ActiveTask().Size(), 4);
  EXPECT_EQ(Tasks().slot[5].Size(), 1);
}

// The page as the pilot sees it, saved for a person to look at ("task_page.png").
TEST_F(TaskPages, TaskPagePicture) {
  for (int i : {1, 2, 3, 4, 1}) ActiveTask().Append(Wp(i));
  ActiveTask()[2].maxRadius = 3000;  // flown at its centre
  ActiveTask()[2].lon = UserWaypoints().records[3].position.lon;
  ActiveTask()[2].lat = UserWaypoints().records[3].position.lat;
  SetGotoTarget(Wp(2));
  SetLegColumnContent(3, kLegCourseTrue);
  OpenTaskPage();
  TapRow(1);
  ShowWindow(page, SW_SHOW);
  Pump();
  RECT r{};
  GetWindowRect(frame, &r);
  EXPECT_TRUE(ce::display::SaveScreenshot("task_page.png", &r));
  EXPECT_EQ(Column(0), (Texts{u"W1", u"W2", u"mtp", u"W4", u"W1"}));
  EXPECT_EQ(Column(3)[0].size(), 4u);  // "%03d°": the active task's first course is from the own position
  EXPECT_EQ(Column(3)[1].size(), 4u);
}

TEST_F(TaskPages, PointPageActions) {
  // Without a point chosen in the lists: the hint, and the button only refuses.
  OpenPointPage();
  HWND info = GetDlgItem(page, kIdPointInfo);
  EXPECT_EQ(SendMessageW(info, LB_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(Menu(kIdPointAction, kCmdPointFlyDirect).empty());
  EXPECT_EQ(Sounds(u"Splat.wav"), 1);
  DestroyWindow(page);

  ActiveTask().Append(Wp(3));
  SetGotoTarget(Wp(2));
  OpenPointPage();
  info = GetDlgItem(page, kIdPointInfo);
  EXPECT_EQ(Text(page, 1346), u"W2");
  EXPECT_EQ(Text(page, 1347), u"Bravo");
  EXPECT_GT(SendMessageW(info, LB_GETCOUNT, 0, 0), 1);
  // Saved for a person to look at ("point_page.png"): code, name and the information lines.
  ShowWindow(page, SW_SHOW);
  Pump();
  RECT r{};
  GetWindowRect(frame, &r);
  EXPECT_TRUE(ce::display::SaveScreenshot("point_page.png", &r));

  // FLY DIRECT TO closes the browser; then the point is the direct target and UN-GOTO is offered.
  Targets().clear();
  EXPECT_EQ(Menu(kIdPointAction, kCmdPointFlyDirect), (Texts{u"FLY DIRECT TO", u"ADD TO TASK", u"SET HOME AIRPORT"}));
  EXPECT_EQ(DirectTarget().index, 2);
  EXPECT_EQ(Targets(), (Ints{2}));
  Pump();
  EXPECT_EQ(g_frameOk, 1);
  EXPECT_EQ(Menu(kIdPointAction, kCmdPointUnGoto), (Texts{u"UN-GOTO", u"ADD TO TASK", u"SET HOME AIRPORT"}));
  EXPECT_EQ(DirectTarget().kind, 0);
  EXPECT_EQ(Targets(), (Ints{2, 3}));

  // In the simulator, JUMP TO puts the glider 15 units north and 3 west of the point.
  PointPageHooksInstalled().simulator = [] { return true; };
  static GeoPoint reference;
  PointPageHooksInstalled().setReferencePosition = [](const GeoPoint& p) { reference = p; };
  const GeoPoint at = UserWaypoints().records[2].position;
  EXPECT_EQ(Menu(kIdPointAction, kCmdPointJump),
            (Texts{u"FLY DIRECT TO", u"JUMP TO", u"ADD TO TASK", u"SET HOME AIRPORT"}));
  EXPECT_EQ(reference.lon, at.lon - 3);
  EXPECT_EQ(reference.lat, at.lat + 15);
  EXPECT_EQ(JumpPoint().index, 2);

  // ADD TO TASK: the chooser lists the edited task's points, then "ADD HERE".
  ce::scripted::User::Get().AnswerDialog({Select(kIdListBox, 1)});
  Menu(kIdPointAction, kCmdPointAddToTask);
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{3, 2}));
  ce::scripted::User::Get().AnswerDialog({Select(kIdListBox, 0)});
  Menu(kIdPointAction, kCmdPointAddToTask);
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{2, 3, 2}));

  // SET HOME AIRPORT: with an empty active task the new home is navigated to.
  ActiveTask().SetSize(0);
  Targets().clear();
  Menu(kIdPointAction, kCmdPointSetHome);
  EXPECT_EQ(HomePoint().kind, kPointUserWaypoint);
  EXPECT_EQ(HomePoint().index, 2);
  EXPECT_EQ(HomePoint().lon, at.lon);
  EXPECT_EQ(Targets(), (Ints{2}));

  // A tap on the header hides the information list and a second shows it again.
  RECT header{20, 4, 20, 4};
  MapDialogRect(page, &header);
  SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(header.left, header.top));
  EXPECT_FALSE(Shown(page, kIdPointInfo));
  SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(header.left, header.top + 200));
  EXPECT_FALSE(Shown(page, kIdPointInfo));  // below the header: nothing
  SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(header.left, header.top));
  EXPECT_TRUE(Shown(page, kIdPointInfo));
}

// The browser opened to go to a point: a row tapped on its task page becomes the direct target
// when it closes; opened for browsing, the point page's FLY DIRECT TO closes it; the task document
// is saved at each close.
TEST_F(TaskPages, TheBrowserFrameShowsThePagesAndGoesToTheChosenPoint) {
  for (int i : {1, 2, 3}) ActiveTask().Append(Wp(i));
  static int saves;
  saves = 0;
  TaskHooksInstalled().saveTaskDocument = [] { ++saves; };
  auto& user = ce::scripted::User::Get();

  ClearGotoTarget(kBrowsePurposeGoto);
  user.AnswerDialog({Click(kIdTaskList, 2), Click(kIdBrowserClose)});
  EXPECT_EQ(RunDialog(kWaypointBrowser, frame, WaypointBrowserProc, 1), 1);
  EXPECT_EQ(DirectTarget().index, 3);
  EXPECT_EQ(GotoTargetPurpose(), kBrowsePurposeNone);
  EXPECT_EQ(saves, 1);

  GotoFirstTaskPoint();
  user.AnswerMenu(kCmdPointFlyDirect);
  user.AnswerDialog({Select(kIdBrowserTabs, 2), Click(kIdPointAction)});
  EXPECT_EQ(RunDialog(kWaypointBrowser, frame, WaypointBrowserProc, 0), 1);
  EXPECT_EQ(DirectTarget().index, 3);  // the target still chosen: the point page shows it
  EXPECT_EQ(saves, 2);
  EXPECT_TRUE(user.log().empty()) << user.log().front();
}

TEST_F(TaskPages, LandablePoints) {
  struct Case {
    PointRef ref;
    bool landable;
  } const cases[] = {
      {{kPointUserWaypoint, 1}, false},  // a turnpoint
      {{kPointUserWaypoint, 2}, true},   // airport
      {{kPointUserWaypoint, 4}, true},   // landable
      {{kPointUserWaypoint, 5}, false},  // landable, but 0x400
      {{kPointUserWaypoint, 6}, false},  // no such waypoint
      {{kPointNavaid, 1}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(PointIsLandable(c.ref), c.landable) << c.ref.kind << "/" << c.ref.index;
}

}  // namespace
}  // namespace cumulor

namespace cumulor {
namespace {

void SetAirports(std::initializer_list<const char*> codes) {
  AeroData().Clear();
  for (const char* code : codes) {
    AirportRecord a{};
    std::snprintf(a.code, sizeof a.code, "%s", code);
    a.position = {static_cast<std::int32_t>(AeroData().airports.Size()) * 1000, 0};
    AeroData().airports.Append(a);
    AeroData().airportNames.Append(nullptr);
    AeroData().nearNames.Append(nullptr);
  }
}

// The home airport chosen in the lists is found again by its code after the airports were
// reloaded in another order; a home that is not an airport only falls back to airport 1 when it
// became invalid.
TEST(SelectedPoint, AHomeAirportIsFoundAgainByItsCode) {
  SetAirports({"EDAA", "EDBB"});
  SetSelectedPoint(TaskPoint{kPointAirport, 2});
  EXPECT_EQ(HomePoint().index, 2);
  SetAirports({"EDBB", "EDCC", "EDAA"});
  RestoreGotoTarget();
  EXPECT_EQ(HomePoint().index, 1);
  EXPECT_EQ(HomePoint().lon, 1000);
  SetAirports({"EDCC", "EDDD"});
  RestoreGotoTarget();  // not found: left as it is
  EXPECT_EQ(HomePoint().index, 1);

  UserWaypoints().records.SetSize(2);
  SetSelectedPoint(TaskPoint{kPointUserWaypoint, 1});
  RestoreGotoTarget();
  EXPECT_EQ(HomePoint().kind, kPointUserWaypoint);
  UserWaypoints().records.SetSize(0);
  RestoreGotoTarget();
  EXPECT_EQ(HomePoint().kind, kPointAirport);
  EXPECT_EQ(HomePoint().index, 1);

  // Each browser category 1 to 3 remembers its own airport; category 0 remembers none.
  SetAirports({"EDAA", "EDBB", "EDCC"});
  SetBrowserCategory(2);
  SetSelectedPoint(TaskPoint{kPointAirport, 3});
  SetBrowserCategory(1);
  SetSelectedPoint(TaskPoint{kPointAirport, 1});
  SetAirports({"EDCC", "EDAA"});
  SetBrowserCategory(2);
  RestoreGotoTarget();
  EXPECT_EQ(HomePoint().index, 1);  // EDCC
  SetBrowserCategory(1);
  RestoreGotoTarget();
  EXPECT_EQ(HomePoint().index, 2);  // EDAA
  SetBrowserCategory(0);
  SetSelectedPoint(TaskPoint{kPointAirport, 1});
  SetAirports({"EDAA", "EDCC"});
  RestoreGotoTarget();  // nothing remembered: the valid selection stays
  EXPECT_EQ(HomePoint().index, 1);
  SetBrowserCategory(1);
  AeroData().Clear();
  TaskPointInit(HomePoint());
}

}  // namespace
}  // namespace cumulor
