// The value texts of the navigation boxes, computed once per fix from the navigation state: each
// box that is on gets its value (some also their title and unit line); boxes that are off cost
// nothing, and several boxes hand a new text over only when it differs from the last one.
#pragma once

#include <cstdint>

#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct AppContext;

// What the values read outside the application record; installed by the application core. Unset
// members give: no reference point, no required glide ratio (box 29 keeps its text), the local
// clock. Box 22 is not written here: the team grid hands its code to the box with each new fix.
struct NavBoxValueSources {
  TaskPoint (*referencePoint)() = nullptr;       // the radial reference point
  std::int32_t (*requiredGlideRatio)() = nullptr;  // to the final destination
  void (*localTime)(SYSTEMTIME* out) = nullptr;
};
NavBoxValueSources& NavBoxValueSourcesInstalled();

// 1 when at least one box was handled; 0 without a valid navigation target (the active task is
// then emptied and no box changes) or with no box on.
std::int32_t NavBoxValuesUpdate(AppContext& app);

// Forgets the texts kept between updates (a new run, and tests).
void NavBoxValuesReset();

}  // namespace cumulor
