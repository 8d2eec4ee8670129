#include "velomar/dialogs/PropertyPageDialogBattery.h"

#include <string>
#include <utility>

#include "platform/dialogs/aygshell.h"
#include "platform/dialogs/commdlg.h"
#include "platform/files/files.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/menus/menus.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/dialogs/BatteryGraph.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/dialogs/ScreenMode.h"

using namespace velomar::dialogs;

namespace {

constexpr UINT kMenuKey = 40006;
constexpr UINT kScaleCommands[] = {40257, 40258, 40259, 40260};
constexpr UINT kClearCommand = 40272;
constexpr UINT kExportCommand = 40273;
constexpr UINT kCompareCommand = 40274;
constexpr UINT kHelpCommand = 40241;

std::u16string ProgramFile(const WCHAR* name) {
  WCHAR folder[MAX_PATH] = {};
  GetCurrentDirectory(folder);
  return std::u16string(folder) + name;
}

std::u16string DayAndTime(const SYSTEMTIME& t) {
  return ce::text::Format(u"%04d-%02d-%02d %02d:%02d", static_cast<int>(t.wYear), static_cast<int>(t.wMonth),
                          static_cast<int>(t.wDay), static_cast<int>(t.wHour), static_cast<int>(t.wMinute));
}

// The battery log copied (under the radio manager's lock, held by the caller) and opened.
HANDLE OpenLogCopy() {
  const std::u16string copy = ProgramFile(u"\\log_battery.aux");
  CopyFileW(ProgramFile(u"\\log_battery.txt").c_str(), copy.c_str(), FALSE);
  return CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Holds the radio interface manager's battery log lock, so that no record is appended meanwhile.
class BatteryLogLock {
 public:
  BatteryLogLock() : m_ril(CRilMgr::GetInstance()) {
    if (m_ril) EnterCriticalSection(m_ril->GetBatteryLogLock());
  }
  ~BatteryLogLock() {
    if (m_ril) LeaveCriticalSection(m_ril->GetBatteryLogLock());
  }
  BatteryLogLock(const BatteryLogLock&) = delete;
  BatteryLogLock& operator=(const BatteryLogLock&) = delete;

 private:
  CRilMgr* m_ril;
};

}  // namespace

CPropertyPageDialogBattery::CPropertyPageDialogBattery(CPropertySheet* owner)
    : CPropertyPage(nullptr, 1148, owner), m_font(CreatePageFont(12, 100)), m_graphPen(CreatePen(PS_SOLID, 2, RGB(255, 0, 0))) {}

CPropertyPageDialogBattery::~CPropertyPageDialogBattery() {
  if (m_font) DeleteObject(m_font);
  if (m_graphPen) DeleteObject(m_graphPen);
}

UINT CPropertyPageDialogBattery::GetTemplateId() {
  const UINT id = TemplateForScreen(197, 196, 195);
  return id == 0 ? 197 : id;
}

std::u16string CPropertyPageDialogBattery::GetTitle() { return Text(u"PAGE BATTERY"); }

INT_PTR CPropertyPageDialogBattery::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  SHSipPreference(hwnd, SIP_DOWN);
  return TRUE;
}

INT_PTR CPropertyPageDialogBattery::OnSetActive() {
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  SetSoftKeyText(kMenuKey, Text(u"MENU_MENU"));
  HWND bar = m_menuBar ? m_menuBar : SHFindMenuBar(m_hwnd);
  auto menu = bar ? reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, kMenuKey)) : nullptr;
  if (menu != nullptr) {
    HMENU scale = CreatePopupMenu();
    const WCHAR* const scale_texts[] = {u"DIALOG_BATTERY_MENU_SCALE_TOTAL", u"DIALOG_BATTERY_MENU_SCALE_DAY",
                                        u"DIALOG_BATTERY_MENU_SCALE_HOUR", u"DIALOG_BATTERY_MENU_SCALE_10_MIN"};
    for (int i = 0; i < 4; ++i) AppendMenuW(scale, MF_STRING, kScaleCommands[i], Text(scale_texts[i]).c_str());
    if (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(scale), Text(u"DIALOG_BATTERY_MENU_SCALE").c_str());
  }
  SetMenuItem(kMenuKey, 1, kClearCommand, Text(u"DIALOG_BATTERY_MENU_CLEAR_HISTORY"));
  SetMenuItem(kMenuKey, 2, kExportCommand, Text(u"DIALOG_BATTERY_MENU_EXPORT_HISTORY"));
  SetMenuItem(kMenuKey, 3, kCompareCommand, Text(u"DIALOG_BATTERY_MENU_COMPARE_HISTORY"));
  SetMenuItem(kMenuKey, 4, kHelpCommand, Text(u"MENU_HELP_TEXT"));
  return TRUE;
}

INT_PTR CPropertyPageDialogBattery::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  if (HIWORD(wparam) == EN_SETFOCUS) SHSipPreference(hwnd, SIP_UP);
  const UINT command = LOWORD(wparam);
  for (int i = 0; i < 4; ++i) {
    if (command == kScaleCommands[i]) {
      m_scale = i;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
  }
  switch (command) {
    case kClearCommand:
      if (CRilMgr* ril = CRilMgr::GetInstance()) ril->ClearBatteryHistory();
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case kExportCommand: ExportHistory(); break;
    case kCompareCommand: TextBox(hwnd, u"%s", Text(u"DIALOG_BATTERY_DEVELOPMENT")); break;
    default: SaveHelpCommand(command); break;
  }
  return TRUE;
}

void CPropertyPageDialogBattery::ExportHistory() {
  WCHAR file[MAX_PATH] = u"log.txt";
  OPENFILENAMEW save{};
  save.lStructSize = sizeof save;
  save.hwndOwner = m_hwnd;
  save.lpstrFilter = u"txt File\0*.txt\0";
  save.lpstrFile = file;
  save.nMaxFile = MAX_PATH;
  if (GetSaveFileNameW(&save)) {
    std::u16string target = file;
    // The chosen name keeps its own extension; one without gets ".txt".
    const auto slash = target.find_last_of(u'\\');
    const auto dot = target.find_last_of(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) target += u".txt";
    CopyFileW(ProgramFile(u"\\log_battery.txt").c_str(), target.c_str(), FALSE);
  }
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

INT_PTR CPropertyPageDialogBattery::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  InvalidateRect(hwnd, nullptr, FALSE);
  RECT client{};
  GetClientRect(hwnd, &client);
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd, &paint);
  if (dc == nullptr) return TRUE;
  HGDIOBJ old_brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  HGDIOBJ old_font = SelectObject(dc, m_font);
  const PlotArea area = PlotAreaOf(client);
  m_plot = RECT{area.left, area.top, area.right, area.bottom};
  MoveToEx(dc, area.left, area.top, nullptr);
  LineTo(dc, area.left, area.bottom);
  LineTo(dc, area.right, area.bottom);
  for (int p = 100; p >= 0; p -= 10) {
    const int y = YOfPercent(area, p);
    MoveToEx(dc, area.left, y, nullptr);
    LineTo(dc, area.left + 2, y);
    const std::u16string label = NumberText(p);
    RECT box{0, y - 7, area.left - 1, y + 7};
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &box, DT_RIGHT);
  }
  DrawHistory(dc);
  SelectObject(dc, old_font);
  SelectObject(dc, old_brush);
  EndPaint(hwnd, &paint);
  return TRUE;
}

void CPropertyPageDialogBattery::DrawHistory(HDC dc) {
  BatteryLogLock lock;
  HANDLE file = OpenLogCopy();
  if (file == INVALID_HANDLE_VALUE) return;
  BatteryLogReader reader(file);
  SYSTEMTIME first{}, last{};
  if (reader.ReadEnds(first, last)) {
    const PlotArea area{m_plot.left, m_plot.top, m_plot.right, m_plot.bottom};
    const BatterySpan span = SpanOfScale(m_scale, first, last);
    const std::u16string start_text = DayAndTime(span.start);
    const std::u16string last_text = DayAndTime(last);
    RECT left_box{area.left, area.bottom + 1, area.left + 100, area.bottom + 11};
    DrawTextW(dc, start_text.c_str(), static_cast<int>(start_text.size()), &left_box, DT_LEFT);
    RECT right_box{area.right - 100, area.bottom + 1, area.right, area.bottom + 11};
    DrawTextW(dc, last_text.c_str(), static_cast<int>(last_text.size()), &right_box, DT_RIGHT);
    // Hour marks from the first whole hour after the start.
    SYSTEMTIME mark = span.start;
    mark.wMinute = 0;
    mark.wSecond = 0;
    mark.wMilliseconds = 0;
    mark = AddMinutes(mark, 60);
    for (int guard = 0; MinutesBetween(mark, last) >= 0 && guard < 100'000; ++guard) {
      const int x = XOfTime(area, span, mark);
      MoveToEx(dc, x, area.bottom - 2, nullptr);
      LineTo(dc, x, area.bottom + 2);
      mark = AddMinutes(mark, 60);
    }
    HGDIOBJ old_pen = SelectObject(dc, m_graphPen);
    reader.StartAtEnd();
    BatteryRecord record;
    bool valid = false;
    bool started = false;
    while (reader.Previous(record, valid)) {
      if (!valid) continue;
      const int x = XOfTime(area, span, record.time);
      const int y = YOfPercent(area, record.percent);
      if (!started) {
        MoveToEx(dc, x, y, nullptr);
        started = true;
      }
      if (IsLater(record.time, span.start)) LineTo(dc, x, y);
    }
    SelectObject(dc, old_pen);
  }
  CloseHandle(file);
}

INT_PTR CPropertyPageDialogBattery::OnLButtonDown(HWND hwnd, UINT, WPARAM, LPARAM lparam) {
  const int tap_x = static_cast<short>(LOWORD(lparam));
  BatteryLogLock lock;
  HANDLE file = OpenLogCopy();
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  BatteryLogReader reader(file);
  SYSTEMTIME first{}, last{};
  if (!reader.ReadEnds(first, last)) {
    CloseHandle(file);
    return FALSE;
  }
  const PlotArea area{m_plot.left, m_plot.top, m_plot.right, m_plot.bottom};
  const BatterySpan span = SpanOfScale(m_scale, first, last);
  HDC dc = GetDC(hwnd);
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  HGDIOBJ old_brush = dc ? SelectObject(dc, green) : nullptr;
  reader.StartAtEnd();
  BatteryRecord record;
  bool valid = false;
  bool found = false;
  bool first_read = true;
  int height = 0;
  while (reader.Previous(record, valid)) {
    if (!valid || !IsLater(record.time, span.start)) continue;
    const int x = XOfTime(area, span, record.time);
    if (x > tap_x) {
      height = YOfPercent(area, record.percent);
      first_read = false;
      continue;
    }
    if (first_read) height = YOfPercent(area, record.percent);
    found = true;
    break;
  }
  if (found) {
    if (dc) Ellipse(dc, tap_x - 4, height - 4, tap_x + 4, height + 4);
    if (m_firstX == -1) {
      m_firstX = tap_x;
      m_firstY = height;
      m_firstTime = record.time;
      m_firstCharge = record.percent;
    } else {
      m_secondX = tap_x;
      m_secondY = height;
      m_secondTime = record.time;
      m_secondCharge = record.percent;
      if (m_secondX < m_firstX) {
        std::swap(m_firstX, m_secondX);
        std::swap(m_firstY, m_secondY);
        std::swap(m_firstTime, m_secondTime);
        std::swap(m_firstCharge, m_secondCharge);
      }
      const long long minutes = MinutesBetween(m_firstTime, m_secondTime);
      long long hours = minutes / 60;
      if (hours == 0) hours = 1;
      std::u16string text =
          ce::text::FormatChecked(Text(u"DIALOG_BATTERY_STATISTICS_TEST"), static_cast<int>(minutes),
                                  m_secondCharge - m_firstCharge, static_cast<int>((m_firstCharge - m_secondCharge) / hours));
      if (text.size() > 499) text.resize(499);
      m_firstX = -1;
      TextBox(nullptr, u"%s", text);
    }
  }
  if (dc) {
    SelectObject(dc, old_brush);
    ReleaseDC(hwnd, dc);
  }
  DeleteObject(green);
  CloseHandle(file);
  return TRUE;
}
