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
#include <mutex>
#include <string>
#include <vector>

#include "todayvelomar/TodayProtocol.h"
#include "velomar/core/managers/Listeners.h"
#include "velomar/ui/BarConfig.h"
#include "velomar/ui/BaseWindow.h"
#include "velomar/ui/ThemeRecords.h"

class CButtonOwnCurrentLocation;
class CButtonOwnDrawImage;
class CSkin;

class CStrPlace;

// --- window side: the tray icon's message (the Today item's are in TodayProtocol.h) ---
#define WM_TRAY_NOTIFY (0x0400u + 2)  // wParam icon id, lParam the pen message
// The tray icon's id.
constexpr UINT kTrayIconId = 14;
// --- end of window side ---

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

  // --- window side: skin, buttons, bars, painting, popups, Today item and tray, debug line ---
  // (WindowMainLayout.cpp, WindowMainPaint.cpp, WindowMainToday.cpp, ManagerPopups.cpp)
  // Hides the window (the F6 key).
  LRESULT OnEnterButton(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Layout by screen mode: 60 x 65 buttons in portrait and on a 480-high landscape screen, else
  // 40 x 45; the skin and bars are read again and the buttons laid out when the orientation changes.
  LRESULT OnSize(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Background, power and signal images, the two bars, the debug line, the title text and the
  // place line under the location button.
  LRESULT OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Rows from the bottom-left corner upward; the location button keeps its skin place.
  void ReorderShell() override;
  // The location button, when not layout-managed, keeps the place it has; every button first
  // re-reads its settings.
  bool PlaceApart(CButtonOwnDrawImage* button) override;
  void AfterReorder() override;
  // The free text drawn at the top (a focused button's line text).
  virtual void SetTitleText(const std::u16string& text);
  virtual void DrawTitleText(HDC hdc);
  virtual CSkin* GetSkinReader();
  // WM_ACTIVATE: activation sets the shown flag (and activates an open popup: then 1); a
  // deactivation while the flag is clear hides the window.
  virtual LRESULT OnActivate(WPARAM wparam, LPARAM lparam);
  // A manager's status by id; 10 the cell id, 11 the LAC; 1000 for an unknown id.
  virtual int GetManagerStatus(int id);
  // The background image and the place line's text state from the window's skin section.
  virtual void ReadSkin();

  // The manager popups (owner: the window the popups are shown over; the main window's own
  // handle, or the desktop for a Today tap). Each returns 0.
  virtual LRESULT OnBTPopup(HWND owner);
  virtual LRESULT OnSpeakerPopup(HWND owner);
  virtual LRESULT OnBandPopup(HWND owner);
  virtual LRESULT OnConnectionsPopup(HWND owner);
  virtual LRESULT OnWifiPopup(HWND owner);
  // The phone button's time-limit popup; the chosen limit toggles the radio.
  virtual LRESULT OnPhonePopup(HWND owner);
  // The places popup of the location button.
  virtual LRESULT OnPlacesPopup(HWND owner);
  // Locking a place: the warning (when `warn`), the place chooser, the time limit, the lock.
  virtual LRESULT OnLockPopup(HWND owner, int warn);
  // Assigning the current location to a place chosen from the list.
  virtual LRESULT OnAssignPlace();

  // The Today item: its registration (every status is sent again) and its taps.
  virtual LRESULT OnTodayRegister(WPARAM item);
  virtual LRESULT OnTodayTapText();
  virtual LRESULT OnTodayTapIcon(int icon);
  // A tap that comes while a popup is open waits until it is closed (the last one only).
  void SetActiveChild(CBaseWindow* child) override;
  // The tray icon: a tap (WM_LBUTTONUP) shows the window; the option adds or removes the icon.
  virtual LRESULT OnTrayNotify(WPARAM wparam, LPARAM lparam);
  void UpdateTrayIcon(int show);

  // The debug line ("debug_info" 1): pending and executed worker commands.
  void DrawDebugInfo(HDC hdc);
  // The refresh button: the debug line, every manager refreshed, the window repainted.
  LRESULT RefreshNotificationsDebugInfo();
  static void UpdateNotificationsDebugInfo();
  LRESULT OnWorkersPending(WPARAM total);
  LRESULT OnWorkersExecuted(WPARAM total);

  CButtonOwnCurrentLocation* GetLocationButton() const { return m_locationButton; }
  // The button of a manager (Wi-Fi, Bluetooth, speaker, phone, connections, band), or null.
  CButtonOwnDrawImage* GetManagerButton(int mgr_id) const;
  // The shown flag (set on activation; the hide command clears it).
  void SetShown(bool shown) { m_shown = shown ? 1 : 0; }
  bool IsShown() const { return m_shown.load() != 0; }
  int GetPendingTotal() const { return m_pendingTotal; }
  int GetExecutedTotal() const { return m_executedTotal; }
  const RECT& GetBatteryBarRect() const { return m_batteryBarRect; }
  const RECT& GetSignalBarRect() const { return m_signalBarRect; }
  // Called once, on the window's thread, after the first paint of the visible window with its
  // buttons drawn (the program's screenshot).
  static void SetShownPaintHook(void (*hook)());
  // --- end of window side ---

 private:
  // --- window side ---
  // InitGUI's steps 4 to 7: bar images, skin, the phone listener, bars, the nine buttons, tray.
  // False when the tray icon was refused.
  bool CreateSkinAndButtons(HINSTANCE instance);
  // The messages of the window side; false when `msg` is none of them.
  bool HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // Leaves the managers' listener lists and deletes the tray icon (destruction).
  void ReleaseWindowSide();
  // The button of a manager popup (for the state options' images), or null.
  CButtonOwnDrawImage* ButtonOfCommand(int id) const;
  // Paints the battery or signal bar and stores its rectangle.
  void PaintBar(HDC hdc, const CBarConfigXML& bar, const CTextHolder& image_record, int percent, bool right_edge,
                RECT& stored);

  // Repaints the power image when the phone manager reports a change of external power.
  class PowerListener : public IStatusListener {
   public:
    explicit PowerListener(CWindowMain* window) : m_window(window) {}
    void StatusChanged(int status, int mgr_id, int event) override;
    std::u16string GetName() override { return u"CWindowMain"; }

   private:
    CWindowMain* m_window;
  };
  PowerListener m_powerListener{this};
  bool m_powerListening = false;
  CButtonOwnDrawImage* m_btButton = nullptr;
  CButtonOwnDrawImage* m_speakerButton = nullptr;
  CButtonOwnDrawImage* m_wifiButton = nullptr;
  CButtonOwnCurrentLocation* m_locationButton = nullptr;
  CButtonOwnDrawImage* m_phoneButton = nullptr;
  CButtonOwnDrawImage* m_connectionsButton = nullptr;
  CButtonOwnDrawImage* m_bandButton = nullptr;
  CButtonOwnDrawImage* m_hideButton = nullptr;
  CButtonOwnDrawImage* m_refreshButton = nullptr;
  std::atomic<int> m_shown{0};
  CTextHolder m_backgroundImage;
  CTextState m_downText;
  std::u16string m_titleText;
  std::mutex m_rectLock;  // the power image's rectangle, which the phone listener repaints
  RECT m_powerRect{}, m_signalRect{}, m_batteryBarRect{}, m_signalBarRect{}, m_debugRect{};
  int m_pendingTotal = 0;
  int m_executedTotal = 0;
  int m_thirdCounter = 0;
  SYSTEMTIME m_debugTime{};
  CBarBatteryConfigXML m_batteryBar;
  CBarSignalConfigXML m_signalBar;
  bool m_shownPaintDone = false;
  UINT m_pendingTap = 0;
  // --- end of window side ---

  int m_background;
  std::atomic<int> m_closeRequested{0};
  std::atomic<HWND> m_todayItem{nullptr};
  // The place and period written to the settings as one pair (the location button on the UI
  // thread and the schedule engine on its own both write them).
  std::mutex m_placeFrameLock;
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
  // ---- end of commands and menus ----
};
