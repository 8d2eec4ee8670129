// The application object with its main window in this process on a fresh device with Velomar
// installed (the default theme included), and the device's tools beside it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/display/display.h"
#include "platform/window/window.h"
#include "tests/velomar/app/process_fixture.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/app/AppConnMgr.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/ui/ImageCacheSeam.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/WindowMain.h"

namespace velomar_test {

class MainWindowTest : public ProcessTest {
 protected:
  void SetUp() override {
    ProcessTest::SetUp();
    velomar::seam::ResetMgrConfig();
    velomar::seam::ResetSkin();
    velomar::seam::ClearImageCaches();
    m_log = std::make_unique<CEventLog>();
    m_log->Start();
  }
  void TearDown() override {
    Stop();
    if (m_log) StopWhileDriving([&] { m_log.reset(); });
    velomar::seam::ResetSkin();
    velomar::seam::ResetMgrConfig();
    ProcessTest::TearDown();
  }
  // Builds the application on a screen of that size and starts it as the program does.
  void Start(ce::display::ScreenSize screen = ce::display::kPortrait) {
    ASSERT_TRUE(ce::display::SetScreenSize(screen));
    velomar::seam::ResetSkin();
    velomar::seam::ClearImageCaches();
    m_app = std::make_unique<CAppConnMgr>();
    ASSERT_TRUE(m_app->InitGUI());
    ASSERT_NE(Window(), nullptr);
    Pump();
  }
  void Stop() {
    if (!m_app) return;
    DestroyMainWindowHere();
    StopWhileDriving([&] { m_app.reset(); });
    velomar::seam::ClearImageCaches();
  }
  CWindowMain* Window() { return m_app ? m_app->GetMainWindow() : nullptr; }
  HWND Hwnd() { return Window() ? Window()->GetHwnd() : nullptr; }

  // Handles the messages already queued for this thread.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Moves the manual clock 50 ms every 2 ms of real time, handling this thread's messages, until
  // `done` holds (at most `real_ms` of real time).
  static bool Drive(const std::function<bool()>& done, int real_ms = 30'000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(real_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      Pump();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      AdvanceClock(50);
    }
    Pump();
    return done();
  }
  // The window shown and painted, its buttons included.
  void ShowAndPaint() {
    ShowWindow(Hwnd(), SW_SHOW);
    InvalidateRect(Hwnd(), nullptr, TRUE);
    UpdateWindow(Hwnd());
    for (HWND child = GetWindow(Hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      InvalidateRect(child, nullptr, TRUE);
      UpdateWindow(child);
    }
    Pump();
  }
  // A button window's rectangle in the main window's client area.
  RECT ChildRect(int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(Hwnd(), id), &rect);
    MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  std::unique_ptr<CEventLog> m_log;
  std::unique_ptr<CAppConnMgr> m_app;
};

}  // namespace velomar_test
