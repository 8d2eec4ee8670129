// DynArena: a bump allocator whose blocks are given back all at once.
//
// While an arena is current on a thread (DynArenaScope), DynArray takes the blocks of its growing
// arrays from it and marks them as not its own: freeing such an array frees nothing, and the
// memory goes when the arena is deleted. The XML reader builds a document's tree so, which makes
// a parsed document cheap to free (one block per 256 KB instead of one per name, value and node).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace cumulor {

class DynArena {
 public:
  DynArena() = default;
  ~DynArena() {
    while (chunk_) {
      Chunk* next = chunk_->next;
      ReleaseChunk(chunk_);
      chunk_ = next;
    }
  }
  DynArena(const DynArena&) = delete;
  DynArena& operator=(const DynArena&) = delete;

  // A block of `bytes` aligned to `align` (a power of two; 8 at least, 16 at most); null when no
  // memory can be had. Blocks are packed at 8-byte steps, so small names and arrays take little room.
  void* Allocate(std::size_t bytes, std::size_t align = 16) {
    bytes = (bytes + 7) & ~static_cast<std::size_t>(7);
    char* p = next_;
    if (align > 8) p = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(p) + 15) & ~static_cast<std::uintptr_t>(15));
    if (next_ && bytes <= static_cast<std::size_t>(end_ - p)) {
      next_ = p + bytes;
      return p;
    }
    return AllocateSlow(bytes);
  }

  // True while nothing from outside the arena was hung under the tree built in it, so the tree
  // can go without visiting its nodes. Whoever changes such a tree later clears it.
  bool pristine = true;

 private:
  struct Chunk {
    Chunk* next;
    std::size_t size;
  };
  static constexpr std::size_t kChunkBytes = 64 * 1024;
  static constexpr std::size_t kHeader = (sizeof(Chunk) + 15) & ~static_cast<std::size_t>(15);

  [[gnu::noinline]] void* AllocateSlow(std::size_t bytes) {
    // A large block gets a chunk of its own, leaving the current chunk's room for what follows.
    const std::size_t size = bytes > kChunkBytes / 4 ? bytes : kChunkBytes - kHeader;
    auto* chunk = size == kChunkBytes - kHeader ? TakeSpareChunk() : nullptr;
    if (!chunk) chunk = static_cast<Chunk*>(std::malloc(kHeader + size));
    if (!chunk) return nullptr;
    chunk->size = size;
    char* start = reinterpret_cast<char*>(chunk) + kHeader;
    if (size == bytes && chunk_) {
      chunk->next = chunk_->next;
      chunk_->next = chunk;
      return start;
    }
    chunk->next = chunk_;
    chunk_ = chunk;
    next_ = start + bytes;
    end_ = start + size;
    return start;
  }

  // Freed standard chunks are kept for the next arena, up to kSpareBytes in all: a document read
  // after another reuses memory already in the process instead of faulting in new pages.
  static constexpr std::size_t kSpareBytes = 16 * 1024 * 1024;
  struct Spares {
    std::mutex lock;
    Chunk* first = nullptr;
    std::size_t bytes = 0;
  };
  static Spares& SpareChunks() {
    static Spares* spares = new Spares;  // lives for the process: arenas may go at exit
    return *spares;
  }
  static Chunk* TakeSpareChunk() {
    Spares& s = SpareChunks();
    std::lock_guard<std::mutex> guard(s.lock);
    Chunk* chunk = s.first;
    if (chunk) {
      s.first = chunk->next;
      s.bytes -= kChunkBytes;
    }
    return chunk;
  }
  static void ReleaseChunk(Chunk* chunk) {
    if (chunk->size == kChunkBytes - kHeader) {
      Spares& s = SpareChunks();
      std::lock_guard<std::mutex> guard(s.lock);
      if (s.bytes + kChunkBytes <= kSpareBytes) {
        chunk->next = s.first;
        s.first = chunk;
        s.bytes += kChunkBytes;
        return;
      }
    }
    std::free(chunk);
  }

  Chunk* chunk_ = nullptr;
  char* next_ = nullptr;
  char* end_ = nullptr;
};

// The arena current on this thread (null: blocks come from the heap).
inline thread_local DynArena* tCurrentDynArena = nullptr;

inline DynArena* CurrentDynArena() { return tCurrentDynArena; }

// Makes an arena current for the scope's lifetime.
class DynArenaScope {
 public:
  explicit DynArenaScope(DynArena* arena) : previous_(tCurrentDynArena) { tCurrentDynArena = arena; }
  ~DynArenaScope() { tCurrentDynArena = previous_; }
  DynArenaScope(const DynArenaScope&) = delete;
  DynArenaScope& operator=(const DynArenaScope&) = delete;

 private:
  DynArena* previous_;
};

}  // namespace cumulor
