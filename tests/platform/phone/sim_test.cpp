#include <gtest/gtest.h>

#include "platform/device/device.h"
#include "platform/libraries/libraries.h"
#include "platform/phone/sim.h"
#include "platform/testing/device_test.h"
#include "tests/platform/device/run_tool.h"

namespace {

using ce::libraries::ProcAs;
using ce::testing::RunDevicectl;
using ce::testing::StatusValue;

class SimTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    lib_ = LoadLibraryW(u"cellcore.dll");
    ASSERT_NE(lib_, nullptr);
    auto init = ProcAs<decltype(SimInitialize)>(GetProcAddress(lib_, MAKEINTRESOURCEW(1)));
    deinit_ = ProcAs<decltype(SimDeinitialize)>(GetProcAddress(lib_, MAKEINTRESOURCEW(2)));
    state_ = ProcAs<decltype(SimGetPhoneLockedState)>(GetProcAddress(lib_, MAKEINTRESOURCEW(8)));
    unlock_ = ProcAs<decltype(SimUnlockPhone)>(GetProcAddress(lib_, MAKEINTRESOURCEW(9)));
    ASSERT_TRUE(init && deinit_ && state_ && unlock_);
    ASSERT_EQ(init(0, nullptr, 0, &sim_), S_OK);
  }
  void TearDown() override {
    EXPECT_EQ(deinit_(sim_), S_OK);
    FreeLibrary(lib_);
    DeviceTest::TearDown();
  }
  DWORD State() {
    DWORD s = 0;
    EXPECT_EQ(state_(sim_, &s), S_OK);
    return s;
  }
  std::string Tool(const std::string& name) { return StatusValue(RunDevicectl(device_folder(), {"status"}).out, name); }

  HMODULE lib_ = nullptr;
  HSIM sim_ = nullptr;
  decltype(&SimDeinitialize) deinit_ = nullptr;
  decltype(&SimGetPhoneLockedState) state_ = nullptr;
  decltype(&SimUnlockPhone) unlock_ = nullptr;
};

TEST_F(SimTest, WrongPinCostsAnAttemptRightPinUnlocksToolShowsBoth) {
  ASSERT_EQ(State(), SIM_LOCKEDSTATE_SIM_PIN);
  EXPECT_EQ(unlock_(sim_, u"9999", nullptr), SIM_E_INCORRECTPASSWORD);
  EXPECT_EQ(State(), SIM_LOCKEDSTATE_SIM_PIN);
  EXPECT_EQ(Tool("sim.attempts"), "2");
  EXPECT_EQ(Tool("sim.state"), "2");

  EXPECT_EQ(unlock_(sim_, u"1234", nullptr), S_OK);
  EXPECT_EQ(State(), SIM_LOCKEDSTATE_READY);
  EXPECT_EQ(Tool("sim.state"), "1");
  EXPECT_EQ(Tool("sim.attempts"), "3");
}

TEST_F(SimTest, UsedUpAttemptsAskForThePukWhichSetsANewPin) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(unlock_(sim_, u"0000", nullptr), SIM_E_INCORRECTPASSWORD);
  EXPECT_EQ(State(), SIM_LOCKEDSTATE_SIM_PUK);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), 0);
  // The right PIN no longer helps; the PUK needs a new PIN with it.
  EXPECT_EQ(unlock_(sim_, u"1234", u"4321"), SIM_E_INCORRECTPASSWORD);
  EXPECT_EQ(unlock_(sim_, u"12345678", nullptr), SIM_E_NEEDNEWPIN);
  EXPECT_EQ(unlock_(sim_, u"12345678", u"4321"), S_OK);
  EXPECT_EQ(State(), SIM_LOCKEDSTATE_READY);
  EXPECT_EQ(ce::device::GetText("sim.pin"), "4321");
}

TEST_F(SimTest, ToolRefusesTheNextUnlockWithoutCostingAnAttempt) {
  ASSERT_EQ(RunDevicectl(device_folder(), {"refuse", "sim.unlock"}).exit_code, 0);
  EXPECT_EQ(unlock_(sim_, u"1234", nullptr), SIM_E_INCORRECTPASSWORD);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), 3);
  EXPECT_EQ(unlock_(sim_, u"1234", nullptr), S_OK);
}

TEST_F(SimTest, BadHandlesAndArguments) {
  DWORD s;
  EXPECT_EQ(state_(nullptr, &s), E_INVALIDARG);
  EXPECT_EQ(state_(sim_, nullptr), E_INVALIDARG);
  EXPECT_EQ(unlock_(sim_, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), 3);
}

}  // namespace
