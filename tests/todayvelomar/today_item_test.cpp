// The Today item in this process: loaded by the Today host's own code from its registration,
// talking to a stand-in for Velomar's main window. Each refresh round is driven by the test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/display/display.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/shared_libraries.h"
#include "teskautils/teskautils_seam.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/todayvelomar/today_fixture.h"
#include "tools/todayhost/today_host.h"

namespace {

using namespace today_test;

class TodayItem : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    // The log channel of this process is attached once for the whole run: attached again, it
    // lets go of a queue an earlier test's reader had (on that test's device) and finds this one.
    teskautils::seam::DetachLibrary();
    teskautils::seam::AttachLibrary();
    ce::libraries::SetLibraryFolder(TODAY_LIBRARY_DIR);
    ce::display::SetScreenSize(ce::display::kPortrait);
    InstallVelomarForToday();
  }
  void TearDown() override {
    host_.Close();
    main_.reset();
    Pump();
    ce::display::SetScreenSize(ce::display::kPortrait);
    ce::libraries::SetLibraryFolder({});
    DeviceTest::TearDown();
  }

  // Starts the host, which loads the item; the item's window.
  HWND StartHost() {
    EXPECT_TRUE(host_.Create(GetModuleHandleW(nullptr)));
    const auto items = host_.ItemWindows();
    EXPECT_EQ(items.size(), 1u);
    item_ = items.empty() ? nullptr : items[0];
    return item_;
  }
  // One refresh round: what was posted is delivered, the host asks the item, and what that
  // posted (registration, statuses) is delivered. True when the item was drawn again.
  bool Round() {
    Pump();
    const bool drawn = host_.Refresh(false);
    Pump();
    return drawn;
  }
  void StartMain(std::vector<std::pair<int, int>> statuses, DWORD cell, DWORD lac) {
    main_ = std::make_unique<StandInMain>();
    main_->SetStatuses(std::move(statuses), cell, lac);
  }
  void Tap(int x) { SendMessageW(host_.window(), WM_LBUTTONUP, 0, MAKELPARAM(x, 5)); }

  static HBITMAP Screen() { return ce::display::ScreenBitmap(); }

  todayhost::TodayHost host_;
  std::unique_ptr<StandInMain> main_;
  HWND item_ = nullptr;
};

TEST_F(TodayItem, ShowsVelomarsStatusesFallsBackWhenItQuitsAndRegistersWithItsNextWindow) {
  SetSetting(kTodaySettingPlace, u"Home");
  SetSetting(kTodaySettingFrame, u"Evening(18:00-22:00)");
  ASSERT_NE(StartHost(), nullptr);
  // Velomar never seen: only the Today background, and nothing to ask for.
  EXPECT_FALSE(Round());
  EXPECT_EQ(ce::gdi::BitmapPixel(Screen(), 10, 10), todayhost::kBackground);
  EXPECT_FALSE(CellHas(Screen(), 150, kLock));

  // The first query finds the main window and registers; the statuses it posts back are drawn at
  // the next one. Manager 9 (power) is sent too and not shown.
  StartMain({{0, 1}, {1, 2}, {2, 1}, {3, 0}, {4, 2}, {5, 2}, {9, 1}}, 1234, 56);
  EXPECT_FALSE(Round());
  ASSERT_EQ(main_->Count(WM_TODAY_REGISTER), 1);
  EXPECT_EQ(main_->received()[0].wparam, reinterpret_cast<WPARAM>(item_));
  EXPECT_TRUE(Round());
  const COLORREF shown[] = {kWifiOn, kDiscoverable, kVibrate, kPhoneOn, kConnected, k3G};
  for (int slot = 0; slot < 6; ++slot) EXPECT_TRUE(CellHas(Screen(), 25 * slot, shown[slot])) << "slot " << slot;
  EXPECT_TRUE(CellHas(Screen(), 150, kLock));
  EXPECT_FALSE(CellHas(Screen(), 0, kMagenta)) << "the key colour is left out";
  EXPECT_TRUE(HasDarkPixel(Screen(), {176, 5, 240, 22})) << "cell id and LAC";
  EXPECT_TRUE(HasDarkPixel(Screen(), {0, 25, 240, 35})) << "the place line, read at the registration";
  // The print-place setting (seeded 1) makes the item 35 pixels high.
  RECT r;
  GetWindowRect(item_, &r);
  EXPECT_EQ(r.bottom - r.top, 35);
  // Nothing changed: nothing to draw, and no second registration.
  EXPECT_FALSE(Round());
  EXPECT_EQ(main_->Count(WM_TODAY_REGISTER), 1);

  // Velomar quits: all six statuses become unknown beside the lock icon.
  main_->Quit();
  EXPECT_TRUE(Round());
  for (int slot = 0; slot < 6; ++slot) EXPECT_TRUE(CellHas(Screen(), 25 * slot, kUnknown)) << "slot " << slot;
  EXPECT_TRUE(CellHas(Screen(), 150, kLock));
  // Neither its cell nor its place and period stay, whether it quit or was ended (the settings
  // still hold them here).
  EXPECT_FALSE(HasDarkPixel(Screen(), {176, 5, 240, 22})) << "a cell of a Velomar gone";
  EXPECT_FALSE(HasDarkPixel(Screen(), {0, 25, 240, 35})) << "a place of a Velomar gone";
  EXPECT_FALSE(Round());

  // Velomar starts again with a new window: the item registers there and the icons come back.
  StartMain({{0, 0}, {1, 1}, {2, 2}, {3, 1}, {4, 1}, {5, 1}}, 99, 7);
  EXPECT_FALSE(Round());
  ASSERT_EQ(main_->Count(WM_TODAY_REGISTER), 1);
  EXPECT_EQ(main_->item(), item_);
  EXPECT_TRUE(Round());
  const COLORREF again[] = {kOff, kBluetoothOn, kSpeakerOn, kOff, kOff, k2G};
  for (int slot = 0; slot < 6; ++slot) EXPECT_TRUE(CellHas(Screen(), 25 * slot, again[slot])) << "slot " << slot;
  for (int slot = 0; slot < 6; ++slot) EXPECT_FALSE(CellHas(Screen(), 25 * slot, kUnknown)) << "slot " << slot;
}

TEST_F(TodayItem, EachStatusShowsItsIcon) {
  ASSERT_NE(StartHost(), nullptr);
  StartMain({{2, 2}}, 1, 2);
  Round();
  Round();
  const struct {
    int slot, status;
    COLORREF ink;
  } cases[] = {
      {0, 1, kWifiOn},      {0, 0, kOff},          {0, 7, kUnknown},       {1, 0, kOff},       {1, 1, kBluetoothOn},
      {1, 2, kDiscoverable}, {1, 3, kUnknown},     {2, 0, kOff},           {2, 1, kVibrate},   {2, 2, kSpeakerOn},
      {2, 5, kUnknown},     {3, -1, kUnknown},     {3, 1, kOff},           {3, 0, kPhoneOn},   {3, 4, kPhoneOn},
      {4, 0, kDisabled},    {4, 1, kOff},          {4, 2, kConnected},     {4, 9, kUnknown},   {5, 0, kAuto},
      {5, 1, k2G},          {5, 2, k3G},           {5, 3, kUnknown},
  };
  for (const auto& c : cases) {
    PostMessageW(item_, WM_TODAY_MGR_STATUS, static_cast<WPARAM>(c.slot), c.status);
    EXPECT_TRUE(Round());
    EXPECT_TRUE(CellHas(Screen(), 25 * c.slot, c.ink)) << "slot " << c.slot << " status " << c.status;
    if (c.ink != kUnknown) {
      EXPECT_FALSE(CellHas(Screen(), 25 * c.slot, kUnknown)) << "slot " << c.slot << " status " << c.status;
    }
  }
}

TEST_F(TodayItem, BadMessagesChangeNothingButAFreshDrawing) {
  ASSERT_NE(StartHost(), nullptr);
  StartMain({{0, 1}, {1, 1}, {2, 2}, {3, 0}, {4, 2}, {5, 0}}, 5, 6);
  Round();
  ASSERT_TRUE(Round());
  // Slots outside 0..5 ask for a drawing and change no icon; unknown codes are left alone.
  for (WPARAM slot : {WPARAM{6}, WPARAM{1000}, static_cast<WPARAM>(-1)}) {
    PostMessageW(item_, WM_TODAY_MGR_STATUS, slot, 0);
    EXPECT_TRUE(Round());
  }
  for (UINT msg : {0x0400u + 214, 0x0400u + 250, 0x7FFFu}) PostMessageW(item_, msg, 12345, 678);
  // A refresh query whose record is not the host's is answered without writing through it.
  EXPECT_EQ(SendMessageW(item_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0x10), 0);
  EXPECT_FALSE(Round());
  const COLORREF shown[] = {kWifiOn, kBluetoothOn, kSpeakerOn, kPhoneOn, kConnected, kAuto};
  for (int slot = 0; slot < 6; ++slot) EXPECT_TRUE(CellHas(Screen(), 25 * slot, shown[slot])) << "slot " << slot;
  // A cache clear asks for a drawing.
  SendMessageW(item_, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
  EXPECT_TRUE(Round());
}

TEST_F(TodayItem, TapsGoToTheMainWindowAsPostsByPosition) {
  ASSERT_NE(StartHost(), nullptr);
  // Before a main window is known, a tap goes nowhere.
  Tap(10);
  Pump();
  StartMain({{2, 2}}, 1, 2);
  Round();
  main_->ClearReceived();
  const struct {
    int x;
    UINT msg;
  } cases[] = {{0, WM_TODAY_TAP_ICON0},   {25, WM_TODAY_TAP_ICON0},  {26, WM_TODAY_TAP_ICON1},  {50, WM_TODAY_TAP_ICON1},
               {51, WM_TODAY_TAP_ICON2},  {75, WM_TODAY_TAP_ICON2},  {76, WM_TODAY_TAP_ICON3},  {100, WM_TODAY_TAP_ICON3},
               {101, WM_TODAY_TAP_ICON4}, {125, WM_TODAY_TAP_ICON4}, {126, WM_TODAY_TAP_ICON5}, {150, WM_TODAY_TAP_ICON5},
               {151, WM_TODAY_TAP_TEXT},  {239, WM_TODAY_TAP_TEXT}};
  for (const auto& c : cases) {
    Tap(c.x);
    // Posted, not sent: nothing has reached the main window before its thread takes its messages.
    EXPECT_TRUE(main_->received().empty()) << "x " << c.x;
    Pump();
    ASSERT_EQ(main_->received().size(), 1u) << "x " << c.x;
    EXPECT_EQ(main_->received()[0].msg, c.msg) << "x " << c.x;
    EXPECT_EQ(main_->received()[0].wparam, reinterpret_cast<WPARAM>(item_));
    main_->ClearReceived();
  }
  // The pen on the screen reaches the item in its own coordinates.
  ce::display::InjectInput({ce::display::InputEvent::kPenDown, 30, 8});
  ce::display::InjectInput({ce::display::InputEvent::kPenUp, 30, 8});
  Pump();
  ASSERT_EQ(main_->received().size(), 1u);
  EXPECT_EQ(main_->received()[0].msg, WM_TODAY_TAP_ICON1);
  // Velomar gone: the tap is posted to the kept handle and its failure ignored.
  main_->Quit();
  Tap(151);
  Pump();
}

TEST_F(TodayItem, PlaceLineAndOverlongSettingsAreCutNeverOverrun) {
  SetSetting(kTodaySettingPlace, u"Home");
  SetSetting(kTodaySettingFrame, std::u16string(300, u'F'));
  ASSERT_NE(StartHost(), nullptr);
  StartMain({{2, 2}}, 1, 2);
  Round();
  PostMessageW(item_, WM_TODAY_PLACE_CHANGED, 0, 0);
  ASSERT_TRUE(Round());
  EXPECT_TRUE(HasDarkPixel(Screen(), {0, 25, 240, 35})) << "the place line";
  // For a person to look at (in the test's build folder).
  RECT top{0, 0, 240, 40};
  ce::display::SaveScreenshot("today_item_place_line.png", &top);
  host_.Close();

  // A theme name longer than the buffer is cut; the icons are then missing, reported and left out.
  SetSetting(kTodaySettingTheme, std::u16string(600, u't'));
  SetSetting(kTodaySettingPrintPlace, DWORD{0});
  teskautils_test::LogQueueReader log;
  ASSERT_TRUE(log.ok());
  ASSERT_NE(StartHost(), nullptr);  // its first query registers with the main window at once
  EXPECT_TRUE(Round());
  RECT r;
  GetWindowRect(item_, &r);
  EXPECT_EQ(r.bottom - r.top, 25);
  EXPECT_FALSE(CellHas(Screen(), 150, kLock));
  int reported = 0;
  for (const auto& record : log.Take())
    if (record.text.find(u"Error loading \\Program Files\\Velomar\\themes\\ttt") != std::u16string::npos) ++reported;
  // Seven icons at each drawing, each reported.
  EXPECT_GE(reported, 7);
  EXPECT_EQ(reported % 7, 0);
}

// The width of the text drawn in a band of the screen (from its first to its last dark column).
int DarkWidth(HBITMAP screen, int top, int bottom) {
  int first = -1, last = -1;
  for (int x = 0; x < 240; ++x) {
    if (!HasDarkPixel(screen, {x, top, x + 1, bottom})) continue;
    if (first < 0) first = x;
    last = x;
  }
  return first < 0 ? 0 : last - first + 1;
}

TEST_F(TodayItem, NoDashWithoutAPeriodAndNoCellWhileTheRadioIsOff) {
  // The place line: with no period only the place; a period (here a blank one) adds the dash.
  int widths[2] = {};
  const std::u16string frames[2] = {u"", u" "};
  for (int i = 0; i < 2; ++i) {
    SetSetting(kTodaySettingPlace, u"Home");
    SetSetting(kTodaySettingFrame, frames[i]);
    ASSERT_NE(StartHost(), nullptr);
    StartMain({{2, 2}, {3, 0}}, 1001, 10);
    Round();
    PostMessageW(item_, WM_TODAY_PLACE_CHANGED, 0, 0);
    ASSERT_TRUE(Round());
    widths[i] = DarkWidth(Screen(), 25, 35);
    if (i == 0) {
      RECT top{0, 0, 240, 40};
      ce::display::SaveScreenshot("today_item_no_period.png", &top);
      EXPECT_TRUE(HasDarkPixel(Screen(), {175, 0, 240, 25})) << "the cell, the radio on";
    }
    host_.Close();
    main_.reset();
    Pump();
  }
  EXPECT_GT(widths[0], 0);
  EXPECT_LT(widths[0], widths[1]);
  // The radio off: the last cell is not shown.
  ASSERT_NE(StartHost(), nullptr);
  StartMain({{2, 2}, {3, 1}}, 1001, 10);
  Round();
  PostMessageW(item_, WM_TODAY_PLACE_CHANGED, 0, 0);
  ASSERT_TRUE(Round());
  EXPECT_FALSE(HasDarkPixel(Screen(), {175, 0, 240, 25})) << "a cell with the radio off";
}

TEST_F(TodayItem, ScreenSizeChoosesTheIconFolderAndTheLibraryLogsItsLoads) {
  SetSetting(kTodaySettingTheme, u"none");
  const struct {
    ce::display::ScreenSize size;
    const char16_t* folder;
  } cases[] = {{ce::display::kPortrait, u"qvga"}, {ce::display::kLandscape, u"qvga"}, {ce::display::kVga, u"vga"},
               {ce::display::kVgaLandscape, u"vga"}, {ce::display::kSquare, u"square"},
               {ce::display::kVgaSquare, u"square"}, {{200, 300}, u"qvga"}};
  StartMain({{2, 2}}, 1, 2);
  for (const auto& c : cases) {
    ASSERT_TRUE(ce::display::SetScreenSize(c.size));
    teskautils_test::LogQueueReader log;
    ASSERT_TRUE(log.ok());
    ASSERT_NE(StartHost(), nullptr);
    Round();
    Round();
    host_.Close();
    const std::u16string expected = std::u16string(u"Error loading \\Program Files\\Velomar\\themes\\none\\") + c.folder +
                                    u"\\td_lock.png";
    bool attach = false, detach = false, folder = false;
    for (const auto& record : log.Take()) {
      attach |= record.text.find(u"DLL_PROCESS_ATTACH \\Program Files\\Velomar\\TodayVelomar.dll") != std::u16string::npos;
      detach |= record.text.find(u"DLL_PROCESS_DETACH \\Program Files\\Velomar\\TodayVelomar.dll") != std::u16string::npos;
      folder |= record.text.find(expected) != std::u16string::npos;
    }
    EXPECT_TRUE(attach && detach) << c.size.width << "x" << c.size.height;
    EXPECT_TRUE(folder) << c.size.width << "x" << c.size.height;
  }
}

}  // namespace
