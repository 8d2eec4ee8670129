// Enciphering of short buffers in place with the library's fixed key: a DES key derived from the
// SHA-1 value of the pass phrase, through the platform's cryptographic service.
#include "platform/crypto/wincrypt.h"
#include "teskautils/TeskaUtils.h"

namespace {

constexpr BYTE kPassPhrase[] = {'8', '2', '6', '1'};  // hashed without a terminator
constexpr DWORD kCapacity = 1008;

// The provider, hash and key of one operation, released whatever happens.
class CipherSession {
 public:
  CipherSession() {
    if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, 0)) {
      provider_ = 0;
      return;
    }
    if (!CryptCreateHash(provider_, CALG_SHA1, 0, 0, &hash_)) {
      hash_ = 0;
      return;
    }
    if (!CryptHashData(hash_, kPassPhrase, sizeof kPassPhrase, 0)) return;
    if (!CryptDeriveKey(provider_, CALG_DES, hash_, 0, &key_)) key_ = 0;
  }
  ~CipherSession() {
    if (key_) CryptDestroyKey(key_);
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
  }
  CipherSession(const CipherSession&) = delete;
  CipherSession& operator=(const CipherSession&) = delete;

  HCRYPTKEY key() const { return key_; }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
  HCRYPTKEY key_ = 0;
};

}  // namespace

extern "C" int Encriptar(BYTE* buffer, DWORD* length) {
  if (buffer == nullptr || length == nullptr) return 0;
  CipherSession session;
  if (!session.key()) return 0;
  return CryptEncrypt(session.key(), 0, TRUE, 0, buffer, length, kCapacity) ? 1 : 0;
}

extern "C" int Desencriptar(BYTE* buffer, DWORD* length) {
  if (length == nullptr) return 0;
  LogFormateado(2, u"Inicio Desencriptacion nueva.Longitud:%d", *length);
  // The buffer holds kCapacity bytes: a longer length would read past it.
  if (buffer == nullptr || *length > kCapacity) return 0;
  CipherSession session;
  if (!session.key()) return 0;
  return CryptDecrypt(session.key(), 0, TRUE, 0, buffer, length) ? 1 : 0;
}
