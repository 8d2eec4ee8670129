#include "velomar/dialogs/DialogChooseFile.h"

#include "platform/dialogs/commdlg.h"
#include "platform/window/window.h"
#include "velomar/core/Trace.h"

namespace {
constexpr int kPathEdit = 1056;
constexpr int kBrowse = 1057;
constexpr int kPathChars = 258;
}  // namespace

CDialogChooseFile::CDialogChooseFile(HWND parent, const WCHAR* filter)
    : CBaseDialog(156, parent, nullptr, 157), m_filter(filter) {}

INT_PTR CDialogChooseFile::OnInit(HWND, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogChooseFile::OnInit");
  SetStandardSoftKeys(kCmdMenuKey, kCmdSave);
  return TRUE;
}

INT_PTR CDialogChooseFile::OnNotify(HWND, UINT, WPARAM, LPARAM) {
  SetCaption(u"DIALOG_CHOOSE_FILE_TITLE");
  return FALSE;
}

INT_PTR CDialogChooseFile::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == kBrowse) {
    Browse();
  } else if (command == IDOK || command == kCmdSave) {
    const std::u16string path = ItemText(kPathEdit, kPathChars);
    if (!path.empty()) m_path = path;
    EndDialog(hwnd, 1);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  }
  return TRUE;
}

void CDialogChooseFile::Browse() {
  Trace(0, u"CDialogChooseFile::Browse");
  WCHAR file[128] = {};
  WCHAR title[128] = {};
  OPENFILENAMEW open{};
  open.lStructSize = 76;
  open.hwndOwner = m_dialog;
  open.lpstrFilter = m_filter;
  open.nFilterIndex = 1;
  open.lpstrFile = file;
  open.nMaxFile = 128;
  open.lpstrFileTitle = title;
  open.nMaxFileTitle = 128;
  open.lpstrInitialDir = u".";
  open.lpstrTitle = u"Open";
  open.Flags = OFN_FILEMUSTEXIST;
  if (GetOpenFileNameW(&open)) SetDlgItemTextW(m_dialog, kPathEdit, file);
}
