// The profiles page: its set-up, activation, the profile selector, the time-frame list with its
// day bar, the menu texts, and adding or editing profiles and time frames.
#include "velomar/dialogs/PropertyPageDialogProfiles.h"

#include <algorithm>
#include <memory>

#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/aygshell.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/menus/menus.h"
#include "platform/menus/softkey_bar.h"
#include "platform/resources/resources.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/dialogs/DialogAddPlace.h"
#include "velomar/dialogs/DialogTimeFrame.h"
#include "velomar/dialogs/ProfileDayBar.h"
#include "velomar/dialogs/PropertyPageDialogMain.h"
#include "velomar/dialogs/PropertySheetOptions.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/MenuTexts.h"
#include "velomar/ui/SoftKeys.h"
#include "velomar/ui/Translator.h"

using namespace velomar::profiles;

namespace {

constexpr UINT kMenuBar = 171;
constexpr UINT kMenu = 170;
constexpr UINT kLeftKey = 101;
constexpr UINT kMenuKey = 40006;
// Grid lines, full-row select, one-click activation, no horizontal scroll bar.
constexpr LPARAM kListStyles = 0x10000061;

CTranslator* Tr() { return CTranslator::GetInstance(); }

void AddColumn(HWND list, int index, const std::u16string& title, int width) {
  std::u16string text = title;
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = text.data();
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void AddListStyles(HWND list) {
  const LRESULT styles = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles | kListStyles);
}

int WindowWidth(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.right - r.left;
}

std::u16string HourMinute(const SYSTEMTIME& t) { return ce::text::Format(u"%02d:%02d", t.wHour, t.wMinute); }


}  // namespace

CPropertyPageDialogProfiles::CPropertyPageDialogProfiles(CPropertySheet* owner)
    : CPropertyPage(nullptr, kMenuBar, owner), m_lock(CreateMutexW(nullptr, FALSE, nullptr)) {}

CPropertyPageDialogProfiles::~CPropertyPageDialogProfiles() {
  if (m_lock) CloseHandle(m_lock);
}

CPropertySheetOptions* CPropertyPageDialogProfiles::Sheet() const {
  return dynamic_cast<CPropertySheetOptions*>(GetOwner());
}

UINT CPropertyPageDialogProfiles::GetTemplateId() {
  switch (velomar::dialogs::ScreenMode()) {
    case 0: return 171;
    case 1: return 172;
    default: return 170;
  }
}

std::u16string CPropertyPageDialogProfiles::GetTitle() { return Tr()->GetText(u"PAGE PROFILES"); }

INT_PTR CPropertyPageDialogProfiles::OnInitDialogChild(HWND hwnd, UINT, WPARAM, LPARAM) {
  if (m_hwnd == nullptr) m_hwnd = hwnd;
  if (HWND frames = Item(kTimeFrameList)) {
    AddListStyles(frames);
    const int width = WindowWidth(frames);
    AddColumn(frames, 0, Tr()->GetText(u"DIALOG_PROFILES_NAME"), width - 90);
    AddColumn(frames, 1, Tr()->GetText(u"DIALOG_PROFILES_INIT"), 40);
    AddColumn(frames, 2, Tr()->GetText(u"DIALOG_PROFILES_END"), 40);
  }
  if (HWND actions = Item(kActionList)) {
    AddListStyles(actions);
    const int third = WindowWidth(actions) / 3;
    AddColumn(actions, 0, Tr()->GetText(u"DIALOG_PROFILES_ACTION"), third);
    AddColumn(actions, 1, Tr()->GetText(u"DIALOG_PROFILES_ON_ENTER"), third);
    AddColumn(actions, 2, Tr()->GetText(u"DIALOG_PROFILES_ON_EXIT"), third);
  }
  // The profile of the current location, when the location table knows it.
  CDB* db = CDB::GetInstance();
  CRilMgr* ril = CRilMgr::GetInstance();
  if (db && ril) {
    std::unique_ptr<CStrLocation> location = CreateLocationRecord();
    location->SetValue(static_cast<int>(ril->GetLocationKey()));
    if (CTableLocation* table = db->GetLocationTable(); table && table->FindAndFill(*location))
      ShowRegistry(location->GetPlace());
  }
  SetWindowTextW(hwnd, Tr()->GetText(u"DIALOG_PROFILES_TITLE").c_str());
  SetDlgItemTextW(hwnd, kProfileLabel, Tr()->GetText(u"DIALOG_PROFILES_SELECT_PROFILE").c_str());
  return TRUE;
}

INT_PTR CPropertyPageDialogProfiles::OnSetActive() {
  m_changed = 0;
  CPropertySheetOptions* sheet = Sheet();
  if (sheet && sheet->GetSelectedPlace() == nullptr) {
    CStrPlace place;
    CRilMgr* ril = CRilMgr::GetInstance();
    if (ril && ril->FindPlaceOfLocation(place)) {
      // The place of the current location becomes the one both pages show.
      m_timeFrame.SetIdPlace(place.GetIdPlace());
      if (CPropertyPageDialogMain* main = sheet->GetMainPage()) {
        main->GetShownPlace() = place;
        sheet->SetSelectedPlace(&main->GetShownPlace());
      }
    }
  }
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) {
    const CStrPeriod current = engine->GetCurrentPeriod();
    if (current.GetKey() != -1 && current.GetIdPlace() == m_profile.GetIdPlace()) m_timeFrame = current;
  }
  FillProfileCombo();
  if (sheet && sheet->GetSelectedPlace() != nullptr) ShowRegistry(sheet->GetSelectedPlace()->GetIdPlace());
  HWND bar = GetMenuBar() ? GetMenuBar() : SHFindMenuBar(m_hwnd);
  if (bar) {
    velomar::ui::SetSoftKeyText(bar, kLeftKey, Tr()->GetText(u"CANCEL"));
    velomar::ui::SetSoftKeyText(bar, kMenuKey, Tr()->GetText(u"MENU_MENU"));
    if (auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, kMenuKey)))
      velomar::ui::TranslateMenu(menu, *Tr());
  }
  return TRUE;
}

INT_PTR CPropertyPageDialogProfiles::OnKillActive() {
  if (m_changed)
    if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
  return TRUE;
}

void CPropertyPageDialogProfiles::ShowRegistry(int place_key) {
  // Whoever holds the lock is showing a profile already.
  if (WaitForSingleObject(m_lock, 0) != WAIT_OBJECT_0) return;
  if (place_key == -1) {
    m_profile.Reset();
    if (HWND frames = Item(kTimeFrameList)) SendMessageW(frames, LVM_DELETEALLITEMS, 0, 0);
    ForgetTimeFrame();
  } else {
    CStrPlace place;
    place.SetIdPlace(place_key);
    CDB* db = CDB::GetInstance();
    if (db && db->GetPlacesTable()->FindAndFill(place)) {
      m_profile = place;
    } else {
      // A place the table does not hold: just its key.
      m_profile.Reset();
      m_profile.SetIdPlace(place_key);
    }
    m_timeFrame.SetIdPlace(place_key);
    if (CPropertySheetOptions* sheet = Sheet()) {
      sheet->SetSelectedPlace(&m_profile);
      FillTimeFrameList(m_timeFrame.GetKey());
      SelectProfileInCombo(place_key);
    }
  }
  ReleaseMutex(m_lock);
}

void CPropertyPageDialogProfiles::FillProfileCombo() {
  HWND combo = Item(kProfileCombo);
  if (combo == nullptr) return;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
  SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(-1));
  std::vector<CStrPlace> places;
  if (CDB* db = CDB::GetInstance()) db->GetPlacesTable()->GetAllRecords(places);
  for (const CStrPlace& place : places) {
    at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(place.GetName().c_str()));
    if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), place.GetIdPlace());
  }
}

void CPropertyPageDialogProfiles::SelectProfileInCombo(int place_key) {
  HWND combo = Item(kProfileCombo);
  if (combo == nullptr) return;
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == place_key)
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

std::vector<CStrPeriod> CPropertyPageDialogProfiles::SortedTimeFrames() {
  std::vector<CStrPeriod> periods;
  if (CDB* db = CDB::GetInstance(); db && m_profile.GetIdPlace() != -1)
    db->GetPeriodsTable()->GetAllRecordsForPlace(periods, m_profile.GetIdPlace());
  return SortedByBegin(std::move(periods));
}

int CPropertyPageDialogProfiles::FillTimeFrameList(int key) {
  HWND list = Item(kTimeFrameList);
  if (list == nullptr) return -1;
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  if (m_profile.GetIdPlace() == -1) {
    ForgetTimeFrame();
    return -1;
  }
  int marked = -1;
  int index = 0;
  for (const CStrPeriod& period : SortedTimeFrames()) {
    if (period.GetIdPlace() != m_profile.GetIdPlace()) continue;
    std::u16string name = period.GetName();
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = name.data();
    item.lParam = period.GetKey();
    const int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int column = 1; column <= 2; ++column) {
      std::u16string text = HourMinute(column == 1 ? period.GetBegin() : period.GetEnd());
      LVITEMW sub{};
      sub.iSubItem = column;
      sub.pszText = text.data();
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&sub));
    }
    if (period.GetKey() == key) {
      SendMessageW(list, LVM_SETSELECTIONMARK, 0, at);
      marked = key;
    }
    ++index;
  }
  if (marked == -1) {
    SendMessageW(list, LVM_SETSELECTIONMARK, 0, 0);
    if (index > 0) {
      LVITEMW first{};
      first.mask = LVIF_PARAM;
      first.iItem = 0;
      if (SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&first))) marked = static_cast<int>(first.lParam);
    }
  }
  InvalidateRect(m_hwnd, nullptr, TRUE);
  if (marked != -1)
    SelectTimeFrame(marked);
  else
    ForgetTimeFrame();  // no time frame is shown: none is edited either
  return marked;
}

COLORREF CPropertyPageDialogProfiles::GetTimeFrameColor(int key) { return TimeFrameColor(SortedTimeFrames(), key); }

INT_PTR CPropertyPageDialogProfiles::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd, &paint);
  HWND list = Item(kTimeFrameList);
  if (dc && list) {
    RECT r{};
    GetWindowRect(list, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    const int left = r.left, bottom = r.bottom;
    const int width = r.right - r.left;
    const int top = bottom + 1, end = bottom + 7;
    Rectangle(dc, left, top, r.right, end);
    SetBkMode(dc, TRANSPARENT);
    for (const DayBarStretch& stretch : DayBarStretches(SortedTimeFrames(), width)) {
      RECT fill{left + stretch.left, top, left + stretch.right, end};
      HBRUSH brush = CreateSolidBrush(stretch.color);
      FillRect(dc, &fill, brush);
      DeleteObject(brush);
      for (int x : {left + stretch.left, left + stretch.right}) {
        MoveToEx(dc, x, top, nullptr);
        LineTo(dc, x, end);
      }
    }
  }
  EndPaint(hwnd, &paint);
  return TRUE;
}

INT_PTR CPropertyPageDialogProfiles::OnContextMenuChild(HWND hwnd, UINT, WPARAM wparam, LPARAM lparam) {
  HWND list = Item(kTimeFrameList);
  if (list == nullptr || reinterpret_cast<HWND>(wparam) != list) return TRUE;
  const int mark = static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
  if (mark < 0) return TRUE;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = mark;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) || item.lParam <= 0) return TRUE;
  HMENU menu = LoadMenuW(CApp::GetAppInstance(), MAKEINTRESOURCEW(kMenu));
  if (menu == nullptr) return TRUE;
  HMENU frames = GetSubMenu(GetSubMenu(menu, 0), 1);
  if (frames) {
    const struct {
      const char16_t* id;
      UINT command;
    } entries[] = {{u"MENU_ADD", kCmdAddTimeFrame}, {u"MENU_EDIT", kCmdEditTimeFrame}, {u"MENU_REMOVE", kCmdRemoveTimeFrame}};
    for (UINT i = 0; i < 3; ++i) {
      DeleteMenu(frames, i, MF_BYPOSITION);
      InsertMenuW(frames, i, MF_BYPOSITION | MF_STRING, entries[i].command, Tr()->GetText(entries[i].id).c_str());
    }
    const int x = static_cast<short>(LOWORD(lparam));
    const int y = static_cast<short>(HIWORD(lparam));
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(frames, TPM_RETURNCMD, x, y, list, nullptr));
    if (command != 0) SendMessageW(hwnd, WM_COMMAND, command, 0);
  }
  DestroyMenu(menu);
  return TRUE;
}

void CPropertyPageDialogProfiles::AddTimeFrame() {
  CDialogTimeFrame dialog(m_hwnd, velomar::dialogs::TemplateForScreen(127, 118, 141), &m_timeFrame, 1);
  if (dialog.DoModal() != 1) return;
  FillTimeFrameList(-1);
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
}

bool CPropertyPageDialogProfiles::MarkedTimeFrameKey(int& key) {
  HWND list = Item(kTimeFrameList);
  if (list == nullptr) throw CBaseException(u"%s", u"Lac list control not found");
  const int mark = static_cast<int>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
  if (mark < 0 || mark >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))) {
    ErrorBox(m_hwnd, u"%s", Tr()->GetText(u"SELECT PERIOD").c_str());
    return false;
  }
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = mark;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
    ProcesarError(u"Error getting id from period");
    return false;
  }
  key = static_cast<int>(item.lParam);
  return true;
}

void CPropertyPageDialogProfiles::EditTimeFrame() {
  int key = -1;
  if (!MarkedTimeFrameKey(key)) return;
  m_timeFrame.SetKey(key);
  if (CDB* db = CDB::GetInstance()) db->GetPeriodsTable()->FindAndFill(m_timeFrame);
  CDialogTimeFrame dialog(m_hwnd, velomar::dialogs::TemplateForScreen(127, 118, 141), &m_timeFrame, 0);
  if (dialog.DoModal() != 1) return;
  FillTimeFrameList(-1);
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
}

void CPropertyPageDialogProfiles::AddProfile() {
  CDialogAddPlace dialog(m_hwnd, velomar::dialogs::TemplateForScreen(107, 108, 139), &m_profile, 1, nullptr);
  if (dialog.DoModal() != 1) return;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  FillProfileCombo();
  FillTimeFrameList(-1);
  ShowRegistry(m_profile.GetIdPlace());
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void CPropertyPageDialogProfiles::EditProfile() {
  if (m_profile.GetIdPlace() == -1) {
    ErrorBox(nullptr, u"%s", Tr()->GetText(u"SELECT PROFILE").c_str());
    return;
  }
  CDialogAddPlace dialog(m_hwnd, velomar::dialogs::TemplateForScreen(107, 108, 139), &m_profile, 0, nullptr);
  dialog.DoModal();
  FillProfileCombo();
  ShowRegistry(m_profile.GetIdPlace());
}

void CPropertyPageDialogProfiles::SetActionsCaption(const std::u16string& profile, const std::u16string& time_frame) {
  std::u16string caption;
  if (!profile.empty() && !time_frame.empty()) {
    caption = Tr()->GetFormatted(u"ACTIONS FO", profile, time_frame);
    if (caption.size() > 259) caption.resize(259);
  }
  SetDlgItemTextW(m_hwnd, kCaption, caption.c_str());
}
