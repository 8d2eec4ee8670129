// Resources from resource text: parsing, the binary dialog template, and the platform calls.
#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/base/wire.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/last_error.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_set.h"
#include "platform/resources/resources.h"
#include "platform/testing/device_test.h"

using namespace ce::resources;

namespace {

const char kText[] = R"(
# A dialog, a menu, strings and a bitmap.
dialog 110 2 3 156 177
  caption "Add place"
  font 8 "MS Shell Dlg"
  style WS_POPUP|WS_CAPTION|WS_SYSMENU
  control static IDC_STATIC "#icon" 4 4 20 10 SS_LEFT
  control edit 1001 "" 4 16 100 12 WS_BORDER|ES_AUTOHSCROLL exstyle WS_EX_CLIENTEDGE
  control "SysListView32" 1002 "" 4 30 148 80 LVS_REPORT|~WS_VISIBLE
  control static 1003 #7 4 120 16 16 SS_ICON
  control button 40001 "Go" 4 150 40 14
end
menu PLACES
  popup "File"
    item 40013 "Save" checked
    separator
    item 40014 "Quit" grayed
  end
end
strings
  2 "Cancel"
  6 "A rather long text"
end
bitmap 7 "images/dot.bmp"
icon 4 "images/dot.bmp"
)";

std::vector<std::uint8_t> TinyBmp() {
  ce::wire::Writer w;
  w.U8('B');
  w.U8('M');
  w.U32(14 + 40 + 16);
  w.U32(0);
  w.U32(14 + 40);
  w.U32(40);
  w.I32(2);
  w.I32(2);
  w.U16(1);
  w.U16(24);
  w.U32(0);
  w.U32(16);
  w.I32(2835);
  w.I32(2835);
  w.U32(0);
  w.U32(0);
  for (int row = 0; row < 2; ++row) {
    for (int px = 0; px < 2; ++px) w.U8(0xFF), w.U8(0), w.U8(0);  // blue
    w.U16(0);
  }
  return w.Take();
}

class ResourceTest : public ce::testing::DeviceTest {
 protected:
  void TearDown() override {
    RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
};

}  // namespace

TEST_F(ResourceTest, ParsesEveryKindOfResource) {
  auto r = ParseResources(kText, {{"images/dot.bmp", TinyBmp()}});
  ASSERT_TRUE(r.set) << r.error;
  const DialogTemplate* d = FindDialog(*r.set, MAKEINTRESOURCEW(110));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->caption, u"Add place");
  EXPECT_EQ(d->font_face, u"MS Shell Dlg");
  EXPECT_EQ(d->style, WS_POPUP | WS_CAPTION | WS_SYSMENU | 0x40u);  // DS_SETFONT with the font
  ASSERT_EQ(d->controls.size(), 5u);
  EXPECT_EQ(d->controls[0].id, -1);
  EXPECT_EQ(d->controls[0].text, u"#icon");  // quoted: a plain text
  EXPECT_EQ(d->controls[1].ex_style, static_cast<DWORD>(WS_EX_CLIENTEDGE));
  EXPECT_EQ(d->controls[1].style, WS_CHILD | WS_VISIBLE | WS_BORDER | 0x80u);
  EXPECT_EQ(d->controls[2].cls, u"SysListView32");
  EXPECT_EQ(d->controls[2].style, WS_CHILD | 0x1u);  // the default WS_VISIBLE taken away
  EXPECT_EQ(d->controls[3].text_ordinal, 7);
  EXPECT_EQ(d->controls[4].id, 40001);

  // The binary template round trip keeps every field.
  auto bytes = EncodeDialog(*d);
  auto back = DecodeDialog(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->caption, d->caption);
  EXPECT_EQ(back->font_points, 8);
  ASSERT_EQ(back->controls.size(), d->controls.size());
  for (std::size_t i = 0; i < d->controls.size(); ++i) {
    EXPECT_EQ(back->controls[i].cls, d->controls[i].cls == u"SysListView32" ? u"SysListView32" : d->controls[i].cls);
    EXPECT_EQ(back->controls[i].id, d->controls[i].id);
    EXPECT_EQ(back->controls[i].text, d->controls[i].text);
    EXPECT_EQ(back->controls[i].text_ordinal, d->controls[i].text_ordinal);
    EXPECT_EQ(back->controls[i].style, d->controls[i].style);
    EXPECT_EQ(back->controls[i].cy, d->controls[i].cy);
  }
  // A cut template is refused, never read past its end.
  for (std::size_t cut : {std::size_t{0}, std::size_t{10}, bytes.size() / 2, bytes.size() - 1})
    EXPECT_FALSE(DecodeDialog(bytes.data(), cut)) << cut;

  auto& menu = r.set->menus.at(ResName::From(u"places"));
  ASSERT_EQ(menu.size(), 1u);
  ASSERT_EQ(menu[0].children.size(), 3u);
  EXPECT_EQ(menu[0].children[0].flags, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(menu[0].children[1].flags, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(menu[0].children[2].flags, static_cast<UINT>(MF_GRAYED));
}

TEST_F(ResourceTest, BadTextIsRefusedWithItsLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"dialog 1 0 0 10 10\n  control edit 5 \"\" 0 0 1 1 WS_FOO\nend\n", "line 2: unknown style 'WS_FOO'"},
      {"dialog 1 0 0 10 10\n  caption \"x\"\n", "line 1: missing 'end'"},
      {"menu 1\n  item 5 \"open\n", "line 2: unterminated text"},
      {"bitmap 3 \"missing.bmp\"\n", "line 1: file 'missing.bmp' is not in the resource folder"},
      {"strings\n  70000 \"x\"\nend\n", "line 2: number 70000 is out of range"},
      {"icon 0 \"a.png\"\n", "line 1: resource id 0 is out of range"},
      {"toolbar 3\n", "line 1: unknown resource kind 'toolbar'"},
      {"dialog 1 0 0 10 10\n  control edit 5 \"\" 0 0\nend\n", "line 2: a control needs class, id, text and rectangle"},
      {"strings\n  --5 \"x\"\nend\n", "line 2: '--5' is not a number"},
      {"strings\n  0x-5 \"x\"\nend\n", "line 2: '0x-5' is not a number"},
  };
  for (const auto& c : cases) {
    auto r = ParseResources(c.text, {});
    EXPECT_FALSE(r.set) << c.text;
    EXPECT_EQ(r.error, c.error) << c.text;
  }
  // Popups nested past any sensible depth are refused rather than recursed into.
  std::string deep = "menu 1\n";
  for (int i = 0; i < 100000; ++i) deep += "popup \"p\"\n";
  auto r = ParseResources(deep, {});
  EXPECT_FALSE(r.set);
  EXPECT_NE(r.error.find("popups nested too deep"), std::string::npos) << r.error;
}

TEST_F(ResourceTest, SeveralTextsMakeOneSetAndRefuseADuplicate) {
  const std::map<std::string, std::vector<std::uint8_t>> files = {{"images/dot.bmp", TinyBmp()}};
  const std::string dialogs = "dialog 1 0 0 10 10\nend\nstrings\n  1 \"One\"\nend\nicon 4 \"images/dot.bmp\"\n";
  const std::string menus = "menu 1\n  item 5 \"Open\"\nend\nstrings\n  2 \"Two\"\nend\nbitmap 4 \"images/dot.bmp\"\n";
  auto merged = ParseResourceTexts({{"dialogs.txt", dialogs}, {"menus.txt", menus}}, files);
  ASSERT_TRUE(merged.set) << merged.error;
  EXPECT_NE(FindDialog(*merged.set, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(merged.set->menus.count(ResName::From(MAKEINTRESOURCEW(1))), 1u);
  EXPECT_EQ(merged.set->strings, (std::map<UINT, std::u16string>{{1, u"One"}, {2, u"Two"}}));
  EXPECT_EQ(merged.set->files.size(), 2u);  // icon 4 and bitmap 4 are of different kinds

  struct Case {
    const char* second;
    const char* error;
  };
  const Case cases[] = {
      {"dialog 0x1 0 0 5 5\nend\n", "dialog 1 is defined in both dialogs.txt and z.txt"},
      {"strings\n  1 \"Uno\"\nend\n", "string 1 is defined in both dialogs.txt and z.txt"},
      {"icon 4 \"images/dot.bmp\"\n", "icon 4 is defined in both dialogs.txt and z.txt"},
      {"menu 2\n  bogus\nend\n", "z.txt: line 2: unknown menu line 'bogus'"},
  };
  for (const auto& c : cases) {
    auto r = ParseResourceTexts({{"dialogs.txt", dialogs}, {"z.txt", c.second}}, files);
    EXPECT_EQ(r.error, c.error) << c.second;
    EXPECT_EQ(static_cast<bool>(r.set), r.error.empty()) << c.second;
  }
}

TEST_F(ResourceTest, PlatformCallsFindTheProgramsResources) {
  ASSERT_EQ(AddModuleResourceText(u"", kText, {{"images/dot.bmp", TinyBmp()}}), "");

  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(110), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  const void* data = LockResource(LoadResource(nullptr, found));
  DWORD size = SizeofResource(nullptr, found);
  auto t = DecodeDialog(data, size);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->caption, u"Add place");
  EXPECT_EQ(KnownTemplateSize(data), size);
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(110), RT_DIALOG), found);  // the same resource

  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(111), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  HRSRC bmp = FindResourceW(nullptr, MAKEINTRESOURCEW(7), RT_BITMAP);
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, bmp), TinyBmp().size());

  WCHAR buf[8];
  EXPECT_EQ(LoadStringW(nullptr, 2, buf, 8), 6);
  EXPECT_EQ(std::u16string(buf), u"Cancel");
  EXPECT_EQ(LoadStringW(nullptr, 6, buf, 8), 7);  // cut to the buffer
  EXPECT_EQ(std::u16string(buf), u"A rathe");
  EXPECT_EQ(LoadStringW(nullptr, 1, buf, 8), 0);  // absent
  EXPECT_EQ(buf[0], 0);
  const WCHAR* direct = nullptr;
  EXPECT_EQ(LoadStringW(nullptr, 6, reinterpret_cast<LPWSTR>(&direct), 0), 18);
  EXPECT_EQ(std::u16string(direct, 18), u"A rather long text");

  HBITMAP bitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(7));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 2);
  DeleteObject(bitmap);
  HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(4));
  EXPECT_NE(icon, nullptr);
  DestroyIcon(icon);
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(5)), nullptr);

  HMENU menu = LoadMenuW(nullptr, u"Places");
  ASSERT_NE(menu, nullptr);
  HMENU file = GetSubMenu(menu, 0);
  EXPECT_EQ(GetMenuItemCount(file), 3);
  EXPECT_TRUE(GetMenuState(file, 40014, MF_BYCOMMAND) & MF_GRAYED);
  DestroyMenu(menu);
  EXPECT_EQ(LoadMenuW(nullptr, MAKEINTRESOURCEW(5)), nullptr);
}

TEST_F(ResourceTest, ResourceFolderIsBuiltIntoTheProgram) {
  auto set = ModuleResources(u"EmbeddedCheck");
  ASSERT_TRUE(set);
  ASSERT_NE(FindDialog(*set, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(FindDialog(*set, MAKEINTRESOURCEW(1))->controls.at(0).text, u"Hello");
  EXPECT_EQ(set->strings.at(3), u"Three");
  EXPECT_EQ(set->strings.at(4), u"Four");  // from the folder's second text
  const auto& note = set->files.at(ResName::From(RT_RCDATA)).at(ResName::From(MAKEINTRESOURCEW(20)));
  EXPECT_EQ(std::string(note.begin(), note.end()), "a note\n");
}
