// Window classes and registered window messages.
#include <algorithm>
#include <map>

#include "platform/base/errors.h"
#include "platform/gdi/images.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"
#include "platform/window/window_internal.h"

namespace ce::window {
namespace {

std::vector<std::shared_ptr<WindowClass>>& Classes() {
  static std::vector<std::shared_ptr<WindowClass>> classes;
  return classes;
}
ATOM& NextAtom() {
  static ATOM atom = 0xC000;
  return atom;
}

}  // namespace

char16_t Fold(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  return c;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::shared_ptr<WindowClass> FindClass(LPCWSTR name) {
  if (!name) return nullptr;
  for (auto& c : Classes()) {
    if (IS_INTRESOURCE(name) ? c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                             : NamesEqual(c->name, text::WideView(name)))
      return c;
  }
  return nullptr;
}

int CountWindowsOfClass(const WindowClass* cls);

}  // namespace ce::window

using namespace ce::window;

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc || wc->cbWndExtra < 0 ||
      wc->cbClsExtra < 0 || wc->cbWndExtra > 4096) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto lock = LockWindows();
  if (FindClass(wc->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto c = std::make_shared<WindowClass>();
  c->name = ce::text::WideView(wc->lpszClassName);
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->class_extra = wc->cbClsExtra;
  c->window_extra = wc->cbWndExtra;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  c->atom = NextAtom()++;
  Classes().push_back(c);
  return c->atom;
}

BOOL UnregisterClassW(LPCWSTR class_name, HINSTANCE instance) {
  (void)instance;
  auto lock = LockWindows();
  auto c = FindClass(class_name);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (CountWindowsOfClass(c.get()) > 0) {
    SetLastError(1412);  // ERROR_CLASS_HAS_WINDOWS
    return FALSE;
  }
  auto& all = Classes();
  all.erase(std::remove(all.begin(), all.end(), c), all.end());
  return TRUE;
}

BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR class_name, WNDCLASSW* wc) {
  (void)instance;
  auto lock = LockWindows();
  auto c = FindClass(class_name);
  if (!c || !wc) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *wc = WNDCLASSW{c->style, c->proc, c->class_extra, c->window_extra, c->instance, c->icon, c->cursor, c->background,
                  nullptr, class_name};
  return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR name, int size) {
  std::u16string cls;
  bool local = false;
  {
    auto lock = LockWindows();
    if (auto w = Find(hwnd)) {
      cls = w->cls->name;
      local = true;
    }
  }
  // Another process's window: the class its record names.
  if (!local && !ce::window::RemoteWindowClass(hwnd, cls)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!name || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t n = std::min<std::size_t>(cls.size(), static_cast<std::size_t>(size - 1));
  std::copy_n(cls.begin(), n, name);
  name[n] = 0;
  return static_cast<int>(n);
}

UINT RegisterWindowMessageW(LPCWSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // The number comes from the name, so that every process of the device gets the same one; a
  // clash with another name in this process moves on to the next free number.
  auto lock = LockWindows();
  // Never destroyed: threads that live as long as the process (device watchers) may still
  // register a message while the process's statics are being destroyed at exit.
  static auto& taken = *new std::map<UINT, std::u16string>;
  std::u16string upper;
  for (char16_t c : ce::text::WideView(name)) upper += Fold(c);
  std::uint32_t h = 2166136261u;
  for (char16_t c : upper) h = (h ^ c) * 16777619u;
  for (UINT i = 0; i < 0x3FFF; ++i) {
    UINT number = 0xC000 + (h + i) % 0x3FFF;
    auto it = taken.find(number);
    if (it == taken.end()) {
      taken[number] = upper;
      return number;
    }
    if (it->second == upper) return number;
  }
  return 0;
}
