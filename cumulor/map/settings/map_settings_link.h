// What the map's settings and in-flight dialogs need of the application core, and the display
// settings that no other module keeps. The core fills the link at start-up; an unset function
// does nothing.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/base/types.h"

namespace cumulor {

// The unit kinds of the unit setters.
enum class UnitKind { kAltitude, kClimb, kDistance, kSpeed, kTaskSpeed };

struct MapSettingsLink {
  // Registers a dialog over the map (null clears the registration and the dialog-active flag).
  std::function<void(HWND dialog)> setActiveDialog;
  // Closes the modeless dialogs over the map.
  std::function<void()> closeModeless;
  // One of the unit setters of the application record.
  std::function<void(UnitKind kind, std::int32_t code)> setUnit;
  // Passes the own position to the map views again.
  std::function<void()> ownPositionToViews;
  // Switches navigation box `number` on.
  std::function<void(std::int32_t number)> showNavBox;
  // The option words 1..3 of the settings (index 0 unused): a set bit is the option switched on.
  std::uint32_t* options = nullptr;
  std::int32_t* mapOrientation = nullptr;   // 1 north up, 2 track up, 3 goal up
  // Stores the map orientation where the frame reads it (the frame runs on another thread); without
  // it the dialog writes `mapOrientation` itself.
  std::function<void(std::int32_t orientation)> setMapOrientation;
  std::int32_t* labelLength = nullptr;      // name characters of a point label
};

void SetMapSettingsLink(MapSettingsLink link);
const MapSettingsLink& GetMapSettingsLink();

// The option bits the dialogs edit: {word, bit}.
struct OptionBit {
  int word;
  int bit;
};
inline constexpr OptionBit kOptAutoZoom{1, 1};
inline constexpr OptionBit kOptAutoAdvance{1, 2};
inline constexpr OptionBit kOptAutoMacCready{1, 10};
inline constexpr OptionBit kOptOneClick{1, 12};
inline constexpr OptionBit kOptElevations{1, 15};
inline constexpr OptionBit kOptGreenLabels{2, 0};
inline constexpr OptionBit kOptNorthUpCircling{2, 2};
inline constexpr OptionBit kOptSetGpsTime{2, 4};
inline constexpr OptionBit kOptLabelsById{2, 11};
inline constexpr OptionBit kOptSeeThrough{3, 0};
inline constexpr OptionBit kOptAlarmSmall{3, 1};
inline constexpr OptionBit kOptArmStart{3, 7};
inline constexpr OptionBit kOptAlarmAudio{3, 11};

// An option of the link's words (false without words).
bool MapOption(OptionBit option);
void SetMapOption(OptionBit option, bool on);

// The airspace display flags of the map view.
inline constexpr std::uint32_t kShowAirspaceIds = 0x10;   // database airspace labels by identifier
inline constexpr std::uint32_t kShowDbAirspace = 0x20;    // database airspace drawn
inline constexpr std::uint32_t kShowFileAirspace = 0x40;  // airspace of the airspace files drawn

inline constexpr int kDbAirspaceClasses = 15;
// Display settings kept by the map's dialogs.
struct MapDisplaySettings {
  std::uint8_t dbClassHidden[kDbAirspaceClasses] = {};   // 1: the database class is not drawn
  std::uint8_t glideRatioLabels = 0;                     // labels show the glide ratio required
  std::uint8_t autoWind = 0;                             // the wind follows the estimate
  float simulatorSpeed = 100.0f;                         // the simulator's speed value
  float simulatorSpeedKnots = 194.3844f;                 // the same times 1.943844
};
MapDisplaySettings& MapDisplay();

}  // namespace cumulor
