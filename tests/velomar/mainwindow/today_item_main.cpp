// A stand-in Today item for the main window's tests, run as a process of its own:
//   velomar_test_today_item --device <folder> --log <host file> [--taps <message>,...]
// It finds the window of class "MainWindow", registers with it (WM_USER+203 with its own window),
// writes every message the main window posts to it as a line "<message> <wParam> <lParam>" to the
// log, and once it has every manager's status (0 to 5) and the cell posts each tap message
// (WM_USER+207 .. +213) to the main window, one after another. It ends when the log file named
// "<log>.stop" appears, or after 60 seconds.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/device_folder.h"
#include "platform/window/window.h"

namespace {

std::ofstream g_log;
std::set<unsigned long long> g_statuses;
bool g_state = false;

LRESULT ItemProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg >= WM_USER + 204 && msg <= WM_USER + 206) {
    g_log << msg << ' ' << static_cast<unsigned long long>(wparam) << ' ' << static_cast<long long>(lparam) << std::endl;
    if (msg == WM_USER + 205) g_statuses.insert(static_cast<unsigned long long>(wparam));
    if (msg == WM_USER + 204) g_state = true;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  std::string log_path;
  std::vector<UINT> taps;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--device") ce::SetDeviceFolder(argv[i + 1]);
    if (flag == "--log") log_path = argv[i + 1];
    if (flag == "--taps") {
      std::stringstream list(argv[i + 1]);
      for (std::string tap; std::getline(list, tap, ',');) taps.push_back(static_cast<UINT>(std::stoul(tap)));
    }
  }
  if (log_path.empty()) return 2;
  g_log.open(log_path, std::ios::trunc);
  WNDCLASSW wc{};
  wc.lpfnWndProc = ItemProc;
  wc.lpszClassName = u"VelomarTP";  // the item's class: the main window takes no other
  RegisterClassW(&wc);
  HWND item = CreateWindowW(u"VelomarTP", u"item", 0, 0, 0, 240, 30, nullptr, nullptr, nullptr, nullptr);
  HWND main_window = FindWindowW(u"MainWindow", nullptr);
  if (!item || !main_window) return 3;
  PostMessageW(main_window, WM_USER + 203, reinterpret_cast<WPARAM>(item), 0);
  bool tapped = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < end && !std::filesystem::exists(log_path + ".stop")) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    bool all = g_state;
    for (unsigned long long id = 0; id <= 5; ++id) all = all && g_statuses.count(id) != 0;
    if (!tapped && all) {
      tapped = true;
      for (UINT tap : taps) {
        PostMessageW(main_window, tap, reinterpret_cast<WPARAM>(item), 0);
        g_log << "tap " << tap << std::endl;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  DestroyWindow(item);
  return 0;
}
