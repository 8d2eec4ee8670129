#include "cumulor/map/windview/wind_profile.h"

#include <cmath>
#include <cstdlib>

#include "platform/time/time.h"

namespace cumulor {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr UINT kPenUp = 514;
constexpr UINT kCloseRequest = 16;

bool Inside(const RECT& r, std::int32_t x, std::int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

std::int32_t WrapDegrees(std::int32_t d) {
  d %= 360;
  return d < 0 ? d + 360 : d;
}

}  // namespace

void InitWindProfileView(WindProfileView& view) {
  std::int32_t* shown = view.shown;
  void (*onClose)() = view.onClose;
  view = WindProfileView{};
  view.shown = shown;
  view.onClose = onClose;
}

void SetupWindProfileView(WindProfileView& view, bool highResolution, bool simulator, std::int32_t* shown,
                          void (*onClose)()) {
  view.shown = shown;
  view.onClose = onClose;
  view.highResolution = highResolution;
  view.radius = highResolution ? 80 : 40;
  view.rowUnit = highResolution ? 60 : 30;
  view.rowHeight = highResolution ? 60 : 40;
  for (std::int32_t i = 0; i < kWindCirclePoints; ++i) {
    const double t = i * 10.0 * kPi / 180.0;
    view.circle[i][0] = view.radius * std::sin(t);
    view.circle[i][1] = view.radius * std::cos(t);
  }
  if (!simulator) return;
  // A demonstration history: the wind veers and backs a little with height.
  std::int32_t direction = static_cast<std::int32_t>(GetTickCount() % 360);
  for (std::int32_t altitude = 0; altitude < 2500; altitude += 10) {
    const int r = std::rand();
    if (r % 5 == 0) direction = WrapDegrees(direction + 5);
    if (r % 16 == 0) direction = WrapDegrees(direction - 5);
    PushWindSample(view, WindSample{0, static_cast<std::uint16_t>(altitude), static_cast<std::int16_t>(direction), 20.0f});
  }
}

void PushWindSample(WindProfileView& view, const WindSample& sample) {
  view.last = sample;
  view.ring[view.sampleCount % kWindRingSize] = sample;
  if (view.sampleCount < 0x7FFFFFFF - kWindRingSize) {
    ++view.sampleCount;
  } else {
    view.sampleCount = kWindRingSize + (view.sampleCount + 1) % kWindRingSize;  // keeps the position
  }
  view.last.time = GetTickCount();
  view.lastCopy = view.last;
}

void ResetWindHistory(WindProfileView& view) {
  PushWindSample(view, WindSample{});
  for (WindSample& s : view.ring) s = WindSample{};
  view.sampleCount = 0;
}

void LayoutWindProfileView(WindProfileView& view, const RECT& rect, std::int32_t buttonWidth) {
  view.view = rect;
  view.centre = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  const std::int32_t u = rect.bottom / 20;
  const std::int32_t w = 2 * buttonWidth;
  const struct {
    WindButton button;
    std::int32_t from, to;
  } rows[] = {{kWindUp, 0, 2}, {kWindSliceUp, 6, 8}, {kWindLabel, 9, 11},
              {kWindSliceDown, 12, 14}, {kWindOk, 15, 17}, {kWindDown, 18, 20}};
  for (const auto& r : rows) view.button[r.button] = RECT{0, r.from * u, w, r.to * u};
}

void CloseWindProfileView(WindProfileView& view) {
  view.scroll = 0;
  view.held = false;
  view.heldButton = kWindNone;
  if (view.shown) *view.shown = 0;
  if (view.onClose) view.onClose();
}

std::int32_t WindProfileTap(WindProfileView& view, std::int32_t x, std::int32_t y, UINT message) {
  if (message == kPenUp) {
    view.held = false;
    view.heldButton = kWindNone;
    return 1;
  }
  if (message == kCloseRequest || Inside(view.button[kWindOk], x, y)) {
    CloseWindProfileView(view);
    return 1;
  }
  if (Inside(view.button[kWindSliceUp], x, y)) {
    view.scroll = 0;
    if (view.step < 3) ++view.step;
    return 1;
  }
  if (Inside(view.button[kWindSliceDown], x, y)) {
    view.scroll = 0;
    if (view.step > 0) --view.step;
    return 1;
  }
  const bool up = Inside(view.button[kWindUp], x, y);
  if ((up && view.moreAbove) || Inside(view.button[kWindDown], x, y)) {
    if (up && view.scroll < kWindMaxScroll) ++view.scroll;
    if (!up && view.scroll > 0) --view.scroll;
    // Held: each following paint repeats the tap.
    view.heldButton = up ? kWindUp : kWindDown;
    view.heldPoint = POINT{x, y};
    view.held = true;
    return 1;
  }
  return 0;
}

std::int32_t WindSliceHeight(const WindProfileView& view, bool feet) {
  const std::int32_t step = view.step < 0 ? 0 : view.step > 3 ? 3 : view.step;
  return feet ? view.sliceFeet[step] : view.sliceMetres[step];
}

void FillWindSlices(WindProfileView& view, bool feet) {
  for (WindSlice& s : view.slices) s = WindSlice{};
  const std::int32_t height = WindSliceHeight(view, feet);
  if (height <= 0) return;
  const std::int32_t held = view.sampleCount < kWindRingSize ? view.sampleCount : kWindRingSize;
  const std::int32_t newest = view.sampleCount - 1;
  for (std::int32_t k = 0; k < held; ++k) {
    const WindSample& sample = view.ring[static_cast<std::uint32_t>(newest - k) % kWindRingSize];
    const double altitude = feet ? sample.altitude * 3.2808 : sample.altitude;
    std::int32_t index = static_cast<std::int32_t>(altitude) / height;
    if (index > kWindSliceCount - 1) index = kWindSliceCount - 1;
    WindSlice& slice = view.slices[index];
    if (slice.count >= 4) continue;
    if (slice.count == 0) {
      slice.direction = sample.direction;
      slice.speedSum = sample.speed;
      slice.count = 1;
      continue;
    }
    ++slice.count;
    std::int32_t difference = WrapDegrees(sample.direction - slice.direction);
    if (difference > 180) difference -= 360;
    slice.direction = static_cast<std::int16_t>(WrapDegrees(slice.direction + difference / slice.count));
    slice.speedSum += sample.speed;
  }
}

double WindSliceSpeed(const WindSlice& slice, bool knots) {
  if (slice.count == 0) return 0.0;
  const double kmh = slice.speedSum / slice.count;
  return knots ? kmh * 0.539968 : kmh;
}

}  // namespace cumulor
