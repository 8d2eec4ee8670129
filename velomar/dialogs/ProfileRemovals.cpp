// Removing the shown profile or the marked time frame of the profiles page, and following the
// time frame chosen in the list. The tables remove what belongs to the removed record (a place's
// cells, LACs, time frames and their actions; a time frame's actions), and the schedule engine is
// told at once.
#include "platform/dialogs/message_box.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/dialogs/PropertyPageDialogMain.h"
#include "velomar/dialogs/PropertyPageDialogProfiles.h"
#include "velomar/dialogs/PropertySheetOptions.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {

CTranslator* Tr() { return CTranslator::GetInstance(); }

void TellEngine() {
  if (CScheduleEngine* engine = CScheduleEngine::GetExisting()) engine->ChangeInDB();
}

}  // namespace

void CPropertyPageDialogProfiles::SelectTimeFrame(int key) {
  CDB* db = CDB::GetInstance();
  if (db == nullptr) return;
  CStrPeriod period;
  period.SetKey(key);
  if (!db->GetPeriodsTable()->FindAndFill(period)) return;
  m_timeFrame = period;
  SetActionsCaption(m_profile.GetName(), m_timeFrame.GetName());
  RefreshActionList();
}

void CPropertyPageDialogProfiles::ForgetTimeFrame() {
  const int place = m_timeFrame.GetIdPlace();
  m_timeFrame = CStrPeriod();
  m_timeFrame.SetIdPlace(place);
  SetDlgItemTextW(m_hwnd, kCaption, u"");
  RefreshActionList();
}

void CPropertyPageDialogProfiles::RemoveTimeFrame() {
  int key = -1;
  if (!MarkedTimeFrameKey(key)) return;
  CDB* db = CDB::GetInstance();
  if (db == nullptr) return;
  CStrPeriod period;
  period.SetKey(key);
  if (!db->GetPeriodsTable()->FindAndFill(period)) return;
  m_timeFrame = period;
  if (QuestionBox(m_hwnd, Tr()->GetText(u"CONFIRM REMOVE TIME FRAME").c_str(), m_timeFrame.GetName(),
                  m_profile.GetName()) != IDYES)
    return;
  db->GetPeriodsTable()->DeleteRecord(m_timeFrame);  // its actions go with it
  FillTimeFrameList(-1);
  RefreshActionList();
  TellEngine();
}

void CPropertyPageDialogProfiles::RemoveProfile() {
  const int key = m_profile.GetIdPlace();
  if (key == -1) {
    ErrorBox(nullptr, u"%s", Tr()->GetText(u"SELECT PROFILE").c_str());
    return;
  }
  if (key == 0) {
    ErrorBox(nullptr, u"%s", Tr()->GetText(u"REMOVE DEFAULT PROFILE NOT ALLOWED").c_str());
    return;
  }
  if (QuestionBox(m_hwnd, Tr()->GetText(u"CONFIRM DELETE PROFILE").c_str(), m_profile.GetName()) != IDYES) return;
  try {
    CDB* db = CDB::GetInstance();
    if (db == nullptr) return;
    db->GetPlacesTable()->DeleteRecord(m_profile);  // its cells, LACs, time frames and actions go with it
    // Neither page may go on showing (and adding to) the removed place: the shared record (the
    // main page's or this page's) forgets it and the sheet has no selected place any more.
    if (CPropertySheetOptions* sheet = Sheet()) {
      CStrPlace* selected = sheet->GetSelectedPlace();
      if (selected && (selected == &m_profile || selected->GetIdPlace() == key)) {
        selected->Reset();
        sheet->SetSelectedPlace(nullptr);
      }
      if (CPropertyPageDialogMain* main = sheet->GetMainPage(); main && main->GetShownPlace().GetIdPlace() == key)
        main->GetShownPlace().SetIdPlace(-1);
    }
    m_profile.Reset();
    FillProfileCombo();
    FillTimeFrameList(-1);
    RefreshActionList();
    InvalidateRect(m_hwnd, nullptr, TRUE);
    TellEngine();
  } catch (const CBaseException& e) {
    MessageBoxW(m_hwnd, e.GetMessage().c_str(), nullptr, MB_OK | MB_ICONHAND);
  }
}
