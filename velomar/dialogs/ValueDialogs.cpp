#include "velomar/dialogs/ValueDialogs.h"

#include "platform/controls/commctrl.h"
#include "platform/dialogs/aygshell.h"
#include "platform/window/window.h"
#include "velomar/core/Trace.h"
#include "velomar/dialogs/NumberText.h"

namespace {
constexpr int kBatteryTrack = 1062;
constexpr int kExternalTrack = 1064;
constexpr int kNumberEdit = 1061;
constexpr int kHoursEdit = 1049;
constexpr int kMinutesEdit = 1051;
}  // namespace

CDialogBacklight::CDialogBacklight(HWND parent, UINT template_id) : CBaseDialog(template_id, parent, nullptr, 157) {}

INT_PTR CDialogBacklight::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogBacklight::OnInit");
  SendDlgItemMessageW(hwnd, kBatteryTrack, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendDlgItemMessageW(hwnd, kBatteryTrack, TBM_SETPOS, TRUE, m_batteryLevel);
  SendDlgItemMessageW(hwnd, kExternalTrack, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendDlgItemMessageW(hwnd, kExternalTrack, TBM_SETPOS, TRUE, m_externalLevel);
  SetCaption(u"DIALOG_BACKLIGHT_TITLE");
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

INT_PTR CDialogBacklight::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == kCmdSave) {
    m_batteryLevel = static_cast<int>(SendDlgItemMessageW(hwnd, kBatteryTrack, TBM_GETPOS, 0, 0));
    m_externalLevel = static_cast<int>(SendDlgItemMessageW(hwnd, kExternalTrack, TBM_GETPOS, 0, 0));
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  }
  return TRUE;
}

CDialogCallForward::CDialogCallForward(HWND parent, UINT template_id)
    : CBaseDialog(template_id, parent, nullptr, 157) {}

INT_PTR CDialogCallForward::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogCallForward::OnInit");
  SHSipPreference(hwnd, SIP_UP);
  SetDlgItemTextW(hwnd, kNumberEdit, m_number.c_str());
  SetItemText(1094, u"NUMBER");
  SetCaption(u"DIALOG_CALL_FORWARD_TITLE");
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

INT_PTR CDialogCallForward::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == kCmdSave) {
    const std::u16string number = ItemText(kNumberEdit, 258);
    if (!number.empty()) m_number = number;
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  }
  return TRUE;
}

CDialogCustomTime::CDialogCustomTime(HWND parent, UINT template_id) : CBaseDialog(template_id, parent, nullptr, 157) {}

INT_PTR CDialogCustomTime::OnInit(HWND, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogCustomTime::OnInit");
  SetItemText(1089, u"HOURS");
  SetItemText(1090, u"MINUTES");
  SetItemText(IDOK, u"SAVE");
  SetItemText(IDCANCEL, u"CANCEL");
  SetCaption(u"DIALOG_CUSTOM_TIME_TITLE");
  SetStandardSoftKeys(kCmdMenuKey, IDOK);
  return TRUE;
}

INT_PTR CDialogCustomTime::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK) {
    m_hours = velomar::dialogs::ParseTypedNumber(ItemText(kHoursEdit, 9)).value_or(0);
    m_minutes = velomar::dialogs::ParseTypedNumber(ItemText(kMinutesEdit, 9)).value_or(0);
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  }
  return TRUE;
}
