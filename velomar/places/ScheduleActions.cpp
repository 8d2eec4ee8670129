// The threads of the actions that must not hold up the schedule: opening a file, setting the ring
// tone, and choosing the Today theme in the control panel. Each owns a copy of its argument.
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/kernel/kernel.h"
#include "platform/libraries/libraries.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/sound/sound_profile.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/app/App.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/ui/Translator.h"

namespace velomar::schedule {
namespace {

constexpr int kThemeAttempts = 10;
constexpr DWORD kThemeWaitMs = 500;
constexpr SIZE_T kRegionReserve = 2 * 1024 * 1024;
constexpr SIZE_T kRegionCommit = 64 * 1024;
constexpr std::size_t kTextOffset = 200;
constexpr int kTextChars = 100;

void Log(const std::u16string& summary, const std::u16string& description) {
  std::u16string s = summary.substr(0, 99), d = description.substr(0, 299);
  CEventLog::AddEvent(kEventLogScheduleId, EVENT_INFO, s.c_str(), d.c_str());
}

template <class T>
void StartThread(DWORD (*routine)(LPVOID), std::unique_ptr<T> argument) {
  HANDLE thread = CreateThread(nullptr, 0, routine, argument.get(), 0, nullptr);
  if (thread == nullptr) return;  // the argument goes with the unique pointer
  argument.release();
  CloseHandle(thread);
}

HWND MainWindowHandle() {
  CApp* app = CApp::GetApp();
  return app ? app->GetMainWindowHandle() : nullptr;
}

// aygshell by ordinal.
FARPROC Aygshell(int ordinal) {
  static HMODULE library = LoadLibraryW(u"aygshell.dll");
  return library ? GetProcAddressW(library, MAKEINTRESOURCEW(ordinal)) : nullptr;
}

DWORD OpenFileThread(LPVOID argument) {
  std::unique_ptr<std::u16string> file(static_cast<std::u16string*>(argument));
  SHELLEXECUTEINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = MainWindowHandle();
  info.lpVerb = u"Open";
  info.lpFile = file->c_str();
  info.lpParameters = nullptr;
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
  CTranslator* texts = CTranslator::GetInstance();
  Log(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_OPEN_FILE_RESUME", *file),
      texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_OPEN_FILE_DESCRIPTION", *file));
  return 0;
}

DWORD RingToneThread(LPVOID argument) {
  std::unique_ptr<CStrAction> action(static_cast<CStrAction*>(argument));
  using SetSound = HRESULT(SND_EVENT, const SNDFILEINFO*, BOOL);
  using SetString = HRESULT(HKEY, LPCWSTR, LPCWSTR, LPCWSTR);
  using SetDword = HRESULT(HKEY, LPCWSTR, LPCWSTR, DWORD);
  SNDFILEINFO sound{};
  const std::u16string& path = action->GetSzOp1();
  path.copy(sound.szPathName, std::min<std::size_t>(path.size(), MAX_PATH - 1));
  sound.sstType = SND_SOUNDTYPE_FILE;
  if (auto* set_sound = ce::libraries::ProcAs<SetSound>(Aygshell(389))) set_sound(SND_EVENT_RINGTONELINE1, &sound, TRUE);
  if (!action->GetSzOp2().empty()) {
    if (auto* set_string = ce::libraries::ProcAs<SetString>(Aygshell(336)))
      set_string(HKEY_CURRENT_USER, u"\\ControlPanel\\Sounds\\RingTone0", u"Script", action->GetSzOp2().c_str());
  }
  if (action->GetIntOp1() >= 1 && action->GetIntOp1() <= 5) {
    if (auto* set_dword = ce::libraries::ProcAs<SetDword>(Aygshell(335)))
      set_dword(HKEY_CURRENT_USER, u"\\ControlPanel\\SoundCategories\\Ring", u"InitVol",
                static_cast<DWORD>(action->GetIntOp1()));
  }
  CTranslator* texts = CTranslator::GetInstance();
  Log(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_RING_TONE_RESUME", action->GetSzOp1()),
      texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_RING_TONE_DESCRIPTION", action->GetSzOp1(), action->GetSzOp2(),
                          action->GetIntOp1()));
  return 0;
}

// The first "SysListView32" among the children of the foreground window's first child that holds
// at least one item.
HWND FindThemeList() {
  HWND foreground = GetForegroundWindow();
  HWND first = foreground ? GetWindow(foreground, GW_CHILD) : nullptr;
  for (HWND child = first ? GetWindow(first, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
    WCHAR name[64] = {};
    GetClassNameW(child, name, 64);
    if (std::u16string(name) == u"SysListView32") return SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) > 0 ? child : nullptr;
  }
  return nullptr;
}

void ChooseThemeIn(HWND list, const std::u16string& theme) {
  auto* region = static_cast<BYTE*>(VirtualAlloc(nullptr, kRegionReserve, MEM_RESERVE, PAGE_NOACCESS));
  if (region == nullptr) return;
  if (VirtualAlloc(region, kRegionCommit, MEM_COMMIT, PAGE_READWRITE) != nullptr) {
    auto* item = reinterpret_cast<LVITEMW*>(region);
    auto* text = reinterpret_cast<WCHAR*>(region + kTextOffset);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      *item = LVITEMW{};
      item->iSubItem = 0;
      item->pszText = text;
      item->cchTextMax = kTextChars;
      text[0] = 0;
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
      text[kTextChars - 1] = 0;
      if (std::u16string(text) != theme) continue;
      SetFocus(list);
      SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(i), FALSE);
      POINT at{};
      SendMessageW(list, LVM_GETITEMPOSITION, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&at));
      SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, at.y + 10));
      Sleep(100);
      SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(10, at.y + 10));
      break;
    }
  }
  if (HWND foreground = GetForegroundWindow()) SendMessageW(foreground, WM_COMMAND, 0x10001, 0);
  VirtualFree(region, 0, MEM_RELEASE);
}

DWORD ThemeThread(LPVOID argument) {
  std::unique_ptr<std::u16string> theme(static_cast<std::u16string*>(argument));
  CTranslator* texts = CTranslator::GetInstance();
  Log(texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_THEME_RESUME", *theme),
      texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_THEME_DESCRIPTION", *theme));
  using GetString = HRESULT(HKEY, LPCWSTR, LPCWSTR, LPWSTR, UINT);
  using WindowState = BOOL(HWND, DWORD);
  WCHAR command[260] = {};
  auto* get_string = ce::libraries::ProcAs<GetString>(Aygshell(334));
  if (get_string == nullptr ||
      FAILED(get_string(HKEY_CLASSES_ROOT, u"\\tskfile\\Shell\\Open\\Command", nullptr, command, 260)))
    return 0;
  const std::u16string line(command);
  const std::size_t blank = line.find(u' ');
  if (blank == std::u16string::npos) return 0;
  if (auto* window_state = ce::libraries::ProcAs<WindowState>(Aygshell(21))) window_state(MainWindowHandle(), 2);
  std::u16string arguments = line.substr(blank + 1);
  PROCESS_INFORMATION info{};
  if (CreateProcessW(u"ctlpnl.exe", arguments.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info)) {
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
  }
  Sleep(kThemeWaitMs);
  HWND list = nullptr;
  for (int attempt = 0; attempt < kThemeAttempts && list == nullptr; ++attempt) {
    list = FindThemeList();
    if (list == nullptr) Sleep(kThemeWaitMs);
  }
  if (list == nullptr) return 0;
  DWORD process = 0;
  GetWindowThreadProcessId(list, &process);
  if (process == 0) return 0;
  ChooseThemeIn(list, *theme);
  return 0;
}

}  // namespace

void StartOpenFile(const std::u16string& file) { StartThread(OpenFileThread, std::make_unique<std::u16string>(file)); }

void StartRingTone(const CStrAction& action) { StartThread(RingToneThread, std::make_unique<CStrAction>(action)); }

void StartTheme(const std::u16string& theme) { StartThread(ThemeThread, std::make_unique<std::u16string>(theme)); }

}  // namespace velomar::schedule
