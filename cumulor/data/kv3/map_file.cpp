#include "cumulor/data/kv3/map_file.h"

#include <cstdint>
#include <string>

#include "cumulor/data/kv3/kv3_input.h"
#include "platform/base/errors.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"

namespace cumulor::kv3 {

namespace {

std::int32_t Word(const std::array<std::uint8_t, kHeaderBytes>& h, std::size_t at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(h[at]) | (static_cast<std::uint32_t>(h[at + 1]) << 8) |
                                   (static_cast<std::uint32_t>(h[at + 2]) << 16) |
                                   (static_cast<std::uint32_t>(h[at + 3]) << 24));
}

// A new entry for a full path: the folder before the last "\", the name behind it.
bool EntryForPath(const WCHAR* path, DataFileEntry& entry) {
  const std::u16string p(path);
  const std::size_t cut = p.find_last_of(u'\\');
  const std::u16string folder = cut == std::u16string::npos ? std::u16string() : p.substr(0, cut);
  const std::u16string name = cut == std::u16string::npos ? p : p.substr(cut + 1);
  if (name.empty() || name.size() >= kDataFileNameChars || folder.size() >= kDataFileNameChars) return false;
  entry = NewDataFileEntry();
  SetEntryText(entry.name, name.c_str());
  SetEntryText(entry.folder, cut == 0 ? u"\\" : folder.c_str());
  return true;
}

std::int32_t HandleSlot(HANDLE h) { return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h)); }

}  // namespace

HANDLE EntryHandle(const DataFileEntry& entry) {
  return entry.handle == -1 ? nullptr : reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(entry.handle));
}

HRESULT LoadMapFile(MapFileContext& context, PathList& list, const WCHAR* path, std::int32_t listIndex) {
  if (!path || !path[0]) return E_FAIL;
  if (listIndex == -1) {
    DataFileEntry entry;
    if (!EntryForPath(path, entry) || list.Append(entry) != S_OK) return E_FAIL;
    listIndex = list.Size() - 1;
  } else if (listIndex < 0 || listIndex >= list.Size()) {
    return E_FAIL;
  } else if (list[listIndex].handle != -1) {
    return S_OK;  // already open and registered: its handle stays in use by the tiles
  }
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (context.showMissing) {
      std::u16string text = u"File ";
      text += path;
      text += u" NOT FOUND.";
      context.showMissing(text.c_str());
    }
    return E_FAIL;
  }
  Kv3Input in(file);
  std::array<std::uint8_t, kHeaderBytes> header{};
  if (!in.Read(header.data(), kHeaderBytes)) {
    CloseHandle(file);
    return E_FAIL;
  }
  if (Word(header, 4) >= 2) {
    in.Seek(0);
    list[listIndex].handle = HandleSlot(file);
    return ReadTiledFile(context.tiled, file);
  }
  HRESULT hr = context.readWholeFile ? context.readWholeFile(file, header) : E_FAIL;
  CloseHandle(file);
  return hr;
}

void CloseMapFiles(PathList& list) {
  for (DataFileEntry& e : list) {
    if (HANDLE h = EntryHandle(e)) CloseHandle(h);
    e.handle = -1;
  }
}

}  // namespace cumulor::kv3
