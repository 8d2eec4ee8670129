#include "cumulor/data/kv3/tiled_file.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "cumulor/data/kv3/kv3_input.h"
#include "cumulor/data/kv3/tile_block.h"
#include "platform/base/errors.h"

namespace cumulor::kv3 {

namespace {

std::int32_t HeaderWord(const std::array<std::uint8_t, kHeaderBytes>& h, std::size_t at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(h[at]) | (static_cast<std::uint32_t>(h[at + 1]) << 8) |
                                   (static_cast<std::uint32_t>(h[at + 2]) << 16) |
                                   (static_cast<std::uint32_t>(h[at + 3]) << 24));
}

// One overview record: its box, kind and value from the file; category 11, group 0 and threshold
// 100000 whatever the file says.
HRESULT ReadOverviewRecord(Kv3Input& in, TileFeatureRecord& r) {
  std::int32_t box[4];
  std::uint32_t words[5];
  for (std::int32_t& b : box)
    if (!in.I32(b)) return E_FAIL;
  for (std::uint32_t& w : words)
    if (!in.U32(w)) return E_FAIL;
  DynArray<OverviewVertexImage> vertices;
  HRESULT hr = ReadCounted(in, vertices);
  if (hr != S_OK) return hr;
  r.west = box[0];
  r.north = box[1];
  r.east = box[2];
  r.south = box[3];
  r.kind = static_cast<std::int32_t>(words[1]);
  r.category = 11;
  r.subtype = static_cast<std::int32_t>(words[3]);
  r.group = 0;
  r.threshold = 100000;
  r.vertices.reserve(static_cast<std::size_t>(vertices.Size()));
  for (const OverviewVertexImage& v : vertices) r.vertices.push_back(TileVertex{v.lon, v.lat, v.level});
  return S_OK;
}

HRESULT ReadOverview(Kv3Input& in, TiledFileContext& context) {
  OverviewMaps& ov = *context.overview;
  std::uint32_t unused = 0, groups = 0;
  if (!in.U32(unused) || !in.U32(groups)) return E_FAIL;
  for (std::uint32_t n = 0; n < groups; ++n) {
    std::uint32_t elevation = 0, count = 0;
    if (!in.U32(elevation) || !in.U32(count)) return E_FAIL;
    ContourGroup& group = ov.groups[static_cast<std::size_t>(ContourGroupOf(static_cast<std::int32_t>(elevation)))];
    if (context.palette)
      group.colour = context.palette->colours[static_cast<std::size_t>(TerrainSlot(*context.palette, n))];
    for (std::uint32_t i = 0; i < count; ++i) {
      TileFeatureRecord r;
      HRESULT hr = ReadOverviewRecord(in, r);
      if (hr != S_OK) return hr;
      group.records.push_back(std::move(r));
    }
  }
  for (std::int32_t l = 0; l < ov.layerCount; ++l) {
    const auto zoom = static_cast<std::size_t>(ov.firstLayer + l);
    const std::int32_t v = context.settings && zoom < kZoomLayers ? context.settings->layerValue[zoom] : 0;
    const std::int32_t s = context.settings && zoom < kZoomLayers ? context.settings->minSize[zoom] : 0;
    ov.layers[static_cast<std::size_t>(l)].built = true;
    BuildContourLists(ov.groups, ov.layers[static_cast<std::size_t>(l)], v, s);
  }
  for (ContourGroup& g : ov.groups) g.records.clear();
  return S_OK;
}

}  // namespace

bool MapTileIndex::Add(std::uint32_t tileId, const TileBlockRef& ref) {
  if (tileId > kMaxTileIdValue) return false;
  std::vector<TileBlockRef>& refs = tiles_[tileId];
  if (std::none_of(refs.begin(), refs.end(), [&](const TileBlockRef& r) { return r.file == ref.file; }))
    refs.push_back(ref);
  return true;
}

const std::vector<TileBlockRef>* MapTileIndex::Find(std::uint32_t tileId) const {
  auto it = tiles_.find(tileId);
  return it == tiles_.end() || it->second.empty() ? nullptr : &it->second;
}

std::int32_t TerrainSlot(const TerrainPalette& palette, std::int64_t n) {
  const std::int64_t slot = static_cast<std::int64_t>(palette.offset) + static_cast<std::int64_t>(palette.step) * n;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(slot, 0, kTerrainSlots - 1));
}

OverviewMaps::OverviewMaps() {
  for (std::int32_t g = 0; g < kContourGroups; ++g)
    groups[static_cast<std::size_t>(g)].elevation = kContourElevations[static_cast<std::size_t>(g)];
}

HRESULT RegisterTileIndex(TileBlockIndex& index, HANDLE file, std::uint32_t offset) {
  Kv3Input in(file);
  std::uint16_t tag = 0;
  if (!in.Seek(offset) || !in.U16(tag) || tag != kIndexTag) return E_FAIL;
  DynArray<IndexEntryImage> entries;
  HRESULT hr = ReadCounted(in, entries);
  if (hr != S_OK) return hr;
  for (const IndexEntryImage& e : entries)
    if (!index.AddBlock(e.tileId, TileBlockRef{file, e.offset})) return E_FAIL;
  return S_OK;
}

HRESULT ReadTiledFile(TiledFileContext& context, HANDLE file) {
  if (!context.index || !context.overview) return E_FAIL;
  Kv3Input in(file);
  if (in.Size() == 0 || !in.Seek(0)) return E_FAIL;
  std::array<std::uint8_t, kHeaderBytes> header{};
  if (!in.Read(header.data(), kHeaderBytes)) return E_FAIL;
  context.overview->header = header;
  GeoRect box;
  if (!in.I32(box.left) || !in.I32(box.top) || !in.I32(box.right) || !in.I32(box.bottom)) return E_FAIL;
  if (context.fileBox) context.fileBox(box);
  if (HeaderWord(header, 148) == 0) return E_FAIL;
  const auto indexAt = static_cast<std::uint32_t>(HeaderWord(header, 152));
  HRESULT hr = RegisterTileIndex(*context.index, file, indexAt);
  if (hr != S_OK) return hr;
  std::uint32_t next = 0;
  if (in.U32(next)) {
    if (next != kOverviewTag) return E_FAIL;
    hr = ReadOverview(in, context);
    if (hr != S_OK) {
      for (ContourGroup& g : context.overview->groups) g.records.clear();
      return hr;
    }
  }
  context.overview->loaded = true;
  return S_OK;
}

std::unique_ptr<MapTile> LoadTile(const TileBlockIndex& index, std::uint32_t tileId) {
  const std::vector<TileBlockRef>* refs = index.BlocksOf(tileId);
  if (!refs) return nullptr;
  std::unique_ptr<MapTile> tile(new (std::nothrow) MapTile(tileId));
  if (!tile) return nullptr;
  for (const TileBlockRef& ref : *refs)
    if (FAILED(ReadTileBlock(*tile, ref.file, ref.offset, tileId))) return nullptr;
  tile->features.loaded = true;
  return tile;
}

}  // namespace cumulor::kv3
