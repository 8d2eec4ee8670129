#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/base/wire.h"
#include "platform/device/device.h"
#include "platform/device/device_names.h"
#include "platform/kernel/sync.h"
#include "platform/libraries/libraries.h"
#include "platform/phone/sim.h"
#include "platform/phone/tapi.h"
#include "platform/registry/registry_notify.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"
#include "tests/platform/device/run_tool.h"

namespace {

struct Replies {
  std::mutex mu;
  std::condition_variable cv;
  std::map<LONG, LONG> results;  // request id -> result
};
Replies* g_replies = nullptr;

void OnLine(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR) {
  if (message != LINE_REPLY) return;
  std::lock_guard<std::mutex> lock(g_replies->mu);
  g_replies->results[static_cast<LONG>(param1)] = static_cast<LONG>(static_cast<DWORD>(param2));
  g_replies->cv.notify_all();
}

class LineTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_replies = &replies_;
    DWORD devices = 0;
    ASSERT_EQ(lineInitialize(&app_, nullptr, &OnLine, nullptr, &devices), 0);
    EXPECT_EQ(devices, 1u);
    ASSERT_EQ(lineOpen(app_, 0, &line_, 0x20000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr), 0);
    cellcore_ = LoadLibraryW(u"cellcore.dll");
    ASSERT_NE(cellcore_, nullptr);
    set_equipment_ = ce::libraries::ProcAs<decltype(lineSetEquipmentState)>(
        GetProcAddress(cellcore_, MAKEINTRESOURCEW(63)));
    register_ = ce::libraries::ProcAs<decltype(lineRegister)>(GetProcAddress(cellcore_, MAKEINTRESOURCEW(58)));
    ASSERT_TRUE(set_equipment_ && register_);
  }
  void TearDown() override {
    EXPECT_EQ(lineClose(line_), 0);
    EXPECT_EQ(lineShutdown(app_), 0);
    FreeLibrary(cellcore_);
    DeviceTest::TearDown();
  }

  LONG AwaitReply(LONG request) {
    EXPECT_GT(request, 0);
    std::unique_lock<std::mutex> lock(replies_.mu);
    bool arrived = replies_.cv.wait_for(lock, std::chrono::seconds(10), [&] { return replies_.results.count(request); });
    return arrived ? replies_.results[request] : 12345;
  }

  Replies replies_;
  HLINEAPP app_ = nullptr;
  HLINE line_ = nullptr;
  HMODULE cellcore_ = nullptr;
  decltype(&lineSetEquipmentState) set_equipment_ = nullptr;
  decltype(&lineRegister) register_ = nullptr;
};

TEST_F(LineTest, RadioOffAndOnThroughTheEquipmentState) {
  EXPECT_EQ(AwaitReply(set_equipment_(line_, LINEEQUIPSTATE_MINIMUM)), 0);
  EXPECT_EQ(ce::device::GetInt("radio.power"), 0);
  EXPECT_EQ(ce::device::GetInt("radio.registered"), 0);
  DWORD status = 0;
  ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, ce::device::kStatePhone, u"Status", &status), S_OK);
  EXPECT_EQ(status & ce::device::kPhoneRadioOff, ce::device::kPhoneRadioOff);

  // Registration needs the radio on and the SIM unlocked.
  EXPECT_EQ(AwaitReply(register_(line_, LINEREGMODE_AUTOMATIC, nullptr, 0)), LINEERR_OPERATIONFAILED);
  EXPECT_EQ(AwaitReply(set_equipment_(line_, LINEEQUIPSTATE_FULL)), 0);
  EXPECT_EQ(AwaitReply(register_(line_, LINEREGMODE_AUTOMATIC, nullptr, 0)), LINEERR_OPERATIONFAILED);
  HSIM sim = nullptr;
  ASSERT_EQ(SimInitialize(0, nullptr, 0, &sim), S_OK);
  ASSERT_EQ(SimUnlockPhone(sim, u"1234", nullptr), S_OK);
  SimDeinitialize(sim);
  EXPECT_EQ(AwaitReply(register_(line_, LINEREGMODE_AUTOMATIC, nullptr, 0)), 0);
  EXPECT_EQ(ce::device::GetInt("radio.registered"), 1);
  ASSERT_EQ(RegistryGetDWORD(HKEY_LOCAL_MACHINE, ce::device::kStatePhone, u"Status", &status), S_OK);
  EXPECT_EQ(status & ce::device::kPhoneRadioOff, 0u);
  if (HWND prompt = FindWindowW(u"SIMSecurityUI", nullptr)) SendMessageW(prompt, WM_CLOSE, 0, 0);
}

TEST_F(LineTest, ARadioResetReadsInTheEffectsAndTheSimShowsItsPrompt) {
  ce::device::ClearEffects();
  EXPECT_EQ(AwaitReply(lineUnregister(line_)), 0);
  EXPECT_EQ(AwaitReply(set_equipment_(line_, LINEEQUIPSTATE_MINIMUM)), 0);
  EXPECT_EQ(FindWindowW(u"SIMSecurityUI", nullptr), nullptr);
  EXPECT_EQ(AwaitReply(set_equipment_(line_, LINEEQUIPSTATE_FULL)), 0);
  // The SIM asks for its PIN again: its prompt stands in this process until closed.
  HWND prompt = FindWindowW(u"SIMSecurityUI", nullptr);
  ASSERT_NE(prompt, nullptr);
  HSIM sim = nullptr;
  ASSERT_EQ(SimInitialize(0, nullptr, 0, &sim), S_OK);
  EXPECT_EQ(SimUnlockPhone(sim, u"0000", nullptr), SIM_E_INCORRECTPASSWORD);
  EXPECT_EQ(SimUnlockPhone(sim, u"1234", nullptr), S_OK);
  SimDeinitialize(sim);
  EXPECT_TRUE(IsWindow(prompt));
  SendMessageW(prompt, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(prompt));
  EXPECT_EQ(FindWindowW(u"SIMSecurityUI", nullptr), nullptr);
  EXPECT_EQ(AwaitReply(register_(line_, LINEREGMODE_AUTOMATIC, nullptr, 0)), 0);

  std::vector<std::string> steps;
  for (const auto& e : ce::device::Effects()) {
    if (e.kind == "line") steps.push_back(e.target + ":" + std::to_string(e.value));
    if (e.kind == "sim") steps.push_back(e.target + ":" + std::to_string(e.value));
  }
  const std::vector<std::string> expected = {"unregister:0", "minimum:0", "full:0",
                                             "unlock:" + std::to_string(0x88000125u), "unlock:0", "register:0"};
  EXPECT_EQ(steps, expected);
}

TEST_F(LineTest, ScriptedRefusalsAndDelays) {
  ce::device::ScriptRefusal("line.equipment", 0, true);
  EXPECT_EQ(set_equipment_(line_, LINEEQUIPSTATE_MINIMUM), LINEERR_OPERATIONFAILED);
  EXPECT_EQ(ce::device::GetInt("radio.power"), 1);

  ce::device::ScriptRefusal("line.equipment", 0, false);
  EXPECT_EQ(AwaitReply(set_equipment_(line_, LINEEQUIPSTATE_MINIMUM)), LINEERR_OPERATIONFAILED);
  EXPECT_EQ(ce::device::GetInt("radio.power"), 1);

  ce::device::ScriptDelay("line.equipment", 5000);
  LONG request = set_equipment_(line_, LINEEQUIPSTATE_MINIMUM);
  ASSERT_TRUE(AwaitThreadsInWait(1));
  EXPECT_EQ(ce::device::GetInt("radio.power"), 1);
  AdvanceClock(5000);
  EXPECT_EQ(AwaitReply(request), 0);
  EXPECT_EQ(ce::device::GetInt("radio.power"), 0);

  EXPECT_EQ(set_equipment_(line_, 9), LINEERR_INVALPARAM);
  EXPECT_EQ(set_equipment_(nullptr, LINEEQUIPSTATE_FULL), LINEERR_INVALLINEHANDLE);
}

// The forward list as the call-forwarding code builds it: 97 bytes, the number from byte 56.
std::vector<std::uint8_t> ForwardList(const std::u16string& number, std::uint32_t dest_size = 40) {
  ce::wire::Writer w;
  w.U32(97);
  w.U32(1);
  w.U32(LINEFORWARDMODE_UNCOND);
  w.U32(0);
  w.U32(0);
  w.U32(0);
  w.U32(dest_size);
  w.U32(56);
  std::vector<std::uint8_t> bytes = w.Take();
  bytes.resize(97, 0);
  for (std::size_t i = 0; i < number.size() && 56 + 2 * i + 1 < bytes.size(); ++i) {
    bytes[56 + 2 * i] = static_cast<std::uint8_t>(number[i]);
    bytes[56 + 2 * i + 1] = static_cast<std::uint8_t>(number[i] >> 8);
  }
  return bytes;
}

TEST_F(LineTest, ForwardingIsSetRecordedAndCancelled) {
  auto list = ForwardList(u"600123456");
  auto forward = [&](const std::vector<std::uint8_t>* bytes) {
    return lineForward(line_, 0, 0, bytes ? reinterpret_cast<const LINEFORWARDLIST*>(bytes->data()) : nullptr, 1,
                       nullptr, nullptr);
  };
  EXPECT_EQ(AwaitReply(forward(&list)), 0);
  EXPECT_EQ(ce::device::GetText("forward.number"), "600123456");
  EXPECT_EQ(AwaitReply(forward(nullptr)), 0);
  EXPECT_EQ(ce::device::GetText("forward.number"), "");
  auto effects = ce::device::Effects("forward");
  ASSERT_EQ(effects.size(), 2u);
  EXPECT_EQ(effects[0].target, "600123456");

  // A destination that runs past the list, or text without its terminator, is refused.
  auto past = ForwardList(u"600123456", 60);
  EXPECT_EQ(forward(&past), LINEERR_INVALPARAM);
  auto unterminated = ForwardList(u"12345678901234567890", 40);
  EXPECT_EQ(forward(&unterminated), LINEERR_INVALPARAM);
}

void OnStatus(HREGNOTIFY, DWORD user, const BYTE*, UINT) { SetEvent(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(user))); }

TEST_F(LineTest, ToolSwitchingTheRadioRaisesTheStateNotificationHere) {
  HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  // The event's handle value fits the 32-bit user data of the registration.
  ASSERT_LE(reinterpret_cast<ULONG_PTR>(changed), 0xFFFFFFFFu);
  NOTIFICATIONCONDITION condition{REG_CT_ANYCHANGE, ce::device::kPhoneRadioOff, {nullptr}};
  HREGNOTIFY notify = nullptr;
  ASSERT_EQ(RegistryNotifyCallback(HKEY_LOCAL_MACHINE, ce::device::kStatePhone, u"Status", &OnStatus,
                                   static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(changed)), &condition, &notify),
            S_OK);
  ASSERT_EQ(ce::testing::RunDevicectl(device_folder(), {"radio", "off"}).exit_code, 0);
  // Timed waits follow the test's manual clock, so poll in real time.
  bool fired = false;
  for (int i = 0; i < 1000 && !fired; ++i) {
    fired = WaitForSingleObject(changed, 0) == WAIT_OBJECT_0;
    if (!fired) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(fired);
  RegistryCloseNotification(notify);
  CloseHandle(changed);
}

}  // namespace
