// The library entry and the item's creation export (ordinal 240).
#include "todayvelomar/TodayVelomar.h"

#include "platform/gdi/gdi.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "todayvelomar/TodayItemState.h"

namespace todayvelomar {

ItemState& State() {
  static ItemState state;
  return state;
}

namespace {

constexpr const WCHAR* kItemClass = u"VelomarTP";

// The library entry: the module and its CE path are kept for the icon folder.
BOOL TodayDllMain(HINSTANCE module, DWORD reason) {
  ItemState& s = State();
  if (reason == DLL_PROCESS_ATTACH) {
    s.module = module;
    if (GetModuleFileNameW(module, s.modulePath, MAX_PATH) == 0) s.modulePath[0] = 0;
    s.modulePath[MAX_PATH - 1] = 0;
    LogFormateado(1, u"DLL_PROCESS_ATTACH %s", s.modulePath);
  } else if (reason == DLL_PROCESS_DETACH) {
    LogFormateado(1, u"DLL_PROCESS_DETACH %s", s.modulePath);
    s.module = nullptr;
  }
  return TRUE;
}

}  // namespace
}  // namespace todayvelomar

using todayvelomar::State;

BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID) { return todayvelomar::TodayDllMain(module, reason); }

HWND TodayItemInit(TODAYLISTITEM* item, HWND parent) {
  todayvelomar::ItemState& s = State();
  s.item = item;
  HDC screen = GetDC(nullptr);
  const int width = GetDeviceCaps(screen, HORZRES);
  const int height = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  const WCHAR* screen_folder = todayvelomar::ScreenFolder(width, height);

  // A class left by an earlier load goes first.
  UnregisterClassW(todayvelomar::kItemClass, s.module);
  WNDCLASSW wc{};
  wc.lpfnWndProc = TodayItemWndProc;
  wc.hInstance = s.module;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = todayvelomar::kItemClass;
  RegisterClassW(&wc);

  s.window = CreateWindowW(todayvelomar::kItemClass, todayvelomar::kItemClass, WS_CHILD | WS_VISIBLE, CW_USEDEFAULT,
                           CW_USEDEFAULT, 240, 25, parent, nullptr, s.module, nullptr);
  s.firstTime = true;
  if (s.window == nullptr) ProcesarError(u"Error creando ventana");

  WCHAR theme[todayvelomar::kSettingChars];
  todayvelomar::ReadSettingString(kTodaySettingTheme, theme, todayvelomar::kSettingChars);
  todayvelomar::BuildIconFolder(s.modulePath, theme, screen_folder, s.iconFolder);
  s.printPlace = todayvelomar::ReadSettingDword(kTodaySettingPrintPlace);

  if (s.window) {
    ShowWindow(s.window, SW_SHOW);
    UpdateWindow(s.window);
  }
  return s.window;
}

CE_ORDINAL_EXPORTS({240, "TodayItemInit"});
