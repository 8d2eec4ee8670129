#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/base/wire.h"
#include "platform/bluetooth/bluetooth.h"
#include "platform/device/device.h"
#include "platform/libraries/libraries.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/testing/device_test.h"
#include "tests/platform/device/run_tool.h"

namespace {

using ce::libraries::ProcAs;

class BluetoothTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), MSGQUEUE_NOPRECOMMIT, 0, 100, TRUE};
    queue_ = CreateMsgQueue(nullptr, &options);
    ASSERT_NE(queue_, nullptr);
  }
  void TearDown() override {
    CloseMsgQueue(queue_);
    DeviceTest::TearDown();
  }

  // The next record in the queue, waiting up to 10 s of real time (timed waits follow the
  // test's manual clock, so the queue is polled).
  std::vector<std::uint8_t> NextEvent() {
    std::vector<std::uint8_t> buffer(1000);
    for (int i = 0; i < 1000; ++i) {
      DWORD read = 0, flags = 0;
      if (ReadMsgQueue(queue_, buffer.data(), 1000, &read, 0, &flags)) return {buffer.begin(), buffer.begin() + read};
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
  }

  HANDLE queue_ = nullptr;
};

TEST_F(BluetoothTest, ModeChangeByTheToolReachesTheRegisteredQueue) {
  HMODULE btdrt = LoadLibraryW(u"btdrt.dll");
  ASSERT_NE(btdrt, nullptr);
  auto request = ProcAs<decltype(RequestBluetoothNotifications)>(GetProcAddress(btdrt, u"RequestBluetoothNotifications"));
  auto stop = ProcAs<decltype(StopBluetoothNotifications)>(GetProcAddress(btdrt, u"StopBluetoothNotifications"));
  ASSERT_TRUE(request && stop);
  HANDLE notifications = request(BTE_CLASS_STACK, queue_);
  ASSERT_NE(notifications, nullptr);

  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"bluetooth", "discoverable"}).exit_code, 0);
  auto event = NextEvent();
  ASSERT_EQ(event.size(), kBtEventSize);
  ce::wire::Reader r(event);
  EXPECT_EQ(r.U32(), BTE_STACK_MODE);
  r.U32();
  EXPECT_EQ(r.U32(), BTH_DISCOVERABLE);

  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"bluetooth", "off"}).exit_code, 0);
  event = NextEvent();
  ASSERT_EQ(event.size(), kBtEventSize);
  EXPECT_EQ(ce::wire::Reader(event).U32(), BTE_STACK_DOWN);

  EXPECT_TRUE(stop(notifications));
  EXPECT_FALSE(stop(notifications));
  FreeLibrary(btdrt);
}

TEST_F(BluetoothTest, ModeByOrdinalWithInjectedReadFailure) {
  HMODULE lib = LoadLibraryW(u"bthutil.dll");
  ASSERT_NE(lib, nullptr);
  auto set = ProcAs<decltype(BthSetMode)>(GetProcAddress(lib, MAKEINTRESOURCEW(1)));
  auto get = ProcAs<decltype(BthGetMode)>(GetProcAddress(lib, MAKEINTRESOURCEW(2)));
  ASSERT_TRUE(set && get);
  DWORD mode = 9;
  EXPECT_EQ(get(&mode), 0);
  EXPECT_EQ(mode, BTH_CONNECTABLE);
  EXPECT_EQ(set(BTH_DISCOVERABLE), 0);
  EXPECT_EQ(get(&mode), 0);
  EXPECT_EQ(mode, BTH_DISCOVERABLE);
  EXPECT_EQ(set(3), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(get(nullptr), ERROR_INVALID_PARAMETER);

  ce::device::ScriptRefusal("bth.getmode", 0, true, 2);
  mode = 7;
  EXPECT_EQ(get(&mode), ERROR_GEN_FAILURE);
  EXPECT_EQ(get(&mode), ERROR_GEN_FAILURE);
  EXPECT_EQ(mode, 7u);
  EXPECT_EQ(get(&mode), 0);
  EXPECT_EQ(RequestBluetoothNotifications(BTE_CLASS_STACK, nullptr), nullptr);
  FreeLibrary(lib);
}

}  // namespace
