// Shows a UTF-16 text file read-only (control 1130) under a given caption: the change list of the
// about box and every help text. A byte-order mark at the start is not shown; a file that cannot
// be read leaves the viewer empty. Templates: portrait 177, landscape 179, square 178; soft-key
// bar 124. DoModal answers 0.
#pragma once

#include <string>

#include "velomar/dialogs/BaseDialog.h"

class CDialogTextViewer : public CBaseDialog {
 public:
  CDialogTextViewer(HWND parent, UINT template_id, std::u16string caption, std::u16string file);
  ~CDialogTextViewer() override = default;

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  // The text shown for a file's bytes: UTF-16 (little-endian) up to the first zero character,
  // without a leading byte-order mark.
  static std::u16string TextOfFile(const std::string& bytes);

 private:
  std::u16string m_caption;
  std::u16string m_file;
};
