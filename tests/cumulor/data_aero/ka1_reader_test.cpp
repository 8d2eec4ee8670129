#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "tests/cumulor/data_aero/ka1_fixture.h"

namespace cumulor {
namespace {

// File 1: three states of the USA (Ohio without near names); Texas and Ohio share airspace 2.
// File 2: Germany, whose first airport's runways 1/2 come after the 10 runways of file 1.
const char kTwoFiles[] = R"(header 6|1
airspace 1|4|TX-D|Texas Delta|-360000|1152000|-324000|1116000|-360000,1152000;-324000,1152000;-324000,1116000
airspace 2|12|R-2|Shared Restricted|-300000|1200000|-290000|1190000|-300000,1200000;-290000,1190000;-300000,1190000
airspace 3|5|OH-E|Ohio Echo|-300000|1440000|-290000|1430000|-300000,1440000;-290000,1430000;-300000,1430000
region USA|Texas|US|48
uses 1
uses 2
airport KAUS|-351000|1083000|542|0|Austin Bergstrom|Austin|2.5
runway 12250|150|1|18R|36L
runway 9000|150|2|18L|36R
freq 46|121.000|Tower east
freq 12|124.200|
remark 2|CIRCLE EAST ONLY
airport KHOU|-342000|1090000|46|0|William P Hobby|Houston|
runway 7602|150|1|04|22
runway 6000|150|1|13R|31L
runway 5148|100|1|13L|31R
region USA|Ohio|US|39
option nonear
uses 2
uses 3
airport KCMH|-297000|1440000|815|0|John Glenn Columbus||
runway 10113|150|1|10R|28L
runway 8000|150|1|10L|28R
airport KDAY|-302000|1436000|1009|0|James M Cox Dayton||
runway 10901|150|1|06L|24R
runway 8502|150|1|06R|24L
runway 7000|150|1|18|36
region USA|Utah|US|49
airport KSLC|-402000|1462000|4227|0|Salt Lake City|Salt Lake|
runway 12000|150|1|16R|34L
file
header 6|0
airspace 1|9|ED-D|Danger One|252000|1800000|270000|1782000|252000,1800000;270000,1800000;270000,1782000
region Germany||DE|1
uses 1
airport EDNY|34000|1710000|1367|0|Friedrichshafen|Bodensee|
runway 7729|148|1|06|24
runway 2000|60|12|06G|24G
freq 46|120.075|Turm
airport EDTM|33000|1728000|1906|0|Mengen||
region Austria||AT|2
airport LOWI|40000|1700000|1906|0|Innsbruck||
)";

class Ka1Reader : public testing::Ka1Test {
 protected:
  void LoadTwoFiles() {
    files = Describe(kTwoFiles);
    ASSERT_EQ(files.size(), 2u);
    paths = {Put("us.ka1", files[0]), Put("eu.ka1", files[1])};
    LoadSelected(paths, {u"USA, Texas", u"USA, Ohio", u"Germany"});
  }
  std::vector<ka1gen::File> files;
  std::vector<std::u16string> paths;
};

std::string Text(const char* s) { return s ? s : "(none)"; }

TEST_F(Ka1Reader, TwoFilesLoadIntoTablesEqualToTheirDescription) {
  LoadTwoFiles();
  const AeroTables& t = AeroData();
  EXPECT_TRUE(messages.empty());
  struct Expect {
    const char* code;
    const char* name;
    const char* nearName;
    std::uint16_t runways[2];
  } want[] = {
      {"KAUS", "Austin Bergstrom", "Austin", {1, 2}},
      {"KHOU", "William P Hobby", "Houston", {3, 5}},
      {"KCMH", "John Glenn Columbus", "(none)", {6, 7}},
      {"KDAY", "James M Cox Dayton", "(none)", {8, 10}},
      {"EDNY", "Friedrichshafen", "Bodensee", {11, 12}},  // 1/2 after 10 runways
      {"EDTM", "Mengen", "(none)", {0, 0}},               // none stays none
  };
  ASSERT_EQ(t.airports.Size(), 7);
  ASSERT_EQ(t.airportNames.Size(), 7);
  ASSERT_EQ(t.nearNames.Size(), 7);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(want[i].code);
    const AirportRecord& a = t.airports[i + 1];
    EXPECT_STREQ(a.code, want[i].code);
    EXPECT_EQ(Text(t.airportNames[i + 1]), want[i].name);
    EXPECT_EQ(Text(t.nearNames[i + 1]), want[i].nearName);
    EXPECT_EQ(a.runwayFirst, want[i].runways[0]);
    EXPECT_EQ(a.runwayLast, want[i].runways[1]);
  }
  EXPECT_STREQ(t.runways[11].end[0].designator, "06");
  EXPECT_STREQ(t.runways[12].end[1].designator, "24G");
  EXPECT_EQ(t.runways[12].width, 60);
  // Frequencies and their texts are rebased together.
  const AirportRecord& edny = t.airports[5];
  ASSERT_EQ(edny.frequencyFirst, 3);
  EXPECT_STREQ(t.frequencies[3].frequency, "120.075");
  EXPECT_EQ(Text(t.frequencyTexts[t.frequencies[3].textIndex]), "Turm");
  EXPECT_EQ(t.frequencies[2].textIndex, 0);
  EXPECT_EQ(Text(t.remarks[t.airports[1].remarkFirst]), "\x02" "CIRCLE EAST ONLY");
  EXPECT_EQ(t.airports[1].variation, 2.5f);
  // Airspace 2 of file 1 is shared by Texas and Ohio: loaded once. File 1 gives 1, 2, 3; file 2
  // its own id 1, which is not the id 1 of file 1.
  ASSERT_EQ(t.airspaces.size(), 4u);
  EXPECT_STREQ(t.airspaces[0]->shortName, "TX-D");
  EXPECT_STREQ(t.airspaces[1]->longName, "Shared Restricted");
  EXPECT_STREQ(t.airspaces[2]->shortName, "OH-E");
  EXPECT_STREQ(t.airspaces[3]->shortName, "ED-D");
  EXPECT_EQ(t.airspaces[3]->airspaceClass, 9);
  EXPECT_EQ(t.airspaces[3]->points.Size(), 3);
  EXPECT_EQ(t.airspaceInView.size(), 4u);
  EXPECT_EQ(t.regionKind, 0);  // the last file's header
  // Every airport is in the tile of its position once.
  for (std::int32_t i = 1; i < t.airports.Size(); ++i) {
    TileRecord* tile = tiles.Find(TileIdOf(t.airports[i].position), false);
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(std::count(tile->items[kTileAirports].begin(), tile->items[kTileAirports].end(),
                         static_cast<std::uint32_t>(i)), 1);
  }
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), u"Updating Airport Directory"), statuses.end());
}

TEST_F(Ka1Reader, AReloadGivesTheSameTables) {
  LoadTwoFiles();
  std::vector<std::string> names;
  for (const char* n : AeroData().airportNames) names.push_back(Text(n));
  const std::size_t airspaces = AeroData().airspaces.size();
  const std::int32_t runways = AeroData().runways.Size();
  LoadSelected(paths, {u"USA, Texas", u"USA, Ohio", u"Germany"});
  std::vector<std::string> again;
  for (const char* n : AeroData().airportNames) again.push_back(Text(n));
  EXPECT_EQ(again, names);
  EXPECT_EQ(AeroData().airspaces.size(), airspaces);
  EXPECT_EQ(AeroData().runways.Size(), runways);
  TileRecord* tile = tiles.Find(TileIdOf(AeroData().airports[1].position), false);
  ASSERT_NE(tile, nullptr);
  EXPECT_EQ(tile->items[kTileAirports].size(), 2u);  // KAUS and KHOU share a degree: once each
}

TEST_F(Ka1Reader, RegionsAreFoundByNameOrByUsaState) {
  files = Describe(kTwoFiles);
  paths = {Put("us.ka1", files[0]), Put("eu.ka1", files[1])};
  ASSERT_EQ(AeroRegionListAll(AeroData(), paths, ui), S_OK);
  ASSERT_EQ(AeroData().allRegions.Size(), 5);
  struct Case {
    const char16_t* entry;
    const char* state;  // null: no region
    const char* name;
  } cases[] = {
      {u"USA, Texas", "Texas", "USA"}, {u"USA, Utah", "Utah", "USA"}, {u"Germany", "", "Germany"},
      {u"USA, Maine", nullptr, nullptr}, {u"USA", nullptr, nullptr}, {u"USA,", nullptr, nullptr},
      {u"Germ", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const RegionRecord* r = AeroRegionFind(AeroData(), c.entry);
    if (!c.state) {
      EXPECT_EQ(r, nullptr);
      continue;
    }
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r->state, c.state);
    EXPECT_STREQ(r->name, c.name);
  }
  AeroRegionSelect(AeroData(), {u"USA, Maine", u"Germany", u"USA, Texas"});
  ASSERT_EQ(AeroData().selectedRegions.Size(), 2);
  EXPECT_STREQ(AeroData().selectedRegions[0].name, "Germany");
  EXPECT_EQ(AeroData().selectedRegions[1].number, 48);
}

TEST_F(Ka1Reader, AMissingFileIsReportedAndTheNextStillLoads) {
  files = Describe(kTwoFiles);
  paths = {Put("us.ka1", files[0]), Put("eu.ka1", files[1])};
  ASSERT_EQ(AeroRegionListAll(AeroData(), paths, ui), S_OK);
  AeroRegionSelect(AeroData(), {u"Germany"});
  AeroDbReload(AeroData(), tiles, {u"\\gone.ka1", paths[1]}, ui);
  EXPECT_EQ(statuses.front(), u"File \\gone.ka1 NOT FOUND.");
  EXPECT_EQ(waits, std::vector<DWORD>{1500});
  EXPECT_EQ(AeroData().airports.Size(), 3);
}

// A damaged file shows its message (or none), keeps what was merged before and the next file
// still loads.
TEST_F(Ka1Reader, DamagedFilesKeepWhatCameBefore) {
  files = Describe(kTwoFiles);
  const std::vector<std::uint8_t> whole = ka1gen::WriteKa1(files[0]);
  const char ohio[] = "KCMH";
  const std::int64_t inOhio = std::search(whole.begin(), whole.end(), ohio, ohio + 4) - whole.begin() + 20;
  struct Case {
    const char* what;
    std::int32_t version;
    ka1gen::Damage damage;
    const char16_t* message;  // null: E_FAIL without a message
    std::int32_t airportsKept;
  } cases[] = {
      {"version 5", 5, {}, u"Please get newer KA1 file", 0},
      {"version 7", 7, {}, u"Please get newer Cumulor version, or use older KA1 file", 0},
      {"airport count 50001", 6, {.airportCount50001 = true}, u"ERROR reading Aeronautical info file", 0},
      {"bad magic", 6, {.badMagic = true}, u"ERROR reading Aeronautical info file", 0},
      {"bad stream offset", 6, {.badOffset = true}, u"ERROR reading Aeronautical info file", 0},
      {"value 12 missing", 6, {.badHeaderValue = true}, u"ERROR reading Aeronautical info file", 0},
      {"airspace offset past the end", 6, {.badAirspaceOffset = true}, u"ERROR reading Aeronautical info file", 2},
      {"header cut", 6, {.truncateTo = 300}, u"ERROR reading Aeronautical info file", 0},
      {"region list cut", 6, {.truncateTo = 530}, nullptr, 0},
      {"cut inside Ohio's stream", 6, {.truncateTo = inOhio},
       u"ERROR reading Aeronautical info file", 2},
      {"empty file", 6, {.truncateTo = 0}, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.clear();
    captions.clear();
    ka1gen::File damaged = files[0];
    damaged.version = c.version;
    paths = {Put("eu.ka1", files[1]), Put("bad.ka1", damaged, c.damage), Put("eu2.ka1", files[1])};
    AeroData().allRegions.SetSize(0);
    AeroRegionListAll(AeroData(), {paths[0], Put("good.ka1", files[0])}, ui);
    AeroRegionSelect(AeroData(), {u"Germany", u"USA, Texas", u"USA, Ohio"});
    AeroDbClear(AeroData(), tiles);
    ASSERT_EQ(AeroDbLoad(AeroData(), tiles, paths[0].c_str(), ui), S_OK);
    EXPECT_EQ(AeroDbLoad(AeroData(), tiles, paths[1].c_str(), ui), E_FAIL);
    if (c.message) {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0], c.message);
      EXPECT_EQ(captions[0], messages[0].rfind(u"ERROR", 0) == 0 ? u"Cumulor" : u"");
    } else {
      EXPECT_TRUE(messages.empty());
    }
    ASSERT_EQ(AeroDbLoad(AeroData(), tiles, paths[2].c_str(), ui), S_OK);
    // Germany twice (2 airports each) around what the damaged file kept.
    const AeroTables& t = AeroData();
    ASSERT_EQ(t.airports.Size(), 1 + 2 + c.airportsKept + 2);
    EXPECT_STREQ(t.airports[1].code, "EDNY");
    EXPECT_STREQ(t.airports[3 + c.airportsKept].code, "EDNY");
    EXPECT_EQ(Text(t.airportNames[3 + c.airportsKept]), "Friedrichshafen");
    EXPECT_EQ(t.airportNames.Size(), t.airports.Size());
    // Ranges of the last file still point at its own runways.
    const AirportRecord& last = t.airports[3 + c.airportsKept];
    ASSERT_NE(last.runwayFirst, 0);
    EXPECT_STREQ(t.runways[last.runwayFirst].end[0].designator, "06");
    EXPECT_EQ(t.runways[last.runwayLast].width, 60);
  }
}

TEST_F(Ka1Reader, IdsWithoutPayloadAreSkipped) {
  files = Describe(kTwoFiles);
  for (auto& r : files[1].regions) r.emptyIds = true;
  paths = {Put("eu.ka1", files[1])};
  LoadSelected(paths, {u"Germany", u"Austria"});
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(AeroData().airports.Size(), 4);
  EXPECT_STREQ(AeroData().airports[3].code, "LOWI");
  EXPECT_EQ(AeroData().airspaces.size(), 1u);
}

TEST_F(Ka1Reader, BadRangesAndIndexesInAGoodLookingFileAreDropped) {
  files = Describe(kTwoFiles);
  std::vector<std::uint8_t> bytes = ka1gen::WriteKa1(files[1]);
  // Find EDNY's record and point its runway range past the region's runways, its remark range
  // backwards.
  const char code[] = "EDNY";
  auto at = std::search(bytes.begin(), bytes.end(), code, code + 4);
  ASSERT_NE(at, bytes.end());
  std::size_t record = static_cast<std::size_t>(at - bytes.begin()) - 8;
  auto put16 = [&](std::size_t off, std::uint16_t v) {
    bytes[record + off] = static_cast<std::uint8_t>(v);
    bytes[record + off + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put16(38, 2);
  put16(40, 9);   // runways 2..9 of a region with 2
  put16(46, 5);
  put16(48, 4);   // remarks 5..4
  const float variation = 1e20f;  // a magnetic variation no place has
  std::memcpy(&bytes[record + 24], &variation, 4);
  paths = {Put("eu.ka1", bytes)};
  LoadSelected(paths, {u"Germany"});
  ASSERT_EQ(AeroData().airports.Size(), 3);
  EXPECT_EQ(AeroData().airports[1].runwayFirst, 0);
  EXPECT_EQ(AeroData().airports[1].runwayLast, 0);
  EXPECT_EQ(AeroData().airports[1].remarkFirst, 0);
  EXPECT_EQ(AeroData().airports[1].frequencyFirst, 1);
  EXPECT_EQ(AeroData().airports[1].variation, 0.0f);
}

TEST_F(Ka1Reader, TextArraysCannotClaimMoreEntriesThanBytes) {
  std::uint8_t bytes[] = {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
  Ka1Cursor c{bytes, sizeof bytes, 0};
  DynArray<char*> texts;
  EXPECT_EQ(Ka1ReadTexts(c, texts, nullptr), E_FAIL);
  EXPECT_EQ(texts.Size(), 0);
  std::uint8_t good[] = {2, 0, 0, 0, 0, 0, 3, 0, 'a', 'b', 'c'};
  Ka1Cursor g{good, sizeof good, 0};
  DWORD used = 0;
  ASSERT_EQ(Ka1ReadTexts(g, texts, &used), S_OK);
  EXPECT_EQ(used, sizeof good);
  EXPECT_EQ(texts[0], nullptr);
  EXPECT_STREQ(texts[1], "abc");
  FreePointerArray(texts);
  Ka1Cursor empty{good, 0, 0};
  EXPECT_EQ(Ka1ReadTexts(empty, texts, nullptr), E_ABORT);
  std::uint8_t overCount[] = {0x51, 0xC3, 0, 0};  // 50001
  Ka1Cursor over{overCount, sizeof overCount, 0};
  DynArray<std::uint16_t> ids;
  EXPECT_EQ(Ka1ReadArray(over, ids, nullptr), E_ABORT);
  Ka1Cursor shortCount{overCount, 2, 0};
  EXPECT_EQ(Ka1ReadArray(shortCount, ids, nullptr), E_FAIL);
}

// Mutated generated files: every load ends with a result, never past a buffer (the sanitizers
// watch), and the tables stay consistent.
TEST_F(Ka1Reader, MutatedFilesNeverReadOutOfBounds) {
  files = Describe(kTwoFiles);
  const std::vector<std::uint8_t> base = ka1gen::WriteKa1(files[0]);
  paths = {Put("us.ka1", base)};
  AeroRegionListAll(AeroData(), paths, ui);
  AeroRegionSelect(AeroData(), {u"USA, Texas", u"USA, Ohio", u"USA, Utah"});
  std::mt19937 rng(25);
  for (int round = 0; round < 400; ++round) {
    std::vector<std::uint8_t> bytes = base;
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
      std::size_t at = 512 + rng() % (bytes.size() - 512);
      switch (rng() % 3) {
        case 0: bytes[at] = static_cast<std::uint8_t>(rng()); break;
        case 1: bytes[at] = 0xFF; break;
        default: bytes.resize(at); break;
      }
      if (bytes.size() <= 512) break;
    }
    const std::u16string path = Put("fuzz.ka1", bytes);
    AeroDbClear(AeroData(), tiles);
    AeroDbLoad(AeroData(), tiles, path.c_str(), ui);
    const AeroTables& t = AeroData();
    ASSERT_EQ(t.airportNames.Size(), t.airports.Size());
    ASSERT_EQ(t.nearNames.Size(), t.airports.Size());
    for (std::int32_t i = 1; i < t.airports.Size(); ++i) {
      const AirportRecord& a = t.airports[i];
      ASSERT_LE(std::strlen(a.code), 6u);
      ASSERT_LT(a.runwayLast, t.runways.Size());
      ASSERT_LT(a.frequencyLast, t.frequencies.Size());
      ASSERT_LT(a.remarkLast, t.remarks.Size());
    }
    for (std::int32_t i = 1; i < t.frequencies.Size(); ++i)
      ASSERT_LT(t.frequencies[i].textIndex, t.frequencyTexts.Size());
  }
}

}  // namespace
}  // namespace cumulor
