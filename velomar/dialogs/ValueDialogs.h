// Three dialogs that ask for one value each and leave it in their fields: the two backlight levels
// (trackbars 0..10), the number calls are forwarded to, and a duration in hours and minutes. Each
// uses soft-key bar 157 and ends with 1 on save, 2 on cancel; the opener fills the fields before
// DoModal and reads them after a 1.
#pragma once

#include <string>

#include "velomar/dialogs/BaseDialog.h"

// Template 163. Save: 40043 or IDOK.
class CDialogBacklight : public CBaseDialog {
 public:
  CDialogBacklight(HWND parent, UINT template_id);
  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  int m_externalLevel = 0;  // on external power, 0..10
  int m_batteryLevel = 0;   // on battery, 0..10
};

// Template 161. An empty edit keeps the number the opener gave. Save: 40043 or IDOK.
class CDialogCallForward : public CBaseDialog {
 public:
  CDialogCallForward(HWND parent, UINT template_id);
  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  std::u16string m_number;
};

// Template 143. The edits (at most 9 characters each) start empty and are read as typed: no
// range, empty is 0. Save: IDOK.
class CDialogCustomTime : public CBaseDialog {
 public:
  CDialogCustomTime(HWND parent, UINT template_id);
  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  int m_hours = 0;
  int m_minutes = 0;
};
