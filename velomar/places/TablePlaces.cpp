#include "velomar/places/TablePlaces.h"

#include <algorithm>

#include "velomar/places/DB.h"
#include "velomar/places/PropertyValues.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/ui/Translator.h"

using namespace velomar::places;

CTablePlaces::CTablePlaces(CDB* owner) : CTableCached<CStrPlace>(owner, u"places") {}

CTablePlaces::~CTablePlaces() { ClearCache(); }

void CTablePlaces::OpenTable() { OpenByName(); }

void CTablePlaces::CreateTable() {
  CreateWithProps(CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC, kDatabaseType,
                  {{kPropPlaceName, u"SYM", 0},
                   {kPropPlaceDescription, u"Desc", 0},
                   {kPropPlaceImage, u"Image", 0},
                   {kPropPlaceKey, u"ID", 1}});
}

void CTablePlaces::CreateDefaultRecords() {
  CTranslator* texts = CTranslator::GetInstance();
  CStrPlace place(texts->GetText(u"UNKNOWN"), texts->GetText(u"DEFAULT PLACE"), u"place_unknown.png", -1);
  Insert(place);
}

void CTablePlaces::Insert(CStrBase& record) {
  CStrPlace& place = As<CStrPlace>(record);
  std::vector<CEPROPVAL> values = {TextValue(kPropPlaceName, place.GetName()),
                                   TextValue(kPropPlaceDescription, place.GetDescription()),
                                   TextValue(kPropPlaceImage, place.GetImage())};
  if (place.GetIdPlace() != -1) values.push_back(IntValue(kPropPlaceKey, place.GetIdPlace()));
  InsertAutoKey(place, values);
}

void CTablePlaces::Update(CStrBase& record) {
  CStrPlace& place = As<CStrPlace>(record);
  UpdateRow(place,
            {TextValue(kPropPlaceDescription, place.GetDescription()), TextValue(kPropPlaceName, place.GetName()),
             TextValue(kPropPlaceImage, place.GetImage())},
            [] { throw CExceptionDB(u"Exception upgrading registry in table Places"); });
}

bool CTablePlaces::FindAndFill(CStrBase& record) {
  CStrPlace& place = As<CStrPlace>(record);
  const int key = place.GetIdPlace();
  return FillFromCache(place, [key](const CStrPlace& cached) { return cached.GetIdPlace() == key; });
}

bool CTablePlaces::CheckIntegrity(int& count) {
  std::lock_guard<std::recursive_mutex> lock(GetLock());
  EnsureCache();
  count = static_cast<int>(m_cache.size());
  return true;
}

void CTablePlaces::OnRecordDeleted(CStrBase& record) {
  CStrPlace& place = As<CStrPlace>(record);
  CDB* db = GetOwner();
  db->GetLacsTable()->DeleteLocationsOfPlace(place);
  db->GetCellsTable()->DeleteLocationsOfPlace(place);
  db->GetPeriodsTable()->DeletePeriodsOfPlace(place);
  InvalidateCache();
}

void CTablePlaces::FillField(CStrPlace& record, const CEPROPVAL& value) {
  switch (value.propid) {
    case kPropPlaceKey: record.SetIdPlace(value.val.lVal); break;
    case kPropPlaceName: record.SetName(TextOf(value)); break;
    case kPropPlaceDescription: record.SetDescription(TextOf(value)); break;
    case kPropPlaceImage: record.SetImage(TextOf(value)); break;
    default: break;
  }
}

std::vector<CEPROPID> CTablePlaces::CachedProperties() const {
  return {kPropPlaceKey, kPropPlaceName, kPropPlaceDescription, kPropPlaceImage};
}

void CTablePlaces::SortCache() { std::stable_sort(m_cache.begin(), m_cache.end()); }
