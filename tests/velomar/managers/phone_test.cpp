// The phone manager: stored PINs, radio off and on with the SIM step, and a refused PIN that is
// not offered again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "tests/velomar/managers/radio_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "platform/registry/registry.h"

namespace {

// `bytes` enciphered as the settings hold it.
std::vector<BYTE> Enciphered(const std::vector<BYTE>& bytes) {
  std::vector<BYTE> buffer(1008, 0);
  std::copy(bytes.begin(), bytes.end(), buffer.begin());
  DWORD length = static_cast<DWORD>(bytes.size());
  EXPECT_EQ(Encriptar(buffer.data(), &length), 1);
  buffer.resize(length);
  return buffer;
}

std::vector<BYTE> Utf16(const std::u16string& text) {
  std::vector<BYTE> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  return bytes;
}

// The line and SIM steps in the device's effects: "minimum", "full", "unregister", "register:<result>",
// "unlock:<result>".
std::vector<std::string> RadioSteps() {
  std::vector<std::string> steps;
  for (const auto& e : ce::device::Effects()) {
    if (e.kind == "line") steps.push_back(e.target == "register" ? "register:" + std::to_string(e.value) : e.target);
    if (e.kind == "sim") steps.push_back("unlock:" + std::to_string(e.value));
    if (e.kind == "modem") steps.push_back("modem:" + e.body);
  }
  return steps;
}

class PhoneTest : public velomar_test::RadioTest {
 protected:
  void StorePin(const WCHAR* setting, const std::vector<BYTE>& stored) {
    CConfig::GetInstance()->SetBinary(setting, stored.data(), static_cast<DWORD>(stored.size()));
  }
  // Switches the radio through the manager and waits until the change completed.
  void Switch(CMobilePhoneMgr& phone, int status) {
    phone.SetStatus(status, 0, 0, 0);
    ASSERT_TRUE(DriveUntil([&] { return phone.GetGSMStatus() == status && phone.IsOperationRunning() == 0; }));
    phone.RefreshStatus(1);
    ASSERT_EQ(phone.GetStatus(), status);
  }
};

TEST_F(PhoneTest, StoredPinsAreKeptOnlyWhenTheyDecipherAndFit) {
  const struct {
    const char* name;
    std::vector<BYTE> stored;  // empty: absent
    std::u16string kept;
  } cases[] = {
      {"absent", {}, u""},
      {"four digits", Enciphered(Utf16(u"1234")), u"1234"},
      {"nine characters", Enciphered(Utf16(u"123456789")), u"123456789"},
      {"ten characters do not fit", Enciphered(Utf16(u"1234567890")), u""},
      {"odd byte count", Enciphered({'1', 0, '2'}), u""},
      {"not enciphered", std::vector<BYTE>(40, 0x5A), u""},
      {"longer than the setting allows", Enciphered(std::vector<BYTE>(200, '1')), u""},
  };
  for (const auto& c : cases) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, velomar_test::kSettingsKey, 0, 0, &key), ERROR_SUCCESS);
    RegDeleteValueW(key, u"pin2");
    RegCloseKey(key);
    if (!c.stored.empty()) StorePin(u"pin2", c.stored);
    CMobilePhoneMgr phone;
    EXPECT_EQ(phone.GetPin2(), c.kept) << c.name;
  }
}

TEST_F(PhoneTest, SetPinStoresEncipheredAndRefusesLongTexts) {
  CMobilePhoneMgr phone;
  EXPECT_TRUE(phone.SetPin(u"4321"));
  EXPECT_FALSE(phone.SetPin(u"1234567890"));
  EXPECT_TRUE(phone.SetPin(u""));
  EXPECT_EQ(phone.GetPin(), u"4321");
  std::vector<BYTE> stored(1008, 0);
  DWORD size = 100;
  ASSERT_EQ(CConfig::GetInstance()->GetBinary(u"pin", stored.data(), &size), ERROR_SUCCESS);
  EXPECT_NE(std::vector<BYTE>(stored.begin(), stored.begin() + size), Utf16(u"4321")) << "not kept plain";
  ASSERT_EQ(Desencriptar(stored.data(), &size), 1);
  EXPECT_EQ(std::vector<BYTE>(stored.begin(), stored.begin() + size), Utf16(u"4321"));
  CMobilePhoneMgr again;
  EXPECT_EQ(again.GetPin(), u"4321");
}

TEST_F(PhoneTest, RadioOffAndOnUnlocksTheSimClosesItsPromptAndRegisters) {
  StorePin(u"pin", Enciphered(Utf16(u"1234")));
  ce::device::SetInt("sim.state", SIM_LOCKEDSTATE_READY);
  CMobilePhoneMgr phone;
  phone.Initialize();
  phone.RefreshStatus(1);
  ASSERT_EQ(phone.GetStatus(), 0);
  ce::device::ClearEffects();

  Switch(phone, 1);
  Switch(phone, 0);
  EXPECT_EQ(FindWindowW(u"SIMSecurityUI", nullptr), nullptr) << "the SIM's prompt was closed";
  ASSERT_TRUE(WaitFor([] { return ce::device::GetInt("radio.registered") == 1; }));
  const std::vector<std::string> expected = {"minimum", "full", "unlock:0", "register:0"};
  EXPECT_EQ(RadioSteps(), expected);
  EXPECT_EQ(ce::device::GetInt("sim.state"), SIM_LOCKEDSTATE_READY);
  StopWhileDriving([&] { phone.Stop(); });
}

TEST_F(PhoneTest, ARefusedPinIsNotOfferedAgain) {
  StorePin(u"pin", Enciphered(Utf16(u"9999")));
  ce::device::SetInt("sim.state", SIM_LOCKEDSTATE_READY);
  CMobilePhoneMgr phone;
  phone.Initialize();
  phone.RefreshStatus(1);
  ce::device::ClearEffects();

  Switch(phone, 1);
  Switch(phone, 0);
  // The beep and the vibration (1000 ms on the manual clock) come before the registration.
  ASSERT_TRUE(DriveUntil([] { return ce::device::Effects("line").size() == 3; }));
  EXPECT_EQ(ce::device::Effects("beep").size(), 1u);
  const auto led = ce::device::Effects("led");
  ASSERT_EQ(led.size(), 2u);
  EXPECT_EQ(led[1].time - led[0].time, 1000 * 10000);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), 2);
  HWND prompt = FindWindowW(u"SIMSecurityUI", nullptr);
  EXPECT_NE(prompt, nullptr) << "the prompt stays for the user";

  Switch(phone, 1);
  Switch(phone, 0);
  ASSERT_TRUE(DriveUntil([] { return ce::device::Effects("line").size() == 6; }));
  EXPECT_EQ(ce::device::Effects("sim").size(), 1u) << "no second attempt";
  EXPECT_EQ(ce::device::Effects("beep").size(), 1u);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), 2);

  // A new PIN is offered again.
  EXPECT_TRUE(phone.SetPin(u"1234"));
  phone.UnlockSim();
  EXPECT_EQ(ce::device::GetInt("sim.state"), SIM_LOCKEDSTATE_READY);
  EXPECT_EQ(FindWindowW(u"SIMSecurityUI", nullptr), nullptr);
  if (HWND left = FindWindowW(u"SIMSecurityUI", nullptr)) SendMessageW(left, WM_CLOSE, 0, 0);
  StopWhileDriving([&] { phone.Stop(); });  // the worker pauses on the manual clock after a change
}

DWORD OpMode() {
  DWORD mode = 99;
  RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\OEM\\UMTS", u"OpMode", &mode);
  return mode;
}

TEST_F(PhoneTest, BandChangeOnAKaiserResetsTheRadioWithTheModemCommand) {
  ASSERT_EQ(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\OEM\\UMTS", u"OpMode", 0), S_OK);
  ce::device::SetText("device.oem", "Kaiser");
  StorePin(u"pin", Enciphered(Utf16(u"1234")));
  ce::device::SetInt("sim.state", SIM_LOCKEDSTATE_READY);
  CMobilePhoneMgr phone;
  phone.Initialize();
  EXPECT_TRUE(phone.IsKaiserOrPolaris());
  CRilMgr ril;
  ril.Initialize();
  CBandMgr band;
  band.Initialize();
  phone.AddStatusListener(&band);
  EXPECT_EQ(band.GetStatus(), 0);
  ce::device::ClearEffects();

  band.SetStatus(2, 0, 0, 0);
  ASSERT_TRUE(DriveUntil([&] { return ce::device::Effects("line").size() == 5 && !band.IsResetRunning(); }));
  EXPECT_EQ(OpMode(), 2u);
  const std::vector<std::string> expected = {
      "unregister", "modem:34 00 00 00 02 00 00 00 01 00 00 00 02 00 00 00", "minimum", "full", "unlock:0",
      "register:0", "register:0"};
  EXPECT_EQ(RadioSteps(), expected);
  EXPECT_EQ(FindWindowW(u"SIMSecurityUI", nullptr), nullptr);
  ASSERT_TRUE(DriveUntil([&] { return band.GetStatus() == 2; }));

  // The same mode again does nothing.
  const LONG executed = band.GetExecutedCount();
  band.SetStatus(2, 0, 0, 0);
  ASSERT_TRUE(DriveUntil([&] { return band.GetExecutedCount() > executed; }));
  EXPECT_EQ(RadioSteps().size(), expected.size());

  // A first request refused at once ends the reset; the next change works.
  ce::device::ScriptRefusal("line.unregister", 0, true);
  band.SetStatus(0, 0, 0, 0);
  auto refusal_logged = [&] {
    CEventRecord record;
    for (int i = 0; Log()->GetRecord(i, record); ++i)
      if (record.GetMgrId() == MGR_BAND && record.GetLevel() == EVENT_WARNING &&
          record.GetResume() == u"Error turning off radio")
        return true;
    return false;
  };
  ASSERT_TRUE(DriveUntil(refusal_logged));
  EXPECT_FALSE(band.IsResetRunning());
  EXPECT_EQ(RadioSteps().size(), expected.size());
  band.SetStatus(1, 0, 0, 0);
  ASSERT_TRUE(DriveUntil([&] { return ce::device::Effects("line").size() == 10 && !band.IsResetRunning(); }));
  EXPECT_EQ(OpMode(), 1u);
  EXPECT_EQ(RadioSteps()[expected.size() + 1], "modem:34 00 00 00 02 00 00 00 01 00 00 00 01 00 00 00");
  phone.RemoveStatusListener(&band);
  StopWhileDriving([&] {
    band.Stop();
    phone.Stop();
  });
}

}  // namespace
