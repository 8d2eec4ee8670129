#include "cumulor/data/points/aero_records.h"

#include <cmath>
#include <cstring>

namespace cumulor {

namespace {

void WriteFixedText(ce::wire::Writer& w, const char* text, std::size_t n) {
  std::size_t len = strnlen(text, n);
  w.Bytes(text, len);
  w.Zeros(n - len);
}

GeoPoint ReadPoint(ce::wire::Reader& r) { return ImageElement<GeoPoint>::Read(r); }
void WritePoint(ce::wire::Writer& w, const GeoPoint& p) { ImageElement<GeoPoint>::Write(w, p); }

}  // namespace

void ReadFixedText(ce::wire::Reader& r, char* out, std::size_t n) {
  std::memset(out, 0, n + 1);
  if (!r.Bytes(out, n)) std::memset(out, 0, n + 1);
  out[n] = '\0';
}

AirportRecord ImageElement<AirportRecord>::Read(ce::wire::Reader& r) {
  AirportRecord a{};
  a.position = ReadPoint(r);
  ReadFixedText(r, a.code, 6);
  r.Bytes(a.regionCode, 2);
  a.regionNumber = r.U16();
  r.Skip(2);
  a.databaseId = r.I32();
  a.variation = std::bit_cast<float>(r.U32());
  // A variation that is no angle (a damaged file) counts as none.
  if (!std::isfinite(a.variation) || std::fabs(a.variation) > 180.0f) a.variation = 0.0f;
  a.flags = r.U32();
  r.Skip(4);
  a.elevation = static_cast<std::int16_t>(r.U16());
  a.runwayFirst = r.U16();
  a.runwayLast = r.U16();
  a.frequencyFirst = r.U16();
  a.frequencyLast = r.U16();
  a.remarkFirst = r.U16();
  a.remarkLast = r.U16();
  r.Skip(2);
  return a;
}

void ImageElement<AirportRecord>::Write(ce::wire::Writer& w, const AirportRecord& a) {
  WritePoint(w, a.position);
  WriteFixedText(w, a.code, 6);
  w.Bytes(a.regionCode, 2);
  w.U16(a.regionNumber);
  w.Zeros(2);
  w.I32(a.databaseId);
  w.U32(std::bit_cast<std::uint32_t>(a.variation));
  w.U32(a.flags);
  w.Zeros(4);
  w.U16(static_cast<std::uint16_t>(a.elevation));
  w.U16(a.runwayFirst);
  w.U16(a.runwayLast);
  w.U16(a.frequencyFirst);
  w.U16(a.frequencyLast);
  w.U16(a.remarkFirst);
  w.U16(a.remarkLast);
  w.Zeros(2);
}

RunwayRecord ImageElement<RunwayRecord>::Read(ce::wire::Reader& r) {
  RunwayRecord v{};
  r.Skip(4);
  v.length = r.U16();
  v.width = r.U8();
  v.surface = r.U8();
  for (RunwayEnd& e : v.end) {
    e.position = ReadPoint(r);
    ReadFixedText(r, e.designator, 12);
  }
  return v;
}

void ImageElement<RunwayRecord>::Write(ce::wire::Writer& w, const RunwayRecord& v) {
  w.Zeros(4);
  w.U16(v.length);
  w.U8(v.width);
  w.U8(v.surface);
  for (const RunwayEnd& e : v.end) {
    WritePoint(w, e.position);
    WriteFixedText(w, e.designator, 12);
  }
}

FrequencyRecord ImageElement<FrequencyRecord>::Read(ce::wire::Reader& r) {
  FrequencyRecord v{};
  r.Skip(4);
  v.type = r.U16();
  v.textIndex = r.U16();
  ReadFixedText(r, v.frequency, 16);
  return v;
}

void ImageElement<FrequencyRecord>::Write(ce::wire::Writer& w, const FrequencyRecord& v) {
  w.Zeros(4);
  w.U16(v.type);
  w.U16(v.textIndex);
  WriteFixedText(w, v.frequency, 16);
}

NavaidRecord ImageElement<NavaidRecord>::Read(ce::wire::Reader& r) {
  NavaidRecord v{};
  v.position = ReadPoint(r);
  r.Skip(6);
  r.Bytes(v.regionCode, 2);
  v.regionNumber = r.U16();
  r.Skip(6);
  v.frequency = r.F64();
  v.type = r.U16();
  r.Skip(6);
  return v;
}

void ImageElement<NavaidRecord>::Write(ce::wire::Writer& w, const NavaidRecord& v) {
  WritePoint(w, v.position);
  w.Zeros(6);
  w.Bytes(v.regionCode, 2);
  w.U16(v.regionNumber);
  w.Zeros(6);
  w.F64(v.frequency);
  w.U16(v.type);
  w.Zeros(6);
}

IntersectionRecord ImageElement<IntersectionRecord>::Read(ce::wire::Reader& r) {
  IntersectionRecord v{};
  v.position = ReadPoint(r);
  ReadFixedText(r, v.name, 6);
  r.Bytes(v.regionCode, 2);
  v.regionNumber = r.U16();
  r.Skip(2);
  return v;
}

void ImageElement<IntersectionRecord>::Write(ce::wire::Writer& w, const IntersectionRecord& v) {
  WritePoint(w, v.position);
  WriteFixedText(w, v.name, 6);
  w.Bytes(v.regionCode, 2);
  w.U16(v.regionNumber);
  w.Zeros(2);
}

RegionRecord ImageElement<RegionRecord>::Read(ce::wire::Reader& r) {
  RegionRecord v{};
  ReadFixedText(r, v.name, 24);
  ReadFixedText(r, v.state, 16);
  v.streamOffset = r.U32();
  r.Bytes(v.code, 2);
  r.Skip(2);
  v.number = r.U16();
  r.Skip(2);
  return v;
}

void ImageElement<RegionRecord>::Write(ce::wire::Writer& w, const RegionRecord& v) {
  WriteFixedText(w, v.name, 24);
  WriteFixedText(w, v.state, 16);
  w.U32(v.streamOffset);
  w.Bytes(v.code, 2);
  w.Zeros(2);
  w.U16(v.number);
  w.Zeros(2);
}

}  // namespace cumulor
