// The records a .kv3 map file is read into: tile feature records, contour groups, map objects,
// zoom layers, the terrain grid and the map tile that holds them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cumulor/app/base/geo_point.h"

namespace cumulor::kv3 {

inline constexpr std::int32_t kContourGroups = 30;
inline constexpr std::int32_t kTileLayers = 9;
inline constexpr std::int32_t kTerrainCells = 120;                 // per side of a tile
inline constexpr std::int32_t kTerrainCellSize = 300;              // 30 arc-seconds
inline constexpr std::int16_t kNoTerrain = -1000;
inline constexpr std::int32_t kLabelChars = 20;                    // label area of a point object

// The elevations of the 30 contour groups of a tile, group 0 to group 29.
extern const std::array<std::int32_t, kContourGroups> kContourElevations;
// The group of a contour elevation; elevations outside the table fall into group 29.
std::int32_t ContourGroupOf(std::int32_t elevation);

// The visibility threshold a tile record of that kind (3 line, 5 area), category and subtype gets.
std::int32_t TileRecordThreshold(std::int32_t kind, std::int32_t category, std::int32_t subtype);

struct TileVertex {
  std::int32_t lon = 0;
  std::int32_t lat = 0;
  std::uint16_t level = 0;
};

struct TileFeatureRecord {
  std::vector<TileVertex> vertices;
  std::int32_t west = 0, north = 0, east = 0, south = 0;
  std::int32_t kind = 5;
  std::int32_t category = 0;
  std::int32_t subtype = 0;
  std::int32_t group = 0;
  std::int32_t threshold = 0;
};

struct ContourGroup {
  std::vector<TileFeatureRecord> records;
  std::int32_t elevation = -1000;
  std::int32_t colour = 0;
};

// A drawable object: lines and areas (kind 3 or 5) or a point (kind 1).
struct MapObject {
  std::vector<GeoPoint> points;
  std::int32_t west = 0, north = 0, east = 0, south = 0;
  std::int32_t kind = 5;
  std::int32_t category = 0;
  std::int32_t value = 0;
  std::int32_t flags = 0;  // the group or flag word
  std::int32_t threshold = 0;
  // Set by MapPointObject only: how an object is drawn follows its class, whatever kind a file
  // gave it.
  bool pointObject = false;
};

struct MapLineObject : MapObject {
  bool clipped = false;
};

// A point object. Its label area holds a name of up to 19 characters, or for a spot elevation two
// texts of 10 characters: feet in the first half, metres in the second. Always terminated.
struct MapPointObject : MapObject {
  MapPointObject() {
    pointObject = true;
    kind = 1;
    value = -1000;
  }
  std::array<char16_t, kLabelChars> label{};
};

struct TileFeatures {
  bool loaded = false;
  std::array<ContourGroup, kContourGroups> groups;
  std::vector<TileFeatureRecord> areas;
  std::vector<TileFeatureRecord> lines;
  std::vector<MapPointObject> points;
};

struct MapLayer {
  bool built = false;
  std::array<std::vector<MapLineObject>, kContourGroups> contours;
  std::vector<MapLineObject> areas;
  std::vector<MapLineObject> lines;
  std::vector<const MapPointObject*> points;  // into the tile's TileFeatures
};

struct TerrainGrid {
  std::vector<std::int16_t> cells;  // rows north to south, each west to east
  std::int32_t columns = kTerrainCells;
  std::int32_t rows = kTerrainCells;
  bool loaded = false;
  std::int32_t cellWidth = kTerrainCellSize;
  std::int32_t cellHeight = kTerrainCellSize;
  std::int32_t west = 0, north = 0, east = 0, south = 0;
};

// One 1 x 1 degree tile.
struct MapTile {
  explicit MapTile(std::uint32_t tileId);
  std::uint32_t id = 0;
  std::array<MapLayer, kTileLayers> layers;
  TileFeatures features;
  TerrainGrid terrain;
  std::int32_t west = 0;   // ((id >> 8) - 180) x 36000
  std::int32_t north = 0;  // ((id & 255) - 90) x 36000 + 36000
};

// The terrain elevation at a point of the tile: false when the tile has no terrain or the point
// lies outside its grid; otherwise true, with the cell's elevation (no data read as 0).
bool TerrainHeightAt(const MapTile& tile, const GeoPoint& p, std::int32_t& out);

// Empties the nine layers so that they are built again.
void MapTileResetLayers(MapTile& tile);
void MapLayerFree(MapLayer& layer);

}  // namespace cumulor::kv3
