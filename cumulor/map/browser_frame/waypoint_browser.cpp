#include "cumulor/map/browser_frame/waypoint_browser.h"

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/dialogs/point_page.h"
#include "cumulor/data/dialogs/task_page.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialogs.h"

namespace cumulor {

namespace {

constexpr int kPageCount = 3;
constexpr int kTaskPageIndex = 1;
constexpr int kPointPageIndex = 2;
// The pages start below the tabs (dialog units).
constexpr int kPageTop = 18;

HWND g_pages[kPageCount] = {};

HWND CreatePage(HWND dialog, int index) {
  switch (index) {
    case kTaskPageIndex:
      return CreateModelessDialog(kTaskPageTemplate, dialog, TaskPageProc, 0);
    case kPointPageIndex:
      return CreateModelessDialog(kPointPageTemplate, dialog, PointPageProc, 0);
    default: return nullptr;  // the point list comes with the lists
  }
}

void ShowPage(HWND dialog, int index) {
  if (index < 0 || index >= kPageCount) index = 0;
  for (int i = 0; i < kPageCount; ++i)
    if (i != index && g_pages[i] != nullptr) ShowWindow(g_pages[i], SW_HIDE);
  if (g_pages[index] == nullptr) {
    g_pages[index] = CreatePage(dialog, index);
    if (g_pages[index] != nullptr) {
      RECT at{0, kPageTop, 0, kPageTop};
      MapDialogRect(dialog, &at);
      SetWindowPos(g_pages[index], nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
  }
  SendDlgItemMessageW(dialog, kIdBrowserTabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (g_pages[index] != nullptr) ShowWindow(g_pages[index], SW_SHOW);
}

void OnInit(HWND dialog, LPARAM startPage) {
  const WCHAR* const titles[kPageCount] = {u"List", u"Task", u"Point"};
  for (int i = 0; i < kPageCount; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<WCHAR*>(titles[i]);
    SendDlgItemMessageW(dialog, kIdBrowserTabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  ShowPage(dialog, static_cast<int>(startPage));
}

// Going to the chosen point when the lists were opened for that, then the pages go and the task
// document is saved.
void Close(HWND dialog) {
  TaskPoint target;
  if (GotoTargetPurpose() == kBrowsePurposeGoto && GetGotoTarget(target)) GotoPoint(target);
  EndGotoTargetPurpose();
  for (HWND& page : g_pages) {
    if (page != nullptr) DestroyWindow(page);
    page = nullptr;
  }
  TaskSaveDocument();
  EndDialog(dialog, 1);
}

}  // namespace

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
        PlayMenuClick();
        Close(dialog);
        return TRUE;
      }
      return FALSE;
    case WM_KEYDOWN:
      if (wparam >= 0xC1 && wparam <= 0xC4) {
        Close(dialog);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      // The pages go with the frame however it ends.
      for (HWND& page : g_pages) page = nullptr;
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace cumulor
