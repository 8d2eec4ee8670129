// Asks for a file path, typed into edit 1056 or picked with the system's open-file dialog (button
// 1057). Template 156 in every screen mode; soft-key bar 157. DoModal answers 1 after Save (an
// empty edit keeps the chosen path as it was), 2 on cancel.
#pragma once

#include <string>

#include "velomar/dialogs/BaseDialog.h"

class CDialogChooseFile : public CBaseDialog {
 public:
  // `filter`: a double-null-terminated filter text ("All files\0*.*\0"), not owned.
  CDialogChooseFile(HWND parent, const WCHAR* filter);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Sets the caption ("DIALOG_CHOOSE_FILE_TITLE") at every notification; FALSE.
  INT_PTR OnNotify(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  virtual void Browse();

  std::u16string m_path;
  const WCHAR* m_filter;
};
