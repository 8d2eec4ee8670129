// Enciphering with a DES key derived from SHA-1, checked against the openssl command line.
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/crypto/wincrypt.h"
#include "platform/kernel/last_error.h"

namespace {

using Bytes = std::vector<BYTE>;

std::string Hex(const Bytes& b) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (BYTE c : b) {
    s += digits[c >> 4];
    s += digits[c & 15];
  }
  return s;
}

// Output of a shell command, or nothing when it fails.
bool Run(const std::string& command, std::string* out) {
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return false;
  char buf[256];
  out->clear();
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out->append(buf, n);
  return pclose(pipe) == 0;
}

std::string OpensslDesCbc(const std::string& key_hex, const Bytes& plain) {
  std::string printf_arg;
  for (BYTE c : plain) {
    char esc[8];
    std::snprintf(esc, sizeof esc, "\\%03o", c);
    printf_arg += esc;
  }
  std::string out;
  const std::string cmd = "printf '" + printf_arg + "' | openssl enc -des-cbc -K " + key_hex +
                          " -iv 0000000000000000 -provider legacy -provider default 2>/dev/null | od -An -v -tx1";
  if (!Run(cmd, &out)) return "";
  std::string hex;
  for (char c : out)
    if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
  return hex;
}

// The steps of the library's enciphering: provider, SHA-1 of the phrase, DES key, one final block.
struct Session {
  HCRYPTPROV prov = 0;
  HCRYPTHASH hash = 0;
  HCRYPTKEY key = 0;
  explicit Session(const std::string& phrase = "8261") {
    EXPECT_TRUE(CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_FULL, 0));
    EXPECT_TRUE(CryptCreateHash(prov, CALG_SHA1, 0, 0, &hash));
    EXPECT_TRUE(CryptHashData(hash, reinterpret_cast<const BYTE*>(phrase.data()), phrase.size(), 0));
    EXPECT_TRUE(CryptDeriveKey(prov, CALG_DES, hash, 0, &key));
  }
  ~Session() {
    EXPECT_TRUE(CryptDestroyKey(key));
    EXPECT_TRUE(CryptDestroyHash(hash));
    EXPECT_TRUE(CryptReleaseContext(prov, 0));
  }
  Bytes Encrypt(Bytes data) {
    DWORD len = data.size();
    data.resize(1008);
    EXPECT_TRUE(CryptEncrypt(key, 0, TRUE, 0, data.data(), &len, 1008));
    data.resize(len);
    return data;
  }
};

std::string Sha1KeyHex(const std::string& phrase) {
  std::string out;
  if (!Run("printf '" + phrase + "' | openssl dgst -sha1 -r", &out) || out.size() < 16) return "";
  return out.substr(0, 16);
}

TEST(DesEncipher, MatchesOpensslForEveryPaddingLength) {
  const std::string key_hex = Sha1KeyHex("8261");
  if (key_hex.empty() || OpensslDesCbc(key_hex, {1}).empty()) GTEST_SKIP() << "openssl with DES not available";
  Session s;
  // UTF-16 "12" first, then the lengths around the block boundary.
  const std::vector<Bytes> plains = {
      {'1', 0, '2', 0}, {}, {'x'}, {1, 2, 3, 4, 5, 6, 7}, {1, 2, 3, 4, 5, 6, 7, 8},
      {9, 8, 7, 6, 5, 4, 3, 2, 1}, Bytes(16, 0xAA), Bytes(1000, 0x5C)};
  for (const Bytes& plain : plains) {
    const Bytes enc = s.Encrypt(plain);
    EXPECT_EQ(enc.size(), (plain.size() / 8 + 1) * 8);
    EXPECT_EQ(Hex(enc), OpensslDesCbc(key_hex, plain)) << "length " << plain.size();
    // Deciphers back to the same bytes and length.
    Bytes buf = enc;
    DWORD len = buf.size();
    ASSERT_TRUE(CryptDecrypt(s.key, 0, TRUE, 0, buf.data(), &len));
    buf.resize(len);
    EXPECT_EQ(buf, plain);
  }
  // The same input always gives the same output: each final call starts from the zero vector.
  EXPECT_EQ(s.Encrypt({'1', 0, '2', 0}), s.Encrypt({'1', 0, '2', 0}));
}

TEST(DesEncipher, KnownValues) {
  Session s;
  EXPECT_EQ(Hex(s.Encrypt({'1', '2', '3', '4'})), "3a6e489d70cd0b09");
  EXPECT_EQ(Hex(s.Encrypt({'1', 0, '2', 0, '3', 0, '4', 0})), "f2722c0e53f9e2331750a8df3018e047");
  BYTE hash[20];
  DWORD len = sizeof hash;
  ASSERT_TRUE(CryptGetHashParam(s.hash, HP_HASHVAL, hash, &len, 0));
  EXPECT_EQ(Hex(Bytes(hash, hash + 8)), "3a69d097ab8021fc");
  // A finished hash takes no more data.
  EXPECT_FALSE(CryptHashData(s.hash, hash, 1, 0));
  EXPECT_EQ(GetLastError(), NTE_BAD_HASH_STATE);
}

TEST(DesEncipher, ChainedPiecesEqualOneFinalCall) {
  Session s;
  Bytes whole(20);
  for (size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<BYTE>(i * 7);
  const Bytes expected = s.Encrypt(whole);
  Bytes buf(whole.begin(), whole.begin() + 16);
  DWORD len = 16;
  ASSERT_TRUE(CryptEncrypt(s.key, 0, FALSE, 0, buf.data(), &len, 16));
  Bytes tail(whole.begin() + 16, whole.end());
  tail.resize(8);
  len = 4;
  ASSERT_TRUE(CryptEncrypt(s.key, 0, TRUE, 0, tail.data(), &len, 8));
  buf.insert(buf.end(), tail.begin(), tail.end());
  EXPECT_EQ(buf, expected);
  // A piece that is not whole blocks is refused before the final call.
  len = 5;
  EXPECT_FALSE(CryptEncrypt(s.key, 0, FALSE, 0, buf.data(), &len, 8));
  EXPECT_EQ(GetLastError(), NTE_BAD_DATA);
}

TEST(DesEncipher, BadInputFailsAndLeavesTheBuffer) {
  Session s;
  const Bytes good = s.Encrypt({'1', 0, '2', 0});
  struct Case {
    const char* what;
    Bytes data;
  };
  Bytes wrong_pad = good;
  wrong_pad[7] ^= 0x40;
  Bytes other_key;
  {
    Session t("1111");
    other_key = t.Encrypt({'1', 0, '2', 0});
  }
  const Case cases[] = {{"corrupted last byte", wrong_pad},
                        {"not whole blocks", Bytes(good.begin(), good.begin() + 7)},
                        {"empty", {}},
                        {"other key", other_key}};
  for (const Case& c : cases) {
    Bytes buf = c.data;
    DWORD len = buf.size();
    SetLastError(0);
    EXPECT_FALSE(CryptDecrypt(s.key, 0, TRUE, 0, buf.data(), &len)) << c.what;
    EXPECT_EQ(GetLastError(), NTE_BAD_DATA) << c.what;
    EXPECT_EQ(buf, c.data) << c.what;
  }
  // After a failure the key deciphers good data again.
  Bytes buf = good;
  DWORD len = 8;
  ASSERT_TRUE(CryptDecrypt(s.key, 0, TRUE, 0, buf.data(), &len));
  EXPECT_EQ(len, 4u);

  // Too small a capacity: the needed length comes back, the bytes stay.
  Bytes small = {1, 2, 3, 4, 5, 6, 7, 8};
  len = 8;
  EXPECT_FALSE(CryptEncrypt(s.key, 0, TRUE, 0, small.data(), &len, 8));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(len, 16u);
  EXPECT_EQ(small, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));

  // A length whose padded size does not fit 32 bits is refused before any byte is read.
  for (DWORD huge : {0xFFFFFFF8u, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
    len = huge;
    SetLastError(0);
    EXPECT_FALSE(CryptEncrypt(s.key, 0, TRUE, 0, small.data(), &len, 8)) << huge;
    EXPECT_EQ(GetLastError(), NTE_BAD_LEN) << huge;
    EXPECT_EQ(small, (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  }
}

TEST(DesEncipher, RefusesWrongHandlesAndAlgorithms) {
  HCRYPTPROV prov = 0;
  EXPECT_FALSE(CryptAcquireContextW(&prov, nullptr, nullptr, 99, 0));
  EXPECT_EQ(GetLastError(), NTE_PROV_TYPE_NOT_DEF);
  ASSERT_TRUE(CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_FULL, 0));
  HCRYPTHASH hash = 0;
  EXPECT_FALSE(CryptCreateHash(prov, 0x8003, 0, 0, &hash));
  EXPECT_EQ(GetLastError(), NTE_BAD_ALGID);
  EXPECT_FALSE(CryptCreateHash(prov + 12345, CALG_SHA1, 0, 0, &hash));
  ASSERT_TRUE(CryptCreateHash(prov, CALG_SHA1, 0, 0, &hash));
  HCRYPTKEY key = 0;
  EXPECT_FALSE(CryptDeriveKey(prov, 0x6603, hash, 0, &key));
  EXPECT_EQ(GetLastError(), NTE_BAD_ALGID);
  // A hash handle is not a key handle, and a destroyed handle is gone.
  DWORD len = 0;
  EXPECT_FALSE(CryptEncrypt(hash, 0, TRUE, 0, nullptr, &len, 0));
  EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
  EXPECT_TRUE(CryptDestroyHash(hash));
  EXPECT_FALSE(CryptDestroyHash(hash));
  EXPECT_TRUE(CryptReleaseContext(prov, 0));
  EXPECT_FALSE(CryptReleaseContext(prov, 0));
}

}  // namespace
