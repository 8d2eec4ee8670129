// The week days an action runs on and whether it is enabled, as an eight-digit day mask: the
// digits of "%08d" read Sunday, Saturday, Friday, Thursday, Wednesday, Tuesday, Monday, enabled; a
// 0 digit means "runs that day" (last digit: enabled). So 0 is every day and enabled. Template
// 160 (check boxes 1009 Monday .. 1015 Sunday, 1016 Enabled); soft-key bar 157. DoModal answers 1
// with the mask set, 2 after cancel.
#pragma once

#include "velomar/dialogs/BaseDialog.h"

class CDialogWeek : public CBaseDialog {
 public:
  CDialogWeek(HWND parent, UINT template_id, int day_mask);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotify(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }

  // The flags from a mask (1 = checked) and the mask from the flags; order: enabled, Monday ..
  // Sunday. Digits other than 0 count as unchecked; a mask longer than eight digits is read by
  // the same positions from the left.
  static void FlagsOfMask(int mask, int flags[8]);
  static int MaskOfFlags(const int flags[8]);

  int m_enabled = 0, m_monday = 0, m_tuesday = 0, m_wednesday = 0, m_thursday = 0, m_friday = 0, m_saturday = 0,
      m_sunday = 0;
  int m_dayMask;
};
