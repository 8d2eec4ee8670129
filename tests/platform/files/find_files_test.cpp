#include <vector>

#include "files_fixture.h"
#include "platform/text/utf.h"

namespace {

using FindFilesTest = FilesTest;

// Every name FindFirstFileW / FindNextFileW give for a pattern, joined by ','; "!<error>" when none.
std::string Names(const char16_t* pattern) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return "!" + std::to_string(GetLastError());
  std::string names;
  do {
    if (!names.empty()) names += ",";
    names += ce::text::ToUtf8(ce::text::WideView(data.cFileName));
  } while (FindNextFileW(h, &data));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_MORE_FILES});
  EXPECT_TRUE(FindClose(h));
  return names;
}

TEST_F(FindFilesTest, WildcardsWithoutRegardToCase) {
  ASSERT_TRUE(CreateDirectoryW(u"\\Data", nullptr));
  for (const char16_t* name : {u"\\data\\Alps.KTA", u"\\data\\b.kt", u"\\data\\c.ktx", u"\\data\\README",
                               u"\\data\\notes.txt", u"\\data\\x.kta.bak"}) {
    ASSERT_TRUE(Put(name, "1"));
  }
  ASSERT_TRUE(CreateDirectoryW(u"\\data\\Sub", nullptr));
  struct Case {
    const char16_t* pattern;
    const char* names;
  } cases[] = {
      {u"\\Data\\*", "Alps.KTA,b.kt,c.ktx,notes.txt,README,Sub,x.kta.bak"},
      {u"\\DATA\\*.*", "Alps.KTA,b.kt,c.ktx,notes.txt,README,Sub,x.kta.bak"},
      {u"\\data\\*.kt?", "Alps.KTA,c.ktx"},
      {u"\\data\\*.KT*", "Alps.KTA,b.kt,c.ktx,x.kta.bak"},
      {u"\\data\\?.kt", "b.kt"},
      {u"\\data\\readme", "README"},
      {u"\\data\\*.kta", "Alps.KTA"},
      {u"/data/*a*", "Alps.KTA,README,x.kta.bak"},
      {u"\\data\\*.none", "!2"},
      {u"\\nowhere\\*", "!3"},
      {u"\\data\\", "!2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Names(c.pattern), c.names) << ce::text::ToUtf8(c.pattern);
  }
}

TEST_F(FindFilesTest, NeverDotOrDotDotAndFillsTheRecord) {
  ASSERT_TRUE(CreateDirectoryW(u"\\x", nullptr));
  EXPECT_EQ(Names(u"\\x\\*"), "!2");  // an empty folder lists nothing at all
  ASSERT_TRUE(Put(u"\\x\\five.bin", "12345"));
  ASSERT_TRUE(CreateDirectoryW(u"\\x\\in", nullptr));
  EXPECT_EQ(Names(u"\\x\\*"), "five.bin,in");
  EXPECT_EQ(Names(u"\\x\\.*"), "!2");
  EXPECT_EQ(Names(u"\\x\\I*"), "in");  // the folder itself by its name

  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(u"\\X\\FIVE.BIN", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  HANDLE file = CreateFileW(u"\\x\\five.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME written{};
  ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
  CloseHandle(file);
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
  EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, written.dwHighDateTime);
  EXPECT_GT(written.dwHighDateTime, 0x01D00000u);  // after 2014
  EXPECT_TRUE(FindClose(h));
  EXPECT_FALSE(FindClose(h));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_FALSE(FindNextFileW(h, &data));
}

}  // namespace
