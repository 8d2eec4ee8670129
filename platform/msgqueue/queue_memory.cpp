#include "platform/msgqueue/queue_memory.h"

#include <fcntl.h>
#include <linux/futex.h>
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
#include <mutex>
#include <optional>

#include "platform/base/errors.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/process_identity.h"
#include "platform/msgqueue/mapping_guard.h"

namespace ce::msgqueue {

namespace fs = std::filesystem;

constexpr std::uint32_t kMagic = 0x5147534Du;  // "MSGQ"
constexpr std::uint32_t kVersion = 3;
// The word after the ring, the last of the file: every byte of it non-zero, so that a file
// shortened by any amount reads zeros there (within its last page) or faults (past it).
constexpr std::uint64_t kTailMark = 0x4B52414D2D51534Dull;  // "MSQ-MARK"
constexpr int kMaxHolders = 64;
constexpr DWORD kUnlimitedSlots = 4096;
constexpr std::size_t kSlotHeader = 8;
// How long a lock word may name a thread that never wrote itself down as the holder before the
// word is taken for damaged.
constexpr std::uint64_t kUnclaimedLockMs = 1000;

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
  std::atomic<std::uint32_t> head;  // the slot of the oldest message
  // The lock: 0 when free, else the holding thread's id. Its holder then writes down its process
  // and that process's start time, so that a holder that died (or a reused id) is recognised.
  std::atomic<std::uint32_t> lock;
  std::atomic<std::uint32_t> lock_waiters;
  std::atomic<std::uint32_t> lock_thread;  // the thread that wrote lock_pid and lock_start
  std::atomic<std::int32_t> lock_pid;
  std::atomic<std::uint64_t> lock_start;
  Holder holders[kMaxHolders];
};

namespace {

std::uint64_t MyStartTime() { return kernel::ThisProcessIdentity().start; }

bool Alive(const Holder& h) { return kernel::ProcessRuns(kernel::ProcessIdentity{h.pid, h.start}); }

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

// The device-wide lock over opening and closing named queues. It is released before a queue's own
// lock is waited for, so one queue whose lock is held never stalls the others.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& dir) {
    fd_ = open((dir / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~FolderLock() { Release(); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  void Release() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// The folder of the named queues, made if missing; `*err` is the errno of a failure to make it.
fs::path QueueFolder(int* err = nullptr) {
  fs::path dir = DeviceRuntimeFolder() / "msgq";
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (err) *err = ec ? ec.value() : 0;
  return dir;
}

// The error a failed file call on the queue folder stands for.
DWORD ErrorOf(int err) {
  switch (err) {
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    default:
      return ERROR_OUTOFMEMORY;
  }
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
  h->head.store(0);
  h->lock.store(0);
  h->lock_waiters.store(0);
  h->lock_thread.store(0);
  h->lock_pid.store(0);
  h->lock_start.store(0);
  std::memset(h->holders, 0, sizeof h->holders);
}

// Drops the holders whose process is gone and recounts readers and writers. Lock held.
void PruneLocked(QueueHeader* h) {
  std::uint32_t readers = 0, writers = 0;
  for (auto& holder : h->holders) {
    if (holder.pid == 0) continue;
    // Our own pid with another start time is a process of the past that had the same pid.
    const bool gone = holder.pid == kernel::CurrentPid() ? holder.start != MyStartTime() : !Alive(holder);
    if (gone || holder.readers < 0 || holder.writers < 0) {
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

// Where the tail mark lies: right after the ring.
std::size_t TailOffset(DWORD slots, std::size_t slot_size) { return sizeof(QueueHeader) + slots * slot_size; }

std::uint64_t TailMarkOf(const QueueHeader* h, std::size_t offset) {
  return reinterpret_cast<const std::atomic<std::uint64_t>*>(reinterpret_cast<const BYTE*>(h) + offset)
      ->load(std::memory_order_relaxed);
}

// The whole mapping's length for a ring: header, ring and tail mark.
std::size_t MappingLength(DWORD slots, std::size_t slot_size) {
  return TailOffset(slots, slot_size) + sizeof kTailMark;
}

void SetTailMark(QueueHeader* h, std::size_t offset) {
  reinterpret_cast<std::atomic<std::uint64_t>*>(reinterpret_cast<BYTE*>(h) + offset)->store(kTailMark);
}

DWORD SlotsFor(const QueueLimits& limits) {
  return limits.max_messages ? limits.max_messages : kUnlimitedSlots;
}

// Whether a queue file's header describes a ring this code could have made and the file holds it
// (a damaged file is replaced like one that processes left behind). Any lock word is usable: one
// that names no live holder is taken over.
bool LayoutSound(const QueueHeader* h, off_t file_size) {
  if (h->magic != kMagic || h->version != kVersion) return false;
  if (h->max_size == 0 || h->max_size > kMaxMessageBytes || h->max_messages > kMaxMessageCount) return false;
  if (h->slots != SlotsFor(QueueLimits{h->max_messages, h->max_size}) || h->slot_size != SlotSizeFor(h->max_size))
    return false;
  return file_size >= static_cast<off_t>(MappingLength(h->slots, h->slot_size)) &&
         TailMarkOf(h, TailOffset(h->slots, h->slot_size)) == kTailMark;
}

// How many times a thread of this process found a queue's lock busy and waited for it.
std::atomic<std::uint64_t> g_lock_waits{0};

std::uint32_t ThisThread() { return static_cast<std::uint32_t>(kernel::CurrentTid()); }

std::uint64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000 + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000;
}

// Whether the thread a lock word names is gone: no such thread, or its process is not the one that
// wrote itself down as the holder (the id was reused).
bool HolderGone(const QueueHeader* h, std::uint32_t word) {
  const auto tid = static_cast<pid_t>(word);
  if (tid <= 0) return true;
  if (kill(tid, 0) != 0 && errno == ESRCH) return true;
  if (h->lock_thread.load(std::memory_order_acquire) != word) return false;
  Holder holder{h->lock_pid.load(), h->lock_start.load(), 0, 0};
  // Read again: the holder may have let go meanwhile, and what was read may be half cleared.
  if (h->lock_thread.load(std::memory_order_acquire) != word || holder.pid <= 0) return false;
  if (holder.pid == kernel::CurrentPid()) return holder.start != MyStartTime();
  return !Alive(holder);
}

void FutexWait(const std::atomic<std::uint32_t>& word, std::uint32_t seen, int timeout_ms) {
  timespec ts{timeout_ms / 1000, (timeout_ms % 1000) * 1000000L};
  syscall(SYS_futex, reinterpret_cast<const std::uint32_t*>(&word), FUTEX_WAIT, seen, &ts, nullptr, 0);
}

void FutexWakeAll(std::atomic<std::uint32_t>& word) {
  syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE, INT32_MAX, nullptr, nullptr, 0);
}

// Maps `fd` whole; null on failure.
QueueHeader* MapFile(int fd, std::size_t length) {
  void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  return p == MAP_FAILED ? nullptr : static_cast<QueueHeader*>(p);
}

bool SameFile(int fd, const std::string& path) {
  struct stat mine {}, there {};
  return fstat(fd, &mine) == 0 && stat(path.c_str(), &there) == 0 && mine.st_ino == there.st_ino &&
         mine.st_dev == there.st_dev;
}

}  // namespace

bool QueueMemory::NamedExists(const std::u16string& name) {
  if (name.empty()) return false;
  // Asked for every log record: the folder is looked up only when the device folder changed, and
  // one stat of the file answers (a missing folder holds no queue). Kept for the whole process:
  // libraries log while they unload, after static objects are destroyed.
  struct Folder {
    std::mutex lock;
    std::uint64_t serial = 0;
    fs::path dir;
  };
  static Folder* folder = new Folder();
  std::string path;
  {
    std::lock_guard<std::mutex> guard(folder->lock);
    if (const std::uint64_t now = DeviceFolderSerial(); now != folder->serial || folder->dir.empty()) {
      folder->dir = DeviceRuntimeFolder() / "msgq";
      folder->serial = now;
    }
    path = (folder->dir / FileNameOf(name)).string();
  }
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::shared_ptr<QueueMemory> QueueMemory::Open(const std::u16string& name, const QueueLimits& limits, bool* existed,
                                               DWORD* error) {
  std::shared_ptr<QueueMemory> q(new QueueMemory());
  *existed = false;
  if (name.empty()) {
    DWORD slots = SlotsFor(limits);
    std::size_t slot_size = SlotSizeFor(limits.max_size);
    q->length_ = MappingLength(slots, slot_size);
    void* p = mmap(nullptr, q->length_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
      *error = ERROR_OUTOFMEMORY;
      return nullptr;
    }
    q->header_ = static_cast<QueueHeader*>(p);
    InitHeader(q->header_, limits, slots, slot_size);
    SetTailMark(q->header_, TailOffset(slots, slot_size));
    q->slots_ = slots;
    q->slot_size_ = slot_size;
    q->max_size_ = limits.max_size;
    q->max_messages_ = limits.max_messages;
    return q;
  }

  int folder_error = 0;
  fs::path dir = QueueFolder(&folder_error);
  if (folder_error != 0) {
    *error = ErrorOf(folder_error);
    return nullptr;
  }
  q->path_ = (dir / FileNameOf(name)).string();
  for (;;) {
    FolderLock folder_lock(dir);
    int fd = open(q->path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT) {
      *error = ErrorOf(errno);
      return nullptr;
    }
    if (fd >= 0) {
      struct stat st {};
      QueueHeader* h = nullptr;
      if (fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(sizeof(QueueHeader)))
        h = MapFile(fd, static_cast<std::size_t>(st.st_size));
      bool live = false;
      if (h && LayoutSound(h, st.st_size)) {
        q->header_ = h;
        q->length_ = static_cast<std::size_t>(st.st_size);
        q->fd_ = fd;
        q->slots_ = h->slots;
        q->slot_size_ = h->slot_size;
        q->max_size_ = h->max_size;
        q->max_messages_ = h->max_messages;
        if (!q->TryLock()) {
          // Its lock is busy: wait for it without the folder lock, then look again.
          folder_lock.Release();
          if (q->Lock()) q->Unlock();
          munmap(h, q->length_);
          close(fd);
          q->header_ = nullptr;
          q->fd_ = -1;
          continue;
        }
        PruneLocked(h);
        // A ring position outside the ring is as damaged as a broken layout.
        live = h->head.load() < h->slots && h->count.load() <= h->slots && h->readers.load() + h->writers.load() > 0;
        q->Unlock();
        if (live) {
          *existed = true;
          q->guarded_ = GuardMapping(q->header_, q->length_, &q->cut_);
          return q;
        }
        q->header_ = nullptr;
        q->fd_ = -1;
      }
      if (h) munmap(h, static_cast<std::size_t>(st.st_size));
      close(fd);
      unlink(q->path_.c_str());  // left behind by processes that are gone, or damaged
    }

    DWORD slots = SlotsFor(limits);
    std::size_t slot_size = SlotSizeFor(limits.max_size);
    q->length_ = MappingLength(slots, slot_size);
    std::string temp = q->path_ + ".new";
    fd = open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
      *error = ErrorOf(errno);
      return nullptr;
    }
    // Every block is reserved now: writes into the mapping can never find the disk full.
    if (int rc = posix_fallocate(fd, 0, static_cast<off_t>(q->length_)); rc != 0) {
      close(fd);
      unlink(temp.c_str());
      *error = ErrorOf(rc);
      return nullptr;
    }
    QueueHeader* h = MapFile(fd, q->length_);
    if (!h) {
      close(fd);
      unlink(temp.c_str());
      *error = ERROR_OUTOFMEMORY;
      return nullptr;
    }
    InitHeader(h, limits, slots, slot_size);
    SetTailMark(h, TailOffset(slots, slot_size));
    if (rename(temp.c_str(), q->path_.c_str()) != 0) {
      const int err = errno;
      munmap(h, q->length_);
      close(fd);
      unlink(temp.c_str());
      *error = ErrorOf(err);
      return nullptr;
    }
    q->header_ = h;
    q->fd_ = fd;
    q->slots_ = slots;
    q->slot_size_ = slot_size;
    q->max_size_ = limits.max_size;
    q->max_messages_ = limits.max_messages;
    q->guarded_ = GuardMapping(q->header_, q->length_, &q->cut_);
    return q;
  }
}

QueueMemory::~QueueMemory() {
  if (guarded_) UnguardMapping(header_);
  if (header_) munmap(header_, length_);
  if (fd_ >= 0) close(fd_);
}

bool QueueMemory::Intact() const {
  if (fd_ < 0) return true;
  if (cut_.load(std::memory_order_relaxed)) return false;
  if (guarded_) {
    // The last word of the file: zeros once the file was shortened into its page, and a fault
    // past it cuts the mapping (which then reads zeros too).
    if (TailMarkOf(header_, TailOffset(slots_, slot_size_)) == kTailMark) return true;
  } else {
    struct stat st {};
    if (fstat(fd_, &st) == 0 && st.st_size >= static_cast<off_t>(length_)) return true;
  }
  cut_.store(true);  // found shortened: the queue stays damaged for this handle
  return false;
}

bool QueueMemory::Touchable() const { return guarded_ ? !cut_.load(std::memory_order_relaxed) : Intact(); }

bool QueueMemory::RingSoundLocked() const {
  const QueueHeader* h = header_;
  return h->slots == slots_ && h->slot_size == slot_size_ && h->max_size == max_size_ && h->head.load() < slots_ &&
         h->count.load() <= slots_;
}

bool QueueMemory::Damaged() const {
  if (!Touchable()) return true;
  const QueueHeader* h = header_;
  return h->slots != slots_ || h->slot_size != slot_size_ || h->max_size != max_size_ || h->head.load() >= slots_ ||
         h->count.load() > slots_;
}

void QueueMemory::TakeOwnership(std::uint32_t me) {
  header_->lock_pid.store(kernel::CurrentPid(), std::memory_order_relaxed);
  header_->lock_start.store(MyStartTime(), std::memory_order_relaxed);
  header_->lock_thread.store(me, std::memory_order_release);
}

bool QueueMemory::TryLock() {
  if (!Intact()) return false;
  const std::uint32_t me = ThisThread();
  std::uint32_t word = 0;
  if (!header_->lock.compare_exchange_strong(word, me)) {
    if (!HolderGone(header_, word) || !header_->lock.compare_exchange_strong(word, me)) return false;
  }
  TakeOwnership(me);
  return true;
}

bool QueueMemory::Lock() {
  if (!Intact()) return false;
  const std::uint32_t me = ThisThread();
  std::uint32_t word = 0;
  if (header_->lock.compare_exchange_strong(word, me)) {
    TakeOwnership(me);
    return true;
  }
  g_lock_waits.fetch_add(1, std::memory_order_relaxed);
  std::uint32_t watched = word;
  std::uint64_t watched_since = NowMs();
  for (;;) {
    if (word == 0) {
      if (header_->lock.compare_exchange_strong(word, me)) break;
      continue;
    }
    if (word != watched) {
      watched = word;
      watched_since = NowMs();
    }
    header_->lock_waiters.fetch_add(1);
    FutexWait(header_->lock, word, 10);
    header_->lock_waiters.fetch_sub(1);
    if (!Intact()) return false;
    std::uint32_t now = header_->lock.load();
    if (now == word) {
      // The same holder all along: take the lock over if it died, or if the word names a thread
      // that never wrote itself down as the holder (a damaged field).
      const bool unclaimed = header_->lock_thread.load() != word && NowMs() - watched_since > kUnclaimedLockMs;
      if ((HolderGone(header_, word) || unclaimed) && header_->lock.compare_exchange_strong(now, me)) break;
    }
    word = header_->lock.load();
  }
  // A holder that died left the ring consistent: each change fills a slot before the count moves.
  TakeOwnership(me);
  return true;
}

void QueueMemory::Unlock() {
  header_->lock_thread.store(0, std::memory_order_relaxed);
  header_->lock_pid.store(0, std::memory_order_relaxed);
  header_->lock.store(0, std::memory_order_release);
  if (header_->lock_waiters.load() != 0) FutexWakeAll(header_->lock);
}

void QueueMemory::AddHolder(int readers, int writers) {
  for (;;) {
    std::optional<FolderLock> folder_lock;
    if (!path_.empty()) folder_lock.emplace(fs::path(path_).parent_path());
    if (!TryLock()) {
      if (!Intact()) return;
      // Wait for the queue's lock without the folder lock, then start again.
      if (folder_lock) folder_lock->Release();
      if (Lock()) Unlock();
      continue;
    }
    Holder* mine = nullptr;
    Holder* free_slot = nullptr;
    for (auto& holder : header_->holders) {
      if (holder.pid == kernel::CurrentPid() && holder.start == MyStartTime()) mine = &holder;
      if (holder.pid == 0 && !free_slot) free_slot = &holder;
    }
    if (!mine && free_slot) {
      *free_slot = Holder{kernel::CurrentPid(), MyStartTime(), 0, 0};
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
    // The last handle of the device gone: the queue and its messages go with it (unless the name
    // already belongs to a new file that replaced this one).
    if (last && !path_.empty() && SameFile(fd_, path_)) unlink(path_.c_str());
    break;
  }
  Announce();
}

bool QueueMemory::HoldLock() { return Lock(); }

std::uint64_t QueueMemory::LockWaits() { return g_lock_waits.load(std::memory_order_relaxed); }

PushResult QueueMemory::Push(const void* data, DWORD size, DWORD flags) {
  if (size == 0 || size > max_size_) return PushResult::kDamaged;
  if (!Lock()) return PushResult::kDamaged;
  if (!RingSoundLocked()) {
    Unlock();
    return PushResult::kDamaged;
  }
  std::uint32_t count = header_->count.load();
  if (count >= slots_) {
    Unlock();
    return PushResult::kFull;
  }
  std::uint32_t slot = (header_->head.load() + count) % slots_;
  auto* p = reinterpret_cast<BYTE*>(header_ + 1) + std::size_t{slot} * slot_size_;
  std::memcpy(p, &size, 4);
  std::memcpy(p + 4, &flags, 4);
  std::memcpy(p + kSlotHeader, data, size);
  header_->count.store(count + 1);
  if (count + 1 > header_->max_count.load()) header_->max_count.store(count + 1);
  const bool shared = SharedWithOtherProcessLocked();
  header_->seq.fetch_add(1);
  Unlock();
  if (shared) WakeWatchers();
  return PushResult::kDone;
}

PopResult QueueMemory::Pop(void* out, DWORD size, DWORD* length, DWORD* flags) {
  if (!Lock()) return PopResult::kDamaged;
  if (!RingSoundLocked()) {
    Unlock();
    return PopResult::kDamaged;
  }
  std::uint32_t count = header_->count.load();
  if (count == 0) {
    Unlock();
    return PopResult::kEmpty;
  }
  auto* p = reinterpret_cast<BYTE*>(header_ + 1) + std::size_t{header_->head.load()} * slot_size_;
  DWORD len, fl;
  std::memcpy(&len, p, 4);
  std::memcpy(&fl, p + 4, 4);
  // No write stores an empty message or one over the limit: such a slot was overwritten. It is
  // dropped like any other message so the ones behind it can still be read.
  const bool sound = len > 0 && len <= max_size_;
  bool fits = sound && len <= size;
  if (fits) std::memcpy(out, p + kSlotHeader, len);
  header_->head.store((header_->head.load() + 1) % slots_);
  header_->count.store(count - 1);
  const bool shared = SharedWithOtherProcessLocked();
  header_->seq.fetch_add(1);
  Unlock();
  if (shared) WakeWatchers();
  *length = sound ? len : 0;
  *flags = fl;
  if (!sound) return PopResult::kDamaged;
  return fits ? PopResult::kDone : PopResult::kTooSmall;
}

DWORD QueueMemory::Count() const { return Touchable() ? header_->count.load() : 0; }
DWORD QueueMemory::CountOfWhole() const { return header_->count.load(); }
DWORD QueueMemory::ReadersOfWhole() const { return header_->readers.load(); }
DWORD QueueMemory::WritersOfWhole() const { return header_->writers.load(); }
DWORD QueueMemory::Slots() const { return slots_; }
DWORD QueueMemory::Readers() const { return Touchable() ? header_->readers.load() : 0; }
DWORD QueueMemory::Writers() const { return Touchable() ? header_->writers.load() : 0; }
DWORD QueueMemory::MaxMessages() const { return max_messages_; }
DWORD QueueMemory::MaxSize() const { return max_size_; }
DWORD QueueMemory::MaxCount() const { return Touchable() ? header_->max_count.load() : 0; }
std::uint32_t QueueMemory::Sequence() const { return Touchable() ? header_->seq.load() : 0; }

void QueueMemory::WaitChange(std::uint32_t seen, int timeout_ms) const {
  if (!Touchable()) {
    timespec ts{timeout_ms / 1000, (timeout_ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
    return;
  }
  FutexWait(header_->seq, seen, timeout_ms);
}

void QueueMemory::Announce() {
  if (!Intact()) return;
  header_->seq.fetch_add(1);
  WakeWatchers();
}

// The mapping was found whole under the lock just before; a futex wake on a page cut off since
// fails without touching it.
void QueueMemory::WakeWatchers() { FutexWakeAll(header_->seq); }

bool QueueMemory::SharedWithOtherProcessLocked() const {
  const pid_t me = kernel::CurrentPid();
  for (const Holder& holder : header_->holders)
    if (holder.pid != 0 && holder.pid != me) return true;
  return false;
}

}  // namespace ce::msgqueue
