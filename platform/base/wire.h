// Little-endian field-by-field reading and writing of the binary layouts that cross files, queues,
// registry values and packets. A reader never reads past its buffer: a short buffer sets `ok` false
// and yields zeros.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ce::wire {

class Writer {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
  }
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void F32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U32(bits);
  }
  void F64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    U64(bits);
  }
  void Bytes(const void* data, std::size_t n) {
    auto p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + n);
  }
  void Utf16(const std::u16string& s, bool terminate) {
    for (char16_t c : s) U16(c);
    if (terminate) U16(0);
  }
  void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  // Writes `v` over the four bytes at `at`, written before (an offset known only later); nothing
  // when they are not all written yet.
  void PatchU32(std::size_t at, std::uint32_t v) {
    if (at > bytes_.size() || bytes_.size() - at < 4) return;
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

class Reader {
 public:
  Reader(const void* data, std::size_t size) : p_(static_cast<const std::uint8_t*>(data)), size_(size) {}
  explicit Reader(const std::vector<std::uint8_t>& v) : Reader(v.data(), v.size()) {}

  std::uint8_t U8() { return Need(1) ? p_[pos_++] : 0; }
  std::uint16_t U16() {
    if (!Need(2)) return 0;
    std::uint16_t v = static_cast<std::uint16_t>(p_[pos_] | (p_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t U32() {
    if (!Need(4)) return 0;
    std::uint32_t lo = U16();
    std::uint32_t hi = U16();
    return lo | (hi << 16);
  }
  std::uint64_t U64() {
    if (!Need(8)) return 0;
    std::uint64_t lo = U32();
    std::uint64_t hi = U32();
    return lo | (hi << 32);
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  double F64() {
    std::uint64_t bits = U64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  bool Bytes(void* out, std::size_t n) {
    if (!Need(n)) return false;
    std::memcpy(out, p_ + pos_, n);
    pos_ += n;
    return true;
  }
  bool Skip(std::size_t n) {
    if (!Need(n)) return false;
    pos_ += n;
    return true;
  }
  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return size_ - pos_; }
  bool ok() const { return ok_; }

 private:
  bool Need(std::size_t n) {
    if (!ok_ || size_ - pos_ < n) {
      ok_ = false;
      return false;
    }
    return true;
  }
  const std::uint8_t* p_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace ce::wire
