#include "cumulor/map/navbox_ui/nav_box_dialogs.h"

#include "cumulor/app/base/language.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/map/navbox/nav_box_layout.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox_ui/nav_box_draw.h"
#include "platform/controls/commctrl.h"
#include "platform/dialogs/commdlg.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

// Box list.
constexpr int kIdTabs = 1443;
constexpr int kIdFirstCheck = 1101;
constexpr int kChecksPerPage = 10;
constexpr int kPages = 4;
constexpr int kIdMore = 1449;
constexpr int kIdOk = 1355;
constexpr INT_PTR kEndedForSettings = 2;
constexpr std::int32_t kTextAltitudeRequired = 203;
// Bar settings.
constexpr int kIdVisible = 1130;
constexpr int kIdAllowDrag = 1447;
constexpr int kIdLock = 1456;
constexpr int kIdArrange = 1453;
constexpr int kIdReset = 1454;
// Appearance.
constexpr int kIdLines1 = 1244;
constexpr int kIdLines3 = 1246;
constexpr int kIdFontLine1 = 1001;
constexpr int kIdFontLine2 = 1002;
constexpr int kIdColour = 1455;
constexpr int kIdBoxVisible = 1101;
constexpr std::int32_t kPreviewTop = 2;

bool IsApplicationKey(WPARAM key) { return key >= 0xC1 && key <= 0xC4; }

NavBoxSet* Set() { return NavBoxSetGlobal(); }

void DialogActive(bool on) {
  if (NavBoxSet* set = Set(); set && set->hooks.dialogActive) set->hooks.dialogActive(on);
}

// ---- Box list ----

void ShowListPage(HWND dialog, int page) {
  NavBoxSet* set = Set();
  if (!set) return;
  set->listPage = page;
  bool hideRest = false;
  for (int k = 0; k < kChecksPerPage; ++k) {
    const int id = kIdFirstCheck + k;
    const std::int32_t box = kChecksPerPage * page + k + 1;
    const WCHAR* name = NavBoxLongName(box);
    if (page == 0 && box == 3 && NavBoxDialogHooksInstalled().requiredAltitude &&
        NavBoxDialogHooksInstalled().requiredAltitude()) {
      if (const WCHAR* text = LangText(kTextAltitudeRequired)) name = text;
    }
    HWND check = GetDlgItem(dialog, id);
    if (hideRest || name[0] == 0) {
      hideRest = true;
      ShowWindow(check, SW_HIDE);
      continue;
    }
    ShowWindow(check, SW_SHOW);
    SetWindowTextW(check, name);
    CheckDlgButton(dialog, id, NavBoxIsOn(*set, box) ? BST_CHECKED : BST_UNCHECKED);
  }
}

void InitList(HWND dialog) {
  const WCHAR* const titles[kPages] = {u"1", u"2", u"3", u"4"};
  for (int i = 0; i < kPages; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<WCHAR*>(titles[i]);
    SendDlgItemMessageW(dialog, kIdTabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  const bool high = NavBoxDialogHooksInstalled().highResolution && NavBoxDialogHooksInstalled().highResolution();
  SendDlgItemMessageW(dialog, kIdTabs, TCM_SETITEMSIZE, 0, high ? MAKELPARAM(64, 55) : MAKELPARAM(50, 32));
  SendDlgItemMessageW(dialog, kIdTabs, TCM_SETCURSEL, 0, 0);
  ShowListPage(dialog, 0);
}

// ---- Bar settings ----

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void ReadBarChecks(HWND dialog, NavBoxSet& set, bool applicationFlag) {
  if (applicationFlag) {
    NavBoxSetVisible(set, Checked(dialog, kIdVisible));
  } else {
    set.visible = Checked(dialog, kIdVisible) ? 1 : 0;
    set.changed = 1;
  }
  set.allowDrag = Checked(dialog, kIdAllowDrag) ? 1 : 0;
  set.lock = Checked(dialog, kIdLock) ? 1 : 0;
}

void CentreOverParent(HWND dialog) {
  HWND parent = GetParent(dialog);
  RECT outer{};
  RECT own{};
  if (parent == nullptr || !GetWindowRect(parent, &outer) || !GetWindowRect(dialog, &own)) return;
  const int w = own.right - own.left;
  const int h = own.bottom - own.top;
  SetWindowPos(dialog, nullptr, outer.left + (outer.right - outer.left - w) / 2,
               outer.top + (outer.bottom - outer.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void EndBar(HWND dialog, NavBoxSet& set) {
  ReadBarChecks(dialog, set, true);
  PlayMenuClick();
  EndDialog(dialog, 1);
}

// ---- Appearance ----

struct Appearance {
  HWND window = nullptr;
  std::int32_t box = 0;
  RECT saved{};  // the box's place when the dialog opened
  COLORREF custom[16] = {};  // the chooser's custom colours, kept for the run
};

Appearance& State() {
  static Appearance state;
  return state;
}

void MovePreview(NavBox& b) { NavBoxPlace(b, 0, kPreviewTop + NavBoxHeight(b), true); }

void Repreview(HWND dialog, NavBoxSet& set) {
  NavBox& b = set.box[State().box];
  if (HDC dc = GetDC(dialog)) {
    FillRect(dc, &b.rect, GetSysColorBrush(COLOR_WINDOW));
    ReleaseDC(dialog, dc);
  }
  NavBoxMeasure(set, State().box);
  MovePreview(b);
  ShowWindow(dialog, SW_HIDE);
  ShowWindow(dialog, SW_SHOW);
  InvalidateRect(dialog, nullptr, TRUE);
}

std::int32_t ChooseFontRole(std::int32_t current) {
  static const ListChoiceEntry kFonts[] = {
      {1, 3, u"NavBoxes line 1"}, {1, 4, u"NavBoxes line 2"}, {1, 11, u"Very Small Font"},
      {1, 12, u"Small Font"},     {1, 13, u"Medium Font"},    {1, 14, u"Large Font"},
      {0, -1, nullptr},
  };
  std::int32_t initial = 0;
  for (std::int32_t i = 0; kFonts[i].id != -1; ++i) {
    if (kFonts[i].id == current) initial = i;
  }
  return ChooseFromListDialog(kFonts, u"Select Font", initial, false);
}

// The OK steps: the box goes back to its place (its left and top edges as they were), a box
// unchecked as "Visible" is switched off, the dialog goes, the flag is cleared, the map refreshed.
void FinishAppearance(HWND dialog, bool click) {
  NavBoxSet* set = Set();
  Appearance& s = State();
  if (set && s.box >= 1 && s.box <= kNavBoxLast) {
    NavBox& b = set->box[s.box];
    NavBoxPlace(b, s.saved.left, s.saved.top + NavBoxHeight(b), true);
    if (click) PlayMenuClick();
    if (!Checked(dialog, kIdBoxVisible)) NavBoxSetOn(*set, s.box, false);
    set->changed = 1;
  }
  DestroyWindow(dialog);
  s.window = nullptr;
  DialogActive(false);
  if (NavBoxDialogHooksInstalled().refreshMap) NavBoxDialogHooksInstalled().refreshMap();
}

bool InitAppearance(HWND dialog, std::int32_t box) {
  NavBoxSet* set = Set();
  if (!set || box < 1 || box > kNavBoxLast) return false;
  Appearance& s = State();
  s.window = dialog;
  s.box = box;
  NavBox& b = set->box[box];
  s.saved = b.rect;
  MovePreview(b);
  DialogActive(true);
  const int style = b.style >= 1 && b.style <= 3 ? b.style : 3;
  CheckRadioButton(dialog, kIdLines1, kIdLines3, kIdLines1 + style - 1);
  CheckDlgButton(dialog, kIdBoxVisible, BST_CHECKED);
  SetFocus(dialog);
  return true;
}

void AppearanceCommand(HWND dialog, int id) {
  NavBoxSet* set = Set();
  Appearance& s = State();
  if (!set || s.box < 1 || s.box > kNavBoxLast) return;
  NavBox& b = set->box[s.box];
  if (id >= kIdLines1 && id <= kIdLines3) {
    b.style = id - kIdLines1 + 1;
  } else if (id == kIdFontLine1 || id == kIdFontLine2) {
    std::int32_t& role = id == kIdFontLine1 ? b.titleFont : b.valueFont;
    const std::int32_t chosen = ChooseFontRole(role);
    if (chosen < 0) return;
    role = chosen;
  } else if (id == kIdColour) {
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = dialog;
    choose.rgbResult = b.colour;
    choose.lpCustColors = s.custom;
    choose.Flags = CC_RGBINIT | CC_SOLIDCOLOR;
    if (!ChooseColorW(&choose)) return;
    b.colour = choose.rgbResult;
  } else {
    return;
  }
  Repreview(dialog, *set);
}

}  // namespace

NavBoxDialogHooks& NavBoxDialogHooksInstalled() {
  static NavBoxDialogHooks hooks;
  return hooks;
}

INT_PTR NavBoxListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: InitList(dialog); return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header == nullptr || header->idFrom != static_cast<UINT_PTR>(kIdTabs) || header->code != TCN_SELCHANGE)
        return FALSE;
      const int page = static_cast<int>(SendDlgItemMessageW(dialog, kIdTabs, TCM_GETCURSEL, 0, 0));
      ShowListPage(dialog, page >= 0 && page < kPages ? page : 0);
      PlayMenuClick();
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      NavBoxSet* set = Set();
      if (id >= kIdFirstCheck && id < kIdFirstCheck + kChecksPerPage && set) {
        const std::int32_t box = kChecksPerPage * set->listPage + (id - kIdFirstCheck) + 1;
        const bool on = Checked(dialog, id);
        NavBoxSetOn(*set, box, on);
        if (box == kNavBoxStart && !on && NavBoxDialogHooksInstalled().startSwitchedOff)
          NavBoxDialogHooksInstalled().startSwitchedOff();
        return TRUE;
      }
      if (id == kIdMore) {
        EndDialog(dialog, kEndedForSettings);
        return TRUE;
      }
      if (id == kIdOk || id == IDOK || id == IDCANCEL) {
        if (id == kIdOk) PlayMenuClick();
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN:
      if (!IsApplicationKey(wparam)) return FALSE;
      EndDialog(dialog, 1);
      return TRUE;
    default: return FALSE;
  }
}

INT_PTR NavBoxBarDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  NavBoxSet* set = Set();
  switch (message) {
    case WM_INITDIALOG:
      CentreOverParent(dialog);
      if (set) {
        CheckDlgButton(dialog, kIdVisible, set->visible ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, kIdAllowDrag, set->allowDrag ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, kIdLock, set->lock ? BST_CHECKED : BST_UNCHECKED);
      }
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (!set) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      switch (id) {
        case kIdAllowDrag:
          if (!Checked(dialog, kIdAllowDrag)) NavBoxSetArrange(*set);
          return TRUE;
        case kIdLock: set->lock = Checked(dialog, kIdLock) ? 1 : 0; return TRUE;
        case kIdArrange:
          NavBoxSetArrange(*set);
          EndBar(dialog, *set);
          return TRUE;
        case kIdReset:
          NavBoxSetReset(*set);
          EndBar(dialog, *set);
          return TRUE;
        case kIdOk:
        case IDOK: EndBar(dialog, *set); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    }
    case WM_KEYDOWN:
      if (!IsApplicationKey(wparam)) return FALSE;
      if (set) ReadBarChecks(dialog, *set, false);
      EndDialog(dialog, 1);
      return TRUE;
    default: return FALSE;
  }
}

void RunNavBoxListDialog(HWND owner) {
  if (RunDialog(kNavBoxListDialog, owner, NavBoxListDialogProc, 0) == kEndedForSettings)
    RunDialog(kNavBoxBarDialog, owner, NavBoxBarDialogProc, 0);
}

HWND NavBoxAppearanceWindow() { return State().window; }

HWND OpenNavBoxAppearanceDialog(HWND parent, std::int32_t box) {
  if (State().window != nullptr) return State().window;
  HWND dialog = CreateModelessDialog(kNavBoxAppearanceDialog, parent, NavBoxAppearanceDialogProc, box);
  if (dialog == nullptr || !IsWindow(dialog)) {
    DialogActive(false);
    return nullptr;
  }
  // The template is not visible by itself: the map stops redrawing while the dialog is up, so it
  // must be on the screen.
  ShowWindow(dialog, SW_SHOW);
  return dialog;
}

INT_PTR NavBoxAppearanceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      if (!InitAppearance(dialog, static_cast<std::int32_t>(lparam))) {
        DialogActive(false);
        DestroyWindow(dialog);
      }
      return FALSE;  // the focus is set
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(dialog, &paint);
      NavBoxSet* set = Set();
      if (dc != nullptr && set && State().box >= 1 && State().box <= kNavBoxLast)
        NavBoxDrawBox(*set, set->box[State().box], dc, true);
      EndPaint(dialog, &paint);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == kIdOk || id == IDOK || id == IDCANCEL) {
        FinishAppearance(dialog, true);
      } else {
        AppearanceCommand(dialog, id);
      }
      return TRUE;
    }
    case WM_KEYDOWN:
      if (!IsApplicationKey(wparam)) return FALSE;
      FinishAppearance(dialog, false);
      return TRUE;
    case WM_DESTROY:
      if (State().window == dialog) State().window = nullptr;
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace cumulor
