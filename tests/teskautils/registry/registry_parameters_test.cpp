// Registry parameters under the library root: reading, writing, the root's moves, the boxes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/registry/registry.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

using teskautils_test::kRoot;
using teskautils_test::SeedValue;
namespace seam = teskautils::seam;

class RegistryParameters : public teskautils_test::TeskaUtilsTest {};

bool KeyExists(const WCHAR* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST_F(RegistryParameters, ValuesRoundTripUnderTheRoot) {
  EXPECT_EQ(ExistsRoot(), 0);
  EXPECT_EQ(SetRegistryParameterLong(u"n", 5), ERROR_FILE_NOT_FOUND);  // no root yet: the open error
  EXPECT_EQ(CreateRoot(), 1);
  EXPECT_EQ(CreateRoot(), 1);  // already there
  EXPECT_EQ(ExistsRoot(), 1);
  EXPECT_TRUE(KeyExists(kRoot));

  EXPECT_EQ(SetRegistryParameterLong(u"n", 0xDEADBEEF), ERROR_SUCCESS);
  DWORD n = 0;
  EXPECT_EQ(GetRegistryParameterLong(u"N", &n), 1);
  EXPECT_EQ(n, 0xDEADBEEFu);

  const std::u16string text = u"valor á";
  EXPECT_EQ(SetRegistryParameterString(u"texto", text.c_str(), static_cast<DWORD>(2 * (text.size() + 1))),
            ERROR_SUCCESS);
  WCHAR buffer[32] = {};
  EXPECT_EQ(GetRegistryParameterString(u"texto", buffer, sizeof buffer), 1);
  EXPECT_EQ(std::u16string(buffer), text);

  const BYTE bytes[] = {1, 2, 3, 0, 255};
  SeedValue(kRoot, u"bloque", REG_BINARY, bytes, sizeof bytes);
  BYTE out[16] = {};
  DWORD size = sizeof out;
  EXPECT_EQ(GetRegistryParameterBinary(u"bloque", out, &size), 1);
  EXPECT_EQ(size, sizeof bytes);
  EXPECT_EQ(std::memcmp(out, bytes, sizeof bytes), 0);
  EXPECT_TRUE(seam::TakeShownBoxes().empty());
}

TEST_F(RegistryParameters, FailedReadsShowTheBoxOnlyForTextsAndBlocks) {
  ASSERT_EQ(CreateRoot(), 1);
  const std::u16string missing =
      u"No se encontro el parametro falta.La aplicación no esta correctamente instalada. Instale de nuevo";
  DWORD n = 7;
  EXPECT_EQ(GetRegistryParameterLong(u"falta", &n), 0);
  EXPECT_EQ(n, 7u);
  EXPECT_TRUE(seam::TakeShownBoxes().empty());

  WCHAR buffer[8] = {};
  EXPECT_EQ(GetRegistryParameterString(u"falta", buffer, sizeof buffer), 0);
  BYTE block[8];
  DWORD size = sizeof block;
  EXPECT_EQ(GetRegistryParameterBinary(u"falta", block, &size), 0);
  auto boxes = seam::TakeShownBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  for (const auto& box : boxes) {
    EXPECT_EQ(box.text, missing);
    EXPECT_EQ(box.caption, u"Error");
  }

  // A text that does not fit its buffer fails the same way; one that fits exactly is terminated.
  const std::u16string longer = u"demasiado largo";
  SetRegistryParameterString(u"largo", longer.c_str(), static_cast<DWORD>(2 * (longer.size() + 1)));
  EXPECT_EQ(GetRegistryParameterString(u"largo", buffer, sizeof buffer), 0);
  EXPECT_EQ(seam::TakeShownBoxes().size(), 1u);
  const std::u16string unterminated = u"1234567";  // 7 characters stored without their zero
  SeedValue(kRoot, u"justo", REG_SZ, unterminated.data(), static_cast<DWORD>(2 * unterminated.size()));
  EXPECT_EQ(GetRegistryParameterString(u"justo", buffer, sizeof buffer), 1);
  EXPECT_EQ(std::u16string(buffer), unterminated);
  const std::u16string eight = u"12345678";
  SeedValue(kRoot, u"lleno", REG_SZ, eight.data(), static_cast<DWORD>(2 * eight.size()));
  EXPECT_EQ(GetRegistryParameterString(u"lleno", buffer, sizeof buffer), 0);
  EXPECT_EQ(seam::TakeShownBoxes().size(), 1u);

  // A long read only takes exactly four bytes.
  const BYTE two[] = {1, 2};
  SeedValue(kRoot, u"corto", REG_BINARY, two, sizeof two);
  EXPECT_EQ(GetRegistryParameterLong(u"corto", &n), 0);
}

TEST_F(RegistryParameters, RootMovesOnlyToPathsOfAtMost260Characters) {
  const std::u16string ok = u"\\SOFTWARE\\" + std::u16string(250, u'a');  // 260 characters
  ASSERT_EQ(ok.size(), 260u);
  EXPECT_EQ(SetRootRegistry(ok.c_str()), 0);
  EXPECT_EQ(CreateRoot(), 1);
  EXPECT_TRUE(KeyExists(ok.c_str() + 1));

  const std::u16string too_long = ok + u"b";
  EXPECT_EQ(SetRootRegistry(too_long.c_str()), 0);
  EXPECT_EQ(SetRegistryParameterLong(u"donde", 1), ERROR_SUCCESS);  // still under the 260-character root
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, ok.c_str(), 0, 0, &key), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(key, u"donde", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  RegCloseKey(key);

  // A root given without its leading backslash is created whole.
  SetRootRegistry(u"SOFTWARE\\Otra");
  EXPECT_EQ(CreateRoot(), 1);
  EXPECT_TRUE(KeyExists(u"SOFTWARE\\Otra"));
  EXPECT_FALSE(KeyExists(u"OFTWARE\\Otra"));
}

}  // namespace
