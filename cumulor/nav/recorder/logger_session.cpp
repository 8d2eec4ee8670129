#include "cumulor/nav/recorder/logger_session.h"

#include <new>

#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/volkslogger/vl_link.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"
#include "platform/text/format.h"

namespace cumulor {
namespace {

constexpr std::uint8_t kCmdDirectory = 1, kCmdEndSession = 12;

bool IsSet(HANDLE event) { return event && WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

LoggerLink MakeLink(LoggerSession& session, LoggerIo& io) {
  LoggerLink link;
  link.io = &io;
  link.stopRequested = [&session] { return LoggerStopping(session); };
  link.status = [&session](std::int32_t position, std::int32_t total, const WCHAR* text) {
    SetLoggerStatus(session, position, total, text);
  };
  return link;
}

LoggerView* View(LoggerSession& session) { return session.view.load(); }

// Up to `attempts` tries of `step`, the pause between them; false when all failed or the exchange
// stops.
template <typename Step>
bool Tries(LoggerSession& session, LoggerIo& io, int attempts, std::uint32_t pauseMs, Step step) {
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    if (LoggerStopping(session)) return false;
    if (step()) return true;
    if (attempt < attempts && pauseMs) io.Wait(pauseMs);
  }
  return false;
}

HRESULT ReadDirectory(LoggerSession& session, LoggerIo& io) {
  ResetEvent(session.events[kEventReadDirectory]);
  if (!session.flight || !session.directory) return E_FAIL;
  LoggerLink link = MakeLink(session, io);
  if (!Tries(session, io, 4, 0, [&] { return SUCCEEDED(LoggerConnect(link)); })) return E_FAIL;
  if (!Tries(session, io, 4, 200, [&] { return SUCCEEDED(LoggerSendCommand(link, kCmdDirectory, 0, 0)); }))
    return E_FAIL;
  const std::int32_t length = LoggerReadBlock(link, session.flight, kFlightBufferBytes, 0xFF);
  if (length < 1 || length > kFlightBufferBytes) return E_FAIL;
  SetLoggerStatus(session, 0, 0, u"Converting Data...");
  *session.directory = FlightDirectory{};
  if (ParseFlightDirectory(*session.directory, session.flight, length) != 0 || session.directory->count < 1)
    return E_FAIL;
  SetLoggerStatus(session, 0, 0, u"Updating List...");
  if (LoggerView* view = View(session)) view->DirectoryRead(*session.directory);
  SetLoggerStatus(session, 0, 0, u"Ready");
  return 0;
}

HRESULT ReadDeclaration(LoggerSession& session, LoggerIo& io) {
  if (!session.memory || !session.declaration) return E_FAIL;
  LoggerLink link = MakeLink(session, io);
  if (FAILED(LoggerConnect(link))) return E_FAIL;
  if (FAILED(LoggerReadMemory(link, session.memory, vl::kMemorySize))) return E_FAIL;
  CompactDeclarationRecords(session.memory);
  *session.declaration = VlDeclaration{};
  ParseDeclarationRecords(session.memory, *session.declaration);
  ResetEvent(session.events[kEventReadDeclaration]);
  if (LoggerView* view = View(session)) view->DeclarationRead(*session.declaration);
  SetLoggerStatus(session, 0, 0, u"Ready");
  return 0;
}

void SendDeclaration(LoggerSession& session, LoggerIo& io) {
  if (!session.memory || !session.declaration) {
    ResetEvent(session.events[kEventSendDeclaration]);
    return;
  }
  WriteDeclarationRecords(*session.declaration, session.memory);
  LoggerLink link = MakeLink(session, io);
  if (FAILED(LoggerWriteMemory(link, session.memory))) {
    // Stopped before the recorder took it.
    ResetEvent(session.events[kEventSendDeclaration]);
    return;
  }
  SetLoggerStatus(session, 0, 1, u"Declaration sent OK.");
  io.Wait(500);
  LoggerSendCommand(link, kCmdEndSession, 0, 0);
  ResetEvent(session.events[kEventSendDeclaration]);
  if (LoggerView* view = View(session)) view->DeclarationSent();
}

void DownloadAll(LoggerSession& session, LoggerIo& io) {
  const std::int32_t count = session.directory ? session.directory->count : 0;
  for (std::int32_t index = 0; index < count; ++index) {
    if (!session.directory->entries[index].takeoff) continue;
    // A failed flight is tried again until it succeeds or the exchange stops.
    while (FAILED(DownloadFlight(session, io, index, session.secondForm != 0))) {
      SetLoggerStatus(session, 0, 0, u"Download ERROR!");
      if (LoggerStopping(session)) return;
      io.Wait(100);
    }
  }
  SetLoggerStatus(session, 0, 0, u"Files Downloaded OK!");
  ResetEvent(session.events[kEventDownloadAll]);
  if (LoggerView* view = View(session)) view->FlightsDownloaded();
}

std::u16string Joined(const WCHAR* folder, const WCHAR* name) {
  std::u16string path = folder;
  if (path.empty() || path.back() != u'\\') path += u'\\';
  return path + name;
}

bool FolderExists(const WCHAR* folder) {
  if (!folder || !folder[0]) return false;
  const DWORD attributes = GetFileAttributesW(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Deletes the downloads a stopped program left half-written in `folder`.
void RemoveLeftovers(const std::u16string& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(Joined(folder.c_str(), u"*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(Joined(folder.c_str(), found.cFileName).c_str());
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

}  // namespace

HRESULT CreateLoggerSession(LoggerSession& session, GpsPort* gps, std::int32_t sectorRadius, std::int32_t sectorKind) {
  session.sectorRadius = sectorRadius;
  session.sectorKind = sectorKind;
  if (session.created) return 0;
  session.gps = gps;
  session.memory = new (std::nothrow) std::uint8_t[kMemoryImageSize];
  session.declaration = new (std::nothrow) VlDeclaration;
  if (!session.memory || !session.declaration) {
    DestroyLoggerSession(session);
    return E_OUTOFMEMORY;
  }
  for (std::uint8_t* at = session.memory; at < session.memory + kMemoryImageSize; ++at) *at = 0xFF;
  for (HANDLE& event : session.events) event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  session.workerWaiting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  session.created = true;
  return 0;
}

void DestroyLoggerSession(LoggerSession& session) {
  FreeLoggerBuffers(session);
  delete[] session.memory;
  session.memory = nullptr;
  delete session.declaration;
  session.declaration = nullptr;
  for (HANDLE& event : session.events) {
    if (event) CloseHandle(event);
    event = nullptr;
  }
  if (session.workerWaiting) CloseHandle(session.workerWaiting);
  session.workerWaiting = nullptr;
  session.created = false;
}

bool AllocateLoggerBuffers(LoggerSession& session) {
  if (!session.directory) session.directory = new (std::nothrow) FlightDirectory;
  if (!session.flight) session.flight = new (std::nothrow) std::uint8_t[kFlightBufferBytes];
  return session.directory && session.flight;
}

void FreeLoggerBuffers(LoggerSession& session) {
  delete session.directory;
  session.directory = nullptr;
  delete[] session.flight;
  session.flight = nullptr;
}

bool FreeBuffersAfterExchange(LoggerSession& session, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> hold(session.exchangeLock);
  if (!session.exchangeEnded.wait_for(hold, limit, [&] { return !session.inExchange; })) return false;
  FreeLoggerBuffers(session);
  return true;
}

void ResetLoggerEvents(LoggerSession& session) {
  for (HANDLE event : session.events) {
    if (event) ResetEvent(event);
  }
}

void SetLoggerStatus(LoggerSession& session, std::int32_t position, std::int32_t total, const WCHAR* text) {
  if (LoggerView* view = View(session)) view->Status(position, total, text);
}

bool LoggerStopping(LoggerSession& session) {
  if (IsSet(session.events[kEventStop]) || IsSet(session.abortEvent)) return true;
  if (session.run == 0) return true;
  return session.gps && session.gps->running == 0;
}

HRESULT RunLoggerDownload(LoggerSession& session, LoggerIo& io) {
  {
    std::lock_guard<std::mutex> hold(session.exchangeLock);
    session.inExchange = true;
  }
  session.io = &io;
  struct Leave {
    LoggerSession& session;
    ~Leave() {
      session.io = nullptr;
      {
        std::lock_guard<std::mutex> hold(session.exchangeLock);
        session.inExchange = false;
      }
      session.exchangeEnded.notify_all();
    }
  } leave{session};
  HANDLE waits[kLoggerEventCount + 1];
  DWORD count = 0;
  for (HANDLE event : session.events) waits[count++] = event;
  if (session.abortEvent) waits[count++] = session.abortEvent;
  for (;;) {
    if (session.workerWaiting) SetEvent(session.workerWaiting);
    const DWORD result = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
    if (session.workerWaiting) ResetEvent(session.workerWaiting);
    if (result >= WAIT_OBJECT_0 + count) return E_FAIL;
    switch (static_cast<int>(result - WAIT_OBJECT_0)) {
      case kEventStop:
      case kLoggerEventCount:  // the program stops
        SetEvent(session.events[kEventStop]);
        return 0;
      case kEventReadDeclaration:
        // A failed read stays requested and is tried again (the stop event comes first).
        ReadDeclaration(session, io);
        break;
      case kEventSendDeclaration:
        SendDeclaration(session, io);
        break;
      case kEventReadDirectory:
        if (FAILED(ReadDirectory(session, io))) {
          if (LoggerView* view = View(session)) view->DirectoryFailed();
        }
        break;
      case kEventDownloadAll:
        DownloadAll(session, io);
        break;
      default:
        return E_FAIL;
    }
  }
}

HRESULT LoggerCommandWhileIdle(LoggerSession& session, std::uint8_t command) {
  LoggerIo* io = session.io.load();
  if (!io || !IsSet(session.workerWaiting)) return E_FAIL;
  LoggerLink link = MakeLink(session, *io);
  return LoggerSendCommand(link, command, 0, 0);
}

HRESULT DownloadFlight(LoggerSession& session, LoggerIo& io, std::int32_t index, bool secondForm) {
  if (!session.directory || !session.flight || index < 0 || index >= session.directory->count) return E_FAIL;
  const FlightDirEntry& entry = session.directory->entries[index];
  SetLoggerStatus(session, 0, 100, ce::text::Format(u"Downloading %s", entry.igcName).c_str());
  LoggerLink link = MakeLink(session, io);
  std::int32_t length = 0;
  if (FAILED(LoggerReadFlight(link, session.flight, kFlightBufferBytes, static_cast<std::uint8_t>(index), secondForm,
                              vl::kBaud57600, length)) ||
      length < 1 || length > kFlightBufferBytes)
    return E_FAIL;
  const std::u16string folder = Joined(session.dataFolder, u"Logger_IGC_Files");
  CreateDirectoryW(folder.c_str(), nullptr);
  RemoveLeftovers(folder);
  const std::u16string path = Joined(folder.c_str(), entry.igcName);
  // The flight is written beside its final name and takes that name only when whole: a full disk
  // or a program stopped midway never leaves a cut file (nor replaces an earlier download) there.
  const std::u16string aside = path + u".tmp";
  HANDLE file = CreateFileW(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  std::int32_t covered = 0;
  HRESULT written = ConvertFlightToIgc(file, 0, session.flight, length, true, covered);
  if (SUCCEEDED(written)) written = WriteGRecords(file, session.flight, covered);
  if (SUCCEEDED(written) && !FlushFileBuffers(file)) written = E_FAIL;
  if (!CloseHandle(file)) written = E_FAIL;
  if (SUCCEEDED(written) && !MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) written = E_FAIL;
  if (FAILED(written)) {
    DeleteFileW(aside.c_str());
    return E_FAIL;
  }
  if (session.copyToCard && FolderExists(session.cardFolder)) {
    SetLoggerStatus(session, 0, 0, u"Copying to Flash Card");
    const std::u16string copy = Joined(session.cardFolder, entry.igcName);
    SetLoggerStatus(session, 0, 0, CopyFileW(path.c_str(), copy.c_str(), FALSE) ? u"Copy OK" : u"Copy to Flash FAILED!");
  } else {
    SetLoggerStatus(session, 100, 100, ce::text::Format(u"%s download OK", entry.igcName).c_str());
  }
  return 0;
}

}  // namespace cumulor
