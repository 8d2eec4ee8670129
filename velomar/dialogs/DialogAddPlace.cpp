#include "velomar/dialogs/DialogAddPlace.h"

#include "platform/controls/controls.h"
#include "platform/dialogs/aygshell.h"
#include "platform/dialogs/message_box.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/dialogs/DialogChooseList.h"
#include "velomar/dialogs/ScreenMode.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/ButtonOwnDrawImage.h"

namespace {
constexpr int kNameEdit = 1001;
constexpr int kDescriptionEdit = 1002;
constexpr int kChangeIcon = 1003;
constexpr int kDescriptionLabel = 1008;
constexpr int kTextChars = 258;
constexpr const WCHAR* kUnknownImage = u"place_unknown.png";
}  // namespace

CDialogAddPlace::CDialogAddPlace(HWND parent, UINT template_id, CStrPlace* place, int is_new, int* customise_actions)
    : CBaseDialog(template_id, parent, nullptr, 8), m_place(place), m_new(is_new), m_customise(customise_actions) {}

INT_PTR CDialogAddPlace::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogAddPlace::OnInit");
  if (m_new) {
    m_working.SetImage(kUnknownImage);
  } else {
    CDB* db = CDB::GetInstance();
    if (m_place == nullptr || db == nullptr || !db->GetPlacesTable()->FindAndFill(*m_place)) {
      ErrorBox(nullptr, u"%s", u"Place to edit not found");
      EndDialog(hwnd, 0);
      return TRUE;
    }
    m_working = *m_place;
    if (m_working.GetImage().empty()) m_working.SetImage(kUnknownImage);
  }
  SetDlgItemTextW(hwnd, kNameEdit, m_working.GetName().c_str());
  SetDlgItemTextW(hwnd, kDescriptionEdit, m_working.GetDescription().c_str());
  SetCaption(u"DIALOG_ADD_PLACE_TITLE");
  SetItemText(1103, u"DIALOG_ADD_PLACE_NAME");
  SetItemText(kDescriptionLabel, u"DIALOG_ADD_PLACE_DESCRIPTION");
  SetItemText(kChangeIcon, u"DIALOG_ADD_PLACE_CHANGE_ICON");
  SetStandardSoftKeys(kCmdMenuKeyAlt, kCmdSaveAddPlace);
  return TRUE;
}

INT_PTR CDialogAddPlace::OnPaint(HWND hwnd, UINT, WPARAM wparam, LPARAM lparam) {
  // The dialog's own painting first, then the image over it.
  DefDlgProcW(hwnd, WM_PAINT, wparam, lparam);
  if (m_working.GetImage().empty()) return TRUE;
  HBITMAP image = CButtonOwnDrawImage::LoadImage(m_working.GetImage());
  HWND label = GetDlgItem(hwnd, kDescriptionLabel);
  if (image == nullptr || label == nullptr) return TRUE;
  BITMAP info{};
  GetObjectW(image, sizeof info, &info);
  RECT at{};
  GetWindowRect(label, &at);
  // The label's rectangle on the screen, taken into the dialog's client coordinates.
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&at), 2);
  HDC dc = GetDC(hwnd);
  HBRUSH frame = CreateSolidBrush(RGB(0, 200, 255));
  const RECT back{at.left, at.bottom + 1, at.left + info.bmWidth + 4, at.bottom + 1 + info.bmHeight + 4};
  FillRect(dc, &back, frame);
  DeleteObject(frame);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, image);
  BitBlt(dc, at.left + 2, at.bottom + 3, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  ReleaseDC(hwnd, dc);
  return TRUE;
}

INT_PTR CDialogAddPlace::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  if (HIWORD(wparam) == EN_SETFOCUS) SHSipPreference(hwnd, SIP_UP);
  const UINT command = LOWORD(wparam);
  if (command == kChangeIcon) {
    CDialogChooseIcon chooser(hwnd, velomar::dialogs::TemplateForScreen(153, 154, 155));
    if (chooser.DoModal() == 1) {
      const auto& names = chooser.GetFileNames();
      if (chooser.m_chosenKey >= 0 && static_cast<std::size_t>(chooser.m_chosenKey) < names.size())
        m_working.SetImage(names[static_cast<std::size_t>(chooser.m_chosenKey)]);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
  } else if (command == IDCANCEL) {
    EndDialog(hwnd, 2);
  } else if (command == IDOK || command == kCmdSaveAddPlace) {
    if (m_new) SaveNew();
    else SaveExisting();
  }
  return TRUE;
}

bool CDialogAddPlace::ReadControls() {
  const std::u16string name = ItemText(kNameEdit, kTextChars);
  const std::u16string description = ItemText(kDescriptionEdit, kTextChars);
  if (name.empty() || description.empty()) {
    MessageBoxW(m_dialog, Text(u"PLEASE FILL DATA").c_str(), nullptr, MB_ICONHAND);
    return false;
  }
  m_working.SetName(name);
  m_working.SetDescription(description);
  return m_place != nullptr;
}

void CDialogAddPlace::SaveExisting() {
  Trace(0, u"CDialogAddPlace::SaveExisting");
  if (!ReadControls()) return;
  *m_place = m_working;
  CDB::GetInstance()->GetPlacesTable()->Update(*m_place);
  EndDialog(m_dialog, 1);
}

void CDialogAddPlace::SaveNew() {
  Trace(0, u"CDialogAddPlace::SaveNew");
  if (!ReadControls()) return;
  *m_place = m_working;
  CDB* db = CDB::GetInstance();
  db->GetPlacesTable()->Insert(*m_place);
  if (QuestionBox(m_dialog, u"%s", Text(u"CONFIRM CREATE DEFAULT SCHEDULE").c_str()) == IDYES) {
    CStrPeriod period;
    period.SetIdPlace(m_place->GetIdPlace());
    period.SetBegin(SYSTEMTIME{});
    period.SetEnd(SYSTEMTIME{});
    period.SetName(Text(u"NAME DEFAULT TIME FRAME"));
    db->GetPeriodsTable()->Insert(period);
    const int customise = QuestionBox(m_dialog, u"%s", Text(u"CONFIRM CUSTOMIZA ACTION").c_str()) == IDYES ? 1 : 0;
    if (m_customise) *m_customise = customise;
  }
  CScheduleEngine::GetInstance()->ChangeInDB();
  EndDialog(m_dialog, 1);
}
