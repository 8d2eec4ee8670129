#include "velomar/dialogs/DialogTimeFrame.h"

#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/aygshell.h"
#include "platform/dialogs/message_box.h"
#include "platform/time/time.h"
#include "platform/window/window.h"
#include "velomar/core/Trace.h"
#include "velomar/places/Records.h"
#include "velomar/places/ScheduleEngine.h"

namespace {
constexpr int kNameEdit = 1020;
constexpr int kBeginPicker = 1023;
constexpr int kEndPicker = 1022;
constexpr int kNameChars = 258;

void SetPicker(HWND dialog, int id, const SYSTEMTIME& hour_minute) {
  SYSTEMTIME time{};
  GetLocalTime(&time);
  time.wHour = hour_minute.wHour;
  time.wMinute = hour_minute.wMinute;
  SendDlgItemMessageW(dialog, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

SYSTEMTIME ReadPicker(HWND dialog, int id) {
  SYSTEMTIME time{};
  SendDlgItemMessageW(dialog, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
  SYSTEMTIME hour_minute{};
  hour_minute.wHour = time.wHour;
  hour_minute.wMinute = time.wMinute;
  return hour_minute;
}
}  // namespace

CDialogTimeFrame::CDialogTimeFrame(HWND parent, UINT template_id, CStrPeriod* period, int is_new)
    : CBaseDialog(template_id, parent, nullptr, 113), m_new(is_new), m_period(period) {}

INT_PTR CDialogTimeFrame::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogTimeFrame::OnInit");
  for (int id : {kBeginPicker, kEndPicker})
    SendDlgItemMessageW(hwnd, id, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(u"HH:mm"));
  if (!m_new && m_period) {
    SetDlgItemTextW(hwnd, kNameEdit, m_period->GetName().c_str());
    SetPicker(hwnd, kBeginPicker, m_period->GetBegin());
    SetPicker(hwnd, kEndPicker, m_period->GetEnd());
  }
  SetCaption(u"DIALOG_TIME_FRAME_TITLE");
  SetItemText(1107, u"DIALOG_TIME_FRAME_NAME");
  SetItemText(1108, u"DIALOG_TIME_FRAME_BEGIN");
  SetItemText(1109, u"DIALOG_TIME_FRAME_END");
  SetStandardSoftKeys(kCmdMenuKeyAlt, kCmdSaveTimeFrame);
  return TRUE;
}

INT_PTR CDialogTimeFrame::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  if (HIWORD(wparam) == EN_SETFOCUS) SHSipPreference(hwnd, SIP_UP);
  const UINT command = LOWORD(wparam);
  if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  } else if (command == IDOK || command == kCmdSaveTimeFrame) {
    if (m_new) SaveNew();
    else SaveExisting();
  }
  return TRUE;
}

bool CDialogTimeFrame::ReadControls() {
  const SYSTEMTIME begin = ReadPicker(m_dialog, kBeginPicker);
  const SYSTEMTIME end = ReadPicker(m_dialog, kEndPicker);
  const std::u16string name = ItemText(kNameEdit, kNameChars);
  if (name.empty()) {
    MessageBoxW(m_dialog, Text(u"PLEASE FILL DATA").c_str(), nullptr, MB_ICONHAND);
    return false;
  }
  if (m_period == nullptr) return false;
  m_period->SetName(name);
  m_period->SetBegin(begin);
  m_period->SetEnd(end);
  return true;
}

void CDialogTimeFrame::SaveNew() {
  Trace(0, u"CDialogTimeFrame::SaveNew");
  if (!ReadControls()) return;
  if (CScheduleEngine::GetInstance()->AddPeriod(*m_period)) EndDialog(m_dialog, 1);
}

void CDialogTimeFrame::SaveExisting() {
  Trace(0, u"CDialogTimeFrame::SaveExisting");
  if (!ReadControls()) return;
  if (CScheduleEngine::GetInstance()->ModifyPeriod(*m_period)) EndDialog(m_dialog, 1);
}
