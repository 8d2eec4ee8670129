#include "velomar/dialogs/DialogSoundLevel.h"

#include "platform/window/window.h"
#include "velomar/core/Trace.h"

CDialogSoundLevel::CDialogSoundLevel(HWND parent, UINT template_id) : CBaseDialog(template_id, parent, nullptr, 155) {}

INT_PTR CDialogSoundLevel::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogSoundLevel::OnInit");
  SetFocus(GetDlgItem(hwnd, 1062));
  SetCaption(u"DIALOG_SOUND_LEVEL_TITLE");
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  SetSoftKeyText(kCmdMenuKeyAlt, u"");
  return TRUE;
}

INT_PTR CDialogSoundLevel::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  int level = 0;
  switch (LOWORD(wparam)) {
    case 1057: level = 1; break;
    case 1059: level = 2; break;
    case 1060: level = 3; break;
    case 1061: level = 4; break;
    case 1062:
    case IDOK: level = 5; break;
    case IDCANCEL: EndDialog(hwnd, 2); return TRUE;
    default: return TRUE;
  }
  m_level = level;
  EndDialog(hwnd, 1);
  return TRUE;
}
