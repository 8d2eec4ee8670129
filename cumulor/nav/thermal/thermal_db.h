// The thermal and wave database: known sources from the files of the "Thermals" data-file
// category, the query that selects those working for the present sun and wind, and their drift
// downwind to where the glider would meet them at its altitude.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/nav/thermal/thermal_record.h"
#include "platform/base/types.h"

namespace cumulor {

class XmlNode;

struct ThermalQuery {
  std::int32_t timeMode = 0;   // 1 now, 2 hours, 3 any
  std::int32_t sunFrom = 0;
  std::int32_t sunTo = 0;
  std::int32_t hourFrom = 0;
  std::int32_t hourTo = 0;
  std::int32_t windMode = 0;   // 1 current wind, 2 given, 3 any
  std::int32_t windFrom = 0;
  std::int32_t windTo = 0;
  std::int32_t spare = 0;
};

struct ThermalWind {
  std::int32_t from = 0;     // degrees
  float speed = 0.0f;        // km/h
};

// What the database reads of the application; installed at start-up. Unset hooks do nothing.
struct ThermalHooks {
  void (*showMessage)(const WCHAR* text) = nullptr;   // the program's own message box
  ThermalWind (*currentWind)() = nullptr;
  GeoPoint (*ownPosition)() = nullptr;
  std::int32_t (*altitude)() = nullptr;               // metres, flight parameter 1049
  void (*lock)() = nullptr;                           // the main lock
  void (*unlock)() = nullptr;
  void (*refreshMap)() = nullptr;
  // The current UTC time (the system time when unset).
  void (*utcNow)(SYSTEMTIME& out) = nullptr;
};
ThermalHooks& ThermalHooksInstalled();

DynArray<ThermalRecord>& ThermalRecords();
DynArray<FlightInfoImage>& ThermalCompanions();
ThermalQuery& ThermalQuerySettings();

// The element "ThermalQuery": the 36 bytes of the query as a byte-list text. Loading searches the
// node's subtree, answers 0 when the element is missing and resets the maximum climb.
void ThermalQuerySave(XmlNode& settings);
int ThermalQueryLoad(const XmlNode& settings);

// Offers a climb rate (m/s): true when it beats the stored maximum, which then becomes it.
bool ThermalMaxClimb(float rate);
float ThermalMaxClimbValue();

void ThermalDbClear();
// Loads every file of the "Thermals" category; a file that cannot be read shows "Error reading %s"
// with its path and keeps what it gave before the fault. Returns 1.
int ThermalDbLoad();
// Loads one file (appending): true when it was read whole.
bool ThermalDbLoadFile(const WCHAR* path);

// Selects the records for the sun and wind windows of the query and drifts them into the thermal
// list of the tile cache; the wind is the given one or the current estimate.
void ThermalUpdate(const ThermalWind* wind);
void ThermalDrift(const ThermalWind& wind, std::int32_t altitude);
// The window test: (value - from) brought into 0..359 must not exceed the width.
std::int32_t ThermalWindowWidth(std::int32_t from, std::int32_t to);

}  // namespace cumulor
