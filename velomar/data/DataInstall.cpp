#include "velomar/data/DataInstall.h"

#include "platform/registry/registry.h"
#include "platform/shell/install.h"

namespace velomar {

std::filesystem::path DataSourceFolder() { return std::filesystem::path(VELOMAR_DATA_SOURCE); }

std::filesystem::path HostProgram() { return std::filesystem::path(VELOMAR_HOST_PROGRAM); }

bool InstallDataFiles(const std::filesystem::path& source) {
  bool ok = true;
  for (const DataFolder& folder : kDataFolders)
    ok = ce::shell::InstallHostFiles(source / folder.source, folder.device) && ok;
  return ok;
}

bool InstallProgram(const std::filesystem::path& host_program) {
  return ce::shell::InstallHostProgram(kProgramPath, host_program);
}

bool SeedSettings() { return ce::shell::SeedKey(HKEY_LOCAL_MACHINE, kSettingsKey); }

}  // namespace velomar
