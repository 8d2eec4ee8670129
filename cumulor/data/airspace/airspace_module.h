// The file-airspace module of the application record: the 17 class groups with their names,
// fills and outlines (the drawing side makes their brushes and pens), the shapes read from the airspace text files, the switch-off list with its
// registry value "SuaOff", the alarm state and the airspace lock.
//
// Locking: the airspace lock guards the groups' shape arrays, the warned list, the switch-off list
// and the warning state. It is taken alone: its holder takes no other lock, shows nothing and sends
// no window message. A reload replaces the shapes while holding the main lock and then the airspace
// lock, so a frame drawn under the main lock and a test run under the airspace lock never meet
// freed shapes.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/airspace/airspace_lock.h"
#include "cumulor/data/airspace/airspace_shape.h"
#include "platform/base/types.h"
#include "platform/registry/registry.h"

namespace cumulor {

inline constexpr std::int32_t kAirspaceGroupCount = 17;

// Class group numbers.
enum AirspaceGroupNumber : std::int32_t {
  kGroupNone = 0,
  kGroupClassA = 1,
  kGroupClassB = 2,
  kGroupClassC = 3,
  kGroupClassD = 4,
  kGroupSector = 5,
  kGroupClassE = 6,
  kGroupCtr = 7,
  kGroupRestricted = 8,
  kGroupProhibited = 9,
  kGroupDanger = 10,
  kGroupGliderProhibited = 11,
  kGroupBorder = 12,
  kGroupWave = 13,
  kGroupTerrainOpen = 14,
  kGroupTerrainClosed = 15,
  kGroupClassF = 16,
};

// How a class group's shapes are filled.
struct AirspaceFill {
  enum Kind : std::uint8_t {
    kNone,       // the brush the frame holds is kept
    kHollow,     // no fill
    kSolid,      // the colour
    kChecked,    // an 8 x 8 check of black and the colour
    kStockGrey,  // the system's grey brush
  };
  Kind kind = kNone;
  COLORREF colour = 0;
  bool operator==(const AirspaceFill&) const = default;
};

// How a class group's shapes are outlined: the map's default pen, or a pen of a style (0 solid,
// 1 dashed, ... as a file's style line gives it), width and colour.
struct AirspaceOutline {
  bool mapDefault = true;
  std::int32_t style = 0;
  std::int32_t width = 1;
  COLORREF colour = 0;
  bool operator==(const AirspaceOutline&) const = default;
};
inline constexpr std::int32_t kOutlineSolid = 0;
inline constexpr std::int32_t kOutlineDashed = 1;

struct AirspaceClassGroup {
  WCHAR name[32] = {};
  std::vector<AirspaceShape> shapes;
  std::int32_t enabled = 0;            // takes part in drawing and alarms
  AirspaceFill fill;
  std::int32_t fillFromFile = 0;       // set by a style line of a file (until the next load)
  AirspaceOutline outline;
  std::int32_t outlineFromFile = 0;
  COLORREF labelColour = 0;
};

// Names a shape of one airspace load: the load number, the group, the index in the group and the
// shape id. A reference of an earlier load finds nothing.
struct AirspaceShapeRef {
  std::uint32_t load = 0;
  std::int32_t group = 0;
  std::int32_t index = -1;
  std::int32_t id = 0;
};

// The alarm handed to the dialog, copied while the lock was held.
struct AirspaceAlarm {
  AirspaceShapeRef shape;
  std::int32_t group = 0;
  std::uint32_t horizontalDistance = 0;   // metres
  std::int32_t verticalDistance = 0;      // feet: negative below the floor, positive above the ceiling
  std::int32_t altitude = 0;              // feet
  std::int32_t pressureAltitude = 0;      // feet
  WCHAR name[48] = {};
  WCHAR groupName[32] = {};
  WCHAR floorText[26] = {};
  WCHAR ceilingText[26] = {};
};

// What the airspace code shows or plays, filled by the application core; tests record them.
// None of these is ever called with the airspace lock held.
struct AirspaceUi {
  // A message box: text, caption, and whether the main window owns it.
  std::function<void(const std::u16string&, const std::u16string&, bool owned)> messageBox;
  // A sound by file name, played synchronously or not.
  std::function<void(const std::u16string&, bool sync)> playSound;
  // Closes the modeless dialogs over the map.
  std::function<void()> closeModeless;
  // Runs the "Airspace Alarm" dialog modally with the alarm.
  std::function<void(const AirspaceAlarm&)> alarmDialog;
  // Hands an alarm to the application core instead of the dialog (the no-dialog setting).
  std::function<void(const AirspaceAlarm&)> pendingAlarm;
  // The main lock, taken around the replacement of the shapes by a reload (before the airspace
  // lock); unset in programs without a map.
  std::function<void()> enterMainLock;
  std::function<void()> leaveMainLock;
};

// The four warning-state words of the nearest airspace, copied under the lock.
struct AirspaceWarning {
  std::int32_t verticalState = 0;
  std::int32_t verticalDistance = 0;
  std::int32_t horizontalDistance = 0;
  float proximity = 0.0f;
};

struct AirspaceModule {
  std::int32_t groupCount = kAirspaceGroupCount;
  AirspaceClassGroup group[kAirspaceGroupCount];
  std::uint8_t fillMode = 1;               // 1 patterned brushes, 0 solid
  std::uint32_t loadNumber = 0;            // counts the loads; shape references carry it
  // What the last load of the selected files read: each path with its size and write time, so
  // that the same files are not read (and their messages shown) again.
  std::vector<std::u16string> loadedFiles;
  bool loadedAll = false;

  // Alarm settings and state.
  std::atomic<std::uint8_t> alarmsOff{0};
  std::atomic<std::uint8_t> noDialog{0};
  std::atomic<std::uint8_t> proximityBeeps{0};
  std::vector<const AirspaceShape*> warned;   // shapes already alarmed
  DynArray<std::int32_t> disabled;            // ids switched off today
  const AirspaceShape* nearestShape = nullptr;
  float verticalMargin = 0.0f;
  float horizontalMargin = 0.0f;
  float bestScore = 1000.0f;
  std::uint8_t closeDialogs = 0;
  std::uint8_t aeroClassWarn[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  std::atomic<std::uint8_t> showAeroAirspace{0};   // the map shows database airspace
  std::atomic<std::uint8_t> shortNamesFirst{0};    // the map names database airspace by short name

  // Reader state kept across shapes and files: the arc direction, the centre of V X (kept from
  // shape to shape and file to file) and the V R radius.
  std::int32_t direction = 1;
  GeoPoint centre;
  std::uint8_t centreSet = 0;
  std::int32_t radiusVR = 0;

  AirspaceUi ui;
  std::mutex& lock = AirspaceLock();   // the airspace lock
  std::mutex loadLock;      // one load at a time
};

void AirspaceInit(AirspaceModule& module);
void AirspaceTerm(AirspaceModule& module);
// Gives groups 1..16 empty shape arrays with room for `capacity` shapes, enables them and sets
// the class styles; E_FAIL when memory runs out (groups already done keep their arrays).
HRESULT AirspaceAllocClassArrays(AirspaceModule& module, std::int32_t capacity);
// Sets the fills and outlines of the class table for the fill mode (1 patterned, 0 solid).
void AirspaceSetClassStyles(AirspaceModule& module, std::uint8_t fillMode);
// The same over a set of groups (a load being read); the styles of a file's lines are dropped.
void AirspaceApplyClassStyles(AirspaceClassGroup (&groups)[kAirspaceGroupCount], std::uint8_t fillMode);
// Drops the styles a file's lines gave a group (no fill and the map's default pen).
void AirspaceClearFileStyles(AirspaceClassGroup& group);
// Frees every shape of groups 1..16 and the styles of files' lines, empties the warned list and
// forgets the nearest file shape.
void AirspaceFreeAll(AirspaceModule& module);

// The shape a reference names, when it belongs to the current load; null otherwise. Lock held.
AirspaceShape* AirspaceFindShape(AirspaceModule& module, const AirspaceShapeRef& ref);

}  // namespace cumulor
