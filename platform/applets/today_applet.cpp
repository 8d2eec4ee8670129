#include "platform/applets/today_applet.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/applets/applet_frame.h"
#include "platform/controls/commctrl.h"
#include "platform/device/device.h"
#include "platform/files/files.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"

namespace ce::applets {
namespace {

constexpr const WCHAR* kPageClass = u"TodayAppletPage";
constexpr int kListId = 1;

// The applet's list (one applet per thread).
thread_local HWND t_list = nullptr;

// The names of the device's Today themes: "\Windows\*.tsk" without the extension, sorted.
std::vector<std::u16string> ThemeNames() {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(u"\\Windows\\*.tsk", &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::u16string name(found.cFileName);
    names.push_back(name.substr(0, name.size() - 4));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::u16string SelectedTheme() {
  if (t_list == nullptr) return {};
  auto index = SendMessageW(t_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (index < 0) index = SendMessageW(t_list, LVM_GETSELECTIONMARK, 0, 0);
  if (index < 0) return {};
  WCHAR text[MAX_PATH] = {};
  LVITEMW item{};
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  SendMessageW(t_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

LRESULT AppletProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    const std::u16string theme = LOWORD(wparam) == IDOK ? SelectedTheme() : std::u16string();
    if (!theme.empty()) {
      ce::device::Effect effect;
      effect.kind = "today-theme";
      effect.target = ce::text::ToUtf8(theme);
      effect.body = "theme chosen";
      ce::device::Record(effect);
    }
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    t_list = nullptr;
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

DWORD ShowApplet(const std::u16string& arguments) {
  const AppletWindows windows = MakeAppletWindows(kTodayAppletClass, AppletProc, kPageClass, arguments);
  if (windows.applet == nullptr) return 1;
  HWND page = windows.page;
  // A new child goes in front of its siblings: made last to first, the chain reads label, list.
  t_list = CreateWindowW(WC_LISTVIEWW, u"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0,
                         30, 240, 260, page, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(kListId)), nullptr,
                         nullptr);
  WCHAR heading[] = u"Theme";
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 230;
  column.pszText = heading;
  SendMessageW(t_list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  int index = 0;
  for (std::u16string& name : ThemeNames()) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index++;
    item.pszText = name.data();
    SendMessageW(t_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  CreateWindowW(u"STATIC", u"Today", WS_CHILD | WS_VISIBLE, 10, 6, 220, 20, page, nullptr, nullptr, nullptr);
  RunAppletLoop(windows.applet);
  return 0;
}

}  // namespace

DWORD StartTodayApplet(std::u16string_view arguments) { return StartAppletThread(arguments, ShowApplet); }

}  // namespace ce::applets
