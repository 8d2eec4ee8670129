#include "platform/phone/sim_prompt.h"

#include <mutex>

#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/window/window.h"

namespace {

constexpr const WCHAR* kClass = u"SIMSecurityUI";

LRESULT PromptProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}

// Creates the window, tells the caller (the event), and runs its messages until it is gone.
DWORD PromptThread(LPVOID created) {
  HWND window = CreateWindowExW(0, kClass, u"SIM PIN", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                                nullptr, nullptr);
  SetEvent(static_cast<HANDLE>(created));
  if (!window) return 1;
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

std::mutex g_mu;

}  // namespace

namespace ce::phone {

void ShowSimPrompt() {
  std::lock_guard<std::mutex> lock(g_mu);
  if (FindWindowW(kClass, nullptr)) return;
  WNDCLASSW wc{};
  if (!GetClassInfoW(nullptr, kClass, &wc)) {
    wc.lpfnWndProc = PromptProc;
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
  }
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, PromptThread, created, 0, nullptr);
  if (thread) {
    WaitForSingleObject(created, INFINITE);
    CloseHandle(thread);
  }
  CloseHandle(created);
}

}  // namespace ce::phone
