#include "cumulor/nav/thermal/thermal_record.h"

#include <bit>
#include <cstring>

namespace cumulor {

namespace {

void Put32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t Get32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

}  // namespace

void ImageElement<ThermalRecord>::Write(ce::wire::Writer& w, const ThermalRecord& r) {
  std::uint8_t b[kThermalRecordSize] = {};
  b[0] = r.selected;
  Put32(b + 4, static_cast<std::uint32_t>(r.companion));
  Put32(b + 8, static_cast<std::uint32_t>(r.position.lon));
  Put32(b + 12, static_cast<std::uint32_t>(r.position.lat));
  Put32(b + 16, static_cast<std::uint32_t>(r.drifted.lon));
  Put32(b + 20, static_cast<std::uint32_t>(r.drifted.lat));
  Put32(b + 72, static_cast<std::uint32_t>(r.waveEnd.lon));
  Put32(b + 76, static_cast<std::uint32_t>(r.waveEnd.lat));
  Put32(b + 80, static_cast<std::uint32_t>(r.type));
  Put32(b + 88, std::bit_cast<std::uint32_t>(r.absoluteStrength));
  Put32(b + 92, static_cast<std::uint32_t>(r.relativeStrength));
  Put32(b + 96, static_cast<std::uint32_t>(r.sunAzimuth));
  Put32(b + 100, static_cast<std::uint32_t>(r.sunElevation));
  Put32(b + 112, static_cast<std::uint32_t>(r.groundLevel));
  Put32(b + 116, static_cast<std::uint32_t>(r.timeUtc));
  b[130] = static_cast<std::uint8_t>(r.windFrom);
  b[131] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(r.windFrom) >> 8);
  Put32(b + 132, std::bit_cast<std::uint32_t>(r.windSpeed));
  w.Bytes(b, sizeof b);
}

ThermalRecord ImageElement<ThermalRecord>::Read(ce::wire::Reader& reader) {
  std::uint8_t b[kThermalRecordSize] = {};
  reader.Bytes(b, sizeof b);
  ThermalRecord r;
  r.selected = b[0];
  r.companion = static_cast<std::int32_t>(Get32(b + 4));
  r.position = {static_cast<std::int32_t>(Get32(b + 8)), static_cast<std::int32_t>(Get32(b + 12))};
  r.drifted = {static_cast<std::int32_t>(Get32(b + 16)), static_cast<std::int32_t>(Get32(b + 20))};
  r.waveEnd = {static_cast<std::int32_t>(Get32(b + 72)), static_cast<std::int32_t>(Get32(b + 76))};
  r.type = static_cast<std::int32_t>(Get32(b + 80));
  r.absoluteStrength = std::bit_cast<float>(Get32(b + 88));
  r.relativeStrength = static_cast<std::int16_t>(Get32(b + 92) & 0xFFFF);
  r.sunAzimuth = static_cast<std::int32_t>(Get32(b + 96));
  r.sunElevation = static_cast<std::int32_t>(Get32(b + 100));
  r.groundLevel = static_cast<std::int32_t>(Get32(b + 112));
  r.timeUtc = static_cast<std::int32_t>(Get32(b + 116));
  r.windFrom = static_cast<std::int16_t>(b[130] | (b[131] << 8));
  r.windSpeed = std::bit_cast<float>(Get32(b + 132));
  return r;
}

HRESULT ReadThermalArray(DynArray<ThermalRecord>& array, HANDLE file, DWORD* used) {
  return ReadArrayImage<ThermalRecord>(file, array, used);
}

HRESULT ReadFlightInfoArray(DynArray<FlightInfoImage>& array, HANDLE file, DWORD* used) {
  return ReadArrayImage<FlightInfoImage>(file, array, used);
}

}  // namespace cumulor
