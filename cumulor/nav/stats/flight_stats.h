// The flight statistics of a task flight: one record for the start and one per task point
// achieved, with leg distances, times and speeds, the running totals, and the climb statistics of
// the thermals flown. The records survive a restart in "\KV_Stats.bin" in the data folder.
//
// Every operation takes the block's lock, so the notify thread (task progress, climbs), the GPS
// input thread (the instrument's circling bit) and the UI thread (commands, dialog) never see a
// half-written record; the file is written inside the lock by whichever thread changed it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::int32_t kStatsRecords = 17;
inline constexpr std::int32_t kStatsRecordSize = 60;
inline constexpr std::int32_t kStatsFileSize = 4 + kStatsRecords * kStatsRecordSize;

struct StatsRecord {
  TaskPoint point;                 // the achieved point
  GeoPoint position;               // the position used
  std::int32_t legDistance = 0;    // metres, never negative
  std::uint32_t time = 0;          // milliseconds of the time source
  std::int32_t legTime = 0;        // milliseconds
  std::int32_t reserved[2] = {};
  float legSpeed = 0.0f;           // km/h
};

struct StatsBlock {
  std::recursive_mutex lock;
  StatsRecord records[kStatsRecords];  // record 0 the start, record n the n-th point achieved
  std::int32_t count = 0;              // records in use (0: no start yet)
  std::int32_t finished = 0;           // the summary record was written
  std::int32_t climbCount = 0;
  std::int32_t averageClimb = 0;       // hundredths of an altitude unit a second
  std::int32_t lastClimb = 0;
  std::int32_t climbStartAltitude = 0;
  std::int32_t climbReserved = 0;
  std::uint32_t climbStartTick = 0;    // 0: no climb running
  SYSTEMTIME startTime{};              // local time of the last reset
  std::uint32_t totalDistance = 0;     // metres over the achieved legs
  std::uint32_t totalTime = 0;         // milliseconds over the achieved legs
  std::atomic<std::int32_t> replaySeconds{0};   // the replay's seconds clock
  std::int32_t replaySecondsAtClimbStart = 0;
  TaskPoint lastPoint;                 // repeats of it are ignored
  std::atomic<std::int32_t> replayTime{0};      // times come from the replay clock or the fix time
};

// What the statistics read of the application; installed at start-up. Unset hooks give 0, an
// empty folder and km/h.
struct StatsHooks {
  GeoPoint (*ownPosition)() = nullptr;
  // True while the replay drives the clock by fix times; then the current fix's time of day.
  bool (*replayFixTimes)() = nullptr;
  std::uint32_t (*fixTimeOfDay)() = nullptr;
  std::int32_t (*taskSpeedUnit)() = nullptr;   // 7 km/h, others mph
  // The data folder, NUL-terminated, into out (MAX_PATH characters).
  void (*dataFolder)(WCHAR* out) = nullptr;
};
StatsHooks& StatsHooksInstalled();

void InitStatsTable(StatsBlock& stats);
void ResetStatsRecord(StatsBlock& stats);
void ClearClimbStats(StatsBlock& stats);
void StartClimb(StatsBlock& stats, std::int32_t altitude);
void EndClimb(StatsBlock& stats, std::int32_t altitude);
// 0 with the rate (hundredths of a unit a second; 0 within the first 4 s), E_FAIL without a climb.
HRESULT CurrentClimbRate(StatsBlock& stats, std::int32_t altitude, std::int32_t& out);
void RecordTaskPoint(StatsBlock& stats, const TaskPoint& point);
void SumLegStats(StatsBlock& stats);

// The time source in milliseconds: the tick count, the fix time or the replay seconds.
std::uint32_t StatsNow(StatsBlock& stats);

void SaveStatsFile(StatsBlock& stats);
void LoadStatsFile(StatsBlock& stats);
void DeleteStatsFile();
// The file's bytes for the block, and the block from them (count outside 0..17 reads as 0; only
// whole records are taken, and the count never exceeds the records there).
void StatsToFileBytes(const StatsBlock& stats, std::uint8_t (&bytes)[kStatsFileSize]);
void StatsFromFileBytes(StatsBlock& stats, const std::uint8_t* bytes, std::size_t size);

// Speed (m/s) and distance (m) of the leg flown since the last record; false when no record
// exists or no time has passed.
bool LegSpeedNow(StatsBlock& stats, const GeoPoint& position, double& speed, std::uint32_t& distance);
// "%.1f" of the current leg speed in km/h (mph unless the task-speed unit is 7); empty when there
// is none.
void FormatCurrentLegSpeed(StatsBlock& stats, const GeoPoint& position, char (&out)[32]);
// The task speed so far including the current leg: m/s and "%.1f" in the task-speed unit; both
// optional, cleared first; false when there is none.
bool TaskSpeedNow(StatsBlock& stats, const GeoPoint& position, double* speed, char (*text)[32]);
// "%.2f km/h" or "%.2f mph" of the totals; empty when the total time is 0.
void FormatTotalSpeed(StatsBlock& stats, char (&out)[40]);
// A leg speed (km/h) converted for display in the task-speed unit, and that unit's text.
double DisplaySpeed(double kmh);
const char* DisplaySpeedUnit();

}  // namespace cumulor
