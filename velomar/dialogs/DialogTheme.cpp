#include "velomar/dialogs/DialogTheme.h"

#include "platform/controls/commctrl.h"
#include "platform/dialogs/aygshell.h"
#include "platform/kernel/threads.h"
#include "platform/kernel/virtual_memory.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/kernel/sync.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"

namespace {
constexpr int kList = 1064;
constexpr int kAttempts = 10;
constexpr DWORD kWaitMs = 500;
constexpr SIZE_T kReserve = 2 * 1024 * 1024;
constexpr SIZE_T kCommit = 64 * 1024;
constexpr int kTextChars = 100;
constexpr std::size_t kTextOffset = 256;  // the text buffer, after the item request

// The applet's list view: among the foreground window's first child's children, the first
// "SysListView32"; null when there is none or it is empty.
HWND FindAppletList() {
  HWND foreground = GetForegroundWindow();
  HWND first = foreground ? GetWindow(foreground, GW_CHILD) : nullptr;
  for (HWND child = first ? GetWindow(first, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
    WCHAR name[101] = {};
    GetClassNameW(child, name, 100);
    if (std::u16string(name) == u"SysListView32")
      return SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) > 0 ? child : nullptr;
  }
  return nullptr;
}
}  // namespace

CDialogTheme::CDialogTheme(HWND parent, UINT template_id) : CBaseDialog(template_id, parent, nullptr, 157) {}

INT_PTR CDialogTheme::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogTheme::OnInit");
  SHSipPreference(hwnd, SIP_FORCEDOWN);
  SetCaption(u"DIALOG_THEME_TITLE");
  FillList();
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

void CDialogTheme::FillList() {
  HWND list = GetDlgItem(m_dialog, kList);
  const auto styles = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles | 0x10000061);
  RECT size{};
  GetWindowRect(list, &size);
  WCHAR heading[] = u"SYM";
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = size.right - size.left;
  column.pszText = heading;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  WCHAR command[261] = {};
  if (FAILED(RegistryGetString(HKEY_CLASSES_ROOT, u"\\tskfile\\Shell\\Open\\Command", nullptr, command, 260))) return;
  const std::u16string line(command);
  const std::size_t blank = line.find(u' ');
  if (blank == std::u16string::npos) return;
  std::u16string arguments = line.substr(blank + 1);

  CApp* app = CApp::GetApp();
  if (app && app->GetMainWindowHandle()) SHSipPreference(app->GetMainWindowHandle(), SIP_FORCEDOWN);
  TextBox(nullptr, u"%s", Text(u"DONT TOUCH SCREEN").c_str());
  PROCESS_INFORMATION started{};
  if (CreateProcessW(u"ctlpnl.exe", arguments.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &started)) {
    if (started.hProcess) CloseHandle(started.hProcess);
    if (started.hThread) CloseHandle(started.hThread);
  }
  Sleep(kWaitMs);

  HWND applet_list = nullptr;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    applet_list = FindAppletList();
    if (applet_list) break;
    Sleep(kWaitMs);
  }
  if (applet_list == nullptr) return;
  HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  if (foreground == nullptr || GetWindowThreadProcessId(foreground, &process) == 0 || process == 0) return;

  auto* block = static_cast<BYTE*>(VirtualAlloc(nullptr, kReserve, MEM_RESERVE, PAGE_NOACCESS));
  if (block == nullptr) return;
  if (VirtualAlloc(block, kCommit, MEM_COMMIT, PAGE_READWRITE) != nullptr) {
    auto* request = reinterpret_cast<LVITEMW*>(block);
    auto* text = reinterpret_cast<WCHAR*>(block + kTextOffset);
    const int count = static_cast<int>(SendMessageW(applet_list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      *request = LVITEMW{};
      request->iItem = i;
      request->iSubItem = 0;
      request->pszText = text;
      request->cchTextMax = kTextChars;
      text[0] = 0;
      const auto length = SendMessageW(applet_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i),
                                       reinterpret_cast<LPARAM>(request));
      if (length <= 0) continue;
      text[kTextChars - 1] = 0;
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = text;
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
  }
  PostMessageW(foreground, WM_COMMAND, MAKEWPARAM(IDCANCEL, 1), 0);
  VirtualFree(block, 0, MEM_RELEASE);
}

INT_PTR CDialogTheme::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == 40013 || command == kCmdSave) {
    HWND list = GetDlgItem(hwnd, kList);
    const auto mark = SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0);
    if (mark < 0) {
      EndDialog(hwnd, 2);
      return TRUE;
    }
    WCHAR text[kTextChars + 1] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = kTextChars;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(mark), reinterpret_cast<LPARAM>(&item));
    m_themeName = text;
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  }
  return TRUE;
}
