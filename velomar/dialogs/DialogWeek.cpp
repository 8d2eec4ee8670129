#include "velomar/dialogs/DialogWeek.h"

#include <cstdio>

#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"
#include "velomar/core/Trace.h"

namespace {
constexpr int kFirstDayBox = 1009;  // Monday .. 1015 Sunday
constexpr int kEnabledBox = 1016;
}  // namespace

CDialogWeek::CDialogWeek(HWND parent, UINT template_id, int day_mask)
    : CBaseDialog(template_id, parent, nullptr, 157), m_dayMask(day_mask) {
  int flags[8];
  FlagsOfMask(day_mask, flags);
  m_enabled = flags[0];
  m_monday = flags[1];
  m_tuesday = flags[2];
  m_wednesday = flags[3];
  m_thursday = flags[4];
  m_friday = flags[5];
  m_saturday = flags[6];
  m_sunday = flags[7];
}

void CDialogWeek::FlagsOfMask(int mask, int flags[8]) {
  // Any 32-bit value fits this buffer; digits 1..8 from the left, as the engine reads them.
  char digits[16] = {};
  std::snprintf(digits, sizeof digits, "%08d", mask);
  // digit 8 -> enabled, 7 -> Monday, ..., 1 -> Sunday; a flag is 1 when its digit is 0.
  for (int i = 0; i < 8; ++i) flags[i] = digits[7 - i] == '0' ? 1 : 0;
}

int CDialogWeek::MaskOfFlags(const int flags[8]) {
  char digits[9] = {};
  for (int i = 0; i < 8; ++i) digits[7 - i] = flags[i] ? '0' : '1';
  int mask = 0;
  std::sscanf(digits, "%d", &mask);
  return mask;
}

INT_PTR CDialogWeek::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogWeek::OnInit");
  const int days[7] = {m_monday, m_tuesday, m_wednesday, m_thursday, m_friday, m_saturday, m_sunday};
  for (int i = 0; i < 7; ++i) SendDlgItemMessageW(hwnd, kFirstDayBox + i, BM_SETCHECK, days[i] != 0, 0);
  SendDlgItemMessageW(hwnd, kEnabledBox, BM_SETCHECK, m_enabled != 0, 0);
  SetCaption(u"DIALOG_WEEK_TITLE");
  SetItemText(1009, u"DIALOG_WEEK_MONDAY");
  SetItemText(1010, u"DIALOG_WEEK_TUESDAY");
  SetItemText(1011, u"DIALOG_WEEK_WEDNESDAY");
  SetItemText(1012, u"DIALOG_WEEK_THURSDAY");
  SetItemText(1013, u"DIALOG_WEEK_FRIDAY");
  SetItemText(1014, u"DIALOG_WEEK_SATURDAY");
  SetItemText(1015, u"DIALOG_WEEK_SUNDAY");
  SetItemText(kEnabledBox, u"DIALOG_WEEK_ENABLED");
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

INT_PTR CDialogWeek::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == kCmdSave) {
    auto checked = [&](int id) { return SendDlgItemMessageW(hwnd, id, BM_GETCHECK, 0, 0) == 1 ? 1 : 0; };
    m_monday = checked(1009);
    m_tuesday = checked(1010);
    m_wednesday = checked(1011);
    m_thursday = checked(1012);
    m_friday = checked(1013);
    m_saturday = checked(1014);
    m_sunday = checked(1015);
    m_enabled = checked(kEnabledBox);
    const int flags[8] = {m_enabled, m_monday, m_tuesday, m_wednesday, m_thursday, m_friday, m_saturday, m_sunday};
    m_dayMask = MaskOfFlags(flags);
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  }
  return TRUE;
}
