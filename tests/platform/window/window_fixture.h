// A fresh device (folder and manual clock) with a window class whose procedure records what it
// receives, for the window tests.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

struct Received {
  HWND hwnd;
  UINT msg;
  WPARAM wparam;
  LPARAM lparam;
  DWORD thread;
};

class WindowTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    log().clear();
    handler() = nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = kClass;
    wc.cbWndExtra = 8;
    ASSERT_NE(RegisterClassW(&wc), 0);
  }
  void TearDown() override {
    for (HWND h : created_) DestroyWindow(h);
    handler() = nullptr;
    UnregisterClassW(kClass, nullptr);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    DeviceTest::TearDown();
  }
  HWND Make(DWORD style = WS_VISIBLE, HWND parent = nullptr, RECT r = {0, 0, 100, 80}, int id = 0) {
    HWND h = CreateWindowExW(0, kClass, u"test", style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
    if (h && !parent) created_.push_back(h);
    return h;
  }
  // Messages of one kind the procedure received, in order.
  static std::vector<Received> Got(UINT msg) {
    std::lock_guard<std::mutex> lock(mutex());
    std::vector<Received> out;
    for (auto& r : log())
      if (r.msg == msg) out.push_back(r);
    return out;
  }
  // Dispatches what is waiting on this thread's queue.
  static void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }

  static constexpr const WCHAR* kClass = u"TestWindow";
  // Optional per-test behaviour; returns true when it handled the message (result in `out`).
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>& handler() {
    static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> h;
    return h;
  }

 private:
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static std::vector<Received>& log() {
    static std::vector<Received> l;
    return l;
  }
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    {
      std::lock_guard<std::mutex> lock(mutex());
      log().push_back({hwnd, msg, wparam, lparam, GetCurrentThreadId()});
    }
    LRESULT out = 0;
    if (handler() && handler()(hwnd, msg, wparam, lparam, out)) return out;
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
  std::vector<HWND> created_;
};
