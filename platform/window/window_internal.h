// Inside the window system: windows, classes, per-thread queues and the locks. Not for callers
// outside platform/window.
//
// Locks: the window lock (recursive) guards the window tree, classes and window fields; queue
// state is guarded by the kernel lock (so that MsgWaitForMultipleObjectsEx can wait on it). Order:
// the window lock may be held when the kernel lock is taken, never the other way round. Neither
// is held while a window procedure runs.
#pragma once

#include <cairo.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/kernel/waitable.h"
#include "platform/window/window.h"

namespace ce::window {

using ThreadId = kernel::ThreadId;

struct WindowClass {
  std::u16string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int class_extra = 0, window_extra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  ATOM atom = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  std::u16string text;
  DWORD style = 0, ex_style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;  // child windows: the control id; others: the menu
  LONG_PTR user_data = 0;
  int extra_bytes = 0;              // cbWndExtra
  std::map<int, LONG_PTR> extra;    // values stored at byte offsets below extra_bytes
  HWND parent = nullptr;        // null for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;   // front (top of z-order) first
  RECT rect{0, 0, 0, 0};        // in the parent's client coordinates (screen for top-level)
  ThreadId thread = 0;
  cairo_region_t* update = nullptr;  // client coordinates; null when valid
  bool erase = false;
  bool destroying = false;
  bool published = false;
  ~Window() {
    if (update) cairo_region_destroy(update);
  }
};
using WindowPtr = std::shared_ptr<Window>;

std::unique_lock<std::recursive_mutex> LockWindows();
WindowPtr Find(HWND hwnd);          // a live window of this process
bool IsDesktop(HWND hwnd);
std::vector<HWND>& TopLevels();     // front first
RECT ScreenRect(const Window& w);   // window rectangle on the screen
// The non-client band at the top of a window: the caption of a top-level window with WS_CAPTION
// (18 pixels, 36 on the 480-pixel screens); 0 for other windows. Window lock held.
int CaptionHeight(const Window& w);
RECT ClientScreenRect(const Window& w);  // the client area on the screen (below the caption)
bool Visible(const Window& w);      // it and all its ancestors have WS_VISIBLE
// A child with WS_EX_TRANSPARENT: it clips neither its parent nor its siblings, the pen passes
// through it, and it is painted again after its parent.
inline bool Transparent(const Window& w) { return w.parent && (w.ex_style & WS_EX_TRANSPARENT); }

// Calls the window's procedure on this thread (tracing it).
LRESULT CallProc(const WindowPtr& w, UINT msg, WPARAM wparam, LPARAM lparam);

// Queues (queue.cpp).
struct SentMessage;
void NotePaintNeeded(const Window& w, bool needed);  // window lock held
void RemoveWindowTimers(HWND hwnd);
void ProcessSentMessages();
void EnsureQueue();
// Posts an input or internal message to the window's thread queue.
bool PostToWindow(const Window& w, UINT msg, WPARAM wparam, LPARAM lparam);
// Notifies without waiting when the window belongs to another thread (SendNotifyMessage).
void Notify(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
void CancelSentTo(HWND hwnd);

// Painting (paint.cpp).
void InvalidateLocked(Window& w, const RECT* rect, bool erase, bool children);
// The screen area uncovered or changed: every visible window under it is invalidated; the parts
// no window covers are painted white.
void ExposeScreenArea(const RECT& screen);
// Paints the window's caption band (title in white on dark blue) where it shows; nothing for a
// window without one. Window lock held.
void PaintCaptionLocked(const Window& w);

// Input (input.cpp).
void EnsureInputSink();
void ForgetWindowState(HWND hwnd);  // focus, capture, activation pointing at a dying window

// Across processes (remote.cpp).
HWND AllocateHandle();
// Writes (or rewrites) the window's record for other processes: 0, or the error when it could not
// be written whole (ERROR_DISK_FULL, ERROR_ACCESS_DENIED); a record that was in place stays.
DWORD Publish(const Window& w);
void Unpublish(HWND hwnd);
HWND FindRemoteWindow(const std::u16string* cls, const std::u16string* title);
// Delivery to a window of another process: false when no process of the device owns it.
bool RemotePost(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
// A send gives up after `timeout_ms` of real time (INFINITE: waits as long as the receiver lives)
// and then sets `*timed_out`.
bool RemoteSend(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result, DWORD timeout_ms = INFINITE,
                bool* timed_out = nullptr);
bool RemoteWindowExists(HWND hwnd);
// The class name of another process's window, from its record; false when there is none.
bool RemoteWindowClass(HWND hwnd, std::u16string& cls);
bool RemoteForeground(HWND hwnd);
// ShowWindow on a window of another process; false when no process of the device owns it.
bool RemoteShow(HWND hwnd, int command, bool& was_visible);
DWORD RemoteWindowThreadProcess(HWND hwnd, LPDWORD process_id);
void Trace(int kind, const MSG& msg);  // kind: TraceKind

bool NamesEqual(std::u16string_view a, std::u16string_view b);
char16_t Fold(char16_t c);
std::shared_ptr<WindowClass> FindClass(LPCWSTR name);  // window lock held
int CountWindowsOfClass(const WindowClass* cls);        // window lock held

}  // namespace ce::window
