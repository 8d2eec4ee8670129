#include "cumulor/data/dialogs/start_finish_zones.h"

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/draw/map_shapes.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

constexpr double kQuarterTurn = 1.5707963267948954;

void DrawZone(MapView& view, HDC dc, const TaskRule& rule, const Gate& gate, const GeoPoint& at, const GeoPoint& from) {
  switch (rule.type) {
    case kGateSector90: {
      double direction = 0;
      GeoBearing(direction, from, at);
      MapDrawSector(view, dc, at, static_cast<std::uint32_t>(rule.width > 0 ? rule.width : 0), direction, kQuarterTurn);
      break;
    }
    case kGateCylinder:
    case kGateTwoStarts: MapDrawZoneCircle(view, dc, at, rule.width); break;
    case kGateLine:
    case kGateBearingLine: MapDrawLegLine(view, dc, gate.end1, gate.end2); break;
    default: break;
  }
}

}  // namespace

void DrawStartFinishZones(MapView& view, HDC dc, bool highResolution) {
  const DynArray<TaskPoint>& active = ActiveTask();
  const DynArray<TaskPoint>& achieved = AchievedList();
  const MapPalette& pens = MapPens();
  const TaskRules& rules = Rules();
  if (achieved.Size() < 2 && active.Size() >= 2) {
    const TaskPoint& start = achieved.Size() == 1 ? achieved[0] : active[0];
    const TaskPoint& firstTurn = achieved.Size() == 1 ? active[0] : active[1];
    HGDIOBJ old = SelectObject(dc, highResolution ? pens.green[2] : pens.green[1]);
    DrawZone(view, dc, rules.rule[kRuleStart], StartGate(), PointRefPosition(start), PointRefPosition(firstTurn));
    SelectObject(dc, old);
  }
  if (!achieved.Empty()) {
    // The whole task in flying order: the finish is its last point, the point before it the one
    // flown before.
    DynArray<TaskPoint> whole;
    for (std::int32_t i = achieved.Size() - 1; i >= 0; --i) whole.Append(achieved[i]);
    for (const TaskPoint& p : active) whole.Append(p);
    if (whole.Size() < 2) return;
    TaskRule rule = rules.rule[kRuleFinish];
    if (rule.type == kGateTwoStarts) rule.type = kGateNone;  // a start rule only
    HGDIOBJ old = SelectObject(dc, highResolution ? pens.red[2] : pens.red[1]);
    DrawZone(view, dc, rule, FinishGate(), PointRefPosition(whole[whole.Size() - 1]), PointRefPosition(whole[whole.Size() - 2]));
    SelectObject(dc, old);
  }
}

}  // namespace cumulor
