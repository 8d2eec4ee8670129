#include "cumulor/nav/olc/olc.h"

#include <atomic>
#include <mutex>

#include "cumulor/app/base/number_text.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/olc/olc_optimizer.h"

namespace cumulor {

namespace {

struct OlcModule {
  std::mutex lock;
  OlcOptimizer optimizer;
  std::atomic<OlcTargetSource> targetSource{nullptr};
  std::atomic<bool> showRoute{false};
  // The last result text and the distance it was made for.
  WCHAR resultText[32] = u"---";
  std::uint32_t resultTextDistance = 0;
  bool resultTextMade = false;
};

OlcModule& Module() {
  static OlcModule module;
  return module;
}

}  // namespace

void SetOlcTargetSource(OlcTargetSource source) { Module().targetSource = source; }

void OlcResetCandidates() {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  m.optimizer.ResetCandidates();
}

void OlcAddLiveFix(const GeoPoint& position) {
  OlcModule& m = Module();
  TaskPoint target;
  bool valid = false;
  GeoPoint targetPosition;
  if (OlcTargetSource source = m.targetSource.load()) {
    target = source();
    valid = PointRefIsValid(PointRef{target.kind, target.index});
    if (valid) targetPosition = PointRefPosition(target);
  }
  std::lock_guard<std::mutex> guard(m.lock);
  m.optimizer.AddLiveFix(position, target, valid, targetPosition);
}

void OlcOptimizeTrail(const TrailPoint* points, std::int32_t count) {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  m.optimizer.OptimizeTrail(points, count);
}

void OlcSetLegCount(std::int32_t legs) {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  m.optimizer.SetLegCount(legs);
}

std::int32_t OlcLegCount() {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  return m.optimizer.LegCount();
}

void OlcSetShowRoute(bool show) { Module().showRoute = show; }
bool OlcShowRoute() { return Module().showRoute; }

std::int32_t OlcPackFlags2(std::int32_t word) {
  word &= ~(16384 | 32768);
  if (OlcLegCount() == 6) word |= 16384;
  if (OlcShowRoute()) word |= 32768;
  return word;
}

void OlcUnpackFlags2(std::int32_t word) {
  if (word & 16384) OlcSetLegCount(6);
  OlcSetShowRoute((word & 32768) != 0);
}

bool OlcResult(std::uint32_t& distance, std::vector<GeoPoint>* route) {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  distance = m.optimizer.ResultDistance();
  if (route) *route = m.optimizer.ResultRoute();
  return m.optimizer.HasResult();
}

std::int32_t OlcCandidateCount() {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  return m.optimizer.CandidateCount();
}

std::vector<GeoPoint> OlcCandidatePositions() {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  std::vector<GeoPoint> positions;
  for (std::int32_t k = 0; k < m.optimizer.CandidateCount(); ++k) positions.push_back(m.optimizer.CandidatePosition(k));
  return positions;
}

int OlcFormatResult(WCHAR* out, std::int32_t outChars) {
  OlcModule& m = Module();
  std::lock_guard<std::mutex> guard(m.lock);
  if (!m.optimizer.HasResult()) {
    const char16_t none[] = u"---";
    for (int i = 0; i < 4; ++i) m.resultText[i] = none[i];
    m.resultTextMade = false;
  } else if (!m.resultTextMade || m.resultTextDistance != m.optimizer.ResultDistance()) {
    const WCHAR* text = FormatDistance(m.optimizer.ResultDistance(), kPrecisionAuto);
    std::int32_t i = 0;
    for (; text[i] != 0 && i < 31; ++i) m.resultText[i] = text[i];
    m.resultText[i] = 0;
    m.resultTextDistance = m.optimizer.ResultDistance();
    m.resultTextMade = true;
  }
  if (out && outChars > 0) {
    std::int32_t i = 0;
    for (; m.resultText[i] != 0 && i < outChars - 1; ++i) out[i] = m.resultText[i];
    out[i] = 0;
  }
  return 1;
}

}  // namespace cumulor
