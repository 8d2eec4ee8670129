#include "cumulor/data/aero/aero_reload.h"

#include <mutex>
#include <string>
#include <vector>

#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/files/data_files.h"

namespace cumulor {

namespace {

std::u16string Widen(const char* s) {
  std::u16string out;
  for (; *s; ++s) out += static_cast<char16_t>(static_cast<unsigned char>(*s));
  return out;
}

}  // namespace

void ListCountryFiles(const AeroTables& t) {
  PathList& available = AvailableDataFiles()[kFilesCountries];
  available.SetSize(0);
  for (const RegionRecord& r : t.allRegions) {
    std::u16string name = Widen(r.name);
    if (std::u16string(name) == u"USA") name += u", " + Widen(r.state);
    DataFileEntry e = NewDataFileEntry();
    SetEntryText(e.name, name.c_str());
    available.Append(e);
  }
  PathList& selected = SelectedDataFiles()[kFilesCountries].selected;
  for (std::int32_t i = selected.Size() - 1; i >= 0; --i) {
    bool found = false;
    for (const DataFileEntry& a : available)
      if (std::u16string(a.name) == selected[i].name) found = true;
    if (!found) selected.RemoveAt(i);
  }
}

void ReloadAviationData(AeroTables& t, TileCache& tiles, const AeroUi& ui) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  std::vector<std::u16string> files;
  for (const DataFileEntry& e : SelectedDataFiles()[kFilesAviationDb].selected) files.emplace_back(GetDataFileFullPath(e));
  t.allRegions.SetSize(0);
  AeroRegionListAll(t, files, ui);
  ListCountryFiles(t);
  std::vector<std::u16string> countries;
  for (const DataFileEntry& e : SelectedDataFiles()[kFilesCountries].selected) countries.emplace_back(e.name);
  AeroRegionSelect(t, countries);
  AeroDbReload(t, tiles, files, ui);
  BuildPointIndexes(0);
  ResetPointTableOrigins();
}

}  // namespace cumulor
