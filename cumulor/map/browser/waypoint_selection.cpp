#include "cumulor/map/browser/waypoint_selection.h"

#include "cumulor/data/task/task_store.h"

namespace cumulor {

namespace {

struct GotoTargetRecord {
  TaskPoint point;
  std::uint8_t valid = 0;
  std::int32_t purpose = kBrowsePurposeNone;
};

GotoTargetRecord& Target() {
  static GotoTargetRecord target;
  return target;
}

constexpr std::uint32_t kFlagAirport = 0x2;
constexpr std::uint32_t kFlagLandable = 0x8;
constexpr std::uint32_t kFlagNotLandable = 0x400;

}  // namespace

void SetGotoTarget(const TaskPoint& point) {
  TaskPoint stored;
  stored.kind = point.kind;
  stored.index = point.index;
  stored.lon = point.lon;
  stored.lat = point.lat;
  Target().point = stored;
  Target().valid = 1;
}

void InvalidateGotoTarget() {
  Target().point = TaskPoint{};
  Target().valid = 0;
}

void ClearGotoTarget(std::int32_t purpose) {
  Target().point = TaskPoint{};
  Target().valid = 0;
  Target().purpose = purpose;
}

bool GetGotoTarget(TaskPoint& out) {
  out = Target().point;
  return Target().valid != 0;
}

bool GotoTargetValid() { return Target().valid != 0; }

std::int32_t GotoTargetPurpose() { return Target().purpose; }

void SetSelectedPoint(const TaskPoint& point) {
  TaskPoint home;
  home.kind = point.kind;
  home.index = point.index;
  const GeoPoint at = PointRefRecordPosition(PointRef{point.kind, point.index});
  home.lon = at.lon;
  home.lat = at.lat;
  HomePoint() = home;
}

bool PointIsLandable(const PointRef& ref) {
  if (!PointRefIsValid(ref)) return false;
  if (ref.kind == kPointAirport) return true;
  if (ref.kind != kPointUserWaypoint) return false;
  const std::uint32_t flags = UserWaypoints().records[ref.index].flags;
  return (flags & (kFlagAirport | kFlagLandable)) != 0 && (flags & kFlagNotLandable) == 0;
}

const char* PointCodeText(const PointRef& ref) {
  if (ref.kind == kPointUserWaypoint && PointRefIsValid(ref)) return UserWaypoints().records[ref.index].code;
  return PointRefCode(ref);
}

}  // namespace cumulor
