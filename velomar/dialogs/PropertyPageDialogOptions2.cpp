#include "velomar/dialogs/PropertyPageDialogOptions2.h"

#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/aygshell.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/dialogs/NumberText.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/ui/Translator.h"

using namespace velomar::dialogs;

namespace {

constexpr int kLanguageLabel = 1102;
constexpr int kLanguage = 1088;
constexpr int kIntelligentLac = 1110;
constexpr int kAllowClose = 1111;
constexpr int kAwakeActions = 1112;
constexpr int kIntelligentBt = 1113;
constexpr int kRilNotifications = 1114;
constexpr int kCellsLabel = 1142;
constexpr int kCells = 1140;
constexpr int kCellsSpin = 1141;

struct Switch {
  int control;
  const WCHAR* setting;
};
constexpr Switch kSwitches[] = {{kIntelligentLac, u"intelligent_lac_mode"},
                                {kAllowClose, u"allow_windows_close_qxt"},
                                {kAwakeActions, u"awake_to_execute_actions"},
                                {kIntelligentBt, u"intelligent_bt"},
                                {kRilNotifications, u"allow_ril_notifications"}};

CConfig* Config() { return CConfig::GetInstance(); }

}  // namespace

CPropertyPageDialogOptions2::CPropertyPageDialogOptions2(CPropertySheet* owner) : CPropertyPage(nullptr, 134, owner) {}

UINT CPropertyPageDialogOptions2::GetTemplateId() { return TemplateForScreen(174, 175, 173); }
std::u16string CPropertyPageDialogOptions2::GetTitle() { return Text(u"PAGE OPTIONS2"); }

INT_PTR CPropertyPageDialogOptions2::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  SHSipPreference(hwnd, SIP_UP);
  SetItemText(kLanguageLabel, u"LANGUAGE");
  SetItemText(kIntelligentLac, u"INTELLIGENT LAC MODE");
  SetItemText(kAllowClose, u"DIALOG_OPTIONS2_ALLOW_WINDOWS_CLOSE_QXT");
  SetItemText(kAwakeActions, u"DIALOG_OPTIONS2_AWAKE_TO_EXECUTE_ACTIONS");
  SetItemText(kCellsLabel, u"DIALOG_OPTIONS2_CELLS_ON_SCREEN");
  SetItemText(kIntelligentBt, u"DIALOG_OPTIONS2_TURN_ON_OFF_ON_CALL");
  SendDlgItemMessageW(hwnd, kCellsSpin, UDM_SETRANGE, 0, MAKELPARAM(1000, 50));
  return TRUE;
}

INT_PTR CPropertyPageDialogOptions2::OnSetActive() {
  const std::u16string current = Config()->GetString(u"language");
  CTranslator::GetInstance()->EnumLanguages(m_languages);
  HWND list = GetDlgItem(m_hwnd, kLanguage);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  int position = 0;
  for (const auto& [name, tag] : m_languages) {
    const auto index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (index >= 0) {
      SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(index), position);
      if (tag == current) SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    ++position;
  }
  for (const Switch& s : kSwitches)
    CheckDlgButton(m_hwnd, s.control, Config()->GetDWORD(s.setting) != 0 ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(m_hwnd, kCells, NumberText(Config()->GetDWORD(u"cell_history_list_number")).c_str());
  ShowSaveHelpKeys();
  return TRUE;
}

INT_PTR CPropertyPageDialogOptions2::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  if (HIWORD(wparam) == EN_SETFOCUS) SHSipPreference(hwnd, SIP_UP);
  SaveHelpCommand(LOWORD(wparam));
  return TRUE;
}

INT_PTR CPropertyPageDialogOptions2::OnKillActive() {
  HWND list = GetDlgItem(m_hwnd, kLanguage);
  const auto index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index >= 0) {
    const auto found = m_languages.find(ComboItemText(list, static_cast<int>(index)));
    if (found != m_languages.end() && found->second != Config()->GetString(u"language")) {
      TextBox(m_hwnd, u"%s", Text(u"RESTART TO APPLY"));
      Config()->SetString(u"language", found->second.c_str());
    }
  }
  const auto checked = [this](int control) -> DWORD { return IsDlgButtonChecked(m_hwnd, control) == BST_CHECKED ? 1 : 0; };
  Config()->SetDWORD(u"intelligent_lac_mode", checked(kIntelligentLac));
  const DWORD notifications = checked(kRilNotifications);
  if (CRilMgr* ril = CRilMgr::GetInstance()) ril->InitRil(static_cast<int>(notifications));
  Config()->SetDWORD(u"allow_ril_notifications", notifications);
  Config()->SetDWORD(u"allow_windows_close_qxt", checked(kAllowClose));
  Config()->SetDWORD(u"intelligent_bt", checked(kIntelligentBt));
  Config()->SetDWORD(u"awake_to_execute_actions", checked(kAwakeActions));
  WCHAR typed[100] = {};
  GetDlgItemTextW(m_hwnd, kCells, typed, 100);
  // An empty edit, or a number too large for 32 bits, leaves the count as it was.
  if (typed[0] != u'\0') {
    if (auto count = ParseTypedNumber(typed)) Config()->SetDWORD(u"cell_history_list_number", static_cast<DWORD>(*count));
  }
  return TRUE;
}
