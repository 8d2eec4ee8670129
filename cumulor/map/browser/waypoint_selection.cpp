#include "cumulor/map/browser/waypoint_selection.h"

#include <cstring>

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

// The selection as it was chosen: its kind and, for an airport, its code.
struct RememberedSelection {
  std::int32_t kind = 0;
  char code[sizeof AirportRecord::code + 1] = {};
};

// One remembered selection per browser category 1 to 3 (slot 0 unused).
constexpr std::int32_t kCategories = 4;
std::int32_t g_category = 1;

bool CategoryRemembers() { return g_category >= 1 && g_category < kCategories; }

RememberedSelection& Remembered() {
  static RememberedSelection remembered[kCategories];
  return remembered[CategoryRemembers() ? g_category : 0];
}

bool SameCode(const char* a, const char* b) { return std::strncmp(a, b, sizeof AirportRecord::code) == 0; }


constexpr std::uint32_t kFlagAirport = 0x2;
constexpr std::uint32_t kFlagLandable = 0x8;
constexpr std::uint32_t kFlagNotLandable = 0x400;

}  // namespace

TaskPoint PointAtRecord(std::int32_t kind, std::int32_t index) {
  TaskPoint point;
  point.kind = kind;
  point.index = index;
  const GeoPoint at = PointRefRecordPosition(PointRef{kind, index});
  point.lon = at.lon;
  point.lat = at.lat;
  return point;
}

void FixGotoTargetReference(const std::function<void(TaskPoint&)>& fix) {
  GotoTargetRecord& target = Target();
  if (!target.valid) return;
  fix(target.point);
  if (target.point.kind == 0) target.valid = 0;
}

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

void EndGotoTargetPurpose() { Target().purpose = kBrowsePurposeNone; }

void SetBrowserCategory(std::int32_t category) { g_category = category; }

void SetSelectedPoint(const TaskPoint& point) {
  HomePoint() = PointAtRecord(point.kind, point.index);
  if (!CategoryRemembers()) return;
  RememberedSelection& remembered = Remembered();
  remembered = RememberedSelection{};
  remembered.kind = point.kind;
  if (point.kind == kPointAirport && PointRefIsValid(PointRef{point.kind, point.index}))
    std::strncpy(remembered.code, AeroData().airports[point.index].code, sizeof AirportRecord::code);
}

void RestoreGotoTarget() {
  const RememberedSelection& remembered = Remembered();
  const TaskPoint& selected = HomePoint();
  const bool valid = PointRefIsValid(PointRef{selected.kind, selected.index});
  const DynArray<AirportRecord>& airports = AeroData().airports;
  if (CategoryRemembers() && remembered.kind == kPointAirport && remembered.code[0] != '\0') {
    if (valid && selected.kind == kPointAirport && SameCode(airports[selected.index].code, remembered.code)) return;
    for (std::int32_t i = 1; i < airports.Size(); ++i) {
      if (SameCode(airports[i].code, remembered.code)) {
        HomePoint() = PointAtRecord(kPointAirport, i);
        return;
      }
    }
    return;
  }
  if (!valid && airports.Size() >= 2) HomePoint() = PointAtRecord(kPointAirport, 1);
}

bool PointIsLandable(const PointRef& ref) {
  if (!PointRefIsValid(ref)) return false;
  if (ref.kind == kPointAirport) return true;
  if (ref.kind != kPointUserWaypoint) return false;
  const std::uint32_t flags = UserWaypoints().records[ref.index].flags;
  return (flags & (kFlagAirport | kFlagLandable)) != 0 && (flags & kFlagNotLandable) == 0;
}

const char* PointCodeText(const PointRef& ref) { return PointRefCode(ref); }

}  // namespace cumulor
