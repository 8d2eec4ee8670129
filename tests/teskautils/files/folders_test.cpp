// Making, deleting and copying folder trees on the test device.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/text/utf.h"
#include "tests/teskautils/files/device_files.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

using teskautils_test::HostOf;
using teskautils_test::ReadHostFile;
using teskautils_test::TreeOf;
using teskautils_test::WriteHostFile;
using Tree = std::set<std::string>;

class Folders : public teskautils_test::TeskaUtilsTest {};

std::u16string Ce(const std::string& relative) { return u"\\" + ce::text::FromUtf8(relative); }

void MakeReadOnly(const std::string& relative) {
  ASSERT_TRUE(SetFileAttributesW(Ce(relative).c_str(), FILE_ATTRIBUTE_READONLY));
}

TEST_F(Folders, CrearDirectorioCreatesEveryLevelUpTo260Characters) {
  EXPECT_EQ(CrearDirectorio(u"\\uno\\dos\\tres"), 1);
  EXPECT_TRUE(std::filesystem::is_directory(HostOf("uno/dos/tres")));
  EXPECT_EQ(CrearDirectorio(u"\\uno\\dos\\cuatro\\"), 1);  // a trailing backslash
  EXPECT_TRUE(std::filesystem::is_directory(HostOf("uno/dos/cuatro")));

  // 25 levels of 9 characters and a last one of 8: 259 characters, past the 8-bit indices.
  std::u16string path;
  std::string host;
  for (int i = 0; i < 25; ++i) {
    path += u"\\nivel" + ce::text::FromUtf8(std::to_string(1000 + i));
    host += "nivel" + std::to_string(1000 + i) + "/";
  }
  path += u"\\ultimo12";
  host += "ultimo12";
  ASSERT_EQ(path.size(), 259u);
  EXPECT_EQ(CrearDirectorio(path.c_str()), 1);
  EXPECT_TRUE(std::filesystem::is_directory(HostOf(host)));
  // Nothing was made at a wrong place (a prefix cut at 256 characters would have been).
  EXPECT_EQ(TreeOf("").size(), 4u + 26u);
}

TEST_F(Folders, SubstringTakesTheInclusiveRange) {
  struct Case {
    const char16_t* source;
    BYTE start, end;
    std::u16string expected;
  } cases[] = {{u"abcdef", 2, 4, u"cde"}, {u"abcdef", 0, 0, u"a"}, {u"abcdef", 4, 200, u"ef"},
               {u"abcdef", 3, 1, u""}};
  for (const Case& c : cases) {
    WCHAR target[16];
    std::fill(std::begin(target), std::end(target), u'#');
    EXPECT_EQ(Substring(c.source, target, c.start, c.end), target);
    EXPECT_EQ(std::u16string(target), c.expected) << int(c.start) << ".." << int(c.end);
  }
}

TEST_F(Folders, BorrarDirectorioRecursivoStopsOnlyWhereItShould) {
  struct Case {
    const char* name;
    std::vector<std::string> files;  // below "d"
    std::vector<std::string> read_only;
    BOOL keep_going;
    int result;
    Tree left;  // below "d"; "-" means "d" itself is gone
  } cases[] = {
      {"missing folder", {}, {}, FALSE, 1, {"-"}},
      {"whole tree", {"a.txt", "sub/b.txt", "sub/deep/c.txt"}, {}, FALSE, 1, {"-"}},
      {"stuck file stops the walk",
       {"a.txt", "b.txt", "c.txt", "sub/x.txt"}, {"b.txt"}, FALSE, 0, {"b.txt", "c.txt", "sub/", "sub/x.txt"}},
      {"stuck file skipped when keeping on", {"a.txt", "b.txt", "c.txt", "sub/x.txt"}, {"b.txt"}, TRUE, 1, {"b.txt"}},
      {"stuck file in a subfolder stops only that subfolder",
       {"sub/a.txt", "sub/b.txt", "z.txt"}, {"sub/a.txt"}, FALSE, 1, {"sub/", "sub/a.txt", "sub/b.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(HostOf("d"));
    for (const auto& f : c.files) WriteHostFile("d/" + f, "x");
    for (const auto& f : c.read_only) MakeReadOnly("d\\" + f);
    EXPECT_EQ(BorrarDirectorioRecursivo(u"\\d", c.keep_going), c.result);
    if (c.left == Tree{"-"}) {
      EXPECT_FALSE(std::filesystem::exists(HostOf("d")));
    } else {
      EXPECT_EQ(TreeOf("d"), c.left);
    }
    for (const auto& f : c.read_only)
      if (std::filesystem::exists(HostOf("d/" + f))) SetFileAttributesW(Ce("d\\" + f).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(Folders, CopiesWithAndWithoutFilters) {
  const std::vector<std::string> source = {"a.txt", "b.log", "keep_me.txt", "sub/c.txt", "sub/keep_too.txt",
                                           "dir.txt/x.log"};
  for (const auto& f : source) WriteHostFile("src/" + f, "new " + f);
  const Tree everything = {"a.txt", "b.log", "keep_me.txt", "sub/", "sub/c.txt", "sub/keep_too.txt", "dir.txt/",
                           "dir.txt/x.log"};
  struct Case {
    const char* name;
    int (*copy)();
    Tree expected;
  } cases[] = {
      {"all", [] { return CopiarArchivosRecursivo(u"\\src", u"\\dst"); }, everything},
      {"positive", [] { return CopiarArchivosRecursivoConFiltroPositivo(u"\\src", u"\\dst", u"txt"); },
       {"a.txt", "keep_me.txt", "dir.txt/", "dir.txt/x.log"}},
      {"negative", [] { return CopiarArchivosRecursivoConFiltroNegativo(u"\\src", u"\\dst", u"keep"); },
       {"a.txt", "b.log", "sub/", "sub/c.txt", "sub/keep_too.txt", "dir.txt/", "dir.txt/x.log"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(HostOf("dst"));
    WriteHostFile("dst/a.txt", "old");  // overwritten where copied
    EXPECT_EQ(c.copy(), 1);
    EXPECT_EQ(TreeOf("dst"), c.expected);
    EXPECT_EQ(ReadHostFile("dst/a.txt"), "new a.txt");
    EXPECT_EQ(TreeOf("src").size(), everything.size());
  }
}

TEST_F(Folders, CopyIntoAFolderInsideTheSourceCopiesTheTreeOnce) {
  struct Case {
    const char16_t* target;
    std::string host_target;  // below "src"
    int (*copy)(LPCWSTR, LPCWSTR);
  } cases[] = {
      {u"\\src\\copia", "copia", CopiarArchivosRecursivo},
      {u"\\src\\sub\\copia", "sub/copia", CopiarArchivosRecursivo},
      {u"\\src\\sub\\deep\\copia\\", "sub/deep/copia", CopiarArchivosRecursivo},
      {u"\\SRC\\Sub\\copia", "sub/copia", CopiarArchivosRecursivo},
      {u"\\src\\sub\\copia", "sub/copia",
       [](LPCWSTR s, LPCWSTR t) { return CopiarArchivosRecursivoConFiltroNegativo(s, t, u"zzz"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host_target);
    std::filesystem::remove_all(HostOf("src"));
    WriteHostFile("src/a.txt", "a");
    WriteHostFile("src/sub/b.txt", "b");
    WriteHostFile("src/sub/deep/c.txt", "c");
    EXPECT_EQ(c.copy(u"\\src", c.target), 1);
    // The copy holds the original tree and nothing of itself.
    EXPECT_EQ(TreeOf("src/" + c.host_target), (Tree{"a.txt", "sub/", "sub/b.txt", "sub/deep/", "sub/deep/c.txt"}));
  }
}

}  // namespace
