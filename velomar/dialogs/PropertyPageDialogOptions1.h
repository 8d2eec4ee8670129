// The seventh tab of the options sheet: SIM PINs, tray icon, backlight driver, theme, mail
// account, profile change mode and the periodic location refresh. Shown on every activation,
// written when the page is left; switching the refresh on or off is written at once.
#pragma once

#include "velomar/dialogs/PropertyPage.h"

class CPropertyPageDialogOptions1 : public CPropertyPage {
 public:
  explicit CPropertyPageDialogOptions1(CPropertySheet* owner);
  ~CPropertyPageDialogOptions1() override;

  void GetHelpId(std::u16string& id) override { id = u"options1_dialog"; }
  UINT GetTemplateId() override;
  std::u16string GetTitle() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotifyChild(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }
  INT_PTR OnSetActive() override;
  INT_PTR OnKillActive() override;

  // The folders of "<program folder>\themes", the stored theme selected (exact name) or the first.
  void FillThemeCombo(HWND page);
  // The messages manager's accounts in its order; the stored position selected, or the first.
  void FillMailCombo(HWND page);
  // refresh_location in the check box and the edit; the dependent controls enabled by it.
  void UpdateRefreshControls();

 private:
  HFONT m_boldFont = nullptr;
};
