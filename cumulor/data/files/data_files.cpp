#include "cumulor/data/files/data_files.h"

#include <cstring>
#include <string>

#include "cumulor/app/base/language.h"
#include "cumulor/app/base/text_convert.h"
#include "cumulor/nav/polar/polar.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/libraries/libraries.h"

namespace cumulor {

namespace {

const DataFileCategoryInfo kCategories[kDataFileTypeCount] = {
    {"Terrain", u"kv3", 1, 0, 1},      {"UserWaypoints", u"dat", 1, 1, 1}, {"UserAirspace", u"txt", 1, 0, 1},
    {"Polar", u"plr", 1, 1, 0},        {"Shape", u"shp", 1, 0, 1},        {"AviationDb", u"ka1", 1, 0, 1},
    {"Countries", nullptr, 0, 0, 1},   {"Thermals", u"kt?", 1, 0, 1},     {"Languages", nullptr, 0, 1, 0},
};

// The order in which "Files" children are matched to categories.
const std::int32_t kLoadOrder[kDataFileTypeCount] = {0, 1, 2, 3, 4, 5, 6, 8, 7};

constexpr std::int32_t kMaxCards = 5;

DataFileCategory g_selected[kDataFileTypeCount];
PathList g_available[kDataFileTypeCount];
WCHAR g_dataFolder[MAX_PATH] = {};
WCHAR g_cards[kMaxCards][128] = {};
std::int32_t g_cardCount = 0;
WCHAR g_fullPath[256] = {};

void CopyWide(WCHAR* out, std::size_t size, const WCHAR* text) {
  std::size_t i = 0;
  for (; text && text[i] && i + 1 < size; ++i) out[i] = text[i];
  out[i] = 0;
}

std::u16string Widen(const char* text) {
  std::u16string out;
  for (; text && *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
  return out;
}

std::string Narrow(const WCHAR* text) {
  std::string out;
  for (; text && *text; ++text) out += static_cast<char>(*text & 0xFF);
  return out;
}

bool ReadCategory(const XmlNode& element, PathList& list) {
  list.SetSize(0);
  for (std::int32_t i = 0; i < element.ChildCount(); ++i) {
    const XmlNode* child = element.Child(i);
    const char* text = child->GetText();
    if (!text) continue;  // a file without a name
    std::u16string name = Widen(text);
    while (!name.empty() && name.back() == u' ') name.pop_back();
    DataFileEntry e = NewDataFileEntry();
    SetEntryText(e.name, name.c_str());
    if (child->AttributeCount() > 1) {
      const char* path = child->GetAttribute("path");
      if (!path) continue;  // two attributes, none of them the folder
      SetEntryText(e.folder, Widen(path).c_str());
    }
    list.Append(e);
  }
  return true;
}

}  // namespace

const DataFileCategoryInfo& DataFileCategoryOf(std::int32_t category) {
  return kCategories[category >= 0 && category < kDataFileTypeCount ? category : 0];
}

DataFileCategory* SelectedDataFiles() { return g_selected; }
PathList* AvailableDataFiles() { return g_available; }

void SetDataFilesFolder(const WCHAR* folder) { CopyWide(g_dataFolder, MAX_PATH, folder); }
const WCHAR* DataFilesFolder() { return g_dataFolder; }

std::uint8_t GetDataFileFlag(std::int32_t category) {
  return category >= 0 && category < kDataFileTypeCount ? g_selected[category].changed : 0;
}

void SetDataFileFlags(std::uint8_t value) {
  for (DataFileCategory& c : g_selected) c.changed = value;
}

const WCHAR* GetDataFileEntry(std::int32_t category) {
  if (category < 0 || category >= kDataFileTypeCount || g_selected[category].selected.Empty()) return nullptr;
  return g_selected[category].selected[0].name;
}

const WCHAR* GetDataFileFullPath(const DataFileEntry& entry) {
  std::u16string path = entry.folder[0] ? std::u16string(entry.folder) : std::u16string(g_dataFolder);
  path += u"\\";
  path += entry.name;
  CopyWide(g_fullPath, 256, path.c_str());
  return g_fullPath;
}

const WCHAR* GetDataFilePath(std::int32_t category) {
  if (category < 0 || category >= kDataFileTypeCount || g_selected[category].selected.Empty()) return nullptr;
  return GetDataFileFullPath(g_selected[category].selected[0]);
}

void SetDataFileName(std::int32_t category, const WCHAR* name) {
  if (category < 0 || category >= kDataFileTypeCount) return;
  PathList& list = g_selected[category].selected;
  if (list.Empty()) list.Append(NewDataFileEntry());
  SetEntryText(list[0].name, name);
}

std::int32_t AddUniqueFile(PathList& list, DataFileEntry entry) {
  if (entry.handle != -1) CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(entry.handle)));
  for (const DataFileEntry& e : list)
    if (DataFileEntryEquals(e, entry)) return -1;
  if (list.Append(entry) != S_OK) return -1;
  return list.Size() - 1;
}

void SaveDataFileLists(XmlNode& root) {
  XmlNode* files = root.AddChild("Files");
  if (!files) return;
  for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) {
    const PathList& list = g_selected[c].selected;
    if (list.Empty()) continue;
    XmlNode* category = files->AddChild(kCategories[c].element);
    if (!category) continue;
    for (std::int32_t i = 0; i < list.Size(); ++i) {
      std::string tag = "File" + std::to_string(i + 1);
      XmlNode* file = category->AddChildString(tag.c_str(), Narrow(list[i].name).c_str());
      if (file && list[i].folder[0]) file->AddAttribute("path", Narrow(list[i].folder).c_str());
    }
  }
}

void LoadDataFileLists(const XmlNode& files, std::int32_t mode, const DataFileLoadHooks& hooks) {
  SetDataFileFlags(0);
  for (std::int32_t i = 0; i < files.ChildCount(); ++i) {
    const XmlNode* element = files.Child(i);
    if (element->ChildCount() == 0) continue;
    std::int32_t category = -1;
    for (std::int32_t c : kLoadOrder)
      if (std::strcmp(element->Name().CStr(), kCategories[c].element) == 0) {
        category = c;
        break;
      }
    if (category < 0) continue;
    PathList list;
    ReadCategory(*element, list);
    if (mode == 4 && hooks.installMessage) {
      for (const DataFileEntry& e : list) hooks.installMessage((u"Installing " + std::u16string(e.name)).c_str());
    }
    DataFileCategory& selected = g_selected[category];
    if (!PathListEquals(list, selected.selected)) {
      selected.selected = list;
      selected.changed = 1;
    }
  }
  if (hooks.setupFinished) hooks.setupFinished();
  if (hooks.buildPointIndexes) hooks.buildPointIndexes();
  if (g_selected[kFilesTerrain].changed && hooks.reload) hooks.reload(9 + kFilesTerrain);
}

void FindStorageCards() {
  using FindFirst = HANDLE(LPWIN32_FIND_DATAW);
  using FindNext = BOOL(HANDLE, LPWIN32_FIND_DATAW);
  HMODULE library = LoadLibraryW(u"note_prj.dll");
  if (!library) {
    CopyWide(g_cards[0], 128, u"\\Storage Card");
    CopyWide(g_cards[1], 128, u"\\IPSM");
    g_cardCount = 2;
    return;
  }
  auto* first = ce::libraries::ProcAs<FindFirst>(GetProcAddress(library, "FindFirstFlashCard"));
  auto* next = ce::libraries::ProcAs<FindNext>(GetProcAddress(library, "FindNextFlashCard"));
  if (first) {
    g_cardCount = 0;
    WIN32_FIND_DATAW data{};
    HANDLE search = first(&data);
    if (search != INVALID_HANDLE_VALUE) {
      for (;;) {
        CopyWide(g_cards[g_cardCount], 128, (u"\\" + std::u16string(data.cFileName)).c_str());
        if (++g_cardCount >= kMaxCards || !next || !next(search, &data)) break;
      }
      FindClose(search);
    }
  }
  FreeLibrary(library);
}

std::int32_t CardFolderCount() { return g_cardCount; }
const WCHAR* CardFolder(std::int32_t i) { return i >= 0 && i < g_cardCount ? g_cards[i] : u""; }

namespace {

void ScanFolder(PathList& list, const WCHAR* folder, const WCHAR* extension, bool asCard) {
  std::u16string pattern = std::u16string(folder) + u"\\*." + extension;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    DataFileEntry e = NewDataFileEntry();
    SetEntryText(e.name, data.cFileName);
    if (asCard) SetEntryText(e.folder, folder);
    AddUniqueFile(list, e);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

void ScanCategoryFolders(std::int32_t category, bool clear) {
  if (category < 0 || category >= kDataFileTypeCount || !kCategories[category].extension) return;
  PathList& list = g_available[category];
  if (clear) list.SetSize(0);
  ScanFolder(list, g_dataFolder, kCategories[category].extension, false);
  if (kCategories[category].cards)
    for (std::int32_t i = 0; i < g_cardCount; ++i) ScanFolder(list, g_cards[i], kCategories[category].extension, true);
}

void ScanDataFiles() {
  FindStorageCards();
  for (std::int32_t c : {0, 1, 2, 4, 5, 7}) ScanCategoryFolders(c, true);
}

void ScanPolarFiles() {
  PathList& list = g_available[kFilesPolar];
  list.SetSize(0);
  DynArray<PolarListItem> builtin;
  if (ListBuiltinPolars(builtin)) {
    for (const PolarListItem& item : builtin) {
      DataFileEntry e = NewDataFileEntry();
      SetEntryText(e.name, item.name);
      list.Append(e);
    }
  }
  ScanCategoryFolders(kFilesPolar, false);
}

bool ListLanguageFiles() {
  PathList& available = g_available[kFilesLanguages];
  PathList& selected = g_selected[kFilesLanguages].selected;
  available.SetSize(0);
  const std::int32_t count = LangCount();
  if (count <= 0) {
    selected.SetSize(0);
    return false;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    DataFileEntry e = NewDataFileEntry();
    SetEntryText(e.name, LangName(i));
    available.Append(e);
  }
  if (!selected.Empty() && selected[0].name[0] == 0) selected.SetSize(0);
  if (selected.Empty() && !available.Empty()) selected.Append(available[0]);
  return true;
}

}  // namespace cumulor
