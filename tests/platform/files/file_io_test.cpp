#include "files_fixture.h"

namespace {

using FileIoTest = FilesTest;
using ce::files::FileCall;
using ce::files::FileSystemSeam;

TEST_F(FileIoTest, CreationDispositions) {
  struct Case {
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD error;          // last error after the call
    const char* content;  // what the file holds afterwards ("<absent>" when there is none)
  } cases[] = {
      {CREATE_NEW, false, true, 0, ""},
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {CREATE_ALWAYS, false, true, 0, ""},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "<absent>"},
      {OPEN_EXISTING, true, true, 0, "old"},
      {OPEN_ALWAYS, false, true, 0, ""},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, "<absent>"},
      {TRUNCATE_EXISTING, true, true, 0, ""},
      {0, true, false, ERROR_INVALID_PARAMETER, "old"},
      {6, true, false, ERROR_INVALID_PARAMETER, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "disposition " << c.disposition << " exists " << c.exists);
    DeleteFileW(u"\\f.bin");
    if (c.exists) {
      ASSERT_TRUE(Put(u"\\f.bin", "old"));
    }
    SetLastError(12345);
    HANDLE h = CreateFileW(u"\\F.BIN", GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition, 0, nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    EXPECT_EQ(Get(u"\\f.bin"), c.content);
  }
  // A folder is not a file; truncation needs write access.
  ASSERT_TRUE(CreateDirectoryW(u"\\dir", nullptr));
  EXPECT_EQ(CreateFileW(u"\\DIR", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileW(u"\\f.bin", GENERIC_READ, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FileIoTest, ShareModesAmongOpenHandles) {
  ASSERT_TRUE(Put(u"\\log.txt", "0123456789"));
  struct Case {
    DWORD first_access, first_share, second_access, second_share;
    bool second_opens;
  } cases[] = {
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
      {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, FILE_SHARE_READ, false},
      {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_READ | GENERIC_WRITE,
       FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, GENERIC_READ, FILE_SHARE_READ, false},  // second denies the writer
      {GENERIC_READ, 0, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
      {0, 0, GENERIC_READ, 0, true},  // an open without access blocks nobody
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.first_access << "/" << c.first_share << " then "
                                    << c.second_access << "/" << c.second_share);
    HANDLE first = CreateFileW(u"\\log.txt", c.first_access, c.first_share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = CreateFileW(u"\\LOG.TXT", c.second_access, c.second_share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.second_opens);
    if (second != INVALID_HANDLE_VALUE) {
      CloseHandle(second);
    } else {
      EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
    CloseHandle(first);
  }
  // A refused CREATE_ALWAYS truncates nothing; an open file is neither deleted nor moved; closing
  // the handle frees the file.
  HANDLE h = CreateFileW(u"\\log.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW(u"\\log.txt", GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileW(u"\\log.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFileW(u"\\log.txt", u"\\log.bak"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(Get(u"\\log.txt"), "0123456789");
  EXPECT_TRUE(DeleteFileW(u"\\log.txt"));
}

TEST_F(FileIoTest, FilePointerSizeAndEnd) {
  ASSERT_TRUE(Put(u"\\p.bin", "0123456789"));
  HANDLE h = CreateFileW(u"\\p.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[8] = {};
  DWORD n = 0;
  EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);
  ASSERT_TRUE(ReadFile(h, buffer, 8, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "6789");
  ASSERT_TRUE(ReadFile(h, buffer, 8, &n, nullptr));  // at the end: success with nothing
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_CURRENT), 7u);
  EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 7u);  // a refused move leaves the pointer
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 5, &high, FILE_BEGIN), 5u);  // 4 GiB + 5
  EXPECT_EQ(high, 1);
  high = 0;
  EXPECT_EQ(SetFilePointer(h, 4, &high, FILE_BEGIN), 4u);
  EXPECT_EQ(high, 0);
  EXPECT_TRUE(SetEndOfFile(h));
  DWORD size_high = 99;
  EXPECT_EQ(GetFileSize(h, &size_high), 4u);
  EXPECT_EQ(size_high, 0u);
  EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_END), 6u);  // beyond the end, then write: a gap of zeros
  ASSERT_TRUE(WriteFile(h, "x", 1, &n, nullptr));
  EXPECT_TRUE(FlushFileBuffers(h));
  CloseHandle(h);
  EXPECT_EQ(Get(u"\\p.bin"), std::string("0123\0\0x", 7));

  EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);  // closed handle
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReadFile(h, buffer, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileIoTest, AccessIsChecked) {
  ASSERT_TRUE(Put(u"\\a.bin", "abc"));
  HANDLE r = CreateFileW(u"\\a.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD n = 9;
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(n, 0u);
  CloseHandle(r);
  HANDLE w = CreateFileW(u"\\a.bin", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  char c;
  EXPECT_FALSE(ReadFile(w, &c, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(w);
}

TEST_F(FileIoTest, FullDiskRefusesWritesAndKeepsData) {
  ASSERT_TRUE(Put(u"\\keep.txt", "precious"));
  ASSERT_TRUE(Put(u"\\other.txt", "new"));
  FileSystemSeam::Get().SetDiskFull(true);
  HANDLE h = CreateFileW(u"\\keep.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 7;
  EXPECT_FALSE(WriteFile(h, "xx", 2, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(n, 0u);
  CloseHandle(h);
  EXPECT_FALSE(CopyFileW(u"\\other.txt", u"\\keep.txt", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(Get(u"\\keep.txt"), "precious");
  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(u"\\", &available, &total, &free));
  EXPECT_EQ(available.QuadPart, 0u);
  EXPECT_EQ(free.QuadPart, 0u);
  EXPECT_GT(total.QuadPart, 0u);

  FileSystemSeam::Get().SetDiskFull(false);
  FileSystemSeam::Get().SetFreeSpace(400000);
  ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, &available, nullptr, nullptr));
  EXPECT_EQ(available.QuadPart, 400000u);
  FileSystemSeam::Get().SetFreeSpace(std::nullopt);
  ASSERT_TRUE(GetDiskFreeSpaceExW(nullptr, &available, &total, nullptr));
  EXPECT_GT(available.QuadPart, 0u);
  EXPECT_GE(total.QuadPart, available.QuadPart);
}

TEST_F(FileIoTest, ForcedFailuresAndShortReads) {
  ASSERT_TRUE(Put(u"\\r.bin", "abcdefgh"));
  FileSystemSeam::Get().FailCall(FileCall::kRead, ERROR_READ_FAULT, 1);
  FileSystemSeam::Get().SetMaxReadSize(3);
  HANDLE h = CreateFileW(u"\\r.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[8];
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(h, buffer, 8, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "abc");
  EXPECT_FALSE(ReadFile(h, buffer, 8, &n, nullptr));  // the second read fails once
  EXPECT_EQ(GetLastError(), ERROR_READ_FAULT);
  ASSERT_TRUE(ReadFile(h, buffer, 8, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "def");
  CloseHandle(h);

  FileSystemSeam::Get().FailCall(FileCall::kCreate, ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileW(u"\\r.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  FileSystemSeam::Get().FailCall(FileCall::kDelete, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileW(u"\\r.bin"));
  EXPECT_TRUE(DeleteFileW(u"\\r.bin"));
}

TEST_F(FileIoTest, WriteTimeIsKeptBySetFileTimeAndCopies) {
  ASSERT_TRUE(Put(u"\\t.txt", "t"));
  HANDLE h = CreateFileW(u"\\t.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const FILETIME when{0x12345670u, 0x01D9A000u};  // a day in 2023, a multiple of 100 ns
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &when));
  CloseHandle(h);
  ASSERT_TRUE(CopyFileW(u"\\t.txt", u"\\copy.txt", TRUE));
  for (const char16_t* name : {u"\\t.txt", u"\\copy.txt"}) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(name, &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, when.dwLowDateTime);
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, when.dwHighDateTime);
  }
  h = CreateFileW(u"\\t.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(SetFileTime(h, nullptr, nullptr, &when));  // needs write access
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  CloseHandle(h);
}

}  // namespace
