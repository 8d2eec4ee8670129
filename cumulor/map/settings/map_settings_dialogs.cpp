#include "cumulor/map/settings/map_settings_dialogs.h"

#include <cmath>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/settings/airspace_settings_dialogs.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/map/view/map_fonts.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr UINT kCmdEditOptions = 1006;
constexpr UINT kCmdFinalGlideSettings = 40155;
constexpr UINT kCmdMapSymbols = 40161;
constexpr std::int32_t kVorTable = 2;
constexpr std::int32_t kIntersectionTable = 3;

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void MoveToCorner(HWND dialog) { SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }

void Register(HWND dialog) {
  if (const auto& set = GetMapSettingsLink().setActiveDialog) set(dialog);
}
void ClearRegistration() {
  if (const auto& set = GetMapSettingsLink().setActiveDialog) set(nullptr);
}

void PostToMain(UINT command) {
  AppContext* app = AppRecord();
  if (app && app->mainWindow) PostMessageW(app->mainWindow, WM_COMMAND, command, 0);
}

// ---- Dialog 110 ----

bool g_trueNorthAtOpening = false;

void MapOptionsInit(HWND dialog) {
  MoveToCorner(dialog);
  Register(dialog);
  AppContext* app = AppRecord();
  const MapSettingsLink& link = GetMapSettingsLink();
  const std::int32_t orientation = link.mapOrientation ? *link.mapOrientation : 1;
  CheckRadioButton(dialog, kIdNorthUp, kIdGoalUp, orientation == 1 ? kIdNorthUp : orientation == 2 ? kIdTrackUp : kIdGoalUp);
  Check(dialog, kIdAutoAdvance, MapOption(kOptAutoAdvance));
  Check(dialog, kIdAutoZoom, MapOption(kOptAutoZoom));
  g_trueNorthAtOpening = app && app->trueNorth != 0;
  Check(dialog, kIdTrueNorth, g_trueNorthAtOpening);
  Check(dialog, kIdAutoMc, MapOption(kOptAutoMacCready));
  Check(dialog, kIdNorthUpCircling, MapOption(kOptNorthUpCircling));
  Check(dialog, kIdSimSpeedZero, app && app->simulatorSpeedZero != 0);
  Check(dialog, kIdSetGpsTime, MapOption(kOptSetGpsTime));
  Check(dialog, kIdArmStart, MapOption(kOptArmStart));
  Check(dialog, kIdElevations, MapOption(kOptElevations));
}

void MapOptionsStore(HWND dialog, bool finalGlide) {
  AppContext* app = AppRecord();
  const MapSettingsLink& link = GetMapSettingsLink();
  const std::int32_t orientation = Checked(dialog, kIdTrackUp) ? 2 : Checked(dialog, kIdNorthUp) ? 1 : 3;
  if (link.setMapOrientation) {
    link.setMapOrientation(orientation);
  } else if (link.mapOrientation) {
    *link.mapOrientation = orientation;
  }
  SetMapOption(kOptAutoAdvance, Checked(dialog, kIdAutoAdvance));
  SetMapOption(kOptAutoZoom, Checked(dialog, kIdAutoZoom));
  const bool trueNorth = Checked(dialog, kIdTrueNorth);
  if (app) {
    app->trueNorth = trueNorth ? 1 : 0;
    if (trueNorth != g_trueNorthAtOpening) {
      const WCHAR* title = trueNorth ? u"True" : u"mag";
      NavBoxSetTexts(app->navBoxes, 5, title, nullptr, nullptr);
      NavBoxSetTexts(app->navBoxes, 4, title, nullptr, nullptr);
    }
  }
  SetMapOption(kOptAutoMacCready, Checked(dialog, kIdAutoMc));
  SetMapOption(kOptNorthUpCircling, Checked(dialog, kIdNorthUpCircling));
  const bool speedZero = Checked(dialog, kIdSimSpeedZero);
  if (app) app->simulatorSpeedZero = speedZero ? 1 : 0;
  MapDisplaySettings& display = MapDisplay();
  display.simulatorSpeed = speedZero ? 0.0f : 100.0f;
  display.simulatorSpeedKnots = static_cast<float>(display.simulatorSpeed * 1.943844);
  SetMapOption(kOptElevations, Checked(dialog, kIdElevations));
  SetMapOption(kOptSetGpsTime, Checked(dialog, kIdSetGpsTime));
  const bool armStart = Checked(dialog, kIdArmStart);
  SetMapOption(kOptArmStart, armStart);
  if (armStart && link.showNavBox) link.showNavBox(21);
  if (link.ownPositionToViews) link.ownPositionToViews();
  ClearRegistration();
  PlayMenuClick();
  EndDialog(dialog, 0);
  if (finalGlide) PostToMain(kCmdFinalGlideSettings);
}

INT_PTR MapOptionsCommand(HWND dialog, int id) {
  switch (id) {
    case kIdNorthUp:
    case kIdTrackUp:
    case kIdGoalUp:
      CheckRadioButton(dialog, kIdNorthUp, kIdGoalUp, id);
      return TRUE;
    case kIdEditOptions:
      if (const auto& close = GetMapSettingsLink().closeModeless) close();
      PostToMain(kCmdEditOptions);
      return TRUE;
    case IDOK:
    case kIdTitleOk:
    case kIdFinalGlide:
      MapOptionsStore(dialog, id == kIdFinalGlide);
      return TRUE;
    case IDCANCEL:
      ClearRegistration();
      EndDialog(dialog, 0);
      return TRUE;
    default: return FALSE;
  }
}

// ---- Dialog 127 ----

std::int32_t g_speedAtOpening = 7;

void UnitsInit(HWND dialog) {
  MoveToCorner(dialog);
  Register(dialog);
  AppContext* app = AppRecord();
  if (!app) return;
  CheckRadioButton(dialog, kIdHeightM, kIdHeightFt, app->altitudeUnit == 2 ? kIdHeightFt : kIdHeightM);
  CheckRadioButton(dialog, kIdClimbMs, kIdClimbKts, app->climbUnit == 4 ? kIdClimbKts : kIdClimbMs);
  CheckRadioButton(dialog, kIdSpeedKmh, kIdSpeedKts, app->speedUnit == 4 ? kIdSpeedKts : kIdSpeedKmh);
  CheckRadioButton(dialog, kIdTaskSpeedKmh, kIdTaskSpeedMph, app->taskSpeedUnit == 7 ? kIdTaskSpeedKmh : kIdTaskSpeedMph);
  CheckRadioButton(dialog, kIdDistanceKm, kIdDistanceSm,
                   app->distanceUnit == 6 ? kIdDistanceNm : app->distanceUnit == 8 ? kIdDistanceSm : kIdDistanceKm);
  g_speedAtOpening = app->speedUnit;
}

void UnitsApply(HWND dialog) {
  if (const auto& set = GetMapSettingsLink().setUnit) {
    set(UnitKind::kAltitude, Checked(dialog, kIdHeightM) ? 1 : 2);
    set(UnitKind::kClimb, Checked(dialog, kIdClimbMs) ? 3 : 4);
    set(UnitKind::kTaskSpeed, Checked(dialog, kIdTaskSpeedKmh) ? 7 : 8);
    set(UnitKind::kDistance, Checked(dialog, kIdDistanceKm) ? 5 : Checked(dialog, kIdDistanceNm) ? 6 : 8);
    const std::int32_t speed = Checked(dialog, kIdSpeedKmh) ? 7 : 4;
    if (speed != g_speedAtOpening) set(UnitKind::kSpeed, speed);
  }
  ClearRegistration();
  PlayMenuClick();
  EndDialog(dialog, 1);
}

INT_PTR UnitsCommand(HWND dialog, int id) {
  static constexpr struct {
    int first, last;
  } kGroups[] = {{kIdHeightM, kIdHeightFt}, {kIdClimbMs, kIdClimbKts}, {kIdSpeedKmh, kIdSpeedKts},
                 {kIdTaskSpeedKmh, kIdTaskSpeedMph}, {kIdDistanceKm, kIdDistanceSm}};
  for (const auto& g : kGroups) {
    if (id >= g.first && id <= g.last) {
      CheckRadioButton(dialog, g.first, g.last, id);
      return TRUE;
    }
  }
  if (id == kIdTitleOk || id == IDOK) {
    UnitsApply(dialog);
    return TRUE;
  }
  if (id == IDCANCEL) {
    ClearRegistration();
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

// ---- Dialog 168 ----

void MapLayersInit(HWND dialog) {
  MoveToCorner(dialog);
  Register(dialog);
  Check(dialog, kIdShowAirports, PointTableOf(kPointAirport).displayFlag != 0);
  Check(dialog, kIdShowUserWaypoints, PointTableOf(kPointUserWaypoint).displayFlag != 0);
  Check(dialog, kIdShowVors, PointTableOf(kVorTable).displayFlag != 0);
  Check(dialog, kIdShowIntersections, PointTableOf(kIntersectionTable).displayFlag != 0);
  if (AppContext* app = AppRecord()) {
    Check(dialog, kIdShowDbAirspace, (app->map.displayFlags & kShowDbAirspace) != 0);
    Check(dialog, kIdShowFileAirspace, (app->map.displayFlags & kShowFileAirspace) != 0);
  }
}

void SetDisplayBit(std::uint32_t bit, bool on) {
  AppContext* app = AppRecord();
  if (!app) return;
  if (on)
    app->map.displayFlags |= bit;
  else
    app->map.displayFlags &= ~bit;
  if (bit == kShowDbAirspace) app->airspace.showAeroAirspace = on ? 1 : 0;
}

void MapLayersEnd(HWND dialog, bool click) {
  if (click) PlayMenuClick();
  ClearRegistration();
  EndDialog(dialog, 1);
}

INT_PTR MapLayersCommand(HWND dialog, int id) {
  const bool on = Checked(dialog, id);
  switch (id) {
    case kIdShowAirports: PointTableOf(kPointAirport).displayFlag = on ? 1 : 0; return TRUE;
    case kIdShowUserWaypoints: PointTableOf(kPointUserWaypoint).displayFlag = on ? 1 : 0; return TRUE;
    case kIdShowVors: PointTableOf(kVorTable).displayFlag = on ? 1 : 0; return TRUE;
    case kIdShowIntersections: PointTableOf(kIntersectionTable).displayFlag = on ? 1 : 0; return TRUE;
    case kIdShowDbAirspace: SetDisplayBit(kShowDbAirspace, on); return TRUE;
    case kIdShowFileAirspace: SetDisplayBit(kShowFileAirspace, on); return TRUE;
    case kIdSymbols:
      ClearRegistration();
      EndDialog(dialog, 1);
      PostToMain(kCmdMapSymbols);
      return TRUE;
    case kIdTitleOk:
    case IDOK: MapLayersEnd(dialog, true); return TRUE;
    case IDCANCEL: MapLayersEnd(dialog, false); return TRUE;
    default: return FALSE;
  }
}

// ---- Dialog 179 ----

void ShowLabelLength(HWND dialog) {
  const std::int32_t* length = GetMapSettingsLink().labelLength;
  SetDlgItemInt(dialog, kIdLabelLength, static_cast<UINT>(length ? *length : 0), TRUE);
}

void LabelsSetUp(HWND dialog) {
  AppContext* app = AppRecord();
  CheckRadioButton(dialog, kIdOneClick, kIdTwoClicks, MapOption(kOptOneClick) ? kIdOneClick : kIdTwoClicks);
  CheckRadioButton(dialog, kIdShowAltitude, kIdShowGlideRatio,
                   MapDisplay().glideRatioLabels ? kIdShowGlideRatio : kIdShowAltitude);
  CheckRadioButton(dialog, kIdGreenLabels, kIdCircles, app && app->labelsShown ? kIdGreenLabels : kIdCircles);
  CheckRadioButton(dialog, kIdLabelByName, kIdLabelById, MapOption(kOptLabelsById) ? kIdLabelById : kIdLabelByName);
  ShowLabelLength(dialog);
}

void LabelsInit(HWND dialog) {
  MoveToCorner(dialog);
  for (int id = kIdGreenLabels; id <= kIdTwoClicks + 2; ++id)
    SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(MapFont(12)), FALSE);
  for (int id : {kIdLabelByName, kIdLabelById})
    SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(MapFont(12)), FALSE);
  SendDlgItemMessageW(dialog, kIdLabelLength, WM_SETFONT, reinterpret_cast<WPARAM>(MapFont(13)), FALSE);
  LabelsSetUp(dialog);
}

void EnterLabelLength(HWND dialog) {
  const MapSettingsLink& link = GetMapSettingsLink();
  double value = link.labelLength ? *link.labelLength : 0;
  if (!EnterValueDialog(&value, u"Enter Max Label Length:", 0, dialog, true)) return;
  if (link.labelLength) *link.labelLength = LabelLengthFromEntry(value);
  ShowLabelLength(dialog);
}

// The hardware keys and OK end dialog 179 with the click.
void LabelsKey(HWND dialog) {
  PlayMenuClick();
  EndDialog(dialog, 1);
}

INT_PTR LabelsCommand(HWND dialog, int id) {
  switch (id) {
    case kIdOneClick:
    case kIdTwoClicks:
      SetMapOption(kOptOneClick, !MapOption(kOptOneClick));
      LabelsSetUp(dialog);
      return TRUE;
    case kIdShowAltitude:
    case kIdShowGlideRatio:
      MapDisplay().glideRatioLabels = MapDisplay().glideRatioLabels ? 0 : 1;
      LabelsSetUp(dialog);
      return TRUE;
    case kIdLabelByName:
    case kIdLabelById:
      SetMapOption(kOptLabelsById, !MapOption(kOptLabelsById));
      LabelsSetUp(dialog);
      return TRUE;
    case kIdGreenLabels:
    case kIdCircles: {
      CheckRadioButton(dialog, kIdGreenLabels, kIdCircles, id);
      const bool green = id == kIdGreenLabels;
      if (AppContext* app = AppRecord()) app->labelsShown = green ? 1 : 0;
      SetMapOption(kOptGreenLabels, green);
      return TRUE;
    }
    case kIdLabelLength: EnterLabelLength(dialog); return TRUE;
    default: return ConfirmOrEnd(dialog, id, LabelsKey);
  }
}

void MapOptionsKey(HWND dialog) { MapOptionsStore(dialog, false); }
void UnitsKey(HWND dialog) {
  ClearRegistration();
  EndDialog(dialog, 1);
}
// The keys end dialog 168 like its other exits, so that no dialog stays up unregistered.
void MapLayersKey(HWND dialog) { MapLayersEnd(dialog, false); }

}  // namespace

int LabelLengthFromEntry(double value) {
  if (!(value >= 0.0 && value <= 50.0)) return kDefaultLabelLength;
  return static_cast<int>(std::trunc(value));
}

INT_PTR MapOptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return KeyDialogProcedure<MapOptionsInit, MapOptionsCommand, MapOptionsKey>(dialog, message, wparam);
}
INT_PTR UnitsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return KeyDialogProcedure<UnitsInit, UnitsCommand, UnitsKey>(dialog, message, wparam);
}
INT_PTR MapLayersDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return KeyDialogProcedure<MapLayersInit, MapLayersCommand, MapLayersKey>(dialog, message, wparam);
}
INT_PTR LabelsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return KeyDialogProcedure<LabelsInit, LabelsCommand, LabelsKey>(dialog, message, wparam);
}

}  // namespace cumulor
