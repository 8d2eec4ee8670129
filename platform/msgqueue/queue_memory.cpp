#include "platform/msgqueue/queue_memory.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"

namespace ce::msgqueue {

namespace fs = std::filesystem;

constexpr std::uint32_t kMagic = 0x5147534Du;  // "MSGQ"
constexpr std::uint32_t kVersion = 1;
constexpr int kMaxHolders = 64;
constexpr DWORD kUnlimitedSlots = 4096;
constexpr std::size_t kSlotHeader = 8;

struct Holder {
  std::int32_t pid;
  std::uint64_t start;  // the process's start time, so a reused pid is not taken for it
  std::int32_t readers;
  std::int32_t writers;
};

struct QueueHeader {
  std::uint32_t magic;
  std::uint32_t version;
  std::uint32_t max_messages;
  std::uint32_t max_size;
  std::uint32_t slots;
  std::uint32_t slot_size;
  std::atomic<std::uint32_t> seq;
  std::atomic<std::uint32_t> count;
  std::atomic<std::uint32_t> readers;
  std::atomic<std::uint32_t> writers;
  std::atomic<std::uint32_t> max_count;
  std::uint32_t head;  // the slot of the oldest message
  pthread_mutex_t mutex;
  Holder holders[kMaxHolders];
};

namespace {

std::uint64_t StartTimeOf(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto close = text.rfind(')');
  if (close == std::string::npos) return 0;
  // Fields after the command: state is field 3; the start time is field 22.
  std::size_t pos = close + 2;
  for (int field = 3; field < 22 && pos < text.size(); ++field) {
    pos = text.find(' ', pos);
    if (pos == std::string::npos) return 0;
    ++pos;
  }
  return std::strtoull(text.c_str() + pos, nullptr, 10);
}

std::uint64_t MyStartTime() {
  static const std::uint64_t start = StartTimeOf(getpid());
  return start;
}

bool Alive(const Holder& h) {
  if (h.pid <= 0) return false;
  if (kill(h.pid, 0) != 0 && errno == ESRCH) return false;
  return StartTimeOf(h.pid) == h.start;
}

// The file name of a queue: safe characters as they are, others escaped; long names hashed.
std::string FileNameOf(const std::u16string& name) {
  std::string out;
  for (char16_t c : name) {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%%%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  if (out.size() > 180) {
    std::uint64_t hash = 1469598103934665603ull;
    for (char16_t c : name) hash = (hash ^ c) * 1099511628211ull;
    char buf[24];
    std::snprintf(buf, sizeof buf, "~%016llx", static_cast<unsigned long long>(hash));
    out = out.substr(0, 160) + buf;
  }
  return "q_" + out;
}

// The process-wide lock over opening and closing named queues.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& dir) {
    fd_ = open((dir / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);
  }

 private:
  int fd_ = -1;
};

fs::path QueueFolder() {
  fs::path dir = DeviceRuntimeFolder() / "msgq";
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

void InitHeader(QueueHeader* h, const QueueLimits& limits, DWORD slots, std::size_t slot_size) {
  h->magic = kMagic;
  h->version = kVersion;
  h->max_messages = limits.max_messages;
  h->max_size = limits.max_size;
  h->slots = slots;
  h->slot_size = static_cast<std::uint32_t>(slot_size);
  h->seq.store(0);
  h->count.store(0);
  h->readers.store(0);
  h->writers.store(0);
  h->max_count.store(0);
  h->head = 0;
  std::memset(h->holders, 0, sizeof h->holders);
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
  pthread_mutex_init(&h->mutex, &attr);
  pthread_mutexattr_destroy(&attr);
}

// Drops the holders whose process is gone and recounts readers and writers. Mutex held.
void PruneLocked(QueueHeader* h) {
  std::uint32_t readers = 0, writers = 0;
  for (auto& holder : h->holders) {
    if (holder.pid == 0) continue;
    // Our own pid with another start time is a process of the past that had the same pid.
    const bool gone = holder.pid == getpid() ? holder.start != MyStartTime() : !Alive(holder);
    if (gone) {
      holder = Holder{};
      continue;
    }
    readers += static_cast<std::uint32_t>(holder.readers);
    writers += static_cast<std::uint32_t>(holder.writers);
  }
  h->readers.store(readers);
  h->writers.store(writers);
}

std::size_t SlotSizeFor(DWORD max_size) { return kSlotHeader + ((static_cast<std::size_t>(max_size) + 7) & ~std::size_t{7}); }

DWORD SlotsFor(const QueueLimits& limits) {
  return limits.max_messages ? limits.max_messages : kUnlimitedSlots;
}

// Whether a queue file's header describes a ring this code could have made and the file holds it
// (a damaged file is replaced like one that processes left behind).
bool LayoutSound(const QueueHeader* h, off_t file_size) {
  if (h->magic != kMagic || h->version != kVersion) return false;
  if (h->max_size == 0 || h->max_size > kMaxMessageBytes || h->max_messages > kMaxMessageCount) return false;
  if (h->slots != SlotsFor(QueueLimits{h->max_messages, h->max_size}) || h->slot_size != SlotSizeFor(h->max_size))
    return false;
  return file_size >= static_cast<off_t>(sizeof(QueueHeader) + std::size_t{h->slots} * h->slot_size);
}

}  // namespace

std::shared_ptr<QueueMemory> QueueMemory::Open(const std::u16string& name, const QueueLimits& limits, bool* existed,
                                               DWORD* error) {
  std::shared_ptr<QueueMemory> q(new QueueMemory());
  *existed = false;
  if (name.empty()) {
    DWORD slots = SlotsFor(limits);
    std::size_t slot_size = SlotSizeFor(limits.max_size);
    q->length_ = sizeof(QueueHeader) + slots * slot_size;
    void* p = mmap(nullptr, q->length_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
      *error = ERROR_OUTOFMEMORY;
      return nullptr;
    }
    q->header_ = static_cast<QueueHeader*>(p);
    InitHeader(q->header_, limits, slots, slot_size);
    return q;
  }

  fs::path dir = QueueFolder();
  FolderLock folder_lock(dir);
  q->path_ = (dir / FileNameOf(name)).string();
  int fd = open(q->path_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd >= 0) {
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(sizeof(QueueHeader))) {
      void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (p != MAP_FAILED) {
        auto* h = static_cast<QueueHeader*>(p);
        bool live = false;
        if (LayoutSound(h, st.st_size)) {
          q->header_ = h;
          q->length_ = static_cast<std::size_t>(st.st_size);
          if (q->Lock()) {
            PruneLocked(h);
            // A ring position outside the ring is as damaged as a broken layout.
            live = h->head < h->slots && h->count.load() <= h->slots && h->readers.load() + h->writers.load() > 0;
            q->Unlock();
          }
        }
        if (live) {
          close(fd);
          *existed = true;
          return q;
        }
        munmap(p, static_cast<std::size_t>(st.st_size));
        q->header_ = nullptr;
      }
    }
    close(fd);
    unlink(q->path_.c_str());  // left behind by processes that are gone
  }

  DWORD slots = SlotsFor(limits);
  std::size_t slot_size = SlotSizeFor(limits.max_size);
  q->length_ = sizeof(QueueHeader) + slots * slot_size;
  std::string temp = q->path_ + ".new";
  fd = open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(q->length_)) != 0) {
    if (fd >= 0) close(fd);
    unlink(temp.c_str());
    *error = ERROR_OUTOFMEMORY;
    return nullptr;
  }
  void* p = mmap(nullptr, q->length_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (p == MAP_FAILED) {
    unlink(temp.c_str());
    *error = ERROR_OUTOFMEMORY;
    return nullptr;
  }
  q->header_ = static_cast<QueueHeader*>(p);
  InitHeader(q->header_, limits, slots, slot_size);
  rename(temp.c_str(), q->path_.c_str());
  return q;
}

QueueMemory::~QueueMemory() {
  if (header_) munmap(header_, length_);
}

bool QueueMemory::Lock() {
  int rc = pthread_mutex_lock(&header_->mutex);
  if (rc == EOWNERDEAD) {
    // A process died inside a change; each change leaves the ring consistent before the counts move.
    pthread_mutex_consistent(&header_->mutex);
    rc = 0;
  }
  return rc == 0;
}

void QueueMemory::Unlock() { pthread_mutex_unlock(&header_->mutex); }

void QueueMemory::AddHolder(int readers, int writers) {
  std::unique_ptr<FolderLock> folder_lock;
  if (!path_.empty()) folder_lock = std::make_unique<FolderLock>(fs::path(path_).parent_path());
  if (!Lock()) return;
  Holder* mine = nullptr;
  Holder* free_slot = nullptr;
  for (auto& holder : header_->holders) {
    if (holder.pid == getpid() && holder.start == MyStartTime()) mine = &holder;
    if (holder.pid == 0 && !free_slot) free_slot = &holder;
  }
  if (!mine && free_slot) {
    *free_slot = Holder{getpid(), MyStartTime(), 0, 0};
    mine = free_slot;
  }
  if (mine) {
    mine->readers += readers;
    mine->writers += writers;
    if (mine->readers <= 0 && mine->writers <= 0) *mine = Holder{};
  }
  PruneLocked(header_);
  bool last = header_->readers.load() + header_->writers.load() == 0;
  Unlock();
  // The last handle of the device gone: the queue and its messages go with it.
  if (last && !path_.empty()) unlink(path_.c_str());
  Announce();
}

PushResult QueueMemory::Push(const void* data, DWORD size, DWORD flags) {
  if (!Lock()) return PushResult::kFull;
  std::uint32_t count = header_->count.load();
  if (count >= header_->slots) {
    Unlock();
    return PushResult::kFull;
  }
  std::uint32_t slot = (header_->head + count) % header_->slots;
  auto* p = reinterpret_cast<BYTE*>(header_ + 1) + std::size_t{slot} * header_->slot_size;
  std::memcpy(p, &size, 4);
  std::memcpy(p + 4, &flags, 4);
  std::memcpy(p + kSlotHeader, data, size);
  header_->count.store(count + 1);
  if (count + 1 > header_->max_count.load()) header_->max_count.store(count + 1);
  Unlock();
  Announce();
  return PushResult::kDone;
}

PopResult QueueMemory::Pop(void* out, DWORD size, DWORD* length, DWORD* flags) {
  if (!Lock()) return PopResult::kEmpty;
  std::uint32_t count = header_->count.load();
  if (count == 0) {
    Unlock();
    return PopResult::kEmpty;
  }
  auto* p = reinterpret_cast<BYTE*>(header_ + 1) + std::size_t{header_->head} * header_->slot_size;
  DWORD len, fl;
  std::memcpy(&len, p, 4);
  std::memcpy(&fl, p + 4, 4);
  if (len > header_->max_size) len = header_->max_size;  // never read past the slot
  bool fits = len <= size;
  if (fits && len) std::memcpy(out, p + kSlotHeader, len);
  header_->head = (header_->head + 1) % header_->slots;
  header_->count.store(count - 1);
  Unlock();
  Announce();
  *length = len;
  *flags = fl;
  return fits ? PopResult::kDone : PopResult::kTooSmall;
}

DWORD QueueMemory::Count() const { return header_->count.load(); }
DWORD QueueMemory::Slots() const { return header_->slots; }
DWORD QueueMemory::Readers() const { return header_->readers.load(); }
DWORD QueueMemory::Writers() const { return header_->writers.load(); }
DWORD QueueMemory::MaxMessages() const { return header_->max_messages; }
DWORD QueueMemory::MaxSize() const { return header_->max_size; }
DWORD QueueMemory::MaxCount() const { return header_->max_count.load(); }
std::uint32_t QueueMemory::Sequence() const { return header_->seq.load(); }

void QueueMemory::WaitChange(std::uint32_t seen, int timeout_ms) const {
  timespec ts{timeout_ms / 1000, (timeout_ms % 1000) * 1000000L};
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&header_->seq), FUTEX_WAIT, seen, &ts, nullptr, 0);
}

void QueueMemory::Announce() {
  header_->seq.fetch_add(1);
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&header_->seq), FUTEX_WAKE, INT32_MAX, nullptr, nullptr, 0);
}

}  // namespace ce::msgqueue
