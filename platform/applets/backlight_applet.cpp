#include "platform/applets/backlight_applet.h"

#include "platform/applets/applet_frame.h"
#include "platform/applets/today_applet.h"

#include <string>

#include "platform/controls/commctrl.h"
#include "platform/device/device.h"
#include "platform/kernel/event_observer.h"
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

HWND MakeSlider(HWND page, int y, int id) {
  HWND slider = CreateWindowW(TRACKBAR_CLASSW, u"", WS_CHILD | WS_VISIBLE, 10, y, 220, 30, page,
                              reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
  SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, kSliderMax));
  return slider;
}

DWORD ShowApplet(const std::u16string& arguments) {
  const AppletWindows windows = MakeAppletWindows(kBacklightAppletClass, AppletProc, kPageClass, arguments);
  if (windows.applet == nullptr) return 1;
  // A new child goes in front of its siblings: made last to first, the chain reads label, battery
  // slider, external-power slider.
  t_external = MakeSlider(windows.page, 100, 2);
  t_battery = MakeSlider(windows.page, 40, 1);
  CreateWindowW(u"STATIC", u"Backlight", WS_CHILD | WS_VISIBLE, 10, 10, 220, 20, windows.page, nullptr, nullptr,
                nullptr);
  RunAppletLoop(windows.applet);
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
  return StartAppletThread(arguments, ShowApplet);
}

}  // namespace ce::applets
