// The log channel: records on the point-to-point queue "LogQueue", written only while a reader
// has the queue, never waiting for room.
#include <cstdarg>
#include <cstring>
#include <string>

#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/text/format.h"
#include "platform/text/wide_string.h"
#include "platform/time/time.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/library_state.h"

namespace {

constexpr DWORD kQueueMessages = 1000;
constexpr DWORD kQueueMessageBytes = 5000;
constexpr std::size_t kLogFormatChars = 1000;
constexpr const WCHAR* kSeparator = u"|||";
constexpr std::size_t kSeparatorChars = 3;
constexpr std::size_t kTimeChars = 8;  // "hh:mm:ss"

class RecordLock {
 public:
  explicit RecordLock(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
  ~RecordLock() { LeaveCriticalSection(cs_); }
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;

 private:
  CRITICAL_SECTION* cs_;
};

// Keeps the caller's last error: a log line between a failure and its report must not change it.
class KeepLastError {
 public:
  KeepLastError() : code_(GetLastError()) {}
  ~KeepLastError() { SetLastError(code_); }

 private:
  DWORD code_;
};

std::u16string LocalTimeText() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return ce::text::Format(std::u16string_view(u"%02d:%02d:%02d"), now.wHour, now.wMinute, now.wSecond);
}

void PutUtf16(BYTE* out, std::size_t& pos, std::u16string_view text) {
  for (char16_t c : text) {
    out[pos++] = static_cast<BYTE>(c & 0xFF);
    out[pos++] = static_cast<BYTE>(c >> 8);
  }
}

// Assembles and sends one record; `is_warning` marks the over-length warning, which is dropped
// silently when it does not fit itself.
// A null `name` is the program's name, read under the lock (the attach writes it).
void SendRecord(int level, const std::u16string_view* name_or_program, std::u16string_view time,
                std::u16string_view text, bool is_warning) {
  teskautils::LibraryState& s = teskautils::State();
  RecordLock lock(&s.record_lock);
  if (!s.attached || !s.logging_enabled || s.record_buffer == nullptr) return;
  const std::u16string_view name = name_or_program ? *name_or_program : std::u16string_view(s.program_name);
  try {
    const std::size_t text_bytes = 2 * text.size();
    const std::size_t record_bytes =
        4 + 2 * (name.size() + time.size() + text.size() + 3 * kSeparatorChars);
    if (text_bytes >= s.max_record_size || record_bytes > s.max_record_size) {
      if (is_warning) return;
      const std::u16string warning = ce::text::Format(
          std::u16string_view(u"Despreciando mensaje por longitud excesiva:%d bytes"), static_cast<int>(text_bytes));
      SendRecord(3, nullptr, LocalTimeText(), warning, true);
      return;
    }
    BYTE* out = s.record_buffer;
    const DWORD level_bits = static_cast<DWORD>(level);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<BYTE>(level_bits >> (8 * i));
    std::size_t pos = 4;
    PutUtf16(out, pos, name);
    PutUtf16(out, pos, kSeparator);
    PutUtf16(out, pos, time);
    PutUtf16(out, pos, kSeparator);
    PutUtf16(out, pos, text);
    PutUtf16(out, pos, kSeparator);

    if (s.queue == nullptr) OpenLogQueue();
    if (s.queue != nullptr) WriteMsgQueue(s.queue, out, static_cast<DWORD>(pos), 0, 0);
  } catch (...) {
    // Nothing above is expected to throw; a failure (memory) is reported like a fault, once: a
    // report that fails the same way is dropped rather than reported again.
    thread_local bool reporting = false;
    if (reporting) return;
    reporting = true;
    try {
      ProcesarError(u"Error invocando log");
      EXCEPTION_RECORD record{};
      EXCEPTION_POINTERS pointers{&record, nullptr};
      ProcesarExcepcion(&pointers);
    } catch (...) {
    }
    reporting = false;
  }
}

// Whether a record would be sent now: the library is attached with logging on, and a reader holds
// the queue (or this library has it open already). Asked before a record is put together, so that
// a line nobody reads costs one look for the queue's file.
bool MaySend() {
  teskautils::LibraryState& s = teskautils::State();
  {
    RecordLock lock(&s.record_lock);
    if (!s.attached || !s.logging_enabled || s.record_buffer == nullptr) return false;
    if (s.queue != nullptr) return true;
  }
  return ce::msgqueue::NamedQueueExists(u"LogQueue");
}

}  // namespace

extern "C" BOOL OpenLogQueue() {
  teskautils::LibraryState& s = teskautils::State();
  RecordLock lock(&s.record_lock);
  if (s.queue != nullptr) return TRUE;
  MSGQUEUEOPTIONS options{};
  options.dwSize = sizeof(MSGQUEUEOPTIONS);
  options.dwFlags = MSGQUEUE_NOPRECOMMIT | MSGQUEUE_ALLOW_BROKEN;
  options.dwMaxMessages = kQueueMessages;
  options.cbMaxMessage = kQueueMessageBytes;
  options.bReadAccess = FALSE;
  KeepLastError keep;
  // No reader holds the queue: making it only to close it again would cost its whole ring on the
  // device (and fail on a full one) for every record.
  if (!ce::msgqueue::NamedQueueExists(u"LogQueue")) return FALSE;
  SetLastError(0);
  HANDLE queue = CreateMsgQueue(u"LogQueue", &options);
  if (queue == nullptr) return FALSE;
  if (GetLastError() == 0) {
    // This call made the queue: nobody reads it.
    CloseMsgQueue(queue);
    return FALSE;
  }
  s.queue = queue;
  return TRUE;
}

extern "C" void LogCompleto(int level, LPCWSTR name, LPCWSTR time, LPCWSTR text) {
  KeepLastError keep;
  if (!MaySend()) return;
  const std::u16string_view name_view = ce::text::WideView(name);
  SendRecord(level, &name_view, ce::text::WideView(time), ce::text::WideView(text), false);
}

extern "C" void Log(int level, LPCWSTR text) {
  KeepLastError keep;
  if (!MaySend()) return;
  SendRecord(level, nullptr, LocalTimeText(), ce::text::WideView(text), false);
}

namespace {

void LogFormatted(int level, const std::u16string& text) {
  teskautils::LibraryState& s = teskautils::State();
  HANDLE mutex = s.serialising_mutex;
  if (mutex) WaitForSingleObject(mutex, INFINITE);
  Log(level, text.c_str());
  if (mutex) ReleaseMutex(mutex);
}

}  // namespace

extern "C" void LogFormateadoArgs(int level, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count) {
  KeepLastError keep;
  if (!MaySend()) return;
  LogFormatted(level, teskautils::FormatBounded(format, {args, count}, kLogFormatChars));
}

// The C-variadic export, for callers that find it by name: it trusts its format.
extern "C" void LogFormateado(int level, LPCWSTR format, ...) {
  KeepLastError keep;
  if (!MaySend()) return;
  va_list args;
  va_start(args, format);
  std::u16string text = ce::text::FormatV(ce::text::WideView(format), args);
  va_end(args);
  teskautils::CutTo(text, kLogFormatChars);
  LogFormatted(level, text);
}
