#include "velomar/places/DB.h"

#include <atomic>

#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Exceptions.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {
std::atomic<CDB*> g_instance{nullptr};
constexpr CEGUID kInvalidGuid = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
constexpr HRESULT kOpenStatus = static_cast<HRESULT>(0x80004001u);
}  // namespace

CDB::CDB() : m_guid(kInvalidGuid) {
  g_instance = this;
  WCHAR folder[MAX_PATH] = {};
  GetCurrentDirectory(folder);
  folder[MAX_PATH - 1] = 0;
  m_volumePath = std::u16string(folder) + u"\\quarn.db";
  m_places = new CTablePlaces(this);
  m_lacs = new CTableLAC(this);
  m_cells = new CTableCell(this);
  m_periods = new CTablePeriods(this);
  m_actions = new CTableActions(this);
}

CDB::~CDB() {
  if (GuidValid() && m_mounted) {
    CeFlushDBVol(&m_guid);
    CeUnmountDBVol(&m_guid);
  }
  delete m_places;
  delete m_lacs;
  delete m_cells;
  delete m_periods;
  delete m_actions;
  m_tables.clear();
  CDB* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CDB* CDB::GetInstance() { return g_instance; }

void CDB::RemoveVolumeFiles(const std::u16string& path) {
  for (const WCHAR* suffix : {u"", u"-wal", u"-shm", u"-journal"}) {
    const std::u16string file = path + suffix;
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteFileW(file.c_str());
  }
}

bool CDB::GuidValid() const {
  return !(m_guid.Data1 == kInvalidGuid.Data1 && m_guid.Data2 == kInvalidGuid.Data2 &&
           m_guid.Data3 == kInvalidGuid.Data3 && m_guid.Data4 == kInvalidGuid.Data4);
}

HRESULT CDB::OpenDB() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (m_mounted) CloseDB();  // a second open would leave the first mount and handles behind
  // A volume being built aside when the program was stopped is of no use to anyone.
  if (!m_buildingAside) RemoveVolumeFiles(GetAsidePath());
  const std::u16string& path = m_buildingAside ? GetAsidePath() : m_volumePath;
  if (!CeMountDBVolEx(&m_guid, path.c_str(), nullptr, OPEN_ALWAYS)) {
    const DWORD code = GetLastError();
    m_guid = kInvalidGuid;
    throw CExceptionDB(
        CTranslator::GetInstance()->GetFormatted(u"ERROR OPENING VOLUME", static_cast<int>(code)).c_str());
  }
  m_mounted = true;
  for (CTableBase* table : m_tables) table->OpenTable();
  return kOpenStatus;
}

int CDB::CloseDB() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  CeFlushDBVol(&m_guid);
  for (CTableBase* table : m_tables) table->Close();
  if (m_mounted) CeUnmountDBVol(&m_guid);
  m_mounted = false;
  return 1;
}

CTableLocation* CDB::GetLocationTable() {
  if (CConfig::GetInstance()->GetDWORD(u"location_mode") != 0) return m_cells;
  return m_lacs;
}

void CDB::AddTable(CTableBase* table) { m_tables.push_back(table); }

void CDB::DumpAll() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  for (CTableBase* table : m_tables) table->Dump();
}

void CDB::DeleteAllRecords() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  for (CTableBase* table : m_tables) table->DeleteAll();
}

bool CDB::CheckIntegrity(int& total) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  CloseDB();
  OpenDB();
  bool passed = true;
  int sum = 0;
  for (CTableBase* table : m_tables) {
    int count = 0;
    if (table->CheckIntegrity(count)) {
      sum += count;
    } else {
      passed = false;
    }
  }
  total = sum;
  return passed;
}

int CDB::CountRecords() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  int sum = 0;
  for (CTableBase* table : m_tables) sum += table->CountRecords();
  return sum;
}
