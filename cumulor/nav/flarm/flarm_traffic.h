// The FLARM status (the most important alarm) and the traffic table's slots, as the sentence
// parsers fill them and the map draws them.
#pragma once

#include <cstdint>
#include <mutex>

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct FlarmStatus {
  std::uint32_t lastUpdate = 0;        // tick of the last status sentence
  std::int32_t receive = 0;
  std::int32_t transmit = 0;
  std::int32_t gps = 0;
  std::int32_t power = 0;
  std::int32_t relativeBearing = 0;    // degrees, -180..180
  std::int32_t relativeVertical = 0;   // metres; negative: below
  std::int32_t relativeDistance = 0;   // metres
  std::int32_t alarmLevel = 0;         // 0..3
  std::int32_t alarmType = 0;          // 2: aircraft alarm
  GeoPoint position;                   // computed target position
  std::uint8_t valid = 0;
};

inline constexpr int kFlarmTrackPoints = 5;
inline constexpr int kFlarmSlots = 20;

struct FlarmScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct FlarmTarget {
  std::uint32_t lastSeen = 0;          // 0: a free slot
  std::int32_t alarmLevel = 0;
  GeoPoint positions[kFlarmTrackPoints];  // newest first
  FlarmScreenPoint screen[kFlarmTrackPoints];
  std::int32_t positionCount = 0;      // 0..5
  std::int32_t distance = 0;           // metres
  std::int32_t relativeVertical = 0;
  std::int32_t idType = 0;
  std::int32_t track = 0;              // degrees
  std::int32_t aircraftType = 0;
  char id[7] = {};
  float turnRate = 0.0f;
  float groundSpeed = 0.0f;
  float climbRate = 0.0f;
  std::uint8_t valid = 0;
  std::uint8_t noTrack = 0;
};

struct GpsPort;

// The program-wide traffic: status, the 20 slots and the voice files. The parsers write it on the
// GPS input thread and the frame render reads and ages it on another: both hold `lock`, briefly.
struct FlarmTraffic {
  std::mutex lock;
  FlarmStatus status;
  FlarmTarget slots[kFlarmSlots];
  WCHAR voices[10][65] = {};
  std::uint8_t demo = 0;               // the demonstration alarm of the FLARM dialog is on
  std::uint8_t alarmed = 0;            // an alarm has played (lastAlarm is valid)
  DWORD lastAlarm = 0;                 // tick of the last alarm played
};
FlarmTraffic& Flarm();

// Status not valid, every slot free, the voice table filled.
void FlarmInit();
// PFLAU: the status and the most important alarm; the alarm target's position from the own
// position, track and the relative bearing and distance.
void ParsePFLAU(GpsPort& gps);
// PFLAA: one aircraft, placed by its north and east offsets from the own position; ignored while
// the own position is not valid.
void ParsePFLAA(GpsPort& gps);
// The slot of that id (its history moved one place), else a free slot, else the slot seen longest
// ago, cleared. The caller holds the traffic lock.
FlarmTarget& FlarmFindOrAddTarget(FlarmTraffic& traffic, const char* id);
// The voice alarm for the status: nothing unless the relative bearing is within -74..75; at most
// once in 4000 ms; "Alarm1.wav" (target below) or "Alarm2.wav" played to its end, then the voice
// of the bearing's sector.
void FlarmAlarm(const FlarmStatus& status);
// Plays voice `index` (0..9) without waiting.
void FlarmPlayVoice(std::int32_t index);
// The voice of a relative bearing and vertical: sector 0..4 (10 to 2 o'clock), plus 5 below; -1
// outside -74..75 degrees.
std::int32_t FlarmVoiceIndex(std::int32_t relativeBearing, std::int32_t relativeVertical);

inline constexpr DWORD kFlarmTargetLifeMs = 120000;
inline constexpr DWORD kFlarmAlarmGapMs = 4000;

}  // namespace cumulor
