#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/base/wire.h"
#include "platform/device/device.h"
#include "platform/libraries/libraries.h"
#include "platform/radio/ril.h"
#include "platform/testing/device_test.h"
#include "tests/platform/device/run_tool.h"

namespace {

using ce::libraries::ProcAs;

struct Received {
  DWORD code;
  HRESULT command;
  std::vector<std::uint8_t> data;
};

// What the callbacks delivered, for the test thread to wait on.
struct Inbox {
  std::mutex mu;
  std::condition_variable cv;
  std::vector<Received> results;
  std::vector<Received> notifications;

  template <class Pred>
  bool WaitFor(Pred pred) {
    std::unique_lock<std::mutex> lock(mu);
    return cv.wait_for(lock, std::chrono::seconds(10), pred);
  }
};
Inbox* g_inbox = nullptr;

void OnResult(DWORD code, HRESULT command, const void* data, DWORD size, DWORD) {
  auto p = static_cast<const std::uint8_t*>(data);
  std::lock_guard<std::mutex> lock(g_inbox->mu);
  g_inbox->results.push_back({code, command, std::vector<std::uint8_t>(p, p + size)});
  g_inbox->cv.notify_all();
}

void OnNotify(DWORD code, const void* data, DWORD size, DWORD) {
  auto p = static_cast<const std::uint8_t*>(data);
  std::lock_guard<std::mutex> lock(g_inbox->mu);
  g_inbox->notifications.push_back({code, 0, std::vector<std::uint8_t>(p, p + size)});
  g_inbox->cv.notify_all();
}

std::uint32_t Word(const std::vector<std::uint8_t>& data, std::size_t offset) {
  ce::wire::Reader r(data.data() + std::min(offset, data.size()), data.size() - std::min(offset, data.size()));
  return r.U32();
}

class RilTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_inbox = &inbox_;
    lib_ = LoadLibraryW(u"ril.dll");
    ASSERT_NE(lib_, nullptr);
    init_ = ProcAs<decltype(RIL_Initialize)>(GetProcAddress(lib_, MAKEINTRESOURCEW(1)));
    deinit_ = ProcAs<decltype(RIL_Deinitialize)>(GetProcAddress(lib_, MAKEINTRESOURCEW(3)));
    signal_ = ProcAs<decltype(RIL_GetSignalQuality)>(GetProcAddress(lib_, MAKEINTRESOURCEW(104)));
    cell_ = ProcAs<decltype(RIL_GetCellTowerInfo)>(GetProcAddress(lib_, MAKEINTRESOURCEW(105)));
    ASSERT_TRUE(init_ && deinit_ && signal_ && cell_);
  }
  void TearDown() override {
    if (ril_) deinit_(ril_);
    FreeLibrary(lib_);
    DeviceTest::TearDown();
  }

  Received AwaitResult(HRESULT command) {
    Received r{};
    EXPECT_TRUE(inbox_.WaitFor([&] {
      for (auto& x : inbox_.results)
        if (x.command == command) return r = x, true;
      return false;
    }));
    return r;
  }

  Inbox inbox_;
  HMODULE lib_ = nullptr;
  HRIL ril_ = nullptr;
  decltype(&RIL_Initialize) init_ = nullptr;
  decltype(&RIL_Deinitialize) deinit_ = nullptr;
  decltype(&RIL_GetSignalQuality) signal_ = nullptr;
  decltype(&RIL_GetCellTowerInfo) cell_ = nullptr;
};

TEST_F(RilTest, CellMoveByTheToolIsNotifiedAndAnsweredByTheCellTowerQuery) {
  ASSERT_EQ(init_(1, &OnResult, &OnNotify, RIL_NCLASS_NETWORK | RIL_NCLASS_MISC, 0, &ril_), S_OK);
  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"cell", "1234", "56"}).exit_code, 0);

  ASSERT_TRUE(inbox_.WaitFor([&] {
    for (auto& n : inbox_.notifications)
      if (n.code == RIL_NOTIFY_LOCATIONUPDATE) return true;
    return false;
  }));
  for (auto& n : inbox_.notifications) {
    if (n.code != RIL_NOTIFY_LOCATIONUPDATE) continue;
    ASSERT_EQ(n.data.size(), kRilLocationUpdateSize);
    EXPECT_EQ(Word(n.data, 4), 56u);
    EXPECT_EQ(Word(n.data, 8), 1234u);
  }

  HRESULT command = cell_(ril_);
  ASSERT_GT(command, 0);
  Received answer = AwaitResult(command);
  EXPECT_EQ(answer.code, RIL_RESULT_OK);
  ASSERT_EQ(answer.data.size(), kRilCellTowerInfoSize);
  EXPECT_EQ(Word(answer.data, 16), 56u);
  EXPECT_EQ(Word(answer.data, 20), 1234u);
}

TEST_F(RilTest, SignalQualityAnswerAndNotificationCarryTheRecord) {
  ASSERT_EQ(init_(1, &OnResult, &OnNotify, RIL_NCLASS_MISC, 0, &ril_), S_OK);
  ce::device::SetInt("signal.strength", -60);
  ASSERT_TRUE(inbox_.WaitFor([&] { return !inbox_.notifications.empty(); }));
  {
    std::lock_guard<std::mutex> lock(inbox_.mu);
    // Only the classes asked for arrive: no location update for a MISC-only client.
    for (auto& n : inbox_.notifications) EXPECT_EQ(n.code, RIL_NOTIFY_SIGNALQUALITY);
    const auto& d = inbox_.notifications.back().data;
    ASSERT_EQ(d.size(), kRilSignalQualitySize);
    EXPECT_EQ(Word(d, 4) & 3u, 3u);
    EXPECT_EQ(static_cast<std::int32_t>(Word(d, 8)), -60);
    EXPECT_EQ(static_cast<std::int32_t>(Word(d, 12)), -113);
    EXPECT_EQ(static_cast<std::int32_t>(Word(d, 16)), -51);
  }
  Received answer = AwaitResult(signal_(ril_));
  EXPECT_EQ(answer.code, RIL_RESULT_OK);
  EXPECT_EQ(static_cast<std::int32_t>(Word(answer.data, 8)), -60);
}

TEST_F(RilTest, RadioOffRefusalsAndBadArguments) {
  HRIL none = nullptr;
  EXPECT_EQ(init_(2, &OnResult, nullptr, 0, 0, &none), E_INVALIDARG);
  EXPECT_EQ(init_(1, nullptr, nullptr, 0, 0, &none), E_INVALIDARG);
  EXPECT_EQ(cell_(nullptr), E_INVALIDARG);
  ASSERT_EQ(init_(1, &OnResult, nullptr, 0, 0, &ril_), S_OK);

  ce::device::SetInt("radio.power", 0);
  EXPECT_EQ(AwaitResult(cell_(ril_)).code, RIL_RESULT_RADIOOFF);
  ce::device::SetInt("radio.power", 1);

  ce::device::ScriptRefusal("ril.celltower", 0x80004005, false);
  Received refused = AwaitResult(cell_(ril_));
  EXPECT_EQ(refused.code, RIL_RESULT_ERROR);
  EXPECT_EQ(Word(refused.data, 0), 0x80004005u);
  EXPECT_EQ(AwaitResult(cell_(ril_)).code, RIL_RESULT_OK);  // one refusal only

  ce::device::ScriptRefusal("ril.signal", 0x80070057, true);
  EXPECT_EQ(signal_(ril_), E_INVALIDARG);
  // A refusal never looks like a command id, whatever code the script gives.
  ce::device::ScriptRefusal("ril.signal", 5, true);
  EXPECT_EQ(signal_(ril_), E_FAIL);
}

TEST_F(RilTest, DelayedAnswerWaitsForTheClock) {
  ASSERT_EQ(init_(1, &OnResult, nullptr, 0, 0, &ril_), S_OK);
  ce::device::ScriptDelay("ril.celltower", 3000);
  HRESULT command = cell_(ril_);
  ASSERT_TRUE(AwaitThreadsInWait(1));
  {
    std::lock_guard<std::mutex> lock(inbox_.mu);
    EXPECT_TRUE(inbox_.results.empty());
  }
  AdvanceClock(3000);
  EXPECT_EQ(AwaitResult(command).code, RIL_RESULT_OK);
}

}  // namespace
