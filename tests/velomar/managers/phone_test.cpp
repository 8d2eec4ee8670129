// The phone manager: stored PINs, radio off and on with the SIM step, and a refused PIN that is
// not offered again.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <string>
#include <vector>

#include "platform/device/device.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/velomar/managers/radio_fixture.h"
#include "velomar/core/Config.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/ui/Translator.h"
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
  teskautils_test::LogQueueReader reports;
  ASSERT_TRUE(reports.ok());
  CMobilePhoneMgr phone;
  phone.Initialize();
  phone.RefreshStatus(1);
  ce::device::ClearEffects();
  const std::u16string unlock_error = CTranslator::GetInstance()->GetText(u"ERROR UNLOCKING");
  const auto reported = [&](const std::vector<teskautils_test::RawRecord>& records) {
    int n = 0;
    for (const auto& r : records) n += r.level == 4 && r.text.find(unlock_error) != std::u16string::npos ? 1 : 0;
    return n;
  };

  Switch(phone, 1);
  Switch(phone, 0);
  // The registration is requested at once; the beep and the vibration (1000 ms on the manual
  // clock, moved in steps of 50 ms) run on the manager's worker.
  ASSERT_TRUE(DriveUntil([] { return ce::device::Effects("line").size() == 3 && ce::device::Effects("led").size() == 2; }));
  EXPECT_EQ(ce::device::Effects("beep").size(), 1u);
  const auto led = ce::device::Effects("led");
  EXPECT_GE(led[1].time - led[0].time, 1000 * 10000);
  EXPECT_LE(led[1].time - led[0].time, 1050 * 10000);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), 2);
  const auto first_reports = reports.Take();
  EXPECT_EQ(reported(first_reports), 1);
  // The report carries the SIM's own answer, not the thread's unrelated last error.
  const std::u16string sim_code = ce::text::FromUtf8(".Cod:" + std::to_string(static_cast<int>(SIM_E_INCORRECTPASSWORD)) + ".");
  for (const auto& r : first_reports) {
    if (r.text.find(unlock_error) == std::u16string::npos) continue;
    EXPECT_NE(r.text.find(sim_code), std::u16string::npos) << ce::text::ToUtf8(r.text);
  }
  HWND prompt = FindWindowW(u"SIMSecurityUI", nullptr);
  EXPECT_NE(prompt, nullptr) << "the prompt stays for the user";

  // The next radio-on makes no attempt, but the user is told again that the SIM waits.
  Switch(phone, 1);
  Switch(phone, 0);
  ASSERT_TRUE(DriveUntil([] { return ce::device::Effects("line").size() == 6 && ce::device::Effects("led").size() == 4; }));
  EXPECT_EQ(ce::device::Effects("sim").size(), 1u) << "no second attempt";
  EXPECT_EQ(ce::device::Effects("beep").size(), 2u);
  EXPECT_EQ(ce::device::GetInt("sim.attempts"), 2);
  EXPECT_EQ(reported(reports.Take()), 1);

  // A new PIN is offered again.
  EXPECT_TRUE(phone.SetPin(u"1234"));
  phone.UnlockSim();
  EXPECT_EQ(ce::device::GetInt("sim.state"), SIM_LOCKEDSTATE_READY);
  EXPECT_EQ(FindWindowW(u"SIMSecurityUI", nullptr), nullptr);
  if (HWND left = FindWindowW(u"SIMSecurityUI", nullptr)) SendMessageW(left, WM_CLOSE, 0, 0);
  StopWhileDriving([&] { phone.Stop(); });  // the worker pauses on the manual clock after a change
}

// A SIM that asks for its PIN when the manager starts: the start-up goes on without waiting for
// the alert (it runs on the worker, on the manual clock), and the second PIN is tried in its turn.
TEST_F(PhoneTest, ASimWaitingForItsPinAtStartIsUnlockedOrAlertedWithoutHoldingTheStart) {
  const struct {
    const char16_t* pin2;
    bool unlocked;
  } cases[] = {{u"", false}, {u"1234", true}, {u"77", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(ce::text::ToUtf8(c.pin2));
    StorePin(u"pin", Enciphered(Utf16(u"9999")));
    StorePin(u"pin2", c.pin2[0] ? Enciphered(Utf16(c.pin2)) : std::vector<BYTE>{});
    ce::device::SetInt("sim.attempts", 3);
    ce::device::SetInt("sim.state", SIM_LOCKEDSTATE_SIM_PIN);
    ce::device::ClearEffects();
    CMobilePhoneMgr phone;
    std::atomic<bool> started{false};
    std::thread start([&] {
      phone.Initialize();
      started = true;
    });
    EXPECT_TRUE(WaitFor([&] { return started.load(); })) << "the start waited for the clock";
    if (!started.load()) DriveUntil([&] { return started.load(); });
    start.join();
    EXPECT_EQ(ce::device::GetInt("sim.state"), c.unlocked ? SIM_LOCKEDSTATE_READY : SIM_LOCKEDSTATE_SIM_PIN);
    if (c.unlocked) {
      EXPECT_TRUE(ce::device::Effects("beep").empty());
    } else {
      ASSERT_TRUE(DriveUntil([] { return ce::device::Effects("led").size() == 2; }));
      EXPECT_EQ(ce::device::Effects("beep").size(), 1u);
    }
    StopWhileDriving([&] { phone.Stop(); });
  }
}

TEST_F(PhoneTest, AMissingStoredPinIsToldAsSuchNotAsAWrongOne) {
  StorePin(u"pin", std::vector<BYTE>{});
  StorePin(u"pin2", std::vector<BYTE>{});
  ce::device::SetInt("sim.state", SIM_LOCKEDSTATE_SIM_PIN);
  ce::device::ClearEffects();
  teskautils_test::LogQueueReader reports;
  ASSERT_TRUE(reports.ok());
  CMobilePhoneMgr phone;
  phone.Initialize();
  ASSERT_TRUE(DriveUntil([] { return ce::device::Effects("led").size() == 2; }));  // the user is alerted
  const std::u16string missing = CTranslator::GetInstance()->GetText(u"NO PIN STORED");
  const std::u16string wrong = CTranslator::GetInstance()->GetText(u"ERROR UNLOCKING");
  int told = 0;
  for (const auto& r : reports.Take()) {
    EXPECT_EQ(r.text.find(wrong), std::u16string::npos) << ce::text::ToUtf8(r.text);
    if (r.level != 4 || r.text.find(missing) == std::u16string::npos) continue;
    ++told;
    EXPECT_EQ(r.text.find(u"Cod:"), std::u16string::npos) << ce::text::ToUtf8(r.text);
  }
  EXPECT_EQ(told, 1);
  EXPECT_TRUE(ce::device::Effects("sim").empty()) << "no attempt without a PIN";
  StopWhileDriving([&] { phone.Stop(); });
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
  // The change ends (its event is set) once the refusal is handled; the log line is written on
  // the log's own thread and may come before or after that.
  ASSERT_TRUE(DriveUntil([&] { return WaitForSingleObject(band.GetStatusChangeEvent(), 0) == WAIT_OBJECT_0; }));
  EXPECT_FALSE(band.IsResetRunning());
  EXPECT_EQ(band.GetStatusChangeResult(), 2);
  ASSERT_TRUE(DriveUntil(refusal_logged));
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
