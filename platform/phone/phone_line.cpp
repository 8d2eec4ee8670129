// Line applications and lines over the device model. Replies are posted, after the scripted delay,
// to the process's telephony callback thread; a request's effect on the model is made when its
// reply is due.
#include <map>
#include <mutex>
#include <string>

#include "platform/base/wire.h"
#include "platform/device/callback_thread.h"
#include "platform/device/device.h"
#include "platform/phone/sim.h"
#include "platform/phone/sim_prompt.h"
#include "platform/phone/tapi.h"
#include "platform/text/utf.h"

namespace {

struct App {
  LINECALLBACK callback = nullptr;
};

class Telephony {
 public:
  static Telephony& Get() {
    static Telephony* t = new Telephony();  // lives for the process: replies may come until the end
    return *t;
  }

  LONG Initialize(LINECALLBACK callback, HLINEAPP* app) {
    std::lock_guard<std::mutex> guard(mu_);
    std::uintptr_t id = next_handle_;
    next_handle_ += 4;
    apps_[id] = {callback};
    *app = reinterpret_cast<HLINEAPP>(id);
    return 0;
  }

  LONG Shutdown(HLINEAPP app) {
    std::lock_guard<std::mutex> guard(mu_);
    std::uintptr_t id = reinterpret_cast<std::uintptr_t>(app);
    if (!apps_.erase(id)) return LINEERR_INVALAPPHANDLE;
    for (auto it = lines_.begin(); it != lines_.end();) it = it->second == id ? lines_.erase(it) : std::next(it);
    return 0;
  }

  LONG Open(HLINEAPP app, HLINE* line) {
    std::lock_guard<std::mutex> guard(mu_);
    std::uintptr_t app_id = reinterpret_cast<std::uintptr_t>(app);
    if (!apps_.count(app_id)) return LINEERR_INVALAPPHANDLE;
    std::uintptr_t id = next_handle_;
    next_handle_ += 4;
    lines_[id] = app_id;
    *line = reinterpret_cast<HLINE>(id);
    return 0;
  }

  LONG Close(HLINE line) {
    std::lock_guard<std::mutex> guard(mu_);
    return lines_.erase(reinterpret_cast<std::uintptr_t>(line)) ? 0 : LINEERR_INVALLINEHANDLE;
  }

  bool IsLine(HLINE line) {
    std::lock_guard<std::mutex> guard(mu_);
    return lines_.count(reinterpret_cast<std::uintptr_t>(line)) != 0;
  }

  // An asynchronous request on `line`: the request id, or a refusal. `apply` runs when the reply
  // is due and answers 0 or the LINEERR_ code of the reply.
  LONG Request(HLINE line, const char* op, std::function<LONG()> apply) {
    std::uintptr_t app_id;
    LONG request;
    {
      std::lock_guard<std::mutex> guard(mu_);
      auto it = lines_.find(reinterpret_cast<std::uintptr_t>(line));
      if (it == lines_.end()) return LINEERR_INVALLINEHANDLE;
      app_id = it->second;
      request = next_request_++;
      if (next_request_ <= 0) next_request_ = 1;
    }
    ce::device::Reply reply = ce::device::TakeReply(op);
    LONG refusal = ce::device::FailureCode(reply, LINEERR_OPERATIONFAILED);
    if (reply.refused && reply.immediate) return refusal;
    thread_.Post(
        [this, app_id, request, reply, refusal, apply = std::move(apply)] {
          LONG result = reply.refused ? refusal : apply();
          LINECALLBACK callback = nullptr;
          {
            std::lock_guard<std::mutex> guard(mu_);
            auto it = apps_.find(app_id);
            if (it == apps_.end()) return;
            callback = it->second.callback;
          }
          if (callback)
            callback(0, LINE_REPLY, 0, static_cast<DWORD_PTR>(request),
                     static_cast<DWORD_PTR>(static_cast<DWORD>(result)), 0);
        },
        reply.delay_ms);
    return request;
  }

 private:
  std::mutex mu_;
  std::map<std::uintptr_t, App> apps_;
  std::map<std::uintptr_t, std::uintptr_t> lines_;  // line -> its application
  std::uintptr_t next_handle_ = 0x54410004;
  LONG next_request_ = 1;
  ce::device::CallbackThread thread_;
};

// The first destination of a forward list, checked against the list's own size.
bool ForwardNumber(const LINEFORWARDLIST* list, std::u16string* number) {
  auto bytes = reinterpret_cast<const std::uint8_t*>(list);
  ce::wire::Reader head(bytes, 8);
  std::uint32_t total = head.U32();
  std::uint32_t entries = head.U32();
  if (total < 32 || total > 0x10000 || entries < 1 || 8ull + 24ull * entries > total) return false;
  ce::wire::Reader r(bytes, total);
  r.Skip(8);
  std::uint32_t mode = r.U32();
  r.Skip(12);
  std::uint32_t size = r.U32();
  std::uint32_t offset = r.U32();
  if (mode != LINEFORWARDMODE_UNCOND || size < 2 || size % 2 || offset < 8 || offset > total ||
      size > total - offset)
    return false;
  ce::wire::Reader text(bytes + offset, size);
  number->clear();
  for (std::uint32_t i = 0; i < size / 2; ++i) {
    char16_t c = text.U16();
    if (c == 0) return true;
    number->push_back(c);
  }
  return false;  // no terminator within the address
}

// A line request the device carried out, as an effect: "unregister", "minimum", "full" or
// "register" (value: the reply's result).
void RecordLine(const char* what, LONG result) {
  ce::device::Effect e;
  e.kind = "line";
  e.target = what;
  e.value = result;
  ce::device::Record(e);
}

}  // namespace

LONG lineInitialize(HLINEAPP* app, HINSTANCE, LINECALLBACK callback, LPCWSTR, LPDWORD devices) {
  if (!app || !devices) return LINEERR_INVALPOINTER;
  *app = nullptr;
  LONG rc = Telephony::Get().Initialize(callback, app);
  if (rc == 0) *devices = 1;
  return rc;
}

LONG lineShutdown(HLINEAPP app) { return Telephony::Get().Shutdown(app); }

LONG lineOpen(HLINEAPP app, DWORD device_id, HLINE* line, DWORD api_version, DWORD, DWORD_PTR, DWORD, DWORD,
              const LINECALLPARAMS*) {
  if (!line) return LINEERR_INVALPOINTER;
  *line = nullptr;
  if (device_id != 0) return LINEERR_BADDEVICEID;
  if (api_version < 0x00010004u || api_version > 0x00020000u) return LINEERR_INCOMPATIBLEAPIVERSION;
  return Telephony::Get().Open(app, line);
}

LONG lineClose(HLINE line) { return Telephony::Get().Close(line); }

LONG lineForward(HLINE line, DWORD, DWORD address_id, const LINEFORWARDLIST* list, DWORD, HCALL* consult_call,
                 const LINECALLPARAMS*) {
  if (!Telephony::Get().IsLine(line)) return LINEERR_INVALLINEHANDLE;
  if (address_id != 0) return LINEERR_INVALPARAM;
  if (consult_call) *consult_call = nullptr;
  std::u16string number;
  if (list && !ForwardNumber(list, &number)) return LINEERR_INVALPARAM;
  std::string utf8 = ce::text::ToUtf8(number);
  return Telephony::Get().Request(line, "line.forward", [utf8] {
    if (ce::device::GetInt("radio.power") == 0) return LINEERR_OPERATIONFAILED;
    ce::device::SetText("forward.number", utf8);
    ce::device::Effect e;
    e.kind = "forward";
    e.target = utf8.empty() ? "(cancelled)" : utf8;
    ce::device::Record(e);
    return LONG{0};
  });
}

LONG lineSetEquipmentState(HLINE line, DWORD state) {
  if (state < LINEEQUIPSTATE_MINIMUM || state > LINEEQUIPSTATE_FULL) return LINEERR_INVALPARAM;
  return Telephony::Get().Request(line, "line.equipment", [state] {
    bool on = state == LINEEQUIPSTATE_FULL;
    ce::device::Update([&](ce::device::Transaction& t) {
      if (on && t.GetInt("radio.power") == 0 && t.GetInt("sim.state") == SIM_LOCKEDSTATE_READY)
        t.SetInt("sim.state", SIM_LOCKEDSTATE_SIM_PIN);  // a SIM that was powered down asks for its PIN again
      if (!on) t.SetInt("radio.registered", 0);
      t.SetInt("radio.power", on ? 1 : 0);
    });
    RecordLine(on ? "full" : "minimum", 0);
    // The SIM asking for its PIN shows its prompt in this process.
    if (on && ce::device::GetInt("sim.state") == SIM_LOCKEDSTATE_SIM_PIN) ce::phone::ShowSimPrompt();
    return LONG{0};
  });
}

LONG lineGetEquipmentState(HLINE line, LPDWORD state, LPDWORD radio_support) {
  if (!Telephony::Get().IsLine(line)) return LINEERR_INVALLINEHANDLE;
  if (!state || !radio_support) return LINEERR_INVALPOINTER;
  *state = ce::device::GetInt("radio.power") ? LINEEQUIPSTATE_FULL : LINEEQUIPSTATE_MINIMUM;
  *radio_support = 1;
  return 0;
}

LONG lineRegister(HLINE line, DWORD mode, LPCWSTR, DWORD) {
  if (mode == 0) return LINEERR_INVALPARAM;
  return Telephony::Get().Request(line, "line.register", [] {
    LONG result = LINEERR_OPERATIONFAILED;
    ce::device::Update([&](ce::device::Transaction& t) {
      if (t.GetInt("radio.power") == 0 || t.GetInt("sim.state") != SIM_LOCKEDSTATE_READY) return;
      t.SetInt("radio.registered", 1);
      result = 0;
    });
    RecordLine("register", result);
    return result;
  });
}

LONG lineUnregister(HLINE line) {
  return Telephony::Get().Request(line, "line.unregister", [] {
    ce::device::SetInt("radio.registered", 0);
    RecordLine("unregister", 0);
    return LONG{0};
  });
}
