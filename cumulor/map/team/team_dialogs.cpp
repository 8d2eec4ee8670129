#include "cumulor/map/team/team_dialogs.h"

#include <cstring>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/draw/map_marks.h"
#include "cumulor/map/team/team_grid.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/text/format.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

constexpr int kCloseButton = 1355;

TeamMapLink g_link;
HICON g_markIcon = nullptr;

// The code entry's state: one dialog at a time, on the UI thread.
struct CodeEntry {
  std::int32_t slot = 0;
  WCHAR code[9] = {};
  std::int32_t length = 0;
  bool letterDue = true;
};
CodeEntry g_entry;

void CopyText(WCHAR* out, std::size_t capacity, const WCHAR* text) {
  std::size_t i = 0;
  for (; text && text[i] && i + 1 < capacity; ++i) out[i] = text[i];
  out[i] = 0;
}

void SetFont(HWND dialog, int id, std::int32_t role) {
  HFONT* font = FontHandleSlot(role);
  if (font && *font) SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(*font), FALSE);
}

// The keys show letters while a letter is due, digits otherwise; OK needs whole pairs.
void ShowCodeEntry(HWND dialog) {
  for (int k = 0; k < 8; ++k) {
    const WCHAR label[2] = {static_cast<WCHAR>((g_entry.letterDue ? u'A' : u'1') + k), 0};
    SetDlgItemTextW(dialog, kIdCodeKeyFirst + k, label);
  }
  SetDlgItemTextW(dialog, kIdCodeText, g_entry.code);
  const bool complete = g_entry.length == 0 || (g_entry.length >= 2 && g_entry.length % 2 == 0);
  EnableWindow(GetDlgItem(dialog, IDOK), complete);
}

void InitCodeEntry(HWND dialog) {
  TeamMark& mark = TeamMarks()[g_entry.slot];
  // The stored code gives way to the code of the stored position.
  std::memset(mark.code, 0, sizeof mark.code);
  CopyText(mark.code, 9, GridFormatCode(mark.position, true));
  WCHAR title[48];
  ce::text::CopyOut(title, std::size(title), ce::text::Format(u"%s : %s", mark.gliderId, mark.code));
  SetDlgItemTextW(dialog, kIdCodeTitle, title);
  SetFont(dialog, kIdCodeTitle, 12);
  g_entry.code[0] = 0;
  g_entry.length = 0;
  g_entry.letterDue = true;
  ShowCodeEntry(dialog);
}

void CodeEntryOk(HWND dialog) {
  TeamMark& mark = TeamMarks()[g_entry.slot];
  GeoPoint position;
  if (GridParseCode(g_entry.code, position) != 0) {
    PlayMenuClick();  // a code that does not decode keeps the dialog open
    return;
  }
  mark.position = position;
  CopyText(mark.code, std::size(mark.code), g_entry.code);
  if (g_link.panTo) g_link.panTo(position);
  PlayMenuClick();
  EndDialog(dialog, 1);
}

// A glider id of at most 7 characters, the field's terminator kept.
void EnterGliderId(HWND dialog, std::int32_t slot) {
  WCHAR buffer[kPadChars + 1] = {};
  CopyText(buffer, std::size(buffer), TeamMarks()[slot].gliderId);
  if (EnterTextDialog(buffer, u"ENTER Glider ID", dialog)) {
    CopyText(TeamMarks()[slot].gliderId, std::size(TeamMarks()[slot].gliderId), buffer);
  }
}

void FillTeamRows(HWND dialog) {
  for (std::int32_t slot = 0; slot < kTeamMarkCount; ++slot) {
    TeamMark& mark = TeamMarks()[slot];
    if (TeamMarkIsSet(slot)) {
      GeoPoint position;
      if (GridParseCode(mark.code, position) == 0) mark.position = position;
    } else {
      std::memset(mark.code, 0, sizeof mark.code);
    }
    SetDlgItemTextW(dialog, kIdTeamGliderFirst + slot, mark.gliderId[0] ? mark.gliderId : u"-");
    SetDlgItemTextW(dialog, kIdTeamCodeFirst + slot, mark.code[0] ? mark.code : u"-");
  }
  WCHAR own[9] = {};
  if (g_link.mapPosition) CopyText(own, std::size(own), GridFormatCode(g_link.mapPosition(), true));
  SetDlgItemTextW(dialog, kIdTeamOwnCode, own);
}

void InitTeamSetup(HWND dialog) {
  for (int id = kIdTeamSwitch; id <= kIdTeamOwnCode; ++id) SetFont(dialog, id, 13);
  TeamGrid& grid = TeamGridState();
  UserWaypointTable& table = UserWaypoints();
  const HWND list = GetDlgItem(dialog, kIdTeamList);
  if (table.records.Size() < 2) {
    TeamMarksClear();
    EnableWindow(GetDlgItem(dialog, kIdTeamSwitch), FALSE);
    EnableWindow(GetDlgItem(dialog, kIdTeamGliderFirst), FALSE);
    ShowWindow(list, SW_HIDE);
    ShowWindow(GetDlgItem(dialog, kIdTeamHint), SW_SHOW);
    SetDlgItemTextW(dialog, kIdTeamHint, u"Add Turnpoint file!");
    return;
  }
  ShowWindow(GetDlgItem(dialog, kIdTeamHint), SW_HIDE);
  SendDlgItemMessageW(dialog, kIdTeamSwitch, BM_SETCHECK, grid.teamMode == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  if (grid.referenceWaypoint == 0) grid.referenceWaypoint = 1;
  for (std::int32_t i = 1; i < table.records.Size(); ++i) {
    if ((table.records[i].flags & 3u) == 0) continue;
    WCHAR name[64] = {};
    if (i < table.names.Size()) {
      const char* text = table.names[i].text;
      for (std::size_t c = 0; c < 63 && text[c]; ++c) name[c] = static_cast<WCHAR>(static_cast<unsigned char>(text[c]));
    }
    const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at < 0) continue;
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), i);
    if (i == grid.referenceWaypoint) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
  }
  GridSetOrigin();
  FillTeamRows(dialog);
}

void EndTeamSetup(HWND dialog, bool takeSelection) {
  if (takeSelection) {
    const HWND list = GetDlgItem(dialog, kIdTeamList);
    const LRESULT at = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (at >= 0) {
      const LRESULT index = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(at), 0);
      if (index > 0) TeamGridState().referenceWaypoint = static_cast<std::int32_t>(index);
    }
    GridSetOrigin();
    TeamGridResetFixCount();
    PlayMenuClick();
  }
  EndDialog(dialog, takeSelection ? 1 : 0);
}

}  // namespace

void SetTeamMapLink(const TeamMapLink& link) { g_link = link; }

std::int32_t GridLoad(const XmlNode& settings) {
  if (!g_markIcon) {
    g_markIcon = static_cast<HICON>(LoadImageW(UiInstance(), MAKEINTRESOURCEW(kTeamMarkIcon), IMAGE_ICON, 16, 16, 0));
  }
  return GridLoadSlots(settings);
}

void GridSave(XmlNode& settings) { GridSaveSlots(settings); }

void GridTerm() {
  if (g_markIcon) DestroyIcon(g_markIcon);
  g_markIcon = nullptr;
}

void TeamMarksDraw(MapView& view, HDC dc) {
  for (std::int32_t slot = 0; slot < kTeamMarkCount; ++slot) {
    if (!TeamMarkIsSet(slot)) continue;
    const TeamMark& mark = TeamMarks()[slot];
    MapDrawIconMark(view, dc, mark.position, g_markIcon, mark.gliderId);
  }
}

INT_PTR CodeEntryProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitCodeEntry(dialog);
      SetFocus(dialog);
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= kIdCodeKeyFirst && id < kIdCodeKeyFirst + 8) {
        if (g_entry.length < 8) {
          g_entry.code[g_entry.length++] =
              static_cast<WCHAR>((g_entry.letterDue ? u'A' : u'1') + (id - kIdCodeKeyFirst));
          g_entry.code[g_entry.length] = 0;
          g_entry.letterDue = !g_entry.letterDue;
        }
        ShowCodeEntry(dialog);
        return TRUE;
      }
      switch (id) {
        case kIdCodeBackspace:
          if (g_entry.length > 0) {
            g_entry.code[--g_entry.length] = 0;
            g_entry.letterDue = !g_entry.letterDue;
          }
          ShowCodeEntry(dialog);
          return TRUE;
        case IDOK:
        case kCloseButton: CodeEntryOk(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, -1); return TRUE;
        default: return FALSE;
      }
    }
    case WM_KEYDOWN:
      if (IsAppKey(wparam)) {
        CodeEntryOk(dialog);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

INT_PTR GridDialog(std::int32_t slot, HWND parent) {
  if (slot < 0 || slot >= kTeamMarkCount) return -1;
  g_entry = CodeEntry{};
  g_entry.slot = slot;
  return RunDialog(kCodeEntryTemplate, parent, CodeEntryProc, 0);
}

INT_PTR TeamSetupProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitTeamSetup(dialog);
      SetFocus(dialog);
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id >= kIdTeamGliderFirst && id < kIdTeamGliderFirst + kTeamMarkCount) {
        EnterGliderId(dialog, id - kIdTeamGliderFirst);
        FillTeamRows(dialog);
        return TRUE;
      }
      if (id >= kIdTeamCodeFirst && id < kIdTeamCodeFirst + kTeamMarkCount) {
        GridDialog(id - kIdTeamCodeFirst, dialog);
        FillTeamRows(dialog);
        return TRUE;
      }
      switch (id) {
        case kIdTeamSwitch: {
          const bool on = SendDlgItemMessageW(dialog, kIdTeamSwitch, BM_GETCHECK, 0, 0) == BST_CHECKED;
          TeamGridState().teamMode = on ? 1 : 0;
          if (on) TeamGridResetFixCount();
          return TRUE;
        }
        case IDOK:
        case kCloseButton: EndTeamSetup(dialog, true); return TRUE;
        case IDCANCEL: EndTeamSetup(dialog, false); return TRUE;
        default: return FALSE;
      }
    }
    case WM_KEYDOWN:
      if (IsAppKey(wparam)) {
        EndTeamSetup(dialog, true);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

INT_PTR TeamDialog(HWND parent) { return RunDialog(kTeamSetupTemplate, parent, TeamSetupProc, 0); }

bool TeamMarkCommand(std::int32_t slot, HWND parent) {
  if (!TeamMarkIsSet(slot)) return false;
  GridDialog(slot, parent);
  return true;
}

}  // namespace cumulor
