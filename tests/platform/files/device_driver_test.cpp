#include <cstring>
#include <string>

#include "files_fixture.h"
#include "platform/files/file_object.h"

namespace {

// A loop-back device: what is written can be read back; control code 7 answers the bytes held.
class LoopDevice : public ce::files::FileObject {
 public:
  DWORD Read(void* buffer, DWORD size, DWORD* done) override {
    *done = static_cast<DWORD>(std::min<std::size_t>(size, held.size()));
    held.copy(static_cast<char*>(buffer), *done);
    held.erase(0, *done);
    return ERROR_SUCCESS;
  }
  DWORD Write(const void* data, DWORD size, DWORD* done) override {
    held.append(static_cast<const char*>(data), size);
    *done = size;
    return ERROR_SUCCESS;
  }
  DWORD Control(DWORD code, const void*, DWORD, void* out, DWORD out_size, DWORD* returned) override {
    if (code != 7 || out_size < 4) return ERROR_INVALID_PARAMETER;
    DWORD n = static_cast<DWORD>(held.size());
    std::memcpy(out, &n, 4);
    *returned = 4;
    return ERROR_SUCCESS;
  }
  std::string held;
};

class DeviceDriverTest : public FilesTest {
 protected:
  void TearDown() override {
    ce::files::UnregisterDeviceDriver(u"TST");
    ce::files::UnregisterDeviceDriver(u"TST1:");
    FilesTest::TearDown();
  }
};

TEST_F(DeviceDriverTest, RegisteredDriverReceivesReadsWritesAndControls) {
  std::u16string opened;
  ce::files::RegisterDeviceDriver(u"TST1:", [&](std::u16string_view name, DWORD access, DWORD, DWORD*) {
    opened = name;
    EXPECT_EQ(access, GENERIC_READ | GENERIC_WRITE);
    return std::make_shared<LoopDevice>();
  });
  HANDLE h = CreateFileW(u"tst1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(opened, u"tst1:");
  EXPECT_FALSE(std::filesystem::exists(root() / "tst1:"));
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "ping", 4, &n, nullptr));
  DWORD held = 0, returned = 0;
  ASSERT_TRUE(DeviceIoControl(h, 7, nullptr, 0, &held, sizeof held, &returned, nullptr));
  EXPECT_EQ(held, 4u);
  EXPECT_EQ(returned, 4u);
  EXPECT_FALSE(DeviceIoControl(h, 8, nullptr, 0, nullptr, 0, &returned, nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  char buffer[8];
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "ping");
  EXPECT_NE(ce::kernel::LookupAs<LoopDevice>(h), nullptr);  // a driver finds its own object again
  // A device has no file pointer or size.
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_FUNCTION});
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(DeviceDriverTest, LongestPrefixWinsAndRefusalsCarryTheDriversError) {
  int generic = 0;
  ce::files::RegisterDeviceDriver(u"TST", [&](std::u16string_view, DWORD, DWORD, DWORD*) {
    ++generic;
    return std::make_shared<LoopDevice>();
  });
  ce::files::RegisterDeviceDriver(u"TST1:", [](std::u16string_view, DWORD, DWORD, DWORD* error) {
    *error = ERROR_SHARING_VIOLATION;
    return std::shared_ptr<ce::files::FileObject>();
  });
  EXPECT_EQ(CreateFileW(u"TST1:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
  HANDLE h = CreateFileW(u"TST2:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(generic, 1);
  CloseHandle(h);
  ce::files::UnregisterDeviceDriver(u"tst");
  EXPECT_EQ(CreateFileW(u"TST2:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

}  // namespace
