// The running check value of the IGC log's G line: a SHA-256 over every line written (without its
// final line feed); the G line shows the first three bytes of the digest in upper-case hex.
#pragma once

#include <nettle/sha2.h>

namespace cumulor {

struct IgcCheckValue {
  sha256_ctx context;
  IgcCheckValue() { Reset(); }
  void Reset() { sha256_init(&context); }
  void Feed(const char* bytes, unsigned length) {
    sha256_update(&context, length, reinterpret_cast<const unsigned char*>(bytes));
  }
  // Six printable characters; starts a new value afterwards.
  void Take(char out[6]) {
    unsigned char digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    static const char kHex[] = "0123456789ABCDEF";
    for (int i = 0; i < 3; ++i) {
      out[2 * i] = kHex[digest[i] >> 4];
      out[2 * i + 1] = kHex[digest[i] & 15];
    }
  }
};

}  // namespace cumulor
