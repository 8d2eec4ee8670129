#include "cumulor/nav/volkslogger/vl_crc.h"

#include <array>

namespace cumulor {
namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t value = static_cast<std::uint16_t>(i << 8);
    for (int bit = 0; bit < 8; ++bit) {
      value = static_cast<std::uint16_t>((value & 0x8000) ? ((value << 1) ^ 0x1021) : (value << 1));
    }
    table[i] = value;
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x1021);

}  // namespace

std::uint16_t VlCrcUpdate(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>(kTable[(byte ^ (crc >> 8)) & 0xFF] ^ ((crc << 8) & 0xFF00));
}

std::uint16_t VlCrc(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc) {
  for (std::size_t i = 0; i < count; ++i) crc = VlCrcUpdate(crc, bytes[i]);
  return crc;
}

}  // namespace cumulor
