// What the Today item's tests share: a device with Velomar's themes, settings and item
// registration, a stand-in for Velomar's main window that answers the item's protocol, and the
// colours of the theme's Today icons.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/base/types.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/registry/registry.h"
#include "platform/shell/install.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"
#include "todayvelomar/TodayProtocol.h"
#include "velomar/data/DataInstall.h"

namespace today_test {

// Ink colours of the default theme's Today icons (tools/themegen).
inline constexpr COLORREF kWifiOn = RGB(0, 90, 200);
inline constexpr COLORREF kOff = RGB(90, 90, 90);
inline constexpr COLORREF kDisabled = RGB(190, 190, 190);
inline constexpr COLORREF kBluetoothOn = RGB(0, 60, 170);
inline constexpr COLORREF kDiscoverable = RGB(0, 160, 160);
inline constexpr COLORREF kSpeakerOn = RGB(0, 130, 60);
inline constexpr COLORREF kVibrate = RGB(130, 40, 170);
inline constexpr COLORREF kPhoneOn = RGB(0, 140, 0);
inline constexpr COLORREF kConnected = RGB(0, 100, 190);
inline constexpr COLORREF k2G = RGB(0, 140, 0);
inline constexpr COLORREF k3G = RGB(0, 90, 200);
inline constexpr COLORREF kAuto = RGB(230, 120, 0);
inline constexpr COLORREF kLock = RGB(200, 20, 20);
inline constexpr COLORREF kUnknown = RGB(150, 150, 150);
inline constexpr COLORREF kMagenta = RGB(255, 0, 255);

// Whether the 25 x 25 icon cell at x (y from 1) of a bitmap holds a pixel of `colour`.
inline bool CellHas(HBITMAP bitmap, int x, COLORREF colour, int y0 = 1) {
  for (int y = y0; y < y0 + 25; ++y)
    for (int dx = 0; dx < 25; ++dx)
      if (ce::gdi::BitmapPixel(bitmap, x + dx, y) == colour) return true;
  return false;
}

// Whether a rectangle of a bitmap holds a pixel darker than mid grey (text).
inline bool HasDarkPixel(HBITMAP bitmap, RECT r) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      const COLORREF c = ce::gdi::BitmapPixel(bitmap, x, y);
      if (c != CLR_INVALID && (c & 0xFF) < 100 && ((c >> 8) & 0xFF) < 100 && ((c >> 16) & 0xFF) < 100) return true;
    }
  return false;
}

// Velomar's settings as its install seeds them, its themes and its item registration.
inline void InstallVelomarForToday() {
  ASSERT_TRUE(velomar::SeedSettings());
  ASSERT_TRUE(velomar::InstallThemes());
  ASSERT_TRUE(velomar::RegisterTodayItem());
}

inline void SetSetting(const WCHAR* name, const std::u16string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVelomarSettingsKey, 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(key);
}

inline void SetSetting(const WCHAR* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVelomarSettingsKey, 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

// A stand-in for Velomar's main window (class "MainWindow"), on the thread that makes it. It keeps
// every protocol message it gets; on WM_TODAY_REGISTER it keeps the item's handle and posts every
// status it holds and its cell id and LAC to the item, as the main window does.
class StandInMain {
 public:
  struct Received {
    UINT msg;
    WPARAM wparam;
  };

  StandInMain() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = kVelomarMainWindowClass;
    RegisterClassW(&wc);  // a second stand-in finds the class there
    m_hwnd = CreateWindowW(kVelomarMainWindowClass, kVelomarMainWindowClass, 0, 0, 0, 10, 10, nullptr, nullptr,
                           nullptr, nullptr);
    SetWindowLongPtrW(m_hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~StandInMain() { Quit(); }
  StandInMain(const StandInMain&) = delete;
  StandInMain& operator=(const StandInMain&) = delete;

  // Velomar quits: the window goes.
  void Quit() {
    if (m_hwnd) {
      SetWindowLongPtrW(m_hwnd, GWL_USERDATA, 0);
      DestroyWindow(m_hwnd);
      m_hwnd = nullptr;
    }
  }

  HWND hwnd() const { return m_hwnd; }
  HWND item() const { return m_item; }
  const std::vector<Received>& received() const { return m_received; }
  void ClearReceived() { m_received.clear(); }
  int Count(UINT msg) const {
    int n = 0;
    for (const Received& r : m_received) n += r.msg == msg;
    return n;
  }
  // The statuses posted at registration: (manager id, status) in order, then cell id and LAC.
  void SetStatuses(std::vector<std::pair<int, int>> statuses, DWORD cell, DWORD lac) {
    m_statuses = std::move(statuses);
    m_cell = cell;
    m_lac = lac;
  }

 private:
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<StandInMain*>(GetWindowLongPtrW(hwnd, GWL_USERDATA));
    if (self == nullptr || msg < WM_TODAY_REGISTER || msg > WM_TODAY_TAP_ICON5)
      return DefWindowProcW(hwnd, msg, wparam, lparam);
    self->m_received.push_back({msg, wparam});
    if (msg == WM_TODAY_REGISTER) {
      self->m_item = reinterpret_cast<HWND>(wparam);
      for (auto [id, status] : self->m_statuses)
        PostMessageW(self->m_item, WM_TODAY_MGR_STATUS, static_cast<WPARAM>(id), status);
      PostMessageW(self->m_item, WM_TODAY_STATE, self->m_cell, static_cast<LPARAM>(self->m_lac));
    }
    return 0;
  }

  HWND m_hwnd = nullptr;
  HWND m_item = nullptr;
  std::vector<Received> m_received;
  std::vector<std::pair<int, int>> m_statuses;
  DWORD m_cell = 0;
  DWORD m_lac = 0;
};

// Dispatches every message waiting for this thread.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace today_test
