// Picks a sound level: buttons 1057 (20 %), 1059, 1060, 1061 and 1062 (100 %) give levels 1 to 5;
// the action key (IDOK) gives 5. Template 162; soft-key bar 155. DoModal answers 1 with the level,
// or 2 after cancel with level -1.
#pragma once

#include "velomar/dialogs/BaseDialog.h"

class CDialogSoundLevel : public CBaseDialog {
 public:
  CDialogSoundLevel(HWND parent, UINT template_id);

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;

  int m_level = -1;
};
