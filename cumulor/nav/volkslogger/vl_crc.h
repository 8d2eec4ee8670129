// CRC-16 of the recorder link: polynomial 0x1021, most significant bit first, start value 0, no
// final XOR, computed through a 256-entry table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cumulor {

std::uint16_t VlCrcUpdate(std::uint16_t crc, std::uint8_t byte);
// CRC of `count` bytes from the start value `crc`.
std::uint16_t VlCrc(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc = 0);

}  // namespace cumulor
