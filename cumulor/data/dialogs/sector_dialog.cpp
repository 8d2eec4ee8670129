#include "cumulor/data/dialogs/sector_dialog.h"

#include <cmath>
#include <string>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_store.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr int kTabs = 1312;
constexpr int kFirstType = 1244;
constexpr int kLastType = 1250;
constexpr int kWidth = 1423;
constexpr int kBearing = 1427;
constexpr int kAltitude = 1425;
constexpr int kAltitudeUnit = 1277;
constexpr int kPointA = 1428;
constexpr int kPointB = 1212;
constexpr int kTypeFrame = 1442;
constexpr int kWidthFrame = 1424;
constexpr int kAltitudeFrame = 1426;

SectorDialogHooks g_hooks;

bool AltitudeInFeet() { return FormatUnits().altitude.load() == kUnitFeet; }

TaskRule& Rule() { return Rules().rule[SectorDialogTab()]; }

void Show(HWND dialog, int id, bool shown) {
  if (HWND item = GetDlgItem(dialog, id)) ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
}

void SetNumber(HWND dialog, int id, std::int32_t value) {
  SetDlgItemTextW(dialog, id, ce::text::Format(u"%d", value).c_str());
}

std::u16string PointText(const TaskPoint& point) {
  const char* name = PointRefName(PointRef{point.kind, point.index});
  return name != nullptr && name[0] != '\0' ? ce::text::Format(u"%hs", name) : std::u16string(u"...");
}

void Refresh(HWND dialog) {
  const int tab = SectorDialogTab();
  const TaskRule& rule = Rule();
  for (int id = kFirstType; id <= kLastType; ++id)
    SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, id - kFirstType == rule.type ? BST_CHECKED : BST_UNCHECKED, 0);
  SetNumber(dialog, kWidth, rule.width);
  SetNumber(dialog, kBearing, rule.bearing);
  SetDlgItemTextW(dialog, kWidthFrame, tab == kRuleOnTask ? u"Radius" : u"Gate Width");
  SetDlgItemTextW(dialog, kTypeFrame, tab == kRuleOnTask ? u"Turnpoint Sector" : u"Gate Type");
  if (AltitudeInFeet()) {
    SetNumber(dialog, kAltitude, rule.altitude);
    SetDlgItemTextW(dialog, kAltitudeUnit, u"ft");
  } else {
    SetNumber(dialog, kAltitude, RoundToNearestInt(rule.altitude * 0.30480370641307));
    SetDlgItemTextW(dialog, kAltitudeUnit, u"m");
  }
  Show(dialog, 1247, tab == kRuleStart);
  Show(dialog, 1248, tab != kRuleOnTask);
  Show(dialog, 1249, tab != kRuleOnTask);
  Show(dialog, kBearing, tab != kRuleOnTask);
  Show(dialog, 1250, tab == kRuleOnTask);
  Show(dialog, kAltitude, tab != kRuleFinish);
  Show(dialog, kAltitudeUnit, tab != kRuleFinish);
  Show(dialog, kAltitudeFrame, tab != kRuleFinish);
  const bool points = tab == kRuleStart && rule.type == kGateTwoStarts;
  Show(dialog, kPointA, points);
  Show(dialog, kPointB, points);
  if (points) {
    SetDlgItemTextW(dialog, kPointA, PointText(rule.pointA).c_str());
    SetDlgItemTextW(dialog, kPointB, PointText(rule.pointB).c_str());
  }
}

void OnInit(HWND dialog) {
  HWND tabs = GetDlgItem(dialog, kTabs);
  const char16_t* names[] = {u"Start", u"On Task", u"Finish"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<LPWSTR>(names[i]);
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(64, g_hooks.largeScreen ? 64 : 32));
  if (SectorDialogTab() < 0 || SectorDialogTab() > 2) SectorDialogTab() = 0;
  SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(SectorDialogTab()), 0);
  if (HFONT* font = FontHandleSlot(kFontMedium); font && *font) {
    SendMessageW(GetDlgItem(dialog, kWidth), WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
    SendMessageW(GetDlgItem(dialog, kAltitude), WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
  }
  Refresh(dialog);
}

void AskNumber(HWND dialog, const WCHAR* caption, std::int32_t& field) {
  double value = field;
  if (!EnterValueDialog(&value, caption, 0, dialog, true)) return;
  TaskListsGuard guard;  // the frame draws the rules
  field = static_cast<std::int32_t>(value);
}

void AskAltitude(HWND dialog) {
  TaskRule& rule = Rule();
  const bool feet = AltitudeInFeet();
  double value = feet ? rule.altitude : RoundToNearestInt(rule.altitude * 0.30480370641307);
  const std::u16string caption = ce::text::Format(u"Altitude Limit (in %s):", feet ? u"feet" : u"meters");
  if (!EnterValueDialog(&value, caption.c_str(), 0, dialog, true)) return;
  TaskListsGuard guard;
  rule.altitude = feet ? static_cast<std::int32_t>(value) : RoundToNearestInt(value * 3.2808);
}

void ChoosePoint(bool first) {
  TaskPoint point;
  if (!g_hooks.choosePoint || !g_hooks.choosePoint(point)) return;
  if (!PointRefIsValid(PointRef{point.kind, point.index})) return;
  TaskRule& rule = Rules().rule[kRuleStart];
  const GeoPoint at = PointRefPosition(point);
  TaskListsGuard guard;
  if (first) {
    rule.pointA = point;
    rule.pointAPosition = at;
  } else {
    rule.pointB = point;
    rule.pointBPosition = at;
  }
}

void Close(HWND dialog) {
  PlayMenuClick();
  {
    TaskListsGuard guard;  // the frame draws the gates
    ComputeStartFinishGates();
  }
  EndDialog(dialog, 1);
}

}  // namespace

void SetSectorDialogHooks(const SectorDialogHooks& hooks) { g_hooks = hooks; }

int& SectorDialogTab() {
  static int tab = 0;
  return tab;
}

INT_PTR SectorDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: OnInit(dialog); return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header != nullptr && header->idFrom == kTabs && header->code == TCN_SELCHANGE) {
        const LRESULT tab = SendMessageW(GetDlgItem(dialog, kTabs), TCM_GETCURSEL, 0, 0);
        if (tab >= 0 && tab <= 2) SectorDialogTab() = static_cast<int>(tab);
        Refresh(dialog);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= kFirstType && id <= kLastType) {
        TaskListsGuard guard;
        Rule().type = id - kFirstType;
      } else if (id == kWidth) {
        AskNumber(dialog, SectorDialogTab() == kRuleOnTask ? u"Radius:" : u"Width:", Rule().width);
      } else if (id == kBearing) {
        AskNumber(dialog, u"Gate Bearing:", Rule().bearing);
      } else if (id == kAltitude) {
        AskAltitude(dialog);
      } else if (id == kPointA || id == kPointB) {
        ChoosePoint(id == kPointA);
      } else if (id == IDOK || id == 1355) {
        Close(dialog);
        return TRUE;
      } else {
        return FALSE;
      }
      Refresh(dialog);
      return TRUE;
    }
    case WM_KEYDOWN:
      if (IsAppKey(wparam)) {
        Close(dialog);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace cumulor
