// Starting programs (on the host, the device's own, recorded) and opening documents.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/shell/launch_seam.h"
#include "platform/testing/device_test.h"
#include "platform/text/utf.h"

namespace {

class Launching : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ce::shell::ClearRecordedLaunches();
  }
  void TearDown() override {
    ce::shell::RegisterDeviceProgram(u"\\Windows\\ctlpnl.exe", nullptr);
    DeviceTest::TearDown();
  }
  std::filesystem::path Put(const std::string& ce_relative, const std::string& bytes = "placeholder") {
    const auto path = device_folder() / "root" / ce_relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(Launching, SystemProgramRunsOnTheHost) {
  Put("Program Files/Cumulor/Cumulor.exe");
  const auto script = device_folder() / "host" / "cumulor.sh";
  std::filesystem::create_directories(script.parent_path());
  std::ofstream(script) << "#!/bin/sh\nprintf '%s|%s' \"$CE_MODULE_PATH\" \"$1\" > \"$CE_DEVICE_DIR/started.txt\"\nexit 7\n";
  ::chmod(script.c_str(), 0755);
  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", u"\\Program Files\\Cumulor\\Cumulor.exe",
                              ce::text::FromUtf8(script.string()).c_str()),
            S_OK);

  std::u16string args = u"-task \"a b\"";
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(u"\\program files\\cumulor\\CUMULOR.EXE", args.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, nullptr, &pi))
      << GetLastError();
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(Read(device_folder() / "started.txt"), "\\program files\\cumulor\\CUMULOR.EXE|-task \"a b\"");
  EXPECT_TRUE(CloseHandle(pi.hThread));
  EXPECT_TRUE(CloseHandle(pi.hProcess));
  const auto launches = ce::shell::RecordedLaunches();
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_TRUE(launches[0].on_host);
  char arg0[] = "prog", arg1[] = "-task \"a b\"";
  char* argv[] = {arg0, arg1};
  EXPECT_EQ(ce::shell::LaunchedCommandLine(2, argv), u"-task \"a b\"");
  EXPECT_EQ(ce::shell::LaunchedCommandLine(1, argv), u"");
}

TEST_F(Launching, TerminateProcessEndsAHostProgramWithTheGivenCode) {
  Put("Windows/waiter.exe");
  const auto script = device_folder() / "host" / "waiter.sh";
  std::filesystem::create_directories(script.parent_path());
  std::ofstream(script) << "#!/bin/sh\nexec sleep 60\n";
  ::chmod(script.c_str(), 0755);
  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", u"\\Windows\\waiter.exe",
                              ce::text::FromUtf8(script.string()).c_str()),
            S_OK);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(u"\\Windows\\waiter.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                             &pi));
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  ASSERT_TRUE(TerminateProcess(pi.hProcess, 3));
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(TerminateProcess(pi.hProcess, 4));  // already ended: the first code stays
  ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
  EXPECT_EQ(code, 3u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_FALSE(TerminateProcess(pi.hProcess, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Launching, DeviceProgramsAreRecordedNeverRun) {
  Put("Program Files/Other/Tool.exe");
  struct Case {
    const char16_t* program;
    const char16_t* args;
    BOOL ok;
    DWORD error;
    const char16_t* recorded;
  } cases[] = {
      {u"ctlpnl.exe", u"cplmain.cpl,23", TRUE, 0, u"\\Windows\\ctlpnl.exe"},
      {u"\\windows\\CommApplet.exe", u"", TRUE, 0, u"\\windows\\CommApplet.exe"},
      {u"\\Program Files\\Other\\Tool.exe", u"x", TRUE, 0, u"\\Program Files\\Other\\Tool.exe"},  // unmapped
      {u"\\Program Files\\Cumulor\\Cumulor.exe", u"", FALSE, ERROR_PATH_NOT_FOUND, nullptr},
      {u"\\Program Files\\Other\\Missing.exe", u"", FALSE, ERROR_FILE_NOT_FOUND, nullptr},
      {u"\\Program Files\\Other", u"", FALSE, ERROR_FILE_NOT_FOUND, nullptr},  // "Other.exe"
  };
  for (const Case& c : cases) {
    std::u16string args = c.args;
    PROCESS_INFORMATION pi{};
    EXPECT_EQ(CreateProcessW(c.program, args.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi), c.ok)
        << ce::text::ToUtf8(c.program);
    if (!c.ok) {
      EXPECT_EQ(GetLastError(), c.error) << ce::text::ToUtf8(c.program);
      continue;
    }
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_OBJECT_0);
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const auto launches = ce::shell::RecordedLaunches();
    ASSERT_FALSE(launches.empty());
    EXPECT_EQ(launches.back().program, c.recorded);
    EXPECT_EQ(launches.back().command_line, c.args);
    EXPECT_FALSE(launches.back().on_host);
  }
  EXPECT_EQ(ce::shell::RecordedLaunches().size(), 3u);

  // A forced failure and a device program's own handler.
  ce::shell::FailNextLaunch(ERROR_ACCESS_DENIED);
  EXPECT_FALSE(CreateProcessW(u"ctlpnl.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  std::u16string seen;
  ce::shell::RegisterDeviceProgram(u"ctlpnl.exe", [&](std::u16string_view a) {
    seen = a;
    return a == u"bad" ? static_cast<DWORD>(ERROR_GEN_FAILURE) : 0u;
  });
  std::u16string args = u"cplmain.cpl,6";
  EXPECT_TRUE(CreateProcessW(u"ctlpnl.exe", args.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(seen, u"cplmain.cpl,6");
  args = u"bad";
  EXPECT_FALSE(CreateProcessW(u"ctlpnl.exe", args.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
}

TEST_F(Launching, DocumentsOpenThroughTheirAssociation) {
  Put("Windows/pword.exe");
  Put("My Documents/note.txt", "hello");
  Put("My Documents/data.xyz", "?");
  ASSERT_EQ(RegistrySetString(HKEY_CLASSES_ROOT, u"\\.txt", nullptr, u"txtfile"), S_OK);
  ASSERT_EQ(RegistrySetString(HKEY_CLASSES_ROOT, u"\\txtfile\\Shell\\Open\\Command", nullptr,
                              u"\"\\Windows\\pword.exe\" -opendoc %1"),
            S_OK);
  struct Case {
    const char16_t* file;
    const char16_t* verb;
    BOOL ok;
    DWORD error;
    int inst;
  } cases[] = {
      {u"\\My Documents\\note.txt", u"Open", TRUE, 0, 33},
      {u"\\my documents\\NOTE.TXT", nullptr, TRUE, 0, 33},
      {u"\\My Documents\\note.txt", u"print", FALSE, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC},
      {u"\\My Documents\\data.xyz", u"Open", FALSE, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC},
      {u"\\My Documents\\gone.txt", u"Open", FALSE, ERROR_FILE_NOT_FOUND, SE_ERR_FNF},
      {u"\\Nowhere\\gone.txt", u"Open", FALSE, ERROR_PATH_NOT_FOUND, SE_ERR_PNF},
  };
  for (const Case& c : cases) {
    SHELLEXECUTEINFO sei{};
    sei.cbSize = sizeof sei;
    sei.lpVerb = c.verb;
    sei.lpFile = c.file;
    sei.nShow = SW_SHOWNORMAL;
    EXPECT_EQ(ShellExecuteExW(&sei), c.ok) << ce::text::ToUtf8(c.file);
    if (!c.ok) {
      EXPECT_EQ(GetLastError(), c.error) << ce::text::ToUtf8(c.file);
    }
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(sei.hInstApp), static_cast<std::uintptr_t>(c.inst));
    EXPECT_EQ(sei.hProcess, nullptr);
  }
  const auto launches = ce::shell::RecordedLaunches();
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[0].program, u"\\Windows\\pword.exe");
  EXPECT_EQ(launches[0].command_line, u"-opendoc \\My Documents\\note.txt");
  EXPECT_EQ(launches[0].document, u"\\My Documents\\note.txt");
  EXPECT_EQ(launches[1].verb, u"Open");

  // A program with its parameters, keeping its process handle.
  SHELLEXECUTEINFO sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_NOCLOSEPROCESS;
  sei.lpFile = u"\\Windows\\pword.exe";
  sei.lpParameters = u"-new";
  ASSERT_TRUE(ShellExecuteExW(&sei));
  ASSERT_NE(sei.hProcess, nullptr);
  EXPECT_EQ(WaitForSingleObject(sei.hProcess, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(sei.hProcess));
  EXPECT_EQ(ce::shell::RecordedLaunches().back().command_line, u"-new");
  SHELLEXECUTEINFO bad{};
  EXPECT_FALSE(ShellExecuteExW(&bad));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
