#include "cumulor/data/dialogs/waypoint_dialog.h"

#include <cmath>
#include <cstring>
#include <string>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr int kName = 1056, kLat = 1389, kLon = 1390, kElevation = 1057, kIdent = 1058, kComment = 1065, kZoom = 1066;
constexpr int kAirport = 1101, kLanding = 1102, kTurnpoint = 1103;
constexpr int kRadial = 1059, kDistance = 1060;
constexpr double kPi = 3.14159265358979323846;

std::int32_t g_index = 0;
bool g_isNew = false;
std::function<TaskPoint()> g_referenceSource;

WaypointRecord& Record() { return UserWaypoints().records[g_index]; }

// The reference point, when one is set and valid.
bool Reference(TaskPoint& point) {
  if (!g_referenceSource) return false;
  point = g_referenceSource();
  return PointRefIsValid(PointRef{point.kind, point.index});
}

// Whole degrees 0..359 and metres of the waypoint from the reference point.
void RadialAndDistance(const TaskPoint& reference, std::int32_t& radial, std::uint32_t& distance) {
  const GeoPoint from = PointRefPosition(reference);
  const GeoPoint at = Record().position;
  double bearing = 0;
  GeoBearing(bearing, from, at);
  radial = static_cast<std::int32_t>(std::lround(bearing * 180.0 / kPi)) % 360;
  distance = GeoDistance(from, at);
}


std::u16string Widen(const char* text) { return ce::text::Format(u"%hs", text); }

void Narrow(char* destination, std::size_t size, const WCHAR* text) {
  std::size_t n = 0;
  for (; n + 1 < size && text[n] != 0; ++n) destination[n] = text[n] < 0x100 ? static_cast<char>(text[n]) : '?';
  destination[n] = '\0';
}

bool AltitudeInFeet() { return FormatUnits().altitude.load() == kUnitFeet; }

void Refresh(HWND dialog) {
  const WaypointRecord& w = Record();
  SetDlgItemTextW(dialog, kName, Widen(UserWaypoints().names[g_index].text).c_str());
  SetDlgItemTextW(dialog, kLat, Widen(FormatWaypointCoordinate(w.position.lat, true).c_str()).c_str());
  SetDlgItemTextW(dialog, kLon, Widen(FormatWaypointCoordinate(w.position.lon, false).c_str()).c_str());
  const std::int32_t shown = AltitudeInFeet() ? w.elevation : RoundToNearestInt(w.elevation * 0.3048);
  SetDlgItemTextW(dialog, kElevation, ce::text::Format(u"%d%s", shown, AltitudeInFeet() ? u"ft" : u"m").c_str());
  SetDlgItemTextW(dialog, kIdent, Widen(w.code).c_str());
  SetDlgItemTextW(dialog, kComment, Widen(w.comment).c_str());
  SetDlgItemTextW(dialog, kZoom, ce::text::Format(u"%d", w.zoomLimit).c_str());
  TaskPoint reference;
  const bool referenced = Reference(reference);
  EnableWindow(GetDlgItem(dialog, kRadial), referenced);
  EnableWindow(GetDlgItem(dialog, kDistance), referenced);
  if (referenced) {
    std::int32_t radial = 0;
    std::uint32_t distance = 0;
    RadialAndDistance(reference, radial, distance);
    SetDlgItemTextW(dialog, kRadial, ce::text::Format(u"%d\u00B0", radial).c_str());
    SetDlgItemTextW(dialog, kDistance, FormatDistance(distance, kPrecisionAuto));
  } else {
    SetDlgItemTextW(dialog, kRadial, u"");
    SetDlgItemTextW(dialog, kDistance, u"");
  }
  SendMessageW(GetDlgItem(dialog, kAirport), BM_SETCHECK, (w.flags & 0x2) ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(GetDlgItem(dialog, kLanding), BM_SETCHECK, (w.flags & 0x8) ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(GetDlgItem(dialog, kTurnpoint), BM_SETCHECK, (w.flags & 0x1) ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The text entry over the field's text; false when cancelled.
bool Ask(HWND dialog, int id, WCHAR (&entry)[kPadChars + 1], std::size_t limit) {
  GetDlgItemTextW(dialog, id, entry, kPadChars + 1);
  if (!EnterTextDialog(entry, nullptr, dialog)) return false;
  if (limit < kPadChars) entry[limit] = 0;
  return true;
}

void OnField(HWND dialog, int id) {
  WCHAR entry[kPadChars + 1] = {};
  WaypointRecord& w = Record();
  switch (id) {
    case kName:
      if (Ask(dialog, id, entry, 23)) Narrow(UserWaypoints().names[g_index].text, sizeof(PointText::text), entry);
      break;
    case kLat:
    case kLon: {
      if (!Ask(dialog, id, entry, kPadChars)) break;
      std::int32_t value = 0;
      if (!ParseCoordinateText(entry, value) || (id == kLat && (value > 3240000 || value < -3240000))) {
        PlaySoundAsync(u"Splat.wav");
        break;
      }
      (id == kLat ? w.position.lat : w.position.lon) = value;
      break;
    }
    case kElevation: {
      double value = AltitudeInFeet() ? w.elevation : RoundToNearestInt(w.elevation * 0.3048);
      if (!EnterValueDialog(&value, u"Elevation:", 0, dialog, true)) break;
      const double feet = AltitudeInFeet() ? value : std::round(value * 3.2808);
      if (feet >= -32768 && feet <= 32767) w.elevation = static_cast<std::int16_t>(feet);
      break;
    }
    case kIdent:
      if (Ask(dialog, id, entry, 5)) Narrow(w.code, 6, entry);
      break;
    case kComment:
      if (Ask(dialog, id, entry, 12)) Narrow(w.comment, 13, entry);
      break;
    case kZoom: {
      double value = w.zoomLimit;
      if (EnterValueDialog(&value, u"Zoom:", 0, dialog, true) && value >= 0 && value <= 65535)
        w.zoomLimit = static_cast<std::uint16_t>(value);
      break;
    }
    default: break;
  }
}

// A radial or distance entered: the waypoint moves to that radial and distance from the reference
// point, takes its name from them and the terrain's elevation there (when the terrain is known).
void OnRadialOrDistance(HWND dialog, int id) {
  TaskPoint reference;
  if (!Reference(reference)) return;
  std::int32_t radial = 0;
  std::uint32_t distance = 0;
  RadialAndDistance(reference, radial, distance);
  if (id == kRadial) {
    double value = radial;
    if (!EnterValueDialog(&value, u"Radial:", 0, dialog, true)) return;
    if (!(value >= -36000 && value <= 36000)) return;
    radial = ((static_cast<std::int32_t>(std::lround(value)) % 360) + 360) % 360;
  } else {
    std::int32_t metres = static_cast<std::int32_t>(distance);
    if (!EnterDoubleDialog(&metres, u"Distance:", dialog) || metres < 0) return;
    distance = static_cast<std::uint32_t>(metres);
  }
  const GeoPoint from = PointRefPosition(reference);
  WaypointRecord& w = Record();
  // The destination takes its angle from north towards the west.
  GeoDestination(from.lon, from.lat, distance, -(radial * kPi / 180.0), w.position);
  const char* referenceName = PointRefName(PointRef{reference.kind, reference.index});
  const std::u16string name = ce::text::Format(u"%hs %d\u00B0/%s", referenceName ? referenceName : "", radial,
                                               FormatDistance(distance, kPrecisionAuto));
  Narrow(UserWaypoints().names[g_index].text, 24, name.c_str());
  std::int32_t metres = -1000;
  if (TerrainElevationAt(AeroTiles(), w.position, metres)) {
    const double feet = std::round(metres * 3.2808);
    if (feet >= -32768 && feet <= 32767) w.elevation = static_cast<std::int16_t>(feet);
  }
}

void ToggleFlag(HWND dialog, int id, std::uint32_t bit) {
  if (SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED)
    Record().flags |= bit;
  else
    Record().flags &= ~bit;
}

}  // namespace

int ParseCoordinateText(const WCHAR* text, std::int32_t& out) {
  if (text == nullptr) return 0;
  const WCHAR* p = text;
  while (*p == u' ') ++p;
  auto digits = [&p](std::int32_t& value, int maxDigits) {
    int n = 0;
    value = 0;
    while (*p >= u'0' && *p <= u'9' && n < maxDigits) value = value * 10 + (*p++ - u'0'), ++n;
    return n > 0;
  };
  std::int32_t degrees = 0, minutes = 0;
  if (!digits(degrees, 3) || degrees > 179) return 0;
  if (*p != u':' && *p != u'.') return 0;
  ++p;
  if (!digits(minutes, 2) || minutes > 59) return 0;
  double fraction = 0;
  if (*p == u'.') {
    ++p;
    double scale = 0.1;
    if (*p < u'0' || *p > u'9') return 0;
    for (int n = 0; *p >= u'0' && *p <= u'9'; ++p, ++n)
      if (n < 6) fraction += (*p - u'0') * scale, scale /= 10;
  }
  while (*p == u' ') ++p;
  bool negative = false;
  if (*p == u'N' || *p == u'n' || *p == u'E' || *p == u'e') {
    ++p;
  } else if (*p == u'S' || *p == u's' || *p == u'W' || *p == u'w') {
    negative = true;
    ++p;
  }
  if (*p != 0) return 0;
  const std::int32_t value = degrees * 36000 + minutes * 600 + static_cast<std::int32_t>(std::lround(fraction * 600));
  out = negative ? -value : value;
  return 1;
}

void UserWaypointCommit(bool isNew) {
  PlayMenuClick();
  if (isNew) {
    BuildPointIndexes(0);
    const std::int32_t last = UserWaypoints().records.Size() - 1;
    if (last > 0) AeroTiles().AddItem(kTileUserWaypoints, UserWaypoints().records[last].position, static_cast<std::uint32_t>(last));
  }
  SaveUserWaypoints();
}

void SetWaypointReferenceSource(std::function<TaskPoint()> source) { g_referenceSource = std::move(source); }

INT_PTR AddUserWaypoint(std::int32_t index, std::int32_t lon, std::int32_t lat, HWND owner) {
  if (index >= 0) {
    if (index < 1 || index >= UserWaypoints().records.Size()) return 0;
    g_index = index;
    g_isNew = false;
  } else {
    g_index = NewUserWaypoint(GeoPoint{lon, lat});
    g_isNew = true;
  }
  return RunDialog(kWaypointDialog, owner, WaypointDialogProc, 0);
}

INT_PTR WaypointDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: Refresh(dialog); return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      switch (id) {
        case kName: case kLat: case kLon: case kElevation: case kIdent: case kComment: case kZoom:
          OnField(dialog, id);
          Refresh(dialog);
          return TRUE;
        case kRadial:
        case kDistance:
          OnRadialOrDistance(dialog, id);
          Refresh(dialog);
          return TRUE;
        case kAirport: ToggleFlag(dialog, id, 0x2); return TRUE;
        case kLanding: ToggleFlag(dialog, id, 0x8); return TRUE;
        case kTurnpoint: ToggleFlag(dialog, id, 0x1); return TRUE;
        case IDOK:
        case 1355:
          UserWaypointCommit(g_isNew);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
        case 193:
          if (g_isNew) RemoveLastUserWaypoint();
          EndDialog(dialog, 0);
          return TRUE;
        default: return FALSE;
      }
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 1);
    default: return FALSE;
  }
}

}  // namespace cumulor
