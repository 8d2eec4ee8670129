// The navigation boxes' share of one fix: the values of all 33 boxes (NavBoxValuesUpdate) and
// their drawing into a 480 x 640 back buffer (NavBoxSetDraw, forced as the frame draws it), in
// microseconds per fix, each beside the frame's own first step on the same buffer (the map's
// background fill), which every frame pays. Goal: values and drawing together under 1 ms a fix.
#include <ctime>
#include <memory>

#include "bench/support/side_by_side.h"
#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox_ui/nav_box_draw.h"
#include "cumulor/map/navbox_values/nav_box_values.h"
#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/polar/flight_state.h"
#include "platform/gdi/gdi.h"

namespace {

using namespace cumulor;

constexpr int kW = 480, kH = 640;
constexpr std::int32_t kDeg = 36000;
const GeoPoint kOwn{11 * kDeg, 47 * kDeg};

struct Bench {
  std::unique_ptr<AppContext> app = std::make_unique<AppContext>();
  MapView view;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;

  Bench() {
    FontTableInit();
    FontRecreateAll(false);
    NavBoxSetInit(app->navBoxes);
    NavBoxInstallWindowHooks(app->navBoxes);
    FlightStateDefaults(app->flight);
    for (std::int32_t n = 1; n <= kNavBoxLast; ++n) app->navBoxes.on[n] = 1;
    UserWaypointTable& w = UserWaypoints();
    w.records.SetSize(1);
    w.names.SetSize(1);
    w.countries.SetSize(1);
    WaypointRecord target;
    GeoDestination(kOwn.lon, kOwn.lat, 25000, 0.7, target.position);
    w.records.Append(target);
    w.names.Append(PointText{"TARGET"});
    w.countries.Append(PointText{});
    app->navTarget.kind = kPointUserWaypoint;
    app->navTarget.index = 1;
    FixBufferReserve(app->gps, 180);
    {
      std::lock_guard<std::mutex> lock(app->gps.dataLock);
      app->gps.historyCount = 180;
      app->gps.publishedStatus.position = kOwn;
      app->gps.publishedStatus.positionValid = 1;
    }
    app->mapCentre = kOwn;
    SetFlightParameter(app->flight, kParamAltitude, 1500);
    NavBoxSetResize(app->navBoxes, RECT{0, 0, kW, kH}, nullptr, false);
    NavBoxValuesUpdate(*app);
    NavBoxSetActivate(app->navBoxes);

    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, kW, kH);
    old = SelectObject(dc, bitmap);
    MapInit(view);
    MapSetScreenRect(view, RECT{0, 0, kW, kH});
    view.dc = dc;
  }
  ~Bench() {
    MapTerm(view);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    NavBoxSetTerm(app->navBoxes);
    FontTableFree();
  }
  // One fix: the glider moved and climbed a little.
  void NextFix(int i) {
    std::lock_guard<std::mutex> lock(app->gps.dataLock);
    app->gps.publishedStatus.position.lon = kOwn.lon + i % 1000;
    app->gps.publishedStatus.altitude = 1500 + i % 50;
  }
};

double Seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

// Our microseconds per fix beside the background fill of the same frame.
template <class Ours>
void PerFix(benchmark::State& state, Bench& b, Ours&& ours) {
  double oursSeconds = 0, frameSeconds = 0;
  int i = 0;
  for (auto _ : state) {
    b.NextFix(++i);
    double t = Seconds();
    ours(i);
    oursSeconds += Seconds() - t;
    t = Seconds();
    MapFillBackground(b.view, b.dc);
    frameSeconds += Seconds() - t;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["us_per_fix"] = oursSeconds * 1e6 / n;
  state.counters["frame_fill_us"] = frameSeconds * 1e6 / n;
  state.counters["goal_us"] = 1000;
}

void BM_NavBoxValuesUpdate(benchmark::State& state) {
  Bench b;
  PerFix(state, b, [&](int) { benchmark::DoNotOptimize(NavBoxValuesUpdate(*b.app)); });
}
BENCH(BM_NavBoxValuesUpdate);

void BM_NavBoxSetDraw(benchmark::State& state) {
  Bench b;
  PerFix(state, b, [&](int) { NavBoxSetDraw(b.app->navBoxes, b.dc, true); });
}
BENCH(BM_NavBoxSetDraw);

// Both, as the new-fix handling runs them.
void BM_NavBoxesPerFix(benchmark::State& state) {
  Bench b;
  PerFix(state, b, [&](int) {
    NavBoxValuesUpdate(*b.app);
    NavBoxSetDraw(b.app->navBoxes, b.dc, true);
  });
}
BENCH(BM_NavBoxesPerFix);

}  // namespace
