// The registry functions the programs call, over the SQLite store.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/registry/registry.h"
#include "platform/registry/registry_handles.h"
#include "platform/text/utf.h"

namespace ce::registry {
namespace {

constexpr std::size_t kMaxNameChars = 255;

std::mutex g_keys_lock;
std::unordered_map<std::uintptr_t, KeyRef> g_keys;
std::uintptr_t g_next_key = 0x1000;

bool NameTooLong(const std::vector<std::u16string_view>& parts) {
  return std::any_of(parts.begin(), parts.end(), [](auto p) { return p.size() > kMaxNameChars; });
}


// Copies `data` to the caller's buffer following the platform's size rules.
LONG CopyOut(const std::vector<BYTE>& data, LPBYTE out, LPDWORD out_size) {
  DWORD need = static_cast<DWORD>(data.size());
  if (out) {
    if (!out_size) return ERROR_INVALID_PARAMETER;
    if (*out_size < need) {
      *out_size = need;
      return ERROR_MORE_DATA;
    }
    if (need) std::memcpy(out, data.data(), need);
  }
  if (out_size) *out_size = need;
  return ERROR_SUCCESS;
}

// Copies a name into a character buffer: in, the capacity with terminator; out, the length.
LONG CopyName(const std::u16string& name, LPWSTR out, LPDWORD chars) {
  if (!out || !chars) return ERROR_INVALID_PARAMETER;
  if (*chars < name.size() + 1) {
    *chars = static_cast<DWORD>(name.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::copy(name.begin(), name.end(), out);
  out[name.size()] = 0;
  *chars = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace

bool ResolveKey(HKEY key, KeyRef* ref) {
  auto v = reinterpret_cast<std::uintptr_t>(key);
  if (v >= 0x80000000u && v <= 0x80000002u) {
    KeyId root = static_cast<KeyId>(v - 0x80000000u + 1);
    *ref = KeyRef{root, root, u"", 0};
    return true;
  }
  std::lock_guard<std::mutex> guard(g_keys_lock);
  auto it = g_keys.find(v);
  if (it == g_keys.end()) return false;
  *ref = it->second;
  return true;
}

bool ResolveKeyId(HKEY key, KeyId* id, std::uint64_t* generation) {
  auto v = reinterpret_cast<std::uintptr_t>(key);
  if (v >= 0x80000000u && v <= 0x80000002u) {
    *id = static_cast<KeyId>(v - 0x80000000u + 1);
    *generation = 0;
    return true;
  }
  std::lock_guard<std::mutex> guard(g_keys_lock);
  auto it = g_keys.find(v);
  if (it == g_keys.end()) return false;
  *id = it->second.id;
  *generation = it->second.generation;
  return true;
}

HKEY InsertKey(const KeyRef& ref) {
  std::lock_guard<std::mutex> guard(g_keys_lock);
  std::uintptr_t v = g_next_key;
  g_next_key += 4;
  g_keys.emplace(v, ref);
  return reinterpret_cast<HKEY>(v);
}

bool RemoveKey(HKEY key) {
  std::lock_guard<std::mutex> guard(g_keys_lock);
  return g_keys.erase(reinterpret_cast<std::uintptr_t>(key)) > 0;
}

std::u16string JoinPath(const std::u16string& base, const std::vector<std::u16string_view>& parts) {
  std::u16string path = base;
  for (auto p : parts) {
    if (!path.empty()) path += u'\\';
    path += p;
  }
  return path;
}

namespace {

// The key behind a handle with the store locked. An open key belongs to the store it was opened
// in; after a switch of device folder it is stale (ERROR_INVALID_HANDLE).
LONG OpenKey(HKEY key, KeyRef* ref, Store::Locked* locked) {
  if (!ResolveKey(key, ref)) return ERROR_INVALID_HANDLE;
  *locked = Store::Open();
  if (!locked->store) return locked->error;
  if (ref->generation != 0 && ref->generation != locked->store->generation()) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

// The row of the key behind a handle, with the store locked; as OpenKey without copying the path.
LONG OpenKeyId(HKEY key, KeyId* id, Store::Locked* locked) {
  std::uint64_t generation = 0;
  if (!ResolveKeyId(key, id, &generation)) return ERROR_INVALID_HANDLE;
  *locked = Store::Open();
  if (!locked->store) return locked->error;
  if (generation != 0 && generation != locked->store->generation()) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

// A sub-key path below an open key, with the store locked: what opening and creating share.
struct SubkeyPath {
  std::vector<std::u16string_view> parts;
  KeyRef base;
  Store::Locked locked;
};

LONG OpenSubkeyPath(HKEY key, LPCWSTR sub_key, PHKEY result, SubkeyPath* path) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  path->parts = SplitPath(ce::text::WideView(sub_key));
  if (NameTooLong(path->parts)) return ERROR_INVALID_PARAMETER;
  return OpenKey(key, &path->base, &path->locked);
}

// A new handle for the key `id` found or made at that path.
HKEY IssueSubkey(const SubkeyPath& path, KeyId id) {
  return InsertKey(KeyRef{id, path.base.root, JoinPath(path.base.path, path.parts), path.locked.store->generation()});
}

}  // namespace

}  // namespace ce::registry

using namespace ce::registry;

LONG RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD, REGSAM, PHKEY result) {
  SubkeyPath path;
  LONG error = OpenSubkeyPath(key, sub_key, result, &path);
  if (error != ERROR_SUCCESS) return error;
  if (!path.locked.store->KeyExists(path.base.id)) return ERROR_KEY_DELETED;
  KeyId id = path.locked.store->FindKey(path.base.id, path.parts);
  if (!id) return ERROR_FILE_NOT_FOUND;
  *result = IssueSubkey(path, id);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR sub_key, DWORD, LPWSTR, DWORD, REGSAM, SECURITY_ATTRIBUTES*,
                     PHKEY result, LPDWORD disposition) {
  SubkeyPath path;
  LONG error = OpenSubkeyPath(key, sub_key, result, &path);
  if (error != ERROR_SUCCESS) return error;
  KeyId id = 0;
  bool created = false;
  error = path.locked.store->CreateKey(path.base.id, path.parts, &id, &created);
  if (error != ERROR_SUCCESS) return error;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = IssueSubkey(path, id);
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  auto v = reinterpret_cast<std::uintptr_t>(key);
  if (v >= 0x80000000u && v <= 0x80000002u) return ERROR_SUCCESS;
  return RemoveKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegFlushKey(HKEY key) {
  KeyRef ref;
  Store::Locked locked;
  LONG error = OpenKey(key, &ref, &locked);
  if (error != ERROR_SUCCESS) return error;
  locked.store->Checkpoint();
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD data_size) {
  if (data && !data_size) return ERROR_INVALID_PARAMETER;
  KeyId id = 0;
  Store::Locked locked;
  LONG error = OpenKeyId(key, &id, &locked);
  if (error != ERROR_SUCCESS) return error;
  // Copied from the row straight into the caller's buffer.
  LONG result = ERROR_SUCCESS;
  if (!locked.store->ReadValueInto(id, ce::text::WideView(value_name), type, data, data_size, &result))
    return locked.store->KeyExists(id) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
  return result;
}

LONG RegSetValueExW(HKEY key, LPCWSTR value_name, DWORD, DWORD type, const BYTE* data, DWORD data_size) {
  // The store takes sizes as a signed int: a larger one is no size a value can have.
  if ((!data && data_size) || data_size > 0x7FFFFFFFu) return ERROR_INVALID_PARAMETER;
  auto name = ce::text::WideView(value_name);
  if (name.size() > kMaxNameChars) return ERROR_INVALID_PARAMETER;
  KeyId id = 0;
  Store::Locked locked;
  LONG error = OpenKeyId(key, &id, &locked);
  if (error != ERROR_SUCCESS) return error;
  return locked.store->WriteValue(id, name, type, data, data_size);
}

LONG RegDeleteValueW(HKEY key, LPCWSTR value_name) {
  KeyRef ref;
  Store::Locked locked;
  LONG error = OpenKey(key, &ref, &locked);
  if (error != ERROR_SUCCESS) return error;
  return locked.store->DeleteValue(ref.id, ce::text::WideView(value_name));
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR sub_key) {
  auto parts = SplitPath(ce::text::WideView(sub_key));
  if (parts.empty()) return ERROR_INVALID_PARAMETER;
  KeyRef base;
  Store::Locked locked;
  LONG error = OpenKey(key, &base, &locked);
  if (error != ERROR_SUCCESS) return error;
  KeyId id = locked.store->FindKey(base.id, parts);
  if (!id) return locked.store->KeyExists(base.id) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
  return locked.store->DeleteKeyTree(id);
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD name_chars, LPDWORD, LPWSTR class_name,
                   LPDWORD class_chars, FILETIME* last_write) {
  KeyRef ref;
  Store::Locked locked;
  LONG error = OpenKey(key, &ref, &locked);
  if (error != ERROR_SUCCESS) return error;
  auto sub = locked.store->SubkeyName(ref.id, index);
  if (!sub) return locked.store->KeyExists(ref.id) ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
  error = CopyName(*sub, name, name_chars);
  if (error != ERROR_SUCCESS) return error;
  if (class_name && class_chars && *class_chars) class_name[0] = 0;
  if (class_chars) *class_chars = 0;
  if (last_write) *last_write = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR value_name, LPDWORD value_name_chars, LPDWORD,
                   LPDWORD type, LPBYTE data, LPDWORD data_size) {
  if (data && !data_size) return ERROR_INVALID_PARAMETER;
  KeyRef ref;
  Store::Locked locked;
  LONG error = OpenKey(key, &ref, &locked);
  if (error != ERROR_SUCCESS) return error;
  auto value = locked.store->ValueAt(ref.id, index);
  if (!value) return locked.store->KeyExists(ref.id) ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
  error = CopyName(value->name, value_name, value_name_chars);
  if (error != ERROR_SUCCESS) return error;
  if (type) *type = value->value.type;
  return CopyOut(value->value.data, data, data_size);
}
