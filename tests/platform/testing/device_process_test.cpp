// Programs started as processes by tests: the real-time limits hold while the test's own clock
// stands still, exit codes and both outputs come back.
#include "platform/testing/device_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kernel/last_error.h"
#include "platform/shell/install.h"
#include "platform/testing/device_test.h"

namespace {

class DeviceProcessTest : public ce::testing::DeviceTest {
 protected:
  std::filesystem::path Script(const char* name, const std::string& body) {
    const auto file = device_folder() / name;
    std::ofstream(file) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    return file;
  }
};

TEST_F(DeviceProcessTest, WaitsForTheEndInRealTimeAndGivesTheExitCode) {
  const char16_t* const path = u"\\Windows\\late.exe";
  ASSERT_TRUE(ce::shell::InstallHostProgram(path, Script("late.sh", "sleep 1\nexit 7\n")));
  PROCESS_INFORMATION info = ce::testing::StartDeviceProgram(path, u"");
  ASSERT_NE(info.hProcess, nullptr);
  // The test's clock does not move: a limit on it would never pass.
  EXPECT_EQ(ce::testing::WaitForExit(info.hProcess, 100), -1);
  EXPECT_EQ(ce::testing::WaitForExit(info.hProcess, 30000), 7);
  ce::testing::CloseProcessHandles(info);
  EXPECT_EQ(info.hProcess, nullptr);

  EXPECT_EQ(ce::testing::RunDeviceProgram(path, u""), 7);
  EXPECT_EQ(ce::testing::RunDeviceProgram(u"\\Windows\\missing.exe", u""), -1);
  EXPECT_EQ(ce::testing::StartDeviceProgram(u"\\Windows\\missing.exe", u"").hProcess, nullptr);
}

// A program a test leaves hung is killed after the test, one that ends by itself is left alone.
TEST_F(DeviceProcessTest, ProgramsLeftRunningAfterATestAreEnded) {
  ASSERT_TRUE(ce::shell::InstallHostProgram(u"\\Windows\\hung.exe", Script("hung.sh", "exec sleep 300\n")));
  ASSERT_TRUE(ce::shell::InstallHostProgram(u"\\Windows\\quick.exe", Script("quick.sh", "exit 0\n")));
  PROCESS_INFORMATION hung = ce::testing::StartDeviceProgram(u"\\Windows\\hung.exe", u"");
  PROCESS_INFORMATION quick = ce::testing::StartDeviceProgram(u"\\Windows\\quick.exe", u"");
  ASSERT_NE(hung.hProcess, nullptr);
  ASSERT_NE(quick.hProcess, nullptr);
  EXPECT_EQ(ce::testing::EndProgramsLeftRunning(300), 1);
  EXPECT_FALSE(ce::testing::ProcessRuns(hung.dwProcessId));
  EXPECT_EQ(ce::testing::EndProgramsLeftRunning(300), 0);  // each program is looked at once
  ce::testing::CloseProcessHandles(hung);
  ce::testing::CloseProcessHandles(quick);
}

TEST_F(DeviceProcessTest, AToolGetsTheDeviceFolderAndGivesBothOutputs) {
  const auto tool = Script("tool.sh", "echo \"$@\"\necho oops >&2\nexit 3\n").string();
  const ce::testing::ToolRun run = ce::testing::RunDeviceTool(tool, device_folder(), {"a", "b c"}, true);
  EXPECT_EQ(run.code, 3);
  EXPECT_EQ(run.out, "--device " + device_folder().string() + " a b c\n");
  EXPECT_EQ(run.err, "oops\n");
  EXPECT_EQ(ce::testing::RunDeviceTool("/nonexistent/tool", device_folder(), {}).code, -1);

  auto running = ce::testing::StartDeviceToolWithOutput(tool, device_folder(), {"x"});
  ASSERT_TRUE(running->started());
  EXPECT_EQ(running->ReadLine(), "--device " + device_folder().string() + " x");
  EXPECT_EQ(running->Wait(), 3);
}

TEST_F(DeviceProcessTest, WindowWaitsEndAtTheirLimit) {
  EXPECT_FALSE(ce::testing::WaitForWindow(u"NoSuchWindowClass", true, 50));
  EXPECT_TRUE(ce::testing::WaitForWindow(u"NoSuchWindowClass", false, 50));
  EXPECT_FALSE(ce::testing::WaitUntil([] { return false; }, 30));
}

}  // namespace
