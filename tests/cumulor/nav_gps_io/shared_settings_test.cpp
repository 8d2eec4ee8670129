// Settings the UI changes while the GPS input thread parses sentences and writes the IGC log.
// Run under ThreadSanitizer (label "threads"): every such access must be atomic or locked.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "cumulor/app/app_context.h"
#include "cumulor/nav/igc/igc_log.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/nav_gps/nmea_test_util.h"

namespace {

using gps_test::WithChecksum;

class SharedSettings : public ce::testing::DeviceTest {};

std::string Rmc(int n) {
  char t[16];
  std::snprintf(t, sizeof t, "12%02d%02d", n / 60 % 60, n % 60);
  return WithChecksum(std::string("$GPRMC,") + t + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
}

TEST_F(SharedSettings, TheUiChangesSettingsWhileTheReaderParsesAndLogs) {
  for (const char* folder : {"a", "b"}) std::filesystem::create_directories(device_folder() / "root" / folder);
  gps_test::App a;
  a.app->igcLogging = 1;
  a.app->dataFolder.Set(u"\\a");
  std::atomic<bool> done{false};
  std::thread reader([&] {
    for (int i = 0; i < 400; ++i) a.Feed(Rmc(i));
    done = true;
  });
  for (int i = 0; !done; ++i) {
    a.gps.manualVariation = i % 21 - 10;
    a.gps.trueNorth = static_cast<std::uint8_t>(i % 2);
    a.app->trueNorth = i % 2;
    a.app->fixRate = 1 + i % 3;
    a.app->igcLogging = 1;
    a.app->dataFolder.Set(i % 2 ? u"\\a" : u"\\b");
    std::this_thread::yield();
  }
  reader.join();
  IgcLogClose(*a.app);

  // One log was opened, in one of the two folders, with B lines whatever the rate was.
  int logs = 0, b_lines = 0;
  for (const char* folder : {"a", "b"}) {
    const auto igc = device_folder() / "root" / folder / "Cumulor_IGC_Files";
    if (!std::filesystem::exists(igc)) continue;
    for (const auto& e : std::filesystem::directory_iterator(igc)) {
      ++logs;
      std::ifstream in(e.path());
      for (std::string line; std::getline(in, line);) b_lines += line.rfind('B', 0) == 0;
    }
  }
  EXPECT_EQ(logs, 1);
  EXPECT_GE(b_lines, 400 / 3 - 1);
  // The variation came from one of the settings the UI wrote, or is 0 for true north.
  const std::int32_t variation = cumulor::GetGpsStatus(a.gps).variation;
  EXPECT_TRUE(variation >= -10 && variation <= 10) << variation;
}

TEST(GuardedPath, AReaderSeesOnlyWholePaths) {
  cumulor::GuardedPath path;
  const std::u16string first(200, u'x'), second(120, u'y');
  path.Set(first.c_str());
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) path.Set(i % 2 ? first.c_str() : second.c_str());
    done = true;
  });
  int reads = 0;
  while (!done) {
    WCHAR copy[MAX_PATH];
    path.CopyTo(copy, MAX_PATH);
    const std::u16string seen(copy);
    ASSERT_TRUE(seen == first || seen == second) << seen.size();
    ++reads;
  }
  writer.join();
  EXPECT_GT(reads, 0);
  // Longer texts are cut to the path limit; short buffers get a terminated prefix.
  path.Set(std::u16string(400, u'z').c_str());
  EXPECT_EQ(path.Get().size(), std::size_t{MAX_PATH - 1});
  WCHAR small[4];
  path.CopyTo(small, 4);
  EXPECT_EQ(std::u16string(small), u"zzz");
}

}  // namespace
