#include "velomar/places/TableLocation.h"

#include <algorithm>

#include "platform/kernel/kernel.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/places/DB.h"
#include "velomar/places/PropertyValues.h"
#include "velomar/places/TablePlaces.h"

using namespace velomar::places;

namespace {
// The codes of an unreadable row that are logged, with their texts.
const WCHAR* LoggedReadError(DWORD code) {
  switch (code) {
    case ERROR_INVALID_PARAMETER: return u"ERROR_INVALID_PARAMETER";
    case ERROR_INSUFFICIENT_BUFFER: return u"ERROR_INSUFFICIENT_BUFFER ";
    case ERROR_NO_DATA: return u"ERROR_NO_DATA ";
    case ERROR_NO_MORE_ITEMS: return u"ERROR_NO_MORE_ITEMS ";
    case ERROR_KEY_DELETED: return u"ERROR_KEY_DELETED";
    default: return nullptr;
  }
}
}  // namespace

CTableLocation::CTableLocation(CDB* owner, const WCHAR* name) : CTableBase(owner, name) {}

CTableLocation::~CTableLocation() { m_cache.clear(); }

void CTableLocation::OpenTable() { OpenByName(); }

void CTableLocation::CreateTable() {
  CreateWithProps(CEDB_VALIDNAME | CEDB_VALIDSORTSPEC, 0,
                  {{kPropLocationValue, u"ID_LAC", 1}, {kPropLocationPlace, u"ID_PLACE", 1}});
}

void CTableLocation::Insert(CStrBase& record) {
  CStrLocation& location = As<CStrLocation>(record);
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  CEPROPVAL values[2] = {IntValue(kPropLocationValue, location.GetValue()),
                         IntValue(kPropLocationPlace, location.GetPlace())};
  const CEOID id = CeWriteRecordProps(GetHandle(), 0, 2, values);
  location.SetId(id);
  if (id == 0) ThrowWriteError();
  InvalidateCache();
}

void CTableLocation::Update(CStrBase& record) {
  CStrLocation& location = As<CStrLocation>(record);
  UpdateRow(location, {IntValue(kPropLocationPlace, location.GetPlace())}, [this] { RaiseUpdateError(); });
}

void CTableLAC::RaiseUpdateError() { throw CExceptionDB(u"Exception upgrading registry in lac table"); }

bool CTableLocation::FindAndFill(CStrBase& record) {
  CStrLocation& location = As<CStrLocation>(record);
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  EnsureCache();
  bool found = false;
  const int value = location.GetValue();
  for (const Row& row : m_cache) {
    if (row.value != value) continue;
    location.SetId(row.id);
    location.SetValue(row.value);
    location.SetPlace(row.place);
    found = true;
  }
  return found;
}

bool CTableLocation::CheckIntegrity(int& count) {
  LocationList rows;
  GetAllRecords(rows);
  count = static_cast<int>(rows.size());
  // The places table is asked without holding this table's lock (its lock comes first).
  CTablePlaces* places = GetOwner()->GetPlacesTable();
  for (const auto& row : rows) {
    CStrPlace place;
    place.SetIdPlace(row->GetPlace());
    if (places->SeekById(place) == 0) return false;
  }
  return true;
}

void CTableLocation::SortRecords() {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  std::stable_sort(m_cache.begin(), m_cache.end(), [](const Row& a, const Row& b) { return a.value < b.value; });
}

void CTableLocation::EnsureCache() {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  if (m_cacheValid || !IsOpen()) return;
  m_cache.clear();
  LoadRows();
  m_cacheValid = true;
}

void CTableLocation::ClearCache() {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  m_cache.clear();
  m_cacheValid = false;
}

void CTableLocation::LoadRows() {
  std::vector<CEPROPID> ids = {kPropLocationValue, kPropLocationPlace};
  for (DWORD offset = 0;; ++offset) {
    const CEOID id = SeekOffset(offset);
    if (id == 0) break;
    Row row{id, 0, 0};
    ReadBuffer buffer;
    WORD count = 0;
    if (ReadRow(&ids, buffer, count) == 0) {
      // An unreadable row still enters the cache, with the fields it got (none).
      if (const WCHAR* text = LoggedReadError(GetLastError())) ProcesarError(text);
    } else {
      for (WORD i = 0; i < count; ++i) {
        const CEPROPVAL& value = buffer.Values()[i];
        if (value.wFlags & CEDB_PROPNOTFOUND) continue;
        if (value.propid == kPropLocationValue) row.value = value.val.lVal;
        if (value.propid == kPropLocationPlace) row.place = value.val.lVal;
      }
    }
    m_cache.push_back(row);
  }
}

std::unique_ptr<CStrLocation> CTableLocation::Copy(const Row& row) const {
  std::unique_ptr<CStrLocation> copy = NewLocation();
  copy->Reset();
  copy->SetId(row.id);
  copy->SetValue(row.value);
  copy->SetPlace(row.place);
  return copy;
}

void CTableLocation::GetAllRecords(LocationList& out) {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  EnsureCache();
  out.clear();
  for (const Row& row : m_cache) out.push_back(Copy(row));
}

void CTableLocation::GetRecordsOfPlace(LocationList& out, int place_key) {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  EnsureCache();
  for (const Row& row : m_cache)
    if (row.place == place_key) out.push_back(Copy(row));
}

void CTableLocation::DeleteLocationsOfPlace(const CStrPlace& place) {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  LocationList rows;
  GetRecordsOfPlace(rows, place.GetIdPlace());
  m_clearOnInvalidate = 0;
  try {
    for (auto& row : rows) DeleteRecord(*row);
  } catch (...) {
    m_clearOnInvalidate = 1;
    InvalidateCache();
    throw;
  }
  m_clearOnInvalidate = 1;
  InvalidateCache();
}
