#include "cumulor/data/aero/ka1_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/airspace/airspace_lock.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"

namespace cumulor {

namespace {

constexpr char16_t kErrorBoxText[] = u"ERROR reading Aeronautical info file";
constexpr char16_t kErrorBoxCaption[] = u"Cumulor";

std::u16string NotFoundText(const WCHAR* path) { return u"File " + std::u16string(path) + u" NOT FOUND."; }

// The whole file; false when it cannot be opened (a read error leaves bytes short of the size).
bool ReadWholeFile(const WCHAR* path, std::vector<std::uint8_t>& bytes, bool& readFailed) {
  readFailed = false;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  DWORD size = GetFileSize(file, &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > 0x7FFFFFF0u) {
    readFailed = true;
    CloseHandle(file);
    return true;
  }
  bytes.resize(size);
  DWORD total = 0;
  while (total < size) {
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + total, size - total, &got, nullptr) || got == 0) break;
    total += got;
  }
  bytes.resize(total);
  CloseHandle(file);
  return true;
}

void FreeTexts(DynArray<char*>& a) { FreePointerArray(a); }

// Moves entries 1.. of from onto the end of to; from keeps only null entries (so nothing is freed
// twice).
HRESULT AppendTexts(DynArray<char*>& to, DynArray<char*>& from) {
  if (from.Size() <= 1) return S_OK;
  HRESULT hr = to.Append(from.Data() + 1, from.Size() - 1);
  if (hr != S_OK) return hr;
  from.SetSize(1);
  return S_OK;
}

// Pads a name table with absent entries, or cuts it, to count entries.
void FitTexts(DynArray<char*>& a, std::int32_t count) {
  if (a.Size() > count) {
    for (std::int32_t i = count; i < a.Size(); ++i) delete[] a[i];
    a.SetSize(count);
  } else {
    a.SetSize(count);  // new entries are null
  }
}

// Rebases a {first, last} range of a region's table (local count n, placeholder included) into
// the program-wide table by base. A range outside the region's table, reversed, or beyond what a
// 16-bit index can hold becomes 0/0 (none).
void RebaseRange(std::uint16_t& first, std::uint16_t& last, std::int32_t localCount, std::int32_t base) {
  if (first == 0) {
    last = 0;
    return;
  }
  if (last < first || last >= localCount || static_cast<std::int64_t>(last) + base > 0xFFFF) {
    first = last = 0;
    return;
  }
  first = static_cast<std::uint16_t>(first + base);
  last = static_cast<std::uint16_t>(last + base);
}

HRESULT ReadAeroAirspace(Ka1Cursor& c, AeroAirspace& a) {
  std::uint32_t v[4];
  for (std::uint32_t& x : v)
    if (!c.ReadU32(x)) return E_FAIL;
  a.west = static_cast<std::int32_t>(v[0]);
  a.north = static_cast<std::int32_t>(v[1]);
  a.east = static_cast<std::int32_t>(v[2]);
  a.south = static_cast<std::int32_t>(v[3]);
  auto fixed = [&c](char* out, std::size_t n) {
    if (c.Left() < n) return false;
    std::memcpy(out, c.data + c.pos, n);
    out[n] = '\0';
    c.pos += n;
    return true;
  };
  if (!fixed(a.shortName, 14) || !fixed(a.suffix, 2)) return E_FAIL;
  std::uint32_t cls = 0;
  if (!c.ReadU32(cls)) return E_FAIL;
  a.airspaceClass = static_cast<std::int32_t>(cls);
  if (!fixed(a.longName, 18)) return E_FAIL;
  std::uint32_t w[7];
  for (std::uint32_t& x : w)
    if (!c.ReadU32(x)) return E_FAIL;
  a.lower = {static_cast<std::int32_t>(w[0]), static_cast<std::int32_t>(w[1])};
  a.upper = {static_cast<std::int32_t>(w[2]), static_cast<std::int32_t>(w[3])};
  a.centre = {static_cast<std::int32_t>(w[4]), static_cast<std::int32_t>(w[5])};
  a.radius = w[6];
  HRESULT hr = Ka1ReadArray(c, a.points, nullptr);
  return hr == S_OK ? S_OK : E_FAIL;
}

}  // namespace

bool Ka1Cursor::ReadU32(std::uint32_t& out) {
  if (Left() < 4) return false;
  const std::uint8_t* p = data + pos;
  out = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  pos += 4;
  return true;
}

template <class T>
HRESULT Ka1ReadArray(Ka1Cursor& c, DynArray<T>& array, DWORD* consumed) {
  if (consumed) *consumed = 0;
  if (c.Left() == 0) return E_ABORT;
  DWORD used = 0;
  HRESULT hr = ReadArrayImage<T>(c.data + c.pos, c.Left(), array, &used);
  if (hr != S_OK) return hr == E_ABORT && c.Left() >= 4 ? E_ABORT : (hr == E_ABORT ? E_FAIL : hr);
  c.pos += used;
  if (consumed) *consumed = used;
  return S_OK;
}

template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<AirportRecord>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<RunwayRecord>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<FrequencyRecord>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<NavaidRecord>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<IntersectionRecord>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<RegionRecord>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<GeoPoint>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<std::uint16_t>&, DWORD*);
template HRESULT Ka1ReadArray(Ka1Cursor&, DynArray<std::uint32_t>&, DWORD*);

HRESULT Ka1ReadTexts(Ka1Cursor& c, DynArray<char*>& array, DWORD* consumed) {
  FreeTexts(array);
  if (consumed) *consumed = 0;
  if (c.Left() == 0) return E_ABORT;
  std::size_t start = c.pos;
  std::uint32_t count = 0;
  if (!c.ReadU32(count)) return E_FAIL;
  if (count > c.Left() / 2 || array.SetSize(static_cast<std::int32_t>(count)) != S_OK) {
    c.pos = start;
    return E_FAIL;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    if (c.Left() < 2) {
      FreeTexts(array);
      return E_FAIL;
    }
    std::size_t len = static_cast<std::size_t>(c.data[c.pos]) | (static_cast<std::size_t>(c.data[c.pos + 1]) << 8);
    c.pos += 2;
    if (c.Left() < len) {
      FreeTexts(array);
      return E_FAIL;
    }
    if (len > 0) {
      char* text = new char[len + 1];
      std::memcpy(text, c.data + c.pos, len);
      text[len] = '\0';
      array[static_cast<std::int32_t>(i)] = text;
      c.pos += len;
    }
  }
  if (consumed) *consumed = static_cast<DWORD>(c.pos - start);
  return S_OK;
}

AeroSections::~AeroSections() {
  FreeTexts(names);
  FreeTexts(frequencyTexts);
  FreeTexts(remarks);
  FreeTexts(nearNames);
}

HRESULT AeroSectionsRead(Ka1Cursor& c, AeroSections& s) {
  std::uint32_t word = 0;
  if (!c.ReadU32(word) || static_cast<std::int32_t>(word) != kKa1StreamMagic) return E_FAIL;
  DynArray<NavaidRecord> navaids;
  DynArray<IntersectionRecord> intersections;
  DynArray<char*> navaidNames;
  for (;;) {
    if (!c.ReadU32(word)) return E_FAIL;
    std::int32_t id = static_cast<std::int32_t>(word);
    if (id == kKa1StreamEnd) return S_OK;
    HRESULT hr = S_OK;
    switch (id) {
      case 1: hr = Ka1ReadArray(c, s.airports, nullptr); break;
      case 2: hr = Ka1ReadTexts(c, s.names, nullptr); break;
      case 3: hr = Ka1ReadArray(c, s.runways, nullptr); break;
      case 4: hr = Ka1ReadArray(c, s.frequencies, nullptr); break;
      case 5: hr = Ka1ReadTexts(c, s.frequencyTexts, nullptr); break;
      case 6:
        hr = Ka1ReadArray(c, navaids, nullptr);
        navaids.SetSize(0);
        break;
      case 7:
        hr = Ka1ReadTexts(c, navaidNames, nullptr);
        FreeTexts(navaidNames);
        break;
      case 8:
        hr = Ka1ReadArray(c, intersections, nullptr);
        intersections.SetSize(0);
        break;
      case 10: hr = Ka1ReadTexts(c, s.remarks, nullptr); break;
      case 11: hr = Ka1ReadTexts(c, s.nearNames, nullptr); break;
      case 13: hr = Ka1ReadArray(c, s.airspaceIds, nullptr); break;
      default: break;  // 9, 12 and unknown ids carry no payload
    }
    if (hr != S_OK) return E_FAIL;
  }
}

HRESULT AeroRegionMerge(AeroTables& t, AeroSections& s, Ka1Cursor& file, const DynArray<std::uint32_t>& offsets,
                        std::int32_t ordinal) {
  const std::int32_t runwayBase = t.runways.Size() - 1;
  const std::int32_t frequencyBase = t.frequencies.Size() - 1;
  const std::int32_t textBase = t.frequencyTexts.Size() - 1;
  const std::int32_t remarkBase = t.remarks.Size() - 1;

  if (AppendTexts(t.airportNames, s.names) != S_OK) return E_FAIL;
  if (AppendTexts(t.nearNames, s.nearNames) != S_OK) return E_FAIL;
  if (s.runways.Size() > 1 && t.runways.Append(s.runways.Data() + 1, s.runways.Size() - 1) != S_OK) return E_FAIL;
  for (std::int32_t i = 1; i < s.airports.Size(); ++i) {
    AirportRecord& a = s.airports[i];
    RebaseRange(a.runwayFirst, a.runwayLast, s.runways.Size(), runwayBase);
    RebaseRange(a.frequencyFirst, a.frequencyLast, s.frequencies.Size(), frequencyBase);
    RebaseRange(a.remarkFirst, a.remarkLast, s.remarks.Size(), remarkBase);
  }
  if (s.airports.Size() > 1 && t.airports.Append(s.airports.Data() + 1, s.airports.Size() - 1) != S_OK) return E_FAIL;
  // Every airport keeps its own names: the name tables follow the airport table's count.
  FitTexts(t.airportNames, t.airports.Size());
  FitTexts(t.nearNames, t.airports.Size());

  const std::int32_t localTexts = s.frequencyTexts.Size();
  if (AppendTexts(t.frequencyTexts, s.frequencyTexts) != S_OK) return E_FAIL;
  for (std::int32_t i = 1; i < s.frequencies.Size(); ++i) {
    FrequencyRecord& f = s.frequencies[i];
    if (f.textIndex != 0) {
      const std::int64_t rebased = static_cast<std::int64_t>(f.textIndex) + textBase;
      f.textIndex = f.textIndex < localTexts && rebased <= 0xFFFF ? static_cast<std::uint16_t>(rebased) : 0;
    }
  }
  if (s.frequencies.Size() > 1 && t.frequencies.Append(s.frequencies.Data() + 1, s.frequencies.Size() - 1) != S_OK)
    return E_FAIL;
  if (AppendTexts(t.remarks, s.remarks) != S_OK) return E_FAIL;

  for (std::int32_t i = 1; i < s.airspaceIds.Size(); ++i) {
    const std::uint16_t id = s.airspaceIds[i];
    if (id >= offsets.Size()) return E_FAIL;
    if (ordinal > 0 && std::find(t.loadedIds.begin(), t.loadedIds.end(), id) != t.loadedIds.end()) continue;
    const std::uint32_t at = offsets[id];
    if (at > file.size) return E_FAIL;
    Ka1Cursor c{file.data, file.size, at};
    auto airspace = std::make_unique<AeroAirspace>();
    if (ReadAeroAirspace(c, *airspace) != S_OK) return E_FAIL;
    {
      // The notify thread tests the database airspaces under the airspace lock.
      std::lock_guard guard(AirspaceLock());
      t.airspaces.push_back(std::move(airspace));
      t.airspaceInView.resize(t.airspaces.size(), 0);
    }
    t.loadedIds.Append(id);
  }
  return S_OK;
}

HRESULT AeroDbLoad(AeroTables& t, TileCache& tiles, const WCHAR* path, const AeroUi& ui) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  std::vector<std::uint8_t> bytes;
  bool readFailed = false;
  if (!ReadWholeFile(path, bytes, readFailed)) {
    ui.Status(NotFoundText(path));
    ui.Wait(1500);
    return E_FAIL;
  }
  if (bytes.empty()) return E_FAIL;
  ui.Status(path);
  auto errorBox = [&ui] {
    ui.Message(kErrorBoxText, kErrorBoxCaption);
    return E_FAIL;
  };
  if (readFailed || bytes.size() < kKa1HeaderSize) return errorBox();
  std::memcpy(t.header, bytes.data(), kKa1HeaderSize);
  Ka1Cursor c{bytes.data(), bytes.size(), kKa1HeaderSize};
  const std::int32_t version = static_cast<std::int32_t>(t.header[4] | (t.header[5] << 8) | (t.header[6] << 16) |
                                                         (static_cast<std::uint32_t>(t.header[7]) << 24));
  if (version < kKa1Version) {
    ui.Message(u"Please get newer KA1 file", u"");
    return E_FAIL;
  }
  if (version > kKa1Version) {
    ui.Message(u"Please get newer Cumulor version, or use older KA1 file", u"");
    return E_FAIL;
  }
  t.regionKind = static_cast<std::int32_t>(t.header[164] | (t.header[165] << 8) | (t.header[166] << 16) |
                                           (static_cast<std::uint32_t>(t.header[167]) << 24));
  DynArray<RegionRecord> regions;
  if (Ka1ReadArray(c, regions, nullptr) != S_OK) return E_FAIL;
  std::uint32_t twelve = 0;
  if (!c.ReadU32(twelve) || twelve != 12) return errorBox();
  DynArray<std::uint32_t> offsets;
  if (Ka1ReadArray(c, offsets, nullptr) != S_OK) return E_FAIL;

  // The ids index this file's own offset table: the list starts empty for every file.
  t.loadedIds.SetSize(0);
  const std::int32_t firstNew = t.airports.Size();
  HRESULT result = S_OK;
  std::int32_t ordinal = 0;
  for (const RegionRecord& region : regions) {
    if (!AeroRegionSelected(t, region)) continue;
    if (region.streamOffset > bytes.size()) {
      result = errorBox();
      break;
    }
    Ka1Cursor stream{bytes.data(), bytes.size(), region.streamOffset};
    AeroSections sections;
    if (AeroSectionsRead(stream, sections) != S_OK || AeroRegionMerge(t, sections, c, offsets, ordinal) != S_OK) {
      result = errorBox();
      break;
    }
    ++ordinal;
  }
  // The airports this file brought (also those merged before a failure) go into the tile cache.
  if (result == S_OK) ui.Status(u"Updating Airport Directory");
  for (std::int32_t i = std::max(firstNew, 1); i < t.airports.Size(); ++i)
    tiles.AddItem(kTileAirports, t.airports[i].position, static_cast<std::uint32_t>(i));
  return result;
}

void AeroDbClear(AeroTables& t, TileCache& tiles) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  tiles.ListsClear(0);
  tiles.ListsClear(1);
  tiles.ListsClear(2);
  // The airspaces go under the airspace lock, and nothing may keep an index into them.
  std::lock_guard guard(AirspaceLock());
  t.Clear();
  AeroAirspaceMarks& marks = AeroAirspaceState();
  marks.nearest = -1;
  marks.lastAlarm = -1;
  marks.shown = -1;
}

HRESULT AeroRegionListAll(AeroTables& t, const std::vector<std::u16string>& files, const AeroUi& ui) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  for (const std::u16string& path : files) {
    std::vector<std::uint8_t> bytes;
    bool readFailed = false;
    if (!ReadWholeFile(path.c_str(), bytes, readFailed)) {
      ui.Status(NotFoundText(path.c_str()));
      ui.Wait(1500);
      return E_FAIL;
    }
    if (readFailed || bytes.size() < kKa1HeaderSize) return E_FAIL;
    Ka1Cursor c{bytes.data(), bytes.size(), kKa1HeaderSize};
    DynArray<RegionRecord> regions;
    if (Ka1ReadArray(c, regions, nullptr) != S_OK) return E_FAIL;
    if (t.allRegions.Append(regions.Data(), regions.Size()) != S_OK) return E_FAIL;
  }
  return S_OK;
}

const RegionRecord* AeroRegionFind(const AeroTables& t, const WCHAR* entry) {
  if (!entry) return nullptr;
  char name[256];
  std::size_t n = 0;
  for (; entry[n] && n + 1 < sizeof name; ++n) name[n] = static_cast<char>(entry[n]);
  name[n] = '\0';
  if (std::strncmp(name, "USA", 3) == 0) {
    // "USA, <state>": the state name from the sixth character; a shorter entry names no state.
    if (std::strlen(name) < 6) return nullptr;
    const char* state = name + 5;
    for (const RegionRecord& r : t.allRegions)
      if (RegionCodeIsUsa(r.code) && std::strcmp(r.state, state) == 0) return &r;
    return nullptr;
  }
  for (const RegionRecord& r : t.allRegions)
    if (std::strcmp(r.name, name) == 0) return &r;
  return nullptr;
}

void AeroRegionSelect(AeroTables& t, const std::vector<std::u16string>& entries) {
  t.selectedRegions.SetSize(0);
  for (const std::u16string& e : entries) {
    const RegionRecord* r = AeroRegionFind(t, e.c_str());
    if (r) {
      RegionRecord copy = *r;
      t.selectedRegions.Append(copy);
    }
  }
}

bool AeroRegionSelected(const AeroTables& t, const RegionRecord& region) {
  for (const RegionRecord& r : t.selectedRegions)
    if (r.code[0] == region.code[0] && r.code[1] == region.code[1] && r.number == region.number) return true;
  return false;
}

void AeroDbReload(AeroTables& t, TileCache& tiles, const std::vector<std::u16string>& files, const AeroUi& ui) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  AeroDbClear(t, tiles);
  for (const std::u16string& path : files) AeroDbLoad(t, tiles, path.c_str(), ui);
}

}  // namespace cumulor
