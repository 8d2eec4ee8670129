// KVComDll: the library a desktop program reaches through the desktop connection to find the
// flight computer, start it, and send messages to its main window. The desktop connection host
// loads it by name ("KVComDll.dll") and calls the three exports below.
#pragma once

#include "platform/base/types.h"
#include "platform/shell/rapi.h"

#define KVCOM_EXPORT extern "C" __attribute__((visibility("default")))

// The result codes of DllStartCumulor.
inline constexpr int kStartAlreadyRunning = 123;
inline constexpr int kStartStarted = 456;
inline constexpr int kStartFailed = 0;
// CeSendMessage's input block: four 32-bit values {not used, message, wParam, lParam}.
inline constexpr DWORD kSendBlockSize = 16;

// The flight computer's main window (by its class "Cumulor", whatever its title shows), kept as
// the last window found; null when it is not running.
KVCOM_EXPORT HWND DllFindWindow();
// 123 when the flight computer runs (nothing is started); otherwise 456 when one of its
// executables started with " /sx" (simulator, no data-file chooser), 0 when none did.
KVCOM_EXPORT int DllStartCumulor();
// The desktop connection's extension call (PFNRAPIEXTENSION; the stream is not used): sets the output size to 0 and produces no output block;
// E_INVALIDARG for an input size other than 16 or no input block; otherwise the result of sending
// the block's message, wParam and lParam to the flight computer's main window (0 when it is not
// running).
KVCOM_EXPORT HRESULT CeSendMessage(DWORD input_size, BYTE* input, DWORD* output_size, BYTE** output,
                                   IRAPIStream* stream);
