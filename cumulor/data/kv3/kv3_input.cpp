#include "cumulor/data/kv3/kv3_input.h"

#include "platform/files/files.h"

namespace cumulor::kv3 {

bool Kv3Input::Read(void* into, std::uint32_t n) {
  if (n == 0) return true;
  DWORD got = 0;
  return ReadFile(file_, into, n, &got, nullptr) && got == n;
}

bool Kv3Input::U8(std::uint8_t& v) { return Read(&v, 1); }

bool Kv3Input::U16(std::uint16_t& v) {
  std::uint8_t b[2];
  if (!Read(b, 2)) return false;
  v = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  return true;
}

bool Kv3Input::I16(std::int16_t& v) {
  std::uint16_t u = 0;
  if (!U16(u)) return false;
  v = static_cast<std::int16_t>(u);
  return true;
}

bool Kv3Input::U32(std::uint32_t& v) {
  std::uint8_t b[4];
  if (!Read(b, 4)) return false;
  v = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
      (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  return true;
}

bool Kv3Input::I32(std::int32_t& v) {
  std::uint32_t u = 0;
  if (!U32(u)) return false;
  v = static_cast<std::int32_t>(u);
  return true;
}

bool Kv3Input::Seek(std::uint32_t offset) {
  LONG high = 0;
  const DWORD at = SetFilePointer(file_, static_cast<LONG>(offset), &high, FILE_BEGIN);
  return at == offset && high == 0;
}

std::uint32_t Kv3Input::Size() const {
  DWORD high = 0;
  const DWORD size = GetFileSize(file_, &high);
  if (size == INVALID_FILE_SIZE || high != 0) return 0;
  return size;
}

}  // namespace cumulor::kv3
