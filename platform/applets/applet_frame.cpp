#include "platform/applets/applet_frame.h"

#include <memory>

#include "platform/controls/commctrl.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"

namespace ce::applets {
namespace {

struct AppletStart {
  std::u16string arguments;
  DWORD (*body)(const std::u16string& arguments);
};

DWORD AppletThread(LPVOID parameter) {
  std::unique_ptr<AppletStart> start(static_cast<AppletStart*>(parameter));
  return start->body(start->arguments);
}

LRESULT PageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

DWORD StartAppletThread(std::u16string_view arguments, DWORD (*body)(const std::u16string& arguments)) {
  auto* start = new AppletStart{std::u16string(arguments), body};
  HANDLE thread = CreateThread(nullptr, 0, AppletThread, start, 0, nullptr);
  if (thread == nullptr) {
    delete start;
    return 0;
  }
  CloseHandle(thread);
  return 0;
}

AppletWindows MakeAppletWindows(const WCHAR* applet_class, WNDPROC applet_proc, const WCHAR* page_class,
                                const std::u16string& title) {
  InitCommonControls();
  WNDCLASSW wc{};
  wc.lpfnWndProc = applet_proc;
  wc.lpszClassName = applet_class;
  RegisterClassW(&wc);  // (a second registration fails harmlessly)
  wc.lpfnWndProc = PageProc;
  wc.lpszClassName = page_class;
  RegisterClassW(&wc);
  AppletWindows windows;
  windows.applet =
      CreateWindowW(applet_class, title.c_str(), WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  if (windows.applet == nullptr) return windows;
  windows.page =
      CreateWindowW(page_class, u"", WS_CHILD | WS_VISIBLE, 0, 0, 240, 320, windows.applet, nullptr, nullptr, nullptr);
  return windows;
}

void RunAppletLoop(HWND applet) {
  SetForegroundWindow(applet);
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace ce::applets
