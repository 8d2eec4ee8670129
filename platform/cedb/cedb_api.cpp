// The CEDB functions the programs call: volumes by CEGUID, database handles with their sort order
// and seek position, and the record buffers of CeReadRecordPropsEx.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <typeinfo>

#include "platform/cedb/cedb.h"
#include "platform/cedb/cedb_batch.h"
#include "platform/cedb/cedb_faults.h"
#include "platform/cedb/volume.h"
#include "platform/files/ce_path.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

namespace ce::cedb {
namespace {

constexpr DWORD kGuidTag = 0x43454442u;  // "CEDB"

struct Mounted {
  std::shared_ptr<Volume> volume;
  int count = 0;
};

std::mutex g_lock;
std::map<DWORD, Mounted> g_mounted;
DWORD g_next_slot = 1;

std::shared_ptr<Volume> VolumeOf(const CEGUID* guid) {
  if (!guid || guid->Data2 != kGuidTag) return nullptr;
  std::lock_guard<std::mutex> guard(g_lock);
  auto it = g_mounted.find(guid->Data1);
  return it == g_mounted.end() ? nullptr : it->second.volume;
}

// Where a database handle stands: on a record (by object id, with its position when known), or,
// after a read that moves on, just past a record until the next use resolves it.
struct Cursor {
  CEOID oid = 0;  // 0: no current record (past the end)
  std::optional<std::int64_t> index;
  bool advance = false;
};

class DbHandle final : public kernel::KernelObject {
 public:
  std::shared_ptr<Volume> volume;
  DatabaseInfo info;
  std::optional<SortOrder> sort;
  Volume::SeekStatements seeks;  // of `sort`, volume lock held
  DWORD flags = 0;
  Cursor cursor;  // volume lock held

  const SortOrder* order() const { return sort ? &*sort : nullptr; }

  // Where the current record stands now: its kept position while that still holds, else found
  // again (records before it may have come or gone meanwhile, through any handle or process);
  // past the end, the position a read moved to. Volume lock held.
  std::optional<std::int64_t> Place() {
    if (!cursor.oid) return cursor.index;  // past the end: the position after the last record
    return volume->IndexOf(info.id, order(), cursor.oid, cursor.index.value_or(-1));
  }

  // Applies a pending move to the next record. Volume lock held.
  void Resolve() {
    if (!cursor.advance) return;
    cursor.advance = false;
    const std::optional<std::int64_t> was = cursor.index;
    std::optional<std::int64_t> next;
    if (auto at = Place()) {
      next = *at + 1;
    } else if (was) {
      next = *was;  // the record itself went: those after it moved up into its place
    }
    cursor.index = next;
    cursor.oid = next ? volume->RecordAt(info.id, order(), *next).value_or(0) : 0;
  }
};

class FindHandle : public kernel::KernelObject {
 public:
  std::shared_ptr<Volume> volume;
  std::vector<std::int64_t> ids;
  std::size_t next = 0;
};

CEOID DbOid(std::int64_t id) { return static_cast<CEOID>(id) | kDatabaseOidBit; }
std::int64_t DbId(CEOID oid) { return (oid & kDatabaseOidBit) ? static_cast<std::int64_t>(oid & ~kDatabaseOidBit) : -1; }

template <class T>
T Fail(DWORD error, T value) {
  SetLastError(error);
  return value;
}

// The database handle behind `h` whose volume is still mounted.
std::shared_ptr<DbHandle> Db(HANDLE h) {
  std::shared_ptr<kernel::KernelObject> object = kernel::LookupHandle(h);
  // DbHandle has no subclasses: its exact type is the test.
  if (!object || typeid(*object) != typeid(DbHandle)) return nullptr;
  auto db = std::static_pointer_cast<DbHandle>(std::move(object));
  if (!db->volume->mounted) return nullptr;
  return db;
}

PropValue FromCe(const CEPROPVAL& v) {
  PropValue p;
  p.propid = v.propid;
  switch (TypeFromPropID(v.propid)) {
    case CEVT_I2: p.num = v.val.iVal; break;
    case CEVT_UI2: p.num = v.val.uiVal; break;
    case CEVT_UI4: p.num = v.val.ulVal; break;
    case CEVT_BOOL: p.num = v.val.boolVal; break;
    case CEVT_R8: p.real = v.val.dblVal; break;
    case CEVT_FILETIME:
      p.num = static_cast<std::int64_t>((static_cast<std::uint64_t>(v.val.filetime.dwHighDateTime) << 32) |
                                        v.val.filetime.dwLowDateTime);
      break;
    case CEVT_LPWSTR: p.text = std::u16string(text::WideView(v.val.lpwstr)); break;
    case CEVT_BLOB:
      if (v.val.blob.lpb && v.val.blob.dwCount) p.blob.assign(v.val.blob.lpb, v.val.blob.lpb + v.val.blob.dwCount);
      break;
    default: p.num = v.val.lVal; break;  // CEVT_I4, CEVT_AUTO_I4
  }
  return p;
}

bool KnownType(CEPROPID p) {
  switch (TypeFromPropID(p)) {
    case CEVT_I2: case CEVT_UI2: case CEVT_I4: case CEVT_UI4: case CEVT_BOOL: case CEVT_R8:
    case CEVT_FILETIME: case CEVT_LPWSTR: case CEVT_BLOB: case CEVT_AUTO_I4: return true;
    default: return false;
  }
}

std::size_t Align8(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

// The bytes a read needs: the CEPROPVAL array, then each text (with its terminator) and blob.
std::size_t BufferSize(const std::vector<const PropValue*>& props) {
  std::size_t size = Align8(props.size() * sizeof(CEPROPVAL));
  for (const PropValue* p : props) {
    if (!p) continue;
    if (TypeFromPropID(p->propid) == CEVT_LPWSTR) size += Align8((p->text.size() + 1) * sizeof(WCHAR));
    if (TypeFromPropID(p->propid) == CEVT_BLOB) size += Align8(p->blob.size());
  }
  return size;
}

void FillBuffer(BYTE* buffer, const std::vector<CEPROPID>& ids, const std::vector<const PropValue*>& props) {
  auto* vals = reinterpret_cast<CEPROPVAL*>(buffer);
  BYTE* data = buffer + Align8(props.size() * sizeof(CEPROPVAL));
  for (std::size_t i = 0; i < props.size(); ++i) {
    CEPROPVAL& out = vals[i];
    std::memset(&out, 0, sizeof out);
    out.propid = ids[i];
    const PropValue* p = props[i];
    if (!p) {
      out.wFlags = CEDB_PROPNOTFOUND;
      continue;
    }
    switch (TypeFromPropID(p->propid)) {
      case CEVT_I2: out.val.iVal = static_cast<SHORT>(p->num); break;
      case CEVT_UI2: out.val.uiVal = static_cast<USHORT>(p->num); break;
      case CEVT_UI4: out.val.ulVal = static_cast<ULONG>(p->num); break;
      case CEVT_BOOL: out.val.boolVal = static_cast<BOOL>(p->num); break;
      case CEVT_R8: out.val.dblVal = p->real; break;
      case CEVT_FILETIME:
        out.val.filetime.dwLowDateTime = static_cast<DWORD>(p->num);
        out.val.filetime.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(p->num) >> 32);
        break;
      case CEVT_LPWSTR: {
        auto* text = reinterpret_cast<WCHAR*>(data);
        std::copy(p->text.begin(), p->text.end(), text);
        text[p->text.size()] = 0;
        out.val.lpwstr = text;
        out.wLenData = static_cast<WORD>(std::min<std::size_t>((p->text.size() + 1) * sizeof(WCHAR), 0xFFFF));
        data += Align8((p->text.size() + 1) * sizeof(WCHAR));
        break;
      }
      case CEVT_BLOB:
        if (!p->blob.empty()) std::memcpy(data, p->blob.data(), p->blob.size());
        out.val.blob.dwCount = static_cast<DWORD>(p->blob.size());
        out.val.blob.lpb = data;
        out.wLenData = static_cast<WORD>(std::min<std::size_t>(p->blob.size(), 0xFFFF));
        data += Align8(p->blob.size());
        break;
      default: out.val.lVal = static_cast<LONG>(p->num); break;
    }
  }
}

CEOID OpenCommon(PCEGUID guid, CEOID* oid, LPCWSTR name, const SORTORDERSPECEX* sort, CEPROPID sort_prop, DWORD flags,
                 HANDLE* result) {
  *result = INVALID_HANDLE_VALUE;
  if (ShouldFail(CedbCall::kOpenDatabase)) return 0;
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<CEOID>(ERROR_NOT_FOUND, 0);
  std::lock_guard<std::mutex> guard(volume->lock());
  std::optional<DatabaseInfo> info;
  if (name) {
    info = volume->FindDatabase(std::u16string(text::WideView(name)));
  } else if (oid && DbId(*oid) >= 0) {
    info = volume->DatabaseById(DbId(*oid));
  } else {
    return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  }
  if (!info) return Fail<CEOID>(ERROR_FILE_NOT_FOUND, 0);
  auto handle = std::make_shared<DbHandle>();
  handle->volume = volume;
  handle->flags = flags;
  CEPROPID wanted = sort && sort->wNumProps ? sort->rgPropID[0] : sort_prop;
  if (wanted) {
    auto it = std::find_if(info->sorts.begin(), info->sorts.end(),
                           [&](const SortOrder& s) { return !s.props.empty() && s.props[0] == wanted; });
    if (it == info->sorts.end()) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
    handle->sort = *it;
  } else if (!info->sorts.empty()) {
    handle->sort = info->sorts.front();
  }
  handle->info = std::move(*info);
  handle->cursor.oid = volume->RecordAt(handle->info.id, handle->order(), 0).value_or(0);
  handle->cursor.index = 0;
  CEOID db_oid = DbOid(handle->info.id);
  if (oid) *oid = db_oid;
  *result = kernel::InsertHandle(handle);
  return db_oid;
}

}  // namespace
}  // namespace ce::cedb

using namespace ce::cedb;

BOOL CeMountDBVolEx(PCEGUID guid, LPCWSTR volume, CEVOLUMEOPTIONS*, DWORD disposition) {
  if (!guid || !volume || disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
    return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  if (ShouldFail(CedbCall::kMount)) return FALSE;
  auto resolved = ce::files::ResolvePath(ce::text::WideView(volume));
  if (resolved.error) return Fail<BOOL>(resolved.error, FALSE);
  if (resolved.is_root || std::filesystem::is_directory(resolved.host)) return Fail<BOOL>(ERROR_ACCESS_DENIED, FALSE);
  std::string path = resolved.host.string();
  std::lock_guard<std::mutex> guard(g_lock);
  for (auto& [slot, m] : g_mounted) {
    if (m.volume->path() == path) {  // mounted already: the same volume
      if (disposition == CREATE_NEW) return Fail<BOOL>(ERROR_FILE_EXISTS, FALSE);
      ++m.count;
      *guid = CEGUID{slot, kGuidTag, 0, 0};
      SetLastError(ERROR_ALREADY_EXISTS);
      return TRUE;
    }
  }
  bool exists = resolved.exists;
  if (disposition == CREATE_NEW && exists) return Fail<BOOL>(ERROR_FILE_EXISTS, FALSE);
  if ((disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) && !exists)
    return Fail<BOOL>(ERROR_FILE_NOT_FOUND, FALSE);
  if (exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)) {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix, ec);
  }
  DWORD error = ERROR_SUCCESS;
  auto v = Volume::Open(path, true, &error);
  if (!v) return Fail<BOOL>(error, FALSE);
  DWORD slot = g_next_slot++;
  g_mounted[slot] = Mounted{v, 1};
  *guid = CEGUID{slot, kGuidTag, 0, 0};
  SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return TRUE;
}

BOOL CeUnmountDBVol(PCEGUID guid) {
  if (ShouldFail(CedbCall::kUnmount)) return FALSE;
  std::shared_ptr<Volume> closing;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    auto it = guid && guid->Data2 == kGuidTag ? g_mounted.find(guid->Data1) : g_mounted.end();
    if (it == g_mounted.end()) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
    if (--it->second.count > 0) return TRUE;
    closing = it->second.volume;
    g_mounted.erase(it);
  }
  std::lock_guard<std::mutex> guard(closing->lock());
  closing->mounted = false;  // open handles fail from now on; the file closes with the last of them
  closing->Flush();
  return TRUE;
}

BOOL ce::cedb::BeginBatch(PCEGUID guid) {
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> guard(volume->lock());
  const DWORD error = volume->BeginBatch();
  return error == ERROR_SUCCESS ? TRUE : Fail<BOOL>(error, FALSE);
}

BOOL ce::cedb::EndBatch(PCEGUID guid, bool keep) {
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> guard(volume->lock());
  const DWORD error = volume->EndBatch(keep);
  return error == ERROR_SUCCESS ? TRUE : Fail<BOOL>(error, FALSE);
}

BOOL CeFlushDBVol(PCEGUID guid) {
  if (ShouldFail(CedbCall::kFlush)) return FALSE;
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> guard(volume->lock());
  DWORD error = volume->Flush();
  return error == ERROR_SUCCESS ? TRUE : Fail<BOOL>(error, FALSE);
}

CEOID CeCreateDatabaseWithProps(PCEGUID guid, CEDBASEINFOEX* info, DWORD prop_count, CEPROPSPEC* props) {
  if (!info || !(info->dwFlags & CEDB_VALIDNAME) || info->wNumSortOrder > CEDB_MAXSORTORDER ||
      (prop_count && !props))
    return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  std::size_t name_len = 0;
  while (name_len < CEDB_MAXDBASENAMELEN && info->szDbaseName[name_len]) ++name_len;
  if (name_len == 0 || name_len == CEDB_MAXDBASENAMELEN) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  std::vector<SortOrder> sorts;
  if (info->dwFlags & CEDB_VALIDSORTSPEC) {
    for (WORD i = 0; i < info->wNumSortOrder; ++i) {
      const SORTORDERSPECEX& s = info->rgSortSpecs[i];
      if (s.wNumProps == 0 || s.wNumProps > CEDB_MAXSORTPROP) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
      SortOrder order;
      order.key_flags = s.wKeyFlags;
      for (WORD k = 0; k < s.wNumProps; ++k) {
        if (!KnownType(s.rgPropID[k]) || TypeFromPropID(s.rgPropID[k]) == CEVT_BLOB)
          return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
        order.props.push_back(s.rgPropID[k]);
        order.flags.push_back(s.rgdwFlags[k]);
      }
      sorts.push_back(std::move(order));
    }
  }
  std::vector<std::pair<CEPROPID, std::u16string>> specs;
  for (DWORD i = 0; i < prop_count; ++i) {
    if (!KnownType(props[i].propid)) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
    std::u16string prop_name;
    if (props[i].pwszPropName)
      prop_name.assign(props[i].pwszPropName,
                       std::min<std::size_t>(props[i].cchPropName, ce::text::WideLength(props[i].pwszPropName)));
    specs.emplace_back(props[i].propid, prop_name);
  }
  if (ShouldFail(CedbCall::kCreateDatabase)) return 0;
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<CEOID>(ERROR_NOT_FOUND, 0);
  std::lock_guard<std::mutex> guard(volume->lock());
  std::int64_t id = 0;
  DWORD error = volume->CreateDatabase(std::u16string(info->szDbaseName, name_len),
                                       (info->dwFlags & CEDB_VALIDTYPE) ? info->dwDbaseType : 0, sorts, specs, &id);
  return error == ERROR_SUCCESS ? DbOid(id) : Fail<CEOID>(error, 0);
}

CEOID CeCreateDatabaseEx(PCEGUID guid, CEDBASEINFO* info) {
  if (!info) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  CEDBASEINFOEX ex{};
  ex.wVersion = 1;
  ex.dwFlags = info->dwFlags;
  std::memcpy(ex.szDbaseName, info->szDbaseName, sizeof ex.szDbaseName);
  ex.dwDbaseType = info->dwDbaseType;
  ex.wNumSortOrder = std::min<WORD>(info->wNumSortOrder, CEDB_MAXSORTORDER);
  for (WORD i = 0; i < ex.wNumSortOrder; ++i) {
    ex.rgSortSpecs[i].wNumProps = 1;
    ex.rgSortSpecs[i].rgPropID[0] = info->rgSortSpecs[i].propid;
    ex.rgSortSpecs[i].rgdwFlags[0] = info->rgSortSpecs[i].dwFlags & ~static_cast<DWORD>(CEDB_SORT_UNIQUE);
    ex.rgSortSpecs[i].wKeyFlags = static_cast<WORD>(info->rgSortSpecs[i].dwFlags & CEDB_SORT_UNIQUE);
  }
  return CeCreateDatabaseWithProps(guid, &ex, 0, nullptr);
}

HANDLE CeOpenDatabaseInSession(HANDLE, PCEGUID guid, CEOID* oid, LPCWSTR name, SORTORDERSPECEX* sort, DWORD flags,
                               CENOTIFYREQUEST*) {
  HANDLE h;
  OpenCommon(guid, oid, name, sort, 0, flags, &h);
  return h;
}

HANDLE CeOpenDatabaseEx(PCEGUID guid, CEOID* oid, LPCWSTR name, CEPROPID sort_prop, DWORD flags, CENOTIFYREQUEST*) {
  HANDLE h;
  OpenCommon(guid, oid, name, nullptr, sort_prop, flags, &h);
  return h;
}

BOOL CeDeleteDatabase(PCEGUID guid, CEOID oid) {
  if (ShouldFail(CedbCall::kDeleteDatabase)) return FALSE;
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<BOOL>(ERROR_NOT_FOUND, FALSE);
  if (DbId(oid) < 0) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> guard(volume->lock());
  DWORD error = volume->DeleteDatabase(DbId(oid));
  return error == ERROR_SUCCESS ? TRUE : Fail<BOOL>(error, FALSE);
}

HANDLE CeFindFirstDatabaseEx(PCEGUID guid, DWORD type) {
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<HANDLE>(ERROR_NOT_FOUND, INVALID_HANDLE_VALUE);
  auto find = std::make_shared<FindHandle>();
  find->volume = volume;
  {
    std::lock_guard<std::mutex> guard(volume->lock());
    find->ids = volume->DatabaseIds(type);
  }
  return ce::kernel::InsertHandle(find);
}

CEOID CeFindNextDatabaseEx(HANDLE h, PCEGUID) {
  auto find = ce::kernel::LookupAs<FindHandle>(h);
  if (!find) return Fail<CEOID>(ERROR_INVALID_HANDLE, 0);
  if (find->next >= find->ids.size()) return Fail<CEOID>(ERROR_NO_MORE_ITEMS, 0);
  return DbOid(find->ids[find->next++]);
}

BOOL CeGetDatabaseInfoEx(PCEGUID guid, CEOID oid, CEDBASEINFOEX* out) {
  auto volume = VolumeOf(guid);
  if (!volume) return Fail<BOOL>(ERROR_NOT_FOUND, FALSE);
  if (!out || DbId(oid) < 0) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard<std::mutex> guard(volume->lock());
  auto info = volume->DatabaseById(DbId(oid));
  if (!info) return Fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  std::memset(out, 0, sizeof *out);
  out->wVersion = 2;
  out->dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC;
  std::size_t n = std::min<std::size_t>(info->name.size(), CEDB_MAXDBASENAMELEN - 1);
  std::copy(info->name.begin(), info->name.begin() + static_cast<std::ptrdiff_t>(n), out->szDbaseName);
  out->dwDbaseType = info->type;
  out->dwNumRecords = info->records;
  out->wNumSortOrder = static_cast<WORD>(std::min<std::size_t>(info->sorts.size(), CEDB_MAXSORTORDER));
  for (WORD i = 0; i < out->wNumSortOrder; ++i) {
    const SortOrder& s = info->sorts[i];
    out->rgSortSpecs[i].wVersion = 2;
    out->rgSortSpecs[i].wNumProps = static_cast<WORD>(s.props.size());
    out->rgSortSpecs[i].wKeyFlags = s.key_flags;
    for (std::size_t k = 0; k < s.props.size(); ++k) {
      out->rgSortSpecs[i].rgPropID[k] = s.props[k];
      out->rgSortSpecs[i].rgdwFlags[k] = s.flags[k];
    }
  }
  return TRUE;
}

CEOID CeSeekDatabaseEx(HANDLE h, DWORD seek_type, DWORD_PTR value, WORD value_count, LPDWORD index) {
  if (ShouldFail(CedbCall::kSeek)) return 0;
  auto db = Db(h);
  if (!db) return Fail<CEOID>(ERROR_INVALID_HANDLE, 0);
  Volume& v = *db->volume;
  std::lock_guard<std::mutex> guard(v.lock());
  Cursor next;
  switch (seek_type) {
    case CEDB_SEEK_BEGINNING:
    case CEDB_SEEK_END:
    case CEDB_SEEK_CURRENT: {
      std::int64_t base = 0;
      auto offset = static_cast<std::int64_t>(static_cast<LONG>(static_cast<DWORD>(value)));
      if (seek_type == CEDB_SEEK_END) base = v.RecordCount(db->info.id) - 1;
      if (seek_type == CEDB_SEEK_CURRENT) {
        db->Resolve();
        db->cursor.index = db->Place();
        if (!db->cursor.index) return Fail<CEOID>(ERROR_SEEK, 0);
        base = *db->cursor.index;
      }
      auto found = v.RecordAt(db->info.id, db->order(), base + offset);
      if (!found) return Fail<CEOID>(ERROR_SEEK, 0);
      next = Cursor{*found, base + offset, false};
      break;
    }
    case CEDB_SEEK_CEOID: {
      auto oid = static_cast<CEOID>(value);
      if (!v.RecordExists(db->info.id, oid)) return Fail<CEOID>(ERROR_SEEK, 0);
      next = Cursor{oid, std::nullopt, false};
      break;
    }
    case CEDB_SEEK_VALUEFIRSTEQUAL: {
      auto* vals = reinterpret_cast<const CEPROPVAL*>(value);
      if (!db->sort || !vals || value_count == 0 || value_count > db->sort->props.size())
        return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
      std::array<PropValue, CEDB_MAXSORTPROP> wanted;
      if (value_count > wanted.size()) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
      for (WORD i = 0; i < value_count; ++i) {
        if (vals[i].propid != db->sort->props[i]) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
        wanted[i] = FromCe(vals[i]);
      }
      auto found = v.FindEqual(db->info.id, *db->sort, wanted.data(), value_count, &db->seeks);
      if (!found) return Fail<CEOID>(ERROR_SEEK, 0);
      next = Cursor{*found, std::nullopt, false};
      break;
    }
    default:
      return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  }
  db->cursor = next;
  if (index) {
    if (!db->cursor.index) db->cursor.index = v.IndexOf(db->info.id, db->order(), db->cursor.oid);
    *index = static_cast<DWORD>(db->cursor.index.value_or(0));
  }
  return db->cursor.oid;
}

CEOID CeReadRecordPropsEx(HANDLE h, DWORD flags, LPWORD prop_count, CEPROPID* prop_ids, LPBYTE* buffer,
                          LPDWORD buffer_size, HANDLE) {
  if (!prop_count || !buffer_size) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  if (prop_ids && *prop_count == 0) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  if (ShouldFail(CedbCall::kRead)) return 0;
  auto db = Db(h);
  if (!db) return Fail<CEOID>(ERROR_INVALID_HANDLE, 0);
  Volume& v = *db->volume;
  std::lock_guard<std::mutex> guard(v.lock());
  db->Resolve();
  CEOID oid = db->cursor.oid;
  if (oid == 0) return Fail<CEOID>(ERROR_NO_MORE_ITEMS, 0);
  const bool known = db->cursor.index && v.StillAt(db->info.id, db->order(), *db->cursor.index, oid);
  if (!known && !v.RecordExists(db->info.id, oid)) return Fail<CEOID>(ERROR_KEY_DELETED, 0);
  std::vector<PropValue> stored = known ? v.ReadRecordAt(db->info.id, db->order(), *db->cursor.index, oid) : v.ReadRecord(oid);
  std::vector<CEPROPID> ids;
  std::vector<const PropValue*> props;
  auto find = [&](CEPROPID p) -> const PropValue* {
    for (auto& s : stored)
      if (s.propid == p) return &s;
    return nullptr;
  };
  if (prop_ids) {
    for (WORD i = 0; i < *prop_count; ++i) {
      ids.push_back(prop_ids[i]);
      props.push_back(find(prop_ids[i]));
    }
  } else {
    // Every property, the sort key first.
    if (db->sort) {
      for (CEPROPID p : db->sort->props) {
        if (const PropValue* s = find(p)) {
          ids.push_back(p);
          props.push_back(s);
        }
      }
    }
    for (auto& s : stored) {
      if (std::find(ids.begin(), ids.end(), s.propid) != ids.end()) continue;
      ids.push_back(s.propid);
      props.push_back(&s);
    }
  }
  std::size_t need = BufferSize(props);
  if (buffer) {
    if (*buffer == nullptr || *buffer_size < need) {
      if (!(flags & CEDB_ALLOWREALLOC)) {
        *buffer_size = static_cast<DWORD>(need);
        return Fail<CEOID>(ERROR_INSUFFICIENT_BUFFER, 0);
      }
      HLOCAL grown = *buffer ? LocalReAlloc(*buffer, need, LMEM_MOVEABLE) : LocalAlloc(LMEM_FIXED, need);
      if (!grown) return Fail<CEOID>(ERROR_NOT_ENOUGH_MEMORY, 0);
      *buffer = static_cast<LPBYTE>(grown);
    }
    FillBuffer(*buffer, ids, props);
  }
  *buffer_size = static_cast<DWORD>(need);
  *prop_count = static_cast<WORD>(ids.size());
  if (db->flags & CEDB_AUTOINCREMENT) db->cursor.advance = true;
  return oid;
}

CEOID CeWriteRecordProps(HANDLE h, CEOID oid, WORD prop_count, CEPROPVAL* values) {
  if (prop_count && !values) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
  std::vector<PropValue> writes;
  std::vector<CEPROPID> deletes;
  for (WORD i = 0; i < prop_count; ++i) {
    if (!KnownType(values[i].propid)) return Fail<CEOID>(ERROR_INVALID_PARAMETER, 0);
    if (values[i].wFlags & CEDB_PROPDELETE) {
      deletes.push_back(values[i].propid);
    } else {
      writes.push_back(FromCe(values[i]));
    }
  }
  if (ShouldFail(CedbCall::kWrite)) return 0;
  auto db = Db(h);
  if (!db) return Fail<CEOID>(ERROR_INVALID_HANDLE, 0);
  std::lock_guard<std::mutex> guard(db->volume->lock());
  CEOID written = 0;
  DWORD error = db->volume->WriteRecord(db->info, oid, writes, deletes, &written);
  return error == ERROR_SUCCESS ? written : Fail<CEOID>(error, 0);
}

BOOL CeDeleteRecord(HANDLE h, CEOID oid) {
  if (ShouldFail(CedbCall::kDeleteRecord)) return FALSE;
  auto db = Db(h);
  if (!db) return Fail<BOOL>(ERROR_INVALID_HANDLE, FALSE);
  std::lock_guard<std::mutex> guard(db->volume->lock());
  db->Resolve();
  DWORD error = db->volume->DeleteRecord(db->info.id, oid);
  if (error != ERROR_SUCCESS) return Fail<BOOL>(error, FALSE);
  db->cursor.index.reset();  // positions after it moved up
  return TRUE;
}
