// DES in CBC mode with PKCS#5 padding, on nettle. Keeps the chaining value between calls so a
// message can be enciphered in pieces.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <nettle/des.h>

namespace ce::crypto {

class DesCbc {
 public:
  static constexpr std::size_t kBlock = DES_BLOCK_SIZE;

  // Parity bits of the key are ignored; weak keys are accepted, as the device's service does.
  explicit DesCbc(const std::array<std::uint8_t, DES_KEY_SIZE>& key);

  // Whole blocks only (the length is a multiple of 8).
  void EncryptBlocks(std::uint8_t* data, std::size_t length);
  void DecryptBlocks(std::uint8_t* data, std::size_t length);

  // The plain text with one to eight bytes of padding appended.
  static std::vector<std::uint8_t> Pad(const std::uint8_t* data, std::size_t length);
  // The length without the padding, or nothing when the padding is not valid.
  static std::optional<std::size_t> UnpaddedLength(const std::uint8_t* data, std::size_t length);

  // Starts a new chain from the zero initialisation vector.
  void Restart() { iv_.fill(0); }

 private:
  des_ctx ctx_;
  std::array<std::uint8_t, kBlock> iv_{};
};

}  // namespace ce::crypto
