#include <fstream>
#include <sstream>

#include "platform/files/files.h"
#include "platform/files/module_path.h"
#include "platform/kernel/kernel.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/library_seam.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/testing/device_test.h"

namespace {

using ce::libraries::LibrarySeam;

int Twice(int v) { return 2 * v; }
int Negate(int v) { return -v; }

class LibrariesTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    LibrarySeam::Get().Reset();
    ce::libraries::RegisterBuiltin(u"testril.dll", {.by_name = {{"Twice", ce::libraries::Export(&Twice)}},
                                                     .by_ordinal = {{1, ce::libraries::Export(&Twice)},
                                                                    {105, ce::libraries::Export(&Negate)}}});
    ce::libraries::SetLibraryFolder(TEST_LIBRARY_DIR);
  }
  void TearDown() override {
    ce::libraries::UnregisterBuiltin(u"testril");
    ce::libraries::SetLibraryFolder({});
    LibrarySeam::Get().Reset();
    DeviceTest::TearDown();
  }

  std::string DllLog() const {
    std::ifstream in(device_folder() / "root" / "dll_log.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(LibrariesTest, BuiltinByAnySpellingWithReferences) {
  HMODULE a = LoadLibraryW(u"\\Windows\\TESTRIL.DLL");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(LoadLibraryW(u"testril"), a);
  EXPECT_EQ(GetModuleHandleW(u"TestRil.dll"), a);
  EXPECT_EQ(ce::libraries::ProcAs<int(int)>(GetProcAddress(a, u"Twice"))(4), 8);
  EXPECT_EQ(ce::libraries::ProcAs<int(int)>(GetProcAddress(a, "Twice"))(5), 10);
  EXPECT_EQ(ce::libraries::ProcAs<int(int)>(GetProcAddress(a, MAKEINTRESOURCE(105)))(3), -3);
  EXPECT_EQ(GetProcAddress(a, u"twice"), nullptr);  // export names keep their case
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
  EXPECT_EQ(GetProcAddress(a, MAKEINTRESOURCE(2)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});

  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(GetModuleHandleW(u"testril"), a);  // one reference left
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(GetModuleHandleW(u"testril"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
  EXPECT_FALSE(FreeLibrary(a));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  EXPECT_EQ(GetProcAddress(a, u"Twice"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

TEST_F(LibrariesTest, AbsentLibrariesAndEntryPoints) {
  EXPECT_EQ(LoadLibraryW(u"nosuch.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});

  LibrarySeam::Get().SetAbsent(u"TESTRIL.dll");
  EXPECT_EQ(LoadLibraryW(u"\\windows\\testril.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
  LibrarySeam::Get().SetAbsent(u"testril", false);

  LibrarySeam::Get().SetEntryAbsent(u"testril", "Twice");
  LibrarySeam::Get().SetOrdinalAbsent(u"testril", 105);
  HMODULE h = LoadLibraryW(u"testril.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetProcAddress(h, u"Twice"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
  EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCE(105)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
  EXPECT_NE(GetProcAddress(h, MAKEINTRESOURCE(1)), nullptr);
  FreeLibrary(h);

  // An absent shared library of ours too.
  LibrarySeam::Get().SetAbsent(u"TestItem");
  EXPECT_EQ(LoadLibraryW(u"TestItem.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
}

TEST_F(LibrariesTest, SharedLibraryOfOursByItsDeviceName) {
  HMODULE h = LoadLibraryW(u"\\Program Files\\Velomar\\TESTITEM.DLL");
  ASSERT_NE(h, nullptr) << GetLastError();
  EXPECT_EQ(DllLog(), "DLL_PROCESS_ATTACH \\Program Files\\Velomar\\TESTITEM.DLL\n");
  auto init = ce::libraries::ProcAs<int(int)>(GetProcAddress(h, MAKEINTRESOURCE(240)));
  ASSERT_NE(init, nullptr);
  EXPECT_EQ(init(41), 42);
  EXPECT_EQ(ce::libraries::ProcAs<int(int)>(GetProcAddress(h, u"TodayItemInit")), init);
  // What the library only reaches through the libraries it uses is not its export.
  EXPECT_EQ(GetProcAddress(h, "GetModuleFileNameW"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
  EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCE(241)), nullptr);

  LibrarySeam::Get().SetOrdinalAbsent(u"testitem", 240);
  EXPECT_EQ(GetProcAddress(h, MAKEINTRESOURCE(240)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_EQ(DllLog(),
            "DLL_PROCESS_ATTACH \\Program Files\\Velomar\\TESTITEM.DLL\n"
            "DLL_PROCESS_DETACH \\Program Files\\Velomar\\TESTITEM.DLL\n");
}

TEST_F(LibrariesTest, RefusedAttachUnloadsAgain) {
  HANDLE marker = CreateFileW(u"\\refuse", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(marker, INVALID_HANDLE_VALUE);
  CloseHandle(marker);
  EXPECT_EQ(LoadLibraryW(u"TestItem"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_DLL_INIT_FAILED});
  EXPECT_EQ(GetModuleHandleW(u"TestItem"), nullptr);
  EXPECT_EQ(DllLog(), "DLL_PROCESS_ATTACH \\Windows\\TestItem.dll\nDLL_PROCESS_DETACH \\Windows\\TestItem.dll\n");
}

TEST_F(LibrariesTest, ModuleFileNames) {
  ce::files::SetModulePath(u"\\Program Files\\Velomar\\Velomar.exe");
  WCHAR buffer[64];
  EXPECT_EQ(GetModuleFileNameW(nullptr, buffer, 64), 34u);
  EXPECT_EQ(std::u16string(buffer), u"\\Program Files\\Velomar\\Velomar.exe");
  EXPECT_EQ(GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, 10), 10u);  // cut to fit
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(std::u16string(buffer), u"\\Program ");
  EXPECT_EQ(GetModuleHandleW(u"velomar.exe"), GetModuleHandleW(nullptr));
  HMODULE h = LoadLibraryW(u"testril");
  EXPECT_EQ(GetModuleFileNameW(h, buffer, 64), 20u);
  EXPECT_EQ(std::u16string(buffer), u"\\Windows\\testril.dll");
  FreeLibrary(h);
  EXPECT_EQ(GetModuleFileNameW(h, buffer, 64), 0u);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
}

}  // namespace
