// The desktop connection's contract with the device libraries it calls on a desktop program's
// behalf: an extension export takes an input block and its size, hands back an output block and
// its size (the library allocates it; null and 0 when it has none) and may use a stream to the
// desktop. Header only: the desktop-connection host (tools/desktophost) and every extension
// library include it.
#pragma once

#include "platform/base/types.h"

// The stream to the desktop program; may be null (the host then offers none).
struct IRAPIStream;

// An extension export: (input size, input block, out output size, out output block, stream) ->
// the result code handed back to the desktop program.
using PFNRAPIEXTENSION = HRESULT (*)(DWORD input_size, BYTE* input, DWORD* output_size, BYTE** output,
                                     IRAPIStream* stream);
