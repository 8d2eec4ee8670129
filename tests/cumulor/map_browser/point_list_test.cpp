// The waypoint browser's point list under the scripted user: the search ("*" lists all, "*ab"
// finds names containing "ab", a name shorter than the search matches as its prefix), the
// distance header sorting near then far, a tap choosing the go-to target, the action menu's
// entries and what "DELETE" does to the list, and the browser as a picture at both screen sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/dialogs/waypoint_action_menu.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/point_arrival.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/browser_frame/point_list_page.h"
#include "cumulor/map/browser_frame/waypoint_browser.h"
#include "platform/controls/commctrl.h"
#include "platform/display/display.h"
#include "platform/text/utf.h"
#include "tests/cumulor/data_dialogs/task_dialog_fixture.h"

namespace cumulor {
namespace {

using namespace ce::scripted::steps;
using Texts = std::vector<std::u16string>;

LRESULT FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

class PointList : public TaskDialogTest {
 protected:
  void SetUp() override {
    TaskDialogTest::SetUp();
    // Five user waypoints going east from the own position: the farther east, the farther away.
    SetUserWaypoints({{"Delta", {4 * 9000, 1000}},
                      {"Alpha", {1 * 9000, 1000}},
                      {"Echo", {5 * 9000, 1000}},
                      {"Charlie", {3 * 9000, 1000}},
                      {"Bravo", {2 * 9000, 1000}}});
    BuildPointIndexes(0);
    ResetPointTableOrigins();
    ResetSearchStates();
    ResetPointListSort();
    TaskHooksInstalled() = TaskHooks{};
    TaskHooksInstalled().ownPosition = [] { return GeoPoint{-9000, 1000}; };
    SetPointListKind(kPointUserWaypoint);
    ClearAllTasks();
    TaskPageSlot() = 0;
    ClearGotoTarget(0);
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = u"ListFrame";
    RegisterClassW(&wc);
    frame = CreateWindowExW(0, u"ListFrame", u"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame, nullptr);
  }
  void TearDown() override {
    if (page) DestroyWindow(page);
    DestroyWindow(frame);
    UnregisterClassW(u"ListFrame", nullptr);
    SetWaypointActionHooks({});
    TaskHooksInstalled() = TaskHooks{};
    ClearAllTasks();
    ClearGotoTarget(0);
    ResetSearchStates();
    ClearUserWaypoints();
    BuildPointIndexes(0);
    TaskDialogTest::TearDown();
  }
  void Open() {
    page = CreateModelessDialog(kPointListTemplate, frame, PointListPageProc, 0);
    ASSERT_NE(page, nullptr);
  }
  HWND List() const { return GetDlgItem(page, kIdPointList); }
  Texts Names() const {
    Texts out;
    const int rows = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
      WCHAR text[64] = {};
      LVITEMW item{};
      item.iSubItem = 3;
      item.pszText = text;
      item.cchTextMax = 64;
      SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      out.emplace_back(text);
    }
    return out;
  }
  void HeaderTap(int column) {
    NMLISTVIEW n{};
    n.hdr.hwndFrom = List();
    n.hdr.idFrom = kIdPointList;
    n.hdr.code = LVN_COLUMNCLICK;
    n.iItem = -1;
    n.iSubItem = column;
    SendMessageW(page, WM_NOTIFY, kIdPointList, reinterpret_cast<LPARAM>(&n));
  }
  void Hold(int row) {
    NMRGINFO n{};
    n.hdr.hwndFrom = List();
    n.hdr.idFrom = kIdPointList;
    n.hdr.code = GN_CONTEXTMENU;
    n.dwItemSpec = static_cast<DWORD>(row);
    SendMessageW(page, WM_NOTIFY, kIdPointList, reinterpret_cast<LPARAM>(&n));
  }
  void TapRow(int row) {
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM(r.left + 2, (r.top + r.bottom) / 2);
    SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(List(), WM_LBUTTONUP, 0, at);
  }
  static Texts EntryTexts(const TaskPoint* point) {
    std::u16string title;
    Texts out;
    for (const ListChoiceEntry& e : WaypointActionEntries(point, title))
      if (e.id != -1) out.push_back(ce::text::FromUtf8(static_cast<const char*>(e.text)));
    return out;
  }
  static void Pump() {
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  }
  HWND frame = nullptr;
  HWND page = nullptr;
};

TEST_F(PointList, SearchFindsAndTheDistanceHeaderSortsNearThenFar) {
  Open();
  EXPECT_EQ(Names(), (Texts{u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo"}));  // nearest first
  HeaderTap(2);
  EXPECT_EQ(Names(), (Texts{u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo"}));
  HeaderTap(2);
  EXPECT_EQ(Names(), (Texts{u"Echo", u"Delta", u"Charlie", u"Bravo", u"Alpha"}));
  HeaderTap(3);
  EXPECT_EQ(Names(), (Texts{u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo"}));

  struct {
    const char16_t* search;
    Texts found;
  } cases[] = {
      {u"*lt", {u"Delta"}},                // the letters anywhere in the name
      {u"*", {u"Alpha", u"Bravo", u"Charlie", u"Delta", u"Echo"}},
      {u"ALPHABET", {u"Alpha"}},           // a name shorter than the search: its prefix
      {u"ch", {u"Charlie"}},               // without case
      {u"W3", {u"Echo"}},                  // the code when the name does not match
      {u"Zulu", {}},
  };
  for (const auto& c : cases) {
    Enter(page, kIdSearchButton, c.search);
    EXPECT_EQ(Names(), c.found) << std::string(c.search, c.search + std::char_traits<char16_t>::length(c.search));
    EXPECT_EQ(Text(page, kIdSearchText), c.search);
  }
}

TEST_F(PointList, ATapChoosesTheTargetAndTheMenuDeletesAWaypoint) {
  Open();
  TapRow(1);
  TaskPoint target;
  ASSERT_TRUE(GetGotoTarget(target));
  EXPECT_EQ(target.kind, kPointUserWaypoint);
  EXPECT_EQ(target.index, 5);  // Bravo
  EXPECT_EQ(target.lon, 2 * 9000);

  // The menu's entries: the edited task's points, "ADD HERE", then the waypoint actions;
  // "DELETE ALL" only in the simulator, nothing but "CREATE WPT" without a point.
  ActiveTask().Append(target);
  EXPECT_EQ(EntryTexts(&target), (Texts{u"Bravo", u"ADD HERE", u"", u"CREATE WPT", u"EDIT", u"DELETE"}));
  SetWaypointActionHooks(WaypointActionHooks{[] { return true; }, nullptr});
  EXPECT_EQ(EntryTexts(&target).back(), u"DELETE ALL");
  EXPECT_EQ(EntryTexts(nullptr), (Texts{u"CREATE WPT"}));
  TaskPoint airport;
  airport.kind = kPointAirport;
  airport.index = 1;
  const Texts forAirport = EntryTexts(&airport);
  EXPECT_EQ(std::count(forAirport.begin(), forAirport.end(), u"DELETE"), 0);

  // Holding Delta's row, "DELETE" and OK: the task's Bravo is renumbered, the list loses Delta.
  static int deleted;
  deleted = 0;
  SetWaypointActionHooks(WaypointActionHooks{nullptr, [] { ++deleted; }});
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Select(kIdListBox, 5)});  // Bravo, ADD HERE, line, CREATE WPT, EDIT, DELETE
  user.AnswerDialog({Click(kIdOkIcon)});
  Hold(3);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(Names(), (Texts{u"Alpha", u"Bravo", u"Charlie", u"Echo"}));
  EXPECT_STREQ(PointRefName(PointRef{ActiveTask()[0].kind, ActiveTask()[0].index}), "Bravo");
  EXPECT_EQ(ActiveTask()[0].index, 4);
  bool asked = false;
  for (const auto& shown : user.shown())
    for (const auto& text : shown.texts) asked = asked || text == u"Delete W1 (Delta)?";
  EXPECT_TRUE(asked);
  EXPECT_TRUE(user.log().empty()) << user.log().front();
}

TEST_F(PointList, ArrivalFromTheOwnPosition) {
  FlightState fs;
  FlightStateDefaults(fs);
  const GeoPoint own{-9000, 1000};
  PointArrival a;
  EXPECT_FALSE(ComputeArrivalAltitude(fs, own, PointRef{kPointUserWaypoint, 9}, a));
  ASSERT_TRUE(ComputeArrivalAltitude(fs, own, PointRef{kPointUserWaypoint, 2}, a));  // Alpha, east
  EXPECT_EQ(a.bearing, 90);
  EXPECT_EQ(a.altitude, kArrivalUnreachable);  // no altitude known yet
  fs.altitude = 2000;
  ASSERT_TRUE(ComputeArrivalAltitude(fs, own, PointRef{kPointUserWaypoint, 2}, a));
  EXPECT_GT(a.distance, 0u);
  EXPECT_LT(a.altitude, 2000);  // the glide costs height
  EXPECT_GT(a.altitude, 0);
}

TEST(PointRows, ColourByArrival) {
  EXPECT_EQ(PointRowColour(true, 301, 300), RGB(0, 255, 0));
  EXPECT_EQ(PointRowColour(true, 300, 300), RGB(255, 255, 0));
  EXPECT_EQ(PointRowColour(false, 500, 300), RGB(255, 255, 0));
  EXPECT_EQ(PointRowColour(true, 0, 300), CLR_DEFAULT);
  EXPECT_EQ(PointRowColour(false, kArrivalUnreachable, 300), CLR_DEFAULT);
}

// The browser's pages at both screen sizes: the browser stays on the screen.
TEST_F(PointList, BrowserAsPictures) {
  for (const ce::display::ScreenSize size : {ce::display::kPortrait, ce::display::kVga}) {
    ASSERT_TRUE(ce::display::SetScreenSize(size));
    GetDesktopRect();
    HWND browser = CreateModelessDialog(kWaypointBrowser, nullptr, WaypointBrowserProc, kBrowserListPage);
    ASSERT_NE(browser, nullptr);
    ShowWindow(browser, SW_SHOW);
    Pump();
    RECT r{};
    GetWindowRect(browser, &r);
    EXPECT_LE(r.right, size.width);
    EXPECT_LE(r.bottom, size.height);
    // Each page in turn (waypoint_browser_<page>_<size>.png).
    for (int tab = 0; tab < 3; ++tab) {
      SendDlgItemMessageW(browser, kIdBrowserTabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
      NMHDR change{GetDlgItem(browser, kIdBrowserTabs), static_cast<UINT_PTR>(kIdBrowserTabs), TCN_SELCHANGE};
      SendMessageW(browser, WM_NOTIFY, kIdBrowserTabs, reinterpret_cast<LPARAM>(&change));
      Pump();
      const std::string file = "waypoint_browser_" + std::to_string(tab) + "_" + std::to_string(size.width) + "x" +
                               std::to_string(size.height) + ".png";
      EXPECT_TRUE(ce::display::SaveScreenshot(file, &r)) << file;
    }
    DestroyWindow(browser);
  }
  ce::display::SetScreenSize(ce::display::kPortrait);
  GetDesktopRect();
}

}  // namespace
}  // namespace cumulor
