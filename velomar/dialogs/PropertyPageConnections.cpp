#include "velomar/dialogs/PropertyPageConnections.h"

#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/managers/ConnectionsMgr.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/dialogs/ScreenMode.h"

using namespace velomar::dialogs;

namespace {

constexpr int kList = 1023;
constexpr int kDefaultLabel = 1091;
constexpr int kPreferred = 1024;
constexpr int kCloseIdle = 1009;
constexpr int kSeconds = 1032;
constexpr int kSecondsSpin = 1033;
constexpr int kSecondsLabel = 1115;
constexpr int kLastCheck = 1034;
constexpr int kClosed = 1035;
constexpr int kLastClose = 1036;
constexpr int kTraffic = 1037;
constexpr int kChecks = 1038;

constexpr UINT kLeftKey = 101;
constexpr UINT kMenuKey = 40006;
constexpr UINT kRefreshCommand = 40040;
constexpr UINT kHelpCommand = 40241;
// Posted by the statistics listener.
constexpr UINT kStatisticsChanged = 0x7F01;

constexpr COLORREF kOn = 0x00FF00;
constexpr COLORREF kOff = 0x0000FF;

CConnectionsMgr* Connections() { return CConnectionsMgr::GetInstance(); }
CConfig* Config() { return CConfig::GetInstance(); }

}  // namespace

CPropertyPageConnections::CPropertyPageConnections(CPropertySheet* owner) : CPropertyPage(nullptr, 132, owner) {
  if (CConnectionsMgr* connections = Connections()) connections->AddStatusListener(this);
}

CPropertyPageConnections::~CPropertyPageConnections() {
  if (CConnectionsMgr* connections = Connections()) {
    connections->RemoveStatusListener(this);
    if (m_statisticsListener) connections->RemoveListener(this);
  }
}

UINT CPropertyPageConnections::GetTemplateId() { return TemplateForScreen(130, 131, 138); }
std::u16string CPropertyPageConnections::GetTitle() { return Text(u"PAGE CONNECTIONS"); }

INT_PTR CPropertyPageConnections::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  m_page = hwnd;
  FillPreferredCombo();
  HWND list = GetDlgItem(hwnd, kList);
  AddListExtendedStyle(list, 0x10000061);
  RECT client{};
  GetClientRect(list, &client);
  InsertListColumn(list, 0, client.right - 150, Text(u"DIALOG_CONNECTIONS_NAME"));
  InsertListColumn(list, 1, 50, Text(u"DIALOG_CONNECTIONS_ENABLED"));
  InsertListColumn(list, 2, 50, Text(u"DIALOG_CONNECTIONS_CONNECTED"));
  InsertListColumn(list, 3, 50, Text(u"DIALOG_CONNECTIONS_ALWAYSON"));
  SendDlgItemMessageW(hwnd, kSecondsSpin, UDM_SETRANGE, 0, MAKELPARAM(999, 20));
  SendDlgItemMessageW(hwnd, kSecondsSpin, UDM_SETPOS, 0, MAKELPARAM(Config()->GetDWORD(u"seconds_idle"), 0));
  const bool idle = Config()->GetDWORD(u"activate_idle") != 0;
  CheckDlgButton(hwnd, kCloseIdle, idle ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(hwnd, kSeconds), idle);
  EnableWindow(GetDlgItem(hwnd, kSecondsSpin), idle);
  if (CConnectionsMgr* connections = Connections()) {
    connections->AddListener(this);
    m_statisticsListener = true;
  }
  RefreshStatistics();
  SetItemText(kDefaultLabel, u"DEFAULT");
  SetItemText(kSecondsLabel, u"DIALOG_CONNECTIONS_SECONDS");
  SetItemText(kCloseIdle, u"DIALOG_CONNECTIONS_CLOSE_IDLE");
  return TRUE;
}

void CPropertyPageConnections::FillPreferredCombo() {
  HWND combo = GetDlgItem(m_hwnd, kPreferred);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  CConnectionsMgr* connections = Connections();
  if (connections == nullptr) return;
  const auto& list = connections->GetConnections();
  if (list.size() >= 2) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(-1));
  }
  const std::u16string preferred = Config()->GetString(u"connection_prefered");
  LRESULT selected = -1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list[i]->GetName().c_str()));
    if (index < 0) continue;
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(i));
    if (list.size() == 1 || list[i]->GetName() == preferred) selected = index;
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected < 0 ? 0 : selected), 0);
}

void CPropertyPageConnections::RefreshList() {
  HWND list = GetDlgItem(m_hwnd, kList);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  if (CConnectionsMgr* connections = Connections()) {
    for (const auto& connection : connections->GetConnections())
      if (AppendListRow(list, connection->GetName()) < 0) ProcesarError(u"Error inserting %s", connection->GetName().c_str());
  }
  RefreshStatistics();
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void CPropertyPageConnections::RefreshStatistics() {
  CConnectionsMgr* connections = Connections();
  if (connections == nullptr || m_hwnd == nullptr) return;
  const auto show = [this](int control, const std::u16string& text) {
    SetDlgItemTextW(m_hwnd, control, text.substr(0, 99).c_str());
  };
  const SYSTEMTIME check = connections->GetLastCheckTime();
  const SYSTEMTIME close = connections->GetLastHangUpTime();
  show(kLastCheck, ce::text::FormatChecked(Text(u"CONNECTIONS LAST CHECK"), static_cast<int>(check.wHour),
                                    static_cast<int>(check.wMinute), static_cast<int>(check.wSecond)));
  show(kClosed, ce::text::FormatChecked(Text(u"CONNECTIONS CLOSED"), connections->GetIddleHangUpCount()));
  show(kChecks, ce::text::FormatChecked(Text(u"CONNECTIONS CHECKS"), connections->GetCheckCount()));
  show(kLastClose, ce::text::FormatChecked(Text(u"CONNECTIONS LAST CLOSE"), static_cast<int>(close.wHour),
                                    static_cast<int>(close.wMinute), static_cast<int>(close.wSecond)));
  show(kTraffic, ce::text::FormatChecked(Text(u"TRAFFIC"), static_cast<int>(connections->GetTotalTraffic() / 1024)));
}

void CPropertyPageConnections::StatusChanged(int, int, int) {
  if (HWND page = m_page.load()) PostMessageW(page, WM_COMMAND, kRefreshCommand, 0);
}

void CPropertyPageConnections::OnTimerNotification(int, int) {
  if (HWND page = m_page.load()) PostMessageW(page, WM_COMMAND, kStatisticsChanged, 0);
}

INT_PTR CPropertyPageConnections::OnSetActive() {
  FillPreferredCombo();
  RefreshList();
  SetSoftKeyText(kLeftKey, Text(u"CANCEL"));
  SetSoftKeyText(kMenuKey, Text(u"MENU_MENU"));
  SetMenuItem(kMenuKey, 0, kRefreshCommand, Text(u"REFRESH_MENU"));
  SetMenuItem(kMenuKey, 1, kHelpCommand, Text(u"MENU_HELP_TEXT"));
  return TRUE;
}

INT_PTR CPropertyPageConnections::OnKillActive() {
  CConnectionsMgr* connections = Connections();
  const DWORD before = Config()->GetDWORD(u"activate_idle");
  if (IsDlgButtonChecked(m_hwnd, kCloseIdle) == BST_CHECKED) {
    Config()->SetDWORD(u"activate_idle", 1);
    if (before == 0 && connections) connections->UpdateIddleNotification();
  } else {
    Config()->SetDWORD(u"activate_idle", 0);
    if (before != 0 && connections) connections->RemoveIddleNotifications();
  }
  Config()->SetDWORD(u"seconds_idle", static_cast<DWORD>(LOWORD(SendDlgItemMessageW(m_hwnd, kSecondsSpin, UDM_GETPOS, 0, 0))));
  return TRUE;
}

INT_PTR CPropertyPageConnections::OnNotifyChild(HWND hwnd, UINT, WPARAM, LPARAM lparam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->idFrom != kList) return FALSE;
  CConnectionsMgr* connections = Connections();
  if (header->code == NM_CUSTOMDRAW) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
    switch (draw->nmcd.dwDrawStage) {
      case CDDS_PREPAINT:
      case CDDS_ITEMPREPAINT: return AnswerNotify(hwnd, CDRF_NOTIFYSUBITEMDRAW);
      case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const auto row = static_cast<std::size_t>(draw->nmcd.dwItemSpec);
        if (connections == nullptr || row >= connections->GetConnections().size()) return TRUE;
        const CRasConnection& connection = *connections->GetConnections()[row];
        if (draw->iSubItem == 0) {
          draw->clrText = 0x000000;
          draw->clrTextBk = 0xFFFFFF;
        } else {
          const int flag = draw->iSubItem == 1 ? connection.IsEnabled()
                           : draw->iSubItem == 2 ? connection.IsConnected()
                                                 : connection.IsAlwaysOn();
          // Text and background of one colour: a solid box.
          draw->clrText = draw->clrTextBk = flag ? kOn : kOff;
        }
        return AnswerNotify(hwnd, CDRF_NEWFONT);
      }
      default: return FALSE;
    }
  }
  if (header->code == NM_CLICK && connections) {
    const auto* tap = reinterpret_cast<const NMITEMACTIVATE*>(lparam);
    switch (tap->iSubItem) {
      case 1: connections->ToggleEnabled(tap->iItem); break;
      case 2: connections->ToggleConnected(tap->iItem); break;
      case 3: connections->ToggleAlwaysOn(tap->iItem); break;
      default: break;
    }
    SetFocus(GetDlgItem(hwnd, kPreferred));
  }
  return FALSE;
}

INT_PTR CPropertyPageConnections::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  switch (LOWORD(wparam)) {
    case kCloseIdle:
      if (HIWORD(wparam) == BN_CLICKED) {
        const bool on = IsDlgButtonChecked(hwnd, kCloseIdle) == BST_CHECKED;
        EnableWindow(GetDlgItem(hwnd, kSeconds), on);
        EnableWindow(GetDlgItem(hwnd, kSecondsSpin), on);
      }
      break;
    case kPreferred:
      if (HIWORD(wparam) == CBN_SELCHANGE) {
        CConnectionsMgr* connections = Connections();
        HWND combo = GetDlgItem(hwnd, kPreferred);
        const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (connections && index < 0) {
          connections->ClearPreferredConnection();
        } else if (connections) {
          connections->SetPreferredConnection(ComboItemText(combo, static_cast<int>(index)));
        }
      }
      break;
    case kLeftKey: PostOkToSheet(); break;
    case kRefreshCommand:
      if (CConnectionsMgr* connections = Connections()) connections->RefreshConnections();
      RefreshList();
      break;
    case kStatisticsChanged: RefreshStatistics(); break;
    case kHelpCommand: ShowHelp(); break;
    default: break;
  }
  return TRUE;
}
