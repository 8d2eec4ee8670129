// Input and its state: focus, activation, capture, the pen and the keys from the display,
// cursors as recorded state, key state, system metrics.
#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/base/errors.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/last_error.h"
#include "platform/window/window_internal.h"
#include "platform/window/window_seams.h"

namespace ce::window {
namespace {

// Input state of the process, under the window lock.
struct InputState {
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  HCURSOR cursor = nullptr;
  int cursor_count = 0;
  POINT pen{0, 0};
  std::array<bool, 256> keys{};
};
InputState& State() {
  static auto* s = new InputState;
  return *s;
}

HWND TopLevelOf(HWND hwnd) {
  auto w = Find(hwnd);
  while (w && w->parent) w = Find(w->parent);
  return w ? w->handle : nullptr;
}

void PostInput(HWND target, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (auto w = Find(target)) PostToWindow(*w, msg, wparam, lparam);
}

void OnInput(const display::InputEvent& e) {
  HWND target = nullptr;
  UINT msg = 0;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  HWND activate = nullptr;
  {
    auto lock = LockWindows();
    auto& s = State();
    switch (e.kind) {
      case display::InputEvent::kPenDown:
      case display::InputEvent::kPenMove:
      case display::InputEvent::kPenUp: {
        POINT p{e.x, e.y};
        s.pen = p;
        target = s.capture ? s.capture : WindowFromPoint(p);
        if (!target || (!s.capture && !IsWindowEnabled(target))) return;
        if (e.kind == display::InputEvent::kPenDown) {
          s.keys[VK_LBUTTON] = true;
          msg = WM_LBUTTONDOWN;
          wparam = MK_LBUTTON;
          HWND top = TopLevelOf(target);
          if (top != s.active) activate = top;
        } else if (e.kind == display::InputEvent::kPenMove) {
          msg = WM_MOUSEMOVE;
          wparam = s.keys[VK_LBUTTON] ? MK_LBUTTON : 0;
        } else {
          s.keys[VK_LBUTTON] = false;
          msg = WM_LBUTTONUP;
        }
        ScreenToClient(target, &p);
        lparam = MAKELPARAM(p.x, p.y);
        // A tap on a caption is the window system's (it activates the window); the program's
        // pen messages are for its client area.
        if (!s.capture && p.y < 0) msg = 0;
        break;
      }
      case display::InputEvent::kClose: {
        // The live window was closed: the active window (or the front one) is asked to close.
        target = s.active;
        if (!target)
          for (HWND h : TopLevels())
            if (auto w = Find(h); w && (w->style & WS_VISIBLE)) {
              target = h;
              break;
            }
        if (!target) return;
        msg = WM_CLOSE;
        break;
      }
      case display::InputEvent::kKeyDown:
      case display::InputEvent::kKeyUp: {
        bool down = e.kind == display::InputEvent::kKeyDown;
        bool repeat = s.keys[e.key & 0xFF] && down;
        s.keys[e.key & 0xFF] = down;
        target = s.focus ? s.focus : s.active;
        if (!target) return;
        msg = down ? WM_KEYDOWN : WM_KEYUP;
        wparam = e.key;
        lparam = 1 | (repeat ? 0x40000000 : 0) | (down ? 0 : static_cast<LPARAM>(0xC0000000u));
        break;
      }
    }
  }
  if (activate) SetActiveWindow(activate);
  if (msg) PostInput(target, msg, wparam, lparam);
}

}  // namespace

void EnsureInputSink() {
  static bool installed = [] {
    display::SetInputSink(OnInput);
    return true;
  }();
  (void)installed;
}

void ForgetWindowState(HWND hwnd) {
  auto lock = LockWindows();
  auto& s = State();
  if (s.focus == hwnd || (s.focus && IsChild(hwnd, s.focus))) s.focus = nullptr;
  if (s.active == hwnd) s.active = nullptr;
  if (s.capture == hwnd) s.capture = nullptr;
}

}  // namespace ce::window

using namespace ce::window;

HWND SetFocus(HWND hwnd) {
  HWND old;
  {
    auto lock = LockWindows();
    if (hwnd && !Find(hwnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    old = State().focus;
    if (old == hwnd) return old;
  }
  HWND top = hwnd ? TopLevelOf(hwnd) : nullptr;
  if (top && top != GetActiveWindow()) SetActiveWindow(top);
  {
    auto lock = LockWindows();
    old = State().focus;
    if (old == hwnd) return old;
    State().focus = hwnd;
  }
  if (old && Find(old)) Notify(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd) Notify(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  auto lock = LockWindows();
  return State().focus;
}

HWND SetActiveWindow(HWND hwnd) {
  HWND old;
  {
    auto lock = LockWindows();
    auto w = Find(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    hwnd = TopLevelOf(hwnd);
    old = State().active;
    if (old == hwnd) return old;
    State().active = hwnd;
  }
  if (old && Find(old)) Notify(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
  Notify(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  return old;
}

HWND GetActiveWindow() {
  auto lock = LockWindows();
  return State().active;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (Find(hwnd)) {
    HWND top = TopLevelOf(hwnd);
    BringWindowToTop(top);
    SetActiveWindow(top);
    return TRUE;
  }
  return RemoteForeground(hwnd) ? TRUE : FALSE;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetCapture(HWND hwnd) {
  HWND old;
  {
    auto lock = LockWindows();
    if (!Find(hwnd)) return nullptr;
    old = State().capture;
    State().capture = hwnd;
  }
  if (old && old != hwnd) Notify(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  HWND old;
  {
    auto lock = LockWindows();
    old = State().capture;
    State().capture = nullptr;
  }
  if (old && Find(old)) Notify(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  auto lock = LockWindows();
  return State().capture;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  (void)instance;
  // Cursors are recorded state only: the handle carries the cursor's id.
  return reinterpret_cast<HCURSOR>(const_cast<WCHAR*>(name));
}

HCURSOR SetCursor(HCURSOR cursor) {
  auto lock = LockWindows();
  HCURSOR old = State().cursor;
  State().cursor = cursor;
  return old;
}

HCURSOR GetCursor() {
  auto lock = LockWindows();
  return State().cursor;
}

int ShowCursor(BOOL show) {
  auto lock = LockWindows();
  return State().cursor_count += show ? 1 : -1;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  auto lock = LockWindows();
  *point = State().pen;
  return TRUE;
}

SHORT GetKeyState(int key) {
  auto lock = LockWindows();
  return State().keys[static_cast<unsigned>(key) & 0xFF] ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int key) { return GetKeyState(key); }

namespace {

struct KeyEventLog {
  std::mutex lock;
  std::vector<ce::window::KeyEventRecord> events;
};

KeyEventLog& KeyEvents() {
  static KeyEventLog log;
  return log;
}

}  // namespace

void keybd_event(BYTE key, BYTE scan, DWORD flags, ULONG_PTR) {
  KeyEventLog& log = KeyEvents();
  std::lock_guard guard(log.lock);
  if (log.events.size() >= 4096) log.events.erase(log.events.begin());  // the newest are kept
  log.events.push_back({key, scan, flags});
}

namespace ce::window {

std::vector<KeyEventRecord> RecordedKeyEvents() {
  KeyEventLog& log = KeyEvents();
  std::lock_guard guard(log.lock);
  return log.events;
}

void ClearRecordedKeyEvents() {
  KeyEventLog& log = KeyEvents();
  std::lock_guard guard(log.lock);
  log.events.clear();
}

}  // namespace ce::window

int GetSystemMetrics(int index) {
  auto size = ce::display::CurrentScreenSize();
  int scale = std::min(size.width, size.height) >= 480 ? 2 : 1;
  switch (index) {
    case SM_CXSCREEN: return size.width;
    case SM_CYSCREEN: return size.height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 13 * scale;
    case SM_CYCAPTION:
    case SM_CYMENU: return 26 * scale;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3 * scale;
    case SM_CXICON:
    case SM_CYICON: return 32 * scale;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16 * scale;
    default: return 0;
  }
}
