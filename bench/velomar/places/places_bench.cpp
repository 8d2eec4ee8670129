// The places database with 1,000 places and 10,000 cells: lookups of a place by cell through the
// cells table's cache, beside the same lookup in a plain array of the same rows in memory (and,
// apart, a raw CEDB seek by value and read on the same volume, which reads the file); inserts; and
// reloads of the cells and places caches.
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "bench/velomar/velomar_device.h"
#include "platform/cedb/cedb.h"
#include "platform/files/module_path.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "teskautils/teskautils_seam.h"
#include "velomar/data/DataInstall.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {

constexpr int kPlaces = 1000;
constexpr int kCellsPerPlace = 10;
constexpr int kCells = kPlaces * kCellsPerPlace;
constexpr int kFirstCell = 100000;
constexpr int kBatch = 1000;  // lookups or inserts timed together

// The program's device with the installed language files, the settings key and the volume filled
// once for every benchmark. It lives until the process ends.
struct Volume {
  std::unique_ptr<CTranslator> translator;
  std::unique_ptr<CDB> db;
  HANDLE raw_cells = nullptr;  // a second handle on the cells database, as a plain CEDB user holds it

  Volume() {
    bench::PrepareVelomarDevice();
    translator = std::make_unique<CTranslator>();
    db = std::make_unique<CDB>();
    db->OpenDB();
    for (int p = 1; p <= kPlaces; ++p) {
      CStrPlace place(u"place " + std::u16string(1, static_cast<char16_t>(u'A' + p % 26)), u"", u"p.png", -1);
      db->GetPlacesTable()->Insert(place);
      for (int c = 0; c < kCellsPerPlace; ++c) {
        CStrCell cell;
        cell.SetValue(CellValue((p - 1) * kCellsPerPlace + c));
        cell.SetPlace(place.GetIdPlace());
        db->GetCellsTable()->Insert(cell);
      }
    }
    db->GetCellsTable()->EnsureCache();
    db->GetPlacesTable()->EnsureCache();
    SORTORDERSPECEX sort{};
    sort.wVersion = 2;
    sort.wNumProps = 1;
    sort.wKeyFlags = velomar::places::kKeyFlags;
    sort.rgPropID[0] = velomar::places::kPropLocationValue;
    CEOID oid = 0;
    raw_cells = CeOpenDatabaseInSession(nullptr, db->GetVolumeGuid(), &oid, u"cells", &sort, 0, nullptr);
  }

  // The cells' values are spread out, so that neighbours in the table are not neighbours in time.
  static int CellValue(int n) { return kFirstCell + (n * 7919) % kCells; }
};

Volume& TheVolume() {
  static Volume* volume = new Volume();  // kept to the end of the process
  return *volume;
}

// A raw lookup: seek the first row whose value equals `value` and read its place.
int RawLookup(HANDLE cells, int value) {
  CEPROPVAL key{};
  key.propid = velomar::places::kPropLocationValue;
  key.val.lVal = value;
  if (CeSeekDatabaseEx(cells, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), 1, nullptr) == 0) return -1;
  CEPROPID ids[2] = {velomar::places::kPropLocationValue, velomar::places::kPropLocationPlace};
  WORD count = 2;
  LPBYTE buffer = nullptr;
  DWORD size = 0;
  int place = -1;
  if (CeReadRecordPropsEx(cells, CEDB_ALLOWREALLOC, &count, ids, &buffer, &size, nullptr) != 0)
    place = reinterpret_cast<const CEPROPVAL*>(buffer)[1].val.lVal;
  if (buffer) LocalFree(buffer);
  return place;
}

// The same work on both sides: the place of a cell found among the 10,000 rows held in memory,
// the last row with the value winning as in the table's finder. The peer holds the rows as
// plain (value, place) pairs.
void BM_LookupByCell(benchmark::State& state) {
  Volume& v = TheVolume();
  CTableCell* cells = v.db->GetCellsTable();
  LocationList rows;
  cells->GetAllRecords(rows);
  std::vector<std::pair<int, int>> plain;
  for (const auto& row : rows) plain.emplace_back(row->GetValue(), row->GetPlace());
  bench::SideBySide side(state, "lookups/s");
  long found = 0;
  int next = 0;
  for (auto _ : state) {
    side.Ours(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) {
        CStrCell cell;
        cell.SetValue(Volume::CellValue((next + i * 13) % kCells));
        found += cells->FindAndFill(cell) ? 1 : 0;
      }
    });
    side.Peer(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) {
        const int value = Volume::CellValue((next + i * 13) % kCells);
        int place = -1;
        for (const auto& [v, p] : plain)
          if (v == value) place = p;
        found += place > 0;
      }
    });
    next = (next + 1) % kCells;
  }
  if (found == 0) state.SkipWithError("no cell found");
}
BENCH(BM_LookupByCell);

// A lookup that reads the file each time: a CEDB seek by value and a read of the row.
void BM_LookupByCellInTheFile(benchmark::State& state) {
  Volume& v = TheVolume();
  bench::SideBySide side(state, "lookups/s");
  long found = 0;
  int next = 0;
  for (auto _ : state) {
    side.Ours(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) found += RawLookup(v.raw_cells, Volume::CellValue((next + i * 13) % kCells)) > 0;
    });
    next = (next + 1) % kCells;
  }
  if (found == 0) state.SkipWithError("no cell found");
}
BENCH(BM_LookupByCellInTheFile);

// One lookup per iteration: the time of one lookup, and its inverse as lookups per second.
void BM_LookupByCellTime(benchmark::State& state) {
  CTableCell* cells = TheVolume().db->GetCellsTable();
  int next = 0;
  for (auto _ : state) {
    CStrCell cell;
    cell.SetValue(Volume::CellValue(next));
    benchmark::DoNotOptimize(cells->FindAndFill(cell));
    next = (next + 4001) % kCells;
  }
  state.counters["lookups/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["seconds/lookup"] = benchmark::Counter(
      static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCH(BM_LookupByCellTime)->Unit(benchmark::kMicrosecond);

// Inserts of new cells through the table (no flush) beside raw CEDB writes of the same rows; the
// rows are deleted again outside the timing.
void BM_InsertCells(benchmark::State& state) {
  Volume& v = TheVolume();
  CTableCell* cells = v.db->GetCellsTable();
  bench::SideBySide side(state, "inserts/s");
  int value = 1'000'000;
  for (auto _ : state) {
    std::vector<CEOID> written;
    side.Ours(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) {
        CStrCell cell;
        cell.SetValue(value++);
        cell.SetPlace(1);
        cells->Insert(cell);
        written.push_back(cell.GetId());
      }
    });
    side.Peer(kBatch, [&] {
      for (int i = 0; i < kBatch; ++i) {
        CEPROPVAL values[2] = {};
        values[0].propid = velomar::places::kPropLocationValue;
        values[0].val.lVal = value++;
        values[1].propid = velomar::places::kPropLocationPlace;
        values[1].val.lVal = 1;
        written.push_back(CeWriteRecordProps(v.raw_cells, 0, 2, values));
      }
    });
    state.PauseTiming();
    for (CEOID id : written) CeDeleteRecord(v.raw_cells, id);
    cells->ClearCache();
    cells->EnsureCache();
    state.ResumeTiming();
  }
}
BENCH(BM_InsertCells);

// Inserts of places: each is written, flushed and read back for its key.
void BM_InsertPlaces(benchmark::State& state) {
  CTablePlaces* places = TheVolume().db->GetPlacesTable();
  bench::SideBySide side(state, "inserts/s");
  constexpr int kPlaceBatch = 100;
  for (auto _ : state) {
    std::vector<CStrPlace> written;
    side.Ours(kPlaceBatch, [&] {
      for (int i = 0; i < kPlaceBatch; ++i) {
        CStrPlace place(u"bench place", u"", u"p.png", -1);
        places->Insert(place);
        written.push_back(place);
      }
    });
    state.PauseTiming();
    for (CStrPlace& place : written) CeDeleteRecord(places->GetHandle(), place.GetId());
    places->ClearCache();
    places->EnsureCache();
    state.ResumeTiming();
  }
}
BENCH(BM_InsertPlaces);

// A reload of the 10,000-cell cache, beside a raw walk that reads the same rows in order.
void BM_ReloadCellCache(benchmark::State& state) {
  Volume& v = TheVolume();
  CTableCell* cells = v.db->GetCellsTable();
  bench::SideBySide side(state, "reloads/s");
  long rows = 0;
  for (auto _ : state) {
    side.Ours(1, [&] {
      cells->ClearCache();
      cells->EnsureCache();
    });
    side.Peer(1, [&] {
      CEPROPID ids[2] = {velomar::places::kPropLocationValue, velomar::places::kPropLocationPlace};
      LPBYTE buffer = nullptr;
      DWORD size = 0;
      if (CeSeekDatabaseEx(v.raw_cells, CEDB_SEEK_BEGINNING, 0, 0, nullptr) == 0) return;
      for (;;) {
        WORD count = 2;
        if (CeReadRecordPropsEx(v.raw_cells, CEDB_ALLOWREALLOC, &count, ids, &buffer, &size, nullptr) == 0) break;
        ++rows;
        if (CeSeekDatabaseEx(v.raw_cells, CEDB_SEEK_CURRENT, 1, 0, nullptr) == 0) break;
      }
      if (buffer) LocalFree(buffer);
    });
  }
  state.counters["cells"] = kCells;
  if (rows == 0) state.SkipWithError("the raw walk read nothing");
}
BENCH(BM_ReloadCellCache);

// A reload of the 1,000-place cache (sorted by name).
void BM_ReloadPlaceCache(benchmark::State& state) {
  CTablePlaces* places = TheVolume().db->GetPlacesTable();
  bench::SideBySide side(state, "reloads/s");
  for (auto _ : state) {
    side.Ours(1, [&] {
      places->ClearCache();
      places->EnsureCache();
    });
  }
  state.counters["places"] = kPlaces + 1;
}
BENCH(BM_ReloadPlaceCache);

}  // namespace
