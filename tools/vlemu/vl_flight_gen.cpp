#include "tools/vlemu/vl_flight_gen.h"

#include <cstdlib>

namespace vlemu {
namespace {

std::uint8_t ToBcd(int value) { return static_cast<std::uint8_t>((value / 10) << 4 | (value % 10)); }

void Push24(Bytes& out, std::int32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void TextRecord(Bytes& out, std::uint8_t subType, const std::string& text) {
  out.push_back(0x20);
  out.push_back(static_cast<std::uint8_t>(text.size() + 1));
  out.push_back(subType);
  out.insert(out.end(), text.begin(), text.end());
}

void RecorderRecord(Bytes& out, std::uint16_t serial) {
  // serial, unused, datum 0, hardware 3.4, firmware 2.1, unused, accuracy code 50
  const Bytes data = {static_cast<std::uint8_t>(serial >> 8), static_cast<std::uint8_t>(serial), 0, 0, 0x34, 0x21, 0, 50};
  out.push_back(0x20);
  out.push_back(static_cast<std::uint8_t>(data.size() + 1));
  out.push_back(0x50);
  out.insert(out.end(), data.begin(), data.end());
}

void TimeRecord(Bytes& out, const GenFlight& f, std::int32_t secondOfDay) {
  out.push_back(0xA0);
  out.push_back(0);
  Push24(out, secondOfDay);
  out.push_back(ToBcd(f.year % 100));
  out.push_back(ToBcd(f.month));
  out.push_back(ToBcd(f.day));
}

}  // namespace

GenFlight MakeFlight(std::int32_t count, std::int32_t latitude, std::int32_t longitude, std::uint8_t seed) {
  GenFlight f;
  std::uint32_t state = seed * 2654435761u + 1;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return static_cast<std::int32_t>((state >> 16) & 0x7FFF);
  };
  for (std::int32_t i = 0; i < count; ++i) {
    GenFix fix;
    fix.latitude = latitude;
    fix.longitude = longitude;
    fix.pressureValue = 2500 + next() % 1500;
    fix.altitudeValue = 100 + next() % 300;
    fix.accuracy = next() % 16;
    fix.noise = next() % 250;
    fix.valid = i % 7 != 5;
    fix.seconds = 1 + next() % 5;
    f.fixes.push_back(fix);
    latitude += next() % 1500 - 700;
    longitude += next() % 1500 - 700;
  }
  for (int i = 0; i < 41; ++i) f.security.push_back(static_cast<std::uint8_t>(next()));
  return f;
}

Bytes FlightStream(const GenFlight& f) {
  Bytes out = {0x41};  // start, record format 1
  RecorderRecord(out, f.serial);
  TextRecord(out, 1, f.pilot);
  TextRecord(out, 5, f.gliderType);
  TextRecord(out, 6, f.gliderId);
  TimeRecord(out, f, f.startSecondOfDay);
  std::int32_t lastLat = 0, lastLon = 0;
  for (std::size_t i = 0; i < f.fixes.size(); ++i) {
    const GenFix& x = f.fixes[i];
    const std::int32_t dLat = x.latitude - lastLat, dLon = x.longitude - lastLon;
    const std::uint8_t head = static_cast<std::uint8_t>((x.valid ? 0x10 : 0) | ((x.pressureValue >> 8) & 0x0F));
    const bool differential = i > 0 && std::abs(dLat) < 2048 && std::abs(dLon) < 4096 && x.altitudeValue < 2048;
    if (differential) {
      const std::int32_t aLat = std::abs(dLat), aLon = std::abs(dLon);
      out.push_back(static_cast<std::uint8_t>(0xE0 | head));
      out.push_back(static_cast<std::uint8_t>(x.pressureValue));
      out.push_back(static_cast<std::uint8_t>(x.seconds));
      out.push_back(static_cast<std::uint8_t>((dLat < 0 ? 0x80 : 0) | ((aLon >> 8) & 0x0F) << 3 | ((aLat >> 8) & 0x07)));
      out.push_back(static_cast<std::uint8_t>(aLat));
      out.push_back(static_cast<std::uint8_t>(aLon & 0xFF));
      out.push_back(static_cast<std::uint8_t>((dLon < 0 ? 0x80 : 0) | ((x.altitudeValue >> 4) & 0x70) | x.accuracy));
      out.push_back(static_cast<std::uint8_t>(x.altitudeValue & 0xFF));
      out.push_back(static_cast<std::uint8_t>(x.noise));
    } else {
      const std::int32_t aLat = std::abs(x.latitude), aLon = std::abs(x.longitude);
      out.push_back(static_cast<std::uint8_t>(0x80 | head));
      out.push_back(static_cast<std::uint8_t>(x.pressureValue));
      out.push_back(static_cast<std::uint8_t>(x.seconds));
      out.push_back(static_cast<std::uint8_t>((x.latitude < 0 ? 0x80 : 0) | ((aLat >> 16) & 0x7F)));
      out.push_back(static_cast<std::uint8_t>(aLat >> 8));
      out.push_back(static_cast<std::uint8_t>(aLat));
      Push24(out, aLon);
      out.push_back(static_cast<std::uint8_t>((x.longitude < 0 ? 0x80 : 0) | ((x.altitudeValue >> 4) & 0x70) | x.accuracy));
      out.push_back(static_cast<std::uint8_t>(x.altitudeValue & 0xFF));
      out.push_back(static_cast<std::uint8_t>(x.noise));
    }
    lastLat = x.latitude;
    lastLon = x.longitude;
    if (i == 1 && f.takeoffEvent) out.insert(out.end(), {0x00, 1, 0, 0x61});
    if (i == 2 && f.pilotEvent) out.insert(out.end(), {0x00, 1, 0, 0x60});
  }
  out.push_back(0x60);
  return out;
}

std::int32_t FlightSeconds(const GenFlight& f) {
  std::int32_t seconds = 0;
  for (const GenFix& x : f.fixes) seconds += x.seconds;
  return seconds;
}

Bytes DirectoryRecords(const GenFlight& f) {
  Bytes out = {0x41};
  RecorderRecord(out, f.serial);
  TextRecord(out, 1, f.pilot.substr(0, 16));
  const std::int32_t duration = FlightSeconds(f);
  TimeRecord(out, f, f.startSecondOfDay + duration);  // the end of the flight
  if (f.takeoffEvent) out.insert(out.end(), {0x00, 1, 0, 0x61});
  out.push_back(0x60);
  Push24(out, duration);
  Push24(out, duration);  // the end lies that far after the start
  return out;
}

}  // namespace vlemu
