#include "velomar/dialogs/PropertyPageDialogMain.h"

#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/message_box.h"
#include "platform/gdi/gdi.h"
#include "platform/menus/menus.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/dialogs/DialogAddLocation.h"
#include "velomar/dialogs/NumberText.h"
#include "velomar/dialogs/PageControls.h"
#include "velomar/dialogs/PropertySheetOptions.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/ButtonOwnDrawImage.h"

using namespace velomar::dialogs;

namespace {

constexpr int kRadioCell = 1068;
constexpr int kRadioLac = 1069;
constexpr int kGroupMode = 1013;
constexpr int kLabelCurrent = 1092;
constexpr int kEditCell = 1071;
constexpr int kEditLac = 1010;
constexpr int kButtonAllocate = 1057;
constexpr int kGroupAllocate = 1080;
constexpr int kLabelProfile = 1093;
constexpr int kComboPlaces = 1072;
constexpr int kDescription = 1002;
constexpr int kImage = 1076;
constexpr int kList = 1064;
constexpr int kGroupLandscape = 1081;

constexpr UINT kLeftKey = 101;
constexpr UINT kMenuKey = 40006;
constexpr UINT kCmdAddLocation = 40140;
constexpr UINT kCmdRemoveLocation = 40141;
constexpr UINT kCmdUnassign = 40142;
constexpr UINT kHelpCommand = 40241;

constexpr COLORREF kHighlight = 0xC8FFC8;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kEvenRow = 0xFFC8C8;

// The number a control shows; nothing when it is empty of digits or overflows.
std::optional<int> NumberIn(const std::u16string& text) {
  const auto value = ParseTypedNumber(text);
  if (!value) return std::nullopt;
  return *value;
}

}  // namespace

CPropertyPageDialogMain::CPropertyPageDialogMain(CPropertySheetOptions* owner)
    : CPropertyPage(nullptr, 167, owner),
      m_highlight(CreateSolidBrush(kHighlight)),
      m_boldFont(CreatePageFont(14, 700)) {}

CPropertyPageDialogMain::~CPropertyPageDialogMain() {
  if (m_highlight) DeleteObject(m_highlight);
  if (m_boldFont) DeleteObject(m_boldFont);
}

UINT CPropertyPageDialogMain::GetTemplateId() { return TemplateForScreen(166, 168, 169); }
std::u16string CPropertyPageDialogMain::GetTitle() { return Text(u"PAGE MAIN"); }

CPropertySheetOptions* CPropertyPageDialogMain::Sheet() const { return static_cast<CPropertySheetOptions*>(m_owner); }

bool CPropertyPageDialogMain::CellMode() const {
  CRilMgr* ril = CRilMgr::GetInstance();
  return ril != nullptr && ril->UseCellId() != 0;
}

const WCHAR* CPropertyPageDialogMain::KindWord(bool cell) { return cell ? u"Cell" : u"LAC"; }

void CPropertyPageDialogMain::ReadCurrentLocation() {
  if (CRilMgr* ril = CRilMgr::GetInstance()) {
    m_currentCell = static_cast<int>(ril->GetCellId());
    m_currentLac = static_cast<int>(ril->GetLac());
  }
}

void CPropertyPageDialogMain::ReadLocationEdits() {
  WCHAR buffer[260] = {};
  GetDlgItemTextW(m_hwnd, kEditCell, buffer, 260);
  if (auto value = NumberIn(buffer)) m_currentCell = *value;
  GetDlgItemTextW(m_hwnd, kEditLac, buffer, 260);
  if (auto value = NumberIn(buffer)) m_currentLac = *value;
}

void CPropertyPageDialogMain::ChangeInDB() {
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
}

INT_PTR CPropertyPageDialogMain::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  ReadCurrentLocation();
  HWND list = GetDlgItem(hwnd, kList);
  AddListExtendedStyle(list, 0x10000061);
  RECT client{};
  GetClientRect(list, &client);
  InsertListColumn(list, 0, client.right / 2, u"Cell ID");
  InsertListColumn(list, 1, client.right - client.right / 2, u"LAC");
  for (int group : {kGroupLandscape, kGroupMode, kGroupAllocate})
    if (HWND control = GetDlgItem(hwnd, group)) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_boldFont), TRUE);
  SetItemText(kGroupMode, u"LOCATION MODE");
  SetItemText(kGroupAllocate, u"ALLOCATE PLACES TO PROFILES");
  SetItemText(kLabelCurrent, u"CURRENT LOCATION");
  SetItemText(kLabelProfile, u"STATIC SELECT PROFILE");
  SetItemText(kButtonAllocate, u"ASSIGN");
  CRilMgr* ril = CRilMgr::GetInstance();
  CDB* db = CDB::GetInstance();
  if (ril && db && db->GetLocationTable()) {
    std::unique_ptr<CStrLocation> location = CreateLocationRecord();
    location->SetValue(static_cast<int>(ril->GetLocationKey()));
    if (db->GetLocationTable()->FindAndFill(*location)) ShowRegistry(location->GetPlace());
  }
  return TRUE;
}

INT_PTR CPropertyPageDialogMain::OnSetActive() {
  ReadCurrentLocation();
  SetDlgItemTextW(m_hwnd, kEditCell, NumberText(m_currentCell).c_str());
  SetDlgItemTextW(m_hwnd, kEditLac, NumberText(m_currentLac).c_str());
  const bool cell = CellMode();
  CheckDlgButton(m_hwnd, kRadioCell, cell ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(m_hwnd, kRadioLac, cell ? BST_UNCHECKED : BST_CHECKED);
  HWND combo = GetDlgItem(m_hwnd, kComboPlaces);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
  std::vector<CStrPlace> places;
  if (CDB* db = CDB::GetInstance(); db && db->GetPlacesTable()) db->GetPlacesTable()->GetAllRecords(places);
  for (const CStrPlace& place : places) {
    const auto index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(place.GetName().c_str()));
    if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), place.GetIdPlace());
  }
  if (CStrPlace* selected = Sheet()->GetSelectedPlace()) ShowRegistry(selected->GetIdPlace());
  SetSoftKeyText(kLeftKey, Text(u"CANCEL"));
  SetSoftKeyText(kMenuKey, Text(u"MENU_MENU"));
  SetMenuItem(kMenuKey, 0, kCmdAddLocation, Text(u"MENU_ADD_LOCATION"));
  SetMenuItem(kMenuKey, 1, kCmdRemoveLocation, Text(u"MENU_REMOVE_LOCATION"));
  SetMenuItem(kMenuKey, 2, kHelpCommand, Text(u"MENU_HELP_TEXT"));
  return TRUE;
}

INT_PTR CPropertyPageDialogMain::OnKillActive() {
  if (CRilMgr* ril = CRilMgr::GetInstance()) ril->SetLocationMode(IsDlgButtonChecked(m_hwnd, kRadioLac) ? 0 : 1);
  return TRUE;
}

void CPropertyPageDialogMain::ShowRegistry(int place_id) {
  std::unique_lock<std::mutex> lock(m_showLock, std::try_to_lock);
  if (!lock.owns_lock()) return;
  m_shownPlace.Reset();
  m_shownPlace.SetIdPlace(place_id);
  if (CDB* db = CDB::GetInstance(); db && db->GetPlacesTable()) {
    CStrPlace found;
    found.SetIdPlace(place_id);
    // A place that is not stored is shown by its key alone.
    if (db->GetPlacesTable()->FindAndFill(found)) m_shownPlace = found;
  }
  Sheet()->SetSelectedPlace(&m_shownPlace);
  SetDlgItemTextW(m_hwnd, kDescription, m_shownPlace.GetDescription().c_str());
  if (FillLocationsList(place_id)) {
    SetItemText(kButtonAllocate, u"UNASSIGN");
    m_allocateMode = false;
  } else {
    SetItemText(kButtonAllocate, u"ASSIGN");
    m_allocateMode = true;
  }
  SelectPlaceInCombo(place_id);
  HBITMAP image = m_shownPlace.GetImage().empty() ? nullptr : CButtonOwnDrawImage::GetImage(m_shownPlace.GetImage(), 48, 48);
  SendDlgItemMessageW(m_hwnd, kImage, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
}

bool CPropertyPageDialogMain::FillLocationsList(int place_id) {
  if (place_id < 0) return false;
  CDB* db = CDB::GetInstance();
  if (db == nullptr || db->GetCellsTable() == nullptr || db->GetLacsTable() == nullptr) return false;
  db->GetCellsTable()->SortRecords();
  db->GetLacsTable()->SortRecords();
  LocationList cells;
  LocationList lacs;
  db->GetCellsTable()->GetRecordsOfPlace(cells, place_id);
  db->GetLacsTable()->GetRecordsOfPlace(lacs, place_id);
  HWND list = GetDlgItem(m_hwnd, kList);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const bool cell_mode = CellMode();
  bool found = false;
  int visible = 0;
  const std::size_t rows = std::max(cells.size(), lacs.size());
  for (std::size_t i = 0; i < rows; ++i) {
    const int row = AppendListRow(list, i < cells.size() ? NumberText(cells[i]->GetValue()) : u"");
    if (row < 0) continue;
    if (i < lacs.size()) SetListCell(list, row, 1, NumberText(lacs[i]->GetValue()));
    if (!found && cell_mode && i < cells.size() && cells[i]->GetValue() == m_currentCell) found = true, visible = row;
    if (!found && !cell_mode && i < lacs.size() && lacs[i]->GetValue() == m_currentLac) found = true, visible = row;
  }
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(visible), FALSE);
  return found;
}

void CPropertyPageDialogMain::SelectPlaceInCombo(int place_id) {
  HWND combo = GetDlgItem(m_hwnd, kComboPlaces);
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (i > 0 && static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == place_id) {
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return;
    }
  }
}

INT_PTR CPropertyPageDialogMain::OnCtlColorEdit(HWND, UINT, WPARAM wparam, LPARAM lparam) {
  const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
  const bool cell = CellMode();
  if ((id == kEditCell && cell) || (id == kEditLac && !cell)) {
    SetBkColor(reinterpret_cast<HDC>(wparam), kHighlight);
    return reinterpret_cast<INT_PTR>(m_highlight);
  }
  return FALSE;
}

INT_PTR CPropertyPageDialogMain::OnNotifyChild(HWND hwnd, UINT, WPARAM, LPARAM lparam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->idFrom != kList || header->code != NM_CUSTOMDRAW) return FALSE;
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT: return AnswerNotify(hwnd, CDRF_NOTIFYSUBITEMDRAW);
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      const int column = draw->iSubItem;
      if (column != 0 && column != 1) break;
      const std::u16string text = ListCellText(header->hwndFrom, row, column, 19);
      const int current = column == 0 ? m_currentCell : m_currentLac;
      const auto value = text.empty() ? std::nullopt : NumberIn(text);
      if (value && *value == current) draw->clrTextBk = kHighlight;
      else draw->clrTextBk = (row % 2) ? kWhite : kEvenRow;
      SetWindowLongPtrW(hwnd, DWL_MSGRESULT, CDRF_NEWFONT);
      return FALSE;
    }
    default: break;
  }
  return FALSE;
}

INT_PTR CPropertyPageDialogMain::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT id = LOWORD(wparam);
  const UINT code = HIWORD(wparam);
  switch (id) {
    case kComboPlaces:
      if (code == CBN_SELCHANGE) {
        HWND combo = GetDlgItem(hwnd, kComboPlaces);
        const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        if (index >= 0) ShowRegistry(static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0)));
      }
      break;
    case kRadioLac:
    case kRadioCell:
      if (CRilMgr* ril = CRilMgr::GetInstance()) ril->SetLocationMode(id == kRadioCell ? 1 : 0);
      ShowRegistry(m_shownPlace.GetIdPlace());
      InvalidateRect(GetDlgItem(hwnd, kEditCell), nullptr, TRUE);
      InvalidateRect(GetDlgItem(hwnd, kEditLac), nullptr, TRUE);
      InvalidateRect(GetDlgItem(hwnd, kList), nullptr, TRUE);
      break;
    case kButtonAllocate: AllocateCurrentLocation(); break;
    case kEditCell:
    case kEditLac:
      if (code == EN_KILLFOCUS) {
        WCHAR buffer[260] = {};
        GetDlgItemTextW(hwnd, static_cast<int>(id), buffer, 260);
        // A number too large for 32 bits leaves the value as it was.
        if (auto value = NumberIn(buffer)) (id == kEditCell ? m_currentCell : m_currentLac) = *value;
      }
      break;
    case kLeftKey: PostOkToSheet(); break;
    case kCmdAddLocation: AddLocation(); break;
    case kCmdRemoveLocation: RemoveLocation(); break;
    case kHelpCommand: ShowHelp(); break;
    default: break;
  }
  return TRUE;
}

void CPropertyPageDialogMain::AllocateCurrentLocation() {
  ReadLocationEdits();
  const bool cell = CellMode();
  const int value = cell ? m_currentCell : m_currentLac;
  std::unique_ptr<CStrLocation> location = CreateLocationRecord();
  location->SetValue(value);
  if (m_shownPlace.GetIdPlace() == -1) {
    ErrorBox(nullptr, u"%s", Text(u"SELECT PROFILE"));
    return;
  }
  CDB* db = CDB::GetInstance();
  CTableLocation* table = db ? db->GetLocationTable() : nullptr;
  if (table == nullptr) return;
  const std::u16string question = Text(m_allocateMode ? u"CONFIRM ALLOCATE" : u"CONFIRM DEALLOCATE");
  const int answer = QuestionBox(nullptr, question.c_str(), KindWord(cell), value, m_shownPlace.GetName());
  if (!m_allocateMode) {
    if (answer == IDYES) {
      if (table->SeekById(*location) == 0) {
        ErrorBox(nullptr, u"%s", Text(u"LOCATION NOT FOUND"));
      } else {
        table->DeleteRecord(*location);
        ChangeInDB();
      }
    }
  } else if (answer == IDYES) {
    location->SetPlace(m_shownPlace.GetIdPlace());
    if (table->SeekById(*location) == 0) {
      table->Insert(*location);
    } else if (MessageBoxW(nullptr, Text(u"LOCATION ASSIGNED").c_str(), u"", MB_YESNO | MB_ICONQUESTION) == IDYES) {
      table->Update(*location);
    }
  }
  ChangeInDB();
  ShowRegistry(m_shownPlace.GetIdPlace());
}

void CPropertyPageDialogMain::AddLocation() {
  if (m_shownPlace.GetIdPlace() < 0) {
    ErrorBox(m_hwnd, u"%s", Text(u"SELECT PROFILE"));
    return;
  }
  CDialogAddLocation dialog(m_hwnd, 167, CellMode() ? 1 : 0);
  if (dialog.DoModal() != 1) return;
  CDB* db = CDB::GetInstance();
  CTableLocation* table = db ? db->GetLocationTable() : nullptr;
  if (table == nullptr) return;
  std::unique_ptr<CStrLocation> location = CreateLocationRecord();
  location->SetValue(dialog.m_value);
  location->SetPlace(m_shownPlace.GetIdPlace());
  table->Insert(*location);
  ChangeInDB();
  ShowRegistry(m_shownPlace.GetIdPlace());
}

void CPropertyPageDialogMain::RemoveLocation() {
  HWND list = GetDlgItem(m_hwnd, kList);
  const int row = ListNextSelected(list);
  if (row < 0) {
    MessageBoxW(nullptr, Text(u"SELECT LOCATION").c_str(), u"", MB_OK);
    return;
  }
  const bool cell = CellMode();
  const auto value = NumberIn(ListCellText(list, row, cell ? 0 : 1, 19));
  if (!value || *value < 1) {
    TextBox(nullptr, Text(u"SELECT ROW VALID CELL").c_str(), KindWord(cell));
    return;
  }
  if (QuestionBox(nullptr, Text(u"CONFIRM DEALLOCATE").c_str(), KindWord(cell), *value, m_shownPlace.GetName()) != IDYES)
    return;
  CDB* db = CDB::GetInstance();
  CTableLocation* table = db ? db->GetLocationTable() : nullptr;
  if (table == nullptr) return;
  std::unique_ptr<CStrLocation> location = CreateLocationRecord();
  location->SetValue(*value);
  table->DeleteRecord(*location);
  ChangeInDB();
  ShowRegistry(m_shownPlace.GetIdPlace());
}

INT_PTR CPropertyPageDialogMain::OnContextMenuChild(HWND hwnd, UINT, WPARAM wparam, LPARAM lparam) {
  HWND list = GetDlgItem(hwnd, kList);
  if (reinterpret_cast<HWND>(wparam) != list) return TRUE;
  const int row = ListNextSelected(list);
  if (row < 0) return TRUE;
  const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  RECT bounds{};
  GetWindowRect(list, &bounds);
  const auto first_width = SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0);
  const int column = (at.x >= bounds.left && at.x <= bounds.left + first_width) ? 0 : 1;
  const auto value = NumberIn(ListCellText(list, row, column, 19));
  if (!value || *value <= 0) return TRUE;
  HMENU menu = LoadMenuW(CApp::GetAppInstance(), MAKEINTRESOURCEW(168));
  HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
  if (popup == nullptr) {
    if (menu) DestroyMenu(menu);
    return TRUE;
  }
  DeleteMenu(popup, 0, MF_BYPOSITION);
  InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, kCmdUnassign, Text(u"UNASSIGN").c_str());
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_RETURNCMD, at.x, at.y, hwnd, nullptr));
  DestroyMenu(menu);
  if (chosen == 0) return TRUE;
  const bool cell = column == 0;
  if (QuestionBox(nullptr, Text(u"CONFIRM DEALLOCATE").c_str(), KindWord(cell), *value, m_shownPlace.GetName()) != IDYES)
    return TRUE;
  // The column says the table: cells are in column 0, LACs in column 1, whatever the mode.
  CDB* db = CDB::GetInstance();
  CTableLocation* table = db ? (cell ? static_cast<CTableLocation*>(db->GetCellsTable()) : db->GetLacsTable()) : nullptr;
  if (table == nullptr) return TRUE;
  std::unique_ptr<CStrLocation> location;
  if (cell) location = std::make_unique<CStrCell>();
  else location = std::make_unique<CStrLAC>();
  location->SetValue(*value);
  table->DeleteRecord(*location);
  ChangeInDB();
  ShowRegistry(m_shownPlace.GetIdPlace());
  return TRUE;
}
