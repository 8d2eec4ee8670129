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

#include "todayvelomar/TodayProtocol.h"
#include "velomar/core/managers/Listeners.h"
#include "velomar/ui/BaseWindow.h"

class CStrPlace;

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

  // ---- Commands and menus (WindowMainMenus.cpp, WindowMainCommands.cpp, WindowMainPlugs.cpp) ----
 public:
  // The soft keys (left "hide", right the menu) and their menu, with texts of the loaded
  // language; the orientation is left undetermined for the first WM_SIZE. A menu bar that cannot
  // be made is told in a box ("ERROR CREATING MENU") and the window is not created (-1).
  LRESULT OnCreate(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Greys the items of the current-location submenu by the location's place and the lock; 1.
  LRESULT OnInitMenuPopup(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // The command table (the low word of wParam), with the wait cursor while a command runs;
  // unknown ids go to the default procedure.
  LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  // Operations the places popup also calls.
  void OpenOptionsSheet(int page);  // the options sheet from `page` (0 places, 1 profiles)
  void AddPlaceForCurrentLocation();
  void UnlockPlace();

  HMENU GetLocationMenu() const { return m_locationMenu; }
  HWND GetMenuBar() const { return m_menuBar; }
  int IsModal() const { return m_modal; }

  // -- Stand-ins until the window side (popups, debug line, activation) is built; WindowMainPlugs.cpp --
  // The manager popups, the phone's time-limit popup, the places popup, the lock popup and the
  // assign popup: nothing yet; each returns 0.
  virtual LRESULT OnBTPopup(HWND owner);
  virtual LRESULT OnSpeakerPopup(HWND owner);
  virtual LRESULT OnBandPopup(HWND owner);
  virtual LRESULT OnConnectionsPopup(HWND owner);
  virtual LRESULT OnWifiPopup(HWND owner);
  virtual LRESULT OnPhonePopup(HWND owner);
  virtual LRESULT OnPlacesPopup(HWND owner);
  virtual LRESULT OnLockPopup(HWND owner, int warn);
  virtual LRESULT OnAssignPlace();
  // The refresh command: the window drawn again, every manager refreshed.
  LRESULT RefreshNotificationsDebugInfo();
  // The worker statistics (WM_USER+100, +101): stored, the window drawn again.
  LRESULT OnWorkersPending(WPARAM total);
  LRESULT OnWorkersExecuted(WPARAM total);
  int GetPendingTotal() const { return m_pendingTotal; }
  int GetExecutedTotal() const { return m_executedTotal; }
  // The shown flag (the hide command clears it).
  void SetShown(bool shown) { m_shown = shown ? 1 : 0; }
  bool IsShown() const { return m_shown.load() != 0; }
  // -- end of the stand-ins --

 protected:
  // The dialogs and the options sheet the commands open, one function each (the dialogs in
  // WindowMainDialogs.cpp; the options sheet, until it is built, answers as if cancelled, in
  // WindowMainPlugs.cpp).
  virtual void RunAboutDialog(int template_id);
  virtual void ShowMainWindowHelp();
  virtual void RunOptionsSheet(int start_page);
  // The add-place dialog: true on OK, with the new place in `place`.
  virtual bool RunAddPlaceDialog(int template_id, CStrPlace& place);
  // The message dialog (mode 0 mail, 1 SMS): true on OK.
  virtual bool RunMessageDialog(int template_id, int mode, std::u16string& to, std::u16string& subject,
                                std::u16string& text);
  // The call-forward dialog: true on OK, with the number.
  virtual bool RunCallForwardDialog(std::u16string& number);
  // The backlight dialog preset with both levels; its result (0 when it could not be shown).
  virtual int RunBacklightDialog(DWORD& battery_level, DWORD& external_level);
  // The Today theme dialog: true on OK, with the theme.
  virtual bool RunThemeDialog(std::u16string& theme);
  // The ring dialog preset with volume, sound file and script: true on OK; `script_changed` set
  // when the script differs from the preset one.
  virtual bool RunRingDialog(DWORD& volume, std::u16string& sound_file, std::u16string& script, bool& script_changed);

 private:
  void BuildMenus();
  void DrawBackgroundImage();
  // One command of the table; false when the id is not one of the window's.
  bool RunCommand(int command);
  void HideWindow();
  void SendTestMessage(int mode);
  void OnBacklight();
  void OnRingTone();
  void OnMemoryReport();
  void OnLocationReport();
  void AfterDatabaseChange();
  int TemplateByOrientation(int portrait, int landscape, int square);

  HWND m_menuBar = nullptr;
  HMENU m_locationMenu = nullptr;
  int m_modal = 0;
  // (stand-ins, see above)
  std::atomic<int> m_shown{0};
  int m_pendingTotal = 0;
  int m_executedTotal = 0;
  // ---- end of commands and menus ----
};
