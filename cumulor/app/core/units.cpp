#include "cumulor/app/core/units.h"

#include <string>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/core/main_lock.h"

namespace cumulor {
namespace {

template <std::size_t N>
void Store(WCHAR (&field)[N], const WCHAR* text) {
  std::size_t i = 0;
  for (; i + 1 < N && text[i]; ++i) field[i] = text[i];
  field[i] = 0;
}

}  // namespace

void SetAltitudeUnit(AppContext& app, std::int32_t unit) {
  if (unit == kUnitMetres || unit == kUnitFeet) {
    app.altitudeUnit = unit;
    Store(app.altitudeUnitText, unit == kUnitFeet ? u"ft" : u"m");
    FormatUnits().altitude = unit;
  }
  const std::u16string label = std::u16string(app.altitudeUnitText) + (app.flight.requiredAltitudeMode ? u" msl" : u" agl");
  MainLockGuard guard(app);  // the frame draws the boxes on the GPS notify thread
  for (std::int32_t box : {3, 17}) NavBoxSetTexts(app.navBoxes, box, nullptr, nullptr, label.c_str());
}

void SetClimbUnit(AppContext& app, std::int32_t unit) {
  if (unit == 3 || unit == 4) {
    app.climbUnit = unit;
    Store(app.climbUnitText, unit == 4 ? u"kts" : u"m/s");
  }
  MainLockGuard guard(app);  // the frame draws the boxes on the GPS notify thread
  for (std::int32_t box : {6, 7}) NavBoxSetTexts(app.navBoxes, box, nullptr, u"0.0", app.climbUnitText);
  NavBoxSetTexts(app.navBoxes, 8, nullptr, u" ", app.climbUnitText);
}

void SetDistanceUnit(AppContext& app, std::int32_t unit) {
  if (unit == kUnitKilometres || unit == kUnitNauticalMiles || unit == kUnitStatuteMiles) {
    app.distanceUnit = unit;
    Store(app.distanceUnitText, unit == kUnitNauticalMiles ? u"nm" : unit == kUnitStatuteMiles ? u"sm" : u"km");
    FormatUnits().distance = unit;
  }
  MainLockGuard guard(app);  // the frame draws the boxes on the GPS notify thread
  for (std::int32_t box : {2, 10}) NavBoxSetTexts(app.navBoxes, box, nullptr, u"000", app.distanceUnitText);
  NavBoxSetTexts(app.navBoxes, 20, nullptr, u"---", app.distanceUnitText);
}

void SetTaskSpeedUnit(AppContext& app, std::int32_t unit) {
  // Every code is known: 7 is km/h, any other mph.
  app.taskSpeedUnit = unit;
  Store(app.taskSpeedUnitText, unit == 7 ? u"km/h" : u"mph");
  MainLockGuard guard(app);  // the frame draws the boxes on the GPS notify thread
  for (std::int32_t box : {18, 19}) NavBoxSetTexts(app.navBoxes, box, nullptr, u"000", app.taskSpeedUnitText);
}

void SetSpeedUnit(AppContext& app, std::int32_t unit) {
  if (unit == 4 || unit == 7) {
    app.speedUnit = unit;
    Store(app.speedUnitText, unit == 4 ? u"kts" : u"km/h");
  }
  MainLockGuard guard(app);  // the frame draws the boxes on the GPS notify thread
  NavBoxSetTexts(app.navBoxes, 11, nullptr, u"000", app.speedUnitText);
  NavBoxSetTexts(app.navBoxes, 9, nullptr, nullptr, app.speedUnitText);
}

}  // namespace cumulor
