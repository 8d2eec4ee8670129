// Windows across the device's processes.
//
// Handles come from one counter in the device's runtime folder ("windows/next-handle", taken under
// an advisory lock), so they are unique among all processes. Every window has a record file there
// ("windows/w-<handle>": process, thread, top-level flag, class, title) that FindWindowW reads.
// Each process with windows listens on a Unix domain socket (abstract name from the runtime folder
// and the process id); a post, send or foreground request carries the handle, the message and its
// two integers, and a send waits for the result.
//
// Request (40 bytes, little-endian): u32 magic "WMSG", u32 kind (1 post, 2 send, 3 foreground),
// u64 window, u32 message, u64 wParam, u64 lParam, u32 zero. Reply (12 bytes): u32 status (0 done,
// 1 no such window), u64 result.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <deque>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "platform/base/errors.h"
#include "platform/base/wire.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/termination_point.h"
#include "platform/text/utf.h"
#include "platform/window/window_internal.h"

namespace ce::window {
namespace {

constexpr std::uint32_t kMagic = 0x47534D57;  // "WMSG"
constexpr std::uint32_t kPost = 1, kSend = 2, kForeground = 3, kShow = 4;
constexpr std::size_t kRequestSize = 40, kReplySize = 12;
constexpr int kServingSlots = 32;  // requests served at once
constexpr std::size_t kMaxPending = 256;  // connections whose request is still coming in
constexpr int kRequestWaitMs = 5000;      // how long a request may take to come in

std::filesystem::path Folder() {
  std::filesystem::path f = DeviceRuntimeFolder() / "windows";
  std::error_code ec;
  std::filesystem::create_directories(f, ec);
  return f;
}

std::string RecordName(HWND hwnd) {
  char name[32];
  std::snprintf(name, sizeof name, "w-%016llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hwnd)));
  return name;
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '%' || c == '\n' || c == '\r') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A '%' not followed by two hex digits (a damaged record) stays as it is.
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    int hi = s[i] == '%' && i + 2 < s.size() ? HexDigit(s[i + 1]) : -1;
    int lo = hi >= 0 ? HexDigit(s[i + 2]) : -1;
    if (lo >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

struct Record {
  HWND handle = nullptr;
  long pid = 0;
  DWORD thread = 0;
  bool top_level = false;
  std::u16string cls, title;
};

bool ReadRecord(const std::filesystem::path& file, Record& r) {
  std::ifstream in(file);
  std::string head, cls, title;
  if (!std::getline(in, head) || !std::getline(in, cls) || !std::getline(in, title)) return false;
  std::istringstream h(head);
  unsigned long long handle = 0;
  int top = 0;
  if (!(h >> std::hex >> handle >> std::dec >> r.pid >> r.thread >> top)) return false;
  r.handle = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
  r.top_level = top != 0;
  r.cls = text::FromUtf8(Unescape(cls));
  r.title = text::FromUtf8(Unescape(title));
  return true;
}

bool ProcessAlive(long pid) { return pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

// The socket address of a process of this device.
sockaddr_un AddressOf(long pid, socklen_t& length) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::size_t hash = std::hash<std::string>()(std::filesystem::absolute(DeviceRuntimeFolder()).string());
  int n = std::snprintf(a.sun_path + 1, sizeof a.sun_path - 1, "ce-windows-%zx-%ld", hash, pid);
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
  return a;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 10);
      continue;
    }
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// How long a requester may still wait, in steps of at most 10 ms of real time, and what it does
// between them (`idle`).
struct Patience {
  std::function<void()> idle;
  int limit_ms = 0;   // 0: no limit
  bool terminable;    // a program's thread: ends in a wait when TerminateThread marked it
  int waited = 0;

  // Waits up to 10 ms for `events` on `fd` (-1: just the time); poll's result.
  int Poll(int fd, short events) {
    pollfd p{fd, events, 0};
    if (!terminable) return poll(&p, 1, 10);
    kernel::TerminationPoint point;  // a terminated thread unwinds as the step ends
    return poll(&p, 1, 10);
  }
  // After a step of waiting: false when the requester gives up.
  bool Step() {
    if (idle) idle();
    waited += 10;
    return !(limit_ms && waited >= limit_ms);
  }
};

// Reads exactly `size` bytes.
bool ReadAll(int fd, std::uint8_t* out, std::size_t size, Patience& patience) {
  std::size_t done = 0;
  while (done < size) {
    int r = patience.Poll(fd, POLLIN);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (r == 0) {
      if (!patience.Step()) return false;
      continue;
    }
    ssize_t n = recv(fd, out + done, size - done, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Connects a non-blocking socket. A listener whose backlog is full (every serving slot busy and
// many requests waiting) makes the requester wait its turn rather than fail.
bool ConnectPatiently(int fd, const sockaddr_un& a, socklen_t length, Patience& patience) {
  for (;;) {
    if (connect(fd, reinterpret_cast<const sockaddr*>(&a), length) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return false;
    patience.Poll(-1, 0);
    if (!patience.Step()) return false;
  }
}

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int fd() const { return fd_; }

 private:
  int fd_;
};

// System messages whose parameters point into the sender's memory (texts, structures) or name a
// function to call (WM_TIMER's procedure): from another process they would be read, written or
// called here, so they are refused. Messages from WM_USER on are the programs' own.
bool CarriesPointer(UINT msg, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_SETTINGCHANGE:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case 0x002D:  // WM_DELETEITEM
    case 0x0039:  // WM_COMPAREITEM
    case 0x0046:  // WM_WINDOWPOSCHANGING
    case WM_WINDOWPOSCHANGED:
    case 0x004A:  // WM_COPYDATA
    case WM_NOTIFY:
    case WM_HELP:
    case 0x007C:  // WM_STYLECHANGING
    case 0x007D:  // WM_STYLECHANGED
    case 0x0083:  // WM_NCCALCSIZE
      return true;
    case WM_TIMER: return lparam != 0;
    default:
      // The edit, combo box and list box messages, many of which take texts.
      return (msg >= 0x00B0 && msg < 0x00F0) || (msg >= 0x0140 && msg < 0x0200);
  }
}

void Serve(int fd, const std::uint8_t (&req)[kRequestSize]) {
  {
    wire::Reader r(req, sizeof req);
    std::uint32_t magic = r.U32(), kind = r.U32();
    HWND hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(r.U64()));
    UINT msg = r.U32();
    WPARAM wparam = static_cast<WPARAM>(r.U64());
    LPARAM lparam = static_cast<LPARAM>(r.U64());
    std::uint32_t status = 1;
    LRESULT result = 0;
    WindowPtr w = magic == kMagic ? Find(hwnd) : nullptr;
    if (w) {
      status = 0;
      if ((kind == kPost || kind == kSend) && CarriesPointer(msg, lparam)) status = 1;
      else if (kind == kPost) status = PostToWindow(*w, msg, wparam, lparam) ? 0 : 1;
      else if (kind == kSend) result = SendMessageW(hwnd, msg, wparam, lparam);
      else if (kind == kForeground) SetForegroundWindow(hwnd);
      else if (kind == kShow) result = ShowWindow(hwnd, static_cast<int>(wparam));
      else status = 1;
    }
    wire::Writer out;
    out.U32(status);
    out.U64(static_cast<std::uint64_t>(result));
    WriteAll(fd, out.Take());
  }
  close(fd);
}

// A connection whose request has not all come in yet.
struct Pending {
  int fd;
  std::uint8_t req[kRequestSize];
  std::size_t got = 0;
  std::chrono::steady_clock::time_point deadline;
};

// The listener's loop: one thread accepts every connection and reads the requests as their bytes
// come, holding no serving slot meanwhile, so connections that send nothing (or too slowly) stall
// no one; they are closed after 5 s, and beyond kMaxPending the oldest goes first. A whole request
// waits for one of the kServingSlots threads that serve them. Never returns while the socket
// lives; the queue is never destroyed (serving threads may still finish while the process exits).
void Listen(int listener) {
  struct Queue {
    std::mutex lock;
    std::condition_variable ready;
    std::deque<std::pair<int, std::array<std::uint8_t, kRequestSize>>> requests;
    int threads = 0;
    int idle = 0;
  };
  static auto* queue = new Queue;
  const auto serve_later = [](int c, const std::uint8_t (&req)[kRequestSize]) {
    std::array<std::uint8_t, kRequestSize> copy;
    std::memcpy(copy.data(), req, kRequestSize);
    std::unique_lock<std::mutex> lock(queue->lock);
    queue->requests.emplace_back(c, copy);
    if (queue->idle > 0 || queue->threads >= kServingSlots) {
      queue->ready.notify_one();
      return;
    }
    ++queue->threads;
    lock.unlock();
    try {
      std::thread([] {
        std::unique_lock<std::mutex> hold(queue->lock);
        for (;;) {
          ++queue->idle;
          queue->ready.wait(hold, [] { return !queue->requests.empty(); });
          --queue->idle;
          auto [fd, bytes] = queue->requests.front();
          queue->requests.pop_front();
          hold.unlock();
          std::uint8_t request[kRequestSize];
          std::memcpy(request, bytes.data(), kRequestSize);
          Serve(fd, request);
          hold.lock();
        }
      }).detach();
    } catch (const std::system_error&) {
      std::lock_guard<std::mutex> again(queue->lock);
      --queue->threads;  // the request waits for a serving thread that exists
    }
  };

  std::vector<Pending> pending;
  std::vector<pollfd> polls;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    int timeout_ms = -1;
    for (std::size_t i = 0; i < pending.size();) {
      if (pending[i].deadline <= now) {
        close(pending[i].fd);
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(pending[i].deadline - now).count() + 1;
      if (timeout_ms < 0 || left < timeout_ms) timeout_ms = static_cast<int>(left);
      ++i;
    }
    polls.assign(1, pollfd{listener, POLLIN, 0});
    for (const Pending& p : pending) polls.push_back(pollfd{p.fd, POLLIN, 0});
    const int ready = poll(polls.data(), polls.size(), timeout_ms);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    // Requests first (from the back, so that removing one keeps the indexes before it).
    for (std::size_t i = pending.size(); i-- > 0;) {
      if (polls[i + 1].revents == 0) continue;
      Pending& p = pending[i];
      const ssize_t n = recv(p.fd, p.req + p.got, kRequestSize - p.got, MSG_DONTWAIT);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) {
        close(p.fd);
      } else if ((p.got += static_cast<std::size_t>(n)) == kRequestSize) {
        serve_later(p.fd, p.req);
      } else {
        continue;
      }
      pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (polls[0].revents != 0) {
      for (;;) {
        const int c = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (c < 0) {
          if (errno == EINTR || errno == ECONNABORTED) continue;
          if (errno == EAGAIN || errno == EWOULDBLOCK) break;
          return;
        }
        if (pending.size() >= kMaxPending) {
          close(pending.front().fd);
          pending.erase(pending.begin());
        }
        Pending p;
        p.fd = c;
        p.deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestWaitMs);
        pending.push_back(p);
      }
    }
  }
}

// Starts this process's listener for the current device folder (once per folder).
void EnsureServer() {
  static std::mutex m;
  static std::set<std::string> serving;
  std::lock_guard<std::mutex> lock(m);
  std::string folder = std::filesystem::absolute(DeviceRuntimeFolder()).string();
  if (serving.count(folder)) return;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return;
  socklen_t length;
  sockaddr_un a = AddressOf(getpid(), length);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), length) != 0 || listen(fd, SOMAXCONN) != 0) {
    close(fd);
    return;
  }
  serving.insert(folder);
  std::thread([fd] { Listen(fd); }).detach();
}

// One request to the process that owns `hwnd`; false when there is none or it does not answer.
// A send that gave up because its time-out passed sets `*timed_out`.
bool Request(HWND hwnd, std::uint32_t kind, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result,
             DWORD timeout_ms = INFINITE, bool* timed_out = nullptr) {
  if (!hwnd) return false;
  std::filesystem::path file = Folder() / RecordName(hwnd);
  Record rec;
  if (!ReadRecord(file, rec) || rec.pid == getpid()) return false;
  if (!ProcessAlive(rec.pid)) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return false;
  }
  // A send waits as long as the receiver works, handling messages sent to this thread meanwhile;
  // a thread that TerminateThread marks ends in one of its waits.
  Patience patience{kind == kSend ? std::function<void()>(ProcessSentMessages) : nullptr,
                    kind != kSend ? 5000 : timeout_ms == INFINITE ? 0 : std::max<int>(1, static_cast<int>(std::min<DWORD>(timeout_ms, 1u << 30))),
                    true};
  Socket socket_fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  const int fd = socket_fd.fd();
  if (fd < 0) return false;
  socklen_t length;
  sockaddr_un a = AddressOf(rec.pid, length);
  if (!ConnectPatiently(fd, a, length, patience)) {
    if (timed_out) *timed_out = patience.limit_ms && patience.waited >= patience.limit_ms;
    return false;
  }
  wire::Writer w;
  w.U32(kMagic);
  w.U32(kind);
  w.U64(reinterpret_cast<ULONG_PTR>(hwnd));
  w.U32(msg);
  w.U64(static_cast<std::uint64_t>(wparam));
  w.U64(static_cast<std::uint64_t>(lparam));
  w.U32(0);
  std::uint8_t reply[kReplySize];
  if (!WriteAll(fd, w.Take()) || !ReadAll(fd, reply, sizeof reply, patience)) {
    if (timed_out) *timed_out = patience.limit_ms && patience.waited >= patience.limit_ms;
    return false;
  }
  wire::Reader r(reply, sizeof reply);
  std::uint32_t status = r.U32();
  LRESULT value = static_cast<LRESULT>(r.U64());
  if (status != 0) return false;
  if (result) *result = value;
  return true;
}

std::mutex& PublishMutex() {
  static auto* m = new std::mutex;
  return *m;
}

}  // namespace

HWND AllocateHandle() {
  static std::atomic<std::uint64_t> fallback{0};
  std::uint64_t value = 0;
  std::filesystem::path file = Folder() / "next-handle";
  int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0 && flock(fd, LOCK_EX) == 0) {
    char buf[32] = {};
    ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    if (n > 0) value = std::strtoull(buf, nullptr, 10);
    ++value;
    int len = std::snprintf(buf, sizeof buf, "%llu\n", static_cast<unsigned long long>(value));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, buf, static_cast<size_t>(len), 0) != len) value = 0;
    flock(fd, LOCK_UN);
  }
  if (fd >= 0) close(fd);
  if (value == 0) value = (static_cast<std::uint64_t>(getpid()) << 20) + ++fallback;  // no shared folder
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x20000 + value * 4));
}

DWORD Publish(const Window& w) {
  EnsureServer();
  std::lock_guard<std::mutex> lock(PublishMutex());
  std::filesystem::path folder = Folder();
  std::filesystem::path file = folder / RecordName(w.handle);
  std::filesystem::path temp = folder / (RecordName(w.handle) + ".new");
  std::ostringstream record;
  record << std::hex << reinterpret_cast<ULONG_PTR>(w.handle) << std::dec << ' ' << getpid() << ' ' << w.thread << ' '
         << (w.parent ? 0 : 1) << '\n'
         << Escape(text::ToUtf8(w.cls->name)) << '\n'
         << Escape(text::ToUtf8(w.text)) << '\n';
  const std::string bytes = record.str();
  // Written aside and renamed: the record in place is always whole, and one that cannot be
  // written whole leaves no empty or cut file behind.
  int error = 0;
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = errno;
  } else {
    for (std::size_t done = 0; done < bytes.size() && error == 0;) {
      const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<std::size_t>(n);
      else if (n == 0) error = ENOSPC;
      else if (errno != EINTR) error = errno;
    }
    if (close(fd) != 0 && error == 0) error = errno;
  }
  if (error == 0 && rename(temp.c_str(), file.c_str()) != 0) error = errno;
  if (error == 0) return ERROR_SUCCESS;
  unlink(temp.c_str());
  if (error == ENOSPC || error == EDQUOT || error == EFBIG) return ERROR_DISK_FULL;
  if (error == EROFS || error == EACCES || error == EPERM) return ERROR_ACCESS_DENIED;
  return ERROR_WRITE_FAULT;
}

void Unpublish(HWND hwnd) {
  std::lock_guard<std::mutex> lock(PublishMutex());
  std::error_code ec;
  std::filesystem::remove(Folder() / RecordName(hwnd), ec);
}

HWND FindRemoteWindow(const std::u16string* cls, const std::u16string* title) {
  std::error_code ec;
  HWND best = nullptr;
  for (const auto& entry : std::filesystem::directory_iterator(Folder(), ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("w-", 0) != 0 || name.size() != 18) continue;
    Record r;
    if (!ReadRecord(entry.path(), r)) {
      // Records are renamed into place whole: one that does not read (an empty one an earlier
      // version left on a full folder) names no window.
      std::filesystem::remove(entry.path(), ec);
      continue;
    }
    if (r.pid == getpid() || !r.top_level) continue;
    if (cls && !NamesEqual(r.cls, *cls)) continue;
    if (title && r.title != *title) continue;
    if (!ProcessAlive(r.pid)) {
      std::filesystem::remove(entry.path(), ec);
      continue;
    }
    // The newest window of the class wins.
    if (reinterpret_cast<ULONG_PTR>(r.handle) > reinterpret_cast<ULONG_PTR>(best)) best = r.handle;
  }
  return best;
}

bool RemoteWindowExists(HWND hwnd) {
  Record r;
  return hwnd && ReadRecord(Folder() / RecordName(hwnd), r) && r.pid != getpid() && ProcessAlive(r.pid);
}

bool RemoteWindowClass(HWND hwnd, std::u16string& cls) {
  Record r;
  if (!hwnd || !ReadRecord(Folder() / RecordName(hwnd), r) || r.pid == getpid() || !ProcessAlive(r.pid)) return false;
  cls = r.cls;
  return true;
}

DWORD RemoteWindowThreadProcess(HWND hwnd, LPDWORD process_id) {
  Record r;
  if (!hwnd || !ReadRecord(Folder() / RecordName(hwnd), r) || !ProcessAlive(r.pid)) return 0;
  if (process_id) *process_id = static_cast<DWORD>(r.pid);
  return r.thread;
}

bool RemotePost(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return Request(hwnd, kPost, msg, wparam, lparam, nullptr);
}

bool RemoteSend(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result, DWORD timeout_ms,
                bool* timed_out) {
  return Request(hwnd, kSend, msg, wparam, lparam, &result, timeout_ms, timed_out);
}

bool RemoteForeground(HWND hwnd) { return Request(hwnd, kForeground, 0, 0, 0, nullptr); }

bool RemoteShow(HWND hwnd, int command, bool& was_visible) {
  LRESULT result = 0;
  if (!Request(hwnd, kShow, 0, static_cast<WPARAM>(command), 0, &result)) return false;
  was_visible = result != 0;
  return true;
}

}  // namespace ce::window
