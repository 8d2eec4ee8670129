#include "velomar/dialogs/DialogMessage.h"

#include "platform/dialogs/aygshell.h"
#include "platform/window/window.h"
#include "velomar/core/Trace.h"

namespace {
constexpr int kRecipientEdit = 1058;
constexpr int kSubjectEdit = 1060;
constexpr int kTextEdit = 1061;
constexpr int kTextChars = 259;
}  // namespace

CDialogMessage::CDialogMessage(HWND parent, UINT template_id, int sms)
    : CBaseDialog(template_id, parent, nullptr, 157), m_sms(sms) {}

INT_PTR CDialogMessage::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogMessage::OnInit");
  SHSipPreference(hwnd, SIP_UP);
  SetDlgItemTextW(hwnd, kRecipientEdit, m_recipient.c_str());
  SetDlgItemTextW(hwnd, kSubjectEdit, m_subject.c_str());
  SetDlgItemTextW(hwnd, kTextEdit, m_text.c_str());
  if (m_sms == 1) EnableWindow(GetDlgItem(hwnd, kSubjectEdit), FALSE);
  SetCaption(u"DIALOG_MESSAGE_TITLE");
  SetItemText(1095, u"DIALOG_MESSAGE_TO");
  SetItemText(1097, u"DIALOG_MESSAGE_SUBJECT");
  SetItemText(1098, u"DIALOG_MESSAGE_TEXT");
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

INT_PTR CDialogMessage::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK || command == kCmdSave) {
    const std::pair<int, std::u16string*> fields[] = {
        {kRecipientEdit, &m_recipient}, {kSubjectEdit, &m_subject}, {kTextEdit, &m_text}};
    for (const auto& [control, field] : fields) {
      const std::u16string text = ItemText(control, kTextChars);
      if (!text.empty()) *field = text;
    }
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  }
  return TRUE;
}
