// The airspace reader and the alarm test over real airspace files: the UK file with its "AC MATZ"
// headers read as "AC D" (so all 2,571 blocks load), the French file with its seconds of 60
// carried into the minute (so all 1,254 blocks load), and one file test over the UK airspace.
// Goal: the test under 20 ms on one core. The files come from the test data beside the project;
// without them the benchmarks report an error.
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/support/side_by_side.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/airspace/airspace_reader.h"

namespace {

using namespace cumulor;

std::string ReadFile(const char* name) {
  std::ifstream in(std::filesystem::path(OPENAIR_DIR) / name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::string& UkText() {
  static const std::string text = [] {
    std::string t = ReadFile("uk-asselect-2025.txt");
    for (std::size_t at = t.find("AC MATZ"); at != std::string::npos; at = t.find("AC MATZ", at)) t.replace(at, 7, "AC D");
    return t;
  }();
  return text;
}

// "dd:mm:60" becomes "dd:(mm+1):00", carrying into the degrees at 60 minutes.
const std::string& FranceText() {
  static const std::string text = [] {
    std::string t = ReadFile("france-2011-04-07.txt");
    for (std::size_t at = t.find(":60"); at != std::string::npos; at = t.find(":60", at + 1)) {
      if (at < 6 || t[at - 3] != ':') continue;
      t[at + 1] = '0';
      t[at + 2] = '0';
      int minutes = (t[at - 2] - '0') * 10 + (t[at - 1] - '0') + 1;
      std::size_t d = at - 4;
      if (minutes == 60) {
        minutes = 0;
        while (true) {   // degrees + 1, from the last digit
          if (t[d] == '9') {
            t[d] = '0';
            --d;
          } else {
            ++t[d];
            break;
          }
        }
      }
      t[at - 2] = static_cast<char>('0' + minutes / 10);
      t[at - 1] = static_cast<char>('0' + minutes % 10);
    }
    return t;
  }();
  return text;
}

std::size_t Shapes(const AirspaceLoad& load) {
  std::size_t n = 0;
  for (const AirspaceClassGroup& g : load.group) n += g.shapes.size();
  return n;
}

void LoadBench(benchmark::State& state, const std::string& text) {
  if (text.empty()) {
    state.SkipWithError("test data not found beside the project");
    return;
  }
  AirspaceModule module;
  AirspaceInit(module);
  std::size_t shapes = 0;
  std::size_t messages = 0;
  bench::SideBySide side(state, "files/s");
  for (auto _ : state) {
    side.Ours(1, [&] {
      AirspaceLoad load;
      AirspaceLoadBegin(module, load);
      AirspaceReadText(module, load, text.data(), static_cast<std::int32_t>(text.size()));
      shapes = Shapes(load);
      messages = load.messages.size();
    });
  }
  state.counters["shapes"] = static_cast<double>(shapes);
  state.counters["messages"] = static_cast<double>(messages);
  AirspaceTerm(module);
}

void BM_AirspaceLoadUk(benchmark::State& state) { LoadBench(state, UkText()); }
BENCH(BM_AirspaceLoadUk);

void BM_AirspaceLoadFrance(benchmark::State& state) { LoadBench(state, FranceText()); }
BENCH(BM_AirspaceLoadFrance);

void BM_AirspaceFileTestUk(benchmark::State& state) {
  const std::string& text = UkText();
  if (text.empty()) {
    state.SkipWithError("test data not found beside the project");
    return;
  }
  AirspaceModule module;
  AirspaceInit(module);
  AirspaceAllocClassArrays(module, 16);
  AirspaceLoad load;
  AirspaceLoadBegin(module, load);
  AirspaceReadText(module, load, text.data(), static_cast<std::int32_t>(text.size()));
  AirspaceLoadCommit(module, load);
  module.ui.playSound = [](const std::u16string&, bool) {};
  // Over Reading, among the London airspace; 500 m and 300 m.
  const GeoPoint position{-(0 * 36000 + 58 * 600), 51 * 36000 + 27 * 600};
  bench::SideBySide side(state, "tests/s");
  for (auto _ : state) {
    side.Ours(1, [&] { AirspaceAlarmCheck(module, position, 500, 984, 3000, 3000, 0); });
  }
  AirspaceTerm(module);
}
BENCH(BM_AirspaceFileTestUk);

}  // namespace
