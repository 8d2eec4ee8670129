// Registry notifications across processes.
//
// Every committed write announces itself with a one-byte datagram to each watcher socket in the
// runtime folder ("regwatch/<pid>"). A process with registrations runs one watcher thread bound to
// its own socket; on each datagram (and once a second, in case one was lost) it re-reads every
// watched value and delivers those that changed.
#include "platform/registry/registry_notify.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/base/wire.h"
#include "platform/kernel/device_folder.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/registry/registry_handles.h"
#include "platform/registry/registry_watch.h"
#include "platform/text/utf.h"

namespace ce::registry {
namespace fs = std::filesystem;

namespace {

struct Registration {
  DWORD handle = 0;
  KeyId root = 0;
  std::u16string path;
  std::u16string value;
  DWORD mask = 0xFFFFFFFFu;
  REGISTRYNOTIFYCALLBACK callback = nullptr;
  HANDLE queue = nullptr;
  DWORD user = 0;
  std::optional<Value> last;  // watcher lock held
};

std::optional<Value> ReadWatched(const Registration& r) {
  auto locked = Store::Open();
  if (!locked.store) return std::nullopt;
  KeyId id = locked.store->FindKey(r.root, SplitPath(r.path));
  if (!id) return std::nullopt;
  return locked.store->ReadValue(id, r.value);
}

DWORD Dword(const Value& v) {
  return static_cast<DWORD>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (static_cast<DWORD>(v.data[3]) << 24));
}

bool Changed(const std::optional<Value>& before, const std::optional<Value>& after, DWORD mask) {
  if (before.has_value() != after.has_value()) return true;
  if (!before) return false;
  if (before->type == REG_DWORD && after->type == REG_DWORD && before->data.size() == 4 && after->data.size() == 4)
    return (Dword(*before) & mask) != (Dword(*after) & mask);
  return before->type != after->type || before->data != after->data;
}

class Watcher {
 public:
  static Watcher& Get() {
    static Watcher* w = new Watcher();  // lives for the process; its thread may outlive main
    return *w;
  }

  DWORD Add(std::unique_ptr<Registration> reg) {
    reg->last = ReadWatched(*reg);
    std::lock_guard<std::mutex> guard(mu_);
    reg->handle = next_handle_;
    next_handle_ += 4;
    DWORD h = reg->handle;
    regs_.emplace(h, std::move(reg));
    if (!started_) {
      started_ = true;
      std::thread([this] { Run(); }).detach();
    }
    cv_.notify_all();
    return h;
  }

  bool Remove(DWORD handle) {
    std::unique_ptr<Registration> gone;
    {
      std::unique_lock<std::mutex> lock(mu_);
      auto it = regs_.find(handle);
      if (it == regs_.end()) return false;
      gone = std::move(it->second);
      regs_.erase(it);
      if (std::this_thread::get_id() != thread_id_)
        cv_.wait(lock, [&] { return delivering_ != handle; });
    }
    if (gone->queue) CloseMsgQueue(gone->queue);
    return true;
  }

 private:
  void Run() {
    {
      std::lock_guard<std::mutex> guard(mu_);
      thread_id_ = std::this_thread::get_id();
    }
    for (;;) {
      {
        // Without registrations the watcher keeps no socket (and touches no device folder).
        std::unique_lock<std::mutex> lock(mu_);
        cv_.wait_for(lock, std::chrono::seconds(1), [&] { return !regs_.empty(); });
        if (regs_.empty()) {
          if (fd_ >= 0) {
            close(fd_);
            unlink(bound_.c_str());
            fd_ = -1;
          }
          continue;
        }
      }
      EnsureSocket();
      if (fd_ >= 0) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 1000) > 0) {
          char buf[16];
          while (recv(fd_, buf, sizeof buf, MSG_DONTWAIT) > 0) {
          }
        }
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
      Evaluate();
    }
  }

  // Binds the watcher socket in the current device folder (tests switch folders).
  void EnsureSocket() {
    fs::path want = WatchFolder() / std::to_string(getpid());
    if (fd_ >= 0 && want == bound_ && fs::exists(bound_)) return;
    if (fd_ >= 0) close(fd_);
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr;
    if (fd_ < 0 || !FillAddress(want, &addr)) {
      if (fd_ >= 0) close(fd_);
      fd_ = -1;
      return;
    }
    unlink(want.c_str());
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      close(fd_);
      fd_ = -1;
      return;
    }
    bound_ = want;
  }

  void Evaluate() {
    std::vector<std::pair<DWORD, Registration*>> list;
    {
      std::lock_guard<std::mutex> guard(mu_);
      for (auto& [h, r] : regs_) list.emplace_back(h, r.get());
    }
    for (auto [handle, unused] : list) {
      (void)unused;
      Registration copy;
      {
        std::lock_guard<std::mutex> guard(mu_);
        auto it = regs_.find(handle);
        if (it == regs_.end()) continue;
        const Registration& r = *it->second;
        copy.root = r.root;
        copy.path = r.path;
        copy.value = r.value;
      }
      auto now = ReadWatched(copy);
      std::unique_lock<std::mutex> lock(mu_);
      auto it = regs_.find(handle);
      if (it == regs_.end()) continue;
      Registration& r = *it->second;
      if (!Changed(r.last, now, r.mask)) continue;
      r.last = now;
      delivering_ = handle;
      auto callback = r.callback;
      HANDLE queue = r.queue;
      DWORD user = r.user;
      lock.unlock();
      const BYTE* data = now && !now->data.empty() ? now->data.data() : nullptr;
      UINT size = now ? static_cast<UINT>(now->data.size()) : 0;
      if (callback) {
        callback(reinterpret_cast<HREGNOTIFY>(static_cast<ULONG_PTR>(handle)), user, data, size);
      } else if (queue) {
        wire::Writer w;
        w.U32(handle);
        w.U32(user);
        w.U32(size);
        if (size) w.Bytes(data, size);
        WriteMsgQueue(queue, const_cast<BYTE*>(w.bytes().data()), static_cast<DWORD>(w.bytes().size()), 0, 0);
      }
      lock.lock();
      delivering_ = 0;
      cv_.notify_all();
    }
  }

  std::mutex mu_;
  std::condition_variable cv_;
  std::map<DWORD, std::unique_ptr<Registration>> regs_;
  DWORD next_handle_ = 0x5000;
  DWORD delivering_ = 0;
  bool started_ = false;
  std::thread::id thread_id_;
  int fd_ = -1;
  fs::path bound_;
};

HRESULT Register(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, const NOTIFICATIONCONDITION* condition,
                 std::unique_ptr<Registration> reg, HREGNOTIFY* notify) {
  if (!notify) return E_INVALIDARG;
  *notify = nullptr;
  if (condition && condition->ctComparisonType != REG_CT_ANYCHANGE) return E_INVALIDARG;
  KeyRef base;
  if (!ResolveKey(key, &base)) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  auto parts = SplitPath(text::WideView(sub_key));
  reg->root = base.root;
  reg->path = JoinPath(base.path, parts);
  reg->value = std::u16string(text::WideView(value_name));
  reg->mask = condition ? condition->dwMask : 0xFFFFFFFFu;
  DWORD h = Watcher::Get().Add(std::move(reg));
  *notify = reinterpret_cast<HREGNOTIFY>(static_cast<ULONG_PTR>(h));
  return S_OK;
}

}  // namespace


}  // namespace ce::registry

using namespace ce::registry;

HRESULT RegistryNotifyCallback(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, REGISTRYNOTIFYCALLBACK callback,
                               DWORD user_data, const NOTIFICATIONCONDITION* condition, HREGNOTIFY* notify) {
  if (!callback) return E_INVALIDARG;
  auto reg = std::make_unique<Registration>();
  reg->callback = callback;
  reg->user = user_data;
  return Register(key, sub_key, value_name, condition, std::move(reg), notify);
}

HRESULT RegistryNotifyMsgQueue(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, LPCWSTR queue_name,
                               DWORD user_data, const NOTIFICATIONCONDITION* condition, HREGNOTIFY* notify) {
  if (!queue_name || !*queue_name) return E_INVALIDARG;
  if (notify) *notify = nullptr;
  MSGQUEUEOPTIONS options{sizeof(MSGQUEUEOPTIONS), MSGQUEUE_ALLOW_BROKEN, 0, 4096, FALSE};
  HANDLE queue = CreateMsgQueue(queue_name, &options);
  if (!queue) return E_FAIL;
  auto reg = std::make_unique<Registration>();
  reg->queue = queue;
  reg->user = user_data;
  HRESULT hr = Register(key, sub_key, value_name, condition, std::move(reg), notify);
  if (FAILED(hr)) CloseMsgQueue(queue);
  return hr;
}

HRESULT RegistryCloseNotification(HREGNOTIFY notify) {
  auto h = reinterpret_cast<ULONG_PTR>(notify);
  if (h == 0 || h > 0xFFFFFFFFu) return E_INVALIDARG;
  return Watcher::Get().Remove(static_cast<DWORD>(h)) ? S_OK : E_INVALIDARG;
}
