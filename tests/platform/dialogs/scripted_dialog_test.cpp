// A dialog with one control of each kind, run modally and driven by the scripted user.
#include <gtest/gtest.h>

#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/resources/resources.h"
#include "tests/platform/dialogs/dialog_fixture.h"

using ce::scripted::User;
namespace steps = ce::scripted::steps;

namespace {

const char kResources[] = R"(
# Every control kind in one dialog.
dialog 100 0 0 160 200
  caption "All controls"
  font 8 "Tahoma"
  control static 1000 "Name:" 4 4 40 10
  control edit 1001 "" 50 4 100 12 WS_BORDER|WS_TABSTOP
  control button 1002 "Remember" 4 18 60 10 BS_AUTOCHECKBOX|WS_TABSTOP
  control button 1003 "Small" 4 30 40 10 BS_AUTORADIOBUTTON|WS_GROUP|WS_TABSTOP
  control button 1004 "Large" 50 30 40 10 BS_AUTORADIOBUTTON
  control button 1005 "Size" 100 16 56 26 BS_GROUPBOX|WS_GROUP
  control listbox 1006 "" 4 44 70 30 LBS_NOTIFY|WS_BORDER|WS_TABSTOP
  control combobox 1007 "" 80 44 76 60 CBS_DROPDOWNLIST|WS_TABSTOP
  control listview 1008 "" 4 76 152 50 LVS_REPORT|LVS_SINGLESEL|LVS_SHOWSELALWAYS|WS_BORDER|WS_TABSTOP
  control trackbar 1009 "" 4 128 100 14 TBS_AUTOTICKS|WS_TABSTOP
  control progress 1010 "" 108 130 48 8
  control edit 1011 "5" 4 146 30 12 ES_NUMBER|WS_BORDER
  control updown 1012 "" 34 146 10 12 UDS_AUTOBUDDY|UDS_SETBUDDYINT|UDS_ALIGNRIGHT
  control datetime 1013 "" 50 146 50 12 DTS_TIMEFORMAT
  control tab 1014 "" 104 146 52 14
  control scrollbar 1015 "" 4 162 100 8 SBS_HORZ
  control button 1016 "Paint" 108 162 48 12 BS_OWNERDRAW
  control button IDOK "OK" 30 180 50 14 BS_DEFPUSHBUTTON|WS_TABSTOP
  control button IDCANCEL "Cancel" 86 180 50 14 WS_TABSTOP
end
)";

constexpr COLORREF kRowText = RGB(0xC0, 0, 0);
constexpr COLORREF kRowBack = RGB(0xFF, 0xFF, 0x00);

// What the dialog read back when OK was pressed.
struct Values {
  std::u16string name;
  UINT remember = 0, large = 0;
  int list = -1, combo = -1, row = -1, track = -1, spin = -1, tab = -1;
  SYSTEMTIME time{};
  COLORREF row0_back = 0;
  std::u16string row1_sub1;
};

Values& Read() {
  static Values v;
  return v;
}

WCHAR* CallbackText(int item, int sub) {
  static WCHAR buf[32];
  std::u16string s = (sub == 0 ? u"Row " : u"Value ") + std::u16string(1, static_cast<char16_t>(u'0' + item));
  std::copy(s.begin(), s.end(), buf);
  buf[s.size()] = 0;
  return buf;
}

INT_PTR AllControlsProc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
  DialogTest::Note(msg, wparam, lparam);
  switch (msg) {
    case WM_INITDIALOG: {
      for (const char16_t* s : {u"Red", u"Green", u"Blue"}) SendDlgItemMessageW(dlg, 1006, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
      for (const char16_t* s : {u"North", u"East", u"South", u"West"})
        SendDlgItemMessageW(dlg, 1007, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
      SendDlgItemMessageW(dlg, 1007, CB_SETCURSEL, 0, 0);
      HWND list = GetDlgItem(dlg, 1008);
      LVCOLUMNW col{LVCF_TEXT | LVCF_WIDTH, 0, 120, const_cast<LPWSTR>(u"Name"), 0, 0};
      SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
      col.pszText = const_cast<LPWSTR>(u"Value");
      col.cx = 100;
      SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
      for (int i = 0; i < 3; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = LPSTR_TEXTCALLBACKW;
        item.lParam = 100 + i;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMW sub{};
        sub.iSubItem = 1;
        sub.pszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&sub));
      }
      SendDlgItemMessageW(dlg, 1009, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
      SendDlgItemMessageW(dlg, 1010, PBM_SETPOS, 40, 0);
      SendDlgItemMessageW(dlg, 1012, UDM_SETRANGE, 0, MAKELPARAM(20, 0));
      SendDlgItemMessageW(dlg, 1012, UDM_SETPOS, 0, MAKELPARAM(5, 0));
      SendDlgItemMessageW(dlg, 1013, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(u"HH:mm"));
      for (const char16_t* s : {u"One", u"Two"}) {
        TCITEMW t{TCIF_TEXT, 0, 0, const_cast<LPWSTR>(s), 0, -1, 0};
        SendDlgItemMessageW(dlg, 1014, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&t));
      }
      CheckRadioButton(dlg, 1003, 1004, 1003);
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<NMHDR*>(lparam);
      if (n->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lparam);
        info->item.pszText = CallbackText(info->item.iItem, info->item.iSubItem);
        return TRUE;
      }
      if (n->code == NM_CUSTOMDRAW && n->idFrom == 1008) {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
        LONG_PTR answer = CDRF_DODEFAULT;
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) answer = CDRF_NOTIFYITEMDRAW;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && cd->nmcd.dwItemSpec == 0) {
          cd->clrText = kRowText;
          cd->clrTextBk = kRowBack;
          answer = CDRF_NEWFONT;
        }
        SetWindowLongPtrW(dlg, DWL_MSGRESULT, answer);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
      HBRUSH b = CreateSolidBrush(RGB(0, 0x80, 0));
      FillRect(d->hDC, &d->rcItem, b);
      DeleteObject(b);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        Values& v = Read();
        WCHAR buf[64];
        GetDlgItemTextW(dlg, 1001, buf, 64);
        v.name = buf;
        v.remember = IsDlgButtonChecked(dlg, 1002);
        v.large = IsDlgButtonChecked(dlg, 1004);
        v.list = static_cast<int>(SendDlgItemMessageW(dlg, 1006, LB_GETCURSEL, 0, 0));
        v.combo = static_cast<int>(SendDlgItemMessageW(dlg, 1007, CB_GETCURSEL, 0, 0));
        HWND list = GetDlgItem(dlg, 1008);
        v.row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        v.track = static_cast<int>(SendDlgItemMessageW(dlg, 1009, TBM_GETPOS, 0, 0));
        v.spin = LOWORD(SendDlgItemMessageW(dlg, 1012, UDM_GETPOS, 0, 0));
        SendDlgItemMessageW(dlg, 1013, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&v.time));
        v.tab = static_cast<int>(SendDlgItemMessageW(dlg, 1014, TCM_GETCURSEL, 0, 0));
        LVITEMW get{};
        get.iSubItem = 1;
        get.pszText = buf;
        get.cchTextMax = 64;
        SendMessageW(list, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&get));
        v.row1_sub1 = buf;
        // The first row as drawn: the colours its custom draw gave.
        UpdateWindow(list);
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
        RECT client;
        GetClientRect(list, &client);
        HDC hdc = GetDC(list);
        v.row0_back = GetPixel(hdc, std::min(r.right, client.right) - 4, r.top + 2);
        ReleaseDC(list, hdc);
        EndDialog(dlg, 42);
      } else if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
      }
      return TRUE;
  }
  return FALSE;
}

std::string Joined(const std::vector<std::u16string>& texts) {
  std::string out;
  for (auto& t : texts) out += ce::text::ToUtf8(t) + "|";
  return out;
}

}  // namespace

TEST_F(DialogTest, ScriptedUserDrivesEveryControlKind) {
  UseResources(kResources);
  User::Get().AnswerDialog({
      steps::SetText(1001, u"Anna"), steps::Type(1001, u"!"), steps::Click(1002), steps::Click(1004),
      steps::Select(1006, 1), steps::Select(1007, 2), steps::Click(1008, 1), steps::Track(1009, 7),
      steps::Spin(1012, 1), steps::SetText(1013, u"07:45"), steps::Select(1014, 1), steps::Click(IDOK)});
  INT_PTR result = DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), nullptr, AllControlsProc, 0);
  EXPECT_EQ(result, 42);

  const Values& v = Read();
  EXPECT_EQ(v.name, u"Anna!");
  EXPECT_EQ(v.remember, BST_CHECKED);
  EXPECT_EQ(v.large, BST_CHECKED);
  EXPECT_EQ(v.list, 1);
  EXPECT_EQ(v.combo, 2);
  EXPECT_EQ(v.row, 1);
  EXPECT_EQ(v.track, 7);
  EXPECT_EQ(v.spin, 6);
  EXPECT_EQ(v.time.wHour, 7);
  EXPECT_EQ(v.time.wMinute, 45);
  EXPECT_EQ(v.tab, 1);
  EXPECT_EQ(v.row1_sub1, u"Value 1");  // the callback text
  EXPECT_EQ(v.row0_back, kRowBack);    // the custom-draw colour

  // The notifications the procedure received.
  EXPECT_EQ(HeardOf(WM_COMMAND, 1001, EN_CHANGE).size(), 5u);  // one per character typed
  EXPECT_TRUE(HeardAny(WM_COMMAND, 1002, BN_CLICKED));
  EXPECT_TRUE(HeardAny(WM_COMMAND, 1004, BN_CLICKED));
  EXPECT_TRUE(HeardAny(WM_COMMAND, 1006, LBN_SELCHANGE));
  EXPECT_TRUE(HeardAny(WM_COMMAND, 1007, CBN_SELCHANGE));
  EXPECT_TRUE(HeardAny(WM_COMMAND, 1007, CBN_SELENDOK));
  auto changed = HeardOf(WM_NOTIFY, 1008, static_cast<int>(LVN_ITEMCHANGED));
  ASSERT_FALSE(changed.empty());
  EXPECT_EQ(changed.back().value, 1);
  auto clicks = HeardOf(WM_NOTIFY, 1008, static_cast<int>(NM_CLICK));
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].value, 1);
  EXPECT_TRUE(HeardAny(WM_NOTIFY, 1008, static_cast<int>(LVN_GETDISPINFOW)));
  EXPECT_TRUE(HeardAny(WM_NOTIFY, 1008, static_cast<int>(NM_CUSTOMDRAW)));
  auto final_pos = HeardOf(WM_HSCROLL, 1009, TB_THUMBPOSITION);
  ASSERT_EQ(final_pos.size(), 1u);
  EXPECT_EQ(final_pos[0].value, 7);
  EXPECT_TRUE(HeardAny(WM_HSCROLL, 1009, TB_ENDTRACK));
  EXPECT_TRUE(HeardAny(WM_NOTIFY, 1012, static_cast<int>(UDN_DELTAPOS)));
  EXPECT_TRUE(HeardAny(WM_NOTIFY, 1013, static_cast<int>(DTN_DATETIMECHANGE)));
  EXPECT_TRUE(HeardAny(WM_NOTIFY, 1014, static_cast<int>(TCN_SELCHANGING)));
  EXPECT_TRUE(HeardAny(WM_NOTIFY, 1014, static_cast<int>(TCN_SELCHANGE)));

  // The record of what was shown.
  auto shown = User::Get().shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, ce::scripted::Kind::kDialog);
  EXPECT_EQ(shown[0].title, u"All controls");
  EXPECT_EQ(shown[0].result, 42);
  EXPECT_TRUE(shown[0].scripted);
  auto& texts = shown[0].texts;
  for (const char16_t* t : {u"Name:", u"Remember", u"Small", u"Large", u"OK", u"Cancel", u"North"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), std::u16string(t)), texts.end()) << ce::text::ToUtf8(t) << " in " << Joined(texts);
  EXPECT_TRUE(User::Get().log().empty());
}

TEST_F(DialogTest, ScriptedUserTapsAListViewCell) {
  UseResources(kResources);
  // Row 2 of the second column; then a column and a row that the list does not have.
  User::Get().AnswerDialog({steps::Cell(1008, 2, 1), steps::Cell(1008, 0, 5), steps::Cell(1008, 7, 0), steps::Click(IDOK)});
  DialogBoxParamW(nullptr, MAKEINTRESOURCEW(100), nullptr, AllControlsProc, 0);
  auto clicks = HeardOf(WM_NOTIFY, 1008, static_cast<int>(NM_CLICK));
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].value, 1002);
  EXPECT_EQ(User::Get().log().size(), 2u);
}
