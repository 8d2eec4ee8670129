#include "tools/ka1gen/ka1_writer.h"

#include <algorithm>
#include <string>

#include "platform/base/wire.h"

namespace ka1gen {

namespace {

// The little-endian writer with the file's two text forms.
class Out : public ce::wire::Writer {
 public:
  // A fixed-width text field: cut to n bytes, NUL-padded (a full field has no terminator).
  void Fixed(const std::string& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) U8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void Text(const std::string& s) {
    U16(static_cast<std::uint16_t>(s.size()));
    for (char c : s) U8(static_cast<std::uint8_t>(c));
  }
};

// A text array image whose entry 0 is the absent placeholder.
void TextArray(Out& o, const std::vector<std::string>& texts) {
  o.U32(static_cast<std::uint32_t>(texts.size() + 1));
  o.U16(0);
  for (const std::string& t : texts) o.Text(t);
}

void WriteStream(Out& o, const Region& r, bool count50001, bool badMagic) {
  o.I32(badMagic ? 4321 : 1234);
  if (r.emptyIds) {
    o.I32(12);
    o.I32(9);
  }
  // Section 1 with the ranges of every airport (indexes counted from 1 inside this region).
  std::vector<std::string> names, nears, texts5, remarks;
  std::uint32_t runway = 1, freq = 1, remark = 1;
  o.I32(1);
  o.U32(count50001 ? 50001u : static_cast<std::uint32_t>(r.airports.size() + 1));
  o.Zeros(52);
  for (const Airport& a : r.airports) {
    o.I32(a.lon);
    o.I32(a.lat);
    o.Fixed(a.code, 6);
    o.Fixed(r.code, 2);
    o.U16(r.number);
    o.U16(0);
    o.I32(0);
    o.F32(a.variation);
    o.U32(a.flags);
    o.U32(0);
    o.U16(static_cast<std::uint16_t>(a.elevation));
    auto range = [&](std::uint32_t& next, std::size_t n) {
      if (n == 0) {
        o.U16(0);
        o.U16(0);
      } else {
        o.U16(next);
        o.U16(next + static_cast<std::uint32_t>(n) - 1);
        next += static_cast<std::uint32_t>(n);
      }
    };
    range(runway, a.runways.size());
    range(freq, a.frequencies.size());
    range(remark, a.remarks.size());
    o.U16(0);
    names.push_back(a.name);
    nears.push_back(a.nearName);
  }
  o.I32(2);
  TextArray(o, names);
  // Section 3: runways of every airport in order.
  std::size_t runways = 0;
  for (const Airport& a : r.airports) runways += a.runways.size();
  o.I32(3);
  o.U32(static_cast<std::uint32_t>(runways + 1));
  o.Zeros(48);
  for (const Airport& a : r.airports) {
    for (const Runway& w : a.runways) {
      o.U32(0);
      o.U16(w.length);
      o.U8(w.width);
      o.U8(w.surface);
      o.I32(a.lon);
      o.I32(a.lat);
      o.Fixed(w.end1, 12);
      o.I32(a.lon);
      o.I32(a.lat);
      o.Fixed(w.end2, 12);
    }
  }
  // Sections 5 and 4: a frequency with a text refers to it by its index among the texts.
  std::size_t freqs = 0;
  for (const Airport& a : r.airports) freqs += a.frequencies.size();
  o.I32(4);
  o.U32(static_cast<std::uint32_t>(freqs + 1));
  o.Zeros(24);
  for (const Airport& a : r.airports) {
    for (const Frequency& f : a.frequencies) {
      o.U32(0);
      o.U16(f.type);
      if (f.text.empty()) {
        o.U16(0);
      } else {
        texts5.push_back(f.text);
        o.U16(static_cast<std::uint32_t>(texts5.size()));
      }
      o.Fixed(f.value, 16);
    }
  }
  o.I32(5);
  TextArray(o, texts5);
  o.I32(6);
  o.U32(static_cast<std::uint32_t>(r.navaids.size() + 1));
  o.Zeros(40);
  std::vector<std::string> navNames;
  for (const Navaid& n : r.navaids) {
    o.I32(n.lon);
    o.I32(n.lat);
    o.Zeros(6);
    o.Fixed(r.code, 2);
    o.U16(r.number);
    o.Zeros(6);
    o.F64(n.frequency);
    o.U16(n.type);
    o.Zeros(6);
    navNames.push_back(n.name);
  }
  o.I32(7);
  TextArray(o, navNames);
  o.I32(8);
  o.U32(static_cast<std::uint32_t>(r.intersections.size() + 1));
  o.Zeros(20);
  for (const Intersection& x : r.intersections) {
    o.I32(x.lon);
    o.I32(x.lat);
    o.Fixed(x.name, 6);
    o.Fixed(r.code, 2);
    o.U16(r.number);
    o.U16(0);
  }
  for (const Airport& a : r.airports)
    for (const Remark& m : a.remarks) remarks.push_back(std::string(1, static_cast<char>(m.type)) + m.text);
  o.I32(10);
  TextArray(o, remarks);
  if (!r.noNear) {
    o.I32(11);
    TextArray(o, nears);
  }
  o.I32(13);
  o.U32(static_cast<std::uint32_t>(r.airspaceIds.size() + 1));
  o.U16(0);
  for (std::uint16_t id : r.airspaceIds) o.U16(id);
  o.I32(4321);
}

}  // namespace

std::vector<std::uint8_t> WriteKa1(const File& file, const Damage& damage) {
  Out o;
  o.Zeros(512);
  o.PatchU32(4, static_cast<std::uint32_t>(file.version));
  o.PatchU32(164, static_cast<std::uint32_t>(file.regionKind));
  // Region list; the stream offsets are patched once the streams are written.
  o.U32(static_cast<std::uint32_t>(file.regions.size()));
  std::vector<std::size_t> offsetAt;
  for (const Region& r : file.regions) {
    o.Fixed(r.name, 24);
    o.Fixed(r.state, 16);
    offsetAt.push_back(o.bytes().size());
    o.U32(0);
    o.Fixed(r.code, 2);
    o.U16(0);
    o.U16(r.number);
    o.U16(0);
  }
  o.U32(damage.badHeaderValue ? 13 : 12);
  std::uint32_t tableCount = 0;
  for (const Airspace& s : file.airspaces) tableCount = std::max<std::uint32_t>(tableCount, s.id + 1u);
  o.U32(tableCount);
  std::size_t tableAt = o.bytes().size();
  o.Zeros(4 * tableCount);
  for (std::size_t i = 0; i < file.regions.size(); ++i) {
    o.PatchU32(offsetAt[i], damage.badOffset && i == 0 ? 0x7FFFFFF0u : static_cast<std::uint32_t>(o.bytes().size()));
    WriteStream(o, file.regions[i], damage.airportCount50001 && i == 0, damage.badMagic && i == 0);
  }
  for (const Airspace& s : file.airspaces) {
    o.PatchU32(tableAt + 4 * s.id, damage.badAirspaceOffset ? 0x7FFFFFF0u : static_cast<std::uint32_t>(o.bytes().size()));
    o.I32(s.west);
    o.I32(s.north);
    o.I32(s.east);
    o.I32(s.south);
    o.Fixed(s.shortName, 14);
    o.Fixed("", 2);
    o.I32(s.cls);
    o.Fixed(s.longName, 18);
    o.I32(1);
    o.I32(0);
    o.I32(3);
    o.I32(9500);
    o.I32((s.west + s.east) / 2);
    o.I32((s.north + s.south) / 2);
    o.U32(5000);
    o.U32(static_cast<std::uint32_t>(s.points.size()));
    for (auto [x, y] : s.points) {
      o.I32(x);
      o.I32(y);
    }
  }
  std::vector<std::uint8_t> bytes = o.Take();
  if (damage.truncateTo >= 0 && static_cast<std::size_t>(damage.truncateTo) < bytes.size())
    bytes.resize(static_cast<std::size_t>(damage.truncateTo));
  return bytes;
}

}  // namespace ka1gen
