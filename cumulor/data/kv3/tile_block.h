// Reading one tile block of a tiled .kv3 file into a MapTile.
//
// A block: uint16 magic 12345, uint32 tile id, then tagged sections until the tag 54321. Tags 1
// (points), 3 (lines), 5 (areas), 71 (contours) and 75 (terrain) carry a uint32 length word; the
// first four with a length of 0 are empty. Any other tag carries nothing.
//
// A record that cannot be read inside the point, line or area sections ends the block: what was
// read so far stays in the tile and the block counts as read (the bytes behind a broken record are
// not taken as tags). A terrain array of fewer than 14400 bytes leaves the tile without terrain.
#pragma once

#include <cstdint>

#include "cumulor/data/kv3/kv3_input.h"
#include "cumulor/data/kv3/map_objects.h"
#include "platform/base/types.h"

namespace cumulor::kv3 {

inline constexpr std::uint16_t kBlockMagic = 12345;
inline constexpr std::uint16_t kBlockEnd = 54321;

// Reads the block at offset of the file into tile, whose id the block must carry. 0, or E_FAIL
// (a frame that cannot be read, wrong magic or id, a broken contour section) or E_ABORT.
HRESULT ReadTileBlock(MapTile& tile, HANDLE file, std::uint32_t offset, std::uint32_t tileId);

// The section readers, at the file's position behind the length word. Each answers 0 or the
// failing read's result; ReadPoints and ReadFeatures keep the records read before a failure and
// answer S_FALSE when their count word cannot be read.
HRESULT ReadPoints(Kv3Input& in, MapTile& tile);
HRESULT ReadFeatures(Kv3Input& in, MapTile& tile, std::int32_t kind);
HRESULT ReadContours(Kv3Input& in, MapTile& tile);
HRESULT ReadTerrain(Kv3Input& in, MapTile& tile);

// Reads one feature record (type word and vertices) of a tile into record; 0 or the failure.
HRESULT ReadFeatureRecord(Kv3Input& in, const MapTile& tile, std::int32_t kind, TileFeatureRecord& record);

}  // namespace cumulor::kv3
