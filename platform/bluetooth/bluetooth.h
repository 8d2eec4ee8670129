// Bluetooth: the radio mode (bthutil.dll, ordinal 1 BthSetMode, 2 BthGetMode) and the stack's
// notifications written to a program's message queue (btdrt.dll: RequestBluetoothNotifications,
// StopBluetoothNotifications).
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#define BTH_POWER_OFF 0u
#define BTH_CONNECTABLE 1u
#define BTH_DISCOVERABLE 2u

// Both answer ERROR_SUCCESS (0) or an error code: ERROR_INVALID_PARAMETER for a bad mode or a
// null pointer, or the scripted refusal of "bth.setmode" / "bth.getmode".
int BthSetMode(DWORD mode);
int BthGetMode(DWORD* mode);

#define BTE_CLASS_CONNECTIONS 0x01u
#define BTE_CLASS_PAIRING 0x02u
#define BTE_CLASS_DEVICE 0x04u
#define BTE_CLASS_STACK 0x08u

// Stack events (our numbering). Each is written to the queue as a 72-byte record: event id (32
// bits), reserved (32 bits), 64 bytes of data whose first 32-bit word is the new mode.
#define BTE_STACK_UP 300u
#define BTE_STACK_DOWN 301u
#define BTE_STACK_MODE 302u
inline constexpr DWORD kBtEventSize = 72;

// `queue` is a read handle of a message queue of this process; the events of the classes in
// `classes` are written to it (without waiting: a full queue loses the event). Null with
// ERROR_INVALID_PARAMETER for a handle that is no queue.
HANDLE RequestBluetoothNotifications(DWORD classes, HANDLE queue);
BOOL StopBluetoothNotifications(HANDLE notifications);
