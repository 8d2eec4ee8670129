#include "cumulor/map/settings/airspace_settings_dialogs.h"

#include <algorithm>
#include <mutex>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/map/view/map_fonts.h"
#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr int kFirstGroup = 1;
constexpr int kLastGroup = 13;
constexpr UINT kCmdOffList = 40057;

void MoveToCorner(HWND dialog, bool keepOrder) {
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | (keepOrder ? SWP_NOZORDER : 0u));
}

void ClearRegistration() {
  if (const auto& set = GetMapSettingsLink().setActiveDialog) set(nullptr);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// ---- Dialog 122 ----

void UserAirspaceInit(HWND dialog) {
  AppContext* app = AppRecord();
  MoveToCorner(dialog, true);
  if (!app) return;
  {
    std::lock_guard<std::mutex> lock(app->airspace.lock);
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
      HWND box = GetDlgItem(dialog, kIdGroupBoxBase + g);
      if (!box) continue;
      const AirspaceClassGroup& group = app->airspace.group[g];
      if (group.shapes.empty())
        EnableWindow(box, FALSE);
      else
        CheckDlgButton(dialog, kIdGroupBoxBase + g, group.enabled ? BST_CHECKED : BST_UNCHECKED);
    }
  }
  CheckRadioButton(dialog, kIdFillSolid, kIdFillSeeThrough,
                   app->airspace.fillMode == 1 ? kIdFillSeeThrough : kIdFillSolid);
}

void UserAirspaceConfirm(HWND dialog) {
  AppContext* app = AppRecord();
  if (app) {
    AirspaceModule& module = app->airspace;
    const std::uint8_t fill = Checked(dialog, kIdFillSeeThrough) ? 1 : 0;
    std::lock_guard<std::mutex> lock(module.lock);
    // A group without a check box in the template (Class A), or whose box is disabled because it
    // holds no shapes, keeps its flag.
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
      HWND box = GetDlgItem(dialog, kIdGroupBoxBase + g);
      if (box && IsWindowEnabled(box)) module.group[g].enabled = Checked(dialog, kIdGroupBoxBase + g) ? 1 : 0;
    }
    if (fill != module.fillMode) {
      module.fillMode = fill;
      AirspaceSetClassStyles(module, fill);
    }
    SetMapOption(kOptSeeThrough, fill == 1);
  }
  ClearRegistration();
  PlayMenuClick();
  EndDialog(dialog, 1);
}

// ---- Dialog 139 ----

void ShowMargins(HWND dialog, const AppContext& app) {
  SetDlgItemInt(dialog, kIdVerticalMargin, static_cast<UINT>(app.suaDistY), TRUE);
  SetDlgItemInt(dialog, kIdHorizontalMargin, static_cast<UINT>(app.suaDistX), TRUE);
}

void WarningsSetUp(HWND dialog) {
  AppContext* app = AppRecord();
  if (!app) return;
  CheckDlgButton(dialog, kIdAlarmsEnabled, app->airspace.alarmsOff ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(dialog, kIdAlarmSmall, app->airspace.noDialog ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kIdAlarmAudio, app->airspace.proximityBeeps ? BST_CHECKED : BST_UNCHECKED);
  ShowMargins(dialog, *app);
}

void WarningsInit(HWND dialog) {
  MoveToCorner(dialog, false);
  for (int id : {kIdVerticalMargin, kIdHorizontalMargin})
    SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(MapFont(13)), FALSE);
  WarningsSetUp(dialog);
}

// A margin step; margins never go below 0.
void StepMargin(std::int32_t& margin, std::int32_t step) { margin = std::max<std::int32_t>(0, margin + step); }

INT_PTR WarningsCommand(HWND dialog, int id) {
  AppContext* app = AppRecord();
  switch (id) {
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, 1);
      return TRUE;
    case kIdVerticalPlus:
    case kIdVerticalMinus:
    case kIdHorizontalPlus:
    case kIdHorizontalMinus:
      if (!app) return TRUE;
      if (id == kIdVerticalPlus) StepMargin(app->suaDistY, 50);
      if (id == kIdVerticalMinus) StepMargin(app->suaDistY, -50);
      if (id == kIdHorizontalPlus) StepMargin(app->suaDistX, 100);
      if (id == kIdHorizontalMinus) StepMargin(app->suaDistX, -50);
      ShowMargins(dialog, *app);
      return TRUE;
    case kIdAlarmsEnabled:
    case kIdAlarmSmall:
    case kIdAlarmAudio: {
      if (!app) return TRUE;
      const bool on = Checked(dialog, id);
      if (id == kIdAlarmsEnabled) app->airspace.alarmsOff = on ? 0 : 1;
      if (id == kIdAlarmSmall) {
        app->airspace.noDialog = on ? 1 : 0;
        SetMapOption(kOptAlarmSmall, on);
      }
      if (id == kIdAlarmAudio) {
        app->airspace.proximityBeeps = on ? 1 : 0;
        SetMapOption(kOptAlarmAudio, on);
      }
      WarningsSetUp(dialog);
      return TRUE;
    }
    default: return FALSE;
  }
}

// ---- Dialog 172 ----

int g_currentTab = 0;   // 0 "Show Me", 1 "Warn Me"

// Check box states of the tab: "Show Me" checked = the class is drawn, "Warn Me" = it is warned.
void ShowClassTable(HWND dialog, const AppContext& app, int tab) {
  for (int c = 0; c < kDbAirspaceClasses; ++c) {
    const bool on = tab == 0 ? MapDisplay().dbClassHidden[c] == 0 : app.airspace.aeroClassWarn[c] != 0;
    CheckDlgButton(dialog, kIdClassBoxBase + c, on ? BST_CHECKED : BST_UNCHECKED);
  }
}

void StoreClassTable(HWND dialog, AppContext& app, int tab) {
  for (int c = 0; c < kDbAirspaceClasses; ++c) {
    if (!GetDlgItem(dialog, kIdClassBoxBase + c)) continue;
    const bool on = Checked(dialog, kIdClassBoxBase + c);
    if (tab == 0)
      MapDisplay().dbClassHidden[c] = on ? 0 : 1;
    else
      app.airspace.aeroClassWarn[c] = on ? 1 : 0;
  }
}

void DbAirspaceInit(HWND dialog) {
  MoveToCorner(dialog, true);
  HWND tabs = GetDlgItem(dialog, kIdClassTabs);
  if (tabs) {
    // 80 x 32 pixels, twice that on a high-resolution screen, the control as tall as its tabs.
    const int scale = IsLargeScreen() ? 2 : 1;
    SendMessageW(tabs, TCM_SETITEMSIZE, 0, MAKELPARAM(80 * scale, 32 * scale));
    RECT r{};
    GetWindowRect(tabs, &r);
    SetWindowPos(tabs, nullptr, 0, 0, r.right - r.left, 32 * scale + 2, SWP_NOMOVE | SWP_NOZORDER);
    const WCHAR* names[2] = {u"Show Me", u"Warn Me"};
    for (int i = 0; i < 2; ++i) {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<LPWSTR>(names[i]);
      SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(tabs, TCM_SETCURSEL, 0, 0);
  }
  g_currentTab = 0;
  AppContext* app = AppRecord();
  if (!app) return;
  CheckRadioButton(dialog, kIdLabelName, kIdLabelId, (app->map.displayFlags & kShowAirspaceIds) ? kIdLabelId : kIdLabelName);
  ShowClassTable(dialog, *app, g_currentTab);
}

void DbAirspaceTabChanged(HWND dialog) {
  AppContext* app = AppRecord();
  const auto tab = static_cast<int>(SendDlgItemMessageW(dialog, kIdClassTabs, TCM_GETCURSEL, 0, 0));
  if (!app || tab < 0 || tab > 1) return;
  StoreClassTable(dialog, *app, g_currentTab);
  g_currentTab = tab;
  ShowClassTable(dialog, *app, g_currentTab);
  PlayMenuClick();
}

void DbAirspaceConfirm(HWND dialog) {
  if (AppContext* app = AppRecord()) {
    const bool ids = Checked(dialog, kIdLabelId);
    if (ids)
      app->map.displayFlags |= kShowAirspaceIds;
    else
      app->map.displayFlags &= ~kShowAirspaceIds;
    app->airspace.shortNamesFirst = ids ? 1 : 0;
    StoreClassTable(dialog, *app, g_currentTab);
  }
  PlayMenuClick();
  EndDialog(dialog, 1);
}

}  // namespace

void KeepKeyFocus(HWND dialog) {
  if (IsWindow(dialog) && IsWindowVisible(dialog)) SetFocus(dialog);
}

bool KeyFocusMessage(HWND dialog, UINT message, WPARAM wparam, void (*onKey)(HWND)) {
  switch (message) {
    case WM_SETFOCUS: return true;  // the dialog keeps the focus: the hardware keys come to it
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) SetFocus(dialog);
      return true;
    case WM_KEYDOWN:
      if (!IsAppKey(wparam)) return false;
      if (onKey != nullptr) onKey(dialog);
      return true;
    default: return false;
  }
}

void EndKeyDialog(HWND dialog) { EndDialog(dialog, 1); }

INT_PTR ConfirmOrEnd(HWND dialog, int id, void (*confirm)(HWND)) {
  if (id == kIdTitleOk || id == IDOK) {
    confirm(dialog);
    return TRUE;
  }
  if (id == IDCANCEL) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

INT_PTR UserAirspaceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (KeyFocusMessage(dialog, message, wparam, EndKeyDialog)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      UserAirspaceInit(dialog);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    case WM_COMMAND:
      KeepKeyFocus(dialog);
      switch (LOWORD(wparam)) {
        case kIdConfigureWarnings:
          RunDialog(kAirspaceWarningsDialog, dialog, AirspaceWarningsDialogProc, 0);
          return TRUE;
        case kIdOffList: {
          const MapSettingsLink& link = GetMapSettingsLink();
          if (link.closeModeless) link.closeModeless();
          if (AppContext* app = AppRecord(); app && app->mainWindow)
            PostMessageW(app->mainWindow, WM_COMMAND, kCmdOffList, 0);
          return TRUE;
        }
        default: return ConfirmOrEnd(dialog, LOWORD(wparam), UserAirspaceConfirm);
      }
    default: return FALSE;
  }
}

INT_PTR AirspaceWarningsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  return KeyDialogProcedure<WarningsInit, WarningsCommand, EndKeyDialog>(dialog, message, wparam);
}

INT_PTR DbAirspaceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (KeyFocusMessage(dialog, message, wparam, DbAirspaceConfirm)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      DbAirspaceInit(dialog);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header && header->idFrom == kIdClassTabs && header->code == TCN_SELCHANGE) {
        DbAirspaceTabChanged(dialog);
        KeepKeyFocus(dialog);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      KeepKeyFocus(dialog);
      return ConfirmOrEnd(dialog, LOWORD(wparam), DbAirspaceConfirm);
    default: return FALSE;
  }
}

}  // namespace cumulor
