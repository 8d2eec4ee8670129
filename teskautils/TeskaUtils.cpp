// The library's start and end: process attach and detach, run by the shared library's load and
// unload hooks (the platform's loader gives libraries linked into a program no DllMain calls), and
// the thread lines for every thread the platform starts, through its per-thread hooks.
#include "teskautils/TeskaUtils.h"

#include <new>

#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/libraries/libraries.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/text/format.h"
#include "platform/text/wide_string.h"
#include "teskautils/library_state.h"
#include "teskautils/registry_root.h"
#include "teskautils/teskautils_seam.h"

namespace teskautils {

LibraryState& State() {
  static LibraryState state;
  return state;
}

void CutTo(std::u16string& text, std::size_t capacity) {
  const std::size_t limit = capacity == 0 ? 0 : capacity - 1;
  if (text.size() <= limit) return;
  text.resize(limit);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
}

std::u16string FormatBounded(LPCWSTR format, std::span<const ce::text::FormatArg> args, std::size_t capacity) {
  std::u16string text = ce::text::FormatChecked(ce::text::WideView(format), args);
  CutTo(text, capacity);
  return text;
}

namespace {

// A size the library can work with: 0 and sizes whose buffer the library will not allocate are
// taken as the default, like an unreadable value.
DWORD UsableRecordSize(bool read, DWORD value) {
  if (!read || value == 0 || value > kLargestRecordBuffer) return kDefaultMaxRecordSize;
  return value;
}

}  // namespace

void ProcessAttach() {
  LibraryState& s = State();
  if (s.attached) return;
  if (s.serialising_mutex == nullptr) s.serialising_mutex = CreateMutexW(nullptr, FALSE, u"KK");
  if (!s.record_lock_ready) {
    InitializeCriticalSection(&s.record_lock);
    s.record_lock_ready = true;
  }
  ResetRoot();

  DWORD size = 0;
  const bool size_read = ReadLongUnderRoot(kDefaultRoot, u"log_tamanio_maximo_registro", &size) != 0;
  DWORD enabled = 0;
  if (!ReadLongUnderRoot(kDefaultRoot, u"log_habilitado", &enabled)) enabled = 1;
  EnterCriticalSection(&s.record_lock);
  s.max_record_size = UsableRecordSize(size_read, size);
  s.logging_enabled = enabled;
  s.record_buffer = new (std::nothrow) BYTE[s.max_record_size]();
  if (s.record_buffer == nullptr && s.max_record_size != kDefaultMaxRecordSize) {
    s.max_record_size = kDefaultMaxRecordSize;
    s.record_buffer = new (std::nothrow) BYTE[s.max_record_size]();
  }

  s.program_path[0] = 0;
  GetModuleFileNameW(nullptr, s.program_path, MAX_PATH);
  const WCHAR* slash = wcsrchr(static_cast<const WCHAR*>(s.program_path), u'\\');
  s.program_name = slash ? slash + 1 : s.program_path;

  s.thread_slot = TlsAlloc();
  s.attached = true;
  LeaveCriticalSection(&s.record_lock);
  OpenLogQueue();
  LogFormateado(1, u"DLL_PROCESS_ATTACH %s", s.program_name);
}

void ProcessDetach() {
  LibraryState& s = State();
  if (!s.attached) return;
  LogFormateado(1, u"DLL_PROCESS_DETACH %s", s.program_name);
  EnterCriticalSection(&s.record_lock);
  s.attached = false;
  delete[] s.record_buffer;
  s.record_buffer = nullptr;
  if (s.queue) CloseMsgQueue(s.queue);
  s.queue = nullptr;
  LeaveCriticalSection(&s.record_lock);
  const DWORD slot = s.thread_slot.exchange(TLS_OUT_OF_INDEXES);
  if (slot != TLS_OUT_OF_INDEXES) TlsFree(slot);
}

}  // namespace teskautils

namespace teskautils::seam {
void AttachLibrary() { ProcessAttach(); }
void DetachLibrary() { ProcessDetach(); }
}  // namespace teskautils::seam

// The library's entry as the platform's loader calls it: process attach and detach (which the load
// and unload hooks also run; each happens once), and the thread lines for threads it reports.
extern "C" BOOL DllMain(HINSTANCE, DWORD reason, LPVOID) {
  teskautils::LibraryState& s = teskautils::State();
  switch (reason) {
    case DLL_PROCESS_ATTACH: teskautils::ProcessAttach(); break;
    case DLL_THREAD_ATTACH:
      LogFormateado(1, u"DLL_THREAD_ATTACH %s:%d", s.program_name, static_cast<int>(s.thread_slot.load()));
      break;
    case DLL_THREAD_DETACH:
      LogFormateado(1, u"DLL_THREAD_DETACH %s:%d", s.program_name, static_cast<int>(s.thread_slot.load()));
      break;
    case DLL_PROCESS_DETACH: teskautils::ProcessDetach(); break;
    default: break;
  }
  return TRUE;
}

namespace {

void OnThread(bool attach) { DllMain(nullptr, attach ? DLL_THREAD_ATTACH : DLL_THREAD_DETACH, nullptr); }

__attribute__((constructor)) void OnLibraryLoad() {
  teskautils::ProcessAttach();
  ce::kernel::AddThreadHook(OnThread);
}
__attribute__((destructor)) void OnLibraryUnload() {
  ce::kernel::RemoveThreadHook(OnThread);
  teskautils::ProcessDetach();
}

}  // namespace
