// The about box: the program's name and version (setting "current_version"), the build date and
// time, the author of the language file in use, and the list of changes ("changesQXT.txt" in the
// program folder) in the text viewer. Templates: portrait 115, landscape 116, square 135; soft-key
// bar 142. DoModal answers 0 whichever way it is closed.
#pragma once

#include <string>

#include "platform/gdi/gdi_types.h"
#include "velomar/dialogs/BaseDialog.h"

class CDialogAbout : public CBaseDialog {
 public:
  CDialogAbout(HWND parent, UINT template_id);
  ~CDialogAbout() override;

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // IDOK, IDCANCEL and the left key (101) end with 0; 40239 shows the change list.
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // The change list in the text viewer, whose template follows the screen mode of this moment.
  virtual void ShowChanges();

  // The build line's date and time: "Dec 10 2026 - 06:55:01".
  static std::u16string BuildStamp();

 private:
  HFONT m_captionFont = nullptr;
};
