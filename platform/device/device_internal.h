// Inside the device model: what the store tells the registry mirror and the watchers.
#pragma once

#include <string>
#include <vector>

namespace ce::device::internal {

// Writes the registry state values that follow the changed model values (every value when
// `all`); called after each committed change, outside the store's lock.
void MirrorToRegistry(const std::vector<std::string>& changed, bool all);
// Wakes the watchers of every process of the device.
void AnnounceChange();

}  // namespace ce::device::internal
