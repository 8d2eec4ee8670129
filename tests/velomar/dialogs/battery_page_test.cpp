// The battery page: a prepared log drawn at each scale (the records inside the span are the red
// line's points), two taps in either order giving the same statistics, and logs that are missing,
// short or malformed drawn as axes alone, without a crash.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "platform/files/ce_path.h"
#include "platform/files/files.h"
#include "platform/gdi/gdi.h"
#include "platform/text/format.h"
#include "teskautils/TeskaUtils.h"
#include "tests/velomar/dialogs/option_pages_fixture.h"
#include "velomar/dialogs/PropertyPageDialogBattery.h"

namespace dialogs_test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// 21 records, one a minute from 10:00 to 10:20 on 1 June 2026, 100 % down to 80 %.
std::string PreparedLog() {
  std::string bytes;
  for (int i = 0; i <= 20; ++i) {
    const std::u16string line = ce::text::Format(u"2026-06-01 10:%02d:00 %03d%%\r\n", i, 100 - i);
    for (char16_t c : line) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
  }
  return bytes;
}

class BatteryPageTest : public OptionPagesTest {
 protected:
  // The log in the program's folder, where the radio interface manager writes it.
  static std::u16string LogPath() {
    WCHAR folder[MAX_PATH] = {};
    GetCurrentDirectory(folder);
    CrearDirectorio(folder);
    return std::u16string(folder) + u"\\log_battery.txt";
  }
  // Written from the host side: the radio interface manager keeps the log open without sharing.
  void WriteLog(const std::string& bytes) {
    std::ofstream out(ce::files::HostPath(LogPath()), std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good());
  }
  // The sheet on the battery page; `work` runs on the sheet's thread once it is shown, with the
  // page and its window, then the sheet is closed.
  void OnPage(const std::function<void(CPropertyPageDialogBattery&, HWND)>& work) {
    CPropertySheetOptions sheet(nullptr);
    sheet.CreatePages();
    int index = -1;
    for (std::size_t i = 0; i < sheet.GetPages().size(); ++i)
      if (dynamic_cast<CPropertyPageDialogBattery*>(sheet.GetPages()[i])) index = static_cast<int>(i);
    ASSERT_GE(index, 0);
    auto* page = static_cast<CPropertyPageDialogBattery*>(sheet.GetPages()[static_cast<std::size_t>(index)]);
    UiProbe probe;
    probe.Post([&] {
      HWND hwnd = page->GetHwnd();
      UpdateWindow(hwnd);
      work(*page, hwnd);
      PostMessageW(GetParent(hwnd), WM_COMMAND, IDOK, 0);
    });
    User().HoldUnanswered(true);
    sheet.DoModal(index);
    User().HoldUnanswered(false);
  }
  // The plot area as the page lays it out.
  struct Area {
    int left, top, right, bottom;
  };
  static Area AreaOf(HWND page) {
    RECT client{};
    GetClientRect(page, &client);
    return Area{20, 30, client.right - 10, client.bottom - 20};
  }
  static int Y(const Area& a, int percent) { return a.bottom - (a.bottom - a.top) * percent / 100; }
  // Redraws the page at `scale` (its menu command) and reads the pixel at each point.
  static std::vector<COLORREF> PixelsAt(HWND page, int scale, const std::vector<POINT>& points) {
    SendMessageW(page, WM_COMMAND, 40257 + scale, 0);
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(page);
    std::vector<COLORREF> out;
    for (const POINT& p : points) out.push_back(GetPixel(dc, p.x, p.y));
    ReleaseDC(page, dc);
    return out;
  }
};

TEST_F(BatteryPageTest, EachScaleDrawsTheRecordsOfItsSpan) {
  WriteLog(PreparedLog());
  OnPage([&](CPropertyPageDialogBattery&, HWND page) {
    const Area a = AreaOf(page);
    // Everything: 20 minutes across the plot; every record later than the span's start (the
    // oldest record) is a point of the line.
    std::vector<POINT> all;
    for (int i = 1; i <= 20; ++i) all.push_back(POINT{a.left + (a.right - a.left) * i / 20, Y(a, 100 - i)});
    for (COLORREF c : PixelsAt(page, 0, all)) EXPECT_EQ(c, kRed);
    // The last 10 minutes: 10:10 to 10:20 across the plot, the records after 10:10 drawn.
    std::vector<POINT> recent;
    for (int i = 11; i <= 20; ++i) recent.push_back(POINT{a.left + (a.right - a.left) * (i - 10) / 10, Y(a, 100 - i)});
    for (COLORREF c : PixelsAt(page, 3, recent)) EXPECT_EQ(c, kRed);
    // There the early records are no longer drawn where the whole span put them.
    EXPECT_NE(PixelsAt(page, 3, {all[2]})[0], kRed);
    // The last hour and the last day: the records bunch at the right end.
    const int hour_x = a.left + (a.right - a.left) * 41 / 60;  // 10:01 within 09:20 .. 10:20
    EXPECT_EQ(PixelsAt(page, 2, {POINT{hour_x, Y(a, 99)}, POINT{a.right, Y(a, 80)}}),
              (std::vector<COLORREF>{kRed, kRed}));
    EXPECT_EQ(PixelsAt(page, 1, {POINT{a.right, Y(a, 80)}})[0], kRed);
  });
}

TEST_F(BatteryPageTest, TwoTapsInEitherOrderGiveTheSameStatistics) {
  WriteLog(PreparedLog());
  std::vector<std::u16string> texts;
  for (bool reverse : {false, true}) {
    OnPage([&](CPropertyPageDialogBattery&, HWND page) {
      const Area a = AreaOf(page);
      const int x5 = a.left + (a.right - a.left) * 5 / 20;    // 10:05, 95 %
      const int x15 = a.left + (a.right - a.left) * 15 / 20;  // 10:15, 85 %
      const int first = reverse ? x15 : x5, second = reverse ? x5 : x15;
      SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first, Y(a, 50)));
      SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second, Y(a, 50)));
    });
    const auto boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    texts.push_back(boxes[0]);
  }
  EXPECT_EQ(texts[0], texts[1]);
  // 10 minutes, a change of -10, 10 an hour (less than an hour counts as one).
  EXPECT_EQ(texts[0], ce::text::FormatChecked(T(u"DIALOG_BATTERY_STATISTICS_TEST"), 10, -10, 10));
}

TEST_F(BatteryPageTest, MissingShortOrMalformedLogsDrawNoLine) {
  std::string garbage(52 * 3, 'x');
  for (const std::string& bytes : {std::string(), std::string(30, '\0'), garbage, PreparedLog().substr(0, 70)}) {
    WriteLog(bytes);
    OnPage([&](CPropertyPageDialogBattery&, HWND page) {
      const Area a = AreaOf(page);
      for (int scale = 0; scale < 4; ++scale) PixelsAt(page, scale, {});
      SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((a.left + a.right) / 2, Y(a, 50)));
      SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.right - 1, Y(a, 50)));
    });
  }
  std::filesystem::remove(ce::files::HostPath(LogPath()));
  OnPage([&](CPropertyPageDialogBattery&, HWND page) { PixelsAt(page, 0, {}); });
  EXPECT_TRUE(BoxTexts().empty());
}

}  // namespace
}  // namespace dialogs_test
