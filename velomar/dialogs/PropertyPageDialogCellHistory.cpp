#include "velomar/dialogs/PropertyPageDialogCellHistory.h"

#include <memory>
#include <mutex>

#include "platform/controls/commctrl.h"
#include "platform/dialogs/aygshell.h"
#include "platform/dialogs/message_box.h"
#include "platform/menus/menus.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/dialogs/DialogChooseList.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableLocation.h"

using namespace velomar::dialogs;

namespace {

constexpr int kList = 1138;
constexpr UINT kMenuKey = 40006;
constexpr UINT kAssignCommand = 40255;
constexpr UINT kUnassignCommand = 40256;
constexpr UINT kClearCommand = 40252;
constexpr UINT kHelpCommand = 40241;

constexpr COLORREF kFromNotification = 0xFF8080;
constexpr COLORREF kFromQuery = 0x8080FF;
constexpr COLORREF kWithPlace = 0x80FF80;
constexpr COLORREF kWithoutPlace = 0xFFFFFF;

CCellHistory* History() { return CCellHistory::GetInstance(); }

bool CellMode() {
  CRilMgr* ril = CRilMgr::GetInstance();
  return ril != nullptr && ril->UseCellId() != 0;
}

void ChangeInDB() {
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
}

}  // namespace

CPropertyPageDialogCellHistory::CPropertyPageDialogCellHistory(CPropertySheet* owner) : CPropertyPage(nullptr, 1143, owner) {
  History()->AddListener(this);
}

CPropertyPageDialogCellHistory::~CPropertyPageDialogCellHistory() { History()->RemoveListener(this); }

UINT CPropertyPageDialogCellHistory::GetTemplateId() {
  const UINT id = TemplateForScreen(192, 193, 194);
  return id == 0 ? 192 : id;
}

std::u16string CPropertyPageDialogCellHistory::GetTitle() { return Text(u"DIALOG_CELL_HISTORY_TITTLE"); }

INT_PTR CPropertyPageDialogCellHistory::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  HWND list = GetDlgItem(hwnd, kList);
  AddListExtendedStyle(list, 0x61);
  InsertListColumn(list, 0, 35, Text(u"DIALOG_CELL_HISTORY_LIST_COLUMN_TIME"));
  InsertListColumn(list, 1, 45, Text(u"DIALOG_CELL_HISTORY_LIST_COLUMN_CELL"));
  InsertListColumn(list, 2, 45, Text(u"DIALOG_CELL_HISTORY_LIST_COLUMN_LAC"));
  InsertListColumn(list, 3, 1000, Text(u"DIALOG_CELL_HISTORY_LIST_COLUMN_PROFILE"));
  m_list = list;
  SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(History()->GetCount()), 1);
  return TRUE;
}

void CPropertyPageDialogCellHistory::OnCellHistoryChanged(int entry_count) {
  if (HWND list = m_list.load()) PostMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(entry_count), LVSICF_NOSCROLL);
}

INT_PTR CPropertyPageDialogCellHistory::OnSetActive() {
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  HWND bar = m_menuBar ? m_menuBar : SHFindMenuBar(m_hwnd);
  auto menu = bar ? reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, kMenuKey)) : nullptr;
  if (menu != nullptr) {
    HMENU location = CreatePopupMenu();
    AppendMenuW(location, MF_STRING, kAssignCommand, Text(u"DIALOG_CELL_HISTORY_MENU_LOCATION_ASSIGN").c_str());
    AppendMenuW(location, MF_STRING, kUnassignCommand, Text(u"DIALOG_CELL_HISTORY_MENU_LOCATION_UNASSIGN").c_str());
    if (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    InsertMenuW(menu, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(location),
                Text(u"DIALOG_CELL_HISTORY_MENU_LOCATION").c_str());
    m_locationMenu = location;
  }
  SetMenuItem(kMenuKey, 1, kHelpCommand, Text(u"MENU_HELP_TEXT"));
  SetMenuItem(kMenuKey, 2, kClearCommand, Text(u"DIALOG_EVENT_LOG_LIST_MENU_CLEAR"));
  return TRUE;
}

std::optional<CPropertyPageDialogCellHistory::Entry> CPropertyPageDialogCellHistory::SelectedEntry() {
  const int row = ListSelectionMark(GetDlgItem(m_hwnd, kList));
  if (row < 0) return std::nullopt;
  CCellHistory* history = History();
  std::lock_guard<std::recursive_mutex> lock(history->GetLock());
  CCellRecord* record = history->GetAt(row);
  if (record == nullptr) return std::nullopt;
  Entry entry;
  entry.cell = static_cast<int>(record->GetCellId(false));
  entry.lac = static_cast<int>(record->GetLac(false));
  record->GetCellId(true);  // the place, looked up when due
  entry.place = record->GetPlaceId();
  entry.placeName = record->GetText();
  return entry;
}

void CPropertyPageDialogCellHistory::EnableLocationItems(HMENU menu) {
  const std::optional<Entry> entry = SelectedEntry();
  const bool has_place = entry && entry->place > 0;
  EnableMenuItem(menu, kAssignCommand, MF_BYCOMMAND | (entry && !has_place ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(menu, kUnassignCommand, MF_BYCOMMAND | (has_place ? MF_ENABLED : MF_GRAYED));
}

INT_PTR CPropertyPageDialogCellHistory::OnInitMenuPopup(HWND, UINT, WPARAM wparam, LPARAM) {
  const auto menu = reinterpret_cast<HMENU>(wparam);
  if (menu != nullptr && menu == m_locationMenu) EnableLocationItems(menu);
  return FALSE;
}

INT_PTR CPropertyPageDialogCellHistory::OnContextMenuChild(HWND hwnd, UINT, WPARAM wparam, LPARAM lparam) {
  HWND list = GetDlgItem(hwnd, kList);
  if (reinterpret_cast<HWND>(wparam) != list) return FALSE;
  const int row = ListSelectionMark(list);
  if (row < 0 || row >= History()->GetCount()) return FALSE;
  HMENU menu = LoadMenuW(CApp::GetAppInstance(), MAKEINTRESOURCEW(183));
  HMENU top = menu ? GetSubMenu(menu, 0) : nullptr;
  HMENU location = top ? GetSubMenu(top, 0) : nullptr;
  if (location == nullptr) {
    if (menu) DestroyMenu(menu);
    return FALSE;
  }
  for (int i = GetMenuItemCount(location) - 1; i >= 0; --i) DeleteMenu(location, static_cast<UINT>(i), MF_BYPOSITION);
  AppendMenuW(location, MF_STRING, kAssignCommand, Text(u"DIALOG_CELL_HISTORY_MENU_LOCATION_ASSIGN").c_str());
  AppendMenuW(location, MF_STRING, kUnassignCommand, Text(u"DIALOG_CELL_HISTORY_MENU_LOCATION_UNASSIGN").c_str());
  EnableLocationItems(location);
  const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(location, TPM_LEFTALIGN | TPM_RETURNCMD, at.x, at.y, hwnd, nullptr));
  DestroyMenu(menu);
  if (chosen != 0) SendMessageW(hwnd, WM_COMMAND, chosen, 0);
  return TRUE;
}

INT_PTR CPropertyPageDialogCellHistory::OnNotifyChild(HWND hwnd, UINT, WPARAM, LPARAM lparam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->idFrom != kList) return FALSE;
  CCellHistory* history = History();
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(lparam);
      if (info->item.mask & LVIF_IMAGE) info->item.iImage = 0;
      if (!(info->item.mask & LVIF_TEXT)) return FALSE;
      std::u16string text = u"***";
      {
        std::lock_guard<std::recursive_mutex> lock(history->GetLock());
        if (info->item.iItem >= history->GetCount()) return FALSE;
        if (CCellRecord* record = history->GetAt(info->item.iItem)) {
          switch (info->item.iSubItem) {
            case 0: {
              const SYSTEMTIME t = record->GetTime();
              text = ce::text::Format(u"%02d:%02d", static_cast<int>(t.wHour), static_cast<int>(t.wMinute));
              break;
            }
            case 1: text = NumberText(static_cast<int>(record->GetCellId(true))); break;
            case 2: text = NumberText(static_cast<int>(record->GetLac(true))); break;
            default: text = record->GetText(); break;
          }
        }
      }
      GiveListText(*info, text);
      return FALSE;
    }
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
      switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
        case CDDS_ITEMPREPAINT: return AnswerNotify(hwnd, CDRF_NOTIFYSUBITEMDRAW);
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
          std::lock_guard<std::recursive_mutex> lock(history->GetLock());
          CCellRecord* record = history->GetAt(static_cast<int>(draw->nmcd.dwItemSpec));
          if (record == nullptr) return FALSE;
          if (draw->iSubItem == 0) {
            draw->clrTextBk = record->IsFromNotification() ? kFromNotification : kFromQuery;
          } else {
            record->GetCellId(true);
            draw->clrTextBk = record->GetPlaceId() != 0 ? kWithPlace : kWithoutPlace;
          }
          return AnswerNotify(hwnd, CDRF_NEWFONT);
        }
        default: return FALSE;
      }
    }
    default: return FALSE;
  }
}

INT_PTR CPropertyPageDialogCellHistory::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  if (HIWORD(wparam) == EN_SETFOCUS) SHSipPreference(hwnd, SIP_UP);
  switch (LOWORD(wparam)) {
    case kAssignCommand: Assign(); break;
    case kUnassignCommand: Unassign(); break;
    case kClearCommand: History()->Reset(); break;
    case kHelpCommand: ShowHelp(); break;
    case IDOK:
    case IDCANCEL: PostOkToSheet(); break;
    default: break;
  }
  return TRUE;
}

void CPropertyPageDialogCellHistory::Assign() {
  if (ListSelectionMark(GetDlgItem(m_hwnd, kList)) < 0) {
    ErrorBox(m_hwnd, u"%s", Text(u"SELECT PERIOD"));
    return;
  }
  const std::optional<Entry> entry = SelectedEntry();
  if (!entry) return;
  CDialogChooseList chooser(m_hwnd, TemplateForScreen(153, 154, 155));
  if (chooser.DoModal() != 1) return;
  CDB* db = CDB::GetInstance();
  CTableLocation* table = db ? db->GetLocationTable() : nullptr;
  if (table == nullptr) return;
  std::unique_ptr<CStrLocation> location = CreateLocationRecord();
  location->SetValue(CellMode() ? entry->cell : entry->lac);
  location->SetPlace(chooser.m_chosenKey);
  if (table->SeekById(*location) == 0) {
    table->Insert(*location);
  } else if (MessageBoxW(nullptr, Text(u"LOCATION ASSIGNED").c_str(), u"", MB_YESNO | MB_ICONQUESTION) == IDYES) {
    table->Update(*location);
  }
  ChangeInDB();
  RedrawAll();
}

void CPropertyPageDialogCellHistory::Unassign() {
  if (ListSelectionMark(GetDlgItem(m_hwnd, kList)) < 0) {
    ErrorBox(m_hwnd, u"%s", Text(u"SELECT PERIOD"));
    return;
  }
  const std::optional<Entry> entry = SelectedEntry();
  if (!entry) return;
  const bool cell = CellMode();
  const int value = cell ? entry->cell : entry->lac;
  if (QuestionBox(nullptr, Text(u"CONFIRM DEALLOCATE").c_str(), cell ? u"Cell" : u"LAC", value, entry->placeName) != IDYES)
    return;
  CDB* db = CDB::GetInstance();
  CTableLocation* table = db ? db->GetLocationTable() : nullptr;
  if (table == nullptr) return;
  std::unique_ptr<CStrLocation> location = CreateLocationRecord();
  location->SetValue(value);
  table->DeleteRecord(*location);
  ChangeInDB();
  RedrawAll();
}

void CPropertyPageDialogCellHistory::RedrawAll() {
  HWND list = GetDlgItem(m_hwnd, kList);
  const int count = ListItemCount(list);
  if (count > 0) SendMessageW(list, LVM_REDRAWITEMS, 0, count - 1);
}
