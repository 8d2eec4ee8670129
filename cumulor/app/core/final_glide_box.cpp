#include "cumulor/app/core/final_glide_box.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/points/point_texts.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/glide.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "platform/gdi/gdi.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

constexpr std::int64_t kSecond = 10000000;  // 100-ns units
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max() / 4;
constexpr double kFeetPerMetre = 3.2808;

struct Leg {
  GeoPoint from;
  GeoPoint to;
};

bool Valid(const TaskPoint& p) { return PointRefIsValid(PointRef{p.kind, p.index}); }

std::int64_t ToInt64(const FILETIME& ft) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME FromInt64(std::int64_t v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(v) & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(v) >> 32);
  return ft;
}

std::int64_t LocalNow() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ToInt64(ft);
}

// The ETA speed (m/s) of the ETA mode: 0 the speed to fly, 1 the stored speed (task speed, ground
// speed or 100 km/h when none is stored), 2 the leg speed, 3 the task speed, 4 the ground speed,
// 5 none.
double EtaSpeedByMode(AppContext& app, const GpsStatus& status) {
  switch (app.etaMode) {
    case 0: return app.flight.stfSpeedNow.load();
    case 1: {
      if (app.etaSpeed != 0) return app.etaSpeed;
      double task = 0;
      if (TaskSpeedNow(app.stats, status.position, &task, nullptr) && task > 0) return task;
      if (status.groundSpeedMs > 0) return status.groundSpeedMs;
      return 100.0 / 3.6;
    }
    case 2: {
      double speed = 0;
      std::uint32_t distance = 0;
      return LegSpeedNow(app.stats, status.position, speed, distance) ? speed : 0.0;
    }
    case 3: {
      double speed = 0;
      return TaskSpeedNow(app.stats, status.position, &speed, nullptr) ? speed : 0.0;
    }
    case 4: return status.groundSpeedMs;
    default: return 0.0;
  }
}

std::u16string Text(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

void DrawTextIn(HDC dc, const std::u16string& text, RECT box, COLORREF colour) {
  const COLORREF old = SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_LEFT | DT_TOP | DT_NOCLIP);
  SetTextColor(dc, old);
}

// Up to five chevrons 6 pixels apart under the glide line, pointing down (below the glide) or up;
// a ratio beyond +-5 adds a closing bar.
void DrawChevrons(HDC dc, double ratio, POINT centre, double scale) {
  const bool down = ratio < 1.0;
  const double magnitude = std::fabs(ratio);
  const int count = static_cast<int>(std::min(5.0, std::trunc(magnitude)));
  const LONG halfWidth = static_cast<LONG>(5 * scale);
  const LONG depth = static_cast<LONG>(4 * scale);
  const LONG step = static_cast<LONG>(6 * std::max(1.0, scale / 1.5));
  HGDIOBJ oldPen = SelectObject(dc, scale > 1.5 ? MapPens().black[2] : MapSymbolPen(kFinalGlideSymbol));
  LONG y = centre.y + 4;
  for (int i = 0; i < count; ++i, y += step) {
    const LONG tip = down ? y + depth : y;
    const LONG ends = down ? y : y + depth;
    const POINT chevron[3] = {{centre.x - halfWidth, ends}, {centre.x, tip}, {centre.x + halfWidth, ends}};
    Polyline(dc, chevron, 3);
  }
  if (magnitude > 5.0) {
    MoveToEx(dc, centre.x - halfWidth, y, nullptr);
    LineTo(dc, centre.x + halfWidth + 1, y);
  }
  SelectObject(dc, oldPen);
}

void StepAutomaticMacCready(AppContext& app, FinalGlideResult& r) {
  if (!FixOption(1, 10) || !r.drawn || r.areaLast) return;
  const float mc = app.macCready;
  if (r.chevronRatio < 2.0) {
    if (r.shownAltitude < 0 && mc > 0.0f) {
      // Never below 0: a negative MacCready would reach the polar.
      SetMacCready(app, std::max(0.0f, mc - 1.0f));
      PlaySoundAsync(u"Infend.wav");
      r = ComputeFinalGlide(app);
    }
  } else if (mc <= 1.0f) {
    SetMacCready(app, mc + 1.0f);
    FinalGlideResult raised = ComputeFinalGlide(app);
    if (raised.shownAltitude >= 0) {
      PlaySoundAsync(u"Infbeg.wav");
      r = raised;
    } else {
      SetMacCready(app, mc);
      r = ComputeFinalGlide(app);
    }
  }
}

}  // namespace

FinalGlideResult ComputeFinalGlide(AppContext& app) {
  FinalGlideResult r;
  const GpsStatus status = GetGpsStatus(app.gps);
  const DynArray<TaskPoint>& task = ActiveTask();
  const bool notStarted = !task.Empty() && AchievedList().Empty();
  const double etaSpeed = EtaSpeedByMode(app, status);
  app.etaSpeed = etaSpeed;

  // The legs: to the go-to target or home without a task, else from the fix along the task.
  std::vector<Leg> legs;
  if (task.Empty()) {
    TaskPoint target;
    if (GetGotoTarget(target) && Valid(target)) {
      legs.push_back({app.mapCentre, PointRefPosition(target)});
    } else if (Valid(HomePoint())) {
      legs.push_back({app.mapCentre, PointRefPosition(HomePoint())});
    } else {
      return r;
    }
  } else if (task[task.Size() - 1].maxRadius != 0) {
    r.drawn = true;
    r.areaLast = true;
    return r;
  } else {
    legs.push_back({status.position, PointRefPosition(task[0])});
    for (std::int32_t i = 1; i < task.Size(); ++i)
      legs.push_back({PointRefPosition(task[i - 1]), PointRefPosition(task[i])});
  }

  const TaskRule& finish = Rules().rule[kRuleFinish];
  std::int64_t required = 0;
  std::int64_t totalTime = 0;
  std::uint64_t totalDistance = 0;
  for (std::size_t k = 0; k < legs.size(); ++k) {
    const std::uint32_t distance = GeoDistance(legs[k].from, legs[k].to);
    totalDistance += distance;
    std::int64_t used = distance;
    if (finish.type == 2 && k + 1 == legs.size()) {
      used -= finish.width;
      if (used < 0) continue;
    }
    if (used == 0) continue;
    double bearing = 0;
    GeoBearing(bearing, legs[k].from, legs[k].to);
    required += GlideAltitudeLoss(app.flight, static_cast<std::uint32_t>(used), bearing);
    std::int64_t time = 0;
    EtaCompute(app, time, static_cast<std::uint32_t>(used), bearing);
    totalTime = time >= kNever || totalTime >= kNever ? kNever : totalTime + time;
  }
  r.drawn = true;
  r.totalDistance = static_cast<std::uint32_t>(std::min<std::uint64_t>(totalDistance, 0xFFFFFFFFu));
  r.totalTime = totalTime;
  r.requiredAltitude = static_cast<std::int32_t>(std::clamp<std::int64_t>(required, -99999999, 99999999));

  // The finish elevation, the glide ratio over the rest and the altitude shown.
  if (task.Empty()) {
    if (!Valid(HomePoint())) {
      r.drawn = false;
      return r;
    }
    r.finishElevation = PointElevation(PointRef{HomePoint().kind, HomePoint().index});
  } else {
    const TaskPoint& last = task[task.Size() - 1];
    r.finishElevation = PointElevation(PointRef{last.kind, last.index});
  }
  const std::int32_t altitude = GetFlightParameter(app.flight, kParamQnhAltitude);
  const std::int64_t above = static_cast<std::int64_t>(altitude) - r.finishElevation;
  const double ratio = above >= 1 ? static_cast<double>(r.totalDistance) / static_cast<double>(above) : 1e9;
  r.glideRatio = ratio > 999 ? 999 : static_cast<std::int32_t>(ratio);
  app.requiredGlideRatio = r.glideRatio;

  std::int32_t finishFloor = app.taskStartAltitude - 1000;
  if (finishFloor < r.finishElevation) finishFloor = r.finishElevation;
  const bool floorBase = FixOption(2, 13);
  const std::int32_t base = floorBase ? finishFloor : r.finishElevation;
  if (FixOption(1, 3)) {
    std::int64_t shown = static_cast<std::int64_t>(base) + r.requiredAltitude;
    if (!floorBase) shown += GetFlightParameter(app.flight, kParamSafetyMargin);
    r.shownAltitude = static_cast<std::int32_t>(std::clamp<std::int64_t>(shown, -99999999, 99999999));
  } else {
    r.shownAltitude = AltitudeBalance(app.flight, base, r.requiredAltitude);
  }

  // The arrival time, or the time ahead of (-) or behind (+) the deadline.
  if (totalTime < kSecond || etaSpeed == 0 || totalTime >= kNever) {
    if (app.etaMode != 5) r.timeText = u"--:--\n";
  } else {
    const std::int64_t now = LocalNow();
    std::int64_t seconds = totalTime / kSecond;
    bool timeKnown = true;
    if (app.etaMode == 0) {
      const std::int32_t balance = AltitudeBalance(app.flight, r.finishElevation, r.requiredAltitude);
      const std::int32_t mc10 = GetFlightParameter(app.flight, kParamMacCready);
      if (balance < 0) {
        if (mc10 != 0) {
          seconds += (-static_cast<std::int64_t>(balance) * 10) / mc10;
        } else {
          timeKnown = false;
        }
      }
      if (timeKnown && !task.Empty() && seconds > 0) app.etaSpeed = static_cast<double>(r.totalDistance) / seconds;
    }
    if (timeKnown) {
      const std::int64_t arrival = now + seconds * kSecond;
      std::int64_t deadline = notStarted ? (app.taskTimeMinutes > 0 ? now + app.taskTimeMinutes * kMinute : 0)
                                         : app.taskDeadline;
      char text[32];
      if (deadline == 0) {
        SYSTEMTIME at{};
        const FILETIME ft = FromInt64(arrival);
        FileTimeToSystemTime(&ft, &at);
        std::snprintf(text, sizeof text, "%d:%02d\n", at.wHour, at.wMinute);
      } else {
        const std::int64_t difference = arrival - deadline;
        const std::int64_t minutes = (difference < 0 ? -difference : difference) / kMinute;
        std::snprintf(text, sizeof text, "%c%d:%02d\n", difference < 0 ? '-' : '+', static_cast<int>(minutes / 60),
                      static_cast<int>(minutes % 60));
      }
      r.timeText = Text(text);
    }
  }
  r.chevronRatio =
      r.requiredAltitude != 0 ? (static_cast<double>(r.shownAltitude) * 100.0) / (r.requiredAltitude * 5.0) : 0.0;
  return r;
}

GlideBoxLayout LayoutGlideBox(AppContext& app, HDC dc, const RECT& anchor) {
  HFONT* font = FontHandleSlot(5);
  HGDIOBJ oldFont = dc && font && *font ? SelectObject(dc, *font) : nullptr;
  SIZE x{};
  if (dc) GetTextExtentPoint32W(dc, u"X", 1, &x);
  if (oldFont) SelectObject(dc, oldFont);
  GlideBoxLayout g;
  g.textHeight = x.cy > 0 ? x.cy : 12;
  const LONG th = g.textHeight;
  const bool high = app.screen.highResolution != 0;
  g.width = high ? 110 : 56;
  g.right = anchor.right - (high ? 4 : 2);
  g.left = g.right - g.width;
  g.top = anchor.top + app.screen.layout.titleHeight + (high ? 60 : 30);
  g.lineY = g.top + 2 * th + 2;
  const LONG chevronRoom = static_cast<LONG>(6 * 6 * std::max(1.0, MapSymbolScale(kFinalGlideSymbol) / 1.5)) + 6;
  app.screen.glideMacCready = RECT{g.left, g.top, g.right, g.top + th};
  app.screen.glideAltitude = RECT{g.left, g.top + th, g.right, g.top + 2 * th};
  app.screen.glideClearance = RECT{g.right, g.top + th, g.right + g.width / 2, g.top + 2 * th};
  app.screen.glideTime = RECT{g.left, g.lineY + chevronRoom, g.right, g.lineY + chevronRoom + th};
  // The texts, the glide line and the chevrons under its middle.
  g.area = RECT{g.left, g.top, g.right, app.screen.glideTime.bottom};
  return g;
}

FinalGlideResult UpdateTaskTimeTexts(AppContext& app, HDC dc, bool fill, const RECT& anchor) {
  FinalGlideResult r = ComputeFinalGlide(app);
  StepAutomaticMacCready(app, r);
  if (!r.drawn || !dc) return r;

  // The terrain clearance along the task (its profile is laid on every fix).
  const bool notStarted = !ActiveTask().Empty() && AchievedList().Empty();
  if (app.terrainClearanceOn && !notStarted && !fill && FindProfileMinimum()) DrawClearanceMark(dc, app.map);

  const GlideBoxLayout g = LayoutGlideBox(app, dc, anchor);
  HFONT* font = FontHandleSlot(5);
  HGDIOBJ oldFont = font && *font ? SelectObject(dc, *font) : nullptr;
  const LONG left = g.left;
  const LONG right = g.right;
  const LONG top = g.top;
  const LONG lineY = g.lineY;
  const double scale = MapSymbolScale(kFinalGlideSymbol);
  RECT& mc = app.screen.glideMacCready;
  RECT& alt = app.screen.glideAltitude;
  RECT& clearance = app.screen.glideClearance;
  RECT& time = app.screen.glideTime;

  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, 0xFFFFFF);
  if (fill) {
    RECT box{left, top, right, time.bottom};
    FillRect(dc, &box, MapSymbolBrush(kFinalGlideSymbol) ? MapSymbolBrush(kFinalGlideSymbol) : MapPens().stockWhite);
  }
  // The glide line.
  MapSymbolTransform(kFinalGlideSymbol, 0.0, POINT{left, lineY});
  std::int32_t count = 0;
  const POINT* line = MapSymbolScreenPoints(kFinalGlideSymbol, &count);
  if (line && count > 1) {
    HGDIOBJ oldPen = SelectObject(dc, MapSymbolPen(kFinalGlideSymbol));
    Polyline(dc, line, count);
    SelectObject(dc, oldPen);
  }

  const double value = app.climbUnit == 4 ? app.macCreadyKnots : app.macCready;
  const int tenths = static_cast<int>(std::trunc(value * 10.0));
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d", tenths / 10, std::abs(tenths % 10));
  SetBkMode(dc, TRANSPARENT);
  DrawTextIn(dc, Text(text), mc, 0);
  SetBkMode(dc, OPAQUE);
  if (!r.areaLast) {
    const double shown = app.altitudeUnit == 2 ? r.shownAltitude * kFeetPerMetre : r.shownAltitude;
    const int tens = static_cast<int>(std::trunc(shown / 10.0)) * 10;
    std::snprintf(text, sizeof text, "%d", tens);
    DrawTextIn(dc, Text(text), alt, FixOption(2, 13) ? 0xFF0000 : 0);
    std::int32_t terrain = 0;
    if (app.terrainClearanceOn && r.shownAltitude >= 0 && GetTerrainClearance(terrain) && terrain < 0) {
      std::snprintf(text, sizeof text, "%d", terrain);
      DrawTextIn(dc, Text(text), clearance, 0x0000FF);
    }
    if (!r.timeText.empty()) DrawTextIn(dc, r.timeText, time, 0);
    if (!FixOption(1, 3)) {
      const LONG middle = line && count > 1 ? (line[0].x + line[count - 1].x) / 2 : (left + right) / 2;
      DrawChevrons(dc, r.chevronRatio, POINT{middle, lineY}, scale);
    }
  }
  SetBkMode(dc, TRANSPARENT);
  if (oldFont) SelectObject(dc, oldFont);
  return r;
}

}  // namespace cumulor
