#include "cumulor/map/symbols/map_symbols_dialog.h"

#include <algorithm>
#include <cmath>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/map/view/map_fonts.h"
#include "platform/controls/commctrl.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/commdlg.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr RECT kPreview{0, 0, 160, 130};
constexpr const WCHAR* kNames[kMapSymbolCount] = {u"Glider1", u"Glider2", u"Airplane", u"Final Glide"};

int g_edited = -1;                    // the symbol being edited; taken from the current one once
COLORREF g_customColours[16] = {};    // kept for the run

int SizePosition(double scale) { return static_cast<int>(std::trunc(scale * 30 - 20)); }

void RedrawPreview(HWND dialog) {
  RECT r = kPreview;
  InvalidateRect(dialog, &r, TRUE);
}

void ShowPositionControls(HWND dialog, bool show) {
  ShowWindow(GetDlgItem(dialog, kIdSymbolPosition), show ? SW_SHOW : SW_HIDE);
  ShowWindow(GetDlgItem(dialog, kIdSymbolPositionLabel), show ? SW_SHOW : SW_HIDE);
}

void SetTrackbars(HWND dialog) {
  SendDlgItemMessageW(dialog, kIdSymbolSize, TBM_SETPOS, TRUE, SizePosition(MapSymbolScale(g_edited)));
  const float pos = MapSymbolPos(g_edited) * 100.0f;
  SendDlgItemMessageW(dialog, kIdSymbolPosition, TBM_SETPOS, TRUE, static_cast<LPARAM>(std::trunc(pos)));
}

void OnInit(HWND dialog) {
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (g_edited < 0) g_edited = MapSymbolCurrent();
  SendDlgItemMessageW(dialog, kIdSymbolSize, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendDlgItemMessageW(dialog, kIdSymbolPosition, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SetTrackbars(dialog);
  HWND combo = GetDlgItem(dialog, kIdSymbolCombo);
  SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(MapFont(13)), FALSE);
  for (int i = 0; i < kMapSymbolCount; ++i) {
    const LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kNames[i]));
    if (item >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), i);
    if (i == g_edited && item >= 0) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  }
  ShowPositionControls(dialog, g_edited != kFinalGlideSymbol);
  SetFocus(dialog);  // the hardware keys come to the dialog
}

void OnSelection(HWND dialog) {
  HWND combo = GetDlgItem(dialog, kIdSymbolCombo);
  const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (item < 0) return;
  const auto chosen = static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
  if (chosen < 0 || chosen >= kMapSymbolCount) return;
  g_edited = chosen;
  if (chosen != kFinalGlideSymbol) {
    MapSymbolSetCurrent(chosen);
    ShowPositionControls(dialog, true);
  } else {
    ShowPositionControls(dialog, false);
  }
  SetTrackbars(dialog);
  InvalidateRect(dialog, nullptr, TRUE);
}

void OnColour(HWND dialog) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = dialog;
  choose.rgbResult = MapSymbolColour(g_edited);
  choose.lpCustColors = g_customColours;
  choose.Flags = CC_RGBINIT | CC_SOLIDCOLOR;
  if (!ChooseColorW(&choose)) return;
  MapSymbolSetColour(g_edited, choose.rgbResult);
  RedrawPreview(dialog);
}

void OnTrack(HWND dialog, HWND control, int code) {
  if (code != TB_THUMBPOSITION && code != TB_THUMBTRACK && code != TB_ENDTRACK) return;
  const int id = GetDlgCtrlID(control);
  const auto position = static_cast<int>(SendMessageW(control, TBM_GETPOS, 0, 0));
  if (id == kIdSymbolSize) {
    MapSymbolSetScale(g_edited, (position + 20) * (1.0 / 30));
  } else if (id == kIdSymbolPosition) {
    MapSymbolSetPos(g_edited, static_cast<float>(std::clamp(position, 4, 96) * 0.01));
  } else {
    return;
  }
  RedrawPreview(dialog);
}

}  // namespace

void MapSymbolsDialogReset() { g_edited = -1; }

INT_PTR MapSymbolsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(dialog);
      return FALSE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      OnTrack(dialog, reinterpret_cast<HWND>(lparam), LOWORD(wparam));
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (id == IDOK || id == kIdSymbolOkIcon) {
        PlayMenuClick();
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (id == IDCANCEL || id == kIdSymbolCancelAlt) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (id == kIdSymbolCombo && code == CBN_SELCHANGE) {
        OnSelection(dialog);
        return TRUE;
      }
      if (id == kIdSymbolColour) {
        OnColour(dialog);
        return TRUE;
      }
      return FALSE;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dialog, &ps);
      if (dc && g_edited >= 0) MapSymbolPreview(dc, g_edited);
      EndPaint(dialog, &ps);
      return TRUE;
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 1);
    default:
      return FALSE;
  }
}

}  // namespace cumulor
