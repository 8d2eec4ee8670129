#include "velomar/core/managers/BacklightMgr.h"

#include <atomic>

#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"
#include "platform/libraries/libraries.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CBacklightMgr*> g_instance{nullptr};

constexpr const WCHAR* kBacklightKey = u"\\ControlPanel\\Backlight";
constexpr int kTapsPerSlider = 20;

LPARAM Point(int x, int y) { return static_cast<LPARAM>((static_cast<DWORD>(y) << 16) | (static_cast<DWORD>(x) & 0xFFFF)); }

// Where a level is tapped on a slider of `width` pixels.
int TapPosition(DWORD level, int width, int margin) {
  const int step = width / 10;
  int x = static_cast<int>(level) * step;
  if (level == 3) x -= margin;
  if (level == 0) x += margin;
  return x;
}

void TapSlider(HWND slider, int x) {
  for (int i = 0; i < kTapsPerSlider; ++i) {
    PostMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, 10));
    Sleep(100);
    PostMessageW(slider, WM_LBUTTONUP, 0, Point(x, 10));
  }
}

bool IsTrackbar(HWND window) {
  WCHAR name[64] = {};
  GetClassNameW(window, name, 64);
  return std::u16string(name) == u"msctls_trackbar32";
}

}  // namespace

CBacklightMgr::CBacklightMgr() : CMgr(MGR_BACKLIGHT) { g_instance = this; }

CBacklightMgr::~CBacklightMgr() {
  Stop();
  CBacklightMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CBacklightMgr* CBacklightMgr::GetInstance() { return g_instance.load(); }

void CBacklightMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CBacklightMgr::SetStatusChild(%d)", status);
  const DWORD value = static_cast<DWORD>(status);
  const DWORD battery = value & 0xFFFF;
  const DWORD external = value >> 16;
  if (CConfig::GetInstance()->GetDWORD(u"backlight_mode") == 0) ApplyThroughRegistry(battery, external);
  else ApplyThroughApplet(battery, external);
}

void CBacklightMgr::ApplyThroughRegistry(DWORD battery, DWORD external) {
  // The vendor library is looked at but its entry point is not called: the registry and the
  // driver's change event set the levels.
  if (HMODULE vendor = LoadLibraryW(u"HTCUtil.dll")) {
    GetProcAddressW(vendor, u"HTCUtilSetOnPowerBrightnessLevel");
    FreeLibrary(vendor);
  }
  RegistrySetDWORD(HKEY_CURRENT_USER, kBacklightKey, u"ACBrightNess", external);
  RegistrySetDWORD(HKEY_CURRENT_USER, kBacklightKey, u"BrightNess", battery);
  if (HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, u"BackLightChangeEvent")) {
    SetEvent(changed);
    CloseHandle(changed);
  }
}

HWND CBacklightMgr::OpenApplet() {
  HKEY key = nullptr;
  const bool own_applet = RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\ControlPanel\\MyCPL", 0, 0, &key) == ERROR_SUCCESS;
  if (key) RegCloseKey(key);
  std::u16string arguments = own_applet ? u"mycpl.cpl,0" : u"cplmain.cpl,6";
  PROCESS_INFORMATION info{};
  if (CreateProcessW(u"ctlpnl.exe", arguments.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  Sleep(5000);
  return GetForegroundWindow();
}

void CBacklightMgr::ApplyThroughApplet(DWORD battery, DWORD external) {
  HWND applet = OpenApplet();
  if (applet == nullptr) return;
  HWND slider = GetWindow(applet, GW_CHILD);
  if (slider) slider = GetWindow(slider, GW_CHILD);
  while (slider && !IsTrackbar(slider)) slider = GetWindow(slider, GW_HWNDNEXT);
  HWND external_slider = slider ? GetWindow(slider, GW_HWNDNEXT) : nullptr;
  if (slider == nullptr || external_slider == nullptr) {
    TextBox(nullptr, u"%s", CTranslator::GetInstance()->GetText(u"BACKLIGHT DIALOG NOT FOUND").c_str());
    return;
  }
  RECT rect{};
  GetClientRect(slider, &rect);
  // The margin is wider on a VGA screen; without a main window to ask, the QVGA margin is used.
  const int margin = 14;
  TapSlider(slider, TapPosition(battery, rect.right - rect.left, margin));
  GetClientRect(external_slider, &rect);
  TapSlider(external_slider, TapPosition(external, rect.right - rect.left, margin));
  SendMessageW(applet, WM_CLOSE, 0, 0);
}

std::u16string CBacklightMgr::GetName() {
  return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BACKLIGHT_NAME");
}

std::u16string CBacklightMgr::GetStatusText(int status) {
  const DWORD value = static_cast<DWORD>(status);
  return ce::text::Format(u"[%d-%d]", static_cast<int>(value & 0xFFFF), static_cast<int>(value >> 16));
}
