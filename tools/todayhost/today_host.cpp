#include "today_host.h"

#include <algorithm>
#include <cstdio>

#include "platform/gdi/gdi.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/libraries.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"
#include "platform/text/wide_string.h"
#include "platform/window/window.h"

namespace todayhost {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;

std::string Utf8(const std::u16string& text) { return ce::text::ToUtf8(ce::text::WideView(text.c_str())); }

// A string value of an open key; empty when absent or not a string.
std::u16string ReadString(HKEY key, LPCWSTR name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
  std::vector<WCHAR> text(size / sizeof(WCHAR) + 1, 0);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &size) != ERROR_SUCCESS)
    return {};
  text.back() = 0;
  return std::u16string(text.data());
}

bool ReadDword(HKEY key, LPCWSTR name, DWORD* value) {
  DWORD type = 0;
  DWORD size = sizeof(*value);
  return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof(*value);
}

}  // namespace

std::vector<ItemRegistration> ReadRegistrations() {
  std::vector<ItemRegistration> out;
  HKEY items = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kItemsKey, 0, KEY_READ, &items) != ERROR_SUCCESS) return out;
  for (DWORD index = 0;; ++index) {
    WCHAR name[MAX_PATH];
    DWORD chars = MAX_PATH;
    if (RegEnumKeyExW(items, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key = nullptr;
    if (RegOpenKeyExW(items, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    ItemRegistration r;
    r.name = name;
    r.library = ReadString(key, u"DLL");
    DWORD value = 0;
    if (ReadDword(key, u"Enabled", &value)) r.enabled = value != 0;
    if (ReadDword(key, u"Order", &value)) r.order = value;
    RegCloseKey(key);
    if (r.library.empty()) {
      std::fprintf(stderr, "todayhost: item %s has no library (\"DLL\"), left out\n", Utf8(r.name).c_str());
      continue;
    }
    out.push_back(std::move(r));
  }
  RegCloseKey(items);
  std::stable_sort(out.begin(), out.end(), [](const ItemRegistration& a, const ItemRegistration& b) {
    return a.order != b.order ? a.order < b.order : a.name < b.name;
  });
  return out;
}

TodayHost::~TodayHost() { Close(); }

bool TodayHost::Create(HINSTANCE instance) {
  m_instance = instance;
  m_background = CreateSolidBrush(kBackground);
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = m_background;
  wc.lpszClassName = kHostClass;
  if (!RegisterClassW(&wc)) {
    std::fprintf(stderr, "todayhost: cannot register the window class (error %u)\n", GetLastError());
    return false;
  }
  m_window = CreateWindowW(kHostClass, u"Today", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           nullptr, nullptr, instance, nullptr);
  if (m_window == nullptr) {
    std::fprintf(stderr, "todayhost: cannot create the window (error %u)\n", GetLastError());
    UnregisterClassW(kHostClass, instance);
    return false;
  }
  SetWindowLongPtrW(m_window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
  UpdateWindow(m_window);
  LoadItems();
  Layout();
  Refresh(false);
  SetTimer(m_window, kRefreshTimer, kRefreshMs, nullptr);
  return true;
}

void TodayHost::LoadItems() {
  for (const ItemRegistration& r : ReadRegistrations()) {
    if (!r.enabled) continue;
    HMODULE module = LoadLibraryW(r.library.c_str());
    if (module == nullptr) {
      std::fprintf(stderr, "todayhost: cannot load %s (error %u), left out\n", Utf8(r.library).c_str(), GetLastError());
      continue;
    }
    auto init = ce::libraries::ProcAs<HWND(TODAYLISTITEM*, HWND)>(
        GetProcAddressW(module, MAKEINTRESOURCEW(kTodayItemInitOrdinal)));
    if (init == nullptr) {
      std::fprintf(stderr, "todayhost: %s has no ordinal 240, left out\n", Utf8(r.library).c_str());
      FreeLibrary(module);
      continue;
    }
    auto item = std::make_unique<LoadedItem>();
    item->module = module;
    TODAYLISTITEM& record = item->record;
    wcsncpy(record.szName, r.name.c_str(), 31);
    wcsncpy(record.szDLLPath, r.library.c_str(), MAX_PATH - 1);
    record.dwOrder = r.order;
    record.fEnabled = TRUE;
    record.hinstDLL = module;
    record.hwndCustom = init(&record, m_window);
    if (record.hwndCustom == nullptr) {
      std::fprintf(stderr, "todayhost: %s made no item window, left out\n", Utf8(r.library).c_str());
      FreeLibrary(module);
      continue;
    }
    m_items.push_back(std::move(item));
  }
}

void TodayHost::Layout() {
  RECT client;
  GetClientRect(m_window, &client);
  int y = 0;
  for (const auto& item : m_items) {
    RECT current;
    GetWindowRect(item->record.hwndCustom, &current);
    const int height = item->record.cyp > 0 ? static_cast<int>(item->record.cyp) : current.bottom - current.top;
    MoveWindow(item->record.hwndCustom, 0, y, client.right - client.left, height, TRUE);
    y += height;
  }
}

bool TodayHost::Refresh(bool clear) {
  std::vector<HWND> repaint;
  bool moved = false;
  for (const auto& item : m_items) {
    HWND hwnd = item->record.hwndCustom;
    if (!IsWindow(hwnd)) continue;
    if (clear) SendMessageW(hwnd, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
    const DWORD before = item->record.cyp;
    if (SendMessageW(hwnd, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, reinterpret_cast<LPARAM>(&item->record)) != 0)
      repaint.push_back(hwnd);
    moved = moved || item->record.cyp != before;
  }
  if (moved) {
    // A changed height moves the items below it: all are drawn again.
    Layout();
    repaint = ItemWindows();
  }
  for (HWND hwnd : repaint) {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
  }
  if (!repaint.empty() && m_repaintHook) m_repaintHook();
  return !repaint.empty();
}

std::vector<HWND> TodayHost::ItemWindows() const {
  std::vector<HWND> out;
  for (const auto& item : m_items)
    if (IsWindow(item->record.hwndCustom)) out.push_back(item->record.hwndCustom);
  return out;
}

void TodayHost::Tap(WPARAM wparam, LPARAM lparam) {
  POINT p{static_cast<short>(lparam & 0xFFFF), static_cast<short>((lparam >> 16) & 0xFFFF)};
  for (HWND hwnd : ItemWindows()) {
    RECT r;
    GetWindowRect(hwnd, &r);
    POINT local = p;
    MapWindowPoints(m_window, hwnd, &local, 1);
    if (local.x >= 0 && local.y >= 0 && local.x < r.right - r.left && local.y < r.bottom - r.top) {
      SendMessageW(hwnd, WM_LBUTTONUP, wparam, static_cast<LPARAM>((local.y & 0xFFFF) << 16 | (local.x & 0xFFFF)));
      return;
    }
  }
}

void TodayHost::UnloadItems() {
  // The windows go before their libraries: their procedures live there.
  for (const auto& item : m_items)
    if (IsWindow(item->record.hwndCustom)) DestroyWindow(item->record.hwndCustom);
  for (const auto& item : m_items) FreeLibrary(item->module);
  m_items.clear();
}

void TodayHost::Close() {
  UnloadItems();
  if (m_window) {
    KillTimer(m_window, kRefreshTimer);
    SetWindowLongPtrW(m_window, GWL_USERDATA, 0);
    if (IsWindow(m_window)) DestroyWindow(m_window);
    m_window = nullptr;
    UnregisterClassW(kHostClass, m_instance);
  }
  if (m_background) {
    DeleteObject(m_background);
    m_background = nullptr;
  }
}

LRESULT TodayHost::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* host = reinterpret_cast<TodayHost*>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
  if (host == nullptr) return DefWindowProcW(hwnd, msg, wparam, lparam);
  return host->Handle(hwnd, msg, wparam, lparam);
}

LRESULT TodayHost::Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_TIMER:
      if (wparam == kRefreshTimer) Refresh(false);
      return 0;
    case WM_TODAYCUSTOM_CLEARCACHE:
    case WM_LBUTTONUP:
      // Asked from another thread or process: done on this thread's own time, so that the
      // items' background requests during the repaint come from this thread only.
      if (InSendMessage()) {
        PostMessageW(hwnd, msg, wparam, lparam);
        return 0;
      }
      if (msg == WM_LBUTTONUP)
        Tap(wparam, lparam);
      else
        Refresh(true);
      return 0;
    case TODAYM_GETCOLOR:
      return wparam == TODAYCOLOR_TEXT ? kTextColor : kBackground;
    case TODAYM_DRAWWATERMARK: {
      // Only an item of this thread can hand a pointer; a request from elsewhere is ignored.
      if (InSendMessage() || lparam == 0) return 0;
      const auto* info = reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lparam);
      FillRect(info->hdc, &info->rc, m_background);
      return 1;
    }
    case WM_CLOSE:
      // The items are unloaded (their detach is logged) before the loop ends.
      Close();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == TODAYM_DRAWWATERMARK) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace todayhost
