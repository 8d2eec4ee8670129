// The soft-key bar: a window along the bottom of the screen with two keys from a soft-key
// resource; a key sends its command to the owner or opens its popup menu.
#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/base/errors.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/kernel/last_error.h"
#include "platform/menus/menu_internal.h"
#include "platform/menus/softkey_bar.h"
#include "platform/resources/resource_set.h"
#include "platform/text/utf.h"

namespace ce::menus {
namespace {

constexpr const WCHAR* kBarClass = u"menu_worker";

struct Key {
  int id = 0;
  std::u16string text;
  int popup = -1;
  BYTE state = TBSTATE_ENABLED;
};

struct Bar {
  HWND owner = nullptr;
  HMENU menu = nullptr;
  bool own_menu = false;
  std::vector<Key> keys;
  unsigned serial = 0;  // creation order
};

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
std::map<HWND, Bar>& Bars() {  // by bar window
  static std::map<HWND, Bar> bars;
  return bars;
}

Bar* BarOf(HWND bar) {
  auto it = Bars().find(bar);
  return it == Bars().end() ? nullptr : &it->second;
}

Key* KeyById(Bar& b, int id) {
  for (auto& k : b.keys)
    if (k.id == id) return &k;
  return nullptr;
}

LRESULT BarProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case TB_SETBUTTONINFOW:
    case TB_GETBUTTONINFOW: {
      auto* info = reinterpret_cast<TBBUTTONINFOW*>(lparam);
      std::lock_guard<std::mutex> lock(Mutex());
      Bar* b = BarOf(hwnd);
      Key* k = b && info ? KeyById(*b, static_cast<int>(wparam)) : nullptr;
      if (!k) return msg == TB_SETBUTTONINFOW ? FALSE : -1;
      if (msg == TB_SETBUTTONINFOW) {
        if ((info->dwMask & TBIF_TEXT) && info->pszText) k->text = text::WideView(info->pszText);
        if (info->dwMask & TBIF_STATE) k->state = info->fsState;
        if (info->dwMask & TBIF_COMMAND) k->id = info->idCommand;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      }
      if (info->dwMask & TBIF_STATE) info->fsState = k->state;
      if (info->dwMask & TBIF_COMMAND) info->idCommand = k->id;
      if ((info->dwMask & TBIF_TEXT) && info->pszText && info->cchText > 0) {
        std::size_t n = std::min<std::size_t>(k->text.size(), static_cast<std::size_t>(info->cchText - 1));
        std::copy_n(k->text.begin(), n, info->pszText);
        info->pszText[n] = 0;
      }
      int index = 0;
      for (auto& key : b->keys) {
        if (&key == k) break;
        ++index;
      }
      return index;
    }
    case TB_ENABLEBUTTON: {
      std::lock_guard<std::mutex> lock(Mutex());
      Bar* b = BarOf(hwnd);
      Key* k = b ? KeyById(*b, static_cast<int>(wparam)) : nullptr;
      if (!k) return FALSE;
      k->state = static_cast<BYTE>(LOWORD(lparam) ? (k->state | TBSTATE_ENABLED) : (k->state & ~TBSTATE_ENABLED));
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case SHCMBM_GETSUBMENU: {
      std::lock_guard<std::mutex> lock(Mutex());
      Bar* b = BarOf(hwnd);
      Key* k = b ? KeyById(*b, static_cast<int>(lparam)) : nullptr;
      if (!k || k->popup < 0) return 0;
      return reinterpret_cast<LRESULT>(GetSubMenu(b->menu, k->popup));
    }
    case SHCMBM_GETMENU: {
      std::lock_guard<std::mutex> lock(Mutex());
      Bar* b = BarOf(hwnd);
      return b ? reinterpret_cast<LRESULT>(b->menu) : 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      HBRUSH back = CreateSolidBrush(RGB(0x30, 0x30, 0x30));
      FillRect(hdc, &r, back);
      DeleteObject(back);
      std::vector<Key> keys;
      {
        std::lock_guard<std::mutex> lock(Mutex());
        if (Bar* b = BarOf(hwnd)) keys = b->keys;
      }
      HFONT font = MenuFont(FW_BOLD);
      HGDIOBJ old = SelectObject(hdc, font);
      SetBkMode(hdc, TRANSPARENT);
      for (std::size_t i = 0; i < keys.size() && i < 2; ++i) {
        RECT half{i == 0 ? 6 : r.right / 2, 0, i == 0 ? r.right / 2 : r.right - 6, r.bottom};
        SetTextColor(hdc, (keys[i].state & TBSTATE_ENABLED) ? RGB(0xFF, 0xFF, 0xFF) : RGB(0x90, 0x90, 0x90));
        DrawTextW(hdc, keys[i].text.c_str(), static_cast<int>(keys[i].text.size()), &half,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (i == 0 ? DT_LEFT : DT_RIGHT));
      }
      SelectObject(hdc, old);
      DeleteObject(font);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      RECT r;
      GetClientRect(hwnd, &r);
      PressSoftKey(hwnd, static_cast<short>(LOWORD(lparam)) < r.right / 2 ? 0 : 1);
      return 0;
    }
    case WM_DESTROY: {
      std::lock_guard<std::mutex> lock(Mutex());
      auto it = Bars().find(hwnd);
      if (it != Bars().end()) {
        if (it->second.own_menu) DestroyMenu(it->second.menu);
        Bars().erase(it);
      }
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void EnsureBarClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = BarProc;
    wc.lpszClassName = kBarClass;
    RegisterClassW(&wc);
  });
}

}  // namespace

bool PressSoftKey(HWND bar, int index) {
  HWND owner;
  Key key;
  HMENU menu;
  {
    std::lock_guard<std::mutex> lock(Mutex());
    Bar* b = BarOf(bar);
    if (!b || index < 0 || index >= static_cast<int>(b->keys.size())) return false;
    key = b->keys[static_cast<std::size_t>(index)];
    owner = b->owner;
    menu = b->menu;
  }
  if (!(key.state & TBSTATE_ENABLED)) return false;
  if (key.popup >= 0) {
    HMENU sub = GetSubMenu(menu, key.popup);
    if (!sub) return false;
    RECT r;
    GetWindowRect(bar, &r);
    TrackPopupMenuEx(sub, TPM_BOTTOMALIGN | (index == 0 ? TPM_LEFTALIGN : TPM_RIGHTALIGN), index == 0 ? r.left : r.right,
                     r.top, owner, nullptr);
    return true;
  }
  SendMessageW(owner, WM_COMMAND, MAKEWPARAM(key.id, 0), reinterpret_cast<LPARAM>(bar));
  return true;
}

}  // namespace ce::menus

using namespace ce::menus;

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
  if (!info || !IsWindow(info->hwndParent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Bar bar;
  bar.owner = info->hwndParent;
  if (info->dwFlags & SHCMBF_HMENU) {
    bar.menu = reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(info->nToolBarId));
    if (!IsMenu(bar.menu)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    for (int i = 0; i < GetMenuItemCount(bar.menu); ++i) {
      WCHAR text[128];
      GetMenuStringW(bar.menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
      Key k;
      k.text = text;
      if (GetSubMenu(bar.menu, i)) k.popup = i;
      else k.id = static_cast<int>(GetMenuItemID(bar.menu, i));
      bar.keys.push_back(k);
    }
  } else if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
    auto set = ce::resources::ResourcesOf(info->hInstRes);
    auto it = set ? set->softkeys.find(ce::resources::ResName::From(MAKEINTRESOURCEW(info->nToolBarId))) : decltype(set->softkeys.end()){};
    if (!set || it == set->softkeys.end()) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return FALSE;
    }
    const auto& t = it->second;
    bool needs_menu = std::any_of(t.keys.begin(), t.keys.end(), [](const auto& k) { return k.popup >= 0; });
    if (needs_menu) {
      const WCHAR* name = t.menu.id ? MAKEINTRESOURCEW(t.menu.id) : t.menu.name.c_str();
      bar.menu = LoadMenuW(info->hInstRes, name);
      if (!bar.menu) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
      }
      bar.own_menu = true;
    }
    for (const auto& k : t.keys) bar.keys.push_back(Key{static_cast<int>(k.id), k.text, k.popup, TBSTATE_ENABLED});
  }
  EnsureBarClass();
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  DWORD style = WS_POPUP | ((info->dwFlags & SHCMBF_HIDDEN) ? 0 : WS_VISIBLE);
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, kBarClass, u"", style, 0, h - SOFTKEY_BAR_HEIGHT, w, SOFTKEY_BAR_HEIGHT,
                              info->hwndParent, nullptr, info->hInstRes, nullptr);
  if (!hwnd) {
    if (bar.own_menu) DestroyMenu(bar.menu);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> lock(Mutex());
    static unsigned next = 0;
    bar.serial = ++next;
    Bars()[hwnd] = std::move(bar);
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  info->hwndMB = hwnd;
  return TRUE;
}

HWND SHFindMenuBar(HWND hwnd) {
  std::lock_guard<std::mutex> lock(Mutex());
  HWND found = nullptr;
  unsigned newest = 0;
  for (auto& [bar, b] : Bars())
    if (b.owner == hwnd && b.serial > newest) found = bar, newest = b.serial;
  return found;
}
