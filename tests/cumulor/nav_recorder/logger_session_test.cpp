// The recorder session's worker on its own thread, driven by the dialogs' events, against the
// Volkslogger emulator in process: directory, downloads into the data folder and the card, the
// declaration read and sent, and the recorder's faults, each ending in bounded time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/nav/recorder/logger_session.h"
#include "platform/files/file_system_seam.h"
#include "platform/kernel/sync.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/nav_recorder/recording_view.h"
#include "tests/cumulor/nav_volkslogger/igc_file_check.h"
#include "tests/tools/vlemu/emulator_io.h"

namespace {

using namespace cumulor;
namespace fs = std::filesystem;

using recorder_test::RecordingView;

class LoggerSessionTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    fs::create_directories(device_folder() / "root" / "Data");
    NewSession();
  }
  // A fresh session and recorder with three flights (the second without takeoff).
  void NewSession() {
    ASSERT_EQ(CreateLoggerSession(session, nullptr, 500, kDeclarationSectorFull), 0);
    ASSERT_TRUE(AllocateLoggerBuffers(session));
    std::memcpy(session.dataFolder, u"\\Data", sizeof(u"\\Data"));
    std::memcpy(session.cardFolder, u"\\Storage Card", sizeof(u"\\Storage Card"));
    session.view = &view;
    session.run = 1;
    recorder.AddFlight(vlemu::MakeFlight(80, 2850000, 495000, 1));
    vlemu::GenFlight ground = vlemu::MakeFlight(30, 2850000, 495000, 2);
    ground.takeoffEvent = false;  // a flight without takeoff: not listed, not downloaded
    recorder.AddFlight(ground);
    recorder.AddFlight(vlemu::MakeFlight(120, -2000000, -300, 3));
  }
  void TearDown() override {
    Stop();
    ce::files::FileSystemSeam::Get().Reset();
    DestroyLoggerSession(session);
    DeviceTest::TearDown();
  }
  void Start() {
    worker = std::thread([this] { result = RunLoggerDownload(session, io); });
  }
  void Stop() {
    if (!worker.joinable()) return;
    session.run = 0;
    SetEvent(session.events[kEventStop]);
    worker.join();
  }
  void Request(LoggerEvent event) { SetEvent(session.events[event]); }
  void WithRecorder(const std::function<void(vlemu::VlEmulator&)>& change) {
    std::lock_guard<std::mutex> hold(io.lock());
    change(recorder);
  }
  fs::path Downloaded(const std::u16string& name) {
    return device_folder() / "root" / "Data" / "Logger_IGC_Files" / fs::path(name);
  }

  vlemu::VlEmulator recorder;
  vlemu_test::EmulatorIo io{recorder};
  LoggerSession session;
  RecordingView view;
  std::thread worker;
  HRESULT result = 1;  // not returned yet
};

TEST_F(LoggerSessionTest, DirectoryThenDownloadAllWritesEachTakeoffFlightAndCopiesItToTheCard) {
  fs::create_directories(device_folder() / "root" / "Storage Card");
  session.copyToCard = 1;
  Start();
  Request(kEventReadDirectory);
  ASSERT_TRUE(view.WaitFor([&] { return view.directoryReads == 1 && view.texts.back() == u"Ready"; }));
  ASSERT_EQ(view.listed, (std::vector<std::u16string>{u"661A0831.IGC", u"661A0833.IGC"}));

  Request(kEventDownloadAll);
  ASSERT_TRUE(view.WaitFor([&] { return view.downloads == 1; }));
  EXPECT_EQ(view.Count(u"Files Downloaded OK!"), 1);
  EXPECT_EQ(view.Count(u"Copy OK"), 2);
  EXPECT_EQ(WaitForSingleObject(session.events[kEventDownloadAll], 0), static_cast<DWORD>(WAIT_TIMEOUT));
  for (const std::u16string name : {u"661A0831.IGC", u"661A0833.IGC"}) {
    SCOPED_TRACE(fs::path(name).string());
    const auto lines = igc_file_check::ReadLines(Downloaded(name));
    igc_file_check::CheckLines(lines);
    EXPECT_TRUE(fs::exists(device_folder() / "root" / "Storage Card" / fs::path(name)));
  }
  EXPECT_FALSE(fs::exists(Downloaded(u"661A0832.IGC")));

  Stop();
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(FreeBuffersAfterExchange(session, std::chrono::milliseconds(0)));
  EXPECT_EQ(session.flight, nullptr);
}

TEST_F(LoggerSessionTest, WithoutCardFlagTheFlightsStayInTheDataFolder) {
  fs::create_directories(device_folder() / "root" / "Storage Card");
  session.copyToCard = 0;
  Start();
  Request(kEventReadDirectory);
  ASSERT_TRUE(view.WaitFor([&] { return view.directoryReads == 1; }));
  Request(kEventDownloadAll);
  ASSERT_TRUE(view.WaitFor([&] { return view.downloads == 1; }));
  EXPECT_TRUE(view.Shown(u"661A0833.IGC download OK"));
  EXPECT_TRUE(fs::exists(Downloaded(u"661A0831.IGC")));
  EXPECT_TRUE(fs::is_empty(device_folder() / "root" / "Storage Card"));
}

TEST_F(LoggerSessionTest, ADownloadThatCannotBeWrittenWholeLeavesNoCutFileAndKeepsAnEarlierOne) {
  session.copyToCard = 0;
  fs::create_directories(Downloaded(u"").parent_path());
  std::ofstream(Downloaded(u"661A0831.IGC"), std::ios::binary) << "an earlier download\r\n";
  std::ofstream(Downloaded(u"661A0833.IGC.tmp"), std::ios::binary) << "left by a stopped program";
  // The disk fills a few kilobytes into the first flight.
  ce::files::FileSystemSeam::Get().SetRoomLeft(3000);
  Start();
  Request(kEventReadDirectory);
  ASSERT_TRUE(view.WaitFor([&] { return view.directoryReads == 1; }));
  Request(kEventDownloadAll);
  ASSERT_TRUE(view.WaitFor([&] { return std::count(view.texts.begin(), view.texts.end(), u"Download ERROR!") >= 2; }));
  std::ifstream earlier(Downloaded(u"661A0831.IGC"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "an earlier download\r\n");
  EXPECT_FALSE(fs::exists(Downloaded(u"661A0833.IGC.tmp")));

  // Room again: the retried flights arrive whole, and nothing is left beside them.
  ce::files::FileSystemSeam::Get().SetRoomLeft(std::nullopt);
  ASSERT_TRUE(view.WaitFor([&] { return view.downloads == 1; }));
  for (const std::u16string name : {u"661A0831.IGC", u"661A0833.IGC"}) {
    SCOPED_TRACE(fs::path(name).string());
    igc_file_check::CheckLines(igc_file_check::ReadLines(Downloaded(name)));
  }
  for (const auto& entry : fs::directory_iterator(Downloaded(u"").parent_path()))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(LoggerSessionTest, NoRecorderClosesTheDialog) {
  WithRecorder([](vlemu::VlEmulator& r) { r.faults.silent = true; });
  Start();
  Request(kEventReadDirectory);
  ASSERT_TRUE(view.WaitFor([&] { return view.directoryFailures == 1; }));
  EXPECT_EQ(view.directoryReads, 0);
}

TEST_F(LoggerSessionTest, ACrcErrorIsRetriedAndTheFlightArrives) {
  Start();
  Request(kEventReadDirectory);
  ASSERT_TRUE(view.WaitFor([&] { return view.directoryReads == 1; }));
  WithRecorder([](vlemu::VlEmulator& r) { r.faults.crcErrors = 1; });
  Request(kEventDownloadAll);
  ASSERT_TRUE(view.WaitFor([&] { return view.downloads == 1; }));
  EXPECT_EQ(view.Count(u"Download ERROR!"), 1);
  EXPECT_TRUE(fs::exists(Downloaded(u"661A0831.IGC")));
}

// Faults that never clear: "Download ERROR!" is shown and retried, never "download OK", and the
// stop ends the retries; no incomplete file stays.
TEST_F(LoggerSessionTest, LastingFaultsShowDownloadErrorUntilStopped) {
  const struct {
    const char* name;
    std::function<void(vlemu::VlEmulator&)> fault;
  } cases[] = {
      {"unplugged mid-block", [](vlemu::VlEmulator& r) { r.faults.unplugAfter = 300; }},
      {"oversized flight", [](vlemu::VlEmulator& r) { r.faults.oversizeFlight = true; }},
      {"full card", [](vlemu::VlEmulator&) { ce::files::FileSystemSeam::Get().SetDiskFull(true); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Stop();
    ce::files::FileSystemSeam::Get().Reset();
    DestroyLoggerSession(session);
    view.texts.clear();
    view.directoryReads = view.downloads = 0;
    io.Purge();
    recorder = vlemu::VlEmulator();
    NewSession();
    Start();
    Request(kEventReadDirectory);
    ASSERT_TRUE(view.WaitFor([&] { return view.directoryReads == 1; }));
    WithRecorder(c.fault);
    Request(kEventDownloadAll);
    ASSERT_TRUE(view.WaitFor([&] {
      int errors = 0;
      for (const auto& t : view.texts) errors += t == u"Download ERROR!";
      return errors >= 3;
    }));
    Stop();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(view.Shown(u"download OK"));
    EXPECT_EQ(view.downloads, 0);
    EXPECT_FALSE(fs::exists(Downloaded(u"661A0831.IGC")));
  }
}

TEST_F(LoggerSessionTest, DeclarationReadKeepsTheLaterRecordAndSendWritesTheTask) {
  // Two pilot records with one id in the recorder's memory: the later one is read.
  WithRecorder([](vlemu::VlEmulator& r) {
    vlemu::Bytes& m = r.memory();
    const char first[] = "OLD PILOT", later[] = "NEW PILOT";
    std::size_t at = 12288;
    for (const char* text : {first, later}) {
      m[at] = 2 + 17;
      m[at + 1] = 1;
      std::memset(&m[at + 2], 0, 17);
      std::memcpy(&m[at + 2], text, std::strlen(text));
      at += 19;
    }
  });
  Start();
  Request(kEventReadDeclaration);
  ASSERT_TRUE(view.WaitFor([&] { return view.declarationReads == 1; }));
  EXPECT_STREQ(view.read.pilot, "NEW PILOT");
  EXPECT_EQ(WaitForSingleObject(session.events[kEventReadDeclaration], 0), static_cast<DWORD>(WAIT_TIMEOUT));

  const VlTaskPoint task[] = {{"START", 47.5, 8.25}, {"TURN", 46.0, 9.0}, {"GOAL", 47.0, 8.0}};
  SetDeclarationTask(*session.declaration, task, 3, session.sectorKind, session.sectorRadius);
  std::strcpy(session.declaration->registration, "D-KAXY");
  Request(kEventSendDeclaration);
  ASSERT_TRUE(view.WaitFor([&] { return view.declarationsSent == 1; }));
  EXPECT_TRUE(view.Shown(u"Declaration sent OK."));
  std::lock_guard<std::mutex> hold(io.lock());
  const auto records = vlemu_test::Records(recorder.memory());
  ASSERT_TRUE(records.count(33) && records.count(49) && records.count(34) && records.count(16));
  EXPECT_EQ(records.at(16)[0], 1);
  const auto turn = vlemu_test::DecodePoint(records.at(49));
  EXPECT_EQ(turn.name, "TURN  ");
  EXPECT_EQ(turn.small, 500);  // a cylinder: the small radius
  EXPECT_EQ(turn.large, 0);
  EXPECT_EQ(recorder.commands().back(), 12);  // the session ended after the declaration
}

TEST_F(LoggerSessionTest, ADeclarationReadWithoutRecorderRepeatsUntilExit) {
  WithRecorder([](vlemu::VlEmulator& r) { r.faults.silent = true; });
  Start();
  Request(kEventReadDeclaration);
  // The read is tried again and again; Exit ends the worker.
  std::this_thread::yield();
  Stop();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(view.declarationReads, 0);
}

}  // namespace
