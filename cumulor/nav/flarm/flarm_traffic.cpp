#include "cumulor/nav/flarm/flarm_traffic.h"

#include <cmath>

#include <cstdlib>
#include <cstring>

#include "cumulor/nav/geo/field_splitter.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_port.h"
#include "platform/sound/sound.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

constexpr double kDegToRad = 0.01745329251994328;

const char16_t* const kVoiceFiles[10] = {u"KV_10a.wav", u"KV_11a.wav", u"KV_12a.wav", u"KV_13a.wav", u"KV_14a.wav",
                                         u"KV_10b.wav", u"KV_11b.wav", u"KV_12b.wav", u"KV_13b.wav", u"KV_14b.wav"};

// A field is missing when absent or empty (the splitter gives an empty field as its comma).
bool Present(const char* field) { return field != nullptr && field[0] != ',' && field[0] != '\0' && field[0] != '*'; }

std::int32_t Int(const char* field) {
  if (!Present(field)) return 0;
  const long v = std::strtol(field, nullptr, 10);
  return static_cast<std::int32_t>(v < -2147483647L ? -2147483647L : v > 2147483647L ? 2147483647L : v);
}

// A float field; the value as it was when the field is missing or is not a number.
void Float(const char* field, float& value) {
  if (!Present(field)) return;
  char* end = nullptr;
  const double v = std::strtod(field, &end);
  if (end != field && v == v && v > -1e9 && v < 1e9) value = static_cast<float>(v);
}

DWORD Now() {
  const DWORD now = GetTickCount();
  return now ? now : 1;  // 0 marks a free slot
}

void FillVoices(FlarmTraffic& t) {
  for (int i = 0; i < 10; ++i) {
    int n = 0;
    for (; kVoiceFiles[i][n] != 0; ++n) t.voices[i][n] = kVoiceFiles[i][n];
    t.voices[i][n] = 0;
  }
}

}  // namespace

// Built before first use with its voice table, like the other module globals.
FlarmTraffic& Flarm() {
  static FlarmTraffic traffic;
  static const bool filled = (FillVoices(traffic), true);
  (void)filled;
  return traffic;
}

void FlarmInit() {
  FlarmTraffic& t = Flarm();
  std::lock_guard<std::mutex> guard(t.lock);
  t.status = FlarmStatus{};
  for (FlarmTarget& slot : t.slots) slot = FlarmTarget{};
  FillVoices(t);
  t.demo = 0;
  t.alarmed = 0;
  t.lastAlarm = 0;
}

void ParsePFLAU(GpsPort& gps) {
  ShortSplitter split;
  TokenizeShort(split, gps.line);  // the address
  const char* f[9];
  for (const char*& field : f) field = TokenizeShort(split, nullptr);
  FlarmStatus s;
  s.receive = Int(f[0]);
  s.transmit = Int(f[1]);
  s.gps = Int(f[2]);
  s.power = Int(f[3]);
  s.alarmLevel = Int(f[4]);
  s.relativeBearing = Int(f[5]);
  s.alarmType = Int(f[6]);
  s.relativeVertical = Int(f[7]);
  s.relativeDistance = Int(f[8]);
  s.lastUpdate = Now();
  const GpsStatus& own = gps.status;
  // Any line on the port reaches here: the sum is taken in double and brought into one turn, so a
  // bearing near the 32-bit limit cannot overflow.
  const double angle = -std::fmod(static_cast<double>(s.relativeBearing) + static_cast<double>(own.track), 360.0) * kDegToRad;
  const std::uint32_t distance = s.relativeDistance > 0 ? static_cast<std::uint32_t>(s.relativeDistance) : 0;
  GeoDestination(own.position.lon, own.position.lat, distance, angle, s.position);
  s.valid = 1;
  FlarmTraffic& t = Flarm();
  std::lock_guard<std::mutex> guard(t.lock);
  t.status = s;
}

FlarmTarget& FlarmFindOrAddTarget(FlarmTraffic& traffic, const char* id) {
  FlarmTarget* free = nullptr;
  FlarmTarget* oldest = nullptr;
  const DWORD now = GetTickCount();
  for (FlarmTarget& slot : traffic.slots) {
    if (slot.lastSeen != 0 && std::strncmp(slot.id, id, 6) == 0) {
      for (int i = kFlarmTrackPoints - 1; i > 0; --i) {
        slot.positions[i] = slot.positions[i - 1];
        slot.screen[i] = slot.screen[i - 1];
      }
      return slot;
    }
    if (slot.lastSeen == 0) {
      if (!free) free = &slot;
    } else if (!oldest || now - slot.lastSeen > now - oldest->lastSeen) {
      oldest = &slot;
    }
  }
  FlarmTarget& slot = free ? *free : *oldest;
  slot = FlarmTarget{};
  std::strncpy(slot.id, id, 6);
  slot.id[6] = '\0';
  return slot;
}

void ParsePFLAA(GpsPort& gps) {
  const GpsStatus& own = gps.status;
  if (!own.positionValid) return;
  ShortSplitter split;
  TokenizeShort(split, gps.line);
  const char* f[11];
  for (const char*& field : f) field = TokenizeShort(split, nullptr);
  char id[7] = {};
  if (Present(f[5])) std::strncpy(id, f[5], 6);
  FlarmTraffic& t = Flarm();
  std::lock_guard<std::mutex> guard(t.lock);
  FlarmTarget& slot = FlarmFindOrAddTarget(t, id);
  slot.alarmLevel = Int(f[0]);
  const std::int32_t north = Int(f[1]);
  const std::int32_t east = Int(f[2]);
  slot.relativeVertical = Int(f[3]);
  slot.idType = Int(f[4]);
  slot.noTrack = Present(f[6]) ? 0 : 1;
  if (!slot.noTrack) slot.track = Int(f[6]);
  Float(f[7], slot.turnRate);
  Float(f[8], slot.groundSpeed);
  slot.climbRate = 0.0f;
  Float(f[9], slot.climbRate);
  slot.aircraftType = Int(f[10]);
  slot.lastSeen = Now();
  const std::uint32_t distance = OffsetPoint(own.position.lon, own.position.lat, slot.positions[0], east, north);
  slot.distance = static_cast<std::int32_t>(distance > 2147483647u ? 2147483647u : distance);
  slot.valid = 1;
  if (slot.positionCount < kFlarmTrackPoints) ++slot.positionCount;
}

std::int32_t FlarmVoiceIndex(std::int32_t relativeBearing, std::int32_t relativeVertical) {
  const std::int32_t b = relativeBearing;
  if (b < -74 || b > 75) return -1;
  const std::int32_t sector = b <= -45 ? 0 : b <= -15 ? 1 : b <= 15 ? 2 : b <= 45 ? 3 : 4;
  return sector + (relativeVertical < 0 ? 5 : 0);
}

void FlarmAlarm(const FlarmStatus& status) {
  const std::int32_t index = FlarmVoiceIndex(status.relativeBearing, status.relativeVertical);
  if (index < 0) return;
  FlarmTraffic& t = Flarm();
  const DWORD now = GetTickCount();
  {
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.alarmed && now - t.lastAlarm <= kFlarmAlarmGapMs) return;
    t.alarmed = 1;
    t.lastAlarm = now;
  }
  sndPlaySoundW(status.relativeVertical < 0 ? u"Alarm1.wav" : u"Alarm2.wav", SND_SYNC | SND_NODEFAULT);
  FlarmPlayVoice(index);
}

void FlarmPlayVoice(std::int32_t index) {
  if (index < 0 || index > 9) return;
  WCHAR name[65];
  {
    FlarmTraffic& t = Flarm();
    std::lock_guard<std::mutex> guard(t.lock);
    std::memcpy(name, t.voices[index], sizeof name);
  }
  sndPlaySoundW(name, SND_ASYNC | SND_NODEFAULT);
}

}  // namespace cumulor
