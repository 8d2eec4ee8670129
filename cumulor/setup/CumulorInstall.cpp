#include "cumulor/setup/CumulorInstall.h"

#include "platform/registry/registry.h"
#include "platform/shell/install.h"

namespace cumulor {

std::filesystem::path DataSourceFolder() { return std::filesystem::path(CUMULOR_DATA_SOURCE); }

std::filesystem::path HostProgram() { return std::filesystem::path(CUMULOR_HOST_PROGRAM); }

std::filesystem::path TonesFolder() { return std::filesystem::path(CUMULOR_TONES_FOLDER); }

std::filesystem::path FlightsFolder() { return std::filesystem::path(CUMULOR_FLIGHTS_FOLDER); }

bool InstallDataFiles(const std::filesystem::path& source, const std::filesystem::path& tones,
                      const std::filesystem::path& flights) {
  bool ok = true;
  for (const DataFolder& folder : kDataFolders)
    ok = ce::shell::InstallHostFiles(source / folder.source, folder.device) && ok;
  ok = ce::shell::InstallHostFiles(tones, u"\\Windows") && ok;
  if (std::filesystem::is_directory(flights)) ok = ce::shell::InstallHostFiles(flights, u"\\My Documents") && ok;
  return ok;
}

bool InstallProgram(const std::filesystem::path& host_program) {
  return ce::shell::InstallHostProgram(kProgramPath, host_program);
}

bool SeedSettings() { return ce::shell::SeedKey(HKEY_LOCAL_MACHINE, kRegistryKey); }

}  // namespace cumulor
