// Writes .kv3 map files from plain descriptions: whole-file maps (version 1) and tiled files
// (version 2) with tile index, overview section and tile blocks. Written from the byte layout
// alone; it shares no code with the program's reader. Tests use the damage fields to make broken
// files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv3gen {

// ---- tiled files ----

struct TilePoint {
  std::uint16_t dx = 0, dy = 0;  // east of the west edge, south of the north edge (0.1")
  std::uint8_t category = 0;     // 7 and 16 carry a name, the others a value
  std::uint16_t value = 0;
  std::string name;              // up to 255 bytes; the reader takes 20 at most
};

struct TileVertex {
  std::uint16_t dx = 0, dy = 0;
  std::uint8_t level = 0;
};

struct TileFeature {
  std::uint8_t category = 0;
  std::uint8_t subtype = 0;
  std::vector<TileVertex> vertices;
  std::int64_t countOverride = -1;  // written as the vertex count when >= 0 (damage)
};

struct ContourGroupOut {
  std::uint16_t elevation = 0;
  std::vector<TileFeature> records;
};

struct TerrainOut {
  std::int16_t offset = 0;
  std::int16_t scale = 1;
  std::vector<std::uint8_t> cells;  // normally 14400, rows north to south
};

// One section of a block, written in the given order. Tags 1, 3, 5, 71 and 75 take a length
// word; the length is the body's size unless lengthOverride is set. A section with emptyBody
// writes its tag and a length of 0 and nothing else.
struct BlockSection {
  std::uint16_t tag = 0;
  std::vector<TilePoint> points;           // tag 1
  std::vector<TileFeature> features;       // tags 3 and 5
  std::vector<ContourGroupOut> contours;   // tag 71
  std::int32_t groupCountOverride = -1;    // tag 71: written as the group byte when >= 0
  TerrainOut terrain;                      // tag 75
  bool emptyBody = false;
  std::int64_t lengthOverride = -1;
};

struct TileBlockOut {
  std::uint32_t tileId = 0;
  std::uint32_t idInBlock = 0xFFFFFFFFu;  // the id written in the block; the tile id when unset
  std::uint16_t magic = 12345;
  std::vector<BlockSection> sections;
  bool endTag = true;
};

struct OverviewVertex {
  std::int32_t lon = 0, lat = 0;
  std::uint16_t level = 0;
};
struct OverviewRecord {
  std::int32_t west = 0, north = 0, east = 0, south = 0;
  std::uint32_t kind = 5, category = 11, value = 0, threshold = 0;
  std::vector<OverviewVertex> vertices;
};
struct OverviewGroup {
  std::uint32_t elevation = 0;
  std::vector<OverviewRecord> records;
};

struct TiledFile {
  std::int32_t version = 2;
  std::int32_t detail = 100;
  std::int32_t west = 0, north = 0, east = 0, south = 0;
  std::vector<TileBlockOut> blocks;
  std::vector<std::uint32_t> extraIndexIds;  // listed with the offset of the first block too
  bool overview = false;
  std::vector<OverviewGroup> overviewGroups;
  // Damage and variants.
  std::uint16_t indexTag = 73;
  bool writeWordBehindIndex = false;  // writes wordBehindIndex instead of an overview section
  std::uint32_t wordBehindIndex = 0;
  std::int64_t indexCountOverride = -1;
};

// ---- whole-file maps ----

struct WholeObject {
  std::uint32_t tag = 3;  // 1 point, 3 line, 5 area
  std::u16string label;   // tag 1: up to 20 characters, written into the 40-byte field
  std::int32_t west = 0, north = 0, east = 0, south = 0;
  std::uint32_t kind = 3, category = 0, value = 0, threshold = 0;
  std::vector<std::pair<std::int32_t, std::int32_t>> points;  // longitude, latitude
  std::vector<std::uint16_t> vertexWords;                     // tags 3 and 5
};

struct WholeFile {
  std::int32_t word8 = 0;  // the header word at offset 8
  std::int32_t detail = 0;
  std::int32_t west = 0, north = 0, east = 0, south = 0;
  std::vector<WholeObject> objects;  // each in a section of its own tag
  std::vector<std::uint32_t> skippedTags;  // sections of other tags, 8 bytes of body each
};

// A tile id: ((longitude degree + 180) << 8) | (latitude degree + 90).
std::uint32_t TileId(std::int32_t lonDegree, std::int32_t latDegree);

std::vector<std::uint8_t> WriteTiled(const TiledFile& file);
std::vector<std::uint8_t> WriteWhole(const WholeFile& file);
// Writes bytes to a host file; false on failure.
bool SaveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A tiled file for a demonstration area: tiles lonDegree .. lonDegree + w - 1 by latDegree ..
// latDegree + h - 1, each with terrain (a smooth relief), contours, a river, a road, a lake, a
// town and a spot height, and an overview section.
TiledFile DemoArea(std::int32_t lonDegree, std::int32_t latDegree, std::int32_t w, std::int32_t h);

}  // namespace kv3gen
