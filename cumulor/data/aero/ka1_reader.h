// Reading KA1 aeronautical database files into the program-wide tables.
//
// A file: a 512-byte header (version at byte 4, must be 6; region kind at byte 164), the region
// list (array image of 52-byte records), the value 12, the offset table of the database airspaces
// (array image of 32-bit file offsets, one per id), then one section stream per region and one
// record per database airspace. A section stream: magic 1234, then {id, payload} up to id 4321.
// Array images hold a 32-bit count (0..50000) and the elements; text array images a 32-bit count
// and {16-bit length, bytes} entries (length 0: absent). Every array of a stream has a placeholder
// at index 0, which the merge drops.
//
// The reader never reads past the file: every count, offset, range and index taken from the file
// is checked before it is used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cumulor/data/aero/aero_ui.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/aero_tables.h"
#include "platform/base/errors.h"

namespace cumulor {

inline constexpr std::int32_t kKa1Version = 6;
inline constexpr std::int32_t kKa1StreamMagic = 1234;
inline constexpr std::int32_t kKa1StreamEnd = 4321;

// Bytes of a file being read, with the read position.
struct Ka1Cursor {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::size_t pos = 0;

  std::size_t Left() const { return pos <= size ? size - pos : 0; }
  // Reads a whole 32-bit value; false (position unchanged) when fewer bytes are left.
  bool ReadU32(std::uint32_t& out);
};

// The array-image readers: 0, E_FAIL (a short count or payload) or E_ABORT (no count bytes at
// all, or a count outside 0..50000); consumed = 4 + n x element size.
template <class T>
HRESULT Ka1ReadArray(Ka1Cursor& c, DynArray<T>& array, DWORD* consumed);
// A text array image: entries owned (new[]), null for length 0; the array is emptied (freed)
// first. A count larger than the bytes left / 2 cannot be real and is a read error (E_FAIL).
HRESULT Ka1ReadTexts(Ka1Cursor& c, DynArray<char*>& array, DWORD* consumed);

// The sections of one region's stream.
struct AeroSections {
  AeroSections() = default;
  ~AeroSections();
  AeroSections(const AeroSections&) = delete;
  AeroSections& operator=(const AeroSections&) = delete;

  DynArray<AirportRecord> airports;          // 1
  DynArray<char*> names;                     // 2
  DynArray<RunwayRecord> runways;            // 3
  DynArray<FrequencyRecord> frequencies;     // 4
  DynArray<char*> frequencyTexts;            // 5
  DynArray<char*> remarks;                   // 10
  DynArray<char*> nearNames;                 // 11
  DynArray<std::uint16_t> airspaceIds;       // 13
};

// Reads a stream at the cursor: magic, sections, end id. Navaids, navaid names and intersections
// are read and discarded; ids 9, 12 and those outside 1..13 have no payload. 0 or E_FAIL.
HRESULT AeroSectionsRead(Ka1Cursor& c, AeroSections& s);

// Appends a region's sections to the tables with rebased indexes and loads its database airspaces
// (through the offset table) that are not loaded yet from this file. 0 or E_FAIL.
HRESULT AeroRegionMerge(AeroTables& t, AeroSections& s, Ka1Cursor& file, const DynArray<std::uint32_t>& offsets,
                        std::int32_t ordinal);

// Reads the chosen regions of one file into the tables and registers its airports in tile list 0.
// 0 or E_FAIL (with the message the damage calls for).
HRESULT AeroDbLoad(AeroTables& t, TileCache& tiles, const WCHAR* path, const AeroUi& ui);

// Empties tile lists 0..2 and the aeronautical tables.
void AeroDbClear(AeroTables& t, TileCache& tiles);

// Appends the regions of every file to the list of all regions; E_FAIL at the first file that
// cannot be opened or read (the rest are not read).
HRESULT AeroRegionListAll(AeroTables& t, const std::vector<std::u16string>& files, const AeroUi& ui);
// The region a country entry names: a region name, or "USA, <state>" for a state of the USA.
const RegionRecord* AeroRegionFind(const AeroTables& t, const WCHAR* entry);
// Empties the selected regions and selects, in order, the region each entry names.
void AeroRegionSelect(AeroTables& t, const std::vector<std::u16string>& entries);
bool AeroRegionSelected(const AeroTables& t, const RegionRecord& region);
// Clears the tables and loads every file in order; a failing file stops only itself.
void AeroDbReload(AeroTables& t, TileCache& tiles, const std::vector<std::u16string>& files, const AeroUi& ui);

}  // namespace cumulor
