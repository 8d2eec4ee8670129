#include "cumulor/data/kv3/tile_block.h"

#include <algorithm>
#include <cstdio>

#include "platform/base/errors.h"

namespace cumulor::kv3 {

namespace {

constexpr std::int32_t kMaxPointText = 20;
constexpr std::int32_t kContourSectionGroups = 30;
constexpr std::size_t kTerrainBytes = static_cast<std::size_t>(kTerrainCells) * kTerrainCells;

// Copies a narrow text into a label field, cut at the field's last character and terminated.
void SetLabel(char16_t* field, std::size_t fieldChars, const char* text) {
  std::size_t i = 0;
  for (; text[i] && i + 1 < fieldChars; ++i) field[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
  field[i] = 0;
}

HRESULT ReadPointRecord(Kv3Input& in, const MapTile& tile, MapPointObject& p) {
  std::uint16_t dx = 0, dy = 0;
  std::uint8_t category = 0;
  if (!in.U16(dx) || !in.U16(dy) || !in.U8(category)) return E_FAIL;
  p.points.push_back(GeoPoint{tile.west + dx, tile.north - dy});
  p.west = p.east = tile.west + dx;
  p.north = p.south = tile.north - dy;
  p.kind = 1;
  p.category = category;
  p.flags = 0;
  if (category == 7 || category == 16) {
    std::uint8_t length = 0;
    if (!in.U8(length) || length > kMaxPointText) return E_FAIL;
    char text[kMaxPointText + 1] = {};
    if (!in.Read(text, length)) return E_FAIL;
    text[length] = 0;
    SetLabel(p.label.data(), p.label.size(), text);  // 19 characters at most
    p.threshold = category == 7 ? 200 : 150;
    return S_OK;
  }
  std::uint16_t value = 0;
  if (!in.U16(value)) return E_FAIL;
  p.value = value;
  if (category == 15) {
    char feet[16], metres[16];
    std::snprintf(feet, sizeof feet, "%d", static_cast<int>(value));
    std::snprintf(metres, sizeof metres, "%d", static_cast<int>(value * 0.30480370641307));
    SetLabel(p.label.data(), kLabelChars / 2, feet);
    SetLabel(p.label.data() + kLabelChars / 2, kLabelChars / 2, metres);
    p.threshold = 100;
  } else {
    p.threshold = 0;
  }
  return S_OK;
}

}  // namespace

HRESULT ReadFeatureRecord(Kv3Input& in, const MapTile& tile, std::int32_t kind, TileFeatureRecord& record) {
  std::uint16_t type = 0;
  if (!in.U16(type)) return E_FAIL;
  DynArray<TileVertexImage> vertices;
  HRESULT hr = ReadCounted(in, vertices);
  if (hr != S_OK) return hr;
  record.kind = kind;
  record.vertices.reserve(static_cast<std::size_t>(vertices.Size()));
  for (std::int32_t i = 0; i < vertices.Size(); ++i) {
    const TileVertexImage& v = vertices[i];
    TileVertex out{tile.west + v.dx, tile.north - v.dy, static_cast<std::uint16_t>(v.level * 16)};
    if (i == 0) {
      record.west = record.east = out.lon;
      record.north = record.south = out.lat;
    } else {
      record.west = std::min(record.west, out.lon);
      record.east = std::max(record.east, out.lon);
      record.north = std::max(record.north, out.lat);
      record.south = std::min(record.south, out.lat);
    }
    record.vertices.push_back(out);
  }
  record.category = type & 0xFF;
  record.subtype = type >> 8;
  record.group = 0;
  record.threshold = TileRecordThreshold(kind, record.category, record.subtype);
  return S_OK;
}

HRESULT ReadPoints(Kv3Input& in, MapTile& tile) {
  std::uint16_t count = 0;
  if (!in.U16(count)) return S_FALSE;
  for (std::uint16_t i = 0; i < count; ++i) {
    MapPointObject p;
    HRESULT hr = ReadPointRecord(in, tile, p);
    if (hr != S_OK) return hr;
    tile.features.points.push_back(p);
  }
  return S_OK;
}

HRESULT ReadFeatures(Kv3Input& in, MapTile& tile, std::int32_t kind) {
  std::uint16_t count = 0;
  if (!in.U16(count)) return S_FALSE;
  std::vector<TileFeatureRecord>& target = kind == 3 ? tile.features.lines : tile.features.areas;
  for (std::uint16_t i = 0; i < count; ++i) {
    TileFeatureRecord record;
    HRESULT hr = ReadFeatureRecord(in, tile, kind, record);
    if (hr != S_OK) return hr;
    target.push_back(std::move(record));
  }
  return S_OK;
}

HRESULT ReadContours(Kv3Input& in, MapTile& tile) {
  std::uint8_t groups = 0;
  if (!in.U8(groups)) return E_FAIL;
  if (groups > kContourSectionGroups) return E_FAIL;
  for (std::uint8_t g = 0; g < groups; ++g) {
    std::uint16_t elevation = 0, count = 0;
    if (!in.U16(elevation) || !in.U16(count)) return E_FAIL;
    ContourGroup& group = tile.features.groups[static_cast<std::size_t>(ContourGroupOf(elevation))];
    for (std::uint16_t i = 0; i < count; ++i) {
      TileFeatureRecord record;
      HRESULT hr = ReadFeatureRecord(in, tile, 5, record);
      if (hr != S_OK) return hr;
      group.records.push_back(std::move(record));
    }
  }
  return S_OK;
}

HRESULT ReadTerrain(Kv3Input& in, MapTile& tile) {
  std::int16_t offset = 0, scale = 0;
  if (!in.I16(offset) || !in.I16(scale)) {
    offset = kNoTerrain;
    scale = 0;
  }
  TerrainGrid& grid = tile.terrain;
  DynArray<std::uint8_t> bytes;
  HRESULT hr = ReadCounted(in, bytes);
  if (hr != S_OK) return hr;
  if (static_cast<std::size_t>(bytes.Size()) < kTerrainBytes) return E_FAIL;  // no terrain for this tile
  grid.cells.resize(kTerrainBytes);
  for (std::size_t i = 0; i < kTerrainBytes; ++i) {
    const std::uint8_t b = bytes[static_cast<std::int32_t>(i)];
    grid.cells[i] = b == 255 ? kNoTerrain : static_cast<std::int16_t>(b * scale + offset);
  }
  grid.columns = grid.rows = kTerrainCells;
  grid.cellWidth = grid.cellHeight = kTerrainCellSize;
  grid.west = tile.west;
  grid.north = tile.north;
  grid.east = tile.west + kGeoUnitsPerDegree;
  grid.south = tile.north - kGeoUnitsPerDegree;
  grid.loaded = true;
  return S_OK;
}

HRESULT ReadTileBlock(MapTile& tile, HANDLE file, std::uint32_t offset, std::uint32_t tileId) {
  Kv3Input in(file);
  if (!in.Seek(offset)) return E_FAIL;
  std::uint16_t magic = 0;
  std::uint32_t id = 0;
  if (!in.U16(magic) || magic != kBlockMagic) return E_FAIL;
  if (!in.U32(id) || id != tileId) return E_FAIL;
  for (;;) {
    std::uint16_t tag = 0;
    if (!in.U16(tag)) return E_FAIL;
    if (tag == kBlockEnd) return S_OK;
    if (tag != 1 && tag != 3 && tag != 5 && tag != 71 && tag != 75) continue;
    std::uint32_t length = 0;
    if (!in.U32(length)) return E_FAIL;
    if (length == 0 && tag != 75) continue;
    switch (tag) {
      case 1:
        // A broken record ends the block, keeping what was read.
        if (FAILED(ReadPoints(in, tile))) return S_OK;
        break;
      case 3:
      case 5:
        if (FAILED(ReadFeatures(in, tile, tag))) return S_OK;
        break;
      case 71: {
        HRESULT hr = ReadContours(in, tile);
        if (hr != S_OK) return hr;
        break;
      }
      default:
        ReadTerrain(in, tile);
        break;
    }
  }
}

}  // namespace cumulor::kv3
