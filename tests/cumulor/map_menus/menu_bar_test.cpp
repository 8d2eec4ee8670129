// The on-screen menu: its pages by the pen, edit mode with the button editor, the hardware keys,
// the "Menu" element, and the open pages as pictures at both screen sizes (menu_page1_240x320.png,
// menu_page1_480x640.png, menu_page2_*.png, menu_edit_240x320.png in the test's folder).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/map/menus/menu_bar.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

using ce::scripted::steps::Click;
using ce::scripted::steps::Select;

std::vector<std::pair<std::uint32_t, std::uint32_t>> g_ran;
int g_dialogActive = 0;
int g_infoBoxes = 0;

constexpr std::uint8_t kDefault[3][15] = {
    {34, 31, 1, 2, 11, 17, 54, 16, 43, 0, 50, 44, 13, 14, 0},
    {7, 25, 8, 40, 35, 30, 29, 16, 0, 0, 0, 0, 13, 14, 0},
    {10, 12, 9, 20, 18, 19, 5, 15, 0, 0, 0, 0, 13, 14, 0},
};

std::string PageText(const MenuBar& menu, int page) {
  std::string text = "15";
  for (const MenuButton& b : menu.pages[page]) text += "," + std::to_string(b.entry.command ? b.entry.index : 0);
  return text;
}

class MenuBarTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::ifstream in(std::string(CUMULOR_RES_DIR) + "/dialog-menus.txt");
    ASSERT_TRUE(in);
    std::stringstream s;
    s << in.rdbuf();
    // The tab halves and the page arrows are drawn from the navigation boxes' icons.
    std::ifstream navbox(std::string(CUMULOR_RES_DIR) + "/dialog-navbox.txt");
    for (std::string line; std::getline(navbox, line);)
      if (line.rfind("icon ", 0) == 0) s << line << "\n";
    for (const char* folder : {"icons/menu", "icons/navbox"}) {
      for (const auto& entry : std::filesystem::directory_iterator(std::string(CUMULOR_RES_DIR) + "/" + folder)) {
        std::ifstream png(entry.path(), std::ios::binary);
        files[std::string(folder) + "/" + entry.path().filename().string()] =
            std::vector<std::uint8_t>(std::istreambuf_iterator<char>(png), {});
      }
    }
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", s.str(), files), "");
    ce::scripted::User::Get().Reset();
    g_ran.clear();
    g_dialogActive = 0;
    g_infoBoxes = 0;
    SetMenuLink(MenuLink{[](std::uint32_t c, std::uint32_t p) { g_ran.emplace_back(c, p); },
                         [](const WCHAR*, const RECT&) { ++g_infoBoxes; },
                         [](int active) { g_dialogActive = active; }, nullptr});
    Layout().largeScreen = 0;
    MenusInit(menu);
    MenuBarSetup(menu, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    MenuLayout(menu, RECT{0, 0, 240, 320});
  }
  void TearDown() override {
    SetMenuLink({});
    Layout().largeScreen = 0;
    ce::scripted::User::Get().Reset();
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  // A tap: pen down and up at the middle of `r` (or at x, y).
  void Tap(const RECT& r) { Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
  void Tap(int x, int y) {
    MenuHandleClick(menu, WM_LBUTTONDOWN, x, y, nullptr);
    MenuHandleClick(menu, WM_LBUTTONUP, x, y, nullptr);
  }
  void OpenByTab() { Tap(menu.openRect); }
  const RECT& Slot(int slot) { return menu.currentPage[slot].rect; }

  MenuBar menu;
};

TEST_F(MenuBarTest, LayoutFollowsTheScreen) {
  // Row height 320 / 6 = 53 -> 55; large slots from 35 down, two per row.
  EXPECT_EQ(menu.rowHeight, 55);
  auto s = [this](int slot) { return menu.pages[0][slot].rect; };
  EXPECT_EQ(s(0).left, 0);
  EXPECT_EQ(s(0).right, 120);
  EXPECT_EQ(s(1).left, 119);
  EXPECT_EQ(s(1).right, 240);
  EXPECT_EQ(s(0).top, 35);
  EXPECT_EQ(s(7).bottom, 35 + 4 * 55);
  EXPECT_EQ(s(8).top, 320 - 27);
  EXPECT_EQ(s(11).left, 180);
  EXPECT_EQ(s(13).left, 60);
  EXPECT_EQ(s(13).bottom - s(13).top, 20);
  EXPECT_EQ(s(12).top + 10, (255 + 293) / 2);
  EXPECT_EQ(menu.tabRect.left, 88);
  EXPECT_EQ(menu.openRect.bottom, 52);
  EXPECT_EQ(menu.nextRect.left, 208);
  Layout().largeScreen = 1;
  MenuLayout(menu, RECT{0, 0, 480, 640});
  EXPECT_EQ(menu.rowHeight, 106);
  EXPECT_EQ(menu.pages[2][0].rect.top, 67);
  EXPECT_EQ(menu.tabRect.bottom, 44);
  EXPECT_EQ(menu.nextRect.left, 480 - 64);
  EXPECT_EQ(menu.pages[0][12].rect.bottom - menu.pages[0][12].rect.top, 40);
}

TEST_F(MenuBarTest, PagesByThePen) {
  // A tap beside the tab is the map's.
  EXPECT_EQ(MenuHandleClick(menu, WM_LBUTTONDOWN, 5, 200, nullptr), 0);
  // The first tap opens (not handled further) and its pen-up presses nothing.
  int handled = -1;
  EXPECT_EQ(MenuHandleClick(menu, WM_LBUTTONDOWN, 120, 10, &handled), 1);
  EXPECT_EQ(handled, 0);
  EXPECT_EQ(g_infoBoxes, 1);
  EXPECT_EQ(g_dialogActive, 1);
  EXPECT_EQ(MenuHandleClick(menu, WM_LBUTTONUP, 120, 40, nullptr), 1);
  EXPECT_TRUE(menu.open);
  EXPECT_EQ(menu.pageNumber, 1);
  EXPECT_TRUE(g_ran.empty());

  // Arrows: none before page 1; "More..." walks on and stays on page 3.
  Tap(menu.previousRect);
  EXPECT_EQ(menu.pageNumber, 1);
  Tap(menu.nextRect);
  EXPECT_EQ(menu.pageNumber, 2);
  Tap(Slot(7));  // "More..."
  EXPECT_EQ(menu.pageNumber, 3);
  Tap(menu.nextRect);
  EXPECT_EQ(menu.pageNumber, 3);
  // Page 3 slot 7 is the close entry: closed without a command.
  Tap(Slot(7));
  EXPECT_FALSE(menu.open);
  EXPECT_TRUE(g_ran.empty());
  EXPECT_EQ(g_dialogActive, 0);

  // A button runs its command through the main window and closes the menu.
  OpenByTab();
  Tap(Slot(2));  // "Settings"
  EXPECT_FALSE(menu.open);
  ASSERT_EQ(g_ran.size(), 1u);
  EXPECT_EQ(g_ran[0], std::make_pair(40115u, 0u));

  // A tap on no button closes without a command; a drag off the button presses nothing.
  OpenByTab();
  Tap(200, 262);  // below the rows, above the strip
  EXPECT_FALSE(menu.open);
  OpenByTab();
  MenuHandleClick(menu, WM_LBUTTONDOWN, 60, 60, nullptr);
  EXPECT_EQ(menu.selected, 0);
  MenuHandleClick(menu, WM_MOUSEMOVE, 60, 150, nullptr);
  EXPECT_EQ(menu.selected, 4);
  MenuHandleClick(menu, WM_MOUSEMOVE, 60, 270, nullptr);  // between the rows and the strip
  EXPECT_EQ(menu.selected, -1);
  MenuHandleClick(menu, WM_LBUTTONUP, 60, 270, nullptr);
  EXPECT_EQ(g_ran.size(), 1u);
}

TEST_F(MenuBarTest, HardwareKeysRunTheBottomStrip) {
  struct {
    std::uint32_t key;
    int ran;
    std::uint32_t command;
  } cases[] = {{0xC1, 1, 40143}, {0xC2, 0, 0}, {0xC3, 1, 40147}, {0xC4, 1, 40148}, {0xC0, 0, 0}, {0xC5, 0, 0}, {13, 0, 0}};
  for (const auto& c : cases) {
    g_ran.clear();
    EXPECT_EQ(MenuCommand(menu, c.key), c.ran) << c.key;
    if (c.ran) {
      ASSERT_EQ(g_ran.size(), 1u);
      EXPECT_EQ(g_ran[0].first, c.command);
    }
  }
}

TEST_F(MenuBarTest, EditModeEditorAndReset) {
  auto& user = ce::scripted::User::Get();
  MenuHandleClick(menu, kMenuCmdEdit, 0, 0, nullptr);
  EXPECT_TRUE(menu.open);
  EXPECT_TRUE(menu.editMode);
  // The blank item empties slot 0; the slot then shows only in edit mode.
  user.AnswerDialog({Select(kMenuEditorCombo, 0), Click(IDOK)});
  Tap(Slot(0));
  EXPECT_FALSE(menu.editMode);
  EXPECT_EQ(menu.pages[0][0].entry.command, 0u);
  EXPECT_TRUE(menu.open);
  g_ran.clear();
  Tap(Slot(0));  // no button there now: the menu closes without a command
  EXPECT_FALSE(menu.open);
  EXPECT_TRUE(g_ran.empty());

  // "Edit" cannot be chosen: OK stays until Cancel; another entry is copied in.
  MenuHandleClick(menu, kMenuCmdEdit, 0, 0, nullptr);
  int editIndex = -1, aboutIndex = -1, at = 1;
  for (int i = 1; i < kMenuEntryCount; ++i) {
    if (!menu.entries[i].command) continue;
    if (i == 13) editIndex = at;
    if (i == 17) aboutIndex = at;
    ++at;
  }
  user.AnswerDialog({Select(kMenuEditorCombo, editIndex), Click(IDOK), Click(IDCANCEL)});
  Tap(Slot(1));
  EXPECT_EQ(menu.pages[0][1].entry.index, 31u);
  MenuHandleClick(menu, kMenuCmdEdit, 0, 0, nullptr);
  user.AnswerDialog({Select(kMenuEditorCombo, aboutIndex), Click(IDOK)});
  Tap(Slot(1));
  EXPECT_EQ(menu.pages[0][1].entry.command, 40051u);
  // The editor's title counts slots from 1.
  bool titled = false;
  for (const auto& shown : user.shown()) titled |= shown.title == u"Editing Button nr 2";
  EXPECT_TRUE(titled);

  // Edit, then Reset (slot 13, shown only in edit mode), restores exactly the default pages.
  MenuHandleClick(menu, kMenuCmdEdit, 0, 0, nullptr);
  Tap(Slot(13));
  EXPECT_FALSE(menu.editMode);
  for (int page = 0; page < 3; ++page)
    for (int slot = 0; slot < 15; ++slot) EXPECT_EQ(menu.pages[page][slot].entry.command ? menu.pages[page][slot].entry.index : 0u, kDefault[page][slot]);
}

TEST_F(MenuBarTest, MenuElementTexts) {
  XmlNode root("Settings");
  MenuToXml(menu, root);
  const XmlNode* element = root.FindChild("Menu");
  ASSERT_NE(element, nullptr);
  ASSERT_EQ(element->ChildCount(), 3);
  EXPECT_STREQ(element->Child(0)->GetText(), "15,34,31,1,2,11,17,54,16,43,0,50,44,13,14,0");
  EXPECT_STREQ(element->Child(0)->GetAttribute("nr"), "1");

  struct {
    const char* nr;
    const char* text;
    const char* page2After;  // nullptr: unchanged
  } cases[] = {
      {"2", "15,34,31,1,2,11,17,54,16,43,0,50,44,13,14,0", "15,34,31,1,2,11,17,54,16,43,0,50,44,13,14,0"},
      {"2", "15,1,2,3,4,5,6,7,8,9,10,11,12,13,14", nullptr},        // 14 numbers
      {"2", "15,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16", nullptr},  // 16 numbers
      {"2", "15,1,2,3,4,5,6,7,8,9,10,11,12,13,14,256", nullptr},    // above 255
      {"2", "15,1,2,3,4,5,6,7,8,9,10,11,12,13,14,-1", nullptr},
      {"2", "14,1,2,3,4,5,6,7,8,9,10,11,12,13,14", nullptr},
      {"2", "15,1,2,x,4,5,6,7,8,9,10,11,12,13,14,15", nullptr},
      {"2", "15,80,255,36,1,0,0,0,0,0,0,0,0,0,0,0", "15,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0"},  // beyond the entries, unused
      {"4", "15,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", nullptr},
  };
  for (const auto& c : cases) {
    MenuSetDefaultPages(menu);
    XmlNode element2("Menu");
    XmlNode* page = element2.AddChild("Page");
    page->AddAttribute("nr", c.nr);
    page->SetText(c.text);
    MenuFromXml(menu, element2);
    EXPECT_EQ(PageText(menu, 1), c.page2After ? c.page2After : "15,7,25,8,40,35,30,29,16,0,0,0,0,13,14,0") << c.text;
  }

  // A page without its "nr" ends the reading: pages before it are read, the rest kept.
  MenuSetDefaultPages(menu);
  XmlNode element3("Menu");
  XmlNode* first = element3.AddChild("Page");
  first->AddAttribute("nr", "3");
  first->SetText("15,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  element3.AddChild("Page")->SetText("15,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  XmlNode* third = element3.AddChild("Page");
  third->AddAttribute("nr", "1");
  third->SetText("15,2,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  MenuFromXml(menu, element3);
  EXPECT_EQ(PageText(menu, 2), "15,1,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(PageText(menu, 0), "15,34,31,1,2,11,17,54,16,43,0,50,44,13,14,0");

  // Round trip of changed pages; random texts leave every slot empty or a used entry.
  MenuAssignSlot(menu, 9, 62);
  XmlNode saved("Settings");
  MenuToXml(menu, saved);
  MenuSetDefaultPages(menu);
  MenuFromXml(menu, *saved.FindChild("Menu"));
  EXPECT_EQ(menu.pages[0][9].entry.command, 40166u);
  std::mt19937 random(7);
  for (int i = 0; i < 300; ++i) {
    std::string text = std::to_string(random() % 3 ? 15 : random() % 20);
    const int count = 13 + static_cast<int>(random() % 4);
    for (int k = 0; k < count; ++k) text += "," + std::to_string(random() % 300);
    XmlNode fuzz("Menu");
    XmlNode* p = fuzz.AddChild("Page");
    p->AddAttribute("nr", std::to_string(random() % 5).c_str());
    p->SetText(text.c_str());
    MenuFromXml(menu, fuzz);
    for (const auto& page : menu.pages)
      for (const MenuButton& b : page) ASSERT_TRUE(b.entry.command == 0 || menu.entries[b.entry.index].command == b.entry.command);
  }
}

TEST_F(MenuBarTest, OpenPagesAsPictures) {
  FontTableInit();
  MenuBarSetup(menu, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);  // once only
  MenusInit(menu);
  MenuBarSetup(menu, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  for (const SIZE size : {SIZE{240, 320}, SIZE{480, 640}}) {
    Layout().largeScreen = size.cx > 240 ? 1 : 0;
    MenuLayout(menu, RECT{0, 0, size.cx, size.cy});
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, size.cx, size.cy);
    HGDIOBJ old = SelectObject(dc, bitmap);
    menu.open = 1;
    menu.editMode = 0;
    menu.currentPage = menu.pages[0];
    menu.pageNumber = 1;
    MenuDraw(menu, dc);
    // Slot 9 is empty: the background shows through; slot 0's face is the gradient.
    const RECT& empty = menu.pages[0][9].rect;
    EXPECT_EQ(GetPixel(dc, (empty.left + empty.right) / 2, empty.top + 3), RGB(192, 192, 192));
    const RECT& first = menu.pages[0][0].rect;
    EXPECT_NE(GetPixel(dc, first.left + 4, first.bottom - 3), RGB(192, 192, 192));
    // The tab's two halves and, on page 1, the arrow to the next page only.
    const RECT& tab = menu.tabRect;
    const auto middle = [&](const RECT& r) { return GetPixel(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2); };
    const LONG half = (tab.right - tab.left) / 2;
    EXPECT_NE(middle(RECT{tab.left, tab.top, tab.left + half, tab.top + half}), RGB(192, 192, 192));
    EXPECT_NE(middle(RECT{tab.left + half, tab.top, tab.right, tab.top + half}), RGB(192, 192, 192));
    EXPECT_NE(middle(menu.nextRect), RGB(192, 192, 192));
    EXPECT_EQ(middle(menu.previousRect), RGB(192, 192, 192));
    // The tab is whole: its lower edge shows, above the first row of buttons.
    const LONG g = (tab.right - tab.left) / 2;
    const LONG edge = 59 * g / 64;
    EXPECT_EQ(GetPixel(dc, tab.left + g / 2, edge), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, tab.right - g / 2, edge), RGB(0, 0, 0));
    EXPECT_LT(g, menu.pages[0][0].rect.top);
    const std::string name = "menu_page1_" + std::to_string(size.cx) + "x" + std::to_string(size.cy) + ".png";
    EXPECT_TRUE(ce::gdi::SaveBitmapPng(bitmap, name));
    // Page 2 has both arrows.
    menu.currentPage = menu.pages[1];
    menu.pageNumber = 2;
    MenuDraw(menu, dc);
    EXPECT_NE(middle(menu.previousRect), RGB(192, 192, 192));
    EXPECT_NE(middle(menu.nextRect), RGB(192, 192, 192));
    EXPECT_TRUE(ce::gdi::SaveBitmapPng(bitmap, "menu_page2_" + std::to_string(size.cx) + "x" + std::to_string(size.cy) + ".png"));
    menu.currentPage = menu.pages[0];
    menu.pageNumber = 1;
    if (size.cx == 240) {
      menu.editMode = 1;
      MenuDraw(menu, dc);
      EXPECT_TRUE(ce::gdi::SaveBitmapPng(bitmap, "menu_edit_240x320.png"));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  FontTableFree();
}

}  // namespace
}  // namespace cumulor
