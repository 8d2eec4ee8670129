// The controls' own behaviour: what they keep, refuse and tell their parent.
#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/controls/user_actions.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"

namespace {

struct Note {
  UINT msg;
  int id;
  int code;
  int item;
  UINT new_state;
};
std::vector<Note>& Notes() {
  static std::vector<Note> n;
  return n;
}
int& RefuseDelta() {
  static int r = 0;
  return r;
}

bool& EmptyTabsOnChange() {
  static bool e = false;
  return e;
}

LRESULT ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(GetStockObject(LTGRAY_BRUSH));
  if (m == WM_COMMAND) Notes().push_back({m, LOWORD(w), HIWORD(w), 0, 0});
  if (m == WM_NOTIFY) {
    auto* n = reinterpret_cast<NMHDR*>(l);
    Note note{m, static_cast<int>(n->idFrom), static_cast<int>(n->code), -1, 0};
    if (n->code == GN_CONTEXTMENU) note.item = reinterpret_cast<NMRGINFO*>(l)->ptAction.x;  // screen x of the hold
    if (n->code == LVN_ITEMCHANGED) {
      note.item = reinterpret_cast<NMLISTVIEW*>(l)->iItem;
      note.new_state = reinterpret_cast<NMLISTVIEW*>(l)->uNewState;
    }
    if (n->code == LVN_GETDISPINFOW) {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(l);
      std::u16string t = u"Item " + ce::text::FromUtf8(std::to_string(info->item.iItem));
      std::copy(t.begin(), t.end(), info->item.pszText);
      info->item.pszText[t.size()] = 0;
      return 0;
    }
    Notes().push_back(note);
    if (n->code == UDN_DELTAPOS) return RefuseDelta();
    if (n->code == TCN_SELCHANGING && EmptyTabsOnChange()) SendMessageW(n->hwndFrom, TCM_DELETEALLITEMS, 0, 0);
  }
  return DefWindowProcW(h, m, w, l);
}

class ControlTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    InitCommonControls();
    Notes().clear();
    RefuseDelta() = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = u"ControlParent";
    RegisterClassW(&wc);
    parent_ = CreateWindowW(u"ControlParent", u"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    UnregisterClassW(u"ControlParent", nullptr);
    DeviceTest::TearDown();
  }
  HWND Make(const WCHAR* cls, DWORD style, int id, const WCHAR* text = u"") {
    return CreateWindowW(cls, text, WS_CHILD | WS_VISIBLE | style, 4, 4, 200, 100, parent_,
                         reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
  }
  static int Count(UINT msg, int id, int code) {
    int n = 0;
    for (auto& x : Notes()) n += x.msg == msg && x.id == id && x.code == code;
    return n;
  }
  static std::u16string TextOf(HWND h) {
    WCHAR buf[128];
    GetWindowTextW(h, buf, 128);
    return buf;
  }
  HWND parent_ = nullptr;
};

void Type(HWND edit, std::u16string_view text) {
  for (char16_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}

}  // namespace

TEST_F(ControlTest, EditKeepsItsRulesForTyping) {
  HWND number = Make(WC_EDITW, ES_NUMBER, 1);
  Type(number, u"12a3");
  EXPECT_EQ(TextOf(number), u"123");

  HWND limited = Make(WC_EDITW, ES_UPPERCASE, 2);
  SendMessageW(limited, EM_LIMITTEXT, 4, 0);
  Type(limited, u"abcdef");
  EXPECT_EQ(TextOf(limited), u"ABCD");
  EXPECT_EQ(Count(WM_COMMAND, 2, EN_MAXTEXT), 2);
  EXPECT_EQ(Count(WM_COMMAND, 2, EN_CHANGE), 4);
  SendMessageW(limited, WM_CHAR, VK_BACK, 0);
  EXPECT_EQ(TextOf(limited), u"ABC");
  SendMessageW(limited, EM_SETSEL, 0, 1);
  SendMessageW(limited, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(u"x"));
  EXPECT_EQ(TextOf(limited), u"XBC");
  DWORD from = 9, to = 9;
  SendMessageW(limited, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 1u);
  EXPECT_EQ(to, 1u);

  HWND secret = Make(WC_EDITW, ES_PASSWORD | ES_READONLY, 3, u"pin");
  Type(secret, u"9");
  EXPECT_EQ(TextOf(secret), u"pin");  // read-only; the text is kept, only its look is masked
  SendMessageW(secret, EM_SETREADONLY, FALSE, 0);
  Type(secret, u"9");
  EXPECT_EQ(TextOf(secret), u"9pin");
}

TEST_F(ControlTest, ListAndComboKeepOrderAndSelection) {
  HWND list = Make(WC_LISTBOXW, LBS_SORT | LBS_NOTIFY, 10);
  for (const char16_t* s : {u"pear", u"Apple", u"fig"}) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  WCHAR buf[16];
  SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buf));
  EXPECT_EQ(std::u16string(buf), u"Apple");
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"PE")), 2);
  EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"fi")), LB_ERR);
  SendMessageW(list, LB_SETCURSEL, 2, 0);
  SendMessageW(list, LB_DELETESTRING, 0, 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);  // the selection follows its entry
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 7, 0), LB_ERR);
  EXPECT_EQ(Count(WM_COMMAND, 10, LBN_SELCHANGE), 0);  // programs' changes are not the user's
  SendMessageW(list, CE_UA_SELECT, 0, 0);
  EXPECT_EQ(Count(WM_COMMAND, 10, LBN_SELCHANGE), 1);

  HWND combo = Make(WC_COMBOBOXW, CBS_DROPDOWNLIST, 11);
  for (const char16_t* s : {u"Normal", u"Silent"}) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(combo, CB_SETITEMDATA, 1, 77);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 5, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"sil"));
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, SendMessageW(combo, CB_GETCURSEL, 0, 0), 0), 77);
  EXPECT_EQ(TextOf(combo), u"Silent");
  RECT r;
  GetWindowRect(combo, &r);
  EXPECT_LT(r.bottom - r.top, 100);  // the window is the field; the list drops below it
}

TEST_F(ControlTest, ListViewOwnerDataSelectionAndNotifications) {
  HWND lv = Make(WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL, 20);
  LVCOLUMNW col{LVCF_TEXT | LVCF_WIDTH, 0, 150, const_cast<LPWSTR>(u"Name"), 0, 0};
  SendMessageW(lv, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  SendMessageW(lv, LVM_SETITEMCOUNT, 1000, LVSICF_NOSCROLL);
  EXPECT_EQ(ListView_GetItemCount(lv), 1000);
  WCHAR buf[32];
  LVITEMW get{};
  get.pszText = buf;
  get.cchTextMax = 32;
  SendMessageW(lv, LVM_GETITEMTEXTW, 999, reinterpret_cast<LPARAM>(&get));
  EXPECT_EQ(std::u16string(buf), u"Item 999");

  ListView_SetItemState(lv, 5, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(lv, 7, LVIS_SELECTED, LVIS_SELECTED);  // single selection: 5 is dropped
  EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 7);
  EXPECT_EQ(SendMessageW(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  std::vector<std::pair<int, UINT>> changes;
  for (auto& n : Notes())
    if (n.code == static_cast<int>(LVN_ITEMCHANGED)) changes.push_back({n.item, n.new_state});
  EXPECT_EQ(changes, (std::vector<std::pair<int, UINT>>{{5, LVIS_SELECTED}, {5, 0}, {7, LVIS_SELECTED}}));

  // A smaller count forgets the states beyond it.
  SendMessageW(lv, LVM_SETITEMCOUNT, 6, 0);
  EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), -1);
  EXPECT_FALSE(ListView_SetItemState(lv, 6, LVIS_SELECTED, LVIS_SELECTED));
  SendMessageW(lv, CE_UA_HOLD, 2, 0);
  EXPECT_EQ(Count(WM_NOTIFY, 20, GN_CONTEXTMENU), 1);
  // A hold in a given column is at the middle of that column's cell (column 0 is 150 wide).
  LVCOLUMNW second{LVCF_TEXT | LVCF_WIDTH, 0, 40, const_cast<LPWSTR>(u"Size"), 0, 1};
  SendMessageW(lv, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&second));
  SendMessageW(lv, CE_UA_HOLD, 2, 2);
  POINT origin{0, 0};
  ClientToScreen(lv, &origin);
  EXPECT_EQ(Notes().back().code, GN_CONTEXTMENU);
  EXPECT_EQ(Notes().back().item - origin.x, 150 + 20);
  SendMessageW(lv, CE_UA_COLUMN, 0, 0);
  EXPECT_EQ(Count(WM_NOTIFY, 20, static_cast<int>(LVN_COLUMNCLICK)), 1);
}

TEST_F(ControlTest, ListViewSortsByComparatorAndFindsByParam) {
  HWND lv = Make(WC_LISTVIEWW, LVS_REPORT, 21);
  const char16_t* names[] = {u"b", u"c", u"a"};
  for (int i = 0; i < 3; ++i) {
    LVITEMW it{};
    it.mask = LVIF_TEXT | LVIF_PARAM;
    it.iItem = i;
    it.pszText = const_cast<LPWSTR>(names[i]);
    it.lParam = 10 * (i + 1);  // 10, 20, 30
    SendMessageW(lv, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  }
  ListView_SetItemState(lv, 0, LVIS_SELECTED, LVIS_SELECTED);
  auto descending = [](LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(b - a); };
  ASSERT_TRUE(SendMessageW(lv, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(+descending)));
  LVFINDINFOW find{LVFI_PARAM, nullptr, 10, {0, 0}, 0};
  int at = static_cast<int>(SendMessageW(lv, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  EXPECT_EQ(at, 2);
  EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 2);  // the state moved with its item
  SendMessageW(lv, LVM_DELETEITEM, 0, 0);
  EXPECT_EQ(ListView_GetItemCount(lv), 2);
  EXPECT_FALSE(SendMessageW(lv, LVM_DELETEITEM, 5, 0));
}

TEST_F(ControlTest, UpDownTrackbarAndPickerStayInRange) {
  HWND buddy = Make(WC_EDITW, 0, 30, u"");
  HWND spin = Make(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_WRAP, 31);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  SendMessageW(spin, UDM_SETRANGE, 0, MAKELPARAM(3, 1));
  SendMessageW(spin, UDM_SETPOS, 0, MAKELPARAM(9, 0));
  EXPECT_EQ(TextOf(buddy), u"3");  // clamped
  SendMessageW(spin, CE_UA_SPIN, 1, 0);
  EXPECT_EQ(TextOf(buddy), u"1");  // wrapped
  RefuseDelta() = 1;
  SendMessageW(spin, CE_UA_SPIN, 1, 0);
  EXPECT_EQ(TextOf(buddy), u"1");  // the parent refused the step
  SetWindowTextW(buddy, u"x");
  EXPECT_NE(HIWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 0);  // not a number: an error

  HWND track = Make(TRACKBAR_CLASSW, 0, 32);
  SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendMessageW(track, TBM_SETPOS, TRUE, 40);
  EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 10);
  SendMessageW(track, WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), 9);

  HWND picker = Make(DATETIMEPICK_CLASSW, DTS_TIMEFORMAT, 33);
  SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(u"HH:mm"));
  EXPECT_TRUE(SendMessageW(picker, CE_UA_SETTEXT, 0, reinterpret_cast<LPARAM>(u"23:59")));
  for (const char16_t* bad : {u"24:00", u"12:60", u"12", u"1:2:3"})
    EXPECT_FALSE(SendMessageW(picker, CE_UA_SETTEXT, 0, reinterpret_cast<LPARAM>(bad))) << ce::text::ToUtf8(bad);
  EXPECT_EQ(TextOf(picker), u"23:59");
  SYSTEMTIME feb{2026, 2, 0, 31, 0, 0, 0, 0};
  EXPECT_FALSE(SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&feb)));
  EXPECT_EQ(Count(WM_NOTIFY, 33, static_cast<int>(DTN_DATETIMECHANGE)), 1);
}

TEST_F(ControlTest, ImageListsKeepTheirImages) {
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4);
  ASSERT_NE(il, nullptr);
  HBITMAP strip = CreateBitmap(48, 16, 1, 32, nullptr);
  EXPECT_EQ(ImageList_AddMasked(il, strip, RGB(255, 0, 255)), 0);
  EXPECT_EQ(ImageList_GetImageCount(il), 3);
  EXPECT_TRUE(ImageList_Remove(il, 1));
  EXPECT_EQ(ImageList_GetImageCount(il), 2);
  EXPECT_FALSE(ImageList_Draw(il, 5, nullptr, 0, 0, ILD_NORMAL));
  DeleteObject(strip);
  EXPECT_TRUE(ImageList_Destroy(il));
  EXPECT_FALSE(ImageList_Destroy(il));
  EXPECT_EQ(ImageList_GetImageCount(il), 0);
}

// An icon added to an image list keeps its transparent pixels: drawn on white, they stay white.
TEST_F(ControlTest, ImageListIconsKeepTheirTransparency) {
  HBITMAP color = CreateBitmap(16, 16, 1, 32, nullptr);
  HBITMAP mask = CreateBitmap(16, 16, 1, 32, nullptr);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, color);
  RECT all{0, 0, 16, 16};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(mem, &all, red);
  SelectObject(mem, mask);
  RECT corner{0, 0, 8, 8};
  FillRect(mem, &corner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));  // the corner is clear
  SelectObject(mem, old);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  ASSERT_NE(icon, nullptr);
  HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
  EXPECT_EQ(ImageList_AddIcon(il, icon), 0);
  HBITMAP target = CreateBitmap(16, 16, 1, 32, nullptr);
  old = SelectObject(mem, target);
  FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_TRUE(ImageList_Draw(il, 0, mem, 0, 0, ILD_NORMAL));
  EXPECT_EQ(GetPixel(mem, 2, 2), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(mem, 12, 12), RGB(255, 0, 0));
  SelectObject(mem, old);
  DeleteDC(mem);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(color), static_cast<HGDIOBJ>(mask), static_cast<HGDIOBJ>(target),
                    static_cast<HGDIOBJ>(red)})
    DeleteObject(o);
  DestroyIcon(icon);
  ImageList_Destroy(il);
}

// Absurd arguments get an error or a clamp, never a crash, an overflow or a huge allocation.
TEST_F(ControlTest, ExtremeArgumentsAreRefusedOrClamped) {
  HWND list = Make(WC_LISTBOXW, 0, 40);
  HWND combo = Make(WC_COMBOBOXW, CBS_DROPDOWNLIST, 41);
  for (HWND h : {list, combo}) {
    UINT add = h == list ? LB_ADDSTRING : CB_ADDSTRING, find = h == list ? LB_FINDSTRING : CB_FINDSTRING;
    SendMessageW(h, add, 0, reinterpret_cast<LPARAM>(u"alpha"));
    SendMessageW(h, add, 0, reinterpret_cast<LPARAM>(u"beta"));
    EXPECT_EQ(SendMessageW(h, find, 0x7FFFFFFF, reinterpret_cast<LPARAM>(u"al")), 0);
    EXPECT_EQ(SendMessageW(h, find, 1, 0), 0);  // no text: the first entry after the start matches
  }

  HWND view = Make(WC_LISTVIEWW, LVS_REPORT, 42);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<LPWSTR>(u"one");
  SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  for (int sub : {-1, 0x7FFFFFFF}) {
    item.iSubItem = sub;
    EXPECT_FALSE(SendMessageW(view, LVM_SETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item))) << sub;
  }
  EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, 0x7FFFFFFF, LVNI_ALL), -1);
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = u"one";
  EXPECT_EQ(SendMessageW(view, LVM_FINDITEMW, 0x7FFFFFFF, reinterpret_cast<LPARAM>(&find)), -1);
  SendMessageW(view, LVM_SETSELECTIONMARK, 0, -5);
  EXPECT_EQ(SendMessageW(view, LVM_GETSELECTIONMARK, 0, 0), -1);

  // Owner data with a vast count: selecting, counting and searching look at marked items only.
  HWND vast = Make(WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL, 47);
  SendMessageW(vast, LVM_SETITEMCOUNT, 0x7FFFFFFF, 0);
  LVITEMW sel{};
  sel.state = sel.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(vast, LVM_SETITEMSTATE, 5, reinterpret_cast<LPARAM>(&sel));
  SendMessageW(vast, LVM_SETITEMSTATE, 2000000000, reinterpret_cast<LPARAM>(&sel));
  EXPECT_EQ(SendMessageW(vast, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(vast, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2000000000);
  SendMessageW(vast, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(SendMessageW(vast, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 2000000001);
  sel.state = 0;
  SendMessageW(vast, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&sel));
  EXPECT_EQ(SendMessageW(vast, LVM_GETSELECTEDCOUNT, 0, 0), 0);

  HWND bar = Make(WC_SCROLLBARW, SBS_VERT, 43);
  EXPECT_EQ(SendMessageW(bar, 0x00E9 /* SBM_SETSCROLLINFO */, TRUE, 0), 0);
  EXPECT_FALSE(SendMessageW(bar, 0x00EA /* SBM_GETSCROLLINFO */, 0, 0));
  SCROLLINFO wide{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, -0x7FFFFFFF - 1, 0x7FFFFFFF, 0xFFFFFFFFu, 5, 0};
  SetScrollInfo(bar, SB_CTL, &wide, TRUE);
  UpdateWindow(bar);

  HWND progress = Make(PROGRESS_CLASSW, 0, 44);
  SendMessageW(progress, PBM_SETRANGE32, static_cast<WPARAM>(-0x7FFFFFFF - 1), 0x7FFFFFFF);
  SendMessageW(progress, PBM_SETPOS, 0x7FFFFFFF, 0);
  SendMessageW(progress, PBM_SETSTEP, 0x7FFFFFFF, 0);
  SendMessageW(progress, PBM_STEPIT, 0, 0);
  SendMessageW(progress, PBM_DELTAPOS, 0x7FFFFFFF, 0);
  UpdateWindow(progress);
  EXPECT_LE(SendMessageW(progress, PBM_GETPOS, 0, 0), 0x7FFFFFFF);

  HWND track = Make(TRACKBAR_CLASSW, TBS_AUTOTICKS, 45);
  SendMessageW(track, TBM_SETRANGEMIN, FALSE, -0x7FFFFFFF - 1);
  SendMessageW(track, TBM_SETRANGEMAX, FALSE, 0x7FFFFFFF);
  SendMessageW(track, TBM_SETPOS, TRUE, 0x7FFFFFFF);
  UpdateWindow(track);
  SendMessageW(track, CE_UA_TRACK, static_cast<WPARAM>(-0x7FFFFFFF - 1), 0);
  EXPECT_EQ(SendMessageW(track, TBM_GETPOS, 0, 0), -0x7FFFFFFF - 1);
  SendMessageW(track, WM_LBUTTONDOWN, 0, MAKELPARAM(150, 10));
  SendMessageW(track, WM_LBUTTONUP, 0, MAKELPARAM(150, 10));

  // A parent that empties the tabs while asked about the change: nothing is selected.
  HWND tabs = Make(WC_TABCONTROLW, 0, 48);
  TCITEMW tab{};
  tab.mask = TCIF_TEXT;
  for (const char16_t* t : {u"One", u"Two"}) {
    tab.pszText = const_cast<LPWSTR>(t);
    SendMessageW(tabs, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&tab));
  }
  EmptyTabsOnChange() = true;
  EXPECT_FALSE(SendMessageW(tabs, CE_UA_SELECT, 1, 0));
  EmptyTabsOnChange() = false;
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), -1);
  UpdateWindow(tabs);

  HWND spin = Make(UPDOWN_CLASSW, 0, 46);
  SendMessageW(spin, UDM_SETRANGE32, 0x7FFFFFFE, 0x7FFFFFFF);
  SendMessageW(spin, UDM_SETPOS, 0, 0);
  SendMessageW(spin, CE_UA_SPIN, 1, 0);
  SendMessageW(spin, CE_UA_SPIN, 1, 0);
  EXPECT_EQ(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 0xFFFF);
  SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(-0x7FFFFFFF - 1), -0x7FFFFFFF);
  SendMessageW(spin, CE_UA_SPIN, 0, 0);
  SendMessageW(spin, CE_UA_SPIN, 0, 0);
  EXPECT_EQ(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 0);
}

TEST_F(ControlTest, ListViewItemPositionIsTheTopLeftOfItsRectangle) {
  HWND lv = Make(WC_LISTVIEWW, LVS_REPORT, 22);
  for (int i = 0; i < 3; ++i) {
    LVITEMW it{};
    it.mask = LVIF_TEXT;
    it.iItem = i;
    it.pszText = const_cast<LPWSTR>(u"row");
    SendMessageW(lv, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  }
  POINT previous{-1, -1};
  for (int i = 0; i < 3; ++i) {
    RECT rect{};
    ASSERT_TRUE(SendMessageW(lv, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect)));
    POINT at{-1, -1};
    ASSERT_TRUE(SendMessageW(lv, LVM_GETITEMPOSITION, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&at)));
    EXPECT_EQ(at.x, rect.left);
    EXPECT_EQ(at.y, rect.top);
    EXPECT_GT(at.y, previous.y);  // rows go down
    previous = at;
  }
  POINT unused{};
  EXPECT_FALSE(SendMessageW(lv, LVM_GETITEMPOSITION, 3, reinterpret_cast<LPARAM>(&unused)));
  EXPECT_FALSE(SendMessageW(lv, LVM_GETITEMPOSITION, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&unused)));
  EXPECT_FALSE(SendMessageW(lv, LVM_GETITEMPOSITION, 0, 0));
}

namespace {

void PumpAll() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

}  // namespace

// A group box lies in front of the controls it frames (as a dialog creates them): it draws its
// frame and label only, the framed check box shows and takes its own tap, and the parent's
// background shows in between, also after only the parent was painted again.
TEST_F(ControlTest, GroupBoxFramesWithoutHidingWhatItHolds) {
  HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"GroupParent";
  wc.hbrBackground = green;
  RegisterClassW(&wc);
  HWND parent = CreateWindowW(u"GroupParent", u"", WS_VISIBLE, 0, 0, 240, 200, nullptr, nullptr, nullptr, nullptr);
  HWND check = CreateWindowW(WC_BUTTONW, u"Inside", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 20, 40, 100, 16, parent,
                             reinterpret_cast<HMENU>(static_cast<LONG_PTR>(31)), nullptr, nullptr);
  HWND group = CreateWindowW(WC_BUTTONW, u"Group", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 10, 10, 200, 100, parent,
                             reinterpret_cast<HMENU>(static_cast<LONG_PTR>(30)), nullptr, nullptr);
  ASSERT_EQ(GetWindow(parent, GW_CHILD), group);  // in front
  InvalidateRect(parent, nullptr, TRUE);
  PumpAll();
  RECT box{};
  GetWindowRect(check, &box);
  const int mid = (box.top + box.bottom) / 2;
  EXPECT_EQ(ScreenPixel(box.left, mid), RGB(0x40, 0x40, 0x40));     // the check box's square
  EXPECT_EQ(ScreenPixel(box.left + 6, mid), RGB(255, 255, 255));
  EXPECT_EQ(ScreenPixel(150, 90), RGB(0, 128, 0));                // the parent, inside the frame
  EXPECT_EQ(ScreenPixel(10, 60), RGB(0x80, 0x80, 0x80));           // the frame's left edge

  // Only the parent is painted again: the frame is drawn again after it.
  InvalidateRect(parent, nullptr, TRUE);
  PumpAll();
  EXPECT_EQ(ScreenPixel(10, 60), RGB(0x80, 0x80, 0x80));
  EXPECT_EQ(ScreenPixel(box.left + 6, mid), RGB(255, 255, 255));

  // A tap on the check box reaches it, not the group box in front of it.
  ce::display::InjectInput({ce::display::InputEvent::kPenDown, box.left + 6, mid, 0});
  ce::display::InjectInput({ce::display::InputEvent::kPenUp, box.left + 6, mid, 0});
  PumpAll();
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  DestroyWindow(parent);
  UnregisterClassW(u"GroupParent", nullptr);
  DeleteObject(green);
}

// Tabs wider than the control scroll: the current tab is always shown whole before the arrows,
// the arrows move the row by one tab, and a tab reached that way is picked by a tap.
TEST_F(ControlTest, TabsThatDoNotFitScrollToTheCurrentOne) {
  HWND tabs = CreateWindowW(WC_TABCONTROLW, u"", WS_CHILD | WS_VISIBLE | TCS_BOTTOM, 0, 0, 240, 60, parent_,
                            reinterpret_cast<HMENU>(static_cast<LONG_PTR>(40)), nullptr, nullptr);
  for (int i = 0; i < 8; ++i) {
    std::u16string text = u"Page number " + ce::text::FromUtf8(std::to_string(i));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  auto rect = [&](int i) {
    RECT r{};
    SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
    return r;
  };
  RECT area{0, 0, 240, 60};
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  const LONG height = 60 - area.bottom - 4;  // the row's height; each arrow is as wide
  const LONG arrows = 240 - 2 * height;
  EXPECT_EQ(rect(0).left, 0);
  EXPECT_GT(rect(7).right, 240);  // out of sight
  SendMessageW(tabs, TCM_SETCURSEL, 7, 0);
  EXPECT_LE(rect(7).right, arrows);
  EXPECT_GT(rect(7).left, 0);
  const RECT hidden = rect(0);
  EXPECT_TRUE(IsRectEmpty(&hidden));  // scrolled out on the left

  // Back to the start with the left arrow, one tab a tap; then a tap on the second tab picks it.
  auto tap = [&](int x) {
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 50));
    SendMessageW(tabs, WM_LBUTTONUP, 0, MAKELPARAM(x, 50));
  };
  for (int i = 0; i < 8; ++i) tap(arrows + height / 2);
  EXPECT_EQ(rect(0).left, 0);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 7);  // scrolling picks nothing
  tap(rect(1).left + 4);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Count(WM_NOTIFY, 40, TCN_SELCHANGE), 1);
  // The right arrow stops once the last tab is whole.
  for (int i = 0; i < 20; ++i) tap(arrows + height + height / 2);
  EXPECT_LE(rect(7).right, arrows);
  EXPECT_GT(rect(7).right, arrows - 120);
}

// A larger font (as on a high-dpi screen) makes the combo box's field and the list view's rows
// higher, so that their text is not cut; the common font keeps the common sizes.
TEST_F(ControlTest, FieldsAndRowsGrowWithTheirFont) {
  LOGFONTW lf{};
  lf.lfHeight = -24;
  const char16_t face[] = u"Tahoma";
  std::copy(face, face + 7, lf.lfFaceName);
  HFONT large = CreateFontIndirectW(&lf);
  HWND combo = Make(WC_COMBOBOXW, CBS_DROPDOWNLIST, 50);
  HWND list = Make(WC_LISTVIEWW, LVS_REPORT, 51);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 100;
  column.pszText = const_cast<WCHAR*>(u"Name");
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<WCHAR*>(u"Row");
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  auto height = [](HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r.bottom - r.top;
  };
  auto row = [&] {
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r.bottom - r.top;
  };
  EXPECT_EQ(height(combo), 20);
  EXPECT_EQ(row(), 16);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, large);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);
  EXPECT_GE(height(combo), tm.tmHeight + 4);
  EXPECT_GE(row(), tm.tmHeight);

  // A list box's rows: 14 pixels with the common font, as high as a large font needs (a tap on
  // the third row picks the third entry), and what LB_SETITEMHEIGHT says once it is said.
  HWND box = Make(WC_LISTBOXW, LBS_NOTIFY, 52);
  for (const char16_t* s : {u"One", u"Two", u"Three", u"Four"}) SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  EXPECT_EQ(SendMessageW(box, LB_GETITEMHEIGHT, 0, 0), 14);
  SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);
  const int rows = static_cast<int>(SendMessageW(box, LB_GETITEMHEIGHT, 0, 0));
  EXPECT_GT(rows, tm.tmHeight);
  SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 1 + 2 * rows + rows / 2));
  EXPECT_EQ(SendMessageW(box, LB_GETCURSEL, 0, 0), 2);
  SendMessageW(box, LB_SETITEMHEIGHT, 0, 30);
  SendMessageW(box, WM_SETFONT, 0, FALSE);
  EXPECT_EQ(SendMessageW(box, LB_GETITEMHEIGHT, 0, 0), 30);
  DestroyWindow(box);
  DestroyWindow(combo);
  DestroyWindow(list);
  DeleteObject(large);
}

// A static with WS_BORDER shows a frame (the tappable value fields and buttons of many dialogs);
// one without shows its text alone.
TEST_F(ControlTest, BorderedStaticShowsItsFrame) {
  HWND framed = CreateWindowW(WC_STATICW, u"OK", WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTER | SS_NOTIFY, 10, 10, 40,
                              20, parent_, nullptr, nullptr, nullptr);
  HWND bare = CreateWindowW(WC_STATICW, u"OK", WS_CHILD | WS_VISIBLE | SS_CENTER, 60, 10, 40, 20, parent_, nullptr,
                            nullptr, nullptr);
  UpdateWindow(parent_);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  HDC screen = GetDC(nullptr);
  for (POINT edge : {POINT{10, 20}, POINT{49, 20}, POINT{30, 10}, POINT{30, 29}})
    EXPECT_EQ(GetPixel(screen, edge.x, edge.y), RGB(0x40, 0x40, 0x40)) << edge.x << "," << edge.y;
  EXPECT_EQ(GetPixel(screen, 60, 20), GetPixel(screen, 62, 20));  // no frame: the face colour at the edge
  ReleaseDC(nullptr, screen);
  DestroyWindow(framed);
  DestroyWindow(bare);
}
