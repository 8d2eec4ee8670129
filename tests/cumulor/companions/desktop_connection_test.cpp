// KVComDll through the desktop connection host, each a process, with the flight computer as a
// process: found by its class whatever its title shows, never started twice, messages forwarded
// with their results, a start from each of the three paths, and bad blocks refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "companions_fixture.h"
#include "platform/registry/registry.h"
#include "platform/shell/install.h"
#include "platform/text/utf.h"

namespace {

using namespace companions_test;
using Lines = std::vector<std::string>;

constexpr const char* kIdentified = "send result=0x00004384 output-size=0 output=none";
constexpr const char* kAnsweredZero = "send result=0x00000000 output-size=0 output=none";
constexpr const char* kInvalid = "send result=0x80070057 output-size=0 output=none";

class DesktopConnection : public CompanionsTest {};

// Running headless, also while it replays a flight (its title then shows the file): the flight
// computer is found, not started again, and answers the identify request; the install request runs
// the synchronisation; the E_ABORT update ends it through its shutdown, and messages sent while it
// ends are answered 0.
TEST_F(DesktopConnection, RunningFlightComputerIsFoundAnsweredAndClosed) {
  InstallAt(kPaths[1]);
  InstallProbeAt(kPaths[0]);  // a start would be noted here first
  HANDLE process = StartCumulor(u" /sx");
  ASSERT_NE(process, nullptr);
  const HWND window = FindWindowW(u"Cumulor", u"Cumulor");
  ASSERT_NE(window, nullptr);

  EXPECT_EQ(Desktop({"find", "start", "send", "1104", "2001", "0", "send-no-output", "1104", "2001", "0"}),
            (Lines{FindLine(window), "start 123", kIdentified, "send result=0x00004384"}));

  // The replay of a recorded flight (chosen by the scripted user) shows its path in the title.
  ASSERT_TRUE(PostMessageW(window, WM_USER + 50, 1182, 0));
  ASSERT_TRUE(WaitFor([] { return FindWindowW(u"Cumulor", u"Cumulor") == nullptr; })) << "title never changed";
  ASSERT_EQ(FindWindowW(u"Cumulor", nullptr), window);
  EXPECT_EQ(Desktop({"find", "start", "send", "1104", "2001", "0"}), (Lines{FindLine(window), "start 123", kIdentified}));

  // The install request: the desktop's list of user waypoint files replaces the selected one.
  std::ofstream(Docs("desk.dat")) << "D1,47:01.000N,011:01.000E,500,T,Desk,\r\n";
  {
    // Nine lists, categories 0 to 8: a 32-bit count, then entries {name, folder} of 64 wide
    // characters each and a handle slot.
    std::ofstream sync(device_folder() / "root" / "KVSync_Files.bin", std::ios::binary);
    const auto field = [&](std::u16string_view text) {
      char bytes[128] = {};
      for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
      }
      sync.write(bytes, sizeof(bytes));
    };
    for (int category = 0; category < 9; ++category) {
      const std::int32_t count = category == 1 ? 1 : 0;  // 1: the user waypoint files
      sync.write(reinterpret_cast<const char*>(&count), 4);
      if (count == 0) continue;
      field(u"desk.dat");
      field(u"\\My Documents");
      const std::int32_t handle = -1;
      sync.write(reinterpret_cast<const char*>(&handle), 4);
    }
  }
  EXPECT_EQ(Desktop({"send", "1104", "2000", "0x10"}), (Lines{kAnsweredZero}));

  // The end of input: the program closes through its shutdown (the settings document keeps the
  // synchronised list); what is sent while it ends is answered 0.
  EXPECT_EQ(Desktop({"send", "1102", "0", "0x80004004", "send", "1104", "2001", "0", "find"}),
            (Lines{kAnsweredZero, kAnsweredZero, "find window=0"}));
  EXPECT_EQ(ExitCode(process), 0u);
  EXPECT_NE(ReadText(Docs("KV_SETTINGS.xml")).find("desk.dat"), std::string::npos);
  EXPECT_EQ(FindWindowW(u"Cumulor", nullptr), nullptr);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(ProbeStarts().empty());
}

// With no flight computer running: a block of another size than 16 bytes is refused and nothing
// sent answers 0; "start" tries the three paths in order with " /sx" and says which case it met.
TEST_F(DesktopConnection, StartsTheFirstPresentPathAndRefusesBadBlocks) {
  EXPECT_EQ(Desktop({"find", "start", "send", "1104", "2001", "0", "send-size", "12", "1104", "2001", "0",
                     "send-size", "20", "1104", "2001", "0", "send-size", "0", "1104", "2001", "0",
                     "send-no-output", "1104", "2001", "0"}),
            (Lines{"find window=0", "start 0", kAnsweredZero, kInvalid, kInvalid, kInvalid, "send result=0x00000000"}));

  // Probes at the second and third paths: the second is started, once.
  InstallProbeAt(kPaths[1]);
  InstallProbeAt(kPaths[2]);
  EXPECT_EQ(Desktop({"start"}), (Lines{"start 456"}));
  ASSERT_TRUE(WaitFor([&] { return !ProbeStarts().empty(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(ProbeStarts(), (std::vector<std::string>{"\\Program Files\\Cumulor.exe| /sx"}));
  Remove(kPaths[1]);
  Remove(kPaths[2]);

  // The flight computer at the last path only: it comes up as a new process, a simulator without
  // the data-file chooser; then it is running, and found.
  InstallAt(kPaths[2]);
  const Lines started = Desktop({"start", "send", "1104", "2001", "0"});
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0], "start 456");
  // Sent while it starts: answered 0 before its window exists, else identified.
  EXPECT_TRUE(started[1] == kAnsweredZero || started[1] == kIdentified) << started[1];
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = FindWindowW(u"Cumulor", nullptr)) != nullptr; }));
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  EXPECT_TRUE(ProcessRuns(pid));
  EXPECT_EQ(CeCommandLine(pid), " /sx");
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(screenshot_); }));
  EXPECT_EQ(Desktop({"start", "find"}), (Lines{"start 123", FindLine(window)}));
}

// The flight computer reading a GPS (the demonstration flight played into its port) writes its
// flight log; the end of input from the desktop closes it through its shutdown: the log gets its G
// line last and the documents are saved.
TEST_F(DesktopConnection, EndOfInputClosesTheFlightLogWithItsGLine) {
  InstallAt(kPaths[1]);
  const std::string flight = (cumulor::FlightsFolder() / "Demo_Flight.igc").string();
  ce::testing::ChildProcess player(NMEAPLAYER_PATH, {NMEAPLAYER_PATH, "-r", "20", flight, "--pty"},
                                   ce::testing::ChildProcess::AtEnd::kTerminate);
  const auto slave = player.ReadLine();
  ASSERT_TRUE(slave.has_value());
  ASSERT_TRUE(ce::shell::SeedValue(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", u"COM1", ce::text::FromUtf8(*slave)));
  HANDLE process = StartCumulor(u"");
  ASSERT_NE(process, nullptr);

  std::filesystem::path log;
  ASSERT_TRUE(WaitFor([&] {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(Docs("Cumulor_IGC_Files"), error))
      if (ReadText(entry.path()).find("\nB") != std::string::npos) {
        log = entry.path();
        return true;
      }
    return false;
  })) << "no flight log with a fix";
  EXPECT_EQ(Desktop({"send", "1102", "0", "0x80004004"}), (Lines{kAnsweredZero}));
  EXPECT_EQ(ExitCode(process), 0u);

  std::string text = ReadText(log);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const auto last = text.rfind('\n');
  ASSERT_NE(last, std::string::npos);
  EXPECT_EQ(text[last + 1], 'G') << text.substr(last + 1);
  EXPECT_TRUE(std::filesystem::exists(Docs("KV_SETTINGS.xml")));
  EXPECT_TRUE(std::filesystem::exists(Docs("KV_TASKS.xml")));
}

}  // namespace
