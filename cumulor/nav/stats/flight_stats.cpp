#include "cumulor/nav/stats/flight_stats.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/base/wire.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

constexpr double kMilesPerKm = 0.62137f;

GeoPoint OwnPosition() {
  auto hook = StatsHooksInstalled().ownPosition;
  return hook ? hook() : GeoPoint{};
}

bool MilesShown() {
  auto hook = StatsHooksInstalled().taskSpeedUnit;
  return hook && hook() != 7;
}

// "\KV_Stats.bin" in the data folder.
void StatsPath(WCHAR (&path)[MAX_PATH + 16]) {
  WCHAR folder[MAX_PATH] = {};
  if (auto hook = StatsHooksInstalled().dataFolder) hook(folder);
  folder[MAX_PATH - 1] = 0;
  std::size_t n = 0;
  for (; folder[n] != 0; ++n) path[n] = folder[n];
  const char16_t name[] = u"\\KV_Stats.bin";
  for (std::size_t i = 0; i < sizeof name / sizeof name[0]; ++i) path[n + i] = name[i];
}

void ClearClimb(StatsBlock& s) {
  s.climbCount = s.averageClimb = s.lastClimb = s.climbStartAltitude = s.climbReserved = 0;
}

void WritePoint(ce::wire::Writer& w, const TaskPoint& p) {
  for (std::int32_t v : {p.kind, p.index, p.lon, p.lat, p.minRadius, p.maxRadius}) w.I32(v);
  w.U16(static_cast<std::uint16_t>(p.startRadial));
  w.U16(static_cast<std::uint16_t>(p.endRadial));
}

TaskPoint ReadPoint(ce::wire::Reader& r) {
  TaskPoint p;
  p.kind = r.I32();
  p.index = r.I32();
  p.lon = r.I32();
  p.lat = r.I32();
  p.minRadius = r.I32();
  p.maxRadius = r.I32();
  p.startRadial = static_cast<std::int16_t>(r.U16());
  p.endRadial = static_cast<std::int16_t>(r.U16());
  return p;
}

// Elapsed seconds of the running climb.
std::int32_t ClimbSeconds(StatsBlock& s) {
  if (s.replayTime) return s.replaySeconds - s.replaySecondsAtClimbStart;
  return static_cast<std::int32_t>((GetTickCount() - s.climbStartTick) / 1000);
}

}  // namespace

StatsHooks& StatsHooksInstalled() {
  static StatsHooks hooks;
  return hooks;
}

double DisplaySpeed(double kmh) { return MilesShown() ? kmh * kMilesPerKm : kmh; }
const char* DisplaySpeedUnit() { return MilesShown() ? "mph" : "km/h"; }

std::uint32_t StatsNow(StatsBlock& stats) {
  if (!stats.replayTime) return GetTickCount();
  const StatsHooks& hooks = StatsHooksInstalled();
  if (hooks.replayFixTimes && hooks.replayFixTimes())
    return (hooks.fixTimeOfDay ? hooks.fixTimeOfDay() : 0) * 1000u;
  return static_cast<std::uint32_t>(stats.replaySeconds.load()) * 1000u;
}

void InitStatsTable(StatsBlock& stats) {
  Guard guard(stats.lock);
  for (StatsRecord& r : stats.records) r = StatsRecord{};
  stats.climbStartTick = 0;
  stats.replaySeconds = 0;
  stats.replaySecondsAtClimbStart = 0;
  stats.replayTime = 0;
  ResetStatsRecord(stats);
}

void ResetStatsRecord(StatsBlock& stats) {
  Guard guard(stats.lock);
  ClearClimb(stats);
  stats.count = 0;
  stats.finished = 0;
  stats.climbStartTick = 0;
  stats.totalDistance = 0;
  stats.totalTime = 0;
  stats.lastPoint = TaskPoint{};
  GetLocalTime(&stats.startTime);
}

void ClearClimbStats(StatsBlock& stats) {
  Guard guard(stats.lock);
  ClearClimb(stats);
}

void StartClimb(StatsBlock& stats, std::int32_t altitude) {
  Guard guard(stats.lock);
  stats.climbStartAltitude = altitude;
  const DWORD tick = GetTickCount();
  stats.climbStartTick = tick != 0 ? tick : 1;  // 0 means no climb
  stats.replaySecondsAtClimbStart = stats.replaySeconds;
}

void EndClimb(StatsBlock& stats, std::int32_t altitude) {
  Guard guard(stats.lock);
  if (stats.climbStartTick == 0) return;
  const std::int32_t seconds = ClimbSeconds(stats);
  if (seconds >= 60 && altitude > stats.climbStartAltitude) {
    const float rate = static_cast<float>(altitude - stats.climbStartAltitude) / static_cast<float>(seconds);
    stats.lastClimb = RoundToInt(rate * 100.0);
    if (stats.climbCount == 0) {
      stats.averageClimb = stats.lastClimb;
    } else {
      stats.averageClimb += (stats.lastClimb - stats.averageClimb) / (stats.climbCount + 1);
    }
    ThermalMaxClimb(rate);
    ++stats.climbCount;
  }
  stats.climbStartTick = 0;
  stats.climbStartAltitude = 0;
}

HRESULT CurrentClimbRate(StatsBlock& stats, std::int32_t altitude, std::int32_t& out) {
  Guard guard(stats.lock);
  if (stats.climbStartTick == 0) return E_FAIL;
  const std::int32_t seconds = ClimbSeconds(stats);
  out = seconds <= 4 ? 0 : (altitude - stats.climbStartAltitude) * 100 / seconds;
  return S_OK;
}

void RecordTaskPoint(StatsBlock& stats, const TaskPoint& p) {
  Guard guard(stats.lock);
  if (p.kind == stats.lastPoint.kind && p.index == stats.lastPoint.index) return;
  const TaskRules& rules = Rules();
  std::int32_t correction = 0;
  const std::int32_t startType = rules.rule[kRuleStart].type;
  if (stats.count == 1 && (startType == 2 || startType == 3)) correction += rules.rule[kRuleStart].width;
  if (stats.count > 0) correction += rules.rule[kRuleOnTask].width;
  stats.lastPoint = p;

  if (stats.count == 0) {
    ResetStatsRecord(stats);
    stats.lastPoint = p;  // the reset cleared it; repeats of the start stay ignored
    StatsRecord& start = stats.records[0];
    start = StatsRecord{};
    start.point = p;
    start.position = PointRefRecordPosition(PointRef{p.kind, p.index});
    start.time = StatsNow(stats);
    stats.count = 1;
    SaveStatsFile(stats);
    return;
  }
  if (stats.count >= kStatsRecords) return;

  const std::int32_t r = stats.count;
  StatsRecord& rec = stats.records[r];
  const StatsRecord& previous = stats.records[r - 1];
  rec.point = p;
  rec.time = StatsNow(stats);
  rec.legTime = static_cast<std::int32_t>(rec.time - previous.time);
  if (p.maxRadius == 0) {
    rec.position = PointRefRecordPosition(PointRef{p.kind, p.index});
    const std::int64_t d = static_cast<std::int64_t>(GeoDistance(rec.position, previous.position)) - correction;
    // Points closer together than the rule sizes fly a leg of 0, never a negative one.
    rec.legDistance = d > 0 ? static_cast<std::int32_t>(d) : 0;
  } else {
    rec.position = OwnPosition();
    rec.legDistance = static_cast<std::int32_t>(GeoDistance(rec.position, previous.position));
  }
  // A leg time of 0 (or a clock that went back) gives no speed.
  rec.legSpeed = rec.legTime > 0 ? static_cast<float>(rec.legDistance * 3600.0) / static_cast<float>(rec.legTime) : 0.0f;
  stats.totalDistance += static_cast<std::uint32_t>(rec.legDistance);
  stats.totalTime += static_cast<std::uint32_t>(rec.legTime);
  ++stats.count;
  if (stats.count < kStatsRecords) {
    StatsRecord& next = stats.records[stats.count];
    next.legDistance = 0;
    next.time = 0;
    next.legTime = 0;
    next.reserved[0] = next.reserved[1] = 0;
    next.legSpeed = 0.0f;
  }
  SaveStatsFile(stats);
}

void SumLegStats(StatsBlock& stats) {
  Guard guard(stats.lock);
  if (stats.count <= 1 || stats.count >= kStatsRecords) return;
  std::int64_t distance = 0;
  std::int64_t time = 0;
  for (std::int32_t i = 1; i < stats.count; ++i) {
    distance += stats.records[i].legDistance;
    time += stats.records[i].legTime;
  }
  StatsRecord& summary = stats.records[stats.count];
  summary.legDistance = static_cast<std::int32_t>(distance);
  summary.legTime = static_cast<std::int32_t>(time);
  summary.legSpeed = time > 0 ? static_cast<float>(static_cast<double>(distance) * 3600.0 / static_cast<double>(time)) : 0.0f;
  stats.finished = 1;
}

void StatsToFileBytes(const StatsBlock& stats, std::uint8_t (&bytes)[kStatsFileSize]) {
  ce::wire::Writer w;
  w.I32(stats.count);
  for (const StatsRecord& r : stats.records) {
    WritePoint(w, r.point);
    w.I32(r.position.lon);
    w.I32(r.position.lat);
    w.I32(r.legDistance);
    w.U32(r.time);
    w.I32(r.legTime);
    w.I32(r.reserved[0]);
    w.I32(r.reserved[1]);
    w.U32(std::bit_cast<std::uint32_t>(r.legSpeed));
  }
  std::memcpy(bytes, w.bytes().data(), kStatsFileSize);
}

void StatsFromFileBytes(StatsBlock& stats, const std::uint8_t* bytes, std::size_t size) {
  Guard guard(stats.lock);
  if (size < 4) return;
  ce::wire::Reader r(bytes, size);
  std::int32_t count = r.I32();
  if (count < 0 || count > kStatsRecords) count = 0;
  const std::size_t whole = (size - 4) / kStatsRecordSize;
  const std::int32_t available = static_cast<std::int32_t>(whole < kStatsRecords ? whole : kStatsRecords);
  for (std::int32_t i = 0; i < available; ++i) {
    StatsRecord& rec = stats.records[i];
    rec.point = ReadPoint(r);
    rec.position.lon = r.I32();
    rec.position.lat = r.I32();
    rec.legDistance = r.I32();
    rec.time = r.U32();
    rec.legTime = r.I32();
    rec.reserved[0] = r.I32();
    rec.reserved[1] = r.I32();
    rec.legSpeed = std::bit_cast<float>(r.U32());
  }
  stats.count = count < available ? count : available;
}

void SaveStatsFile(StatsBlock& stats) {
  Guard guard(stats.lock);
  std::uint8_t bytes[kStatsFileSize];
  StatsToFileBytes(stats, bytes);
  WCHAR path[MAX_PATH + 16];
  StatsPath(path);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;  // statistics are then not kept over a restart
  DWORD written = 0;
  WriteFile(file, bytes, kStatsFileSize, &written, nullptr);
  CloseHandle(file);
}

void LoadStatsFile(StatsBlock& stats) {
  WCHAR path[MAX_PATH + 16];
  StatsPath(path);
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::uint8_t bytes[kStatsFileSize];
  std::size_t have = 0;
  while (have < sizeof bytes) {
    DWORD got = 0;
    if (!ReadFile(file, bytes + have, static_cast<DWORD>(sizeof bytes - have), &got, nullptr) || got == 0) break;
    have += got;
  }
  CloseHandle(file);
  if (have >= 4) StatsFromFileBytes(stats, bytes, have);
}

void DeleteStatsFile() {
  WCHAR path[MAX_PATH + 16];
  StatsPath(path);
  DeleteFileW(path);
}

bool LegSpeedNow(StatsBlock& stats, const GeoPoint& position, double& speed, std::uint32_t& distance) {
  Guard guard(stats.lock);
  if (stats.count == 0) return false;
  const StatsRecord& last = stats.records[stats.count - 1];
  const std::uint32_t elapsed = StatsNow(stats) - last.time;
  if (elapsed == 0) return false;
  distance = GeoDistance(last.position, position);
  speed = distance * 1000.0 / elapsed;
  return true;
}

void FormatCurrentLegSpeed(StatsBlock& stats, const GeoPoint& position, char (&out)[32]) {
  Guard guard(stats.lock);
  out[0] = 0;
  if (stats.count == 0) return;
  const StatsRecord& last = stats.records[stats.count - 1];
  const std::uint32_t elapsed = StatsNow(stats) - last.time;
  const std::uint32_t distance = GeoDistance(last.position, position);
  if (elapsed == 0 || distance == 0) return;
  std::snprintf(out, sizeof out, "%.1f", DisplaySpeed(distance * 3600.0 / elapsed));
}

bool TaskSpeedNow(StatsBlock& stats, const GeoPoint& position, double* speed, char (*text)[32]) {
  Guard guard(stats.lock);
  if (speed) *speed = 0.0;
  if (text) (*text)[0] = 0;
  if (stats.count == 0) return false;
  const StatsRecord& last = stats.records[stats.count - 1];
  const std::uint32_t elapsed = StatsNow(stats) - last.time;
  if (elapsed == 0) return false;
  double distance = 0.0;
  double time = 0.0;
  for (std::int32_t i = 1; i < stats.count; ++i) {
    distance += stats.records[i].legDistance;
    time += stats.records[i].legTime;
  }
  distance += GeoDistance(last.position, position);
  time += elapsed;
  if (time <= 0.0) return false;
  if (speed) *speed = distance * 1000.0 / time;
  if (text) std::snprintf(*text, sizeof *text, "%.1f", DisplaySpeed(distance * 3600.0 / time));
  return true;
}

void FormatTotalSpeed(StatsBlock& stats, char (&out)[40]) {
  Guard guard(stats.lock);
  out[0] = 0;
  if (stats.totalTime == 0) return;
  std::snprintf(out, sizeof out, "%.2f %s", DisplaySpeed(stats.totalDistance * 3600.0 / stats.totalTime), DisplaySpeedUnit());
}

}  // namespace cumulor
