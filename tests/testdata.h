// The real test data that lies beside the project (../shared/testdata, one folder per kind: cup,
// igc, nmea-gpsd, openair, shape), as CMake found it at configure time. It is never copied into
// the project; a test that needs a kind skips, saying where it looked, when that folder is absent.
#pragma once

#include <filesystem>
#include <string_view>

namespace test_data {

// The folder of one kind of test data ("nmea-gpsd").
inline std::filesystem::path Folder(std::string_view kind) { return std::filesystem::path(TESTDATA_DIR) / kind; }

}  // namespace test_data

// Ends the test as skipped, with a message, when the test data folder is absent.
#define SKIP_WITHOUT_TEST_DATA(folder)                                                              \
  if (!std::filesystem::is_directory(folder))                                                       \
  GTEST_SKIP() << "test data not found: " << (folder).string()                                      \
               << " (looked for beside the project; configure with -DTESTDATA_DIR=<folder> to point elsewhere)"
