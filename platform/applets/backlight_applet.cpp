#include "platform/applets/backlight_applet.h"

#include "platform/applets/today_applet.h"

#include <memory>
#include <string>

#include "platform/controls/commctrl.h"
#include "platform/device/device.h"
#include "platform/kernel/event_observer.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/shell/launch_seam.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"

namespace ce::applets {
namespace {

constexpr const WCHAR* kPageClass = u"BacklightAppletPage";
constexpr int kSliderMax = 10;

// The applet's sliders (one applet per thread; tapping a slider may change the children's order).
thread_local HWND t_battery = nullptr;
thread_local HWND t_external = nullptr;

struct AppletStart {
  std::u16string arguments;
};

LRESULT AppletProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    const auto b = static_cast<DWORD>(t_battery ? SendMessageW(t_battery, TBM_GETPOS, 0, 0) : 0);
    const auto a = static_cast<DWORD>(t_external ? SendMessageW(t_external, TBM_GETPOS, 0, 0) : 0);
    WCHAR title[64] = {};
    GetWindowTextW(window, title, 64);
    ce::device::Effect effect;
    effect.kind = "backlight-applet";
    effect.target = ce::text::ToUtf8(title);
    effect.body = "battery " + std::to_string(b) + ", external power " + std::to_string(a);
    effect.value = static_cast<std::int64_t>(b | (a << 16));
    ce::device::Record(effect);
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT PageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterClasses() {
  InitCommonControls();
  WNDCLASSW wc{};
  wc.lpfnWndProc = AppletProc;
  wc.lpszClassName = kBacklightAppletClass;
  RegisterClassW(&wc);  // (a second registration fails harmlessly)
  wc.lpfnWndProc = PageProc;
  wc.lpszClassName = kPageClass;
  RegisterClassW(&wc);
}

HWND MakeSlider(HWND page, int y, int id) {
  HWND slider = CreateWindowW(TRACKBAR_CLASSW, u"", WS_CHILD | WS_VISIBLE, 10, y, 220, 30, page,
                              reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
  SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, kSliderMax));
  return slider;
}

DWORD AppletThread(LPVOID parameter) {
  std::unique_ptr<AppletStart> start(static_cast<AppletStart*>(parameter));
  RegisterClasses();
  HWND applet = CreateWindowW(kBacklightAppletClass, start->arguments.c_str(), WS_VISIBLE, 0, 0, 240, 320, nullptr,
                              nullptr, nullptr, nullptr);
  if (applet == nullptr) return 1;
  HWND page = CreateWindowW(kPageClass, u"", WS_CHILD | WS_VISIBLE, 0, 0, 240, 320, applet, nullptr, nullptr, nullptr);
  // A new child goes in front of its siblings: made last to first, the chain reads label, battery
  // slider, external-power slider.
  t_external = MakeSlider(page, 100, 2);
  t_battery = MakeSlider(page, 40, 1);
  CreateWindowW(u"STATIC", u"Backlight", WS_CHILD | WS_VISIBLE, 10, 10, 220, 20, page, nullptr, nullptr, nullptr);
  SetForegroundWindow(applet);
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void RecordNamedEvent(std::u16string_view name) {
  if (name != u"BackLightChangeEvent") return;
  ce::device::Effect effect;
  effect.kind = "event";
  effect.target = ce::text::ToUtf8(name);
  ce::device::Record(effect);
}

// Registers the control panel and the event recorder when the platform loads.
struct Registration {
  Registration() {
    ce::shell::RegisterDeviceProgram(u"\\Windows\\ctlpnl.exe", StartControlPanel);
    ce::kernel::SetNamedEventObserver(RecordNamedEvent);
  }
} g_registration;

}  // namespace

DWORD StartControlPanel(std::u16string_view arguments) {
  if (arguments == kTodayAppletArguments) return StartTodayApplet(arguments);
  if (arguments != u"cplmain.cpl,6" && arguments != u"mycpl.cpl,0") return 0;
  auto* start = new AppletStart{std::u16string(arguments)};
  HANDLE thread = CreateThread(nullptr, 0, AppletThread, start, 0, nullptr);
  if (thread == nullptr) {
    delete start;
    return 0;
  }
  CloseHandle(thread);
  return 0;
}

}  // namespace ce::applets
