#include "velomar/core/managers/CellRecord.h"

#include <memory>

#include "velomar/core/Config.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/Records.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {

// The radio's location mode: nonzero keys places by cell id.
bool UseCellId() {
  if (CRilMgr* ril = CRilMgr::GetInstance()) return ril->UseCellId() != 0;
  return CConfig::GetInstance()->GetDWORD(u"location_mode") != 0;
}

}  // namespace

CCellRecord::CCellRecord(DWORD cell_id, DWORD lac, const SYSTEMTIME& time, bool from_notification)
    : m_cellId(cell_id), m_lac(lac), m_time(time), m_fromNotification(from_notification) {}

DWORD CCellRecord::GetCellId(bool resolve) {
  if (resolve) ResolveIfDue();
  return m_cellId;
}

DWORD CCellRecord::GetLac(bool resolve) {
  if (resolve) ResolveIfDue();
  return m_lac;
}

SYSTEMTIME CCellRecord::GetTime() {
  ResolveIfDue();
  return m_time;
}

std::u16string CCellRecord::GetText() {
  ResolveIfDue();
  return m_text;
}

void CCellRecord::LookUpPlace() {
  CDB* db = CDB::GetInstance();
  if (!db) return;
  const bool by_cell = UseCellId();
  try {
    std::unique_ptr<CStrLocation> location;
    CTableLocation* table = nullptr;
    if (by_cell) {
      location = std::make_unique<CStrCell>();
      table = db->GetCellsTable();
    } else {
      location = std::make_unique<CStrLAC>();
      table = db->GetLacsTable();
    }
    if (!table || !table->IsOpen()) return;
    location->SetValue(static_cast<int>(by_cell ? m_cellId : m_lac));
    if (!table->FindAndFill(*location)) {
      m_placeId = 0;
      m_text = CTranslator::GetInstance()->GetText(u"UNKNOWN");
      return;
    }
    CTablePlaces* places = db->GetPlacesTable();
    if (!places || !places->IsOpen()) return;
    CStrPlace place;
    place.SetIdPlace(location->GetPlace());
    if (!places->FindAndFill(place)) return;
    m_placeId = place.GetIdPlace();
    m_text = place.GetName();
  } catch (...) {
    // The volume is closed or unreadable for now: the entry is looked up again at the next read.
  }
}
