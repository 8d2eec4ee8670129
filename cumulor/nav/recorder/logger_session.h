// The recorder session: one record for the program, shared by the Volkslogger dialogs (UI
// thread) and the worker that runs the exchange on the GPS input thread, and the Filser/LX
// declaration block of the device commands.
//
// The dialogs set events, flags and the view; the worker waits on the events, talks to the
// recorder and reports through the view. The download buffers are allocated before the exchange
// is requested and freed once the worker has left it (`inExchange`), never under it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "cumulor/nav/filser/lx_declaration.h"
#include "cumulor/nav/volkslogger/logger_io.h"
#include "cumulor/nav/volkslogger/vl_declaration.h"
#include "cumulor/nav/volkslogger/vl_flight.h"
#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace cumulor {

struct GpsPort;

// What the worker shows in the running dialog. Called on the GPS input thread; an implementation
// only sends to the dialog's windows (a dialog already gone ignores it).
class LoggerView {
 public:
  virtual ~LoggerView() = default;
  // Text (null: keep it) and, when total is not 0, the progress bar at position x 100 / total.
  virtual void Status(std::int32_t position, std::int32_t total, const WCHAR* text) = 0;
  // Download dialog: the directory was read (fill the list, show "Secure", the task button and
  // "->CF"); or it could not be read (the dialog closes as by Exit); all flights are downloaded.
  virtual void DirectoryRead(const FlightDirectory&) {}
  virtual void DirectoryFailed() {}
  virtual void FlightsDownloaded() {}
  // Declaration dialog: the recorder's declaration was read; the declaration was sent.
  virtual void DeclarationRead(const VlDeclaration&) {}
  virtual void DeclarationSent() {}
};

// The five events, in the order the worker waits on them.
enum LoggerEvent : int { kEventStop = 0, kEventReadDeclaration, kEventSendDeclaration, kEventReadDirectory,
                         kEventDownloadAll, kLoggerEventCount };

inline constexpr std::int32_t kDeclarationSectorFull = 360;  // cylinder: the small radius is set
inline constexpr std::int32_t kDeclarationSectorHalf = 90;   // sector: the large radius is set
inline constexpr std::int32_t kMemoryImageSize = 16400;
inline constexpr std::int32_t kFlightBufferBytes = 82000;

struct LoggerSession {
  bool created = false;
  VlDeclaration* declaration = nullptr;
  std::uint8_t* memory = nullptr;            // kMemoryImageSize bytes, the recorder's 16384 first
  std::uint8_t* flight = nullptr;            // kFlightBufferBytes, allocated by the download dialog
  FlightDirectory* directory = nullptr;      // allocated by the download dialog
  std::atomic<std::int32_t> secondForm{0};   // "Secure": flights read in their second form
  std::atomic<std::int32_t> copyToCard{0};   // "->CF"
  std::int32_t sectorKind = kDeclarationSectorHalf;
  std::int32_t sectorRadius = 0;
  GpsPort* gps = nullptr;
  HANDLE abortEvent = nullptr;               // the program's stop
  HANDLE events[kLoggerEventCount] = {};
  // The dialogs' run flag of the exchange (not the GPS input's running flag).
  std::atomic<std::int32_t> run{0};
  std::atomic<LoggerView*> view{nullptr};
  // Folders the worker writes to, set on the UI thread before the exchange starts.
  WCHAR dataFolder[MAX_PATH] = {};
  WCHAR cardFolder[MAX_PATH] = {};
  // Set by the worker for the whole exchange, under exchangeLock; exchangeEnded is signalled
  // when it leaves.
  std::mutex exchangeLock;
  std::condition_variable exchangeEnded;
  bool inExchange = false;
  // Set while the worker waits for the dialog's events; the port it uses meanwhile.
  HANDLE workerWaiting = nullptr;
  std::atomic<LoggerIo*> io{nullptr};

  // The Filser/LX declaration block of the device commands.
  std::uint8_t lxBlock[kLxBlockSize] = {};
};

// Allocates the memory image and the declaration and creates the events: 0 or E_OUTOFMEMORY. A
// created record only takes the new sector values.
HRESULT CreateLoggerSession(LoggerSession& session, GpsPort* gps, std::int32_t sectorRadius, std::int32_t sectorKind);
void DestroyLoggerSession(LoggerSession& session);
// Allocates the download dialog's directory and flight buffer; false when memory is short.
bool AllocateLoggerBuffers(LoggerSession& session);
// Frees the directory and the flight buffer.
void FreeLoggerBuffers(LoggerSession& session);
// Waits (up to `limit`) until no worker is inside the exchange, then frees the download buffers;
// false when the worker did not leave in time (the buffers are then kept for the next dialog).
bool FreeBuffersAfterExchange(LoggerSession& session, std::chrono::milliseconds limit);
// Resets the five events (a new dialog starts).
void ResetLoggerEvents(LoggerSession& session);

void SetLoggerStatus(LoggerSession& session, std::int32_t position, std::int32_t total, const WCHAR* text);

// True when the exchange must end: the stop event or the program's stop is set, the run flag or
// the GPS input's running flag is cleared.
bool LoggerStopping(LoggerSession& session);

// The worker: waits on the events (stop, read declaration, send declaration, read directory,
// download all) until the stop event; 0, or E_FAIL for an unexpected wait result.
// The download buffers stay allocated: FreeBuffersAfterExchange frees them.
HRESULT RunLoggerDownload(LoggerSession& session, LoggerIo& io);

// Sends a command from the dialog's thread (6 erase the flights, 12 end the session) while the
// worker waits for the dialog's events; E_FAIL when no worker is waiting (nothing is sent).
HRESULT LoggerCommandWhileIdle(LoggerSession& session, std::uint8_t command);

// Reads flight `index` of the directory and writes "<data folder>\Logger_IGC_Files\<name>", then
// copies it to the card when "->CF" is set and the card folder exists. 0 or E_FAIL (also when a
// line of the file could not be written: the incomplete file is removed).
HRESULT DownloadFlight(LoggerSession& session, LoggerIo& io, std::int32_t index, bool secondForm);

}  // namespace cumulor
