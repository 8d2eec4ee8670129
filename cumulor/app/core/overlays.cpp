#include "cumulor/app/core/overlays.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/map_paint.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/target_select.h"
#include "cumulor/data/dialogs/start_finish_zones.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/draw/airspace_styles.h"
#include "cumulor/map/labels/label_placer.h"
#include "cumulor/map/draw/map_airspace_draw.h"
#include "cumulor/map/draw/map_marks.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/draw/map_shapes.h"
#include "cumulor/map/layers/task_draw.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr double kQuarterTurn = 1.5707963267948954;  // the sector symbol's opening
constexpr std::int32_t kSymbolZoomLimit = 51;        // km: sector symbols and gates below this

std::int32_t ZoomScale(const AppContext& app) {
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  return kZoomTable[level];
}

// The file airspace the alarms hold as the current one, or null.
const AirspaceShape* CurrentAlarmShape(AppContext& app, bool& highlighting) {
  std::lock_guard guard(app.pendingAlarmLock);
  highlighting = app.pendingAlarm.has_value();
  return app.pendingAlarm ? AirspaceFindShape(app.airspace, app.pendingAlarm->shape) : nullptr;
}

// Posts the see-through notice once per airspace load (the UI thread shows it).
void PostTransparentNotice(AppContext& app) {
  const std::uint32_t load = app.airspace.loadNumber + 1;  // 0 stands for "never shown"
  if (app.screen.transparentNoticeLoad.exchange(load) == load) return;
  if (app.mainWindow) PostMessageW(app.mainWindow, kMsgTransparentNotice, 0, 0);
}

void AppendLabel(void* context, const TaskPoint& point, const RECT& square) {
  if (LabelEntry* e = LabelAppend(*static_cast<LabelList*>(context), point)) e->rect = square;
}

void DrawZone(AppContext& app, HDC dc, const TaskPoint& point, bool current) {
  MapDrawTaskZone(app.map, dc, point, false, current);
  const char* name = PointRefName(PointRef{point.kind, point.index});
  MapDrawPointLabel(app.map, dc, point, name ? name : "", current, AppendLabel, &FrameLabels());
}

// The sector symbol of active point i (not an area).
void DrawSectorSymbol(AppContext& app, HDC dc, const DynArray<TaskPoint>& task, std::int32_t i) {
  const TaskRule& rule = Rules().rule[kRuleOnTask];
  const GeoPoint turn = PointRefPosition(task[i]);
  const MapPalette& p = MapPens();
  HGDIOBJ oldBrush = SelectObject(dc, p.stockLightGrey);
  HGDIOBJ oldPen = SelectObject(dc, app.map.largeScreen ? p.blue[4] : p.blue[2]);
  SelectObject(dc, p.hollow);
  if (rule.type == 2) {
    MapDrawCircle(app.map, dc, turn);
  } else {
    GeoPoint previous{};
    TaskPoint achieved;
    if (i > 0) {
      previous = PointRefPosition(task[i - 1]);
    } else if (GetLastAchievedPoint(achieved)) {
      previous = PointRefPosition(achieved);
    }
    const double bisector = SectorBisector(turn, previous, PointRefPosition(task[i + 1]));
    if (rule.type == 6) {
      MapDrawArc(app.map, dc, turn, bisector);
    } else {
      MapDrawSector(app.map, dc, turn, static_cast<std::uint32_t>(rule.width > 0 ? rule.width : 0), bisector,
                    kQuarterTurn);
    }
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

}  // namespace

namespace {

// Rectangles of the back buffer kept aside while the file airspaces are drawn over them.
class KeptRects {
 public:
  bool Save(HDC from, const std::vector<RECT>& rects, const RECT& screen) {
    const int w = screen.right, h = screen.bottom;
    if (w <= 0 || h <= 0) return false;
    if (!dc_ || w != width_ || h != height_) {
      if (dc_) {
        SelectObject(dc_, replaced_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
      }
      dc_ = CreateCompatibleDC(from);
      bitmap_ = dc_ ? CreateCompatibleBitmap(from, w, h) : nullptr;
      if (!bitmap_) {
        if (dc_) DeleteDC(dc_);
        dc_ = nullptr;
        return false;
      }
      replaced_ = SelectObject(dc_, bitmap_);
      width_ = w;
      height_ = h;
    }
    for (const RECT& k : rects) {
      const RECT r = OnBuffer(k);
      if (r.right > r.left && r.bottom > r.top)
        BitBlt(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top, SRCCOPY);
    }
    return true;
  }
  void Restore(HDC to, const std::vector<RECT>& rects) const {
    for (const RECT& k : rects) {
      const RECT r = OnBuffer(k);
      if (r.right > r.left && r.bottom > r.top)
        BitBlt(to, r.left, r.top, r.right - r.left, r.bottom - r.top, dc_, r.left, r.top, SRCCOPY);
    }
  }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ replaced_ = nullptr;
  int width_ = 0, height_ = 0;

  RECT OnBuffer(const RECT& r) const {
    return RECT{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, width_),
                std::min<LONG>(r.bottom, height_)};
  }
};

// Kept for the life of the process, as the back buffer is (never destroyed at exit).
KeptRects& KeptPixels() {
  static KeptRects* kept = new KeptRects;
  return *kept;
}

}  // namespace

std::int32_t DrawFileAirspaces(AppContext& app, bool labels) {
  HDC dc = app.map.dc;
  if (!dc) return 0;
  AirspaceModule& module = app.airspace;
  const std::int32_t scale = ZoomScale(app);
  const bool xorMode = FixOption(3, 0);  // "See through"
  bool highlighting = false;
  const AirspaceShape* alarm = CurrentAlarmShape(app, highlighting);
  HPEN blackPen = MapPens().black[1];

  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const int oldRop = xorMode ? SetROP2(dc, R2_XORPEN) : 0;
  HGDIOBJ oldPen = SelectObject(dc, blackPen);
  HGDIOBJ oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
  const COLORREF oldText = GetTextColor(dc);

  // The point symbols and every label placed before the areas stay readable: their rectangles
  // are put back as they were once the areas are drawn (a clip of them made every fill slow).
  const std::vector<RECT>* kept =
      app.map.labelPlacer && !app.map.labelPlacer->kept.empty() ? &app.map.labelPlacer->kept : nullptr;
  const bool keptSaved = kept && KeptPixels().Save(dc, *kept, app.map.screen);

  std::array<std::pair<std::int32_t, AirspaceShape*>, kMaxTransparentAirspaces> transparent{};
  std::int32_t collected = 0;
  std::vector<AirspaceShape*> labelled;
  for (std::int32_t g = 1; g < module.groupCount && g < kAirspaceGroupCount; ++g) {
    AirspaceClassGroup& group = module.group[g];
    if (!group.enabled || group.shapes.empty()) continue;
    SetTextColor(dc, group.labelColour);
    if (HBRUSH brush = AirspaceFillBrush(group.fill)) SelectObject(dc, brush);
    const HPEN pen = AirspaceOutlinePen(group.outline);
    SelectObject(dc, pen ? pen : blackPen);
    for (AirspaceShape& shape : group.shapes) {
      if (!shape.inView) continue;
      if (shape.transparent) {
        // Further see-through shapes beyond the limit are left out; everything else is drawn.
        if (collected < kMaxTransparentAirspaces) {
          transparent[collected++] = {g, &shape};
          if (collected == kMaxTransparentAirspaces) PostTransparentNotice(app);
        }
        continue;
      }
      if (scale > shape.zoomLimit) continue;
      MapDrawLabelledPolygon(app.map, dc, g, shape, false, xorMode, highlighting && &shape == alarm);
      labelled.push_back(&shape);
    }
    if (g == kGroupSector) SelectObject(dc, blackPen);
  }

  SelectObject(dc, blackPen);
  if (collected > 0) {
    SelectObject(dc, MapPens().hollow);
    const int rop = SetROP2(dc, R2_XORPEN);
    for (std::int32_t i = 0; i < collected; ++i) {
      AirspaceShape& shape = *transparent[i].second;
      if (scale > shape.zoomLimit) continue;
      MapDrawLabelledPolygon(app.map, dc, 0, shape, false, true, &shape == alarm);
      labelled.push_back(&shape);
    }
    SetROP2(dc, rop);
  }
  if (keptSaved) KeptPixels().Restore(dc, *kept);
  // The labels over every area, so that no area drawn later covers one.
  if (labels)
    for (AirspaceShape* shape : labelled) MapDrawAirspaceLabels(app.map, dc, *shape);
  SelectObject(dc, MapPens().stockGrey);
  if (xorMode) SetROP2(dc, oldRop);
  SetTextColor(dc, 0);
  (void)oldText;
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  SetBkMode(dc, oldMode);
  return collected;
}

void DrawTaskOverlay(AppContext& app) {
  HDC dc = app.map.dc;
  if (!dc) return;
  DynArray<TaskPoint>& task = ActiveTask();
  const DynArray<TaskPoint>& achieved = AchievedList();
  const std::int32_t scale = ZoomScale(app);

  // 1. The cone icon at the left edge while cones are on.
  if (!task.Empty() && KeptSettings().coneEnabled) {
    if (HICON cone = TaskDrawing().coneImage) DrawIconEx(dc, 0, app.screen.iconRow, cone, 32, 32, 0, nullptr, DI_NORMAL);
  }
  // 2. Achieved areas.
  for (std::int32_t i = 0; i < achieved.Size(); ++i)
    if (achieved[i].maxRadius != 0) DrawZone(app, dc, achieved[i], false);
  // 3. Active points: areas, and the sector symbols of turnpoints.
  for (std::int32_t i = 0; i < task.Size(); ++i) {
    const TaskPoint& point = task[i];
    if (!PointRefIsValid(PointRef{point.kind, point.index})) {
      ClearActiveTask();
      app.screen.fewPoints = 1;
      return;
    }
    if (point.maxRadius != 0) {
      DrawZone(app, dc, point, i == 0);
      continue;
    }
    const bool skip = (i == 0 && achieved.Empty()) || scale >= kSymbolZoomLimit || i == task.Size() - 1 ||
                      task.Size() < 2;
    if (!skip) DrawSectorSymbol(app, dc, task, i);
  }
  // 4. Gates, labels and the task length.
  app.screen.fewPoints = task.Size() < 2 ? 1 : 0;
  if (scale < kSymbolZoomLimit) DrawStartFinishZones(app.map, dc, app.map.largeScreen != 0);
  ComputeFaiSectors();
  DrawFaiTaskLabel(app.map, dc, AppLabelSettings(app));
  // 5. A go-to target: its line to the map centre, and nothing more.
  TaskPoint gotoTarget;
  if (GetGotoTarget(gotoTarget) && PointRefIsValid(PointRef{gotoTarget.kind, gotoTarget.index})) {
    MapDrawLine(app.map, dc, PointRefPosition(gotoTarget), app.mapCentre, true);
    return;
  }
  // 6. The legs, the achieved legs, the line to the current target position and to the target.
  if (task.Empty()) return;
  for (std::int32_t i = 1; i < task.Size(); ++i)
    MapDrawLine(app.map, dc, PointRefPosition(task[i - 1]), PointRefPosition(task[i]), false);
  for (std::int32_t i = 1; i < achieved.Size(); ++i)
    MapDrawLine(app.map, dc, PointRefPosition(achieved[i - 1]), PointRefPosition(achieved[i]), false);
  const GeoPoint current = Targets().current;
  if (current.lon != 0 || current.lat != 0) MapDrawLine(app.map, dc, PointRefPosition(task[0]), current, false);
  if (PointRefIsValid(PointRef{app.navTarget.kind, app.navTarget.index})) {
    HGDIOBJ oldPen = SelectObject(dc, MapPens().red[2]);
    MapDrawWorldLine(app.map, dc, PointRefPosition(app.navTarget), app.mapCentre);
    SelectObject(dc, oldPen);
  } else {
    app.navTarget = TaskPoint{};
    SelectTargetPoint(app);
  }
}

}  // namespace cumulor
