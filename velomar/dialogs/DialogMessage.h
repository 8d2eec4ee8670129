// The recipient, subject and text of a mail or SMS action (or an SMS sent at once). For an SMS the
// subject is shown but disabled. Templates: portrait 157, landscape 158, square 159; soft-key bar
// 157. DoModal answers 1 after Save (an emptied control keeps its field as it came in), 2 on
// cancel (fields unchanged).
#pragma once

#include <string>

#include "velomar/dialogs/BaseDialog.h"

class CDialogMessage : public CBaseDialog {
 public:
  CDialogMessage(HWND parent, UINT template_id, int sms);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotify(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }

  std::u16string m_recipient;
  std::u16string m_subject;
  std::u16string m_text;
  int m_sms;
};
