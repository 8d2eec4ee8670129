#include "platform/crypto/des_cbc.h"

#include <nettle/cbc.h>

namespace ce::crypto {

DesCbc::DesCbc(const std::array<std::uint8_t, DES_KEY_SIZE>& key) {
  des_set_key(&ctx_, key.data());  // 0 only marks a weak key; the schedule is set either way
}

void DesCbc::EncryptBlocks(std::uint8_t* data, std::size_t length) {
  cbc_encrypt(&ctx_, reinterpret_cast<nettle_cipher_func*>(des_encrypt), kBlock, iv_.data(), length,
              data, data);
}

void DesCbc::DecryptBlocks(std::uint8_t* data, std::size_t length) {
  cbc_decrypt(&ctx_, reinterpret_cast<nettle_cipher_func*>(des_decrypt), kBlock, iv_.data(), length,
              data, data);
}

std::vector<std::uint8_t> DesCbc::Pad(const std::uint8_t* data, std::size_t length) {
  const std::size_t pad = kBlock - length % kBlock;
  std::vector<std::uint8_t> out(data, data + length);
  out.insert(out.end(), pad, static_cast<std::uint8_t>(pad));
  return out;
}

std::optional<std::size_t> DesCbc::UnpaddedLength(const std::uint8_t* data, std::size_t length) {
  if (length == 0 || length % kBlock != 0) return std::nullopt;
  const std::uint8_t pad = data[length - 1];
  if (pad == 0 || pad > kBlock) return std::nullopt;
  for (std::size_t i = length - pad; i < length; ++i) {
    if (data[i] != pad) return std::nullopt;
  }
  return length - pad;
}

}  // namespace ce::crypto
