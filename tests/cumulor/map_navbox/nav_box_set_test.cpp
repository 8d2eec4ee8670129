// The navigation boxes without a window: layout of a fresh set, drags by the pen onto rows and
// free boxes, taps on the button boxes, the "NavBar" element written and read back, and damaged
// "NavBar" elements that must leave a consistent set.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/map/navbox/nav_box_layout.h"
#include "cumulor/map/navbox/nav_box_links.h"
#include "cumulor/map/navbox/nav_box_pen.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox/nav_box_xml.h"

namespace cumulor {
namespace {

constexpr RECT kArea{0, 0, 480, 640};

// Text measured at a fixed width per character and a fixed height per font role.
SIZE FakeMeasure(std::int32_t role, const WCHAR*, std::int32_t length) {
  switch (role) {
    case 3: return SIZE{7 * length, 14};
    case 4: return SIZE{10 * length, 20};
    case 11: return SIZE{5 * length, 10};
    default: return SIZE{8 * length, 16};
  }
}

struct Events {
  int starts = 0;
  int radials = 0;
  int appearance = -1;
  int outlines = 0;
  bool startAllowed = true;
  int dialogActive = 0;
};

std::unique_ptr<NavBoxSet> NewSet(Events* events = nullptr) {
  auto set = std::make_unique<NavBoxSet>();
  NavBoxSetInit(*set);
  set->hooks.measure = FakeMeasure;
  if (events) {
    set->hooks.startAllowed = [events] { return events->startAllowed; };
    set->hooks.startTap = [events] { ++events->starts; };
    set->hooks.radialTap = [events] { ++events->radials; };
    set->hooks.appearance = [events](std::int32_t box) { events->appearance = box; };
    set->hooks.outline = [events](const RECT&) { ++events->outlines; };
    set->hooks.dialogActive = [events](bool on) { events->dialogActive = on ? 1 : 0; };
  }
  NavBoxSetResize(*set, kArea, nullptr, false);
  return set;
}

POINT Centre(const NavBox& b) { return POINT{(b.rect.left + b.rect.right) / 2, (b.rect.top + b.rect.bottom) / 2}; }

// Drags box n by (dx, dy) with a move half-way; the pen-up's result.
bool Drag(NavBoxSet& set, std::int32_t n, std::int32_t dx, std::int32_t dy) {
  const POINT c = Centre(set.box[n]);
  if (!NavBoxPenDown(set, c.x, c.y)) return false;
  NavBoxPenMove(set, c.x + dx / 2, c.y + dy / 2);
  return NavBoxPenUp(set, c.x + dx, c.y + dy);
}

// Drags box n so that its bottom-left corner lands on (left, bottom).
void DragTo(NavBoxSet& set, std::int32_t n, std::int32_t left, std::int32_t bottom) {
  Drag(set, n, left - set.box[n].rect.left, bottom - set.box[n].rect.bottom);
}

// The links and the rects of the shown boxes, for comparing sets.
std::string Describe(const NavBoxSet& set) {
  std::string out;
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (!set.on[n]) continue;
    const NavBox& b = set.box[n];
    out += std::to_string(n) + ":(" + std::to_string(b.rect.left) + "," + std::to_string(b.rect.top) + "," +
           std::to_string(b.rect.right) + "," + std::to_string(b.rect.bottom) + ") r" +
           std::to_string(NavRight(b)) + " d" + std::to_string(NavLower(b)) + " l" + std::to_string(NavLeft(b)) +
           " u" + std::to_string(NavUpper(b)) + "\n";
  }
  return out;
}

// Saved as "NavBar" and read into a fresh set that is then activated.
std::unique_ptr<NavBoxSet> SaveAndLoad(NavBoxSet& set) {
  XmlNode parent("Settings");
  NavBoxLayoutSave(set, parent);
  auto loaded = NewSet();
  NavBoxLayoutLoad(*loaded, *parent.FindChild("NavBar"));
  NavBoxSetActivate(*loaded);
  return loaded;
}

// Every invariant of the links: mutual, never to a box that is off (right and lower), never to
// itself, numbers within the slots, rows and columns ending.
void ExpectConsistent(const NavBoxSet& set) {
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    const NavBox& b = set.box[n];
    SCOPED_TRACE(n);
    for (std::int32_t link : {NavRight(b), NavLower(b), NavLeft(b), NavUpper(b)}) {
      EXPECT_LT(link, kNavBoxCount);
      EXPECT_NE(link, n);
    }
    if (NavRight(b)) {
      EXPECT_EQ(NavLeft(set.box[NavRight(b)]), n);
      EXPECT_TRUE(set.on[NavRight(b)]);
    }
    if (NavLower(b)) {
      EXPECT_EQ(NavUpper(set.box[NavLower(b)]), n);
      EXPECT_TRUE(set.on[NavLower(b)]);
    }
    if (NavLeft(b)) {
      EXPECT_EQ(NavRight(set.box[NavLeft(b)]), n);
    }
    if (NavUpper(b)) {
      EXPECT_EQ(NavLower(set.box[NavUpper(b)]), n);
    }
    for (std::int32_t x = n, steps = 0; NavRight(set.box[x]); x = NavRight(set.box[x])) {
      ASSERT_LT(++steps, kNavBoxLast);
    }
    for (std::int32_t x = n, steps = 0; NavLower(set.box[x]); x = NavLower(set.box[x])) {
      ASSERT_LT(++steps, kNavBoxLast);
    }
  }
}

void ExpectRightOf(const NavBoxSet& set, std::int32_t left, std::int32_t right) {
  EXPECT_EQ(NavRight(set.box[left]), right);
  EXPECT_EQ(NavLeft(set.box[right]), left);
  EXPECT_EQ(set.box[right].rect.left, set.box[left].rect.right + 1);
  EXPECT_EQ(set.box[right].rect.bottom, set.box[left].rect.bottom);
}

TEST(NavBoxSet, FreshInstallationChainsBoxes1To3And21FromTheBottomLeft) {
  auto set = NewSet();
  NavBoxSetActivate(*set);
  EXPECT_EQ(set->box[1].rect.left, 0);
  EXPECT_EQ(set->box[1].rect.bottom, 640);
  ExpectRightOf(*set, 1, 2);
  ExpectRightOf(*set, 2, 3);
  ExpectRightOf(*set, 3, 21);
  EXPECT_EQ(NavRight(set->box[21]), 0);
  EXPECT_EQ(NavLeft(set->box[1]), 0);
  for (std::int32_t n = 4; n <= kNavBoxLast; ++n) {
    if (n != 21) {
      EXPECT_FALSE(set->on[n]) << n;
    }
  }
  // Box 1: "NxtTurpoint" (77) over "000" (30), three lines: 14 + 20, the unit line 10 from 2 up.
  EXPECT_EQ(set->box[1].rect.right, 82);
  EXPECT_EQ(set->box[1].rect.top, 640 - 43);
  EXPECT_EQ(Describe(*SaveAndLoad(*set)), Describe(*set));
}

// Activated before the map window had its size: nothing is placed until the first size, which then
// arranges the fresh set; a saved set read back waits the same way and keeps its places.
TEST(NavBoxSet, AnActivationBeforeTheFirstSizeWaitsForIt) {
  auto set = std::make_unique<NavBoxSet>();
  NavBoxSetInit(*set);
  set->hooks.measure = FakeMeasure;
  NavBoxSetActivate(*set);
  NavBoxSetOn(*set, 9, true);
  for (std::int32_t n : {1, 2, 3, 9, 21}) EXPECT_EQ(set->box[n].rect.right, 0) << n;
  NavBoxSetResize(*set, kArea, nullptr, false);
  EXPECT_EQ(set->box[1].rect.left, 0);
  EXPECT_EQ(set->box[1].rect.bottom, kArea.bottom);
  ExpectRightOf(*set, 1, 2);
  ExpectRightOf(*set, 3, 9);
  ExpectRightOf(*set, 9, 21);

  XmlNode parent("Settings");
  NavBoxLayoutSave(*set, parent);
  auto loaded = std::make_unique<NavBoxSet>();
  NavBoxSetInit(*loaded);
  loaded->hooks.measure = FakeMeasure;
  NavBoxLayoutLoad(*loaded, *parent.FindChild("NavBar"));
  NavBoxSetActivate(*loaded);
  NavBoxSetResize(*loaded, kArea, nullptr, false);
  EXPECT_EQ(Describe(*loaded), Describe(*set));
}

TEST(NavBoxSet, ArrangedRowsBreakAtTheRightEdgeAndStayChainedPerRow) {
  auto set = NewSet();
  for (std::int32_t n = 1; n <= 12; ++n) set->on[n] = 1;
  NavBoxSetActivate(*set);
  ExpectConsistent(*set);
  std::int32_t rows = 1;
  for (std::int32_t n = 1; n <= 12; ++n) {
    if (!set->on[n]) continue;
    const NavBox& b = set->box[n];
    EXPECT_LE(b.rect.right, kArea.right) << n;
    if (NavLeft(b) == 0 && n != 1) {
      ++rows;
      EXPECT_EQ(b.rect.left, 0) << n;  // a new row starts at the left edge, above the last
      EXPECT_LT(b.rect.bottom, set->box[1].rect.top) << n;
    }
  }
  EXPECT_GE(rows, 2);
}

// A dragged box, read back from rects and links, then again after "NavBar" was saved and read.
TEST(NavBoxSet, DragsReadBackTheSameAfterSaveAndLoad) {
  struct Case {
    const char* name;
    void (*run)(NavBoxSet& set);
    void (*check)(const NavBoxSet& set);
  };
  const Case cases[] = {
      {"onto a row: appended at its end",
       [](NavBoxSet& set) {
         NavBoxSetOn(set, 5, true);
         DragTo(set, 5, set.box[2].rect.left + 5, set.box[2].rect.bottom - 5);
       },
       [](const NavBoxSet& set) { ExpectRightOf(set, 21, 5); }},
      {"onto a free box's right edge with room: docked right of it",
       [](NavBoxSet& set) {
         NavBoxSetOn(set, 6, true);
         DragTo(set, 6, 100, 300);
         NavBoxSetOn(set, 7, true);
         DragTo(set, 7, set.box[6].rect.right - 5, set.box[6].rect.bottom - 3);
       },
       [](const NavBoxSet& set) { ExpectRightOf(set, 6, 7); }},
      {"onto a free box's right edge without room: stays free",
       [](NavBoxSet& set) {
         NavBoxSetOn(set, 6, true);
         DragTo(set, 6, kArea.right - set.box[6].extent.right - 10, 300);
         NavBoxSetOn(set, 7, true);
         DragTo(set, 7, set.box[6].rect.right - 20, set.box[6].rect.bottom - 3);
       },
       [](const NavBoxSet& set) {
         EXPECT_EQ(NavRight(set.box[6]), 0);
         EXPECT_EQ(NavLeft(set.box[7]), 0);
         EXPECT_EQ(set.box[7].rect.bottom, set.box[6].rect.bottom - 3);
       }},
      {"onto a free box's top edge: docked below it",
       [](NavBoxSet& set) {
         NavBoxSetOn(set, 6, true);
         DragTo(set, 6, 100, 300);
         NavBoxSetOn(set, 7, true);
         DragTo(set, 7, set.box[6].rect.left + 2, set.box[6].rect.top + 4);
       },
       [](const NavBoxSet& set) {
         EXPECT_EQ(NavLower(set.box[6]), 7);
         EXPECT_EQ(NavUpper(set.box[7]), 6);
         EXPECT_EQ(set.box[7].rect.top, set.box[6].rect.bottom + 1);
         EXPECT_EQ(set.box[7].rect.left, set.box[6].rect.left);
       }},
      {"by less than 10 pixels: links kept, back in line",
       [](NavBoxSet& set) { Drag(set, 2, -9, 9); },
       [](const NavBoxSet& set) {
         ExpectRightOf(set, 1, 2);
         ExpectRightOf(set, 2, 3);
       }},
      {"out of a row: the row closes up behind the links",
       [](NavBoxSet& set) { DragTo(set, 2, 200, 200); },
       [](const NavBoxSet& set) {
         EXPECT_EQ(NavRight(set.box[1]), 0);
         ExpectRightOf(set, 2, 3);
         ExpectRightOf(set, 3, 21);
         EXPECT_EQ(set.box[2].rect.left, 200);
         EXPECT_EQ(set.box[2].rect.bottom, 200);
       }},
      {"by less than 10 pixels onto its right neighbour: no cycle, links kept",
       [](NavBoxSet& set) { Drag(set, 2, 9, 0); },
       [](const NavBoxSet& set) {
         ExpectRightOf(set, 1, 2);
         ExpectRightOf(set, 2, 3);
         ExpectRightOf(set, 3, 21);
         EXPECT_EQ(NavRight(set.box[21]), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto set = NewSet();
    NavBoxSetActivate(*set);
    c.run(*set);
    ExpectConsistent(*set);
    c.check(*set);
    auto loaded = SaveAndLoad(*set);
    ExpectConsistent(*loaded);
    c.check(*loaded);
    EXPECT_EQ(Describe(*loaded), Describe(*set));
  }
}

TEST(NavBoxSet, LockStopsDraggingButTheButtonBoxesStillAct) {
  Events events;
  auto set = NewSet(&events);
  NavBoxSetActivate(*set);
  NavBoxSetOn(*set, kNavBoxRadial, true);
  set->lock = 1;
  const std::string before = Describe(*set);

  EXPECT_FALSE(Drag(*set, 2, 100, -100));  // the pen is the map's
  EXPECT_FALSE(Drag(*set, 2, 100, -100));  // and twice: nothing was armed by the first
  EXPECT_TRUE(Drag(*set, kNavBoxStart, 50, -50));
  EXPECT_TRUE(Drag(*set, kNavBoxRadial, 50, -50));
  EXPECT_EQ(events.starts, 1);
  EXPECT_EQ(events.radials, 1);
  EXPECT_EQ(events.outlines, 0);
  EXPECT_EQ(set->buttonCountdown, 0);
  EXPECT_EQ(Describe(*set), before);
  EXPECT_EQ(events.dialogActive, 0);

  events.startAllowed = false;
  EXPECT_TRUE(Drag(*set, kNavBoxStart, 0, 0));
  EXPECT_EQ(events.starts, 1);

  auto loaded = SaveAndLoad(*set);
  EXPECT_EQ(loaded->lock, 1);
  EXPECT_EQ(Describe(*loaded), before);
}

TEST(NavBoxSet, AFreeDropShowsTheAppearanceButtonForTwoDraws) {
  Events events;
  auto set = NewSet(&events);
  NavBoxSetActivate(*set);
  // A tap on the start box without moving acts as its button, and drags nothing.
  EXPECT_TRUE(Drag(*set, kNavBoxStart, 3, 0));
  EXPECT_EQ(events.starts, 1);
  EXPECT_EQ(set->buttonCountdown, 3);  // box 21 ends its row
  set->buttonCountdown = 0;

  NavBoxSetOn(*set, 9, true);
  DragTo(*set, 9, 300, 200);
  EXPECT_EQ(set->buttonCountdown, 3);
  EXPECT_EQ(events.dialogActive, 0);
  const RECT b = set->buttonRect;
  EXPECT_EQ(b.right - b.left, 32);
  EXPECT_EQ((b.left + b.right) / 2, 240);
  EXPECT_TRUE(NavBoxPenDown(*set, b.left + 5, b.top + 5));
  EXPECT_EQ(events.appearance, 9);
  EXPECT_EQ(set->buttonCountdown, 0);
  EXPECT_EQ(events.dialogActive, 1);
}

TEST(NavBoxSet, SwitchingOffAMiddleBoxEndsTheRowOnItsLeft) {
  auto set = NewSet();
  NavBoxSetActivate(*set);
  const RECT third = set->box[3].rect;
  NavBoxSetOn(*set, 2, false);
  NavBoxSetRearrange(*set, false);
  ExpectConsistent(*set);
  EXPECT_EQ(NavRight(set->box[1]), 0);
  EXPECT_EQ(set->box[3].rect.left, third.left);
  EXPECT_EQ(set->box[3].rect.bottom, third.bottom);
  ExpectRightOf(*set, 3, 21);
}

// A box on by default that was switched off before it was ever placed stays off after a save and
// a load (it has nothing else to write).
TEST(NavBoxSet, ADefaultBoxSwitchedOffStaysOff) {
  auto set = NewSet();
  NavBoxSetOn(*set, 2, false);
  NavBoxSetOn(*set, 21, false);
  XmlNode parent("Settings");
  NavBoxLayoutSave(*set, parent);
  auto loaded = NewSet();
  NavBoxLayoutLoad(*loaded, *parent.FindChild("NavBar"));
  EXPECT_FALSE(loaded->on[2]);
  EXPECT_FALSE(loaded->on[21]);
  EXPECT_TRUE(loaded->on[1]);
  EXPECT_TRUE(loaded->on[3]);
}

std::unique_ptr<XmlNode> Bar(const std::vector<std::string>& boxes, const char* extra = "") {
  auto bar = std::make_unique<XmlNode>("NavBar");
  XmlNode* list = bar->AddChild("NavBoxes");
  for (const std::string& spec : boxes) {
    // "nr;Name=value;Name=value..."
    XmlNode* box = list->AddChild("Box");
    std::size_t start = 0;
    std::size_t end = spec.find(';');
    box->AddAttribute("nr", spec.substr(0, end).c_str());
    while (end != std::string::npos) {
      start = end + 1;
      end = spec.find(';', start);
      const std::string item = spec.substr(start, end - start);
      const std::size_t eq = item.find('=');
      box->AddChildString(item.substr(0, eq).c_str(), item.substr(eq + 1).c_str());
    }
  }
  if (*extra) bar->AddChildString("Lock", extra);
  return bar;
}

TEST(NavBoxSet, DamagedNavBarValuesAreReadSound) {
  auto set = NewSet();
  auto bar = Bar({"1;On=1;X=0;Y=600;D1=4,0,0,2,200;F1=99;F2=-4;L=9",
                  "2;On=1;X=-400;Y=500;D2=4,1,0,0,0;D1=4,0,0,1,0",  // 1 -> 2 -> 1: a cycle
                  "-3;On=1", "34;On=1", "0;On=1", "5;On=1;X=2000000000;Y=-2000000000;D1=4,0,0,5,5",
                  "6;On=1;X=10;Y=100;D1=4,9,9,300,4;Rgb=255"},
                 "7");
  NavBoxLayoutLoad(*set, *bar);
  const NavBox& b1 = set->box[1];
  EXPECT_EQ(NavLower(b1), 0);                    // 200 names no box
  EXPECT_EQ(b1.titleFont, kNavBoxTitleFontDefault);
  EXPECT_EQ(b1.valueFont, kNavBoxValueFontDefault);
  EXPECT_EQ(b1.style, kNavBoxStyleDefault);
  EXPECT_EQ(NavLower(set->box[5]), 0);           // itself
  EXPECT_EQ(NavRight(set->box[5]), 0);
  EXPECT_EQ(NavRight(set->box[6]), 0);           // 300 stops the parse: the rest stays 0
  EXPECT_EQ(set->box[6].colour, 255u);
  EXPECT_FALSE(set->on[4]);
  EXPECT_FALSE(set->on[0]);
  EXPECT_EQ(set->lock, 1);
  NavBoxSetActivate(*set);
  ExpectConsistent(*set);
  // Saved places below -150 come back as 0.
  XmlNode parent("Settings");
  NavBoxLayoutSave(*set, parent);
  auto again = NewSet();
  NavBoxLayoutLoad(*again, *parent.FindChild("NavBar"));
  NavBoxSetActivate(*again);
  ExpectConsistent(*again);
  EXPECT_GE(again->box[5].rect.left, 0);
  EXPECT_LE(again->box[5].rect.right, kArea.right);
}

TEST(NavBoxSet, RepairCutsTheLinkThatClosesACycle) {
  auto set = NewSet();
  for (std::int32_t n : {4, 5, 6}) set->on[n] = 1;
  // 4 -> 5 -> 6 -> 4 to the right, mutual all round.
  set->box[4].d1[2] = 5, set->box[5].d2[0] = 4;
  set->box[5].d1[2] = 6, set->box[6].d2[0] = 5;
  set->box[6].d1[2] = 4, set->box[4].d2[0] = 6;
  // 4 below 5 below 4.
  set->box[4].d1[3] = 5, set->box[5].d2[1] = 4;
  set->box[5].d1[3] = 4, set->box[4].d2[1] = 5;
  NavBoxSetRepairLinks(*set);
  ExpectConsistent(*set);
  EXPECT_EQ(NavRight(set->box[4]), 5);
  EXPECT_EQ(NavRight(set->box[5]), 6);
  EXPECT_EQ(NavRight(set->box[6]), 0);
  EXPECT_EQ(NavLower(set->box[4]), 5);
  EXPECT_EQ(NavLower(set->box[5]), 0);
}

TEST(NavBoxSet, FuzzedNavBarLeavesTheSetConsistent) {
  std::mt19937 random(20261210);
  auto byte = [&](int max) { return std::to_string(std::uniform_int_distribution<int>(0, max)(random)); };
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> boxes;
    const int count = std::uniform_int_distribution<int>(0, 40)(random);
    for (int i = 0; i < count; ++i) {
      // Mostly small box numbers so that links meet, with some out of range.
      std::string spec = std::to_string(std::uniform_int_distribution<int>(-2, 36)(random));
      spec += ";On=" + byte(1);
      if (random() % 2) spec += ";X=" + std::to_string(int(random() % 900) - 300);
      if (random() % 2) spec += ";Y=" + std::to_string(int(random() % 900) - 100);
      const int linkMax = random() % 4 ? 8 : 255;
      if (random() % 3) spec += ";D1=" + std::string(random() % 5 ? "4" : byte(6)) + ",0,0," + byte(linkMax) + "," + byte(linkMax);
      if (random() % 3) spec += ";D2=4," + byte(linkMax) + "," + byte(linkMax) + ",0,0";
      if (random() % 4 == 0) spec += ";L=" + byte(5);
      if (random() % 4 == 0) spec += ";F1=" + byte(40);
      if (random() % 4 == 0) spec += ";F2=" + byte(40);
      boxes.push_back(spec);
    }
    auto set = NewSet();
    set->allowDrag = random() % 4 ? 1 : 0;
    NavBoxLayoutLoad(*set, *Bar(boxes));
    NavBoxSetActivate(*set);
    ExpectConsistent(*set);
    // A few drags over the result, then a save and a load.
    for (int d = 0; d < 4; ++d) {
      const std::int32_t n = std::uniform_int_distribution<int>(1, kNavBoxLast)(random);
      if (set->on[n]) Drag(*set, n, int(random() % 400) - 200, int(random() % 400) - 200);
    }
    NavBoxSetRearrange(*set, false);
    ExpectConsistent(*set);
    auto loaded = SaveAndLoad(*set);
    ExpectConsistent(*loaded);
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace cumulor
