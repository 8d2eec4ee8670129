#include "velomar/places/TableActions.h"

#include <algorithm>

#include "platform/time/time.h"
#include "velomar/places/DB.h"
#include "velomar/places/PropertyValues.h"
#include "velomar/places/TablePeriods.h"

using namespace velomar::places;

namespace {

// A time as stored: the SYSTEMTIME's own FILETIME, no zone conversion. A time that is no real date
// (an imported year 0, say) is stored as FILETIME 0.
CEPROPVAL TimeValue(CEPROPID id, const SYSTEMTIME& time) {
  CEPROPVAL v{};
  v.propid = id;
  if (!SystemTimeToFileTime(&time, &v.val.filetime)) v.val.filetime = FILETIME{};
  return v;
}

SYSTEMTIME TimeOf(const CEPROPVAL& value) {
  SYSTEMTIME time{};
  FileTimeToSystemTime(&value.val.filetime, &time);
  return time;
}

// The eleven values an update writes; an insert adds the kind.
std::vector<CEPROPVAL> ValuesOf(const CStrAction& action) {
  return {IntValue(kPropActionPeriod, action.GetIdPeriod()), IntValue(kPropActionTrigger, action.GetTrigger()),
          IntValue(kPropActionIntOp1, action.GetIntOp1()),   IntValue(kPropActionIntOp2, action.GetIntOp2()),
          IntValue(kPropActionIntOp3, action.GetIntOp3()),   TextValue(kPropActionSzOp1, action.GetSzOp1()),
          TextValue(kPropActionSzOp2, action.GetSzOp2()),    TextValue(kPropActionSzOp3, action.GetSzOp3()),
          TimeValue(kPropActionStOp1, action.GetStOp1()),    TimeValue(kPropActionStOp2, action.GetStOp2()),
          TimeValue(kPropActionStOp3, action.GetStOp3())};
}

}  // namespace

CTableActions::CTableActions(CDB* owner) : CTableCached<CStrAction>(owner, u"actions") {}

CTableActions::~CTableActions() { ClearCache(); }

void CTableActions::OpenTable() { OpenByName(); }

void CTableActions::CreateTable() {
  CreateWithProps(CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC, kDatabaseType,
                  {{kPropActionKind, u"Id", 0},
                   {kPropActionPeriod, u"IdPeriod", 0},
                   {kPropActionIntOp1, u"IntOp1", 0},
                   {kPropActionIntOp2, u"IntOp2", 0},
                   {kPropActionIntOp3, u"IntOp3", 0},
                   {kPropActionSzOp1, u"SzOp1", 0},
                   {kPropActionSzOp2, u"SzOp2", 0},
                   {kPropActionSzOp3, u"SzOp3", 0},
                   {kPropActionStOp1, u"StOp1", 0},
                   {kPropActionStOp2, u"StOp2", 0},
                   {kPropActionStOp3, u"StOp3", 0},
                   {kPropActionTrigger, u"type", 0},
                   {kPropActionKey, u"IdAutonumeric", 0}});
}

void CTableActions::Insert(CStrBase& record) {
  CStrAction& action = As<CStrAction>(record);
  std::vector<CEPROPVAL> values = ValuesOf(action);
  values.push_back(IntValue(kPropActionKind, action.GetKind()));
  InsertAutoKey(action, values);
}

void CTableActions::Update(CStrBase& record) {
  CStrAction& action = As<CStrAction>(record);
  UpdateRow(action, ValuesOf(action), [this] { ThrowWriteError(); });
}

bool CTableActions::FindAndFill(CStrBase& record) {
  CStrAction& action = As<CStrAction>(record);
  const CEOID id = action.GetId();
  const int key = action.GetKey();
  if (id != 0) return FillFromCache(action, [id](const CStrAction& cached) { return cached.GetId() == id; });
  return FillFromCache(action, [key](const CStrAction& cached) { return cached.GetKey() == key; });
}

bool CTableActions::CheckIntegrity(int& count) {
  std::vector<CStrAction> actions;
  GetAllRecords(actions);
  count = static_cast<int>(actions.size());
  // The periods table is asked without holding this table's lock (its lock comes first).
  CTablePeriods* periods = GetOwner()->GetPeriodsTable();
  for (const CStrAction& action : actions) {
    CStrPeriod period;
    period.SetKey(action.GetIdPeriod());
    if (periods->SeekById(period) == 0) return false;
  }
  return true;
}

void CTableActions::GetActionsOfPeriod(std::vector<CStrAction>& out, int period_key) {
  CopyMatching(out, [period_key](const CStrAction& action) { return action.GetIdPeriod() == period_key; });
}

std::optional<CStrAction> CTableActions::GetAction(int period_key, int kind, int create, int trigger) {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  std::vector<CStrAction> found;
  CopyMatching(found, [&](const CStrAction& action) {
    return action.GetIdPeriod() == period_key && action.GetKind() == kind && action.GetTrigger() == trigger;
  });
  if (!found.empty()) return found.front();
  if (!create) return std::nullopt;
  CStrAction action;
  action.SetIdPeriod(period_key);
  action.SetKind(kind);
  action.SetTrigger(trigger);
  Insert(action);
  return GetAction(period_key, kind, 0, trigger);
}

void CTableActions::DeleteActionsOfPeriod(const CStrPeriod& period) {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  std::vector<CStrAction> actions;
  GetActionsOfPeriod(actions, period.GetKey());
  DeleteEach(actions, [](CStrAction&) {});
}

void CTableActions::FillField(CStrAction& record, const CEPROPVAL& value) {
  switch (value.propid) {
    case kPropActionKey: record.SetKey(value.val.lVal); break;
    case kPropActionKind: record.SetKind(value.val.lVal); break;
    case kPropActionPeriod: record.SetIdPeriod(value.val.lVal); break;
    case kPropActionIntOp1: record.SetIntOp1(value.val.lVal); break;
    case kPropActionIntOp2: record.SetIntOp2(value.val.lVal); break;
    case kPropActionIntOp3: record.SetIntOp3(value.val.lVal); break;
    case kPropActionSzOp1: record.SetSzOp1(TextOf(value)); break;
    case kPropActionSzOp2: record.SetSzOp2(TextOf(value)); break;
    case kPropActionSzOp3: record.SetSzOp3(TextOf(value)); break;
    case kPropActionStOp1: record.SetStOp1(TimeOf(value)); break;
    case kPropActionStOp2: record.SetStOp2(TimeOf(value)); break;
    case kPropActionStOp3: record.SetStOp3(TimeOf(value)); break;
    case kPropActionTrigger: record.SetTrigger(value.val.lVal); break;
    default: break;
  }
}

std::vector<CEPROPID> CTableActions::CachedProperties() const {
  return {kPropActionKey,   kPropActionKind,  kPropActionPeriod, kPropActionIntOp1, kPropActionIntOp2,
          kPropActionIntOp3, kPropActionSzOp1, kPropActionSzOp2,  kPropActionSzOp3,  kPropActionStOp1,
          kPropActionStOp2, kPropActionStOp3, kPropActionTrigger};
}

void CTableActions::SortCache() { std::stable_sort(m_cache.begin(), m_cache.end()); }
