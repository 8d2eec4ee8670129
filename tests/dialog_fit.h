// Whether a program's dialog templates fit the screen: each template made at a screen size with
// its font, its controls on the screen and the texts of its labels and buttons within their
// controls (no label cut to its first word, no button below the screen). For the tests of the
// programs that embed their resources.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/resources/resource_set.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"

namespace dialog_fit {

// Made without the program's procedure: the template as it stands.
inline INT_PTR QuietProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

inline std::u16string ClassOf(HWND hwnd) {
  WCHAR name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

inline std::u16string TextOf(HWND hwnd) {
  WCHAR text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

// What is wrong with one control's text, or empty: a text that needs more room than its control
// gives (a label's lines, a button's one line beside its box).
inline std::string TextProblem(HWND control, HFONT font) {
  std::u16string cls = ClassOf(control), text = TextOf(control);
  DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  bool label = cls == WC_STATICW && ((style & SS_TYPEMASK) <= SS_RIGHT || (style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP);
  DWORD type = style & BS_TYPEMASK;
  bool button = cls == WC_BUTTONW && type != BS_GROUPBOX && type != BS_OWNERDRAW;
  if (text.empty() || (!label && !button)) return {};
  RECT r;
  GetClientRect(control, &r);
  int room = r.right;
  if (button && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) room -= 14;  // the box or circle beside it
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT need{0, 0, room, 0};
  bool wraps = label && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP && !(style & SS_CENTERIMAGE);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
            DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  SIZE one{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &one);
  SelectObject(dc, old);
  DeleteDC(dc);
  // A word wider than the control, or more lines than it is high (a line may lose its descent).
  std::string quoted = "\"" + ce::text::ToUtf8(text) + "\"";
  if (need.right > room + 1 || (!wraps && one.cx > room + 1))
    return quoted + " needs " + std::to_string(std::max<LONG>(need.right, wraps ? 0 : one.cx)) + " of " +
           std::to_string(room) + " pixels' width";
  if (wraps && need.bottom > r.bottom + 3 && one.cx > room)
    return quoted + " needs " + std::to_string(need.bottom) + " of " + std::to_string(r.bottom) + " pixels' height";
  return {};
}

// What does not fit in the running program's dialogs at `size` (the screen is set to it), one
// line each; dialogs that cannot be made here (a control class of another part) are left out.
inline std::vector<std::string> Problems(ce::display::ScreenSize size) {
  std::vector<std::string> out;
  auto set = ce::resources::ResourcesOf(nullptr);
  if (!set || !ce::display::SetScreenSize(size)) return {"no resources or no such screen"};
  InitCommonControls();
  for (const auto& [name, t] : set->dialogs) {
    std::string which = "dialog " + (name.id ? std::to_string(name.id) : ce::text::ToUtf8(name.name)) + " \"" +
                        ce::text::ToUtf8(t.caption) + "\" at " + std::to_string(size.width) + "x" +
                        std::to_string(size.height);
    HWND dlg = CreateDialogParamW(nullptr, name.id ? MAKEINTRESOURCEW(name.id) : name.name.c_str(), nullptr, QuietProc, 0);
    if (!dlg) continue;
    // What counts is what a person sees: every control on the screen (a template may be taller
    // than its controls need, and a dialog may size itself to the screen).
    RECT d;
    GetWindowRect(dlg, &d);
    if (d.right - d.left > size.width) out.push_back(which + ": wider than the screen");
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (!(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)) continue;
      RECT r;
      GetWindowRect(c, &r);
      std::string control = which + ", control " + std::to_string(GetDlgCtrlID(c)) + " \"" + ce::text::ToUtf8(TextOf(c)) + "\"";
      if (r.bottom - d.top > size.height) out.push_back(control + " lies below the screen");
      if (r.right - d.left > size.width) out.push_back(control + " lies beyond the screen's right edge");
      if (std::string problem = TextProblem(c, font); !problem.empty()) out.push_back(control + ": " + problem);
    }
    DestroyWindow(dlg);
  }
  return out;
}

}  // namespace dialog_fit
