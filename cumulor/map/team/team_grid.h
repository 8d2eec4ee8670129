// The team grid: four nested levels of 8 x 8 lettered cells round a reference waypoint, the codes
// team mates tell each other ("A1 B2 C3 D4"), the pilot's own code and three team marks.
//
// Everything here is window-free; `team_dialogs.h` holds the code entry and team set-up dialogs and
// `TeamMarksDraw`. The grid and the marks are module state, used on the UI thread and by the new-fix
// handling under the main lock.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

class XmlNode;

struct TeamGrid {
  std::int32_t teamMode = 0;            // 1: the own code is computed
  std::int32_t referenceWaypoint = 0;   // user waypoint index centring the grid; 0 none
  std::int32_t savedWord = 0;           // copied from the application when the settings are saved
  std::int32_t unused1 = 0;
  std::int32_t columnWidth[4] = {};     // levels 0 (coarsest) to 3, GeoPoint units of longitude
  std::int32_t rowHeight[4] = {};       // GeoPoint units of latitude
  GeoPoint southWest;
  GeoPoint northEast;
  std::int32_t unused2 = 0;
  WCHAR ownCode[9] = {};
};
// The part of the grid kept in the settings ("GridTeam"): team mode to the north-east corner.
inline constexpr std::int32_t kGridTeamBytes = 64;

struct TeamMark {
  WCHAR gliderId[8] = {};               // in use when the first character is not 0
  WCHAR code[20] = {};
  GeoPoint position;
};
inline constexpr std::int32_t kTeamMarkCount = 3;
static_assert(sizeof(TeamMark) == 64, "a team mark slot is 64 bytes");

TeamGrid& TeamGridState();
TeamMark* TeamMarks();  // kTeamMarkCount slots

// The grid words kept in the settings, as bytes, and back.
void GridTeamToBytes(BYTE* bytes);
void GridTeamFromBytes(const BYTE* bytes);

// Places the grid round the reference waypoint when it is set and within the user waypoint table;
// otherwise the grid stays as it is.
void GridSetOrigin();
// The code of a position ("A1 B2 C3 D4" with blanks, "A1B2C3D4" without), in a buffer shared by
// every call; "----" west or south of the grid and while the grid is not placed.
const WCHAR* GridFormatCode(const GeoPoint& position, bool withBlanks);
// The south-west corner of the cell a code of 1 to 4 letter-number pairs names (blanks optional).
// 0, or E_FAIL for an empty code or an odd number of fields.
HRESULT GridParseCode(const WCHAR* code, GeoPoint& position);

void TeamMarksClear();
bool TeamMarkIsSet(std::int32_t slot);

// Each new fix while team mode is on: from the fourth on, the own code of the map position (with
// blanks, cut to 8 characters). Returns the own code, or null when it was not recomputed.
const WCHAR* TeamGridOnFix(const GeoPoint& mapPosition);
// Restarts the fix count (team mode switched on again, a new grid).
void TeamGridResetFixCount();

// "Grid": the three slots as one block of bytes. Load answers 1 when the element exists (the slots
// then hold what it gives; a text that does not parse leaves them unchanged), else 0.
std::int32_t GridLoadSlots(const XmlNode& settings);
void GridSaveSlots(XmlNode& settings);

}  // namespace cumulor
