// The resources of each module, and the platform calls that find them.
#include <algorithm>
#include <mutex>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/libraries.h"
#include "platform/resources/resources.h"
#include "platform/resources/resource_set.h"
#include "platform/text/utf.h"

namespace ce::resources {
namespace {

// A resource handed out by FindResourceW: its bytes stay valid for the life of the process.
struct Entry {
  std::vector<std::uint8_t> bytes;
};

struct Store {
  std::mutex mutex;
  std::map<std::u16string, std::shared_ptr<ResourceSet>> modules;
  // Handed-out entries by (set, type, name); kept even when a module's set is replaced.
  std::map<std::tuple<const ResourceSet*, ResName, ResName>, std::unique_ptr<Entry>> entries;
  std::vector<std::shared_ptr<ResourceSet>> retired;
};

Store& St() {
  static Store* s = new Store;
  return *s;
}

std::u16string Key(std::u16string_view name) {
  std::size_t slash = name.find_last_of(u"\\/");
  if (slash != std::u16string_view::npos) name = name.substr(slash + 1);
  std::size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string_view::npos) name = name.substr(0, dot);
  std::u16string key;
  for (char16_t c : name) key += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  return key;
}

std::shared_ptr<ResourceSet> SetOf(HMODULE module) {
  std::u16string key;
  HMODULE program = GetModuleHandleW(nullptr);
  if (module && module != program) {
    WCHAR path[260];
    DWORD n = GetModuleFileNameW(module, path, 260);
    if (n == 0) return nullptr;
    key = Key(std::u16string_view(path, n));
  }
  std::lock_guard<std::mutex> lock(St().mutex);
  auto& m = St().modules;
  if (key.empty()) {
    // The running program: its own name, or the set added for "the program".
    WCHAR path[260];
    DWORD n = GetModuleFileNameW(program, path, 260);
    if (n) {
      auto it = m.find(Key(std::u16string_view(path, n)));
      if (it != m.end()) return it->second;
    }
    auto it = m.find(u"");
    return it == m.end() ? nullptr : it->second;
  }
  auto it = m.find(key);
  return it == m.end() ? nullptr : it->second;
}

std::optional<std::vector<std::uint8_t>> FileOf(const ResourceSet& set, LPCWSTR type, LPCWSTR name) {
  ResName t = ResName::From(type);
  if (t.id == 14) t.id = 3;  // an icon group is the icon itself here
  auto by_type = set.files.find(t);
  if (by_type == set.files.end()) return std::nullopt;
  auto it = by_type->second.find(ResName::From(name));
  if (it == by_type->second.end()) return std::nullopt;
  return it->second;
}

}  // namespace

void AddModuleResources(std::u16string module, std::shared_ptr<ResourceSet> set) {
  static bool hooked = [] {
    gdi::SetResourceImageSource([](HINSTANCE m, LPCWSTR name, UINT type) -> std::optional<std::vector<unsigned char>> {
      auto s = SetOf(m);
      if (!s) return std::nullopt;
      return FileOf(*s, type == 1 /* IMAGE_ICON */ ? MAKEINTRESOURCEW(3) : MAKEINTRESOURCEW(2), name);
    });
    return true;
  }();
  (void)hooked;
  std::lock_guard<std::mutex> lock(St().mutex);
  auto& slot = St().modules[Key(module)];
  if (slot) St().retired.push_back(slot);
  slot = std::move(set);
}

std::string AddModuleResourceText(std::u16string module, std::string_view text,
                                  const std::map<std::string, std::vector<std::uint8_t>>& files) {
  auto r = ParseResources(text, files);
  if (!r.set) return r.error;
  AddModuleResources(std::move(module), r.set);
  return {};
}

void RemoveModuleResources(const std::u16string& module) {
  std::lock_guard<std::mutex> lock(St().mutex);
  auto it = St().modules.find(Key(module));
  if (it == St().modules.end()) return;
  St().retired.push_back(it->second);
  St().modules.erase(it);
}

std::shared_ptr<const ResourceSet> ResourcesOf(HMODULE module) { return SetOf(module); }

std::shared_ptr<const ResourceSet> ModuleResources(const std::u16string& module) {
  std::lock_guard<std::mutex> lock(St().mutex);
  auto it = St().modules.find(Key(module));
  return it == St().modules.end() ? nullptr : it->second;
}

const DialogTemplate* FindDialog(const ResourceSet& set, LPCWSTR name) {
  auto it = set.dialogs.find(ResName::From(name));
  return it == set.dialogs.end() ? nullptr : &it->second;
}

std::size_t KnownTemplateSize(const void* data) {
  std::lock_guard<std::mutex> lock(St().mutex);
  for (auto& [key, e] : St().entries)
    if (e->bytes.data() == data) return e->bytes.size();
  return 0;
}

}  // namespace ce::resources

using namespace ce::resources;

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  auto set = SetOf(module);
  if (!set || !name || !type) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::optional<std::vector<std::uint8_t>> bytes;
  ResName t = ResName::From(type);
  if (t.id == 5) {
    if (const DialogTemplate* d = FindDialog(*set, name)) bytes = EncodeDialog(*d);
  } else {
    bytes = FileOf(*set, type, name);
  }
  if (!bytes) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(St().mutex);
  auto& e = St().entries[{set.get(), t, ResName::From(name)}];
  if (!e) e = std::make_unique<Entry>(Entry{std::move(*bytes)});
  return reinterpret_cast<HRSRC>(e.get());
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  (void)module;
  if (!resource) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return reinterpret_cast<Entry*>(resource)->bytes.data();
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  (void)module;
  if (!resource) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return static_cast<DWORD>(reinterpret_cast<Entry*>(resource)->bytes.size());
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
  auto set = SetOf(instance);
  const std::u16string* s = nullptr;
  if (set) {
    auto it = set->strings.find(id);
    if (it != set->strings.end()) s = &it->second;
  }
  if (!s) {
    if (buffer && size > 0) buffer[0] = 0;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  if (!buffer) return 0;
  if (size == 0) {
    // The buffer receives a pointer to the stored string (read-only); sets are never freed.
    *reinterpret_cast<const WCHAR**>(buffer) = s->c_str();
    return static_cast<int>(s->size());
  }
  if (size < 0) return 0;
  std::size_t n = std::min<std::size_t>(s->size(), static_cast<std::size_t>(size - 1));
  std::copy_n(s->begin(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}
