// The base of every small modal dialog of Velomar: one dialog procedure shared by all, the map from
// a dialog window to its object (one for the program, under a lock, since the event detail dialog
// runs on a thread of its own), modal creation from a resource template, the soft-key bar, and the
// default answers to the messages a dialog does not handle.
//
// The opener builds the dialog on its stack, calls DoModal, reads the dialog's result fields and
// destroys it. DoModal answers what the dialog passed to EndDialog, or -1 when it could not be
// created ("ERROR CREATING DIALOG" then goes to the error report). The map entry of a dialog is
// removed when DoModal ends, so no message reaches an ended dialog's object.
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/dialogs/dialogs.h"
#include "velomar/ui/HelpProvider.h"

// Commands of the soft keys and their menus.
inline constexpr UINT kCmdLeftKey = 101;
inline constexpr UINT kCmdMenuKey = 40006;
inline constexpr UINT kCmdMenuKeyAlt = 40009;
inline constexpr UINT kCmdSaveAddPlace = 40013;
inline constexpr UINT kCmdSaveTimeFrame = 40022;
inline constexpr UINT kCmdSave = 40043;
inline constexpr UINT kCmdHelp = 40241;
inline constexpr UINT kCmdChanges = 40239;

class CBaseDialog : public CHelpProvider {
 public:
  // A null procedure selects DialogProc. A soft-key bar id of 0 creates no bar.
  CBaseDialog(UINT template_id, HWND parent, DLGPROC procedure, UINT softkey_bar_id);
  ~CBaseDialog() override = default;
  CBaseDialog(const CBaseDialog&) = delete;
  CBaseDialog& operator=(const CBaseDialog&) = delete;

  virtual INT_PTR DoModal();
  // Creates the soft-key bar, then OnInit. A bar that cannot be created is reported in a box and
  // OnInit is not called.
  virtual INT_PTR OnInitDialog(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // IDOK and IDCANCEL end the dialog with 0; TRUE for every command.
  virtual INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnCtlColorStatic(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual INT_PTR OnNotify(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

  HWND GetDialogWindow() const { return m_dialog; }
  UINT GetTemplateId() const { return m_templateId; }

  static INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // The object of a dialog window that is running, or null (tests).
  static CBaseDialog* FindDialog(HWND hwnd);

 protected:
  // The translated text of `id`.
  static std::u16string Text(const WCHAR* id);
  // Control `control` (0: the dialog's caption) shows the translated text of `id`.
  void SetItemText(int control, const WCHAR* id);
  void SetCaption(const WCHAR* id);
  // The control's text, at most `max_chars` characters.
  std::u16string ItemText(int control, int max_chars) const;
  // The usual soft keys: the left key shows "CANCEL", the right key (`menu_key`) "MENU_MENU", and
  // the first item of the right key's menu becomes "SAVE" with `save_command`.
  void SetStandardSoftKeys(UINT menu_key, UINT save_command);
  // The soft key with command `command` shows `text`.
  void SetSoftKeyText(UINT command, const std::u16string& text);
  // The item at `position` of the menu of soft key `menu_key` is replaced by `text` with `command`.
  void ReplaceMenuItem(UINT menu_key, int position, UINT command, const std::u16string& text);

  UINT m_templateId;
  UINT m_softkeyBarId;
  HWND m_parent;
  HWND m_dialog = nullptr;
  DLGPROC m_procedure;
};
