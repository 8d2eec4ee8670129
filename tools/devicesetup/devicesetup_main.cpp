// devicesetup: installs the suites into a device folder (their programs, data files and settings),
// as the handheld's setup did. Usable at a shell, by the demo runner and by tests.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cumulor/setup/CumulorInstall.h"
#include "platform/files/files.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"
#include "tools/todayhost/today_host_install.h"
#include "velomar/data/DataInstall.h"

namespace {

const char kUsage[] =
    "usage: devicesetup [--device <folder>] [velomar] [cumulor]\n"
    "  installs the named suites (both when none is named) into the device folder\n"
    "  (default $CE_DEVICE_DIR, else ./device): program, data files, settings\n";

struct Suite {
  const char* name;
  const WCHAR* program_path;
  std::filesystem::path (*host_program)();
  bool (*data_files)();
  bool (*program)();
  bool (*settings)();
};

const Suite kSuites[] = {
    {"velomar", velomar::kProgramPath, [] { return velomar::HostProgram(); },
     // Every data step runs, also after one failed (the help, the ring and the Today-theme
     // dialogs need theirs).
     [] {
       bool ok = velomar::InstallDataFiles();
       ok = velomar::InstallThemes() && ok;
       ok = velomar::InstallHelpTexts() && ok;
       ok = velomar::InstallRingTones() && ok;
       return velomar::InstallTodayThemes() && ok;
     },
     [] { return velomar::InstallProgram() && velomar::RegisterTodayItem(); }, velomar::SeedSettings},
    {"cumulor", cumulor::kProgramPath, [] { return cumulor::HostProgram(); },
     [] { return cumulor::InstallDataFiles() && cumulor::InstallDemonstrationData(); },
     [] { return cumulor::InstallProgram() && cumulor::RegisterTodayItem(); }, cumulor::SeedSettings},
};

bool Install(const Suite& suite) {
  bool ok = true;
  const auto step = [&](const char* what, bool done) {
    std::printf("%s: %s%s\n", suite.name, what, done ? "" : " FAILED");
    ok = ok && done;
  };
  step("data files", suite.data_files());
  step("settings", suite.settings());
  const std::string path = ce::text::ToUtf8(suite.program_path);
  if (suite.host_program().empty()) {
    std::printf("%s: program %s not built yet, not mapped\n", suite.name, path.c_str());
  } else {
    step(("program " + path + " -> " + suite.host_program().string()).c_str(), suite.program());
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == "--device") {
    ce::SetDeviceFolder(args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  std::vector<const Suite*> chosen;
  for (const auto& arg : args) {
    const Suite* found = nullptr;
    for (const Suite& s : kSuites)
      if (arg == s.name) found = &s;
    if (!found) {
      std::fputs(kUsage, arg == "help" || arg == "--help" || arg == "-h" ? stdout : stderr);
      return arg == "help" || arg == "--help" || arg == "-h" ? 0 : 2;
    }
    chosen.push_back(found);
  }
  if (chosen.empty())
    for (const Suite& s : kSuites) chosen.push_back(&s);
  bool ok = true;
  for (const Suite* s : chosen) ok = Install(*s) && ok;
  // The device's Today screen, which shows both suites' items.
  const bool host = todayhost::InstallTodayHost();
  std::printf("device: program %s -> %s%s\n", ce::text::ToUtf8(todayhost::kProgramPath).c_str(),
              todayhost::HostProgram().string().c_str(), host ? "" : " FAILED");
  ok = ok && host;
  // The device's storage card: a real handheld has one (Cumulor keeps its profiles there).
  const bool card = CreateDirectoryW(u"\\Storage Card", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
  std::printf("device: storage card \\Storage Card%s\n", card ? "" : " FAILED");
  ok = ok && card;
  return ok ? 0 : 1;
}
