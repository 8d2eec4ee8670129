// "Show" of a recorded flight: the loaded flight goes through the trail, which feeds the live
// optimisation, and the batch optimisation then runs over the whole trail.
#pragma once

namespace cumulor {

struct AppContext;

// Called with the flight loaded (and its file still open): the hold flag keeps the GPS input
// from producing fixes meanwhile; "Optimizing OLC..." shows while it runs.
void ShowLoadedFlight(AppContext& app);

}  // namespace cumulor
