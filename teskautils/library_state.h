// The library's state, one copy per process, built at process attach and torn down at detach.
#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <string>

#include "platform/base/types.h"
#include "platform/kernel/sync.h"
#include "platform/text/format_arg.h"

namespace teskautils {

struct LibraryState {
  bool attached = false;
  // The mutex and the record lock live for the process, across detach and attach: another thread
  // may still be logging while the library detaches.
  HANDLE serialising_mutex = nullptr;  // "KK", held around LogFormateado
  CRITICAL_SECTION record_lock{};      // held while a record is assembled and sent, and while
  bool record_lock_ready = false;      // the attach and detach change the fields below
  DWORD max_record_size = 0;           // bytes
  DWORD logging_enabled = 0;
  BYTE* record_buffer = nullptr;       // max_record_size bytes
  WCHAR program_path[MAX_PATH] = {};
  const WCHAR* program_name = u"";     // inside program_path
  std::atomic<DWORD> thread_slot{0xFFFFFFFFu};  // read by the thread lines without the lock
  HANDLE queue = nullptr;              // write handle, held only while a reader has the queue
};

LibraryState& State();

void ProcessAttach();
void ProcessDetach();

// The registry switches' defaults and the largest record buffer the library allocates.
constexpr DWORD kDefaultMaxRecordSize = 5000;
constexpr DWORD kLargestRecordBuffer = 1u << 20;

// printf-style formatting for the exports: checked against the arguments (a format that does not
// match them is taken as it stands) and cut to capacity - 1 characters.
std::u16string FormatBounded(LPCWSTR format, std::span<const ce::text::FormatArg> args, std::size_t capacity);
// Cuts text to capacity - 1 characters, never between the halves of a surrogate pair.
void CutTo(std::u16string& text, std::size_t capacity);

}  // namespace teskautils
