#include "cumulor/map/browser_frame/waypoint_browser.h"

#include <utility>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/dialogs/point_page.h"
#include "cumulor/data/dialogs/task_page.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/browser_frame/point_list_page.h"
#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"

namespace cumulor {

namespace {

constexpr int kPageCount = 3;
constexpr int kListPageIndex = 0;
constexpr int kTaskPageIndex = 1;
constexpr int kPointPageIndex = 2;
// The tabs' images: the point list, the task page, the point page.
constexpr int kTabIcons[kPageCount] = {179, 169, 189};
// Pixels between the tabs and the pages.
constexpr int kPageGap = 2;

struct BrowserState {
  HWND pages[kPageCount] = {};
  HIMAGELIST tabImages = nullptr;
  std::function<void(const TaskPoint&)> pointSelected;
};

BrowserState& State() {
  static BrowserState state;
  return state;
}

HWND CreatePage(HWND dialog, int index) {
  switch (index) {
    case kListPageIndex: return CreateModelessDialog(kPointListTemplate, dialog, PointListPageProc, 0);
    case kTaskPageIndex: return CreateModelessDialog(kTaskPageTemplate, dialog, TaskPageProc, 0);
    case kPointPageIndex: return CreateModelessDialog(kPointPageTemplate, dialog, PointPageProc, 0);
    default: return nullptr;
  }
}

// The pages start just below the tabs, at the dialog's left edge, and reach down to its bottom.
void PlacePage(HWND dialog, HWND page) {
  RECT tabs{};
  GetWindowRect(GetDlgItem(dialog, kIdBrowserTabs), &tabs);
  POINT below{tabs.left, tabs.bottom + kPageGap};
  ScreenToClient(dialog, &below);
  RECT client{};
  RECT own{};
  GetClientRect(dialog, &client);
  GetWindowRect(page, &own);
  const int height = client.bottom - below.y;
  SetWindowPos(page, nullptr, 0, below.y, own.right - own.left, height > 0 ? height : own.bottom - own.top, SWP_NOZORDER);
}

void ShowPage(HWND dialog, int index) {
  BrowserState& state = State();
  if (index < 0 || index >= kPageCount) index = kListPageIndex;
  for (int i = 0; i < kPageCount; ++i)
    if (i != index && state.pages[i] != nullptr) ShowWindow(state.pages[i], SW_HIDE);
  if (state.pages[index] == nullptr) {
    state.pages[index] = CreatePage(dialog, index);
    if (state.pages[index] != nullptr) PlacePage(dialog, state.pages[index]);
  }
  SendDlgItemMessageW(dialog, kIdBrowserTabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (state.pages[index] != nullptr) ShowWindow(state.pages[index], SW_SHOW);
}

void OnInit(HWND dialog, LPARAM startPage) {
  BrowserState& state = State();
  const bool large = IsLargeScreen();
  const int icon = large ? 64 : 32;
  HWND tabs = GetDlgItem(dialog, kIdBrowserTabs);
  if (state.tabImages == nullptr) state.tabImages = CreateIconImageList(UiInstance(), kTabIcons, kPageCount, icon);
  SendMessageW(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(state.tabImages));
  SendMessageW(tabs, TCM_SETITEMSIZE, 0, large ? MAKELPARAM(128, 64) : MAKELPARAM(64, 32));
  for (int i = 0; i < kPageCount; ++i) {
    TCITEMW item{};
    item.mask = TCIF_IMAGE | TCIF_TEXT;
    item.pszText = const_cast<WCHAR*>(u"");
    item.iImage = i;
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  // The tab control is as tall as its tabs; the browser reaches down to the screen's bottom.
  RECT r{};
  GetWindowRect(tabs, &r);
  SetWindowPos(tabs, nullptr, 0, 0, r.right - r.left, large ? 66 : 34, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(dialog, &r);
  const int bottom = GetSystemMetrics(SM_CYSCREEN);
  if (bottom > r.top) SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left, bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  ShowPage(dialog, static_cast<int>(startPage));
}

void FreePages() {
  BrowserState& state = State();
  for (HWND& page : state.pages) {
    if (page != nullptr && IsWindow(page)) DestroyWindow(page);
    page = nullptr;
  }
  if (state.tabImages != nullptr) ImageList_Destroy(state.tabImages);
  state.tabImages = nullptr;
}

// The chosen point goes where the browser was opened for; the pages go, a direction search ends
// and the task document is saved.
void Close(HWND dialog) {
  TaskPoint target;
  const bool chosen = GetGotoTarget(target);
  if (GotoTargetPurpose() == kBrowsePurposeGoto && chosen) GotoPoint(target);
  if (GotoTargetPurpose() == kBrowsePurposeSelect && chosen && State().pointSelected) State().pointSelected(target);
  EndGotoTargetPurpose();
  FreePages();
  for (std::int32_t kind = 1; kind < kPointTableCount; ++kind) PointTableOf(kind).search.directionMode = false;
  TaskSaveDocument();
  EndDialog(dialog, 1);
}

}  // namespace

void SetBrowserPointSelected(std::function<void(const TaskPoint&)> selected) { State().pointSelected = std::move(selected); }

INT_PTR WaypointBrowserProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: OnInit(dialog, lparam); return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header == nullptr || header->idFrom != static_cast<UINT_PTR>(kIdBrowserTabs) || header->code != TCN_SELCHANGE)
        return FALSE;
      ShowPage(dialog, static_cast<int>(SendDlgItemMessageW(dialog, kIdBrowserTabs, TCM_GETCURSEL, 0, 0)));
      return TRUE;
    }
    case WM_COMMAND:
      // The frame has no Cancel: the cancel key closes it like OK.
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == kIdBrowserClose) {
        if (LOWORD(wparam) == kIdBrowserClose) PlayMenuClick();
        Close(dialog);
        return TRUE;
      }
      return FALSE;
    case WM_KEYDOWN:
      if (wparam >= 0xC1 && wparam <= 0xC4) {
        PlayMenuClick();
        Close(dialog);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY: {
      // The pages go with the frame however it ends.
      BrowserState& state = State();
      for (HWND& page : state.pages) page = nullptr;
      if (state.tabImages != nullptr) ImageList_Destroy(state.tabImages);
      state.tabImages = nullptr;
      return FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace cumulor
