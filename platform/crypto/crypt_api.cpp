// The CryptoAPI calls: provider, hash and key objects behind integer handles of this service.
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>

#include <nettle/sha1.h>

#include "platform/base/errors.h"
#include "platform/crypto/des_cbc.h"
#include "platform/crypto/wincrypt.h"
#include "platform/kernel/last_error.h"

namespace {

using ce::crypto::DesCbc;

struct Provider {};

struct Hash {
  sha1_ctx ctx;
  std::optional<std::array<std::uint8_t, SHA1_DIGEST_SIZE>> value;  // set once finished

  const std::array<std::uint8_t, SHA1_DIGEST_SIZE>& Finish() {
    if (!value) {
      value.emplace();
      sha1_digest(&ctx, SHA1_DIGEST_SIZE, value->data());
    }
    return *value;
  }
};

struct Key {
  explicit Key(const std::array<std::uint8_t, DES_KEY_SIZE>& bytes) : cipher(bytes) {}
  DesCbc cipher;
};

using Object = std::variant<Provider, Hash, Key>;

class Objects {
 public:
  ULONG_PTR Add(std::shared_ptr<Object> object) {
    std::lock_guard lock(mutex_);
    const ULONG_PTR handle = next_++;
    table_[handle] = std::move(object);
    return handle;
  }
  template <class T>
  std::shared_ptr<Object> Find(ULONG_PTR handle) {
    std::lock_guard lock(mutex_);
    auto it = table_.find(handle);
    if (it == table_.end() || !std::holds_alternative<T>(*it->second)) return nullptr;
    return it->second;
  }
  template <class T>
  bool Remove(ULONG_PTR handle) {
    std::lock_guard lock(mutex_);
    auto it = table_.find(handle);
    if (it == table_.end() || !std::holds_alternative<T>(*it->second)) return false;
    table_.erase(it);
    return true;
  }
  // One operation on an object at a time (a key's chain, a hash's state).
  std::mutex& OperationLock() { return op_mutex_; }

 private:
  std::mutex mutex_;
  std::mutex op_mutex_;
  std::map<ULONG_PTR, std::shared_ptr<Object>> table_;
  ULONG_PTR next_ = 0x1000;
};

Objects& Table() {
  static Objects objects;
  return objects;
}

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

}  // namespace

BOOL CryptAcquireContextW(HCRYPTPROV* provider, LPCWSTR /*container*/, LPCWSTR /*provider_name*/,
                          DWORD provider_type, DWORD flags) {
  if (!provider) return Fail(ERROR_INVALID_PARAMETER);
  *provider = 0;
  if (provider_type != PROV_RSA_FULL) return Fail(NTE_PROV_TYPE_NOT_DEF);
  // The device has its default key container; asking to delete it or make it again is refused.
  if (flags & ~(CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) return Fail(NTE_BAD_FLAGS);
  *provider = Table().Add(std::make_shared<Object>(Provider{}));
  return TRUE;
}

BOOL CryptReleaseContext(HCRYPTPROV provider, DWORD flags) {
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (!Table().Remove<Provider>(provider)) return Fail(NTE_BAD_UID);
  return TRUE;
}

BOOL CryptCreateHash(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key, DWORD flags,
                     HCRYPTHASH* hash) {
  if (!hash) return Fail(ERROR_INVALID_PARAMETER);
  *hash = 0;
  if (!Table().Find<Provider>(provider)) return Fail(NTE_BAD_UID);
  if (algorithm != CALG_SHA1) return Fail(NTE_BAD_ALGID);
  if (key != 0) return Fail(NTE_BAD_KEY);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  auto object = std::make_shared<Object>(Hash{});
  sha1_init(&std::get<Hash>(*object).ctx);
  *hash = Table().Add(std::move(object));
  return TRUE;
}

BOOL CryptHashData(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags) {
  auto object = Table().Find<Hash>(hash);
  if (!object) return Fail(NTE_BAD_HASH);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (!data && length != 0) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(Table().OperationLock());
  Hash& h = std::get<Hash>(*object);
  if (h.value) return Fail(NTE_BAD_HASH_STATE);
  sha1_update(&h.ctx, length, data);
  return TRUE;
}

BOOL CryptGetHashParam(HCRYPTHASH hash, DWORD param, BYTE* data, DWORD* length, DWORD flags) {
  auto object = Table().Find<Hash>(hash);
  if (!object) return Fail(NTE_BAD_HASH);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (!length) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard lock(Table().OperationLock());
  Hash& h = std::get<Hash>(*object);
  std::array<std::uint8_t, SHA1_DIGEST_SIZE> out{};
  DWORD size = 4;
  switch (param) {
    case HP_ALGID:
    case HP_HASHSIZE: {
      const DWORD v = param == HP_ALGID ? CALG_SHA1 : SHA1_DIGEST_SIZE;
      for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
      break;
    }
    case HP_HASHVAL:
      out = h.Finish();
      size = SHA1_DIGEST_SIZE;
      break;
    default:
      return Fail(NTE_BAD_TYPE);
  }
  if (!data) {
    *length = size;
    return TRUE;
  }
  if (*length < size) {
    *length = size;
    return Fail(ERROR_MORE_DATA);
  }
  std::memcpy(data, out.data(), size);
  *length = size;
  return TRUE;
}

BOOL CryptDestroyHash(HCRYPTHASH hash) {
  if (!Table().Remove<Hash>(hash)) return Fail(NTE_BAD_HASH);
  return TRUE;
}

BOOL CryptDeriveKey(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTHASH hash, DWORD /*flags*/,
                    HCRYPTKEY* key) {
  if (!key) return Fail(ERROR_INVALID_PARAMETER);
  *key = 0;
  if (!Table().Find<Provider>(provider)) return Fail(NTE_BAD_UID);
  if (algorithm != CALG_DES) return Fail(NTE_BAD_ALGID);
  auto object = Table().Find<Hash>(hash);
  if (!object) return Fail(NTE_BAD_HASH);
  std::array<std::uint8_t, DES_KEY_SIZE> bytes{};
  {
    std::lock_guard lock(Table().OperationLock());
    const auto& value = std::get<Hash>(*object).Finish();
    std::memcpy(bytes.data(), value.data(), bytes.size());
  }
  *key = Table().Add(std::make_shared<Object>(std::in_place_type<Key>, bytes));
  return TRUE;
}

BOOL CryptDestroyKey(HCRYPTKEY key) {
  if (!Table().Remove<Key>(key)) return Fail(NTE_BAD_KEY);
  return TRUE;
}

BOOL CryptEncrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                  DWORD* length, DWORD capacity) {
  auto object = Table().Find<Key>(key);
  if (!object) return Fail(NTE_BAD_KEY);
  if (hash != 0) return Fail(NTE_BAD_HASH);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (!length) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD plain = *length;
  if (!final && plain % DesCbc::kBlock != 0) return Fail(NTE_BAD_DATA);
  // The padded length must fit the 32-bit answer.
  if (final && plain > 0xFFFFFFFFu - DesCbc::kBlock) return Fail(NTE_BAD_LEN);
  const DWORD needed = final ? static_cast<DWORD>(plain - plain % DesCbc::kBlock + DesCbc::kBlock) : plain;
  if (!data) {  // asks only for the size of the result
    *length = needed;
    return TRUE;
  }
  if (needed > capacity) {
    *length = needed;
    return Fail(ERROR_MORE_DATA);
  }
  std::lock_guard lock(Table().OperationLock());
  DesCbc& cipher = std::get<Key>(*object).cipher;
  if (final) {
    std::vector<std::uint8_t> padded = DesCbc::Pad(data, plain);
    cipher.EncryptBlocks(padded.data(), padded.size());
    std::memcpy(data, padded.data(), padded.size());
    cipher.Restart();
  } else {
    cipher.EncryptBlocks(data, plain);
  }
  *length = needed;
  return TRUE;
}

BOOL CryptDecrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                  DWORD* length) {
  auto object = Table().Find<Key>(key);
  if (!object) return Fail(NTE_BAD_KEY);
  if (hash != 0) return Fail(NTE_BAD_HASH);
  if (flags != 0) return Fail(NTE_BAD_FLAGS);
  if (!length || (!data && *length != 0)) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD count = *length;
  if (count % DesCbc::kBlock != 0 || (final && count == 0)) return Fail(NTE_BAD_DATA);
  std::lock_guard lock(Table().OperationLock());
  DesCbc& cipher = std::get<Key>(*object).cipher;
  // Deciphered into a copy: a buffer that fails the padding check is left as it was.
  std::vector<std::uint8_t> work(data, data + count);
  cipher.DecryptBlocks(work.data(), work.size());
  DWORD plain = count;
  if (final) {
    cipher.Restart();
    auto unpadded = DesCbc::UnpaddedLength(work.data(), work.size());
    if (!unpadded) return Fail(NTE_BAD_DATA);
    plain = static_cast<DWORD>(*unpadded);
  }
  std::memcpy(data, work.data(), plain);
  *length = plain;
  return TRUE;
}
