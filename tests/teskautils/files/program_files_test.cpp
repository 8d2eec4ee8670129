// The program's folder and name, the storage card folder and shortcut files.
#include <gtest/gtest.h>

#include <string>

#include "platform/files/module_path.h"
#include "tests/teskautils/files/device_files.h"
#include "tests/teskautils/teskautils_fixture.h"

namespace {

using teskautils_test::HostOf;
using teskautils_test::ReadHostFile;
using teskautils_test::SeedValue;

class ProgramFiles : public teskautils_test::TeskaUtilsTest {};

TEST_F(ProgramFiles, ProgramFolderAndName) {
  WCHAR folder[MAX_PATH];
  WCHAR* cut = GetCurrentDirectory(folder);
  EXPECT_EQ(std::u16string(folder), u"\\Program Files\\Velomar");
  EXPECT_EQ(cut, folder + 22);
  WCHAR name[MAX_PATH] = u"antes";
  GetCurrentExeName(name);
  EXPECT_EQ(std::u16string(name), u"Velomar.exe");

  ce::files::SetModulePath(u"Velomar.exe");  // no backslash at all
  EXPECT_EQ(GetCurrentDirectory(folder), nullptr);
  WCHAR unchanged[MAX_PATH] = u"antes";
  GetCurrentExeName(unchanged);
  EXPECT_EQ(std::u16string(unchanged), u"antes");
}

TEST_F(ProgramFiles, StorageCardFolder) {
  const WCHAR* key = u"System\\StorageManager\\Profiles\\SDMemory";
  WCHAR folder[MAX_PATH] = u"x";
  GetSdDirectory(folder);
  EXPECT_EQ(std::u16string(folder), u"");  // no key
  SeedValue(key, u"Otro", REG_DWORD, "\1\0\0\0", 4);
  GetSdDirectory(folder);
  EXPECT_EQ(std::u16string(folder), u"");  // no "Folder" value
  const std::u16string card = u"Storage Card";
  SeedValue(key, u"Folder", REG_SZ, card.c_str(), static_cast<DWORD>(2 * (card.size() + 1)));
  GetSdDirectory(folder);
  EXPECT_EQ(std::u16string(folder), u"\\Storage Card");
  const std::u16string rooted = u"\\SD";
  SeedValue(key, u"Folder", REG_SZ, rooted.c_str(), static_cast<DWORD>(2 * (rooted.size() + 1)));
  GetSdDirectory(folder);
  EXPECT_EQ(std::u16string(folder), u"\\SD");
}

TEST_F(ProgramFiles, ShortcutFiles) {
  EXPECT_EQ(CrearAccesoDirecto(u"\\acceso.lnk", u"\\Windows\\a.exe"), 1);  // a target of 14 characters
  EXPECT_EQ(ReadHostFile("acceso.lnk"), "16#\"\\Windows\\a.exe\"");
  EXPECT_EQ(CrearAccesoDirecto(u"\\acceso.lnk", u"\\b.exe \u00e1"), 1);  // replaced, in the 8-bit code page
  EXPECT_EQ(ReadHostFile("acceso.lnk"), "10#\"\\b.exe \xe1\"");
  EXPECT_EQ(CrearAccesoDirecto(u"\\no\\existe\\acceso.lnk", u"\\a.exe"), 0);
  const std::u16string long_target(300, u'x');
  EXPECT_EQ(CrearAccesoDirecto(u"\\largo.lnk", long_target.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(HostOf("largo.lnk")));
}

}  // namespace
