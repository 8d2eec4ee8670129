// The main window of Velomar, as the process's message hub: the hidden top-level window of class
// "MainWindow" that a second start and the Today item find, which receives the relaunch messages
// (WM_USER+200 timer notifications, fanned out to the registered targets in their order;
// WM_USER+201 the connections manager's idle check), the Bluetooth manager's wake-up (WM_APP+1)
// and the Connection Manager's status message, decides whether a close is accepted, and tells
// the Today item of statuses and of the place and period in force (once an item has registered).
//
// Everything runs on the thread that owns the window, except the Today posts, which any thread may
// make (they only read the item's handle and post).
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "velomar/core/managers/Listeners.h"
#include "velomar/ui/BaseWindow.h"

// Messages of the Today item protocol that the main window posts.
#define WM_TODAY_STATE (0x0400u + 204)        // wParam cell id, lParam LAC
#define WM_TODAY_MGR_STATUS (0x0400u + 205)   // wParam manager id, lParam status
#define WM_TODAY_PLACE_CHANGED (0x0400u + 206)

class CWindowMain : public CBaseWindow {
 public:
  // Registers itself with the application as its main window.
  CWindowMain(int background, BYTE base_flag);
  // Leaves the application first (nothing reaches the window from then on), then stops listening.
  ~CWindowMain() override;

  // Creates the hidden window: 0 when another instance runs or the window cannot be made.
  int InitGUI(HINSTANCE instance, int value1, int value2) override;
  LRESULT OnClose(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Ends the message loop (exit code 0).
  LRESULT OnDestroy(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  // Timer-notification targets, told in registration order (not owned).
  virtual void AddTimerNotificationListener(ITimerNotificationListener* listener);
  // Calls every target with (manager id, notification id); returns 0.
  virtual LRESULT OnTimerNotification(WPARAM mgr_id, LPARAM notification_id);
  virtual LRESULT OnIdleNotification();

  // The Today item: a manager's status, the radio's cell and LAC, and the place and period in
  // force (stored as "current_place" and "current_frame" in every case). Posts only once an item
  // has registered. Any thread.
  virtual void PostTodayStatus(int mgr_id, int status);
  virtual void PostTodayState(DWORD cell_id, DWORD lac);
  virtual void SetCurrentPlaceAndFrame(const std::u16string& place, const std::u16string& frame);

  // The location display is drawn again (the whole window until the location button exists).
  void RefreshCurrentLocation();

  // Set by the Exit command and the restart request; every WM_CLOSE clears it.
  void SetCloseRequested(bool requested) { m_closeRequested = requested ? 1 : 0; }
  HWND GetTodayItem() const { return m_todayItem.load(); }
  UINT GetConnectionsMessage() const { return m_connectionsMessage; }

 private:
  int m_background;
  std::atomic<int> m_closeRequested{0};
  std::atomic<HWND> m_todayItem{nullptr};
  std::vector<ITimerNotificationListener*> m_timerListeners;
  UINT m_connectionsMessage = 0;
};
