#include "velomar/dialogs/PropertyPageDialogOptions1.h"

#include <vector>

#include "platform/controls/controls.h"
#include "platform/dialogs/aygshell.h"
#include "platform/files/files.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/MessageMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/dialogs/NumberText.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/ui/WindowMain.h"

using namespace velomar::dialogs;

namespace {

constexpr int kPin = 1043;
constexpr int kPin2 = 1045;
constexpr int kTray = 1046;
constexpr int kBacklight = 1048;
constexpr int kThemeLabel = 1099;
constexpr int kTheme = 1044;
constexpr int kMailLabel = 1100;
constexpr int kMail = 1047;
constexpr int kGroupMode = 1087;
constexpr int kManual = 1066;
constexpr int kAutomatic = 1067;
constexpr int kGroupRefresh = 1086;
constexpr int kRefreshOn = 1009;
constexpr int kAwake = 1085;
constexpr int kRefreshLabel = 1101;
constexpr int kRefreshMinutes = 1083;
constexpr int kRefreshSpin = 1084;

CConfig* Config() { return CConfig::GetInstance(); }

std::u16string ItemText(HWND page, int control, int max_chars) {
  std::u16string buffer(static_cast<std::size_t>(max_chars) + 1, u'\0');
  buffer.resize(GetDlgItemTextW(page, control, buffer.data(), max_chars + 1));
  return buffer;
}

}  // namespace

CPropertyPageDialogOptions1::CPropertyPageDialogOptions1(CPropertySheet* owner)
    : CPropertyPage(nullptr, 134, owner), m_boldFont(CreatePageFont(14, 700)) {}

CPropertyPageDialogOptions1::~CPropertyPageDialogOptions1() {
  if (m_boldFont) DeleteObject(m_boldFont);
}

UINT CPropertyPageDialogOptions1::GetTemplateId() {
  const UINT id = TemplateForScreen(102, 101, 142);
  return id == 0 ? 102 : id;
}

std::u16string CPropertyPageDialogOptions1::GetTitle() { return Text(u"PAGE OPTIONS1"); }

INT_PTR CPropertyPageDialogOptions1::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  SHSipPreference(hwnd, SIP_UP);
  for (int group : {kGroupMode, kGroupRefresh})
    SendDlgItemMessageW(hwnd, group, WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont), TRUE);
  SetItemText(kTray, u"DIALOG_OPTIONS1_TRAY_ICON");
  SetItemText(kBacklight, u"DIALOG_OPTIONS1_BACKLIGHT");
  SetItemText(kThemeLabel, u"DIALOG_OPTIONS1_THEME");
  SetItemText(kMailLabel, u"DIALOG_OPTIONS1_MAIL");
  SetItemText(kGroupMode, u"DIALOG_OPTIONS1_GROUP_CHANGE_MODE");
  SetItemText(kManual, u"DIALOG_OPTIONS1_MANUALLY");
  SetItemText(kAutomatic, u"DIALOG_OPTIONS1_AUTOMATIC");
  SetItemText(kGroupRefresh, u"DIALOG_OPTIONS1_GROUP_REFRESH_LOCATION");
  SetItemText(kRefreshOn, u"DIALOG_OPTIONS1_ENABLED");
  SetItemText(kAwake, u"DIALOG_OPTIONS1_AWAKE");
  SetItemText(kRefreshLabel, u"DIALOG_OPTIONS1_REFRESH");
  return TRUE;
}

INT_PTR CPropertyPageDialogOptions1::OnSetActive() {
  if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) {
    SetDlgItemTextW(m_hwnd, kPin, phone->GetPin().c_str());
    SetDlgItemTextW(m_hwnd, kPin2, phone->GetPin2().c_str());
  }
  CheckDlgButton(m_hwnd, kTray, Config()->GetDWORD(u"tray_icon") != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hwnd, kBacklight, Config()->GetDWORD(u"backlight_mode") == 0 ? BST_CHECKED : BST_UNCHECKED);
  FillThemeCombo(m_hwnd);
  FillMailCombo(m_hwnd);
  const bool manual = Config()->GetDWORD(u"profile_change_mode") != 0;
  CheckDlgButton(m_hwnd, kManual, manual ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hwnd, kAutomatic, manual ? BST_UNCHECKED : BST_CHECKED);
  UpdateRefreshControls();
  CheckDlgButton(m_hwnd, kAwake, Config()->GetDWORD(u"awake_to_refresh_location") != 0 ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(m_hwnd, kRefreshMinutes, NumberText(Config()->GetDWORD(u"refresh_location")).c_str());
  ShowSaveHelpKeys();
  return TRUE;
}

void CPropertyPageDialogOptions1::FillThemeCombo(HWND page) {
  const std::u16string current = Config()->GetString(u"theme");
  HWND combo = GetDlgItem(page, kTheme);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  WCHAR folder[MAX_PATH] = {};
  GetCurrentDirectory(folder);
  const std::u16string pattern = std::u16string(folder) + u"\\themes\\*";
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  bool selected = false;
  for (const std::u16string& name : names) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (name == current && index >= 0) selected = true;
  }
  // The combo sorts; the selection is made once every name is in.
  LRESULT index = 0;
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; selected && i < count; ++i) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    if (ComboSelectionText(combo) == current) {
      index = i;
      break;
    }
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CPropertyPageDialogOptions1::FillMailCombo(HWND page) {
  const DWORD position = Config()->GetDWORD(u"mail_provider");
  HWND combo = GetDlgItem(page, kMail);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  std::vector<std::u16string> accounts;
  if (CMessageMgr* messages = CMessageMgr::GetInstance()) messages->GetAccounts(&accounts);
  for (const std::u16string& account : accounts)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(account.c_str()));
  SendMessageW(combo, CB_SETCURSEL, position < accounts.size() ? position : 0, 0);
}

void CPropertyPageDialogOptions1::UpdateRefreshControls() {
  const DWORD minutes = Config()->GetDWORD(u"refresh_location");
  CheckDlgButton(m_hwnd, kRefreshOn, minutes == 0 ? BST_UNCHECKED : BST_CHECKED);
  for (int control : {kAwake, kRefreshMinutes, kRefreshSpin}) EnableWindow(GetDlgItem(m_hwnd, control), minutes != 0);
  SetDlgItemTextW(m_hwnd, kRefreshMinutes, NumberText(minutes).c_str());
}

INT_PTR CPropertyPageDialogOptions1::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  if (HIWORD(wparam) == EN_SETFOCUS) SHSipPreference(hwnd, SIP_UP);
  switch (LOWORD(wparam)) {
    case kRefreshOn:
      if (HIWORD(wparam) != BN_CLICKED) break;
      if (IsDlgButtonChecked(hwnd, kRefreshOn) != BST_CHECKED) {
        Config()->SetDWORD(u"refresh_location", 0);
        UpdateRefreshControls();
      } else {
        const bool got_events = Config()->GetDWORD(u"location_notification_received") != 0;
        CRilMgr* ril = CRilMgr::GetInstance();
        const int count = ril ? static_cast<int>(ril->GetNotifyCount()) : 0;
        const std::u16string question = Text(got_events ? u"DEVICE GOT EVENTS" : u"DEVICE DIDNT GET EVENTS");
        if (QuestionBox(hwnd, question.c_str(), count) == IDYES) {
          Config()->SetDWORD(u"refresh_location", 10);
          UpdateRefreshControls();
        }
      }
      break;
    default: SaveHelpCommand(LOWORD(wparam)); break;
  }
  return TRUE;
}

INT_PTR CPropertyPageDialogOptions1::OnKillActive() {
  if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) {
    const std::u16string pin = ItemText(m_hwnd, kPin, 199);
    if (pin.size() > 3 && pin != phone->GetPin()) phone->SetPin(pin);
    const std::u16string pin2 = ItemText(m_hwnd, kPin2, 199);
    if (pin2.size() > 3 && pin2 != phone->GetPin2()) phone->SetPin2(pin2);
  }
  HWND theme = GetDlgItem(m_hwnd, kTheme);
  if (SendMessageW(theme, CB_GETCURSEL, 0, 0) >= 0) {
    const std::u16string chosen = ComboSelectionText(theme);
    if (chosen != Config()->GetString(u"theme")) Config()->SetString(u"theme", chosen.c_str());
  }
  const auto mail = SendDlgItemMessageW(m_hwnd, kMail, CB_GETCURSEL, 0, 0);
  if (mail >= 0) Config()->SetDWORD(u"mail_provider", static_cast<DWORD>(mail));
  // The tray icon is shown or removed only when the box changed: adding an icon that is shown
  // already would be reported as a failure.
  const DWORD tray = IsDlgButtonChecked(m_hwnd, kTray) == BST_CHECKED ? 1 : 0;
  const bool tray_changed = Config()->GetDWORD(u"tray_icon") != tray;
  Config()->SetDWORD(u"tray_icon", tray);
  if (tray_changed) {
    if (CApp* app = CApp::GetApp(); app && app->GetMainWindow()) app->GetMainWindow()->UpdateTrayIcon(static_cast<int>(tray));
  }
  Config()->SetDWORD(u"backlight_mode", IsDlgButtonChecked(m_hwnd, kBacklight) == BST_CHECKED ? 0 : 1);
  Config()->SetDWORD(u"profile_change_mode", IsDlgButtonChecked(m_hwnd, kManual) == BST_CHECKED ? 1 : 0);
  Config()->SetDWORD(u"awake_to_refresh_location", IsDlgButtonChecked(m_hwnd, kAwake) == BST_CHECKED ? 1 : 0);
  if (IsDlgButtonChecked(m_hwnd, kRefreshOn) == BST_CHECKED) {
    const std::u16string typed = ItemText(m_hwnd, kRefreshMinutes, 98);
    // A number too large for 32 bits leaves the setting as it was.
    if (!typed.empty()) {
      if (auto minutes = ParseTypedNumber(typed)) Config()->SetDWORD(u"refresh_location", static_cast<DWORD>(*minutes));
    }
  }
  if (CRilMgr* ril = CRilMgr::GetInstance()) ril->SetAwakeToRefresh();
  return TRUE;
}
