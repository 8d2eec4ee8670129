#include "cumulor/data/points/aero_tables.h"

namespace cumulor {

namespace {

template <class T>
void ToPlaceholder(DynArray<T>& a) {
  a.SetSize(0);
  a.SetSize(1);
}

void TextsToPlaceholder(DynArray<char*>& a) {
  FreePointerArray(a);
  a.SetSize(1);
}

}  // namespace

AeroTables::AeroTables() { Clear(); }

AeroTables::~AeroTables() {
  FreePointerArray(airportNames);
  FreePointerArray(nearNames);
  FreePointerArray(frequencyTexts);
  FreePointerArray(remarks);
  FreePointerArray(navaidNames);
}

void AeroTables::Clear() {
  ToPlaceholder(airports);
  TextsToPlaceholder(airportNames);
  TextsToPlaceholder(nearNames);
  ToPlaceholder(runways);
  ToPlaceholder(frequencies);
  TextsToPlaceholder(frequencyTexts);
  TextsToPlaceholder(remarks);
  ToPlaceholder(navaids);
  TextsToPlaceholder(navaidNames);
  ToPlaceholder(intersections);
  airspaces.clear();
  airspaceInView.clear();
  allRegions.SetSize(0);
}

AeroTables& AeroData() {
  static AeroTables tables;
  return tables;
}

}  // namespace cumulor
