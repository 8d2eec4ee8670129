#include "files_fixture.h"

namespace {

using FileOpsTest = FilesTest;

TEST_F(FileOpsTest, CopyMoveDeleteAndFolders) {
  ASSERT_TRUE(Put(u"\\a.txt", "A"));
  ASSERT_TRUE(Put(u"\\b.txt", "B"));
  ASSERT_TRUE(CreateDirectoryW(u"\\Dir", nullptr));
  ASSERT_TRUE(CopyFileW(u"\\A.TXT", u"\\b.txt", FALSE));  // overwrite
  EXPECT_EQ(Get(u"\\b.txt"), "A");
  ASSERT_TRUE(CopyFileW(u"\\a.txt", u"\\dir\\c.txt", TRUE));
  EXPECT_EQ(Get(u"\\Dir\\C.txt"), "A");
  ASSERT_TRUE(MoveFileW(u"\\b.txt", u"\\dir\\moved.txt"));
  EXPECT_EQ(Get(u"\\b.txt"), "<absent>");
  EXPECT_EQ(Get(u"\\dir\\moved.txt"), "A");
  ASSERT_TRUE(MoveFileW(u"\\a.txt", u"\\A.TXT"));  // a change of case only
  EXPECT_TRUE(std::filesystem::exists(root() / "A.TXT"));
  EXPECT_FALSE(RemoveDirectoryW(u"\\dir"));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  ASSERT_TRUE(DeleteFileW(u"\\dir\\c.txt"));
  ASSERT_TRUE(DeleteFileW(u"\\dir\\moved.txt"));
  EXPECT_TRUE(RemoveDirectoryW(u"\\DIR"));
  EXPECT_EQ(GetFileAttributesW(u"\\dir"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileOpsTest, MoveReplacingAnExistingFile) {
  ASSERT_TRUE(Put(u"\\new.txt", "new"));
  ASSERT_TRUE(Put(u"\\doc.txt", "old"));
  ASSERT_TRUE(MoveFileExW(u"\\new.txt", u"\\DOC.TXT", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Get(u"\\doc.txt"), "new");
  EXPECT_EQ(Get(u"\\new.txt"), "<absent>");
  ASSERT_TRUE(MoveFileExW(u"\\doc.txt", u"\\fresh.txt", MOVEFILE_REPLACE_EXISTING));  // no target yet
  EXPECT_EQ(Get(u"\\fresh.txt"), "new");

  ASSERT_TRUE(Put(u"\\a.txt", "A"));
  ASSERT_TRUE(Put(u"\\ro.txt", "R"));
  ASSERT_TRUE(SetFileAttributesW(u"\\ro.txt", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryW(u"\\Dir", nullptr));
  HANDLE open = CreateFileW(u"\\fresh.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);
  struct Case {
    const char* what;
    BOOL (*call)();
    DWORD error;
  } cases[] = {
      {"onto a folder", [] { return MoveFileExW(u"\\a.txt", u"\\dir", MOVEFILE_REPLACE_EXISTING); }, ERROR_ACCESS_DENIED},
      {"onto a read-only file", [] { return MoveFileExW(u"\\a.txt", u"\\ro.txt", MOVEFILE_REPLACE_EXISTING); },
       ERROR_ACCESS_DENIED},
      {"onto an open file", [] { return MoveFileExW(u"\\a.txt", u"\\fresh.txt", MOVEFILE_REPLACE_EXISTING); },
       ERROR_SHARING_VIOLATION},
      {"without the flag", [] { return MoveFileExW(u"\\a.txt", u"\\ro.txt", 0); }, ERROR_ALREADY_EXISTS},
      {"unknown flag", [] { return MoveFileExW(u"\\a.txt", u"\\b.txt", 0x2); }, ERROR_INVALID_PARAMETER},
      {"missing source", [] { return MoveFileExW(u"\\none.txt", u"\\a.txt", MOVEFILE_REPLACE_EXISTING); },
       ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  CloseHandle(open);
  EXPECT_EQ(Get(u"\\a.txt"), "A");
  EXPECT_EQ(Get(u"\\ro.txt"), "R");
  EXPECT_EQ(Get(u"\\fresh.txt"), "new");
  SetFileAttributesW(u"\\ro.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileOpsTest, ErrorCodes) {
  ASSERT_TRUE(Put(u"\\a.txt", "A"));
  ASSERT_TRUE(Put(u"\\b.txt", "B"));
  ASSERT_TRUE(CreateDirectoryW(u"\\Dir", nullptr));
  struct Case {
    const char* what;
    BOOL (*call)();
    DWORD error;
  } cases[] = {
      {"delete missing", [] { return DeleteFileW(u"\\none.txt"); }, ERROR_FILE_NOT_FOUND},
      {"delete folder", [] { return DeleteFileW(u"\\dir"); }, ERROR_ACCESS_DENIED},
      {"move onto existing", [] { return MoveFileW(u"\\a.txt", u"\\B.TXT"); }, ERROR_ALREADY_EXISTS},
      {"move missing", [] { return MoveFileW(u"\\none.txt", u"\\c.txt"); }, ERROR_FILE_NOT_FOUND},
      {"move into missing folder", [] { return MoveFileW(u"\\a.txt", u"\\no\\c.txt"); }, ERROR_PATH_NOT_FOUND},
      {"copy, fail if exists", [] { return CopyFileW(u"\\a.txt", u"\\b.txt", TRUE); }, ERROR_FILE_EXISTS},
      {"copy missing", [] { return CopyFileW(u"\\none.txt", u"\\c.txt", FALSE); }, ERROR_FILE_NOT_FOUND},
      {"copy folder", [] { return CopyFileW(u"\\dir", u"\\c.txt", FALSE); }, ERROR_ACCESS_DENIED},
      {"copy onto itself", [] { return CopyFileW(u"\\a.txt", u"\\A.TXT", FALSE); }, ERROR_SHARING_VIOLATION},
      {"folder exists", [] { return CreateDirectoryW(u"\\DIR", nullptr); }, ERROR_ALREADY_EXISTS},
      {"folder under missing", [] { return CreateDirectoryW(u"\\no\\sub", nullptr); }, ERROR_PATH_NOT_FOUND},
      {"remove file as folder", [] { return RemoveDirectoryW(u"\\a.txt"); }, ERROR_DIRECTORY},
      {"remove missing folder", [] { return RemoveDirectoryW(u"\\nodir"); }, ERROR_FILE_NOT_FOUND},
      {"remove root", [] { return RemoveDirectoryW(u"\\"); }, ERROR_ACCESS_DENIED},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(Get(u"\\a.txt"), "A");
  EXPECT_EQ(Get(u"\\b.txt"), "B");
}

TEST_F(FileOpsTest, Attributes) {
  ASSERT_TRUE(Put(u"\\f.txt", "x"));
  ASSERT_TRUE(CreateDirectoryW(u"\\d", nullptr));
  EXPECT_EQ(GetFileAttributesW(u"\\"), DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_EQ(GetFileAttributesW(u"\\D") & FILE_ATTRIBUTE_DIRECTORY, DWORD{FILE_ATTRIBUTE_DIRECTORY});
  EXPECT_EQ(GetFileAttributesW(u"\\F.TXT") & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY), 0u);
  EXPECT_EQ(GetFileAttributesW(u"\\no\\f.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  ASSERT_TRUE(SetFileAttributesW(u"\\f.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(GetFileAttributesW(u"\\f.txt") & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(CreateFileW(u"\\f.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileW(u"\\f.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Get(u"\\f.txt"), "x");  // still readable
  ASSERT_TRUE(SetFileAttributesW(u"\\f.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileW(u"\\f.txt"));
}

}  // namespace
