// The GPS port on pseudo-terminals: opening, set-up lines, time-outs, the threads, reopening under
// the reading thread and the switch to binary packets.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "cumulor/app/app_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/nav_gps/nmea_test_util.h"
#include "platform/serial/serial_test_seam.h"
#include "tests/platform/serial/pty_far_end.h"
#include "tests/cumulor/trail_lists.h"

using namespace cumulor;
using gps_test::WithChecksum;

namespace {

std::atomic<int> g_calls{0};
int CountCalls(HRESULT, const GpsStatus*) {
  ++g_calls;
  return 1;
}

class GpsPortIo : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root");
    app = std::make_unique<AppContext>();
    app->igcLogging = 0;
    app->abortEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    GpsPortInit(app->gps, app.get());
    FixBufferReserve(app->gps, 180);
    g_calls = 0;
    TrailClear();
  }
  void TearDown() override {
    GpsStop(app->gps);
    GpsPortTerm(app->gps);
    CloseHandle(app->abortEvent);
    TrailClear();
    DeviceTest::TearDown();
  }
  // Waits in real time until the history holds `count` fixes. The device clock moves on too, so a
  // reader that paused after a failed read (the port was being reopened) resumes.
  bool AwaitFixes(std::int32_t count, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 5) {
      if (GetFixBuffer(app->gps, nullptr, 0) >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      AdvanceClock(20);
    }
    return false;
  }
  std::unique_ptr<AppContext> app;
};

std::string Rmc(int second) {
  char t[16];
  std::snprintf(t, sizeof t, "1200%02d", second);
  return WithChecksum(std::string("$GPRMC,") + t + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,,");
}

TEST_F(GpsPortIo, OpenSetsTheLineAndSendsTheSetupFile) {
  test_serial::PtyFarEnd far(u"COM3");
  std::ofstream(device_folder() / "root" / "GPS_SETUP.TXT", std::ios::binary) << "$PSRF100,1,19200,8,1,0*38\nPING\n";
  SetSerialPort(*app, 3, 19200);
  EXPECT_EQ(std::u16string(app->portName), u"COM3:");
  ASSERT_EQ(GpsPortOpen(app->gps, app->portName, app->baudRate), S_OK);
  EXPECT_EQ(app->gps.mode, 0);
  EXPECT_EQ(app->gps.nonFirstPort, 1);
  DCB dcb{};
  ASSERT_TRUE(GetCommState(app->gps.port.handle, &dcb));
  EXPECT_EQ(dcb.BaudRate, 19200u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(far.Receive(31), "$PSRF100,1,19200,8,1,0*38\nPING\n");
}

TEST_F(GpsPortIo, SimAndMissingPorts) {
  ASSERT_EQ(GpsPortOpen(app->gps, u"SIM", 4800), S_OK);
  EXPECT_EQ(app->gps.mode, 1);
  EXPECT_FALSE(SerialIsOpen(app->gps.port));
  EXPECT_EQ(GpsPortOpen(app->gps, u"COM7:", 4800), E_FAIL);
  std::uint32_t got = 99;
  char c;
  const HRESULT r = SerialRead(app->gps.port, &c, 1, got);
  EXPECT_GT(r, 0);  // a positive platform error, not E_FAIL
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(GpsStop(app->gps), S_OK);  // threads never started
}

TEST_F(GpsPortIo, ReadTimeOutIsSuccessWithNothing) {
  test_serial::PtyFarEnd far(u"COM1");
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  EXPECT_EQ(app->gps.nonFirstPort, 0);
  ASSERT_EQ(SerialSetReadTimeout(app->gps.port, 0), S_OK);
  char c;
  std::uint32_t got = 99;
  EXPECT_EQ(SerialRead(app->gps.port, &c, 1, got), S_OK);
  EXPECT_EQ(got, 0u);
}

TEST_F(GpsPortIo, ThreadsStoreFixesAndCallBackAcrossReopens) {
  test_serial::PtyFarEnd far(u"COM1");
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, CountCalls, 0, nullptr), S_OK);
  far.Send(Rmc(0) + Rmc(1));
  ASSERT_TRUE(AwaitFixes(2));
  for (int i = 0; i < 5; ++i) {
    // Reopen while the reader waits inside a read; files opened meanwhile must never be read.
    ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
    HANDLE other = CreateFileW(u"\\other.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const std::string bait = Rmc(50);
    WriteFile(other, bait.data(), static_cast<DWORD>(bait.size()), &written, nullptr);
    far.Send(Rmc(2 + i));
    ASSERT_TRUE(AwaitFixes(3 + i)) << i;
    CloseHandle(other);
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(GpsStop(app->gps), S_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  GpsFix fixes[10];
  ASSERT_EQ(GetFixBuffer(app->gps, fixes, 10), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(fixes[i].timeOfDay, 12u * 3600 + 6 - i);
  EXPECT_GE(g_calls.load(), 1);
  EXPECT_EQ(FullTrail().size(), 7u);
}

TEST_F(GpsPortIo, UnpluggedPortPausesTheReaderUntilItReturns) {
  test_serial::PtyFarEnd far(u"COM1");
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, CountCalls, 0, nullptr), S_OK);
  far.Send(Rmc(0));
  ASSERT_TRUE(AwaitFixes(1));
  ce::serial::SetUnplugged(u"COM1:", true);
  // Reads now fail at once: the reader waits between attempts (beside the notify thread's wait)
  // instead of spinning.
  EXPECT_TRUE(AwaitThreadsInWait(2));
  ce::serial::SetUnplugged(u"COM1:", false);
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);  // the watchdog's reopen
  far.Send(Rmc(1));
  ASSERT_TRUE(AwaitFixes(2));
}

TEST_F(GpsPortIo, AbortEventEndsTheNotifyThread) {
  test_serial::PtyFarEnd far(u"COM1");
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, CountCalls, 0, nullptr), S_OK);
  SetEvent(app->abortEvent);
  ASSERT_EQ(WaitForSingleObject(app->gps.notifyThread, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(GpsStop(app->gps), S_OK);
}

TEST_F(GpsPortIo, LongDollarWLineSwitchesToBinaryPackets) {
  test_serial::PtyFarEnd far(u"COM1");
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, CountCalls, 0, nullptr), S_OK);
  std::string packet(45, '\0');
  packet[0] = '$';
  packet[1] = 'w';
  packet[2] = 45;
  packet[13] = 100;  // pressure altitude 100 m
  std::uint8_t x = 0;
  for (char b : packet) x ^= static_cast<std::uint8_t>(b);
  packet[3] = static_cast<char>(x);
  far.Send("$w" + std::string(130, 'x') + packet + packet);
  ASSERT_TRUE(AwaitFixes(1));
  EXPECT_EQ(app->gps.binaryMode, 1);
  GpsFix f;
  GetFixBuffer(app->gps, &f, 1);
  EXPECT_EQ(f.pressureAltitude, 100);
}

TEST_F(GpsPortIo, AfterAVerifiedSentenceALongLineIsSkipped) {
  test_serial::PtyFarEnd far(u"COM1");
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, CountCalls, 0, nullptr), S_OK);
  far.Send(Rmc(0) + "$w" + std::string(130, 'x') + "\r\n" + Rmc(1));
  ASSERT_TRUE(AwaitFixes(2));
  EXPECT_EQ(app->gps.binaryMode, 0);
}

}  // namespace
