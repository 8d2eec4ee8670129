// The other process of the cross-process window tests. It opens a window of class "PeerWindow",
// prints "ready <handle>" and pumps messages:
//   WM_USER+5 (a, b): posts WM_USER+6 (a, b) to the window of class "TestHost";
//   WM_USER+7 (a, _) sent: answers a * 2;
//   WM_USER+8 (a, _) sent: sends WM_USER+9 (a, 0) to "TestHost" and answers its result + 1;
//   WM_USER+10 sent: answers 1 when its window is the active one; WM_USER+11 sent: hides it;
//   WM_USER+21 (ms, _) sent: answers 1 after `ms` milliseconds;
//   WM_CLOSE: ends.
// Its window is drawn red so that a screenshot shows it. The device folder comes from
// $CE_DEVICE_DIR. When its window cannot be made it prints "no window (error <code>)" and exits 2.
//
// `window_peer senders <n>` opens no window: <n> threads at once each send WM_USER+20 (k) to
// "TestHost" and expect k * 3; it prints "answered <count>" and exits 0 when all were answered.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <unistd.h>

#include "platform/gdi/gdi.h"
#include "platform/kernel/last_error.h"
#include "platform/window/window.h"

namespace {

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_USER + 5:
      PostMessageW(FindWindowW(u"TestHost", nullptr), WM_USER + 6, wparam, lparam);
      return 0;
    case WM_USER + 7: return static_cast<LRESULT>(wparam * 2);
    case WM_USER + 8:  // sends back to the sender while it waits for this answer
      return SendMessageW(FindWindowW(u"TestHost", nullptr), WM_USER + 9, wparam, 0) + 1;
    case WM_USER + 10: return GetActiveWindow() == hwnd ? 1 : 0;
    case WM_USER + 11: ShowWindow(hwnd, SW_HIDE); return 0;
    case WM_USER + 12: return IsWindowVisible(hwnd) ? 1 : 0;
    case WM_USER + 21: std::this_thread::sleep_for(std::chrono::milliseconds(wparam)); return 1;
    case WM_DESTROY: PostQuitMessage(3); return 0;
    default: return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

int Senders(int count) {
  HWND host = FindWindowW(u"TestHost", nullptr);
  std::atomic<int> answered{0};
  std::vector<std::thread> senders;
  for (int i = 0; i < count; ++i) {
    senders.emplace_back([&, i] {
      const WPARAM k = static_cast<WPARAM>(getpid() % 1000 * 100 + i);
      SetLastError(0);
      const LRESULT r = SendMessageW(host, WM_USER + 20, k, 0);
      if (r == static_cast<LRESULT>(k * 3)) {
        ++answered;
      } else {
        std::fprintf(stderr, "sender %d: answer %lld, error %u\n", i, static_cast<long long>(r), GetLastError());
      }
    });
  }
  for (auto& t : senders) t.join();
  std::printf("answered %d\n", answered.load());
  std::fflush(stdout);
  return answered == count ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "senders") == 0) return Senders(std::atoi(argv[2]));
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = u"PeerWindow";
  wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
  if (!RegisterClassW(&wc)) return 1;
  HWND hwnd = CreateWindowExW(0, u"PeerWindow", u"Peer", WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) {
    std::printf("no window (error %u)\n", static_cast<unsigned>(GetLastError()));
    return 2;
  }
  std::printf("ready %llx\n", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hwnd)));
  std::fflush(stdout);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  UnregisterClassW(u"PeerWindow", nullptr);
  DeleteObject(wc.hbrBackground);
  return static_cast<int>(msg.wParam);
}
