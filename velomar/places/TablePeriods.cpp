#include "velomar/places/TablePeriods.h"

#include <algorithm>

#include "velomar/places/DB.h"
#include "velomar/places/PropertyValues.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TablePlaces.h"

using namespace velomar::places;

CTablePeriods::CTablePeriods(CDB* owner) : CTableCached<CStrPeriod>(owner, u"periods") {}

CTablePeriods::~CTablePeriods() { ClearCache(); }

void CTablePeriods::OpenTable() {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  OpenByName();
  ClearCache();
  EnsureCache();
}

void CTablePeriods::CreateTable() {
  CreateWithProps(CEDB_VALIDNAME | CEDB_VALIDSORTSPEC, 0,
                  {{kPropPeriodKey, u"Id", 1},
                   {kPropPeriodName, u"SYM", 1},
                   {kPropPeriodPlace, u"IdPlace", 1},
                   {kPropPeriodBeginHour, u"InitHour", 1},
                   {kPropPeriodBeginMinute, u"InitMinute", 1},
                   {kPropPeriodEndHour, u"EndHour", 1},
                   {kPropPeriodEndMinute, u"EndMinute", 1}});
}

namespace {
std::vector<CEPROPVAL> ValuesOf(const CStrPeriod& period) {
  return {TextValue(kPropPeriodName, period.GetName()),
          IntValue(kPropPeriodPlace, period.GetIdPlace()),
          IntValue(kPropPeriodBeginHour, period.GetBegin().wHour),
          IntValue(kPropPeriodBeginMinute, period.GetBegin().wMinute),
          IntValue(kPropPeriodEndHour, period.GetEnd().wHour),
          IntValue(kPropPeriodEndMinute, period.GetEnd().wMinute)};
}
}  // namespace

void CTablePeriods::Insert(CStrBase& record) {
  CStrPeriod& period = As<CStrPeriod>(record);
  InsertAutoKey(period, ValuesOf(period));
}

void CTablePeriods::Update(CStrBase& record) {
  CStrPeriod& period = As<CStrPeriod>(record);
  UpdateRow(period, ValuesOf(period), [] { throw CExceptionDB(u"Exception upgrading registry in table Periods"); });
}

bool CTablePeriods::FindAndFill(CStrBase& record) {
  CStrPeriod& period = As<CStrPeriod>(record);
  const int key = period.GetKey();
  return FillFromCache(period, [key](const CStrPeriod& cached) { return cached.GetKey() == key; });
}

bool CTablePeriods::CheckIntegrity(int& count) {
  std::vector<CStrPeriod> periods;
  GetAllRecords(periods);
  count = static_cast<int>(periods.size());
  // The places table is asked without holding this table's lock (its lock comes first).
  CTablePlaces* places = GetOwner()->GetPlacesTable();
  for (const CStrPeriod& period : periods) {
    CStrPlace place;
    place.SetIdPlace(period.GetIdPlace());
    if (places->SeekById(place) == 0) return false;
  }
  return true;
}

void CTablePeriods::OnRecordDeleted(CStrBase& record) {
  GetOwner()->GetActionsTable()->DeleteActionsOfPeriod(As<CStrPeriod>(record));
}

void CTablePeriods::GetAllRecordsForPlace(std::vector<CStrPeriod>& out, int place_key) {
  CopyMatching(out, [place_key](const CStrPeriod& period) { return period.GetIdPlace() == place_key; });
}

int CTablePeriods::GetNumRecordsForPlace(int place_key) {
  std::vector<CStrPeriod> periods;
  GetAllRecordsForPlace(periods, place_key);
  return static_cast<int>(periods.size());
}

void CTablePeriods::InsertDefault(int place_key) {
  CStrPeriod period;
  period.SetName(u"Default");
  period.SetIdPlace(place_key);
  Insert(period);
  InvalidateCache();
}

void CTablePeriods::DeletePeriodsOfPlace(const CStrPlace& place) {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  std::vector<CStrPeriod> periods;
  GetAllRecordsForPlace(periods, place.GetIdPlace());
  CTableActions* actions = GetOwner()->GetActionsTable();
  // The delete's cascade removes the actions; the second pass finds none left.
  DeleteEach(periods, [actions](CStrPeriod& period) { actions->DeleteActionsOfPeriod(period); });
}

void CTablePeriods::FillField(CStrPeriod& record, const CEPROPVAL& value) {
  SYSTEMTIME begin = record.GetBegin();
  SYSTEMTIME end = record.GetEnd();
  switch (value.propid) {
    case kPropPeriodKey: record.SetKey(value.val.lVal); break;
    case kPropPeriodName: record.SetName(TextOf(value)); break;
    case kPropPeriodPlace: record.SetIdPlace(value.val.lVal); break;
    case kPropPeriodBeginHour: begin.wHour = static_cast<WORD>(value.val.lVal); break;
    case kPropPeriodBeginMinute: begin.wMinute = static_cast<WORD>(value.val.lVal); break;
    case kPropPeriodEndHour: end.wHour = static_cast<WORD>(value.val.lVal); break;
    case kPropPeriodEndMinute: end.wMinute = static_cast<WORD>(value.val.lVal); break;
    default: break;
  }
  record.SetBegin(begin);
  record.SetEnd(end);
}

std::vector<CEPROPID> CTablePeriods::CachedProperties() const {
  return {kPropPeriodKey,       kPropPeriodName,    kPropPeriodPlace,    kPropPeriodBeginHour,
          kPropPeriodBeginMinute, kPropPeriodEndHour, kPropPeriodEndMinute};
}

void CTablePeriods::SortCache() { std::stable_sort(m_cache.begin(), m_cache.end()); }
