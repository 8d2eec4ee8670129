// The legs of the active task and of the direct target: distance, course, time to fly and
// arrival of each leg, and the arrival and time-to-fly texts the navigation boxes show.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/data/task/task_point.h"
#include "cumulor/nav/polar/time_text.h"
#include "platform/base/types.h"

namespace cumulor {

struct LegRecord {
  std::uint32_t legDistance = 0;   // metres
  std::uint32_t taskDistance = 0;  // metres from the first leg's origin to the end of this leg
  std::int32_t trueCourse = 0;     // whole degrees
  std::int32_t magneticCourse = 0; // whole degrees, 0 .. 359
  std::int64_t legTime = 0;        // 100 ns units; kCannotFlyTime when the leg cannot be flown
  std::int64_t taskTime = 0;       // sum of the leg times (never once one leg is never)
  std::int64_t arrivalTime = 0;    // local time now plus the task time, FILETIME scale
  WCHAR arrivalText[kTimeTextSize] = {};   // first and last record only
  WCHAR taskTimeText[kTimeTextSize] = {};
};

DynArray<LegRecord>& TaskLegs();
DynArray<LegRecord>& DirectLegs();

// The slot the task page shows (0 .. 24): the first leg starts at the own position only for slot 0.
std::int32_t& TaskPageSlot();

enum class LegStyle {
  kNavigation,  // spherical distances; the first leg from the own position
  kTaskPage,    // ellipsoidal distances; the first row's distances 0, its course and time still
                // from the own position
};

// One record per point of the task. A point that is not a valid reference stops the computation:
// that record and the ones after it are zero, the task slots are left as they are; false then.
bool ComputeLegs(const DynArray<TaskPoint>& task, DynArray<LegRecord>& legs, bool fromOwnPosition,
                 LegStyle style = LegStyle::kNavigation);
// TaskLegs from the active task and, when the direct target is valid, DirectLegs.
void RecomputeTaskLegs();

// Arrival (ETA) and time-to-fly (ETE) texts of the task's last leg and of its first leg; without
// task legs those of the direct leg when there is a direct target, else "-.-".
void GetTaskEtaText(WCHAR out[kTimeTextSize]);
void GetNextPointEtaText(WCHAR out[kTimeTextSize]);
void GetTaskEteText(WCHAR out[kTimeTextSize]);
void GetNextPointEteText(WCHAR out[kTimeTextSize]);

}  // namespace cumulor
