// ThermalRecord: one known thermal or wave source, and its 156-byte stored image.
#pragma once

#include <cstdint>

#include "cumulor/app/base/array_image.h"
#include "cumulor/app/base/geo_point.h"

namespace cumulor {

struct ThermalRecord {
  std::uint8_t selected = 0;        // chosen by the last query
  std::int32_t companion = 0;       // index into the companion array; -1: an unknown element was met
  GeoPoint position;
  GeoPoint drifted;                 // where the thermal is expected at the current altitude
  GeoPoint waveEnd;
  std::int32_t type = 0;
  float absoluteStrength = 0.0f;
  std::int32_t relativeStrength = 0;  // percent (16 bits used)
  std::int32_t sunAzimuth = 0;        // degrees
  std::int32_t sunElevation = 0;
  std::int32_t groundLevel = 0;       // metres
  std::int32_t timeUtc = 0;
  std::int16_t windFrom = 0;          // degrees
  float windSpeed = 0.0f;             // km/h
};

inline constexpr std::size_t kThermalRecordSize = 156;

// The stored image: fields at their offsets (0 selected, 4 companion, 8 position, 16 drifted,
// 72 wave end, 80 type, 88 absolute strength, 92 relative strength, 96 sun azimuth, 100 sun
// elevation, 112 ground level, 116 time, 130 wind from, 132 wind speed); other bytes are zero.
template <>
struct ImageElement<ThermalRecord> {
  static constexpr std::size_t kSize = kThermalRecordSize;
  static void Write(ce::wire::Writer& w, const ThermalRecord& r);
  static ThermalRecord Read(ce::wire::Reader& r);
};

// The record the binary thermal file keeps beside the thermals (264 bytes, a flight's info),
// carried along as bytes.
struct FlightInfoImage {
  std::uint8_t bytes[264];
};

template <>
struct ImageElement<FlightInfoImage> {
  static constexpr std::size_t kSize = sizeof(FlightInfoImage);
  static void Write(ce::wire::Writer& w, const FlightInfoImage& r) { w.Bytes(r.bytes, kSize); }
  static FlightInfoImage Read(ce::wire::Reader& r) {
    FlightInfoImage info{};
    r.Bytes(info.bytes, kSize);
    return info;
  }
};

// Array images of thermals and flight infos read from an open file: 0 with the bytes used
// (count x record size + 4), E_FAIL for a failed read, E_ABORT at the end of the file or for a
// count outside 0..50000.
HRESULT ReadThermalArray(DynArray<ThermalRecord>& array, HANDLE file, DWORD* used);
HRESULT ReadFlightInfoArray(DynArray<FlightInfoImage>& array, HANDLE file, DWORD* used);

}  // namespace cumulor
