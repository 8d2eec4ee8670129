// ceshell.dll as the programs load it, by name.
#include "platform/devicelibs/ceshell.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/files/files.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"

const IID IID_IMalloc = {0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

class ShellAllocator final : public IMalloc {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_INVALIDARG;
    if (iid == IID_IUnknown || iid == IID_IMalloc) {
      *object = static_cast<IMalloc*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  void* Alloc(ULONG size) override {
    void* block = std::malloc(size ? size : 1);
    if (!block) return nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    sizes_[block] = size;
    return block;
  }
  void* Realloc(void* block, ULONG size) override {
    if (!block) return Alloc(size);
    if (size == 0) {
      Free(block);
      return nullptr;
    }
    std::lock_guard<std::mutex> guard(lock_);
    auto it = sizes_.find(block);
    if (it == sizes_.end()) return nullptr;
    void* moved = std::realloc(block, size);
    if (!moved) return nullptr;  // the old block stays valid
    sizes_.erase(it);
    sizes_[moved] = size;
    return moved;
  }
  void Free(void* block) override {
    if (!block) return;
    std::lock_guard<std::mutex> guard(lock_);
    if (sizes_.erase(block)) std::free(block);
  }
  ULONG GetSize(void* block) override {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = sizes_.find(block);
    return it == sizes_.end() ? static_cast<ULONG>(-1) : it->second;
  }
  int DidAlloc(void* block) override {
    std::lock_guard<std::mutex> guard(lock_);
    return sizes_.count(block) ? 1 : 0;
  }
  void HeapMinimize() override {}

 private:
  std::mutex lock_;
  std::unordered_map<void*, ULONG> sizes_;
};

ShellAllocator& Allocator() {
  static ShellAllocator* allocator = new ShellAllocator;  // outlives every static of the programs
  return *allocator;
}

std::u16string DocumentsFolder() {
  WCHAR value[MAX_PATH] = {};
  if (RegistryGetString(HKEY_LOCAL_MACHINE, u"\\System\\Explorer\\Shell Folders", u"My Documents", value, MAX_PATH) ==
          S_OK &&
      value[0] == u'\\' && value[1] != 0) {
    return std::u16string(ce::text::WideView(value));
  }
  return u"\\My Documents";
}

}  // namespace

HRESULT SHGetMalloc(IMalloc** allocator) {
  if (!allocator) return E_INVALIDARG;
  *allocator = &Allocator();
  return S_OK;
}

HRESULT SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* list) {
  if (!list) return E_INVALIDARG;
  *list = nullptr;
  if (folder != CSIDL_PERSONAL) return E_INVALIDARG;
  std::u16string path = DocumentsFolder();
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(path.c_str(), nullptr);
  // One item (count, path with its NUL), then the zero count that ends the list.
  std::size_t path_bytes = (path.size() + 1) * sizeof(WCHAR);
  auto item = static_cast<USHORT>(sizeof(USHORT) + path_bytes);
  auto* bytes = static_cast<BYTE*>(Allocator().Alloc(item + sizeof(USHORT)));
  if (!bytes) return E_OUTOFMEMORY;
  std::memcpy(bytes, &item, sizeof item);
  std::memcpy(bytes + sizeof(USHORT), path.c_str(), path_bytes);
  const USHORT end = 0;
  std::memcpy(bytes + item, &end, sizeof end);
  *list = reinterpret_cast<LPITEMIDLIST>(bytes);
  return S_OK;
}

BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPWSTR path) {
  if (path) path[0] = 0;
  if (!list || !path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto* bytes = reinterpret_cast<const BYTE*>(list);
  USHORT item = 0;
  std::memcpy(&item, bytes, sizeof item);

  // A path item: an even number of bytes after the count, at most MAX_PATH characters, the last
  // one the NUL and no NUL before it.
  // A list of the shell allocator is known to hold no more than its block.
  ULONG block = Allocator().GetSize(const_cast<BYTE*>(bytes));
  if (block != static_cast<ULONG>(-1) && static_cast<std::size_t>(item) + sizeof(USHORT) > block) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::size_t chars = item >= sizeof(USHORT) ? (item - sizeof(USHORT)) / sizeof(WCHAR) : 0;
  if (item % sizeof(WCHAR) != 0 || chars < 2 || chars > MAX_PATH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string text(chars, u'\0');
  std::memcpy(text.data(), bytes + sizeof(USHORT), chars * sizeof(WCHAR));
  if (text.back() != 0 || text.find(u'\0') != chars - 1 || text[0] != u'\\') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memcpy(path, text.data(), chars * sizeof(WCHAR));
  return TRUE;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"ceshell.dll",
                                 {.by_name = {{"SHGetSpecialFolderLocation", Export(&SHGetSpecialFolderLocation)},
                                              {"SHGetPathFromIDList", Export(&SHGetPathFromIDList)},
                                              {"SHGetMalloc", Export(&SHGetMalloc)}},
                                  .by_ordinal = {}});
  return true;
}();
}  // namespace
