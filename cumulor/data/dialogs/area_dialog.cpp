#include "cumulor/data/dialogs/area_dialog.h"

#include <cmath>
#include <cwchar>
#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"
#include "platform/text/scan.h"

namespace cumulor {

namespace {

constexpr int kMinDistance = 1175;
constexpr int kMaxDistance = 1176;
constexpr int kStartRadial = 1177;
constexpr int kEndRadial = 1178;
constexpr int kMetres = 1244;
constexpr int kMiles = 1245;
constexpr int kKeepInside = 1101;
constexpr int kErase = 3;
constexpr int kMetresPerMile = 1609;

TaskPoint* g_point = nullptr;

bool InMiles() { return AreaDistanceUnit() == 8; }

std::int32_t Shown(std::int32_t metres) {
  return InMiles() ? static_cast<std::int32_t>(std::lround(metres / static_cast<double>(kMetresPerMile))) : metres;
}

void SetNumber(HWND dialog, int id, std::int32_t value) {
  SetDlgItemTextW(dialog, id, ce::text::Format(u"%d", value).c_str());
}

bool ReadNumber(HWND dialog, int id, std::int32_t& out) {
  WCHAR text[32] = {};
  GetDlgItemTextW(dialog, id, text, 32);
  int value = 0;
  WCHAR rest = 0;
  if (swscanf(text, u"%d%c", &value, &rest) != 1) return false;
  out = value;
  return true;
}

void OnInit(HWND dialog, TaskPoint* point) {
  g_point = point;
  if (point == nullptr) return;
  const PointRef ref{point->kind, point->index};
  const char* code = PointCodeText(ref);
  const char* name = PointRefName(ref);
  SetWindowTextW(dialog, ce::text::Format(u"AREA %hs (%hs)", code != nullptr ? code : "", name != nullptr ? name : "").c_str());
  SetNumber(dialog, kMinDistance, Shown(point->minRadius));
  SetNumber(dialog, kMaxDistance, Shown(point->maxRadius));
  SetNumber(dialog, kStartRadial, point->startRadial);
  SetNumber(dialog, kEndRadial, point->endRadial);
  SendMessageW(GetDlgItem(dialog, kMetres), BM_SETCHECK, InMiles() ? BST_UNCHECKED : BST_CHECKED, 0);
  SendMessageW(GetDlgItem(dialog, kMiles), BM_SETCHECK, InMiles() ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(GetDlgItem(dialog, kKeepInside), BM_SETCHECK,
               (TaskOptionFlags() & kKeepMobileInsideAreas) != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void AskField(HWND dialog, int id, const WCHAR* caption) {
  std::int32_t current = 0;
  ReadNumber(dialog, id, current);
  double value = current;
  if (EnterValueDialog(&value, caption, 0, dialog, true)) SetNumber(dialog, id, static_cast<std::int32_t>(value));
}

// A change of unit converts the two distances shown.
void SetUnit(HWND dialog, std::int32_t unit) {
  if (AreaDistanceUnit() == unit) return;
  std::int32_t shown[2] = {};
  const bool read = ReadNumber(dialog, kMinDistance, shown[0]) && ReadNumber(dialog, kMaxDistance, shown[1]);
  const bool fromMiles = InMiles();
  AreaDistanceUnit() = unit;
  if (!read) return;
  for (int i = 0; i < 2; ++i) {
    const std::int32_t metres = fromMiles ? shown[i] * kMetresPerMile : shown[i];
    SetNumber(dialog, i == 0 ? kMinDistance : kMaxDistance, Shown(metres));
  }
}

void OnOk(HWND dialog) {
  std::int32_t values[4] = {};
  const int ids[4] = {kMinDistance, kMaxDistance, kStartRadial, kEndRadial};
  for (int i = 0; i < 4; ++i) {
    if (!ReadNumber(dialog, ids[i], values[i])) {
      PlaySoundAsync(u"WindMax.wav");
      return;
    }
  }
  if (InMiles()) {
    values[0] *= kMetresPerMile;
    values[1] *= kMetresPerMile;
  }
  if (values[1] < values[0]) {
    PlaySoundAsync(u"WindMax.wav");
    return;
  }
  if (g_point != nullptr) {
    g_point->minRadius = values[0];
    g_point->maxRadius = values[1];
    g_point->startRadial = static_cast<std::int16_t>(values[2]);
    g_point->endRadial = static_cast<std::int16_t>(values[3]);
  }
  if (SendMessageW(GetDlgItem(dialog, kKeepInside), BM_GETCHECK, 0, 0) == BST_CHECKED)
    TaskOptionFlags() |= kKeepMobileInsideAreas;
  else
    TaskOptionFlags() &= ~kKeepMobileInsideAreas;
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR AreaDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: OnInit(dialog, reinterpret_cast<TaskPoint*>(lparam)); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kMinDistance: AskField(dialog, kMinDistance, u"Enter MIN Distance"); return TRUE;
        case kMaxDistance: AskField(dialog, kMaxDistance, u"Enter MAX Distance"); return TRUE;
        case kStartRadial: AskField(dialog, kStartRadial, u"Enter Start Radial"); return TRUE;
        case kEndRadial: AskField(dialog, kEndRadial, u"Enter End Radial"); return TRUE;
        case kMetres: SetUnit(dialog, 1); return TRUE;
        case kMiles: SetUnit(dialog, 8); return TRUE;
        case kErase:
          for (int id : {kMinDistance, kMaxDistance, kStartRadial, kEndRadial}) SetNumber(dialog, id, 0);
          return TRUE;
        case IDOK:
        case 1355: OnOk(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, 1); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

INT_PTR EditTaskPointArea(TaskPoint& point, HWND owner) {
  return RunDialog(kAreaDialog, owner, AreaDialogProc, reinterpret_cast<LPARAM>(&point));
}

INT_PTR EditTaskPointAreaPosition(TaskPoint& point, HWND owner) {
  const bool hadArea = point.maxRadius > 0;
  const INT_PTR result = EditTaskPointArea(point, owner);
  if (point.maxRadius > 0 && !hadArea) {
    const GeoPoint centre = PointRefRecordPosition(PointRef{point.kind, point.index});
    point.lon = centre.lon;
    point.lat = centre.lat;
  } else if (point.maxRadius <= 0) {
    point.lon = point.lat = 0;
  }
  return result;
}

}  // namespace cumulor
