#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

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

// A copy killed midway leaves its file in the making; the next copy into that folder removes it,
// but neither a copy still being written by a live process nor other hidden files nor the same
// names in another folder.
TEST_F(FileOpsTest, CopyKilledMidwayIsClearedByTheNextCopyIntoItsFolder) {
  ASSERT_TRUE(CreateDirectoryW(u"\\Backup", nullptr));
  ASSERT_TRUE(CreateDirectoryW(u"\\Other", nullptr));
  ASSERT_TRUE(Put(u"\\small.txt", "S"));
  const auto backup = root() / "Backup";
  // Start a copy that blocks: its source is a pipe that never ends.
  auto startCopy = [&](const char* pipeName, const char16_t* source, const char16_t* target, int& writer) {
    const auto pipe = root() / pipeName;
    EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      CopyFileW(source, target, FALSE);
      ::_exit(0);
    }
    writer = ::open(pipe.c_str(), O_WRONLY);
    EXPECT_EQ(::write(writer, "partial", 7), 7);
    return child;
  };
  auto makings = [](const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      if (e.path().filename().string().find(".copy-") != std::string::npos) names.push_back(e.path().filename().string());
    return names;
  };
  auto waitForMakings = [&](std::size_t n) {
    for (int i = 0; i < 1000 && makings(backup).size() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return makings(backup).size() == n;
  };
  int killedWriter = -1, liveWriter = -1;
  const pid_t live = startCopy("pipe2", u"\\pipe2", u"\\Backup\\log.txt", liveWriter);
  ASSERT_TRUE(waitForMakings(1));
  const std::vector<std::string> living = makings(backup);
  const pid_t killed = startCopy("pipe1", u"\\pipe1", u"\\Backup\\places.db", killedWriter);
  ASSERT_TRUE(waitForMakings(2));
  ASSERT_EQ(::kill(killed, SIGKILL), 0);
  ASSERT_EQ(::waitpid(killed, nullptr, 0), killed);
  std::string leftover;
  for (const std::string& name : makings(backup))
    if (name != living[0]) leftover = name;
  ASSERT_EQ(leftover.rfind(".places.db.copy-", 0), 0u) << leftover;
  // Names that only look alike, and a left-over in another folder, stay.
  std::ofstream(backup / ".places.db.copy-ab") << "x";
  std::ofstream(backup / ".settings") << "x";
  std::ofstream(backup / "places.db.copy-ABCDEF") << "x";
  std::filesystem::copy_file(backup / leftover, root() / "Other" / leftover);

  ASSERT_TRUE(CopyFileW(u"\\small.txt", u"\\Backup\\small.txt", FALSE));
  EXPECT_FALSE(std::filesystem::exists(backup / leftover));
  EXPECT_EQ(makings(backup).size(), 3u);  // the live copy's file and the two look-alikes
  EXPECT_TRUE(std::filesystem::exists(backup / ".settings"));
  EXPECT_TRUE(std::filesystem::exists(root() / "Other" / leftover));
  EXPECT_EQ(Get(u"\\Backup\\small.txt"), "S");

  // The live copy finishes whole.
  ::close(liveWriter);
  ASSERT_EQ(::waitpid(live, nullptr, 0), live);
  EXPECT_EQ(Get(u"\\Backup\\log.txt"), "partial");
  ::close(killedWriter);
}

}  // namespace
