#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/testing/device_test.h"

using namespace cumulor;

namespace {

std::vector<std::u16string> g_messages;

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Append32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.resize(b.size() + 4);
  Put32(b, b.size() - 4, v);
}
std::uint32_t FloatBits(float f) {
  std::uint32_t v;
  std::memcpy(&v, &f, 4);
  return v;
}

struct Source {
  std::int32_t lon, lat, companion, windFrom, sunAzimuth, ground, relative;
};

// A binary thermal file written from its layout: a 512-byte header starting with "T", the image of
// the 264-byte companion records, the image of the 156-byte thermal records, the end marker.
std::vector<std::uint8_t> BinaryFile(std::uint32_t companions, const std::vector<Source>& sources, std::uint32_t marker = 1234,
                                     std::uint32_t thermalCount = 0xFFFFFFFF) {
  std::vector<std::uint8_t> b(512, 0);
  b[0] = 'T';
  Append32(b, companions);
  for (std::uint32_t i = 0; i < companions; ++i) {
    b.resize(b.size() + 264, static_cast<std::uint8_t>(i + 1));
  }
  Append32(b, thermalCount != 0xFFFFFFFF ? thermalCount : static_cast<std::uint32_t>(sources.size()));
  for (const Source& s : sources) {
    const std::size_t at = b.size();
    b.resize(at + 156, 0);
    Put32(b, at + 4, static_cast<std::uint32_t>(s.companion));
    Put32(b, at + 8, static_cast<std::uint32_t>(s.lon));
    Put32(b, at + 12, static_cast<std::uint32_t>(s.lat));
    Put32(b, at + 88, FloatBits(3.5f));
    Put32(b, at + 92, static_cast<std::uint32_t>(s.relative));
    Put32(b, at + 96, static_cast<std::uint32_t>(s.sunAzimuth));
    Put32(b, at + 112, static_cast<std::uint32_t>(s.ground));
    b[at + 130] = static_cast<std::uint8_t>(s.windFrom);
    b[at + 131] = static_cast<std::uint8_t>(s.windFrom >> 8);
    Put32(b, at + 132, FloatBits(25.0f));
  }
  Append32(b, marker);
  return b;
}

class ThermalDb : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_messages.clear();
    ThermalHooks& hooks = ThermalHooksInstalled();
    hooks = ThermalHooks{};
    hooks.showMessage = [](const WCHAR* text) { g_messages.push_back(text); };
    SetDataFilesFolder(u"");
    SelectedDataFiles()[kFilesThermals].selected.SetSize(0);
    ThermalDbClear();
    AeroTiles().ListsClear(kTileThermals);
    ResetMaxClimb();
  }
  void TearDown() override {
    ThermalHooksInstalled() = ThermalHooks{};
    SelectedDataFiles()[kFilesThermals].selected.SetSize(0);
    ThermalDbClear();
    DeviceTest::TearDown();
  }
  void Write(const char* name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(device_folder() / "root");
    std::ofstream out(device_folder() / "root" / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void WriteText(const char* name, const std::string& text) { Write(name, std::vector<std::uint8_t>(text.begin(), text.end())); }
  void Select(const char16_t* name) {
    DataFileEntry e = NewDataFileEntry();
    SetEntryText(e.name, name);
    SelectedDataFiles()[kFilesThermals].selected.Append(e);
  }
  static void ResetMaxClimb() {
    XmlNode top = XmlNode::ConstructTop();
    XmlNode* settings = top.AddChild("Settings");
    ThermalQuerySave(*settings);
    ThermalQueryLoad(top);
  }
  static ThermalRecord Record(std::int32_t windFrom, std::int32_t sunAzimuth) {
    ThermalRecord r;
    r.position = {36000 * 11, 36000 * 47 + 18000};
    r.windFrom = static_cast<std::int16_t>(windFrom);
    r.sunAzimuth = sunAzimuth;
    r.relativeStrength = 50;
    r.groundLevel = 500;
    return r;
  }
};

}  // namespace

TEST_F(ThermalDb, BinaryAndXmlFilesLoad) {
  Write("a.tdb", BinaryFile(2, {{100, 200, 0, 250, 180, 500, 50}, {300, 400, 1, 90, 90, 600, 70}}));
  Write("b.tdb", BinaryFile(1, {{500, 600, 0, 10, 45, 700, 80}}));
  std::string xml =
      "<CumulorDatabase><CumulorThermal><Longitude>11.5</Longitude><Latitude>47.25</Latitude>"
      "<Type>2</Type><RelativeStrength>60</RelativeStrength><AbsoluteStrength>2.5</AbsoluteStrength>"
      "<SunAzimuth>200</SunAzimuth><groundlevel>800</groundlevel><WindFrom>270</WindFrom>"
      "<WindSpeedKmh>15.5</WindSpeedKmh><TimeZulu>1200</TimeZulu></CumulorThermal>"
      "<CumulorThermal><Longitude>-1</Longitude><Colour>red</Colour></CumulorThermal></CumulorDatabase>";
  xml.resize(600, ' ');  // files under 512 bytes are refused
  WriteText("c.xm2", xml);
  Select(u"a.tdb");
  Select(u"b.tdb");
  Select(u"c.xm2");
  EXPECT_EQ(ThermalDbLoad(), 1);
  EXPECT_TRUE(g_messages.empty());
  const DynArray<ThermalRecord>& r = ThermalRecords();
  ASSERT_EQ(r.Size(), 5);
  EXPECT_EQ(ThermalCompanions().Size(), 3);
  EXPECT_EQ(ThermalCompanions()[2].bytes[0], 1);  // b.tdb's first companion
  EXPECT_EQ(r[1].position, (GeoPoint{300, 400}));
  EXPECT_EQ(r[1].companion, 1);
  EXPECT_EQ(r[1].windFrom, 90);
  EXPECT_EQ(r[1].groundLevel, 600);
  EXPECT_EQ(r[1].relativeStrength, 70);
  EXPECT_FLOAT_EQ(r[1].absoluteStrength, 3.5f);
  EXPECT_FLOAT_EQ(r[1].windSpeed, 25.0f);
  EXPECT_EQ(r[2].companion, 2);  // counted on from the companions of the files before
  EXPECT_EQ(r[3].position, (GeoPoint{414000, 1701000}));
  EXPECT_EQ(r[3].type, 2);
  EXPECT_EQ(r[3].relativeStrength, 60);
  EXPECT_FLOAT_EQ(r[3].absoluteStrength, 2.5f);
  EXPECT_EQ(r[3].sunAzimuth, 200);
  EXPECT_EQ(r[3].groundLevel, 800);
  EXPECT_EQ(r[3].windFrom, 270);
  EXPECT_FLOAT_EQ(r[3].windSpeed, 15.5f);
  EXPECT_EQ(r[3].timeUtc, 1200);
  EXPECT_EQ(r[3].companion, 0);
  EXPECT_EQ(r[4].position.lon, -36000);
  EXPECT_EQ(r[4].companion, -1);  // an unknown element was met
}

TEST_F(ThermalDb, DamagedFilesGiveTheMessageAndKeepWhatWasRead) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::int32_t recordsKept;
  };
  std::vector<std::uint8_t> notT = BinaryFile(0, {{1, 1, 0, 0, 0, 0, 0}});
  notT[0] = 'X';
  std::vector<std::uint8_t> truncated = BinaryFile(0, {{1, 1, 0, 0, 0, 0, 0}, {2, 2, 0, 0, 0, 0, 0}});
  truncated.resize(truncated.size() - 100);
  std::string wrongRoot = "<OtherDatabase><CumulorThermal><Longitude>1</Longitude></CumulorThermal></OtherDatabase>";
  wrongRoot.resize(600, ' ');
  const Case cases[] = {
      {"short.tdb", std::vector<std::uint8_t>(511, 'T'), 0},
      {"nott.tdb", notT, 0},
      {"marker.tdb", BinaryFile(0, {{1, 1, 0, 0, 0, 0, 0}}, 4321), 1},
      {"count.tdb", BinaryFile(0, {}, 1234, 50001), 0},
      {"cut.tdb", truncated, 0},
      {"root.xm2", std::vector<std::uint8_t>(wrongRoot.begin(), wrongRoot.end()), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_messages.clear();
    SelectedDataFiles()[kFilesThermals].selected.SetSize(0);
    Write(c.name, c.bytes);
    Write("good.tdb", BinaryFile(0, {{7, 7, 0, 0, 0, 0, 0}}));
    std::u16string name(c.name, c.name + std::strlen(c.name));
    Select(name.c_str());
    Select(u"good.tdb");
    EXPECT_EQ(ThermalDbLoad(), 1);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0], u"Error reading \\" + name);
    ASSERT_EQ(ThermalRecords().Size(), c.recordsKept + 1);
    EXPECT_EQ(ThermalRecords()[c.recordsKept].position, (GeoPoint{7, 7}));  // the next file still loads
  }
}

TEST_F(ThermalDb, QueryRoundTripsThroughTheSettings) {
  ThermalQuerySettings() = ThermalQuery{2, 0, 0, -3, 4, 2, 300, 20, 0};
  XmlNode top = XmlNode::ConstructTop();
  XmlNode* settings = top.AddChild("Settings");
  ThermalQuerySave(*settings);
  ThermalQuerySettings() = ThermalQuery{};
  ThermalMaxClimb(3.0f);
  EXPECT_EQ(ThermalQueryLoad(top), 1);
  EXPECT_EQ(ThermalQuerySettings().hourFrom, -3);
  EXPECT_EQ(ThermalQuerySettings().windFrom, 300);
  EXPECT_EQ(ThermalQuerySettings().windTo, 20);
  EXPECT_EQ(ThermalMaxClimbValue(), 0.0f);
  XmlNode empty = XmlNode::ConstructTop();
  EXPECT_EQ(ThermalQueryLoad(empty), 0);
  EXPECT_EQ(ThermalQuerySettings().windFrom, 300);
}

TEST_F(ThermalDb, WindWindowSelects) {
  DynArray<ThermalRecord>& r = ThermalRecords();
  const std::int32_t winds[] = {0, 250, 310, 350, 30, 50};
  for (std::int32_t w : winds) r.Append(Record(w, 0));
  ThermalQuerySettings() = ThermalQuery{3, 0, 0, 0, 0, 1, 0, 0, 0};
  struct Case {
    ThermalWind wind;
    std::vector<int> selected;  // per record
  } cases[] = {
      {{270, 20.0f}, {0, 1, 0, 0, 0, 0}},  // window 240..300
      {{270, 8.0f}, {1, 1, 1, 1, 1, 1}},   // too little wind: every record passes
      {{10, 20.0f}, {1, 0, 0, 1, 1, 0}},   // window 340..40 across north
  };
  for (const Case& c : cases) {
    ThermalUpdate(&c.wind);
    for (std::int32_t i = 0; i < r.Size(); ++i) EXPECT_EQ(r[i].selected, c.selected[static_cast<std::size_t>(i)]) << "record " << i << ", wind " << c.wind.from;
  }
  EXPECT_EQ(ThermalWindowWidth(340, 40), 60);
  EXPECT_EQ(ThermalWindowWidth(0, 270), 90);  // a window wider than 180 loses 180
}

TEST_F(ThermalDb, SunWindowOfTheHoursGiven) {
  ThermalHooksInstalled().utcNow = [](SYSTEMTIME& t) {
    t = SYSTEMTIME{};
    t.wYear = 2026;
    t.wMonth = 6;
    t.wDay = 21;
    t.wHour = 8;
  };
  ThermalHooksInstalled().ownPosition = [] { return GeoPoint{36000 * 11, 36000 * 47}; };
  DynArray<ThermalRecord>& r = ThermalRecords();
  for (std::int32_t az : {90, 150, 180, 200, 270}) r.Append(Record(0, az));
  // From 10:00 to 14:00 UTC at 47 N 11 E the sun moves from about south-east to south-west.
  ThermalQuerySettings() = ThermalQuery{2, 0, 0, 2, 6, 3, 0, 0, 0};
  ThermalUpdate(nullptr);
  EXPECT_EQ(r[0].selected, 0);
  EXPECT_EQ(r[1].selected, 1);
  EXPECT_EQ(r[2].selected, 1);
  EXPECT_EQ(r[3].selected, 1);
  EXPECT_EQ(r[4].selected, 0);
}

TEST_F(ThermalDb, DriftGoesDownwindByTheClimbTime) {
  DynArray<ThermalRecord>& r = ThermalRecords();
  r.Append(Record(0, 0));  // record 0 is never placed
  r.Append(Record(0, 0));
  ThermalRecord weak = Record(0, 0);
  weak.relativeStrength = 0;
  r.Append(weak);
  ThermalRecord low = Record(0, 0);
  low.groundLevel = 1450;
  r.Append(low);
  for (ThermalRecord& t : r) t.selected = 1;
  const ThermalWind wind{270, 36.0f};

  ThermalDrift(wind, 1500);  // no maximum climb yet: no drift
  EXPECT_EQ(r[1].drifted, r[1].position);

  ThermalMaxClimb(2.0f);
  AeroTiles().ListsClear(kTileThermals);
  ThermalDrift(wind, 1500);
  // 1000 m at 50 % of 2 m/s: 1000 s; 36 km/h: 10000 m towards the east.
  EXPECT_NEAR(GeoDistance(r[1].position, r[1].drifted), 10000, 2);
  double bearing = 0;
  GeoBearing(bearing, r[1].position, r[1].drifted);
  EXPECT_NEAR(bearing * 180 / M_PI, 90, 0.1);
  EXPECT_EQ(r[2].drifted, r[2].position);  // strength 0: no climb time, no drift
  EXPECT_EQ(r[3].drifted, r[3].position);  // 50 m above the ground
  const TileRecord* tile = AeroTiles().Find(TileIdOf(r[1].drifted), false);
  ASSERT_NE(tile, nullptr);
  EXPECT_EQ(tile->items[kTileThermals], (std::vector<std::uint32_t>{1, 2, 3}));
}
