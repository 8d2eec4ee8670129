// A fresh device for window tests: the language files installed (English), TeskaUtils recording
// its boxes, a 240 x 320 screen, and a top-level test window built on CBaseWindow whose size and
// handlers a test can choose.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "velomar/ui/ImageCacheSeam.h"
#include "velomar/ui/Skin.h"
#include "velomar/data/DataInstall.h"
#include "velomar/ui/BaseWindow.h"
#include "velomar/ui/ButtonOwnDrawImage.h"

namespace velomar_test {

// A window of class "VskinTestWindow" at (0, 0) with the given size (0: the whole screen).
class TestWindow : public CBaseWindow {
 public:
  explicit TestWindow(int width = 0, int height = 0, BYTE auto_layout = 0)
      : CBaseWindow(auto_layout), m_width(width), m_height(height) {}
  ~TestWindow() override {
    if (m_hwnd) {
      RemoveWindowObject(m_hwnd);
      DestroyWindow(m_hwnd);
    }
  }

  int InitGUI(HINSTANCE instance, int, int) override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CBaseWindow::StaticWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"VskinTestWindow";
    RegisterClassW(&wc);
    SetCreatingWindow(this);
    HWND hwnd = CreateWindowExW(0, u"VskinTestWindow", u"test", WS_POPUP | WS_VISIBLE, 0, 0,
                                m_width ? m_width : CW_USEDEFAULT, m_height ? m_height : CW_USEDEFAULT, nullptr,
                                nullptr, instance, nullptr);
    ClearCreatingWindow();
    if (!hwnd) return 0;
    m_hwnd = hwnd;
    SetWindowObject(hwnd, this);
    return 1;
  }

  LRESULT OnCreate(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override {
    m_createSeen = m_hwnd == nullptr && GetWindowObject(hwnd) == nullptr;
    return CBaseWindow::OnCreate(hwnd, msg, wparam, lparam);
  }
  LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (m_onCommand) return m_onCommand();
    return CBaseWindow::OnCommand(hwnd, msg, wparam, lparam);
  }
  LRESULT OnEnterButton(HWND, UINT, WPARAM wparam, LPARAM) override {
    m_enterKeys.push_back(static_cast<int>(wparam));
    return 0;
  }

  void SetButtonSize(int width, int height) {
    m_buttonWidth = width;
    m_buttonHeight = height;
  }
  void SetResolution(int resolution) { m_resolution = resolution; }

  bool m_createSeen = false;
  std::function<LRESULT()> m_onCommand;
  std::vector<int> m_enterKeys;

 private:
  int m_width;
  int m_height;
};

class SkinTest : public ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    velomar::seam::ResetSkin();
    velomar::seam::ClearImageCaches();
    ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kPortrait));
  }
  void TearDown() override {
    velomar::seam::ResetSkin();
    ManagerTest::TearDown();
  }
  // The default theme, as the build drew it, installed under "\Program Files\Velomar\themes".
  void InstallDefaultTheme() {
    ASSERT_TRUE(velomar::InstallThemes());
    SetSetting(u"theme", std::u16string(u"default"));
  }

  // Handles the messages already queued for this thread.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
};

}  // namespace velomar_test
