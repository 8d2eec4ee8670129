// ceshell.dll: the documents folder as an item list, its path, and the shell allocator.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/devicelibs/ceshell.h"
#include "platform/libraries/libraries.h"
#include "platform/registry/registry.h"
#include "platform/testing/device_test.h"

namespace {

using ce::libraries::ProcAs;

class CeShellTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    lib_ = LoadLibraryW(u"CEShell.dll");
    ASSERT_NE(lib_, nullptr);
    location_ = ProcAs<decltype(SHGetSpecialFolderLocation)>(GetProcAddress(lib_, u"SHGetSpecialFolderLocation"));
    path_of_ = ProcAs<decltype(SHGetPathFromIDList)>(GetProcAddress(lib_, u"SHGetPathFromIDList"));
    auto get_malloc = ProcAs<decltype(SHGetMalloc)>(GetProcAddress(lib_, u"SHGetMalloc"));
    ASSERT_TRUE(location_ && path_of_ && get_malloc);
    ASSERT_EQ(get_malloc(&malloc_), S_OK);
  }
  void TearDown() override {
    FreeLibrary(lib_);
    DeviceTest::TearDown();
  }
  // The documents folder's path the way Cumulor takes it: item list, path, free the list.
  std::u16string Documents() {
    LPITEMIDLIST list = nullptr;
    EXPECT_EQ(location_(nullptr, CSIDL_PERSONAL, &list), S_OK);
    WCHAR path[MAX_PATH] = {};
    EXPECT_TRUE(path_of_(list, path));
    EXPECT_EQ(malloc_->DidAlloc(list), 1);
    malloc_->Free(list);
    EXPECT_EQ(malloc_->DidAlloc(list), 0);
    return path;
  }

  HMODULE lib_ = nullptr;
  decltype(&SHGetSpecialFolderLocation) location_ = nullptr;
  decltype(&SHGetPathFromIDList) path_of_ = nullptr;
  IMalloc* malloc_ = nullptr;
};

TEST_F(CeShellTest, DocumentsFolderIsMyDocumentsOrTheDevicesOwnName) {
  EXPECT_EQ(Documents(), u"\\My Documents");
  EXPECT_TRUE(std::filesystem::is_directory(device_folder() / "root" / "My Documents"));
  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\System\\Explorer\\Shell Folders", u"My Documents",
                              u"\\Eigene Dateien"),
            S_OK);
  EXPECT_EQ(Documents(), u"\\Eigene Dateien");
  EXPECT_TRUE(std::filesystem::is_directory(device_folder() / "root" / "Eigene Dateien"));
  // A value that is no CE path is not taken.
  ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, u"\\System\\Explorer\\Shell Folders", u"My Documents", u"Docs"), S_OK);
  EXPECT_EQ(Documents(), u"\\My Documents");
}

TEST_F(CeShellTest, BadRequestsAndListsAreRefused) {
  LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(1);
  EXPECT_EQ(location_(nullptr, 0x26, &list), E_INVALIDARG);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(location_(nullptr, CSIDL_PERSONAL, nullptr), E_INVALIDARG);

  WCHAR path[MAX_PATH] = {u'x'};
  EXPECT_FALSE(path_of_(nullptr, path));
  EXPECT_EQ(path[0], 0);
  // An empty list, an odd count, a path without its NUL, and a count past the list's block.
  const USHORT empty[] = {0};
  const USHORT odd[] = {5, u'\\', 0, 0};
  const USHORT open_ended[] = {6, u'\\', u'a', 0};
  for (const USHORT* bad : {empty, odd, open_ended}) {
    EXPECT_FALSE(path_of_(reinterpret_cast<LPCITEMIDLIST>(bad), path));
  }
  auto* cut = static_cast<USHORT*>(malloc_->Alloc(6));
  const USHORT claims[] = {200, u'\\', 0};
  std::memcpy(cut, claims, sizeof claims);
  EXPECT_FALSE(path_of_(reinterpret_cast<LPCITEMIDLIST>(cut), path));
  malloc_->Free(cut);

  int local = 0;
  malloc_->Free(&local);  // not the allocator's: ignored
  EXPECT_EQ(malloc_->GetSize(&local), static_cast<ULONG>(-1));
  void* grown = malloc_->Realloc(malloc_->Alloc(4), 64);
  EXPECT_EQ(malloc_->GetSize(grown), 64u);
  malloc_->Free(grown);
}

}  // namespace
