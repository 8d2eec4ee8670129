#include "velomar/data/DataInstall.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/registry/registry.h"
#include "platform/shell/install.h"
#include "platform/text/utf.h"

namespace velomar {
namespace {

// One line "name type value": seeded, or false when it is malformed.
bool SeedSetting(const std::string& line) {
  std::istringstream in(line);
  std::string name, type;
  if (!(in >> name >> type)) return false;
  std::string value;
  std::getline(in >> std::ws, value);
  while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
  const std::u16string wide_name = ce::text::FromUtf8(name);
  if (type == "text") return ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kSettingsKey, wide_name, ce::text::FromUtf8(value));
  if (type == "dword") {
    char* end = nullptr;
    const unsigned long long number = std::strtoull(value.c_str(), &end, 0);
    if (value.empty() || value[0] == '-' || end == nullptr || *end != 0 || number > 0xFFFFFFFFull) return false;
    return ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kSettingsKey, wide_name, static_cast<DWORD>(number));
  }
  return false;
}

}  // namespace

std::filesystem::path DataSourceFolder() { return std::filesystem::path(VELOMAR_DATA_SOURCE); }

std::filesystem::path HostProgram() { return std::filesystem::path(VELOMAR_HOST_PROGRAM); }

bool InstallDataFiles(const std::filesystem::path& source) {
  bool ok = true;
  for (const DataFolder& folder : kDataFolders)
    ok = ce::shell::InstallHostFiles(source / folder.source, folder.device) && ok;
  return ok;
}

std::filesystem::path ThemesSourceFolder() { return std::filesystem::path(VELOMAR_THEMES_SOURCE); }

bool InstallThemes(const std::filesystem::path& source) { return ce::shell::InstallHostFiles(source, kThemesFolder); }

bool InstallProgram(const std::filesystem::path& host_program) {
  return ce::shell::InstallHostProgram(kProgramPath, host_program);
}

bool SeedSettings() {
  if (!ce::shell::SeedKey(HKEY_LOCAL_MACHINE, kSettingsKey)) return false;
  std::ifstream in(DataSourceFolder() / "settings.txt");
  if (!in) return false;
  bool ok = true;
  std::string line;
  while (std::getline(in, line)) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    ok = SeedSetting(line) && ok;
  }
  return ok;
}

bool RegisterTodayItem() {
  bool ok = ce::shell::SeedKey(HKEY_LOCAL_MACHINE, kTodayItemKey);
  ok = ok && ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kTodayItemKey, u"DLL", kTodayItemLibrary);
  ok = ok && ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kTodayItemKey, u"Enabled", DWORD{1});
  return ok && ce::shell::SeedValue(HKEY_LOCAL_MACHINE, kTodayItemKey, u"Order", DWORD{0});
}

bool InstallVelomar() {
  bool ok = InstallDataFiles();
  ok = InstallThemes() && ok;
  ok = SeedSettings() && ok;
  ok = RegisterTodayItem() && ok;
  ok = InstallHelpTexts() && ok;
  ok = InstallRingTones() && ok;
  ok = InstallTodayThemes() && ok;
  return InstallProgram() && ok;
}

}  // namespace velomar
