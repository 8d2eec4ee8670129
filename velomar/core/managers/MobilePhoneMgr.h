// The phone manager (id 3): the phone radio on (status 0) or off (1), switched through the
// telephony line's equipment state and read back from System\State\Phone "Status". After the
// radio comes on the SIM is unlocked with the stored PIN (the second PIN when the first is
// refused) and the line registers. It also follows external power, knows the device model, and
// holds the "user radio switch in progress" flag that the schedule engine and the phone button
// share.
//
// PINs are stored enciphered in the settings "pin" and "pin2"; in memory they are plain, at most
// 9 characters. A PIN the SIM refused is not offered again until a new one is stored, so that
// automatic unlocks never use up the SIM's attempts.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/phone/sim.h"
#include "platform/phone/tapi.h"
#include "velomar/core/managers/Broker.h"
#include "velomar/core/managers/LineRequests.h"
#include "velomar/core/managers/Mgr.h"

class CMobilePhoneMgr : public CMgr, public IBrokerListener {
 public:
  // The longest PIN kept.
  static constexpr std::size_t kMaxPinChars = 9;

  // Reads the stored PINs (only those that decipher and fit).
  CMobilePhoneMgr();
  ~CMobilePhoneMgr() override;
  static CMobilePhoneMgr* GetInstance();

  void Initialize() override;
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_PHONE; }
  void RefreshStatusChild(int force) override;
  // The radio test: 4000 rounds of radio on and off on a line of its own.
  void Test() override;
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override { SetStatus(0, 0, 0, 0); }
  // A time-limited radio state ends by switching back.
  void ProcessTimerNotification(int) override { Toggle(0); }
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;
  // kAlertCommand: the beep and a vibration of `argument` ms, on the worker.
  void HandleCommand(int command_id, int argument) override;
  static constexpr int kAlertCommand = 1;

  // IBrokerListener: the phone status (refresh) or the battery (external power).
  void OnStateChanged(DWORD notification) override;

  // Radio off (for `minutes` when above 0) when it is on, else on.
  void Toggle(int minutes);
  // Starts the asynchronous power change.
  void SetRadioPower(int on);
  void SetRadioPowerNow(int off);
  bool IsRadioOn() { return GetStatus() == 0; }
  void SetOperationRunning(int flag) { m_operationRunning = flag; }
  int IsOperationRunning() const { return m_operationRunning.load(); }
  void IncrementEventCount() { CountEvent(); }
  // System\State\Phone "Status": 1 radio off, 0 on, -1 unreadable.
  int GetGSMStatus();

  // Store the PIN enciphered and keep it; false for a text over 9 characters (an empty text
  // changes nothing and answers true).
  bool SetPin(const std::u16string& pin);
  bool SetPin2(const std::u16string& pin);
  std::u16string GetPin();
  std::u16string GetPin2();

  // The vibrator (through the one process-wide owner).
  static void Vibrate(DWORD duration_ms);
  // The device model is exactly "Kaiser" or "Polaris" (they need the band's modem command).
  bool IsKaiserOrPolaris();
  std::u16string GetDeviceModel();
  int GetPlatformVersion() const { return m_platformVersion.load(); }
  int IsExternalPower() const { return m_externalPower.load(); }
  void CloseLine();
  void OpenLine();
  // The SIM step, when the SIM asks for its PIN: unlock with the PIN (then the second PIN), close
  // the platform's PIN prompt, and request registration. A PIN that cannot be offered (none, or
  // one the SIM refused) counts as refused without an attempt. When neither PIN unlocks, the
  // prompt stays for the user, who is alerted by a beep and a 1000 ms vibration; the alert runs
  // on the manager's worker, so the caller (the start-up, the line's reply thread) goes on.
  void UnlockSim();

  // The user's radio switch: set by the phone button, cleared when the power change completes
  // or is refused.
  void SetUserSwitch(bool in_progress) { m_userSwitch = in_progress; }
  bool IsUserSwitchInProgress() const { return m_userSwitch.load(); }

 private:
  static void LineCallback(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2,
                           DWORD_PTR param3);
  void OnLineReply(LONG request, LONG result);
  // The power change ended (successfully or not).
  void Complete();
  void Fail(const char16_t* text);
  void RequestRegistration();
  void ReadExternalPower(bool fire);
  void LogLevel3(const char16_t* text);
  HLINE Line();
  bool StorePin(const WCHAR* setting, const std::u16string& pin, std::u16string& kept, bool& refused);

  HSIM m_sim = nullptr;
  std::mutex m_lineLock;
  HLINE m_line = nullptr;
  HLINEAPP m_lineApp = nullptr;
  CLineRequests m_requests;
  std::atomic<int> m_requestedPower{-1};
  HREGNOTIFY m_phoneNotification = nullptr;
  HREGNOTIFY m_batteryNotification = nullptr;
  std::mutex m_textLock;  // the model and the PINs
  std::u16string m_deviceModel;
  std::atomic<int> m_operationRunning{0};
  std::atomic<int> m_operationStartSecond{0};
  std::atomic<int> m_externalPower{0};
  std::u16string m_pin;
  std::u16string m_pin2;
  // The PIN (or second PIN) in memory was refused by the SIM: not offered again until replaced.
  bool m_pinRefused = false;
  bool m_pin2Refused = false;
  std::atomic<int> m_platformVersion{0};
  std::atomic<bool> m_userSwitch{false};
  bool m_listeningToBroker = false;
};
