// Inside the message queues: the memory a queue's messages live in, shared by every process that
// has the queue open.
//
// A named queue is a file in the device's runtime folder ("msgq/<name>") mapped by each process
// that opens it; an unnamed queue is anonymous shared memory of one process. The mapping starts
// with a header (limits, counts, a process-shared robust mutex, the processes holding handles)
// followed by a ring of fixed slots, one message each: a 32-bit length, 32-bit flags, the bytes;
// the file ends with a mark word, which reads as zeros once the file was shortened.
// Every change bumps the header's sequence word and wakes its futex, which each process's watcher
// waits on. Opening and closing go through one lock file ("msgq/.lock"), so that a queue whose last
// handle closes is removed without racing a new opener; a queue's own lock is never waited for
// while that folder lock is held.
//
// A file's blocks are reserved when it is made, so a full disk fails the creation
// (ERROR_DISK_FULL) instead of a later write into the mapping. A file changed under an open handle
// (shortened, its ring positions or sizes overwritten, a slot's length broken) makes the calls on
// it fail with ERROR_FILE_CORRUPT; a fault on a page the shortened file no longer backs is caught
// (mapping_guard.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace ce::msgqueue {

struct QueueHeader;

// The largest limits a queue is made with; options beyond them are refused.
inline constexpr DWORD kMaxMessageBytes = 16u * 1024 * 1024;
inline constexpr DWORD kMaxMessageCount = 1u << 20;

struct QueueLimits {
  DWORD max_messages = 0;  // 0: as many as the ring holds
  DWORD max_size = 0;      // bytes per message
};

enum class PushResult { kDone, kFull, kDamaged };
enum class PopResult { kDone, kEmpty, kTooSmall, kDamaged };

class QueueMemory {
 public:
  // Creates or opens the named queue (empty name: an unnamed one). `existed` tells whether a
  // live queue of that name was already there; its limits then win over `limits`.
  static std::shared_ptr<QueueMemory> Open(const std::u16string& name, const QueueLimits& limits, bool* existed,
                                           DWORD* error);
  ~QueueMemory();
  QueueMemory(const QueueMemory&) = delete;
  QueueMemory& operator=(const QueueMemory&) = delete;

  // Whether a live named queue is there now (some process holds a handle to it); makes nothing.
  static bool NamedExists(const std::u16string& name);

  // Adds or removes this process's readers and writers (a handle opening or closing).
  void AddHolder(int readers, int writers);

  // Takes the queue's lock and never gives it back (the test seam's holder that then dies).
  bool HoldLock();
  // How many times a thread of this process found a queue's lock busy and waited for it.
  static std::uint64_t LockWaits();

  PushResult Push(const void* data, DWORD size, DWORD flags);
  // Takes the oldest message into `out` (capacity `size`). A message larger than the buffer is
  // dropped and reported as kTooSmall with its length in `*length`.
  PopResult Pop(void* out, DWORD size, DWORD* length, DWORD* flags);

  // Whether the file was changed under this handle so that it can no longer be used (shortened,
  // or its ring positions or sizes overwritten).
  bool Damaged() const;
  // Whether the mapping is still backed by the file (a shortened file would fault on access): reads
  // the mark at the file's end (or asks the file's size when faults on the mapping are not caught).
  // Once it is found shortened (or the mapping was cut), it stays damaged.
  bool Intact() const;

  // Read without the lock (atomics), for waits; 0 once the file is damaged.
  DWORD Count() const;
  // The same without checking the file again: only right after `Damaged()` answered false.
  DWORD CountOfWhole() const;
  DWORD ReadersOfWhole() const;
  DWORD WritersOfWhole() const;
  DWORD Slots() const;
  DWORD Readers() const;
  DWORD Writers() const;
  DWORD MaxMessages() const;
  DWORD MaxSize() const;
  DWORD MaxCount() const;  // most messages that were ever waiting at once
  // The sequence word other processes bump; WaitChange blocks until it differs from `seen` or
  // `timeout_ms` passes.
  std::uint32_t Sequence() const;
  void WaitChange(std::uint32_t seen, int timeout_ms) const;
  // Tells every process of a change: bumps the sequence word and wakes the watchers blocked on it.
  // A message pushed or popped while no other process holds the queue wakes no watcher: this
  // process wakes its own waits, and a process that opens the queue later reads it afresh.
  void Announce();

 private:
  QueueMemory() = default;
  // Takes the queue's lock, waiting for its holder; a holder that died (or a lock field that names
  // no thread) is taken over. False if the file is damaged.
  bool Lock();
  // Takes the lock only if it is free or its holder died; never waits.
  bool TryLock();
  void Unlock();
  // Whether the mapping may be read: without asking the file while a fault on it is caught (see
  // mapping_guard.h), since a cut mapping reads as a damaged queue.
  bool Touchable() const;
  // Whether the ring's shape in the header is still the one mapped. Lock held.
  bool RingSoundLocked() const;
  void TakeOwnership(std::uint32_t me);
  void WakeWatchers();
  // Whether a process other than this one holds a handle to the queue. Lock held.
  bool SharedWithOtherProcessLocked() const;

  QueueHeader* header_ = nullptr;
  std::size_t length_ = 0;
  std::string path_;  // empty for an unnamed queue
  int fd_ = -1;       // the named queue's file, kept open to see it shortened
  // The ring's shape as checked when the queue was opened; the header's copies are only compared.
  DWORD slots_ = 0;
  std::size_t slot_size_ = 0;
  DWORD max_size_ = 0;
  DWORD max_messages_ = 0;
  bool guarded_ = false;                // a fault on the mapping is caught (mapping_guard.h)
  mutable std::atomic<bool> cut_{false};  // the file was found shortened, or the mapping cut
};

}  // namespace ce::msgqueue
