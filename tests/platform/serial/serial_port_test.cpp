// Serial ports over pseudo-terminals: settings, NMEA streams without loss, time-outs, closing
// under a reader, and the faults a test can force.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/files/files.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/serial/serial.h"
#include "platform/serial/serial_test_seam.h"
#include "platform/testing/device_test.h"
#include "tests/platform/serial/pty_far_end.h"

namespace {

using Clock = std::chrono::steady_clock;
using test_serial::PtyFarEnd;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class SerialPort : public ce::testing::DeviceTest {
 protected:
  HANDLE Open(const char16_t* name = u"COM1:") {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  // As the GPS port opens it: 8N1 binary at the rate, read time-outs of interval 0, 2 ms per
  // byte plus the constant, both buffers purged.
  void Configure(HANDLE h, DWORD baud, DWORD read_constant_ms) {
    DCB dcb{};
    ASSERT_TRUE(GetCommState(h, &dcb));
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    ASSERT_TRUE(SetCommState(h, &dcb));
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR | EV_BREAK | EV_ERR));
    COMMTIMEOUTS t{0, 2, read_constant_ms, 1, 1000000};
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    ASSERT_TRUE(PurgeComm(h, PURGE_TXCLEAR | PURGE_RXCLEAR));
  }
};

std::string NmeaStream(int sentences) {
  std::string all;
  for (int i = 0; i < sentences; ++i) {
    all += "$GPRMC,1235" + std::to_string(i % 10) +
           ",A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
  }
  return all;
}

TEST_F(SerialPort, NmeaArrivesWholeAtEachRate) {
  PtyFarEnd gps(u"COM1");
  const std::string stream = NmeaStream(150);
  for (DWORD baud : {CBR_4800, CBR_115200}) {
    HANDLE h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    Configure(h, baud, 1000);
    DCB dcb{};
    ASSERT_TRUE(GetCommState(h, &dcb));
    EXPECT_EQ(dcb.BaudRate, baud);
    EXPECT_EQ(dcb.ByteSize, 8);
    // The far end sends in uneven pieces while the reader takes one byte per call.
    std::thread sender([&] {
      for (size_t off = 0; off < stream.size(); off += 97) {
        gps.Send(stream.substr(off, 97));
        if (off % 970 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
    std::string got;
    while (got.size() < stream.size()) {
      char c;
      DWORD n = 0;
      const BOOL ok = ReadFile(h, &c, 1, &n, nullptr);
      EXPECT_TRUE(ok);
      if (!ok || n == 0) break;  // a failure, or a time-out: the stream stopped short
      got += c;
    }
    sender.join();
    EXPECT_EQ(got, stream) << "at " << baud;
    EXPECT_TRUE(CloseHandle(h));
  }
}

TEST_F(SerialPort, ReadTimeoutsAreHonoured) {
  PtyFarEnd far(u"COM1");
  HANDLE h = Open();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Configure(h, CBR_9600, 0);
  struct Case {
    const char* what;
    COMMTIMEOUTS t;
    std::string sent;  // before the read
    DWORD asked;
    DWORD expect;
    long long min_ms, max_ms;
  } cases[] = {
      {"total time-out with nothing", {0, 2, 300, 0, 0}, "", 10, 0, 250, 1500},
      {"at once", {MAXDWORD, 0, 0, 0, 0}, "", 10, 0, 0, 200},
      {"at once with data", {MAXDWORD, 0, 0, 0, 0}, "abc", 10, 3, 0, 200},
      {"first byte ends the wait", {MAXDWORD, MAXDWORD, 2000, 0, 0}, "xy", 10, 2, 0, 1000},
      {"interval after a burst", {100, 0, 0, 0, 0}, "12345", 10, 5, 80, 1500},
      {"count reached before the time-out", {0, 0, 5000, 0, 0}, "abcdefgh", 4, 4, 0, 1000},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
    COMMTIMEOUTS t = c.t;
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    if (!c.sent.empty()) {
      far.Send(c.sent);
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    char buf[16] = {};
    DWORD n = 99;
    const auto start = Clock::now();
    EXPECT_TRUE(ReadFile(h, buf, c.asked, &n, nullptr)) << c.what;
    const long long ms = MsSince(start);
    EXPECT_EQ(n, c.expect) << c.what;
    EXPECT_EQ(std::string(buf, n), c.sent.substr(0, n)) << c.what;
    EXPECT_GE(ms, c.min_ms) << c.what;
    EXPECT_LE(ms, c.max_ms) << c.what;
  }
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(SerialPort, WritesLinesQueuesAndPurge) {
  PtyFarEnd far(u"COM2");
  HANDLE h = Open(u"com2:");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Configure(h, CBR_9600, 500);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "PFSR\n", 5, &n, nullptr));
  EXPECT_EQ(n, 5u);
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_EQ(far.Receive(5), "PFSR\n");

  far.Send("12345");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  DWORD errors = 7;
  COMSTAT stat{};
  ASSERT_TRUE(ClearCommError(h, &errors, &stat));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(stat.cbInQue, 5u);
  ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
  ASSERT_TRUE(ClearCommError(h, &errors, &stat));
  EXPECT_EQ(stat.cbInQue, 0u);

  EXPECT_TRUE(EscapeCommFunction(h, CLRDTR));
  EXPECT_TRUE(EscapeCommFunction(h, SETBREAK));
  const ce::serial::LineState lines = ce::serial::GetLineState(u"COM2:");
  EXPECT_FALSE(lines.dtr);
  EXPECT_TRUE(lines.rts);
  EXPECT_TRUE(lines.brk);
  EXPECT_FALSE(EscapeCommFunction(h, 77));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // Settings the port cannot take are refused and change nothing.
  DCB dcb{};
  ASSERT_TRUE(GetCommState(h, &dcb));
  for (auto bad : {+[](DCB& d) { d.BaudRate = 12345; }, +[](DCB& d) { d.ByteSize = 9; },
                   +[](DCB& d) { d.StopBits = 7; }}) {
    DCB changed = dcb;
    bad(changed);
    EXPECT_FALSE(SetCommState(h, &changed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  DCB now{};
  ASSERT_TRUE(GetCommState(h, &now));
  EXPECT_EQ(now.BaudRate, CBR_9600);
  EXPECT_EQ(now.ByteSize, 8);
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(SerialPort, ClosingUnderAReaderAndReopening) {
  PtyFarEnd far(u"COM1");
  HANDLE h = Open();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Configure(h, CBR_4800, 0);
  COMMTIMEOUTS wait_forever{0, 0, 0, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(h, &wait_forever));
  // One handle per port.
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  std::atomic<bool> done{false};
  BOOL result = TRUE;
  DWORD error = 0;
  std::thread reader([&] {
    char c;
    DWORD n;
    result = ReadFile(h, &c, 1, &n, nullptr);
    error = GetLastError();
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(done);
  ASSERT_TRUE(CloseHandle(h));
  // The port opens again at once, while the old read is still ending.
  HANDLE again = Open();
  ASSERT_NE(again, INVALID_HANDLE_VALUE);
  reader.join();
  EXPECT_FALSE(result);
  EXPECT_GT(error, 0u);
  char c;
  DWORD n;
  EXPECT_FALSE(ReadFile(h, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // The new handle reads what the far end sends now.
  Configure(again, CBR_4800, 1000);
  far.Send("$");
  ASSERT_TRUE(ReadFile(again, &c, 1, &n, nullptr));
  EXPECT_EQ(n, 1u);
  EXPECT_TRUE(CloseHandle(again));
}

TEST_F(SerialPort, UnmappedAndUnpluggedPorts) {
  PtyFarEnd far(u"COM1");
  EXPECT_EQ(Open(u"COM7:"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Open(u"COMX:"), INVALID_HANDLE_VALUE);

  HANDLE h = Open();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Configure(h, CBR_4800, 0);
  COMMTIMEOUTS wait_forever{0, 0, 0, 0, 0};
  ASSERT_TRUE(SetCommTimeouts(h, &wait_forever));
  BOOL result = TRUE;
  DWORD error = 0;
  std::thread reader([&] {
    char c;
    DWORD n;
    result = ReadFile(h, &c, 1, &n, nullptr);
    error = GetLastError();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ce::serial::SetUnplugged(u"COM1:", true);
  reader.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_GEN_FAILURE));
  DWORD n;
  EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  ce::serial::SetUnplugged(u"COM1", false);
  h = Open();
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
}

}  // namespace
