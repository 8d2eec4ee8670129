// The install tool, run as its own process on a fresh device folder.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "cumulor/setup/CumulorInstall.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"
#include "velomar/data/DataInstall.h"

namespace {

class DeviceSetup : public ce::testing::DeviceTest {
 protected:
  // Runs the tool on the test's device; its output (stdout and stderr) and exit code.
  std::pair<int, std::string> Run(const std::string& args) {
    const std::string command =
        std::string(DEVICESETUP_PATH) + " --device '" + device_folder().string() + "' " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buf[512];
    while (pipe && std::fgets(buf, sizeof buf, pipe)) out += buf;
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
  }
  bool KeyExists(const char16_t* key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, 0, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  bool Mapped(const char16_t* program) {
    WCHAR host[MAX_PATH] = {};
    return SUCCEEDED(RegistryGetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", program, host, MAX_PATH));
  }
};

TEST_F(DeviceSetup, InstallsTheNamedSuitesOnly) {
  auto [code, out] = Run("velomar");
  ASSERT_EQ(code, 0) << out;
  EXPECT_NE(out.find("velomar: data files\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("cumulor"), std::string::npos) << out;
  EXPECT_TRUE(std::filesystem::is_regular_file(device_folder() / "root/Program Files/Velomar/traductions/english.xml"));
  EXPECT_TRUE(KeyExists(velomar::kSettingsKey));
  EXPECT_FALSE(KeyExists(cumulor::kRegistryKey));
  EXPECT_EQ(Mapped(velomar::kProgramPath), !velomar::HostProgram().empty());

  std::tie(code, out) = Run("");  // both
  ASSERT_EQ(code, 0) << out;
  EXPECT_TRUE(KeyExists(cumulor::kRegistryKey));
  EXPECT_EQ(Mapped(cumulor::kProgramPath), !cumulor::HostProgram().empty());
  EXPECT_NE(out.find(cumulor::HostProgram().empty() ? "not built yet" : "cumulor: program"), std::string::npos);
  // The device has a storage card, where the profiles are kept; a second run keeps it.
  EXPECT_TRUE(std::filesystem::is_directory(device_folder() / "root/Storage Card"));
  std::tie(code, out) = Run("cumulor");
  EXPECT_EQ(code, 0) << out;
}

TEST_F(DeviceSetup, VelomarGetsEveryDataStepAndNoDefaultDeviceIsMade) {
  // Run from a folder of its own: a "device" folder left there would be the default device made
  // before the tool took its --device.
  const std::filesystem::path cwd = device_folder().parent_path() / (device_folder().filename().string() + "-cwd");
  std::filesystem::create_directories(cwd);
  const std::string command = "cd '" + cwd.string() + "' && " + std::string(DEVICESETUP_PATH) + " --device '" +
                              device_folder().string() + "' velomar 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buf[512];
  while (pipe && std::fgets(buf, sizeof buf, pipe)) out += buf;
  const int status = pipe ? pclose(pipe) : -1;
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
  EXPECT_FALSE(std::filesystem::exists(cwd / "device")) << out;
  std::filesystem::remove_all(cwd);

  const std::filesystem::path root = device_folder() / "root";
  for (const char* file : {"Program Files/Velomar/traductions/log_dialog_en.txt", "Program Files/Velomar/changesQXT.txt",
                           "My Documents/My Ringtones/Velomar Chime.wav", "Windows/Rings/Classic Ring.wav",
                           "Windows/Velomar Blue.tsk", "Windows/Velomar Night.tsk"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(root / file)) << file;
  }
  WCHAR command_line[MAX_PATH] = {};
  EXPECT_TRUE(SUCCEEDED(
      RegistryGetString(HKEY_CLASSES_ROOT, u"\\tskfile\\Shell\\Open\\Command", nullptr, command_line, MAX_PATH)));
  EXPECT_EQ(std::u16string(command_line), u"ctlpnl.exe cplmain.cpl,23");
}

TEST_F(DeviceSetup, AnUnknownSuiteIsRefusedAndInstallsNothing) {
  auto [code, out] = Run("velomar today");
  EXPECT_EQ(code, 2);
  EXPECT_NE(out.find("usage: devicesetup"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(device_folder() / "root/Program Files/Velomar"));
}

}  // namespace
