#include "cumulor/data/kv3/whole_file.h"

#include "cumulor/data/kv3/kv3_input.h"
#include "platform/base/errors.h"

namespace cumulor::kv3 {

namespace {

constexpr std::uint64_t kProgressStep = 30000;
constexpr std::uint32_t kLabelBytes = 40;

// The box, kind, category, value, threshold and points of an object record.
HRESULT ReadObject(Kv3Input& in, MapObject& o, std::uint64_t& consumed) {
  std::int32_t box[4];
  std::uint32_t words[5];
  for (std::int32_t& b : box)
    if (!in.I32(b)) return E_FAIL;
  for (std::uint32_t& w : words)
    if (!in.U32(w)) return E_FAIL;
  o.west = box[0];
  o.north = box[1];
  o.east = box[2];
  o.south = box[3];
  o.kind = static_cast<std::int32_t>(words[1]);
  o.category = static_cast<std::int32_t>(words[2]);
  o.value = static_cast<std::int32_t>(words[3]);
  o.threshold = static_cast<std::int32_t>(words[4]);
  DynArray<GeoPointImage> points;
  HRESULT hr = ReadCounted(in, points);
  if (hr != S_OK) return hr;
  o.points.reserve(static_cast<std::size_t>(points.Size()));
  for (const GeoPointImage& p : points) o.points.push_back(GeoPoint{p.lon, p.lat});
  consumed += 36 + 4 + 8 * static_cast<std::uint64_t>(points.Size());
  return S_OK;
}

// The vertex words of a line or area, one per point: missing words read as 0, extra ones are
// dropped, so that later thinning never indexes past either array.
HRESULT ReadWords(Kv3Input& in, std::size_t pointCount, std::vector<std::uint16_t>& out, std::uint64_t& consumed) {
  DynArray<std::uint16_t> words;
  HRESULT hr = ReadCounted(in, words);
  if (hr != S_OK) return hr;
  consumed += 4 + 2 * static_cast<std::uint64_t>(words.Size());
  out.assign(pointCount, 0);
  for (std::size_t i = 0; i < pointCount && i < static_cast<std::size_t>(words.Size()); ++i)
    out[i] = words[static_cast<std::int32_t>(i)];
  return S_OK;
}

GeoRect BoxOf(const MapObject& o) { return GeoRect{o.west, o.north, o.east, o.south}; }

HRESULT ReadPointRecord(Kv3Input& in, WholeFileObjects& into, std::uint64_t& consumed) {
  std::uint8_t label[kLabelBytes];
  if (!in.Read(label, kLabelBytes)) return E_FAIL;
  consumed += kLabelBytes;
  MapPointObject p;
  HRESULT hr = ReadObject(in, p, consumed);
  if (hr != S_OK) return hr;
  for (std::size_t i = 0; i < p.label.size(); ++i)
    p.label[i] = static_cast<char16_t>(label[2 * i] | (label[2 * i + 1] << 8));
  p.label[p.label.size() - 1] = 0;  // a full field still ends at its last character
  if (!BoxesMeet(BoxOf(p), into.loadRect)) return S_OK;
  p.threshold = 200;
  p.flags = 0;
  into.points.push_back(std::move(p));
  return S_OK;
}

HRESULT ReadLineRecord(Kv3Input& in, WholeFileObjects& into, std::int32_t tag, std::uint64_t& consumed) {
  MapLineObject o;
  o.kind = 5;
  HRESULT hr = ReadObject(in, o, consumed);
  if (hr != S_OK) return hr;
  std::vector<std::uint16_t> words;
  hr = ReadWords(in, o.points.size(), words, consumed);
  if (hr != S_OK) return hr;
  const GeoRect box = BoxOf(o);
  if (!BoxesMeet(box, into.loadRect)) return S_OK;
  const bool inside = BoxInside(box, into.loadRect);
  if (tag == 3) {
    if (!inside && into.clipLine) {
      into.clipLine(into, o, words);
      return S_OK;
    }
    into.lines.push_back(std::move(o));
    into.lineWords.push_back(std::move(words));
  } else {
    if (!inside && into.clipArea) into.clipArea(o, words, into.loadRect);
    into.areas.push_back(std::move(o));
    into.areaWords.push_back(std::move(words));
  }
  return S_OK;
}

}  // namespace

bool BoxesMeet(const GeoRect& a, const GeoRect& b) {
  return a.left <= b.right && b.left <= a.right && a.bottom <= b.top && b.bottom <= a.top;
}

bool BoxInside(const GeoRect& inner, const GeoRect& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top <= outer.top &&
         inner.bottom >= outer.bottom;
}

HRESULT ReadWholeFile(WholeFileObjects& into, HANDLE file, const std::array<std::uint8_t, kHeaderBytes>& header,
                      const std::function<void(std::int32_t percent)>& progress) {
  Kv3Input in(file);
  const std::uint64_t size = in.Size();
  if (size == 0) return E_FAIL;
  if (progress) progress(0);
  into.header = header;
  const bool word8Zero = header[8] == 0 && header[9] == 0 && header[10] == 0 && header[11] == 0;
  if (word8Zero) {
    into.header[148] = 200;
    into.header[149] = into.header[150] = into.header[151] = 0;
  }
  GeoRect box;
  if (!in.Seek(kHeaderBytes) || !in.I32(box.left) || !in.I32(box.top) || !in.I32(box.right) || !in.I32(box.bottom))
    return E_FAIL;
  std::uint64_t position = kHeaderBytes + 16;
  if (!BoxesMeet(box, into.loadRect) || size <= position) return S_OK;
  std::uint64_t nextProgress = position + kProgressStep;
  while (position < size) {
    std::uint32_t tag = 0, length = 0;
    if (!in.U32(tag) || !in.U32(length)) return E_FAIL;
    position += 8;
    if (tag == 1 || tag == 3 || tag == 5) {
      std::uint32_t count = 0;
      if (!in.U32(count)) return E_FAIL;
      position += 4;
      for (std::uint32_t i = 0; i < count; ++i) {
        HRESULT hr = tag == 1 ? ReadPointRecord(in, into, position)
                              : ReadLineRecord(in, into, static_cast<std::int32_t>(tag), position);
        if (hr != S_OK) return E_FAIL;
        if (position >= nextProgress) {
          if (progress) progress(static_cast<std::int32_t>(position * 100 / size));
          nextProgress = position + kProgressStep;
        }
      }
    } else {
      position += length;
      if (position >= size) break;
      if (!in.Seek(static_cast<std::uint32_t>(position))) return E_FAIL;
    }
    if (position >= nextProgress) {
      if (progress) progress(static_cast<std::int32_t>(position * 100 / size));
      nextProgress = position + kProgressStep;
    }
  }
  return S_OK;
}

}  // namespace cumulor::kv3
