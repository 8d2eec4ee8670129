#include <fstream>

#include "files_fixture.h"
#include "platform/files/ce_path.h"

namespace {

using PathsTest = FilesTest;

TEST_F(PathsTest, AnotherLetterCaseFindsTheSameFile) {
  ASSERT_TRUE(CreateDirectoryW(u"\\Program Files", nullptr));
  ASSERT_TRUE(CreateDirectoryW(u"\\Program Files\\Velomar", nullptr));
  ASSERT_TRUE(Put(u"\\Program Files\\Velomar\\Data.TXT", "abc"));
  EXPECT_EQ(Get(u"\\PROGRAM FILES\\velomar\\data.txt"), "abc");
  EXPECT_EQ(Get(u"/program files/VELOMAR/DATA.txt"), "abc");
  EXPECT_EQ(Get(u"program files\\velomar\\data.txt"), "abc");  // no current folder: from the root
  ASSERT_TRUE(CreateDirectoryW(u"\\Configuración", nullptr));
  ASSERT_TRUE(Put(u"\\CONFIGURACIÓN\\Ñandú.txt", "n"));
  EXPECT_EQ(Get(u"\\configuración\\ÑANDÚ.TXT"), "n");
  // Writing through another spelling replaces the same file; a new file keeps the case it was given.
  ASSERT_TRUE(Put(u"\\program files\\VELOMAR\\data.txt", "xyz"));
  ASSERT_TRUE(Put(u"\\program files\\velomar\\NewFile.Txt", "n"));
  EXPECT_EQ(Get(u"\\Program Files\\Velomar\\Data.TXT"), "xyz");
  EXPECT_TRUE(std::filesystem::exists(root() / "Program Files" / "Velomar" / "NewFile.Txt"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root() / "Program Files" / "Velomar"),
                          std::filesystem::directory_iterator()),
            2);
}

TEST_F(PathsTest, DotDotStaysInsideTheRoot) {
  ASSERT_TRUE(Put(u"\\..\\..\\escape.txt", "e"));
  EXPECT_TRUE(std::filesystem::exists(root() / "escape.txt"));
  EXPECT_FALSE(std::filesystem::exists(device_folder() / "escape.txt"));
  EXPECT_EQ(Get(u"\\a\\..\\..\\..\\.\\ESCAPE.TXT"), "e");
  EXPECT_EQ(ce::files::HostPath(u"..\\..\\etc\\passwd"), std::filesystem::path());  // folder "etc" is missing
  EXPECT_EQ(ce::files::HostPath(u"\\..\\x"), root() / "x");
}

TEST_F(PathsTest, MissingFolderInvalidNameAndDeviceNames) {
  struct Case {
    const char16_t* path;
    DWORD error;
  } cases[] = {
      {u"\\NoSuchFolder\\a.txt", ERROR_PATH_NOT_FOUND},
      {u"\\a*.txt", ERROR_INVALID_NAME},
      {u"\\what?", ERROR_INVALID_NAME},
      {u"", ERROR_PATH_NOT_FOUND},
      {u"NOSUCH9:", ERROR_FILE_NOT_FOUND},  // a device name nobody drives
      {u"\\", ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(CreateFileW(c.path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), c.error) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
  }
  EXPECT_TRUE(ce::files::IsDeviceName(u"COM1:"));
  EXPECT_FALSE(ce::files::IsDeviceName(u"\\COM1:"));
  EXPECT_FALSE(ce::files::IsDeviceName(u"COM1"));
}

}  // namespace
