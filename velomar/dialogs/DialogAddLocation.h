// Asks for one location number, a cell id (cell mode) or a location area code. Template 167 in
// every screen mode; soft-key bar 157. DoModal answers 1 with the value set, 2 on cancel; a number
// below 1, or one too large for 32 bits, shows "ENTER LOCATION" and keeps the dialog open.
#pragma once

#include "velomar/dialogs/BaseDialog.h"

class CDialogAddLocation : public CBaseDialog {
 public:
  CDialogAddLocation(HWND parent, UINT template_id, int cell_mode);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  int m_value = 0;
  int m_cellMode;
};
