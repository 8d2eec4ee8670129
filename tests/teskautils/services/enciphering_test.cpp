// Encriptar / Desencriptar against fixed values and an independent DES computation (openssl).
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/teskautils/teskautils_fixture.h"

namespace {

using Bytes = std::vector<BYTE>;

class Enciphering : public teskautils_test::TeskaUtilsTest {};

std::string Hex(const BYTE* data, std::size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += {digits[data[i] >> 4], digits[data[i] & 15]};
  return out;
}

bool Run(const std::string& command, std::string* out) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) *out += buffer;
  return pclose(pipe) == 0;
}

// DES-CBC with a zero IV and PKCS#5 padding, key = first 8 bytes of SHA-1("8261"), by openssl.
std::string OpensslEncipher(const Bytes& plain) {
  std::string key;
  if (!Run("printf 8261 | openssl dgst -sha1 -r", &key) || key.size() < 16) return "";
  std::string escaped;
  char octal[8];
  for (BYTE b : plain) {
    std::snprintf(octal, sizeof octal, "\\%03o", b);
    escaped += octal;
  }
  std::string out;
  if (!Run("printf '" + escaped + "' | openssl enc -des-cbc -K " + key.substr(0, 16) +
               " -iv 0000000000000000 -provider legacy -provider default 2>/dev/null | od -An -v -tx1",
           &out))
    return "";
  std::string hex;
  for (char c : out)
    if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
  return hex;
}

std::string Encipher(const Bytes& plain, DWORD* length = nullptr) {
  std::array<BYTE, 1008> buffer{};
  std::copy(plain.begin(), plain.end(), buffer.begin());
  DWORD n = static_cast<DWORD>(plain.size());
  if (Encriptar(buffer.data(), &n) != 1) return "failed";
  if (length) *length = n;
  return Hex(buffer.data(), n);
}

TEST_F(Enciphering, KnownValuesAndRoundTrips) {
  const Bytes ascii = {'1', '2', '3', '4'};
  const Bytes wide = {'1', 0, '2', 0, '3', 0, '4', 0};
  EXPECT_EQ(Encipher(ascii), "3a6e489d70cd0b09");
  EXPECT_EQ(Encipher(wide), "f2722c0e53f9e2331750a8df3018e047");  // 8 bytes give 16

  for (const Bytes& plain : {Bytes{}, ascii, wide, Bytes(15, 0x5A), Bytes(1000, 0xA5)}) {
    std::array<BYTE, 1008> buffer{};
    std::copy(plain.begin(), plain.end(), buffer.begin());
    DWORD n = static_cast<DWORD>(plain.size());
    ASSERT_EQ(Encriptar(buffer.data(), &n), 1);
    EXPECT_EQ(n, (plain.size() / 8 + 1) * 8);
    ASSERT_EQ(Desencriptar(buffer.data(), &n), 1);
    ASSERT_EQ(n, plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), buffer.begin()));
  }
}

TEST_F(Enciphering, MatchesAnIndependentDesComputation) {
  if (OpensslEncipher({1}).empty()) GTEST_SKIP() << "openssl with DES is not available";
  for (const Bytes& plain : {Bytes{'1', '2', '3', '4'}, Bytes{'0', 0, '0', 0, '0', 0, '0', 0}, Bytes{1, 2, 3, 4, 5, 6, 7},
                             Bytes(64, 0xFF), Bytes{0, 0x80, 0x7F, 0x27, 0x5C}}) {
    EXPECT_EQ(Encipher(plain), OpensslEncipher(plain)) << "length " << plain.size();
  }
}

TEST_F(Enciphering, BadInputAnswersZero) {
  std::array<BYTE, 1008> buffer{};
  DWORD n = 7;  // not a whole block
  EXPECT_EQ(Desencriptar(buffer.data(), &n), 0);
  n = 8;  // a block whose padding does not check
  EXPECT_EQ(Desencriptar(buffer.data(), &n), 0);
  EXPECT_EQ(Encriptar(nullptr, &n), 0);
  EXPECT_EQ(Encriptar(buffer.data(), nullptr), 0);
  EXPECT_EQ(Desencriptar(buffer.data(), nullptr), 0);
  n = 1016;  // more than the buffer the library works on, whole blocks
  EXPECT_EQ(Desencriptar(buffer.data(), &n), 0);
  n = 1016;
  EXPECT_EQ(Encriptar(buffer.data(), &n), 0);
}

}  // namespace
