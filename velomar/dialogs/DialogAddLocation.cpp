#include "velomar/dialogs/DialogAddLocation.h"

#include "platform/controls/controls.h"
#include "platform/dialogs/aygshell.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/dialogs/NumberText.h"

namespace {
constexpr int kLabel = 1078;
constexpr int kEdit = 1077;
constexpr int kMaxChars = 18;
}  // namespace

CDialogAddLocation::CDialogAddLocation(HWND parent, UINT template_id, int cell_mode)
    : CBaseDialog(template_id, parent, nullptr, 157), m_cellMode(cell_mode) {}

INT_PTR CDialogAddLocation::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogAddLocation::OnInit");
  SetCaption(u"DIALOG_ADD_LOCATION_TITLE");
  SetDlgItemTextW(hwnd, kLabel, m_cellMode ? u"Cell ID:" : u"LAC:");
  SetItemText(IDOK, u"SAVE");
  SetItemText(IDCANCEL, u"CANCEL");
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

INT_PTR CDialogAddLocation::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  if (HIWORD(wparam) == EN_SETFOCUS) SHSipPreference(hwnd, SIP_UP);
  const UINT command = LOWORD(wparam);
  if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  } else if (command == IDOK || command == kCmdSave) {
    const auto value = velomar::dialogs::ParseTypedNumber(ItemText(kEdit, kMaxChars));
    if (!value || *value < 1) {
      ErrorBox(hwnd, u"%s", Text(u"ENTER LOCATION").c_str());
      return TRUE;
    }
    m_value = *value;
    EndDialog(hwnd, 1);
  }
  return TRUE;
}
