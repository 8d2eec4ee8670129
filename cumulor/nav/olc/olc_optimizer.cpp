#include "cumulor/nav/olc/olc_optimizer.h"

#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

// The fifth leg counts 8/10, the sixth 6/10 of its length, truncated.
std::uint32_t Weighted(std::int32_t m, std::uint32_t d) {
  if (m == 5) return static_cast<std::uint32_t>(static_cast<std::uint64_t>(d) * 8 / 10);
  if (m == 6) return static_cast<std::uint32_t>(static_cast<std::uint64_t>(d) * 6 / 10);
  return d;
}

}  // namespace

void OlcOptimizer::SetLegCount(std::int32_t legs) {
  if (legs == 4 || legs == 6) legCount_ = legs;
}

void OlcOptimizer::ResetCandidates() {
  route_.clear();
  routeIndexes_.clear();
  resultDistance_ = 0;
  candidates_.clear();
  for (auto& table : tables_) table.clear();
  targetDistances_.clear();
  liveTarget_ = false;
  haveLastLive_ = false;
}

void OlcOptimizer::AppendCandidate(Candidate candidate) {
  const std::uint32_t fromFirst = candidate.distances.empty() ? 0 : candidate.distances[0];
  candidates_.push_back(std::move(candidate));
  tables_[1].push_back(OlcLegEntry{fromFirst, 0});
  for (std::int32_t m = 2; m <= kOlcMaxLegs; ++m) tables_[m].push_back(OlcLegEntry{});
}

void OlcOptimizer::AddCandidate(const GeoPoint& position) {
  Candidate c;
  c.position = position;
  c.distances.reserve(candidates_.size());
  for (const Candidate& earlier : candidates_) c.distances.push_back(GeoDistance(earlier.position, position));
  AppendCandidate(std::move(c));
}

void OlcOptimizer::RemoveLastCandidate() {
  if (candidates_.empty()) return;
  candidates_.pop_back();
  for (std::int32_t m = 1; m <= kOlcMaxLegs; ++m) tables_[m].pop_back();
}

void OlcOptimizer::Extend(std::int32_t m, std::int32_t k) {
  if (m < 2 || m > kOlcMaxLegs || k < 0 || k >= CandidateCount()) return;
  OlcLegEntry entry;
  if (k >= 2) {
    const std::vector<std::uint32_t>& d = candidates_[k].distances;
    const std::vector<OlcLegEntry>& previous = tables_[m - 1];
    for (std::int32_t j = 1; j < k; ++j) {
      const std::uint32_t total = Weighted(m, d[j]) + previous[j].best;
      if (j == 1 || total > entry.best) {
        entry.best = total;
        entry.predecessor = static_cast<std::uint16_t>(j);
      }
    }
  }
  tables_[m][k] = entry;
}

void OlcOptimizer::BuildResult() {
  route_.clear();
  routeIndexes_.clear();
  resultDistance_ = 0;
  if (candidates_.empty()) return;
  const std::int32_t e = CandidateCount() - 1;
  std::int32_t legs = legCount_;
  if (legs == 6 && tables_[6][e].best < tables_[4][e].best) legs = 4;
  resultDistance_ = tables_[legs][e].best;
  std::int32_t at = e;
  routeIndexes_.push_back(at);
  for (std::int32_t m = legs; m >= 2; --m) {
    at = tables_[m][at].predecessor;
    routeIndexes_.push_back(at);
  }
  routeIndexes_.push_back(0);
  for (std::int32_t k : routeIndexes_) route_.push_back(candidates_[k].position);
}

void OlcOptimizer::OptimizeTrail(const TrailPoint* points, std::int32_t count) {
  ResetCandidates();
  for (std::int32_t t = 0; t + 1 < count; ++t) {
    if (t == 0 || points[t].rank > kOlcCandidateRank) AddCandidate(points[t].position);
  }
  for (std::int32_t k = 0; k < CandidateCount(); ++k)
    for (std::int32_t m = 2; m <= legCount_; ++m) Extend(m, k);
  BuildResult();
}

void OlcOptimizer::AddLiveFix(const GeoPoint& position, const TaskPoint& target, bool targetValid,
                              const GeoPoint& targetPosition) {
  if (haveLastLive_ && GeoDistance(lastLive_, position) < kOlcLiveSpacing) return;
  haveLastLive_ = true;
  lastLive_ = position;
  if (liveTarget_) RemoveLastCandidate();
  liveTarget_ = false;
  AddCandidate(position);
  const std::int32_t n = CandidateCount() - 1;

  if (targetValid) {
    const bool changed = target.kind != target_.kind || target.index != target_.index;
    // A target whose distances do not cover the earlier candidates (new, or kept over a reset or
    // an invalid spell) gets them all afresh.
    if (changed || static_cast<std::int32_t>(targetDistances_.size()) != n) {
      target_ = target;
      targetPosition_ = targetPosition;
      targetDistances_.clear();
      for (std::int32_t j = 0; j <= n; ++j) targetDistances_.push_back(GeoDistance(candidates_[j].position, targetPosition_));
    } else {
      targetDistances_.push_back(GeoDistance(position, targetPosition_));
    }
  }
  for (std::int32_t m = 2; m <= legCount_; ++m) Extend(m, n);
  if (targetValid) {
    Candidate provisional;
    provisional.position = targetPosition_;
    provisional.distances = targetDistances_;
    AppendCandidate(std::move(provisional));
    liveTarget_ = true;
    const std::int32_t last = CandidateCount() - 1;
    for (std::int32_t m = 2; m <= legCount_; ++m) Extend(m, last);
  }
  if (CandidateCount() - 1 > 5) BuildResult();
}

}  // namespace cumulor
