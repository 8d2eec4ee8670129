// Point-to-point message queues: a queue keeps whole messages in order between the processes of
// the device that open it by name (or the threads that share an unnamed one). Handles are kernel
// handles: a read handle is signalled while a message waits, a write handle while there is room.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#define MSGQUEUE_NOPRECOMMIT 0x00000001u
#define MSGQUEUE_ALLOW_BROKEN 0x00000002u  // reads and writes work with no handle at the other end
#define MSGQUEUE_MSGALERT 0x00000001u      // a write's flag, handed to the reader as it is

struct MSGQUEUEOPTIONS {
  DWORD dwSize;         // sizeof(MSGQUEUEOPTIONS): 20
  DWORD dwFlags;        // MSGQUEUE_NOPRECOMMIT, MSGQUEUE_ALLOW_BROKEN
  DWORD dwMaxMessages;  // 0: no limit of the caller's (the platform's own limit applies)
  DWORD cbMaxMessage;   // the largest message in bytes; not 0
  BOOL bReadAccess;     // TRUE: a read handle; FALSE: a write handle
};
using LPMSGQUEUEOPTIONS = MSGQUEUEOPTIONS*;

struct MSGQUEUEINFO {
  DWORD dwSize;  // set by the caller: sizeof(MSGQUEUEINFO)
  DWORD dwFlags;
  DWORD dwMaxMessages;
  DWORD cbMaxMessage;
  DWORD dwCurrentMessages;
  DWORD dwMaxQueueMessages;  // the most messages that waited at once
  WORD wNumReaders;
  WORD wNumWriters;
};
using LPMSGQUEUEINFO = MSGQUEUEINFO*;

// Creates the queue, or opens the existing queue of that name (whose limits then hold) with the
// last error ERROR_ALREADY_EXISTS; a new queue leaves the last error 0. A null name makes an
// unnamed queue, reached through OpenMsgQueue. Null with the last error on failure:
// ERROR_DISK_FULL (no room for the new queue's messages, which are reserved when it is made),
// ERROR_ACCESS_DENIED (the queue folder cannot be written), ERROR_INVALID_PARAMETER.
HANDLE CreateMsgQueue(LPCWSTR name, LPMSGQUEUEOPTIONS options);
// Another handle (of the access the options ask for) to a queue of this process.
HANDLE OpenMsgQueue(HANDLE source_process, HANDLE queue, LPMSGQUEUEOPTIONS options);
// Failures: ERROR_INSUFFICIENT_BUFFER (the message is larger than the buffer; it is dropped),
// ERROR_FILE_CORRUPT (the queue's file was changed under the handle, or the message was),
// ERROR_TIMEOUT, ERROR_PIPE_NOT_CONNECTED (no writer and not MSGQUEUE_ALLOW_BROKEN),
// ERROR_ACCESS_DENIED (a write handle), ERROR_INVALID_HANDLE (also when the handle is closed
// meanwhile).
BOOL ReadMsgQueue(HANDLE queue, LPVOID buffer, DWORD buffer_size, LPDWORD bytes_read, DWORD timeout_ms,
                  DWORD* flags);
// A time-out of 0 never blocks: a full queue fails at once with ERROR_TIMEOUT. Other failures:
// ERROR_INSUFFICIENT_BUFFER (larger than the queue's largest message), ERROR_PIPE_NOT_CONNECTED
// (no reader and not MSGQUEUE_ALLOW_BROKEN), ERROR_ACCESS_DENIED (a read handle),
// ERROR_FILE_CORRUPT (the queue's file was changed under the handle),
// ERROR_INVALID_PARAMETER, ERROR_INVALID_HANDLE.
BOOL WriteMsgQueue(HANDLE queue, LPVOID data, DWORD size, DWORD timeout_ms, DWORD flags);
BOOL GetMsgQueueInfo(HANDLE queue, LPMSGQUEUEINFO info);
BOOL CloseMsgQueue(HANDLE queue);

namespace ce::msgqueue {
// False when no process of the device holds the named queue, so that creating it would make a new
// one; true when it may be held (a file left by processes that died also counts until the next
// open replaces it). Never makes the queue: a writer that only sends while someone reads asks
// this before creating it.
bool NamedQueueExists(LPCWSTR name);
}  // namespace ce::msgqueue
