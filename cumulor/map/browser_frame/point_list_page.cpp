#include "cumulor/map/browser_frame/point_list_page.h"

#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/dialogs/waypoint_action_menu.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_columns.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/point_arrival.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr std::int32_t kColumns = 4;
constexpr std::int32_t kColumnCode = 0;
constexpr std::int32_t kColumnBearing = 1;
constexpr std::int32_t kColumnDistance = 2;
constexpr std::int32_t kColumnName = 3;
constexpr const WCHAR* kColumnTitles[kColumns] = {u"ID", u"BRG", u"DIS", u"NAME"};
// Icons of the table tabs (16 x 16): airports show the first, user waypoints the fourth.
constexpr int kTableTabIcons[] = {184, 178, 177, 176};
constexpr int kAirportTabImage = 0;
constexpr int kUserTabImage = 3;

struct PointListState {
  std::int32_t kind = kPointAirport;
  std::int32_t sort[kColumns] = {1, 1, 1, 1};
  std::int32_t selected[kPointTableCount] = {};  // the point tapped last in each table (0 none)
  HIMAGELIST tabImages = nullptr;
  HIMAGELIST pointImages = nullptr;
};

PointListState& State() {
  static PointListState state;
  return state;
}

AppContext* App() { return AppRecord(); }

GeoPoint OwnPosition() { return TaskOwnPosition(); }

const char* Text(const char* text) { return text != nullptr ? text : ""; }

void SetListFont(HWND page) {
  HFONT* font = FontHandleSlot(kFontWaypointBrowser);
  if (font == nullptr || *font == nullptr) return;
  HWND list = GetDlgItem(page, kIdPointList);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
  if (HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)))
    SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
  InvalidateRect(list, nullptr, TRUE);
}

int CompareItems(LPARAM a, LPARAM b, LPARAM column) {
  return ComparePoints(static_cast<std::int32_t>(a), static_cast<std::int32_t>(b), static_cast<std::int32_t>(column));
}

void Sort(HWND list, std::int32_t column) {
  SendMessageW(list, LVM_SORTITEMS, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&CompareItems));
}

// The list from the table's search, sorted by distance in that column's current order (nearest
// first until its header is tapped), the point tapped last selected.
void RefreshPointList(HWND page) {
  PointListState& state = State();
  HWND list = GetDlgItem(page, kIdPointList);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  UpdatePointDistances(OwnPosition(), state.kind);
  std::vector<std::int32_t> points;
  {
    std::lock_guard<std::recursive_mutex> lock(PointTableLock());
    PointTable& table = PointTableOf(state.kind);
    PointListFilter(table.search, state.kind);
    points.assign(table.filtered.begin(), table.filtered.end());
  }
  SendMessageW(list, LVM_SETITEMCOUNT, points.size(), 0);
  const std::int32_t selected = state.selected[state.kind];
  for (std::size_t row = 0; row < points.size(); ++row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = static_cast<int>(row);
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = I_IMAGECALLBACK;
    item.lParam = points[row];
    item.state = points[row] == selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    const int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column < kColumns; ++column) {
      LVITEMW cell{};
      cell.iSubItem = column;
      cell.pszText = LPSTR_TEXTCALLBACKW;
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
    }
  }
  Sort(list, kColumnDistance);
  ShowWindow(list, SW_SHOW);
}

std::u16string CellText(std::int32_t kind, std::int32_t index, int column) {
  const PointTable& table = PointTableOf(kind);
  const PointRef ref{kind, index};
  switch (column) {
    case kColumnCode: return ce::text::Format(u"%hs", Text(PointCodeText(ref)));
    case kColumnBearing:
      return index < table.bearings.Size() ? ce::text::Format(u"%03d\u00b0", static_cast<int>(table.bearings[index])) : u"";
    case kColumnDistance:
      return index < table.distances.Size() ? std::u16string(FormatDistance(table.distances[index], kPrecisionAuto)) : u"";
    case kColumnName: return ce::text::Format(u"%hs", Text(PointRefName(ref)));
    default: return {};
  }
}

void GiveCell(NMLVDISPINFOW& info) {
  const std::int32_t kind = State().kind;
  const auto index = static_cast<std::int32_t>(info.item.lParam);
  if (!PointRefIsValid(PointRef{kind, index})) return;
  if (info.item.mask & LVIF_IMAGE) info.item.iImage = info.item.iSubItem == 0 ? PointKindImage(kind) : -1;
  if ((info.item.mask & LVIF_TEXT) && info.item.pszText != nullptr && info.item.cchTextMax > 0) {
    const std::u16string text = CellText(kind, index, info.item.iSubItem);
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
    std::memcpy(info.item.pszText, text.data(), n * sizeof(WCHAR));
    info.item.pszText[n] = 0;
  }
}

// Green for a landable point reached above the safety altitude, yellow for one reached at all.
LRESULT RowColour(HWND page, NMLVCUSTOMDRAW& draw) {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
    SetWindowLongPtrW(page, DWL_MSGRESULT, CDRF_NOTIFYITEMDRAW);
    return TRUE;
  }
  if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return FALSE;
  AppContext* app = App();
  const PointRef ref{State().kind, static_cast<std::int32_t>(draw.nmcd.lItemlParam)};
  PointArrival arrival;
  if (app == nullptr || !ComputeArrivalAltitude(app->flight, OwnPosition(), ref, arrival)) return FALSE;
  const COLORREF colour = PointRowColour(PointIsLandable(ref), arrival.altitude, app->flight.safetyMargin);
  if (colour == CLR_DEFAULT) return FALSE;
  draw.clrTextBk = colour;
  SetWindowLongPtrW(page, DWL_MSGRESULT, CDRF_DODEFAULT);
  return TRUE;
}

// The tapped row's point becomes the go-to target; false when the tap hit no row.
bool TakeRow(HWND page, int row) {
  HWND list = GetDlgItem(page, kIdPointList);
  if (row < 0 || row >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))) return false;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
  PointListState& state = State();
  const auto index = static_cast<std::int32_t>(item.lParam);
  if (!PointRefIsValid(PointRef{state.kind, index})) return false;
  state.selected[state.kind] = index;
  SetGotoTarget(PointAtRecord(state.kind, index));
  return true;
}

void ShowTable(HWND page, std::int32_t kind) {
  SetPointListKind(kind);
  SendDlgItemMessageW(page, kIdTableTabs, TCM_SETCURSEL, State().kind == kPointUserWaypoint ? 1 : 0, 0);
  RefreshPointList(page);
}

void ActionMenu(HWND page, bool onPoint) {
  TaskPoint point;
  const bool withPoint = onPoint && GetGotoTarget(point);
  switch (WaypointActionMenu(withPoint ? &point : nullptr, page)) {
    case WaypointAction::kCreated:
      // The new waypoint gets its distance at once.
      PointTableOf(kPointUserWaypoint).reference = GeoPoint{};
      ShowTable(page, kPointUserWaypoint);
      break;
    case WaypointAction::kEdited:
    case WaypointAction::kDeleted: {
      // The marked row follows the go-to target, which a deletion renumbers or clears.
      TaskPoint target;
      const bool valid = GetGotoTarget(target) && target.kind == kPointUserWaypoint;
      State().selected[kPointUserWaypoint] = valid ? target.index : 0;
      RefreshPointList(page);
      break;
    }
    default: break;
  }
}

void Search(HWND page) {
  WCHAR text[kPadChars + 1] = {};
  if (!EnterTextDialog(text, u"Search For:", page)) return;
  // The shown table searches for the text; a direction search no longer applies.
  SearchRecord& search = PointTableOf(State().kind).search;
  search.directionMode = false;
  SetSearchText(search, text);
  SetDlgItemTextW(page, kIdSearchText, text);
  RefreshPointList(page);
}

void CloseBrowser(HWND page) {
  PlayMenuClick();
  PostMessageW(GetParent(page), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

LRESULT OnNotify(HWND page, NMHDR& header) {
  if (header.idFrom == static_cast<UINT_PTR>(kIdTableTabs)) {
    if (header.code != TCN_SELCHANGE) return FALSE;
    const LRESULT tab = SendDlgItemMessageW(page, kIdTableTabs, TCM_GETCURSEL, 0, 0);
    ShowTable(page, tab == 1 ? kPointUserWaypoint : kPointAirport);
    return TRUE;
  }
  if (header.idFrom != static_cast<UINT_PTR>(kIdPointList)) return FALSE;
  switch (header.code) {
    case LVN_GETDISPINFOW: GiveCell(reinterpret_cast<NMLVDISPINFOW&>(header)); return TRUE;
    case NM_CUSTOMDRAW: return RowColour(page, reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<NMLISTVIEW&>(header).iSubItem;
      if (column < 0 || column >= kColumns) return TRUE;
      HWND list = GetDlgItem(page, kIdPointList);
      Sort(list, column);
      SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
      State().sort[column] = -State().sort[column];
      return TRUE;
    }
    case NM_CLICK: {
      // A tap below the rows opens the menu without a point.
      if (!TakeRow(page, reinterpret_cast<NMITEMACTIVATE&>(header).iItem)) ActionMenu(page, false);
      return TRUE;
    }
    case GN_CONTEXTMENU: {
      const auto& info = reinterpret_cast<NMRGINFO&>(header);
      ActionMenu(page, TakeRow(page, static_cast<int>(info.dwItemSpec)));
      return TRUE;
    }
    default: return FALSE;
  }
}

void OnInit(HWND page) {
  PointListState& state = State();
  HWND tabs = GetDlgItem(page, kIdTableTabs);
  // 16 pixels, twice that on a high-resolution screen.
  const int size = IsLargeScreen() ? 32 : 16;
  if (state.tabImages == nullptr)
    state.tabImages = CreateIconImageList(UiInstance(), kTableTabIcons, static_cast<int>(std::size(kTableTabIcons)), size);
  SendMessageW(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(state.tabImages));
  for (int tab = 0; tab < 2; ++tab) {
    TCITEMW item{};
    item.mask = TCIF_IMAGE | TCIF_TEXT;
    item.pszText = const_cast<WCHAR*>(u"");
    item.iImage = tab == 0 ? kAirportTabImage : kUserTabImage;
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tabs, TCM_SETCURSEL, state.kind == kPointUserWaypoint ? 1 : 0, 0);
  // The control is as tall as its tabs, which fit their images.
  SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(size + 12, size + 6));
  RECT r{};
  GetWindowRect(tabs, &r);
  SetWindowPos(tabs, nullptr, 0, 0, r.right - r.left, size + 8, SWP_NOMOVE | SWP_NOZORDER);

  HWND list = GetDlgItem(page, kIdPointList);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  if (state.pointImages == nullptr) state.pointImages = CreateWaypointImageList(UiInstance());
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(state.pointImages));
  SetListFont(page);
  for (int column = 0; column < kColumns; ++column) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.cx = PointListColumnWidth(column);
    c.pszText = const_cast<WCHAR*>(kColumnTitles[column]);
    c.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
  }
  // Opened to pick a point, the list shows the search prepared by the caller.
  const std::int32_t purpose = GotoTargetPurpose();
  if (purpose == kBrowsePurposeGoto || purpose == kBrowsePurposeSelect) {
    ShowWindow(GetDlgItem(page, kIdSearchText), SW_HIDE);
    ShowWindow(GetDlgItem(page, kIdSearchButton), SW_HIDE);
  }
  SetDlgItemTextW(page, kIdSearchText, PointTableOf(state.kind).search.text);
  RefreshPointList(page);
}

void OnDestroy() {
  PointListState& state = State();
  if (state.tabImages != nullptr) ImageList_Destroy(state.tabImages);
  if (state.pointImages != nullptr) ImageList_Destroy(state.pointImages);
  state.tabImages = nullptr;
  state.pointImages = nullptr;
}

}  // namespace

std::int32_t PointListKind() { return State().kind; }

void SetPointListKind(std::int32_t kind) { State().kind = kind == kPointUserWaypoint ? kPointUserWaypoint : kPointAirport; }

std::int32_t PointListSortDirection(std::int32_t column) {
  return column >= 0 && column < kColumns ? State().sort[column] : 1;
}

void ResetPointListSort() {
  for (std::int32_t& d : State().sort) d = 1;
}

int ComparePoints(std::int32_t a, std::int32_t b, std::int32_t column) {
  if (column < 0 || column >= kColumns) return 0;
  const std::int32_t kind = State().kind;
  const std::int32_t d = State().sort[column];
  const PointTable& table = PointTableOf(kind);
  switch (column) {
    case kColumnCode: {
      const int c = std::strcmp(Text(PointCodeText(PointRef{kind, a})), Text(PointCodeText(PointRef{kind, b})));
      return ((c > 0) - (c < 0)) * d;
    }
    case kColumnName: {
      const int c = std::strcmp(Text(PointRefName(PointRef{kind, a})), Text(PointRefName(PointRef{kind, b})));
      return ((c > 0) - (c < 0)) * d;
    }
    default: {
      const auto& values = table.distances;
      const auto& bearings = table.bearings;
      const bool byBearing = column == kColumnBearing;
      const std::int32_t n = byBearing ? bearings.Size() : values.Size();
      if (a < 0 || b < 0 || a >= n || b >= n) return 0;
      const std::uint32_t va = byBearing ? bearings[a] : values[a];
      const std::uint32_t vb = byBearing ? bearings[b] : values[b];
      if (va == vb) return 0;
      return va > vb ? d : -d;
    }
  }
}

INT_PTR PointListPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: OnInit(page); return TRUE;
    case WM_NOTIFY:
      if (lparam == 0) return FALSE;
      return OnNotify(page, *reinterpret_cast<NMHDR*>(lparam));
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kIdSearchButton: Search(page); return TRUE;
        case kIdFontSmaller:
          FontSizeDown(kFontWaypointBrowser);
          SetListFont(page);
          return TRUE;
        case kIdFontLarger:
          FontSizeUp(kFontWaypointBrowser);
          SetListFont(page);
          return TRUE;
        case kIdPointListClose:
        case IDOK: CloseBrowser(page); return TRUE;
        default: return FALSE;
      }
    case WM_KEYDOWN:
      if (wparam >= 0xC1 && wparam <= 0xC4) {
        CloseBrowser(page);
        return TRUE;
      }
      return FALSE;
    case WM_SIZE: {
      // The list reaches down to the page's bottom.
      HWND list = GetDlgItem(page, kIdPointList);
      RECT r{};
      GetWindowRect(list, &r);
      POINT top{r.left, r.top};
      ScreenToClient(page, &top);
      const int height = static_cast<int>(HIWORD(lparam)) - top.y - 2;
      if (height > 0) SetWindowPos(list, nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER);
      return FALSE;
    }
    case WM_DESTROY: OnDestroy(); return FALSE;
    default: return FALSE;
  }
}

}  // namespace cumulor
