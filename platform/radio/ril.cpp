// The radio interface layer over the device model. Answers and notifications are delivered on one
// callback thread per process; notifications come from comparing the model with what this process
// last saw of it, so a change made by any process (a program, the control tool) is announced.
#include "platform/radio/ril.h"

#include <map>
#include <mutex>
#include <vector>

#include "platform/base/wire.h"
#include "platform/device/callback_thread.h"
#include "platform/device/device.h"
#include "platform/device/device_watch.h"
#include "platform/libraries/builtin_libraries.h"

namespace {

struct Client {
  RILRESULTCALLBACK result = nullptr;
  RILNOTIFYCALLBACK notify = nullptr;
  DWORD classes = 0;
  DWORD param = 0;
};

struct Snapshot {
  std::int64_t power = 0, registered = 0, lac = 0, cell = 0, strength = 0, min = 0, max = 0;
};

Snapshot ReadModel() {
  using ce::device::GetInt;
  return {GetInt("radio.power"), GetInt("radio.registered"), GetInt("radio.lac"), GetInt("radio.cell"),
          GetInt("signal.strength"), GetInt("signal.min"), GetInt("signal.max")};
}

std::vector<std::uint8_t> SignalRecord(const Snapshot& s) {
  ce::wire::Writer w;
  w.U32(kRilSignalQualitySize);
  bool on = s.power != 0;
  w.U32(on ? RIL_PARAM_SQ_SIGNALSTRENGTH | RIL_PARAM_SQ_MINSIGNALSTRENGTH | RIL_PARAM_SQ_MAXSIGNALSTRENGTH : 0);
  w.I32(on ? static_cast<std::int32_t>(s.strength) : 0);
  w.I32(on ? static_cast<std::int32_t>(s.min) : 0);
  w.I32(on ? static_cast<std::int32_t>(s.max) : 0);
  w.U32(99);  // bit error rate not known
  return w.Take();
}

std::vector<std::uint8_t> CellTowerRecord() {
  using ce::device::GetInt;
  ce::wire::Writer w;
  w.U32(kRilCellTowerInfoSize);
  w.U32(RIL_PARAM_CTI_MOBILECOUNTRYCODE | RIL_PARAM_CTI_MOBILENETWORKCODE | RIL_PARAM_CTI_LOCATIONAREACODE |
        RIL_PARAM_CTI_CELLID);
  w.U32(static_cast<std::uint32_t>(GetInt("radio.mcc")));
  w.U32(static_cast<std::uint32_t>(GetInt("radio.mnc")));
  w.U32(static_cast<std::uint32_t>(GetInt("radio.lac")));
  w.U32(static_cast<std::uint32_t>(GetInt("radio.cell")));
  w.Zeros(kRilCellTowerInfoSize - 24);
  return w.Take();
}

class Radio {
 public:
  static Radio& Get() {
    static Radio* r = new Radio();  // lives for the process: callbacks may come until the end
    return *r;
  }

  HRESULT Initialize(const Client& c, HRIL* out) {
    std::lock_guard<std::mutex> guard(mu_);
    std::uintptr_t id = next_handle_;
    next_handle_ += 4;
    bool watching = false;
    for (auto& [other, client] : clients_) watching = watching || client.notify;
    clients_[id] = c;
    // A first watcher starts from the model as it is now, not from what an earlier one saw.
    if (c.notify && !watching) last_ = ReadModel();
    if (c.notify && watch_ == 0) watch_ = ce::device::Subscribe([this] { OnModelChanged(); });
    *out = reinterpret_cast<HRIL>(id);
    return S_OK;
  }

  HRESULT Deinitialize(HRIL ril) {
    std::lock_guard<std::mutex> guard(mu_);
    return clients_.erase(reinterpret_cast<std::uintptr_t>(ril)) ? S_OK : E_INVALIDARG;
  }

  // Starts a query: its command id, and the answer posted after the scripted delay.
  HRESULT Query(HRIL ril, const char* op, std::vector<std::uint8_t> (*answer)()) {
    std::uintptr_t id = reinterpret_cast<std::uintptr_t>(ril);
    HRESULT command;
    {
      std::lock_guard<std::mutex> guard(mu_);
      if (!clients_.count(id)) return E_INVALIDARG;
      command = next_command_++;
      if (next_command_ <= 0) next_command_ = 1;
    }
    ce::device::Reply reply = ce::device::TakeReply(op);
    if (reply.refused && reply.immediate) return ce::device::FailureCode(reply, E_FAIL);
    thread_.Post(
        [this, id, command, reply, answer] {
          DWORD code = RIL_RESULT_OK;
          std::vector<std::uint8_t> data;
          if (reply.refused) {
            code = RIL_RESULT_ERROR;
            ce::wire::Writer w;
            w.U32(static_cast<std::uint32_t>(ce::device::FailureCode(reply, E_FAIL)));
            data = w.Take();
          } else if (answer && ce::device::GetInt("radio.power") == 0) {
            code = RIL_RESULT_RADIOOFF;
          } else if (answer) {
            data = answer();
          }
          Client c;
          {
            std::lock_guard<std::mutex> guard(mu_);
            auto it = clients_.find(id);
            if (it == clients_.end()) return;
            c = it->second;
          }
          c.result(code, command, data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()), c.param);
        },
        reply.delay_ms);
    return command;
  }

 private:
  void OnModelChanged() {
    Snapshot now = ReadModel();
    Snapshot before;
    {
      std::lock_guard<std::mutex> guard(mu_);
      before = last_;
      last_ = now;
    }
    if (now.power != before.power || now.registered != before.registered) {
      ce::wire::Writer w;
      w.U32(1);
      Notify(RIL_NOTIFY_SYSTEMCHANGED, w.Take());
    }
    if (now.power && (now.lac != before.lac || now.cell != before.cell || !before.power)) {
      ce::wire::Writer w;
      w.U32(3);
      w.U32(static_cast<std::uint32_t>(now.lac));
      w.U32(static_cast<std::uint32_t>(now.cell));
      Notify(RIL_NOTIFY_LOCATIONUPDATE, w.Take());
    }
    if (now.power != before.power || (now.power && (now.strength != before.strength || now.min != before.min ||
                                                    now.max != before.max)))
      Notify(RIL_NOTIFY_SIGNALQUALITY, SignalRecord(now));
  }

  void Notify(DWORD code, std::vector<std::uint8_t> data) {
    thread_.Post([this, code, data = std::move(data)] {
      std::vector<std::pair<std::uintptr_t, Client>> targets;
      {
        std::lock_guard<std::mutex> guard(mu_);
        for (auto& [id, c] : clients_)
          if (c.notify && (c.classes & code & 0x00FF0000u)) targets.emplace_back(id, c);
      }
      for (auto& [id, c] : targets) {
        {
          std::lock_guard<std::mutex> guard(mu_);
          if (!clients_.count(id)) continue;
        }
        c.notify(code, data.data(), static_cast<DWORD>(data.size()), c.param);
      }
    });
  }

  std::mutex mu_;
  std::map<std::uintptr_t, Client> clients_;
  std::uintptr_t next_handle_ = 0x52490004;
  HRESULT next_command_ = 1;
  ce::device::WatchId watch_ = 0;
  Snapshot last_;
  ce::device::CallbackThread thread_;
};

std::vector<std::uint8_t> SignalAnswer() { return SignalRecord(ReadModel()); }

}  // namespace

HRESULT RIL_Initialize(DWORD port_index, RILRESULTCALLBACK result_callback, RILNOTIFYCALLBACK notify_callback,
                       DWORD notification_classes, DWORD param, HRIL* ril) {
  if (!ril) return E_INVALIDARG;
  *ril = nullptr;
  if (port_index != 1 || !result_callback) return E_INVALIDARG;
  ce::device::Reply reply = ce::device::TakeReply("ril.init");
  if (reply.refused) return ce::device::FailureCode(reply, E_FAIL);
  return Radio::Get().Initialize({result_callback, notify_callback, notification_classes, param}, ril);
}

HRESULT RIL_Deinitialize(HRIL ril) { return Radio::Get().Deinitialize(ril); }

HRESULT RIL_GetSignalQuality(HRIL ril) { return Radio::Get().Query(ril, "ril.signal", &SignalAnswer); }

HRESULT RIL_GetCellTowerInfo(HRIL ril) { return Radio::Get().Query(ril, "ril.celltower", &CellTowerRecord); }

HRESULT RIL_DevSpecific(HRIL ril, const BYTE* params, DWORD size) {
  if (!params && size) return E_INVALIDARG;
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (DWORD i = 0; i < size; ++i) {
    if (i) hex += ' ';
    hex += kHex[params[i] >> 4];
    hex += kHex[params[i] & 15];
  }
  HRESULT command = Radio::Get().Query(ril, "ril.devspecific", nullptr);
  if (command > 0) {
    ce::device::Effect e;
    e.kind = "modem";
    e.body = hex;
    e.value = size;
    ce::device::Record(e);
  }
  return command;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"ril.dll", {.by_name = {{"RIL_Initialize", Export(&RIL_Initialize)},
                                                          {"RIL_Deinitialize", Export(&RIL_Deinitialize)},
                                                          {"RIL_GetSignalQuality", Export(&RIL_GetSignalQuality)},
                                                          {"RIL_GetCellTowerInfo", Export(&RIL_GetCellTowerInfo)},
                                                          {"RIL_DevSpecific", Export(&RIL_DevSpecific)}},
                                              .by_ordinal = {{1, Export(&RIL_Initialize)},
                                                             {3, Export(&RIL_Deinitialize)},
                                                             {104, Export(&RIL_GetSignalQuality)},
                                                             {105, Export(&RIL_GetCellTowerInfo)}}});
  return true;
}();
}  // namespace
