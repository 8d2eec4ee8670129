// flightdemo: the flight computer flies the demonstration flight in a fresh device, headless or in
// the live window, and leaves screenshots and the IGC log it wrote.
//
//   flightdemo [--mode played|replay|sim] [--live] [--screen 240x320|480x640] [--device DIR]
//              [--out DIR] [--flight FILE.igc] [--at HH:MM:SS,...] [--rate N] [--speed x1|x10|x100]
//              [--seconds N] [--remove NAME]... [--arrow X1,Y1,X2,Y2]...
//
// played: the flight goes in as live NMEA through `nmeaplayer --pty` on "COM1", so the program
//         writes its IGC log, which is copied into the output folder;
// replay: the program's own replay (command 40053, "Playback"), the file chosen by script;
// sim:    the simulator, flying from the demonstration field for --seconds.
// The flight is an IGC file, or for "played" also an NMEA log. "--at none" takes no screenshots at
// fix times and asks for no log: the run ends when the flight was played in and --seconds have passed (replay:
// --seconds after its start). --remove deletes a file of "\My Documents" after the install (a
// data file the settings name going missing). --arrow (sim) draws a pen arrow on the map from
// (X1, Y1) to (X2, Y2) once the start-up has run, one every two seconds, each followed by the
// screenshot arrow-N.png: an arrow from the glider sets the simulated speed and direction.
// Screenshots: start.png at the end of the start-up, fix-HHMMSS.png when the flight reaches each
// time of --at (default: a quarter, half and three quarters through the flight and its last fix),
// end.png before the program is quit through 40034, answered "Yes" by script. Everything the
// program is told goes through the environment ($CE_SCREEN, $CE_DISPLAY, $CE_USER_SCRIPT, ...).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cumulor/setup/CumulorInstall.h"
#include "platform/files/files.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "tools/cmdline/number_arg.h"
#include "tools/flightdemo/flight_times.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr UINT kSaveScreenMessage = WM_APP + 0x3F0;  // the program's screenshot on request
constexpr WPARAM kEndShot = 1;

const char kUsage[] =
    "usage: flightdemo [--mode played|replay|sim] [--live] [--screen 240x320|480x640]\n"
    "                  [--device DIR] [--out DIR] [--flight FILE.igc] [--at HH:MM:SS,...]\n"
    "                  [--rate EPOCHS_PER_SECOND] [--speed x1|x10|x100|x1000] [--seconds N]\n"
    "                  [--remove NAME]... [--arrow X1,Y1,X2,Y2]...\n";

// A rate above this plays a flight faster than the program can take its fixes; a run longer than a
// day is a mistake.
constexpr long long kMaxRate = 10000;
constexpr long long kMaxSeconds = 86400;

struct Options {
  std::string mode = "played";
  bool live = false;
  std::string screen = "240x320";
  fs::path device, out, flight;
  std::string at;
  int rate = 0;  // 0: the default of the mode
  std::string speed;
  int seconds = 60;
  std::vector<std::string> remove;
  std::vector<RECT> arrows;  // pen arrows: from (left, top) to (right, bottom)
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--live") o.live = true;
    else if (a == "--mode" && hasValue) o.mode = argv[++i];
    else if (a == "--screen" && hasValue) o.screen = argv[++i];
    else if (a == "--device" && hasValue) o.device = argv[++i];
    else if (a == "--out" && hasValue) o.out = argv[++i];
    else if (a == "--flight" && hasValue) o.flight = argv[++i];
    else if (a == "--at" && hasValue) o.at = argv[++i];
    else if (a == "--rate" && hasValue) {
      if (!tool_args::ReadNumberInto("flightdemo", "--rate", argv[++i], 0, kMaxRate, o.rate)) return false;
    }
    else if (a == "--speed" && hasValue) o.speed = argv[++i];
    else if (a == "--seconds" && hasValue) {
      if (!tool_args::ReadNumberInto("flightdemo", "--seconds", argv[++i], 1, kMaxSeconds, o.seconds)) return false;
    }
    else if (a == "--remove" && hasValue) o.remove.push_back(argv[++i]);
    else if (a == "--arrow" && hasValue) {
      RECT r{};
      char extra = 0;
      if (std::sscanf(argv[++i], "%d,%d,%d,%d%c", &r.left, &r.top, &r.right, &r.bottom, &extra) != 4) return false;
      o.arrows.push_back(r);
    }
    else return false;
  }
  if (o.mode != "played" && o.mode != "replay" && o.mode != "sim") return false;
  if (o.screen != "240x320" && o.screen != "480x640") return false;
  // Folders are made below an existing one only: a mistyped path makes no tree of its own.
  for (const auto& [option, folder] : {std::pair{"--device", o.device}, std::pair{"--out", o.out}})
    if (!folder.empty() && !tool_args::FolderOfFileExists("flightdemo", option, folder.string()))
      return false;
  std::error_code ec;
  if (!o.flight.empty() && !fs::is_regular_file(o.flight, ec)) {
    std::fprintf(stderr, "flightdemo: --flight: no file '%s'\n", o.flight.c_str());
    return false;
  }
  return true;
}

// A fresh device folder: an old one goes, unless it is something other than a device folder.
bool FreshDevice(const fs::path& folder) {
  std::error_code ec;
  if (fs::exists(folder)) {
    if (!fs::is_empty(folder, ec) && !fs::is_directory(folder / "root")) {
      std::fprintf(stderr, "flightdemo: %s is not a device folder; not removing it\n", folder.c_str());
      return false;
    }
    fs::remove_all(folder, ec);
  }
  fs::create_directories(folder / "root", ec);
  return !ec;
}

// nmeaplayer on a new pseudo-terminal: its process and the terminal's path (empty on failure).
struct Player {
  pid_t pid = -1;
  std::string pty;
};

Player StartPlayer(const fs::path& flight, int rate, const fs::path& log) {
  Player p;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return p;
  const std::string rateText = std::to_string(rate);
  std::vector<std::string> args = {NMEAPLAYER_PATH, "-r", rateText, flight.string(), "--pty"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (posix_spawn(&p.pid, NMEAPLAYER_PATH, &actions, nullptr, argv.data(), environ) != 0) p.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  // The first line is the terminal's path.
  char c;
  while (p.pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') p.pty += c;
  close(fds[0]);
  return p;
}

// Waits for the player's end; false when it is still playing after `limit`.
bool WaitPlayer(pid_t pid, std::chrono::seconds limit, int* code) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

bool WaitForFile(const fs::path& file, std::chrono::seconds limit, HANDLE process) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (fs::exists(file)) return true;
    if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return fs::exists(file);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return fs::exists(file);
}

// Starts the installed program with its standard output and error in `log`.
HANDLE StartProgram(const std::u16string& arguments, const fs::path& log) {
  std::fflush(stdout);
  std::fflush(stderr);
  const int saved1 = dup(1), saved2 = dup(2);
  const int file = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file >= 0) {
    dup2(file, 1);
    dup2(file, 2);
    close(file);
  }
  std::u16string line = arguments;
  PROCESS_INFORMATION pi{};
  const BOOL started =
      CreateProcessW(cumulor::kProgramPath, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi);
  dup2(saved1, 1);
  dup2(saved2, 2);
  close(saved1);
  close(saved2);
  if (!started) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

LPARAM At(LONG x, LONG y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// A pen arrow as the device delivers it: down, two moves, up, with pauses so that the button-up
// is not already waiting when the program handles the button-down.
void PenArrow(HWND window, const RECT& a) {
  const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, At(a.left, a.top));
  pause();
  PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At((a.left + a.right) / 2, (a.top + a.bottom) / 2));
  pause();
  PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, At(a.right, a.bottom));
  pause();
  PostMessageW(window, WM_LBUTTONUP, 0, At(a.right, a.bottom));
}

HWND WaitForWindow(std::chrono::seconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (HWND w = FindWindowW(u"Cumulor", nullptr)) return w;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

// The fixes of an NMEA log (its RMC sentences), for a file without B records.
std::int32_t CountNmeaFixes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  std::int32_t fixes = 0;
  while (std::getline(in, line))
    if (line.size() > 6 && line[0] == '$' && line.compare(3, 3, "RMC") == 0) ++fixes;
  return fixes;
}

std::string Hms(std::uint32_t t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", t / 3600 % 24, t / 60 % 60, t % 60);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const char* demoDir = std::getenv("DEMO_DIR");
  if (o.out.empty()) o.out = demoDir && *demoDir ? fs::path(demoDir) : fs::path("flight-out");
  if (o.device.empty()) o.device = o.out / "device";
  if (o.flight.empty()) o.flight = cumulor::DemoDataFolder() / "Demo_Task_Flight.igc";
  o.out = fs::absolute(o.out);
  o.device = fs::absolute(o.device);
  fs::create_directories(o.out);

  // The flight's times are read also with "--at none": its length sets how long it may play.
  FlightTimes times;
  const bool haveTimes = o.mode != "sim" && ReadFlightTimes(o.flight, times);
  const bool timed = haveTimes && o.at != "none";
  if (o.mode != "sim" && !haveTimes) times.fixes = CountNmeaFixes(o.flight);
  if (o.mode != "sim" && o.at != "none" && !timed) {
    std::fprintf(stderr, "flightdemo: no valid B record in %s (--at none plays it without fix times)\n",
                 o.flight.c_str());
    return 1;
  }
  if (!FreshDevice(o.device)) return 1;
  ce::SetDeviceFolder(o.device);
  ::setenv("CE_DEVICE_DIR", o.device.c_str(), 1);
  const bool installed = cumulor::InstallDataFiles() && cumulor::InstallDemonstrationData() &&
                         cumulor::SeedSettings() && cumulor::InstallProgram();
  std::printf("device %s: Cumulor installed with the demonstration data%s\n", o.device.c_str(),
              installed ? "" : " (a step FAILED)");
  if (!installed) return 1;
  // The device's storage card, as a real handheld has (Cumulor keeps its profiles there).
  if (!CreateDirectoryW(u"\\Storage Card", nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    std::fprintf(stderr, "flightdemo: the device's storage card \\Storage Card could not be made\n");
    return 1;
  }
  for (const std::string& name : o.remove) {
    std::error_code ec;
    const bool removed = fs::remove(o.device / "root" / "My Documents" / name, ec);
    std::printf("\\My Documents\\%s %s\n", name.c_str(), removed ? "removed" : "was not there");
  }

  // The flight: the one played or replayed is copied into the data folder under its own name.
  const std::string flightName = o.flight.filename().string();
  if (o.mode == "replay") fs::copy_file(o.flight, o.device / "root" / "My Documents" / flightName,
                                        fs::copy_options::overwrite_existing);

  // What the program is told: all through the environment.
  const fs::path script = o.out / "user-script.txt";
  {
    std::ofstream s(script);
    if (o.mode == "replay") {
      s << "dialog          # \"Cumulor Logger\": Playback\n  click 1182\nend\n";
      s << "open \"\\\\My Documents\\\\" << flightName << "\"\n";  // a quoted text keeps "\\" as "\"
    }
    s << "box IDYES       # Exit? Yes\n";
  }
  // The replay skips fixes at its higher speeds: its last fix is the last one of its steps.
  const std::string speed = o.speed.empty() ? (o.live ? "x10" : "x100") : o.speed;
  if (o.mode == "replay" && timed) {
    const std::size_t step = speed == "x10" ? 10 : speed == "x100" ? 100 : speed == "x1000" ? 1000 : 1;
    times.last = times.all[(times.all.size() - 1) / step * step];
  }
  std::string shotTimes;
  std::uint32_t lastShot = times.last;  // the screenshot waited for: the latest in the flight
  if (timed) {
    if (!o.at.empty()) {
      shotTimes = o.at;
      std::uint32_t latest = 0;
      bool any = false;
      std::stringstream items(o.at);
      std::string item;
      while (std::getline(items, item, ',')) {
        unsigned h = 0, m = 0, sec = 0;
        if (std::sscanf(item.c_str(), " %2u:%2u:%2u", &h, &m, &sec) != 3 || h > 23 || m > 59 || sec > 59) continue;
        std::uint32_t t = h * 3600 + m * 60 + sec;
        const std::uint32_t first = times.first % 86400;
        if (t < first && first - t > 43200) t += 86400;  // after midnight
        if (!any || t > latest) latest = t;
        any = true;
      }
      if (any) lastShot = latest;
    } else {
      for (double part : {0.25, 0.5, 0.75}) shotTimes += Hms(times.At(part)) + ",";
      shotTimes += Hms(times.last);
    }
  }
  ::setenv("CE_SCREEN", o.screen.c_str(), 1);
  if (o.live) ::setenv("CE_DISPLAY", "sdl", 1);
  else ::unsetenv("CE_DISPLAY");
  ::setenv("CE_USER_SCRIPT", script.c_str(), 1);
  ::setenv("CE_SCREENSHOT", (o.out / "start.png").c_str(), 1);
  ::setenv("CE_SCREENSHOT_DIR", o.out.c_str(), 1);
  ::setenv("CE_SCREENSHOT_TIMES", shotTimes.c_str(), 1);
  if (o.mode == "replay") ::setenv("CE_REPLAY_SPEED", speed.c_str(), 1);
  else ::unsetenv("CE_REPLAY_SPEED");
  fs::remove(o.out / "start.png");

  Player player;
  if (o.mode == "played") {
    const int rate = o.rate ? o.rate : (o.live ? 20 : 100);
    player = StartPlayer(o.flight, rate, o.out / "nmeaplayer.log");
    if (player.pid <= 0 || player.pty.empty()) {
      std::fprintf(stderr, "flightdemo: nmeaplayer did not start\n");
      return 1;
    }
    RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", u"COM1", ce::text::FromUtf8(player.pty).c_str());
    std::printf("flight %s played in at %d fixes a second on COM1 = %s\n", o.flight.c_str(), rate, player.pty.c_str());
  }
  std::printf("screen %s, %s; screenshots at %s\n", o.screen.c_str(), o.live ? "live window" : "headless",
              timed ? shotTimes.c_str() : "start and end");
  std::fflush(stdout);

  HANDLE program = StartProgram(o.mode == "played" ? u"" : u" /s", o.out / "cumulor.log");
  if (!program) {
    std::fprintf(stderr, "flightdemo: Cumulor did not start\n");
    if (player.pid > 0) kill(player.pid, SIGTERM);
    return 1;
  }
  bool ok = WaitForFile(o.out / "start.png", std::chrono::seconds(60), program);
  HWND window = ok ? WaitForWindow(std::chrono::seconds(10)) : nullptr;
  ok = ok && window;
  std::printf("start-up %s\n", ok ? "finished (start.png)" : "did NOT finish");

  const auto flightLimit = std::chrono::seconds(120 + times.fixes / 5);
  if (ok && o.mode == "played") {
    int code = -1;
    if (!WaitPlayer(player.pid, flightLimit, &code)) {
      std::fprintf(stderr, "flightdemo: the flight was still playing after %lld s\n",
                   static_cast<long long>(flightLimit.count()));
      kill(player.pid, SIGTERM);
      ok = false;
    } else {
      std::printf("flight played in (nmeaplayer ended with %d)\n", code);
      player.pid = -1;
    }
  } else if (ok && o.mode == "replay") {
    PostMessageW(window, WM_COMMAND, 40053, 0);  // "Cumulor Logger", answered "Playback" by script
    std::printf("replay started through 40053\n");
  }
  for (std::size_t i = 0; ok && i < o.arrows.size(); ++i) {
    PenArrow(window, o.arrows[i]);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const WPARAM shot = 100 + i;
    const std::string name = "arrow-" + std::to_string(i + 1) + ".png";
    if (SendMessageW(window, kSaveScreenMessage, shot, 0) == 1)
      fs::rename(o.out / ("screen-" + std::to_string(shot) + ".png"), o.out / name);
    std::printf("pen arrow (%ld,%ld) to (%ld,%ld), then %s\n", static_cast<long>(o.arrows[i].left),
                static_cast<long>(o.arrows[i].top), static_cast<long>(o.arrows[i].right),
                static_cast<long>(o.arrows[i].bottom), name.c_str());
  }
  if (ok && !timed) {
    std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    std::printf("%d s later\n", o.seconds);
  }
  if (ok && timed) {
    const fs::path last = o.out / ("fix-" + Hms(lastShot).erase(5, 1).erase(2, 1) + ".png");
    ok = WaitForFile(last, o.mode == "replay" ? flightLimit : std::chrono::seconds(60), program);
    std::printf("last screenshot %s %s\n", Hms(lastShot).c_str(), ok ? "reached" : "NOT reached");
  }
  if (player.pid > 0) {
    kill(player.pid, SIGTERM);
    waitpid(player.pid, nullptr, 0);
  }

  // The end: the screen as it is, then Exit answered "Yes".
  window = FindWindowW(u"Cumulor", nullptr);
  if (window && SendMessageW(window, kSaveScreenMessage, kEndShot, 0) == 1)
    fs::rename(o.out / ("screen-" + std::to_string(kEndShot) + ".png"), o.out / "end.png");
  if (window) PostMessageW(window, WM_COMMAND, 40034, 0);
  DWORD exitCode = STILL_ACTIVE;
  if (WaitForSingleObject(program, 30000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(program, &exitCode);
    std::printf("Cumulor ended with %u\n", static_cast<unsigned>(exitCode));
  } else {
    std::fprintf(stderr, "flightdemo: Cumulor did not end after Exit; ending it\n");
    TerminateProcess(program, 1);
    ok = false;
  }
  CloseHandle(program);

  // The IGC logs the program wrote.
  int logs = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(o.device / "root" / "My Documents" / "Cumulor_IGC_Files", ec)) {
    if (e.path().extension() != ".igc" && e.path().extension() != ".IGC") continue;
    fs::copy_file(e.path(), o.out / e.path().filename(), fs::copy_options::overwrite_existing, ec);
    std::printf("IGC log %s\n", (o.out / e.path().filename()).c_str());
    ++logs;
  }
  if (o.mode == "played" && timed && logs == 0) {
    std::fprintf(stderr, "flightdemo: the played-in flight left no IGC log\n");
    ok = false;
  }
  if (o.mode != "played") std::printf("IGC logs: %d (the program logs live input only)\n", logs);
  for (const auto& e : fs::directory_iterator(o.out, ec))
    if (e.path().extension() == ".png") std::printf("screenshot %s\n", e.path().c_str());
  return ok && exitCode == 0 ? 0 : 1;
}
