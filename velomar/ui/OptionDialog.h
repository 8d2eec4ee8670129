// The small modal popups of the main window: a titled box of skinned choices plus Cancel
// (COptionDialog), and the same with the fixed durations of a time-limited state
// (COptionDialogTimeLimit). The result is the command id of the choice; 109 is Cancel, and also
// what a popup closed without a choice (or never created) returns.
//
// The dialogs a popup may open (the custom duration, the place chooser, the sound level) belong to the program's dialogs; they are reached through PopupDialogs, and an
// entry whose dialog is not there does nothing (a chooser counts as cancelled).
//
// UI thread only.
#pragma once

#include <string>
#include <vector>

#include "velomar/ui/BaseWindow.h"

class CButtonOwnDrawText;

// The popups' command ids.
constexpr int kOptionCancel = 109;
constexpr int kTimeLimitNone = 999;
constexpr int kTimeLimitCustom = 144;

class COptionDialog : public CBaseWindow {
 public:
  // 0 in x, y, width or height: the popup works the value out. `owner` is told which popup is
  // open; `parent` is disabled while it is shown and enabled again afterwards.
  COptionDialog(const std::u16string& title, int x, int y, int width, int height, HWND parent, CBaseWindow* owner);
  ~COptionDialog() override;

  // Adds Cancel (always the last choice), creates the window and places the choices: in one row,
  // or rows of three when the popup is wider than its parent.
  int InitGUI(HINSTANCE instance, int value1, int value2) override;
  LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Enables and shows the parent again, and ends ShowModal's loop.
  LRESULT OnDestroy(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  LRESULT OnSize(HWND, UINT, WPARAM, LPARAM) override { return 0; }
  LRESULT OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Stores the choice and closes the popup.
  virtual LRESULT OnOptionChosen(HWND hwnd, int id);
  // Runs until the popup is closed; the choice, else 109. A popup without a window returns 109 at
  // once (its parent enabled again).
  virtual int ShowModal();

  // A text button made by the caller, its theme read; the popup owns it.
  void AddOption(CButtonOwnDrawText* button);
  const std::vector<CButtonOwnDrawText*>& GetOptions() const { return m_options; }
  int GetResult() const { return m_result; }
  // True when the result is a custom duration in minutes (1 to 65535), not a command id.
  bool IsCustom() const { return m_custom; }

 protected:
  // Gives the parent back (foreground, enabled, focused, shown) and hides the popup.
  void RestoreParent(HWND hwnd);
  // Makes a 60 x 65 text button with the translated text, command id and theme element.
  CButtonOwnDrawText* MakeButton(const std::u16string& text, int id, const char16_t* theme_id);
  // Registers a window class of the popups (a second registration is harmless).
  void RegisterClass(const WCHAR* name);
  // Makes the popup window of class `name` at that place and binds it to this object, titled with
  // the dialog's title; null (traced) when it cannot be made.
  HWND CreatePopup(const WCHAR* name, int x, int y, int width, int height, HINSTANCE instance);

  std::u16string m_title;
  std::vector<CButtonOwnDrawText*> m_options;
  int m_x, m_y, m_width, m_height;
  CBaseWindow* m_owner;
  int m_result = kOptionCancel;
  HWND m_parent;
  CButtonOwnDrawText* m_cancel = nullptr;
  bool m_custom = false;
};

class COptionDialogTimeLimit : public COptionDialog {
 public:
  // The size is doubled on a VGA screen.
  COptionDialogTimeLimit(const std::u16string& title, int x, int y, int width, int height, HWND parent,
                         CBaseWindow* owner);
  // No limit, 1, 5, 10, 30, 60, 120 minutes, custom and Cancel in rows of three.
  int InitGUI(HINSTANCE instance, int value1, int value2) override;
  // "Custom" opens the custom duration dialog: OK with 1 to 65535 minutes chooses that many
  // minutes (IsCustom); anything else leaves the popup open.
  LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
};

namespace velomar::ui {

// The program's dialogs the popups open; null entries are not there yet.
struct PopupDialogs {
  // The custom duration: 1 (OK) with hours and minutes set, anything else cancelled.
  int (*customTime)(HWND parent, int& hours, int& minutes) = nullptr;
  // The place list chooser with its template (153, 154, 155): 1 (OK) with the place's key.
  int (*choosePlace)(HWND parent, int template_id, int& place_key) = nullptr;
  // The sound level dialog (template 162): 1 (OK) with the level.
  int (*soundLevel)(HWND parent, int& level) = nullptr;
};
PopupDialogs& GetPopupDialogs();
// Points the popups at the program's own dialogs (the program does it as it makes its window).
void UseProgramPopupDialogs();

}  // namespace velomar::ui
