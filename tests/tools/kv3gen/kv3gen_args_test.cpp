// kv3gen's command line: a mistaken option or number is refused (exit 2) and writes nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/testing/child_process.h"

namespace {

TEST(Kv3genArgs, MistakesAreRefusedAndWriteNothing) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("kv3gen-args-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string out = (folder / "map.kv3").string();
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"}, {"-"}, {out, "11", "47", "2", "x"}, {out, "11", "47", "-2", "2"}, {out, "1e3", "47", "2", "2"}};
  std::filesystem::current_path(folder);
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0] + (args.size() > 1 ? " " + args[4] : ""));
    std::vector<std::string> argv{KV3GEN_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    ce::testing::ChildProcess child(KV3GEN_PATH, argv);
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.Wait(), 2);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
  }
  ce::testing::ChildProcess good(KV3GEN_PATH, {KV3GEN_PATH, out});
  EXPECT_EQ(good.Wait(), 0);
  EXPECT_TRUE(std::filesystem::exists(out));
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(folder);
}

}  // namespace
