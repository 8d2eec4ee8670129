// Inside the registry: the process's open keys (HKEY values issued by RegOpenKeyExW and
// RegCreateKeyExW) and the predefined roots.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry_store.h"

namespace ce::registry {

struct KeyRef {
  KeyId id = 0;              // the key's row in the store
  KeyId root = 0;            // 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE
  std::u16string path;       // below the root, '\'-separated, as the key was opened
  std::uint64_t generation;  // the store generation the key belongs to; 0 for a root
};

// The key behind a handle (a root or an open key); false for an unknown handle.
bool ResolveKey(HKEY key, KeyRef* ref);
// The same without the key's path (what reading and writing values need): its row and generation.
bool ResolveKeyId(HKEY key, KeyId* id, std::uint64_t* generation);
// Issues a handle for an opened key.
HKEY InsertKey(const KeyRef& ref);
bool RemoveKey(HKEY key);
// Joins a parent path and a relative path into a clean '\'-separated path.
std::u16string JoinPath(const std::u16string& base, const std::vector<std::u16string_view>& parts);

}  // namespace ce::registry
