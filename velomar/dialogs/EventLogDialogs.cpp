#include "velomar/dialogs/EventLogDialogs.h"

#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/commdlg.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"
#include "velomar/dialogs/NumberText.h"

namespace {
constexpr int kTimeEdit = 1137;
constexpr int kLevelEdit = 1127;
constexpr int kDescriptionEdit = 1139;
constexpr int kResumeEdit = 1002;
constexpr int kOlderButton = 1057;
constexpr int kNewerButton = 1058;

constexpr int kItemsEdit = 1131;
constexpr int kItemsSpin = 1132;
constexpr int kWriteCheck = 1135;
constexpr int kSizeEdit = 1133;
constexpr int kSizeSpin = 1137;
constexpr int kPathEdit = 1145;
constexpr int kBrowseButton = 1057;

const WCHAR* const kLevelNames[] = {u"TRACE", u"DEBUG", u"INFO", u"WARNING", u"ERROR", u"FATAL"};
}  // namespace

CDialogEventLogDetail::CDialogEventLogDetail(HWND parent, UINT template_id, int index)
    : CBaseDialog(template_id, parent, nullptr, 155), m_index(index) {}

void CDialogEventLogDetail::ShowEvent(int index) {
  Trace(0, u"CDialogEventLogDetail::ShowEvent(%d)", index);
  CEventRecord copy;
  if (index >= 0 && CEventLog::GetInstance()->GetRecord(index, copy)) m_event = copy;
  if (!m_event) return;
  const SYSTEMTIME& t = m_event->GetTime();
  SetDlgItemTextW(m_dialog, kTimeEdit,
                  ce::text::Format(u"%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                                   t.wSecond).c_str());
  const int level = m_event->GetLevel();
  SetDlgItemTextW(m_dialog, kLevelEdit, level >= 0 && level <= 5 ? kLevelNames[level] : u"");
  SetDlgItemTextW(m_dialog, kDescriptionEdit, m_event->GetDescription().c_str());
  SetDlgItemTextW(m_dialog, kResumeEdit, m_event->GetResume().c_str());
}

void CDialogEventLogDetail::ShowNext() {
  if (m_index + 1 < CEventLog::GetInstance()->GetRecordCount()) ShowEvent(++m_index);
}

void CDialogEventLogDetail::ShowPrevious() {
  if (m_index >= 1 && CEventLog::GetInstance()->GetRecordCount() > 0) ShowEvent(--m_index);
}

INT_PTR CDialogEventLogDetail::OnInit(HWND, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogEventLogDetail::OnInit");
  SetItemText(kOlderButton, u"DIALOG_EVENT_LOG_DETAIL_BUTTON_PREVIOUS");
  SetItemText(kNewerButton, u"DIALOG_EVENT_LOG_DETAIL_BUTTON_NEXT");
  ShowEvent(m_index);
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  SetSoftKeyText(kCmdMenuKeyAlt, u"");
  return TRUE;
}

INT_PTR CDialogEventLogDetail::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  switch (LOWORD(wparam)) {
    case kOlderButton: ShowNext(); break;
    case kNewerButton: ShowPrevious(); break;
    case IDOK:
    case kCmdSave: EndDialog(hwnd, 1); break;
    case IDCANCEL: EndDialog(hwnd, 2); break;
    case kCmdHelp: ShowHelp(); break;
    default: break;
  }
  return TRUE;
}

CDialogEventLogOptions::CDialogEventLogOptions(HWND parent, UINT template_id)
    : CBaseDialog(template_id, parent, nullptr, 157) {}

INT_PTR CDialogEventLogOptions::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogEventLogOptions::OnInit");
  SetItemText(1134, u"DIALOG_EVENT_LOG_OPTIONS_ITEMS_ON_SCREEN");
  SetItemText(kWriteCheck, u"DIALOG_EVENT_LOG_OPTIONS_SAVE_TO_FILE");
  SetItemText(1144, u"DIALOG_EVENT_LOG_OPTIONS_LOG_FILE_PATH");
  SetItemText(1136, u"DIALOG_EVENT_LOG_OPTIONS_MAX_FILE_SIZE");
  SetCaption(u"DIALOG_EVENT_LOG_OPTIONS_TITLE");
  CConfig* config = CConfig::GetInstance();
  SetDlgItemTextW(hwnd, kPathEdit, config->GetString(u"events_log_path").c_str());
  SendDlgItemMessageW(hwnd, kItemsSpin, UDM_SETRANGE, 0, MAKELPARAM(1000, 50));
  SendDlgItemMessageW(hwnd, kSizeSpin, UDM_SETRANGE, 0, MAKELPARAM(5000, 100));
  CheckDlgButton(hwnd, kWriteCheck, config->GetDWORD(u"events_log_write_to_file") ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(hwnd, kItemsEdit,
                  ce::text::Format(u"%d", static_cast<int>(config->GetDWORD(u"events_log_items_screen"))).c_str());
  SetDlgItemTextW(hwnd, kSizeEdit,
                  ce::text::Format(u"%d", static_cast<int>(config->GetDWORD(u"events_log_file_max_size"))).c_str());
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  SetSoftKeyText(kCmdMenuKey, Text(u"MENU_MENU"));
  ReplaceMenuItem(kCmdMenuKey, 0, kCmdSave, Text(u"SAVE"));
  ReplaceMenuItem(kCmdMenuKey, 1, kCmdHelp, Text(u"MENU_HELP_TEXT"));
  return TRUE;
}

INT_PTR CDialogEventLogOptions::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == kBrowseButton) {
    BrowseLogFile();
  } else if (command == kCmdHelp) {
    ShowHelp();
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  } else if (command == IDOK || command == kCmdSave) {
    CConfig* config = CConfig::GetInstance();
    const auto items = velomar::dialogs::ParseTypedNumber(ItemText(kItemsEdit, 8));
    if (items && *items > 0) config->SetDWORD(u"events_log_items_screen", static_cast<DWORD>(*items));
    const auto size = velomar::dialogs::ParseTypedNumber(ItemText(kSizeEdit, 8));
    if (size && *size > 0) config->SetDWORD(u"events_log_file_max_size", static_cast<DWORD>(*size));
    config->SetDWORD(u"events_log_write_to_file", IsDlgButtonChecked(hwnd, kWriteCheck) == BST_CHECKED ? 1 : 0);
    config->SetString(u"events_log_path", ItemText(kPathEdit, 258).c_str());
    TextBox(hwnd, u"%s", Text(u"RESTART TO APPLY").c_str());
    EndDialog(hwnd, 1);
  }
  return TRUE;
}

void CDialogEventLogOptions::BrowseLogFile() {
  Trace(0, u"CDialogEventLogOptions::BrowseLogFile");
  WCHAR file[260] = u"log.txt";
  WCHAR title[260] = {};
  OPENFILENAMEW save{};
  save.lStructSize = 76;
  save.hwndOwner = m_dialog;
  save.lpstrFilter = u"log File\0*.txt\0";
  save.lpstrFile = file;
  save.nMaxFile = 260;
  save.lpstrFileTitle = title;
  save.nMaxFileTitle = 260;
  if (GetSaveFileNameW(&save)) SetDlgItemTextW(m_dialog, kPathEdit, file);
}
