// The nine data-file categories: per category the selected files (persisted in the settings
// element "Files", with a changed flag) and the files available for selection (found in the data
// folder and on storage cards, or built from other data).
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/files/data_file_entry.h"

namespace cumulor {

enum DataFileType : std::int32_t {
  kFilesTerrain = 0,
  kFilesUserWaypoints = 1,
  kFilesUserAirspace = 2,
  kFilesPolar = 3,
  kFilesShape = 4,
  kFilesAviationDb = 5,
  kFilesCountries = 6,
  kFilesThermals = 7,
  kFilesLanguages = 8,
  kDataFileTypeCount = 9,
};

struct DataFileCategory {
  PathList selected;
  std::uint8_t changed = 0;
};

struct DataFileCategoryInfo {
  const char* element;       // in "Files"
  const WCHAR* extension;    // searched; null: the list is built from other data
  std::uint8_t cards;        // storage cards searched
  std::uint8_t single;       // one file only
  std::uint8_t removable;    // the chooser has a remove button
};
const DataFileCategoryInfo& DataFileCategoryOf(std::int32_t category);

DataFileCategory* SelectedDataFiles();   // nine
PathList* AvailableDataFiles();          // nine

// The data folder the entries without a folder live in (set by the settings).
void SetDataFilesFolder(const WCHAR* folder);
const WCHAR* DataFilesFolder();

std::uint8_t GetDataFileFlag(std::int32_t category);
void SetDataFileFlags(std::uint8_t value);
// The name of the first selected entry; null when the list is empty.
const WCHAR* GetDataFileEntry(std::int32_t category);
// The folder (the data folder when empty), "\" and the name, in one static buffer of 256
// characters that the next call overwrites.
const WCHAR* GetDataFileFullPath(const DataFileEntry& entry);
// The full path of the first selected entry; null when the list is empty.
const WCHAR* GetDataFilePath(std::int32_t category);
// Names the first selected entry (creating one when the list is empty); the folder stays.
void SetDataFileName(std::int32_t category, const WCHAR* name);
// Appends the entry unless an equal one is listed: its index, or -1. The given entry's handle,
// when not -1, is closed either way.
std::int32_t AddUniqueFile(PathList& list, DataFileEntry entry);

// Appends "Files" to the settings root: one child per non-empty category, entries File1, File2 ...
// with the name as text and the folder as attribute "path".
void SaveDataFileLists(XmlNode& root);

// What loading "Files" does beyond the lists (the application core fills these).
struct DataFileLoadHooks {
  std::function<void(const WCHAR* text)> installMessage;  // mode 4: "Installing <name>", waits for OK
  std::function<void()> setupFinished;
  std::function<void()> buildPointIndexes;
  std::function<void(std::int32_t type)> reload;          // the reload command with a type
};
// Reads "Files" (document mode 1 settings, 3 profile, 4 install): a category whose list differs
// from the selected one replaces it and is flagged; categories without an element stay.
void LoadDataFileLists(const XmlNode& files, std::int32_t mode, const DataFileLoadHooks& hooks);

// Storage cards: at most five card folders, from "note_prj.dll"; without that library "\Storage
// Card" and "\IPSM".
void FindStorageCards();
std::int32_t CardFolderCount();
const WCHAR* CardFolder(std::int32_t i);
// Searches the data folder and (when the category searches cards) every card folder.
void ScanCategoryFolders(std::int32_t category, bool clear);
// FindStorageCards, then every category with an extension except polars.
void ScanDataFiles();
// The polars available: every built-in polar by name ("Default" first), then the polar files.
void ScanPolarFiles();
// The languages available: one entry per language record. A selection whose first name is empty
// is dropped, and an empty selection takes the first language. False (and the selection emptied)
// when there is no language at all.
bool ListLanguageFiles();

}  // namespace cumulor
