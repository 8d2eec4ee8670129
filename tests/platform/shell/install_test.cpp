// A suite's install step: programs mapped to host executables, data files, setting seeds.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/shell/install.h"
#include "platform/shell/launch.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"

namespace {

using Installing = ce::testing::DeviceTest;

std::string Read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(Installing, AnInstalledProgramStartsAsAHostProcess) {
  const auto script = device_folder() / "host" / "prog.sh";
  std::filesystem::create_directories(script.parent_path());
  std::ofstream(script) << "#!/bin/sh\nprintf '%s' \"$CE_MODULE_PATH\" > \"$CE_DEVICE_DIR/started.txt\"\n";
  ::chmod(script.c_str(), 0755);

  ASSERT_TRUE(ce::shell::InstallHostProgram(u"\\Program Files\\Suite\\Prog.exe", script));
  EXPECT_TRUE(std::filesystem::is_regular_file(device_folder() / "root/Program Files/Suite/Prog.exe"));
  WCHAR host[MAX_PATH] = {};
  ASSERT_EQ(RegistryGetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", u"\\Program Files\\Suite\\Prog.exe", host,
                              MAX_PATH),
            S_OK);
  EXPECT_EQ(ce::text::ToUtf8(host), script.string());

  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(u"\\Program Files\\Suite\\Prog.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, nullptr, &pi));
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(Read(device_folder() / "started.txt"), "\\Program Files\\Suite\\Prog.exe");

  EXPECT_FALSE(ce::shell::InstallHostProgram(u"\\Program Files\\Suite\\Prog.exe", ""));  // no host program
}

TEST_F(Installing, DataFilesLandAtTheirDevicePathsReplacingOldOnes) {
  const auto source = device_folder() / "source";
  std::filesystem::create_directories(source / "themes" / "blue" / "qvga");
  std::ofstream(source / "themes" / "blue" / "qvga" / "skin.xml") << "<velomar/>";
  std::ofstream(source / "english.xml") << "new";
  std::filesystem::create_directories(device_folder() / "root/Program Files/Suite");
  std::ofstream(device_folder() / "root/Program Files/Suite/english.xml") << "old text";

  ASSERT_TRUE(ce::shell::InstallHostFiles(source, u"\\program files\\Suite"));
  EXPECT_EQ(Read(device_folder() / "root/Program Files/Suite/english.xml"), "new");
  EXPECT_EQ(Read(device_folder() / "root/Program Files/Suite/themes/blue/qvga/skin.xml"), "<velomar/>");
  EXPECT_TRUE(ce::shell::InstallHostFiles(source / "absent", u"\\Elsewhere"));
  EXPECT_FALSE(std::filesystem::exists(device_folder() / "root/Elsewhere"));
}

TEST_F(Installing, SeedsAreWrittenOnlyWhenAbsent) {
  ASSERT_TRUE(ce::shell::SeedKey(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Suite"));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Suite", 0, 0, &key), ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Suite", u"language", u"es"), S_OK);
  EXPECT_TRUE(ce::shell::SeedValue(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Suite", u"language", u"en"));
  EXPECT_TRUE(ce::shell::SeedValue(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Suite", u"theme", u"classic"));
  EXPECT_TRUE(ce::shell::SeedValue(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Other", u"count", 5));
  WCHAR text[32] = {};
  ASSERT_EQ(RegistryGetString(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Suite", u"language", text, 32), S_OK);
  EXPECT_EQ(std::u16string(text), u"es");  // the user's choice stays
  ASSERT_EQ(RegistryGetString(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Suite", u"theme", text, 32), S_OK);
  EXPECT_EQ(std::u16string(text), u"classic");
  DWORD count = 0;
  ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\Maker\\Other", u"count", &count), S_OK);
  EXPECT_EQ(count, 5u);
}

}  // namespace
