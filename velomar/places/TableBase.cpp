#include "velomar/places/TableBase.h"

#include <algorithm>

#include "platform/kernel/kernel.h"
#include "velomar/core/Exceptions.h"
#include "velomar/places/DB.h"
#include "velomar/ui/Translator.h"

namespace {

struct CodeText {
  DWORD code;
  const WCHAR* text;
};

// The text of `code` in `table`, or null.
template <std::size_t N>
const WCHAR* TextOf(const CodeText (&table)[N], DWORD code) {
  for (const auto& entry : table)
    if (entry.code == code) return entry.text;
  return nullptr;
}

const CodeText kOpenErrors[] = {
    {ERROR_INVALID_HANDLE, u"Error Opening db. Invalid handle"},
    {ERROR_NOT_ENOUGH_MEMORY, u"Error Opening db. Out of memory"},
    {ERROR_INVALID_PARAMETER, u"Error opening db. Invalid parameter"},
    {ERROR_NOT_FOUND, u"Error Opening db. Volumen not found"},
};

const CodeText kCreateErrors[] = {
    {ERROR_ACCESS_DENIED, u"Error creating DB. Mas de una primary key"},
    {24, u"Error creating DB. Nombre demasiado largo"},
    {ERROR_NOT_SUPPORTED, u"Error creating DB. No soportado"},
    {ERROR_DUP_NAME, u"Error creating DB. Ya existe"},
    {ERROR_INVALID_PARAMETER, u"Error creating DB. Invalid parameter"},
    {ERROR_DISK_FULL, u"Error creating DB. Disco lleno"},
    {ERROR_ALREADY_EXISTS, u"Error creating DB. Propiedad existente"},
    {ERROR_NOT_FOUND, u"Error creating DB. Volumen no encontrado"},
};

const CodeText kSeekErrors[] = {
    {ERROR_INVALID_HANDLE, u"Error seeking registry. ERROR_INVALID_HANDLE"},
    {ERROR_NOT_ENOUGH_MEMORY, u"Error seeking registry. ERROR_NOT_ENOUGH_MEMORY"},
    {ERROR_SHARING_VIOLATION, u"Error seeking registry. ERROR_SHARING_VIOLATION"},
    {ERROR_INVALID_PARAMETER, u"Error seeking registry. ERROR_INVALID_PARAMETER"},
    {ERROR_KEY_DELETED, u"Error seeking registry. ERROR_KEY_DELETED"},
};

const CodeText kWriteErrors[] = {
    {ERROR_ACCESS_DENIED, u"ERROR_ACCESS_DENIED"},
    {ERROR_INVALID_HANDLE, u"ERROR_INVALID_HANDLE"},
    {24, u"ERROR_BAD_LENGTH"},
    {ERROR_SHARING_VIOLATION, u"ERROR_SHARING_VIOLATION"},
    {ERROR_INVALID_PARAMETER, u"ERROR_INVALID_PARAMETER"},
    {ERROR_INSUFFICIENT_BUFFER, u"ERROR_INSUFFICIENT_BUFFER"},
    {ERROR_ALREADY_EXISTS, u"ERROR_ALREADY_EXISTS"},
    {ERROR_NOT_FOUND, u"ERROR_NOT_FOUND"},
    {ERROR_DISK_FULL, u"ERROR_DISK_FULL"},  // a full store: named, not "INDETERMINATED"
};

const CodeText kFillErrors[] = {
    {ERROR_INVALID_HANDLE, u"ERROR_INVALID_HANDLE"},
    {ERROR_NOT_ENOUGH_MEMORY, u"ERROR_NOT_ENOUGH_MEMORY"},
    {ERROR_SEEK, u"ERROR_SEEK"},
    {ERROR_SHARING_VIOLATION, u"ERROR_SHARING_VIOLATION"},
    {ERROR_INVALID_PARAMETER, u"ERROR_INVALID_PARAMETER"},
    {ERROR_KEY_DELETED, u"ERROR_KEY_DELETED"},
};

const CodeText kReadErrors[] = {
    {ERROR_INVALID_HANDLE, u"ERROR_INVALID_HANDLE"},
    {ERROR_NOT_ENOUGH_MEMORY, u"ERROR_NOT_ENOUGH_MEMORY"},
    {ERROR_SHARING_VIOLATION, u"ERROR_SHARING_VIOLATION"},
    {ERROR_INVALID_PARAMETER, u"ERROR_INVALID_PARAMETER"},
    {ERROR_KEY_DELETED, u"ERROR_KEY_DELETED"},
    {ERROR_INSUFFICIENT_BUFFER, u"ERROR_INSUFFICIENT_BUFFER"},
    {ERROR_NO_DATA, u"ERROR_NO_DATA"},
    {ERROR_NO_MORE_ITEMS, u"ERROR_NO_MORE_ITEMS"},
};

// The trace of the table dumps; this program keeps none.
void Trace(const std::u16string&) {}

}  // namespace

CTableBase::CTableBase(CDB* owner, const WCHAR* name) : m_owner(owner), m_name(name ? name : u"") {
  if (m_owner) m_owner->AddTable(this);
}

CTableBase::~CTableBase() = default;

CTableBase::ReadBuffer::~ReadBuffer() {
  if (m_data) LocalFree(m_data);
}

void CTableBase::ThrowWrongRecord() { throw CExceptionDB(u"Record of another table"); }

// ---- Error texts -----------------------------------------------------------------------------------

void CTableBase::ThrowOpenError() {
  const DWORD code = GetLastError();
  if (code == ERROR_FILE_NOT_FOUND && !m_creating) {
    // The database is missing: create it, open it and give it its default records, once.
    m_creating = true;
    try {
      CreateTable();
      OpenTable();
      CreateDefaultRecords();
      SetOpen(1);
      FlushVolume();
    } catch (...) {
      m_creating = false;
      throw;
    }
    m_creating = false;
    return;
  }
  if (const WCHAR* text = TextOf(kOpenErrors, code)) throw CExceptionDB(text);
  throw CExceptionDB(u"Error opening db. Code %d", static_cast<int>(code));
}

void CTableBase::ThrowCreateError() {
  const DWORD code = GetLastError();
  if (const WCHAR* text = TextOf(kCreateErrors, code)) throw CExceptionDB(text);
  throw CExceptionDB(u"Error creating DB. Code %d", static_cast<int>(code));
}

void CTableBase::ThrowSeekError() {
  if (const WCHAR* text = TextOf(kSeekErrors, GetLastError())) throw CExceptionDB(text);
}

void CTableBase::ThrowWriteError() {
  const WCHAR* text = TextOf(kWriteErrors, GetLastError());
  throw CExceptionDB(text ? text : u"INDETERMINATED");
}

void CTableBase::ThrowFillError() {
  const WCHAR* name = TextOf(kFillErrors, GetLastError());
  throw CExceptionDB(u"Error filling record.%s", name ? name : u"");
}

void CTableBase::ThrowReadError() {
  const DWORD code = GetLastError();
  const WCHAR* name = TextOf(kReadErrors, code);
  throw CExceptionDB(u"Error filling record.%s,%d", name ? name : u"", static_cast<int>(code));
}

// ---- Open, create, close ---------------------------------------------------------------------------

void CTableBase::OpenByName() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (m_handle) {
    CloseHandle(m_handle);
    m_handle = nullptr;
    m_open = 0;
  }
  SORTORDERSPECEX sort{};
  sort.wVersion = 2;
  sort.wNumProps = 1;
  sort.wKeyFlags = velomar::places::kKeyFlags;
  sort.rgPropID[0] = SortPropId();
  CEOID oid = 0;
  HANDLE handle = CeOpenDatabaseInSession(nullptr, m_owner->GetVolumeGuid(), &oid, m_name.c_str(), &sort,
                                          CEDB_AUTOINCREMENT, nullptr);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    ThrowOpenError();
    return;
  }
  m_handle = handle;
  m_open = 1;
}

void CTableBase::CreateWithProps(DWORD flags, DWORD type, const std::vector<PropertySpec>& props) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  CEDBASEINFOEX info{};
  info.wVersion = 2;
  info.wNumSortOrder = 1;
  info.dwFlags = flags;
  const std::size_t length = std::min<std::size_t>(m_name.size(), CEDB_MAXDBASENAMELEN - 1);
  std::copy_n(m_name.begin(), length, info.szDbaseName);
  info.dwDbaseType = type;
  info.rgSortSpecs[0].wVersion = 2;
  info.rgSortSpecs[0].wNumProps = 1;
  info.rgSortSpecs[0].wKeyFlags = velomar::places::kKeyFlags;
  info.rgSortSpecs[0].rgPropID[0] = SortPropId();
  info.rgSortSpecs[0].rgdwFlags[0] = 0;
  std::vector<CEPROPSPEC> specs;
  std::vector<std::u16string> names;  // the specs point into these
  names.reserve(props.size());
  for (const auto& prop : props) {
    names.emplace_back(prop.name);
    specs.push_back(CEPROPSPEC{1, prop.id, prop.flags, names.back().data(), static_cast<DWORD>(names.back().size())});
  }
  if (CeCreateDatabaseWithProps(m_owner->GetVolumeGuid(), &info, static_cast<DWORD>(specs.size()), specs.data()) == 0)
    ThrowCreateError();
}

void CTableBase::Close() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  InvalidateCache();
  if (m_handle) CloseHandle(m_handle);
  m_handle = nullptr;
  m_open = 0;
}

void CTableBase::FlushVolume() {
  if (!m_owner->FlushesDeferred()) CeFlushDBVol(m_owner->GetVolumeGuid());
}

// ---- Rows ------------------------------------------------------------------------------------------

CEOID CTableBase::SeekOffset(DWORD offset) {
  return CeSeekDatabaseEx(m_handle, CEDB_SEEK_BEGINNING, offset, 0, nullptr);
}

CEOID CTableBase::ReadRow(std::vector<CEPROPID>* ids, ReadBuffer& buffer, WORD& count) {
  count = ids ? static_cast<WORD>(ids->size()) : 0;
  return CeReadRecordPropsEx(m_handle, CEDB_ALLOWREALLOC, &count, ids ? ids->data() : nullptr, buffer.Address(),
                             buffer.Size(), nullptr);
}

CEOID CTableBase::SeekById(CStrBase& record) {
  if (record.GetId() != 0) return record.GetId();
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  SeekOffset(0);
  CEPROPVAL key{};
  key.propid = SortPropId();
  key.val.lVal = record.GetKey();
  const CEOID id = CeSeekDatabaseEx(m_handle, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), 1, nullptr);
  record.SetId(id);
  return id;
}

int CTableBase::CountRecords() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (SeekOffset(0) == 0) return 0;
  DWORD offset = 1;
  while (SeekOffset(offset) != 0) ++offset;
  return static_cast<int>(offset);
}

void CTableBase::DeleteRecord(CStrBase& record) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  const CEOID id = SeekById(record);
  if (!CeDeleteRecord(m_handle, id)) {
    throw CExceptionDB(CTranslator::GetInstance()->GetFormatted(u"ERROR DELETEING REGISTRY", m_name.c_str()).c_str());
  }
  OnRecordDeleted(record);
  InvalidateCache();
}

void CTableBase::DeleteAll() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  std::vector<CEOID> ids;
  for (DWORD offset = 0;; ++offset) {
    const CEOID id = SeekOffset(offset);
    if (id == 0) break;
    ids.push_back(id);
  }
  for (const CEOID id : ids) {
    if (!CeDeleteRecord(m_handle, id)) {
      InvalidateCache();
      throw CExceptionDB(
          CTranslator::GetInstance()->GetFormatted(u"ERROR DELETEING REGISTRY", m_name.c_str()).c_str());
    }
  }
  InvalidateCache();
}

void CTableBase::InsertAutoKey(CStrBase& record, std::vector<CEPROPVAL> values) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  const CEOID id = CeWriteRecordProps(m_handle, 0, static_cast<WORD>(values.size()), values.data());
  if (id == 0) ThrowWriteError();
  FlushVolume();
  record.SetId(id);
  // The seek by object id does not depend on the position; the rewind before it costs a read of the
  // whole order after every write, which a bulk load (a volume built aside) leaves out.
  if (!m_owner->FlushesDeferred()) SeekOffset(0);
  if (CeSeekDatabaseEx(m_handle, CEDB_SEEK_CEOID, id, 0, nullptr) == 0) {
    InvalidateCache();
    throw CExceptionDB(CTranslator::GetInstance()->GetText(u"ERROR INSERTING REGISTRY").c_str());
  }
  ReadBuffer buffer;
  WORD count = 0;
  if (ReadRow(nullptr, buffer, count) == 0) {
    InvalidateCache();
    ThrowReadError();
  }
  if (count > 0 && buffer.Values()[0].propid == SortPropId()) record.SetKey(buffer.Values()[0].val.lVal);
  InvalidateCache();
}

void CTableBase::UpdateRow(CStrBase& record, std::vector<CEPROPVAL> values,
                           const std::function<void()>& raise_update_error) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  try {
    const CEOID id = SeekById(record);
    if (id == 0) {
      // The row is gone: a write with object id 0 would create a new one.
      SetLastError(ERROR_NOT_FOUND);
      raise_update_error();
    }
    if (CeWriteRecordProps(m_handle, id, static_cast<WORD>(values.size()), values.data()) == 0) raise_update_error();
  } catch (CBaseException& error) {
    error.ShowError();
    throw CExceptionDB(
        CTranslator::GetInstance()->GetFormatted(u"ERROR REGISTRY NOT FOUND KEY", record.GetKey()).c_str());
  }
  InvalidateCache();
}

void CTableBase::InvalidateCache() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  m_cacheValid = false;
  if (m_clearOnInvalidate) ClearCache();
}

void CTableBase::Dump() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  Trace(u"INIT Dumping table " + m_name);
  for (DWORD offset = 0; SeekOffset(offset) != 0; ++offset) {
    ReadBuffer buffer;
    WORD count = 0;
    if (ReadRow(nullptr, buffer, count) == 0) ThrowReadError();
    std::unique_ptr<CStrBase> record = NewRecord();
    if (!record) {
      Trace(u"Registro no alocado");
      continue;
    }
    if (count > 0) record->SetKey(buffer.Values()[0].val.lVal);
    FindAndFill(*record);
    WCHAR text[velomar::places::kToStringChars] = {};
    record->ToString(text);
    Trace(text);
  }
  Trace(u"End Dumping table " + m_name);
}
