// KVComDll's three exports.
#include "cumulor/companions/KVComDll.h"

#include <atomic>
#include <cstdint>

#include "cumulor/companions/CumulorLaunch.h"
#include "platform/base/errors.h"
#include "platform/window/window.h"

namespace {

// The last window found, shared by every caller of the library in this process.
std::atomic<HWND> g_lastWindow{nullptr};

std::uint32_t ReadValue(const BYTE* block, int index) {
  const BYTE* p = block + 4 * index;
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

HWND DllFindWindow() {
  // The class alone: the title shows a file path during a replay or after an optimisation.
  HWND window = FindWindowW(cumulor_companions::kCumulorClass, nullptr);
  g_lastWindow = window;
  return window;
}

int DllStartCumulor() {
  if (DllFindWindow() != nullptr) return kStartAlreadyRunning;
  return cumulor_companions::StartCumulor(u" /sx") ? kStartStarted : kStartFailed;
}

HRESULT CeSendMessage(DWORD input_size, BYTE* input, DWORD* output_size, BYTE** output, IRAPIStream*) {
  if (output_size) *output_size = 0;
  if (output) *output = nullptr;
  if (input_size != kSendBlockSize || input == nullptr) return E_INVALIDARG;
  const UINT message = ReadValue(input, 1);
  const WPARAM wparam = ReadValue(input, 2);
  // lParam is a signed 32-bit value on the device (result codes such as E_ABORT travel in it).
  const LPARAM lparam = static_cast<std::int32_t>(ReadValue(input, 3));
  // With no window the send goes nowhere and answers 0.
  return static_cast<HRESULT>(SendMessageW(DllFindWindow(), message, wparam, lparam));
}
