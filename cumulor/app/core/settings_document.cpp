#include "cumulor/app/core/settings_document.h"

#include <cstring>
#include <string>

#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"
#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/data_reload.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/task_document.h"
#include "cumulor/app/core/units.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/points/point_export.h"
#include "cumulor/data/task/task_columns.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox/nav_box_xml.h"
#include "cumulor/map/team/team_dialogs.h"
#include "cumulor/map/team/team_grid.h"
#include "platform/files/files.h"

namespace cumulor {

namespace {

// The option bits kept here, per word, as stored (the owned bits are built from their records).
constexpr std::uint32_t kKeptMask[4] = {
    0,
    (1u << 1) | (1u << 2) | (1u << 3) | (1u << 7) | (1u << 8) | (1u << 10) | (1u << 12) | (1u << 15),
    (1u << 0) | (1u << 2) | (1u << 4) | (1u << 6) | (1u << 9) | (1u << 10) | (1u << 11) | (1u << 13),
    (1u << 0) | (1u << 1) | (1u << 4) | (1u << 7) | (1u << 9) | (1u << 11) | (1u << 14),
};

bool Bit(std::int32_t value, int bit) { return (static_cast<std::uint32_t>(value) >> bit) & 1u; }

// "See through" (1: patterned brushes drawn with XOR) or "Solid" (0): the airspace groups get the
// brushes and pens of the mode, under the main lock and then the airspace lock, as a reload does,
// so that no frame draws with a brush being replaced.
void SetAirspaceFillMode(AppContext& app, std::uint8_t fill) {
  EnterCriticalSection(&app.mainLock);
  {
    std::lock_guard<std::mutex> lock(app.airspace.lock);
    if (fill != app.airspace.fillMode) {
      app.airspace.fillMode = fill;
      AirspaceSetClassStyles(app.airspace, fill);
    }
  }
  LeaveCriticalSection(&app.mainLock);
}

void AddBytes(XmlNode& parent, const char* name, const BYTE* bytes, std::int32_t count) {
  DynString text;
  BytesToText(bytes, count, text);
  parent.AddChildString(name, text.CStr());
}

// A block is taken only when the text holds all of it: a short or broken text changes nothing.
void ReadBytes(const XmlNode& node, BYTE* bytes, std::int32_t count) {
  const char* text = node.GetText();
  if (!text) return;
  BYTE read[256] = {};
  if (count > static_cast<std::int32_t>(sizeof read)) return;
  std::memcpy(read, bytes, static_cast<std::size_t>(count));
  if (TextToBytes(read, count, text)) std::memcpy(bytes, read, static_cast<std::size_t>(count));
}

bool PointIsValid(const TaskPoint& point) { return PointRefIsValid(PointRef{point.kind, point.index}); }

void AddPoint(XmlNode& settings, const char* name, const TaskPoint& point) {
  if (!PointIsValid(point)) return;
  if (XmlNode* element = settings.AddChild(name)) TurnpointToXml(point, *element);
}

// "Home" and "Radial": the first child element read as a turnpoint; an element without a child
// or whose point is not found changes nothing.
bool ReadPoint(const XmlNode& element, TaskPoint& point) {
  if (element.ChildCount() == 0) return false;
  TaskPoint read = point;
  if (!TurnpointFromXml(read, *element.Child(0))) return false;
  point = read;
  return true;
}

void KeepElement(std::unique_ptr<XmlNode>& slot, const XmlNode& element) {
  auto copy = std::make_unique<XmlNode>("");
  copy->CopyFrom(element);
  slot = std::move(copy);
}

bool NameIs(const XmlNode& node, const char* name) { return std::strcmp(node.Name().CStr(), name) == 0; }

}  // namespace

SettingsKept& KeptSettings() {
  static SettingsKept kept;
  return kept;
}

void ResetKeptSettings() {
  KeptSettings() = SettingsKept{};
  SetBrowserCategory(KeptSettings().browserCategory);
  ResetColumnSettings();
}

void UnpackOptionFlags(AppContext& app, std::int32_t word, std::int32_t value) {
  if (word < 1 || word > 3) return;
  SettingsKept& kept = KeptSettings();
  kept.options[word] = static_cast<std::uint32_t>(value) & kKeptMask[word];
  switch (word) {
    case 1:
      app.igcLogging = Bit(value, 4) ? 1 : 0;
      if (Bit(value, 6)) {
        app.trueNorth = 1;
        NavBoxSetTexts(app.navBoxes, 5, nullptr, nullptr, u"True");
        NavBoxSetTexts(app.navBoxes, 4, nullptr, nullptr, u"True");
      }
      app.airspace.alarmsOff = Bit(value, 9) ? 1 : 0;
      SetTaskSpeedUnit(app, Bit(value, 11) ? 7 : 8);
      break;
    case 2:
      app.simulatorSpeedZero = Bit(value, 3) ? 1 : 0;
      kept.unitField = Bit(value, 12) ? 8 : 1;
      OlcUnpackFlags2(value);  // six legs (bit 14), the route shown (bit 15)
      break;
    case 3:
      app.terrainShown = Bit(value, 2) ? 0 : 1;
      app.thermalsHidden = Bit(value, 3) ? 0 : 1;
      kept.mapMode = Bit(value, 6) ? 1 : 0;
      SetTaskSpeedUnit(app, Bit(value, 8) ? 8 : 7);
      app.finalGlideOn = Bit(value, 10) ? 0 : 1;
      app.olcSecurity = Bit(value, 13) ? 0 : 1;
      app.airspace.noDialog = Bit(value, 1) ? 1 : 0;
      app.airspace.proximityBeeps = Bit(value, 11) ? 1 : 0;
      SetAirspaceFillMode(app, Bit(value, 0) ? 1 : 0);
      break;
  }
}

std::int32_t PackOptionFlags(const AppContext& app, std::int32_t word) {
  if (word < 1 || word > 3) return 0;
  const SettingsKept& kept = KeptSettings();
  std::uint32_t value = kept.options[word] & kKeptMask[word];
  switch (word) {
    case 1:
      if (app.igcLogging) value |= 1u << 4;
      if (app.trueNorth) value |= 1u << 6;
      if (app.airspace.alarmsOff) value |= 1u << 9;
      if (app.taskSpeedUnit == 7) value |= 1u << 11;
      break;
    case 2:
      if (app.simulatorSpeedZero) value |= 1u << 3;
      if (kept.unitField == 8) value |= 1u << 12;
      value = static_cast<std::uint32_t>(OlcPackFlags2(static_cast<std::int32_t>(value)));
      break;
    case 3:
      if (!app.terrainShown) value |= 1u << 2;
      if (!app.thermalsHidden) value |= 1u << 3;
      if (kept.mapMode == 1) value |= 1u << 6;
      if (app.taskSpeedUnit != 7) value |= 1u << 8;
      if (!app.finalGlideOn) value |= 1u << 10;
      if (!app.olcSecurity) value |= 1u << 13;
      break;
  }
  return static_cast<std::int32_t>(value);
}

void BuildSettingsDocument(AppContext& app, XmlNode& root) {
  XmlNode* settings = root.AddChild("Settings");
  if (!settings) return;
  SettingsKept& kept = KeptSettings();
  settings->AddChildString("CumulorVersion", "9.00b Ultra");
  SaveDataFileLists(*settings);
  AddPoint(*settings, "Home", HomePoint());
  AddPoint(*settings, "Radial", kept.radialPoint);
  AddBytes(*settings, "Columns", ColumnSettingsStore().columns, sizeof ColumnSettingsStore().columns);
  std::int32_t show = kept.showWord & ~0xF;
  for (int table = 1; table <= 4; ++table)
    if (PointTableOf(table).displayFlag) show |= 1 << (table - 1);
  settings->AddChildInt("Flags_Show", show);
  AddBytes(*settings, "ColumnsBr", ColumnSettingsStore().columnsBr, sizeof ColumnSettingsStore().columnsBr);
  AddBytes(*settings, "ColumnsTsk", ColumnSettingsStore().columnsTsk, sizeof ColumnSettingsStore().columnsTsk);
  AddBytes(*settings, "DisabledSuas", kept.disabledSuas, sizeof kept.disabledSuas);
  AddBytes(*settings, "WarnableSuas", app.airspace.aeroClassWarn, sizeof app.airspace.aeroClassWarn);
  AddBytes(*settings, "DefaultHome", kept.defaultHome, sizeof kept.defaultHome);
  settings->AddChildInt("BrowserCategory", kept.browserCategory);
  ThermalQuerySave(*settings);
  TaskRulesSave(*settings);
  SaveTerrainMargin(*settings);
  GridSave(*settings);
  SaveUserSerial(*settings);
  settings->AddChildInt("ConeEnabled", kept.coneEnabled ? 1 : 0);
  settings->AddChildInt("ConeSerial", kept.coneSerial);
  MapSymbolsSave(*settings);
  SaveProfileSettings(app, *settings);
}

void SaveProfileSettings(AppContext& app, XmlNode& settings) {
  SettingsKept& kept = KeptSettings();
  MenuToXml(app.menu, settings);
  NavBoxLayoutSave(app.navBoxes, settings);
  if (XmlNode* port = settings.AddChildInt("SerialPort", app.portNumber))
    port->AddAttribute("speed", std::to_string(app.baudRate).c_str());
  settings.AddChildInt("Bugs", GetFlightParameter(app.flight, kParamBugs));
  settings.AddChildInt("TimeZone", app.timeZone);
  settings.AddChildInt("FixRate", app.fixRate);
  settings.AddChildInt("SuaDistX", app.suaDistX);
  settings.AddChildInt("SuaDistY", app.suaDistY);
  settings.AddChildDouble("SuaAudio1", app.suaAudio[0]);
  settings.AddChildDouble("SuaAudio2", app.suaAudio[1]);
  settings.AddChildDouble("SuaAudio3", app.suaAudio[2]);
  settings.AddChildInt("FGSafetyMargin", app.marginValue);
  settings.AddChildInt("MapOrientation", kept.mapOrientation);
  settings.AddChildInt("LabelLen", kept.labelLength);
  settings.AddChildInt("UnitsAltitude", app.altitudeUnit);
  settings.AddChildInt("UnitsClimb", app.climbUnit);
  settings.AddChildInt("UnitsDistance", app.distanceUnit);
  settings.AddChildInt("UnitsSpeed", app.speedUnit);
  settings.AddChildInt("Zoom", app.zoomIndex);
  settings.AddChildInt("MagBias", kept.magBias);
  if (XmlNode* declaration = settings.AddChild("Declaration")) {
    declaration->AddChildString("Pilot", app.declaration.pilot);
    declaration->AddChildString("Registration", app.declaration.registration);
    declaration->AddChildString("Type", app.declaration.gliderType);
    declaration->AddChildString("Class", app.declaration.competitionClass);
    declaration->AddChildString("CompId", app.declaration.competitionId);
  }
  GridTeamToBytes(kept.gridTeam);
  AddBytes(settings, "GridTeam", kept.gridTeam, sizeof kept.gridTeam);
  AddBytes(settings, "FinalGlide", kept.finalGlide, sizeof kept.finalGlide);
  if (XmlNode* position = settings.AddChild("CurrentPos")) position->AddChildLatLon(app.mapCentre);
  ContoursSave(settings, app.vectorMap.contours);
  FontsToXml(settings);
  settings.AddChildInt("Flags1", PackOptionFlags(app, 1));
  settings.AddChildInt("Flags2", PackOptionFlags(app, 2));
  settings.AddChildInt("Flags3", PackOptionFlags(app, 3));
}

std::int32_t ApplySettingsDocument(AppContext& app, const XmlNode& element, std::int32_t mode) {
  SettingsKept& kept = KeptSettings();
  const bool desktop = mode == kSettingsDesktop;
  const bool profile = mode == kSettingsProfile;
  bool hiResInit = false;
  for (XmlChildIterator it = element.ChildIterator(); !it.AtEnd(); it.Advance()) {
    const XmlNode& child = *it.Get();
    std::int32_t value = 0;
    if (NameIs(child, "Flags_Show")) {
      if (!child.GetInt(value)) continue;
      kept.showWord = value;
      for (int table = 1; table <= 4; ++table) PointTableOf(table).displayFlag = Bit(value, table - 1) ? 1 : 0;
    } else if (NameIs(child, "Files")) {
      ApplyFilesElement(app, child, mode);
    } else if (NameIs(child, "Columns")) {
      if (!desktop) ReadBytes(child, ColumnSettingsStore().columns, sizeof ColumnSettingsStore().columns);
    } else if (NameIs(child, "ColumnsBr")) {
      if (!desktop) ReadBytes(child, ColumnSettingsStore().columnsBr, sizeof ColumnSettingsStore().columnsBr);
    } else if (NameIs(child, "ColumnsTsk")) {
      ReadBytes(child, ColumnSettingsStore().columnsTsk, sizeof ColumnSettingsStore().columnsTsk);
    } else if (NameIs(child, "DisabledSuas")) {
      ReadBytes(child, kept.disabledSuas, sizeof kept.disabledSuas);
    } else if (NameIs(child, "WarnableSuas")) {
      ReadBytes(child, app.airspace.aeroClassWarn, sizeof app.airspace.aeroClassWarn);
    } else if (NameIs(child, "Radial")) {
      ReadPoint(child, kept.radialPoint);
    } else if (NameIs(child, "Home")) {
      // A home without a turnpoint is skipped like any element that does not parse.
      if (ReadPoint(child, HomePoint())) KeepElement(kept.keptHome, *child.Child(0));
    } else if (NameIs(child, "DefaultHome")) {
      ReadBytes(child, kept.defaultHome, sizeof kept.defaultHome);
    } else if (NameIs(child, "Menu")) {
      MenuFromXml(app.menu, child);
    } else if (NameIs(child, "NavBar")) {
      if (!desktop) NavBoxLayoutLoad(app.navBoxes, child);
    } else if (NameIs(child, "SerialPort")) {
      // The text and exactly the one attribute "speed".
      const char* speed = child.GetAttribute("speed");
      if (speed && child.AttributeCount() == 2 && child.GetInt(value))
        SetSerialPort(app, value, static_cast<std::uint32_t>(TextToInt(speed)));
    } else if (NameIs(child, "Bugs")) {
      if (!desktop && child.GetInt(value)) SetFlightParameter(app.flight, kParamBugs, value);
    } else if (NameIs(child, "TimeZone")) {
      if (!desktop && child.GetInt(value)) app.timeZone = value;
    } else if (NameIs(child, "FixRate")) {
      if (child.GetInt(value)) app.fixRate = value;
    } else if (NameIs(child, "SuaDistX")) {
      if (child.GetInt(value)) app.suaDistX = value;
    } else if (NameIs(child, "SuaDistY")) {
      if (child.GetInt(value)) app.suaDistY = value;
    } else if (NameIs(child, "FGSafetyMargin")) {
      if (child.GetInt(value) && value >= 0 && value < 2000) {
        app.marginValue = value;
        SetFlightParameter(app.flight, kParamSafetyMargin, value);
      }
    } else if (NameIs(child, "MapOrientation")) {
      if (child.GetInt(value)) kept.mapOrientation = value;
    } else if (NameIs(child, "LabelLen")) {
      if (child.GetInt(value)) kept.labelLength = value;
    } else if (NameIs(child, "UnitsAltitude")) {
      if (child.GetInt(value) && (value == 1 || value == 2)) SetAltitudeUnit(app, value);
    } else if (NameIs(child, "UnitsClimb")) {
      if (child.GetInt(value) && (value == 3 || value == 4)) SetClimbUnit(app, value);
    } else if (NameIs(child, "UnitsDistance")) {
      if (child.GetInt(value) && (value == 5 || value == 6 || value == 8)) SetDistanceUnit(app, value);
    } else if (NameIs(child, "UnitsSpeed")) {
      if (child.GetInt(value) && (value == 7 || value == 4)) SetSpeedUnit(app, value);
    } else if (NameIs(child, "Flags1") || NameIs(child, "Flags2") || NameIs(child, "Flags3")) {
      if (child.GetInt(value)) UnpackOptionFlags(app, child.Name().CStr()[5] - '0', value);
    } else if (profile) {
      continue;  // the elements below are not taken from a profile
    } else if (NameIs(child, "Zoom")) {
      if (child.GetInt(value) && value >= 0 && value < kZoomSteps) {
        app.zoomIndex = value;
        MapSetScale(app.map, kZoomTable[value]);
      }
    } else if (NameIs(child, "Contours")) {
      if (ContoursLoad(child, app.vectorMap.contours)) ApplyContourSettings(app.vectorMap);
    } else if (NameIs(child, "Fonts")) {
      FontsFromXml(child);
    } else if (NameIs(child, "MagBias")) {
      if (child.GetInt(value)) kept.magBias = value;
    } else if (NameIs(child, "MapSymbols")) {
      if (!hiResInit) MapSymbolsLoad(child);
    } else if (NameIs(child, "SuaAudio1") || NameIs(child, "SuaAudio2") || NameIs(child, "SuaAudio3")) {
      double audio = 0.0;
      if (child.GetDouble(audio)) app.suaAudio[child.Name().CStr()[8] - '1'] = static_cast<float>(audio);
    } else if (NameIs(child, "BrowserCategory")) {
      if (child.GetInt(value)) {
        kept.browserCategory = value;
        SetBrowserCategory(value);
      }
    } else if (NameIs(child, "GridTeam")) {
      ReadBytes(child, kept.gridTeam, sizeof kept.gridTeam);
      // The second word takes the third's value when it is 0.
      if (std::memcmp(kept.gridTeam + 4, "\0\0\0\0", 4) == 0) std::memcpy(kept.gridTeam + 4, kept.gridTeam + 8, 4);
      GridTeamFromBytes(kept.gridTeam);
    } else if (NameIs(child, "FinalGlide")) {
      if (!desktop) ReadBytes(child, kept.finalGlide, sizeof kept.finalGlide);
    } else if (NameIs(child, "Declaration")) {
      LoadDeclaration(app, child);
    } else if (NameIs(child, "HiResInit")) {
      hiResInit = true;
    } else if (NameIs(child, "McCready")) {
      double mc = 0.0;
      if (child.GetDouble(mc)) SetMacCready(app, static_cast<float>(mc));
    }
  }
  // The module steps read their own elements from the whole document element.
  ThermalQueryLoad(element);
  TaskRulesLoad(element);
  GridLoad(element);
  LoadTerrainMargin(element);
  LoadUserSerial(element);
  std::int32_t cone = 0;
  if (element.GetChildInt("ConeEnabled", cone)) kept.coneEnabled = cone >= 1 ? 1 : 0;
  if (element.GetChildInt("ConeSerial", cone)) kept.coneSerial = cone;
  return 1;
}

std::int32_t LoadSettingsFile(AppContext& app, const WCHAR* path, std::int32_t mode) {
  XmlNode top = XmlNode::ConstructTop();
  const int result = XmlParseFile(path, top);
  if (result == kXmlNoFile) return 2;
  if (result != kXmlParsed || top.ChildCount() == 0) return 11;
  ApplySettingsDocument(app, *top.Child(0), mode);
  return 0;
}

std::int32_t SaveSettingsFile(AppContext& app, const WCHAR* path, const char* profileName) {
  XmlNode top = XmlNode::ConstructTop();
  BuildSettingsDocument(app, top);
  if (path) return XmlSaveFile(top, path, profileName);
  const std::u16string main = app.dataFolder.Get() + u"\\KV_SETTINGS.xml";
  return XmlSaveFile(top, main.c_str(), profileName);
}

void LoadAllSettings(AppContext& app, GeoPoint* position, bool setTarget) {
  const std::u16string folder = app.dataFolder.Get();
  LoadSettingsFile(app, (folder + u"\\KV_SETTINGS.xml").c_str(), kSettingsMain);
  const std::u16string install1 = folder + u"\\KV_SETTINGS_INSTALL1.xml";
  if (LoadSettingsFile(app, install1.c_str(), kSettingsInstall) != 2) {
    DeleteFileW(install1.c_str());
    // The home point is looked up again in the data the install brought.
    if (KeptSettings().keptHome) TurnpointFromXml(HomePoint(), *KeptSettings().keptHome);
  }
  const std::u16string install2 = folder + u"\\KV_SETTINGS_INSTALL2.xml";
  if (LoadSettingsFile(app, install2.c_str(), kSettingsInstall) != 2) DeleteFileW(install2.c_str());

  LoadTasksFile(app, (folder + u"\\KV_TASKS.xml").c_str());
  ImportDesktopTasksFile(app, (folder + u"\\KV_TASKS_FROMDESKTOP3D.xml").c_str());
  if (!ActiveTask().Empty()) {
    const TaskPoint first = ActiveTask()[0];
    const GeoPoint at = PointRefPosition(first);
    SetNavigationTarget(app, first, &at, 0);
  }
  RestoreGotoTarget();
  // Without a home point, the first airport becomes home.
  if (!PointIsValid(HomePoint()) && PointTableCount(kPointAirport) > 1) {
    HomePoint() = TaskPoint{};
    HomePoint().kind = kPointAirport;
    HomePoint().index = 1;
  }
  if (app.simulator && PointIsValid(HomePoint())) {
    if (position) *position = PointRefPosition(HomePoint());
    PlaceSimulatorAtHome(app);
    if (setTarget) {
      const GeoPoint at = PointRefPosition(HomePoint());
      SetNavigationTarget(app, HomePoint(), &at, 0);
    }
  }
  // A task not yet started has no previous point.
  if (!ActiveTask().Empty() && AchievedList().Empty()) {
    PreviousTarget().kind = 0;
    PreviousTarget().index = 0;
  }
}

}  // namespace cumulor
