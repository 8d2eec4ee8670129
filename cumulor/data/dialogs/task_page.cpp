#include "cumulor/data/dialogs/task_page.h"

#include <iterator>
#include <string>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/dialogs/area_dialog.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_columns.h"
#include "cumulor/data/task/task_edit.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_actions.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/menus/menus.h"
#include "platform/text/format.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

constexpr std::int32_t kLastSlot = 24;
constexpr int kIconX = 2;
constexpr int kIconY = 2;

std::int32_t g_row = -1;
DynArray<LegRecord> g_legs;  // the shown slot's legs, ellipsoidal

std::int32_t ShownSlot() {
  std::int32_t& slot = TaskPageSlot();
  if (slot < 0 || slot > kLastSlot) slot = kActiveTaskSlot;
  return slot;
}

DynArray<TaskPoint>& ShownTask() { return Tasks().slot[ShownSlot()]; }

const WCHAR* DistanceUnitText() {
  switch (FormatUnits().distance.load()) {
    case kUnitNauticalMiles: return u"nm";
    case kUnitStatuteMiles: return u"sm";
    default: return u"km";
  }
}

// The whole slot's distance: the largest task distance (the legs stop at a stale point).
std::uint32_t TotalDistance() {
  std::uint32_t total = 0;
  for (const LegRecord& leg : g_legs)
    if (leg.taskDistance > total) total = leg.taskDistance;
  return total;
}

std::u16string Time(std::int64_t time) {
  WCHAR text[kTimeTextSize];
  FormatTimeToFlyText(time, text);
  return text;
}

std::u16string CellText(std::int32_t content, std::int32_t row, const SYSTEMTIME& now, std::uint32_t total) {
  const TaskPoint& point = ShownTask()[row];
  const PointRef ref{point.kind, point.index};
  const LegRecord& leg = g_legs[row];
  const bool noCourse = row == 0 && ShownSlot() != kActiveTaskSlot;
  switch (content) {
    case kLegCode: return point.maxRadius > 0 ? u"mtp" : ce::text::Format(u"%hs", PointCodeText(ref));
    case kLegName: {
      const char* name = PointRefName(ref);
      return ce::text::Format(u"%hs", name != nullptr ? name : "");
    }
    case kLegCourseTrue: return noCourse ? u"---" : ce::text::Format(u"%03d\u00b0", leg.trueCourse);
    case kLegCourseMagnetic: return noCourse ? u"---" : ce::text::Format(u"%03d\u00b0", leg.magneticCourse);
    case kLegDistance: return FormatDistance(leg.legDistance, kPrecisionOneDecimal);
    case kLegTaskDistance: return FormatDistance(leg.taskDistance, kPrecisionOneDecimal);
    case kLegTime: return Time(leg.legTime);
    case kLegTaskTime: return Time(leg.taskTime);
    case kLegArrival: {
      WCHAR text[kTimeTextSize];
      FormatArrivalText(leg.taskTime, now, text);
      return text;
    }
    case kLegPercent:
      return total == 0 ? std::u16string() : ce::text::Format(u"%.1f", static_cast<double>(leg.legDistance) * 100.0 / total);
    default: return {};
  }
}

void SetCell(HWND list, int row, int column, const std::u16string& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<WCHAR*>(text.c_str());
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The list from the shown slot, its total distance in the caption, the selected row marked.
void Refill(HWND page) {
  HWND list = GetDlgItem(page, kIdTaskList);
  const std::int32_t slot = ShownSlot();
  const DynArray<TaskPoint>& task = ShownTask();
  ComputeLegs(task, g_legs, slot == kActiveTaskSlot, LegStyle::kTaskPage);
  if (g_legs.Size() != task.Size()) g_legs.SetSize(0);
  if (g_row >= task.Size()) g_row = -1;
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::uint32_t total = TotalDistance();
  for (std::int32_t row = 0; row < g_legs.Size(); ++row) {
    const std::u16string first = CellText(LegColumnContent(0), row, now, total);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    item.pszText = const_cast<WCHAR*>(first.c_str());
    item.lParam = row;
    item.state = row == g_row ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    for (std::int32_t column = 1; column < kLegColumns; ++column)
      SetCell(list, row, column, CellText(LegColumnContent(column), row, now, total));
  }
  const std::u16string totalText =
      task.Empty() ? std::u16string() : std::u16string(FormatDistance(total, kPrecisionOneDecimal)) + DistanceUnitText();
  SetDlgItemTextW(page, kIdTaskTotal, totalText.c_str());
}

// Shows the popup of (id, text, offered) entries under the button; the command picked, 0 for none.
struct MenuEntry {
  UINT id;
  const WCHAR* text;
  bool offered;
};
UINT RunMenu(HWND page, int button, const MenuEntry* entries, std::size_t count) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return 0;
  int shown = 0;
  for (std::size_t i = 0; i < count; ++i)
    if (entries[i].offered && AppendMenuW(menu, MF_STRING, entries[i].id, entries[i].text)) ++shown;
  UINT command = 0;
  if (shown > 0) {
    RECT r{};
    GetWindowRect(GetDlgItem(page, button), &r);
    command = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, r.left, r.bottom, page, nullptr));
  }
  DestroyMenu(menu);
  return command;
}

bool RowSelected() { return g_row >= 0 && g_row < ShownTask().Size(); }

void PointMenu(HWND page) {
  const std::int32_t slot = ShownSlot();
  const std::int32_t count = ShownTask().Size();
  const MenuEntry entries[] = {
      {kCmdTaskInsert, u"INSERT", GotoTargetValid()},
      {kCmdTaskDeleteRow, u"DELETE", RowSelected()},
      {kCmdTaskMoveUp, u"MOVE UP", RowSelected() && g_row >= 1},
      {kCmdTaskMoveDown, u"MOVE DOWN", RowSelected() && g_row < count - 1},
      {kCmdTaskArea, u"AREA", RowSelected()},
  };
  switch (RunMenu(page, kIdPointMenu, entries, std::size(entries))) {
    case kCmdTaskInsert: {
      TaskPoint point;
      if (GetGotoTarget(point)) InsertTaskPoint(slot, RowSelected() ? g_row : -1, point);
      break;
    }
    case kCmdTaskDeleteRow:
      if (DeleteTaskPoint(slot, g_row)) g_row = -1;
      break;
    case kCmdTaskMoveUp:
      if (MoveTaskPoint(slot, g_row, true)) --g_row;
      break;
    case kCmdTaskMoveDown:
      if (MoveTaskPoint(slot, g_row, false)) ++g_row;
      break;
    case kCmdTaskArea:
      if (RowSelected()) {
        // Edited as a copy: the dialog is modal, the point goes back under the lock after it.
        TaskPoint point = ShownTask()[g_row];
        EditTaskPointAreaPosition(point, page);
        {
          TaskListsGuard guard;
          if (RowSelected()) ShownTask()[g_row] = point;
        }
        TaskRowChanged(slot, g_row);
      }
      break;
    default: return;
  }
  Refill(page);
}

void SelectSlot(HWND page, std::int32_t slot) {
  TaskPageSlot() = slot;
  g_row = -1;
  SendDlgItemMessageW(page, kIdTaskSlot, CB_SETCURSEL, static_cast<WPARAM>(slot), 0);
}

void CopySlot(HWND page, std::int32_t slot) {
  // An entry that is not a number leaves the value at -1: nothing is copied (not slot 0).
  double value = -1;
  if (!EnterValueDialog(&value, u"Enter Task Number to Copy TO:", 0, page, false)) return;
  if (!(value >= 0 && value <= kLastSlot)) return;  // outside 0 .. 24
  CopyTaskSlot(slot, static_cast<std::int32_t>(value));
}

void TaskMenu(HWND page) {
  const std::int32_t slot = ShownSlot();
  const std::int32_t count = ShownTask().Size();
  const bool achieved = !AchievedList().Empty();
  const bool active = slot == kActiveTaskSlot;
  const TaskPoint& direct = DirectTarget();
  const MenuEntry entries[] = {
      {kCmdTaskActivate, u"ACTIVATE", count > 0 && !active},
      {kCmdTaskDelete, u"DELETE", count > 0},
      {kCmdTaskInvert, u"INVERT", count >= 2},
      {kCmdTaskCopy, u"COPY", count > 0},
      {kCmdTaskNext, u"NEXT WPT", active && count >= 2},
      {kCmdTaskPrevious, u"PREVIOUS WPT", achieved},
      {kCmdTaskResume, u"RESUME TASK", count > 0 && PointRefIsValid(PointRef{direct.kind, direct.index})},
      {kCmdTaskRestart, u"RESTART", active && count > 0 && achieved},
  };
  switch (RunMenu(page, kIdTaskMenu, entries, std::size(entries))) {
    case kCmdTaskActivate:
      ActivateTaskSlot(slot);
      SelectSlot(page, kActiveTaskSlot);
      break;
    case kCmdTaskDelete:
      DeleteTaskSlot(slot);
      g_row = -1;
      break;
    case kCmdTaskInvert: ReverseTask(ShownTask()); break;
    case kCmdTaskCopy: CopySlot(page, slot); break;
    case kCmdTaskNext: AdvanceTask(); break;
    case kCmdTaskPrevious: UndoAdvanceTask(); break;
    case kCmdTaskResume: GotoFirstTaskPoint(); break;
    case kCmdTaskRestart: RestartTask(); break;
    default: return;
  }
  Refill(page);
}

// A tap on a row selects it and makes its point the go-to target.
void OnRowTap(HWND page, int row) {
  if (row < 0 || row >= ShownTask().Size()) {
    g_row = -1;
    return;
  }
  g_row = row;
  TaskPoint point = ShownTask()[row];
  const GeoPoint at = PointRefPosition(point);
  point.lon = at.lon;
  point.lat = at.lat;
  {
    TaskListsGuard guard;  // the frame draws the go-to target
    SetGotoTarget(point);
  }
  ShowGotoTargetCaption(page);
  InvalidateRect(page, nullptr, TRUE);
}

void OnPaint(HWND page) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(page, &ps);
  TaskPoint target;
  if (dc != nullptr && GetGotoTarget(target)) DrawPointIcon(dc, PointKindImage(target.kind), kIconX, kIconY);
  EndPaint(page, &ps);
}

LRESULT OnNotify(HWND page, const NMHDR& header) {
  if (header.idFrom != static_cast<UINT_PTR>(kIdTaskList)) return FALSE;
  switch (header.code) {
    case NM_CLICK: OnRowTap(page, reinterpret_cast<const NMITEMACTIVATE&>(header).iItem); return TRUE;
    case GN_CONTEXTMENU: {
      const auto& info = reinterpret_cast<const NMRGINFO&>(header);
      OnRowTap(page, static_cast<int>(info.dwItemSpec));
      PostMessageW(page, WM_COMMAND, MAKEWPARAM(kIdPointMenu, BN_CLICKED), 0);
      return TRUE;
    }
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
      if (column > 0 && ChooseListColumn(column)) {
        SetupListColumns(GetDlgItem(page, kIdTaskList));
        Refill(page);
      }
      return TRUE;
    }
    default: return FALSE;
  }
}

void OnInit(HWND page) {
  HWND list = GetDlgItem(page, kIdTaskList);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SetupListColumns(list);
  HWND slots = GetDlgItem(page, kIdTaskSlot);
  for (int slot = 0; slot <= kLastSlot; ++slot)
    SendMessageW(slots, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ce::text::Format(u"%02d", slot).c_str()));
  SelectSlot(page, ShownSlot());
  ShowGotoTargetCaption(page);
  Refill(page);
}

}  // namespace

std::int32_t TaskPageSelectedRow() { return g_row; }

void SetupListColumns(HWND list) {
  for (int column = kLegColumns - 1; column >= 0; --column) SendMessageW(list, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
  if (HFONT* font = FontHandleSlot(kFontSmall); font != nullptr && *font != nullptr)
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
  for (int column = 0; column < kLegColumns; ++column) {
    const std::int32_t content = LegColumnContent(column);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.cx = LegContentWidth(content);
    c.pszText = const_cast<WCHAR*>(LegContentTitle(content));
    c.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
  }
}

bool ChooseListColumn(std::int32_t column) {
  if (column <= 0 || column >= kLegColumns) return false;
  ListChoiceEntry entries[kLegContents + 1];
  for (std::int32_t content = 0; content < kLegContents; ++content)
    entries[content] = {1, content, LegContentChooserText(content)};
  entries[kLegContents] = {0, -1, nullptr};
  const std::u16string title = ce::text::Format(u"Select Column %d", column);
  const std::int32_t chosen = ChooseFromListDialog(entries, title.c_str(), LegColumnContent(column), false);
  if (chosen < 0 || chosen >= kLegContents) return false;
  SetLegColumnContent(column, chosen);
  return true;
}

INT_PTR TaskPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: OnInit(page); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kIdTaskSlot:
          if (HIWORD(wparam) == CBN_SELCHANGE) {
            const LRESULT slot = SendDlgItemMessageW(page, kIdTaskSlot, CB_GETCURSEL, 0, 0);
            if (slot >= 0 && slot <= kLastSlot) {
              SelectSlot(page, static_cast<std::int32_t>(slot));
              Refill(page);
            }
          }
          return TRUE;
        case kIdPointMenu: PointMenu(page); return TRUE;
        case kIdTaskMenu: TaskMenu(page); return TRUE;
        default: return FALSE;
      }
    case WM_NOTIFY:
      if (lparam == 0) return FALSE;
      return OnNotify(page, *reinterpret_cast<const NMHDR*>(lparam));
    case WM_KEYDOWN:
      // The hardware keys close the browser the page belongs to.
      if (IsAppKey(wparam)) {
        PostMessageW(GetParent(page), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
      }
      return FALSE;
    case WM_PAINT: OnPaint(page); return TRUE;
    default: return FALSE;
  }
}

}  // namespace cumulor
