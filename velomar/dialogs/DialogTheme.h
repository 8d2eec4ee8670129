// Picks one of the device's Today themes, as the device's Today settings applet lists them: the
// applet ("ctlpnl.exe" with the arguments of HKEY_CLASSES_ROOT "\tskfile\Shell\Open\Command") is
// started, its theme list read item by item through a block of memory it can write into, and the
// applet closed. Template 164 (list view 1064); soft-key bar 157. DoModal answers 1 with the theme
// name set when a theme is selected, 2 otherwise.
#pragma once

#include <string>

#include "velomar/dialogs/BaseDialog.h"

class CDialogTheme : public CBaseDialog {
 public:
  CDialogTheme(HWND parent, UINT template_id);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  std::u16string m_themeName;

 private:
  void FillList();
};
