// The base of the option pages: one dialog procedure for every page window (PropertyPageProcGuard
// around PropertyPageProcGeneric), the process-wide map from a page window to its page object,
// the page's soft-key bar made anew on every activation, and default answers to the messages a
// page does not handle.
//
// A page is owned by its sheet (CPropertySheet), which creates the page's PROPSHEETPAGE through
// CreatePage and deletes the page with itself. The page window exists while the sheet is shown;
// it is bound to the page on WM_INITDIALOG. A page edits its values while shown and writes them
// when it loses activation (PSN_KILLACTIVE reaches OnKillActive).
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/prsht.h"
#include "velomar/ui/HelpProvider.h"

class CPropertySheet;

// The page windows' procedure: PropertyPageProcGeneric inside a guard that restarts the program
// when anything but a CBaseException leaves a page handler.
INT_PTR PropertyPageProcGuard(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
// Routes a page window's messages to its page object; a CBaseException of a handler is shown in
// its box and answered FALSE.
INT_PTR PropertyPageProcGeneric(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

class CPropertyPage : public CHelpProvider {
 public:
  // `menu_bar_id` 0: the page has no soft-key bar. A page without owner ignores every message.
  CPropertyPage(DLGPROC procedure, UINT menu_bar_id, CPropertySheet* owner);
  ~CPropertyPage() override = default;
  CPropertyPage(const CPropertyPage&) = delete;
  CPropertyPage& operator=(const CPropertyPage&) = delete;

  // The message handlers take the page window, the message and its parameters, and answer what
  // the dialog procedure returns (TRUE / FALSE, or a brush for the colour messages).

  // The page's PROPSHEETPAGE made into a handle; null (and "Error creating page %d" reported)
  // when it cannot be made.
  virtual HPROPSHEETPAGE CreatePage();
  // The page's template for the main window's screen mode.
  virtual UINT GetTemplateId() = 0;
  virtual void SetHwnd(HWND hwnd) { m_hwnd = hwnd; }
  virtual INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // OnInitDialogChild, then the shell's dialog sizing; answers OnInitDialogChild's result.
  virtual INT_PTR OnInitDialog(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnContextMenuChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnContextMenu(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnCtlColorStatic(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnCtlColorEdit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnKillFocus(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // A pen press that is not a tap-and-hold.
  virtual INT_PTR OnLButtonDown(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // PSN_KILLACTIVE -> OnKillActive; PSN_SETACTIVE -> a new soft-key bar, then OnSetActive; then
  // OnNotifyChild for every notification. A bar that cannot be made raises "ERROR CREATING MENU".
  // A control's tap-and-hold (GN_CONTEXTMENU, a held list row) also reaches OnContextMenu, with
  // the control as wParam and the held point (screen coordinates) as lParam, as WM_CONTEXTMENU.
  virtual INT_PTR OnNotify(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnNotifyChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnInitMenuPopup(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnSetActive();
  virtual INT_PTR OnKillActive();
  // The tab's title.
  virtual std::u16string GetTitle() { return u"???"; }

  HWND GetHwnd() const { return m_hwnd; }
  CPropertySheet* GetOwner() const { return m_owner; }
  HWND GetMenuBar() const { return m_menuBar; }

  // The page object of a page window of the open sheet, or null.
  static CPropertyPage* FindPage(HWND hwnd);
  // Forgets every page window (the sheet has closed).
  static void ClearPageMap();
  static std::size_t PageMapSize();

 protected:
  // The translated text of `id`.
  static std::u16string Text(const WCHAR* id);
  // Control `control` of the page shows the translated text of `id`.
  void SetItemText(int control, const WCHAR* id);
  // The soft key with command `command` shows `text`.
  void SetSoftKeyText(UINT command, const std::u16string& text);
  // Item `position` of the popup of soft key `menu_key` becomes `text` with `command` (an item is
  // appended when the popup has fewer).
  void SetMenuItem(UINT menu_key, int position, UINT command, const std::u16string& text);
  // The sheet window (the page's parent).
  HWND SheetWindow() const;
  // Closes the sheet as confirmed: every page writes its values (the sheet is never cancelled).
  void PostOkToSheet() const;
  // The soft keys of a page whose menu saves: the left key shows "CANCEL", the menu key
  // "MENU_MENU", and the menu holds "SAVE" and "MENU_HELP_TEXT".
  void ShowSaveHelpKeys();
  // The commands of those keys, and OK and cancel: the sheet closes as confirmed, or the page's
  // help is shown. False for any other command.
  bool SaveHelpCommand(UINT command);

  DLGPROC m_procedure;
  HWND m_hwnd = nullptr;
  UINT m_menuBarId;
  CPropertySheet* m_owner;
  HWND m_menuBar = nullptr;
};
