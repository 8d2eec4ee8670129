// Test seam of the serial ports.
#pragma once

#include <string_view>

#include "platform/base/types.h"

namespace ce::serial {

// An unplugged port: reads and writes on its open handles fail with ERROR_GEN_FAILURE, and
// opening it fails with ERROR_FILE_NOT_FOUND, until it is plugged in again. `port` is "COM1:"
// or "COM1".
void SetUnplugged(std::u16string_view port, bool unplugged);

// The modem lines and break as last set through EscapeCommFunction on the open port (false when
// the port is not open).
struct LineState {
  bool dtr = false;
  bool rts = false;
  bool brk = false;
};
LineState GetLineState(std::u16string_view port);

}  // namespace ce::serial
