// The test seam of CEDB: make chosen calls fail with chosen error codes, and count how often the
// order of a database is read from its file.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace ce::cedb {

enum class CedbCall {
  kMount,
  kUnmount,
  kFlush,
  kCreateDatabase,
  kOpenDatabase,
  kDeleteDatabase,
  kSeek,
  kRead,
  kWrite,
  kDeleteRecord,
};

// The next `times` calls of `call` (0: every call until cleared) fail with `error` and change
// nothing; the call answers its failure value with `error` as the last error.
void FailCalls(CedbCall call, DWORD error, unsigned times = 1);
void ClearFailures();

// How many times, in this process, a database's records were read from the file to put them in
// order (a kept order saves the reading until the file changes).
std::uint64_t OrderReads();

// Inside CEDB: true (with the last error set) when the call is to fail now.
bool ShouldFail(CedbCall call);
// Inside CEDB: counts one reading of an order.
void CountOrderRead();

}  // namespace ce::cedb
