#include "cumulor/companions/CumulorLaunch.h"

#include <string>

#include "platform/shell/launch.h"

namespace cumulor_companions {

bool StartCumulor(const WCHAR* arguments) {
  for (const WCHAR* path : kCumulorPaths) {
    // CreateProcessW may write into the command line: each try gets its own copy.
    std::u16string line = arguments ? arguments : u"";
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(path, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info)) continue;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
  }
  return false;
}

}  // namespace cumulor_companions
