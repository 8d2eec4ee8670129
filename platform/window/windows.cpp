// Windows: creation and destruction, the tree and z-order, long values, text, show, position and
// size, coordinate mapping, enabling, finding windows.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/base/errors.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"
#include "platform/window/window_internal.h"
#include "platform/window/window_seams.h"

namespace ce::window {
namespace {

std::map<HWND, WindowPtr>& Registry() {
  static auto* registry = new std::map<HWND, WindowPtr>;
  return *registry;
}

// The desktop: the screen as a window with no procedure of its own.
HWND DesktopHandle() { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x10010)); }

std::vector<HWND>& SiblingsOf(const Window& w) {
  if (w.parent) {
    if (auto p = Find(w.parent)) return p->children;
  }
  return TopLevels();
}

void Unlink(const Window& w) {
  auto& list = SiblingsOf(w);
  list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
}

// The top-level window a window belongs to (itself when top-level).
HWND TopLevelHandle(HWND hwnd) {
  auto w = Find(hwnd);
  while (w && w->parent) {
    auto p = Find(w->parent);
    if (!p) break;
    w = p;
  }
  return w ? w->handle : nullptr;
}

// The owner of a top-level window, as a top-level window (a popup owned by a control is owned by
// that control's dialog); null when it has none.
HWND TopLevelOwner(const Window& w) { return w.owner ? TopLevelHandle(w.owner) : nullptr; }

// WS_EX_TOPMOST on the window or on a window that owns it, so a box opened from a topmost window
// stays with it.
bool InTopmostBand(const Window& w) {
  const Window* at = &w;
  WindowPtr hold;
  for (int depth = 0; at && depth < 64; ++depth) {
    if (at->ex_style & WS_EX_TOPMOST) return true;
    HWND owner = TopLevelOwner(*at);
    hold = owner ? Find(owner) : nullptr;
    at = hold.get();
  }
  return false;
}

// The rules of the top-level order: the topmost windows lie in front of all others, and a window
// lies in front of its owner (a dialog, a popup menu, the soft-key bar in front of the window they
// serve), so a window brought forward does not cover what it owns.
void KeepTopLevelOrder(std::vector<HWND>& list) {
  std::stable_partition(list.begin(), list.end(), [](HWND h) {
    auto w = Find(h);
    return w && InTopmostBand(*w);
  });
  for (std::size_t pass = 0, changed = 1; changed && pass <= list.size(); ++pass) {
    changed = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
      auto w = Find(list[i]);
      HWND owner = w ? TopLevelOwner(*w) : nullptr;
      auto at = owner && owner != list[i] ? std::find(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(i), owner)
                                          : list.begin() + static_cast<std::ptrdiff_t>(i);
      if (at == list.begin() + static_cast<std::ptrdiff_t>(i)) continue;
      HWND h = list[i];
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
      list.insert(at, h);
      changed = 1;
    }
  }
}

// Places w in its sibling list: at the front, at the back, or after `after`; top-level windows
// then keep the order's rules.
void PlaceInZOrder(const Window& w, HWND after) {
  auto& list = SiblingsOf(w);
  list.erase(std::remove(list.begin(), list.end(), w.handle), list.end());
  auto it = std::find(list.begin(), list.end(), after);
  if (after == HWND_BOTTOM) {
    list.push_back(w.handle);
  } else if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST || it == list.end()) {
    list.insert(list.begin(), w.handle);
  } else {
    list.insert(it + 1, w.handle);
  }
  if (!w.parent) KeepTopLevelOrder(list);
}

// A window's rectangle from its position and size. Positions and sizes are kept within 2^24
// pixels, so that the sums over a deep tree of windows (screen positions, client offsets)
// never overflow.
constexpr int kFar = 1 << 24;
RECT Placed(int x, int y, int width, int height) {
  auto near = [](int v) { return std::clamp(v, -kFar, kFar); };
  x = near(x), y = near(y);
  return {x, y, x + std::clamp(width, 0, kFar), y + std::clamp(height, 0, kFar)};
}

// A point moved by an offset; a caller's point at the edge of the range wraps as 32-bit
// arithmetic does instead of overflowing.
LONG Moved(LONG v, LONG by) { return static_cast<LONG>(static_cast<std::uint32_t>(v) + static_cast<std::uint32_t>(by)); }

void SetVisibleFlag(Window& w, bool visible) {
  if (visible) w.style |= WS_VISIBLE;
  else w.style &= ~WS_VISIBLE;
}

// Sends the messages of a finished move or resize (notified when the window is another thread's):
// the client area's place and size.
void AnnounceGeometry(HWND hwnd, bool moved, bool sized, const RECT& client) {
  if (moved) Notify(hwnd, WM_MOVE, 0, MAKELPARAM(client.left, client.top));
  if (sized) Notify(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right - client.left, client.bottom - client.top));
}

void DestroyTree(const WindowPtr& w) {
  CallProc(w, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    auto lock = LockWindows();
    children = w->children;
  }
  for (HWND c : children)
    if (auto child = Find(c)) {
      child->destroying = true;
      DestroyTree(child);
    }
  CallProc(w, WM_NCDESTROY, 0, 0);
  auto lock = LockWindows();
  Unlink(*w);
  RemoveWindowTimers(w->handle);
  ForgetWindowState(w->handle);
  NotePaintNeeded(*w, false);
  if (w->published) Unpublish(w->handle);
  Registry().erase(w->handle);
  CancelSentTo(w->handle);
}

// Screen-size changes: the desktop follows, and top-level windows that filled the old screen
// fill the new one.
display::ScreenSize& OldScreenSize() {
  static display::ScreenSize size = display::kPortrait;
  return size;
}

void OnScreenSize(display::ScreenSize size) {
  display::ScreenSize& old = OldScreenSize();
  std::vector<HWND> full;
  {
    auto lock = LockWindows();
    for (HWND h : TopLevels())
      if (auto w = Find(h))
        if (w->rect.left == 0 && w->rect.top == 0 && w->rect.right == old.width && w->rect.bottom == old.height)
          full.push_back(h);
  }
  old = size;
  for (HWND h : full) SetWindowPos(h, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
  ExposeScreenArea({0, 0, size.width, size.height});
}

}  // namespace

std::unique_lock<std::recursive_mutex> LockWindows() {
  static auto* mutex = new std::recursive_mutex;
  return std::unique_lock<std::recursive_mutex>(*mutex);
}

WindowPtr Find(HWND hwnd) {
  auto lock = LockWindows();
  auto& r = Registry();
  auto it = r.find(hwnd);
  return it == r.end() ? nullptr : it->second;
}

bool IsDesktop(HWND hwnd) { return hwnd == DesktopHandle(); }

std::vector<HWND>& TopLevels() {
  static auto* list = new std::vector<HWND>;
  return *list;
}

RECT ScreenRect(const Window& w) {
  RECT r = w.rect;
  HWND p = w.parent;
  while (p) {
    auto pw = Find(p);
    if (!pw) break;
    OffsetRect(&r, pw->rect.left, pw->rect.top + CaptionHeight(*pw));
    p = pw->parent;
  }
  return r;
}

int CaptionHeight(const Window& w) {
  if (w.parent || (w.style & WS_CAPTION) != WS_CAPTION) return 0;
  auto size = display::CurrentScreenSize();
  const int band = std::min(size.width, size.height) >= 480 ? 36 : 18;
  return std::min<int>(band, w.rect.bottom - w.rect.top);
}

RECT ClientScreenRect(const Window& w) {
  RECT r = ScreenRect(w);
  r.top += CaptionHeight(w);
  return r;
}

bool Visible(const Window& w) {
  if (!(w.style & WS_VISIBLE)) return false;
  HWND p = w.parent;
  while (p) {
    auto pw = Find(p);
    if (!pw || !(pw->style & WS_VISIBLE)) return false;
    p = pw->parent;
  }
  return true;
}

int CountWindowsOfClass(const WindowClass* cls) {
  int n = 0;
  for (auto& [h, w] : Registry()) n += w->cls.get() == cls;
  return n;
}

std::vector<HWND> WindowsOfThread(ThreadId thread) {
  auto lock = LockWindows();
  std::vector<HWND> out;
  for (auto& [h, w] : Registry())
    if (w->thread == thread) out.push_back(h);
  return out;
}

}  // namespace ce::window

using namespace ce::window;

HWND CreateWindowExW(DWORD ex_style, LPCWSTR class_name, LPCWSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  static bool listening = [] {
    OldScreenSize() = ce::display::CurrentScreenSize();
    ce::display::AddScreenSizeListener(OnScreenSize);
    return true;
  }();
  (void)listening;
  auto w = std::make_shared<Window>();
  {
    auto lock = LockWindows();
    w->cls = FindClass(class_name);
    if (!w->cls) {
      SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
      return nullptr;
    }
    if (parent && IsDesktop(parent)) parent = nullptr;
    if (parent && !Find(parent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
      SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
      return nullptr;
    }
    auto screen = ce::display::CurrentScreenSize();
    if (!(style & WS_CHILD)) {
      // Top-level windows: a default position is the screen's corner, a default size the screen.
      if (x == CW_USEDEFAULT) x = 0, y = 0;
      if (width == CW_USEDEFAULT) width = screen.width, height = screen.height;
      w->owner = parent;
      parent = nullptr;
    } else {
      if (x == CW_USEDEFAULT) x = 0, y = 0;
      if (width == CW_USEDEFAULT) width = 0, height = 0;
      w->id = reinterpret_cast<LONG_PTR>(menu);
    }
    w->handle = AllocateHandle();
    if (!w->handle) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    if (title) w->text = ce::text::WideView(title);
    w->style = style & ~WS_VISIBLE;
    w->ex_style = ex_style;
    w->proc = w->cls->proc;
    w->instance = instance;
    w->extra_bytes = w->cls->window_extra;
    w->parent = parent;
    w->rect = Placed(x, y, width, height);
    w->thread = ce::kernel::CurrentThreadId();
    Registry()[w->handle] = w;
    PlaceInZOrder(*w, HWND_TOP);
    // A top-level window other processes cannot find (its record cannot be written: a full or
    // read-only device folder) could be neither reached nor closed by them: it is not made.
    if (const DWORD error = Publish(*w); error != ERROR_SUCCESS && !parent) {
      Unlink(*w);
      Registry().erase(w->handle);
      SetLastError(error);
      return nullptr;
    }
    w->published = true;
  }
  EnsureQueue();
  EnsureInputSink();
  CREATESTRUCTW cs{param,  instance, menu, parent ? parent : w->owner, height, width, y, x, static_cast<LONG>(style),
                   title, class_name, ex_style};
  if (!CallProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
      CallProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(w->handle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!Find(w->handle)) return nullptr;  // destroyed while being created
  RECT r = w->rect;
  {
    auto lock = LockWindows();
    r.top += CaptionHeight(*w);
  }
  CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right - r.left, r.bottom - r.top));
  CallProc(w, WM_MOVE, 0, MAKELPARAM(r.left, r.top));
  if (style & WS_VISIBLE) ShowWindow(w->handle, SW_SHOW);
  return w->handle;
}

BOOL DestroyWindow(HWND hwnd) {
  WindowPtr w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->thread != ce::kernel::CurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  RECT screen;
  bool was_visible;
  std::vector<HWND> owned;
  {
    auto lock = LockWindows();
    if (w->destroying) return TRUE;
    w->destroying = true;
    screen = ScreenRect(*w);
    was_visible = Visible(*w);
    // The windows owned by it or by any window of its tree go with it (a pop-up whose owner is a
    // child window belongs to that child's top-level window).
    std::vector<HWND> tree{hwnd};
    for (std::size_t i = 0; i < tree.size(); ++i)
      if (auto t = Find(tree[i])) tree.insert(tree.end(), t->children.begin(), t->children.end());
    for (HWND h : TopLevels())
      if (auto o = Find(h); o && o->owner && std::find(tree.begin(), tree.end(), o->owner) != tree.end()) owned.push_back(h);
  }
  for (HWND h : owned) DestroyWindow(h);
  if (was_visible) {
    {
      auto lock = LockWindows();
      SetVisibleFlag(*w, false);
    }
    CallProc(w, WM_SHOWWINDOW, FALSE, 0);
  }
  DestroyTree(w);
  if (was_visible) ExposeScreenArea(screen);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  if (IsDesktop(hwnd)) return TRUE;
  if (Find(hwnd)) return TRUE;
  return hwnd && ce::window::RemoteWindowExists(hwnd);
}

BOOL IsWindowVisible(HWND hwnd) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  return IsDesktop(hwnd) || (w && Visible(*w));
}

BOOL IsWindowEnabled(HWND hwnd) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  return IsDesktop(hwnd) || (w && !(w->style & WS_DISABLED));
}

BOOL IsChild(HWND parent, HWND hwnd) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  while (w && w->parent) {
    if (w->parent == parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

HWND GetParent(HWND hwnd) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return w->parent ? w->parent : w->owner;
}

HWND SetParent(HWND hwnd, HWND parent) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (parent && IsDesktop(parent)) parent = nullptr;
  if (!w || (parent && !Find(parent)) || parent == hwnd) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (HWND p = parent; p;) {  // no cycles
    if (p == hwnd) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto pw = Find(p);
    p = pw ? pw->parent : nullptr;
  }
  HWND old = w->parent;
  Unlink(*w);
  w->parent = parent;
  PlaceInZOrder(*w, HWND_TOP);
  InvalidateLocked(*w, nullptr, true, true);
  return old ? old : DesktopHandle();
}

HWND GetWindow(HWND hwnd, UINT relation) {
  auto lock = LockWindows();
  if (IsDesktop(hwnd)) return relation == GW_CHILD && !TopLevels().empty() ? TopLevels().front() : nullptr;
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (relation == GW_OWNER) return w->owner;
  auto& list = SiblingsOf(*w);
  auto it = std::find(list.begin(), list.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST: return list.empty() ? nullptr : list.front();
    case GW_HWNDLAST: return list.empty() ? nullptr : list.back();
    case GW_HWNDNEXT: return it == list.end() || it + 1 == list.end() ? nullptr : *(it + 1);
    case GW_HWNDPREV: return it == list.begin() || it == list.end() ? nullptr : *(it - 1);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND GetDesktopWindow() { return DesktopHandle(); }

HWND GetDlgItem(HWND parent, int id) {
  auto lock = LockWindows();
  auto w = Find(parent);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (HWND c : w->children)
    if (auto child = Find(c); child && child->id == id) return c;
  SetLastError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  return w && w->parent ? static_cast<int>(w->id) : 0;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD process_id) {
  auto w = Find(hwnd);
  if (w) {
    if (process_id) *process_id = static_cast<DWORD>(getpid());
    return w->thread;
  }
  return RemoteWindowThreadProcess(hwnd, process_id);
}

HWND FindWindowW(LPCWSTR class_name, LPCWSTR title) {
  std::u16string cls, text;
  if (class_name && IS_INTRESOURCE(class_name)) {
    auto lock = LockWindows();
    auto c = FindClass(class_name);
    if (!c) return nullptr;
    cls = c->name;
  } else if (class_name) {
    cls = ce::text::WideView(class_name);
  }
  if (title) text = ce::text::WideView(title);
  {
    auto lock = LockWindows();
    for (HWND h : TopLevels()) {
      auto w = Find(h);
      if (!w || w->destroying) continue;
      if (class_name && !NamesEqual(w->cls->name, cls)) continue;
      if (title && w->text != text) continue;
      return h;
    }
  }
  return FindRemoteWindow(class_name ? &cls : nullptr, title ? &text : nullptr);
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->ex_style);
    case GWL_USERDATA: return w->user_data;
    default:
      if (index < 0 || index > w->extra_bytes - 4) {
        SetLastError(1413);  // ERROR_INVALID_INDEX
        return 0;
      }
      auto it = w->extra.find(index);
      return it == w->extra.end() ? 0 : it->second;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = GetWindowLongPtrW(hwnd, index);
  switch (index) {
    case GWL_WNDPROC:
      if (!value) return 0;
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWL_ID: w->id = value; break;
    case GWL_STYLE: w->style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: w->ex_style = static_cast<DWORD>(value); break;
    case GWL_USERDATA: w->user_data = value; break;
    case GWL_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    default:
      if (index < 0 || index > w->extra_bytes - 4) return 0;
      w->extra[index] = value;
  }
  SetLastError(0);
  return old;
}

LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }
LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  // A 32-bit value cannot hold a host pointer: procedures and instances go through the Ptr form.
  if (index == GWL_WNDPROC || index == GWL_HINSTANCE || index == GWL_HWNDPARENT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR text, int size) {
  auto w = Find(hwnd);
  if (!w || !text || size <= 0) {
    SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (w->thread == ce::kernel::CurrentThreadId())
    return static_cast<int>(CallProc(w, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text)));
  // Another thread's window: its stored text, without waiting on that thread.
  auto lock = LockWindows();
  std::size_t n = std::min<std::size_t>(w->text.size(), static_cast<std::size_t>(size - 1));
  std::copy_n(w->text.begin(), n, text);
  text[n] = 0;
  return static_cast<int>(n);
}

int GetWindowTextLengthW(HWND hwnd) {
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (w->thread == ce::kernel::CurrentThreadId()) return static_cast<int>(CallProc(w, WM_GETTEXTLENGTH, 0, 0));
  auto lock = LockWindows();
  return static_cast<int>(w->text.size());
}

BOOL ShowWindow(HWND hwnd, int command) {
  auto w = Find(hwnd);
  if (!w) {
    // A window of another process (a second start bringing the running one forward).
    if (bool was = false; RemoteShow(hwnd, command, was)) return was ? TRUE : FALSE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool show = command != SW_HIDE && command != SW_MINIMIZE;
  bool was;
  RECT screen;
  {
    auto lock = LockWindows();
    was = (w->style & WS_VISIBLE) != 0;
    screen = ScreenRect(*w);
  }
  if (show != was) {
    Notify(hwnd, WM_SHOWWINDOW, show, 0);
    auto lock = LockWindows();
    SetVisibleFlag(*w, show);
    if (show) {
      PaintCaptionLocked(*w);
      InvalidateLocked(*w, nullptr, true, true);
    }
  }
  if (!show && was) {
    ForgetWindowState(hwnd);
    ExposeScreenArea(screen);
  }
  if (show && !w->parent && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) SetActiveWindow(hwnd);
  return was ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  RECT old_screen, r;
  bool moved, sized, visible;
  {
    auto lock = LockWindows();
    old_screen = ScreenRect(*w);
    r = w->rect;
    if (flags & SWP_NOMOVE) x = r.left, y = r.top;
    if (flags & SWP_NOSIZE) cx = r.right - r.left, cy = r.bottom - r.top;
    r = Placed(x, y, cx, cy);
    moved = r.left != w->rect.left || r.top != w->rect.top;
    sized = r.right - r.left != w->rect.right - w->rect.left || r.bottom - r.top != w->rect.bottom - w->rect.top;
    w->rect = r;
    if (!(flags & SWP_NOZORDER)) {
      if (!w->parent && after == HWND_TOPMOST) w->ex_style |= WS_EX_TOPMOST;
      if (!w->parent && after == HWND_NOTOPMOST) w->ex_style &= ~WS_EX_TOPMOST;
      PlaceInZOrder(*w, after);
    }
    visible = Visible(*w);
    if ((moved || sized || !(flags & SWP_NOZORDER)) && visible && !(flags & SWP_NOREDRAW)) {
      PaintCaptionLocked(*w);
      InvalidateLocked(*w, nullptr, true, true);
    }
    r.top += CaptionHeight(*w);
  }
  if (visible && (moved || sized) && !(flags & SWP_NOREDRAW)) ExposeScreenArea(old_screen);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  AnnounceGeometry(hwnd, moved, sized, r);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  if (!rect) return FALSE;
  if (IsDesktop(hwnd)) {
    auto s = ce::display::CurrentScreenSize();
    *rect = {0, 0, s.width, s.height};
    return TRUE;
  }
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = ScreenRect(*w);
  return TRUE;
}

namespace {

// The client area on the screen (the whole screen for the desktop); false for a bad handle.
bool ClientArea(HWND hwnd, RECT& r) {
  if (IsDesktop(hwnd)) return GetWindowRect(hwnd, &r) != FALSE;
  auto lock = LockWindows();
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  r = ClientScreenRect(*w);
  return true;
}

}  // namespace

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  RECT r;
  if (!rect || !ClientArea(hwnd, r)) return FALSE;
  *rect = {0, 0, r.right - r.left, r.bottom - r.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  RECT r;
  if (!point || !ClientArea(hwnd, r)) return FALSE;
  point->x = Moved(point->x, r.left), point->y = Moved(point->y, r.top);
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  RECT r;
  if (!point || !ClientArea(hwnd, r)) return FALSE;
  point->x = Moved(point->x, -r.left), point->y = Moved(point->y, -r.top);
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD ex_style) {
  (void)menu, (void)ex_style;
  if (!rect) return FALSE;
  if (!(style & WS_CHILD) && (style & WS_CAPTION) == WS_CAPTION) {
    Window probe;
    probe.style = style;
    probe.rect = {0, 0, 0, kFar};
    rect->top -= CaptionHeight(probe);
  }
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  RECT a{0, 0, 0, 0}, b{0, 0, 0, 0};
  if ((from && !ClientArea(from, a)) || (to && !ClientArea(to, b)) || (!points && count)) return 0;
  LONG dx = a.left - b.left, dy = a.top - b.top;
  for (UINT i = 0; i < count; ++i) points[i].x = Moved(points[i].x, dx), points[i].y = Moved(points[i].y, dy);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

namespace {

HWND DeepestAt(const std::vector<HWND>& list, POINT screen) {
  for (HWND h : list) {
    auto w = Find(h);
    if (!w || !(w->style & WS_VISIBLE) || Transparent(*w)) continue;
    RECT r = ScreenRect(*w);
    if (!PtInRect(&r, screen)) continue;
    HWND inner = DeepestAt(w->children, screen);
    return inner ? inner : h;
  }
  return nullptr;
}

}  // namespace

HWND WindowFromPoint(POINT point) {
  auto lock = LockWindows();
  return DeepestAt(TopLevels(), point);
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  auto lock = LockWindows();
  auto w = Find(parent);
  if (!w) return nullptr;
  RECT r = ClientScreenRect(*w);
  POINT screen{Moved(point.x, r.left), Moved(point.y, r.top)};
  if (!PtInRect(&r, screen)) return nullptr;
  for (HWND h : w->children) {
    auto c = Find(h);
    if (!c) continue;
    RECT cr = ScreenRect(*c);
    if (PtInRect(&cr, screen)) return h;
  }
  return parent;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  auto w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool was_disabled;
  {
    auto lock = LockWindows();
    was_disabled = (w->style & WS_DISABLED) != 0;
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED;
  }
  if (was_disabled == !enable) return was_disabled;
  if (!enable && GetFocus() == hwnd) SetFocus(nullptr);
  Notify(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return was_disabled;
}
