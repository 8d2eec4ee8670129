// The process's modules: the program itself and the libraries it loaded, with their references.
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/files/ce_path.h"
#include "platform/files/module_path.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/library_config.h"
#include "platform/libraries/library_seam.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/text/utf.h"

namespace {

using ce::libraries::BuiltinLibrary;
using ce::libraries::LibrarySeam;
using DllMainFunction = BOOL (*)(HINSTANCE, DWORD, LPVOID);

// The program's own module handle; libraries get handles from kFirstLibrary on, never reused.
const HMODULE kProgramModule = reinterpret_cast<HMODULE>(std::uintptr_t{0x00010000});
constexpr std::uintptr_t kFirstLibrary = 0x10000000;
constexpr std::uintptr_t kLibraryStep = 0x00010000;

struct Module {
  std::u16string key;
  std::u16string ce_path;
  int references = 1;
  BuiltinLibrary builtin;         // a stand-in's exports
  void* shared = nullptr;         // a shared library's handle
  std::string shared_file;        // its host path, as the loader knows it
  std::map<WORD, std::string> ordinals;
};

struct Modules {
  std::recursive_mutex lock;  // held across DllMain, which may load or query modules itself
  std::map<std::uintptr_t, std::unique_ptr<Module>> loaded;
  std::uintptr_t next = kFirstLibrary;
};

Modules& TheModules() {
  static Modules* modules = new Modules;
  return *modules;
}

Module* Find(HMODULE h) {
  auto& loaded = TheModules().loaded;
  auto it = loaded.find(reinterpret_cast<std::uintptr_t>(h));
  return it == loaded.end() ? nullptr : it->second.get();
}

std::pair<HMODULE, Module*> FindByKey(const std::u16string& key) {
  for (auto& [value, module] : TheModules().loaded) {
    if (module->key == key) return {reinterpret_cast<HMODULE>(value), module.get()};
  }
  return {nullptr, nullptr};
}

// A symbol of the shared library itself, not one it merely reaches through its dependencies.
void* OwnSymbol(const Module& m, const char* name) {
  void* symbol = ::dlsym(m.shared, name);
  if (!symbol) return nullptr;
  Dl_info info;
  struct link_map* map = nullptr;
  if (!::dladdr(symbol, &info) || ::dlinfo(m.shared, RTLD_DI_LINKMAP, &map) != 0 || !map || !info.dli_fname ||
      std::strcmp(info.dli_fname, map->l_name) != 0) {
    return nullptr;
  }
  return symbol;
}

DllMainFunction EntryOf(const Module& m) {
  return m.shared ? reinterpret_cast<DllMainFunction>(OwnSymbol(m, "DllMain")) : nullptr;
}

// The CE path a library is known by: the path given, or the device's library folder for a bare name.
std::u16string CePathOf(std::u16string_view name) {
  std::u16string path(name);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  if (path.find(u'\\') == std::u16string::npos) {
    if (path.find(u'.') == std::u16string::npos) path += u".dll";
    path = u"\\Windows\\" + path;
  }
  return path;
}

std::u16string BaseName(std::u16string_view name) {
  std::size_t cut = name.find_last_of(u"\\/");
  if (cut != name.npos) name.remove_prefix(cut + 1);
  std::u16string base(name);
  if (base.size() > 4 && ce::files::NamesEqual(std::u16string_view(base).substr(base.size() - 4), u".dll")) {
    base.resize(base.size() - 4);
  }
  return base;
}

HMODULE FailModule(DWORD error) {
  SetLastError(error);
  return nullptr;
}

FARPROC FailProc(DWORD error) {
  SetLastError(error);
  return nullptr;
}

FARPROC ByName(const Module& m, const std::string& name) {
  if (LibrarySeam::Get().IsEntryAbsent(m.key, name)) return FailProc(ERROR_PROC_NOT_FOUND);
  FARPROC proc = nullptr;
  if (m.shared) {
    proc = reinterpret_cast<FARPROC>(OwnSymbol(m, name.c_str()));
  } else {
    auto it = m.builtin.by_name.find(name);
    if (it != m.builtin.by_name.end()) proc = it->second;
  }
  if (!proc) return FailProc(ERROR_PROC_NOT_FOUND);
  SetLastError(ERROR_SUCCESS);
  return proc;
}

FARPROC ByOrdinal(const Module& m, WORD ordinal) {
  if (LibrarySeam::Get().IsOrdinalAbsent(m.key, ordinal)) return FailProc(ERROR_PROC_NOT_FOUND);
  if (m.shared) {
    auto it = m.ordinals.find(ordinal);
    return it == m.ordinals.end() ? FailProc(ERROR_PROC_NOT_FOUND) : ByName(m, it->second);
  }
  auto it = m.builtin.by_ordinal.find(ordinal);
  if (it == m.builtin.by_ordinal.end() || !it->second) return FailProc(ERROR_PROC_NOT_FOUND);
  SetLastError(ERROR_SUCCESS);
  return it->second;
}

FARPROC Lookup(HMODULE h, const std::string* name, WORD ordinal) {
  Modules& modules = TheModules();
  std::lock_guard<std::recursive_mutex> guard(modules.lock);
  if (h == kProgramModule) return FailProc(ERROR_PROC_NOT_FOUND);
  Module* m = Find(h);
  if (!m) return FailProc(ERROR_INVALID_HANDLE);
  return name ? ByName(*m, *name) : ByOrdinal(*m, ordinal);
}

}  // namespace

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
  if (!lpLibFileName) return FailModule(ERROR_INVALID_PARAMETER);
  std::u16string_view name = ce::text::WideView(lpLibFileName);
  std::u16string key = ce::libraries::LibraryKey(name);
  if (key.empty()) return FailModule(ERROR_MOD_NOT_FOUND);
  Modules& modules = TheModules();
  std::lock_guard<std::recursive_mutex> guard(modules.lock);
  if (LibrarySeam::Get().IsAbsent(key)) return FailModule(ERROR_MOD_NOT_FOUND);
  if (auto [h, m] = FindByKey(key); m) {
    ++m->references;
    SetLastError(ERROR_SUCCESS);
    return h;
  }

  auto module = std::make_unique<Module>();
  module->key = key;
  module->ce_path = CePathOf(name);
  if (auto builtin = ce::libraries::internal::FindBuiltin(key)) {
    module->builtin = std::move(*builtin);
  } else {
    std::filesystem::path file = ce::libraries::internal::FindSharedLibrary(key, BaseName(name));
    if (file.empty()) return FailModule(ERROR_MOD_NOT_FOUND);
    // The code stays mapped after the last FreeLibrary (see the README): state a library keeps for
    // the whole process, and threads still inside it, outlive its detach.
    module->shared = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!module->shared) return FailModule(ERROR_MOD_NOT_FOUND);
    module->shared_file = file.string();
    module->ordinals = ce::libraries::internal::MappedOrdinals(key);
    if (auto* table = static_cast<const CeOrdinalExport*>(OwnSymbol(*module, "ce_ordinal_exports"))) {
      for (; table->name; ++table) module->ordinals.emplace(table->ordinal, table->name);
    }
  }
  HMODULE h = reinterpret_cast<HMODULE>(modules.next);
  modules.next += kLibraryStep;
  Module* m = module.get();
  modules.loaded.emplace(reinterpret_cast<std::uintptr_t>(h), std::move(module));
  // The library is known before its entry runs, so that it can ask for its own path.
  if (DllMainFunction entry = EntryOf(*m); entry && !entry(reinterpret_cast<HINSTANCE>(h), DLL_PROCESS_ATTACH, nullptr)) {
    entry(reinterpret_cast<HINSTANCE>(h), DLL_PROCESS_DETACH, nullptr);
    ::dlclose(m->shared);
    modules.loaded.erase(reinterpret_cast<std::uintptr_t>(h));
    return FailModule(ERROR_DLL_INIT_FAILED);
  }
  SetLastError(ERROR_SUCCESS);
  return h;
}

BOOL FreeLibrary(HMODULE hLibModule) {
  Modules& modules = TheModules();
  std::lock_guard<std::recursive_mutex> guard(modules.lock);
  if (hLibModule == kProgramModule) return TRUE;
  Module* m = Find(hLibModule);
  if (!m) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (--m->references == 0) {
    if (DllMainFunction entry = EntryOf(*m)) entry(reinterpret_cast<HINSTANCE>(hLibModule), DLL_PROCESS_DETACH, nullptr);
    if (m->shared) ::dlclose(m->shared);
    modules.loaded.erase(reinterpret_cast<std::uintptr_t>(hLibModule));
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

FARPROC GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName) {
  if (!lpProcName) return FailProc(ERROR_INVALID_PARAMETER);
  if (IS_INTRESOURCE(lpProcName)) {
    return Lookup(hModule, nullptr, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpProcName)));
  }
  std::string name = ce::text::ToUtf8(ce::text::WideView(lpProcName));
  return Lookup(hModule, &name, 0);
}

FARPROC GetProcAddress(HMODULE hModule, LPCWSTR lpProcName) { return GetProcAddressW(hModule, lpProcName); }

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (!lpProcName) return FailProc(ERROR_INVALID_PARAMETER);
  if (IS_INTRESOURCE(lpProcName)) {
    return Lookup(hModule, nullptr, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpProcName)));
  }
  std::string name(lpProcName);
  return Lookup(hModule, &name, 0);
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
  if (!lpModuleName) return kProgramModule;
  Modules& modules = TheModules();
  std::lock_guard<std::recursive_mutex> guard(modules.lock);
  std::u16string key = ce::libraries::LibraryKey(ce::text::WideView(lpModuleName));
  auto [h, m] = FindByKey(key);
  if (!m) {
    if (key == ce::libraries::LibraryKey(ce::files::ModulePath())) return kProgramModule;
    return FailModule(ERROR_MOD_NOT_FOUND);
  }
  return h;
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  std::u16string path;
  if (!hModule || hModule == kProgramModule) {
    path = ce::files::ModulePath();
  } else {
    Modules& modules = TheModules();
    std::lock_guard<std::recursive_mutex> guard(modules.lock);
    Module* m = Find(hModule);
    if (!m) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = m->ce_path;
  }
  if (!lpFilename || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() + 1 > nSize) {
    std::memcpy(lpFilename, path.data(), (nSize - 1) * sizeof(WCHAR));
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.data(), path.size() * sizeof(WCHAR));
  lpFilename[path.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}
