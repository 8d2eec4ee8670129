// DynArray: the growable array every Cumulor module keeps its lists in.
//
// {data, size, capacity, grow step}. When the array must grow, the new capacity is the new size plus
// the grow step, or plus size / 8 clamped to 4..1024 when no step is set. New elements are zero.
// Elements are plain data (copied as bytes); owned pointers are freed by their owner. While a
// DynArena is current on the thread, a growing array takes its block from the arena and never
// frees it (dyn_arena.h).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "cumulor/app/base/dyn_arena.h"
#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace cumulor {

template <class T>
class DynArray {
  static_assert(std::is_trivially_copyable_v<T>, "DynArray holds plain data only");

 public:
  // Sizes beyond this many elements are refused (keeps every byte count inside 32 bits).
  static constexpr std::int32_t kMaxElements = static_cast<std::int32_t>(0x7FFFFFF0 / sizeof(T));

  DynArray() = default;
  explicit DynArray(std::int32_t growStep) : step_(growStep > 0 ? growStep : 0) {}
  ~DynArray() { FreeData(); }

  DynArray(const DynArray& other) : step_(other.step_) {
    if (other.size_ > 0 && Resize(other.size_, false) == S_OK) std::memcpy(data_, other.data_, sizeof(T) * size_);
  }
  DynArray& operator=(const DynArray& other) {
    if (this != &other) {
      size_ = 0;
      step_ = other.step_;
      if (other.size_ > 0 && Resize(other.size_, false) == S_OK) std::memcpy(data_, other.data_, sizeof(T) * size_);
    }
    return *this;
  }
  DynArray(DynArray&& other) noexcept
      : data_(other.data_), size_(other.size_), capacity_(other.capacity_), step_(other.step_), inArena_(other.inArena_) {
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
    other.inArena_ = false;
  }
  DynArray& operator=(DynArray&& other) noexcept {
    if (this != &other) {
      FreeData();
      data_ = other.data_;
      size_ = other.size_;
      capacity_ = other.capacity_;
      step_ = other.step_;
      inArena_ = other.inArena_;
      other.data_ = nullptr;
      other.size_ = other.capacity_ = 0;
      other.inArena_ = false;
    }
    return *this;
  }

  // Empties the array and releases its block (a block of an arena stays with the arena).
  void Init() { FreeData(); }
  void FreeData() {
    if (!inArena_) std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
    inArena_ = false;
  }

  // Makes room for `capacity` elements in all, exactly (no grow step added); the size and the
  // elements stay. E_INVALIDARG for a negative capacity, E_OUTOFMEMORY when the block cannot be had.
  HRESULT Reserve(std::int32_t capacity) {
    if (capacity < 0) return E_INVALIDARG;
    if (capacity > kMaxElements) return E_OUTOFMEMORY;
    return capacity > capacity_ ? Grow(capacity) : S_OK;
  }

  // Takes `block`, a block of the arena current on the thread holding `size` elements, as its
  // elements (capacity = size) in place of its own, which it frees. The block stays the arena's.
  void AdoptArenaBlock(T* block, std::int32_t size) {
    if (data_ && !inArena_) std::free(data_);
    data_ = block;
    size_ = capacity_ = size;
    inArena_ = true;
  }

  // Sets the size; a growth allocates room for more (see above) and zero-fills the new elements.
  // growStep -1 keeps the array's grow step, 0 clears it, above 0 sets it.
  // E_INVALIDARG for a negative size, E_OUTOFMEMORY when the block cannot be had.
  HRESULT SetSize(std::int32_t size, std::int32_t growStep = -1) {
    if (growStep >= 0) step_ = growStep;
    return Resize(size, true);
  }

  HRESULT Append(const T& value) {
    if (size_ < capacity_) {
      data_[size_++] = value;
      return S_OK;
    }
    T copy = value;  // value may live inside this array's block
    HRESULT hr = SetSize(size_ + 1);
    if (hr != S_OK) return hr;
    data_[size_ - 1] = copy;
    return S_OK;
  }
  HRESULT Append(const T* values, std::int32_t count) {
    if (count <= 0) return S_OK;
    if (count > kMaxElements - size_) return E_OUTOFMEMORY;
    std::int32_t at = size_;
    if (values >= data_ && values < data_ + size_) {  // appending part of itself
      DynArray copy;
      if (copy.Append(values, count) != S_OK) return E_OUTOFMEMORY;
      return Append(copy.data_, count);
    }
    HRESULT hr = Resize(size_ + count, false);
    if (hr != S_OK) return hr;
    std::memcpy(static_cast<void*>(data_ + at), values, sizeof(T) * static_cast<std::size_t>(count));
    return S_OK;
  }
  HRESULT InsertAt(std::int32_t index, const T& value) {
    if (index < 0 || index > size_) return E_INVALIDARG;
    T copy = value;
    HRESULT hr = SetSize(size_ + 1);
    if (hr != S_OK) return hr;
    std::memmove(static_cast<void*>(data_ + index + 1), data_ + index, sizeof(T) * static_cast<std::size_t>(size_ - 1 - index));
    data_[index] = copy;
    return S_OK;
  }
  void RemoveAt(std::int32_t index) {
    if (index < 0 || index >= size_) return;
    std::memmove(static_cast<void*>(data_ + index), data_ + index + 1, sizeof(T) * static_cast<std::size_t>(size_ - 1 - index));
    --size_;
  }
  // Drops the last element (nothing when empty).
  void RemoveLast() {
    if (size_ > 0) --size_;
  }
  // Removes and returns the last element (a stack pop); a value-initialised T when empty.
  T Pop() {
    if (size_ == 0) return T{};
    return data_[--size_];
  }

  std::int32_t Size() const { return size_; }
  std::int32_t Capacity() const { return capacity_; }
  std::int32_t GrowStep() const { return step_; }
  bool Empty() const { return size_ == 0; }
  T* Data() { return data_; }
  const T* Data() const { return data_; }
  T& operator[](std::int32_t i) { return data_[i]; }
  const T& operator[](std::int32_t i) const { return data_[i]; }
  T& Last() { return data_[size_ - 1]; }
  const T& Last() const { return data_[size_ - 1]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

 private:
  // SetSize without the zero fill when `zero` is false (the caller writes the new elements).
  HRESULT Resize(std::int32_t size, bool zero) {
    if (size < 0) return E_INVALIDARG;
    if (size > capacity_) {
      HRESULT hr = GrowFor(size);
      if (hr != S_OK) return hr;
    }
    if (zero && size > size_)
      std::memset(static_cast<void*>(data_ + size_), 0, sizeof(T) * static_cast<std::size_t>(size - size_));
    size_ = size;
    return S_OK;
  }

  // Room for `size` elements, above the capacity, with the grow step added (kept out of line:
  // the paths that fit stay small enough to inline).
  [[gnu::noinline]] HRESULT GrowFor(std::int32_t size) {
    if (size > kMaxElements) return E_OUTOFMEMORY;
    std::int64_t grow = step_ > 0 ? step_ : Clamp(size / 8, 4, 1024);
    std::int64_t want = static_cast<std::int64_t>(size) + grow;
    if (want > kMaxElements) want = kMaxElements;
    return Grow(static_cast<std::int32_t>(want));
  }

  // Moves the elements to a block of `want` elements (above the capacity).
  HRESULT Grow(std::int32_t want) {
    const std::size_t bytes = sizeof(T) * static_cast<std::size_t>(want);
    T* block = nullptr;
    DynArena* arena = CurrentDynArena();
    if (arena) block = static_cast<T*>(arena->Allocate(bytes, alignof(T)));
    if (block) {
      if (size_ > 0) std::memcpy(static_cast<void*>(block), data_, sizeof(T) * static_cast<std::size_t>(size_));
      if (!inArena_) std::free(data_);
      inArena_ = true;
    } else {
      // A heap block in an arena's tree: that tree must be visited when it is freed.
      if (arena) arena->pristine = false;
      if (inArena_) {
        // Leaving the arena: the heap block is the array's own from now on.
        block = static_cast<T*>(std::malloc(bytes));
        if (!block) return E_OUTOFMEMORY;
        if (size_ > 0) std::memcpy(static_cast<void*>(block), data_, sizeof(T) * static_cast<std::size_t>(size_));
        inArena_ = false;
      } else {
        block = static_cast<T*>(std::realloc(static_cast<void*>(data_), bytes));
        if (!block) return E_OUTOFMEMORY;
      }
    }
    data_ = block;
    capacity_ = want;
    return S_OK;
  }

  static std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

  T* data_ = nullptr;
  std::int32_t size_ = 0;
  std::int32_t capacity_ = 0;
  std::int32_t step_ = 0;
  bool inArena_ = false;  // the block belongs to an arena, not to the array
};

}  // namespace cumulor
