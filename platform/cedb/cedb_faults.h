// The test seam of CEDB: make chosen calls fail with chosen error codes.
#pragma once

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

// Inside CEDB: true (with the last error set) when the call is to fail now.
bool ShouldFail(CedbCall call);

}  // namespace ce::cedb
