// The program's distance optimisation: one OlcOptimizer, its settings and the texts it gives.
//
// Every call takes the optimiser's lock. The trail calls OlcAddLiveFix and OlcOptimizeTrail while
// it holds the trail lock (the lock order is trail lock, then this one), so a batch run over the
// trail and live fixes from the GPS reader thread never meet.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/task/task_point.h"
#include "cumulor/nav/olc/trail_point.h"
#include "platform/base/types.h"

namespace cumulor {

// The navigation target the live step ends its route at; the application installs it. Unset: no
// target.
using OlcTargetSource = TaskPoint (*)();
void SetOlcTargetSource(OlcTargetSource source);

void OlcResetCandidates();
// The live step (see OlcOptimizer::AddLiveFix); the target is the installed source's point when it
// is a valid point reference.
void OlcAddLiveFix(const GeoPoint& position);
// The batch run over a trail of count points.
void OlcOptimizeTrail(const TrailPoint* points, std::int32_t count);

// Leg count 4 or 6 (default 4) and the show-route flag ("Show Longest Task", default 0).
void OlcSetLegCount(std::int32_t legs);
std::int32_t OlcLegCount();
void OlcSetShowRoute(bool show);
bool OlcShowRoute();
// The two settings in the option word "Flags2": bit 14 (16384) six legs, bit 15 (32768) the show
// route flag. Packing sets or clears those bits of word; unpacking sets six legs when bit 14 is set
// (a clear bit leaves the count) and the show-route flag from bit 15.
std::int32_t OlcPackFlags2(std::int32_t word);
void OlcUnpackFlags2(std::int32_t word);

// The result: its distance (metres) and route (end first); false when there is none.
bool OlcResult(std::uint32_t& distance, std::vector<GeoPoint>* route);
std::int32_t OlcCandidateCount();
// The candidates' positions in flight order (with a live target, the target last).
std::vector<GeoPoint> OlcCandidatePositions();

// The result distance as FormatDistance gives it, or "---" without a result route; the text is
// formatted again only when the distance changed. Returns 1.
int OlcFormatResult(WCHAR* out, std::int32_t outChars);

}  // namespace cumulor
