// Computations of the application core: position texts, rectangles, ETA, the turnpoint sector near
// north, area radials, the command line, units, font steps, the distance pad and the explorer's
// name.
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/units.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/kernel/system_info.h"
#include "platform/libraries/libraries.h"
#include "platform/registry/registry.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

constexpr std::int32_t kDeg = 36000;

TEST(PositionText, LatitudeAndLongitudeInDegreesMinutesAndThousandths) {
  struct Case {
    std::int32_t value;
    bool latitude;
    const char16_t* text;
  } cases[] = {
      {-50 * kDeg, true, u"50:00.000S"},
      {600 * 10, false, u"00:10.000E"},           // ten arc-minutes east
      {47 * kDeg + 30 * 600 + 3, true, u"47:30.005N"},  // 0.3 s is 5 thousandths of a minute
      {-(8 * kDeg + 599), false, u"08:00.998W"},
      {0, true, u"00:00.000N"},
  };
  for (const Case& c : cases) {
    WCHAR buffer[16];
    EXPECT_EQ(std::u16string(FormatLatLon(c.value, buffer, c.latitude)), c.text);
  }
  WCHAR position[32];
  EXPECT_EQ(std::u16string(FormatPosition(GeoPoint{-600, 45 * kDeg}, position)), u"45:00.000N 00:01.000W");
}

TEST(Rectangles, ExtendRectStartsFromAnEmptyOneAndGrows) {
  GeoRect r;
  ExtendRect(r, GeoPoint{10, 20});
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 21);
  EXPECT_EQ(r.right, 11);
  EXPECT_EQ(r.bottom, 20);
  ExtendRect(r, GeoPoint{-5, 40});
  ExtendRect(r, GeoPoint{30, -7});
  EXPECT_EQ(r.left, -5);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 30);
  EXPECT_EQ(r.bottom, -7);
}

TEST(AreaRadials, RangesAcceptTheirRadialsAlsoThroughNorth) {
  struct Case {
    std::int32_t radial, start, end;
    bool in;
  } cases[] = {
      {359, 350, 10, true}, {5, 350, 10, true}, {180, 350, 10, false}, {10, 350, 10, true},
      {100, 90, 180, true}, {181, 90, 180, false}, {270, 45, 45, true},
  };
  for (const Case& c : cases) EXPECT_EQ(RadialInRange(c.radial, c.start, c.end), c.in) << c.radial;
}

TEST(CommandLine, LowerCaseLettersAnywhere) {
  struct Case {
    const char16_t* line;
    std::int32_t sim;
    std::uint8_t noChooser;
  } cases[] = {{u" /sx", 1, 1}, {u"/s", 1, 0}, {u"xs", 1, 1}, {u"S X", 0, 0}, {u"", 0, 0}, {nullptr, 0, 0}};
  for (const Case& c : cases) {
    std::int32_t sim = 7;
    std::uint8_t x = 7;
    ScanCommandLine(c.line, sim, x);
    EXPECT_EQ(sim, c.sim);
    EXPECT_EQ(x, c.noChooser);
  }
}

TEST(DistancePad, UnitLettersConvertToMetres) {
  struct Case {
    const char16_t* text;
    bool ok;
    std::int32_t metres;
  } cases[] = {
      {u"12.5K", true, 12500}, {u"3n", true, 5556}, {u"100F", true, 30}, {u"250", true, 250},
      {u"2S", true, 3218},     {u"1SK", true, 1609},  // S is tested first
      {u"K", false, 0},        {u"", false, 0},
  };
  for (const Case& c : cases) {
    std::int32_t metres = 0;
    EXPECT_EQ(PadTextToMetres(c.text, &metres), c.ok);
    if (c.ok) {
      EXPECT_EQ(metres, c.metres);
    }
  }
}

TEST(Fonts, StepsStopAtTheEndsOfTheHeightTable) {
  struct Case {
    std::int32_t height;
    bool up;
    std::int32_t after;
  } cases[] = {{72, true, 72}, {8, false, 8}, {13, true, 8}, {13, false, 13}, {14, true, 16}, {14, false, 12}};
  for (const Case& c : cases) {
    FontRecord(kFontSmall)->lfHeight = c.height;
    HFONT* slot = c.up ? FontSizeUp(kFontSmall) : FontSizeDown(kFontSmall);
    EXPECT_EQ(slot, FontHandleSlot(kFontSmall));
    EXPECT_EQ(FontRecord(kFontSmall)->lfHeight, c.after) << c.height << (c.up ? " up" : " down");
  }
  EXPECT_EQ(FontSizeUp(17), nullptr);
  EXPECT_EQ(FontRoleFromName("MediumFont"), kFontMedium);
  EXPECT_EQ(FontRoleFromName("Nothing"), -1);
  FontTableFree();
}

TEST(Fonts, SettingsElementRoundTripsAndIgnoresUnknownNamesAndLongFaces) {
  FontTableInit();
  // Every role has its font before any settings document is read (the first start has none).
  for (std::int32_t role = 0; role < kFontRoleCount; ++role) EXPECT_NE(*FontHandleSlot(role), nullptr) << role;
  XmlNode settings("Settings");
  FontsToXml(settings);
  const XmlNode* fonts = settings.FindChild("Fonts");
  ASSERT_NE(fonts, nullptr);
  ASSERT_EQ(fonts->ChildCount(), kFontRoleCount);
  EXPECT_STREQ(fonts->Child(kFontLarge)->GetAttribute("height"), "28");

  XmlNode in("Fonts");
  XmlNode* role = in.AddChildString("LargeFont", std::string(80, 'F').c_str());
  role->AddAttribute("height", "36");
  role->AddAttribute("weight", "400");
  in.AddChildString("NoSuchRole", "Tahoma")->AddAttribute("height", "99");
  FontsFromXml(in);
  EXPECT_EQ(FontRecord(kFontLarge)->lfHeight, 36);
  EXPECT_EQ(FontRecord(kFontLarge)->lfWeight, 400);
  EXPECT_EQ(std::u16string(FontRecord(kFontLarge)->lfFaceName), std::u16string(31, u'F'));  // cut, terminated
  FontTableFree();
}

TEST_F(AppTest, UnitSettersChangeTheFormattersAndTheBoxTexts) {
  SetAltitudeUnit(*app, 2);
  EXPECT_EQ(std::u16string(FormatAltitude(100)), u"328ft");
  EXPECT_EQ(std::u16string(app->navBoxes.box[3].unit), u"ft agl");
  EXPECT_EQ(std::u16string(app->navBoxes.box[17].unit), u"ft agl");
  SetDistanceUnit(*app, 6);
  EXPECT_EQ(std::u16string(FormatDistance(18520, kPrecisionAuto)), u"10");
  EXPECT_EQ(std::u16string(app->navBoxes.box[2].unit), u"nm");
  EXPECT_EQ(std::u16string(app->navBoxes.box[2].value), u"000");
  EXPECT_EQ(std::u16string(app->navBoxes.box[20].value), u"---");
  SetClimbUnit(*app, 4);
  EXPECT_EQ(std::u16string(app->navBoxes.box[7].unit), u"kts");
  EXPECT_EQ(std::u16string(app->navBoxes.box[8].value), u" ");
  SetSpeedUnit(*app, 4);
  EXPECT_EQ(std::u16string(app->navBoxes.box[9].unit), u"kts");
  SetTaskSpeedUnit(*app, 8);
  EXPECT_EQ(std::u16string(app->navBoxes.box[19].unit), u"mph");

  // Unknown codes keep the unit and rewrite the boxes with it.
  app->navBoxes.box[10].unit[0] = 0;
  SetDistanceUnit(*app, 9);
  EXPECT_EQ(app->distanceUnit, 6);
  EXPECT_EQ(std::u16string(app->navBoxes.box[10].unit), u"nm");
  SetAltitudeUnit(*app, 3);
  EXPECT_EQ(std::u16string(FormatAltitude(100)), u"328ft");
  app->flight.requiredAltitudeMode = true;
  SetAltitudeUnit(*app, 1);
  EXPECT_EQ(std::u16string(FormatAltitude(100)), u"100m");
  EXPECT_EQ(std::u16string(app->navBoxes.box[3].unit), u"m msl");
  SetDistanceUnit(*app, 5);
}

TEST_F(AppTest, EtaIsZeroWithoutASpeedAndFollowsTheMode) {
  std::int64_t time = 5;
  EXPECT_EQ(EtaCompute(*app, time, 10000, 0.0), 0);
  EXPECT_EQ(time, 0);
  app->etaMode = 1;
  app->etaSpeed = 25.0;
  EXPECT_EQ(EtaCompute(*app, time, 10000, 0.0), 1);
  EXPECT_EQ(time, 4000000000LL);  // 400 s
  app->etaMode = 2;
  EXPECT_EQ(EtaCompute(*app, time, 10000, 0.0), 1);
  EXPECT_GT(time, 0);
}

TEST_F(AppTest, TurnpointSectorCountsNearNorthOnBothSides) {
  // The legs come from the south-west and go on to the south-east: the sector opens to the north.
  const GeoPoint turn{10 * kDeg, 47 * kDeg};
  GeoPoint prev, next;
  GeoDestination(turn.lon, turn.lat, 30000, -(225 * M_PI / 180), prev);
  GeoDestination(turn.lon, turn.lat, 30000, -(135 * M_PI / 180), next);
  TaskPoint t{};
  t.lon = turn.lon;
  t.lat = turn.lat;
  TaskPoint n{};
  n.lon = next.lon;
  n.lat = next.lat;
  TaskPoint p{};
  p.lon = prev.lon;
  p.lat = prev.lat;
  Rules().rule[kRuleOnTask].type = 2;
  EXPECT_EQ(InTurnpointSector(*app, turn, 100), 0);  // no achieved point yet
  ActiveTask().Append(t);
  ActiveTask().Append(n);
  Tasks().slot[kAchievedSlot].Append(p);
  struct Case {
    double bearing;
    int in;
  } cases[] = {{350, 1}, {10, 1}, {0, 1}, {40, 1}, {320, 1}, {50, 0}, {310, 0}, {180, 0}};
  for (const Case& c : cases) {
    GeoPoint own;
    GeoDestination(turn.lon, turn.lat, 2000, -(c.bearing * M_PI / 180), own);
    EXPECT_EQ(InTurnpointSector(*app, own, 2000), c.in) << c.bearing;
  }
  Rules().rule[kRuleOnTask].type = 6;
  EXPECT_EQ(InTurnpointSector(*app, turn, 499), 1);
  GeoPoint far;
  GeoDestination(turn.lon, turn.lat, 12000, 0, far);
  EXPECT_EQ(InTurnpointSector(*app, far, 12000), 0);  // type 6 counts up to 10 km only
  Rules().rule[kRuleOnTask].type = 0;
}

TEST_F(AppTest, ExplorerIsTheFirstUsableLineOfTheRunFileElseTheFileExplorer) {
  struct Case {
    const char* content;  // null: no file
    const char16_t* program;
  } cases[] = {
      {"\\Program Files\\Other.exe\r\nsecond line\r\n", u"\\Program Files\\Other.exe"},
      {"\\Windows\\x.exe", u"\\Windows\\x.exe"},
      {"", u"\\Windows\\fexplore.exe"},
      {"\r\n\\Windows\\x.exe\r\n", u"\\Windows\\fexplore.exe"},
      {nullptr, u"\\Windows\\fexplore.exe"},
  };
  std::filesystem::create_directories(device_folder() / "root" / "Program Files");
  const auto file = device_folder() / "root" / "Program Files" / "CumulorRun.txt";
  for (const Case& c : cases) {
    std::filesystem::remove(file);
    if (c.content) std::ofstream(file, std::ios::binary) << c.content;
    WCHAR program[MAX_PATH];
    ExplorerProgram(program, MAX_PATH);
    EXPECT_EQ(std::u16string(program), c.program);
  }
  std::ofstream(file, std::ios::binary) << std::string(100, 'a');
  WCHAR program[MAX_PATH];
  ExplorerProgram(program, MAX_PATH);
  EXPECT_EQ(std::u16string(program).size(), 64u);  // at most 64 characters
}

TEST(Toggles, ConfirmationTexts) {
  WCHAR text[64];
  ToggleText(kCmdTerrain, false, text, 64);
  EXPECT_EQ(std::u16string(text), u"Terrain is OFF");
  ToggleText(kCmdThermals, true, text, 64);
  EXPECT_EQ(std::u16string(text), u"Thermals are  ON");
  ToggleText(kCmdLabels, true, text, 64);
  EXPECT_EQ(std::u16string(text), u"Labels ON");
}

}  // namespace

namespace {

DWORD TodayEnabled(const char16_t* item) {
  DWORD value = 99;
  HKEY key = nullptr;
  const std::u16string name = std::u16string(u"SOFTWARE\\Microsoft\\Today\\Items\\") + item;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 100;
  DWORD size = sizeof(value), type = 0;
  RegQueryValueExW(key, u"Enabled", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return value;
}

void PutTodayItem(const char16_t* item, DWORD enabled) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  const std::u16string name = std::u16string(u"SOFTWARE\\Microsoft\\Today\\Items\\") + item;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  RegSetValueExW(key, u"Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled), sizeof(enabled));
  RegCloseKey(key);
}

TEST_F(AppTest, InitialisationFindsTheFoldersAndSwitchesTheTodayItems) {
  // Our Today item alone: nothing is touched.
  PutTodayItem(u"Cumulor", 0);
  UINT id = 0;
  ASSERT_EQ(AppInit(*app, nullptr, &id), S_OK);
  EXPECT_EQ(TodayEnabled(u"Cumulor"), 0u);
  EXPECT_EQ(app->dataFolder.Get(), u"\\My Documents");
  EXPECT_EQ(std::u16string(app->cardFolder), u"\\Storage Card");

  // The other flight program's item registered: it goes off and ours on. A German documents
  // folder puts the card at "\Speicherkarte"; an ARM720 keeps the documents beside the program.
  PutTodayItem(u"\"SeeYou Mobile\"", 1);
  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\System\\Explorer\\Shell Folders", u"My Documents",
                              u"\\Eigene Dateien"),
            S_OK);
  ASSERT_TRUE(ce::kernel::SetDeviceProcessorType(PROCESSOR_ARM720));
  ASSERT_EQ(AppInit(*app, nullptr, &id), S_OK);
  EXPECT_EQ(TodayEnabled(u"\"SeeYou Mobile\""), 0u);
  EXPECT_EQ(TodayEnabled(u"Cumulor"), 1u);
  EXPECT_EQ(std::u16string(app->cardFolder), u"\\Speicherkarte");
  WCHAR module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::u16string folder(module);
  folder.resize(folder.rfind(u'\\'));
  EXPECT_EQ(app->dataFolder.Get(), folder);
}

TEST_F(AppTest, DeclarationFieldsAreCutToTheirLengthAndMissingOnesKept) {
  std::strcpy(app->declaration.competitionClass, "Club");
  XmlNode node("Declaration");
  node.AddChildString("Pilot", "Anna Muster");
  node.AddChildString("Registration", "D-KXYZ123");
  node.AddChildString("CompId", "ABCD");
  EXPECT_EQ(LoadDeclaration(*app, node), 0);
  EXPECT_STREQ(app->declaration.pilot, "Anna Muster");
  EXPECT_STREQ(app->declaration.registration, "D-KXYZ1");  // 7 characters
  EXPECT_STREQ(app->declaration.competitionId, "ABC");
  EXPECT_STREQ(app->declaration.competitionClass, "Club");
}

}  // namespace
