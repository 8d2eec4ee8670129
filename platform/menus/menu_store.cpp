// Menu handles and their items: creating, editing by command or position, state.
#include <algorithm>
#include <map>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/menus/menu_internal.h"
#include "platform/text/utf.h"

namespace ce::menus {
namespace {

struct Store {
  std::recursive_mutex mutex;
  std::map<HMENU, std::unique_ptr<Menu>> menus;
  ULONG_PTR next = 0x30000;
};

Store& St() {
  static Store* s = new Store;
  return *s;
}

HMENU Create(bool popup) {
  auto lock = LockMenus();
  HMENU h = reinterpret_cast<HMENU>(St().next);
  St().next += 4;
  auto m = std::make_unique<Menu>();
  m->popup = popup;
  St().menus[h] = std::move(m);
  return h;
}

// The item at a position or with a command; searched through popups by command.
struct Found {
  Menu* menu = nullptr;
  std::size_t index = 0;
};
Found Locate(HMENU handle, UINT item, bool by_position) {
  Menu* m = FindMenu(handle);
  if (!m) return {};
  if (by_position) {
    if (item >= m->items.size()) return {};
    return {m, item};
  }
  for (std::size_t i = 0; i < m->items.size(); ++i)
    if (!m->items[i].sub && m->items[i].id == item && !(m->items[i].type & MF_SEPARATOR)) return {m, i};
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    if (m->items[i].sub) {
      Found f = Locate(m->items[i].sub, item, false);
      if (f.menu) return f;
    }
  }
  // A popup item can be addressed by its own id too.
  for (std::size_t i = 0; i < m->items.size(); ++i)
    if (m->items[i].id == item && !(m->items[i].type & MF_SEPARATOR)) return {m, i};
  return {};
}

void DestroyTree(HMENU h) {
  auto it = St().menus.find(h);
  if (it == St().menus.end()) return;
  std::vector<HMENU> subs;
  for (auto& i : it->second->items)
    if (i.sub) subs.push_back(i.sub);
  St().menus.erase(it);
  for (HMENU s : subs) DestroyTree(s);
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

// Whether `target` is `root` or a popup somewhere inside it.
bool Reaches(HMENU root, const Menu* target) {
  const Menu* m = FindMenu(root);
  if (!m) return false;
  if (m == target) return true;
  for (const auto& i : m->items)
    if (i.sub && Reaches(i.sub, target)) return true;
  return false;
}

// An item whose popup holds the menu it goes into would make the menu its own descendant.
bool MakesLoop(const Item& item, const Menu* into) {
  if (item.sub && Reaches(item.sub, into)) return Fail(ERROR_INVALID_PARAMETER), true;
  return false;
}

// An item from the flags of AppendMenu / InsertMenu / ModifyMenu.
bool ItemFromFlags(UINT flags, UINT_PTR id_or_popup, LPCWSTR text, Item& item) {
  item.type = flags & (MF_SEPARATOR | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK);
  item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
  if (flags & MF_POPUP) {
    item.sub = reinterpret_cast<HMENU>(id_or_popup);
    if (!FindMenu(item.sub)) return Fail(ERROR_INVALID_PARAMETER);
    item.id = static_cast<UINT>(id_or_popup);
  } else {
    item.id = static_cast<UINT>(id_or_popup);
  }
  if (flags & MF_OWNERDRAW) item.data = reinterpret_cast<ULONG_PTR>(text);
  else if (!(flags & MF_SEPARATOR) && text) item.text = text::WideView(text);
  return true;
}

}  // namespace

std::unique_lock<std::recursive_mutex> LockMenus() { return std::unique_lock<std::recursive_mutex>(St().mutex); }

Menu* FindMenu(HMENU menu) {
  auto it = St().menus.find(menu);
  return it == St().menus.end() ? nullptr : it->second.get();
}

Snapshot Snap(HMENU menu) {
  auto lock = LockMenus();
  Snapshot s;
  Menu* m = FindMenu(menu);
  if (!m) return s;
  s.handle = menu;
  s.items = m->items;
  for (auto& i : m->items) s.subs.push_back(i.sub ? Snap(i.sub) : Snapshot{});
  return s;
}

}  // namespace ce::menus

using namespace ce::menus;

HMENU CreateMenu() { return Create(false); }
HMENU CreatePopupMenu() { return Create(true); }

BOOL DestroyMenu(HMENU menu) {
  auto lock = LockMenus();
  if (!FindMenu(menu)) return Fail(ERROR_INVALID_HANDLE);
  DestroyTree(menu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) {
  auto lock = LockMenus();
  return FindMenu(menu) ? TRUE : FALSE;
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR id_or_popup, LPCWSTR text) {
  auto lock = LockMenus();
  Menu* m = FindMenu(menu);
  if (!m) return Fail(ERROR_INVALID_HANDLE);
  Item item;
  if (!ItemFromFlags(flags, id_or_popup, text, item)) return FALSE;
  if (flags & MF_BYPOSITION) {
    if (MakesLoop(item, m)) return FALSE;
    std::size_t at = position >= m->items.size() ? m->items.size() : position;  // 0xFFFFFFFF appends
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return TRUE;
  }
  Found f = Locate(menu, position, false);
  if (MakesLoop(item, f.menu ? f.menu : m)) return FALSE;
  if (!f.menu) {
    m->items.push_back(std::move(item));  // no such command: appended
    return TRUE;
  }
  f.menu->items.insert(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.index), std::move(item));
  return TRUE;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id_or_popup, LPCWSTR text) {
  return InsertMenuW(menu, 0xFFFFFFFFu, (flags & ~MF_BYCOMMAND) | MF_BYPOSITION, id_or_popup, text);
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR id_or_popup, LPCWSTR text) {
  auto lock = LockMenus();
  Found f = Locate(menu, position, flags & MF_BYPOSITION);
  if (!f.menu) return Fail(ERROR_INVALID_PARAMETER);
  Item item;
  if (!ItemFromFlags(flags, id_or_popup, text, item) || MakesLoop(item, f.menu)) return FALSE;
  HMENU old = f.menu->items[f.index].sub;
  if (old && old != item.sub) DestroyTree(old);
  f.menu->items[f.index] = std::move(item);
  return TRUE;
}

namespace {
bool ApplyInfo(Item& item, const MENUITEMINFOW& info) {
  if (info.fMask & MIIM_SUBMENU) {
    if (info.hSubMenu && !FindMenu(info.hSubMenu)) return Fail(ERROR_INVALID_PARAMETER);
    item.sub = info.hSubMenu;
  }
  if (info.fMask & MIIM_TYPE) {
    item.type = info.fType;
    if (!(info.fType & (MF_SEPARATOR | MF_OWNERDRAW)))
      item.text = info.dwTypeData ? std::u16string(ce::text::WideView(info.dwTypeData)) : std::u16string();
  }
  if (info.fMask & MIIM_STATE) item.state = info.fState;
  if (info.fMask & MIIM_ID) item.id = info.wID;
  if (info.fMask & MIIM_DATA) item.data = info.dwItemData;
  return true;
}
}  // namespace

BOOL InsertMenuItemW(HMENU menu, UINT at, BOOL by_position, const MENUITEMINFOW* info) {
  auto lock = LockMenus();
  Menu* m = FindMenu(menu);
  if (!m) return Fail(ERROR_INVALID_HANDLE);
  if (!info) return Fail(ERROR_INVALID_PARAMETER);
  Item item;
  if (!ApplyInfo(item, *info)) return FALSE;
  if (by_position) {
    if (MakesLoop(item, m)) return FALSE;
    std::size_t pos = at >= m->items.size() ? m->items.size() : at;
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(pos), std::move(item));
    return TRUE;
  }
  Found f = Locate(menu, at, false);
  if (MakesLoop(item, f.menu ? f.menu : m)) return FALSE;
  if (!f.menu) m->items.push_back(std::move(item));
  else f.menu->items.insert(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.index), std::move(item));
  return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT at, BOOL by_position, const MENUITEMINFOW* info) {
  auto lock = LockMenus();
  Found f = Locate(menu, at, by_position);
  if (!f.menu || !info) return Fail(ERROR_INVALID_PARAMETER);
  Item changed = f.menu->items[f.index];
  if (!ApplyInfo(changed, *info) || MakesLoop(changed, f.menu)) return FALSE;
  f.menu->items[f.index] = std::move(changed);
  return TRUE;
}

BOOL GetMenuItemInfoW(HMENU menu, UINT at, BOOL by_position, LPMENUITEMINFOW info) {
  auto lock = LockMenus();
  Found f = Locate(menu, at, by_position);
  if (!f.menu || !info) return Fail(ERROR_INVALID_PARAMETER);
  const Item& item = f.menu->items[f.index];
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = item.sub;
  if (info->fMask & MIIM_STATE) info->fState = item.state;
  if (info->fMask & MIIM_ID) info->wID = item.id;
  if (info->fMask & MIIM_DATA) info->dwItemData = item.data;
  if (info->fMask & MIIM_TYPE) {
    info->fType = item.type;
    if (info->dwTypeData && info->cch > 0) {
      std::size_t n = std::min<std::size_t>(item.text.size(), info->cch - 1);
      std::copy_n(item.text.begin(), n, info->dwTypeData);
      info->dwTypeData[n] = 0;
    }
    info->cch = static_cast<UINT>(item.text.size());
  }
  return TRUE;
}

namespace {
BOOL Take(HMENU menu, UINT position, UINT flags, bool destroy) {
  auto lock = LockMenus();
  Found f = Locate(menu, position, flags & MF_BYPOSITION);
  if (!f.menu) return Fail(ERROR_INVALID_PARAMETER);
  HMENU sub = f.menu->items[f.index].sub;
  f.menu->items.erase(f.menu->items.begin() + static_cast<std::ptrdiff_t>(f.index));
  if (destroy && sub) DestroyTree(sub);
  return TRUE;
}
}  // namespace

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return Take(menu, position, flags, true); }
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return Take(menu, position, flags, false); }

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  auto lock = LockMenus();
  Found f = Locate(menu, item, flags & MF_BYPOSITION);
  if (!f.menu) return static_cast<DWORD>(-1);
  UINT& state = f.menu->items[f.index].state;
  DWORD old = state & MF_CHECKED;
  state = (state & ~MF_CHECKED) | (flags & MF_CHECKED);
  return old;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  auto lock = LockMenus();
  bool by_position = flags & MF_BYPOSITION;
  Menu* m = FindMenu(menu);
  if (!m) return Fail(ERROR_INVALID_HANDLE);
  if (by_position) {
    if (first > last || last >= m->items.size() || check < first || check > last) return Fail(ERROR_INVALID_PARAMETER);
    for (UINT i = first; i <= last; ++i) {
      Item& it = m->items[i];
      if (i == check) it.state |= MF_CHECKED, it.type |= MFT_RADIOCHECK;
      else it.state &= ~MF_CHECKED;
    }
    return TRUE;
  }
  bool found = false;
  for (auto& it : m->items) {
    if (it.id < first || it.id > last || (it.type & MF_SEPARATOR)) continue;
    if (it.id == check) it.state |= MF_CHECKED, it.type |= MFT_RADIOCHECK, found = true;
    else it.state &= ~MF_CHECKED;
  }
  return found ? TRUE : Fail(ERROR_INVALID_PARAMETER);
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  auto lock = LockMenus();
  Found f = Locate(menu, item, flags & MF_BYPOSITION);
  if (!f.menu) return -1;
  UINT& state = f.menu->items[f.index].state;
  UINT old = state & (MF_GRAYED | MF_DISABLED);
  state = (state & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(old);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  auto lock = LockMenus();
  Found f = Locate(menu, item, flags & MF_BYPOSITION);
  if (!f.menu) return 0xFFFFFFFFu;
  const Item& it = f.menu->items[f.index];
  UINT out = it.state | it.type;
  if (it.sub) {
    Menu* sub = FindMenu(it.sub);
    out = (out & 0xFF) | MF_POPUP | (static_cast<UINT>(sub ? sub->items.size() : 0) << 8);
  }
  return out;
}

HMENU GetSubMenu(HMENU menu, int position) {
  auto lock = LockMenus();
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<std::size_t>(position) >= m->items.size()) return nullptr;
  return m->items[static_cast<std::size_t>(position)].sub;
}

int GetMenuItemCount(HMENU menu) {
  auto lock = LockMenus();
  Menu* m = FindMenu(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  return static_cast<int>(m->items.size());
}

UINT GetMenuItemID(HMENU menu, int position) {
  auto lock = LockMenus();
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || static_cast<std::size_t>(position) >= m->items.size()) return 0xFFFFFFFFu;
  const Item& it = m->items[static_cast<std::size_t>(position)];
  return it.sub ? 0xFFFFFFFFu : it.id;
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR text, int size, UINT flags) {
  auto lock = LockMenus();
  Found f = Locate(menu, item, flags & MF_BYPOSITION);
  if (!f.menu) return 0;
  const std::u16string& s = f.menu->items[f.index].text;
  if (!text || size <= 0) return static_cast<int>(s.size());
  std::size_t n = std::min<std::size_t>(s.size(), static_cast<std::size_t>(size - 1));
  std::copy_n(s.begin(), n, text);
  text[n] = 0;
  return static_cast<int>(n);
}

BOOL DrawMenuBar(HWND hwnd) { return IsWindow(hwnd); }
