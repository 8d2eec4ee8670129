// Watchers: each process with subscribers binds a datagram socket "devwatch/<pid>" in the device's
// runtime folder; every committed change sends each of them one byte.
#include "platform/device/device_watch.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "platform/device/device_internal.h"
#include "platform/kernel/device_folder.h"
#include "platform/registry/registry_watch.h"

namespace ce::device {
namespace fs = std::filesystem;
namespace {

fs::path WatchFolder() {
  fs::path dir = DeviceRuntimeFolder() / "devwatch";
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

// Socket addresses are filled as the registry's watchers fill theirs.
using ce::registry::FillAddress;

class Watcher {
 public:
  static Watcher& Get() {
    static Watcher* w = new Watcher();  // lives for the process; its thread may outlive main
    return *w;
  }

  Watcher() {
    // The thread reads the device folder, which static destruction frees at exit: the exit handler
    // (run before that destruction, as it is registered after the folder's first use) stops it.
    DeviceFolder();
    std::atexit([] { Get().Stop(); });
  }

  WatchId Add(std::function<void()> fn) {
    std::lock_guard<std::mutex> guard(mu_);
    WatchId id = ++next_;
    subscribers_[id] = std::move(fn);
    Bind();
    if (!started_) {
      started_ = true;
      std::thread([this] { Run(); }).detach();
    }
    return id;
  }

  void Remove(WatchId id) {
    // Waiting for a running call is skipped on the watcher thread itself (a subscriber that
    // unsubscribes from inside its call).
    std::unique_lock<std::mutex> calls;
    if (std::this_thread::get_id() != thread_id_) calls = std::unique_lock<std::mutex>(calls_mu_);
    std::lock_guard<std::mutex> guard(mu_);
    subscribers_.erase(id);
  }

 private:
  // Binds the socket of this process in the current device folder; mu_ held.
  void Bind() {
    fs::path folder = DeviceFolder();
    if (fd_ >= 0 && folder == bound_folder_) return;
    if (fd_ >= 0) {
      close(fd_);
      unlink(bound_path_.c_str());
      fd_ = -1;
    }
    bound_folder_ = folder;
    bound_path_ = WatchFolder() / std::to_string(getpid());
    sockaddr_un addr;
    if (!FillAddress(bound_path_, &addr)) return;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    unlink(bound_path_.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      close(fd);
      return;
    }
    fd_ = fd;
  }

  // Makes the thread leave its loop, waiting (at most a second) until it has.
  void Stop() {
    std::unique_lock<std::mutex> guard(mu_);
    stopping_ = true;
    if (started_) stopped_cv_.wait_for(guard, std::chrono::seconds(1), [&] { return stopped_; });
  }

  void Run() {
    thread_id_ = std::this_thread::get_id();
    int quiet_ms = 0;
    for (;;) {
      int fd;
      {
        std::lock_guard<std::mutex> guard(mu_);
        if (stopping_) {
          stopped_ = true;
          stopped_cv_.notify_all();
          return;
        }
        if (DeviceFolder() != bound_folder_ && !subscribers_.empty()) Bind();
        fd = fd_;
      }
      bool woken = false;
      if (fd >= 0) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) > 0) {
          char buf[64];
          while (recv(fd, buf, sizeof buf, MSG_DONTWAIT) > 0) woken = true;
        }
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
      quiet_ms = woken ? 0 : quiet_ms + 200;
      if (!woken && quiet_ms < 1000) continue;
      quiet_ms = 0;
      std::lock_guard<std::mutex> calls(calls_mu_);
      std::map<WatchId, std::function<void()>> now;
      {
        std::lock_guard<std::mutex> guard(mu_);
        if (stopping_) continue;
        now = subscribers_;
      }
      for (auto& [id, fn] : now) {
        {
          std::lock_guard<std::mutex> guard(mu_);
          if (stopping_ || !subscribers_.count(id)) continue;
        }
        fn();
      }
    }
  }

  std::mutex mu_;
  std::mutex calls_mu_;
  std::map<WatchId, std::function<void()>> subscribers_;
  WatchId next_ = 0;
  bool started_ = false;
  bool stopping_ = false;
  bool stopped_ = false;
  std::condition_variable stopped_cv_;
  int fd_ = -1;
  fs::path bound_folder_;
  fs::path bound_path_;
  std::atomic<std::thread::id> thread_id_{};
};

}  // namespace

WatchId Subscribe(std::function<void()> on_change) { return Watcher::Get().Add(std::move(on_change)); }

void Unsubscribe(WatchId id) { Watcher::Get().Remove(id); }

namespace internal {

void AnnounceChange() {
  static int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  std::error_code ec;
  fs::path dir = DeviceRuntimeFolder() / "devwatch";
  for (auto& e : fs::directory_iterator(dir, ec)) {
    sockaddr_un addr;
    if (!FillAddress(e.path(), &addr)) continue;
    char byte = 1;
    if (sendto(fd, &byte, 1, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 &&
        (errno == ECONNREFUSED || errno == ENOENT)) {
      unlink(e.path().c_str());  // a watcher whose process is gone
    }
  }
}

}  // namespace internal
}  // namespace ce::device
