// Every dialog template of the program, made at 240 x 320 and at 480 x 640 with the template's
// font: the dialog lies on the screen, its controls inside it, and the texts of its labels and
// buttons fit their controls (no label cut to its first word, no button below the screen).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"

namespace {

INT_PTR QuietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? FALSE : FALSE; }

std::u16string ClassOf(HWND hwnd) {
  WCHAR name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

std::u16string TextOf(HWND hwnd) {
  WCHAR text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

// What is wrong with one control's text, or empty: a text that needs more room than its control
// gives (a label's lines, a button's one line beside its box).
std::string TextProblem(HWND control, HFONT font) {
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

class DialogFit : public ce::testing::DeviceTest {
 protected:
  void TearDown() override {
    ce::display::SetScreenSize(ce::display::kPortrait);
    ce::scripted::User::Get().Reset();
    DeviceTest::TearDown();
  }
};

TEST_F(DialogFit, EveryTemplateFitsBothScreens) {
  auto set = ce::resources::ResourcesOf(nullptr);
  ASSERT_NE(set, nullptr);
  ASSERT_GT(set->dialogs.size(), 20u);
  InitCommonControls();
  for (auto size : {ce::display::kPortrait, ce::display::kVga}) {
    ASSERT_TRUE(ce::display::SetScreenSize(size));
    for (const auto& [name, t] : set->dialogs) {
      std::string which = "dialog " + std::to_string(name.id) + " \"" + ce::text::ToUtf8(t.caption) + "\" at " +
                          std::to_string(size.width) + "x" + std::to_string(size.height);
      HWND dlg = CreateDialogParamW(nullptr, name.id ? MAKEINTRESOURCEW(name.id) : name.name.c_str(), nullptr, QuietProc, 0);
      if (!dlg) continue;  // a control class of another part of the program: not made here
      // What counts is what a person sees: every control on the screen (a template may be taller
      // than its controls need, and the entry pad sizes itself to the screen).
      RECT d;
      GetWindowRect(dlg, &d);
      EXPECT_LE(d.right - d.left, size.width) << which;
      HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
      for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r;
        GetWindowRect(c, &r);
        std::string control = which + ", control " + std::to_string(GetDlgCtrlID(c)) + " \"" + ce::text::ToUtf8(TextOf(c)) + "\"";
        EXPECT_LE(r.bottom - d.top, size.height) << control << " lies below the screen";
        EXPECT_LE(r.right - d.left, size.width) << control << " lies beyond the screen's right edge";
        std::string problem = TextProblem(c, font);
        EXPECT_EQ(problem, "") << control;
      }
      DestroyWindow(dlg);
    }
  }
}

}  // namespace
