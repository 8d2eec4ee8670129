// Reading the little-endian words and counted arrays of an open .kv3 file.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/app/base/array_image.h"
#include "platform/base/types.h"

namespace cumulor::kv3 {

inline constexpr std::uint32_t kMaxTileIdValue = 92340;

// A file handle read word by word. Each read answers false when the file ends before the word.
class Kv3Input {
 public:
  explicit Kv3Input(HANDLE file) : file_(file) {}
  HANDLE File() const { return file_; }
  bool Read(void* into, std::uint32_t n);
  bool U8(std::uint8_t& v);
  bool U16(std::uint16_t& v);
  bool I16(std::int16_t& v);
  bool U32(std::uint32_t& v);
  bool I32(std::int32_t& v);
  // Moves to an absolute offset; false unless the position lands exactly there.
  bool Seek(std::uint32_t offset);
  // The file size (0 when it cannot be had).
  std::uint32_t Size() const;

 private:
  HANDLE file_;
};

// Elements of the counted arrays, as the file lays them out.
struct TileVertexImage {  // 5 bytes
  std::uint16_t dx, dy;
  std::uint8_t level;
};
struct IndexEntryImage {  // 8 bytes
  std::uint32_t tileId, offset;
};
struct OverviewVertexImage {  // 12 bytes
  std::int32_t lon, lat;
  std::uint16_t level, unused;
};
struct GeoPointImage {  // 8 bytes
  std::int32_t lon, lat;
};

// A counted array at the file's position: 0, E_ABORT for a missing or out-of-range count
// (0..50000), E_FAIL for a short element read.
template <class T, class E = ImageElement<T>>
HRESULT ReadCounted(Kv3Input& in, DynArray<T>& out) {
  return ReadArrayImage<T, E>(in.File(), out, nullptr);
}

}  // namespace cumulor::kv3

namespace cumulor {

template <>
struct ImageElement<kv3::TileVertexImage> {
  static constexpr std::size_t kSize = 5;
  static void Write(ce::wire::Writer& w, const kv3::TileVertexImage& v) {
    w.U16(v.dx);
    w.U16(v.dy);
    w.U8(v.level);
  }
  static kv3::TileVertexImage Read(ce::wire::Reader& r) {
    kv3::TileVertexImage v{};
    v.dx = r.U16();
    v.dy = r.U16();
    v.level = r.U8();
    return v;
  }
};

template <>
struct ImageElement<kv3::IndexEntryImage> {
  static constexpr std::size_t kSize = 8;
  static void Write(ce::wire::Writer& w, const kv3::IndexEntryImage& v) {
    w.U32(v.tileId);
    w.U32(v.offset);
  }
  static kv3::IndexEntryImage Read(ce::wire::Reader& r) {
    kv3::IndexEntryImage v{};
    v.tileId = r.U32();
    v.offset = r.U32();
    return v;
  }
};

template <>
struct ImageElement<kv3::OverviewVertexImage> {
  static constexpr std::size_t kSize = 12;
  static void Write(ce::wire::Writer& w, const kv3::OverviewVertexImage& v) {
    w.I32(v.lon);
    w.I32(v.lat);
    w.U16(v.level);
    w.U16(v.unused);
  }
  static kv3::OverviewVertexImage Read(ce::wire::Reader& r) {
    kv3::OverviewVertexImage v{};
    v.lon = r.I32();
    v.lat = r.I32();
    v.level = r.U16();
    v.unused = r.U16();
    return v;
  }
};

template <>
struct ImageElement<kv3::GeoPointImage> {
  static constexpr std::size_t kSize = 8;
  static void Write(ce::wire::Writer& w, const kv3::GeoPointImage& v) {
    w.I32(v.lon);
    w.I32(v.lat);
  }
  static kv3::GeoPointImage Read(ce::wire::Reader& r) {
    kv3::GeoPointImage v{};
    v.lon = r.I32();
    v.lat = r.I32();
    return v;
  }
};

}  // namespace cumulor
