#include "cumulor/data/task/task_gates.h"

#include <cmath>

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

constexpr double kTwoPi = 2 * M_PI;
constexpr double kDegreesPerRadian = 57.2957795131;

struct CrossingState {
  bool outside = true;
  bool armed = false;
  std::int32_t rel1 = 0;
  std::int32_t rel2 = 0;
};
struct RecrossingState {
  bool outside = true;
  std::int32_t rel1 = 0;
  std::int32_t rel2 = 0;
};
CrossingState crossing;
RecrossingState recrossing;
WCHAR alternateStart[kAlternateStartTextSize] = {};

double Wrap(double radians) {
  double r = std::fmod(radians, kTwoPi);
  if (r < 0) r += kTwoPi;
  return r;
}

// A gate line across `point`: theta is the direction in the west-positive sense of GeoDestination.
void ComputeGate(Gate& gate, const GeoPoint& point, std::int32_t width, double theta) {
  const std::uint32_t half = static_cast<std::uint32_t>(width > 0 ? width / 2 : 0);
  const double a = Wrap(theta - M_PI / 2);
  const double b = Wrap(theta + M_PI / 2);
  GeoDestination(point.lon, point.lat, half, a, gate.end1);
  GeoDestination(point.lon, point.lat, half, b, gate.end2);
  gate.bearing1 = Wrap(kTwoPi - a);
  gate.bearing2 = Wrap(kTwoPi - b);
}

// Gate direction for a line rule: across the leg from `before` to `point`, or along the bearing.
void ComputeLineGate(Gate& gate, const TaskRule& rule, const GeoPoint& before, const GeoPoint& point,
                     bool legFromBefore) {
  double theta = 0;
  if (rule.type == kGateLine) {
    double c = 0;
    if (legFromBefore) {
      GeoBearing(c, before, point);
    } else {
      GeoBearing(c, point, before);
    }
    theta = kTwoPi - c;
  } else {
    theta = (90.0 - rule.bearing) * M_PI / 180.0;
  }
  ComputeGate(gate, point, rule.width, theta);
}

void WidenName(const char* name) {
  int i = 0;
  if (name != nullptr) {
    for (; name[i] != '\0' && i < kAlternateStartTextSize - 1; ++i) {
      alternateStart[i] = static_cast<WCHAR>(static_cast<unsigned char>(name[i]));
    }
  }
  alternateStart[i] = 0;
}

bool IsValid(const TaskPoint& p) { return PointRefIsValid(PointRef{p.kind, p.index}); }

}  // namespace

Gate& StartGate() {
  static Gate gate;
  return gate;
}

Gate& FinishGate() {
  static Gate gate;
  return gate;
}

const WCHAR* AlternateStartText() { return alternateStart; }

std::int32_t RelativeDegrees(double radians) {
  std::int32_t degrees = static_cast<std::int32_t>(std::fmod(radians * kDegreesPerRadian, 360.0));
  if (degrees > 180) degrees -= 360;
  if (degrees <= -180) degrees += 360;
  return degrees;
}

void ComputeStartFinishGates() {
  const TaskRules& rules = Rules();
  // The whole task in flying order: the achieved points (most recent first) reversed, then the
  // active task.
  DynArray<TaskPoint> whole;
  CopyTaskReversed(whole, AchievedList());
  if (whole.Append(ActiveTask().Data(), ActiveTask().Size()) != S_OK) return;
  if (whole.Size() >= 2) {
    const TaskRule& start = rules.rule[kRuleStart];
    if (start.type == kGateTwoStarts) {
      alternateStart[0] = 0;
      if (IsValid(start.pointA) && IsValid(start.pointB)) {
        WidenName(PointRefName(PointRef{start.pointB.kind, start.pointB.index}));
      }
    } else if (start.type == kGateLine || start.type == kGateBearingLine) {
      ComputeLineGate(StartGate(), start, PointRefPosition(whole[1]), PointRefPosition(whole[0]), false);
    }
    const TaskRule& finish = rules.rule[kRuleFinish];
    if (finish.type == kGateLine || finish.type == kGateBearingLine) {
      // The finish is the task's last point and the point before it the one flown just before,
      // also once the active task holds fewer than two points.
      const std::int32_t n = whole.Size();
      ComputeLineGate(FinishGate(), finish, PointRefPosition(whole[n - 2]), PointRefPosition(whole[n - 1]), true);
    }
  }
  TaskSetZoneRadius(3000, rules.rule[kRuleOnTask].width);
}

bool CheckStartLineCrossing(GeoPoint own, std::uint32_t distance, const GeoPoint* start) {
  const std::int32_t width = Rules().rule[kRuleStart].width;
  if (start == nullptr || static_cast<std::int64_t>(distance) > width / 2) {
    crossing.outside = true;
    crossing.armed = false;
    return false;
  }
  double beta = 0;
  GeoBearing(beta, own, *start);
  if (crossing.outside) {
    crossing.outside = false;
    return false;
  }
  const Gate& gate = StartGate();
  const std::int32_t rel1 = RelativeDegrees(gate.bearing2 - beta);
  const bool hit = rel1 >= 1 && rel1 <= 89 && crossing.rel1 <= 0 && crossing.armed;
  crossing.rel1 = rel1;
  const std::int32_t rel2 = RelativeDegrees(beta - gate.bearing1);
  if (rel2 >= 1 && rel2 <= 89 && crossing.rel2 <= 0 && crossing.armed) return true;
  crossing.rel2 = rel2;
  crossing.armed = true;
  return hit;
}

bool CheckStartLineRecrossing(GeoPoint own, std::uint32_t distance, const GeoPoint* start) {
  if (start == nullptr || distance > 60000) {
    recrossing.outside = true;
    return false;
  }
  double beta = 0;
  GeoBearing(beta, own, *start);
  if (recrossing.outside) {
    recrossing.outside = false;
    return false;
  }
  const Gate& gate = StartGate();
  const std::int32_t rel1 = RelativeDegrees(gate.bearing2 - beta);
  if (rel1 >= -89 && rel1 <= 0 && recrossing.rel1 > 0) return true;
  recrossing.rel1 = rel1;
  const std::int32_t rel2 = RelativeDegrees(beta - gate.bearing1);
  if (rel2 >= -89 && rel2 <= 0 && recrossing.rel2 > 0) return true;
  recrossing.rel2 = rel2;
  return false;
}

void ResetStartLineChecks() {
  crossing = CrossingState{};
  recrossing = RecrossingState{};
}

}  // namespace cumulor
