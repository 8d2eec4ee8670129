// Bluetooth over the device model. Mode changes made by any process reach the registered queues of
// this one through the model's change watch.
#include "platform/bluetooth/bluetooth.h"

#include <map>
#include <mutex>

#include "platform/base/wire.h"
#include "platform/device/device.h"
#include "platform/device/device_watch.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/msgqueue/msgqueue.h"

namespace {

struct Registration {
  DWORD classes;
  HANDLE writer;
};

class Notifier {
 public:
  static Notifier& Get() {
    static Notifier* n = new Notifier();  // lives for the process, as the watch may call it to the end
    return *n;
  }

  HANDLE Add(DWORD classes, HANDLE writer) {
    std::lock_guard<std::mutex> guard(mu_);
    if (registrations_.empty()) last_mode_ = ce::device::GetInt("bluetooth.mode");
    std::uintptr_t id = next_;
    next_ += 4;
    registrations_[id] = {classes, writer};
    if (watch_ == 0) watch_ = ce::device::Subscribe([this] { OnModelChanged(); });
    return reinterpret_cast<HANDLE>(id);
  }

  bool Remove(HANDLE h) {
    HANDLE writer = nullptr;
    {
      std::lock_guard<std::mutex> guard(mu_);
      auto it = registrations_.find(reinterpret_cast<std::uintptr_t>(h));
      if (it == registrations_.end()) return false;
      writer = it->second.writer;
      registrations_.erase(it);
    }
    CloseMsgQueue(writer);
    return true;
  }

 private:
  void OnModelChanged() {
    std::int64_t mode = ce::device::GetInt("bluetooth.mode");
    std::lock_guard<std::mutex> guard(mu_);
    if (mode == last_mode_) return;
    DWORD event = mode == 0 ? BTE_STACK_DOWN : last_mode_ == 0 ? BTE_STACK_UP : BTE_STACK_MODE;
    last_mode_ = mode;
    ce::wire::Writer w;
    w.U32(event);
    w.U32(0);
    w.U32(static_cast<std::uint32_t>(mode));
    w.Zeros(60);
    std::vector<std::uint8_t> record = w.Take();
    for (auto& [id, r] : registrations_)
      if (r.classes & BTE_CLASS_STACK) WriteMsgQueue(r.writer, record.data(), kBtEventSize, 0, 0);
  }

  std::mutex mu_;
  std::map<std::uintptr_t, Registration> registrations_;
  std::uintptr_t next_ = 0x42540004;
  std::int64_t last_mode_ = 0;
  ce::device::WatchId watch_ = 0;
};

}  // namespace

int BthSetMode(DWORD mode) {
  if (mode > BTH_DISCOVERABLE) return ERROR_INVALID_PARAMETER;
  ce::device::Reply reply = ce::device::TakeReply("bth.setmode");
  if (reply.refused) return static_cast<int>(ce::device::ErrorCode(reply, ERROR_GEN_FAILURE));
  return ce::device::SetInt("bluetooth.mode", mode) ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
}

int BthGetMode(DWORD* mode) {
  if (!mode) return ERROR_INVALID_PARAMETER;
  ce::device::Reply reply = ce::device::TakeReply("bth.getmode");
  if (reply.refused) return static_cast<int>(ce::device::ErrorCode(reply, ERROR_GEN_FAILURE));
  *mode = static_cast<DWORD>(ce::device::GetInt("bluetooth.mode"));
  return ERROR_SUCCESS;
}

HANDLE RequestBluetoothNotifications(DWORD classes, HANDLE queue) {
  MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), 0, 0, kBtEventSize, FALSE};
  HANDLE writer = queue ? OpenMsgQueue(GetCurrentProcess(), queue, &options) : nullptr;
  if (!writer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Notifier::Get().Add(classes, writer);
}

BOOL StopBluetoothNotifications(HANDLE notifications) {
  if (Notifier::Get().Remove(notifications)) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

namespace {
const bool registered = [] {
  using ce::libraries::Export;
  ce::libraries::RegisterBuiltin(u"bthutil.dll", {.by_name = {{"BthSetMode", Export(&BthSetMode)},
                                                              {"BthGetMode", Export(&BthGetMode)}},
                                                  .by_ordinal = {{1, Export(&BthSetMode)}, {2, Export(&BthGetMode)}}});
  ce::libraries::RegisterBuiltin(
      u"btdrt.dll",
      {.by_name = {{"RequestBluetoothNotifications", Export(&RequestBluetoothNotifications)},
                   {"StopBluetoothNotifications", Export(&StopBluetoothNotifications)}},
       .by_ordinal = {}});
  return true;
}();
}  // namespace
