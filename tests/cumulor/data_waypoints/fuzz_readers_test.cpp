// Damaged input for the importers and the user-waypoint and synchronisation readers: each round
// mutates a valid seed (bytes changed, cut, repeated, long runs without separators) and runs the
// reader; the sanitizers catch any read past a field or buffer.
#include <gtest/gtest.h>

#include <random>

#include "cumulor/data/sync/desktop_sync.h"
#include "cumulor/data/waypoints/cup_import.h"
#include "cumulor/data/waypoints/strepla_import.h"
#include "cumulor/data/waypoints/user_waypoint_reader.h"
#include "cumulor/nav/gps/gps_port.h"
#include "waypoint_fixture.h"

namespace cumulor {
namespace {

std::string Mutate(std::string text, std::mt19937& random) {
  const char alphabet[] = ",\"\r\n-:.*=}{ NSEWFmp0123456789\xFF";
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int e = 0; e < edits && !text.empty(); ++e) {
    const std::size_t at = random() % text.size();
    switch (random() % 5) {
      case 0: text[at] = alphabet[random() % (sizeof alphabet - 1)]; break;
      case 1: text.erase(at, random() % 16); break;
      case 2: text.insert(at, text.substr(at, random() % 64)); break;
      case 3: text.insert(at, std::string(random() % 600, static_cast<char>('A' + random() % 26))); break;
      default: text.resize(at); break;
    }
  }
  return text;
}

class FuzzReaders : public WaypointTest {};

TEST_F(FuzzReaders, DamagedFilesNeverReadPastTheirData) {
  const std::string cup =
      "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n"
      "\"Alpha\",,DE,4807.123N,01138.456E,500m,2,,,122.500,desc\r\n"
      "\"B\",BB,,4810.000S,01110.000W,1500ft,1,,,,\r\nC,,,0000.000N,00000.000E,NoneNone,7,,,,\r\n"
      "-----Related Tasks-----\r\n\"t\",\"\",\"Alpha\",\"???\",\"B\",\"\"\r\nOptions\r\n\"u\",\"B\",\"C\",\"Alpha\"\r\n";
  const std::string strepla =
      "point 1 AAA\r\n  elevation = 500\r\n  latitude = N48:07.12\r\n  longitude = E011:38.4\r\n  name = \"Alpha\"\r\n"
      "  type = airport\r\n  runways = {\r\n  }\r\n}\r\npoint 2 BBB\r\n  name = \"Beta\r\n}\r\n"
      "route 1\r\n  name = 1\r\n  start = 1\r\n  waypoint = 2\r\n  target = 2\r\n}\r\nroute 2\r\n  start = 0\r\n}\r\n";
  const std::string user =
      "A,48:00.000N,011:00.000E,1F,T,First,c *Z100\r\n* comment\r\nB,47:00:30S,010:00.5W,100,AHI,Second,x\r\n";
  std::string sync;
  for (int c = 0; c < 9; ++c) {
    const std::int32_t count = c % 3;
    sync.append(reinterpret_cast<const char*>(&count), 4);
    for (int e = 0; e < count; ++e) sync += std::string(256, static_cast<char>(c == 4 ? 'x' : 0)) + std::string(4, '\xFF');
  }
  SyncHooksInstalled() = SyncHooks{};
  GpsPort gps;
  std::mt19937 random(20261210);
  for (int round = 0; round < 250; ++round) {
    SCOPED_TRACE(round);
    WriteFile("f.cup", Mutate(cup, random));
    ImportSeeYou(u"\\f.cup");
    WriteFile("f.ste", Mutate(strepla, random));
    if (ImportStrePla(u"\\f.ste") == 1) {
      for (const TaskPoint& p : ActiveTask()) ASSERT_TRUE(p.index >= 1 && p.index < UserWaypoints().records.Size());
    }
    WriteFile("Data/u.dat", Mutate(user, random));
    SelectedDataFiles()[kFilesUserWaypoints].selected.SetSize(0);
    SetDataFileName(kFilesUserWaypoints, u"u.dat");
    LoadUserWaypoints(gps, nullptr);
    WriteFile("KVSync_Files.bin", Mutate(sync, random));
    SynchronizeFiles(0x7F);
    ASSERT_EQ(UserWaypoints().records.Size(), UserWaypoints().names.Size());
  }
}

}  // namespace
}  // namespace cumulor
