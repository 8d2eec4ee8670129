// aygshell.dll, commctrl.dll and gx.dll reached the way the programs reach them: loaded by name,
// entry points taken by ordinal or name.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/device/device.h"
#include "platform/devicelibs/aygshell_window.h"
#include "platform/devicelibs/gx.h"
#include "platform/dialogs/prsht.h"
#include "platform/display/virtual_keys.h"
#include "platform/gdi/images.h"
#include "platform/kernel/last_error.h"
#include "platform/libraries/builtin_libraries.h"
#include "platform/libraries/libraries.h"
#include "platform/menus/softkey_bar.h"
#include "platform/registry/registry.h"
#include "platform/sound/sound_profile.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace {

using ce::libraries::Export;
using ce::libraries::ProcAs;
using ShellLibrariesTest = ce::testing::DeviceTest;

FARPROC Ordinal(HMODULE lib, WORD ordinal) { return GetProcAddress(lib, MAKEINTRESOURCEW(ordinal)); }

TEST_F(ShellLibrariesTest, AygshellOrdinalsReachTheShellCalls) {
  HMODULE lib = LoadLibraryW(u"\\Windows\\AYGSHELL.DLL");
  ASSERT_NE(lib, nullptr);
  const std::vector<std::pair<WORD, FARPROC>> table = {
      {21, Export(&ShellWindowState)},   {34, Export(&SHCreateMenuBar)},    {65, Export(&SHFullScreen)},
      {75, Export(&SHLoadImageFile)},    {334, Export(&RegistryGetString)}, {335, Export(&RegistrySetDWORD)},
      {336, Export(&RegistrySetString)}, {389, Export(&SndSetSound)}};
  for (const auto& [ordinal, expected] : table) EXPECT_EQ(Ordinal(lib, ordinal), expected) << ordinal;
  EXPECT_EQ(Ordinal(lib, 22), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

  // The registry helpers as Velomar's ring-tone and control-panel threads use them.
  auto set_string = ProcAs<decltype(RegistrySetString)>(Ordinal(lib, 336));
  auto get_string = ProcAs<decltype(RegistryGetString)>(Ordinal(lib, 334));
  auto set_dword = ProcAs<decltype(RegistrySetDWORD)>(Ordinal(lib, 335));
  ASSERT_EQ(set_string(HKEY_CURRENT_USER, u"\\ControlPanel\\Sounds\\RingTone0", u"Script", u"aA"), S_OK);
  WCHAR text[260] = {};
  ASSERT_EQ(get_string(HKEY_CURRENT_USER, u"\\ControlPanel\\Sounds\\RingTone0", u"Script", text, 260), S_OK);
  EXPECT_EQ(std::u16string(text), u"aA");
  ASSERT_EQ(set_dword(HKEY_CURRENT_USER, u"\\ControlPanel\\SoundCategories\\Ring", u"InitVol", 3), S_OK);
  DWORD volume = 0;
  ASSERT_EQ(RegistryGetDWORD(HKEY_CURRENT_USER, u"\\ControlPanel\\SoundCategories\\Ring", u"InitVol", &volume), S_OK);
  EXPECT_EQ(volume, 3u);

  auto load_image = ProcAs<decltype(SHLoadImageFile)>(Ordinal(lib, 75));
  EXPECT_EQ(load_image(u"\\missing.png"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // The broker's registrations are reached by name.
  for (const char* name : {"RegistryNotifyMsgQueue", "RegistryNotifyCallback", "RegistryCloseNotification",
                           "RegistryGetDWORD", "SHInitDialog", "SHCreateMenuBar", "SndGetSoundFileList"}) {
    EXPECT_NE(GetProcAddress(lib, name), nullptr) << name;
  }
  FreeLibrary(lib);
}

TEST_F(ShellLibrariesTest, WindowCallsAreRecordedForWindowsOnly) {
  HMODULE lib = LoadLibraryW(u"aygshell.dll");
  ASSERT_NE(lib, nullptr);
  auto full_screen = ProcAs<decltype(SHFullScreen)>(Ordinal(lib, 65));
  auto window_state = ProcAs<decltype(ShellWindowState)>(Ordinal(lib, 21));
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"ShellCallOwner";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(u"ShellCallOwner", u"", WS_VISIBLE, 0, 0, 240, 294, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  EXPECT_TRUE(full_screen(window, SHFS_SHOWSIPBUTTON));
  EXPECT_TRUE(full_screen(window, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON));
  EXPECT_TRUE(window_state(window, 2));
  DestroyWindow(window);
  EXPECT_FALSE(full_screen(window, SHFS_SHOWSIPBUTTON));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(window_state(nullptr, 0));

  auto full = ce::device::Effects("shell-fullscreen");
  ASSERT_EQ(full.size(), 2u);
  EXPECT_EQ(full[0].value, SHFS_SHOWSIPBUTTON);
  EXPECT_EQ(full[1].value, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON);
  auto state = ce::device::Effects("shell-window");
  ASSERT_EQ(state.size(), 1u);
  EXPECT_EQ(state[0].value, 2);
  UnregisterClassW(u"ShellCallOwner", nullptr);
  FreeLibrary(lib);
}

TEST_F(ShellLibrariesTest, CommctrlOrdinalOneInitialisesTheControls) {
  HMODULE lib = LoadLibraryW(u"commctrl.dll");
  ASSERT_NE(lib, nullptr);
  auto init = ProcAs<decltype(InitCommonControls)>(Ordinal(lib, 1));
  ASSERT_EQ(reinterpret_cast<FARPROC>(init), Export(&InitCommonControls));
  init();
  EXPECT_EQ(GetProcAddress(lib, "PropertySheetW"), Export(&PropertySheetW));
  EXPECT_EQ(GetProcAddress(lib, "CreatePropertySheetPageW"), Export(&CreatePropertySheetPageW));
  auto create = ProcAs<decltype(ImageList_Create)>(GetProcAddress(lib, "ImageList_Create"));
  auto count = ProcAs<decltype(ImageList_GetImageCount)>(GetProcAddress(lib, "ImageList_GetImageCount"));
  auto destroy = ProcAs<decltype(ImageList_Destroy)>(GetProcAddress(lib, "ImageList_Destroy"));
  HIMAGELIST list = create(16, 16, 0, 2, 2);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(count(list), 0);
  EXPECT_TRUE(destroy(list));
  FreeLibrary(lib);
}

TEST_F(ShellLibrariesTest, GameInputOpensOnceAndIsRecorded) {
  HMODULE lib = LoadLibraryW(u"gx.dll");
  ASSERT_NE(lib, nullptr);
  auto open = ProcAs<decltype(GXOpenInput)>(GetProcAddress(lib, u"GXOpenInput"));
  auto close = ProcAs<decltype(GXCloseInput)>(GetProcAddress(lib, u"GXCloseInput"));
  auto keys = ProcAs<decltype(GXGetDefaultKeys)>(GetProcAddress(lib, u"GXGetDefaultKeys"));
  ASSERT_TRUE(open && close && keys);
  EXPECT_NE(open(), 0);
  EXPECT_EQ(open(), 0);  // already open
  EXPECT_NE(close(), 0);
  EXPECT_EQ(close(), 0);  // not open
  auto effects = ce::device::Effects("gx-input");
  ASSERT_EQ(effects.size(), 2u);
  EXPECT_EQ(effects[0].value, 1);
  EXPECT_EQ(effects[1].value, 0);
  GXKeyList list = keys(GX_NORMALKEYS);
  EXPECT_EQ(list.vkUp, VK_UP);
  EXPECT_EQ(list.vkStart, VK_RETURN);
  FreeLibrary(lib);
}

}  // namespace
