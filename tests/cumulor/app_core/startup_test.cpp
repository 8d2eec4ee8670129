// The entry and the start-up in the test process: the single-instance rule, the free-space
// question, the GPS port that cannot be opened, and the shutdown's registry values.
#include <cstring>
#include <string>

#include "cumulor/app/core/app_entry.h"
#include "platform/dialogs/message_box.h"
#include "platform/files/file_system_seam.h"
#include "platform/registry/registry.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

using namespace cumulor;

namespace {

class Startup : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root");
    ce::scripted::User::Get().Reset();
    ce::files::FileSystemSeam::Get().Reset();
  }
  void TearDown() override {
    ce::files::FileSystemSeam::Get().Reset();
    ce::scripted::User::Get().Reset();
    DeviceTest::TearDown();
  }
  static std::vector<ce::scripted::Shown> Shown(ce::scripted::Kind kind) {
    std::vector<ce::scripted::Shown> out;
    for (const auto& s : ce::scripted::User::Get().shown())
      if (s.kind == kind) out.push_back(s);
    return out;
  }
  static bool Mentions(const ce::scripted::Shown& s, const std::u16string& text) {
    for (const auto& t : s.texts)
      if (t.find(text) != std::u16string::npos) return true;
    return false;
  }
  static bool HasValue(const WCHAR* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halcyra\\Cumulor", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    BYTE data[64];
    DWORD size = sizeof(data), type = 0;
    const bool found = RegQueryValueExW(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
  }
};

TEST_F(Startup, LowDiskSpaceAsksAndNoEndsTheProgramWithItsValuesSaved) {
  ce::files::FileSystemSeam::Get().SetFreeSpace(400000);
  ce::scripted::User::Get().AnswerBox(IDNO);
  EXPECT_EQ(WinMain(nullptr, nullptr, u" /sx", SW_SHOW), 0);
  const auto boxes = Shown(ce::scripted::Kind::kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, u"Cumulor");
  EXPECT_TRUE(Mentions(boxes[0], u"WARNING: DISK SPACE BELOW 0.5MB!"));
  EXPECT_EQ(boxes[0].result, IDNO);
  EXPECT_EQ(AppRecord(), nullptr);
  EXPECT_TRUE(HasValue(u"rScreen"));
  EXPECT_TRUE(HasValue(u"SuaOff"));
}

TEST_F(Startup, FourGigabytesAndALittleAskNothingAndAMissingPortShowsText210) {
  // The whole 64-bit figure counts: its low 32 bits alone (100) would ask.
  ce::files::FileSystemSeam::Get().SetFreeSpace((std::uint64_t{1} << 32) + 100);
  // "COM1:" is not mapped to a host port in HKLM "\Host\SerialPorts": the port cannot be opened.
  EXPECT_EQ(WinMain(nullptr, nullptr, u"", SW_SHOW), 0);
  EXPECT_TRUE(Shown(ce::scripted::Kind::kBox).empty());
  const auto dialogs = Shown(ce::scripted::Kind::kDialog);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(Mentions(dialogs[0], u"Serial Port is in Use by Another Application"));
  EXPECT_EQ(FindWindowW(kMainClass, nullptr), nullptr);
}

TEST_F(Startup, ARunningInstanceIsFoundByItsClassWhateverItsTitle) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = kMainClass;
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND running = CreateWindowExW(0, kMainClass, u"\\My Documents\\flight.igc", WS_VISIBLE, 0, 0, 240, 320, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(WinMain(nullptr, nullptr, u"/s", SW_SHOW), 0);
  EXPECT_EQ(AppRecord(), nullptr);  // nothing was built
  EXPECT_TRUE(ce::scripted::User::Get().shown().empty());
  DestroyWindow(running);
  UnregisterClassW(kMainClass, nullptr);
}

}  // namespace
