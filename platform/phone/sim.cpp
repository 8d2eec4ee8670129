// The SIM over the device model: lock state, PIN and PUK, attempts left.
#include <mutex>
#include <set>

#include "platform/device/device.h"
#include "platform/phone/sim.h"
#include "platform/text/utf.h"

namespace {

constexpr int kPinAttempts = 3;

std::mutex g_mu;
std::set<std::uintptr_t> g_sims;
std::uintptr_t g_next = 0x53490004;

bool IsSim(HSIM sim) {
  std::lock_guard<std::mutex> guard(g_mu);
  return g_sims.count(reinterpret_cast<std::uintptr_t>(sim)) != 0;
}

}  // namespace

HRESULT SimInitialize(DWORD, SIMCALLBACK, DWORD, HSIM* sim) {
  if (!sim) return E_INVALIDARG;
  *sim = nullptr;
  ce::device::Reply reply = ce::device::TakeReply("sim.init");
  if (reply.refused) return ce::device::FailureCode(reply, E_FAIL);
  std::lock_guard<std::mutex> guard(g_mu);
  g_sims.insert(g_next);
  *sim = reinterpret_cast<HSIM>(g_next);
  g_next += 4;
  return S_OK;
}

HRESULT SimDeinitialize(HSIM sim) {
  std::lock_guard<std::mutex> guard(g_mu);
  return g_sims.erase(reinterpret_cast<std::uintptr_t>(sim)) ? S_OK : E_INVALIDARG;
}

HRESULT SimGetPhoneLockedState(HSIM sim, LPDWORD state) {
  if (!IsSim(sim) || !state) return E_INVALIDARG;
  *state = static_cast<DWORD>(ce::device::GetInt("sim.state"));
  return S_OK;
}

HRESULT SimUnlockPhone(HSIM sim, LPCWSTR password, LPCWSTR new_password) {
  if (!IsSim(sim) || !password) return E_INVALIDARG;
  ce::device::Reply reply = ce::device::TakeReply("sim.unlock");
  if (reply.refused) {
    const HRESULT refusal = ce::device::FailureCode(reply, SIM_E_INCORRECTPASSWORD);
    ce::device::Effect e;
    e.kind = "sim";
    e.target = "unlock";
    e.value = static_cast<std::uint32_t>(refusal);
    ce::device::Record(e);
    return refusal;
  }
  std::string given = ce::text::ToUtf8(ce::text::WideView(password));
  std::string fresh = new_password ? ce::text::ToUtf8(ce::text::WideView(new_password)) : std::string();
  HRESULT result = E_FAIL;
  bool ok = ce::device::Update([&](ce::device::Transaction& t) {
    switch (t.GetInt("sim.state")) {
      case SIM_LOCKEDSTATE_SIM_PIN:
        if (given == t.GetText("sim.pin")) {
          t.SetInt("sim.state", SIM_LOCKEDSTATE_READY);
          t.SetInt("sim.attempts", kPinAttempts);
          result = S_OK;
        } else {
          std::int64_t left = t.GetInt("sim.attempts") - 1;
          t.SetInt("sim.attempts", left > 0 ? left : 0);
          if (left <= 0) t.SetInt("sim.state", SIM_LOCKEDSTATE_SIM_PUK);
          result = SIM_E_INCORRECTPASSWORD;
        }
        break;
      case SIM_LOCKEDSTATE_SIM_PUK:
        if (fresh.size() < 4 || fresh.size() > 8) {
          result = SIM_E_NEEDNEWPIN;
        } else if (given == t.GetText("sim.puk")) {
          t.SetText("sim.pin", fresh);
          t.SetInt("sim.state", SIM_LOCKEDSTATE_READY);
          t.SetInt("sim.attempts", kPinAttempts);
          result = S_OK;
        } else {
          result = SIM_E_INCORRECTPASSWORD;
        }
        break;
      default:
        result = S_OK;  // nothing to unlock
        break;
    }
  });
  if (!ok) return E_FAIL;
  // The step as an effect (its result; never the password).
  ce::device::Effect e;
  e.kind = "sim";
  e.target = "unlock";
  e.value = static_cast<std::uint32_t>(result);
  ce::device::Record(e);
  return result;
}
