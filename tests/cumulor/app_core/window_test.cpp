// The main window's handlers and pumps in the test process: PumpMessagesWait, the zoom keys'
// debounce, area targets moved across north, command dispatch, the status line, the desktop
// requests, the dialogs under the scripted user (port dialog, own message box, entry pad, list
// choice), and the application buttons given as input.
#include <cmath>
#include <thread>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/app/ui/screen_layout.h"
#include "platform/menus/menus.h"
#include "platform/registry/registry.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/dialogs/port_dialog.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/map/menus/menu_bar.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/display/virtual_keys.h"
#include "platform/kernel/kernel.h"
#include "cumulor/data/airspace/airspace_switchoff.h"
#include "platform/time/time.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using namespace ce::scripted::steps;
using cumulor_test::AppTest;

namespace {

constexpr std::int32_t kDeg = 36000;

LRESULT QueueProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 1) SetEvent(reinterpret_cast<HANDLE>(lparam));
  return DefWindowProcW(window, message, wparam, lparam);
}

// A window that only keeps its queue, standing in for the main window.
class WindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = QueueProc;
    wc.lpszClassName = u"CumulorQueue";
    RegisterClassW(&wc);
    app->mainWindow = CreateWindowExW(0, u"CumulorQueue", u"", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(app->mainWindow);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassW(u"CumulorQueue", nullptr);
    AppTest::TearDown();
  }
  std::vector<WPARAM> QueuedCommands() {
    std::vector<WPARAM> out;
    MSG msg;
    while (PeekMessageW(&msg, app->mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE)) out.push_back(LOWORD(msg.wParam));
    return out;
  }
};

TEST_F(WindowTest, PumpMessagesWaitEndsByHandleAbortTimeOrQuit) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(PumpMessagesWait(event, 0), WAIT_TIMEOUT);
  // A window message is dispatched while waiting; this one sets the handle.
  PostMessageW(app->mainWindow, WM_USER + 1, 0, reinterpret_cast<LPARAM>(event));
  EXPECT_EQ(PumpMessagesWait(event, 0xFFFFFFFFu), S_OK);
  ResetEvent(event);
  // WM_QUIT met by the nested pump ends it and stays for the outer loop, with its code.
  PostQuitMessage(3);
  EXPECT_EQ(PumpMessagesWait(event, 0xFFFFFFFFu), E_ABORT);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  PostQuitMessage(4);
  PumpMessages();
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  // The abort event ends every wait.
  SetEvent(AbortEvent());
  EXPECT_EQ(PumpMessagesWait(event, 0xFFFFFFFFu), E_ABORT);
  EXPECT_EQ(PumpMessagesWait(AbortEvent(), 5000), E_ABORT);
  CloseHandle(event);
}

TEST_F(WindowTest, ZoomKeysPostOneStepThenWaitAndTakeOutOnlyAZoomCommand) {
  AdvanceClock(1500);
  OnKeyDown(*app, VK_UP, 0);
  OnKeyDown(*app, VK_UP, 0);  // within 1500 ms: ignored
  AdvanceClock(1499);
  OnKeyDown(*app, VK_DOWN, 0);
  EXPECT_EQ(QueuedCommands(), std::vector<WPARAM>{kCmdZoomWider});

  // A zoom command still queued is taken out and nothing is posted; other commands stay.
  AdvanceClock(1500);
  PostMessageW(app->mainWindow, WM_COMMAND, kCmdStartGps, 0);
  PostMessageW(app->mainWindow, WM_COMMAND, kCmdZoomCloser, 0);
  OnKeyDown(*app, VK_UP, 0);
  EXPECT_EQ(QueuedCommands(), std::vector<WPARAM>{kCmdStartGps});
  AdvanceClock(1500);
  PostMessageW(app->mainWindow, WM_COMMAND, kCmdStartGps, 0);
  OnKeyDown(*app, VK_DOWN, 0);
  EXPECT_EQ(QueuedCommands(), (std::vector<WPARAM>{kCmdStartGps, kCmdZoomCloser}));
}

TEST_F(WindowTest, AreaTargetKeysMoveAlongTheRadialRangeThroughNorth) {
  const GeoPoint centre{8 * kDeg, 46 * kDeg};
  UserWaypointTable& table = UserWaypoints();
  table.records.SetSize(2);
  table.records[1].position = centre;
  GeoPoint start;
  GeoDestination(centre.lon, centre.lat, 10000, 0, start);  // due north, 10 km
  TaskPoint area{};
  area.kind = kPointUserWaypoint;
  area.index = 1;
  area.lon = start.lon;
  area.lat = start.lat;
  area.minRadius = 9000;
  area.maxRadius = 11000;
  area.startRadial = 350;
  area.endRadial = 10;
  ActiveTask().Append(area);
  app->navTarget = area;
  app->areaTargetEdit = 1;
  auto radial = [&] {
    double b = 0;
    GeoBearing(b, centre, GeoPoint{app->navTarget.lon, app->navTarget.lat});
    return b * 180 / M_PI;
  };
  auto distance = [&] { return GeoDistance(centre, GeoPoint{app->navTarget.lon, app->navTarget.lat}); };

  OnKeyDown(*app, VK_LEFT, 0);  // radial 0 - 1 = 359 lies in 350..10
  EXPECT_NEAR(radial(), 359, 0.05);
  for (int i = 0; i < 20; ++i) OnKeyDown(*app, VK_LEFT, 0);
  EXPECT_GE(radial(), 349.0);  // stops at the start of the range
  EXPECT_LT(radial(), 351.0);
  for (int i = 0; i < 15; ++i) OnKeyDown(*app, VK_RIGHT, 0);  // back through north
  EXPECT_NEAR(radial(), 5, 1.1);
  EXPECT_NEAR(distance(), 10000, 60);  // each move truncates to whole metres and 0.1 s
  OnKeyDown(*app, VK_UP, 0);
  OnKeyDown(*app, VK_UP, 0);
  EXPECT_NEAR(distance(), 11000, 5);  // not beyond the maximum radius
  for (int i = 0; i < 4; ++i) OnKeyDown(*app, VK_DOWN, 0);
  EXPECT_NEAR(distance(), 9000, 5);  // not below the minimum radius
  EXPECT_TRUE(QueuedCommands().empty());  // no zoom while editing

  // A target that is not in the active task: arrow keys do nothing, Enter still leaves editing.
  app->navTarget.index = 7;
  const TaskPoint before = app->navTarget;
  OnKeyDown(*app, VK_LEFT, 0);
  EXPECT_EQ(app->navTarget.lon, before.lon);
  OnKeyDown(*app, VK_RETURN, 0);
  EXPECT_EQ(app->areaTargetEdit, 0);
  EXPECT_TRUE(Played(u"infend.wav"));
  table.records.SetSize(0);
}

TEST_F(WindowTest, CommandsDispatchOnTheLowWord) {
  OnCommand(*app, MAKEWPARAM(40016, 1), 0);  // zoom select "2000"
  EXPECT_EQ(app->zoomIndex, 11);
  OnCommand(*app, kCmdZoomWider, 0);
  EXPECT_EQ(app->zoomIndex, 11);
  OnCommand(*app, 40005, 0);
  OnCommand(*app, kCmdZoomCloser, 0);
  EXPECT_EQ(app->zoomIndex, 0);
  app->savedZoomIndex = 3;
  OnCommand(*app, kCmdZoomWider, 0);
  EXPECT_EQ(app->zoomIndex, 1);
  EXPECT_EQ(app->savedZoomIndex, -1);

  OnCommand(*app, kCmdTerrain, 0);
  EXPECT_EQ(app->terrainShown, 0);
  EXPECT_TRUE(Played(u"infend.wav"));
  OnCommand(*app, kCmdLabels, 0);
  EXPECT_EQ(app->labelsShown, 1);
  EXPECT_TRUE(Played(u"infbeg.wav"));

  // Task start: nothing without points; a start, then the second call sums up with a fanfare.
  OnCommand(*app, kCmdTaskStart, 0);
  EXPECT_EQ(app->taskStarted, 0);
  ActiveTask().Append(TaskPoint{});
  ActiveTask().Append(TaskPoint{});
  OnCommand(*app, kCmdTaskStart, 0);
  EXPECT_EQ(app->taskStarted, 1);
  EXPECT_EQ(Tasks().slot[kAchievedSlot].Size(), 1);
  EXPECT_EQ(ActiveTask().Size(), 1);
  EXPECT_FALSE(Played(u"TADA.wav"));
  OnCommand(*app, kCmdTaskStart, 0);
  EXPECT_TRUE(Played(u"TADA.wav"));

  // Commands whose dialog is not built, and unknown ids, change nothing. (An earlier test of the
  // program may have registered the airspace dialog of 40107: it is taken out again.)
  SetDialogProcedure(172, nullptr);
  const std::int32_t zoom = app->zoomIndex;
  for (WPARAM id : {40107u, 12345u, 65535u}) OnCommand(*app, id, 0);
  EXPECT_EQ(app->zoomIndex, zoom);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_TRUE(ce::scripted::User::Get().shown().empty());
  // The team set-up runs with the dialog flag set and clears it; the team marks are not set: the
  // team set-up is offered.
  OnCommand(*app, 40059, 0);
  EXPECT_EQ(app->dialogActive, 0);
  OnCommand(*app, 40150, 0);
  EXPECT_TRUE(Played(u"Splat.wav"));
  EXPECT_EQ(QueuedCommands(), std::vector<WPARAM>{kCmdTeamGrid});
}

TEST_F(WindowTest, StatusLineHoldsItsMessageByIdAndClearsByItsRules) {
  ShowStatusStringId(*app, 23);
  EXPECT_EQ(std::u16string(app->statusText), u"Lost GPS signal...");
  EXPECT_EQ(app->statusHeld, 1);
  app->statusText[0] = u'x';  // the same id while held: no new text
  ShowStatusStringId(*app, 23);
  EXPECT_EQ(app->statusText[0], u'x');
  ShowStatusStringId(*app, 1);  // no text 1: remembered, nothing shown
  EXPECT_EQ(LastStatusId(), 1u);
  EXPECT_EQ(app->statusText[0], u'x');

  ShowStatusTextSticky(*app, u"Optimising...");
  ClearStatusText(*app, false);
  EXPECT_EQ(std::u16string(app->statusText), u"Optimising...");
  ClearStatusText(*app, true);
  EXPECT_EQ(app->statusHeld, 0);
  EXPECT_EQ(app->statusText[0], 0);
  ShowStatusText(*app, u"Held");
  ClearStatusText(*app, false);
  EXPECT_EQ(app->statusHeld, 0);
  ShowStatusTextPlain(*app, u"Plain");
  EXPECT_EQ(app->statusHeld, 0);

  SetActiveDialog(*app, nullptr, 0);
  app->dialogActive = 1;
  SetActiveDialog(*app, nullptr, 0);
  EXPECT_EQ(app->dialogActive, 1);
  SetActiveDialog(*app, nullptr, 1);
  EXPECT_EQ(app->dialogActive, 0);
  app->menuClosed = 1;
  CloseMenuLoop(*app);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, app->mainWindow, WM_KEYUP, WM_KEYUP, PM_NOREMOVE));
}

std::atomic<int> g_lockedByOtherThread{-1};
void InstallSeesTheLock(AppContext& app, LPARAM) {
  // Another thread cannot take MainLock while the synchronisation runs.
  std::thread([&app] { g_lockedByOtherThread = TryEnterCriticalSection(&app.mainLock) ? 0 : 1; }).join();
}

TEST_F(WindowTest, DesktopRequestsIdentifyAndInstallUnderTheMainLock) {
  EXPECT_EQ(SendMessageW(app->mainWindow, WM_NULL, 0, 0), 0);  // the window answers at all
  EXPECT_EQ(OnDesktopMessage(*app, kDesktopIdentify, 0), kDesktopIdentity);
  EXPECT_TRUE(Played(u"hwandsw.wav"));
  EXPECT_TRUE(Played(u"Loudest.wav"));
  SetDesktopInstallHook(InstallSeesTheLock);
  EXPECT_EQ(OnDesktopMessage(*app, kDesktopInstall, 0), 0);
  SetDesktopInstallHook(nullptr);
  EXPECT_EQ(g_lockedByOtherThread.load(), 1);
  EXPECT_EQ(app->simulatorSpeedZero, 1);
  EXPECT_EQ(OnDesktopMessage(*app, 7, 0), 0);
}

TEST_F(WindowTest, PortDialogStoresAtOnceAndEndsWithTwo) {
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(1322), Click(1333), Click(kIdPortClose)});
  EXPECT_EQ(RunDialog(kPortDialogTemplate, app->mainWindow, PortDialogProc, 0), 2);
  EXPECT_EQ(app->portNumber, 3);
  EXPECT_EQ(app->baudRate, 38400u);
  EXPECT_EQ(std::u16string(app->portName), u"COM1:");  // the name follows the next SetSerialPort
  SetSerialPort(*app, app->portNumber, app->baudRate);
  EXPECT_EQ(std::u16string(app->portName), u"COM3:");
  for (auto end : {std::vector<ce::scripted::Step>{Click(IDOK)}, std::vector<ce::scripted::Step>{Click(IDCANCEL)},
                   std::vector<ce::scripted::Step>{Key(193)}, std::vector<ce::scripted::Step>{Key(196)}}) {
    user.AnswerDialog(end);
    EXPECT_EQ(RunDialog(kPortDialogTemplate, app->mainWindow, PortDialogProc, 0), 2);
  }
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted);
}

TEST_F(WindowTest, OwnMessageBoxAnswersAndAQuestionThatCannotBeShownIsCancel) {
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(kIdOkIcon)});
  EXPECT_TRUE(MessageBoxOkCancel(u"Import SeeYou waypoints and tasks?"));
  user.AnswerDialog({Click(kIdCancelIcon)});
  EXPECT_FALSE(MessageBoxOkCancelA("Go on?"));
  user.AnswerDialog({Key(195)});
  EXPECT_EQ(MessageBoxOkA("Done"), 1);

  // While a box is open (on another thread here), a question is answered Cancel unseen and an
  // information box is taken as read.
  user.HoldUnanswered(true);
  std::thread first([] { MessageBoxOk(u"First"); });
  ASSERT_TRUE(user.WaitShown(ce::scripted::Kind::kDialog, 4));
  EXPECT_FALSE(MessageBoxOkCancel(u"Clear all user waypoints?"));
  EXPECT_EQ(MessageBoxOk(u"Second"), 1);
  user.AnswerDialog({Click(kIdOkIcon)});
  first.join();
  user.HoldUnanswered(false);
  EXPECT_EQ(user.shown().size(), 4u);
}

TEST_F(WindowTest, EntryPadCutsLongTextsAndTheDistancePadReadsUnits) {
  auto& user = ce::scripted::User::Get();
  WCHAR text[64] = {};
  for (int i = 0; i < 40; ++i) text[i] = u'A' + (i % 26);
  user.AnswerDialog({Click(kIdOkIcon)});
  ASSERT_TRUE(EnterTextDialog(text, u"Name", app->mainWindow));
  EXPECT_EQ(std::u16string(text).size(), 31u);

  // Typed on a keyboard the field still holds 31 characters at most.
  user.AnswerDialog({SetText(kIdPadEdit, std::u16string(50, u'Z')), Click(kIdOkIcon)});
  ASSERT_TRUE(EnterTextDialog(text, nullptr, app->mainWindow));
  EXPECT_EQ(std::u16string(text), std::u16string(31, u'Z'));

  user.AnswerDialog({SetText(kIdPadEdit, u"12.5K"), Click(kIdOkIcon)});
  std::int32_t metres = 0;
  ASSERT_TRUE(EnterDoubleDialog(&metres, u"Distance", app->mainWindow));
  EXPECT_EQ(metres, 12500);

  // Backspace on an empty field cancels; the caller's value stays.
  user.AnswerDialog({SetText(kIdPadEdit, u""), Click(kIdCancelIcon)});
  EXPECT_FALSE(EnterDoubleDialog(&metres, u"Distance", app->mainWindow));
  EXPECT_EQ(metres, 12500);

  double value = 2.345;
  user.AnswerDialog({Click(kIdOkIcon)});
  ASSERT_TRUE(EnterValueDialog(&value, u"MC", 10, app->mainWindow, true));
  EXPECT_EQ(value, 2.3);  // shown as "2.3" and read back
}

// The pad paints its whole client area itself; its prompt stays in the caption above it, and the
// keypad starts its 43 (80) pixels below the caption, as on the device.
TEST_F(WindowTest, EntryPadShowsItsPromptAboveItsKeypadAtBothSizes) {
  auto pixel = [](int x, int y) { return ce::gdi::BitmapPixel(ce::display::ScreenBitmap(), x, y); };
  const struct {
    ce::display::ScreenSize size;
    int band, keypadTop;
  } cases[] = {{ce::display::kPortrait, 18, 43}, {ce::display::kVga, 36, 80}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size.width);
    ASSERT_TRUE(ce::display::SetScreenSize(c.size));
    GetDesktopRect();
    HWND pad = CreateModelessDialog(kEntryPadTemplate, nullptr, TextPadProc, 0);
    ASSERT_NE(pad, nullptr);
    SetWindowTextW(pad, u"Search For:");
    ShowWindow(pad, SW_SHOW);
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    EXPECT_EQ(pixel(c.size.width - 4, 2), RGB(0x00, 0x40, 0x80));
    bool title = false;
    for (int y = 0; y < c.band && !title; ++y)
      for (int x = 0; x < c.size.width / 2 && !title; ++x) title = GetRValue(pixel(x, y)) > 200 && GetBValue(pixel(x, y)) > 200;
    EXPECT_TRUE(title);
    EXPECT_EQ(pixel(1, c.band + c.keypadTop), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_NE(pixel(1, c.band + c.keypadTop - 1), RGB(0xC0, 0xC0, 0xC0));
    RECT edit{};
    GetWindowRect(GetDlgItem(pad, kIdPadEdit), &edit);
    EXPECT_GE(edit.top, c.band);
    EXPECT_TRUE(ce::display::SaveScreenshot("entry_pad_" + std::to_string(c.size.width) + "x" +
                                            std::to_string(c.size.height) + ".png"));
    DestroyWindow(pad);
  }
  ce::display::SetScreenSize(ce::display::kPortrait);
  GetDesktopRect();
}

TEST_F(WindowTest, ListChoiceSkipsHiddenEntriesAndTheSeparatorCannotBeChosen) {
  ListChoiceEntry table[] = {{1, 11, u"Airports"}, {1, kListSeparatorId, nullptr}, {0, 12, u"Hidden"},
                             {1, 13, u"Waypoints"}, {0, -1, nullptr}};
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Select(kIdListBox, 1), Select(kIdListBox, 2)});
  EXPECT_EQ(ChooseFromListDialog(table, u"Show", -1, false), 13);
  user.AnswerDialog({Click(IDCANCEL)});
  EXPECT_EQ(ChooseFromListDialog(table, nullptr, 0, false), -1);
  SetListItemFlag(table, 12, 1);
  user.AnswerDialog({Select(kIdListBox, 2)});
  EXPECT_EQ(ChooseFromListDialog(table, nullptr, -1, false), 12);
  ListChoiceEntry empty[] = {{1, -1, u"never"}};
  user.AnswerDialog({Click(IDCANCEL)});
  EXPECT_EQ(ChooseFromListDialog(empty, nullptr, -1, false), -1);
}

}  // namespace

namespace {

TEST_F(WindowTest, BadRegistryValuesAndOddMessagesAreRefusedOrIgnored) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halcyra\\Cumulor", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  GetDesktopRect();
  const RECT before = Layout().savedRect;
  const std::int32_t shortValue[2] = {1, 2}, longValue[5] = {1, 2, 3, 4, 5};
  const DWORD number = 7;
  struct Case {
    DWORD type;
    const void* data;
    DWORD size;
  } cases[] = {{REG_BINARY, shortValue, sizeof(shortValue)}, {REG_BINARY, longValue, sizeof(longValue)},
               {REG_DWORD, &number, sizeof(number)}, {REG_BINARY, nullptr, 0}};
  for (const Case& c : cases) {
    RegSetValueExW(key, u"rScreen", 0, c.type, static_cast<const BYTE*>(c.data), c.size);
    EXPECT_FALSE(LoadScreenRect(key));
    EXPECT_EQ(Layout().savedRect.right, before.right);
  }
  const std::int32_t good[4] = {10, 20, 110, 220};
  RegSetValueExW(key, u"rScreen", 0, REG_BINARY, reinterpret_cast<const BYTE*>(good), sizeof(good));
  EXPECT_TRUE(LoadScreenRect(key));
  EXPECT_EQ(Layout().savedWidth, 100);
  EXPECT_EQ(Layout().savedHeight, 200);
  // A switch-off list of today whose count exceeds its bytes keeps the ids that are there.
  SYSTEMTIME today{};
  GetLocalTime(&today);
  const std::int32_t suaOff[3] = {1000, today.wDay, 6};
  RegSetValueExW(key, u"SuaOff", 0, REG_BINARY, reinterpret_cast<const BYTE*>(suaOff), sizeof(suaOff));
  AirspaceDisabledLoad(app->airspace, key);
  ASSERT_EQ(app->airspace.disabled.Size(), 1);
  EXPECT_EQ(app->airspace.disabled[0], 6);
  RegCloseKey(key);

  // Messages whose parameters mean nothing here: a foreign "fix pointer", unknown timers, codes and
  // commands.
  HWND w = app->mainWindow;
  ce::scripted::User::Get().AnswerBox(IDNO);  // E_FAIL asks for the simulator: No
  EXPECT_EQ(MainWndProc(w, kMsgGpsUpdate, static_cast<WPARAM>(0xDEADBEEF), E_FAIL), 0);
  EXPECT_EQ(MainWndProc(w, kMsgGpsUpdate, static_cast<WPARAM>(0x10), S_OK), 0);
  app->recorderBusy = 1;
  EXPECT_EQ(MainWndProc(w, WM_TIMER, kWatchdogTimer, 0), 0);
  app->recorderBusy = 0;
  EXPECT_EQ(MainWndProc(w, WM_TIMER, 12345, 0), 0);
  EXPECT_EQ(MainWndProc(w, kMsgDesktop, static_cast<WPARAM>(-1), -1), 0);
  EXPECT_EQ(MainWndProc(w, WM_KEYDOWN, 0xFFFF, -1), 0);
  EXPECT_EQ(MainWndProc(w, WM_COMMAND, static_cast<WPARAM>(-1), -1), 0);
  EXPECT_EQ(MainWndProc(w, kMsgOptimize, 1, 2), 0);
  EXPECT_EQ(MainWndProc(w, WM_INITMENUPOPUP, 0, 0), 1);
  EXPECT_EQ(MainWndProc(w, WM_ENTERMENULOOP, 0, 0), 1);
  EXPECT_EQ(app->dialogActive, 1);
  EXPECT_EQ(MainWndProc(w, WM_EXITMENULOOP, 0, 0), 1);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_EQ(app->menuClosed, 1);
}

// The application buttons given as input (as the live window's number pad gives them) reach the
// main window procedure as VK_APP1..4 and run page 1's bottom strip; VK_APP2's slot is empty.
LRESULT KeyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_KEYDOWN) return MainWndProc(window, message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

std::vector<std::uint32_t> g_menuCommands;

TEST_F(WindowTest, ApplicationButtonsFromInputRunTheMenuStrip) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = KeyProc;
  wc.lpszClassName = u"CumulorKeys";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, u"CumulorKeys", u"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  MenusInit(app->menu);
  MenuBarSetup(app->menu, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  g_menuCommands.clear();
  SetMenuLink(MenuLink{[](std::uint32_t command, std::uint32_t) { g_menuCommands.push_back(command); }, nullptr,
                       nullptr, nullptr});
  SetFocus(window);
  for (UINT key : {VK_APP1, VK_APP2, VK_APP3, VK_APP4}) {
    ce::display::InjectInput({ce::display::InputEvent::kKeyDown, 0, 0, key});
    ce::display::InjectInput({ce::display::InputEvent::kKeyUp, 0, 0, key});
  }
  MSG msg;
  for (int i = 0; i < 50 && g_menuCommands.size() < 3; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(g_menuCommands, (std::vector<std::uint32_t>{kCmdTerrain, 40147, kCmdThermals}));
  SetMenuLink({});
  DestroyWindow(window);
  UnregisterClassW(u"CumulorKeys", nullptr);
}

}  // namespace
