// The recorder exchanges end to end through "COM1:" against the emulators as processes behind
// pseudo-terminals, on the real clock: the Volkslogger directory, downloads and a declaration by
// the worker that the GPS input's recorder hook runs, and the Filser/LX device commands.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/nav/filser/lx_declaration.h"
#include "cumulor/nav/filser/lx_link.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/recorder/logger_session.h"
#include "cumulor/nav/recorder/recorder_hooks.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "tests/cumulor/app_core/app_fixture.h"
#include "tests/cumulor/nav_recorder/recording_view.h"
#include "tests/cumulor/nav_volkslogger/igc_file_check.h"
#include "tests/tools/vlemu/emulator_io.h"
#include "tools/lxemu/lx_emulator.h"

extern char** environ;

using namespace cumulor;
namespace fs = std::filesystem;

namespace {

// An emulator process; its first output line is the pseudo-terminal, mapped to "COM1".
class EmulatorProcess {
 public:
  explicit EmulatorProcess(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string line;
    char c = 0;
    pollfd fd{fds[0], POLLIN, 0};
    while (poll(&fd, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') line += c;
    close(fds[0]);
    if (!line.empty()) {
      RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", u"COM1", ce::text::FromUtf8(line).c_str());
      mapped_ = true;
    }
  }
  ~EmulatorProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool mapped() const { return mapped_; }

 private:
  pid_t pid_ = -1;
  bool mapped_ = false;
};

std::vector<std::uint8_t> FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class RecorderPty : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ce::kernel::RemoveManualClock();  // the link's waits and the port's time-outs run on the real clock
    fs::create_directories(device_folder() / "root" / "Data");
    app->gps.running = 1;
    app->gps.mode = 1;
    folder = fs::path(::testing::TempDir()) / ("recorder-pty-" + std::to_string(getpid()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    app->gps.running = 0;
    SerialClose(app->gps.port);
    fs::remove_all(folder);
    AppTest::TearDown();
  }
  fs::path folder;
};

TEST_F(RecorderPty, VolksloggerDownloadAndDeclarationThroughThePort) {
  const fs::path memory = folder / "vl-memory.bin";
  EmulatorProcess recorder({VLEMU_PATH, "-m", memory.string(), "-f", "2"});
  ASSERT_TRUE(recorder.mapped());
  LoggerSession& session = app->loggerSession;
  ASSERT_EQ(CreateLoggerSession(session, &app->gps, 3000, kDeclarationSectorHalf), 0);
  ASSERT_TRUE(AllocateLoggerBuffers(session));
  std::memcpy(session.dataFolder, u"\\Data", sizeof(u"\\Data"));
  recorder_test::RecordingView view;
  session.view = &view;
  session.run = 1;
  app->gps.recorderRequest = 1;
  std::thread reader([this] { RecorderExchange(app->gps); });

  SetEvent(session.events[kEventReadDirectory]);
  EXPECT_TRUE(view.WaitFor([&] { return view.directoryReads + view.directoryFailures > 0; }));
  ASSERT_EQ(view.directoryReads, 1);
  EXPECT_EQ(view.listed.size(), 2u);
  SetEvent(session.events[kEventDownloadAll]);
  EXPECT_TRUE(view.WaitFor([&] { return view.downloads == 1; }));
  for (const char* name : {"661A0831.IGC", "661A0832.IGC"}) {
    SCOPED_TRACE(name);
    const auto lines = igc_file_check::ReadLines(device_folder() / "root" / "Data" / "Logger_IGC_Files" / name);
    igc_file_check::CheckLines(lines);
  }

  SetEvent(session.events[kEventReadDeclaration]);
  EXPECT_TRUE(view.WaitFor([&] { return view.declarationReads == 1; }));
  const VlTaskPoint task[] = {{"ALPHA", 47.5, 8.25}, {"BRAVO", 46.0, -9.0}, {"CHARLY", -1.5, 8.0}};
  SetDeclarationTask(*session.declaration, task, 3, session.sectorKind, session.sectorRadius);
  SetEvent(session.events[kEventSendDeclaration]);
  EXPECT_TRUE(view.WaitFor([&] { return view.declarationsSent == 1; }));

  session.run = 0;
  SetEvent(session.events[kEventStop]);
  reader.join();
  EXPECT_FALSE(SerialIsOpen(app->gps.port));  // the exchange closed "COM1:"

  const auto records = vlemu_test::Records(FileBytes(memory));
  ASSERT_TRUE(records.count(49) && records.count(34));
  const auto turn = vlemu_test::DecodePoint(records.at(49));
  EXPECT_EQ(turn.name, "BRAVO ");
  EXPECT_NEAR(turn.longitude, -9.0, 1 / 60000.0);
  EXPECT_EQ(turn.large, 3000);
  EXPECT_NEAR(vlemu_test::DecodePoint(records.at(34)).latitude, -1.5, 1 / 60000.0);
}

TEST_F(RecorderPty, FilserDeclarationAndFlightThroughThePort) {
  const fs::path block = folder / "lx-block.bin";
  EmulatorProcess recorder({LXEMU_PATH, "-b", block.string()});
  ASSERT_TRUE(recorder.mapped());
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"RecorderPty";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, u"RecorderPty", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  app->gps.commandWindow = window;
  auto posted = [&] {
    std::vector<std::pair<int, int>> codes;
    MSG msg;
    while (PeekMessageW(&msg, window, WM_USER, WM_USER, PM_REMOVE))
      codes.emplace_back(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
    return codes;
  };

  RecorderDeviceCommand(app->gps, 1, window);
  EXPECT_EQ(posted().back(), std::make_pair(lxcode::kReadDone, 0));
  LxDeclaration d = LxDecodeDeclaration(app->loggerSession.lxBlock);
  EXPECT_STREQ(d.pilot, "LX PILOT");
  std::strcpy(d.pilot, "ANNA");
  LxEncodeDeclaration(d, app->loggerSession.lxBlock);
  RecorderDeviceCommand(app->gps, 2, window);
  EXPECT_EQ(posted().back(), std::make_pair(lxcode::kWriteDone, 0));
  EXPECT_EQ(lxemu::DecodeBlock(FileBytes(block)).pilot, "ANNA");
  RecorderDeviceCommand(app->gps, 3, window);
  EXPECT_EQ(posted().back(), std::make_pair(lxcode::kReadDone, 0));
  RecorderDeviceCommand(app->gps, kDeviceSessionEnd, window);
  EXPECT_FALSE(SerialIsOpen(app->gps.port));
  DestroyWindow(window);
  UnregisterClassW(u"RecorderPty", nullptr);
}

}  // namespace
