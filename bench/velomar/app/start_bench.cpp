// Velomar as a user meets it: the installed program started as a new process over a database of
// 2,500 / 5,000 / 10,000 stored cells (written by this process, as an earlier run of the program
// would have left them), and the first cell change after the start taken.
//
// One repetition: the phone is at home (cell 1001); the program is started; once its main window
// exists the phone moves to work (cell 2001), whose all-day period switches Wi-Fi on and forwards
// calls; the figure ends when the event log shows that period's start. The time of the repetition
// is the whole of it, from the process start (also the counter from_start_ms); further counters:
// the start (to the main window), the change (to the period's start), the orderly close that
// follows (WM_CLOSE to the process's end, while the forwarding request waits for the line's
// answer) and the limit of the change (0.5 s beyond the two 100 ms pauses the workers make after
// a command).
// Every figure is on the real clock: the work is spread over processes and threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/side_by_side.h"
#include "platform/device/device.h"
#include "platform/files/module_path.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "velomar/core/managers/Mgr.h"
#include "velomar/data/DataInstall.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kHomeCell = 1001, kWorkCell = 2001;
constexpr const char* kWorkStarts = "Work: All day starts";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::filesystem::path HostPath(const std::u16string& ce_path) {
  std::string relative = ce::text::ToUtf8(ce_path);
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return ce::DeviceFolder() / "root" / relative.substr(1);
}

// The program's event-log file (UTF-16LE) as UTF-8.
std::string EventLog() {
  std::ifstream in(HostPath(u"\\Program Files\\Velomar\\log.txt"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return ce::text::ToUtf8(wide);
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

void SetCell(int cell) {
  ce::device::Update([&](ce::device::Transaction& t) {
    t.SetInt("radio.cell", cell);
    t.SetInt("radio.lac", 10);
  });
}

// The installed program and its two places, each with an all-day period that switches Wi-Fi;
// then home's stored cells topped up to `cells` (the arguments run from the fewest up).
bool PrepareDevice(int cells) {
  static bool installed = false;
  static int stored = 0;
  if (!installed) {
    bench::TemporaryDeviceFolder();
    teskautils::seam::DetachLibrary();
    ce::files::SetModulePath(velomar::kProgramPath);
    if (!velomar::InstallVelomar()) return false;
    RegistrySetDWORD(HKEY_LOCAL_MACHINE, velomar::kSettingsKey, u"allow_windows_close_qxt", 1);
    teskautils::seam::AttachLibrary();
    installed = true;
  }
  CTranslator translator;
  CDB db;
  db.OpenDB();
  if (stored == 0) {
    for (int cell : {kHomeCell, kWorkCell}) {
      CStrPlace place(cell == kHomeCell ? u"Home" : u"Work", u"", u"", -1);
      db.GetPlacesTable()->Insert(place);
      CStrCell location;
      location.SetValue(static_cast<DWORD>(cell));
      location.SetPlace(place.GetIdPlace());
      db.GetCellsTable()->Insert(location);
      CStrPeriod period;
      period.SetIdPlace(place.GetIdPlace());
      period.SetName(u"All day");
      db.GetPeriodsTable()->Insert(period);  // 00:00-00:00: the whole day
      CStrAction action;
      action.SetIdPeriod(period.GetKey());
      action.SetKind(MGR_WIFI);
      action.SetTrigger(0);
      action.SetIntOp1(cell == kWorkCell ? 1 : 0);
      db.GetActionsTable()->Insert(action);
      if (cell == kWorkCell) {
        CStrAction forward;
        forward.SetIdPeriod(period.GetKey());
        forward.SetKind(MGR_CALLFORWARD);
        forward.SetTrigger(0);
        forward.SetIntOp1(1);
        forward.SetSzOp1(u"600111222");
        db.GetActionsTable()->Insert(forward);
      }
    }
  }
  for (; stored < cells; ++stored) {
    CStrCell location;
    location.SetValue(static_cast<DWORD>(500000 + stored));
    location.SetPlace(1);
    db.GetCellsTable()->Insert(location);
  }
  db.CloseDB();
  return true;
}

// Waits (real time, at most `limit`) until `done` holds.
template <class Done>
bool WaitUntil(Done done, std::chrono::seconds limit) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

bool Running(const PROCESS_INFORMATION& info) {
  DWORD code = 0;
  return GetExitCodeProcess(info.hProcess, &code) && code == STILL_ACTIVE;
}

// Argument: the stored cells.
void BM_VelomarStartToFirstCellChange(benchmark::State& state) {
  if (!PrepareDevice(static_cast<int>(state.range(0)))) return state.SkipWithError("Velomar could not be installed");
  std::vector<double> started, changed, closed, total;
  for (auto _ : state) {
    SetCell(kHomeCell);
    const std::size_t before = Count(EventLog(), kWorkStarts);
    std::u16string line;
    PROCESS_INFORMATION info{};
    const auto t0 = Clock::now();
    if (!CreateProcessW(velomar::kProgramPath, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                        &info))
      return state.SkipWithError("Velomar did not start");
    bool ok = WaitUntil([] { return FindWindowW(u"MainWindow", nullptr) != nullptr; }, std::chrono::seconds(60));
    const auto t1 = Clock::now();
    SetCell(kWorkCell);
    ok = ok && WaitUntil([&] { return Count(EventLog(), kWorkStarts) > before; }, std::chrono::seconds(60));
    const auto t2 = Clock::now();
    PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_CLOSE, 0, 0);
    const bool ended = WaitUntil([&] { return !Running(info); }, std::chrono::seconds(120));
    const auto t3 = Clock::now();
    if (!ended) TerminateProcess(info.hProcess, 9);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    if (!ok) return state.SkipWithError("the cell change was not taken within a minute");
    if (!ended) return state.SkipWithError("the orderly close took over two minutes");
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
    started.push_back(Ms(t1 - t0));
    changed.push_back(Ms(t2 - t1));
    closed.push_back(Ms(t3 - t2));
    total.push_back(Ms(t2 - t0));
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
  };
  state.counters["start_ms"] = median(started);
  state.counters["change_ms"] = median(changed);
  state.counters["close_ms"] = median(closed);
  state.counters["from_start_ms"] = median(total);
  state.counters["limit_change_ms"] = 500 + 200;
}
BENCHMARK(BM_VelomarStartToFirstCellChange)
    ->Arg(2500)
    ->Arg(5000)
    ->Arg(10000)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
