// The Today screen: a full-screen window that loads every enabled item registered under
// HKEY_LOCAL_MACHINE "\SOFTWARE\Microsoft\Today\Items\<name>" ("DLL" the library's CE path,
// "Enabled", "Order"), calls each library's ordinal 240 with the item's record and this window as
// parent, stacks the item windows at the heights they set, asks each whether it must be drawn
// again (WM_TODAYCUSTOM_QUERYREFRESHCACHE) at a steady rate and after a cache clear, answers the
// items' colour and background requests, and hands taps on an item to it as WM_LBUTTONUP in the
// item's coordinates.
//
// Everything runs on the thread that creates the window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/shell/today.h"

namespace todayhost {

inline constexpr const WCHAR* kHostClass = u"TodayHost";
inline constexpr const WCHAR* kItemsKey = u"\\SOFTWARE\\Microsoft\\Today\\Items";
// The refresh rate: every item is asked this often whether it must be drawn again.
inline constexpr UINT kRefreshMs = 1000;
// The Today screen's colours: a plain background and black text.
inline constexpr COLORREF kBackground = RGB(222, 234, 250);
inline constexpr COLORREF kTextColor = RGB(0, 0, 0);

// One registration as read from the registry.
struct ItemRegistration {
  std::u16string name;
  std::u16string library;
  DWORD order = 0;
  bool enabled = true;  // a registration without "Enabled" counts as enabled
};
// Every registration, by "Order" and then by name; a key without "DLL" is left out.
std::vector<ItemRegistration> ReadRegistrations();

class TodayHost {
 public:
  TodayHost() = default;
  ~TodayHost();
  TodayHost(const TodayHost&) = delete;
  TodayHost& operator=(const TodayHost&) = delete;

  // Creates the window, loads the enabled items, lays them out, asks them once and starts the
  // refresh timer. False when the window cannot be made (items that fail to load are reported
  // on stderr and left out).
  bool Create(HINSTANCE instance);
  // Destroys the item windows, unloads their libraries and destroys the window. WM_CLOSE does
  // the same and ends the message loop.
  void Close();

  // Asks every item whether it must be drawn again (after clearing its cache when `clear`),
  // stacks them again when a height changed and repaints those that answered 1. True when
  // something was repainted.
  bool Refresh(bool clear);

  HWND window() const { return m_window; }
  // The item windows, in their stacking order.
  std::vector<HWND> ItemWindows() const;
  // Called after every refresh that repainted something (the program saves its screenshot).
  void SetRepaintHook(std::function<void()> hook) { m_repaintHook = std::move(hook); }

 private:
  struct LoadedItem {
    TODAYLISTITEM record{};
    HMODULE module = nullptr;
  };

  static LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  void LoadItems();
  void Layout();
  void Tap(WPARAM wparam, LPARAM lparam);
  void UnloadItems();

  HINSTANCE m_instance = nullptr;
  HWND m_window = nullptr;
  HBRUSH m_background = nullptr;
  std::vector<std::unique_ptr<LoadedItem>> m_items;
  std::function<void()> m_repaintHook;
};

// The host's message loop: dispatches until WM_QUIT; a posted background request is dropped (its
// pointer cannot come from an item, which sends it). Returns the quit code.
int RunMessageLoop();

}  // namespace todayhost
