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

std::filesystem::path DemoSourceFolder() { return DataSourceFolder() / "demo"; }

std::filesystem::path DemoDataFolder() { return std::filesystem::path(CUMULOR_DEMO_DATA); }

bool InstallDemonstrationData(const std::filesystem::path& source, const std::filesystem::path& generated) {
  const bool shipped = ce::shell::InstallHostFiles(source, u"\\My Documents");
  const bool made = ce::shell::InstallHostFiles(generated, u"\\My Documents");
  return shipped && made;
}

bool InstallProgram(const std::filesystem::path& host_program, std::u16string_view ce_path) {
  return ce::shell::InstallHostProgram(ce_path, host_program);
}

bool RegisterTodayItem() {
  bool ok = ce::shell::SeedKey(HKEY_LOCAL_MACHINE, kTodayItemKey);
  ok = ok && ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kTodayItemKey, u"DLL", kTodayItemLibrary);
  ok = ok && ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kTodayItemKey, u"Enabled", DWORD{1});
  return ok && ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kTodayItemKey, u"Order", DWORD{1});
}

bool SeedSettings() { return ce::shell::SeedKey(HKEY_LOCAL_MACHINE, kRegistryKey); }

}  // namespace cumulor
