// What the device says about itself to programs: its OEM information text.
#pragma once

#include "platform/base/types.h"

#define SPI_GETOEMINFO 0x0102u

// SPI_GETOEMINFO only: the model's "device.oem" text into `pv`, a buffer of `ui` bytes, with its
// terminator; FALSE with ERROR_INSUFFICIENT_BUFFER when it does not fit, ERROR_INVALID_PARAMETER
// for another action or a null buffer.
BOOL SystemParametersInfoW(UINT action, UINT ui, PVOID pv, UINT win_ini);
