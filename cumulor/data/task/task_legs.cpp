#include "cumulor/data/task/task_legs.h"

#include <cstring>

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/glide.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

constexpr double kDegreesPerRadian = 57.2957795131;

bool IsValid(const TaskPoint& p) { return PointRefIsValid(PointRef{p.kind, p.index}); }

void ClearNumbers(LegRecord& leg) {
  leg.legDistance = leg.taskDistance = 0;
  leg.trueCourse = leg.magneticCourse = 0;
  leg.legTime = leg.taskTime = leg.arrivalTime = 0;
}

std::int64_t AddTimes(std::int64_t a, std::int64_t b) {
  if (a == kCannotFlyTime || b == kCannotFlyTime) return kCannotFlyTime;
  if (b > 0 && a > kCannotFlyTime - 1 - b) return kCannotFlyTime;
  return a + b;
}

std::uint32_t Reduce(std::uint32_t distance, std::int32_t width) {
  if (width <= 0) return distance;
  return distance > static_cast<std::uint32_t>(width) ? distance - static_cast<std::uint32_t>(width) : 0;
}

void SetCourses(LegRecord& leg, double bearing) {
  leg.trueCourse = RoundToInt(bearing * kDegreesPerRadian);
  std::int32_t magnetic = leg.trueCourse + TaskMagneticVariation();
  if (magnetic >= 360) magnetic -= 360;
  if (magnetic < 0) magnetic += 360;
  leg.magneticCourse = magnetic;
}

std::int64_t NowFileTime(SYSTEMTIME& now) {
  GetLocalTime(&now);
  FILETIME ft{};
  SystemTimeToFileTime(&now, &ft);
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

void CopyText(const WCHAR* text, WCHAR out[kTimeTextSize]) {
  std::size_t i = 0;
  for (; text[i] != 0 && i < kTimeTextSize - 1; ++i) out[i] = text[i];
  out[i] = 0;
}

void NoLegText(WCHAR out[kTimeTextSize]) {
  out[0] = u'-';
  out[1] = u'.';
  out[2] = u'-';
  out[3] = 0;
}

// The text of the first or last leg of the task, or of the direct leg, or "-.-".
void LegText(bool last, bool eta, WCHAR out[kTimeTextSize]) {
  const DynArray<LegRecord>* legs = &TaskLegs();
  if (legs->Empty()) {
    if (!IsValid(DirectTarget()) || DirectLegs().Empty()) {
      NoLegText(out);
      return;
    }
    legs = &DirectLegs();
  }
  const LegRecord& leg = last ? legs->Last() : (*legs)[0];
  CopyText(eta ? leg.arrivalText : leg.taskTimeText, out);
}

}  // namespace

DynArray<LegRecord>& TaskLegs() {
  static DynArray<LegRecord> legs;
  return legs;
}

DynArray<LegRecord>& DirectLegs() {
  static DynArray<LegRecord> legs;
  return legs;
}

std::int32_t& TaskPageSlot() {
  static std::int32_t slot = 0;
  return slot;
}

bool ComputeLegs(const DynArray<TaskPoint>& task, DynArray<LegRecord>& legs, bool fromOwnPosition, LegStyle style) {
  const std::int32_t count = task.Size();
  if (legs.SetSize(count) != S_OK) return false;
  const TaskRules& rules = Rules();
  const bool ellipsoid = style == LegStyle::kTaskPage;
  SYSTEMTIME now{};
  const std::int64_t nowTime = NowFileTime(now);
  for (std::int32_t k = 0; k < count; ++k) {
    LegRecord& leg = legs[k];
    ClearNumbers(leg);
    if (!IsValid(task[k])) {
      for (std::int32_t rest = k + 1; rest < count; ++rest) ClearNumbers(legs[rest]);
      return false;
    }
    const GeoPoint to = PointRefPosition(task[k]);
    if (k == 0) {
      if (!fromOwnPosition) continue;
      const GeoPoint own = TaskOwnPosition();
      const std::uint32_t distance = ellipsoid ? GeoDistanceEllipsoid(own, to) : GeoDistance(own, to);
      double bearing = 0;
      GeoBearing(bearing, own, to);
      SetCourses(leg, bearing);
      leg.legTime = leg.taskTime = TaskTimeToFly(distance, bearing);
      if (!ellipsoid) leg.legDistance = leg.taskDistance = distance;
    } else {
      const GeoPoint from = PointRefPosition(task[k - 1]);
      std::uint32_t distance = ellipsoid ? GeoDistanceEllipsoid(from, to) : GeoDistance(from, to);
      const std::int32_t startType = rules.rule[kRuleStart].type;
      if (k == 1 && (startType == kGateCylinder || startType == kGateTwoStarts)) {
        distance = Reduce(distance, rules.rule[kRuleStart].width);
      }
      if (k == count - 1 && rules.rule[kRuleFinish].type == kGateCylinder) {
        distance = Reduce(distance, rules.rule[kRuleFinish].width);
      }
      double bearing = 0;
      GeoBearing(bearing, from, to);
      SetCourses(leg, bearing);
      leg.legDistance = distance;
      leg.taskDistance = distance + legs[k - 1].taskDistance;
      leg.legTime = TaskTimeToFly(distance, bearing);
      leg.taskTime = AddTimes(leg.legTime, legs[k - 1].taskTime);
    }
    leg.arrivalTime = AddTimes(nowTime, leg.taskTime);
    if (k == 0 || k == count - 1) {
      FormatArrivalText(leg.taskTime, now, leg.arrivalText);
      FormatTimeToFlyText(leg.taskTime, leg.taskTimeText);
    }
  }
  return true;
}

void RecomputeTaskLegs() {
  ComputeLegs(ActiveTask(), TaskLegs(), TaskPageSlot() == kActiveTaskSlot);
  if (IsValid(DirectTarget())) {
    DynArray<TaskPoint> direct;
    if (direct.Append(DirectTarget()) == S_OK) ComputeLegs(direct, DirectLegs(), true);
  }
}

void GetTaskEtaText(WCHAR out[kTimeTextSize]) { LegText(true, true, out); }
void GetNextPointEtaText(WCHAR out[kTimeTextSize]) { LegText(false, true, out); }
void GetTaskEteText(WCHAR out[kTimeTextSize]) { LegText(true, false, out); }
void GetNextPointEteText(WCHAR out[kTimeTextSize]) { LegText(false, false, out); }

}  // namespace cumulor
