#include "tools/kv3gen/kv3_writer.h"

#include <cmath>
#include <cstdio>

#include "platform/base/wire.h"

namespace kv3gen {

namespace {

using ce::wire::Writer;

void Append(Writer& out, const std::vector<std::uint8_t>& bytes) { out.Bytes(bytes.data(), bytes.size()); }

// The 512-byte header with the file's version, word 8 and detail level, then the file's bounds.
template <class File>
void Header(Writer& out, std::int32_t version, std::int32_t word8, const File& file) {
  out.Zeros(512);
  out.PatchU32(4, static_cast<std::uint32_t>(version));
  out.PatchU32(8, static_cast<std::uint32_t>(word8));
  out.PatchU32(148, static_cast<std::uint32_t>(file.detail));
  out.I32(file.west);
  out.I32(file.north);
  out.I32(file.east);
  out.I32(file.south);
}

void Feature(Writer& out, const TileFeature& f) {
  out.U16(static_cast<std::uint32_t>(f.category) | (static_cast<std::uint32_t>(f.subtype) << 8));
  out.U32(f.countOverride >= 0 ? static_cast<std::uint32_t>(f.countOverride)
                               : static_cast<std::uint32_t>(f.vertices.size()));
  for (const TileVertex& v : f.vertices) {
    out.U16(v.dx);
    out.U16(v.dy);
    out.U8(v.level);
  }
}

std::vector<std::uint8_t> SectionBody(const BlockSection& s) {
  Writer body;
  switch (s.tag) {
    case 1:
      body.U16(static_cast<std::uint32_t>(s.points.size()));
      for (const TilePoint& p : s.points) {
        body.U16(p.dx);
        body.U16(p.dy);
        body.U8(p.category);
        if (p.category == 7 || p.category == 16) {
          body.U8(static_cast<std::uint32_t>(p.name.size()));
          for (char c : p.name) body.U8(static_cast<std::uint8_t>(c));
        } else {
          body.U16(p.value);
        }
      }
      break;
    case 3:
    case 5:
      body.U16(static_cast<std::uint32_t>(s.features.size()));
      for (const TileFeature& f : s.features) Feature(body, f);
      break;
    case 71:
      body.U8(s.groupCountOverride >= 0 ? static_cast<std::uint32_t>(s.groupCountOverride)
                                        : static_cast<std::uint32_t>(s.contours.size()));
      for (const ContourGroupOut& g : s.contours) {
        body.U16(g.elevation);
        body.U16(static_cast<std::uint32_t>(g.records.size()));
        for (const TileFeature& f : g.records) Feature(body, f);
      }
      break;
    case 75:
      body.U16(static_cast<std::uint16_t>(s.terrain.offset));
      body.U16(static_cast<std::uint16_t>(s.terrain.scale));
      body.U32(static_cast<std::uint32_t>(s.terrain.cells.size()));
      Append(body, s.terrain.cells);
      break;
    default:
      break;
  }
  return body.Take();
}

bool HasLength(std::uint16_t tag) { return tag == 1 || tag == 3 || tag == 5 || tag == 71 || tag == 75; }

void Block(Writer& out, const TileBlockOut& b) {
  out.U16(b.magic);
  out.U32(b.idInBlock != 0xFFFFFFFFu ? b.idInBlock : b.tileId);
  for (const BlockSection& s : b.sections) {
    out.U16(s.tag);
    if (!HasLength(s.tag)) continue;
    std::vector<std::uint8_t> body = s.emptyBody ? std::vector<std::uint8_t>{} : SectionBody(s);
    out.U32(s.lengthOverride >= 0 ? static_cast<std::uint32_t>(s.lengthOverride)
                                  : static_cast<std::uint32_t>(body.size()));
    Append(out, body);
  }
  if (b.endTag) out.U16(54321);
}

}  // namespace

std::uint32_t TileId(std::int32_t lonDegree, std::int32_t latDegree) {
  return (static_cast<std::uint32_t>(lonDegree + 180) << 8) | static_cast<std::uint32_t>(latDegree + 90);
}

std::vector<std::uint8_t> WriteTiled(const TiledFile& file) {
  Writer out;
  Header(out, file.version, 0, file);
  std::vector<std::uint32_t> offsets;
  for (const TileBlockOut& b : file.blocks) {
    offsets.push_back(static_cast<std::uint32_t>(out.bytes().size()));
    Block(out, b);
  }
  const auto indexAt = static_cast<std::int32_t>(out.bytes().size());
  out.PatchU32(152, static_cast<std::uint32_t>(indexAt));
  out.U16(file.indexTag);
  const std::size_t n = file.blocks.size() + file.extraIndexIds.size();
  out.U32(file.indexCountOverride >= 0 ? static_cast<std::uint32_t>(file.indexCountOverride)
                                       : static_cast<std::uint32_t>(n));
  for (std::size_t i = 0; i < file.blocks.size(); ++i) {
    out.U32(file.blocks[i].tileId);
    out.U32(offsets[i]);
  }
  for (std::uint32_t id : file.extraIndexIds) {
    out.U32(id);
    out.U32(offsets.empty() ? 0 : offsets[0]);
  }
  if (file.writeWordBehindIndex) {
    out.U32(file.wordBehindIndex);
  } else if (file.overview) {
    out.U32(74);
    out.U32(0);
    out.U32(static_cast<std::uint32_t>(file.overviewGroups.size()));
    for (const OverviewGroup& g : file.overviewGroups) {
      out.U32(g.elevation);
      out.U32(static_cast<std::uint32_t>(g.records.size()));
      for (const OverviewRecord& r : g.records) {
        out.I32(r.west);
        out.I32(r.north);
        out.I32(r.east);
        out.I32(r.south);
        out.U32(0);
        out.U32(r.kind);
        out.U32(r.category);
        out.U32(r.value);
        out.U32(r.threshold);
        out.U32(static_cast<std::uint32_t>(r.vertices.size()));
        for (const OverviewVertex& v : r.vertices) {
          out.I32(v.lon);
          out.I32(v.lat);
          out.U16(v.level);
          out.U16(0);
        }
      }
    }
  }
  return out.Take();
}

std::vector<std::uint8_t> WriteWhole(const WholeFile& file) {
  Writer out;
  Header(out, 1, file.word8, file);
  for (std::uint32_t tag : file.skippedTags) {
    out.U32(tag);
    out.U32(8);
    out.U32(0xDEADBEEFu);
    out.U32(0xDEADBEEFu);
  }
  for (const WholeObject& o : file.objects) {
    Writer body;
    body.U32(1);
    if (o.tag == 1) {
      for (std::size_t i = 0; i < 20; ++i) body.U16(i < o.label.size() ? o.label[i] : 0);
    }
    body.I32(o.west);
    body.I32(o.north);
    body.I32(o.east);
    body.I32(o.south);
    body.U32(0);
    body.U32(o.kind);
    body.U32(o.category);
    body.U32(o.value);
    body.U32(o.threshold);
    body.U32(static_cast<std::uint32_t>(o.points.size()));
    for (const auto& [lon, lat] : o.points) {
      body.I32(lon);
      body.I32(lat);
    }
    if (o.tag != 1) {
      body.U32(static_cast<std::uint32_t>(o.vertexWords.size()));
      for (std::uint16_t w : o.vertexWords) body.U16(w);
    }
    out.U32(o.tag);
    out.U32(static_cast<std::uint32_t>(body.bytes().size()));
    Append(out, body.bytes());
  }
  return out.Take();
}

bool SaveBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

TiledFile DemoArea(std::int32_t lonDegree, std::int32_t latDegree, std::int32_t w, std::int32_t h) {
  TiledFile file;
  file.west = lonDegree * 36000;
  file.east = (lonDegree + w) * 36000;
  file.north = (latDegree + h) * 36000;
  file.south = latDegree * 36000;
  for (std::int32_t x = 0; x < w; ++x) {
    for (std::int32_t y = 0; y < h; ++y) {
      TileBlockOut b;
      b.tileId = TileId(lonDegree + x, latDegree + y);
      BlockSection terrain;
      terrain.tag = 75;
      terrain.terrain.offset = 200;
      terrain.terrain.scale = 10;
      terrain.terrain.cells.resize(14400);
      for (int r = 0; r < 120; ++r) {
        for (int c = 0; c < 120; ++c) {
          const double gx = x + c / 120.0, gy = y + (119 - r) / 120.0;
          const double relief = 100 + 80 * std::sin(gx * 2.1) * std::cos(gy * 1.7);
          terrain.terrain.cells[static_cast<std::size_t>(r * 120 + c)] = static_cast<std::uint8_t>(relief);
        }
      }
      BlockSection points;
      points.tag = 1;
      points.points.push_back({18000, 18000, 7, 0, "Town " + std::to_string(x) + "/" + std::to_string(y)});
      points.points.push_back({9000, 27000, 15, 4921, ""});
      BlockSection lines;
      lines.tag = 3;
      TileFeature river{3, 0, {}, -1};
      TileFeature road{5, 1, {}, -1};
      for (std::uint16_t i = 0; i <= 10; ++i) {
        // The ends and every third vertex stay at every layer, the others only at close ones.
        const bool major = i % 3 == 0 || i == 10;
        river.vertices.push_back({static_cast<std::uint16_t>(i * 3500), static_cast<std::uint16_t>(12000 + (i % 2) * 1500),
                                  static_cast<std::uint8_t>(major ? 255 : 8)});
        road.vertices.push_back({static_cast<std::uint16_t>(20000 + (i % 2) * 800), static_cast<std::uint16_t>(i * 3500),
                                 static_cast<std::uint8_t>(major || i % 2 == 0 ? 255 : 8)});
      }
      lines.features = {river, road};
      BlockSection areas;
      areas.tag = 5;
      areas.features.push_back({1, 2, {{5000, 5000, 255}, {9000, 5000, 255}, {9000, 8000, 255}, {5000, 8000, 255}}, -1});
      BlockSection contours;
      contours.tag = 71;
      // Nested contour areas: the lowest covers the whole tile, so that neighbouring tiles meet
      // without a gap; each higher one lies inside the one below.
      for (std::uint16_t e : {250, 500, 1000}) {
        ContourGroupOut g;
        g.elevation = e;
        const auto inset = static_cast<std::uint16_t>((e - 250) * 10);
        g.records.push_back({11, 0,
                             {{inset, inset, 255},
                              {static_cast<std::uint16_t>(36000 - inset), inset, 255},
                              {static_cast<std::uint16_t>(36000 - inset), static_cast<std::uint16_t>(36000 - inset), 255},
                              {inset, static_cast<std::uint16_t>(36000 - inset), 255}},
                             -1});
        contours.contours.push_back(g);
      }
      b.sections = {points, lines, areas, contours, terrain};
      file.blocks.push_back(b);
    }
  }
  file.overview = true;
  OverviewGroup g;
  g.elevation = 500;
  OverviewRecord r;
  r.west = file.west + 3600;
  r.east = file.east - 3600;
  r.north = file.north - 3600;
  r.south = file.south + 3600;
  r.vertices = {{r.west, r.north, 4000}, {r.east, r.north, 4000}, {r.east, r.south, 4000}, {r.west, r.south, 4000}};
  g.records.push_back(r);
  file.overviewGroups.push_back(g);
  return file;
}

}  // namespace kv3gen
