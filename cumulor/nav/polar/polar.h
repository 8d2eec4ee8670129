// The glider polar: the built-in table, polar files, the quadratic fit with bugs and ballast, and
// the speed-to-fly table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/nav/polar/flight_state.h"
#include "platform/base/types.h"

namespace cumulor {

struct PolarEntry {
  const char* name;
  std::int32_t mass;   // reference mass, kg
  std::int32_t water;  // maximum water ballast, litres
  float speed[3];      // km/h
  float sink[3];       // m/s, negative
};

// The built-in table; entry 0 is "Default".
extern const PolarEntry BuiltinPolars[];
extern const std::size_t BuiltinPolarCount;

// The three points and the loading a fit starts from, in the units FlightState stores.
struct PolarPoints {
  std::int32_t speed[3];  // km/h
  std::int32_t sink[3];   // hundredths of m/s
  std::int32_t mass;      // kg
  std::int32_t water;     // litres
};

// Coefficients and tables that ComputePolar stores.
struct PolarFit {
  double a, b, c;  // after bugs and loading
  double stfSpeed[kStfTableSize];
  double stfSink[kStfTableSize];
  std::int32_t bestGlide100;
};

// The fit of the three points with bugs (percent, 100 clean) and water fill (tens of percent).
// Empty when the polar is unusable: two equal speeds, a mass below 1 kg, a curve that is not
// concave (a' >= 0), or any speed-to-fly speed or sink that is not a finite flying value.
std::optional<PolarFit> FitPolar(const PolarPoints& points, std::int32_t bugs, std::int32_t waterFill);

// Recomputes coefficients, speed-to-fly table, best glide, the values at the current MacCready and
// the wind in radians and m/s. An unusable polar keeps the previous coefficients and tables and
// returns false.
bool ComputePolar(FlightState& fs);

// Loads the built-in entry of that name (exact, case-sensitive; null means entry 0) into the
// points, mass and water, and MacCready 0. 0 for an unknown name (nothing changed). Does not
// recompute the polar.
int LoadBuiltinPolar(FlightState& fs, const WCHAR* name);

// One 260-byte item of the polar chooser: the name as wide text in the first 62 characters, then
// the entry index as an unsigned 16-bit number.
struct PolarListItem {
  WCHAR name[62];
  std::uint16_t index;
  BYTE reserved[260 - 62 * 2 - 2];
};
static_assert(sizeof(PolarListItem) == 260);
// Replaces the list with one item per built-in entry; false when memory runs out.
bool ListBuiltinPolars(DynArray<PolarListItem>& list);

// The values of a polar file's first non-comment line (mass, water, speed/sink of three points).
struct PolarFileValues {
  float mass, water;
  float speed[3];
  float sink[3];
};
// Reads polar file text: lines starting with "*" are comments; the first other line must hold
// eight numbers "%f,%f,%f,%f,%f,%f,%f,%f" within the limits (mass 1..2000 kg, water <= 500 l,
// speeds 10..500 km/h, sinks -10..0 m/s). Lines are read as at most 511 characters.
std::optional<PolarFileValues> ParsePolarText(std::string_view text);

// Applies polar file text: when ParsePolarText accepts it and the points give a usable fit, stores
// them as LoadBuiltinPolar does (MacCready 0) and runs ComputePolar. 1, or 0 with nothing changed.
int ApplyPolarFileText(FlightState& fs, std::string_view text);
// Reads the polar file at a CE path and, when it is readable, within its limits and gives a usable
// fit, applies it as LoadBuiltinPolar does (MacCready 0) and runs ComputePolar. 1 or 0.
int ReadPolarFile(FlightState& fs, const WCHAR* path);

// Where LoadPolar took the polar from.
enum class PolarSource { File, Builtin, DefaultForEmptyCategory, Kept };
// Loads the polar of the "Polar" data-file category: the first file's full path (null when the
// category is empty) and its name. A file that cannot be used falls back to the built-in entry of
// that name; an empty category uses "Default" (the caller then names the category's file
// "Default"); an unknown name keeps the previous polar. Then ComputePolar.
PolarSource LoadPolar(FlightState& fs, const WCHAR* firstFilePath, const WCHAR* firstFileName);

}  // namespace cumulor
