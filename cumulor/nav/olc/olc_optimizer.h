// OlcOptimizer: the longest route from the first candidate point through up to five turn points to
// the last, found by dynamic programming over leg tables.
//
// Candidates are kept in flight order, each with its distances (metres) to every earlier one. For
// m = 1..6 legs, table m holds per candidate the best total of an m-leg route that starts at
// candidate 0 and ends there, with the candidate it came from. In six-leg mode the fifth leg
// counts 8/10 and the sixth 6/10 of its length (integer, truncating). Entries of candidates 0 and
// 1 in the tables of two legs and more are {0, 0}: a route may therefore run through candidate 0
// for its first legs, which then count nothing.
//
// Plain computation without a lock; the module in olc.h keeps the program's one optimiser.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/task/task_point.h"
#include "cumulor/nav/olc/trail_point.h"

namespace cumulor {

inline constexpr std::int32_t kOlcMaxLegs = 6;
// Live positions closer than this to the previous one are not taken.
inline constexpr std::uint32_t kOlcLiveSpacing = 100;

struct OlcLegEntry {
  std::uint32_t best = 0;         // metres
  std::uint16_t predecessor = 0;  // candidate index
};

class OlcOptimizer {
 public:
  // 4 or 6; other values are ignored.
  void SetLegCount(std::int32_t legs);
  std::int32_t LegCount() const { return legCount_; }

  // Empties the result, the candidates, the leg tables and the target's distances.
  void ResetCandidates();
  // Appends a candidate with its distances to all earlier ones; table 1 gets its distance from
  // candidate 0, the other tables a zero entry.
  void AddCandidate(const GeoPoint& position);
  // Fills entry (m, k) from table m - 1 (2 <= m <= 6).
  void Extend(std::int32_t m, std::int32_t k);
  // The result: the route ending at the last candidate (end first) and its distance. In six-leg
  // mode the four-leg route is taken when it is longer. Nothing without candidates.
  void BuildResult();

  // The batch run over a whole trail: the first point and every point ranked above 250, the last
  // point excepted, become candidates; then the tables and the result.
  void OptimizeTrail(const TrailPoint* points, std::int32_t count);

  // The live step: a position at least 100 m from the previous live one becomes a candidate; the
  // navigation target, when valid (see olc.h), is kept as a provisional last candidate so that the
  // result ends there. targetValid false: no provisional candidate.
  void AddLiveFix(const GeoPoint& position, const TaskPoint& target, bool targetValid, const GeoPoint& targetPosition);

  std::int32_t CandidateCount() const { return static_cast<std::int32_t>(candidates_.size()); }
  const GeoPoint& CandidatePosition(std::int32_t k) const { return candidates_[k].position; }
  // Distance from candidate j to candidate k (j < k).
  std::uint32_t Distance(std::int32_t j, std::int32_t k) const { return candidates_[k].distances[j]; }
  const OlcLegEntry& Entry(std::int32_t m, std::int32_t k) const { return tables_[m][k]; }

  bool HasResult() const { return !route_.empty(); }
  std::uint32_t ResultDistance() const { return resultDistance_; }
  // End first, start last.
  const std::vector<GeoPoint>& ResultRoute() const { return route_; }
  // Candidate indexes of the result, end first.
  const std::vector<std::int32_t>& ResultIndexes() const { return routeIndexes_; }
  bool LiveTargetPresent() const { return liveTarget_; }

 private:
  struct Candidate {
    GeoPoint position;
    std::vector<std::uint32_t> distances;  // entry j: from candidate j to this one
  };
  void AppendCandidate(Candidate candidate);
  void RemoveLastCandidate();

  std::int32_t legCount_ = 4;
  std::vector<Candidate> candidates_;
  std::vector<OlcLegEntry> tables_[kOlcMaxLegs + 1];  // index 1..6 used
  std::vector<GeoPoint> route_;
  std::vector<std::int32_t> routeIndexes_;
  std::uint32_t resultDistance_ = 0;

  // Live state.
  bool haveLastLive_ = false;
  GeoPoint lastLive_;
  bool liveTarget_ = false;            // a provisional target is the last candidate
  TaskPoint target_;                   // the remembered navigation target
  GeoPoint targetPosition_;
  std::vector<std::uint32_t> targetDistances_;  // entry j: from candidate j to the target
};

}  // namespace cumulor
