// The scripted user's record as a file ($CE_USER_RECORD), read by a test in another process.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/scripted/scripted_user.h"

using namespace ce::scripted;

TEST(RecordFile, EveryThingShownAndItsAnswerIsAppendedAsALine) {
  const auto file = std::filesystem::temp_directory_path() / ("record_" + std::to_string(::getpid()) + ".txt");
  std::filesystem::remove(file);
  ::setenv("CE_USER_RECORD", file.c_str(), 1);
  User::Get().Reset();
  const auto box = User::Get().Begin({Kind::kBox, u"Velomar", {u"Say \"yes\"\\now\nplease", u"Yes", u"No"}});
  const auto menu = User::Get().Begin({Kind::kMenu, u"", {u"Wi-Fi \u00e9"}});
  User::Get().Finish(menu, 0, false);
  User::Get().Finish(box, 6, true);
  ::unsetenv("CE_USER_RECORD");
  User::Get().Begin({Kind::kBox, u"not recorded", {}});
  User::Get().Reset();

  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::filesystem::remove(file);
  const std::vector<std::string> expected = {
      R"(shown box "Velomar" "Say \"yes\"\\now\x0Aplease" "Yes" "No")",
      "shown menu \"\" \"Wi-Fi \xc3\xa9\"",
      R"(answered menu "" 0 default)",
      R"(answered box "Velomar" 6 scripted)",
  };
  EXPECT_EQ(lines, expected);
}
