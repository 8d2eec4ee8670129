#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/waypoints/cup_export.h"
#include "cumulor/data/waypoints/cup_import.h"
#include "cumulor/data/waypoints/strepla_import.h"
#include "cumulor/data/waypoints/user_waypoint_reader.h"
#include "cumulor/nav/gps/gps_port.h"
#include "tests/testdata.h"
#include "waypoint_fixture.h"

namespace cumulor {
namespace {

constexpr const char* kHeader = "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n";

class CupImport : public WaypointTest {
 protected:
  int Import(const std::string& text) {
    WriteFile("in.cup", text);
    return ImportSeeYou(u"\\in.cup");
  }
  // The test data folder seen from the device through a link (the files are read in place).
  std::u16string LinkTestData() {
    std::filesystem::create_directory_symlink(test_data::Folder("cup"), Root() / "testcup");
    return u"\\testcup\\";
  }
  static bool Have(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
  }
};

TEST_F(CupImport, ReadsTheFieldsOfAWaypointLine) {
  ASSERT_EQ(Import(std::string(kHeader) +
                   "\"Alpha\",,DE,4807.123N,01138.456E,500m,2,,,122.500,a description\r\n"
                   "\"Beta\",\"BETA12\",,4807.000S,01138.000W,1500ft,,,,,\r\n"
                   "Gamma,G,CH,0000.000N,00000.000E,NoneNone,12,,,,\r\n"
                   "\"\",E,,0100.000N,00100.000E,,x,,,,\r\n"),
            1);
  ASSERT_EQ(Count(), 4);
  EXPECT_EQ(NameAt(1), "Alpha");
  EXPECT_STREQ(At(1).code, "I_1");
  EXPECT_STREQ(UserWaypoints().countries[1].text, "DE");
  EXPECT_EQ(At(1).position.lat, (48 * 60 + 7) * 600 + 123 * 36 / 60);
  EXPECT_EQ(At(1).position.lon, (11 * 60 + 38) * 600 + 456 * 36 / 60);
  EXPECT_EQ(At(1).elevation, 1640);
  EXPECT_EQ(At(1).flags, 0x1002u);
  EXPECT_STREQ(At(1).comment, "122.500");
  EXPECT_EQ(At(1).zoomLimit, 10000);
  EXPECT_EQ(UserSerial(), 2);
  // Quotes around the code are not part of it; feet stay feet; no style leaves the flags 0.
  EXPECT_STREQ(At(2).code, "BETA1");
  EXPECT_EQ(At(2).position.lat, -(48 * 60 + 7) * 600);
  EXPECT_EQ(At(2).position.lon, -(11 * 60 + 38) * 600);
  EXPECT_EQ(At(2).elevation, 1500);
  EXPECT_EQ(At(2).flags, 0u);
  // An unquoted name is kept whole; an elevation without a number is 0; style 12 reads its 1.
  EXPECT_EQ(NameAt(3), "Gamma");
  EXPECT_EQ(At(3).elevation, 0);
  EXPECT_EQ(At(3).flags, 0x1100u);
  EXPECT_EQ(NameAt(4), "");
  EXPECT_EQ(At(4).flags, 0x1000u);
  // No task section: no summary; the store was saved under the SeeYou name.
  EXPECT_TRUE(Rec().messages.empty());
  EXPECT_EQ(std::u16string(GetDataFileEntry(kFilesUserWaypoints)), u"FromSeeYou.dat");
  EXPECT_NE(ReadFile("Data/FromSeeYou.dat").find("I_1,48:07.122N,11:38.455E,1640F,AI,Alpha,122.500\r\n"),
            std::string::npos)
      << ReadFile("Data/FromSeeYou.dat");
}

TEST_F(CupImport, SyntaxErrorOrDeclinedOrMissingFilesChangeNothing) {
  ASSERT_EQ(Import(std::string(kHeader) + "\"Old\",,,4807.123N,01138.456E,500m,1,,,,\r\n"), 1);
  SetDataFileName(kFilesUserWaypoints, u"Mine.dat");
  struct Case {
    const char* line;
  } cases[] = {{"\"Bad\",,,4807.123X,01138.456E,500m,1,,,,\r\n"},   // no hemisphere where it must be
               {"\"Bad\",,,9100.000N,01138.456E,500m,1,,,,\r\n"},   // past the pole
               {"\"Bad\",,,4807.123N,18100.000E,500m,1,,,,\r\n"},   // past 180 degrees
               {"\"Bad\",,,4807.123N,01138.456E,8001,1,,,,\r\n"},   // 26249 ft
               {"\"Bad\",,,4807.123N\r\n"},                         // no longitude
               {"* a comment line of another program\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Rec().messages.clear();
    const std::int32_t serial = UserSerial();
    EXPECT_EQ(Import(std::string(kHeader) + "\"Good\",,,4807.123N,01138.456E,500m,1,,,,\r\n" + c.line), 0);
    // The store, the serial and the file name are as they were before the import.
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(NameAt(1), "Old");
    EXPECT_EQ(UserSerial(), serial);
    EXPECT_EQ(std::u16string(GetDataFileEntry(kFilesUserWaypoints)), u"Mine.dat");
    ASSERT_EQ(Rec().messages.size(), 1u);
    std::string line(c.line);
    line.resize(line.size() - 2);
    EXPECT_EQ(Rec().messages[0], u"Importing Waypoints Syntax Error in file \\in.cup : " + ce::text::FromUtf8(line));
  }
  EXPECT_EQ(Import(std::string(kHeader) + "\"Good\",,,4807.123N,01138.456E,504.0m,1,,,,\r\n"), 1);
  EXPECT_EQ(At(1).elevation, 1653);  // the leading integer, truncated
  Rec().answer = false;
  EXPECT_EQ(Import(std::string(kHeader) + "\"Other\",,,4807.123N,01138.456E,1m,1,,,,\r\n"), 0);
  EXPECT_EQ(NameAt(1), "Good");
  Rec().answer = true;
  EXPECT_EQ(ImportSeeYou(u"\\missing.cup"), 0);
  EXPECT_EQ(Import(""), 0);
  EXPECT_EQ(Count(), 1);
}

TEST_F(CupImport, FieldsAreTrimmedAndAHeaderNamesTheColumns) {
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"blank-padded fields",
       std::string(kHeader) + "\"Alpha\" , AB ,DE,4807.123N, 01138.456E ,  488.0m,  5  ,,,\"123.650\" ,x\r\n"},
      {"columns by the header's names (runway width before the frequency)",
       "name,code,country,lat,lon,elev,style,rwdir,rwlen,rwwidth,freq,desc\r\n"
       "\"Alpha\",AB,DE,4807.123N,01138.456E,488.0m,5,090,800m,30m,\"123.650\",x\r\n"},
      {"columns in another order, names in capitals",
       "Code,Name,Lat,Lon,Country,Freq,Style,Elev\r\n"
       "AB,\"Alpha\",4807.123N,01138.456E,DE,123.650,5,488.0m\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(Import(c.text), 1);
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(NameAt(1), "Alpha");
    EXPECT_STREQ(At(1).code, "AB");
    EXPECT_STREQ(UserWaypoints().countries[1].text, "DE");
    EXPECT_EQ(At(1).position.lon, (11 * 60 + 38) * 600 + 456 * 36 / 60);
    EXPECT_EQ(At(1).elevation, 1601);  // 488 m
    EXPECT_EQ(At(1).flags, 0x1002u);
    EXPECT_STREQ(At(1).comment, "123.650");
  }
}

TEST_F(CupImport, AFileOfAnotherFormatLeavesTheStoreTheTasksAndTheFileNameAsTheyWere) {
  ASSERT_EQ(Import(std::string(kHeader) + "\"A\",,,4800.000N,01100.000E,1m,1,,,,\r\n" +
                   "\"B\",,,4810.000N,01110.000E,1m,1,,,,\r\n-----Related Tasks-----\r\n\"t\",\"A\",\"A\",\"B\",\"A\"\r\n"),
            1);
  Tasks().slot[7].Append(TaskPoint{kPointUserWaypoint, 2});
  const std::u16string fileName(GetDataFileEntry(kFilesUserWaypoints));
  const std::string saved = ReadFile("Data/FromSeeYou.dat");
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"a binary StrePla file", std::string("ST2\0\x01\x02\x03\xff\r\n\x10\x00point\0\x07", 19)},
      {"text that is no point block", "[Waypoints]\r\nA=1\r\n"},
      {"a point block without its code", "point\r\n  name = \"X\"\r\n}\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rec().messages.clear();
    WriteFile("in.st2", c.bytes);
    EXPECT_EQ(ImportStrePla(u"\\in.st2"), 0);
    ASSERT_EQ(Rec().messages.size(), 1u);
    EXPECT_EQ(Rec().messages[0].rfind(u"Importing StrePla Waypoints Syntax Error in file \\in.st2 : ", 0), 0u);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(NameAt(2), "B");
    EXPECT_EQ(ActiveTask().Size(), 2);
    EXPECT_EQ(Tasks().slot[7].Size(), 1);
    EXPECT_EQ(std::u16string(GetDataFileEntry(kFilesUserWaypoints)), fileName);
    EXPECT_EQ(ReadFile("Data/FromSeeYou.dat"), saved);
    EXPECT_EQ(Rec().lockDepth, 0);
  }
}

TEST_F(CupImport, TaskLinesFillSlotsSkipUnknownTurnpointsAndAbandonTasksWithUnknownPoints) {
  Tasks().slot[25].Append(TaskPoint{4, 1});
  const std::string points = std::string(kHeader) + "\"A\",,,4800.000N,01100.000E,1m,1,,,,\r\n" +
                             "\"B\",,,4810.000N,01110.000E,1m,1,,,,\r\n" + "\"C\",,,4820.000N,01120.000E,1m,1,,,,\r\n";
  ASSERT_EQ(Import(points + "-----Related Tasks-----\r\n"
                            "\"one\",\"A\",\"A\",\"???\",\"B\",\"C\",\"A\"\r\n"
                            "Options,NoStart=12:00:00\r\n"
                            "\"two\",\"A\",\"B\",\"Nowhere\",\"C\",\"A\"\r\n"
                            "\"three\",\"\",\"C\",\"B\",\"\"\r\n"
                            "ObsZone=0,Style=2,R1=1000m\r\n"),
            1);
  ASSERT_EQ(Tasks().slot[0].Size(), 3);  // A, B, C: the landing A removed, ??? skipped
  EXPECT_EQ(Tasks().slot[0][0].index, 1);
  EXPECT_EQ(Tasks().slot[0][1].index, 2);
  EXPECT_EQ(Tasks().slot[0][2].index, 3);
  EXPECT_EQ(Tasks().slot[0][0].kind, kPointUserWaypoint);
  // "two" names a point that is not there: abandoned, "three" takes its slot with both points
  // (its empty landing names no point).
  ASSERT_EQ(Tasks().slot[1].Size(), 2);
  EXPECT_EQ(Tasks().slot[1][0].index, 3);
  EXPECT_EQ(Tasks().slot[2].Size(), 0);
  EXPECT_EQ(Tasks().slot[25].Size(), 0);
  ASSERT_EQ(Rec().messages.size(), 3u);
  EXPECT_EQ(Rec().messages[0], u"Task \"one\",\"A\",\"A\",\"???\",\"B\",\"C\",\"A\" Import Error : ??? NOT FOUND.");
  EXPECT_EQ(Rec().messages[1], u"Task \"two\",\"A\",\"B\",\"Nowhere\",\"C\",\"A\" Import Error : Nowhere NOT FOUND.");
  EXPECT_EQ(Rec().messages[2], u"3 waypoints and 2 task(s) Imported OK.");
  ASSERT_EQ(Rec().targets.size(), 1u);
  EXPECT_EQ(Rec().targets[0].index, 1);
}

TEST_F(CupImport, TasksBeyondTheLastSlotStopTheImport) {
  std::string text = std::string(kHeader) + "\"A\",,,4800.000N,01100.000E,1m,1,,,,\r\n" +
                     "\"B\",,,4810.000N,01110.000E,1m,1,,,,\r\n-----Related Tasks-----\r\n";
  for (int i = 0; i < 27; ++i) text += "\"t\",\"A\",\"A\",\"B\",\"A\"\r\n";
  EXPECT_EQ(Import(text), 0);
  EXPECT_EQ(LastMessage(), u"No More Room For Tasks");
  for (int s = 0; s < 25; ++s) EXPECT_EQ(Tasks().slot[s].Size(), 2) << s;
  EXPECT_EQ(Tasks().slot[25].Size(), 0);
  EXPECT_TRUE(Rec().targets.empty());
}

TEST_F(CupImport, RealFilesImportAsAnIndependentCsvReaderReadsThem) {
  const auto folder = test_data::Folder("cup");
  SKIP_WITHOUT_TEST_DATA(folder);
  if (!Have("python3")) GTEST_SKIP() << "python3 not found";
  const std::u16string link = LinkTestData();
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".cup") continue;
    ++files;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    ClearUserWaypoints();
    UserSerial() = 1;
    Rec().messages.clear();
    ASSERT_EQ(ImportSeeYou((link + ce::text::FromUtf8(name)).c_str()), 1) << (Rec().messages.empty() ? "" : ce::text::ToUtf8(Rec().messages[0]));
    const std::filesystem::path expected = device_folder() / "expected.tsv";
    const std::string command = std::string("python3 '") + CUP_REFERENCE_SCRIPT + "' '" + entry.path().string() + "' '" +
                                expected.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(expected);
    std::string line;
    std::int32_t i = 0;
    while (std::getline(in, line)) {
      ++i;
      ASSERT_LE(i, Count());
      std::istringstream fields(line);
      std::string hexName, code, number[3];
      std::getline(fields, hexName, '\t');
      std::getline(fields, code, '\t');
      for (std::string& n : number) std::getline(fields, n, '\t');
      const std::int32_t lat = std::stoi(number[0]), lon = std::stoi(number[1]), elevation = std::stoi(number[2]);
      std::string bytes;
      for (std::size_t k = 0; k + 1 < hexName.size(); k += 2) bytes += static_cast<char>(std::stoi(hexName.substr(k, 2), nullptr, 16));
      EXPECT_EQ(NameAt(i), bytes) << i;
      EXPECT_EQ(std::string(At(i).code), code) << i;
      EXPECT_EQ(At(i).position.lat, lat) << i;
      EXPECT_EQ(At(i).position.lon, lon) << i;
      EXPECT_EQ(At(i).elevation, elevation) << i;
    }
    EXPECT_EQ(i, Count());
    EXPECT_GT(i, 3);
    if (name.rfind("709-km", 0) == 0) {
      ASSERT_EQ(ActiveTask().Size(), 5);
      const char* order[] = {"Aachen Stolberg TV", "Wendepunkt", "Helmstadter Berg", "Linnich Station", "Aachen Stolberg TV"};
      for (int k = 0; k < 5; ++k) EXPECT_EQ(NameAt(ActiveTask()[k].index), order[k]);
      EXPECT_EQ(Tasks().slot[1].Size(), 0);
      EXPECT_EQ(LastMessage(), u"4 waypoints and 1 task(s) Imported OK.");
    }
  }
  EXPECT_EQ(files, 5);
}

// A real file imported and saved, then read back as the user-waypoint file: the bounding
// rectangle the reader grows holds every position the independent reader gives, edge to edge
// (within the one unit the line format's thousandths of a minute may lose); a reload without
// files empties it.
TEST_F(CupImport, TheUserWaypointReloadBoundsEveryWaypointOfARealFile) {
  const auto folder = test_data::Folder("cup");
  SKIP_WITHOUT_TEST_DATA(folder);
  if (!Have("python3")) GTEST_SKIP() << "python3 not found";
  const std::u16string link = LinkTestData();
  ASSERT_EQ(ImportSeeYou((link + u"ZA_Cape.cup").c_str()), 1);
  ASSERT_EQ(SaveUserWaypoints(), 1);
  const std::filesystem::path expected = device_folder() / "expected.tsv";
  const std::string command = std::string("python3 '") + CUP_REFERENCE_SCRIPT + "' '" + (folder / "ZA_Cape.cup").string() +
                              "' '" + expected.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(expected);
  std::string line;
  GeoRect want{INT_MAX, INT_MIN, INT_MIN, INT_MAX};
  int points = 0;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string field[4];
    for (std::string& f : field) std::getline(fields, f, '\t');
    const std::int32_t lat = std::stoi(field[2]), lon = std::stoi(field[3]);
    want = {std::min(want.left, lon), std::max(want.top, lat), std::max(want.right, lon), std::min(want.bottom, lat)};
    ++points;
  }
  ASSERT_GT(points, 100);
  ASSERT_LT(want.top, 0);  // south and east: the signs are tested too
  ASSERT_GT(want.left, 0);

  GpsPort gps;
  GeoRect bounds{1, 2, 3, 4};
  EXPECT_EQ(LoadUserWaypoints(gps, nullptr, &bounds), 0);
  ASSERT_EQ(Count(), points);
  EXPECT_NEAR(bounds.left, want.left, 1);
  EXPECT_NEAR(bounds.top, want.top, 1);
  EXPECT_NEAR(bounds.right, want.right, 1);
  EXPECT_NEAR(bounds.bottom, want.bottom, 1);

  SelectedDataFiles()[kFilesUserWaypoints].selected.SetSize(0);
  EXPECT_EQ(LoadUserWaypoints(gps, nullptr, &bounds), 0);
  EXPECT_TRUE(GeoRectEmpty(bounds));
  EXPECT_EQ(Count(), 0);
}

// The waypoints as a StrePla file: point blocks with decimal minutes, then one route.
std::string StrePlaText() {
  std::string text;
  const UserWaypointTable& table = UserWaypoints();
  for (std::int32_t i = 1; i < table.records.Size(); ++i) {
    const WaypointRecord& w = table.records[i];
    char line[256];
    auto coordinate = [](char positive, char negative, std::int32_t v) {
      char out[32];
      const std::int32_t a = v < 0 ? -v : v;
      std::snprintf(out, sizeof out, "%c%d:%.4f", v < 0 ? negative : positive, a / 36000, (a % 36000) / 600.0);
      return std::string(out);
    };
    std::snprintf(line, sizeof line,
                  "point %d %s\r\n  elevation = %d\r\n  latitude = %s\r\n  longitude = %s\r\n  name = \"%s\"\r\n"
                  "  type = turnpoint\r\n  runways = {\r\n  }\r\n}\r\n",
                  i, w.code, static_cast<int>(std::lround(w.elevation / 3.2808)), coordinate('N', 'S', w.position.lat).c_str(),
                  coordinate('E', 'W', w.position.lon).c_str(), table.names[i].text);
    text += line;
  }
  text += "route 1\r\n  name = 1\r\n  start = 1\r\n  waypoint = 2\r\n  finish = 3\r\n  target = 2\r\n}\r\n";
  return text;
}

TEST_F(CupImport, GpsbabelFilesAndOurExportAndStrePlaAgreeOnPositions) {
  if (!Have("gpsbabel")) GTEST_SKIP() << "gpsbabel not found";
  // A generated list written by gpsbabel as .cup.
  std::string csv = "lat,lon,name,alt\n";
  struct Point {
    double lat, lon;
    int metres;
  } generated[] = {{47.12345, 11.54321, 500}, {-33.5, 18.25, 1200}, {0.01, -0.5, 0}, {52.999, -120.75, 2500}, {-1.0, 179.9, 10}};
  for (int i = 0; i < 5; ++i) {
    char line[128];
    std::snprintf(line, sizeof line, "%.6f,%.6f,Point %d,%d\n", generated[i].lat, generated[i].lon, i, generated[i].metres);
    csv += line;
  }
  WriteFile("gen.csv", csv);
  const std::string in = (Root() / "gen.csv").string(), out = (Root() / "babel.cup").string();
  ASSERT_EQ(std::system(("gpsbabel -i unicsv -f '" + in + "' -o cup -F '" + out + "'").c_str()), 0);
  ASSERT_EQ(ImportSeeYou(u"\\babel.cup"), 1);
  ASSERT_EQ(Count(), 5);
  for (int i = 0; i < 5; ++i) {
    // The format keeps thousandths of a minute: 0.6 units of ours, plus our truncation.
    EXPECT_NEAR(At(i + 1).position.lat, generated[i].lat * 36000, 1.2) << i;
    EXPECT_NEAR(At(i + 1).position.lon, generated[i].lon * 36000, 1.2) << i;
  }

  // Our export of a task over those points, read back by gpsbabel.
  for (int i = 1; i <= 4; ++i) ActiveTask().Append(TaskPoint{kPointUserWaypoint, i});
  ActiveTask().Append(TaskPoint{kPointUserWaypoint, 99});  // stale: left out
  ASSERT_EQ(ExportTaskCup(), 1);
  const std::string exported = ReadFile("CumulorTask0.cup");
  EXPECT_EQ(exported.rfind("name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n", 0), 0u);
  EXPECT_NE(exported.find("-----Related Tasks-----\r\n,\"???\",\"Point 0\",\"Point 1\",\"Point 2\",\"Point 3\",\"???\"\r\n"),
            std::string::npos);
  const std::string babelOut = (Root() / "export.csv").string();
  ASSERT_EQ(std::system(("gpsbabel -i cup -f '" + (Root() / "CumulorTask0.cup").string() + "' -o unicsv -F '" + babelOut + "'").c_str()), 0);
  std::ifstream read(babelOut);
  std::string line;
  std::getline(read, line);  // its header
  int rows = 0;
  // The waypoint lines come first; what gpsbabel makes of the tasks section follows them.
  while (rows < 4 && std::getline(read, line)) {
    std::istringstream fields(line);
    std::string no, lat, lon;
    std::getline(fields, no, ',');
    std::getline(fields, lat, ',');
    std::getline(fields, lon, ',');
    EXPECT_NEAR(std::stod(lat) * 36000, At(rows + 1).position.lat, 0.6) << rows;
    EXPECT_NEAR(std::stod(lon) * 36000, At(rows + 1).position.lon, 0.6) << rows;
    ++rows;
  }
  EXPECT_EQ(rows, 4);

  // The same waypoints as a StrePla file.
  std::vector<WaypointRecord> before;
  for (std::int32_t i = 1; i <= Count(); ++i) before.push_back(At(i));
  WriteFile("same.ste", StrePlaText());
  Rec().navigationTarget = TaskPoint{kPointUserWaypoint, 1};
  Rec().messages.clear();
  ASSERT_EQ(ImportStrePla(u"\\same.ste"), 1);
  ASSERT_EQ(Count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(At(i + 1).position.lat, before[i].position.lat, 1) << i;
    EXPECT_NEAR(At(i + 1).position.lon, before[i].position.lon, 1) << i;
    EXPECT_NEAR(At(i + 1).elevation, before[i].elevation, 2) << i;
    EXPECT_EQ(At(i + 1).flags, 0x1u);
  }
  EXPECT_EQ(NameAt(1), "Point 0");
  EXPECT_EQ(std::u16string(GetDataFileEntry(kFilesUserWaypoints)), u"FromStrePla.dat");
  ASSERT_EQ(ActiveTask().Size(), 3);
  EXPECT_EQ(ActiveTask()[2].index, 3);
  EXPECT_EQ(LastMessage(), u"5 waypoints and 1 task(s) Imported OK.");
  ASSERT_FALSE(Rec().targets.empty());
  EXPECT_EQ(Rec().targets.back().index, 2);
  EXPECT_EQ(Rec().maxLockDepth, 1);
  EXPECT_EQ(Rec().lockDepth, 0);
}

TEST_F(CupImport, ExportNeedsAPointAndAFailedWriteKeepsTheOldFile) {
  EXPECT_EQ(ExportTaskCup(), 0);
  EXPECT_FALSE(std::filesystem::exists(Root() / "CumulorTask0.cup"));
  WaypointRecord w;
  w.flags = 0x1000;
  AddOrReplaceUserWaypoint(w, "Only");
  ActiveTask().Append(TaskPoint{kPointUserWaypoint, 1});
  WriteFile("CumulorTask0.cup", "old");
  ce::files::FileSystemSeam::Get().FailCall(ce::files::FileCall::kWrite, ERROR_DISK_FULL);
  EXPECT_EQ(ExportTaskCup(), 0);
  EXPECT_EQ(ReadFile("CumulorTask0.cup"), "old");
  EXPECT_EQ(ExportTaskCup(), 1);
  EXPECT_NE(ReadFile("CumulorTask0.cup").find("\"Only\",,,0000.000N,00000.000E,0m,1,,,,,\r\n"), std::string::npos)
      << ReadFile("CumulorTask0.cup");
}

}  // namespace
}  // namespace cumulor
