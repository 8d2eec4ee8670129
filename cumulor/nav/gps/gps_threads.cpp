// The reader and notify threads, GpsStart and GpsStop.
#include <cstring>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "platform/base/errors.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/termination_point.h"

namespace cumulor {
namespace {

constexpr DWORD kStopWaitMs = 5000;
constexpr DWORD kRetryPauseMs = 100;

// The notify thread: on the fix event, hands a copy of the status to the callback, then resets
// the event; ends on the abort event or at stop.
DWORD GpsNotifyThread(LPVOID parameter) {
  GpsPort& gps = *static_cast<GpsPort*>(parameter);
  HANDLE waits[3];
  DWORD count = 0;
  waits[count++] = gps.fixEvent;
  waits[count++] = gps.stopEvent;
  if (gps.app && gps.app->abortEvent) waits[count++] = gps.app->abortEvent;
  while (gps.running) {
    const DWORD r = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (r != WAIT_OBJECT_0) break;
    if (!gps.running) break;
    const GpsStatus status = GetGpsStatus(gps);
    if (gps.callback) gps.callback(S_OK, &status);
    ResetEvent(gps.fixEvent);
  }
  return 0;
}

DWORD GpsReaderThread(LPVOID parameter) {
  GpsPort& gps = *static_cast<GpsPort*>(parameter);
  if (gps.mode == 1) {
    GpsModeThread(gps);
    return 0;
  }
  while (gps.running) {
    RunRecorderRequest(gps);
    if (!gps.running) break;
    HRESULT hr;
    gps.readFailed = 0;
    if (gps.binaryMode) {
      hr = ReadBinaryPacket(gps);
    } else {
      std::int32_t length = 0;
      hr = ReadSentence(gps, kSentenceMax, length);
      if (hr == S_OK) DispatchSentence(gps);
    }
    // A closed, missing or unplugged port fails at once: pause before trying again instead of
    // spinning until the watchdog reopens it.
    if (hr != S_OK && gps.readFailed && gps.running) WaitForSingleObject(gps.stopEvent, kRetryPauseMs);
  }
  return 0;
}

// Waits for the thread's end; one that does not end in time is terminated and then waited for
// until it has really stopped running (a terminated thread goes on to its next wait or check), since
// the caller frees the port and the record its callback uses as soon as this returns.
bool EndThread(HANDLE& thread) {
  if (thread == nullptr) return true;
  bool ended = WaitForSingleObject(thread, kStopWaitMs) == WAIT_OBJECT_0;
  if (!ended) TerminateThread(thread, static_cast<DWORD>(-1));
  ce::kernel::WaitForThreadEnd(thread, INFINITE);
  CloseHandle(thread);
  thread = nullptr;
  return ended;
}

}  // namespace

HRESULT GpsStart(GpsPort& gps, GpsCallback callback, std::int32_t mode, HWND owner) {
  gps.mode = mode;
  gps.callback = callback;
  gps.owner = owner;
  ResetEvent(gps.stopEvent);
  gps.running = 1;
  gps.notifyThread = CreateThread(nullptr, 0, GpsNotifyThread, &gps, 0, nullptr);
  if (gps.notifyThread == nullptr) {
    gps.running = 0;
    return static_cast<HRESULT>(GetLastError());
  }
  gps.readerThread = CreateThread(nullptr, 0, GpsReaderThread, &gps, 0, nullptr);
  if (gps.readerThread == nullptr) {
    const HRESULT error = static_cast<HRESULT>(GetLastError());
    gps.running = 0;
    SetEvent(gps.stopEvent);
    EndThread(gps.notifyThread);
    return error;
  }
  return S_OK;
}

HRESULT GpsStop(GpsPort& gps) {
  gps.running = 0;
  if (gps.readerThread == nullptr) return S_OK;
  SetEvent(gps.stopEvent);
  SerialAbortPending(gps.port);
  const bool notifyEnded = EndThread(gps.notifyThread);
  const bool readerEnded = EndThread(gps.readerThread);
  return notifyEnded && readerEnded ? S_OK : E_FAIL;
}

HRESULT ReadSentence(GpsPort& gps, std::int32_t maximum, std::int32_t& length) {
  length = 0;
  if (maximum > kSentenceMax) maximum = kSentenceMax;
  char* line = gps.line;
  auto readByte = [&](char& c) {
    if (!gps.running) return false;
    std::uint32_t got = 0;
    if (SerialRead(gps.port, &c, 1, got) != S_OK) {
      gps.readFailed = 1;
      return false;
    }
    return got == 1;
  };
  for (;;) {
    char c = 0;
    do {
      if (!readByte(c)) return E_FAIL;
    } while (c != '$' && c != '!');
    line[0] = c;
    std::int32_t n = 1;
    for (; n < maximum; ++n) {
      if (!readByte(line[n])) return E_FAIL;
      if (line[n] == '\n') {
        line[n] = '\0';
        length = n + 1;
        return S_OK;
      }
    }
    line[n < kLineBufferSize ? n : kLineBufferSize - 1] = '\0';
    if (gps.binaryAllowed && line[1] == 'w') {
      gps.binaryMode = 1;
      return E_FAIL;
    }
  }
}

}  // namespace cumulor
