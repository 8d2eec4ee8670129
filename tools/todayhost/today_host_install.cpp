#include "today_host_install.h"

#include "platform/shell/install.h"

namespace todayhost {

std::filesystem::path HostProgram() { return std::filesystem::path(TODAYHOST_PROGRAM); }

bool InstallTodayHost(const std::filesystem::path& host_program) {
  return ce::shell::InstallHostProgram(kProgramPath, host_program);
}

}  // namespace todayhost
