// The "$w" binary packets of instruments that send them instead of sentences.
#include <cmath>
#include <cstring>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/igc/igc_log.h"
#include "platform/kernel/kernel.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

constexpr std::int32_t kPositionPacket = 45;
constexpr std::int32_t kInstrumentPacket = 25;
constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansToUnits = 2062648.0624709637;

std::int16_t S16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | (p[1] << 8)); }
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// The device's packed float: b0 is the exponent, the top bit of b1 the sign.
double PackedFloat(const std::uint8_t* b) {
  std::uint8_t top = static_cast<std::uint8_t>((b[1] & 0x80) | (b[0] >> 1));
  const std::uint8_t second = static_cast<std::uint8_t>(((b[0] & 1) << 7) | (b[1] & 0x7F));
  if (top != 0) --top;
  const std::uint32_t bits = (static_cast<std::uint32_t>(top) << 24) | (static_cast<std::uint32_t>(second) << 16) |
                             (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Radians into GeoPoint units; anything beyond `limit` (or not a number) counts as 0.
std::int32_t Angle(double radians, double limit) {
  if (!std::isfinite(radians) || radians < -limit || radians > limit) return 0;
  return static_cast<std::int32_t>(radians * kRadiansToUnits);
}

void DecodePosition(GpsPort& gps, const std::uint8_t* p) {
  EngineContext* app = gps.app;
  GpsFix& fix = gps.fix;
  GpsStatus& status = gps.status;
  GeoPoint pos;
  pos.lat = Angle(PackedFloat(p + 35), kPi / 2);
  pos.lon = Angle(PackedFloat(p + 39), kPi);
  fix.position = status.position = pos;
  status.positionValid = 1;
  status.altitudeValid = 1;
  const std::int16_t altitude = S16(p + 13);
  fix.pressureAltitude = altitude;
  status.altitude = altitude;
  status.pressureValid = 1;
  status.pressureAltitude = altitude;
  const float vario = static_cast<float>(S16(p + 27) / 10.0);
  fix.verticalSpeed = vario;
  gps.instrument[0] = static_cast<float>(vario * 1.9438444);
  const std::uint16_t ground = U16(p + 31);
  status.groundSpeedMs = static_cast<float>(ground / 36.0);
  status.groundSpeedKn = static_cast<float>(ground * 0.539968 / 10.0);
  fix.groundSpeed = status.groundSpeedKn;
  fix.airspeed = static_cast<float>(U16(p + 29) * 0.0539968);
  int track = S16(p + 33) / 10;
  if (track < 0 || track > 360) track = 0;
  fix.track = status.track = static_cast<std::uint16_t>(track % 360);
  status.variation = gps.manualVariation;
  fix.mark = gps.packetMarkPending;
  status.mark = fix.mark;
  gps.packetMarkPending = U16(p + 17) == 1 ? 1 : 0;
  SYSTEMTIME utc{};
  GetSystemTime(&utc);
  fix.timeOfDay = static_cast<std::uint32_t>(utc.wHour * 3600 + utc.wMinute * 60 + utc.wSecond);

  if (app && !gps.logOpened && gps.mode == 0 && app->igcLogging && status.groundSpeedMs > 5.0f) {
    gps.logOpened = 1;
    IgcLogOpen(*app, nullptr, nullptr);
  }
  if (app) {
    if (p[6] & 0x80) {
      app->circling = 1;
      ++app->circlingCount;
      app->turnDirection = (p[6] & 0x10) ? 1 : 0;
    } else {
      app->circling = 0;
      app->circlingCount = 0;
      EndClimb(app->stats, altitude);
    }
  }
  const GpsFix stored = fix;
  StoreFix(gps, stored);
  PublishStatus(gps);
  SetEvent(gps.fixEvent);
}

}  // namespace

HRESULT DecodeBinaryPacket(GpsPort& gps, const std::uint8_t* bytes, std::int32_t count) {
  if (count < 5 || bytes[0] != '$' || bytes[1] != 'w') return S_OK;
  const std::int32_t length = bytes[2];
  const std::int32_t type = bytes[4];
  // A packet is taken only when its type and length agree, so the checksum never runs past it.
  const bool position = type == 0 && length == kPositionPacket;
  const bool instrument = type == 2 && length == kInstrumentPacket;
  if ((!position && !instrument) || count < length) return S_OK;
  gps.externalAltitude = 1;
  std::uint8_t x = 0;
  for (std::int32_t i = 0; i < length; ++i) x ^= i == 3 ? 0 : bytes[i];
  if (x != bytes[3]) return S_OK;
  if (position) {
    DecodePosition(gps, bytes);
  } else {
    gps.instrument[2] = static_cast<float>(bytes[13] * 0.5);
    gps.instrument[1] = 2 * gps.instrument[2];
  }
  return S_OK;
}

HRESULT ReadBinaryPacket(GpsPort& gps) {
  std::uint8_t packet[kPositionPacket];
  auto readBytes = [&](std::uint8_t* to, std::uint32_t n) {
    for (std::uint32_t i = 0; i < n; ++i) {
      std::uint32_t got = 0;
      if (!gps.running) return false;
      if (SerialRead(gps.port, to + i, 1, got) != S_OK) {
        gps.readFailed = 1;
        return false;
      }
      if (got != 1) return false;
    }
    return true;
  };
  do {
    if (!readBytes(packet, 1)) return E_FAIL;
  } while (packet[0] != '$');
  if (!readBytes(packet + 1, 4)) return E_FAIL;
  const std::int32_t length = packet[2];
  if (length != kPositionPacket && length != kInstrumentPacket) return S_OK;
  if (packet[4] != 0 && packet[4] != 2) return S_OK;
  gps.externalAltitude = 1;
  if (!readBytes(packet + 5, static_cast<std::uint32_t>(length - 5))) return E_FAIL;
  return DecodeBinaryPacket(gps, packet, length);
}

}  // namespace cumulor
