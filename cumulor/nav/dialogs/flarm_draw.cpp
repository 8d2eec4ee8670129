#include "cumulor/nav/dialogs/flarm_draw.h"

#include <mutex>

#include "cumulor/app/app_context.h"
#include "cumulor/map/draw/map_flarm_draw.h"
#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "platform/time/time.h"

namespace cumulor {

void FlarmProjectTargets(FlarmTraffic& traffic, const MapView& view) {
  for (FlarmTarget& slot : traffic.slots) {
    if (slot.lastSeen == 0) continue;
    for (std::int32_t i = 0; i < slot.positionCount && i < kFlarmTrackPoints; ++i) {
      POINT p{};
      MapWorldToScreen(view, p, slot.positions[i]);
      slot.screen[i] = FlarmScreenPoint{p.x, p.y};
    }
  }
}

void FlarmDrawTargets(MapView& view, HDC dc, const GeoPoint& ownPosition) {
  FlarmTraffic& traffic = Flarm();
  FlarmTarget live[kFlarmSlots];
  int count = 0;
  FlarmStatus status;
  {
    // Copies under the lock: the parsers go on writing while the frame draws.
    std::lock_guard<std::mutex> guard(traffic.lock);
    const DWORD now = GetTickCount();
    for (FlarmTarget& slot : traffic.slots) {
      if (slot.lastSeen == 0) continue;
      if (now - slot.lastSeen > kFlarmTargetLifeMs) slot = FlarmTarget{};
    }
    FlarmProjectTargets(traffic, view);
    for (const FlarmTarget& slot : traffic.slots)
      if (slot.lastSeen != 0) live[count++] = slot;
    status = traffic.status;
  }
  POINT own{};
  MapWorldToScreen(view, own, ownPosition);
  for (int i = 0; i < count; ++i) {
    const int side = live[i].screen[0].x < own.x ? -1 : 1;
    MapDrawFlarmInfo(view, dc, live[i], side);
  }
  if (status.valid) {
    MapDrawFlarmTarget(view, dc, status);
    if (status.alarmLevel >= 2 && status.alarmType == 2) FlarmAlarm(status);
  }
}

void FlarmDrawTargets(AppContext& app) {
  if (!app.map.dc) return;
  FlarmDrawTargets(app.map, app.map.dc, GetGpsStatus(app.gps).position);
}

}  // namespace cumulor
