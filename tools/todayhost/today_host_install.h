// The Today host on a device: its CE path, mapped in HKEY_LOCAL_MACHINE "\Host\Programs" to the
// built program so that starting it runs it.
#pragma once

#include <filesystem>

#include "platform/base/types.h"

namespace todayhost {

inline constexpr const WCHAR* kProgramPath = u"\\Windows\\TodayHost.exe";

// The built program; empty while the build has none.
std::filesystem::path HostProgram();

// Places the host at kProgramPath and maps it to its host executable.
bool InstallTodayHost(const std::filesystem::path& host_program = HostProgram());

}  // namespace todayhost
