// Tiled .kv3 map files: the header, the tile index that tells which blocks of which open files
// make each 1 x 1 degree tile, the overview section of contour areas, and loading a tile.
//
// Header (512 bytes): int32 version at 4 (2 or more: tiled), int32 detail word at 148 (0 refuses
// the file), uint32 tile index offset at 152; then the box (int32 west, north, east, south). At the
// index offset: uint16 73, the counted index {uint32 tile id, uint32 block offset}; directly
// behind it either nothing, or uint32 74 and the overview section.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/kv3/tile_layers.h"
#include "platform/base/types.h"

namespace cumulor::kv3 {

inline constexpr std::int32_t kHeaderBytes = 512;
inline constexpr std::uint16_t kIndexTag = 73;
inline constexpr std::uint32_t kOverviewTag = 74;
inline constexpr std::int32_t kTerrainSlots = 40;

// Where a tile's data lies: a block of an open map file.
struct TileBlockRef {
  HANDLE file = nullptr;
  std::uint32_t offset = 0;
};

// Where the blocks of every tile listed by the open tiled files are kept. The handles belong to
// the map file list; an index never closes them.
class TileBlockIndex {
 public:
  virtual ~TileBlockIndex() = default;
  // Adds a block to a tile unless the tile already lists that file. False for a refused id.
  virtual bool AddBlock(std::uint32_t tileId, const TileBlockRef& ref) = 0;
  // The blocks of a tile; null when none are listed.
  virtual const std::vector<TileBlockRef>* BlocksOf(std::uint32_t tileId) const = 0;
  // Drops every listed block (before the handles are closed) and the tiles made from them.
  virtual void ClearBlocks() = 0;
};

// An index of its own (the tile cache is the program's index).
class MapTileIndex final : public TileBlockIndex {
 public:
  bool AddBlock(std::uint32_t tileId, const TileBlockRef& ref) override { return Add(tileId, ref); }
  const std::vector<TileBlockRef>* BlocksOf(std::uint32_t tileId) const override { return Find(tileId); }
  void ClearBlocks() override { Clear(); }
  // Adds a block to a tile unless the tile already lists that file. False for a refused id.
  bool Add(std::uint32_t tileId, const TileBlockRef& ref);
  // The blocks of a tile; null when none are listed.
  const std::vector<TileBlockRef>* Find(std::uint32_t tileId) const;
  void Clear() { tiles_.clear(); }
  // Calls f(tile id, blocks) for every listed tile.
  template <class F>
  void ForEachTile(F f) const {
    for (const auto& [id, refs] : tiles_) f(id, refs);
  }
  std::size_t TileCount() const { return tiles_.size(); }

 private:
  std::unordered_map<std::uint32_t, std::vector<TileBlockRef>> tiles_;
};

// The terrain palette: colours of the 40 terrain slots, and where contour groups start in it.
struct TerrainPalette {
  std::array<std::int32_t, kTerrainSlots> colours{};
  std::int32_t offset = 0;
  std::int32_t step = 2;
};
// The palette slot of contour group n: offset + step x n, held within the 40 slots.
std::int32_t TerrainSlot(const TerrainPalette& palette, std::int64_t n);

// The overview of every tiled file: contour areas for the coarse zoom layers 9 to 11.
struct OverviewMaps {
  bool loaded = false;
  std::int32_t firstLayer = 9;
  std::int32_t layerCount = 3;
  std::array<MapLayer, kTileLayers> layers;  // the first three serve layers 9, 10 and 11
  std::array<ContourGroup, kContourGroups> groups;  // used while reading an overview section
  std::array<std::uint8_t, kHeaderBytes> header{};  // of the tiled file read last
  OverviewMaps();
};

// What reading a tiled file needs from the application.
struct TiledFileContext {
  TileBlockIndex* index = nullptr;
  OverviewMaps* overview = nullptr;
  const TerrainPalette* palette = nullptr;
  const MapLayerSettings* settings = nullptr;
  std::function<void(const GeoRect& box)> fileBox;  // the map centre is placed from the first box
};

// Reads the tile index at offset (uint16 73 and the counted index) and registers each listed
// block under its tile. 0; E_FAIL for a short read, a wrong tag or a refused tile id (blocks
// registered so far stay); E_ABORT for a count out of range.
HRESULT RegisterTileIndex(TileBlockIndex& index, HANDLE file, std::uint32_t offset);

// Reads the header, box, tile index and overview section of a tiled file. 0 or a failure.
HRESULT ReadTiledFile(TiledFileContext& context, HANDLE file);

// Makes the tile of an id from every block listed for it. Null when no block is listed or a
// block cannot be read (the next need of the tile tries again).
std::unique_ptr<MapTile> LoadTile(const TileBlockIndex& index, std::uint32_t tileId);

}  // namespace cumulor::kv3
