// The shell's dialog helpers.
#include <atomic>
#include <mutex>

#include "platform/dialogs/aygshell.h"
#include "platform/dialogs/dialog_internal.h"

namespace ce::dialogs {
namespace {

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
void Record(std::string line) {
  std::lock_guard<std::mutex> lock(Mutex());
  Calls().push_back(std::move(line));
}
thread_local bool pending_hold = false;

}  // namespace

std::vector<std::string> ShellCalls() {
  std::lock_guard<std::mutex> lock(Mutex());
  return Calls();
}

void ClearShellCalls() {
  std::lock_guard<std::mutex> lock(Mutex());
  Calls().clear();
}

void SetPendingHold(bool hold) { pending_hold = hold; }

bool TakePendingHold() {
  bool h = pending_hold;
  pending_hold = false;
  return h;
}

}  // namespace ce::dialogs

using namespace ce::dialogs;

BOOL SHInitDialog(SHINITDLGINFO* info) {
  if (!info || !IsWindow(info->hDlg)) return FALSE;
  Record("SHInitDialog flags=" + std::to_string((info->dwMask & SHIDIM_FLAGS) ? info->dwFlags : 0));
  if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
  bool top_level = !(GetWindowLongW(info->hDlg, GWL_STYLE) & WS_CHILD);
  if (top_level && (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR))) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    if (!(info->dwFlags & SHIDIF_FULLSCREENNOMENUBAR)) h -= SOFTKEY_BAR_HEIGHT;
    MoveWindow(info->hDlg, 0, 0, w, h, TRUE);
  }
  return TRUE;
}

BOOL SHSipPreference(HWND hwnd, SIPSTATE state) {
  Record("SHSipPreference state=" + std::to_string(static_cast<int>(state)));
  return IsWindow(hwnd);
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO*) { return TRUE; }
BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO*, DWORD) { return TRUE; }

DWORD SHRecognizeGesture(SHRGINFO* info) {
  if (!info || !TakePendingHold()) return 0;
  if (info->dwFlags & SHRG_NOTIFYPARENT) {
    NMRGINFO n{};
    n.hdr.hwndFrom = info->hwndClient;
    n.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(info->hwndClient));
    n.hdr.code = GN_CONTEXTMENU;
    n.ptAction = info->ptDown;
    HWND parent = GetParent(info->hwndClient);
    if (parent) SendMessageW(parent, WM_NOTIFY, n.hdr.idFrom, reinterpret_cast<LPARAM>(&n));
  }
  return GN_CONTEXTMENU;
}
