// Tray icons kept for the process; taps reach the owner as its callback message.
#include "platform/dialogs/tray.h"

#include <algorithm>
#include <mutex>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"

namespace ce::dialogs {
namespace {

struct Tray {
  std::mutex mutex;
  std::vector<TrayIcon> icons;
  DWORD refuse = 0;
};

Tray& T() {
  static Tray* t = new Tray;
  return *t;
}

}  // namespace

std::vector<TrayIcon> TrayIcons() {
  std::lock_guard<std::mutex> lock(T().mutex);
  return T().icons;
}

bool TapTrayIcon(HWND window, UINT id, UINT pen_message) {
  UINT callback = 0;
  {
    std::lock_guard<std::mutex> lock(T().mutex);
    auto it = std::find_if(T().icons.begin(), T().icons.end(), [&](const TrayIcon& i) { return i.window == window && i.id == id; });
    if (it == T().icons.end() || !it->callback_message) return false;
    callback = it->callback_message;
  }
  return PostMessageW(window, callback, id, pen_message) != FALSE;
}

void RefuseNextTrayAdd(DWORD error) {
  std::lock_guard<std::mutex> lock(T().mutex);
  T().refuse = error ? error : ERROR_GEN_FAILURE;
}

void ClearTray() {
  std::lock_guard<std::mutex> lock(T().mutex);
  T().icons.clear();
  T().refuse = 0;
}

}  // namespace ce::dialogs

using namespace ce::dialogs;

BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(T().mutex);
  auto& icons = T().icons;
  auto it = std::find_if(icons.begin(), icons.end(), [&](const TrayIcon& i) { return i.window == data->hWnd && i.id == data->uID; });
  auto apply = [&](TrayIcon& icon) {
    if (data->uFlags & NIF_MESSAGE) icon.callback_message = data->uCallbackMessage;
    if (data->uFlags & NIF_ICON) icon.icon = data->hIcon;
    if (data->uFlags & NIF_TIP) {
      std::size_t n = 0;
      while (n < 63 && data->szTip[n]) ++n;
      icon.tip.assign(data->szTip, n);
    }
  };
  switch (message) {
    case NIM_ADD: {
      if (T().refuse) {
        SetLastError(T().refuse);
        T().refuse = 0;
        return FALSE;
      }
      if (it != icons.end() || !IsWindow(data->hWnd)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      TrayIcon icon{data->hWnd, data->uID, 0, nullptr, {}};
      apply(icon);
      icons.push_back(icon);
      return TRUE;
    }
    case NIM_MODIFY:
      if (it == icons.end()) break;
      apply(*it);
      return TRUE;
    case NIM_DELETE:
      if (it == icons.end()) break;
      icons.erase(it);
      return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}
