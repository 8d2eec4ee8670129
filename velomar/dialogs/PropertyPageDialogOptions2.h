// The last tab of the options sheet: the language (by name among the installed translations),
// five switches (learning cells of known LACs, closing by the system, waking for actions,
// Bluetooth around calls, radio notifications) and the number of cells the history keeps. Shown on
// every activation, written when the page is left; the radio notification switch reaches the
// radio interface manager at once, a new language after a restart.
#pragma once

#include <map>

#include "velomar/dialogs/PropertyPage.h"

class CPropertyPageDialogOptions2 : public CPropertyPage {
 public:
  explicit CPropertyPageDialogOptions2(CPropertySheet* owner);

  void GetHelpId(std::u16string& id) override { id = u"options2_dialog"; }
  UINT GetTemplateId() override;
  std::u16string GetTitle() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotifyChild(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }
  INT_PTR OnSetActive() override;
  INT_PTR OnKillActive() override;

 private:
  std::map<std::u16string, std::u16string> m_languages;  // name shown -> tag stored
};
