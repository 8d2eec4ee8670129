// Reading a polar file from the device's file system; the text itself is parsed by
// ApplyPolarFileText.
#include <string>

#include "cumulor/nav/polar/polar.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"

namespace cumulor {
namespace {

// Polar files are a few lines; anything larger is not a polar file.
constexpr DWORD kMaxPolarFileBytes = 64 * 1024;

bool ReadSmallFile(const WCHAR* path, std::string& out) {
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  char block[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, block, sizeof block, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    out.append(block, got);
    if (out.size() > kMaxPolarFileBytes) {
      ok = false;
      break;
    }
  }
  CloseHandle(file);
  return ok;
}

}  // namespace

int ReadPolarFile(FlightState& fs, const WCHAR* path) {
  if (path == nullptr) return 0;
  std::string text;
  if (!ReadSmallFile(path, text)) return 0;
  return ApplyPolarFileText(fs, text);
}

}  // namespace cumulor
