#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "cumulor/app/base/array_image.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

std::vector<std::uint8_t> Image(std::int32_t count, std::vector<std::int32_t> elements) {
  ce::wire::Writer w;
  w.I32(count);
  for (std::int32_t e : elements) w.I32(e);
  return w.Take();
}

// A record type with its own layout in images.
struct Pair {
  std::int16_t a;
  std::int32_t b;
};
struct PairImage {
  static constexpr std::size_t kSize = 6;
  static void Write(ce::wire::Writer& w, const Pair& p) {
    w.U16(static_cast<std::uint16_t>(p.a));
    w.I32(p.b);
  }
  static Pair Read(ce::wire::Reader& r) {
    Pair p;
    p.a = static_cast<std::int16_t>(r.U16());
    p.b = r.I32();
    return p;
  }
};

TEST(ArrayImage, CountsOutsideTheRangeAndShortImagesAreRefused) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    HRESULT result;
    std::int32_t size;
    DWORD consumed;
  } cases[] = {
      {Image(2, {5, -6}), S_OK, 2, 12},
      {Image(0, {}), S_OK, 0, 4},
      {Image(50001, {1, 2}), E_ABORT, 7, 99},  // refused before any element is read
      {Image(-1, {1}), E_ABORT, 7, 99},
      {{1, 0}, E_ABORT, 7, 99},                // the file ends before the count
      {Image(3, {1, 2}), E_FAIL, 7, 99},       // the elements are short
  };
  for (const Case& c : cases) {
    DynArray<std::int32_t> a;
    a.SetSize(7);
    DWORD consumed = 99;
    EXPECT_EQ(ReadArrayImage(c.bytes.data(), c.bytes.size(), a, &consumed), c.result);
    EXPECT_EQ(a.Size(), c.size);
    EXPECT_EQ(consumed, c.consumed);
  }
  DynArray<std::int32_t> a;
  std::vector<std::uint8_t> ok = Image(2, {5, -6});
  ASSERT_EQ(ReadArrayImage(ok.data(), ok.size(), a, nullptr), S_OK);
  EXPECT_EQ(a[1], -6);
  // Null data holds no bytes, whatever size comes with it.
  EXPECT_EQ(ReadArrayImage(static_cast<const void*>(nullptr), 12, a, nullptr), E_ABORT);
  DynArray<char*> strings;
  EXPECT_EQ(ReadPointerArray(static_cast<const void*>(nullptr), 12, strings, nullptr), E_ABORT);
  ArrayFromRegistryImage(nullptr, 12, a);
  EXPECT_EQ(a.Size(), 0);
}

TEST(ArrayImage, RecordsTravelFieldByField) {
  DynArray<Pair> pairs;
  pairs.Append(Pair{-2, 70000});
  pairs.Append(Pair{3, -1});
  ce::wire::Writer w;
  WriteArrayImage<Pair, PairImage>(w, pairs);
  const std::vector<std::uint8_t> expected = {2, 0, 0, 0, 0xFE, 0xFF, 0x70, 0x11, 0x01, 0x00, 3, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(w.bytes(), expected);
  DynArray<Pair> back;
  DWORD consumed = 0;
  ASSERT_EQ((ReadArrayImage<Pair, PairImage>(w.bytes().data(), w.bytes().size(), back, &consumed)), S_OK);
  EXPECT_EQ(consumed, 16u);
  EXPECT_EQ(back[0].b, 70000);
  EXPECT_EQ(back[1].a, 3);
}

TEST(ArrayImage, RegistryImageTakesOnlyTheElementsThatAreThere) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::vector<std::int32_t> elements;
  } cases[] = {
      {Image(2, {10, 20}), {10, 20}},
      {Image(1000, {10, 20}), {10, 20}},  // a stored count beyond the data
      {Image(-5, {10}), {}},
      {{3, 0}, {}},
      {Image(1, {10, 20}), {10}},
  };
  for (const Case& c : cases) {
    DynArray<std::int32_t> a;
    ArrayFromRegistryImage(c.bytes.data(), c.bytes.size(), a);
    ASSERT_EQ(static_cast<std::size_t>(a.Size()), c.elements.size());
    for (std::size_t i = 0; i < c.elements.size(); ++i) EXPECT_EQ(a[static_cast<std::int32_t>(i)], c.elements[i]);
  }
  DynArray<std::int32_t> a;
  a.Append(9);
  EXPECT_EQ(RegistryImage(a), Image(1, {9}));
}

TEST(ArrayImage, StringListImage) {
  ce::wire::Writer w;
  w.I32(3);
  w.U16(4);
  w.Bytes("ABCD", 4);
  w.U16(0);
  w.U16(1);
  w.Bytes("\xFF", 1);
  DynArray<char*> list;
  DWORD consumed = 0;
  ASSERT_EQ(ReadPointerArray(w.bytes().data(), w.bytes().size(), list, &consumed), S_OK);
  EXPECT_EQ(consumed, 4u + 6 + 2 + 3);
  ASSERT_EQ(list.Size(), 3);
  EXPECT_STREQ(list[0], "ABCD");
  EXPECT_EQ(list[1], nullptr);
  EXPECT_STREQ(list[2], "\xFF");

  std::vector<std::uint8_t> shortImage(w.bytes().begin(), w.bytes().end() - 1);
  EXPECT_EQ(ReadPointerArray(shortImage.data(), shortImage.size(), list, &consumed), E_FAIL);
  EXPECT_EQ(list.Size(), 0);  // nothing half-read is left (and nothing leaks)
  std::vector<std::uint8_t> huge = Image(50001, {});
  EXPECT_EQ(ReadPointerArray(huge.data(), huge.size(), list, &consumed), E_ABORT);
  FreePointerArray(list);
}

class ArrayImageDevice : public ce::testing::DeviceTest {};

TEST_F(ArrayImageDevice, FileImagesFollowEachOtherInOneFile) {
  HANDLE f = CreateFileW(u"\\images.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DynArray<std::int32_t> first;
  first.Append(1);
  first.Append(2);
  DynArray<std::uint8_t> second;
  second.Append(0xFF);
  DWORD written = 0;
  EXPECT_EQ(WriteArrayImage(f, first, &written), S_OK);
  EXPECT_EQ(written, 12u);
  EXPECT_EQ(WriteArrayImage(f, second, &written), S_OK);
  CloseHandle(f);

  f = CreateFileW(u"\\images.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DynArray<std::int32_t> a;
  DynArray<std::uint8_t> b;
  DWORD consumed = 0;
  EXPECT_EQ(ReadArrayImage(f, a, &consumed), S_OK);
  EXPECT_EQ(consumed, 12u);
  EXPECT_EQ(ReadArrayImage(f, b, &consumed), S_OK);
  EXPECT_EQ(consumed, 5u);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(ReadArrayImage(f, a, &consumed), E_ABORT);  // the file ends before a count
  CloseHandle(f);
}

TEST_F(ArrayImageDevice, RegistryValueRoundTripKeepsAtMost511Elements) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halcyra\\Cumulor", 0, nullptr, 0, 0, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  DynArray<std::int32_t> list;
  for (std::int32_t i = 0; i < 511; ++i) list.Append(i * 3);
  ASSERT_EQ(WriteRegistryArray(key, u"SuaOff", list), ERROR_SUCCESS);
  DynArray<std::int32_t> back;
  EXPECT_EQ(ReadRegistryArray(key, u"SuaOff", back), ERROR_SUCCESS);
  ASSERT_EQ(back.Size(), 511);
  EXPECT_EQ(back[510], 1530);

  // A longer list keeps its first 511 elements, whether this build stored it or an earlier one
  // stored the whole list.
  for (std::int32_t n : {512, 600}) {
    SCOPED_TRACE(n);
    list.SetSize(0);
    for (std::int32_t i = 0; i < n; ++i) list.Append(i * 3);
    ASSERT_EQ(WriteRegistryArray(key, u"SuaOff", list), ERROR_SUCCESS);
    EXPECT_EQ(ReadRegistryArray(key, u"SuaOff", back), ERROR_SUCCESS);
    ASSERT_EQ(back.Size(), 511);
    EXPECT_EQ(back[510], 1530);
    const std::vector<std::uint8_t> whole = Image(n, std::vector<std::int32_t>(static_cast<std::size_t>(n), 7));
    ASSERT_EQ(RegSetValueExW(key, u"SuaOff", 0, REG_BINARY, whole.data(), static_cast<DWORD>(whole.size())),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadRegistryArray(key, u"SuaOff", back), ERROR_SUCCESS);
    ASSERT_EQ(back.Size(), 511);
    EXPECT_EQ(back[510], 7);
  }
  RegCloseKey(key);
}

}  // namespace
}  // namespace cumulor
