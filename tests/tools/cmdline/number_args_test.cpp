// Numbers and folders on the tools' command lines: a value that is not a whole number, is out of
// range or names a folder that is not there ends the program with exit code 2 and a line naming
// the option, before anything runs; sound values still start the emulators.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/testing/child_process.h"

namespace {

struct Case {
  const char* program;
  std::vector<std::string> args;
};

TEST(ToolNumberArgs, BadValuesExitTwoWithoutRunning) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tool-args-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string missing = (folder / "no" / "such").string();
  const Case cases[] = {
      {VLEMU_PATH, {"-f", "abc"}},
      {VLEMU_PATH, {"-f", "-3"}},
      {VLEMU_PATH, {"-f", "100000"}},
      {VLEMU_PATH, {"-f", "2x"}},
      {VLEMU_PATH, {"-f", ""}},
      {VLEMU_PATH, {"--crc-errors", "-1"}},
      {VLEMU_PATH, {"--slow", "1e3"}},
      {VLEMU_PATH, {"--unplug-after", "99999999999999999999"}},
      {VLEMU_PATH, {"-m", missing + "/memory.bin"}},
      {LXEMU_PATH, {"--slow", "-5"}},
      {LXEMU_PATH, {"--crc-errors", "ten"}},
      {LXEMU_PATH, {"--unplug-after", " 5"}},
      {LXEMU_PATH, {"-b", missing + "/block.bin"}},
      {FLIGHTDEMO_PATH, {"--seconds", "0"}},
      {FLIGHTDEMO_PATH, {"--seconds", "60s"}},
      {FLIGHTDEMO_PATH, {"--rate", "-2"}},
      {FLIGHTDEMO_PATH, {"--rate", "fast"}},
      {FLIGHTDEMO_PATH, {"--rate", "99999999"}},
      {FLIGHTDEMO_PATH, {"--device", missing + "/device"}},
      {FLIGHTDEMO_PATH, {"--out", missing}},
      {FLIGHTDEMO_PATH, {"--flight", missing + "/flight.igc"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv{c.program};
    // The demonstration writes below the current folder unless told otherwise (a later --out wins).
    if (c.program == std::string(FLIGHTDEMO_PATH)) argv.insert(argv.end(), {"--out", (folder / "out").string()});
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(std::filesystem::path(c.program).filename().string() + " " + c.args[0] + " '" + c.args[1] + "'");
    ce::testing::ChildProcess child(c.program, argv, ce::testing::ChildProcess::AtEnd::kTerminate);
    ASSERT_TRUE(child.started());
    // A refused value prints no terminal path (the emulators) and installs nothing (the demonstration).
    EXPECT_FALSE(child.ReadLine(20000).has_value());
    EXPECT_EQ(child.Wait(), 2);
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "no"));
  EXPECT_FALSE(std::filesystem::exists(folder / "out"));

  // Sound values: each emulator opens its terminal and says where.
  const Case good[] = {{VLEMU_PATH, {"-f", "3", "--slow", "0", "-m", (folder / "memory.bin").string()}},
                       {LXEMU_PATH, {"--crc-errors", "2", "--unplug-after", "300", "-b", (folder / "block.bin").string()}}};
  for (const Case& c : good) {
    std::vector<std::string> argv{c.program};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ce::testing::ChildProcess child(c.program, argv, ce::testing::ChildProcess::AtEnd::kTerminate);
    const auto line = child.ReadLine(20000);
    ASSERT_TRUE(line.has_value()) << c.program;
    EXPECT_EQ(line->rfind("/dev/pts/", 0), 0u) << *line;
    child.Kill();
    child.Wait();
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
